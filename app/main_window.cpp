#include "app/main_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include "app/commands.h"
#include "app/dialog_template.h"
#include "app/list_state.h"
#include "app/transaction_list.h"
#include "entry/record_dialog.h"
#include "ledger/ledger_file.h"
#include "ledger/settings.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "reports/list_maintenance.h"
#include "reports/tax_report.h"

HWND mainWindow = nullptr;
HWND tabControl = nullptr;
HWND statusBar = nullptr;
HWND pages[6] = {};
cColumnList* lists[6] = {};
HWND currentPage = nullptr;
cColumnList* currentList = nullptr;
std::string helpPath;
std::string dataFolderOverride;

namespace {

bool runningModally = false;

const char* const tabTitles[6] = {"", "All Transactions", " Services       ", " Earnings       ",
                                  " Products       ", " Expenses       "};

struct ToolButton {
    int id;
    const char* caption;
    short x, width;
};
const ToolButton toolButtons[] = {
    {idServ, "Serv", 2, 27},   {idEarn, "Earn", 29, 27},   {idProd, "Prod", 56, 27},
    {idExps, "Exps", 83, 27},  {idData, "Data", 119, 27},  {idEdit, "Edit", 146, 27},
    {idFilter, "Filter", 173, 27}, {idRept, "Rept", 200, 27}, {idQuit, "Quit", 236, 25},
};

int displayRow(int position) { return currentList ? currentList->rowAt(position) : 0; }

HMENU buildMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, cmdOpen, "&Open");
    AppendMenuA(file, MF_STRING, cmdSave, "&Save");
    AppendMenuA(file, MF_STRING, cmdSaveAs, "Save&As");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, cmdArchive, "&Archive");
    AppendMenuA(file, MF_STRING, cmdPrint, "&Print");
    AppendMenuA(file, MF_STRING, cmdExit, "E&xit");
    HMENU add = CreatePopupMenu();
    AppendMenuA(add, MF_STRING, cmdAddService, "Service");
    AppendMenuA(add, MF_STRING, cmdAddEarning, "Earning");
    AppendMenuA(add, MF_STRING, cmdAddProduct, "Product");
    AppendMenuA(add, MF_STRING, cmdAddExpense, "Expense");
    HMENU edit = CreatePopupMenu();
    AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(add), "Add record");
    AppendMenuA(edit, MF_STRING, cmdChangeRecord, "&Change record");
    AppendMenuA(edit, MF_STRING, cmdDeleteRecord, "&Delete record");
    AppendMenuA(edit, MF_STRING, cmdNamesList, "&Names list");
    AppendMenuA(edit, MF_STRING, cmdDescrList, "&Descr list");
    AppendMenuA(edit, MF_STRING, cmdSalesTax, "&State sales tax");
    HMENU view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING, cmdFiltered, "&Filtered");
    AppendMenuA(view, MF_STRING, cmdFormData, "&Form data");
    AppendMenuA(view, MF_STRING, cmdTaxReport, "&Tax Report");
    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, cmdContents, "&Contents");
    AppendMenuA(help, MF_STRING, cmdAbout, "&About");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    return bar;
}

// The menu bar takes its height from the client area: grow the window so the
// client keeps its 320 x 300 units, and centre it in the work area again.
void fitWindowToClient(HWND hwnd) {
    RECT client = {0, 0, mainWidthUnits, mainHeightUnits};
    MapDialogRect(hwnd, &client);
    DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
    AdjustWindowRectEx(&client, style, TRUE, exStyle);
    int w = client.right - client.left, h = client.bottom - client.top;
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                 w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK pageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && lp) {
        cColumnList::controlCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
        if (LOWORD(wp) == currentListId && HIWORD(wp) == LBN_SELCHANGE && hwnd == currentPage) updateStatus(1);
    }
    return FALSE;
}

void createPages(HWND hwnd) {
    const int widths[5] = {17, 14, 24, 28, -17};
    const std::string headings[5] = {"\x02" "Date", "Type", "Descr", "Name", "\x01" "Amount"};
    RECT display;
    GetWindowRect(tabControl, &display);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&display), 2);
    // A little more room above and below the titles than the control's
    // default, so that descenders are not cut off under the 3-pixel shift.
    SendMessageA(tabControl, TCM_SETPADDING, 0, MAKELPARAM(6, 5));
    for (int tab = 1; tab <= 5; ++tab) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tabTitles[tab]);
        SendMessageA(tabControl, TCM_INSERTITEMA, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&item));
    }
    RECT area = display;
    SendMessageA(tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    HWND after = tabControl;
    for (int tab = 1; tab <= 5; ++tab) {
        cDialogTemplate page(WS_CHILD | DS_CONTROL, 0, 0, 0, 10, 10, "");
        pages[tab] = page.createModeless(hwnd, pageProc);
        // After the tab control, in creation and so in tab order: the tab
        // control lets clicks outside its titles through to the page.
        SetWindowPos(pages[tab], after, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOACTIVATE);
        after = pages[tab];
        lists[tab]->create(pages[tab], 2500 + tab, 2, 0, mainWidthUnits - 4, mainHeightUnits - 70, widths, headings, 5);
        // The list is taller than the display area under the tab titles: let
        // its page reach down to the list's bottom edge so no row is cut off.
        RECT listRect;
        GetWindowRect(lists[tab]->listBox(), &listRect);
        MapWindowPoints(nullptr, pages[tab], reinterpret_cast<POINT*>(&listRect), 2);
        if (listRect.bottom > area.bottom - area.top)
            SetWindowPos(pages[tab], nullptr, 0, 0, area.right - area.left, listRect.bottom + 1,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(pages[1], SW_SHOW);
}

std::string specialFolder(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    char path[MAX_PATH] = "";
    if (SHGetSpecialFolderLocation(nullptr, csidl, &pidl) == S_OK && pidl) {
        if (!SHGetPathFromIDListA(pidl, path)) path[0] = 0;
        CoTaskMemFree(pidl);
    }
    return path;
}

void initialise(HWND hwnd) {
    mainWindow = hwnd;
    SetMenu(hwnd, buildMenu());
    fitWindowToClient(hwnd);
    tabControl = GetDlgItem(hwnd, idTabs);
    for (int tab = 1; tab <= 5; ++tab) lists[tab] = new cColumnList;
    createPages(hwnd);

    currentPage = pages[1];
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "myQvl");
    if (icon) SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    dataFolder = dataFolderOverride.empty() ? determineDataFolder() : dataFolderOverride;
    if (!folderExists(dataFolder)) createFolder(dataFolder);
    readSettings();
    if (!ledgerPath.empty() && fileExists(ledgerPath)) {
        // A file that was refused must never be overwritten by a later Save.
        if (!loadLedger(ledgerPath)) ledgerPath.clear();
    }
    filterEndDate = 0xFFFF;

    statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(idStatusBar)), GetModuleHandleA(nullptr),
                                nullptr);
    RECT parts = {250, 0, 250 + 999, 0};
    MapDialogRect(hwnd, &parts);
    int edges[2] = {parts.left, parts.right};
    SendMessageA(statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    updateStatus(0);

    helpPath = dataFolder + "Quirvel.chm";
    currentTab = 1;
    currentList = lists[1];
    currentListId = idFirstList;
    displayRowAt = displayRow;
    refillList = fillList;
    fillList();
}

INT_PTR CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        initialise(hwnd);
        return FALSE;  // the list has the focus
    case WM_DRAWITEM:
        if (wp == idTabs) {
            drawTab(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* n = reinterpret_cast<const NMHDR*>(lp);
        if (n->idFrom != idTabs) return FALSE;
        int sel = static_cast<int>(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0)) + 1;
        if (sel >= 1 && sel <= 5) {
            if (n->code == TCN_SELCHANGING) ShowWindow(pages[sel], SW_HIDE);
            if (n->code == TCN_SELCHANGE) ShowWindow(pages[sel], SW_SHOW);
        }
        tabChanged();
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, FALSE);  // never veto a tab change
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wp) == 0) runCommand(LOWORD(wp));
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_CLOSE) {
            if (confirmQuit()) closeMainWindow();
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        for (int tab = 1; tab <= 5; ++tab) {
            if (lists[tab]) lists[tab]->release();
            lists[tab] = nullptr;
            pages[tab] = nullptr;
        }
        currentList = nullptr;
        currentPage = nullptr;
        mainWindow = tabControl = statusBar = nullptr;
        return FALSE;
    }
    return FALSE;
}

cDialogTemplate mainTemplate() {
    const int w = mainWidthUnits, h = mainHeightUnits;
    cDialogTemplate t(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_3DLOOK | DS_NOFAILCREATE | DS_CENTER, 0, 0, 0,
                      static_cast<short>(w), static_cast<short>(h), "Quirvel");
    t.add(idToolbar, "STATIC", "", SS_LEFTNOWORDWRAP, WS_EX_CLIENTEDGE, 0, 0, static_cast<short>(w - 4), 22);
    bool first = true;
    for (const ToolButton& b : toolButtons) {
        t.add(b.id, "BUTTON", b.caption, BS_PUSHBUTTON | WS_TABSTOP | (first ? WS_GROUP : 0), 0, b.x, 2, b.width, 18);
        first = false;
    }
    t.add(idTabs, WC_TABCONTROLA, "", WS_TABSTOP | TCS_OWNERDRAWFIXED | WS_CLIPSIBLINGS, 0, 1, 25,
          static_cast<short>(w - 2), static_cast<short>(h - 70));
    return t;
}

}  // namespace

INT_PTR runMainWindow() {
    runningModally = true;
    cDialogTemplate t = mainTemplate();
    return t.runModal(nullptr, mainProc);
}

HWND createMainWindow() {
    runningModally = false;
    cDialogTemplate t = mainTemplate();
    HWND hwnd = t.createModeless(nullptr, mainProc);
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

void closeMainWindow() {
    if (!mainWindow) return;
    if (runningModally)
        EndDialog(mainWindow, 0);
    else
        DestroyWindow(mainWindow);
}

void updateStatus(int part) {
    if (!statusBar) return;
    if (part == 0) {
        std::string shown = ledgerPath;
        size_t slash = ledgerPath.find_last_of('\\');
        if (slash != std::string::npos && ledgerPath.substr(0, slash + 1) == dataFolder)
            shown = ledgerPath.substr(slash + 1);
        SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(shown.c_str()));
        return;
    }
    selectedRow = currentList ? currentList->selected() : 0;
    auto number = [](int v) { return (v >= 0 ? " " : "") + std::to_string(v); };
    std::string text = number(selectedRow) + " :" + number(rowCount);
    SendMessageA(statusBar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string determineDataFolder() {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string program = exe;
    program = program.substr(0, program.find_last_of('\\') + 1);
    return chooseDataFolder(program, specialFolder(CSIDL_PROGRAM_FILES), specialFolder(CSIDL_COMMON_APPDATA));
}

void resetAllState() {
    resetLedgerTables();
    resetListState();
    resetFilterState();
    resetListMaintenanceState();
    resetRecordDialogState();
    resetTaxReport();
    helpPath.clear();
}
