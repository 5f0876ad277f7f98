// A statement line as the import preview holds it: the line, what it would
// become, and what the books and the lines remembered beside them say of it.
#pragma once
#include <cstdint>
#include <string>

#include "import/statement.h"
#include "ledger/tables.h"

struct Proposal {
    uint8_t type = typeExpense;
    std::string description, name;  // texts; an entry is added where the list lacks one
    uint8_t taxMode = modeNoTax;    // products only: the handling of the transaction it follows
    float taxRate = 0;
    // Products with "Specify tax" only: the tax the bank's amount holds.
    int32_t specifiedTax = 0;
    // A line of the list's own export, stored as it was exported (the
    // line's entry, with these texts, type, tax option and rate).
    bool exact = false;
    // Proposed left out: the line moves the business's own money (a
    // transfer, cash taken out, a card paid off) and is neither income nor
    // expense. Its row starts unchecked; checked by the user it is imported
    // as proposed, else remembered as left out by the user.
    bool leftOut = false;
    // Why: "as on 03-14-2025", "money in", "money out", "the bank says INT",
    // "money in, though the bank says FEE", "transfer", "transfer between
    // 9100 and 9200", "as exported", with "; new name", "; new description"
    // or "; new name and description" where importing it adds to the lists.
    std::string reason;
};

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
