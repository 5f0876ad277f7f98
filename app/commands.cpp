#include "app/commands.h"

#include <windows.h>
#include <commdlg.h>
#include <htmlhelp.h>

#include <type_traits>

#include "app/about_box.h"
#include "app/file_commands.h"
#include "app/transaction_list.h"
#include "entry/record_dialog.h"
#include "entry/sales_tax_dialog.h"
#include "entry/transaction_ops.h"
#include "ledger/changes.h"
#include "ledger/file_access.h"
#include "ledger/ledger_file.h"
#include "ledger/list_state.h"
#include "ledger/settings.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "reports/filter_dialog.h"
#include "lists/list_dialog.h"
#include "reports/tax_report_dialog.h"
#include "lists/list_maintenance.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

bool helpInBrowser = false;
const char helpPageName[] = "help\\welcome.html";

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

namespace {

int running = 0;           // commands (and quit flows) in progress
bool quitByCommand = false;  // Exit or Quit is asking the window to close

struct Running {
    Running() { ++running; }
    ~Running() { --running; }
};

// Runs an operation that may remove list entries or put them back: the
// filter's description and name then follow their text to their new numbers.
template <class Operation> auto keepingFilterEntries(Operation operation) {
    FilterEntries filter = filterEntries();
    if constexpr (std::is_void_v<decltype(operation())>) {
        operation();
        refindFilterEntries(filter);
    } else {
        auto result = operation();
        refindFilterEntries(filter);
        return result;
    }
}

// The selected transaction, found from the list as it shows it now
// (whatever sorting, tab clicks or other commands came before): sets
// selectedRow and currentType. 0 on an empty list, and nothing is set.
int findSelectedTransaction() {
    if (rowCount == 0 || !currentList || currentList->selected() < 1) return 0;
    int t = transactionAtPosition(currentList->selected());
    if (t < 1 || t > transactionCount) return 0;
    selectedRow = currentList->selected();
    currentType = transactions[static_cast<size_t>(t)].type;
    return t;
}

void addRecord(int type) {
    std::optional<Transaction> record = askTransaction(mainWindow, {type, 0});
    if (record && insertTransaction(*record)) fillList();  // selects the new row
}

void viewSelected() {
    int t = findSelectedTransaction();
    if (t == 0) return;
    browseDirection = 1;
    focusTransaction = t;
    while (showRecordView()) {
        if (currentList) currentList->select(selectedRow, 1, 0);
        updateStatus(1);
    }
    viewPosition = {0, 0};
}

void changeSelected() {
    int t = findSelectedTransaction();
    if (t == 0) return;
    std::optional<Transaction> record = askTransaction(mainWindow, {currentType, t});
    // Replacing it may offer to remove the old description and name.
    if (record && keepingFilterEntries([&] { return changeTransaction(*record); })) fillList();
    updateStatus(1);
}

void deleteSelected() {
    if (findSelectedTransaction() == 0) return;
    if (showMessage("Delete this record now?", "Update Descriptions", mb::yesNo | mb::iconStop) != mb::idYes) return;
    keptDescrIndex = 0;
    keptNameIndex = 0;
    keepingFilterEntries([] { return deleteTransaction(); });
    updateStatus(1);
    fillList();
}

// The help's first page in the browser. A page that is gone or a shell
// that starts nothing is said, with the page's path, so that the user can
// reinstall or open it by hand.
void showHelpInBrowser() {
    const std::string page = dataFolder + helpPageName;
    if (!fileExists(page)) {
        showMessage("The help page is missing:\r\n" + page + "\r\nReinstalling Quirvel brings the help back.", "Help",
                    mb::ok | mb::iconExclamation);
        return;
    }
    if (!prompts().shellOpen(page, SW_SHOWNORMAL))
        showMessage("No browser could be started for the help page:\r\n" + page +
                        "\r\nOpen that page in your web browser to read the help.",
                    "Help", mb::ok | mb::iconExclamation);
}

// Takes a step back or forward, then shows the transaction it touched,
// selected, on the All Transactions tab when the current one would hide it.
void undoOrRedo(bool undo) {
    int touched = keepingFilterEntries([&] { return undo ? undoStep() : redoStep(); });
    if (touched < 0) return;
    if (touched == 0) {
        refreshListTexts();  // only names or descriptions changed
        return;
    }
    if (currentTab != 1 && !transactionPassesFilter(touched)) clickTabOf(tabControl, 0);
    focusTransaction = touched;
    fillList();
    focusTransaction = 0;
}

// What Undo calls the step a command makes.
std::string stepLabel(int id) {
    switch (id) {
    case idServ:
    case cmdAddService:
        return "Add service";
    case idExps:
    case cmdAddExpense:
        return "Add expense";
    case idEarn:
    case cmdAddEarning:
        return "Add earnings";
    case idProd:
    case cmdAddProduct:
        return "Add product";
    case idEdit:
    case cmdChangeRecord:
        return "Change record";
    case cmdDeleteRecord:
        return "Delete record";
    case cmdNamesList:
        return "Names list";
    case cmdDescrList:
        return "Descr list";
    default:
        return "Change";
    }
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
        openFile();
        break;
    case cmdSave:
        saveFile();
        break;
    case cmdSaveAs:
        saveFileAs();
        break;
    case cmdArchive:
        archiveFile();
        break;
    case cmdPrint:
        printFile();
        break;
    case idRept:
    case cmdTaxReport:
        showTaxReport();
        break;
    case cmdExit:
    case idQuit:
        quitByCommand = true;
        SendMessageA(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        quitByCommand = false;
        break;
    case idServ:
    case idExps:
    case idProd:
    case idEarn:
        addRecord(id - 1000);
        break;
    case cmdAddService:
        addRecord(typeService);
        break;
    case cmdAddEarning:
        addRecord(typeEarnings);
        break;
    case cmdAddProduct:
        addRecord(typeSold);
        break;
    case cmdAddExpense:
        addRecord(typeExpense);
        break;
    case idData:
    case cmdFormData:
        viewSelected();
        break;
    case idEdit:
    case cmdChangeRecord:
        changeSelected();
        break;
    case idFilter:
    case cmdFiltered:
        if (showFilterDialog()) fillList();
        break;
    case cmdNamesList:
    case cmdDescrList:
        keepingFilterEntries([id] { return showListMaintenance(id == cmdNamesList ? 0 : 1); });
        // Renamed entries show on the rows, which keep their order and selection.
        refreshListTexts();
        break;
    case cmdSalesTax:
        if (auto rates = askSalesTaxRates(mainWindow, currentSalesTaxRates())) storeSalesTaxRates(*rates);
        break;
    case cmdDeleteRecord:
        deleteSelected();
        break;
    case cmdNew:
        newFile();
        break;
    case cmdExport:
        exportFile();
        break;
    case cmdImport:
        importFile();
        break;
    case cmdNextTab:
    case cmdPreviousTab:
        stepTab(id == cmdNextTab ? 1 : -1);
        break;
    case cmdContents:
        if (helpInBrowser)
            showHelpInBrowser();
        else
            prompts().htmlHelp(helpPath, HH_DISPLAY_TOPIC);
        break;
    case cmdAbout:
        showAbout();
        break;
    case cmdUndo:
    case cmdRedo:
        undoOrRedo(id == cmdUndo);
        break;
    default:
        break;
    }
}

}  // namespace

bool commandInProgress() { return running > 0; }

void runCommand(int id) {
    if (running) return;  // a question of another command is still on screen
    createRemainingPages();  // no command finds a page missing
    {
        Running guard;
        dispatch(id);
        commitStep(stepLabel(id));
    }
    // Save As, and a save that asked for a name, give the books another file.
    updateStatus(0);
    if (mainWindow) resetButtonStyles();
    updateUndoItems();
}

void updateUndoItems() {
    HMENU menu = mainWindow ? GetMenu(mainWindow) : nullptr;
    if (!menu) return;
    struct {
        int id;
        std::string word, label, key;
    } items[] = {{cmdUndo, "&Undo", undoLabel(), "\tCtrl+Z"}, {cmdRedo, "&Redo", redoLabel(), "\tCtrl+Y"}};
    for (const auto& item : items) {
        // A label may name a file: its "&" is a letter, not a menu key.
        std::string label;
        for (char c : item.label) label += c == '&' ? std::string("&&") : std::string(1, c);
        std::string text = item.word + (label.empty() ? "" : " " + label) + item.key;
        UINT state = item.label.empty() ? MF_GRAYED : MF_ENABLED;
        ModifyMenuA(menu, static_cast<UINT>(item.id), MF_BYCOMMAND | MF_STRING | state, static_cast<UINT_PTR>(item.id),
                    text.c_str());
    }
}

namespace {

// The save question of the quit flow; false when the program must stay.
bool changesSavedOrDropped() {
    int answer = showMessage("This file has changed... save it before quiting?", "Quit Program",
                             mb::yesNoCancel | mb::iconQuestion);
    if (answer == mb::idCancel) return false;
    // A save that failed (or whose file dialog was cancelled) keeps the
    // window open, so that the changes can still be saved elsewhere.
    return answer != mb::idYes || saveLedger();
}

}  // namespace

bool confirmQuit() {
    // Only Exit and Quit may ask while a command runs: a close box clicked
    // while another command's question is up is refused.
    if (running && !quitByCommand) return false;
    quitByCommand = false;
    Running guard;
    if (ledgerChanged) {
        if (!changesSavedOrDropped()) return false;
    } else if (showMessage("Quit program now?", "Quit Program", mb::okCancel | mb::iconQuestion) != mb::idOk) {
        return false;
    }
    if (settingsChanged) writeSettings();
    return true;
}

bool confirmLogOff() {
    // A dialog or question of a command is still open: its work is not in
    // the tables yet, so the log-off must wait for the user.
    if (running) return false;
    Running guard;
    if (ledgerChanged && !changesSavedOrDropped()) return false;
    if (settingsChanged) writeSettings();
    return true;
}
