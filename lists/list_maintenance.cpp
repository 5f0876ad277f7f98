#include "lists/list_maintenance.h"

#include <algorithm>

#include "ledger/changes.h"
#include "lists/entry_matching.h"
#include "text/plain_text.h"
#include "ui/prompts.h"

int listKind = nameList;
int chosenEntry = 0;

namespace {

std::string* entries(ListKind kind) { return kind == descrList ? descriptions.data() : names.data(); }
uint16_t& countOf(ListKind kind) { return kind == descrList ? descrCount : nameCount; }
uint16_t& indexOf(Transaction& t, ListKind kind) { return kind == descrList ? t.descrIndex : t.nameIndex; }

bool inRange(ListKind kind, int e) { return e >= 1 && e <= countOf(kind); }

int groupOf(ListKind kind, int e) {
    const std::string& entry = entries(kind)[e];
    return entry.empty() ? 0 : static_cast<unsigned char>(entry[0]);
}

// A reference to a later entry follows it down; one to the removed entry
// itself would now name its neighbour, so it is dropped.
template <typename T>
void followRemoval(T& reference, int e) {
    if (reference == e)
        reference = 0;
    else if (reference > e)
        --reference;
}

bool usedByOtherThan(ListKind kind, int e, int t) {
    for (int i = 1; i <= transactionCount; ++i)
        if (i != t && indexOf(transactions[i], kind) == e) return true;
    return false;
}

void askAboutEntry(ListKind kind, int t, EntryPair& keptPair) {
    uint16_t& kept = kind == descrList ? keptPair.descrIndex : keptPair.nameIndex;
    int e = indexOf(transactions[t], kind);
    if (e == 0 || e == kept || !inRange(kind, e) || usedByOtherThan(kind, e, t)) return;
    std::string text = entryText(entries(kind)[e]);
    if (text.empty()) return;
    bool isDescr = kind == descrList;
    std::string question = std::string(isDescr ? "Description [" : "Name [") + text + "] " + "\r\n" +
                           "not used now... OK to delete it?";
    if (showMessage(question, isDescr ? "Update Descriptions" : "Update names", mb::yesNo | mb::iconQuestion) ==
        mb::idYes) {
        removeListEntry(kind, e);
        followRemoval(kept, e);
    }
}

}  // namespace

void removeListEntry(ListKind kind, int e) {
    if (!inRange(kind, e)) return;
    removeListEntryAt(kind, e);
    if (listKind == kind) followRemoval(chosenEntry, e);
}

void offerUnusedEntryRemovalFor(int t, EntryPair& kept) {
    if (t < 1 || t > transactionCount) return;
    askAboutEntry(descrList, t, kept);
    // The answer may have been given after other changes; make sure t is
    // still there before asking about its name.
    if (t > transactionCount) return;
    askAboutEntry(nameList, t, kept);
}

bool entryInUse(ListKind kind, int e) { return e != 0 && usedByOtherThan(kind, e, 0); }

std::vector<int> unusedEntries(ListKind kind) {
    std::vector<bool> used(countOf(kind) + 1u, false);
    for (int i = 1; i <= transactionCount; ++i) {
        int e = indexOf(transactions[i], kind);
        if (inRange(kind, e)) used[e] = true;
    }
    std::vector<int> unused;
    for (int e = 1; e <= countOf(kind); ++e)
        if (!used[e]) unused.push_back(e);
    return unused;
}

std::vector<ListItem> groupEntries(ListKind kind, int group) {
    std::vector<ListItem> items;
    for (int e = 1; e <= countOf(kind); ++e)
        if (group == 0 || groupOf(kind, e) == group) items.push_back({e, trimBlanks(entryText(entries(kind)[e]))});
    return items;
}

int findGroupEntry(ListKind kind, int group, const std::string& text, int except) {
    for (const ListItem& item : groupEntries(kind, group))
        if (item.entry != except && sameTextIgnoringCase(item.text, text)) return item.entry;
    return 0;
}

std::string groupTypeWord(int group) {
    static const char* const words[] = {"", "Service", "Expense", "Product", "", "", "Earning"};
    return group >= 1 && group <= 6 ? words[group] : "";
}

std::string entryTypeText(ListKind kind, int e) {
    return "Type of transaction: " + groupTypeWord(inRange(kind, e) ? groupOf(kind, e) : 0);
}

int addEntry(ListKind kind, uint8_t group, const std::string& text) {
    if (int existing = findGroupEntry(kind, group, text)) return existing;
    if (text.empty()) return 0;
    return appendListEntry(kind, group, text);
}

int combineEntries(ListKind kind, int keep, int remove) {
    if (!inRange(kind, keep) || !inRange(kind, remove)) return 0;
    if (keep == remove) return keep;
    for (int i = 1; i <= transactionCount; ++i) {
        if (indexOf(transactions[i], kind) != remove) continue;
        Transaction t = transactions[i];
        indexOf(t, kind) = static_cast<uint16_t>(keep);
        replaceTransactionAt(i, t);
    }
    removeListEntry(kind, remove);
    return remove < keep ? keep - 1 : keep;
}

bool renameEntry(ListKind kind, int e, uint8_t group, const std::string& text) {
    if (!inRange(kind, e)) return false;
    if (!fitsListEntry(text)) {
        showMessage(tooLongMessage("text"), "Quirvel", mb::ok | mb::iconExclamation);
        return false;
    }
    setListEntry(kind, e, std::string(1, static_cast<char>(group)) + text);
    return true;
}

int changeEntry(ListKind kind, int e, uint8_t group, const std::string& text) {
    if (!inRange(kind, e)) return 0;
    // Refuse a text the file cannot hold before anything is combined.
    if (!fitsListEntry(text)) return renameEntry(kind, e, group, text) ? e : 0;
    // Only another entry with the text means combining; finding e itself
    // (a change of letter case, or its own text) is a plain rename.
    if (int other = findGroupEntry(kind, group, text, e)) {
        bool isDescr = kind == descrList;
        std::string question = std::string("This ") + (isDescr ? "description" : "name") +
                               " is already used... continue anyway?";
        if (showMessage(question, std::string("Combine ") + (isDescr ? "Descriptions" : "Names"),
                        mb::yesNo | mb::iconExclamation) != mb::idYes)
            return 0;
        e = combineEntries(kind, e, other);
    }
    return renameEntry(kind, e, group, text) ? e : 0;
}

bool deleteEntry(ListKind kind, int e) {
    if (!inRange(kind, e)) return false;
    if (entryInUse(kind, e)) {
        showMessage(std::string("Cannot delete... this ") + (kind == descrList ? "description" : "name") +
                        " is in use",
                    "Delete Listbox Item", mb::ok | mb::iconStop);
        return false;
    }
    removeListEntry(kind, e);
    return true;
}

int deleteUnusedEntries(ListKind kind, std::vector<int> indices) {
    std::sort(indices.begin(), indices.end(), [](int a, int b) { return a > b; });
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    int removed = 0;
    for (int e : indices) {
        if (!inRange(kind, e) || entryInUse(kind, e)) continue;
        removeListEntry(kind, e);
        ++removed;
    }
    return removed;
}

void resetListMaintenanceState() {
    listKind = nameList;
    chosenEntry = 0;
}
