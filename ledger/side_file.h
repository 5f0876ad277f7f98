// The side file beside a ledger (books.qvl -> books.qvl-import): what the
// books need that the ledger file, read by other programs too, has no room
// for. Text lines of records of several kinds, each with its own version:
//
//   Quirvel side file 2
//   ledger  1  SIZE  HASH           the ledger bytes it was written with
//   line    1  ...                  a statement line imported or left out
//   balance 1  ...                  a closing balance of an account
//   archive 1  ...                  an archive file written from the books
//   taxline 1  GROUP TEXT LINE      a description's line on the tax form
//   milerate 1 YEAR TENTHS          the user's rate per mile for a year
//   inventory 1 YEAR START END      a year's inventory ("-" when not given)
//   schedule 1 ID ...               an entry that repeats, and what of it was handled
//   end COUNT                       how many records came before it
//
// Fields are tab separated and every text is escaped, so that no value can
// be read as structure. A kind (or version) this program does not know is
// kept as read and written back; the first side file ("Quirvel import ids
// 1") is read and upgraded. A side file that does not belong to the ledger
// beside it only weakens what it serves: its lines become hints.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ledger/file_access.h"
#include "ledger/tables.h"

// books.qvl -> books.qvl-import
std::string sideFilePathFor(const std::string& ledgerPath);
// Whether a name is that of a side file ("*.qvl-import", any letter case).
bool isSideFileName(const std::string& path);

// What a side file holds at most: a longer one is not read at all, and a
// write keeps the newest lines within both limits. Each text is kept to its
// first maxSideText bytes.
constexpr size_t maxSideRecords = 100000;
constexpr size_t maxSideFileBytes = 16u << 20;
constexpr size_t maxSideText = 255;

// What identifies the bytes of one ledger file.
struct LedgerIdentity {
    uint64_t size = 0;
    uint64_t hash = 0;  // FNV-1a, 64 bits
    bool operator==(const LedgerIdentity& o) const { return size == o.size && hash == o.hash; }
    bool operator!=(const LedgerIdentity& o) const { return !(*this == o); }
};
LedgerIdentity identityOf(const Bytes& ledgerBytes);

// A side file as read or to be written. In a file a line's tag is the
// position of its transaction in the ledger written with it (0 for none).
struct SideFile {
    bool hasLedger = false;
    LedgerIdentity ledger;
    SideData data;
};

Bytes encodeSideFile(const SideFile& file);
// False (file left empty) for bytes that are not a whole side file.
bool decodeSideFile(const Bytes& bytes, SideFile& file);

// A text as one field of a tab-separated line: backslash, tab, CR and LF
// written as \\, \t, \r and \n. Unescaping refuses anything else after a
// backslash and any raw tab or line break.
std::string escapeLineField(const std::string& text);
bool unescapeLineField(const std::string& field, std::string& text);

// Writes the side file of the ledger file ledgerFile (safely, the old one
// kept as its backup with keepOld). Nothing is written when there is
// nothing to keep and no side file yet. False, with the reason in error,
// when it failed.
bool writeSideFile(const std::string& ledgerFile, const SideFile& file, bool keepOld, std::string& error);

// The side file beside ledgerFile as the books take it: tags turned into
// those of transactions 1..transactionCount when it was written with exactly
// ledgerBytes, otherwise every line a hint. damaged: it exists but cannot
// be read (then nothing is taken from it).
SideData readSideFileFor(const std::string& ledgerFile, const Bytes& ledgerBytes, uint16_t transactionCount,
                         bool& damaged);

// The side data of the books for a file: line tags as positions among
// transactions 1..count.
SideData sideDataForFile(const SideData& data, int count);
