#include "app/file_commands.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "app/ask_text.h"
#include "app/transaction_list.h"
#include "ledger/archive.h"
#include "ledger/ledger_file.h"
#include "ledger/list_state.h"
#include "ledger/tables.h"
#include "reports/csv_export.h"
#include "reports/filter.h"
#include "reports/printing.h"
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
