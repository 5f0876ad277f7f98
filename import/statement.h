// A bank statement as the readers give it: one line per booking, with its
// date as written, its signed amount and the texts the bank put with it.
// Nothing here knows the books; proposals and duplicates come later.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "import/statement_text.h"
#include "ledger/file_access.h"

// The three ways a statement writes its dates. One order holds for the
// whole file, never decided line by line.
enum class DateOrder : uint8_t { monthDayYear = 0, dayMonthYear = 1, yearMonthDay = 2 };
constexpr unsigned orderBit(DateOrder o) { return 1u << static_cast<unsigned>(o); }
constexpr unsigned allDateOrders = 7;

// A date as written. The year is already complete ("'18" is 2018, "98" is
// 1998); `first` and `second` are the other two fields in the order they
// stand. With yearFirst (2014-12-31, 20141231) they are month then day.
struct WrittenDate {
    int year = 0;
    int first = 0, second = 0;
    bool yearFirst = false;
};

// The orders this date can be read in (a mask of orderBit), 0 when it is
// no date in any order or lies outside 1980..2107.
unsigned possibleOrders(const WrittenDate& date);
// The packed date in an order, or 0 when it is no date in that order.
uint16_t dateInOrder(const WrittenDate& date, DateOrder order);
// "03-14-2026" or "2026-03-14": the fields as they stand, for messages.
std::string writtenDateText(const WrittenDate& date);
// "month-day-year" and so on, for the preview.
const char* dateOrderName(DateOrder order);

// A transaction exactly as the list's own export wrote it: every field as
// the record holds it, the texts in the program's code page.
struct ExportedEntry {
    uint8_t type = 0;
    std::string description, name;
    int32_t amount = 0, handling = 0, shipping = 0, salesTax = 0;  // hundredths (of a mile for mileage)
    uint8_t taxMode = 255;  // 255: no tax option
    float taxRate = 0;
};

struct StatementLine {
    int line = 0;            // where it starts in the file, from 1
    WrittenDate date;
    int64_t amount = 0;      // hundredths; money in is positive
    std::string payee, memo; // in the program's code page (Windows-1252), blanks trimmed
    std::string bankId;      // the bank's own id (OFX FITID), "" where there is none
    std::string pastCents;   // the amount as written when it has digits past the cents, "" otherwise
    bool hasBalance = false; // a CSV balance column: the balance after this line
    int64_t balance = 0;
    // What the bank says the line is, as it wrote it: an OFX TRNTYPE
    // ("INT", "XFER") or the text of a CSV type column ("DEBIT", "Transfer"),
    // "" where the file says nothing.
    std::string bankType;
    // The account the line belongs to, in a file that holds several
    // (a multi-account OFX); "" otherwise.
    std::string account;
    // A line of the list's own export: `entry` is the transaction it was,
    // `amount` its money as a statement would show it (0 for mileage).
    bool exported = false;
    ExportedEntry entry;
};

// A line that could not be read, and why ("the amount \"12,3x\" is not a number").
struct UnreadableLine {
    int line = 0;
    std::string reason;
    // What the line holds as written, so that it can be typed in by hand:
    // the date, amount and payee texts where the reader found them (the
    // memo where it has no payee), blanks trimmed; "" where it has none.
    std::string date, amount, payee;
};

struct Statement {
    std::vector<StatementLine> lines;  // in the order of the file
    std::vector<UnreadableLine> unreadable;
    // What the lines' dates allow, the intersection over every line (set by
    // the reader through decideDateOrders).
    unsigned dateOrders = 0;
    // OFX BANKID/ACCTID or QIF !Account name; "" when the file names none
    // or several (an OFX's lines then name theirs, and its scope stays
    // "OFX " as it has always been).
    std::string account;
    // Every account the file holds lines of, in file order, when it holds
    // more than one (the lines then name theirs); empty otherwise.
    std::vector<std::string> accounts;
    // The currency the amounts are in, as the file says it (OFX CURDEF, a
    // CSV currency column: "USD", "EUR"), upper case; "" when it does not.
    std::string currency;
    // What the lines' bank ids are unique in, and what is remembered about
    // statements of this kind: the file type, the account where the file
    // names one, and for a CSV its headings (statementKey).
    std::string scope;
    std::string note;     // shown in the preview, e.g. how the text was decoded
    bool hasClosingBalance = false;  // OFX LEDGERBAL
    int64_t closingBalance = 0;
    std::string error;    // not empty: nothing could be read, and why
};

// The orders every line allows. A line that no common order can read is
// moved to unreadable when the other lines decide the order ("the date
// 31-31-2026 is no date as month-day-year").
void decideDateOrders(Statement& statement);

enum class StatementFormat { csv, ofx, qif };
// "CSV Date,Amount,Payee", "OFX 123456789/0001", "QIF Checking".
std::string statementKey(StatementFormat format, const std::string& account, const std::string& headings);
// From the content, not the file name: OFX/QFX by its header or <OFX>,
// QIF by a leading !Type or !Account line, anything else CSV. Looked for in
// the decoded text, so UTF-16 files are told apart too.
StatementFormat detectFormat(const Bytes& bytes);
