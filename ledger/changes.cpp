#include "ledger/changes.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <cstdint>
#include <vector>

#include "ui/prompts.h"

namespace {

// One edit of the tables, with what it needs to be made again or taken back.
struct Edit {
    enum Kind : uint8_t { insertTx, removeTx, setTx, insertEntry, removeEntry, setEntry, addLines, setLine, addBalance, addArchive, setTax, setSchedules } kind;
    explicit Edit(Kind k) : kind(k) {}
    ListKind list = nameList;
    int at = 0;  // transaction position, entry number or bank line number (from 0)
    uint32_t tag = 0;  // insertTx, removeTx: the transaction's tag
    Transaction before, after;
    std::string entryBefore, entryAfter;
    std::vector<int> references;  // removeEntry: the transactions that named it
    // addLines: the lines while the step is undone (while it is done they
    // live in the books alone; `at` counts them, always the last ones);
    // setLine: before, after.
    mutable std::vector<BankLine> lines;
    RememberedBalance balance;    // addBalance: appended, always the last one
    ArchiveNote archive;          // addArchive: appended, always the last one
    std::shared_ptr<const TaxFacts> taxBefore, taxAfter;  // setTax: the whole facts, which are few
    std::shared_ptr<const std::vector<Schedule>> schedulesBefore, schedulesAfter;  // setSchedules: all of them
};

struct Step {
    std::string label;
    std::vector<Edit> edits;
    uint64_t id = 0;  // the state of the books after the step
};

struct History {
    std::vector<Edit> pending;  // edits not yet part of a step
    std::vector<Step> done, undone;
    uint64_t baseId = 0;   // the state before the first step
    uint64_t savedId = 0;  // the state last saved or loaded
    uint64_t nextId = 1;
    bool forced = false;  // marked changed without an edit
};
History history;

std::string* entries(ListKind list) { return list == descrList ? descriptions.data() : names.data(); }
uint16_t& countOf(ListKind list) { return list == descrList ? descrCount : nameCount; }
int capacityOf(ListKind list) { return list == descrList ? maxDescriptions : maxNames; }
uint16_t& indexOf(Transaction& t, ListKind list) { return list == descrList ? t.descrIndex : t.nameIndex; }

constexpr uint64_t noState = UINT64_MAX;  // a saved state no step leads back to

uint64_t currentId() { return history.done.empty() ? history.baseId : history.done.back().id; }

void changedFlagFollows() {
    bool changed = history.forced || !history.pending.empty() || currentId() != history.savedId;
    ledgerChanged = changed;
}

// --- The edits themselves, unrecorded ---

void insertTxAt(int at, const Transaction& record, uint32_t tag) {
    for (int i = transactionCount; i >= at; --i) {
        transactions[i + 1] = transactions[i];
        transactionTags[i + 1] = transactionTags[i];
    }
    transactions[at] = record;
    transactionTags[at] = tag;
    ++transactionCount;
}

void removeTxAt(int at) {
    for (int i = at; i < transactionCount; ++i) {
        transactions[i] = transactions[i + 1];
        transactionTags[i] = transactionTags[i + 1];
    }
    transactions[transactionCount] = Transaction{};
    transactionTags[transactionCount] = 0;
    --transactionCount;
}

// Puts an entry back where it was removed: the later entries and the
// references to them move up, and the references it had are restored.
void insertEntryAt(ListKind list, int at, const std::string& entry, const std::vector<int>& references) {
    uint16_t& count = countOf(list);
    std::string* e = entries(list);
    for (int i = count; i >= at; --i) e[i + 1] = e[i];
    e[at] = entry;
    ++count;
    for (int i = 1; i <= transactionCount; ++i) {
        uint16_t& index = indexOf(transactions[i], list);
        if (index >= at) ++index;
    }
    for (int t : references) indexOf(transactions[t], list) = static_cast<uint16_t>(at);
}

// A new last entry, and taking it off again: no reference moves.
void appendEntry(ListKind list, const std::string& entry) { entries(list)[++countOf(list)] = entry; }
void dropLastEntry(ListKind list) { entries(list)[countOf(list)--].clear(); }

std::vector<int> removeEntryAt(ListKind list, int at) {
    std::vector<int> references;
    for (int i = 1; i <= transactionCount; ++i) {
        uint16_t& index = indexOf(transactions[i], list);
        if (index == at) {
            references.push_back(i);
            index = 0;
        } else if (index > at) {
            --index;
        }
    }
    uint16_t& count = countOf(list);
    std::string* e = entries(list);
    for (int i = at; i < count; ++i) e[i] = e[i + 1];
    e[count].clear();
    --count;
    return references;
}

// Makes an edit again (forward) or takes it back; returns the position of
// the transaction it leaves touched, 0 for an edit of a list.
int apply(const Edit& edit, bool forward) {
    switch (edit.kind) {
    case Edit::insertTx:
        if (forward) {
            insertTxAt(edit.at, edit.after, edit.tag);
            return edit.at;
        }
        removeTxAt(edit.at);
        return std::min<int>(edit.at, transactionCount);
    case Edit::removeTx:
        if (forward) {
            removeTxAt(edit.at);
            return std::min<int>(edit.at, transactionCount);
        }
        insertTxAt(edit.at, edit.before, edit.tag);
        return edit.at;
    case Edit::setTx:
        transactions[edit.at] = forward ? edit.after : edit.before;
        return edit.at;
    case Edit::insertEntry:  // always the new last entry
        if (forward)
            appendEntry(edit.list, edit.entryAfter);
        else
            dropLastEntry(edit.list);
        return 0;
    case Edit::removeEntry:
        if (forward)
            removeEntryAt(edit.list, edit.at);
        else
            insertEntryAt(edit.list, edit.at, edit.entryBefore, edit.references);
        return 0;
    case Edit::setEntry:
        entries(edit.list)[edit.at] = forward ? edit.entryAfter : edit.entryBefore;
        return 0;
    case Edit::addLines: {
        auto& lines = ledger.beside.lines;
        if (forward) {
            lines.insert(lines.end(), std::make_move_iterator(edit.lines.begin()),
                         std::make_move_iterator(edit.lines.end()));
            edit.lines.clear();
        } else {
            auto first = lines.end() - edit.at;
            edit.lines.assign(std::make_move_iterator(first), std::make_move_iterator(lines.end()));
            lines.erase(first, lines.end());
        }
        return 0;
    }
    case Edit::setLine:
        ledger.beside.lines[static_cast<size_t>(edit.at)] = edit.lines[forward ? 1 : 0];
        return 0;
    case Edit::addBalance:
        if (forward)
            ledger.beside.balances.push_back(edit.balance);
        else
            ledger.beside.balances.pop_back();
        return 0;
    case Edit::addArchive:
        if (forward)
            ledger.beside.archives.push_back(edit.archive);
        else
            ledger.beside.archives.pop_back();
        return 0;
    case Edit::setTax:
        ledger.beside.tax = forward ? *edit.taxAfter : *edit.taxBefore;
        return 0;
    case Edit::setSchedules:
        ledger.beside.schedules = forward ? *edit.schedulesAfter : *edit.schedulesBefore;
        return 0;
    }
    return 0;
}

// Whether every edit of a step fits the tables as they would stand when
// it comes: checked before anything is applied, so that a step is applied
// whole or not at all.
bool fits(const Step& step, bool forward) {
    int tx = transactionCount, counts[2] = {nameCount, descrCount};
    size_t lines = ledger.beside.lines.size(), balances = ledger.beside.balances.size();
    size_t archives = ledger.beside.archives.size();
    auto check = [&](const Edit& e) {
        if (e.kind == Edit::addLines || e.kind == Edit::addBalance || e.kind == Edit::addArchive) {
            size_t& n = e.kind == Edit::addLines ? lines : e.kind == Edit::addBalance ? balances : archives;
            size_t added = e.kind == Edit::addLines ? static_cast<size_t>(e.at) : 1;
            if (forward) {
                n += added;
                return true;
            }
            if (n < added) return false;  // they are no longer the last ones
            n -= added;
            return true;
        }
        if (e.kind == Edit::setLine) return e.at >= 0 && static_cast<size_t>(e.at) < lines;
        if (e.kind == Edit::setTax || e.kind == Edit::setSchedules) return true;
        bool inserts = (e.kind == Edit::insertTx || e.kind == Edit::insertEntry) == forward;
        bool isTx = e.kind == Edit::insertTx || e.kind == Edit::removeTx || e.kind == Edit::setTx;
        int& count = isTx ? tx : counts[e.list];
        int capacity = isTx ? maxTransactions : capacityOf(e.list);
        if (e.kind == Edit::setTx || e.kind == Edit::setEntry) return e.at >= 1 && e.at <= count;
        if (e.kind == Edit::insertEntry && e.at != (forward ? count + 1 : count)) return false;  // the last one
        if (inserts) {
            if (count >= capacity || e.at < 1 || e.at > count + 1) return false;
            ++count;
        } else {
            if (e.at < 1 || e.at > count) return false;
            --count;
        }
        if (e.kind == Edit::removeEntry && !forward)
            for (int t : e.references)  // the references it restores must name transactions
                if (t < 1 || t > tx) return false;
        return true;
    };
    if (forward) return std::all_of(step.edits.begin(), step.edits.end(), check);
    return std::all_of(step.edits.rbegin(), step.edits.rend(), check);
}

int applyStep(const Step& step, bool forward) {
    int touched = 0;
    auto one = [&](const Edit& e) {
        int t = apply(e, forward);
        if (t != 0) touched = t;
    };
    if (forward)
        std::for_each(step.edits.begin(), step.edits.end(), one);
    else
        std::for_each(step.edits.rbegin(), step.edits.rend(), one);
    return std::min<int>(touched, transactionCount);
}

void record(Edit edit) {
    history.pending.push_back(std::move(edit));
    changedFlagFollows();
}

size_t editBytes(const Edit& e) {
    size_t n = sizeof(Edit) + e.entryBefore.capacity() + e.entryAfter.capacity() + e.references.capacity() * sizeof(int) +
               e.archive.path.capacity();
    n += e.lines.capacity() * sizeof(BankLine);
    for (const auto& facts : {e.taxBefore, e.taxAfter})
        if (facts) n += sizeof(TaxFacts) + facts->assignments.capacity() * sizeof(TaxLineAssignment);
    for (const auto& schedules : {e.schedulesBefore, e.schedulesAfter})
        if (schedules) {
            n += sizeof(*schedules) + schedules->capacity() * sizeof(Schedule);
            for (const Schedule& s : *schedules)
                n += s.description.capacity() + s.name.capacity() + s.handledAfter.capacity() * sizeof(uint16_t);
        }
    for (const BankLine& l : e.lines)
        n += l.bankId.capacity() + l.memo.capacity();  // the shared texts are held once for all
    return n;
}

}  // namespace

int placeTransaction(const Transaction& record) {
    if (transactionCount >= maxTransactions) {
        showMessage("The ledger is full: it holds " + std::to_string(maxTransactions) +
                        " transactions.\r\nArchive older transactions to make room.",
                    "Quirvel", mb::ok | mb::iconExclamation);
        return 0;
    }
    int at = insertPosition(record.date);
    uint32_t tag = ledger.nextTag++;
    insertTxAt(at, record, tag);
    Edit e{Edit::insertTx};
    e.at = at;
    e.tag = tag;
    e.after = record;
    ::record(std::move(e));
    return at;
}

void removeTransactionAt(int r) {
    if (r < 1 || r > transactionCount) return;
    Edit e{Edit::removeTx};
    e.at = r;
    e.tag = transactionTags[r];
    e.before = transactions[r];
    removeTxAt(r);
    record(std::move(e));
}

void replaceTransactionAt(int r, const Transaction& replacement) {
    if (r < 1 || r > transactionCount) return;
    Edit e{Edit::setTx};
    e.at = r;
    e.before = transactions[r];
    e.after = replacement;
    transactions[r] = replacement;
    record(std::move(e));
}

int appendListEntry(ListKind list, uint8_t group, const std::string& text) {
    const char* noun = list == descrList ? "descriptions" : "names";
    if (countOf(list) >= capacityOf(list)) {
        showMessage(std::string("The list of ") + noun + " is full: it holds " + std::to_string(capacityOf(list)) +
                        " entries.\r\nDelete unused entries to make room.",
                    "Quirvel", mb::ok | mb::iconExclamation);
        return 0;
    }
    if (!fitsListEntry(text)) {
        showMessage(tooLongMessage("text"), "Quirvel", mb::ok | mb::iconExclamation);
        return 0;
    }
    Edit e{Edit::insertEntry};
    e.list = list;
    e.at = countOf(list) + 1;
    e.entryAfter = std::string(1, static_cast<char>(group)) + text;
    appendEntry(list, e.entryAfter);
    int at = e.at;
    record(std::move(e));
    return at;
}

void setListEntry(ListKind list, int e, const std::string& entry) {
    if (e < 1 || e > countOf(list) || entries(list)[e] == entry) return;
    Edit edit{Edit::setEntry};
    edit.list = list;
    edit.at = e;
    edit.entryBefore = entries(list)[e];
    edit.entryAfter = entry;
    entries(list)[e] = entry;
    const std::string before = edit.entryBefore;
    record(std::move(edit));
    // A renamed description keeps its line on the tax form, in the same step.
    if (list == descrList && !before.empty() && !entry.empty())
        setTaxFacts(withRenamedDescription(ledger.beside.tax, static_cast<uint8_t>(before[0]), entryText(before),
                                           static_cast<uint8_t>(entry[0]), entryText(entry)));
}

void setTaxFacts(const TaxFacts& facts) {
    if (facts == ledger.beside.tax) return;
    Edit e{Edit::setTax};
    e.taxBefore = std::make_shared<const TaxFacts>(ledger.beside.tax);
    e.taxAfter = std::make_shared<const TaxFacts>(facts);
    ledger.beside.tax = facts;
    record(std::move(e));
}

void setSchedules(const std::vector<Schedule>& schedules) {
    if (schedules == ledger.beside.schedules) return;
    Edit e{Edit::setSchedules};
    e.schedulesBefore = std::make_shared<const std::vector<Schedule>>(ledger.beside.schedules);
    e.schedulesAfter = std::make_shared<const std::vector<Schedule>>(schedules);
    ledger.beside.schedules = schedules;
    record(std::move(e));
}

void removeListEntryAt(ListKind list, int e) {
    if (e < 1 || e > countOf(list)) return;
    Edit edit{Edit::removeEntry};
    edit.list = list;
    edit.at = e;
    edit.entryBefore = entries(list)[e];
    edit.references = removeEntryAt(list, e);
    record(std::move(edit));
}

void addBankLines(std::vector<BankLine> lines) {
    if (lines.empty()) return;
    Edit e{Edit::addLines};
    e.at = static_cast<int>(lines.size());
    ledger.beside.lines.insert(ledger.beside.lines.end(), std::make_move_iterator(lines.begin()),
                               std::make_move_iterator(lines.end()));
    record(std::move(e));
}

void setBankLine(size_t i, const BankLine& line) {
    if (i >= ledger.beside.lines.size()) return;
    Edit e{Edit::setLine};
    e.at = static_cast<int>(i);
    e.lines = {ledger.beside.lines[i], line};
    ledger.beside.lines[i] = line;
    record(std::move(e));
}

void addArchiveNote(const ArchiveNote& archive) {
    Edit e{Edit::addArchive};
    e.archive = archive;
    ledger.beside.archives.push_back(archive);
    record(std::move(e));
}

void addRememberedBalance(const RememberedBalance& balance) {
    Edit e{Edit::addBalance};
    e.balance = balance;
    ledger.beside.balances.push_back(balance);
    record(std::move(e));
}

void commitStep(const std::string& label) {
    if (history.pending.empty()) return;
    history.done.push_back({label, std::move(history.pending), history.nextId++});
    history.pending.clear();
    history.undone.clear();
    changedFlagFollows();
}

bool canUndo() { return !history.done.empty(); }
bool canRedo() { return !history.undone.empty(); }
std::string undoLabel() { return canUndo() ? history.done.back().label : std::string(); }
std::string redoLabel() { return canRedo() ? history.undone.back().label : std::string(); }

namespace {

// Moves the last step of `from` to `to`, applying it backward (an undo) or
// forward (a redo), whole or not at all.
int moveStep(std::vector<Step>& from, std::vector<Step>& to, bool forward) {
    commitStep("Change");
    if (from.empty()) return -1;
    const Step& step = from.back();
    if (!fits(step, forward)) {
        showMessage("\"" + step.label + (forward ? "\" cannot be redone" : "\" cannot be undone") +
                        ": the tables have no room for it.\r\nNothing has been changed.",
                    forward ? "Redo" : "Undo", mb::ok | mb::iconExclamation);
        return -1;
    }
    int touched = applyStep(step, forward);
    to.push_back(std::move(from.back()));
    from.pop_back();
    changedFlagFollows();
    return touched;
}

}  // namespace

int undoStep() { return moveStep(history.done, history.undone, false); }
int redoStep() { return moveStep(history.undone, history.done, true); }

void startNewHistory() {
    bool changed = ledgerChanged;
    history.pending.clear();
    history.done.clear();
    history.undone.clear();
    history.baseId = history.nextId++;
    history.savedId = changed ? noState : history.baseId;
    changedFlagFollows();
}

void removeArchivedTransactions(int k) {
    k = std::max(0, std::min(k, static_cast<int>(transactionCount)));
    for (int i = k + 1; i <= transactionCount; ++i) {
        transactions[i - k] = transactions[i];
        transactionTags[i - k] = transactionTags[i];
    }
    for (int i = transactionCount - k + 1; i <= transactionCount; ++i) transactionTags[i] = 0;
    transactionCount = static_cast<uint16_t>(transactionCount - k);
    if (k > 0) history.forced = true;  // unsaved, they would come back with the ledger
    startNewHistory();
}

void markLedgerSaved() {
    commitStep("Change");
    history.savedId = currentId();
    history.forced = false;
    changedFlagFollows();
}

void markLedgerChanged() {
    history.forced = true;
    changedFlagFollows();
}

size_t historyBytes() {
    size_t n = 0;
    for (const auto* steps : {&history.done, &history.undone})
        for (const Step& s : *steps) {
            n += sizeof(Step) + s.label.capacity();
            for (const Edit& e : s.edits) n += editBytes(e);
        }
    for (const Edit& e : history.pending) n += editBytes(e);
    return n;
}

void resetChanges() {
    // State numbers are never given twice, so a state of the old books is
    // never taken for one of the new.
    uint64_t next = history.nextId;
    history = History{};
    history.baseId = history.savedId = next;
    history.nextId = next + 1;
    changedFlagFollows();
}

uint64_t booksState() { return currentId(); }

// The tables live in tables.cpp; emptying them is a change like a load.
// The side data, the tags and the damage mark go with them.
void resetLedgerTables() {
    ledger = {};
    resetChanges();
}
