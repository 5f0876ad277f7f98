#include "app/file_commands.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "app/ask_text.h"
#include "app/transaction_list.h"
#include "import/import_dialog.h"
#include "ledger/archive.h"
#include "ledger/ledger_file.h"
#include "ledger/list_state.h"
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

// The list and both parts of the status bar, for books just loaded or emptied.
void showOtherBooks() {
    fillList();
    updateStatus(0);
    updateStatus(1);
}

}  // namespace

void openFile() {
    std::string path = prompts().fileDialog(
        ledgerFileRequest(false, "Open File", dataFolder, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_LONGNAMES));
    if (path.empty() || !changesSavedOrDropped()) return;
    loadLedger(path);
    showOtherBooks();
}

void saveFile() {
    if (showMessage("Save this file now?", "Save File", mb::yesNo | mb::iconQuestion) == mb::idYes) saveLedger();
}

void saveFileAs() { saveLedgerAs(); }

void newFile() {
    if (!changesSavedOrDropped()) return;
    installLedgerImage(LedgerImage{});
    ledgerPath.clear();
    // The filter's description and name pointed into the old lists.
    filterDescrIndex = 0;
    filterNameIndex = 0;
    focusTransaction = 0;
    showOtherBooks();
}

void archiveFile() {
    if (archiveUpTo(askText("Ending year (or date): ", "Archive date"))) fillList();
}

void printFile() { printList(); }

void exportFile() {
    std::vector<int> shown;
    for (int p = 1; p <= rowCount; ++p) shown.push_back(transactionAtPosition(p));
    exportCsv(transactionsCsv(shown), "Export");
}

void importFile() {
    FileDialogRequest request;
    request.caption = "Import";
    request.folder = dataFolder;
    request.filters = {{"Bank statements (*.csv;*.ofx;*.qfx;*.qif)", "*.csv;*.ofx;*.qfx;*.qif"}, {"All files", "*.*"}};
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    std::string path = prompts().fileDialog(request);
    if (path.empty()) return;
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
        return;
    }
    if (bytes.size() > maxStatementBytes) {
        showMessage(fileNameOf(path) + " cannot be imported:\r\nit is larger than " +
                        std::to_string(maxStatementBytes >> 20) + " MB, more than any bank statement.",
                    "Import", mb::ok | mb::iconExclamation);
        return;
    }
    std::vector<ImportRow> rows;
    RememberedBalance closing;
    bool hasClosing = false;
    if (!showImportPreview(path, bytes, rows, &closing, &hasClosing)) return;
    auto count = std::count_if(rows.begin(), rows.end(), [](const ImportRow& r) { return r.checked; });
    int first = importCheckedRows(rows, todayPacked(), hasClosing ? &closing : nullptr);
    if (first == 0) return;
    // Edit > Undo names the file: "Undo Import 4 rows from checking-us.csv".
    commitStep((count == 1 ? std::string("Import 1 row") : "Import " + std::to_string(count) + " rows") + " from " +
               fileNameOf(path));
    // The first row added, selected, on a tab that shows it.
    if (currentTab != 1 && !transactionPassesFilter(first)) clickTabOf(tabControl, 0);
    focusTransaction = first;
    fillList();
    focusTransaction = 0;
    updateStatus(1);
    if (statusBar) {
        char part[256] = "";
        SendMessageA(statusBar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(part));
        std::string added = std::string(part) + "    " + std::to_string(count) +
                            (count == 1 ? " row" : " rows") + " added from " + fileNameOf(path);
        SendMessageA(statusBar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(added.c_str()));
    }
}
