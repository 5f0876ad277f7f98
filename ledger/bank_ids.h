// The bank ids of imported statement lines, kept beside the ledger in a
// side file of its own (books.qvl -> books.qvl-import) so that the ledger
// file stays exactly as other programs read it. A missing or damaged side
// file only weakens the duplicate check to date, amount and name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ledger/file_access.h"
#include "ledger/tables.h"   // ImportedId, ledger.importedIds

// books.qvl -> books.qvl-import
std::string importIdsPathFor(const std::string& ledgerPath);

Bytes encodeImportedIds(const std::vector<ImportedId>& ids);
// False (ids left empty) for bytes that are not a whole side file.
bool decodeImportedIds(const Bytes& bytes, std::vector<ImportedId>& ids);

// The id as imported before, or null.
const ImportedId* findImportedId(const std::string& bankId);

// The ids among `ids` that belong to one of `transactions` (same date,
// amount and name text): what an archive takes with its rows.
std::vector<ImportedId> idsOfTransactions(const std::vector<ImportedId>& ids,
                                          const std::vector<Transaction>& transactions,
                                          const std::vector<std::string>& names);
