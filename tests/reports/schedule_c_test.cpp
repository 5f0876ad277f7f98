#include <gtest/gtest.h>

#include "ledger/archive.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/side_file.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "reports/schedule_c.h"
#include "reports/schedule_c_txf.h"
#include "reports/tax_report.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/temp_folder.h"
#include "text/amount_text.h"

namespace {

// A year of a small trade, worked by hand below: every type, every tax
// option, a refund, a returned sale, mileage, proposals, a description
// left out on purpose, and a transaction of another year.
LedgerImage smallYear() {
    LedgerImage image;
    image.descriptions = {entry(1, "Consulting"), entry(2, "Office supplies"), entry(2, "Mileage"),
                          entry(3, "Widgets"),    entry(6, "Interest"),        entry(2, "Advertising"),
                          entry(2, "Gifts"),      entry(2, "Owner draw"),      entry(1, "Refunds"),
                          entry(2, "Bank fees"),  entry(2, "Sundries")};
    image.names = {entry(1, "Acme")};
    image.transactions = {
        makeTransaction("12-31-2024", typeService, 1, 1, 99900),
        makeTransaction("01-10-2025", typeService, 1, 1, 100000),
        makeTransaction("02-10-2025", typeService, 1, 1, 50000),
        makeTransaction("02-11-2025", typeService, 9, 1, -15000),
        makeTransaction("02-12-2025", typeEarnings, 5, 0, 1250),
        makeTransaction("03-01-2025", typeSold, 4, 0, 20000, modeTaxAdded, 1450, 500, 1000),
        makeTransaction("03-02-2025", typeSold, 4, 0, 10725, modeTaxIncluded, 725),
        makeTransaction("03-03-2025", typeSold, 4, 0, 5000, modeResale, 0),
        makeTransaction("03-04-2025", typeSold, 4, 0, -2000, modeTaxAdded, -145),
        makeTransaction("04-01-2025", typeBought, 4, 0, 30000, modeTaxAdded, 2175, 0, 800),
        makeTransaction("04-02-2025", typePersonal, 4, 0, 4000, modeTaxAdded, 290),
        makeTransaction("05-01-2025", typeExpense, 2, 0, 8000),
        makeTransaction("05-02-2025", typeExpense, 3, 0, 100000),  // 1,000 miles
        makeTransaction("05-03-2025", typeExpense, 6, 0, 6000),
        makeTransaction("05-04-2025", typeExpense, 7, 0, 2500),
        makeTransaction("05-05-2025", typeExpense, 8, 0, 50000),
        makeTransaction("05-06-2025", typeExpense, 10, 0, 1500),
        makeTransaction("05-07-2025", typeExpense, 11, 0, 500),
    };
    return image;
}

TaxFacts smallYearFacts() {
    TaxFacts f;
    f = withAssignment(f, 1, "consulting", "gross");  // letter case does not matter
    f = withAssignment(f, 2, "Office supplies", "office");
    f = withAssignment(f, 6, "Interest", "otherIncome");
    f = withAssignment(f, 2, "Owner draw", leftOutKey);
    f = withAssignment(f, 1, "Refunds", "returns");
    f = withAssignment(f, 2, "Bank fees", "otherExpenses");
    f = withAssignment(f, 2, "Sundries", "otherExpenses");
    YearInventory v;
    v.year = 2025;
    v.hasStart = v.hasEnd = true;
    v.start = 10000;
    v.end = 15000;
    return withInventory(f, v);
}

GlanceSource sourceOf(const LedgerImage& image, const std::string& path = "") {
    GlanceSource s;
    s.image = image;
    s.path = path;
    return s;
}

class ScheduleCWorksheet : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        resetFilterState();
        resetTaxReport();
    }
    void TearDown() override {
        endTaxReport();
        resetFilterState();
        resetLedgerTables();
    }
    TempFolder folder;
};

TEST_F(ScheduleCWorksheet, ASmallYearAgainstFiguresWorkedByHand) {
    ScheduleC c = computeScheduleC({sourceOf(smallYear())}, smallYearFacts(), 2025);
    EXPECT_TRUE(c.ownForm);
    EXPECT_EQ(c.rate.tenthsOfCent, 700u);
    // Consulting 1,500 and the widgets sold with their charges, without tax:
    // 215 + 100 + 50.
    EXPECT_EQ(c.amountOf("gross"), 186500);
    EXPECT_EQ(c.amountOf("returns"), 17000);  // the refund and the returned sale
    EXPECT_EQ(c.amountOf("net"), 169500);
    EXPECT_EQ(c.amountOf("purchases"), 28975);  // 300 + 21.75 tax + 8 shipping, less 40 for personal use
    EXPECT_EQ(c.amountOf("costsTotal"), 38975);
    EXPECT_EQ(c.amountOf("costOfGoods"), 23975);
    EXPECT_EQ(c.amountOf("cogs"), 23975);
    EXPECT_EQ(c.amountOf("grossProfit"), 145525);
    EXPECT_EQ(c.amountOf("otherIncome"), 1250);
    EXPECT_EQ(c.amountOf("grossIncome"), 146775);
    EXPECT_EQ(c.amountOf("advertising"), 0);  // only proposed
    EXPECT_EQ(c.amountOf("car"), 70000);       // 1,000 miles at 70 cents
    EXPECT_EQ(c.amountOf("office"), 8000);
    EXPECT_EQ(c.amountOf("otherExpenses"), 2000);
    EXPECT_EQ(c.find("otherExpenses")->line->code, std::string("27b"));
    EXPECT_EQ(c.amountOf("totalExpenses"), 80000);
    EXPECT_EQ(c.amountOf("tentativeProfit"), 66775);
    EXPECT_EQ(c.amountOf("businessMiles"), 100000);
    EXPECT_EQ(c.salesTaxCollected, 2030);

    ASSERT_EQ(c.notAssigned.size(), 2u);
    EXPECT_EQ(c.notAssignedTotal, 8500);
    EXPECT_EQ(c.notAssigned[0].label, "Advertising");
    EXPECT_EQ(c.notAssigned[0].proposal, "advertising");
    EXPECT_EQ(c.notAssigned[1].proposal, "");
    ASSERT_EQ(c.leftOut.size(), 1u);
    EXPECT_EQ(c.leftOutTotal, 50000);

    std::vector<WorksheetRow> rows = worksheetRows(c);
    auto hasRow = [&](const std::string& label, const std::string& amount) {
        for (const WorksheetRow& r : rows)
            if (r.label == label && r.amount == amount) return true;
        return false;
    };
    EXPECT_TRUE(hasRow("Not assigned: 2 descriptions", "85.00"));
    EXPECT_TRUE(hasRow("    Sales tax collected, shown apart: not part of gross receipts", "20.30"));
    EXPECT_TRUE(hasRow("    Mileage: 1,000.00 miles at 70 cents", "700.00"));
    EXPECT_TRUE(hasRow("Gross receipts or sales", "1,865.00"));
    EXPECT_TRUE(hasRow("Business", "1,000.00 miles"));
    EXPECT_TRUE(hasRow("    Advertising  (proposed: Line 8 Advertising)", "60.00"));
    EXPECT_TRUE(hasRow(worksheetDisclaimer, ""));
}

// The totals are those of the tax report over the same year, reached from
// the lines; whatever the user assigns, nothing falls between the two.
TEST_F(ScheduleCWorksheet, ItsTotalsAgreeWithTheTaxReportOverTheYear) {
    LedgerImage image = smallYear();
    installLedgerImage(image);
    filterStartDate = packDate("01-01-2025");
    filterEndDate = packDate("12-31-2025");
    std::vector<int> all;
    for (int i = 1; i <= transactionCount; ++i) all.push_back(i);
    computeTaxReport(all);
    for (const TaxFacts& facts : {smallYearFacts(), TaxFacts{}}) {
        ScheduleC c = computeScheduleC({sourceOf(image)}, facts, 2025);
        const Reconciliation& r = c.check;
        EXPECT_EQ(formatAmount(r.reportIncome), taxReportValues[15]);
        EXPECT_EQ(formatAmount(r.reportExpenses), taxReportValues[16]);
        EXPECT_EQ(formatAmount(r.reportMiles), taxReportValues[17]);
        EXPECT_EQ(r.incomeFromLines(), r.reportIncome);
        EXPECT_EQ(r.expensesFromLines(), r.reportExpenses);
        bool agrees = false;
        for (const WorksheetRow& row : worksheetRows(c))
            if (row.label == "= \"Total Income\" of the tax report: agrees") agrees = true;
        EXPECT_TRUE(agrees);
    }
    EXPECT_EQ(taxReportValues[15], "1370.75");
}

// An archive holds the first half of the year, with lists numbered anew and
// its own side file; the worksheet over both equals the one over the whole.
// The archive's own line for a description stands where the working books
// have none.
TEST_F(ScheduleCWorksheet, AYearHalfInAnArchiveFileCountsOnce) {
    LedgerImage whole = smallYear();
    ScheduleC expected = computeScheduleC({sourceOf(whole)}, smallYearFacts(), 2025);

    LedgerImage archived = whole, kept = whole;
    archived.transactions.clear();
    kept.transactions.clear();
    for (const Transaction& t : whole.transactions)
        (t.date <= packDate("03-31-2025") ? archived : kept).transactions.push_back(t);
    archived.descriptions.insert(archived.descriptions.begin(), entry(2, "Unused first"));
    for (Transaction& t : archived.transactions) ++t.descrIndex;
    Bytes bytes = encodeLedger(archived);
    folder.write("2025a.qvl", bytes);
    SideFile side;
    side.hasLedger = true;
    side.ledger = identityOf(bytes);
    side.data.tax = withAssignment(TaxFacts{}, 6, "Interest", "otherIncome");
    std::string error;
    ASSERT_TRUE(writeSideFile(folder.file("2025a.qvl"), side, false, error)) << error;

    TaxFacts working = withAssignment(smallYearFacts(), 6, "Interest", "");
    GlanceSource fromFile = readArchiveSource(folder.file("2025a.qvl"));
    ASSERT_EQ(fromFile.problem, "");
    ScheduleC c = computeScheduleC({sourceOf(kept), fromFile}, working, 2025);
    for (const WorksheetLine& l : expected.lines) EXPECT_EQ(c.amountOf(l.line->key), l.amount) << l.line->code;
    EXPECT_EQ(c.notAssignedTotal, expected.notAssignedTotal);
    EXPECT_EQ(c.filesRead.size(), 2u);
}

// The 2024 form has "Other expenses" on 27a; a year before any form the
// program knows uses the earliest and says so; a year without an IRS rate
// takes the user's.
TEST_F(ScheduleCWorksheet, FormAndRateFollowTheYear) {
    LedgerImage image = smallYear();
    for (Transaction& t : image.transactions) t.date = static_cast<uint16_t>(t.date - (1 << 9) * 2);  // 2023
    ScheduleC c = computeScheduleC({sourceOf(image)}, smallYearFacts(), 2023);
    EXPECT_FALSE(c.ownForm);
    EXPECT_EQ(c.form->year, 2024);
    EXPECT_EQ(c.find("otherExpenses")->line->code, std::string("27a"));
    EXPECT_EQ(c.rate.source, RateInUse::none);
    EXPECT_EQ(c.amountOf("car"), 0);
    EXPECT_EQ(c.amountOf("businessMiles"), 100000);
    std::vector<WorksheetRow> rows = worksheetRows(c);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].label, "Quirvel has no Schedule C of 2023: the lines of the 2024 form are shown.");
    EXPECT_EQ(rows[1].label,
              "No standard mileage rate is known for 2023: type the IRS rate in cents per mile to put the miles on "
              "line 9.");
    EXPECT_EQ(c.amountOf("startInventory"), 0);
    EXPECT_EQ(worksheetRows(c)[0].kind, WorksheetRow::note);

    TaxFacts own = withRate(smallYearFacts(), 2023, 655);
    c = computeScheduleC({sourceOf(image)}, own, 2023);
    EXPECT_EQ(c.rate.source, RateInUse::user);
    EXPECT_EQ(c.amountOf("car"), 65500);
}

TEST_F(ScheduleCWorksheet, TxfFileOfTheWorksheet) {
    ScheduleC c = computeScheduleC({sourceOf(smallYear())}, smallYearFacts(), 2025);
    auto rec = [](int n, const char* amount, const char* p = nullptr) {
        std::string r = "TS\r\nN" + std::to_string(n) + "\r\nC1\r\nL1\r\n$" + amount + "\r\n";
        if (p) r += std::string("P") + p + "\r\n";
        return r + "^\r\n";
    };
    std::string expected = "V042\r\nAQuirvel\r\nD02/15/2026\r\n^\r\n" + rec(293, "1865.00") + rec(296, "-170.00") +
                           rec(303, "12.50") + rec(306, "-700.00") + rec(313, "-80.00") +
                           rec(302, "-15.00", "Bank fees") + rec(302, "-5.00", "Sundries") + rec(493, "-289.75");
    EXPECT_EQ(worksheetTxf(c, "02/15/2026"), expected);
    // The inventories have no number in the format: the user types them.
    EXPECT_EQ(linesTxfLeavesOut(c), (std::vector<std::string>{"35", "41", "44a"}));
}

// A description's text is the user's: no character of it may start another
// field of the TXF file or run as a formula in a spreadsheet.
TEST_F(ScheduleCWorksheet, HostileTextsStayText) {
    LedgerImage image;
    image.descriptions = {entry(2, "=HYPERLINK(\"x\")"), entry(2, "Caf\xE9\r\n^\r\nN999")};
    image.transactions = {makeTransaction("01-01-2025", typeExpense, 1, 0, 100),
                          makeTransaction("01-02-2025", typeExpense, 2, 0, 200)};
    TaxFacts f = withAssignment(TaxFacts{}, 2, "Caf\xE9\r\n^\r\nN999", "otherExpenses");
    ScheduleC c = computeScheduleC({sourceOf(image)}, f, 2025);
    std::string txf = worksheetTxf(c, "01/01/2026");
    EXPECT_NE(txf.find("\r\n$-2.00\r\nPCaf?  ^  N999\r\n^\r\n"), std::string::npos) << txf;
    EXPECT_EQ(txf.find("\r\nN999"), std::string::npos);

    std::string csv = worksheetCsv(c);
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBFLine,Schedule C 2025,Description,Amount\r\n", 0), 0u);
    EXPECT_NE(csv.find(",,\"'=HYPERLINK(\"\"x\"\")\",1.00\r\n"), std::string::npos) << csv;
    EXPECT_EQ(csv.find(",=HYPERLINK"), std::string::npos);
    EXPECT_NE(csv.find(",,Caf\xC3\xA9  ^  N999,2.00\r\n"), std::string::npos);
    EXPECT_NE(csv.find("1,Gross receipts or sales,,0.00\r\n"), std::string::npos);
}

// A confirmed line wins over the proposal; assigning is a step Undo takes
// back; renaming the description keeps its line.
TEST_F(ScheduleCWorksheet, AssigningIsAStepAndARenameKeepsTheLine) {
    installLedgerImage(smallYear());
    startNewHistory();
    EXPECT_FALSE(lineChoiceFor(ledger.beside.tax, 2, "Advertising").confirmed);
    assignTaxLine(2, "Advertising", "otherExpenses");
    EXPECT_EQ(undoLabel(), "Assign tax line");
    LineChoice choice = lineChoiceFor(ledger.beside.tax, 2, "ADVERTISING");
    EXPECT_TRUE(choice.confirmed);
    EXPECT_EQ(choice.key, "otherExpenses");
    setListEntry(descrList, 6, entry(2, "Ads online"));
    commitStep("Rename description");
    EXPECT_EQ(lineChoiceFor(ledger.beside.tax, 2, "Ads online").key, "otherExpenses");
    EXPECT_EQ(findAssignment(ledger.beside.tax, 2, "Advertising"), nullptr);
    undoStep();
    EXPECT_EQ(lineChoiceFor(ledger.beside.tax, 2, "Advertising").key, "otherExpenses");
    undoStep();
    EXPECT_FALSE(lineChoiceFor(ledger.beside.tax, 2, "Advertising").confirmed);
    redoStep();
    EXPECT_TRUE(lineChoiceFor(ledger.beside.tax, 2, "Advertising").confirmed);
}

// Archiving takes along the lines of exactly the descriptions it moves.
TEST_F(ScheduleCWorksheet, TheArchiveTakesTheLinesOfItsDescriptions) {
    installLedgerImage(smallYear());
    ledger.beside.tax = smallYearFacts();
    LedgerImage archive = buildArchiveImage(3);  // the 2024 service and two of 2025
    ASSERT_EQ(archive.descriptions.size(), 1u);
    ASSERT_EQ(archive.beside.tax.assignments.size(), 1u);
    EXPECT_EQ(archive.beside.tax.assignments[0].text, "consulting");
    EXPECT_EQ(archive.beside.tax.inventories.size(), 1u);
}

}  // namespace
