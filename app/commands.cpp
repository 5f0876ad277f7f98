#include "app/commands.h"

#include <windows.h>
#include <commdlg.h>
#include <htmlhelp.h>

#include <type_traits>

#include "app/about_box.h"
#include "app/due_command.h"
#include "app/file_commands.h"
#include "app/find_command.h"
#include "app/list_refresh.h"
#include "app/list_state.h"
#include "app/main_pages.h"
#include "app/main_state.h"
#include "app/status_texts.h"
#include "app/transaction_list.h"
#include "entry/record_dialog.h"
#include "entry/sales_tax_dialog.h"
#include "entry/schedules_dialog.h"
#include "entry/transaction_ops.h"
#include "ledger/changes.h"
#include "ledger/file_access.h"
#include "ledger/ledger_file.h"
#include "ledger/settings.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "reports/filter_dialog.h"
#include "reports/schedule_c_dialog.h"
#include "lists/list_dialog.h"
#include "reports/tax_report_dialog.h"
#include "reports/year_glance_dialog.h"
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

// A cancelled entry dialog leaves the rows as they are, though an entry the
// user agreed to add is in its list.
ListRefresh rowsAsTheyAre() {
    ListRefresh r;
    r.rows = ListRefresh::keep;
    return r;
}

// A record added or changed at position t: selected at the fill, or said to
// be out of the list's sight when the filter hides it.
ListRefresh showRecord(int t) {
    ListRefresh r;
    r.show = t;
    if (t > 0 && !transactionPassesFilter(t, 0)) r.note = hiddenRecordNote;
    return r;
}

ListRefresh addRecord(int type) {
    std::optional<Transaction> record = askTransaction(mainWindow, {type, 0});
    if (!record) return rowsAsTheyAre();
    return showRecord(insertTransaction(*record));  // 0 when the table was full
}

// The record view, stepping through the rows as the list shows them; the
// list's selection follows each step.
ListRefresh viewSelected() {
    int t = findSelectedTransaction();
    if (t == 0) return {};
    const std::vector<int> shown = shownTransactions();
    ViewStep step{selectedRow, 1};
    while (std::optional<ViewStep> next = showRecordView(mainWindow, shown, step)) {
        step = *next;
        selectedRow = step.position;
        t = shown[static_cast<size_t>(step.position - 1)];
        currentType = transactions[static_cast<size_t>(t)].type;
        if (currentList) currentList->select(selectedRow, 1, 0);
        updateStatus(1);
    }
    viewPosition = {0, 0};
    focusTransaction = t;  // the next fill selects the row last looked at
    return rowsAsTheyAre();
}

ListRefresh changeSelected() {
    int t = findSelectedTransaction();
    if (t == 0) return {};
    std::optional<Transaction> record = askTransaction(mainWindow, {currentType, t});
    if (!record) return rowsAsTheyAre();
    // Replacing it may offer to remove the old description and name.
    return showRecord(keepingFilterEntries([&] { return changeTransaction(t, *record); }));
}

ListRefresh deleteSelected() {
    int t = findSelectedTransaction();
    if (t == 0) return {};
    if (showMessage("Delete this record now?", "Update Descriptions", mb::yesNo | mb::iconStop) != mb::idYes) return {};
    if (keepingFilterEntries([t] { return deleteTransaction(t).has_value(); })) rowRemoved();
    return {};
}

ListRefresh filterCommand() {
    const FilterValues before = filter;
    FilterDialogResult chosen = showFilterDialog(mainWindow, filter, currentType);
    filter = chosen.values;
    if (chosen.allTypes) currentType = 0;
    ListRefresh r;
    r.rows = ListRefresh::keep;  // "&Reset" alone takes effect at the next fill
    if (!chosen.showAll) {
        // Until then the status bar goes on saying what the rows pass.
        const bool same = filter.startDate == before.startDate && filter.endDate == before.endDate &&
                          filter.descrIndex == before.descrIndex && filter.nameIndex == before.nameIndex;
        if (!same && !listState.filledFilterText) listState.filledFilterText = filterStatusText(before);
        return r;
    }
    selectedRow = 0;
    r.rows = ListRefresh::all;
    r.tab = 1;  // "All Transactions"
    return r;
}

// View > Year at a Glance: a double click on a cell puts its month and its
// description or name in force as the filter and shows All Transactions.
ListRefresh yearAtAGlance() {
    GlanceChoice chosen = showYearAtAGlance(mainWindow);
    if (!chosen.show) return rowsAsTheyAre();
    filter = chosen.filter;
    selectedRow = 0;
    ListRefresh r;
    r.rows = ListRefresh::all;
    r.tab = 1;
    r.note = chosen.note;
    return r;
}

// View > Schedule C: the lines given to descriptions there are steps of the
// books' history, which change no row; the rows keep their order and
// selection.
ListRefresh scheduleC() {
    showScheduleC(mainWindow);
    ListRefresh r;
    r.rows = ListRefresh::texts;
    return r;
}

// Edit > Scheduled Entries: the dialog gets the selected transaction, if
// any, for "Make from selected". Its New, Change and Delete are steps of
// the history that change no row.
ListRefresh scheduledEntries() {
    std::optional<Transaction> selected;
    if (int t = findSelectedTransaction()) selected = transactions[static_cast<size_t>(t)];
    showScheduledEntries(mainWindow, selected);
    return rowsAsTheyAre();
}

ListRefresh listMaintenance(int id) {
    keepingFilterEntries([id] { showListMaintenance(mainWindow, id == cmdNamesList ? 0 : 1); });
    // Renamed entries show on the rows, which keep their order and selection.
    ListRefresh r;
    r.rows = ListRefresh::texts;
    return r;
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
ListRefresh undoOrRedo(bool undo) {
    int touched = keepingFilterEntries([&] { return undo ? undoStep() : redoStep(); });
    ListRefresh r;
    if (touched < 0) r.rows = ListRefresh::keep;
    if (touched == 0) r.rows = ListRefresh::texts;  // only names or descriptions changed
    if (touched > 0) {
        r.show = touched;
        r.reveal = true;
    }
    return r;
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

ListRefresh quitCommand() {
    quitByCommand = true;
    SendMessageA(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    quitByCommand = false;
    return {};
}

ListRefresh helpContents() {
    if (helpInBrowser)
        showHelpInBrowser();
    else
        prompts().htmlHelp(helpPath, HH_DISPLAY_TOPIC);
    return {};
}

ListRefresh salesTaxRates() {
    if (auto rates = askSalesTaxRates(mainWindow, currentSalesTaxRates())) storeSalesTaxRates(*rates);
    return rowsAsTheyAre();
}

ListRefresh taxReport() {
    showTaxReport(mainWindow, shownTransactions());
    return {};
}

ListRefresh about() {
    showAbout(mainWindow);
    return {};
}

// A command with nothing of its own to show: the list stays as it is.
template <ListRefresh (*command)()> ListRefresh rowsKept(int) {
    command();
    return rowsAsTheyAre();
}
template <ListRefresh (*command)()> ListRefresh plain(int) { return command(); }

struct CommandHandler {
    int id;
    ListRefresh (*run)(int id);
};
const CommandHandler commandHandlers[] = {
    {cmdOpen, plain<openFile>}, {cmdSave, rowsKept<saveFile>}, {cmdSaveAs, rowsKept<saveFileAs>},
    {cmdNew, plain<newFile>}, {cmdArchive, plain<archiveFile>}, {cmdPrint, rowsKept<printFile>},
    {cmdExport, rowsKept<exportFile>}, {cmdImport, plain<importFile>},
    {cmdExit, plain<quitCommand>}, {idQuit, plain<quitCommand>},
    {idRept, rowsKept<taxReport>}, {cmdTaxReport, rowsKept<taxReport>}, {cmdYearGlance, plain<yearAtAGlance>},
    {cmdScheduleC, plain<scheduleC>},
    {idServ, [](int id) { return addRecord(id - 1000); }}, {idExps, [](int id) { return addRecord(id - 1000); }},
    {idProd, [](int id) { return addRecord(id - 1000); }}, {idEarn, [](int id) { return addRecord(id - 1000); }},
    {cmdAddService, [](int) { return addRecord(typeService); }},
    {cmdAddEarning, [](int) { return addRecord(typeEarnings); }},
    {cmdAddProduct, [](int) { return addRecord(typeSold); }},
    {cmdAddExpense, [](int) { return addRecord(typeExpense); }},
    {idData, plain<viewSelected>}, {cmdFormData, plain<viewSelected>},
    {idEdit, plain<changeSelected>}, {cmdChangeRecord, plain<changeSelected>},
    {cmdDeleteRecord, plain<deleteSelected>},
    {idFilter, plain<filterCommand>}, {cmdFiltered, plain<filterCommand>},
    {cmdNamesList, listMaintenance}, {cmdDescrList, listMaintenance},
    {cmdSalesTax, plain<salesTaxRates>}, {cmdScheduledEntries, plain<scheduledEntries>},
    {cmdNextTab, [](int) { stepTab(1); return ListRefresh{}; }},
    {cmdPreviousTab, [](int) { stepTab(-1); return ListRefresh{}; }},
    {cmdContents, rowsKept<helpContents>}, {cmdAbout, rowsKept<about>},
    {cmdUndo, [](int) { return undoOrRedo(true); }}, {cmdRedo, [](int) { return undoOrRedo(false); }},
    {cmdFind, plain<findCommand>}, {cmdFindNext, plain<findNextCommand>},
    {cmdDueEntries, plain<dueEntriesOnDemand>}, {cmdDueEntriesAtOpen, plain<dueEntriesAtOpen>},
};

ListRefresh dispatch(int id) {
    for (const CommandHandler& h : commandHandlers)
        if (h.id == id) return h.run(id);
    return rowsAsTheyAre();
}

}  // namespace

bool commandInProgress() { return running > 0; }

void runCommand(int id) {
    if (running) return;  // a question of another command is still on screen
    createRemainingPages();  // no command finds a page missing
    const uint64_t before = booksState();
    ListRefresh refresh;
    {
        Running guard;
        refresh = dispatch(id);
        commitStep(stepLabel(id));
    }
    // One refresh of the list and the status bar (Save As, and a save that
    // asked for a name, give the books another file to name).
    refreshList(refresh, booksState() != before);
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
