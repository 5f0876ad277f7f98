// The one place where the books change. Every edit of the tables goes
// through the functions below, which record what they did; the edits of a
// command form one step, which Undo takes back and Redo makes again. The
// changed mark follows from where the books stand in that history and
// where they stood at the last save or load: changedFlagFollows() is the
// only writer of ledgerChanged.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ledger/tables.h"

// --- Edits ---

// Places a record at its date position. Refuses (with a message) when the
// table is full and returns 0; otherwise the new position.
int placeTransaction(const Transaction& record);
// Removes transaction r, moving the later ones down.
void removeTransactionAt(int r);
// Puts `record` in place of transaction r (same position).
void replaceTransactionAt(int r, const Transaction& record);

// Adds group + text as the new last entry of a list and returns its number,
// or refuses with a message and returns 0 when the list is full or the text
// is too long for the file.
int appendListEntry(ListKind list, uint8_t group, const std::string& text);
// Replaces entry e (group byte + text) of a list.
void setListEntry(ListKind list, int e, const std::string& entry);
// Removes entry e: transactions that name it name none, those naming a
// later entry follow it down.
void removeListEntryAt(ListKind list, int e);

// Notes statement lines met at an import (as the last ones of
// ledger.beside.lines), puts line i in another state, or notes a closing
// balance: edits like any other, taken back with their step.
void addBankLines(std::vector<BankLine> lines);
void setBankLine(size_t i, const BankLine& line);
void addRememberedBalance(const RememberedBalance& balance);
// Remembers another archive file of these books (one the user named), as
// the last of ledger.beside.archives.
void addArchiveNote(const ArchiveNote& archive);
// Puts the books' facts for the tax form in place of the ones they have
// (nothing happens when they are the same). A renamed description
// (setListEntry) takes its line along by itself.
void setTaxFacts(const TaxFacts& facts);
// Puts these schedules in place of the books' ones (nothing happens when
// they are the same).
void setSchedules(const std::vector<Schedule>& schedules);

// --- Steps ---

// The edits made since the last step become one step named `label` (for
// example "Delete record"); nothing happens when there were none. A new step
// drops the steps that were undone.
void commitStep(const std::string& label);
bool canUndo();
bool canRedo();
std::string undoLabel();  // "" when there is nothing to undo
std::string redoLabel();

// Takes back the last step, or makes the last undone one again. The result
// is the position of the transaction the step touched last (0 when it
// touched none), or -1 when there was nothing to do or the step could not
// be applied (said in a message; nothing is changed then).
int undoStep();
int redoStep();

// Forgets every step: after a load, a new ledger or an archive, which Undo
// cannot take back. The changed mark stays as it is.
void startNewHistory();
// Removes transactions 1..k, written to an archive file: a new history
// starts, and the books are changed when any was removed.
void removeArchivedTransactions(int k);

// --- The changed mark ---

// The books as they are now are the saved ones (after a save or a load).
void markLedgerSaved();
// Marks the books changed although no table changed (a list entry added
// again, for example), until the next save or load.
void markLedgerChanged();

// The state the books are in, as a number: another one after every step,
// Undo, Redo and new history (a load, new books, an archive), the same
// while nothing changed (edits not yet in a step count once committed).
// Whoever shows the books compares it to know when to show them again.
uint64_t booksState();

// Memory the history holds, for the benchmark.
size_t historyBytes();

void resetChanges();
