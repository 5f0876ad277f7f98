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

// What a side file holds at most: a longer one is not read at all, and a
// write keeps the newest ids within both limits. Each text (bank id, name,
// payee) is kept to its first maxImportedIdText bytes.
constexpr size_t maxImportedIds = 100000;
constexpr size_t maxImportIdsFileBytes = 16u << 20;
constexpr size_t maxImportedIdText = 255;

// "Quirvel import ids 1", one line per id (bank id, import date, date,
// amount, name, payee, tab separated), then "end COUNT".
Bytes encodeImportedIds(const std::vector<ImportedId>& ids);
// False (ids left empty) for bytes that are not a whole side file.
bool decodeImportedIds(const Bytes& bytes, std::vector<ImportedId>& ids);

// A text as one field of a tab-separated line: backslash, tab, CR and LF
// written as \\, \t, \r and \n. Unescaping refuses anything else after a
// backslash and any raw tab or line break.
std::string escapeLineField(const std::string& text);
bool unescapeLineField(const std::string& field, std::string& text);

// Writes the side file of the ledger file ledgerFile (safely, the old one
// kept as its backup with keepOld). Nothing is written when there are no ids
// and no side file yet. False, with the reason in error, when it failed.
bool writeImportedIds(const std::string& ledgerFile, const std::vector<ImportedId>& ids, bool keepOld,
                      std::string& error);

// The id as imported before, or null.
const ImportedId* findImportedId(const std::string& bankId);

// The ids among `ids` that belong to one of `transactions` (same date,
// amount and name text): what an archive takes with its rows.
std::vector<ImportedId> idsOfTransactions(const std::vector<ImportedId>& ids,
                                          const std::vector<Transaction>& transactions,
                                          const std::vector<std::string>& names);
