#include "ledger/archive.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ledger/side_file.h"
#include "ledger/changes.h"
#include "ledger/settings.h"
#include "text/date_text.h"
#include "ui/prompts.h"

namespace {

// Windows' OFN_* values for the save dialog.
constexpr unsigned long ofnOverwritePrompt = 0x2, ofnHideReadOnly = 0x4, ofnNoChangeDir = 0x8;

// New numbers (1-based, 0 = not carried) for the entries that `used` marks,
// and the carried entries in list order.
std::vector<uint16_t> renumberUsed(const std::vector<bool>& used, const std::string* list,
                                   std::vector<std::string>& carried) {
    std::vector<uint16_t> newIndex(used.size(), 0);
    for (size_t e = 1; e < used.size(); ++e) {
        if (!used[e]) continue;
        carried.push_back(list[e]);
        newIndex[e] = static_cast<uint16_t>(carried.size());
    }
    return newIndex;
}

// The working ledger's lines of transactions 1..k now live in the archive
// at path; the books remember the archive too.
void noteArchived(int k, const std::string& path, uint16_t cutoff) {
    std::unordered_set<uint32_t> moved;
    for (int i = 1; i <= k && i <= transactionCount; ++i)
        if (transactionTags[i]) moved.insert(transactionTags[i]);
    for (BankLine& l : ledger.beside.lines)
        if (l.tag && moved.count(l.tag)) {
            l.archivedTo = path;
            l.tag = 0;
        }
    ledger.beside.archives.push_back({path, cutoff, todayPacked()});
}

}  // namespace

std::string completeArchiveDate(const std::string& answer) {
    size_t fields = 1 + std::count_if(answer.begin(), answer.end(), [](char c) { return c == '-' || c == '/'; });
    if (fields == 1) return "12-31-" + answer;
    if (fields == 2) {
        if (answer.size() < 3) return answer + "31-";
        return answer.substr(0, 3) + "31-" + answer.substr(3);
    }
    return answer;
}

int archiveCount(uint16_t cutoff) {
    // Only a leading run can be cut off the table; a file loaded out of date
    // order must not lose later transactions with it.
    int k = 0;
    while (k < transactionCount && transactions[k + 1].date <= cutoff) ++k;
    return k;
}

LedgerImage buildArchiveImage(int k) {
    k = std::max(0, std::min(k, static_cast<int>(transactionCount)));
    std::vector<bool> usedDescr(descrCount + 1u, false), usedName(nameCount + 1u, false);
    for (int i = 1; i <= k; ++i) {
        const Transaction& t = transactions[i];
        if (t.descrIndex <= descrCount) usedDescr[t.descrIndex] = true;
        if (t.nameIndex <= nameCount) usedName[t.nameIndex] = true;
    }
    usedDescr[0] = usedName[0] = false;  // 0 means none and stays 0
    LedgerImage image;
    std::vector<uint16_t> descrMap = renumberUsed(usedDescr, descriptions.data(), image.descriptions);
    std::vector<uint16_t> nameMap = renumberUsed(usedName, names.data(), image.names);
    for (int i = 1; i <= k; ++i) {
        Transaction t = transactions[i];
        t.descrIndex = t.descrIndex <= descrCount ? descrMap[t.descrIndex] : 0;
        t.nameIndex = t.nameIndex <= nameCount ? nameMap[t.nameIndex] : 0;
        image.transactions.push_back(t);
    }
    // The statement lines these transactions came from go with them, so that
    // the archive opened as books knows them too.
    std::unordered_map<uint32_t, uint32_t> archived;  // tag -> position in the archive
    for (int i = 1; i <= k; ++i)
        if (transactionTags[i]) archived.emplace(transactionTags[i], static_cast<uint32_t>(i));
    for (const BankLine& l : ledger.beside.lines) {
        auto p = l.tag ? archived.find(l.tag) : archived.end();
        if (p == archived.end()) continue;
        BankLine copy = l;
        copy.tag = p->second;
        image.beside.lines.push_back(std::move(copy));
    }
    // So do the tax form's lines of its descriptions, and the years' rates
    // and inventories, for a worksheet of an archived year.
    for (const std::string& d : image.descriptions)
        if (const TaxLineAssignment* a = d.empty() ? nullptr
                                                   : findAssignment(ledger.beside.tax, static_cast<uint8_t>(d[0]),
                                                                    entryText(d)))
            image.beside.tax.assignments.push_back(*a);
    image.beside.tax.rates = ledger.beside.tax.rates;
    image.beside.tax.inventories = ledger.beside.tax.inventories;
    return image;
}

int archiveUpTo(const std::string& answer) {
    if (answer.empty()) return 0;
    std::string date = normalizeDateText(completeArchiveDate(answer));
    if (date.empty()) {
        showMessage("Illegal date", "", mb::ok | mb::iconStop);
        return 0;
    }
    int k = archiveCount(packDate(date));

    // In the process's current folder.
    std::string path = prompts().fileDialog(
        ledgerFileRequest(true, "Archive File", "", ofnOverwritePrompt | ofnHideReadOnly | ofnNoChangeDir));
    if (path.empty()) return 0;
    if (isOwnProgramFile(path)) {
        showMessage(ownProgramFileText(path), "File Error", mb::ok | mb::iconStop);
        return 0;
    }
    if (!ledgerPath.empty() && sameFile(path, ledgerPath)) {
        // The archive would replace the ledger's own file while the later
        // transactions live only in memory, and archiving asks for no save.
        showMessage("The archive cannot be written over the open ledger " + path +
                        ".\r\nChoose another file name for the archive.",
                    "File Error", mb::ok | mb::iconStop);
        return 0;
    }

    std::string error;
    LedgerImage archive = buildArchiveImage(k);
    Bytes archiveBytes = encodeLedger(archive);
    if (!writeFileSafely(path, archiveBytes, error)) {
        // Removing the transactions now would lose them.
        showMessage("The archive could not be written to " + path + ":\r\n" + error +
                        "\r\nNo transactions have been removed from the ledger.",
                    "File Error", mb::ok | mb::iconStop);
        return 0;
    }
    // The archive takes the statement lines of its rows; the working ledger
    // keeps them all, noted as archived, so that an old statement imported
    // again is still known.
    SideFile archiveSide;
    archiveSide.hasLedger = true;
    archiveSide.ledger = identityOf(archiveBytes);
    archiveSide.data = archive.beside;
    if (!writeSideFile(path, archiveSide, false, error))
        showMessage("The archive was written, but the record of its imported statement lines could not be written to " +
                        sideFilePathFor(path) + ":\r\n" + error,
                    "File Error", mb::ok | mb::iconExclamation);
    noteArchived(k, path, packDate(date));
    // Unsaved, the archived transactions would come back with the ledger
    // and be counted twice: the removal marks the books changed.
    removeArchivedTransactions(k);
    showMessage(std::to_string(k) + " transactions moved to " + path + ".", "Archive", mb::ok | mb::iconInformation);
    return k;
}
