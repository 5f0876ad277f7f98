#include <gtest/gtest.h>

#include "ledger/changes.h"
#include "ledger/tax_arithmetic.h"
#include "text/amount_text.h"

namespace {

std::string shownTax(int mode, double amount, double rate) {
    double tax;
    if (!computeSalesTax(mode, amount, rate, tax)) return "(none)";
    return formatMask(tax, "0.00");
}

TEST(SalesTax, ModesAndRounding) {
    EXPECT_EQ(shownTax(modeTaxAdded, 19.99, 0.0625), "1.25");
    EXPECT_EQ(parseAmount(shownTax(modeTaxAdded, 19.99, 0.0625)), 125);
    EXPECT_EQ(formatMask(19.99 + 1.25, "0.00"), "21.24");
    EXPECT_EQ(shownTax(modeTaxIncluded, 21.24, 0.0625), "1.25");
    EXPECT_EQ(shownTax(modeTaxIncluded, 19.99, 0.0625), "1.18");
    EXPECT_EQ(shownTax(modeTaxAdded, 2.00, 0.0625), "0.12");  // 0.125: half to even
    EXPECT_EQ(shownTax(modeTaxAdded, 10.005, 0.06), "0.60");
    EXPECT_EQ(parseAmount("10.005"), 1000);
    EXPECT_EQ(shownTax(modeTaxSpecified, 10, 0.06), "(none)");
    EXPECT_EQ(shownTax(modeResale, 10, 0.06), "(none)");
}

TEST(TransactionTotal, TaxIncludedIsNotAddedTwice) {
    Transaction t;
    t.amount = 1000;
    t.handling = 100;
    t.shipping = 0;
    t.salesTax = 300;
    t.taxMode = modeTaxSpecified;
    EXPECT_EQ(transactionTotal(t), 1400);
    t.taxMode = modeTaxIncluded;
    EXPECT_EQ(transactionTotal(t), 1100);
    t.taxMode = modeResale;
    t.salesTax = -5000;  // whatever it holds is added
    EXPECT_EQ(transactionTotal(t), -3900);
    t.amount = t.handling = t.shipping = t.salesTax = INT32_MAX;
    t.taxMode = modeTaxAdded;
    EXPECT_EQ(transactionTotal(t), 4LL * INT32_MAX);
    EXPECT_EQ(formatAmount(transactionTotal(t)), "85899345.88");
}

TEST(Mileage, DescriptionInAnyCase) {
    resetLedgerTables();
    appendListEntry(descrList, 2, "MileAge");
    appendListEntry(descrList, 2, "mileage ");
    Transaction t;
    t.type = typeExpense;
    t.descrIndex = 1;
    t.amount = parseAmount("123.4");
    EXPECT_TRUE(isMileage(t));
    EXPECT_EQ(t.amount, 12340);
    EXPECT_EQ(formatAmount(t.amount), "123.40");
    t.descrIndex = 2;
    EXPECT_FALSE(isMileage(t));
    t.descrIndex = 1;
    t.type = typeService;
    EXPECT_FALSE(isMileage(t));
}

}  // namespace
