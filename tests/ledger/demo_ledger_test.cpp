// samples/demo.qvl is what a new user first sees, with samples/demo-2024.qvl,
// the year before, as an archive file the books remember: both must load
// cleanly and hold figures the entry dialog itself would have produced.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "ledger/archive.h"
#include "ledger/tax_arithmetic.h"
#include "ledger/ledger_file.h"
#include "reports/year_glance.h"
#include "text/amount_text.h"
#include "text/date_text.h"

namespace {

Bytes readSample(const std::string& name) {
    std::string here = __FILE__;
    std::string path = here.substr(0, here.find_last_of("/\\") + 1) + "../../samples/" + name;
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct DemoFile {
    const char* name;
    int year;
};

void PrintTo(const DemoFile& f, std::ostream* os) { *os << f.name; }

DecodeResult readDemo(const char* name) {
    Bytes bytes = readSample(name);
    EXPECT_FALSE(bytes.empty()) << "samples/" << name << " is missing";
    DecodeResult result = decodeLedger(bytes, 0);
    EXPECT_EQ(result.status, DecodeStatus::ok) << name;
    EXPECT_TRUE(result.hadHeader) << name;
    EXPECT_FALSE(result.badReferences) << name;
    EXPECT_EQ(result.missingTransactions + result.missingEntries, 0) << name;
    EXPECT_EQ(encodeLedger(result.image), bytes) << name << " is not written the way Save writes a ledger";
    return result;
}

class DemoLedger : public ::testing::TestWithParam<DemoFile> {
protected:
    void SetUp() override {
        bytes = readSample(GetParam().name);
        ASSERT_FALSE(bytes.empty()) << "samples/" << GetParam().name << " is missing";
        result = readDemo(GetParam().name);
        ASSERT_FALSE(HasFailure());
    }
    void TearDown() override { resetLedgerTables(); }
    Bytes bytes;
    DecodeResult result;
};

TEST_P(DemoLedger, HoldsOneYearInDateOrderWithEntriesOfTheRightGroup) {
    const LedgerImage& image = result.image;
    const std::string year = std::to_string(GetParam().year);
    ASSERT_GT(image.transactions.size(), 100u);
    uint16_t previous = packDate("01-01-" + year);
    std::set<int> types;
    for (const Transaction& t : image.transactions) {
        EXPECT_GE(t.date, previous);
        EXPECT_LE(t.date, packDate("12-31-" + year));
        previous = t.date;
        types.insert(t.type);
        ASSERT_TRUE(t.descrIndex >= 1 && t.descrIndex <= image.descriptions.size());
        EXPECT_EQ(image.descriptions[t.descrIndex - 1][0], static_cast<char>(listGroupOf(t.type)));
        if (t.nameIndex) {
            ASSERT_LE(t.nameIndex, image.names.size());
            EXPECT_EQ(image.names[t.nameIndex - 1][0], static_cast<char>(listGroupOf(t.type)));
        }
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4, 5, 6}));
}

TEST_P(DemoLedger, SalesTaxIsWhatTheEntryDialogComputesAtTheCombinedRate) {
    const double combined = 0.01 + 0.0625;  // local + state, as the settings give them
    std::set<int> modes;
    int mileage = 0;
    for (const Transaction& t : result.image.transactions) {
        std::string what = formatDate(t.date) + " " + entryText(result.image.descriptions[t.descrIndex - 1]);
        if (!isProductType(t.type)) {
            EXPECT_EQ(t.taxMode, modeNoTax) << what;
            EXPECT_EQ(t.handling + t.shipping + t.salesTax, 0) << what;
            if (t.type == typeExpense && isMileageDescription(entryText(result.image.descriptions[t.descrIndex - 1])))
                ++mileage;
            continue;
        }
        modes.insert(t.taxMode);
        EXPECT_FLOAT_EQ(t.taxRate, 7.25f) << what;
        double tax = 0;
        if (computeSalesTax(t.taxMode, readNumber(formatAmount(t.amount)), combined, tax))
            EXPECT_EQ(t.salesTax, parseAmount(formatMask(tax, "0.00"))) << what;
        else if (t.taxMode == modeResale)
            EXPECT_EQ(t.salesTax, 0) << what;
        if (t.taxMode == modeResale) EXPECT_EQ(t.type, typeSold) << what;
    }
    EXPECT_EQ(modes, (std::set<int>{modeTaxAdded, modeTaxIncluded, modeTaxSpecified, modeResale}));
    EXPECT_GT(mileage, 0);
}

// The lists hold exactly the entries the transactions use, in list order:
// the file is what the Archive command writes when it moves all of it out.
TEST_P(DemoLedger, ListsHoldOnlyTheEntriesItsTransactionsUse) {
    installLedgerImage(result.image);
    LedgerImage archive = buildArchiveImage(static_cast<int>(result.image.transactions.size()));
    EXPECT_EQ(archive.descriptions, result.image.descriptions);
    EXPECT_EQ(archive.names, result.image.names);
    EXPECT_EQ(encodeLedger(archive), bytes);
}

INSTANTIATE_TEST_SUITE_P(Samples, DemoLedger,
                         ::testing::Values(DemoFile{"demo.qvl", 2025}, DemoFile{"demo-2024.qvl", 2024}),
                         [](const ::testing::TestParamInfo<DemoFile>& info) {
                             return "Year" + std::to_string(info.param.year);
                         });

// The year at a glance of the demonstration: 2025 against 2024, both read,
// every month of each with income and expenses, the year before a little
// lower but of the same shop.
TEST(DemoYears, TheYearBeforeIsALittleLowerAndNeitherRepeatsTheOther) {
    std::vector<GlanceSource> sources(2);
    sources[0].image = readDemo("demo.qvl").image;
    sources[1].path = "demo-2024.qvl";
    sources[1].image = readDemo("demo-2024.qvl").image;
    leaveOutRepeatedSources(sources);
    ASSERT_EQ(sources[1].problem, "");
    EXPECT_EQ(glanceYears(sources), (std::vector<int>{2024, 2025}));

    Glance g = computeGlance(sources, 2025, 2024, GlanceGroup::description);
    for (int m = 0; m < 12; ++m) {
        EXPECT_GT(g.income.total.months[m], 0) << "2025 month " << m + 1;
        EXPECT_GT(g.expenses.total.months[m], 0) << "2025 month " << m + 1;
        EXPECT_GT(g.comparedIncome[m], 0) << "2024 month " << m + 1;
        EXPECT_GT(g.comparedExpenses[m], 0) << "2024 month " << m + 1;
    }
    for (const GlanceLine* line : {&g.income.total, &g.expenses.total, &g.miles}) {
        EXPECT_LT(line->compared, line->total) << line->label;
        EXPECT_GT(line->compared, line->total * 8 / 10) << line->label;
    }
    // The same kinds of work, sales and costs in both years (a part's line
    // may be below zero: its purchases are taken off its sales).
    for (const GlanceSection* section : {&g.income, &g.expenses})
        for (const GlanceLine& line : section->lines) {
            EXPECT_NE(line.total, 0) << line.label;
            EXPECT_NE(line.compared, 0) << line.label;
        }
}

}  // namespace
