#include "reports/tax_report.h"

#include <cmath>
#include <cstdint>

#include "ledger/tax_arithmetic.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "text/amount_text.h"

std::array<std::string, taxReportLines> taxReportLabels;
std::array<std::string, taxReportLines> taxReportValues;

namespace {

const char* const labelTexts[taxReportLines] = {
    "State and Local Sales Taxes",
    "Total gross sales (incl tax)",
    "Personal, subject to use tax",
    "Total (line 1 + line 2)",
    "Sales to others for resale",
    "Sales tax collected",
    "Total exempt transactions",
    "Amount subject to tax",
    "Total sales and use tax",
    "Total amount due",
    "Income Taxes",
    "Products sales",
    "Products purchases",
    "Total services",
    "Total earnings",
    "Total Income",
    "Total Expenses",
    "Total Miles",
};

// rate x cents in extended precision, to the nearest cent, a tie to the even
// cent. A product beyond 64 bits (a nonsense rate) is held at the limit.
int64_t taxOn(double rate, int64_t cents) {
    long double x = static_cast<long double>(rate) * static_cast<long double>(cents);
    if (std::isnan(x)) return 0;
    const long double limit = 9.2e18L;
    if (x >= limit) return INT64_MAX;
    if (x <= -limit) return INT64_MIN;
    long double low = std::floor(x);
    long double fraction = x - low;
    int64_t n = static_cast<int64_t>(low);
    if (fraction > 0.5L || (fraction == 0.5L && (n % 2 != 0))) ++n;
    return n;
}

}  // namespace

void TaxReportSums::add(const Transaction& t, bool mileage) {
    switch (t.type) {
    case typeService: services += t.amount; break;
    case typeExpense:
        if (mileage)
            miles += t.amount;
        else
            expenses += t.amount;
        break;
    case typeSold:
        // Gross sales include the tax: added on top in modes 0 and 2,
        // already inside the amount in mode 1. The income counts the
        // sales without it, since the tax collected is owed, not earned.
        grossSales += t.amount;
        if (t.taxMode == modeTaxAdded || t.taxMode == modeTaxSpecified) grossSales += t.salesTax;
        productSales += t.amount;
        if (t.taxMode == modeTaxIncluded) productSales -= t.salesTax;
        salesTaxCollected += t.salesTax;
        if (t.taxMode == modeResale) resaleSales += t.amount;
        break;
    case typeBought:
        // What the goods cost, the tax paid on them included, in every mode.
        productPurchases += t.amount;
        if (t.taxMode != modeTaxIncluded) productPurchases += t.salesTax;
        break;
    case typePersonal: personalUse += t.amount; break;  // the cost the use tax is owed on
    case typeEarnings: earnings += t.amount; break;
    default: break;
    }
}

void computeTaxReport(const std::vector<int>& shown) {
    showZeroAmounts = true;

    TaxReportSums sums;
    for (int n : shown) {
        if (n < 1 || n > transactionCount) continue;
        const Transaction& t = transactions[n];
        if (t.date < filterStartDate || t.date > filterEndDate) continue;
        sums.add(t, t.type == typeExpense && isMileage(t));
    }
    const int64_t services = sums.services, expenses = sums.expenses, miles = sums.miles;
    const int64_t productSales = sums.productSales, salesTaxCollected = sums.salesTaxCollected;
    const int64_t resaleSales = sums.resaleSales, productPurchases = sums.productPurchases;
    const int64_t personalUse = sums.personalUse, earnings = sums.earnings, grossSales = sums.grossSales;

    int64_t line[taxReportLines] = {};
    line[1] = grossSales;
    line[2] = personalUse;
    line[3] = line[1] + line[2];
    line[4] = resaleSales;
    line[5] = salesTaxCollected;
    line[6] = line[4] + line[5];
    line[7] = line[3] - line[6];
    line[8] = taxOn(combinedTaxRate, line[7]);
    line[9] = line[8];
    line[11] = productSales;
    line[12] = productPurchases;
    line[13] = services;
    line[14] = earnings;
    line[15] = sums.totalIncome();
    line[16] = expenses;
    line[17] = miles;

    for (int k = 0; k < taxReportLines; ++k) {
        taxReportValues[k] = (k == 0 || k == 10) ? std::string() : formatAmount(line[k]);
        taxReportLabels[k] = labelTexts[k];
    }
}

void endTaxReport() { showZeroAmounts = false; }

void resetTaxReport() {
    taxReportLabels.fill(std::string());
    taxReportValues.fill(std::string());
}

std::vector<TaxReportPrintItem> taxReportPrintPlan(int pixelsPerInchX, int leftMargin, int bottomMargin,
                                                   int bodyCharHeight) {
    auto paperX = [&](double inches) { return static_cast<int>(std::lround(inches * pixelsPerInchX)) - leftMargin; };
    const double h = bodyCharHeight;
    double y = bottomMargin;
    std::vector<TaxReportPrintItem> items;
    for (int k = 0; k < taxReportLines; ++k) {
        if (k == 0 || k == 10) {
            y += 3 * h;
            items.push_back({paperX(1.0), static_cast<int>(std::lround(y)), taxReportLabels[k], ReportFont::heading});
            y += 0.5 * h;
        } else {
            y += 1.5 * h;
            int at = static_cast<int>(std::lround(y));
            items.push_back({paperX(1.5), at, taxReportLabels[k], ReportFont::body});
            items.push_back({paperX(4.0), at, taxReportValues[k], ReportFont::body});
        }
    }
    return items;
}
