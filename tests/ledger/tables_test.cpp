#include <gtest/gtest.h>
#include <string>
#include <vector>


#include "ledger/changes.h"
#include "ledger/tables.h"
#include "tests/support/scripted_prompts.h"
#include "text/date_text.h"
#include "text/plain_text.h"

namespace {

class Tables : public ::testing::Test {
protected:
    void SetUp() override { resetLedgerTables(); }
    Transaction dated(const char* d, int32_t amount = 100) {
        Transaction t;
        t.date = packDate(d);
        t.type = typeService;
        t.amount = amount;
        return t;
    }
    ScriptedPrompts prompts;
};

TEST_F(Tables, InsertPositions) {
    EXPECT_EQ(placeTransaction(dated("03-07-2006", 1)), 1);  // empty table
    EXPECT_EQ(placeTransaction(dated("03-07-2006", 2)), 2);  // one record: an equal date goes after it
    EXPECT_EQ(placeTransaction(dated("01-01-2006", 3)), 1);  // earlier than all
    EXPECT_EQ(placeTransaction(dated("12-31-2006", 4)), 4);  // later than all
    EXPECT_EQ(placeTransaction(dated("12-31-2006", 5)), 4);  // equal to the last: just before it
    EXPECT_EQ(placeTransaction(dated("06-01-2006", 6)), 4);  // binary search in the middle
    ASSERT_EQ(transactionCount, 6);
    for (int i = 2; i <= transactionCount; ++i) EXPECT_LE(transactions[i - 1].date, transactions[i].date);
    EXPECT_EQ(transactions[6].amount, 4);
    EXPECT_EQ(transactions[5].amount, 5);
}

TEST_F(Tables, EqualDatesGoAfterTheOnesTheSearchVisits) {
    for (int i = 0; i < 5; ++i) placeTransaction(dated("05-05-2005", i));
    placeTransaction(dated("01-01-2005", 10));
    placeTransaction(dated("09-09-2005", 11));
    // Records 2..6 share a date; a new one of that date lands after those seen.
    int pos = insertPosition(packDate("05-05-2005"));
    EXPECT_GE(pos, 3);
    EXPECT_LE(pos, 7);
}

TEST_F(Tables, RemovingMovesLaterRecordsDown) {
    for (int i = 1; i <= 4; ++i) placeTransaction(dated("01-01-2006", i));
    removeTransactionAt(2);
    ASSERT_EQ(transactionCount, 3);
    removeTransactionAt(9);  // out of range: nothing
    EXPECT_EQ(transactionCount, 3);
    removeTransactionAt(1);
    removeTransactionAt(1);
    removeTransactionAt(1);
    EXPECT_EQ(transactionCount, 0);
}

TEST_F(Tables, FullTransactionTableIsRefused) {
    transactionCount = maxTransactions;
    EXPECT_EQ(placeTransaction(dated("01-01-2006")), 0);
    EXPECT_EQ(transactionCount, maxTransactions);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find("full"), std::string::npos);
}

TEST_F(Tables, ListEntriesCarryTheirGroupByte) {
    EXPECT_EQ(appendListEntry(descrList, 2, "Rent"), 1);
    EXPECT_EQ(descriptions[1], std::string("\x02Rent"));
    EXPECT_EQ(descriptionText(1), "Rent");
    EXPECT_EQ(descriptionText(0), "");
    EXPECT_EQ(descriptionText(2), "");
    EXPECT_EQ(appendListEntry(nameList, 3, "Ann"), 1);
    EXPECT_EQ(nameText(1), "Ann");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Tables, FullListsAndLongTextsAreRefused) {
    descrCount = maxDescriptions;
    EXPECT_EQ(appendListEntry(descrList, 1, "x"), 0);
    EXPECT_EQ(descrCount, maxDescriptions);
    nameCount = maxNames;
    EXPECT_EQ(appendListEntry(nameList, 1, "x"), 0);
    EXPECT_EQ(nameCount, maxNames);
    nameCount = 0;
    EXPECT_EQ(appendListEntry(nameList, 1, std::string(255, 'a')), 0);
    EXPECT_EQ(appendListEntry(nameList, 1, std::string(254, 'a')), 1);
    EXPECT_EQ(names[1].size(), 255u);
    EXPECT_EQ(prompts.messages.size(), 3u);
}

TEST_F(Tables, ControlCharactersAreShownAsBlanks) {
    EXPECT_EQ(blankControls("Parts\tLabor\r\nx\x7F\x01"), "Parts Labor  x  ");
    EXPECT_EQ(blankControls("Caf\xE9 & Co"), "Caf\xE9 & Co");  // letters of the code page stay
}

// A field as shown is the text blanked then trimmed, whatever mix of blanks
// and controls stands at its ends or inside it.
TEST_F(Tables, ShownFieldIsTheBlankedTextTrimmed) {
    for (std::string text : std::vector<std::string>{"", " ", "\t\r\n", "  \x01" "Acme\tSupply\x7F \r", "Caf\xE9",
                                                     "\x7F", " a ", "a\t\tb", std::string("\0x\0", 3)}) {
        EXPECT_EQ(shownField(text), trimBlanks(blankControls(text))) << text;
        EXPECT_EQ(onlyBlanksAndControls(text), trimBlanks(blankControls(text)).empty()) << text;
    }
}

}  // namespace
