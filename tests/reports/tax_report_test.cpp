#include <gtest/gtest.h>

#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "reports/tax_report.h"
#include "text/amount_text.h"
#include "text/date_text.h"

namespace {

class TaxReport : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        resetFilterState();
        resetTaxReport();
    }
    void TearDown() override {
        endTaxReport();
        resetFilterState();
    }

    void add(int type, int32_t amount, int32_t salesTax = 0, uint8_t mode = modeNoTax, uint16_t descr = 0,
             const char* date = "06-15-2024") {
        Transaction t;
        t.date = packDate(date);
        t.type = static_cast<uint8_t>(type);
        t.amount = amount;
        t.salesTax = salesTax;
        t.taxMode = mode;
        t.descrIndex = descr;
        placeTransaction(t);
    }
    // The transactions a list of type listType would show, as its fill finds them.
    std::vector<int> listRows() const {
        std::vector<int> shown;
        for (int i = 1; i <= transactionCount; ++i)
            if (transactionPassesFilter(i, listType)) shown.push_back(i);
        return shown;
    }
    int listType = 0;
    std::string value(int line) { return taxReportValues[line]; }
};

TEST_F(TaxReport, SoldWithTaxAndResale) {
    add(typeSold, 20000, 1200, modeTaxAdded);
    add(typeSold, 10000, 0, modeResale);
    computeTaxReport(listRows());
    EXPECT_EQ(value(1), "312.00");  // the tax added on top is part of gross sales
    EXPECT_EQ(value(11), "300.00");
    EXPECT_EQ(value(2), "0.00");
    EXPECT_EQ(value(3), "312.00");
    EXPECT_EQ(value(4), "100.00");
    EXPECT_EQ(value(5), "12.00");
    EXPECT_EQ(value(6), "112.00");
    EXPECT_EQ(value(7), "200.00");
    EXPECT_EQ(value(15), "300.00");
    EXPECT_EQ(value(0), "");
    EXPECT_EQ(value(10), "");
    EXPECT_EQ(taxReportLabels[3], "Total (line 1 + line 2)");
    EXPECT_EQ(taxReportLabels[10], "Income Taxes");
    EXPECT_EQ(taxReportLabels[17], "Total Miles");
}

// The return adds up: whatever the tax mode, line 7 is what was sold or taken
// before tax, and line 9 the combined rate of it.
TEST_F(TaxReport, ReturnLinesAddUpForEveryTaxMode) {
    add(typeSold, 2499, 181, modeTaxAdded);
    add(typePersonal, 5999, 435, modeTaxAdded);
    add(typeSold, 30000, 0, modeResale);
    combinedTaxRate = 0.0725;
    computeTaxReport(listRows());
    const char* const expected[] = {"", "326.80", "59.99", "386.79", "300.00", "1.81", "301.81", "84.98", "6.16", "6.16"};
    for (int line = 1; line <= 9; ++line) EXPECT_EQ(value(line), expected[line]) << line;
    EXPECT_EQ(value(11), "324.99");  // the income summary keeps the amounts
    EXPECT_EQ(value(15), "324.99");

    SetUp();
    add(typeSold, 10725, 725, modeTaxIncluded);  // the amount already holds its tax
    add(typeSold, 10000, 300, modeTaxSpecified);
    add(typePersonal, 4000, 0, modeTaxSpecified);
    combinedTaxRate = 0.0725;
    computeTaxReport(listRows());
    EXPECT_EQ(value(1), "210.25");
    EXPECT_EQ(value(2), "40.00");
    EXPECT_EQ(value(5), "10.25");
    EXPECT_EQ(value(7), "240.00");
    EXPECT_EQ(value(8), "17.40");
    EXPECT_EQ(value(11), "200.00");  // the tax inside the first sale is owed, not earned
}

// The income lines do not depend on how a receipt was entered: a sale counts
// without its tax, a purchase with the tax that was paid on it.
TEST_F(TaxReport, IncomeLinesAreTheSameForEveryTaxMode) {
    struct Case {
        int type;
        int32_t amount, salesTax;
        uint8_t mode;
        const char *line11, *line12, *line15;
    } cases[] = {
        {typeSold, 6000, 450, modeTaxAdded, "60.00", "0.00", "60.00"},
        {typeSold, 6450, 450, modeTaxIncluded, "60.00", "0.00", "60.00"},
        {typeSold, 6000, 450, modeTaxSpecified, "60.00", "0.00", "60.00"},
        {typeSold, 6000, 0, modeResale, "60.00", "0.00", "60.00"},
        {typeSold, 6000, 450, modeNoTax, "60.00", "0.00", "60.00"},  // no option checked: tax on top
        {typeBought, 6000, 450, modeTaxAdded, "0.00", "64.50", "-64.50"},
        {typeBought, 6450, 450, modeTaxIncluded, "0.00", "64.50", "-64.50"},
        {typeBought, 6000, 450, modeTaxSpecified, "0.00", "64.50", "-64.50"},
        {typeBought, 6000, 0, modeResale, "0.00", "60.00", "-60.00"},
        {typeBought, 6000, 450, modeNoTax, "0.00", "64.50", "-64.50"},
        {typeSold, -6450, -450, modeTaxIncluded, "-60.00", "0.00", "-60.00"},  // a refund
        {typePersonal, 6000, 450, modeTaxAdded, "0.00", "0.00", "0.00"},    // not income either way
    };
    for (const auto& c : cases) {
        SetUp();
        add(c.type, c.amount, c.salesTax, c.mode);
        add(typeService, 1000);  // line 15 adds services and earnings on top
        add(typeEarnings, 500);
        computeTaxReport(listRows());
        int64_t base = 1500;
        EXPECT_EQ(value(11), c.line11) << c.type << " mode " << int(c.mode);
        EXPECT_EQ(value(12), c.line12) << c.type << " mode " << int(c.mode);
        EXPECT_EQ(value(15), formatAmount(base + parseAmount(c.line15))) << c.type << " mode " << int(c.mode);
    }
}

TEST_F(TaxReport, LineEightRoundsToNearestCentTiesToEven) {
    struct Case {
        double rate;
        int32_t subject;
        const char* tax;
    } cases[] = {
        {0.06, 12345, "7.41"},      // 740.7 cents
        {0.0625, 12344, "7.72"},    // 771.5: to the even cent
        {0.0625, 12328, "7.70"},    // 770.5
        {0.0625, -12328, "-7.70"},  // -770.5
        {0.0625, -12344, "-7.72"},
        {0, 12345, "0.00"},
    };
    for (const auto& c : cases) {
        SetUp();
        add(typeSold, c.subject);
        combinedTaxRate = c.rate;
        computeTaxReport(listRows());
        EXPECT_EQ(value(7), formatAmount(c.subject)) << c.rate << " " << c.subject;
        EXPECT_EQ(value(8), c.tax) << c.rate << " " << c.subject;
        EXPECT_EQ(value(9), c.tax) << c.rate << " " << c.subject;
    }
}

TEST_F(TaxReport, ServicesTabLeavesOnlyServiceLines) {
    for (int type = 1; type <= 6; ++type) add(type, 1000 * type, 50, modeTaxAdded);
    combinedTaxRate = 0.07;
    listType = typeService;
    computeTaxReport(listRows());
    for (int line = 1; line <= 17; ++line) {
        if (line == 10) continue;
        EXPECT_EQ(value(line), line == 13 || line == 15 ? "10.00" : "0.00") << line;
    }
}

TEST_F(TaxReport, MileageByDescriptionInAnyCaseUntrimmed) {
    uint16_t upper = static_cast<uint16_t>(appendListEntry(descrList, 2, "MILEage"));
    uint16_t blank = static_cast<uint16_t>(appendListEntry(descrList, 2, "mileage "));
    uint16_t more = static_cast<uint16_t>(appendListEntry(descrList, 2, "mileage to town"));
    add(typeExpense, 12340, 0, modeNoTax, upper);
    add(typeExpense, 500, 0, modeNoTax, blank);
    add(typeExpense, 700, 0, modeNoTax, more);
    add(typeService, 999, 0, modeNoTax, upper);  // not an expense: a plain service
    computeTaxReport(listRows());
    EXPECT_EQ(value(17), "123.40");
    EXPECT_EQ(value(16), "12.00");
    EXPECT_EQ(value(13), "9.99");
}

TEST_F(TaxReport, PersonalUseBoughtEarningsAndNegativeIncome) {
    add(typeSold, 10000);
    add(typeBought, 50000, 3000, modeTaxAdded);
    add(typePersonal, 8000, 480, modeTaxAdded);
    add(typeEarnings, 2500);
    add(7, 100000);  // no such type: adds nothing
    combinedTaxRate = 0.05;
    computeTaxReport(listRows());
    EXPECT_EQ(value(2), "80.00");  // the cost taken, not its tax
    EXPECT_EQ(value(3), "180.00");
    EXPECT_EQ(value(7), "180.00");
    EXPECT_EQ(value(8), "9.00");
    EXPECT_EQ(value(12), "530.00");  // the purchase with the tax paid on it
    EXPECT_EQ(value(14), "25.00");
    EXPECT_EQ(value(15), "-405.00");
}

TEST_F(TaxReport, OnlyListedRowsWithinTheDateBoundsCount) {
    add(typeService, 100, 0, modeNoTax, 0, "01-10-2024");
    add(typeService, 200, 0, modeNoTax, 0, "02-10-2024");
    add(typeService, 400, 0, modeNoTax, 0, "03-10-2024");
    std::vector<int> shown = listRows();
    filterStartDate = packDate("02-10-2024");  // narrowed after the list was filled
    shown.push_back(99);                         // and a row that names no transaction
    computeTaxReport(shown);
    EXPECT_EQ(value(13), "6.00");
    filterStartDate = 0;
    computeTaxReport({1});  // only the first row is listed
    EXPECT_EQ(value(13), "1.00");
}

TEST_F(TaxReport, TotalsBeyondThirtyTwoBitsAreNotWrapped) {
    add(typeService, INT32_MAX);
    add(typeService, INT32_MAX);
    add(typeBought, INT32_MIN);
    computeTaxReport(listRows());
    EXPECT_EQ(value(13), "42949672.94");
    EXPECT_EQ(value(15), "64424509.42");
}

TEST_F(TaxReport, ZerosShowUntilTheReportEnds) {
    computeTaxReport(listRows());
    EXPECT_EQ(value(9), "0.00");
    EXPECT_EQ(formatAmount(0), "0.00");
    endTaxReport();
    EXPECT_EQ(formatAmount(0), "");
    EXPECT_EQ(value(9), "0.00");  // the texts stay until the next report
}

TEST_F(TaxReport, PrintPlanPositions) {
    computeTaxReport(listRows());
    auto items = taxReportPrintPlan(300, 25, 50, 40);
    ASSERT_EQ(items.size(), 2u + 16u * 2u);
    // Heading: 3h down from the bottom margin, 1.0 inch from the paper's edge.
    EXPECT_EQ(items[0].text, "State and Local Sales Taxes");
    EXPECT_EQ(items[0].font, ReportFont::heading);
    EXPECT_EQ(items[0].x, 275);
    EXPECT_EQ(items[0].y, 170);
    // Line 1: half a line after the heading, then 1.5 h.
    EXPECT_EQ(items[1].text, "Total gross sales (incl tax)");
    EXPECT_EQ(items[1].font, ReportFont::body);
    EXPECT_EQ(items[1].x, 425);
    EXPECT_EQ(items[1].y, 250);
    EXPECT_EQ(items[2].text, "0.00");
    EXPECT_EQ(items[2].x, 1175);
    EXPECT_EQ(items[2].y, 250);
    // Line 9 at 250 + 8 * 60; heading 10 three lines lower.
    EXPECT_EQ(items[17].y, 730);
    EXPECT_EQ(items[19].text, "Income Taxes");
    EXPECT_EQ(items[19].y, 850);
    EXPECT_EQ(items[20].y, 930);
    EXPECT_EQ(items.back().text, "0.00");
    EXPECT_EQ(items.back().y, 1290);
}

}  // namespace
