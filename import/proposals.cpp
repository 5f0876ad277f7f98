#include "import/proposals.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "import/bank_types.h"
#include "import/duplicates.h"
#include "import/line_texts.h"
#include "import/own_export.h"
#include "import/transfer_pairs.h"
#include "ledger/changes.h"
#include "ledger/tax_arithmetic.h"
#include "lists/entry_matching.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "text/plain_text.h"
#include "ui/prompts.h"

namespace {

// Money as a row shows it: zero too.
std::string money(int64_t cents) { return cents == 0 ? "0.00" : formatAmount(cents); }

std::string thousands(int64_t n) {
    std::string digits = std::to_string(n < 0 ? -n : n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return n < 0 ? "-" + out : out;
}

// "1 row", "28 rows"
std::string counted(int64_t n, const std::string& one, const std::string& many) {
    return thousands(n) + " " + (n == 1 ? one : many);
}

// A percent the books may hold that a tax split can use; anything else
// (a damaged file's NaN, a negative or absurd rate) splits nothing off.
float usableRate(float rate) { return std::isfinite(rate) && rate >= 0 && rate < 1000 ? rate : 0; }

bool amountFitsRecord(int64_t amount) { return amount >= -INT32_MAX && amount <= INT32_MAX; }

int64_t magnitude(int64_t v) { return v < 0 ? -v : v; }

// A description or name as it is stored: a bank's text as a box shows it,
// an exported one as the record held it (a text of nothing but blanks is
// none either way).
std::string storedText(const ImportRow& row, const std::string& text) {
    std::string clean = cleanText(text);
    return storesExactly(row) && !clean.empty() ? text : clean;
}

// The money a row's transaction is to total, signed as the type stores it.
int64_t storedTotal(const ImportRow& row) {
    return isMoneyIn(row.proposal.type) ? row.line.amount : -row.line.amount;
}

// The entries of a list by group and text (letter case ignored; blanks at
// the ends and control characters too, but for a text looked up as written),
// taken once for a whole statement.
class ListTexts {
public:
    explicit ListTexts(ListKind list) : list_(list) {
        int count = list == descrList ? descrCount : nameCount;
        for (int i = 1; i <= count; ++i) {
            const std::string& e = list == descrList ? descriptions[i] : names[i];
            if (e.empty()) continue;
            uint8_t group = static_cast<uint8_t>(e[0]);
            std::string text = entryText(e);
            index_.emplace(key(group, cleanText(text)), i);
            // A text of the list's own export is looked up as it was
            // written, blanks and all.
            index_.emplace(key(group, text), i);
        }
    }
    // 0 for none or an empty text.
    uint16_t find(uint8_t group, const std::string& text) const {
        if (text.empty()) return 0;
        auto e = index_.find(key(group, text));
        return e == index_.end() ? 0 : e->second;
    }
    // The entry for text, appended to the list where it lacks one.
    uint16_t entryFor(uint8_t group, const std::string& text) {
        uint16_t e = find(group, text);
        if (e || text.empty()) return e;
        e = static_cast<uint16_t>(appendListEntry(list_, group, text));
        if (e) {
            index_.emplace(key(group, cleanText(text)), e);
            index_.emplace(key(group, text), e);
        }
        return e;
    }

private:
    static std::string key(uint8_t group, const std::string& text) {
        return static_cast<char>(group) + folded(text);
    }
    ListKind list_;
    std::unordered_map<std::string, uint16_t> index_;  // the first entry of each text
};

// What proposals draw from the books: the latest transaction of each name
// text (latest date, then highest position; mileage left out) and the name
// each bank payee was last imported as.
struct BookIndex {
    std::unordered_map<std::string, int> latestByName[2];  // money out, money in
    std::unordered_map<std::string, std::string> importedName;
    BookIndex() {
        for (int i = 1; i <= transactionCount; ++i) {
            const Transaction& t = transactions[i];
            // A product taken for personal use moves no money: no statement
            // line is one.
            if (isMileage(t) || t.type < typeService || t.type > typeEarnings || t.type == typePersonal) continue;
            std::string name = cleanText(nameText(t.nameIndex));
            if (name.empty()) continue;
            int& best = latestByName[isMoneyIn(t.type)][folded(name)];
            if (!best || t.date >= transactions[best].date) best = i;
        }
        // The name a payee's line was booked under: its transaction's name
        // now, where the books still hold it (a rename follows), else the
        // name it was given.
        std::unordered_map<uint32_t, int> positions = transactionPositions();
        for (const BankLine& l : ledger.beside.lines) {
            if (l.status != BankLine::imported) continue;
            auto at = l.tag ? positions.find(l.tag) : positions.end();
            std::string payee = cleanText(l.payee);
            std::string name = cleanText(at != positions.end() ? nameText(transactions[at->second].nameIndex) : l.name.str());
            if (!payee.empty() && !name.empty()) importedName[folded(payee)] = name;  // the later import wins
        }
    }
    // The latest transaction of a name whose type moves money the way the
    // line does: a fee is never proposed as a negative earning because the
    // bank pays interest under the same name.
    int latestNamed(const std::string& text, bool moneyIn) const {
        auto t = latestByName[moneyIn].find(folded(text));
        return text.empty() || t == latestByName[moneyIn].end() ? 0 : t->second;
    }
};

// What proposals draw from: the books and the lists as they are, taken once
// for a whole statement.
struct ProposalSources {
    BookIndex books;
    ListTexts names{nameList}, descriptions{descrList};
};

std::string dateProblem(const StatementLine& line, bool orderKnown, DateOrder order) {
    if (line.date.year < 1980 || line.date.year > 2107)
        return "the year " + std::to_string(line.date.year) + " lies outside 1980 to 2107";
    if (orderKnown && dateInOrder(line.date, order) == 0)
        return "the date " + writtenDateText(line.date) + " is no date as " + dateOrderName(order);
    return "";
}

// The rules every typed transaction obeys, the date aside. A row of the
// list's own export is a typed entry already: its amounts were checked when
// it was read, and it may be mileage or a product taken for personal use.
std::string textProblem(const ImportRow& row) {
    const Proposal& p = row.proposal;
    const bool exact = storesExactly(row);
    std::string description = storedText(row, p.description), name = storedText(row, p.name);
    if (p.type < typeService || p.type > typeEarnings) return "no type of transaction is chosen";
    if (!exact && !amountFitsRecord(row.line.amount))
        return "the amount " + money(row.line.amount) + " is beyond what a record can hold";
    // Cut to the cent it would be another amount than the bank's.
    if (!exact && !row.line.pastCents.empty())
        return "the amount " + row.line.pastCents + " has more digits than cents: a record keeps whole cents";
    if (!fitsListEntry(description))
        return tooLongReason("description");
    if (!fitsListEntry(name))
        return tooLongReason("name");
    // The description says whether the amount is miles or money.
    bool mileage = p.type == typeExpense && isMileageDescription(description);
    if (storesMiles(row) && !mileage) return "the row records miles: keep its description Mileage";
    if (!storesMiles(row) && mileage) return "a mileage expense records miles, not money: choose another description";
    if (p.type == typePersonal && !exact)
        return "a product taken for personal use moves no money: choose another type";
    // The amount the record gets: with "Specify tax", what is left of the
    // bank's amount after the tax.
    int64_t amount = exact ? row.line.entry.amount : row.line.amount;
    if (!exact && isProductType(p.type) && p.taxMode == modeTaxSpecified) {
        int64_t total = storedTotal(row);
        if (magnitude(p.specifiedTax) > magnitude(total))
            return "the tax " + money(magnitude(p.specifiedTax)) + " is more than the amount " + money(magnitude(total));
        amount = total - p.specifiedTax;
        if (!amountFitsRecord(amount)) return "the amount " + money(amount) + " is beyond what a record can hold";
    }
    // The entry dialog's own rules, in its words.
    if (description.empty() && name.empty()) return "No description or name entered";
    if (amount == 0) return "No amount specified";
    return "";
}

// The date problems a row can have been given when it was built.
bool isDateProblem(const ImportRow& row) {
    if (row.problem.empty()) return false;
    for (DateOrder o : {DateOrder::monthDayYear, DateOrder::dayMonthYear, DateOrder::yearMonthDay})
        if (row.problem == dateProblem(row.line, true, o)) return true;
    return false;
}

bool importable(const ImportRow& row) { return row.checked && row.problem.empty() && row.date != 0; }

}  // namespace

namespace {

// How a product line is handled when nothing better is known: the bank's
// amount is what was paid, tax and all.
void defaultProductHandling(Proposal& p) {
    p.taxMode = modeTaxIncluded;
    p.taxRate = usableRate(static_cast<float>(100.0 * combinedTaxRate));
}

// What the bank says a line is, for a line no history decides: interest
// and dividends are earnings, fees expenses, and the business's own money
// moving (a transfer, cash, a card paid off) neither, so it is left out.
// Where the bank's word goes against the money's direction the sign
// decides, and the reason says so.
void followBank(Proposal& p, const StatementLine& line, BankKind kind) {
    const bool in = line.amount >= 0;
    const std::string said = cleanText(line.bankType);
    if (kind == BankKind::payment) kind = in ? BankKind::transfer : BankKind::moneyOut;
    switch (kind) {
    case BankKind::transfer:
        p.leftOut = true;
        p.reason = "transfer";
        return;
    case BankKind::earning:
        if (!in) break;
        p.type = typeEarnings;
        p.reason = "the bank says " + said;
        return;
    case BankKind::fee:
        if (in) break;
        p.reason = "the bank says " + said;  // an expense, as money out is
        return;
    case BankKind::moneyIn:
        if (in) return;
        break;
    case BankKind::moneyOut:
        if (!in) return;
        break;
    default: return;
    }
    p.reason = std::string(in ? "money in" : "money out") + ", though the bank says " + said;
}

// "new name", "new description", "new name and description": what
// importing the proposal adds to the lists as they are; "" for nothing.
std::string newTexts(const ProposalSources& from, const Proposal& p) {
    uint8_t group = listGroupOf(p.type);
    bool name = !p.name.empty() && !from.names.find(group, p.name);
    bool description = !p.description.empty() && !from.descriptions.find(group, p.description);
    if (name && description) return "new name and description";
    return name ? "new name" : description ? "new description" : "";
}

// mayPair, when given, says whether the line may be half of a transfer
// between two accounts of the file: neither its payee's history nor the
// bank's word (interest, a fee) says what it is.
Proposal proposeWith(const ProposalSources& from, const StatementLine& line, bool* mayPair = nullptr) {
    const BookIndex& books = from.books;
    Proposal p;
    if (mayPair) *mayPair = false;
    if (line.exported) {
        const ExportedEntry& e = line.entry;
        p.exact = true;
        p.type = e.type;
        p.description = e.description;
        p.name = e.name;
        p.taxMode = e.taxMode;
        p.taxRate = e.taxRate;
        // Should the row become a bank line, its tax stays what it was.
        if (e.taxMode == modeTaxSpecified) p.specifiedTax = e.salesTax;
        p.reason = "as exported";
        return p;
    }
    std::string payee = cleanText(line.payee), memo = cleanText(line.memo);
    // The name an earlier import gave this payee is the user's own choice:
    // it goes before a name that happens to read like the payee.
    std::string importedName;
    auto named = books.importedName.find(folded(keptText(payee)));
    if (!payee.empty() && named != books.importedName.end()) importedName = named->second;
    bool in = line.amount >= 0;
    int followed = books.latestNamed(importedName, in);
    if (!followed) followed = books.latestNamed(payee, in);
    if (followed) {
        const Transaction& t = transactions[followed];
        p.type = t.type;
        p.description = cleanText(descriptionText(t.descrIndex));
        p.name = cleanText(nameText(t.nameIndex));
        if (isProductType(t.type)) {
            p.taxMode = t.taxMode;
            p.taxRate = usableRate(t.taxRate);
            if (p.taxMode > modeResale) defaultProductHandling(p);
        }
        p.reason = "as on " + formatDate(t.date);
    } else {
        p.type = in ? typeService : typeExpense;
        p.reason = in ? "money in" : "money out";
        // The lists keep the user's words: the payee names the line, and
        // the memo describes it only where it says more than the payee and
        // the bank's type word (without a payee it is all there is).
        p.name = importedName.empty() ? payee : importedName;
        if (p.name.empty() || memoSaysMore(memo, payee, p.name, line.bankType)) p.description = memo;
        // An expense so described would be read as miles.
        if (!in && isMileageDescription(p.description)) p.description.clear();
        BankKind kind = bankKind(line.bankType);
        followBank(p, line, kind);
        if (mayPair) *mayPair = kind != BankKind::earning && kind != BankKind::fee;
    }
    // A row left out adds nothing.
    std::string added = p.leftOut ? "" : newTexts(from, p);
    if (!added.empty()) p.reason += "; " + added;
    return p;
}

// The transaction of a row with its entries as given.
Transaction rowTransactionWith(const ImportRow& row, uint16_t descrIndex, uint16_t nameIndex) {
    const Proposal& p = row.proposal;
    Transaction t;
    t.date = row.date;
    t.type = p.type;
    t.descrIndex = descrIndex;
    t.nameIndex = nameIndex;
    if (storesExactly(row)) {
        Transaction exact = transactionOf(row.line.entry);
        exact.date = t.date;
        exact.descrIndex = descrIndex;
        exact.nameIndex = nameIndex;
        exact.taxMode = p.taxMode;
        exact.taxRate = p.taxRate;
        return exact;
    }
    int64_t total = storedTotal(row);
    total = std::max<int64_t>(-INT32_MAX, std::min<int64_t>(INT32_MAX, total));  // a row with a problem
    t.amount = static_cast<int32_t>(total);
    if (!isProductType(p.type)) return t;
    Proposal handled = p;  // a product is never stored without a tax option
    if (handled.taxMode > modeResale) defaultProductHandling(handled);
    t.taxMode = handled.taxMode;
    t.taxRate = usableRate(handled.taxRate);
    double rate = t.taxRate / 100.0;
    if (t.taxMode == modeTaxIncluded) {
        // As the record dialog stores it: the tax shown to the cent.
        double tax = 0;
        computeSalesTax(modeTaxIncluded, total / 100.0, rate, tax);
        t.salesTax = parseAmount(formatMask(tax, "0.00"));
    } else if (t.taxMode == modeTaxAdded) {
        // The bank paid the total: the tax is what lies above the cost.
        t.amount = static_cast<int32_t>(std::llround(total / (1 + rate)));
        t.salesTax = static_cast<int32_t>(total - t.amount);
    } else if (t.taxMode == modeTaxSpecified) {
        // The bank paid the total, this much of it tax (a row whose tax
        // does not fit in it has a problem and is never stored).
        int64_t cost = total - handled.specifiedTax;
        t.amount = static_cast<int32_t>(std::max<int64_t>(-INT32_MAX, std::min<int64_t>(INT32_MAX, cost)));
        t.salesTax = handled.specifiedTax;
    }
    return t;
}

}  // namespace

Proposal proposeFor(const StatementLine& line) { return proposeWith(ProposalSources(), line); }

std::vector<ImportRow> buildImportRows(const Statement& statement, DateOrder order, bool orderKnown, bool flip) {
    std::vector<ImportRow> rows;
    rows.reserve(statement.lines.size());
    const ProposalSources from;
    std::vector<bool> mayPair;
    for (const StatementLine& line : statement.lines) {
        ImportRow row;
        row.line = line;
        row.scope = statement.scope;
        // An exported line says which way its money went: never turned round.
        row.flipped = flip && !line.exported;
        if (row.flipped) {
            // The balance runs the other way too, so that it still follows.
            row.line.amount = -line.amount;
            row.line.balance = -line.balance;
        }
        row.date = orderKnown ? dateInOrder(line.date, order) : 0;
        bool pairable = false;
        row.proposal = proposeWith(from, row.line, &pairable);
        mayPair.push_back(pairable);
        row.problem = dateProblem(row.line, orderKnown, order);
        if (row.problem.empty()) row.problem = textProblem(row);
        rows.push_back(std::move(row));
    }
    // Both halves of a transfer between the file's accounts are left out,
    // each saying which accounts, in the order the file has them.
    std::vector<int> partners = transferPartners(rows, mayPair);
    for (size_t r = 0; r < rows.size(); ++r) {
        if (partners[r] < 0) continue;
        size_t other = static_cast<size_t>(partners[r]);
        const std::string& first = rows[std::min(r, other)].line.account;
        const std::string& second = rows[std::max(r, other)].line.account;
        rows[r].proposal.leftOut = true;
        rows[r].proposal.reason = "transfer between " + shortAccount(first) + " and " + shortAccount(second);
    }
    markDuplicates(rows);
    for (ImportRow& row : rows)
        row.checked = row.problem.empty() && row.duplicate.empty() && row.date != 0 && !row.proposal.leftOut;
    return rows;
}

// A row that stops being marked stays unchecked: whether it is to be
// imported after all is the user's to say.
void recheckImportRows(std::vector<ImportRow>& rows) {
    std::vector<bool> wasMarked;
    for (ImportRow& row : rows) {
        wasMarked.push_back(!row.duplicate.empty());
        std::string kept = row.date == 0 && isDateProblem(row) ? row.problem : std::string();
        row.problem = kept.empty() ? textProblem(row) : kept;
    }
    markDuplicates(rows);
    for (size_t r = 0; r < rows.size(); ++r) {
        ImportRow& row = rows[r];
        if (!row.problem.empty() || row.date == 0 || (!row.duplicate.empty() && !wasMarked[r])) row.checked = false;
    }
}

Transaction rowTransaction(const ImportRow& row) {
    uint8_t group = listGroupOf(row.proposal.type);
    return rowTransactionWith(row, ListTexts(descrList).find(group, storedText(row, row.proposal.description)),
                              ListTexts(nameList).find(group, storedText(row, row.proposal.name)));
}

void setRowType(ImportRow& row, uint8_t type) {
    Proposal& p = row.proposal;
    bool wasProduct = isProductType(p.type);
    if (type != p.type) p.exact = false;
    p.type = type;
    if (!isProductType(type)) {
        p.taxMode = modeNoTax;
        p.taxRate = 0;
        return;
    }
    if (wasProduct && p.taxMode <= modeResale) return;  // Sold and Bought handle tax alike
    // The payee's latest product handling, by the name it is to be booked
    // under, else by the bank's payee.
    defaultProductHandling(p);
    int latest = 0;
    for (const std::string& text : {cleanText(p.name), cleanText(row.line.payee)}) {
        if (text.empty()) continue;
        for (int i = 1; i <= transactionCount; ++i) {
            const Transaction& t = transactions[i];
            if (!isProductType(t.type) || t.taxMode > modeResale || folded(cleanText(nameText(t.nameIndex))) != folded(text))
                continue;
            if (!latest || t.date >= transactions[latest].date) latest = i;
        }
        if (latest) break;
    }
    if (latest) {
        p.taxMode = transactions[latest].taxMode;
        p.taxRate = usableRate(transactions[latest].taxRate);
    }
}

std::string storedAsText(const ImportRow& row) {
    int type = row.proposal.type;
    // An exported row is stored as it was in the books it came from.
    if (type < typeService || type > typeEarnings || row.line.amount == 0 || storesExactly(row)) return "";
    int64_t stored = isMoneyIn(type) ? row.line.amount : -row.line.amount;
    if (stored >= 0) return "";
    return "stored as " + trimBlanks(typeNames[static_cast<size_t>(type)]) + " " + money(stored);
}

std::string rowAmountText(const ImportRow& row) {
    return storesMiles(row) ? money(row.line.entry.amount) + " miles" : money(row.line.amount);
}

std::string importFitProblem(const std::vector<ImportRow>& rows) {
    int checked = 0;
    // Each text a list lacks, once per group.
    std::unordered_set<std::string> newNames, newDescriptions;
    const ListTexts nameTexts(nameList), descrTexts(descrList);
    auto note = [](std::unordered_set<std::string>& seen, const ListTexts& list, uint8_t group,
                   const std::string& text) {
        if (!text.empty() && !list.find(group, text)) seen.insert(static_cast<char>(group) + folded(text));
    };
    for (const ImportRow& row : rows) {
        if (!importable(row)) continue;
        ++checked;
        uint8_t group = listGroupOf(row.proposal.type);
        note(newNames, nameTexts, group, storedText(row, row.proposal.name));
        note(newDescriptions, descrTexts, group, storedText(row, row.proposal.description));
    }
    std::vector<std::string> problems;
    int room = std::max(maxTransactions - transactionCount, 0);
    if (checked > room)
        problems.push_back("Only " + thousands(room) + " of the " + thousands(checked) +
                           " checked rows fit: the ledger holds " + thousands(transactionCount) + " of " +
                           thousands(maxTransactions) + " transactions. Uncheck at least " +
                           counted(checked - room, "row", "rows") + " to import; none is imported until they fit.");
    auto listProblem = [&](size_t needed, int count, int capacity, const std::string& one, const std::string& many) {
        int left = std::max(capacity - count, 0);
        if (needed <= static_cast<size_t>(left)) return;
        problems.push_back("The checked rows need " + counted(static_cast<int64_t>(needed), "new " + one, "new " + many) +
                           ", and the list of " + many + " holds " + thousands(count) + " of " + thousands(capacity) +
                           ": there is room for " + thousands(left) + ". Uncheck the rows of at least " +
                           counted(static_cast<int64_t>(needed) - left, "new " + one, "new " + many) +
                           " to import; none is imported until they fit.");
    };
    listProblem(newNames.size(), nameCount, maxNames, "name", "names");
    listProblem(newDescriptions.size(), descrCount, maxDescriptions, "description", "descriptions");
    std::string text;
    for (const std::string& p : problems) text += (text.empty() ? "" : "\r\n") + p;
    return text;
}

std::string balanceCheck(const Statement& statement, const std::vector<ImportRow>& rows) {
    std::vector<std::string> found;
    // The rows carry the amounts as imported (flipped when asked); without
    // them, the statement's own lines.
    std::vector<const StatementLine*> lines;
    std::vector<uint16_t> dates;
    if (rows.size() == statement.lines.size()) {
        for (const ImportRow& row : rows) {
            lines.push_back(&row.line);
            dates.push_back(row.date);
        }
    } else {
        for (const StatementLine& line : statement.lines) {
            lines.push_back(&line);
            dates.push_back(0);
        }
    }
    // Adjacent lines that both show a balance; the file may run either way,
    // and the way most pairs agree with is the file's.
    std::vector<size_t> pairs;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i]->hasBalance && lines[i + 1]->hasBalance) pairs.push_back(i);
    if (!pairs.empty()) {
        auto oldestFirstGap = [&](size_t i) { return lines[i + 1]->balance - lines[i]->balance - lines[i + 1]->amount; };
        auto newestFirstGap = [&](size_t i) { return lines[i]->balance - lines[i + 1]->balance - lines[i]->amount; };
        size_t forward = std::count_if(pairs.begin(), pairs.end(), [&](size_t i) { return oldestFirstGap(i) == 0; });
        size_t backward = std::count_if(pairs.begin(), pairs.end(), [&](size_t i) { return newestFirstGap(i) == 0; });
        bool newestFirst = backward > forward;
        if (backward == forward) {  // the dates tell, where they are known
            auto firstDated = std::find_if(dates.begin(), dates.end(), [](uint16_t d) { return d != 0; });
            auto lastDated = std::find_if(dates.rbegin(), dates.rend(), [](uint16_t d) { return d != 0; });
            newestFirst = firstDated != dates.end() && *firstDated > *lastDated;
        }
        std::vector<std::string> breaks;
        for (size_t i : pairs) {
            int64_t gap = newestFirst ? newestFirstGap(i) : oldestFirstGap(i);
            if (gap == 0) continue;
            size_t r = newestFirst ? i : i + 1;  // the later of the two
            const StatementLine& line = *lines[r];
            std::string date = dates[r] ? formatDate(dates[r]) : writtenDateText(line.date);
            std::string payee = cleanText(line.payee);
            breaks.push_back("The balance after the row of " + date + " (" + (payee.empty() ? "" : payee + ", ") +
                             money(line.amount) +
                             ") does not follow from the row before: a row is missing or extra between them (" +
                             money(gap < 0 ? -gap : gap) + " apart).");
        }
        const size_t shown = 3;
        if (breaks.empty()) found.push_back("The balances agree with the rows.");
        for (size_t b = 0; b < breaks.size() && b < shown; ++b) found.push_back(breaks[b]);
        if (breaks.size() > shown)
            found.push_back("The balances break at " + std::to_string(breaks.size() - shown) + " more rows.");
    }
    // The closing balance, from the latest one remembered for the account
    // from before the statement's last day: the bank's own arithmetic, the
    // same whatever was imported or left out, in whatever order statements
    // come.
    RememberedBalance closing;
    if (closingBalanceOf(statement, rows, 0, closing)) {
        const RememberedBalance* before = nullptr;
        bool any = false;
        for (const RememberedBalance& b : ledger.beside.balances) {
            if (b.scope != closing.scope) continue;
            any = true;
            if (b.asOf < closing.asOf && (!before || b.asOf >= before->asOf)) before = &b;
        }
        if (!before && any)
            found.push_back("The closing balance " + money(closing.amount) +
                            " cannot be checked: every balance remembered for this account is as of " +
                            formatDate(closing.asOf) + " or later.");
        if (before) {
            int64_t expected = before->amount;
            for (size_t i = 0; i < statement.lines.size() && i < rows.size(); ++i)
                if (rows[i].date > before->asOf) expected += statement.lines[i].amount;
            int64_t gap = closing.amount - expected;
            std::string from = " the balance of " + formatDate(before->asOf) + ", " + money(before->amount) +
                               ", and the rows after that day";
            if (gap == 0)
                found.push_back("The closing balance " + money(closing.amount) + " agrees with" + from + ".");
            else
                found.push_back("The closing balance " + money(closing.amount) + " does not follow from" + from +
                                ", which make " + money(expected) + " (" + money(gap < 0 ? -gap : gap) +
                                " apart): a row is missing from the statement or extra in it.");
        }
    }
    std::string text;
    for (const std::string& f : found) text += (text.empty() ? "" : "\r\n") + f;
    return text;
}

bool closingBalanceOf(const Statement& statement, const std::vector<ImportRow>& rows, uint16_t importedOn,
                      RememberedBalance& balance) {
    if (!statement.hasClosingBalance) return false;
    uint16_t last = 0;
    for (const ImportRow& row : rows) last = std::max(last, row.date);
    if (last == 0) return false;
    balance = {statement.scope, last, statement.closingBalance, importedOn};
    return true;
}

namespace {

// What is remembered of a row: what the bank wrote, never what the books
// made of it (but for the name, which proposals follow).
BankLine rememberedLine(const ImportRow& row, uint16_t importedOn, BankLine::Status status) {
    BankLine l;
    l.status = status;
    l.scope = row.scope;
    l.bankId = keptText(row.line.bankId);
    l.importedOn = importedOn;
    l.date = row.date;
    l.amount = row.bankAmount();
    l.flipped = row.flipped;
    l.payee = keptClean(row.line.payee);
    l.memo = keptClean(row.line.memo);
    l.occurrence = static_cast<uint16_t>(std::min(row.occurrence, 65535));
    return l;
}

// A row the user leaves out is remembered as such, unless the books have it
// already or the line is remembered otherwise.
bool leftOutByUser(const ImportRow& row) {
    return !row.checked && row.problem.empty() && row.date != 0 &&
           (row.mark == RowMark::none || row.mark == RowMark::notInBooks);
}

}  // namespace

int importCheckedRows(const std::vector<ImportRow>& rows, uint16_t importedOn, const RememberedBalance* closing) {
    if (std::none_of(rows.begin(), rows.end(), importable)) return 0;
    // Everything that could refuse is checked before the first edit, so
    // that no import stops half way.
    std::string problem = importFitProblem(rows);
    if (!problem.empty()) {
        showMessage(problem, "Import", mb::ok | mb::iconExclamation);
        return 0;
    }
    std::vector<BankLine> added;
    ListTexts descrTexts(descrList), nameTexts(nameList);
    int first = 0;
    const size_t rememberedBefore = ledger.beside.lines.size();
    for (const ImportRow& row : rows) {
        if (leftOutByUser(row)) {
            BankLine l = rememberedLine(row, importedOn, BankLine::leftOut);
            if (row.remembered >= 0 && static_cast<size_t>(row.remembered) < rememberedBefore)
                setBankLine(static_cast<size_t>(row.remembered), l);
            else
                added.push_back(std::move(l));
            continue;
        }
        if (!importable(row)) continue;
        uint8_t group = listGroupOf(row.proposal.type);
        uint16_t d = descrTexts.entryFor(group, storedText(row, row.proposal.description));
        uint16_t n = nameTexts.entryFor(group, storedText(row, row.proposal.name));
        Transaction t = rowTransactionWith(row, d, n);
        int at = placeTransaction(t);
        // A row placed at or before the first one moves that one down.
        if (first == 0 || at <= first) first = at;
        BankLine l = rememberedLine(row, importedOn, BankLine::imported);
        l.name = nameText(t.nameIndex);
        l.tag = transactionTags[at];
        // A line remembered before (left out, deleted since, not in these
        // books) is now this import's.
        if (row.remembered >= 0 && static_cast<size_t>(row.remembered) < rememberedBefore)
            setBankLine(static_cast<size_t>(row.remembered), l);
        else
            added.push_back(std::move(l));
    }
    addBankLines(std::move(added));
    if (closing) addRememberedBalance(*closing);
    return first;
}
