// What an imported statement line becomes: the proposal drawn from the
// books, the rules every typed entry obeys, the duplicate count, and the
// one change of the books that adds the checked rows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "import/statement.h"
#include "ledger/tables.h"

struct Proposal {
    uint8_t type = typeExpense;
    std::string description, name;  // texts; an entry is added where the list lacks one
    uint8_t taxMode = modeNoTax;    // products only: the handling of the transaction it follows
    float taxRate = 0;
    std::string reason;             // "as on 03-14-2025", "money in", "money out"
};

// From the books as they are: a payee seen before (as a name, or as the bank
// payee of an earlier import) gets the type, description, name and, for
// products, the tax handling of the latest transaction with that name;
// otherwise money in proposes Service and money out Expense, with the payee
// as the name and the memo (or, without one, the payee) as the description.
Proposal proposeFor(const StatementLine& line);

// What the books and the lines remembered beside them say of a row.
enum class RowMark : uint8_t {
    none,
    inBooks,          // a transaction of its date, amount and name is in the books ("1 of 2 already in the books")
    earlierRow,       // the same bank id, date and amount on an earlier row of this statement
    imported,         // imported before, and its transaction is in the books or an archive
    importedDeleted,  // imported before, and its transaction deleted since
    leftOut,          // left out by the user at an earlier import
    notInBooks,       // remembered as imported by a side file of other books, but not in these: checked
};

struct ImportRow {
    StatementLine line;  // amount after any sign flip
    uint16_t date = 0;   // packed, in the statement's order; 0 while the order is undecided
    bool flipped = false;   // the signs were turned round: the bank wrote -line.amount
    SharedText scope;       // the statement's (Statement::scope)
    Proposal proposal;
    std::string problem;    // not empty: the row breaks a rule and cannot be imported (why)
    std::string duplicate;  // not empty: not to be imported again (why), e.g. "imported on 03-02-2026"
    std::string note;       // shown with the row without unchecking it ("imported on ..., not in these books")
    RowMark mark = RowMark::none;
    int remembered = -1;    // the remembered line (ledger.beside.lines) it is, -1 for none
    int occurrence = 1;     // the n-th row of this statement with its date, amount, payee and memo
    bool checked = false;
    int64_t bankAmount() const { return flipped ? -line.amount : line.amount; }
};

// The rows of a statement in its date order (or none yet), signs flipped
// when asked, with proposals, rule checks and duplicate marks; a row is
// checked when it is readable and not marked.
std::vector<ImportRow> buildImportRows(const Statement& statement, DateOrder order, bool orderKnown, bool flip);

// After a row's proposal was changed: the rules and the duplicate marks of
// every row again (a new name changes the counts). Checks stay as the user
// left them, except that a row with a problem is unchecked.
void recheckImportRows(std::vector<ImportRow>& rows);

// The transaction a row stores: the amount's sign by the type (money out
// for Expense, Bought and Personal is a positive amount of those), the tax
// split by the proposal's handling. Indices are those of entries that exist
// now, 0 for a text the lists lack.
Transaction rowTransaction(const ImportRow& row);

// Whether the checked rows fit the tables (transactions, names,
// descriptions, counting only the texts the lists lack); otherwise a message
// saying how many fit and that none is imported until enough are unchecked.
std::string importFitProblem(const std::vector<ImportRow>& rows);

// Whether the statement's balances agree with its rows: a CSV balance column
// line by line (in either order of the file), an OFX closing balance from
// the latest balance these books remember for its account from before the
// statement's last day, plus every line of the statement after that day, as
// the bank wrote them. "" when there is nothing to check.
std::string balanceCheck(const Statement& statement, const std::vector<ImportRow>& rows);

// The closing balance an import of these rows remembers for the account:
// false when the statement gives none or no row is dated.
bool closingBalanceOf(const Statement& statement, const std::vector<ImportRow>& rows, uint16_t importedOn,
                      RememberedBalance& balance);

// Adds the checked rows with their new list entries as edits of the books,
// and remembers beside the ledger every row imported or left out by the
// user (dated importedOn) and the closing balance when one is given; the
// caller commits them as one step. Returns the position of the first row
// added, 0 when none was (refused with a message when they do not fit).
int importCheckedRows(const std::vector<ImportRow>& rows, uint16_t importedOn,
                      const RememberedBalance* closing = nullptr);
