// The Schedule C worksheet: one tax year of the books sorted into the lines
// of Schedule C (Form 1040), from the working books and the archive files
// written from them. Descriptions go to the lines the user confirmed;
// products go by their type (sales to line 1, purchases less personal use
// to line 36); the miles go to line 44a and, at the year's standard rate,
// to line 9. What is on no line is listed, never dropped, and the totals are
// checked against the tax report's income lines over the same year.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "lists/tax_lines.h"
#include "reports/year_glance.h"

// One description (or product kind) within a line or the unassigned list.
struct WorksheetItem {
    uint8_t group = 0;
    std::string text;     // the description's text, "" for none
    std::string label;    // as shown: "Office supplies", "Widgets sold", "(no description)"
    int64_t amount = 0;   // hundredths, as the line counts it
    int count = 0;        // transactions
    bool assignable = false;  // a description that may be given a line
    std::string proposal;     // the proposed line's key, for an unassigned one
    bool income = false;      // services or earnings (else expenses)
};

struct WorksheetLine {
    const TaxFormLine* line = nullptr;
    int64_t amount = 0;
    bool given = true;  // false for an inventory the user has not typed in
    std::vector<WorksheetItem> items;
};

// The figures of the tax report over the same year, and what the worksheet
// makes of them.
struct Reconciliation {
    int64_t reportIncome = 0, reportExpenses = 0, reportMiles = 0;  // the tax report's lines 15, 16, 17
    int64_t incomeLines = 0;        // lines 1 - 2 + 6
    int64_t incomeOnNoLine = 0;     // income of descriptions not assigned or left out
    int64_t salesCharges = 0;       // handling and shipping charged on sales
    int64_t purchaseCharges = 0;    // handling and shipping paid on purchases
    int64_t personalUse = 0;        // cost of products withdrawn for personal use
    int64_t expenseLines = 0;       // lines 8..27b and 37..39
    int64_t expensesOnNoLine = 0;
    int64_t incomeFromLines() const;    // what the lines make of "Total Income"
    int64_t expensesFromLines() const;  // what the lines make of "Total Expenses"
};

struct ScheduleC {
    int year = 0;
    const TaxForm* form = nullptr;
    bool ownForm = true;  // false: the form of another year stands in
    RateInUse rate;
    int64_t miles = 0;              // hundredths of a mile
    int64_t mileageDeduction = 0;   // cents, in line 9
    int64_t salesTaxCollected = 0;  // shown apart, not in gross receipts
    std::vector<WorksheetLine> lines;  // every line of the form, in its order
    std::vector<WorksheetItem> notAssigned, leftOut;
    int64_t notAssignedTotal = 0, leftOutTotal = 0;
    YearInventory inventory;
    Reconciliation check;
    std::vector<std::string> filesRead;  // "" for the working books
    std::vector<std::string> problems;   // archive files left out, with why
    const WorksheetLine* find(const char* key) const;
    int64_t amountOf(const char* key) const;  // 0 for a line not there
};

// The worksheet for a year from the sources (the working books first), with
// the working books' facts (their lines, rates and inventories); an archive's
// own facts answer for descriptions the working books have no line for.
ScheduleC computeScheduleC(const std::vector<GlanceSource>& sources, const TaxFacts& facts, int year);

// The year a worksheet opens on: the last year before `today`'s that has
// transactions, else the latest one, else today's.
int defaultWorksheetYear(const std::vector<int>& years, int todayYear);

// The worksheet as rows of a table (line, text, amount), as the window
// shows, the printout prints and the CSV export writes them.
struct WorksheetRow {
    enum Kind { note, heading, line, item, summary, check };
    Kind kind = note;
    std::string code;    // the line's number on the form, "" for others
    std::string label;
    std::string amount;  // formatted; "" for none
    const WorksheetItem* description = nullptr;  // item rows: what makes up the line
};
std::vector<WorksheetRow> worksheetRows(const ScheduleC& c);

// What the worksheet is not, said once on it and in the help.
extern const char* const worksheetDisclaimer;

// Hundredths with thousands grouped and zero shown: "1,234.50", "0.00".
std::string worksheetAmount(int64_t cents);

// The rows as CSV: Line, Schedule C YEAR (the line's or heading's text),
// Description (an item's), Amount; the list export's rules.
std::string worksheetCsv(const ScheduleC& c);
