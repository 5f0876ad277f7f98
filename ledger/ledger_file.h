// The ledger file: "Quirvel Version 3", three counts, 30-byte records, then
// the descriptions and names as length-prefixed entries. Versions 0 to 2
// (22-byte records) are read and converted.
#pragma once
#include <string>
#include <vector>

#include "ledger/file_access.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "ui/prompts.h"

// A whole ledger as it goes to or comes from a file.
struct LedgerImage {
    std::vector<Transaction> transactions;
    std::vector<std::string> descriptions;  // entries, group byte first
    std::vector<std::string> names;
    SideData beside;  // written beside the ledger, not in it; line tags are positions in transactions
};

enum class DecodeStatus { ok, notQuirvel };

struct DecodeResult {
    DecodeStatus status = DecodeStatus::ok;
    int version = 3;
    bool hadHeader = true;      // false: read as version 0
    bool badReferences = false; // indices past the lists were cleared to 0
    // The file ended before this many records and list entries: only the
    // whole ones before that point were read.
    int missingTransactions = 0;
    int missingEntries = 0;
    LedgerImage image;
};

constexpr int transactionRecordBytes = 30;
constexpr int oldRecordBytes = 22;
extern const char ledgerHeader[18];  // "Quirvel Version 3"

// No ledger the reader accepts reaches past this many bytes (the longest
// header, full tables, every entry 255 bytes long); what follows is ignored,
// so a load reads no further.
constexpr size_t maxLedgerFileBytes = 1u << 20;

Bytes encodeLedger(const LedgerImage& image);
// combinedRate (a fraction) gives the taxRate of converted old records.
DecodeResult decodeLedger(const Bytes& bytes, double combinedRate);

LedgerImage currentLedgerImage();
// Replaces the books with the image: a new history of changes starts, and
// the books count as saved.
void installLedgerImage(const LedgerImage& image);

// Reads path into the tables; on success it becomes ledgerPath and both
// flags are cleared. Returns false, with the tables untouched, when the
// file cannot be read or is refused. A file that ends too early loads what
// is whole, says so and leaves ledgerPath empty, so that no Save replaces
// the original with the damaged reading.
bool loadLedger(const std::string& path);

// Whether the file's first bytes are those of a ledger ("Quirvel Version").
bool holdsLedger(const std::string& path);

// Notes the ledger file as it is on disk now as the one this program last
// read or wrote: a save asks before replacing a file that differs from it.
void rememberLedgerFile();

// "NAME is damaged: it ends before ..." for what decodeLedger could not read.
std::string damagedLedgerText(const std::string& path, int missingTransactions, int missingEntries);

// Writes the tables to ledgerPath (asking for a name when there is none),
// keeping the file it replaces as its backup. Returns true when the file
// was written.
bool saveLedger();
bool saveLedgerAs();

// The filter list of the ledger file dialogs.
std::vector<std::pair<std::string, std::string>> ledgerFileFilters();
// A file dialog for ledger files (*.qvl), opening in `folder`.
FileDialogRequest ledgerFileRequest(bool save, const std::string& caption, const std::string& folder,
                                    unsigned long flags);
