#include "app/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <shlobj.h>  // CSIDL values

#include "app/commands.h"
#include "app/due_command.h"
#include "app/find_command.h"
#include "app/list_state.h"
#include "app/main_menu.h"
#include "app/main_pages.h"
#include "app/main_state.h"
#include "app/transaction_list.h"
#include "entry/record_dialog.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/settings.h"
#include "ledger/tables.h"
#include "ledger/window_placement.h"
#include "lists/list_maintenance.h"
#include "reports/filter.h"
#include "reports/tax_report.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

std::string helpPath;
std::string dataFolderOverride;
std::string startupLedger;
int startShowCommand = SW_SHOWDEFAULT;

namespace {

constexpr UINT msgShowAs = WM_APP + 15;

// Only keys meant for the main window itself or its controls: a dialog or
// message box over it handles its own keys.
LRESULT CALLBACK keyboardFilter(int code, WPARAM wp, LPARAM lp) {
    MSG* m = reinterpret_cast<MSG*>(lp);
    if (code == MSGF_DIALOGBOX && m && mainWindow && mainState.accelerators && (m->message == WM_KEYDOWN || m->message == WM_SYSKEYDOWN) &&
        (m->hwnd == mainWindow || IsChild(mainWindow, m->hwnd)) && IsWindowEnabled(mainWindow) &&
        TranslateAcceleratorA(mainWindow, mainState.accelerators, m))
        return TRUE;
    return CallNextHookEx(mainState.keyboardHook, code, wp, lp);
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
    if (!mainWindow || !mainState.placedByUser) return false;
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
    mainState.placedByUser = false;
    mainState.showWhenShown = startedShowState();
    const WindowPlacement& p = savedPlacement;
    if (!p.known) return;
    RECT r = {p.left, p.top, p.left + std::max<LONG>(p.width, mainState.builtInWindowSize.cx),
              p.top + std::max<LONG>(p.height, mainState.builtInWindowSize.cy)};
    if (!MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(hwnd, &wp);
    wp.rcNormalPosition = r;
    wp.showCmd = IsWindowVisible(hwnd) ? SW_SHOWNORMAL : SW_HIDE;
    SetWindowPlacement(hwnd, &wp);
    // The modal loop shows the window in its normal state: maximise it once shown.
    if (!mainState.showWhenShown && p.maximised) mainState.showWhenShown = SW_SHOWMAXIMIZED;
}

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

// The ledger the settings or the command line name, read into the tables.
void openStartupLedger() {
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
}

void createStatusBar(HWND hwnd) {
    statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(idStatusBar)), GetModuleHandleA(nullptr),
                                nullptr);
    // Three parts: the ledger file, the selected row and the row count, and
    // the filter; their edges follow their texts (fitStatusParts).
    fitStatusParts();
}

void initialise(HWND hwnd) {
    mainWindow = hwnd;
    createPages(hwnd);
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "myQvl");
    if (icon) SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    dataFolder = dataFolderOverride.empty() ? determineDataFolder() : dataFolderOverride;
    if (!folderExists(dataFolder)) createFolder(dataFolder);
    openStartupLedger();
    offerDueEntriesSoon({});
    createStatusBar(hwnd);
    updateStatus(0);
    updateStatus(2);
    helpPath = dataFolder + helpFileName;
    fillList();

    restorePlacement(hwnd);
    if (!mainState.accelerators) mainState.accelerators = buildMainAccelerators();
    if (!mainState.keyboardHook)
        mainState.keyboardHook = SetWindowsHookExA(WH_MSGFILTER, keyboardFilter, nullptr, GetCurrentThreadId());
    // A timer's message comes after the first paint: the window shows
    // before pages 2 to 5 are built.
    startPagesTimer(hwnd);
}

// Sent once, before the controls are made: the menu goes on and the window
// takes its size while it is still empty, so that no control is moved for it.
INT_PTR onSetFont(HWND hwnd) {
    if (GetMenu(hwnd)) return FALSE;
    SetMenu(hwnd, buildMainMenu());
    fitWindowToClient(hwnd);
    return FALSE;
}

INT_PTR onTimer(HWND hwnd, WPARAM id) {
    // The due entries wait for the window to show (a modal window shows
    // once its loop is idle) and for a command's dialog or question to close.
    if (isDueEntriesTimer(id)) {
        if (IsWindowVisible(hwnd) && !commandInProgress() && dueEntriesWaiting()) runCommand(cmdDueEntriesAtOpen);
        return TRUE;
    }
    if (!isPagesTimer(id)) return FALSE;
    pagesTimerTicked(hwnd);
    return TRUE;
}

INT_PTR onDrawItem(WPARAM id, LPARAM item) {
    if (id != idTabs) return FALSE;
    drawTab(*reinterpret_cast<const DRAWITEMSTRUCT*>(item));
    return TRUE;
}

INT_PTR onNotify(HWND hwnd, LPARAM lp) {
    const NMHDR* n = reinterpret_cast<const NMHDR*>(lp);
    if (n->idFrom != idTabs) return FALSE;
    tabNotified(n->code);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, FALSE);  // never veto a tab change
    return TRUE;
}

INT_PTR onCommand(WPARAM wp, LPARAM lp) {
    // Code 1 with no control: a key of the accelerator table.
    if (HIWORD(wp) == 0 || (HIWORD(wp) == 1 && lp == 0)) runCommand(LOWORD(wp));
    return TRUE;
}

INT_PTR onGetMinMaxInfo(LPARAM lp) {
    if (mainState.builtInWindowSize.cx > 0) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = {mainState.builtInWindowSize.cx, mainState.builtInWindowSize.cy};
    }
    return TRUE;
}

INT_PTR onSize(HWND hwnd, WPARAM kind) {
    layoutMainWindow(hwnd);
    // A maximise or restore ends at once; dragging an edge ends with
    // WM_EXITSIZEMOVE.
    if ((kind == SIZE_MAXIMIZED || kind == SIZE_RESTORED) && !mainState.sizing) refitCurrentList();
    return FALSE;
}

INT_PTR onEnterSizeMove(HWND hwnd) {
    mainState.sizing = true;
    GetWindowRect(hwnd, &mainState.sizeMoveStart);
    return FALSE;
}

INT_PTR onExitSizeMove(HWND hwnd) {
    mainState.sizing = false;
    // A click on the caption enters and leaves the move loop too.
    RECT now;
    GetWindowRect(hwnd, &now);
    if (!EqualRect(&now, &mainState.sizeMoveStart)) mainState.placedByUser = true;
    refitCurrentList();
    return FALSE;
}

INT_PTR onShowWindow(HWND hwnd, WPARAM shown) {
    if (shown && mainState.showWhenShown) {
        PostMessageA(hwnd, msgShowAs, static_cast<WPARAM>(mainState.showWhenShown), 0);
        mainState.showWhenShown = 0;
    }
    return FALSE;
}

INT_PTR onShowAs(HWND hwnd, WPARAM how) {
    ShowWindow(hwnd, static_cast<int>(how));
    return TRUE;
}

// The caption's buttons, a double click on it, the system menu.
INT_PTR onSysCommand(HWND hwnd, WPARAM wp) {
    if ((wp & 0xFFF0) == SC_MAXIMIZE || (wp & 0xFFF0) == SC_RESTORE) mainState.placedByUser = true;
    if ((wp & 0xFFF0) != SC_CLOSE) return FALSE;
    // A window moved or sized since it opened is remembered at quit.
    if (rememberWindowPlacement()) settingsChanged = true;
    if (confirmQuit()) closeMainWindow();
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
    return TRUE;
}

// Windows is shutting down or the user logs off.
INT_PTR onQueryEndSession(HWND hwnd) {
    if (rememberWindowPlacement()) settingsChanged = true;
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, confirmLogOff() ? TRUE : FALSE);
    return TRUE;
}

INT_PTR onDestroy() {
    bool modal = mainState.runningModally;
    resetMainWindowState();
    mainState.runningModally = modal;
    displayOrder.clear();
    return FALSE;
}

INT_PTR CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETFONT: return onSetFont(hwnd);
    case WM_INITDIALOG: initialise(hwnd); return FALSE;  // the list has the focus
    case WM_TIMER: return onTimer(hwnd, wp);
    case WM_DRAWITEM: return onDrawItem(wp, lp);
    case WM_NOTIFY: return onNotify(hwnd, lp);
    case WM_COMMAND: return onCommand(wp, lp);
    case WM_GETMINMAXINFO: return onGetMinMaxInfo(lp);
    case WM_SIZE: return onSize(hwnd, wp);
    case WM_ENTERSIZEMOVE: return onEnterSizeMove(hwnd);
    case WM_EXITSIZEMOVE: return onExitSizeMove(hwnd);
    case WM_SHOWWINDOW: return onShowWindow(hwnd, wp);
    case msgShowAs: return onShowAs(hwnd, wp);
    case WM_SYSCOMMAND: return onSysCommand(hwnd, wp);
    case WM_QUERYENDSESSION: return onQueryEndSession(hwnd);
    case WM_DESTROY: return onDestroy();
    default: return FALSE;
    }
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
    mainState.runningModally = true;
    cDialogTemplate t = mainWindowTemplate();
    return t.runModal(nullptr, mainProc);
}

HWND createMainWindow() {
    mainState.runningModally = false;
    cDialogTemplate t = mainWindowTemplate();
    HWND hwnd = t.createModeless(nullptr, mainProc);
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

void closeMainWindow() {
    if (!mainWindow) return;
    if (mainState.runningModally)
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
    resetFindState();
    resetDueEntriesState();
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
