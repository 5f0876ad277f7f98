#include <gtest/gtest.h>

#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "reports/tax_report.h"
#include "reports/year_glance.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/temp_folder.h"
#include "text/amount_text.h"

namespace {

class YearGlance : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        resetFilterState();
        resetTaxReport();
        combinedTaxRate = 0.0725;
    }
    void TearDown() override {
        endTaxReport();
        resetFilterState();
        resetLedgerTables();
    }

    // The tax report's income lines (Total Income, Total Expenses, Total
    // Miles) over one calendar year of the books installed.
    static std::array<std::string, 3> taxReportYear(int year) {
        filterStartDate = packDate("01-01-" + std::to_string(year));
        filterEndDate = packDate("12-31-" + std::to_string(year));
        std::vector<int> all;
        for (int i = 1; i <= transactionCount; ++i) all.push_back(i);
        computeTaxReport(all);
        resetFilterState();
        return {taxReportValues[15], taxReportValues[16], taxReportValues[17]};
    }
    static std::array<std::string, 3> glanceYear(const Glance& g) {
        bool zeros = showZeroAmounts;
        showZeroAmounts = true;
        std::array<std::string, 3> r = {formatAmount(g.income.total.total), formatAmount(g.expenses.total.total),
                                        formatAmount(g.miles.total)};
        showZeroAmounts = zeros;
        return r;
    }
    static GlanceSource source(const LedgerImage& image, const std::string& path = "") {
        GlanceSource s;
        s.image = image;
        s.path = path;
        return s;
    }

    TempFolder folder;
};

// Every type and tax option, resale, personal use, mileage in any letter
// case, negative amounts and a type the books do not know, over two years.
LedgerImage everyKind() {
    LedgerImage image;
    image.descriptions = {entry(1, "Consulting"), entry(3, "Widgets"), entry(2, "MILEAGE"), entry(2, "Rent"),
                          entry(6, "Interest"), entry(2, "Mileage log")};
    image.names = {entry(1, "Acme"), entry(3, "Shop"), entry(2, "Landlord")};
    const char* years[] = {"2024", "2025"};
    for (const char* y : years) {
        std::string d = std::string("-") + y;
        image.transactions.push_back(makeTransaction("01-15" + d, typeService, 1, 1, 50000));
        image.transactions.push_back(makeTransaction("02-14" + d, typeSold, 2, 2, 1999, modeTaxAdded, 145));
        image.transactions.push_back(makeTransaction("03-14" + d, typeSold, 2, 2, 10725, modeTaxIncluded, 725));
        image.transactions.push_back(makeTransaction("03-15" + d, typeSold, 2, 2, 2000, modeTaxSpecified, 99));
        image.transactions.push_back(makeTransaction("03-16" + d, typeSold, 2, 0, 4000, modeResale, 0));
        image.transactions.push_back(makeTransaction("04-02" + d, typeBought, 2, 2, 6000, modeTaxAdded, 435));
        image.transactions.push_back(makeTransaction("04-03" + d, typeBought, 2, 2, 10725, modeTaxIncluded, 725));
        image.transactions.push_back(makeTransaction("05-20" + d, typePersonal, 2, 0, 800, modeTaxAdded, 58));
        image.transactions.push_back(makeTransaction("06-01" + d, typeExpense, 3, 0, 12345));  // miles
        image.transactions.push_back(makeTransaction("06-02" + d, typeExpense, 6, 0, 700));    // not "mileage"
        image.transactions.push_back(makeTransaction("07-01" + d, typeExpense, 4, 3, 80000));
        image.transactions.push_back(makeTransaction("08-31" + d, typeEarnings, 5, 0, 1250));
        image.transactions.push_back(makeTransaction("09-09" + d, typeService, 1, 1, -2500));  // a refund
        image.transactions.push_back(makeTransaction("12-31" + d, typeExpense, 4, 3, -100));
        Transaction unknown = makeTransaction("10-10" + d, 7, 1, 1, 99999);
        image.transactions.push_back(unknown);
    }
    return image;
}

TEST_F(YearGlance, YearTotalsEqualTheTaxReportOverTheYear) {
    installLedgerImage(everyKind());
    std::vector<GlanceSource> sources = {workingSource()};
    for (int year : {2024, 2025, 2026}) {
        SCOPED_TRACE(year);
        Glance g = computeGlance(sources, year, year - 1, GlanceGroup::description);
        EXPECT_EQ(glanceYear(g), taxReportYear(year));
        Glance byName = computeGlance(sources, year, year - 1, GlanceGroup::name);
        EXPECT_EQ(byName.income.total.total, g.income.total.total);
        EXPECT_EQ(byName.expenses.total.total, g.expenses.total.total);
        EXPECT_EQ(g.net.total, g.income.total.total - g.expenses.total.total);
    }
    Glance g = computeGlance(sources, 2025, 2024, GlanceGroup::description);
    EXPECT_EQ(g.income.total.compared, g.income.total.total);  // the same entries both years
    EXPECT_EQ(g.miles.total, 12345);                            // miles, never money
    EXPECT_EQ(g.miles.months[5], 12345);
    EXPECT_EQ(g.expenses.total.months[11], -100);
}

// The month a transaction lands in, and lines by description or by name:
// the same text in two groups is one line, none is a line of its own.
TEST_F(YearGlance, MonthsAndLinesByDescriptionOrName) {
    installLedgerImage(everyKind());
    std::vector<GlanceSource> sources = {workingSource()};
    Glance g = computeGlance(sources, 2025, 2024, GlanceGroup::description);
    ASSERT_EQ(g.income.lines.size(), 3u);  // Consulting, Interest, Widgets
    EXPECT_EQ(g.income.lines[0].label, "Consulting");
    EXPECT_EQ(g.income.lines[0].months[0], 50000);
    EXPECT_EQ(g.income.lines[0].months[8], -2500);
    EXPECT_EQ(g.income.lines[0].total, 47500);
    const GlanceLine& widgets = g.income.lines[2];
    EXPECT_EQ(widgets.label, "Widgets");
    EXPECT_EQ(widgets.months[1], 1999);             // tax added on top is not income
    EXPECT_EQ(widgets.months[2], 10000 + 2000 + 4000);  // included tax taken out
    EXPECT_EQ(widgets.months[3], -(6000 + 435) - 10725);  // purchases with their tax
    EXPECT_EQ(widgets.months[4], 0);                    // personal use is neither
    ASSERT_EQ(g.expenses.lines.size(), 2u);
    EXPECT_EQ(g.expenses.lines[0].label, "Mileage log");
    EXPECT_EQ(g.expenses.lines[1].label, "Rent");
    EXPECT_EQ(g.expenses.lines[1].change(), 0);

    Glance n = computeGlance(sources, 2025, 2024, GlanceGroup::name);
    std::vector<std::string> labels;
    for (const GlanceLine& l : n.income.lines) labels.push_back(glanceLabel(l, GlanceGroup::name));
    EXPECT_EQ(labels, (std::vector<std::string>{"(no name)", "Acme", "Shop"}));
    EXPECT_EQ(n.income.lines[0].total, 4000 + 1250);  // the resale and the interest
}

// Last year sits in an archive file for its first half: the sources
// together give what the tax report gives over the books before archiving.
TEST_F(YearGlance, AYearSplitBetweenTheLedgerAndAnArchive) {
    LedgerImage all = everyKind();
    installLedgerImage(all);
    std::array<std::string, 3> whole = taxReportYear(2025);
    LedgerImage archived = all, kept = all;
    archived.transactions.clear();
    kept.transactions.clear();
    for (const Transaction& t : all.transactions)
        (t.date <= packDate("06-30-2025") ? archived : kept).transactions.push_back(t);
    // The archive has its own lists, numbered as Archive numbers them.
    archived.descriptions.insert(archived.descriptions.begin(), entry(1, "Unused first"));
    for (Transaction& t : archived.transactions)
        if (t.descrIndex) ++t.descrIndex;
    folder.write("2025a.qvl", encodeLedger(archived));
    installLedgerImage(kept);
    ledger.beside.archives.push_back({folder.file("2025a.qvl"), packDate("06-30-2025"), packDate("07-01-2025")});

    std::vector<GlanceSource> sources = glanceSources();
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[1].problem, "");
    EXPECT_EQ(glanceYears(sources), (std::vector<int>{2024, 2025}));
    Glance g = computeGlance(sources, 2025, 2024, GlanceGroup::description);
    EXPECT_EQ(glanceYear(g), whole);
    EXPECT_EQ(g.income.lines[0].label, "Consulting");  // one line across both files
    EXPECT_EQ(g.income.lines[0].months[0], 50000);
    EXPECT_EQ(g.income.lines[0].months[8], -2500);
}

// A missing, a damaged, a foreign and a repeated archive are each named
// with what is wrong and left out; the rest is read.
TEST_F(YearGlance, ArchivesThatCannotBeReadAreNamedAndLeftOut) {
    LedgerImage books = everyKind();
    LedgerImage old;
    old.descriptions = {entry(1, "Consulting")};
    old.transactions = {makeTransaction("05-05-2023", typeService, 1, 0, 700)};
    folder.write("old.qvl", encodeLedger(old));
    Bytes damaged = encodeLedger(books);
    damaged.resize(damaged.size() - 40);
    folder.write("damaged.qvl", damaged);
    folder.write("notes.qvl", Bytes{'h', 'e', 'l', 'l', 'o'});
    folder.write("copy.qvl", encodeLedger(books));
    installLedgerImage(books);
    for (const char* f : {"old.qvl", "gone.qvl", "damaged.qvl", "notes.qvl", "copy.qvl", "old.qvl"})
        ledger.beside.archives.push_back({folder.file(f), 0, 0});

    std::vector<GlanceSource> sources = glanceSources();
    ASSERT_EQ(sources.size(), 6u);  // the working books and five files: old.qvl once
    EXPECT_EQ(sources[1].problem, "");
    EXPECT_EQ(sources[2].problem, "not found");
    EXPECT_EQ(sources[3].problem, "damaged: the file ends early");
    EXPECT_EQ(sources[4].problem, "not a Quirvel file");
    EXPECT_EQ(sources[5].problem, "holds transactions that other books read here hold too");
    for (size_t i = 2; i < sources.size(); ++i) EXPECT_TRUE(sources[i].image.transactions.empty()) << i;
    EXPECT_EQ(glanceYears(sources), (std::vector<int>{2023, 2024, 2025}));
    Glance g = computeGlance(sources, 2025, 2023, GlanceGroup::description);
    EXPECT_EQ(glanceYear(g), taxReportYear(2025));  // the copy did not count twice
    EXPECT_EQ(g.income.total.compared, 700);
}

TEST_F(YearGlance, CsvKeepsTheSpreadsheetRule) {
    LedgerImage image;
    image.descriptions = {entry(1, "=SUM(A1)"), entry(1, "Caf\xE9, \"best\"")};
    image.transactions = {makeTransaction("03-03-2025", typeService, 1, 0, 1234),
                          makeTransaction("04-04-2025", typeService, 2, 0, 100),
                          makeTransaction("04-04-2024", typeService, 2, 0, 300)};
    installLedgerImage(image);
    Glance g = computeGlance({workingSource()}, 2025, 2024, GlanceGroup::description);
    std::string csv = glanceCsv(g);
    ASSERT_EQ(csv.compare(0, 3, "\xEF\xBB\xBF"), 0);
    EXPECT_NE(csv.find("\r\nIncome,'=SUM(A1),0.00,0.00,12.34,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\nIncome,\"Caf\xC3\xA9, \"\"best\"\"\",0.00,0.00,0.00,1.00,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",13.34,3.00,10.34\r\n"), std::string::npos) << csv;  // total income: year, compared, change
    EXPECT_NE(csv.find("Section,Description,Jan 2025,"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(YearGlance, CellFilesAndTheChartsAxis) {
    LedgerImage old;
    old.descriptions = {entry(1, "Consulting")};
    old.transactions = {makeTransaction("05-05-2024", typeService, 1, 0, 70000)};
    folder.write("old.qvl", encodeLedger(old));
    LedgerImage books;
    books.descriptions = {entry(1, "Consulting"), entry(2, "Rent")};
    books.transactions = {makeTransaction("05-06-2024", typeService, 1, 0, 100),
                          makeTransaction("02-01-2025", typeExpense, 2, 0, 123456)};
    installLedgerImage(books);
    ledger.beside.archives.push_back({folder.file("old.qvl"), 0, 0});
    std::vector<GlanceSource> sources = glanceSources();

    GlanceCell may{GlanceCell::item, true, "Consulting", 2024, 5};
    EXPECT_EQ(glanceCellFiles(sources, may, GlanceGroup::description),
              (std::vector<std::string>{"", folder.file("old.qvl")}));
    may.month = 6;
    EXPECT_TRUE(glanceCellFiles(sources, may, GlanceGroup::description).empty());
    GlanceCell rent{GlanceCell::item, false, "Rent", 2025, 0};
    EXPECT_EQ(glanceCellFiles(sources, rent, GlanceGroup::description), std::vector<std::string>{""});
    rent.income = true;  // not income
    EXPECT_TRUE(glanceCellFiles(sources, rent, GlanceGroup::description).empty());
    GlanceCell net{GlanceCell::net, true, "", 2024, 0};
    EXPECT_EQ(glanceCellFiles(sources, net, GlanceGroup::description).size(), 2u);

    // 1,234.56 of expenses and a net of -1,234.56; 701 a month the year before.
    GlanceAxis a = glanceAxis(computeGlance(sources, 2025, 2024, GlanceGroup::description));
    EXPECT_EQ(a.step, 500);
    EXPECT_EQ(a.low, -1500);
    EXPECT_EQ(a.high, 1500);
    EXPECT_EQ(wholeUnits(1234567), "1,234,567");
    EXPECT_EQ(wholeUnits(-300), "-300");
    EXPECT_EQ(wholeUnits(0), "0");
    GlanceAxis none = glanceAxis(computeGlance(sources, 2030, 2029, GlanceGroup::description));
    EXPECT_EQ(none.low, 0);
    EXPECT_GT(none.high, 0);  // an empty year still has an axis to draw
}

}  // namespace
