// Adding, deleting and changing one transaction as the commands do it: the
// table change and the question about entries a delete leaves unused. The
// list that shows them is the caller's: it refills it from the results.
#pragma once
#include <optional>

#include "ledger/tables.h"
#include "lists/list_maintenance.h"

// Places record at its date position. Returns its position, or 0 when the
// table is full (refused with a message).
int insertTransaction(const Transaction& record);

// Deletes transaction t, after offering to remove its description and name
// when nothing else uses them. `kept` are the description and name of a
// transaction that is to replace it: they are not offered, and a removal
// renumbers them with everything else. Returns them as they are numbered
// afterwards, or nothing when t names no transaction (then nothing changed).
std::optional<EntryPair> deleteTransaction(int t, EntryPair kept = {});

// The entry dialog's change of transaction t: deletes it and inserts record
// at its own date position, with record's description and name followed
// through the removals the delete makes. Returns the new position, or 0
// (and changes nothing) when t names no transaction.
int changeTransaction(int t, const Transaction& record);
