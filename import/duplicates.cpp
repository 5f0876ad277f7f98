#include "import/duplicates.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "import/line_texts.h"
#include "import/own_export.h"
#include "ledger/ledger_file.h"
#include "ledger/tax_arithmetic.h"
#include "text/date_text.h"

namespace {

// The remembered lines by what the bank wrote, and what the books and the
// remembered archive files hold, taken once for a statement. Each
// remembered line answers for one row, each transaction for one line.
class LineMemory {
public:
    LineMemory() : lines_(ledger.beside.lines), claimed_(lines_.size(), false), present_(transactionPositions()) {
        for (size_t r = 0; r < lines_.size(); ++r) {
            const BankLine& l = lines_[r];
            if (l.legacy) {
                if (!l.bankId.empty()) add(By::legacyId, r);
                add(By::legacyContent, r);
                continue;
            }
            if (!l.bankId.empty()) add(By::id, r);
            add(By::content, r);
        }
    }

    // The remembered line the row is, claimed; -1 for none.
    int claim(const ImportRow& row) {
        BankLine asRow;
        asRow.scope = row.scope;
        asRow.bankId = keptText(row.line.bankId);
        asRow.date = row.date;
        asRow.amount = row.bankAmount();
        asRow.payee = keptClean(row.line.payee);
        asRow.memo = keptClean(row.line.memo);
        int r = -1;
        if (!asRow.bankId.empty()) {
            // A bank id proves a line only with its date and amount.
            r = first(By::id, asRow);
            if (r < 0) r = first(By::legacyId, asRow);
        }
        // A row with a bank id is one line with the lines that had none
        // (the same layout read before its id column was chosen); two ids
        // that differ are two lines.
        std::string bankId = asRow.bankId;
        asRow.bankId.clear();
        if (r < 0) r = first(By::content, asRow);
        asRow.bankId = bankId;
        if (r < 0 && bankId.empty()) r = first(By::content, asRow);
        if (r < 0) r = first(By::legacyContent, asRow);
        if (r >= 0) {
            claimed_[static_cast<size_t>(r)] = true;
            // A line linked to its transaction answers for it.
            const BankLine& l = lines_[static_cast<size_t>(r)];
            if (!l.hint && l.status == BankLine::imported && inBooks(l)) linked_.insert(l.tag);
        }
        return r;
    }

    bool inBooks(const BankLine& l) const { return l.tag && present_.count(l.tag); }
    // Whether a transaction is that of a line claimed so far.
    bool linked(uint32_t tag) const { return tag && linked_.count(tag); }

private:
    // The ways a line is looked up. Lines of the first side file know
    // neither their account nor their memo nor their sign.
    enum By { id, content, legacyId, legacyContent, ways };
    static int64_t magnitude(int64_t v) { return v < 0 ? -v : v; }
    static std::string keyOf(const BankLine& l, By by) {
        switch (by) {
        case id: return Key().text(l.scope).text(l.bankId).number(l.date).number(l.amount).str();
        case content:
            return Key()
                .text(l.scope)
                .number(l.date)
                .number(l.amount)
                .text(folded(l.payee))
                .text(folded(l.memo))
                .number(!l.bankId.empty())
                .str();
        case legacyId: return Key().text(l.bankId).number(l.date).number(magnitude(l.amount)).str();
        default: return Key().number(l.date).number(magnitude(l.amount)).text(folded(l.payee)).str();
        }
    }
    // Only a hash of each key is held, so that tens of thousands of lines
    // cost little; a match is checked against the line itself.
    static uint64_t hashOf(const std::string& key) { return std::hash<std::string>{}(key); }
    void add(By by, size_t r) { index_[by].emplace(hashOf(keyOf(lines_[r], by)), static_cast<uint32_t>(r)); }
    // The earliest unclaimed line with the row's key, -1 for none.
    int first(By by, const BankLine& row) const {
        std::string key = keyOf(row, by);
        auto range = index_[by].equal_range(hashOf(key));
        int best = -1;
        for (auto i = range.first; i != range.second; ++i) {
            uint32_t r = i->second;
            if (claimed_[r] || (best >= 0 && r >= static_cast<uint32_t>(best)) || keyOf(lines_[r], by) != key)
                continue;
            best = static_cast<int>(r);
        }
        return best;
    }
    const std::vector<BankLine>& lines_;
    std::vector<bool> claimed_;
    std::unordered_map<uint32_t, int> present_;  // tag -> position of the books' transactions
    std::unordered_set<uint32_t> linked_;
    std::unordered_multimap<uint64_t, uint32_t> index_[ways];
};

// Transactions of a date and amount, each to be claimed once: those of the
// books that no row's remembered line answers for, then those of the
// archive files the books remember (read only when a hint needs them).
class HeldMoney {
public:
    explicit HeldMoney(const LineMemory& memory) {
        for (int i = 1; i <= transactionCount; ++i) {
            const Transaction& t = transactions[i];
            if (isMileage(t) || memory.linked(transactionTags[i])) continue;
            books_[key(t.date, statementMoney(t))].push_back(i);
        }
    }
    // Claims a transaction of the books (its position) or of an archive
    // (-1); 0 when none is left.
    int claim(uint16_t date, int64_t money) {
        auto b = books_.find(key(date, money));
        if (b != books_.end() && !b->second.empty()) {
            int at = b->second.back();
            b->second.pop_back();
            claimedInBooks_.insert(at);
            return at;
        }
        if (!archivesRead_) readArchives();
        auto a = archived_.find(key(date, money));
        if (a != archived_.end() && a->second > 0) {
            --a->second;
            return -1;
        }
        return 0;
    }
    bool claimed(int position) const { return claimedInBooks_.count(position) != 0; }

private:
    static std::string key(uint16_t date, int64_t money) { return Key().number(date).number(money).str(); }
    void readArchives() {
        archivesRead_ = true;
        std::vector<std::string> paths;
        for (const ArchiveNote& a : ledger.beside.archives) paths.push_back(a.path);
        for (const BankLine& l : ledger.beside.lines)
            if (!l.archivedTo.empty()) paths.push_back(l.archivedTo);
        std::sort(paths.begin(), paths.end());
        paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
        for (const std::string& path : paths) {
            Bytes bytes;
            std::string error;
            if (!fileExists(path) || !readWholeFile(path, bytes, error, maxLedgerFileBytes)) continue;
            DecodeResult r = decodeLedger(bytes, combinedTaxRate);
            if (r.status != DecodeStatus::ok) continue;
            for (const Transaction& t : r.image.transactions)
                if (!isMileage(t)) ++archived_[key(t.date, statementMoney(t))];
        }
    }
    std::unordered_map<std::string, std::vector<int>> books_;
    std::unordered_map<std::string, int64_t> archived_;
    std::unordered_set<int> claimedInBooks_;
    bool archivesRead_ = false;
};

std::string archiveName(const std::string& path) { return fileNameOf(path); }

// What a typed entry is counted by: its date, name and money, or for
// mileage its miles, which no bank line moves but the list's own export
// gives back.
std::string countedKey(uint16_t date, bool miles, int64_t value, const std::string& name) {
    Key key;
    key.number(date);
    if (miles) key.text("miles");
    return key.number(value).text(folded(cleanText(name))).str();
}

}  // namespace

void markDuplicates(std::vector<ImportRow>& rows) {
    const std::vector<BankLine>& remembered = ledger.beside.lines;
    LineMemory memory;
    std::unordered_set<std::string> earlier;  // bank id, date and amount of the rows so far
    // Identical lines by a hash of what the bank wrote: the count only
    // numbers them.
    std::unordered_map<size_t, int> occurrences;
    for (ImportRow& row : rows) {
        row.duplicate.clear();
        row.note.clear();
        row.mark = RowMark::none;
        row.remembered = -1;
        row.occurrence = 1;
        if (row.date == 0) continue;
        row.occurrence = ++occurrences[std::hash<std::string>{}(Key()
                                                                    .number(row.date)
                                                                    .number(row.bankAmount())
                                                                    .text(folded(keptClean(row.line.payee)))
                                                                    .text(folded(keptClean(row.line.memo)))
                                                                    .str())];
        // The same bank id, date, amount and texts again in one statement is
        // the same line written twice (as in a file of overlapping
        // statements): it claims nothing.
        std::string bankId = keptText(row.line.bankId);
        if (!bankId.empty() && !earlier.insert(Key()
                                                   .text(bankId)
                                                   .number(row.date)
                                                   .number(row.bankAmount())
                                                   .text(folded(keptClean(row.line.payee)))
                                                   .text(folded(keptClean(row.line.memo)))
                                                   .str())
                                   .second) {
            row.mark = RowMark::earlierRow;
            row.duplicate = "bank id also on an earlier row of this statement";
            continue;
        }
        row.remembered = memory.claim(row);
    }
    // The transactions of the lines claimed are answered for; the rest of
    // the books prove hints and typed entries.
    HeldMoney held(memory);
    for (ImportRow& row : rows) {
        if (row.date == 0 || row.mark == RowMark::earlierRow) continue;
        if (row.remembered >= 0) {
            const BankLine& l = remembered[static_cast<size_t>(row.remembered)];
            std::string on = formatDate(l.importedOn);
            if (l.status == BankLine::leftOut) {
                row.mark = RowMark::leftOut;
                row.duplicate = "left out on " + on;
            } else if (l.hint) {
                // Not written with these books: proven only by a transaction.
                // A line of the first side file knows no sign: the row's.
                if (held.claim(row.date, l.legacy ? row.line.amount : l.money())) {
                    row.mark = RowMark::imported;
                    row.duplicate = "imported on " + on;
                } else {
                    row.mark = RowMark::notInBooks;
                    row.note = "imported on " + on + ", not in these books";
                }
            } else if (memory.inBooks(l)) {
                row.mark = RowMark::imported;
                row.duplicate = "imported on " + on;
            } else if (!l.archivedTo.empty()) {
                row.mark = RowMark::imported;
                row.duplicate = "imported on " + on + ", archived in " + archiveName(l.archivedTo);
            } else {
                row.mark = RowMark::importedDeleted;
                row.duplicate = "imported on " + on + ", deleted since";
            }
        }
    }

    // (date, signed money or miles, folded name) -> how many transactions,
    // of those that neither a remembered line nor a hint answers for.
    std::unordered_map<std::string, int64_t> books, sofar;
    for (int i = 1; i <= transactionCount; ++i) {
        const Transaction& t = transactions[i];
        if (memory.linked(transactionTags[i]) || held.claimed(i)) continue;
        bool miles = isMileage(t);
        ++books[countedKey(t.date, miles, miles ? t.amount : statementMoney(t), nameText(t.nameIndex))];
    }
    for (ImportRow& row : rows) {
        if (row.date == 0 || row.mark != RowMark::none) continue;
        bool miles = storesMiles(row);
        std::string key =
            countedKey(row.date, miles, miles ? row.line.entry.amount : row.line.amount, row.proposal.name);
        int64_t k = ++sofar[key];
        auto found = books.find(key);
        int64_t n = found == books.end() ? 0 : found->second;
        if (k <= n) {
            row.mark = RowMark::inBooks;
            row.duplicate = std::to_string(k) + " of " + std::to_string(n) + " already in the books";
        }
    }
}
