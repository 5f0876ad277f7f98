#include "import/proposals.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "ledger/bank_ids.h"
#include "ledger/changes.h"
#include "ledger/tax_arithmetic.h"
#include "lists/entry_matching.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "text/plain_text.h"
#include "ui/prompts.h"

namespace {

// A text as a box shows it: no control characters, no blanks at the ends.
std::string cleanText(const std::string& text) { return trimBlanks(blankControls(text)); }

// What an imported id keeps of a bank's text.
std::string keptText(const std::string& text) { return text.substr(0, maxImportedIdText); }

bool isMoneyIn(int type) { return type == typeService || type == typeSold || type == typeEarnings; }

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

// Texts as one key per spelling that sameTextIgnoringCase takes as equal:
// each byte stands for the first byte it matches, so that lookups can hash.
std::string folded(const std::string& text) {
    static const std::array<char, 256> first = [] {
        std::array<char, 256> table{};
        for (int b = 0; b < 256; ++b)
            for (int x = 0; x <= b; ++x)
                if (sameTextIgnoringCase(std::string(1, static_cast<char>(x)), std::string(1, static_cast<char>(b)))) {
                    table[b] = static_cast<char>(x);
                    break;
                }
        return table;
    }();
    std::string key = text;
    for (char& c : key) c = first[static_cast<unsigned char>(c)];
    return key;
}

// The entries of a list by group and text (letter case and blanks at the
// ends ignored), taken once for a whole statement.
class ListTexts {
public:
    explicit ListTexts(ListKind list) : list_(list) {
        int count = list == descrList ? descrCount : nameCount;
        for (int i = 1; i <= count; ++i) {
            const std::string& e = list == descrList ? descriptions[i] : names[i];
            if (!e.empty()) index_.emplace(key(static_cast<uint8_t>(e[0]), cleanText(entryText(e))), i);
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
        if (e) index_.emplace(key(group, text), e);
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
    std::unordered_map<std::string, int> latestByName;
    std::unordered_map<std::string, std::string> importedName;
    BookIndex() {
        for (int i = 1; i <= transactionCount; ++i) {
            const Transaction& t = transactions[i];
            if (isMileage(t) || t.type < typeService || t.type > typeEarnings) continue;
            std::string name = cleanText(nameText(t.nameIndex));
            if (name.empty()) continue;
            int& best = latestByName[folded(name)];
            if (!best || t.date >= transactions[best].date) best = i;
        }
        for (const ImportedId& id : importedIds) {
            std::string payee = cleanText(id.payee), name = cleanText(id.name);
            if (!payee.empty() && !name.empty()) importedName[folded(payee)] = name;  // the later import wins
        }
    }
    int latestNamed(const std::string& text) const {
        auto t = latestByName.find(folded(text));
        return text.empty() || t == latestByName.end() ? 0 : t->second;
    }
};

std::string dateProblem(const StatementLine& line, bool orderKnown, DateOrder order) {
    if (line.date.year < 1980 || line.date.year > 2107)
        return "the year " + std::to_string(line.date.year) + " lies outside 1980 to 2107";
    if (orderKnown && dateInOrder(line.date, order) == 0)
        return "the date " + writtenDateText(line.date) + " is no date as " + dateOrderName(order);
    return "";
}

// The rules every typed transaction obeys, the date aside.
std::string textProblem(const ImportRow& row) {
    const Proposal& p = row.proposal;
    std::string description = cleanText(p.description), name = cleanText(p.name);
    if (p.type < typeService || p.type > typeEarnings) return "no type of transaction is chosen";
    if (!amountFitsRecord(row.line.amount))
        return "the amount " + money(row.line.amount) + " is beyond what a record can hold";
    if (!fitsListEntry(description))
        return "the description is too long: at most " + std::to_string(maxEntryBytes - 1) + " characters";
    if (!fitsListEntry(name))
        return "the name is too long: at most " + std::to_string(maxEntryBytes - 1) + " characters";
    if (p.type == typeExpense && isMileageDescription(description))
        return "a mileage expense records miles, not money: choose another description";
    return "";
}

// The date problems a row can have been given when it was built.
bool isDateProblem(const ImportRow& row) {
    if (row.problem.empty()) return false;
    for (DateOrder o : {DateOrder::monthDayYear, DateOrder::dayMonthYear, DateOrder::yearMonthDay})
        if (row.problem == dateProblem(row.line, true, o)) return true;
    return false;
}

// The signed money of a book transaction as a statement shows it.
int64_t bookMoney(const Transaction& t) {
    int64_t total = transactionTotal(t);
    return isMoneyIn(t.type) ? total : -total;
}

// Marks the rows that the books already hold: by a bank id imported before
// or met earlier in the statement, otherwise by counting the rows of one
// date, amount and name against the transactions of the same. Every dated
// row is counted, whatever marks it, since each stands for one booking.
void markDuplicates(std::vector<ImportRow>& rows) {
    std::unordered_map<std::string, const ImportedId*> seen;
    for (const ImportedId& id : importedIds)
        if (!id.bankId.empty()) seen.emplace(id.bankId, &id);  // the first import of it

    // (date, signed money, name) -> how many; the name folded. Beside it,
    // each transaction by its stored fields, for the rows imported before:
    // those are counted by the payee the bank wrote while their
    // transactions are still in the books, so that a statement imported
    // again is found even where a row was named otherwise since, by hand or
    // by a later proposal. Each transaction answers for one import at most.
    using Key = std::tuple<uint16_t, int64_t, std::string>;
    std::map<Key, int64_t> books, sofar;
    std::map<std::tuple<uint16_t, int32_t, std::string>, std::vector<int64_t>> unclaimed;
    for (int i = 1; i <= transactionCount; ++i) {
        const Transaction& t = transactions[i];
        if (isMileage(t)) continue;  // miles, not money
        std::string name = folded(cleanText(nameText(t.nameIndex)));
        int64_t money = bookMoney(t);
        ++books[Key(t.date, money, name)];
        unclaimed[std::make_tuple(t.date, t.amount, std::move(name))].push_back(money);
    }
    std::map<Key, int64_t> importedBefore, sofarByPayee;
    for (const ImportedId& id : importedIds) {
        auto t = unclaimed.find(std::make_tuple(id.date, id.amount, folded(cleanText(id.name))));
        if (t == unclaimed.end() || t->second.empty()) continue;
        ++importedBefore[Key(id.date, t->second.back(), folded(cleanText(id.payee)))];
        t->second.pop_back();
    }

    std::unordered_set<std::string> earlier;  // the bank ids of the rows so far
    for (ImportRow& row : rows) {
        row.duplicate.clear();
        std::string bankId = keptText(row.line.bankId);
        if (!bankId.empty()) {
            auto before = seen.find(bankId);
            if (before != seen.end())
                row.duplicate = "bank id seen on import of " + formatDate(before->second->importedOn);
            else if (!earlier.insert(bankId).second)
                row.duplicate = "bank id also on an earlier row of this statement";
        }
        if (row.date == 0) continue;
        auto key = std::make_tuple(row.date, row.line.amount, folded(cleanText(row.proposal.name)));
        int64_t k = ++sofar[key];
        Key byPayee(row.date, row.line.amount, folded(keptText(cleanText(row.line.payee))));
        int64_t kPayee = ++sofarByPayee[byPayee];
        if (!row.duplicate.empty()) continue;
        auto held = books.find(key);
        int64_t n = held == books.end() ? 0 : held->second;
        auto before = importedBefore.find(byPayee);
        int64_t nPayee = before == importedBefore.end() ? 0 : before->second;
        if (k <= n)
            row.duplicate = std::to_string(k) + " of " + std::to_string(n) + " already in the books";
        else if (kPayee <= nPayee)
            row.duplicate = std::to_string(kPayee) + " of " + std::to_string(nPayee) + " already in the books";
    }
}

bool importable(const ImportRow& row) { return row.checked && row.problem.empty() && row.date != 0; }

}  // namespace

namespace {

Proposal proposeWith(const BookIndex& books, const StatementLine& line) {
    std::string payee = cleanText(line.payee), memo = cleanText(line.memo);
    Proposal p;
    // The name an earlier import gave this payee is the user's own choice:
    // it goes before a name that happens to read like the payee.
    std::string importedName;
    auto named = books.importedName.find(folded(keptText(payee)));
    if (!payee.empty() && named != books.importedName.end()) importedName = named->second;
    int followed = books.latestNamed(importedName);
    if (!followed) followed = books.latestNamed(payee);
    if (followed) {
        const Transaction& t = transactions[followed];
        p.type = t.type;
        p.description = cleanText(descriptionText(t.descrIndex));
        p.name = cleanText(nameText(t.nameIndex));
        if (isProductType(t.type)) {
            p.taxMode = t.taxMode;
            p.taxRate = usableRate(t.taxRate);
        }
        p.reason = "as on " + formatDate(t.date);
        return p;
    }
    bool in = line.amount >= 0;
    p.type = in ? typeService : typeExpense;
    p.reason = in ? "money in" : "money out";
    p.name = importedName.empty() ? payee : importedName;
    p.description = memo.empty() ? payee : memo;
    // An expense so described would be read as miles.
    if (!in && isMileageDescription(p.description)) p.description = isMileageDescription(payee) ? "" : payee;
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
    int64_t total = isMoneyIn(p.type) ? row.line.amount : -row.line.amount;
    total = std::max<int64_t>(-INT32_MAX, std::min<int64_t>(INT32_MAX, total));  // a row with a problem
    t.amount = static_cast<int32_t>(total);
    if (!isProductType(p.type)) return t;
    t.taxMode = p.taxMode;
    t.taxRate = usableRate(p.taxRate);
    double rate = t.taxRate / 100.0;
    if (p.taxMode == modeTaxIncluded) {
        // As the record dialog stores it: the tax shown to the cent.
        double tax = 0;
        computeSalesTax(modeTaxIncluded, total / 100.0, rate, tax);
        t.salesTax = parseAmount(formatMask(tax, "0.00"));
    } else if (p.taxMode == modeTaxAdded) {
        // The bank paid the total: the tax is what lies above the cost.
        t.amount = static_cast<int32_t>(std::llround(total / (1 + rate)));
        t.salesTax = static_cast<int32_t>(total - t.amount);
    }
    return t;
}

}  // namespace

Proposal proposeFor(const StatementLine& line) { return proposeWith(BookIndex(), line); }

std::vector<ImportRow> buildImportRows(const Statement& statement, DateOrder order, bool orderKnown, bool flip) {
    std::vector<ImportRow> rows;
    rows.reserve(statement.lines.size());
    BookIndex books;
    for (const StatementLine& line : statement.lines) {
        ImportRow row;
        row.line = line;
        if (flip) {
            // The balance runs the other way too, so that it still follows.
            row.line.amount = -line.amount;
            row.line.balance = -line.balance;
        }
        row.date = orderKnown ? dateInOrder(line.date, order) : 0;
        row.proposal = proposeWith(books, row.line);
        row.problem = dateProblem(row.line, orderKnown, order);
        if (row.problem.empty()) row.problem = textProblem(row);
        rows.push_back(std::move(row));
    }
    markDuplicates(rows);
    for (ImportRow& row : rows) row.checked = row.problem.empty() && row.duplicate.empty() && row.date != 0;
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
    return rowTransactionWith(row, ListTexts(descrList).find(group, cleanText(row.proposal.description)),
                              ListTexts(nameList).find(group, cleanText(row.proposal.name)));
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
        note(newNames, nameTexts, group, cleanText(row.proposal.name));
        note(newDescriptions, descrTexts, group, cleanText(row.proposal.description));
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

std::string balanceCheck(const Statement& statement, const std::vector<ImportRow>& rows, bool hasPreviousClosing,
                         int64_t previousClosing) {
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
    if (statement.hasClosingBalance && hasPreviousClosing) {
        int64_t expected = previousClosing;
        for (const ImportRow& row : rows)
            if (row.duplicate.empty()) expected += row.line.amount;
        int64_t gap = statement.closingBalance - expected;
        if (statement.closingBalance == expected)
            found.push_back("The closing balance " + money(statement.closingBalance) + " agrees with the last one, " +
                            money(previousClosing) + ", and the new rows.");
        else
            found.push_back("The closing balance " + money(statement.closingBalance) +
                            " does not follow from the last one, " + money(previousClosing) +
                            ", and the new rows, which make " + money(expected) + " (" + money(gap < 0 ? -gap : gap) +
                            " apart): a row is missing, or marked as already in the books when it is not.");
    }
    std::string text;
    for (const std::string& f : found) text += (text.empty() ? "" : "\r\n") + f;
    return text;
}

int importCheckedRows(const std::vector<ImportRow>& rows, uint16_t importedOn) {
    if (std::none_of(rows.begin(), rows.end(), importable)) return 0;
    // Everything that could refuse is checked before the first edit, so
    // that no import stops half way.
    std::string problem = importFitProblem(rows);
    if (!problem.empty()) {
        showMessage(problem, "Import", mb::ok | mb::iconExclamation);
        return 0;
    }
    std::vector<ImportedId> ids;
    ListTexts descrTexts(descrList), nameTexts(nameList);
    int first = 0;
    for (const ImportRow& row : rows) {
        if (!importable(row)) continue;
        uint8_t group = listGroupOf(row.proposal.type);
        uint16_t d = descrTexts.entryFor(group, cleanText(row.proposal.description));
        uint16_t n = nameTexts.entryFor(group, cleanText(row.proposal.name));
        Transaction t = rowTransactionWith(row, d, n);
        int at = placeTransaction(t);
        // A row placed at or before the first one moves that one down.
        if (first == 0 || at <= first) first = at;
        ImportedId id;
        id.bankId = keptText(row.line.bankId);
        id.importedOn = importedOn;
        id.date = t.date;
        id.amount = t.amount;
        id.name = nameText(t.nameIndex);
        id.payee = keptText(cleanText(row.line.payee));
        ids.push_back(std::move(id));
    }
    addImportedIds(ids);
    return first;
}
