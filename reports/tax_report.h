// The sales and use tax report and the income tax summary, computed from the
// rows the main list shows.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "ledger/tables.h"

constexpr int taxReportLines = 18;

// Lines 0 and 10 are section headings; their values stay empty.
extern std::array<std::string, taxReportLines> taxReportLabels;
extern std::array<std::string, taxReportLines> taxReportValues;

// The report's sums, in hundredths (64 bits, so large ledgers are not
// wrapped), over whatever transactions are added; mileage tells a mileage
// record (miles, not money).
struct TaxReportSums {
    int64_t services = 0, expenses = 0, miles = 0, productSales = 0, salesTaxCollected = 0, resaleSales = 0;
    int64_t productPurchases = 0, personalUse = 0, earnings = 0, grossSales = 0;
    void add(const Transaction& t, bool mileage);
    // "Total Income": sales without the tax collected, services and
    // earnings, less purchases with the tax paid on them.
    int64_t totalIncome() const { return productSales + services + earnings - productPurchases; }
};

// Fills both tables from the transactions the main list shows (their
// numbers, in any order), each rechecked against the filter's date bounds. Sums are kept in 64 bits, so large
// ledgers are not wrapped. Leaves showZeroAmounts set (zeros read "0.00")
// until endTaxReport().
void computeTaxReport(const std::vector<int>& shown);

// The report window has closed: amounts show zero as empty again.
void endTaxReport();

// Empties both tables.
void resetTaxReport();

enum class ReportFont { heading, body };

struct TaxReportPrintItem {
    int x = 0;  // printer pixels from the printable area's left edge
    int y = 0;  // printer pixels from the printable area's top edge
    std::string text;
    ReportFont font = ReportFont::body;
};

// Where each text of the report goes on the printed page: headings at
// 1.0 inch, labels at 1.5 inches and values at 4.0 inches from the paper's
// left edge. Lines are spaced by the body font's character height; the
// running y starts at the bottom unprintable margin, as the report always
// has. Uses the texts already in the tables.
std::vector<TaxReportPrintItem> taxReportPrintPlan(int pixelsPerInchX, int leftMargin, int bottomMargin,
                                                   int bodyCharHeight);
