// What an imported statement line becomes: the proposal drawn from the
// books, the rules every typed entry obeys, the duplicate count, and the
// one change of the books that adds the checked rows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "import/import_row.h"
#include "import/statement.h"
#include "ledger/tables.h"

// From the books as they are: a payee seen before (as a name, or as the bank
// payee of an earlier import) gets the type, description, name and, for
// products, the tax handling of the latest transaction with that name whose
// type moves money the line's way. Otherwise money in proposes Service and
// money out Expense, unless the bank's type word says more (bank_types.h):
// interest and dividends are Earnings, fees Expense, and a transfer, cash
// or a card paid off is left out ("transfer"); a word against the money's
// direction gives way to it ("money in, though the bank says FEE"). Such a
// line is named by its payee, and described by its memo only where the memo
// says more than the payee and the bank's type word (memoSaysMore), so that
// the lists get no bank codes and no second copy of the payee; without a
// payee the memo is all there is. The reason ends in "; new name", "; new
// description" or "; new name and description" where importing the
// proposal adds to the lists as they are. A line of the list's own export
// is proposed as exactly what it was ("as exported").
Proposal proposeFor(const StatementLine& line);

// The rows of a statement in its date order (or none yet), signs flipped
// when asked, with proposals, rule checks and duplicate marks; a row is
// checked when it is readable, not marked and not proposed left out. Lines
// of different accounts of the file with the same date and opposite amounts
// are a transfer between them (transfer_pairs.h) and both are left out
// ("transfer between 9100 and 9200"), unless a payee's history or the bank
// (interest, a fee) says what one of them is. Lines of the list's own
// export are never flipped: each says which way its money went.
std::vector<ImportRow> buildImportRows(const Statement& statement, DateOrder order, bool orderKnown, bool flip);

// After a row's proposal was changed: the rules and the duplicate marks of
// every row again (a new name changes the counts). Checks stay as the user
// left them, except that a row with a problem is unchecked.
void recheckImportRows(std::vector<ImportRow>& rows);

// The transaction a row stores: the amount's sign by the type (money out
// for Expense, Bought and Personal is a positive amount of those), the tax
// split by the proposal's handling ("Specify tax": the proposal's
// specifiedTax is the part of the bank's amount that is tax). A row of the
// list's own export that keeps its type and tax option stores its fields
// as exported, with the proposal's texts and rate. Indices are those of
// entries that exist now, 0 for a text the lists lack.
Transaction rowTransaction(const ImportRow& row);

// Gives a row another type, as the preview's Type box does. A product row
// always has a tax option: the one it had as a product, else the latest
// product handling of its name (or the bank's payee), else "Tax already
// included" at the combined rate, since the bank's amount is what was paid,
// tax and all. Other types have none. A row of the list's own export given
// another type is a bank line from then on, for good: its money is what the
// export's total moved (a mileage row's is none), its texts stay, and a
// product's "Specify tax" keeps the tax it had.
void setRowType(ImportRow& row, uint8_t type);

// The preview's Amount: "23.40 miles" for a mileage row of the list's own
// export, else the money as the statement moved it ("0.00" for none).
std::string rowAmountText(const ImportRow& row);

// "stored as Earnings -12.00" for a row whose type goes against its money
// (money out as an earning, money in as an expense); "" otherwise.
std::string storedAsText(const ImportRow& row);

// Whether the checked rows fit the tables (transactions, names,
// descriptions, counting only the texts the lists lack); otherwise a message
// saying how many fit and that none is imported until enough are unchecked.
std::string importFitProblem(const std::vector<ImportRow>& rows);

// Whether the statement's balances agree with its rows: a CSV balance column
// line by line (in either order of the file), an OFX closing balance from
// the latest balance these books remember for its account from before the
// statement's last day, plus every line of the statement after that day, as
// the bank wrote them (or that it cannot be checked, when every balance
// remembered is as of its last day or later). "" when there is nothing to
// check.
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
