// Archiving: the oldest transactions, up to a cut-off date, move out of the
// working ledger into a ledger file of their own, together with exactly the
// descriptions and names they use.
#pragma once
#include <cstdint>
#include <string>

#include "ledger/ledger_file.h"

// A year or month-year answer completed to a full date text: "2005" gives
// "12-31-2005", "06-2005" gives "06-31-2005"; three fields stay as typed.
std::string completeArchiveDate(const std::string& answer);

// How many transactions, from the first on, are dated on or before cutoff.
int archiveCount(uint16_t cutoff);

// Transactions 1..k with the entries they use, renumbered in list order,
// and the imported ids that belong to them (written beside the archive).
LedgerImage buildArchiveImage(int k);

// The Archive command after its prompt: asks for the archive file, writes
// transactions 1..k there, removes them from the working ledger (which then
// counts as changed) and says how many went where. Nothing
// changes for an empty answer, an illegal date, a cancelled file dialog, the
// open ledger's own file or a file that cannot be written (those two with a
// message). Returns how many transactions moved out (the first ones: every
// later transaction's number drops by that many); 0 when none did.
int archiveUpTo(const std::string& answer);
