#include <gtest/gtest.h>

#include "import/bank_types.h"

namespace {

const char* kindName(BankKind k) {
    switch (k) {
    case BankKind::moneyIn: return "moneyIn";
    case BankKind::moneyOut: return "moneyOut";
    case BankKind::earning: return "earning";
    case BankKind::fee: return "fee";
    case BankKind::transfer: return "transfer";
    case BankKind::payment: return "payment";
    default: return "unknown";
    }
}

// OFX TRNTYPEs and the texts of CSV type columns as banks write them.
TEST(BankTypes, TypeWordsReadAsWhatTheLineIs) {
    const std::vector<std::pair<std::string, BankKind>> cases = {
        {"INT", BankKind::earning},           {"Interest Paid", BankKind::earning},
        {"Dividend", BankKind::earning},      {"SRVCHG", BankKind::fee},
        {"Monthly Fee", BankKind::fee},       {"FEE_TRANSACTION", BankKind::fee},
        // Charged, though it speaks of interest, an ATM or a transfer.
        {"Interest Charge", BankKind::fee},   {"ATM Fee", BankKind::fee},
        {"Transfer Fee", BankKind::fee},      {"XFER", BankKind::transfer},
        {"CASH", BankKind::transfer},         {"Online Transfer", BankKind::transfer},
        {"ACCT_XFER", BankKind::transfer},    {"ATM Withdrawal", BankKind::transfer},
        {"PAYMENT - THANK YOU", BankKind::transfer}, {"Payment", BankKind::payment},
        {"Bill Payment", BankKind::moneyOut}, {"ACH_DEBIT", BankKind::moneyOut},
        {"CHECK", BankKind::moneyOut},        {"Debit Card Purchase", BankKind::moneyOut},
        {"ACH_CREDIT", BankKind::moneyIn},    {"DEP", BankKind::moneyIn},
        {"Check Deposit", BankKind::moneyIn}, {"ATM Deposit", BankKind::moneyIn},
        {"Debit Card Refund", BankKind::moneyIn},
        // Said of either kind of business money, or nothing at all.
        {"Wire Transfer", BankKind::unknown}, {"INT WIRE", BankKind::unknown},
        {"POS", BankKind::unknown},           {"Sale", BankKind::unknown},
        {" - ", BankKind::unknown},
    };
    for (const auto& [word, kind] : cases) EXPECT_STREQ(kindName(bankKind(word)), kindName(kind)) << word;
}

TEST(BankTypes, AMemoDescribesALineOnlyWhereItSaysMoreThanThePayeeAndTheBank) {
    struct Case {
        std::string memo, payee, name, bankType;
        bool saysMore;
    };
    const std::vector<Case> cases = {
        {"Invoice 1042", "NORTHWIND DESIGN LLC", "NORTHWIND DESIGN LLC", "ACH_CREDIT", true},
        {"Q1 estimated tax", "IRS USATAXPYMT", "IRS USATAXPYMT", "ACH_DEBIT", true},
        {"Logo design deposit", "MOBILE DEPOSIT REF 5521", "MOBILE DEPOSIT REF 5521", "", true},
        {"Austin office rent", "CHECK 1187", "CHECK 1187", "CHECK", true},
        {"jones  DESIGN", "Jones Design", "Jones Design", "", false},
        {"Jones", "Jones Design", "Jones Design", "", false},
        {"CAFE LUNA 0311 AUSTIN", "CAFE LUNA", "CAFE LUNA", "DEBIT", false},
        {"CAFE LUNA AUSTIN", "SQ *CAFE LUNA", "SQ *CAFE LUNA", "DEBIT", false},
        {"ACME SUPPLY CO 0042", "ACH ACME SUPPLY CO", "ACH ACME SUPPLY CO", "", false},
        // A word of the payee's among others is a note all the same.
        {"Office internet", "Telstream Internet", "Telstream Internet", "DEBIT", true},
        {"Client visit parking", "Metro Parking", "Metro Parking", "", true},
        // The name an earlier import gave the payee counts as the payee.
        {"ACME SUPPLIES ONLINE", "ACH 0042 WEB", "Acme Supplies", "", false},
        {"REF 00012345", "KITE HOSTING", "KITE HOSTING", "ACH_DEBIT", false},
        {"ONLINE TRANSFER TO SAV XXXXXX9200", "ONLINE BANKING", "ONLINE BANKING", "XFER", false},
        {"Interest Paid", "INTEREST", "INTEREST", "Interest Paid", false},
        {"STANDING ORDER", "CITY WATER", "CITY WATER", "Standing Order", false},
        {"AUSTIN TX 78701", "SQ *CAFE LUNA", "SQ *CAFE LUNA", "DEBIT", false},
        {"800-555-0199 CA", "STREAMLY*MONTHLY", "STREAMLY*MONTHLY", "DEBIT", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(memoSaysMore(c.memo, c.payee, c.name, c.bankType), c.saysMore) << c.memo << " / " << c.payee;
}

}  // namespace
