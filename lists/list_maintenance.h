// Looking after the descriptions and names lists: removing an entry with the
// renumbering of everything that points past it, the question about entries
// a deleted transaction leaves unused, and the operations behind the list
// maintenance dialog (which only shows their results).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ledger/tables.h"

// A description and a name, by their entry numbers (0 = none).
struct EntryPair {
    uint16_t descrIndex = 0;
    uint16_t nameIndex = 0;
};

// State of the maintenance dialog.
extern int listKind;     // the dialog's ListKind (nameList or descrList)
extern int chosenEntry;  // entry the user last chose there; 0 = none

// One item of the dialog's list box: the entry number and the text shown.
struct ListItem {
    int entry;
    std::string text;
};

// Removes entry e of a list: later entries move down, the count drops, and
// every reference to a later entry (transactions, chosenEntry) moves down
// with it; one to e itself becomes 0. An e outside
// 1..count is ignored. (The filter follows its entries by their text after
// each command.)
void removeListEntry(ListKind kind, int e);

// Asks, for transaction t, whether its description and name should go when
// no other transaction uses them. Entries of `kept` (those a replacement of
// t is to use) are not offered, and follow the removals, so that afterwards
// they still name the entries they named.
void offerUnusedEntryRemovalFor(int t, EntryPair& kept);

// True when some transaction refers to entry e of the list.
bool entryInUse(ListKind kind, int e);
// Entries no transaction refers to, in list order.
std::vector<int> unusedEntries(ListKind kind);
// Entries of one group (0 = every group) in list order, texts trimmed of
// blanks as the dialog shows them.
std::vector<ListItem> groupEntries(ListKind kind, int group);
// An entry of the group whose shown text equals text (letter case ignored),
// other than `except`; 0 when there is none.
int findGroupEntry(ListKind kind, int group, const std::string& text, int except = 0);

// "Service", "Expense", "Product", "Earning" for groups 1, 2, 3, 6; "" else.
std::string groupTypeWord(int group);
// "Type of transaction: " + the type word of entry e's group.
std::string entryTypeText(ListKind kind, int e);

// Adds text as a new entry of the group unless the group already holds it
// (letter case ignored) or text is empty. Returns the entry holding the
// text, 0 when there is none (empty, or refused with a message).
int addEntry(ListKind kind, uint8_t group, const std::string& text);

// Points every transaction that uses `remove` at `keep`, then removes
// `remove`. Returns keep's number afterwards (0 when either is out of
// range). An entry combined with itself stays as it is.
int combineEntries(ListKind kind, int keep, int remove);

// Entry e becomes group + text. A text too long for the ledger file is
// refused with a message. Returns true when the entry was changed.
bool renameEntry(ListKind kind, int e, uint8_t group, const std::string& text);

// The dialog's "Change" with a new text for entry e: when another entry of
// the group already shows the text, asks whether to combine the two, then
// renames e. Returns e's number afterwards, or 0 when nothing changed (No,
// refused text, e out of range).
int changeEntry(ListKind kind, int e, uint8_t group, const std::string& text);

// The dialog's "Delete ": refused with a message while a transaction uses
// the entry. Returns true when it was removed.
bool deleteEntry(ListKind kind, int e);

// "Delete All" of the unused view: removes the given entries, highest
// first so the numbers still to go stay valid. An entry that has come into
// use meanwhile is kept. Returns how many were removed.
int deleteUnusedEntries(ListKind kind, std::vector<int> indices);

void resetListMaintenanceState();
