#include <gtest/gtest.h>

#include "ledger/changes.h"
#include "entry/transaction_ops.h"
#include "reports/filter.h"
#include "lists/list_maintenance.h"
#include "tests/support/scripted_prompts.h"
#include "text/date_text.h"

namespace {

class ListMaintenance : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        resetFilterState();
        resetListMaintenanceState();
    }

    static int add(uint16_t descr, uint16_t name = 0, int32_t amount = 100) {
        Transaction t;
        t.date = static_cast<uint16_t>(packDate("01-01-2006") + transactionCount);  // a day apart, in order
        t.type = typeService;
        t.descrIndex = descr;
        t.nameIndex = name;
        t.amount = amount;
        return placeTransaction(t);
    }
    static std::vector<std::string> shownDescriptions() {
        std::vector<std::string> v;
        for (int i = 1; i <= transactionCount; ++i) v.push_back(descriptionText(transactions[i].descrIndex));
        return v;
    }
    ScriptedPrompts prompts;
};

TEST_F(ListMaintenance, DeletingTheOnlyUserOfAnEntryRenumbersTheRest) {
    for (const char* d : {"One", "Two", "Three", "Four", "Five"}) appendListEntry(descrList, 1, d);
    add(1, 0, 1);
    add(3, 0, 2);
    add(4, 0, 3);
    add(5, 0, 4);
    add(4, 0, 5);
    deleteTransaction(2);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Description [Three] \r\nnot used now... OK to delete it?");
    EXPECT_EQ(prompts.messages[0].title, "Update Descriptions");
    EXPECT_EQ(prompts.messages[0].style, mb::yesNo | mb::iconQuestion);
    EXPECT_EQ(descrCount, 4);
    EXPECT_EQ(descriptions[3], "\x01" "Four");
    EXPECT_EQ(descriptions[4], "\x01" "Five");
    EXPECT_EQ(transactions[2].descrIndex, 3);
    EXPECT_EQ(transactions[3].descrIndex, 4);
    EXPECT_EQ(transactions[4].descrIndex, 3);
    EXPECT_EQ(shownDescriptions(), (std::vector<std::string>{"One", "Four", "Five", "Four"}));
}

TEST_F(ListMaintenance, RemovalKeepsEveryOtherReferenceInStep) {
    for (const char* d : {"A", "B", "C", "D"}) appendListEntry(descrList, 1, d);
    for (const char* n : {"Ann", "Bob"}) appendListEntry(nameList, 1, n);
    add(4, 2);
    listKind = descrList;
    chosenEntry = 4;
    removeListEntry(descrList, 2);
    EXPECT_EQ(chosenEntry, 3);
    EXPECT_EQ(transactions[1].nameIndex, 2);
    EXPECT_EQ(descriptionText(transactions[1].descrIndex), "D");

    // References to the removed entry itself are dropped, not moved on to
    // its neighbour.
    removeListEntry(descrList, 3);
    EXPECT_EQ(chosenEntry, 0);

    // Out of range: nothing.
    removeListEntry(descrList, 0);
    removeListEntry(descrList, 3);
    removeListEntry(nameList, 3);
    EXPECT_EQ(descrCount, 2);
    EXPECT_EQ(nameCount, 2);
}

TEST_F(ListMaintenance, UnusedEntryQuestions) {
    for (const char* d : {"Lawn", "Hedge", ""}) appendListEntry(descrList, 1, d);
    for (const char* n : {"Ann", "Bob"}) appendListEntry(nameList, 1, n);
    add(1, 1);  // 1: Lawn and Ann used elsewhere too
    add(1, 1);
    add(2, 2);  // 3: only user of Hedge and Bob
    add(0, 0);  // 4: nothing to ask about
    add(3, 0);  // 5: an empty description is not worth asking about

    for (int t : {1, 4, 5}) {
        EntryPair none;
        offerUnusedEntryRemovalFor(t, none);
    }
    EXPECT_TRUE(prompts.messages.empty());

    // The replacement's own entries are not offered.
    EntryPair kept{2, 2};
    offerUnusedEntryRemovalFor(3, kept);
    EXPECT_TRUE(prompts.messages.empty());

    EntryPair none;
    prompts.answers = {mb::idNo, mb::idYes};
    offerUnusedEntryRemovalFor(3, none);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text, "Name [Bob] \r\nnot used now... OK to delete it?");
    EXPECT_EQ(prompts.messages[1].title, "Update names");
    EXPECT_EQ(prompts.messages[1].style, mb::yesNo | mb::iconQuestion);
    EXPECT_EQ(descrCount, 3);  // No keeps it
    EXPECT_EQ(nameCount, 1);   // Yes removes it
    EXPECT_EQ(transactions[3].nameIndex, 0);  // names none now; the delete follows
}

// A kept entry after one removed follows it down; one before it stays.
TEST_F(ListMaintenance, KeptEntriesFollowTheRemovals) {
    for (const char* d : {"Lawn", "Hedge", "Moss"}) appendListEntry(descrList, 1, d);
    for (const char* n : {"Ann", "Bob"}) appendListEntry(nameList, 1, n);
    add(2, 2);  // the only user of Hedge and Bob
    EntryPair kept{3, 1};
    prompts.answers = {mb::idYes, mb::idYes};
    offerUnusedEntryRemovalFor(1, kept);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(kept.descrIndex, 2);
    EXPECT_EQ(descriptionText(kept.descrIndex), "Moss");
    EXPECT_EQ(kept.nameIndex, 1);
    EXPECT_EQ(nameText(kept.nameIndex), "Ann");
}

class Combining : public ListMaintenance {
protected:
    void SetUp() override {
        ListMaintenance::SetUp();
        for (const char* d : {"Alpha", "Beta", "Gamma"}) appendListEntry(descrList, 1, d);
        appendListEntry(descrList, 2, "Alpha");  // same text, other group
        add(1, 0, 1);
        add(2, 0, 2);
        add(3, 0, 3);
        add(4, 0, 4);
        listKind = descrList;
    }
};

TEST_F(Combining, ResultIsTheSameWhicheverEntryComesFirst) {
    // Gamma renamed to "alpha": Alpha, before it, goes.
    chosenEntry = 3;
    EXPECT_EQ(changeEntry(descrList, chosenEntry, 1, "alpha"), 2);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "This description is already used... continue anyway?");
    EXPECT_EQ(prompts.messages[0].title, "Combine Descriptions");
    EXPECT_EQ(prompts.messages[0].style, mb::yesNo | mb::iconExclamation);
    EXPECT_EQ(chosenEntry, 2);
    std::vector<std::string> afterward = shownDescriptions();
    EXPECT_EQ(afterward, (std::vector<std::string>{"alpha", "Beta", "alpha", "Alpha"}));
    EXPECT_EQ(descrCount, 3);
    EXPECT_EQ(ledgerChanged, 1);

    // Alpha renamed to "gamma": Gamma, after it, goes.
    SetUp();
    chosenEntry = 1;
    EXPECT_EQ(changeEntry(descrList, chosenEntry, 1, "gamma"), 1);
    EXPECT_EQ(chosenEntry, 1);
    EXPECT_EQ(shownDescriptions(), (std::vector<std::string>{"gamma", "Beta", "gamma", "Alpha"}));
    EXPECT_EQ(descrCount, 3);
    EXPECT_EQ(prompts.messages.size(), 2u);
}

TEST_F(Combining, AnEntryFoundForItsOwnTextIsRenamed) {
    EXPECT_EQ(changeEntry(descrList, 2, 1, "BETA"), 2);   // change of case only
    EXPECT_EQ(changeEntry(descrList, 3, 1, "Gamma"), 3);  // its own text retyped
    EXPECT_EQ(changeEntry(descrList, 4, 2, "Beta"), 4);   // Beta is a Service entry
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(descrCount, 4);
    EXPECT_EQ(shownDescriptions(), (std::vector<std::string>{"Alpha", "BETA", "Gamma", "Beta"}));
    EXPECT_EQ(combineEntries(descrList, 2, 2), 2);
    EXPECT_EQ(descrCount, 4);

    prompts.answers = {mb::idNo};  // combining declined: nothing changes
    EXPECT_EQ(changeEntry(descrList, 3, 1, "Beta"), 0);
    EXPECT_EQ(descriptionText(3), "Gamma");
    EXPECT_EQ(descrCount, 4);
}

TEST_F(Combining, TextsTooLongForTheFileAreRefused) {
    std::string longest(maxEntryBytes - 1, 'x');
    EXPECT_TRUE(renameEntry(descrList, 1, 1, longest));
    EXPECT_FALSE(renameEntry(descrList, 1, 1, longest + "x"));
    EXPECT_EQ(changeEntry(descrList, 2, 1, longest + "x"), 0);
    EXPECT_EQ(descriptionText(1), longest);
    EXPECT_EQ(descriptionText(2), "Beta");
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "This text is too long: at most 254 characters can be kept.");
}

TEST_F(ListMaintenance, AddingDeletingAndTheUnusedView) {
    EXPECT_EQ(addEntry(nameList, 1, "Ann"), 1);
    EXPECT_EQ(addEntry(nameList, 1, "ANN"), 1);  // already there
    EXPECT_EQ(addEntry(nameList, 2, "Ann"), 2);  // other group
    EXPECT_EQ(addEntry(nameList, 6, ""), 0);
    EXPECT_EQ(addEntry(nameList, 6, "  Eve "), 3);
    std::vector<ListItem> earnings = groupEntries(nameList, 6);
    ASSERT_EQ(earnings.size(), 1u);
    EXPECT_EQ(earnings[0].entry, 3);
    EXPECT_EQ(earnings[0].text, "Eve");

    add(0, 2);
    EXPECT_TRUE(entryInUse(nameList, 2));
    EXPECT_FALSE(entryInUse(nameList, 0));
    EXPECT_EQ(unusedEntries(nameList), (std::vector<int>{1, 3}));
    EXPECT_EQ(entryTypeText(nameList, 2), "Type of transaction: Expense");
    EXPECT_EQ(groupTypeWord(3), "Product");
    EXPECT_EQ(groupTypeWord(4), "");

    EXPECT_FALSE(deleteEntry(nameList, 2));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Cannot delete... this name is in use");
    EXPECT_EQ(prompts.messages[0].title, "Delete Listbox Item");
    EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconStop);
    EXPECT_TRUE(deleteEntry(nameList, 1));
    EXPECT_EQ(transactions[1].nameIndex, 1);

    nameCount = maxNames;
    EXPECT_EQ(addEntry(nameList, 1, "Zed"), 0);
    EXPECT_EQ(nameCount, maxNames);
    EXPECT_EQ(prompts.messages.size(), 2u);
}

TEST_F(ListMaintenance, DeleteAllUnusedKeepsEveryTransactionsTexts) {
    for (int i = 1; i <= 9; ++i) appendListEntry(descrList, static_cast<uint8_t>(i % 2 ? 1 : 2), "D" + std::to_string(i));
    for (uint16_t d : {9, 2, 5, 5, 0, 7}) add(d);
    std::vector<std::string> before = shownDescriptions();
    std::vector<int> unused = unusedEntries(descrList);
    EXPECT_EQ(unused, (std::vector<int>{1, 3, 4, 6, 8}));
    add(4);  // comes into use after the view was filled
    before.push_back("D4");
    EXPECT_EQ(deleteUnusedEntries(descrList, unused), 4);
    EXPECT_EQ(descrCount, 5);
    EXPECT_EQ(shownDescriptions(), before);
    EXPECT_TRUE(unusedEntries(descrList).empty());
    EXPECT_EQ(ledgerChanged, 1);
}

}  // namespace
