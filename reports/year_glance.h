// The year at a glance: income and expenses month by month for one year,
// beside another year's totals, read from the working books and from the
// archive files written from them. Income is counted as the tax report
// counts it (services, sold products without the tax collected, earnings,
// less purchases with the tax paid on them), so that a year's totals equal
// the tax report's "Total Income", "Total Expenses" and "Total Miles" over
// that year, to the cent. Mileage is miles, in a line of its own.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ledger/ledger_file.h"

// One set of books the view reads.
struct GlanceSource {
    std::string path;     // "" for the working books
    LedgerImage image;
    std::string problem;  // why it is left out ("" when it is read)
};

// The entry `index` (1-based) of an image's list, "" for none.
const std::string& imageEntry(const std::vector<std::string>& list, uint16_t index);
// The year of a packed date.
int packedYear(uint16_t packed);
// Letter case folded as the code page's letters fold (accented ones too).
std::string foldedCase(const std::string& s);

// The working books as they are now.
GlanceSource workingSource();
// An archive file, read only, with the ledger reader and its limits. A file
// that is missing, cannot be read, is no ledger or ends early gets a
// problem (and no transactions): it is named and left out.
GlanceSource readArchiveSource(const std::string& path);
// The working books, then every archive file the books remember (each file
// once, in the order written), each read afresh. An archive that shares a
// transaction with a source before it (a copy of the books, the same file
// under another name) is left out too, so that nothing counts twice.
std::vector<GlanceSource> glanceSources(const std::vector<std::string>& extraArchives = {});
// Leaves out (with a problem) every source after the first that holds a
// transaction, identical in every field and text, that an earlier one holds.
void leaveOutRepeatedSources(std::vector<GlanceSource>& sources);

// The years that have transactions in the sources read, ascending.
std::vector<int> glanceYears(const std::vector<GlanceSource>& sources);

enum class GlanceGroup { description, name };

// One line of the table: twelve months, the year and the compared year.
struct GlanceLine {
    std::string label;                 // the description or name text; "" for none
    std::array<int64_t, 12> months{};  // hundredths (the mileage line: hundredths of a mile)
    int64_t total = 0;
    int64_t compared = 0;
    int64_t change() const { return total - compared; }
};

struct GlanceSection {
    std::vector<GlanceLine> lines;  // by label, letter case ignored
    GlanceLine total;
};

struct Glance {
    int year = 0, comparedYear = 0;
    GlanceGroup group = GlanceGroup::description;
    GlanceSection income, expenses;
    GlanceLine net;    // income less expenses
    GlanceLine miles;  // never part of the money
    // The compared year month by month, for the chart drawn behind.
    std::array<int64_t, 12> comparedIncome{}, comparedExpenses{};
};

Glance computeGlance(const std::vector<GlanceSource>& sources, int year, int comparedYear, GlanceGroup group);

// The table's rows, as the dialog shows and the printout prints them:
// "Income", its lines, "Total income", "Expenses", its lines, "Total
// expenses", "Net", "Mileage (miles)".
struct GlanceRow {
    enum Kind { heading, item, incomeTotal, expensesTotal, net, miles };
    Kind kind = heading;
    bool income = true;                // under Income (headings and items), else Expenses
    std::string label;                 // as shown; items indented
    const GlanceLine* line = nullptr;  // into the glance; null for a heading
};
std::vector<GlanceRow> glanceRows(const Glance& g);
// A cell's text: columns 1..12 the months, 13 the year, 14 the compared
// year, 15 the change; zero shows empty.
std::string glanceCellText(const GlanceLine& line, int column);

// A cell of the table: a line and a month of a year, or the whole year.
struct GlanceCell {
    enum Line { item, incomeTotal, expensesTotal, net, miles };
    Line line = item;
    bool income = true;  // an item line: under Income, else under Expenses
    std::string label;   // an item line's text
    int year = 0;
    int month = 0;  // 1..12; 0 for the whole year
};
// The files that hold transactions of the cell: "" for the working books,
// else the archive files' paths, in the order of the sources.
std::vector<std::string> glanceCellFiles(const std::vector<GlanceSource>& sources, const GlanceCell& cell,
                                         GlanceGroup group);

// The chart's money axis in whole currency units: from low to high in steps
// of step (1, 2 or 5 times a power of ten), taking in every bar and the net
// of both years, and 0.
struct GlanceAxis {
    int64_t low = 0, high = 0, step = 1;
};
GlanceAxis glanceAxis(const Glance& g);
// Whole currency units with thousands grouped: "12,500", "-300".
std::string wholeUnits(int64_t units);

// What a line is called in the table: its text, or "(no description)" /
// "(no name)".
std::string glanceLabel(const GlanceLine& line, GlanceGroup group);

// The table as CSV (the list export's rules: RFC 4180, UTF-8 with a byte
// order mark, text that a spreadsheet would run given an apostrophe).
std::string glanceCsv(const Glance& g);

// Month names as the table heads them: "Jan" .. "Dec".
const char* glanceMonthName(int month);  // 1..12
