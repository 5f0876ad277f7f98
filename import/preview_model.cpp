#include "import/preview_model.h"

#include <algorithm>
#include <cmath>

#include "import/ofx_reader.h"
#include "import/own_export.h"
#include "import/proposals.h"
#include "import/qif_reader.h"
#include "ledger/tables.h"
#include "ledger/tax_arithmetic.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "text/plain_text.h"

namespace {

const char* const typeTexts[] = {"", "Service", "Expense", "Sold", "Bought", "Personal", "Earnings"};

int& columnOf(CsvColumns& c, ColumnRole role) {
    switch (role) {
    case ColumnRole::date: return c.date;
    case ColumnRole::amount: return c.amount;
    case ColumnRole::debit: return c.debit;
    case ColumnRole::credit: return c.credit;
    case ColumnRole::payee: return c.payee;
    case ColumnRole::memo: return c.memo;
    default: return c.balance;
    }
}

std::string countText(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string whyText(const ImportRow& row) {
    std::string why;
    const std::string stored = storedAsText(row);
    for (const std::string* part : {&row.problem, &row.duplicate, &row.note, &stored, &row.proposal.reason})
        if (!part->empty()) why += (why.empty() ? "" : "; ") + *part;
    return why;
}

bool rowCanBeChecked(const ImportRow& row) { return row.problem.empty() && row.date != 0; }

}  // namespace

const char* const booksCurrency = "USD";

std::string dateInWords(uint16_t packed) {
    static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    int month = (packed >> 5) & 15;
    if (packed == 0 || month < 1 || month > 12) return "";
    return std::to_string(packed & 31) + " " + months[month - 1] + " " + std::to_string((packed >> 9) + 1980);
}

// --- Reading ---

std::string ImportPreview::open(const std::string& fileName, const Bytes& bytes) {
    *this = ImportPreview{};
    fileName_ = fileName;
    format_ = detectFormat(bytes);
    std::string error;
    if (format_ == StatementFormat::csv) {
        table_ = readCsvTable(bytes);
        error = table_.error;
        if (error.empty() && table_.rows.empty() && table_.unreadable.empty())
            error = "The file holds no rows of a statement.";
        ownExport_ = error.empty() && ::isOwnExport(table_);
        key_ = statementKey(StatementFormat::csv, "", csvHeaderKey(table_));
    } else {
        statement_ = format_ == StatementFormat::ofx ? readOfx(bytes) : readQif(bytes);
        error = statement_.error;
        key_ = statement_.scope;
    }
    if (!error.empty()) return error;
    bool known = recallStatement(key_, remembered_);
    rememberedFlip_ = known && remembered_.flip && !ownExport_;
    // Turned round by what was chosen for another statement only where both
    // name the same account: files that name none share their key with
    // every other bank's of the same layout.
    flip_ = rememberedFlip_ && rememberedFlipApplies(statement_);
    if (isCsv()) columns_ = known && remembered_.hasColumns ? remembered_.columns : guessCsvColumns(table_);
    if (known) columnWidths_ = remembered_.columnWidths;
    readStatement();
    rebuildRows();
    // Amounts in another currency taken as they stand once are taken so
    // again for the same account, and the note says so.
    currencyRemembered_ = known && !foreignCurrency().empty() && remembered_.currencyTaken == foreignCurrency();
    currencyConfirmed_ = currencyRemembered_;
    return "";
}

void ImportPreview::readStatement() {
    if (ownExport_) {
        statement_ = ownExportStatement(table_);
        statement_.note = table_.note;
    } else if (format_ == StatementFormat::csv) {
        // The statement's note starts from the table's (how the text was read).
        if (columnsUsable(columns_)) {
            statement_ = csvStatement(table_, columns_);
        } else {
            statement_ = Statement{};
            statement_.note = table_.note;
        }
    }
    // One list of what could not be read, in file order, each line once.
    unreadable_ = format_ == StatementFormat::csv ? table_.unreadable : std::vector<UnreadableLine>{};
    for (const UnreadableLine& u : statement_.unreadable)
        if (std::none_of(unreadable_.begin(), unreadable_.end(),
                         [&](const UnreadableLine& v) { return v.line == u.line; }))
            unreadable_.push_back(u);
    std::stable_sort(unreadable_.begin(), unreadable_.end(),
                     [](const UnreadableLine& a, const UnreadableLine& b) { return a.line < b.line; });
    unsigned orders = statement_.dateOrders;
    orderKnown_ = true;
    orderRemembered_ = false;
    for (DateOrder o : {DateOrder::monthDayYear, DateOrder::dayMonthYear, DateOrder::yearMonthDay})
        if (orders == orderBit(o)) order_ = o;
    if (orders != 0 && (orders & (orders - 1)) != 0) {  // more than one way to read every date
        orderKnown_ = remembered_.hasOrder && (orders & orderBit(remembered_.order));
        if (orderKnown_) order_ = remembered_.order;
        orderRemembered_ = orderKnown_;
    }
}

// The rows again from the statement: another column, order or sign.
void ImportPreview::rebuildRows() {
    rows_ = buildImportRows(statement_, order_, orderKnown_, flip_);
    // Rows and unreadable lines in the order of the file.
    items_.clear();
    size_t u = 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
        while (u < unreadable_.size() && unreadable_[u].line < rows_[r].line.line)
            items_.push_back(-1 - static_cast<int>(u++));
        items_.push_back(static_cast<int>(r));
    }
    while (u < unreadable_.size()) items_.push_back(-1 - static_cast<int>(u++));
}

// After any change of a row: its marks and everybody else's.
void ImportPreview::rowsChanged() { recheckImportRows(rows_); }

ImportRow* ImportPreview::row(int n) {
    return n >= 0 && static_cast<size_t>(n) < rows_.size() ? &rows_[static_cast<size_t>(n)] : nullptr;
}
const ImportRow* ImportPreview::row(int n) const {
    return n >= 0 && static_cast<size_t>(n) < rows_.size() ? &rows_[static_cast<size_t>(n)] : nullptr;
}

// --- The user's choices ---

void ImportPreview::setColumn(ColumnRole role, int column) {
    if (!isCsv()) return;
    columnOf(columns_, role) = column;
    readStatement();
    rebuildRows();
}

void ImportPreview::setOrder(DateOrder order) {
    order_ = order;
    orderKnown_ = true;
    orderRemembered_ = false;
    rebuildRows();
}

void ImportPreview::setFlip(bool flip) {
    flip_ = flip;
    flipChosen_ = true;
    rebuildRows();
}

bool ImportPreview::setChecked(int n, bool checked) {
    ImportRow* r = row(n);
    if (!r || (checked && !rowCanBeChecked(*r))) return false;
    r->checked = checked;
    return true;
}

int ImportPreview::setAllChecked(bool checked) {
    int refused = 0;
    for (size_t r = 0; r < rows_.size(); ++r)
        if (!setChecked(static_cast<int>(r), checked)) ++refused;
    return refused;
}

void ImportPreview::setRowType(int n, uint8_t type) {
    ImportRow* r = row(n);
    if (!r || type < typeService || type > typeEarnings || type == r->proposal.type) return;
    ::setRowType(*r, type);
    r->proposal.reason = "changed here";
    rowsChanged();
}

void ImportPreview::setRowText(int n, std::string Proposal::*field, const std::string& text) {
    ImportRow* r = row(n);
    std::string kept = trimBlanks(text);
    if (!r || r->proposal.*field == kept) return;
    r->proposal.*field = kept;
    r->proposal.reason = "changed here";
    rowsChanged();
}

void ImportPreview::setRowTaxMode(int n, uint8_t mode) {
    ImportRow* r = row(n);
    if (!r || !isProductType(r->proposal.type) || mode > modeResale || mode == r->proposal.taxMode) return;
    // Specified tax starts from what the option before gave, for the user
    // to correct.
    if (mode == modeTaxSpecified) r->proposal.specifiedTax = rowTransaction(*r).salesTax;
    r->proposal.taxMode = mode;
    r->proposal.reason = "changed here";
    rowsChanged();
}

std::string ImportPreview::setRowTaxRate(int n, const std::string& percent) {
    ImportRow* r = row(n);
    if (!r || !isProductType(r->proposal.type)) return "";
    int32_t cents = 0;
    double typed = 0;
    switch (readTypedAmount(percent, cents, typed)) {
    case TypedAmount::empty: return "Type the tax rate in percent, such as 7.25.";
    case TypedAmount::number:
        if (typed >= 0 && typed < 1000) break;
        [[fallthrough]];
    default: return "The tax rate \"" + trimBlanks(percent) + "\" is not a percent from 0 to 999.";
    }
    auto rate = static_cast<float>(typed);
    if (rate == r->proposal.taxRate) return "";
    r->proposal.taxRate = rate;
    r->proposal.reason = "changed here";
    rowsChanged();
    return "";
}

std::string ImportPreview::setRowSpecifiedTax(int n, const std::string& amount) {
    ImportRow* r = row(n);
    if (!r || !isProductType(r->proposal.type) || r->proposal.taxMode != modeTaxSpecified) return "";
    int32_t cents = 0;
    double typed = 0;
    TypedAmount read = readTypedAmount(amount, cents, typed);
    if (read == TypedAmount::empty) cents = 0;
    else if (read != TypedAmount::number)
        return "The tax \"" + trimBlanks(amount) + "\" is not an amount.";
    if (cents == r->proposal.specifiedTax) return "";
    r->proposal.specifiedTax = cents;
    r->proposal.reason = "changed here";
    rowsChanged();
    return "";
}

// --- What is shown ---

std::string ImportPreview::cellText(int item, int column) const {
    if (item < 0 || static_cast<size_t>(item) >= items_.size()) return "";
    int n = items_[static_cast<size_t>(item)];
    if (n < 0) {
        // What the line holds as written, for the user to type it in by hand.
        const UnreadableLine& u = unreadable_[static_cast<size_t>(-1 - n)];
        switch (column) {
        case 0: return blankControls(u.date);
        case 1: return blankControls(u.amount);
        case 2: return blankControls(u.payee);
        case 6: return "cannot be read: line " + std::to_string(u.line) + ": " + u.reason;
        default: return "";
        }
    }
    const ImportRow& r = rows_[static_cast<size_t>(n)];
    switch (column) {
    case 0: return r.date ? formatDate(r.date) : "?";
    case 1: return rowAmountText(r);
    case 2: return blankControls(r.line.payee);
    case 3: return r.proposal.type >= 1 && r.proposal.type <= 6 ? typeTexts[r.proposal.type] : "";
    case 4: return blankControls(r.proposal.description);
    case 5: return blankControls(r.proposal.name);
    case 7: return blankControls(r.line.account);
    default: return blankControls(whyText(r));
    }
}

bool ImportPreview::itemChecked(int item) const {
    if (item < 0 || static_cast<size_t>(item) >= items_.size()) return false;
    const ImportRow* r = row(items_[static_cast<size_t>(item)]);
    return r && r->checked;
}

std::string ImportPreview::sourceText() const {
    std::string text = fileName_ + ": ";
    switch (format_) {
    case StatementFormat::csv: {
        const char* by = table_.delimiter == ';' ? "semicolon" : table_.delimiter == '\t' ? "tab" : "comma";
        if (ownExport_) {
            text += "a list exported by Quirvel, read as it was written";
            break;
        }
        text += std::string("CSV, ") + by + " separated, " +
                (table_.headerLine ? "headings on line " + std::to_string(table_.headerLine) : "no headings");
        break;
    }
    case StatementFormat::ofx: text += "OFX"; break;
    case StatementFormat::qif: text += "QIF"; break;
    }
    if (statement_.accounts.size() > 1) {
        text += ", accounts";
        for (size_t i = 0; i < statement_.accounts.size(); ++i)
            text += (i ? ", " : " ") + statement_.accounts[i];
    } else if (!statement_.account.empty()) {
        text += ", account " + statement_.account;
    }
    if (!statement_.currency.empty()) text += ", in " + statement_.currency;
    if (statement_.hasClosingBalance) text += ", closing balance " + formatAmount(statement_.closingBalance);
    return text;
}

// The first line's date both ways, and the question, while the order is open.
std::string ImportPreview::noteText() const {
    std::string note = statement_.note;
    if (isCsv() && !columnsUsable(columns_))
        note += std::string(note.empty() ? "" : "  ") +
                "Choose the columns that hold the date and the amount (or debit and credit).";
    else if (!orderKnown_ && !statement_.lines.empty())
        note += std::string(note.empty() ? "" : "  ") +
                "The dates can be read more than one way: choose under \"Dates are\".";
    // What was taken over from the last statement of this kind, so that no
    // earlier choice is applied unseen.
    std::string when = remembered_.rememberedOn ? "as at the import of " + formatDate(remembered_.rememberedOn)
                                                : "as at an earlier import";
    std::vector<std::string> taken;
    if (flip_ && rememberedFlip_ && !flipChosen_) taken.push_back("signs turned round " + when);
    if (orderKnown_ && orderRemembered_)
        taken.push_back(std::string("dates read as ") + dateOrderName(order_) + " " + when);
    if (currencyRemembered_ && currencyConfirmed_)
        taken.push_back("amounts in " + foreignCurrency() + " taken as they stand " + when);
    if (!taken.empty()) {
        note += std::string(note.empty() ? "" : "  ") + "Remembered: " + taken[0];
        for (size_t i = 1; i < taken.size(); ++i) note += "; " + taken[i];
        note += ".";
    }
    if (!flip_ && rememberedFlip_ && !flipChosen_)
        note += std::string(note.empty() ? "" : "  ") + "The last statement with these headings had its signs " +
                "turned round (" + when.substr(6) + "); this file names no account: tick the box if its signs " +
                "need it too.";
    return note;
}

ImportPreview::Footer ImportPreview::footer() const {
    size_t added = 0, marked = 0, leftOut = 0, unreadable = unreadable_.size();
    const std::string* firstProblem = nullptr;
    int firstLine = 0;
    for (const ImportRow& r : rows_) {
        if (r.checked) ++added;
        if (r.mark == RowMark::leftOut) ++leftOut;
        else if (!r.duplicate.empty()) ++marked;
        if (!r.problem.empty()) {
            ++unreadable;
            if (!firstProblem || r.line.line < firstLine) {
                firstProblem = &r.problem;
                firstLine = r.line.line;
            }
        }
    }
    if (!unreadable_.empty() && (!firstProblem || unreadable_.front().line < firstLine)) {
        firstProblem = &unreadable_.front().reason;
        firstLine = unreadable_.front().line;
    }
    std::string text = countText(added, "row will be added, ", "rows will be added, ") +
                       countText(marked, "is marked as already in the books, ", "are marked as already in the books, ") +
                       (leftOut ? countText(leftOut, "was left out before, ", "were left out before, ") : "") +
                       std::to_string(unreadable) + " could not be read";
    if (firstProblem) text += " (line " + std::to_string(firstLine) + ": " + *firstProblem + ")";
    text += ".";
    std::string fit = importFitProblem(rows_);
    std::string foreign = foreignCurrency();
    bool currencyOpen = !foreign.empty() && !currencyConfirmed_;
    if (!orderKnown_)
        text += "\r\nChoose how the dates are written before importing.";
    else if (!fit.empty())
        text += "\r\n" + fit;
    else if (currencyOpen)
        text += "\r\nThe amounts are in " + foreign + ", the books in " + booksCurrency +
                ": tick \"Take the amounts as they stand\" to import them unconverted.";
    return {text, added > 0 && orderKnown_ && fit.empty() && !currencyOpen};
}

void ImportPreview::setColumnWidths(std::vector<int> widths) {
    bool any = std::any_of(widths.begin(), widths.end(), [](int w) { return w > 0; });
    columnWidths_ = any ? std::move(widths) : std::vector<int>{};
}

std::string ImportPreview::foreignCurrency() const {
    const std::string& c = statement_.currency;
    return c.empty() || c == booksCurrency ? "" : c;
}

std::string ImportPreview::balanceText() const {
    std::string text;
    if (orderKnown_) text = balanceCheck(statement_, rows_);
    if (text.empty() && statement_.hasClosingBalance)
        text = "The closing balance " + formatAmount(statement_.closingBalance) +
               " is checked from the next statement of this account on: none was imported before.";
    return text;
}

std::vector<std::pair<DateOrder, std::string>> ImportPreview::orderChoices() const {
    std::vector<std::pair<DateOrder, std::string>> choices;
    const WrittenDate* first = statement_.lines.empty() ? nullptr : &statement_.lines.front().date;
    for (DateOrder o : {DateOrder::monthDayYear, DateOrder::dayMonthYear, DateOrder::yearMonthDay}) {
        if (!(statement_.dateOrders & orderBit(o))) continue;
        std::string text = dateOrderName(o);
        if (first && dateInOrder(*first, o))
            text += ": the first date is " + formatDate(dateInOrder(*first, o)) + ", " +
                    dateInWords(dateInOrder(*first, o));
        choices.emplace_back(o, text);
    }
    return choices;
}

std::vector<std::pair<int, std::string>> ImportPreview::columnChoices() const {
    std::vector<std::pair<int, std::string>> choices = {{-1, "(none)"}};
    size_t count = table_.header.size();
    for (const CsvRow& r : table_.rows) count = std::max(count, r.fields.size());
    count = std::min<size_t>(count, 200);  // a box of ten thousand columns helps nobody
    for (size_t c = 0; c < count; ++c) {
        std::string name = c < table_.header.size() ? blankControls(trimBlanks(table_.header[c])) : "";
        std::string text = std::to_string(c + 1) + (name.empty() ? "" : ": " + name);
        if (text.size() > 60) text.resize(60);
        choices.emplace_back(static_cast<int>(c), text);
    }
    return choices;
}

int ImportPreview::column(ColumnRole role) const {
    CsvColumns c = columns_;
    return columnOf(c, role);
}

std::string ImportPreview::taxRateText(int n) const {
    const ImportRow* r = row(n);
    if (!r || !isProductType(r->proposal.type)) return "";
    float rate = r->proposal.taxRate;
    return std::isfinite(rate) ? formatMask(rate, "0.000") : "";
}

std::string ImportPreview::taxText(int n) const {
    const ImportRow* r = row(n);
    if (!r || !isProductType(r->proposal.type)) return "";
    int32_t tax = rowTransaction(*r).salesTax;
    return tax == 0 ? "0.00" : formatAmount(tax);
}

// --- Import ---

std::string ImportPreview::acceptRefusal() const {
    size_t checked = std::count_if(rows_.begin(), rows_.end(), [](const ImportRow& r) { return r.checked; });
    if (isCsv() && !columnsUsable(columns_))
        return "Choose the columns that hold the date and the amount (or debit and credit) first.";
    if (!orderKnown_) return "Choose how the dates are written (\"Dates are\") first.";
    if (!foreignCurrency().empty() && !currencyConfirmed_)
        return "The amounts are in " + foreignCurrency() + ", the books in " + booksCurrency +
               ". Tick \"Take the amounts as they stand\" to import them unconverted, or cancel.";
    if (checked == 0) return "No row is checked: there is nothing to import.";
    return importFitProblem(rows_);
}

RememberedStatement ImportPreview::toRemember(uint16_t today) const {
    RememberedStatement r = remembered_;
    r.rememberedOn = today;
    r.hasColumns = isCsv();
    r.columns = columns_;
    r.flip = flip_;
    unsigned orders = statement_.dateOrders;
    r.hasOrder = (orders & (orders - 1)) != 0;
    r.order = order_;
    r.currencyTaken = currencyConfirmed_ ? foreignCurrency() : "";
    r.columnWidths = columnWidths_;
    return r;
}

bool ImportPreview::closingBalance(uint16_t today, RememberedBalance& balance) const {
    return closingBalanceOf(statement_, rows_, today, balance);
}
