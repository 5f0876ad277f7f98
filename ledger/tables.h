// The open ledger: transactions, descriptions, names, the tax rates and the
// file flags. One copy of everything, shared by every window.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ledger/tax_facts.h"
#include "text/plain_text.h"
#include "text/shared_text.h"

struct Transaction {
    uint16_t date = 0;        // packed date
    uint8_t type = 0;         // 1..6
    uint16_t descrIndex = 0;  // 0 = none
    uint16_t nameIndex = 0;   // 0 = none
    int32_t amount = 0;       // hundredths (of money, or of a mile)
    int32_t handling = 0;
    int32_t shipping = 0;
    uint8_t taxMode = 255;    // 0..3, 255 = no tax option
    float taxRate = 0;        // percent, for information only
    int32_t salesTax = 0;
    uint16_t reserved = 0;
};

// A statement line this ledger has met at an import: added to the books or
// left out by the user. It is known again by what the bank wrote (its
// account, its id, date, amount, payee and memo, and which of several
// identical lines of one statement it was), never by what the books made of
// it, so that renaming, changing or archiving its transaction changes
// nothing here.
struct BankLine {
    enum Status : uint8_t { imported = 0, leftOut = 1 };
    int64_t amount = 0;       // hundredths, signed as the bank wrote it
    SharedText scope;         // the account or layout its bank id is unique in: "OFX 1234/5678", "CSV <headings>"
    SharedText payee;         // as the bank wrote it
    SharedText name;          // the name it was booked under, for proposals only
    SharedText archivedTo;    // the archive file its transaction was moved to
    std::string bankId;       // the bank's own id for the line, "" without one
    std::string memo;         // as the bank wrote it
    uint32_t tag = 0;         // the transaction it became (transactionTags), 0 for none
    uint16_t importedOn = 0;  // packed date of the import that met it
    uint16_t date = 0;        // packed, as the statement dates it
    uint16_t occurrence = 1;  // the n-th of identical lines in its statement
    uint8_t status = imported;
    bool flipped = false;     // the signs were turned round: the books' money is -amount
    bool hint = false;        // remembered by a side file written with other books: unproven
    bool legacy = false;      // from the first side file: account, memo and sign are unknown
    int64_t money() const { return flipped ? -amount : amount; }
};

// A closing balance a statement gave for an account, as of its last day.
struct RememberedBalance {
    SharedText scope;
    uint16_t asOf = 0;
    int64_t amount = 0;  // as the bank wrote it
    uint16_t importedOn = 0;
};

// An archive file written from these books.
struct ArchiveNote {
    std::string path;
    uint16_t cutoff = 0;
    uint16_t writtenOn = 0;
};

// When a schedule's entries fall: every N days, weeks, months or years,
// months and years on a day of the month, its last day or the n-th
// weekday; from a first date, for ever, a number of times or up to a date.
struct ScheduleRule {
    enum Unit : uint8_t { days = 0, weeks = 1, months = 2, years = 3 };
    enum DayKind : uint8_t { onDay = 0, lastDay = 1, nthWeekday = 2 };
    enum EndKind : uint8_t { never = 0, afterCount = 1, onDate = 2 };
    uint8_t unit = months;
    uint16_t every = 1;      // 1..maxScheduleEvery
    uint8_t dayKind = onDay;  // months and years only
    uint8_t day = 1;         // onDay: 1..31, the month's last day where it has fewer
    uint8_t week = 1;        // nthWeekday: 1..4, 5 = the last one
    uint8_t weekday = 0;     // nthWeekday: 0 = Sunday .. 6 = Saturday
    uint16_t first = 0;      // packed; years keep its month
    uint8_t endKind = never;
    uint16_t count = 0;      // afterCount: how many entries in all
    uint16_t until = 0;      // onDate: packed, the last day one may fall on
    bool operator==(const ScheduleRule& o) const;
};

// An entry that repeats. Its description and name are kept as texts (their
// group is that of the record's type), since removals renumber the lists;
// the record's descrIndex and nameIndex stay 0.
struct Schedule {
    uint32_t id = 0;           // given once in these books, never reused
    Transaction record;
    std::string description;   // the entry without its group byte, "" for none
    std::string name;
    ScheduleRule rule;
    uint16_t handledUpTo = 0;  // packed: every entry up to it posted or skipped (0: none yet)
    std::vector<uint16_t> handledAfter;  // later entries posted or skipped while earlier ones wait, ascending
    bool hint = false;         // from a side file written with other books: unproven
    bool operator==(const Schedule& o) const;
};

// Everything a ledger keeps beside its file rather than in it.
struct SideData {
    std::vector<BankLine> lines;  // in the order met
    std::vector<RememberedBalance> balances;
    std::vector<ArchiveNote> archives;
    TaxFacts tax;
    std::vector<Schedule> schedules;
    std::vector<std::string> otherRecords;  // kinds a later version wrote, kept as read
    bool empty() const {
        return lines.empty() && balances.empty() && archives.empty() && tax.empty() && schedules.empty() &&
               otherRecords.empty();
    }
};

constexpr int maxTransactions = 5000;
constexpr int maxDescriptions = 500;
constexpr int maxNames = 1000;
constexpr size_t maxEntryBytes = 255;  // group byte included; the file stores one length byte
constexpr int maxScheduleEvery = 999;

// Transaction types and the list group their entries belong to.
enum : uint8_t { typeService = 1, typeExpense = 2, typeSold = 3, typeBought = 4, typePersonal = 5, typeEarnings = 6 };
enum : uint8_t { modeTaxAdded = 0, modeTaxIncluded = 1, modeTaxSpecified = 2, modeResale = 3, modeNoTax = 255 };
inline bool isProductType(int type) { return type >= 3 && type <= 5; }
inline uint8_t listGroupOf(int type) { return static_cast<uint8_t>(isProductType(type) ? 3 : type); }

// The open books, the tax rates and the file flags, declared once:
// resetLedgerTables puts back these defaults with `ledger = {}`.
struct LedgerState {
    std::array<Transaction, maxTransactions + 1> transactions;  // 1-based, in date order
    uint16_t transactionCount = 0;
    std::array<std::string, maxDescriptions + 1> descriptions;  // group byte + text
    uint16_t descrCount = 0;
    std::array<std::string, maxNames + 1> names;
    uint16_t nameCount = 0;
    std::array<std::string, 7> typeNames = {"", "Service ", "Expense ", "Sold    ", "Bought  ", "Personal", "Earnings"};
    double stateTaxRate = 0, countyTaxRate = 0, localTaxRate = 0, districtTaxRate = 0;
    double combinedTaxRate = 0;
    // Which transaction is which while positions change: a number given
    // when a transaction is added, moved along with it, never reused.
    std::array<uint32_t, maxTransactions + 1> transactionTags{};
    uint32_t nextTag = 1;
    uint32_t nextScheduleId = 1;    // likewise for schedules, past every one in ledger.beside
    SideData beside;                // kept in the side file beside the ledger file
    bool sideFileDamaged = false;   // the side file could not be read
    std::string ledgerPath;
    std::string dataFolder;
    bool ledgerChanged = false;    // the tables hold what the ledger file does not (written by ledger/changes only)
    bool settingsChanged = false;  // the settings file is to be written at quit
};
extern LedgerState ledger;

// The names the rest of the program knows them by.
inline auto& transactions = ledger.transactions;
inline uint16_t& transactionCount = ledger.transactionCount;
inline auto& descriptions = ledger.descriptions;
inline uint16_t& descrCount = ledger.descrCount;
inline auto& names = ledger.names;
inline uint16_t& nameCount = ledger.nameCount;
inline auto& typeNames = ledger.typeNames;
inline double& stateTaxRate = ledger.stateTaxRate;
inline double& countyTaxRate = ledger.countyTaxRate;
inline double& localTaxRate = ledger.localTaxRate;
inline double& districtTaxRate = ledger.districtTaxRate;
inline double& combinedTaxRate = ledger.combinedTaxRate;
inline auto& transactionTags = ledger.transactionTags;
inline std::string& ledgerPath = ledger.ledgerPath;
inline std::string& dataFolder = ledger.dataFolder;
inline bool& ledgerChanged = ledger.ledgerChanged;
inline bool& settingsChanged = ledger.settingsChanged;

enum ListKind { nameList = 0, descrList = 1 };

// What a list entry shows: the entry without its group byte.
std::string entryText(const std::string& entry);
std::string descriptionText(uint16_t index);  // "" for 0 or out of range
std::string nameText(uint16_t index);
// The same texts without a copy, valid until the table changes.
std::string_view descriptionView(uint16_t index);
std::string_view nameView(uint16_t index);

// Empties every table and flag, the history of changes with them, and
// fills typeNames (defined with the edits, in changes.cpp).
void resetLedgerTables();

void recomputeCombinedRate();

// The position a record dated `date` takes among transactions 1..count.
int insertPosition(uint16_t date);

// Where each tagged transaction stands now: tag -> position.
std::unordered_map<uint32_t, int> transactionPositions();

// Whether a description or name of this text fits a list entry, and the
// message that refuses one that does not; `what` names the text ("text",
// "description", "name").
bool fitsListEntry(const std::string& text);
std::string tooLongMessage(const std::string& what);
// The same as a reason in a list of rows: "the name is too long: at most 254 characters".
std::string tooLongReason(const std::string& what);

