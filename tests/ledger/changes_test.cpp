#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/tables.h"
#include "text/date_text.h"
#include "tests/support/scripted_prompts.h"

namespace {

Bytes booksNow() { return encodeLedger(currentLedgerImage()); }

class Changes : public ::testing::Test {
protected:
    void SetUp() override { resetLedgerTables(); }
    void TearDown() override { resetLedgerTables(); }
    ScriptedPrompts prompts;
};

// Steps of every kind of edit, undone and redone in a random order that is
// the same every run: after each, the ledger's bytes equal the ones recorded
// for that step, and the changed mark says whether it is the saved one.
TEST_F(Changes, RandomStepsUndoAndRedoToTheExactBooks) {
    std::mt19937 random(20261208);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto someTransaction = [&] {
        Transaction t;
        t.date = static_cast<uint16_t>(pick(1, 4000));
        t.type = static_cast<uint8_t>(pick(1, 6));
        t.descrIndex = static_cast<uint16_t>(pick(0, descrCount));
        t.nameIndex = static_cast<uint16_t>(pick(0, nameCount));
        t.amount = pick(-100000, 100000);
        t.salesTax = pick(0, 999);
        return t;
    };
    for (int i = 0; i < 8; ++i) appendListEntry(descrList, 1, "d" + std::to_string(i));
    for (int i = 0; i < 8; ++i) appendListEntry(nameList, 2, "n" + std::to_string(i));
    for (int i = 0; i < 40; ++i) placeTransaction(someTransaction());
    startNewHistory();  // as loaded
    markLedgerSaved();

    std::vector<Bytes> timeline = {booksNow()};
    size_t at = 0;
    long saved = 0;  // the point last saved; -1 when no step leads back to it
    int edits = 0;
    for (int round = 0; round < 3000; ++round) {
        int action = pick(0, 9);
        if (action < 6) {
            int n = pick(1, 4);
            for (int k = 0; k < n; ++k) {
                ListKind list = pick(0, 1) ? descrList : nameList;
                int count = list == descrList ? descrCount : nameCount;
                switch (pick(0, 5)) {
                case 0: placeTransaction(someTransaction()); break;
                case 1: if (transactionCount) removeTransactionAt(pick(1, transactionCount)); break;
                case 2: if (transactionCount) replaceTransactionAt(pick(1, transactionCount), someTransaction()); break;
                case 3: appendListEntry(list, 3, "e" + std::to_string(round)); break;
                case 4: if (count) setListEntry(list, pick(1, count), "\x02r" + std::to_string(round)); break;
                case 5: if (count > 1) removeListEntryAt(list, pick(1, count)); break;
                }
                ++edits;
            }
            commitStep("Step " + std::to_string(round));
            Bytes now = booksNow();
            if (canUndo() && undoLabel() == "Step " + std::to_string(round)) {
                if (saved > static_cast<long>(at)) saved = -1;  // the saved point was undone and is dropped
                timeline.resize(at + 1);
                timeline.push_back(now);
                ++at;
            }
        } else if (action < 8) {
            ASSERT_EQ(undoStep() >= 0, at > 0);
            if (at > 0) --at;
        } else if (action < 9) {
            bool could = at + 1 < timeline.size();
            ASSERT_EQ(redoStep() >= 0, could);
            if (could) ++at;
        } else {
            markLedgerSaved();
            saved = static_cast<long>(at);
        }
        ASSERT_EQ(booksNow(), timeline[at]) << "round " << round;
        ASSERT_EQ(ledgerChanged, static_cast<long>(at) == saved ? 0 : 1) << "round " << round;
    }
    EXPECT_GT(edits, 4000);
    Bytes last = timeline.back();
    while (undoStep() >= 0) {}
    EXPECT_EQ(booksNow(), timeline.front());
    while (redoStep() >= 0) {}
    EXPECT_EQ(booksNow(), last);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Changes, LabelsTheTouchedTransactionAndANewStepDropsTheRedo) {
    EXPECT_EQ(undoLabel(), "");
    EXPECT_EQ(undoStep(), -1);
    Transaction t;
    t.date = 100;
    placeTransaction(t);
    t.date = 50;
    placeTransaction(t);
    commitStep("Add service");
    commitStep("Nothing");  // no edits: no step
    EXPECT_EQ(undoLabel(), "Add service");
    EXPECT_EQ(ledgerChanged, 1);
    removeTransactionAt(2);
    commitStep("Delete record");
    EXPECT_EQ(undoStep(), 2);  // back at its place
    EXPECT_EQ(redoLabel(), "Delete record");
    EXPECT_EQ(undoStep(), 0);  // none left to show
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_EQ(transactionCount, 0);
    EXPECT_EQ(redoStep(), 1);  // the later one goes in last, at position 1
    appendListEntry(nameList, 1, "New");
    commitStep("Add name");
    EXPECT_FALSE(canRedo());
    EXPECT_EQ(undoStep(), 0);  // a list edit touches no transaction
    EXPECT_EQ(nameCount, 0);
}

// A step is applied whole or not at all: one that no longer fits is
// refused with a message and changes nothing.
TEST_F(Changes, AStepThatNoLongerFitsIsRefusedWhole) {
    appendListEntry(nameList, 1, "Kept");
    appendListEntry(nameList, 1, "Gone");
    Transaction t;
    t.nameIndex = 2;
    placeTransaction(t);
    commitStep("Add service");
    removeListEntryAt(nameList, 2);
    EXPECT_EQ(transactions[1].nameIndex, 0);
    removeTransactionAt(1);
    commitStep("Delete record");
    // Filled behind the history's back, as no edit could.
    Bytes before;
    nameCount = maxNames;
    before = booksNow();
    EXPECT_EQ(undoStep(), -1);
    EXPECT_EQ(booksNow(), before);
    EXPECT_EQ(transactionCount, 0);
    ASSERT_EQ(prompts.messageTexts(),
              std::vector<std::string>{"\"Delete record\" cannot be undone: the tables have no room for it.\r\n"
                                       "Nothing has been changed."});
    nameCount = 1;
    EXPECT_EQ(undoStep(), 1);
    EXPECT_EQ(names[2], "\x01Gone");
    EXPECT_EQ(transactions[1].nameIndex, 2);  // the reference comes back with the entry
}

TEST_F(Changes, NewHistoryKeepsTheMarkAndArchivingMarksChanged) {
    Transaction t;
    placeTransaction(t);
    placeTransaction(t);
    commitStep("Add");
    startNewHistory();
    EXPECT_FALSE(canUndo());
    EXPECT_EQ(ledgerChanged, 1);
    markLedgerSaved();
    removeArchivedTransactions(0);
    EXPECT_EQ(ledgerChanged, 0);
    removeArchivedTransactions(1);
    EXPECT_EQ(transactionCount, 1);
    EXPECT_EQ(ledgerChanged, 1);
    EXPECT_FALSE(canUndo());
    markLedgerChanged();
    markLedgerSaved();
    EXPECT_EQ(ledgerChanged, 0);
}

// What an import remembers beside the ledger is part of its step: Undo
// forgets the lines, a line's new state and the balance with the rows, Redo
// brings them back, and a reset empties them.
TEST_F(Changes, RememberedLinesAndBalancesFollowTheirStep) {
    auto& lines = ledger.beside.lines;
    BankLine a, b, c;
    a.bankId = "1";
    a.status = BankLine::leftOut;
    b.bankId = "2";
    c.name = "later";
    addBankLines({a});
    commitStep("Import 1 rows");
    size_t bytesBefore = historyBytes();
    Transaction t;
    placeTransaction(t);
    addBankLines({b, c});
    addBankLines({});  // nothing to note: no edit
    BankLine imported = a;
    imported.status = BankLine::imported;
    setBankLine(0, imported);
    setBankLine(7, imported);  // no such line: no edit
    addRememberedBalance({"OFX 1/2", 100, 5000, 101});
    commitStep("Import 2 rows");
    EXPECT_GT(historyBytes(), bytesBefore + 2 * sizeof(BankLine));  // a line before and after its change
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].status, BankLine::imported);

    EXPECT_EQ(undoStep(), 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].status, BankLine::leftOut);
    EXPECT_TRUE(ledger.beside.balances.empty());
    EXPECT_EQ(transactionCount, 0);
    EXPECT_EQ(redoStep(), 1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].status, BankLine::imported);
    EXPECT_EQ(lines[1].bankId, "2");
    EXPECT_EQ(lines[2].name, "later");
    ASSERT_EQ(ledger.beside.balances.size(), 1u);
    EXPECT_EQ(undoStep(), 0);
    EXPECT_EQ(undoStep(), 0);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(ledgerChanged, 0);

    // Lines dropped behind the history's back: the step cannot be undone whole.
    EXPECT_EQ(redoStep(), 0);
    lines.clear();
    EXPECT_EQ(undoStep(), -1);
    EXPECT_EQ(prompts.messages.size(), 1u);

    lines = {a};
    ledger.sideFileDamaged = true;
    resetLedgerTables();
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(ledger.sideFileDamaged);
}

// A transaction keeps its tag wherever it moves, a deleted one's tag is gone
// until Undo brings it back, and no tag is given twice.
TEST_F(Changes, TagsFollowTheirTransactions) {
    auto at = [](const char* date) {
        Transaction t;
        t.date = packDate(date);
        return placeTransaction(t);
    };
    at("03-01-2026");
    uint32_t march = transactionTags[1];
    at("01-01-2026");  // moves March down
    commitStep("Add");
    EXPECT_EQ(transactionTags[2], march);
    uint32_t january = transactionTags[1];
    EXPECT_NE(january, march);
    removeTransactionAt(1);
    commitStep("Delete");
    EXPECT_EQ(transactionTags[1], march);
    EXPECT_EQ(transactionTags[2], 0u);
    at("02-01-2026");
    commitStep("Add");
    EXPECT_NE(transactionTags[1], january);
    undoStep();
    undoStep();
    EXPECT_EQ(transactionTags[1], january);
    EXPECT_EQ(transactionTags[2], march);
    removeArchivedTransactions(1);
    EXPECT_EQ(transactionTags[1], march);
    EXPECT_EQ(transactionTags[2], 0u);
}

}  // namespace
