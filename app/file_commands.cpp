#include "app/file_commands.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "app/ask_text.h"
#include "app/due_command.h"
#include "app/list_state.h"
#include "app/main_state.h"
#include "app/status_texts.h"
#include "app/transaction_list.h"
#include "import/import_dialog.h"
#include "ledger/archive.h"
#include "ledger/ledger_file.h"
#include "ledger/tables.h"
#include "reports/csv_export.h"
#include "reports/filter.h"
#include "reports/printing.h"
#include "text/date_text.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

namespace {

// Before other books replace these: false when they must stay, because
// the changes were to be saved and the save did not happen.
bool changesSavedOrDropped() {
    if (!ledgerChanged) return true;
    if (showMessage("Current file has changed...\r\nSave it before opening the new file?", "Save File",
                    mb::yesNo | mb::iconQuestion) != mb::idYes)
        return true;
    return saveLedger();
}

// Other books, just loaded or emptied: every row afresh.
ListRefresh otherBooks(std::string note = "") {
    ListRefresh r;
    r.rows = ListRefresh::all;
    r.note = std::move(note);
    return r;
}

// What the status bar says of a filter's description or name that the
// books just opened do not have.
std::string droppedFilterNote(const FilterEntries& before, const FilterTextsFound& found) {
    std::string dropped;
    if (!found.description) dropped = "description \"" + entryText(before.description) + "\"";
    if (!found.name) dropped += (dropped.empty() ? "name \"" : " and name \"") + entryText(before.name) + "\"";
    return dropped.empty() ? "" : "Filter " + dropped + " not in this ledger: dropped";
}

}  // namespace

ListRefresh openFile() {
    std::string path = prompts().fileDialog(
        ledgerFileRequest(false, "Open File", dataFolder, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_LONGNAMES));
    if (path.empty() || !changesSavedOrDropped()) return {};
    // The filter's description and name are numbers in the old lists: they
    // follow their texts into the books opened, or go.
    FilterEntries filtered = filterEntries();
    std::vector<ArchiveNote> archivesBefore = ledger.beside.archives;
    if (loadLedger(path)) offerDueEntriesSoon(archivesBefore);
    return otherBooks(droppedFilterNote(filtered, findFilterTexts(filtered)));
}

ListRefresh saveFile() {
    if (showMessage("Save this file now?", "Save File", mb::yesNo | mb::iconQuestion) == mb::idYes) saveLedger();
    return {};
}

ListRefresh saveFileAs() {
    saveLedgerAs();
    return {};
}

ListRefresh newFile() {
    if (!changesSavedOrDropped()) return {};
    installLedgerImage(LedgerImage{});
    ledgerPath.clear();
    // The filter's description and name pointed into the old lists.
    filterDescrIndex = 0;
    filterNameIndex = 0;
    focusTransaction = 0;
    return otherBooks();
}

ListRefresh archiveFile() {
    int moved = archiveUpTo(askText("Ending year (or date): ", "Archive date"));
    if (moved == 0) return {};
    // The row to select stays on the same transaction, if it is still here.
    transactionsArchived(moved);
    return otherBooks();
}

ListRefresh printFile() {
    printList(shownTransactions());
    return {};
}

ListRefresh exportFile() {
    exportCsv(transactionsCsv(shownTransactions()), "Export");
    return {};
}

ListRefresh importFile() {
    FileDialogRequest request;
    request.caption = "Import";
    request.folder = dataFolder;
    request.filters = {{"Bank statements (*.csv;*.ofx;*.qfx;*.qif)", "*.csv;*.ofx;*.qfx;*.qif"}, {"All files", "*.*"}};
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    std::string path = prompts().fileDialog(request);
    if (path.empty()) return {};
    Bytes bytes;
    std::string error;
    // One byte past the limit tells a file that is too long without reading it all.
    if (!readWholeFile(path, bytes, error, maxStatementBytes + 1)) {
        // Windows allows no '?' in a name: the file dialog put it there for
        // a character the program's code page lacks, and no such file exists.
        if (fileNameOf(path).find('?') != std::string::npos)
            error = "its name has characters Quirvel cannot use. Rename the file (letters, digits and the usual "
                    "punctuation) and import it again.";
        else if (path.find('?') != std::string::npos)
            error = "the name of its folder has characters Quirvel cannot use. Move the file to a folder with a "
                    "plain name and import it again.";
        showMessage("The file " + path + " could not be opened:\r\n" + error, "Import", mb::ok | mb::iconStop);
        return {};
    }
    if (bytes.size() > maxStatementBytes) {
        showMessage(fileNameOf(path) + " cannot be imported:\r\nit is larger than " +
                        std::to_string(maxStatementBytes >> 20) + " MB, more than any bank statement.",
                    "Import", mb::ok | mb::iconExclamation);
        return {};
    }
    std::vector<ImportRow> rows;
    RememberedBalance closing;
    bool hasClosing = false;
    if (!showImportPreview(mainWindow, path, bytes, rows, &closing, &hasClosing)) return {};
    auto count = std::count_if(rows.begin(), rows.end(), [](const ImportRow& r) { return r.checked; });
    const uint32_t firstNewTag = ledger.nextTag;  // every transaction added now is tagged from here on
    int first = importCheckedRows(rows, todayPacked(), hasClosing ? &closing : nullptr);
    if (first == 0) return {};
    int hidden = 0;
    for (int t = 1; t <= transactionCount; ++t)
        if (transactionTags[static_cast<size_t>(t)] >= firstNewTag && !transactionPassesFilter(t, 0)) ++hidden;
    // Edit > Undo names the file: "Undo Import 4 rows from checking-us.csv".
    commitStep((count == 1 ? std::string("Import 1 row") : "Import " + std::to_string(count) + " rows") + " from " +
               fileNameOf(path));
    // The first row added, selected, on a tab that shows it.
    ListRefresh r;
    r.show = first;
    r.reveal = true;
    r.note = addedRowsNote(static_cast<int>(count), fileNameOf(path), hidden);
    return r;
}
