// samples/demo.qvl is what a new user first sees: it must load cleanly and
// hold figures the entry dialog itself would have produced.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "ledger/tax_arithmetic.h"
#include "ledger/ledger_file.h"
#include "text/amount_text.h"
#include "text/date_text.h"

namespace {

Bytes readDemoLedger() {
    std::string here = __FILE__;
    std::string path = here.substr(0, here.find_last_of("/\\") + 1) + "../../samples/demo.qvl";
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DemoLedger : public ::testing::Test {
protected:
    void SetUp() override {
        Bytes bytes = readDemoLedger();
        ASSERT_FALSE(bytes.empty()) << "samples/demo.qvl is missing";
        result = decodeLedger(bytes, 0);
        ASSERT_EQ(result.status, DecodeStatus::ok);
        ASSERT_TRUE(result.hadHeader);
        ASSERT_FALSE(result.badReferences);
        EXPECT_EQ(encodeLedger(result.image), bytes) << "not written the way Save writes a ledger";
    }
    DecodeResult result;
};

TEST_F(DemoLedger, HoldsOneYearInDateOrderWithEntriesOfTheRightGroup) {
    const LedgerImage& image = result.image;
    ASSERT_GT(image.transactions.size(), 100u);
    uint16_t previous = packDate("01-01-2025");
    std::set<int> types;
    for (const Transaction& t : image.transactions) {
        EXPECT_GE(t.date, previous);
        EXPECT_LE(t.date, packDate("12-31-2025"));
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

TEST_F(DemoLedger, SalesTaxIsWhatTheEntryDialogComputesAtTheCombinedRate) {
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

}  // namespace
