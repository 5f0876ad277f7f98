#include "app/commands.h"

#include <windows.h>
#include <commdlg.h>
#include <htmlhelp.h>

#include "app/list_state.h"
#include "app/main_window.h"
#include "app/prompts.h"
#include "app/transaction_list.h"
#include "app/transaction_ops.h"
#include "ledger/ledger_file.h"
#include "ledger/settings.h"
#include "ledger/tables.h"
#include "reports/list_maintenance.h"

namespace {

int running = 0;           // commands (and quit flows) in progress
bool quitByCommand = false;  // Exit or Quit is asking the window to close

struct Running {
    Running() { ++running; }
    ~Running() { --running; }
};

void openLedger() {
    FileDialogRequest request;
    request.caption = "Open File";
    request.folder = dataFolder;
    request.filters = ledgerFileFilters();
    request.defaultExtension = "qvl";
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_LONGNAMES;
    std::string path = prompts().fileDialog(request);
    if (path.empty()) return;
    if (ledgerChanged &&
        showMessage("Current file has changed...\r\nSave it before opening the new file?", "Save File",
                    mb::yesNo | mb::iconQuestion) == mb::idYes)
        saveLedger();
    loadLedger(path);
    fillList();
    updateStatus(0);
    updateStatus(1);
}

// The commands that work on the selected row do nothing on an empty list.
bool haveSelection() { return rowCount > 0 && currentList && currentList->selected() > 0; }

void deleteSelected() {
    if (!haveSelection()) return;
    if (showMessage("Delete this record now?", "Update Descriptions", mb::yesNo | mb::iconStop) != mb::idYes) return;
    keptDescrIndex = 0;
    keptNameIndex = 0;
    deleteTransaction();
    updateStatus(1);
    fillList();
}

void saveNow() {
    if (showMessage("Save this file now?", "Save File", mb::yesNo | mb::iconQuestion) == mb::idYes) saveLedger();
}

// Toolbar buttons lose the default-button frame a click gives them.
void resetButtonStyles() {
    for (int id = idToolbar; id <= idFilter; ++id) {
        HWND b = GetDlgItem(mainWindow, id);
        if (b) SendMessageA(b, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
}

void dispatch(int id) {
    switch (id) {
    case cmdOpen:
        openLedger();
        break;
    case cmdSave:
        saveNow();
        break;
    case cmdSaveAs:
        saveLedgerAs();
        updateStatus(0);
        break;
    case cmdExit:
    case idQuit:
        quitByCommand = true;
        SendMessageA(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        quitByCommand = false;
        break;
    case cmdDeleteRecord:
        deleteSelected();
        break;
    case cmdContents:
        prompts().htmlHelp(helpPath, HH_DISPLAY_TOPIC);
        break;
    default:
        break;
    }
}

}  // namespace

bool commandInProgress() { return running > 0; }

void runCommand(int id) {
    if (running) return;  // a question of another command is still on screen
    {
        Running guard;
        dispatch(id);
    }
    if (mainWindow) resetButtonStyles();
}

bool confirmQuit() {
    // Only Exit and Quit may ask while a command runs: a close box clicked
    // while another command's question is up is refused.
    if (running && !quitByCommand) return false;
    quitByCommand = false;
    Running guard;
    if (ledgerChanged) {
        int answer = showMessage("This file has changed... save it before quiting?", "Quit Program",
                                 mb::yesNoCancel | mb::iconQuestion);
        if (answer == mb::idCancel) return false;
        if (answer == mb::idYes) saveLedger();
    } else if (showMessage("Quit program now?", "Quit Program", mb::okCancel | mb::iconQuestion) != mb::idOk) {
        return false;
    }
    if (settingsChanged) writeSettings();
    return true;
}
