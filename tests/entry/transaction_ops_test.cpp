#include <gtest/gtest.h>

#include "ledger/changes.h"
#include "entry/transaction_ops.h"
#include "reports/filter.h"
#include "lists/list_maintenance.h"
#include "tests/support/scripted_prompts.h"
#include "text/date_text.h"

namespace {


class TransactionOps : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        resetFilterState();
        resetListMaintenanceState();
    }

    static Transaction record(const char* date, int32_t amount, uint16_t descr = 0, uint16_t name = 0) {
        Transaction t;
        t.date = packDate(date);
        t.type = typeService;
        t.amount = amount;
        t.descrIndex = descr;
        t.nameIndex = name;
        return t;
    }
    ScriptedPrompts prompts;
};

TEST_F(TransactionOps, InsertReturnsThePositionOrRefusesWhenFull) {
    insertTransaction(record("05-01-2006", 1));
    EXPECT_EQ(insertTransaction(record("03-01-2006", 2)), 1);
    EXPECT_EQ(ledgerChanged, 1);  // the books hold what is not in the file

    transactionCount = maxTransactions;  // full: refused with a message
    EXPECT_EQ(insertTransaction(record("03-01-2006", 4)), 0);
    EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(TransactionOps, DeleteRemovesTheTransactionItIsGiven) {
    for (int i = 1; i <= 5; ++i) placeTransaction(record(("01-0" + std::to_string(i) + "-2006").c_str(), i));
    ASSERT_TRUE(deleteTransaction(3).has_value());
    ASSERT_EQ(transactionCount, 4);
    for (int i = 1; i <= transactionCount; ++i) EXPECT_NE(transactions[i].amount, 3);
    EXPECT_EQ(ledgerChanged, 1);
}

TEST_F(TransactionOps, NothingHappensForANumberThatNamesNoTransaction) {
    appendListEntry(descrList, 1, "Lawn");
    placeTransaction(record("01-01-2006", 1, 1));
    placeTransaction(record("02-01-2006", 2));
    markLedgerSaved();
    for (int t : {0, 3, -1}) {  // none, past the table, nonsense
        EXPECT_FALSE(deleteTransaction(t).has_value());
        EXPECT_EQ(changeTransaction(t, record("05-05-2006", 9, 1)), 0);
    }
    EXPECT_EQ(transactionCount, 2);
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_TRUE(prompts.messages.empty());
}

// "No" to the question about an unused description deletes the record all
// the same, and keeps the description.
TEST_F(TransactionOps, DeleteAfterNoToTheQuestionKeepsTheEntry) {
    appendListEntry(descrList, 1, "Lawn");
    placeTransaction(record("01-01-2006", 1, 1));
    placeTransaction(record("02-01-2006", 2));
    prompts.answers = {mb::idNo};
    ASSERT_TRUE(deleteTransaction(1).has_value());
    ASSERT_EQ(prompts.messages.size(), 1u);
    ASSERT_EQ(transactionCount, 1);
    EXPECT_EQ(transactions[1].amount, 2);
    EXPECT_EQ(descrCount, 1);
}

class ChangeTransaction : public TransactionOps {
protected:
    void SetUp() override {
        TransactionOps::SetUp();
        for (int i = 1; i <= 8; ++i) appendListEntry(descrList, 1, "D" + std::to_string(i));
        appendListEntry(nameList, 1, "Ann");
        appendListEntry(nameList, 1, "Bob");
        placeTransaction(record("01-01-2006", 1, 2, 1));  // the only user of D2 and Ann
        placeTransaction(record("02-01-2006", 2, 7, 2));
        placeTransaction(record("03-01-2006", 3, 8, 2));
    }
};

TEST_F(ChangeTransaction, RemovingTheOldDescriptionKeepsTheNewOneRight) {
    prompts.answers = {mb::idYes, mb::idYes};
    Transaction changed = record("01-01-2006", 1, 7, 2);
    ASSERT_EQ(changeTransaction(1, changed), 1);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "Description [D2] \r\nnot used now... OK to delete it?");
    EXPECT_EQ(prompts.messages[1].text, "Name [Ann] \r\nnot used now... OK to delete it?");
    EXPECT_EQ(descrCount, 7);
    EXPECT_EQ(transactions[1].descrIndex, 6);
    EXPECT_EQ(descriptionText(transactions[1].descrIndex), "D7");
    EXPECT_EQ(nameCount, 1);
    EXPECT_EQ(transactions[1].nameIndex, 1);
    EXPECT_EQ(nameText(transactions[1].nameIndex), "Bob");
    EXPECT_EQ(descriptionText(transactions[3].descrIndex), "D8");
    EXPECT_EQ(ledgerChanged, 1);
}

// The kept description and name come back renumbered by the removals the
// delete made, and are never offered themselves.
TEST_F(ChangeTransaction, DeleteReturnsTheKeptEntriesAsTheyAreNumberedAfter) {
    prompts.answers = {mb::idYes, mb::idYes};
    std::optional<EntryPair> kept = deleteTransaction(1, {7, 2});
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->descrIndex, 6);  // D2 went before it
    EXPECT_EQ(kept->nameIndex, 1);   // Ann went before Bob
    EXPECT_EQ(descriptionText(kept->descrIndex), "D7");

    prompts.messages.clear();
    kept = deleteTransaction(1, {transactions[1].descrIndex, transactions[1].nameIndex});
    ASSERT_TRUE(kept.has_value());
    EXPECT_TRUE(prompts.messages.empty());  // its own entries are not offered
}

}  // namespace
