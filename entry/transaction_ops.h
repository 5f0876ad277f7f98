// Adding, deleting and changing transactions as the main window and the
// record dialog do it: the table change, the question about entries left
// unused, and the selection of the current list.
#pragma once
#include "ledger/tables.h"

// Places record at its date position, makes it the row to select and
// refills the current list. Returns its position, or 0 when the table is
// full (refused with a message). Leaves ledgerChanged to the caller.
int insertTransaction(const Transaction& record);

// Deletes the transaction in the selected row of the current list, after
// offering to remove its description and name when nothing else uses them.
// Nothing happens while no row is selected. The caller refills the list.
void deleteTransaction();

// The record dialog's change: deletes the selected transaction and inserts
// record in its place (at its own date position). The delete does not
// offer record's own description and name for removal, and removals it
// makes renumber record's indices with everything else. Returns the new
// position, or 0 (and changes nothing) while no row is selected.
int changeTransaction(const Transaction& record);
