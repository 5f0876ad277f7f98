#include "app/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <shlobj.h>  // CSIDL values

#include "app/commands.h"
#include "app/transaction_list.h"
#include "entry/record_dialog.h"
#include "ledger/ledger_file.h"
#include "ledger/list_state.h"
#include "ledger/settings.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "ledger/window_placement.h"
#include "reports/filter.h"
#include "lists/list_maintenance.h"
#include "reports/tax_report.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

HWND tabControl = nullptr;
HWND pages[6] = {};
cColumnList* lists[6] = {};
HWND currentPage = nullptr;
std::string helpPath;
std::string dataFolderOverride;
std::string startupLedger;
int startShowCommand = SW_SHOWDEFAULT;

namespace {

bool runningModally = false;

// The window's own state while it exists, declared once: WM_DESTROY puts
// back these defaults with `window = {}`.
struct WindowState {
    // Keyboard shortcuts of the main window. The window is a dialog, whose
    // loop has no place for an accelerator table: a message filter hook
    // gives it one.
    HACCEL accelerators = nullptr;
    HHOOK keyboardHook = nullptr;
    // The window's size at the built-in layout (its smallest size) and the
    // pages' sizes there.
    SIZE builtInWindowSize = {0, 0};
    SIZE builtInPageSize = {0, 0};
    RECT builtInPageArea = {};  // under the tab titles, in the window's coordinates
    bool listNeedsRefit = false;
    // How the window is shown once it first appears (an SW_ value; 0: as
    // the dialog shows it, in its normal state).
    int showWhenShown = 0;
    bool sizing = false;  // an edge or the caption is being dragged
    RECT sizeMoveStart = {};
    // The user moved, sized, maximised or restored the window: only then is
    // its place worth remembering.
    bool placedByUser = false;
    bool paintedBeforePages = false;  // the pages timer has ticked once
};
WindowState window;
constexpr UINT msgShowAs = WM_APP + 15;

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


HMENU buildMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, cmdOpen, "&Open\tCtrl+O");
    AppendMenuA(file, MF_STRING, cmdSave, "&Save\tCtrl+S");
    AppendMenuA(file, MF_STRING, cmdSaveAs, "Save&As");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, cmdNew, "&New\tCtrl+N");
    AppendMenuA(file, MF_STRING, cmdArchive, "&Archive");
    AppendMenuA(file, MF_STRING, cmdPrint, "&Print\tCtrl+P");
    AppendMenuA(file, MF_STRING, cmdExport, "&Export...");
    AppendMenuA(file, MF_STRING, cmdImport, "&Import...\tCtrl+I");
    AppendMenuA(file, MF_STRING, cmdExit, "E&xit");
    HMENU add = CreatePopupMenu();
    AppendMenuA(add, MF_STRING, cmdAddService, "Service");
    AppendMenuA(add, MF_STRING, cmdAddEarning, "Earning");
    AppendMenuA(add, MF_STRING, cmdAddProduct, "Product");
    AppendMenuA(add, MF_STRING, cmdAddExpense, "Expense");
    HMENU edit = CreatePopupMenu();
    AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(add), "Add record");
    AppendMenuA(edit, MF_STRING, cmdChangeRecord, "&Change record");
    AppendMenuA(edit, MF_STRING, cmdDeleteRecord, "&Delete record\tDel");
    AppendMenuA(edit, MF_STRING, cmdNamesList, "&Names list");
    AppendMenuA(edit, MF_STRING, cmdDescrList, "&Descr list");
    AppendMenuA(edit, MF_STRING, cmdSalesTax, "&State sales tax");
    AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(edit, MF_STRING | MF_GRAYED, cmdUndo, "&Undo\tCtrl+Z");
    AppendMenuA(edit, MF_STRING | MF_GRAYED, cmdRedo, "&Redo\tCtrl+Y");
    HMENU view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING, cmdFiltered, "&Filtered");
    AppendMenuA(view, MF_STRING, cmdFormData, "&Form data");
    AppendMenuA(view, MF_STRING, cmdTaxReport, "&Tax Report");
    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, cmdContents, "&Contents\tF1");
    AppendMenuA(help, MF_STRING, cmdAbout, "&About");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    return bar;
}

HACCEL buildAccelerators() {
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'N', cmdNew},     {FVIRTKEY | FCONTROL, 'O', cmdOpen},
        {FVIRTKEY | FCONTROL, 'S', cmdSave},    {FVIRTKEY | FCONTROL, 'P', cmdPrint},
        {FVIRTKEY | FCONTROL, 'I', cmdImport},
        {FVIRTKEY, VK_DELETE, cmdDeleteRecord}, {FVIRTKEY, VK_F1, cmdContents},
        {FVIRTKEY | FCONTROL, VK_TAB, cmdNextTab}, {FVIRTKEY | FCONTROL | FSHIFT, VK_TAB, cmdPreviousTab},
        {FVIRTKEY | FCONTROL, 'Z', cmdUndo},    {FVIRTKEY | FCONTROL, 'Y', cmdRedo},
        {FVIRTKEY | FCONTROL | FSHIFT, 'Z', cmdRedo},
    };
    return CreateAcceleratorTableA(keys, static_cast<int>(sizeof keys / sizeof keys[0]));
}

// Only keys meant for the main window itself or its controls: a dialog or
// message box over it handles its own keys.
LRESULT CALLBACK keyboardFilter(int code, WPARAM wp, LPARAM lp) {
    MSG* m = reinterpret_cast<MSG*>(lp);
    if (code == MSGF_DIALOGBOX && m && mainWindow && window.accelerators && (m->message == WM_KEYDOWN || m->message == WM_SYSKEYDOWN) &&
        (m->hwnd == mainWindow || IsChild(mainWindow, m->hwnd)) && IsWindowEnabled(mainWindow) &&
        TranslateAcceleratorA(mainWindow, window.accelerators, m))
        return TRUE;
    return CallNextHookEx(window.keyboardHook, code, wp, lp);
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
    window.builtInWindowSize = {w, h};
    SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                 w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowPlacement placementOf(HWND hwnd) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    WindowPlacement p;
    if (!GetWindowPlacement(hwnd, &wp)) return p;
    const RECT& r = wp.rcNormalPosition;
    p = {true, static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
         static_cast<int>(r.bottom - r.top),
         wp.showCmd == SW_SHOWMAXIMIZED || (wp.showCmd == SW_SHOWMINIMIZED && (wp.flags & WPF_RESTORETOMAXIMIZED))};
    return p;
}

// Takes the window's current place into savedPlacement; true when the
// settings file should be written for it.
bool rememberWindowPlacement() {
    // A place that the program or whoever started it chose is not the
    // user's: the settings file keeps what it had.
    if (!mainWindow || !window.placedByUser) return false;
    WindowPlacement now = placementOf(mainWindow);
    bool changed = now != savedPlacement;
    savedPlacement = now;
    return changed;
}

// A minimised or maximised window asked for by whoever started the program
// (a shortcut set to run maximised, start /max): the SW_ value to show it
// with, or 0.
int startedShowState() {
    switch (startShowCommand) {
    case SW_SHOWMAXIMIZED: case SW_SHOWMINIMIZED: case SW_MINIMIZE: case SW_SHOWMINNOACTIVE: return startShowCommand;
    default: return 0;
    }
}

// Puts the window where the settings file says it was, if that place is
// still on a screen; never smaller than its built-in size. A minimised or
// maximised start asked for by the starter wins over the remembered state.
void restorePlacement(HWND hwnd) {
    window.placedByUser = false;
    window.showWhenShown = startedShowState();
    const WindowPlacement& p = savedPlacement;
    if (!p.known) return;
    RECT r = {p.left, p.top, p.left + std::max<LONG>(p.width, window.builtInWindowSize.cx),
              p.top + std::max<LONG>(p.height, window.builtInWindowSize.cy)};
    if (!MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(hwnd, &wp);
    wp.rcNormalPosition = r;
    wp.showCmd = IsWindowVisible(hwnd) ? SW_SHOWNORMAL : SW_HIDE;
    SetWindowPlacement(hwnd, &wp);
    // The modal loop shows the window in its normal state: maximise it once shown.
    if (!window.showWhenShown && p.maximised) window.showWhenShown = SW_SHOWMAXIMIZED;
}

// Everything below the toolbar grows with the window from its built-in
// layout: the tab control, the pages and their lists; the status bar keeps
// to the bottom edge.
// How much the client area exceeds the built-in layout, in pixels.
SIZE growth(HWND hwnd) {
    RECT builtIn = {0, 0, mainWidthUnits, mainHeightUnits};
    MapDialogRect(hwnd, &builtIn);
    RECT client;
    GetClientRect(hwnd, &client);
    return {std::max<LONG>(0, client.right - builtIn.right), std::max<LONG>(0, client.bottom - builtIn.bottom)};
}

// A page and its list at the window's present size.
void fitPage(HWND hwnd, int tab) {
    SIZE d = growth(hwnd);
    RECT units = {4, 8, 0, 0};  // dialog base units
    MapDialogRect(hwnd, &units);
    SetWindowPos(pages[tab], nullptr, 0, 0, window.builtInPageSize.cx + d.cx, window.builtInPageSize.cy + d.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    int before = lists[tab]->width(3);
    lists[tab]->resize(mainWidthUnits - 4 + d.cx * 4 / units.left, mainHeightUnits - 70 + d.cy * 8 / units.top);
    if (tab == currentTab && lists[tab]->width(3) != before) window.listNeedsRefit = true;
}

void layoutMainWindow(HWND hwnd) {
    if (!tabControl || !pages[1] || IsIconic(hwnd)) return;
    SIZE d = growth(hwnd);
    const int dx = d.cx, dy = d.cy;

    RECT strip = {0, 0, mainWidthUnits - 4, 22};
    MapDialogRect(hwnd, &strip);
    SetWindowPos(GetDlgItem(hwnd, idToolbar), nullptr, 0, 0, strip.right + dx, strip.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT tabs = {0, 0, mainWidthUnits - 2, mainHeightUnits - 70};
    MapDialogRect(hwnd, &tabs);
    SetWindowPos(tabControl, nullptr, 0, 0, tabs.right + dx, tabs.bottom + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int tab = 1; tab <= 5; ++tab)
        if (pages[tab]) fitPage(hwnd, tab);  // the others are fitted when they are created
    if (statusBar) SendMessageA(statusBar, WM_SIZE, 0, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
}

// Cells were cut to the old column widths: fit the current list's rows to
// the new ones (the other lists are filled afresh when their tab is chosen).
void refitCurrentList() {
    if (!window.listNeedsRefit || !currentList) return;
    window.listNeedsRefit = false;
    currentList->refit([](int row) {
        return row < static_cast<int>(rowMap.size()) ? transactionRowText(rowMap[static_cast<size_t>(row)]) : std::string();
    });
}

INT_PTR CALLBACK pageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && lp) {
        cColumnList::controlCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
        if (LOWORD(wp) == currentListId && HIWORD(wp) == LBN_SELCHANGE && hwnd == currentPage) updateStatus(1);
    }
    return FALSE;
}

// The display area under the tab titles, in the main window's coordinates.
RECT pageArea(HWND hwnd) {
    RECT area;
    GetWindowRect(tabControl, &area);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&area), 2);
    SendMessageA(tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    return area;
}

void createPage(HWND hwnd, int tab, const RECT& area) {
    const int widths[5] = {17, 14, 24, 28, -17};
    const std::string headings[5] = {"\x02" "Date", "Type", "Descr", "Name", "\x01" "Amount"};
    cDialogTemplate page(WS_CHILD | DS_CONTROL, 0, 0, 0, 10, 10, "");
    pages[tab] = page.createModeless(hwnd, pageProc);
    // After the tab control and the page before, in z-order and so in tab
    // order: the tab control lets clicks outside its titles through to the page.
    SetWindowPos(pages[tab], tab == 1 ? tabControl : pages[tab - 1], area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOACTIVATE);
    lists[tab]->create(pages[tab], 2500 + tab, 2, 0, mainWidthUnits - 4, mainHeightUnits - 70, widths, headings, 5);
    // The list is taller than the display area under the tab titles: let
    // its page reach down to the list's bottom edge so no row is cut off.
    RECT listRect;
    GetWindowRect(lists[tab]->listBox(), &listRect);
    MapWindowPoints(nullptr, pages[tab], reinterpret_cast<POINT*>(&listRect), 2);
    if (listRect.bottom > area.bottom - area.top)
        SetWindowPos(pages[tab], nullptr, 0, 0, area.right - area.left, listRect.bottom + 1,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT pageRect;
    GetWindowRect(pages[tab], &pageRect);
    window.builtInPageSize = {pageRect.right - pageRect.left, pageRect.bottom - pageRect.top};
}

// The tab titles and the first page; the others follow once the window has
// been painted (createRemainingPages).
void createPages(HWND hwnd) {
    // A little more room above and below the titles than the control's
    // default, so that descenders are not cut off under the 3-pixel shift.
    SendMessageA(tabControl, TCM_SETPADDING, 0, MAKELPARAM(6, 5));
    for (int tab = 1; tab <= 5; ++tab) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tabTitles[tab]);
        SendMessageA(tabControl, TCM_INSERTITEMA, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&item));
    }
    window.builtInPageArea = pageArea(hwnd);
    createPage(hwnd, 1, window.builtInPageArea);
    ShowWindow(pages[1], SW_SHOW);
}

constexpr UINT_PTR pagesTimer = 0x5150;

// A folder as an environment variable names it, when that is an existing
// folder: Windows sets ProgramFiles and ProgramData for every process (to
// the "Program Files (x86)" folder for a 32-bit one on 64-bit Windows, as
// the shell answers it).
std::string environmentFolder(const char* variable) {
    char path[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA(variable, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "";
    return folderExists(path) ? std::string(path) : std::string();
}

// The shell's answer, with shell32 loaded only when it is asked: at every
// start its loading costs more than the rest of finding the data folder.
std::string shellFolder(int csidl) {
    static HMODULE shell = LoadLibraryA("shell32.dll");
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    auto get = shell ? reinterpret_cast<GetFolderPath>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathA")))
                     : nullptr;
    char path[MAX_PATH] = "";
    if (!get || get(nullptr, csidl, nullptr, 0, path) != S_OK) return "";
    return path;
}

std::string specialFolder(const char* variable, int csidl) {
    std::string folder = environmentFolder(variable);
    return folder.empty() ? shellFolder(csidl) : folder;
}


// The page shown covers the tab control's display area: the control paints
// only what is left of it (titles and edges), not a pane nobody sees, and a
// repaint of the titles alone leaves the page as it is. The pane is themed,
// and under Wine it costs more than all the titles.
void excludeShownPage(HWND tabs, HDC dc) {
    RECT page;
    GetWindowRect(currentPage, &page);
    MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&page), 2);
    ExcludeClipRect(dc, page.left, page.top, page.right, page.bottom);
}

LRESULT CALLBACK tabPaintProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    auto pageShown = [] { return currentPage && IsWindowVisible(currentPage); };
    if (msg == WM_PAINT && !wp && pageShown()) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        excludeShownPage(hwnd, dc);
        DefSubclassProc(hwnd, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        EndPaint(hwnd, &ps);
        return 0;
    }
    // Nor is the page wiped out by the background erased before painting.
    if (msg == WM_ERASEBKGND && wp && pageShown()) excludeShownPage(hwnd, reinterpret_cast<HDC>(wp));
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void initialise(HWND hwnd) {
    mainWindow = hwnd;
    tabControl = GetDlgItem(hwnd, idTabs);
    SetWindowSubclass(tabControl, tabPaintProc, 0, 0);
    for (int tab = 1; tab <= 5; ++tab) lists[tab] = new cColumnList;
    createPages(hwnd);

    currentPage = pages[1];
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "myQvl");
    if (icon) SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    dataFolder = dataFolderOverride.empty() ? determineDataFolder() : dataFolderOverride;
    if (!folderExists(dataFolder)) createFolder(dataFolder);
    readSettings();
    if (!startupLedger.empty()) ledgerPath = startupLedger;
    if (!ledgerPath.empty() && fileExists(ledgerPath)) {
        // A file that was refused must never be overwritten by a later Save.
        if (!loadLedger(ledgerPath)) ledgerPath.clear();
    } else if (!ledgerPath.empty()) {
        // Perhaps on a drive that is not there yet: the name is kept, and a
        // Save asks before replacing a file that turns up there meanwhile.
        // A name from the command line is not the remembered ledger.
        showMessage((startupLedger.empty() ? "The last ledger " : "The ledger ") + ledgerPath +
                        " could not be found.\r\nQuirvel starts with an empty list.",
                    "File Error", mb::ok | mb::iconExclamation);
        if (folderExists(ledgerPath)) ledgerPath.clear();
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

    helpPath = dataFolder + helpFileName;
    currentTab = 1;
    currentList = lists[1];
    currentList->publishOrder();
    currentListId = idFirstList;
    fillList();

    restorePlacement(hwnd);
    if (!window.accelerators) window.accelerators = buildAccelerators();
    if (!window.keyboardHook) window.keyboardHook = SetWindowsHookExA(WH_MSGFILTER, keyboardFilter, nullptr, GetCurrentThreadId());
    // A timer's message comes after the first paint: the window shows
    // before pages 2 to 5 are built.
    SetTimer(hwnd, pagesTimer, 0, nullptr);
}

}  // namespace

void createRemainingPages() {
    if (!mainWindow || !tabControl || !pages[1] || pages[5]) return;
    KillTimer(mainWindow, pagesTimer);
    for (int tab = 2; tab <= 5; ++tab) {
        if (pages[tab]) continue;
        createPage(mainWindow, tab, window.builtInPageArea);
        fitPage(mainWindow, tab);  // the window may have been resized meanwhile
    }
}

namespace {

INT_PTR CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETFONT:
        // Sent once, before the controls are made: the menu goes on and the
        // window takes its size while it is still empty, so that no control
        // is moved for it.
        if (GetMenu(hwnd)) return FALSE;
        SetMenu(hwnd, buildMenu());
        fitWindowToClient(hwnd);
        return FALSE;
    case WM_INITDIALOG:
        initialise(hwnd);
        return FALSE;  // the list has the focus
    case WM_TIMER:
        if (wp != pagesTimer) return FALSE;
        // The first tick comes once everything shown is painted: a timer's
        // message comes after paints. The pages follow at the next tick, a
        // moment later, for in between the thread waits for messages, and
        // that is when Wine puts the painted window on the screen: built at
        // once, the pages would hold it back until they were done.
        if (!window.paintedBeforePages) {
            window.paintedBeforePages = true;
            SetTimer(hwnd, pagesTimer, 20, nullptr);
            return TRUE;
        }
        createRemainingPages();
        return TRUE;
    case WM_DRAWITEM:
        if (wp == idTabs) {
            drawTab(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* n = reinterpret_cast<const NMHDR*>(lp);
        if (n->idFrom != idTabs) return FALSE;
        createRemainingPages();  // a click may come before the timer
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
        // Code 1 with no control: a key of the accelerator table.
        if (HIWORD(wp) == 0 || (HIWORD(wp) == 1 && lp == 0)) runCommand(LOWORD(wp));
        return TRUE;
    case WM_GETMINMAXINFO:
        if (window.builtInWindowSize.cx > 0) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lp);
            info->ptMinTrackSize = {window.builtInWindowSize.cx, window.builtInWindowSize.cy};
        }
        return TRUE;
    case WM_SIZE:
        layoutMainWindow(hwnd);
        // A maximise or restore ends at once; dragging an edge ends with
        // WM_EXITSIZEMOVE.
        if ((wp == SIZE_MAXIMIZED || wp == SIZE_RESTORED) && !window.sizing) refitCurrentList();
        return FALSE;
    case WM_ENTERSIZEMOVE:
        window.sizing = true;
        GetWindowRect(hwnd, &window.sizeMoveStart);
        return FALSE;
    case WM_EXITSIZEMOVE: {
        window.sizing = false;
        // A click on the caption enters and leaves the move loop too.
        RECT now;
        GetWindowRect(hwnd, &now);
        if (!EqualRect(&now, &window.sizeMoveStart)) window.placedByUser = true;
        refitCurrentList();
        return FALSE;
    }
    case WM_SHOWWINDOW:
        if (wp && window.showWhenShown) {
            PostMessageA(hwnd, msgShowAs, static_cast<WPARAM>(window.showWhenShown), 0);
            window.showWhenShown = 0;
        }
        return FALSE;
    case msgShowAs:
        ShowWindow(hwnd, static_cast<int>(wp));
        return TRUE;
    case WM_SYSCOMMAND:
        // The caption's buttons, a double click on it, the system menu.
        if ((wp & 0xFFF0) == SC_MAXIMIZE || (wp & 0xFFF0) == SC_RESTORE) window.placedByUser = true;
        if ((wp & 0xFFF0) == SC_CLOSE) {
            // A window moved or sized since it opened is remembered at quit.
            if (rememberWindowPlacement()) settingsChanged = true;
            if (confirmQuit()) closeMainWindow();
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_QUERYENDSESSION:
        // Windows is shutting down or the user logs off.
        if (rememberWindowPlacement()) settingsChanged = true;
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, confirmLogOff() ? TRUE : FALSE);
        return TRUE;
    case WM_DESTROY:
        if (window.keyboardHook) UnhookWindowsHookEx(window.keyboardHook);
        if (window.accelerators) DestroyAcceleratorTable(window.accelerators);
        window = {};
        for (int tab = 1; tab <= 5; ++tab) {
            if (lists[tab]) lists[tab]->release();
            lists[tab] = nullptr;
            pages[tab] = nullptr;
        }
        currentList = nullptr;
        displayOrder.clear();
        currentPage = nullptr;
        mainWindow = tabControl = statusBar = nullptr;
        return FALSE;
    }
    return FALSE;
}

cDialogTemplate mainTemplate() {
    const int w = mainWidthUnits, h = mainHeightUnits;
    cDialogTemplate t(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | DS_3DLOOK | DS_NOFAILCREATE | DS_CENTER, 0, 0, 0,
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

void leaveInputMethodOff() {
    CPINFO codePage = {};
    if (!GetCPInfo(CP_ACP, &codePage) || codePage.MaxCharSize != 1) return;
    HMODULE imm = GetModuleHandleA("imm32.dll");
    using DisableFn = BOOL(WINAPI*)(DWORD);
    auto disable = imm ? reinterpret_cast<DisableFn>(reinterpret_cast<void*>(GetProcAddress(imm, "ImmDisableIME"))) : nullptr;
    if (disable) disable(0);
}

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


std::string determineDataFolder() {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string program = exe;
    program = program.substr(0, program.find_last_of('\\') + 1);
    return chooseDataFolder(program, specialFolder("ProgramFiles", CSIDL_PROGRAM_FILES),
                            specialFolder("ProgramData", CSIDL_COMMON_APPDATA));
}

void resetAllState() {
    resetLedgerTables();
    resetListState();
    resetFilterState();
    resetListMaintenanceState();
    resetRecordDialogState();
    resetTaxReport();
    helpPath.clear();
    helpInBrowser = false;
    savedPlacement = WindowPlacement{};
    startupLedger.clear();
    startShowCommand = SW_SHOWDEFAULT;
    rememberedLedger.clear();
}

std::string ledgerFromCommandLine(const wchar_t* commandLine) {
    if (!commandLine || !*commandLine) return std::string();
    // The program's own name ends at its closing quote, or else at the first
    // blank; with nothing after it there is no ledger to open, and shell32,
    // whose splitter the rest needs, stays unloaded.
    const wchar_t* rest = commandLine;
    if (*rest == L'"') {
        for (++rest; *rest && *rest != L'"'; ++rest) {}
        if (*rest) ++rest;
    } else {
        while (*rest && *rest != L' ' && *rest != L'\t') ++rest;
    }
    while (*rest == L' ' || *rest == L'\t') ++rest;
    if (!*rest) return std::string();
    static HMODULE shell = LoadLibraryA("shell32.dll");
    using SplitFn = LPWSTR*(WINAPI*)(LPCWSTR, int*);
    auto split = shell ? reinterpret_cast<SplitFn>(reinterpret_cast<void*>(GetProcAddress(shell, "CommandLineToArgvW")))
                       : nullptr;
    if (!split) return std::string();
    int argc = 0;
    LPWSTR* argv = split(commandLine, &argc);
    std::string path;
    if (argv && argc >= 2 && argv[1][0]) {
        wchar_t full[MAX_PATH * 4] = L"";
        DWORD n = GetFullPathNameW(argv[1], static_cast<DWORD>(sizeof full / sizeof full[0]), full, nullptr);
        path = ansiText(n > 0 && n < sizeof full / sizeof full[0] ? std::wstring(full) : std::wstring(argv[1]));
    }
    if (argv) LocalFree(argv);
    return path;
}
