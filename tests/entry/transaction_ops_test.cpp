#include <gtest/gtest.h>

#include "ledger/changes.h"
#include "entry/transaction_ops.h"
#include "ledger/list_state.h"
#include "reports/filter.h"
#include "lists/list_maintenance.h"
#include "tests/support/scripted_prompts.h"
#include "text/date_text.h"

namespace {


// The list as a fill of "All Transactions" leaves it: every transaction, in
// table order.
void showAll() {
    rowCount = transactionCount;
    rowMap.assign(1, 0);
    for (int i = 1; i <= transactionCount; ++i) rowMap.push_back(i);
}

class TransactionOps : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        resetListState();
        resetFilterState();
        resetListMaintenanceState();
    }
    void TearDown() override { resetListState(); }

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

TEST_F(TransactionOps, InsertMarksTheNewRowForTheNextFill) {
    insertTransaction(record("05-01-2006", 1));
    EXPECT_EQ(insertTransaction(record("03-01-2006", 2)), 1);
    EXPECT_EQ(focusTransaction, 1);
    EXPECT_EQ(ledgerChanged, 1);  // the books hold what is not in the file

    transactionCount = maxTransactions;  // full: refused, selection kept
    EXPECT_EQ(insertTransaction(record("03-01-2006", 4)), 0);
    EXPECT_EQ(focusTransaction, 1);
}

TEST_F(TransactionOps, DeleteMovesTheSelectionAsTheListShrinks) {
    struct Case {
        int rows, selected, expectedSelected;
    };
    // New row count n: a selection above n - 24 moves up one, then at most n.
    const Case cases[] = {{30, 5, 5}, {30, 6, 5}, {30, 30, 29}, {40, 10, 10}, {3, 2, 1}, {3, 1, 0}, {1, 1, 0}};
    for (const Case& c : cases) {
        resetLedgerTables();
        for (int i = 1; i <= c.rows; ++i) placeTransaction(record("01-01-2006", i));
        showAll();
        selectedRow = c.selected;
        int doomed = transactions[c.selected].amount;
        deleteTransaction();
        SCOPED_TRACE(testing::Message() << c.rows << " rows, row " << c.selected);
        EXPECT_EQ(rowCount, c.rows - 1);
        EXPECT_EQ(selectedRow, c.expectedSelected);
        EXPECT_EQ(ledgerChanged, 1);
        for (int i = 1; i <= transactionCount; ++i) EXPECT_NE(transactions[i].amount, doomed);
    }
}

TEST_F(TransactionOps, NoSelectionMeansNoDelete) {
    appendListEntry(descrList, 1, "Lawn");
    placeTransaction(record("01-01-2006", 1, 1));
    placeTransaction(record("02-01-2006", 2));
    markLedgerSaved();
    showAll();
    for (int row : {0, 3, -1}) {  // none, past the list, nonsense
        selectedRow = row;
        deleteTransaction();
    }
    rowCount = 0;  // an empty (filtered) list with a leftover selection
    selectedRow = 1;
    deleteTransaction();
    EXPECT_EQ(changeTransaction(record("05-05-2006", 9, 1)), 0);
    EXPECT_EQ(transactionCount, 2);
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_TRUE(prompts.messages.empty());
}

// The message box leaves the main window usable: a click on another row
// while the question is up must not make the delete hit that row.
TEST_F(TransactionOps, DeleteRemovesTheRecordTheQuestionWasAbout) {
    appendListEntry(descrList, 1, "Lawn");
    placeTransaction(record("01-01-2006", 1, 1));
    placeTransaction(record("02-01-2006", 2));
    placeTransaction(record("03-01-2006", 3));
    showAll();
    selectedRow = 1;
    prompts.duringMessage = [] { selectedRow = 3; };
    prompts.answers = {mb::idNo};
    deleteTransaction();
    ASSERT_EQ(prompts.messages.size(), 1u);
    ASSERT_EQ(transactionCount, 2);
    EXPECT_EQ(transactions[1].amount, 2);
    EXPECT_EQ(transactions[2].amount, 3);
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
        showAll();
        selectedRow = 1;
    }
};

TEST_F(ChangeTransaction, RemovingTheOldDescriptionKeepsTheNewOneRight) {
    prompts.answers = {mb::idYes, mb::idYes};
    Transaction changed = record("01-01-2006", 1, 7, 2);
    ASSERT_EQ(changeTransaction(changed), 1);
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
    EXPECT_EQ(keptDescrIndex, 0);  // a later plain delete skips nothing
    EXPECT_EQ(keptNameIndex, 0);
}

}  // namespace
