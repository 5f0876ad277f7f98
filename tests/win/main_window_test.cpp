#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/list_state.h"
#include "ledger/settings.h"
#include "ledger/window_placement.h"
#include "reports/csv_export.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

Prompts& systemPrompts();  // the program's own, behind the scripted ones

namespace {

using MainWindow = MainWindowTest;

// Posts key presses to the control with the focus, as typed with Ctrl and
// Shift held or not, and runs `then` once the window's own loop has taken
// them (a timer comes only when no posted message is waiting).
std::function<void()> afterKeys;
void CALLBACK runAfterKeys(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> next = std::move(afterKeys);
    next();
}
void pressKeys(std::initializer_list<UINT> keys, bool ctrl, bool shift, std::function<void()> then) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    HWND target = GetFocus();
    for (UINT key : keys) {
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    }
    afterKeys = std::move(then);
    SetTimer(nullptr, 0, 0, runAfterKeys);
}

RECT screenRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

std::string menuText(HMENU menu, UINT pos) {
    char buf[64] = "";
    GetMenuStringA(menu, pos, buf, sizeof buf, MF_BYPOSITION);
    return buf;
}

TEST_F(MainWindow, ControlsCaptionsAndMenu) {
    start();
    EXPECT_EQ(windowText(main), "Quirvel");
    LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);  // it opens at its built-in size and may grow
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);

    const std::pair<int, const char*> buttons[] = {{1001, "Serv"}, {1006, "Earn"}, {1003, "Prod"},
                                                   {1002, "Exps"}, {1007, "Data"}, {1008, "Edit"},
                                                   {1010, "Filter"}, {1009, "Rept"}, {1011, "Quit"}};
    for (const auto& b : buttons) EXPECT_EQ(itemText(main, b.first), b.second) << b.first;
    RECT quit = itemRectUnits(main, 1011);
    EXPECT_EQ(quit.left, 236);
    EXPECT_EQ(quit.right, 25);  // width
    RECT tabs = itemRectUnits(main, 1100);
    EXPECT_EQ(tabs.left, 1);
    EXPECT_EQ(tabs.top, 25);
    EXPECT_EQ(tabs.right, 318);
    EXPECT_EQ(tabs.bottom, 230);
    expectClientUnits(main, 320, 300);
    EXPECT_NE(GetDlgItem(main, 999), nullptr);
    EXPECT_TRUE(GetWindowLongA(tabControl, GWL_STYLE) & TCS_OWNERDRAWFIXED);

    const char* titles[] = {"All Transactions", " Services       ", " Earnings       ", " Products       ",
                            " Expenses       "};
    ASSERT_EQ(SendMessageA(tabControl, TCM_GETITEMCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) {
        char buf[64] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = buf;
        item.cchTextMax = sizeof buf;
        SendMessageA(tabControl, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(std::string(buf), titles[i]);
        EXPECT_NE(GetDlgItem(pages[i + 1], 2501 + i), nullptr);
    }

    HMENU bar = GetMenu(main);
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    EXPECT_EQ(menuText(bar, 0), "&File");
    EXPECT_EQ(menuText(bar, 1), "&Edit");
    EXPECT_EQ(menuText(bar, 2), "&View");
    EXPECT_EQ(menuText(bar, 3), "&Help");
    const std::pair<int, const char*> items[] = {
        {101, "&Open"}, {102, "&Save"}, {103, "Save&As"}, {104, "&Archive"}, {105, "&Print"}, {106, "E&xit"},
        {211, "Service"}, {212, "Earning"}, {213, "Product"}, {214, "Expense"}, {201, "&Change record"},
        {202, "&Delete record"}, {203, "&Names list"}, {204, "&Descr list"}, {205, "&State sales tax"},
        {304, "&Filtered"}, {303, "&Form data"}, {305, "&Tax Report"}, {401, "&Contents"}, {402, "&About"},
        {206, "&Undo"}, {207, "&Redo"}};
    for (const auto& it : items) {
        char buf[64] = "";
        EXPECT_GT(GetMenuStringA(bar, static_cast<UINT>(it.first), buf, sizeof buf, MF_BYCOMMAND), 0) << it.first;
        // A shortcut, if any, follows the item's own text after a tab.
        EXPECT_EQ(std::string(buf).substr(0, std::string(buf).find('\t')), it.second);
    }
    EXPECT_EQ(menuText(GetSubMenu(bar, 1), 0), "Add record");
    // The Edit menu's own items keep their places; later ones come after them.
    const UINT editItems[] = {201, 202, 203, 204, 205};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 1), i + 1), editItems[i]) << i;
    const int editCount = GetMenuItemCount(GetSubMenu(bar, 1));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 1), editCount - 2), UINT(cmdScheduledEntries));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 1), editCount - 1), UINT(cmdDueEntries));
    EXPECT_EQ(GetMenuState(GetSubMenu(bar, 0), 3, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
}

// Children in creation order (strip, buttons, tab control, pages, status
// bar), which is the order Tab moves through them.
TEST_F(MainWindow, ChildrenAndTabOrder) {
    installLedger(sampleImage());
    start();
    std::vector<HWND> children;
    for (HWND w = GetWindow(main, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) children.push_back(w);
    std::vector<HWND> expected = {GetDlgItem(main, 1000)};
    for (int id : {1001, 1006, 1003, 1002, 1007, 1008, 1010, 1009, 1011}) expected.push_back(GetDlgItem(main, id));
    expected.push_back(tabControl);
    for (int tab = 1; tab <= 5; ++tab) expected.push_back(pages[tab]);
    expected.push_back(statusBar);
    EXPECT_EQ(children, expected);

    std::vector<int> stops;
    HWND w = GetDlgItem(main, 1001);
    for (int i = 0; i < 12; ++i, w = GetNextDlgTabItem(main, w, FALSE)) stops.push_back(GetDlgCtrlID(w));
    EXPECT_EQ(stops, (std::vector<int>{1001, 1006, 1003, 1002, 1007, 1008, 1010, 1009, 1011, 1100, 2501, 1001}));

    // The tab control lets a click below its titles through to the list.
    RECT row;
    HWND list = currentList->listBox();
    SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    POINT p = {row.left + 5, (row.top + row.bottom) / 2};
    ClientToScreen(list, &p);
    EXPECT_EQ(WindowFromPoint(p), list);
}

// Pages 2 to 5 come after the first paint, but no click or key finds one
// missing: each tab clicked at once after the window appears shows its list
// filled, and a command at once finds every page there.
TEST_F(MainWindow, EachTabClickedAtOnceAfterStartShowsItsListFilled) {
    installLedger(sampleImage());
    main = createMainWindow();  // no waiting for the pages
    EXPECT_EQ(pages[2], nullptr);
    const size_t expected[6] = {0, 7, 1, 1, 3, 2};
    for (int tab : {4, 2, 5, 3, 1}) {
        SCOPED_TRACE(tab);
        clickTab(tab);
        ASSERT_NE(pages[tab], nullptr);
        EXPECT_NE(GetDlgItem(pages[tab], 2500 + tab), nullptr);
        EXPECT_TRUE(IsWindowVisible(pages[tab]));
        EXPECT_EQ(rows(tab).size(), expected[tab]);
    }
    DestroyWindow(main);

    resetAllState();
    installLedger(sampleImage());
    main = createMainWindow();
    command(cmdNextTab);  // Ctrl+Tab before the timer
    EXPECT_EQ(currentTab, 2);
    EXPECT_EQ(rows(2).size(), 1u);
    DestroyWindow(main);

    // Left alone, the window builds them within a second, in their places.
    resetAllState();
    installLedger(sampleImage());
    start();
    for (int tab = 2; tab <= 5; ++tab) {
        EXPECT_NE(GetDlgItem(pages[tab], 2500 + tab), nullptr);
        EXPECT_FALSE(IsWindowVisible(pages[tab]));
        RECT first, page;
        GetWindowRect(pages[1], &first);
        GetWindowRect(pages[tab], &page);
        EXPECT_TRUE(EqualRect(&first, &page)) << tab;
    }
}

TEST_F(MainWindow, FirstStartWithoutSettings) {
    start();
    EXPECT_TRUE(rows(1).empty());
    EXPECT_EQ(statusText(0), "");
    EXPECT_EQ(statusText(1), " 0 : 0");
    EXPECT_EQ(dataFolder, folder.path());
    EXPECT_EQ(helpPath, folder.path() + "Quirvel.chm");
    EXPECT_EQ(filterEndDate, 0xFFFF);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindow, SettingsNamingAMissingLedger) {
    writeSettingsFile("C:\\gone\\old books.qvl\r\n.05\r\n");
    start();
    EXPECT_TRUE(rows(1).empty());
    EXPECT_EQ(ledgerPath, "C:\\gone\\old books.qvl");
    EXPECT_EQ(statusText(0), "C:\\gone\\old books.qvl");
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0.05);
    EXPECT_EQ(prompts.messageTexts(),
              std::vector<std::string>{
                  "The last ledger C:\\gone\\old books.qvl could not be found.\r\nQuirvel starts with an empty list."});
}

// A file named on the command line (a double-click on a ledger that has
// been moved since) is not called the last ledger.
TEST_F(MainWindow, MissingLedgerOnTheCommandLineIsNamed) {
    writeSettingsFile("C:\\gone\\old books.qvl\r\n");
    startupLedger = "C:\\moved\\2025.qvl";
    start();
    EXPECT_TRUE(rows(1).empty());
    EXPECT_EQ(prompts.messageTexts(),
              std::vector<std::string>{
                  "The ledger C:\\moved\\2025.qvl could not be found.\r\nQuirvel starts with an empty list."});
}

// The remembered ledger was missing at start-up (a drive not mapped yet)
// and has come back: Save does not replace it with the few transactions
// typed since without asking. A folder of that name is no ledger at all.
TEST_F(MainWindow, RememberedLedgerThatComesBackIsNotReplacedSilently) {
    const std::string path = folder.file("books.qvl");
    writeSettingsFile(path + "\r\n");
    start();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(ledgerPath, path);
    const Bytes real = encodeLedger(sampleImage());
    folder.write("books.qvl", real);
    markLedgerChanged();
    prompts.messages.clear();
    prompts.answers = {mb::idYes, mb::idNo};  // save now, but do not replace
    command(cmdSave);
    EXPECT_EQ(prompts.messageTexts(),
              (std::vector<std::string>{"Save this file now?", "books.qvl was changed by another program since it "
                                                               "was opened. Replace it with this version?"}));
    EXPECT_EQ(folder.read("books.qvl"), real);
    EXPECT_EQ(ledgerChanged, 1);
    DestroyWindow(main);

    CreateDirectoryA(folder.file("folder.qvl").c_str(), nullptr);
    writeSettingsFile(folder.file("folder.qvl") + "\r\n");
    resetAllState();
    prompts.messages.clear();
    start();
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(ledgerPath, "");
}

// A read-only ledger is refused as Windows refuses it (Wine would move over
// it), with the message of any refused write; the changes stay.
TEST_F(MainWindow, ReadOnlyLedgerIsNotReplaced) {
    const std::string path = installLedger(sampleImage());
    start();
    const Bytes before = folder.read("books.qvl");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    markLedgerChanged();
    prompts.answers = {mb::idYes};
    command(cmdSave);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(prompts.messageTexts(),
              (std::vector<std::string>{"Save this file now?", "The ledger could not be saved to " + path +
                                                                   ":\r\nthe file is marked read-only\r\nThe file "
                                                                   "on disk has not been changed."}));
    EXPECT_EQ(folder.read("books.qvl"), before);
    EXPECT_EQ(ledgerChanged, 1);
    EXPECT_FALSE(fileExists(path + ".bak"));
}

// Log-off and shutdown take the quit flow's save question; a cancel, a
// failed save or a dialog still open keeps the program (and Windows) going.
TEST_F(MainWindow, LogOffAsksToSaveTheChanges) {
    const std::string path = installLedger(sampleImage());
    start();
    auto queryLogOff = [&] {
        return SendMessageA(main, WM_QUERYENDSESSION, 0, static_cast<LPARAM>(ENDSESSION_LOGOFF));
    };
    const std::string question = "This file has changed... save it before quiting?";
    EXPECT_EQ(queryLogOff(), TRUE);  // nothing to save: no question
    EXPECT_TRUE(prompts.messages.empty());

    markLedgerChanged();
    prompts.answers = {mb::idCancel};
    EXPECT_EQ(queryLogOff(), FALSE);
    ASSERT_EQ(prompts.messageTexts(), std::vector<std::string>{question});
    EXPECT_EQ(prompts.messages[0].style, mb::yesNoCancel | mb::iconQuestion);

    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    prompts.messages.clear();
    prompts.answers = {mb::idYes};
    EXPECT_EQ(queryLogOff(), FALSE);  // the save failed
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(ledgerChanged, 1);

    LRESULT duringDialog = -1;
    whenDialogOpens("About Quirvel", [&](HWND about) {
        duringDialog = queryLogOff();
        closeBox(about);
    });
    command(cmdAbout);
    EXPECT_EQ(duringDialog, FALSE);

    appendListEntry(nameList, 1, "Added");
    folder.write("quirvel.ini", Bytes{'x'});
    prompts.messages.clear();
    prompts.answers = {mb::idYes};
    EXPECT_EQ(queryLogOff(), TRUE);
    EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{question});
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_EQ(folder.read("books.qvl"), encodeLedger(currentLedgerImage()));
    Bytes settings = folder.read("quirvel.ini");
    EXPECT_EQ(std::string(settings.begin(), settings.end()).substr(0, path.size()), path);
    EXPECT_TRUE(IsWindow(main));
}

TEST_F(MainWindow, RefusedLedgerAtStartUpIsNeverOverwritten) {
    std::string path = folder.file("other.qvl");
    std::string foreign = "Quirxel Version 3";
    Bytes bytes(foreign.begin(), foreign.end());
    bytes.resize(26, 0);
    folder.write("other.qvl", bytes);
    writeSettingsFile(path + "\r\n");
    start();
    ASSERT_EQ(prompts.messageTexts(), std::vector<std::string>{"Not a Quirvel file type"});
    EXPECT_EQ(ledgerPath, "");
    prompts.chosenFiles.push_back("");  // Save now asks for a name; cancel
    command(cmdSave);
    EXPECT_EQ(folder.read("other.qvl").size(), 26u);
}

TEST_F(MainWindow, StatusBarShowsTheFileNameInsideTheDataFolder) {
    std::string path = installLedger(sampleImage());
    start();
    EXPECT_EQ(statusText(0), "books.qvl");
    EXPECT_EQ(statusText(1), " 7 : 7");
    // The same file reached through a path differing in letter case.
    std::string upper = path;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    ledgerPath = upper;
    updateStatus(0);
    EXPECT_EQ(statusText(0), upper);
    selectPosition(5);
    EXPECT_EQ(statusText(1), " 5 : 7");
}

TEST_F(MainWindow, RowsPerTabAndTheirTexts) {
    installLedger(sampleImage());
    start();
    std::vector<std::string> all = rows(1);
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all[0], "01-05-2006\tService \tConsulting\tAcme Corp\t500.00");
    EXPECT_EQ(all[3], "02-14-2006\tSold    \tWidgets\tBolt & Co\t24.24");  // 19.99 + 1.00 + 2.00 + 1.25
    EXPECT_EQ(all[4], "03-02-2006\tBought  \tWidgets\tBolt & Co\t10.00");   // tax included: not added
    EXPECT_EQ(all[5], "03-20-2006\tPersonal\tWidgets\t\t5.31");
    clickTab(2);
    EXPECT_EQ(rows(2), std::vector<std::string>{all[0]});
    clickTab(3);
    EXPECT_EQ(rows(3), std::vector<std::string>{all[6]});
    clickTab(4);
    EXPECT_EQ(rows(4), (std::vector<std::string>{all[3], all[4], all[5]}));
    clickTab(5);
    EXPECT_EQ(rows(5), (std::vector<std::string>{all[1], all[2]}));
    EXPECT_EQ(currentType, 2);
    EXPECT_EQ(currentListId, 2505);
    EXPECT_EQ(statusText(1), " 2 : 2");
}

TEST_F(MainWindow, FocusTransactionIsSelectedOrKeptForLater) {
    installLedger(sampleImage());
    start();
    EXPECT_EQ(selectedRow, 7);  // the latest
    focusTransaction = 2;
    fillList();
    EXPECT_EQ(selectedRow, 2);
    EXPECT_EQ(focusTransaction, 0);
    clickTab(2);  // services only: transaction 4 is not shown
    focusTransaction = 4;
    fillList();
    EXPECT_EQ(selectedRow, 1);
    EXPECT_EQ(focusTransaction, 4);
    clickTab(4);
    EXPECT_EQ(selectedRow, 1);
    EXPECT_EQ(focusTransaction, 0);
}

TEST_F(MainWindow, TabSwitchesRefillOncePerSwitch) {
    installLedger(sampleImage());
    start();
    // Behind the list's back: a change only a refill can show.
    transactions[1].amount = 11100;
    clickTab(2);
    EXPECT_EQ(rows(1)[0].substr(rows(1)[0].rfind('\t') + 1), "111.00");  // the old tab filled once more
    EXPECT_EQ(rows(2)[0].substr(rows(2)[0].rfind('\t') + 1), "111.00");
    transactions[1].amount = 22200;
    NMHDR n = {tabControl, idTabs, static_cast<UINT>(NM_CLICK)};
    SendMessageA(mainWindow, WM_NOTIFY, idTabs, reinterpret_cast<LPARAM>(&n));  // the same tab again
    EXPECT_EQ(rows(2)[0].substr(rows(2)[0].rfind('\t') + 1), "111.00");
    clickTab(3);
    clickTab(2);
    EXPECT_EQ(rows(2)[0].substr(rows(2)[0].rfind('\t') + 1), "222.00");
}

TEST_F(MainWindow, OwnerDrawnTabsInTheirColours) {
    start();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 100, 30);
    HGDIOBJ old = SelectObject(dc, bmp);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_TAB;
    item.CtlID = idTabs;
    item.itemID = 1;
    item.hwndItem = tabControl;
    item.hDC = dc;
    item.rcItem = {0, 0, 100, 30};
    item.itemState = ODS_SELECTED;
    SendMessageA(mainWindow, WM_DRAWITEM, idTabs, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(GetPixel(dc, 2, 28), RGB(220, 230, 240));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
    item.itemState = ODS_SELECTED | ODS_FOCUS;
    SendMessageA(mainWindow, WM_DRAWITEM, idTabs, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(GetPixel(dc, 2, 28), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST_F(MainWindow, ARepaintOfTheTabsLeavesThePageOverTheirPane) {
    installLedger(sampleImage());
    start();
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HWND list = GetDlgItem(pages[1], idFirstList);
    RECT selected;  // the last of the seven rows
    SendMessageA(list, LB_GETITEMRECT, 6, reinterpret_cast<LPARAM>(&selected));
    auto pixel = [](HWND w, int x, int y) {
        HDC dc = GetDC(w);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(w, dc);
        return c;
    };
    const int x = selected.right - 2, y = (selected.top + selected.bottom) / 2;
    EXPECT_EQ(pixel(list, x, y), GetSysColor(COLOR_HIGHLIGHT));
    // The titles blotted out, then the tab control alone painted again.
    RECT title;
    SendMessageA(tabControl, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&title));
    const int tx = title.left + 4, ty = title.bottom - 3;
    COLORREF titleColour = pixel(tabControl, tx, ty);
    HDC dc = GetDC(tabControl);
    FillRect(dc, &title, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(tabControl, dc);
    ASSERT_EQ(pixel(tabControl, tx, ty), RGB(0, 0, 0));
    InvalidateRect(tabControl, nullptr, TRUE);
    UpdateWindow(tabControl);
    EXPECT_EQ(pixel(tabControl, tx, ty), titleColour);
    EXPECT_EQ(pixel(list, x, y), GetSysColor(COLOR_HIGHLIGHT));
}

// Whether a window made on a thread of its own gets an input method window,
// with leaveInputMethodOff() called on that thread first or not.
struct InputMethodRun {
    bool leftOff, has = false;
};
DWORD WINAPI makeThreadWindow(void* p) {
    auto* r = static_cast<InputMethodRun*>(p);
    if (r->leftOff) leaveInputMethodOff();
    HWND w = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    using DefaultImeWnd = HWND(WINAPI*)(HWND);
    auto ime = reinterpret_cast<DefaultImeWnd>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("imm32.dll"), "ImmGetDefaultIMEWnd")));
    r->has = ime && ime(w) != nullptr;
    DestroyWindow(w);
    return 0;
}
bool threadWindowHasInputMethod(bool leftOff) {
    InputMethodRun run{leftOff};
    HANDLE thread = CreateThread(nullptr, 0, makeThreadWindow, &run, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return run.has;
}

TEST(StartUp, TheInputMethodIsLeftOffWithASingleByteCodePage) {
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_TRUE(threadWindowHasInputMethod(false));
    EXPECT_FALSE(threadWindowHasInputMethod(true));
}

TEST_F(MainWindow, SaveAsksEvenWithoutChanges) {
    std::string path = installLedger(sampleImage());
    start();
    Bytes before = folder.read("books.qvl");
    prompts.answers = {mb::idNo};
    command(cmdSave);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Save this file now?");
    EXPECT_EQ(prompts.messages[0].title, "Save File");
    EXPECT_EQ(prompts.messages[0].style, mb::yesNo | mb::iconQuestion);
    EXPECT_EQ(settingsChanged, 0);
    prompts.answers = {mb::idYes};
    transactions[1].amount = 1;
    command(cmdSave);
    EXPECT_NE(folder.read("books.qvl"), before);
    EXPECT_EQ(settingsChanged, 1);
    EXPECT_EQ(ledgerPath, path);
}

TEST_F(MainWindow, SaveAsOfANeverSavedLedger) {
    start();
    appendListEntry(descrList, 1, "Fees");
    markLedgerChanged();
    prompts.chosenFiles = {""};
    command(cmdSaveAs);
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    const FileDialogRequest& r = prompts.fileRequests[0];
    EXPECT_EQ(r.caption, "Save File");
    EXPECT_EQ(r.folder, folder.path());
    EXPECT_EQ(r.defaultExtension, "qvl");
    EXPECT_EQ(r.flags, static_cast<unsigned long>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR));
    EXPECT_EQ(ledgerChanged, 1);
    EXPECT_EQ(statusText(0), "");
    prompts.chosenFiles = {folder.file("new.qvl")};
    command(cmdSaveAs);
    EXPECT_EQ(folder.read("new.qvl").size(), 23u + 6u);
    EXPECT_EQ(statusText(0), "new.qvl");
    EXPECT_EQ(ledgerChanged, 0);
}

TEST_F(MainWindow, OpenAsksAboutUnsavedChanges) {
    std::string first = installLedger(sampleImage());
    LedgerImage second;
    second.transactions = {makeTransaction("07-07-2007", typeService, 0, 0, 700)};
    folder.write("second.qvl", encodeLedger(second));
    start();
    transactions[1].amount = 1;
    markLedgerChanged();
    prompts.chosenFiles = {folder.file("second.qvl")};
    prompts.answers = {mb::idNo};
    command(cmdOpen);
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.fileRequests[0].caption, "Open File");
    EXPECT_FALSE(prompts.fileRequests[0].save);
    EXPECT_EQ(prompts.fileRequests[0].flags, static_cast<unsigned long>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_LONGNAMES));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Current file has changed...\r\nSave it before opening the new file?");
    EXPECT_EQ(prompts.messages[0].title, "Save File");
    EXPECT_EQ(rows(1), std::vector<std::string>{"07-07-2007\tService \t\t\t7.00"});
    EXPECT_EQ(statusText(0), "second.qvl");
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_EQ(folder.read("books.qvl"), encodeLedger(sampleImage()));  // the changes were dropped
    (void)first;

    prompts.messages.clear();
    prompts.chosenFiles = {""};
    command(cmdOpen);  // cancelled: nothing happens
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(ledgerPath, folder.file("second.qvl"));
}

TEST_F(MainWindow, QuitWithoutChangesAsksAndWritesNothingOnCancel) {
    installLedger(sampleImage());
    start();
    Bytes settingsBefore = folder.read("quirvel.ini");
    prompts.answers = {mb::idCancel};
    command(idQuit);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Quit program now?");
    EXPECT_EQ(prompts.messages[0].title, "Quit Program");
    EXPECT_EQ(prompts.messages[0].style, mb::okCancel | mb::iconQuestion);
    EXPECT_TRUE(IsWindow(main));
    prompts.answers = {mb::idOk};
    command(cmdExit);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(folder.read("quirvel.ini"), settingsBefore);  // settingsChanged was never set
}

TEST_F(MainWindow, QuitWithChanges) {
    std::string path = installLedger(sampleImage());
    start();
    transactions[1].amount = 4242;
    markLedgerChanged();
    prompts.answers = {mb::idCancel};
    SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    EXPECT_EQ(prompts.messages.back().text, "This file has changed... save it before quiting?");
    EXPECT_EQ(prompts.messages.back().style, mb::yesNoCancel | mb::iconQuestion);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(folder.read("books.qvl"), encodeLedger(sampleImage()));
    stateTaxRate = 0.07;
    settingsChanged = 1;
    prompts.answers = {mb::idYes};
    SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(main));
    LedgerImage saved = decodeLedger(folder.read("books.qvl"), 0).image;
    EXPECT_EQ(saved.transactions[0].amount, 4242);
    Bytes ini = folder.read("quirvel.ini");
    EXPECT_EQ(std::string(ini.begin(), ini.end()), path + "\r\n.07\r\n0\r\n0\r\n0\r\n");
}

TEST_F(MainWindow, AFailedSaveKeepsTheChangesOnScreen) {
    installLedger(sampleImage());
    start();
    transactions[1].amount = 4242;
    markLedgerChanged();
    LedgerImage second;
    folder.write("second.qvl", encodeLedger(second));
    setWriteFault(1, true);
    prompts.chosenFiles = {folder.file("second.qvl")};
    prompts.answers = {mb::idYes};
    command(cmdOpen);  // "Save it before opening?" Yes, and the save fails
    EXPECT_EQ(transactions[1].amount, 4242);
    EXPECT_EQ(ledgerPath, folder.file("books.qvl"));
    prompts.answers = {mb::idYes};
    SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);  // "save it before quiting?" Yes, and it fails
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(ledgerChanged, 1);
    setWriteFault(0, false);
    prompts.answers = {mb::idYes};
    SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(decodeLedger(folder.read("books.qvl"), 0).image.transactions[0].amount, 4242);
}

TEST_F(MainWindow, QuitWithChangesAnsweredNoWritesNoLedger) {
    installLedger(sampleImage());
    start();
    markLedgerChanged();
    transactions[1].amount = 1;
    prompts.answers = {mb::idNo};
    SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(folder.read("books.qvl"), encodeLedger(sampleImage()));
}

TEST_F(MainWindow, NoSecondCommandWhileAQuestionIsUp) {
    installLedger(sampleImage());
    start();
    static HWND window;
    window = main;
    prompts.duringMessage = [] {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(cmdOpen, 0), 0);             // dropped
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);                          // refused
    };
    prompts.answers = {mb::idNo};
    command(cmdSave);
    prompts.duringMessage = nullptr;
    EXPECT_EQ(prompts.messages.size(), 1u);  // only "Save this file now?"
    EXPECT_TRUE(prompts.fileRequests.empty());
    EXPECT_TRUE(IsWindow(main));
    EXPECT_FALSE(commandInProgress());
}

// With a real message box up, nothing reaches the main window: no command,
// close, key or tab click. When it closes, the main window is active again
// and its list takes the keys.
TEST_F(MainWindow, ARealQuestionFreezesTheWindowAndGivesTheKeysBack) {
    installLedger(sampleImage());
    start();
    HWND list = currentList->listBox();
    ASSERT_EQ(GetFocus(), list);
    ASSERT_EQ(currentList->selected(), 7);
    prompts.realPrompts = 1;
    whenDialogOpens("Save File", [&](HWND box) {
        EXPECT_FALSE(IsWindowEnabled(main));
        command(cmdOpen);
        SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageA(main, WM_CLOSE, 0, 0);
        PostMessageA(list, WM_KEYDOWN, VK_HOME, 0);
        RECT tab;
        SendMessageA(tabControl, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
        LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
        PostMessageA(tabControl, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(tabControl, WM_LBUTTONUP, 0, at);
        pumpMessages();
        EXPECT_TRUE(prompts.fileRequests.empty());
        EXPECT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(currentList->selected(), 7);
        click(box, IDNO);
    });
    command(cmdSave);
    EXPECT_TRUE(allDialogsHandled());
    ASSERT_TRUE(IsWindow(main));
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(GetForegroundWindow(), main);
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_EQ(GetFocus(), list);

    // A key pressed now reaches the list.
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_UP;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    for (int i = 0; i < 50 && currentList->selected() == 7; ++i) {
        Sleep(10);
        pumpMessages();
    }
    EXPECT_EQ(currentList->selected(), 6);
    EXPECT_EQ(statusText(1), " 6 : 7");
}

TEST_F(MainWindow, ButtonsLoseTheDefaultFrameAfterEveryCommand) {
    start();
    for (int id = 1001; id <= 1010; ++id)
        SendMessageA(GetDlgItem(main, id), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    SendMessageA(GetDlgItem(main, 1011), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    command(IDCANCEL);  // Esc: does nothing else
    for (int id = 1001; id <= 1010; ++id)
        EXPECT_EQ(GetWindowLongA(GetDlgItem(main, id), GWL_STYLE) & 0xF, BS_PUSHBUTTON) << id;
    EXPECT_EQ(GetWindowLongA(GetDlgItem(main, 1011), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    EXPECT_TRUE(IsWindow(main));
}

// F1 and Help > Contents: the help file on Windows; under Wine, whose help
// viewer shows blank pages, the first plain HTML page in the browser.
class Help : public MainWindowTest {
protected:
    std::string page() const { return folder.path() + "help\\welcome.html"; }
    void installPage() {
        CreateDirectoryA(folder.file("help").c_str(), nullptr);
        folder.write("help\\welcome.html", Bytes{'<', 'p', '>'});
    }
    // F1 through the window's own loop and accelerators, then the menu's
    // Help > Contents; the window is then closed without its quit question.
    void pressF1ThenChooseContents() {
        bool done = false;
        whenDialogOpens("Quirvel", [&](HWND) {
            pressKeys({VK_F1}, false, false, [&] {
                EXPECT_EQ(prompts.shellOpens.size() + prompts.helpRequests.size(), 1u) << "F1 asked for no help";
                command(cmdContents);
                done = true;
                closeMainWindow();
            });
        });
        runMainWindow();
        EXPECT_TRUE(done);
    }
    void expectHelpMessage(const std::string& text) {
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, text);
        EXPECT_EQ(prompts.messages[0].title, "Help");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconExclamation);
        EXPECT_TRUE(prompts.helpRequests.empty());
    }
};

TEST_F(Help, UnderWineOpensTheFirstPageInTheBrowser) {
    EXPECT_TRUE(runningUnderWine());  // these tests run under Wine: the program's own check must see it
    installPage();
    helpInBrowser = true;
    pressF1ThenChooseContents();
    const std::pair<std::string, int> open{page(), SW_SHOWNORMAL};
    EXPECT_EQ(prompts.shellOpens, (std::vector<std::pair<std::string, int>>{open, open}));
    EXPECT_TRUE(prompts.helpRequests.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Help, UnderWineAMissingPageIsNamedAndNothingOpens) {
    helpInBrowser = true;
    folder.write("Quirvel.chm", Bytes{'I', 'T', 'S', 'F'});  // the help file is no stand-in for the page
    start();
    command(cmdContents);
    expectHelpMessage("The help page is missing:\r\n" + page() + "\r\nReinstalling Quirvel brings the help back.");
    EXPECT_TRUE(prompts.shellOpens.empty());
}

TEST_F(Help, UnderWineAShellThatOpensNothingNamesThePage) {
    installPage();
    helpInBrowser = true;
    prompts.shellOpenResult = false;
    start();
    command(cmdContents);
    EXPECT_EQ(prompts.shellOpens, (std::vector<std::pair<std::string, int>>{{page(), SW_SHOWNORMAL}}));
    expectHelpMessage("No browser could be started for the help page:\r\n" + page() +
                      "\r\nOpen that page in your web browser to read the help.");
}

// The real shell's answer when it has nothing to start: no file there.
TEST_F(Help, TheShellSaysWhenItStartedNothing) {
    EXPECT_FALSE(systemPrompts().shellOpen(folder.path() + "help\\gone.html", SW_SHOWNORMAL));
}

// The pages being there changes nothing on Windows; nor does a choice of
// the browser left over from before resetAllState.
TEST_F(Help, OnWindowsOpensTheHelpFile) {
    installPage();
    helpInBrowser = true;
    resetAllState();
    pressF1ThenChooseContents();
    const std::pair<std::string, unsigned> request{folder.path() + "Quirvel.chm", HH_DISPLAY_TOPIC};
    EXPECT_EQ(prompts.helpRequests, (std::vector<std::pair<std::string, unsigned>>{request, request}));
    EXPECT_TRUE(prompts.shellOpens.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindow, KeyboardShortcutsInTheWindowsOwnLoop) {
    installLedger(sampleImage());
    prompts.answers = {mb::idNo, mb::idNo, mb::idOk};  // Save? Delete? Quit?
    bool done = false;
    int selected = 0;
    whenDialogOpens("Quirvel", [&](HWND) {
        ASSERT_EQ(GetFocus(), lists[1]->listBox());
        pressKeys({'O', 'S', 'P', VK_TAB}, true, false, [&] {
            ASSERT_EQ(prompts.fileRequests.size(), 1u);
            EXPECT_EQ(prompts.fileRequests[0].caption, "Open File");
            EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{"Save this file now?"});
            EXPECT_EQ(prompts.printRequests.size(), 1u);
            EXPECT_EQ(currentTab, 2);
            EXPECT_EQ(rows(2).size(), 1u);  // the Services tab was filled
            pressKeys({VK_TAB, VK_TAB}, true, true, [&] {
                EXPECT_EQ(currentTab, 5);  // from 2 back past the first tab
                EXPECT_TRUE(IsWindowVisible(pages[5]));
                pressKeys({VK_TAB}, true, false, [&] {
                    EXPECT_EQ(currentTab, 1);
                    selected = currentList->selected();
                    pressKeys({VK_DELETE, VK_F1, VK_ESCAPE, VK_RETURN}, false, false, [&] {
                        EXPECT_EQ(prompts.messageTexts().back(), "Delete this record now?");
                        EXPECT_EQ(prompts.messages.size(), 2u);  // Esc and Enter ask nothing
                        EXPECT_EQ(prompts.helpRequests.size(), 1u);
                        EXPECT_EQ(transactionCount, 7);
                        EXPECT_EQ(currentList->selected(), selected);
                        EXPECT_NE(mainWindow, nullptr);  // Esc and Enter do not close it
                        pressKeys({'N'}, true, false, [&] {
                            EXPECT_EQ(transactionCount, 0);
                            EXPECT_EQ(ledgerPath, "");
                            EXPECT_DOUBLE_EQ(combinedTaxRate, 0.0625);
                            pressKeys({}, false, false, [&] {
                                done = true;
                                command(cmdExit);
                            });
                        });
                    });
                });
            });
        });
    });
    runMainWindow();
    EXPECT_TRUE(done);
    EXPECT_EQ(prompts.messageTexts().back(), "Quit program now?");
}

std::string menuItem(HWND main, int id) {
    char buf[80] = "";
    GetMenuStringA(GetMenu(main), static_cast<UINT>(id), buf, sizeof buf, MF_BYCOMMAND);
    return buf;
}
bool greyed(HWND main, int id) { return GetMenuState(GetMenu(main), static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED; }

// A delete after a sort, taken back with Ctrl+Z in the window's own loop:
// the same transaction returns, selected, on the All Transactions tab since
// the Services tab would hide it. Ctrl+Y and Ctrl+Shift+Z make it again;
// undone back to the books as loaded, Quit asks no save question.
TEST_F(MainWindow, UndoAndRedoThroughTheMenuAndTheKeys) {
    installLedger(sampleImage());
    prompts.answers = {mb::idYes, mb::idOk};  // Delete? Quit?
    bool done = false;
    Bytes loaded;  // outlive the steps: each runs after the one that queued it has returned
    int t = 0;
    whenDialogOpens("Quirvel", [&](HWND) {
        EXPECT_EQ(menuItem(mainWindow, cmdUndo), "&Undo\tCtrl+Z");
        EXPECT_TRUE(greyed(mainWindow, cmdUndo));
        HMENU edit = GetSubMenu(GetMenu(mainWindow), 1);
        int undoAt = 0;
        while (undoAt < GetMenuItemCount(edit) && GetMenuItemID(edit, undoAt) != UINT(cmdUndo)) ++undoAt;
        EXPECT_EQ(GetMenuItemID(edit, undoAt - 2), UINT(cmdSalesTax));  // after the Edit menu's own items
        EXPECT_EQ(GetMenuState(edit, static_cast<UINT>(undoAt - 1), MF_BYPOSITION) & MF_SEPARATOR,
                  static_cast<UINT>(MF_SEPARATOR));
        loaded = folder.read("books.qvl");
        SendMessageA(pages[1], WM_COMMAND, MAKEWPARAM(2501 + 5, STN_CLICKED),
                     reinterpret_cast<LPARAM>(currentList->heading(5)));  // by amount
        selectPosition(2);
        t = transactionAtPosition(2);
        ASSERT_EQ(transactions[t].type, typeBought);
        command(cmdDeleteRecord);
        EXPECT_EQ(transactionCount, 6);
        EXPECT_EQ(menuItem(mainWindow, cmdUndo), "&Undo Delete record\tCtrl+Z");
        EXPECT_FALSE(greyed(mainWindow, cmdUndo));
        EXPECT_EQ(menuItem(mainWindow, cmdRedo), "&Redo\tCtrl+Y");
        EXPECT_TRUE(greyed(mainWindow, cmdRedo));
        clickTab(2);
        pressKeys({'Z'}, true, false, [&] {
            EXPECT_EQ(encodeLedger(currentLedgerImage()), loaded);
            EXPECT_EQ(currentTab, 1);
            EXPECT_EQ(transactionAtPosition(currentList->selected()), t);
            EXPECT_EQ(ledgerChanged, 0);
            EXPECT_EQ(menuItem(mainWindow, cmdRedo), "&Redo Delete record\tCtrl+Y");
            EXPECT_TRUE(greyed(mainWindow, cmdUndo));
            pressKeys({'Y'}, true, false, [&] {
                EXPECT_EQ(transactionCount, 6);
                EXPECT_EQ(ledgerChanged, 1);
                pressKeys({'Z'}, true, false, [&] {
                    EXPECT_EQ(transactionCount, 7);
                    pressKeys({'Z'}, true, true, [&] {
                        EXPECT_EQ(transactionCount, 6);
                        command(cmdUndo);  // the menu item does the same
                        EXPECT_EQ(encodeLedger(currentLedgerImage()), loaded);
                        EXPECT_EQ(ledgerChanged, 0);
                        done = true;
                        command(cmdExit);
                    });
                });
            });
        });
    });
    runMainWindow();
    EXPECT_TRUE(done);
    EXPECT_EQ(prompts.messageTexts(), (std::vector<std::string>{"Delete this record now?", "Quit program now?"}));
}

TEST_F(MainWindow, KeysOfADialogOverTheWindowStayInTheDialog) {
    installLedger(sampleImage());
    bool viewed = false;
    whenDialogOpens("Quirvel", [&](HWND) {
        whenDialogOpens("Earnings transaction", [&](HWND view) {
            viewed = true;
            SetFocus(GetDlgItem(view, IDOK) ? GetDlgItem(view, IDOK) : GetNextDlgTabItem(view, nullptr, FALSE));
            pressKeys({VK_DELETE, 'S'}, true, false, [&, view] {
                EXPECT_TRUE(prompts.messages.empty());  // neither Delete nor Save of the main window
                EXPECT_TRUE(IsWindow(view));
                pressKeys({VK_ESCAPE}, false, false, [&, view] {
                    EXPECT_FALSE(IsWindow(view));  // Esc closed the record view
                    command(cmdExit);
                });
            });
        });
        command(idData);  // the last row: the earning
    });
    runMainWindow();
    EXPECT_TRUE(viewed);
}

TEST_F(MainWindow, GrowsWithTheWindowAndKeepsTheAmountAtTheRightEdge) {
    LedgerImage image = sampleImage();
    image.descriptions[0] = entry(1, std::string(60, 'W'));  // far wider than its column
    installLedger(image);
    start();
    RECT before = screenRect(main), tabsBefore = screenRect(tabControl), listBefore = screenRect(lists[1]->listBox());
    SendMessageA(pages[1], WM_COMMAND, MAKEWPARAM(2506, STN_CLICKED), reinterpret_cast<LPARAM>(lists[1]->heading(5)));
    std::vector<std::string> sorted = rows(1);
    auto longest = [](const std::vector<std::string>& rs) {
        size_t n = 0;
        for (const std::string& r : rs) n = std::max(n, r.size());
        return n;
    };
    size_t cut = longest(sorted);

    MINMAXINFO info = {};
    SendMessageA(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, before.right - before.left);  // never below the built-in layout
    EXPECT_EQ(info.ptMinTrackSize.y, before.bottom - before.top);

    ShowWindow(main, SW_MAXIMIZE);
    pumpMessages();
    ASSERT_TRUE(IsZoomed(main));
    RECT client;
    GetClientRect(main, &client);
    RECT tabs = screenRect(tabControl), list = screenRect(lists[1]->listBox()), status = screenRect(statusBar);
    int dx = (tabs.right - tabs.left) - (tabsBefore.right - tabsBefore.left);
    int dy = (tabs.bottom - tabs.top) - (tabsBefore.bottom - tabsBefore.top);
    EXPECT_GT(dx, 100);
    EXPECT_GT(dy, 100);
    EXPECT_NEAR((list.right - list.left) - (listBefore.right - listBefore.left), dx, 3);
    EXPECT_NEAR((list.bottom - list.top) - (listBefore.bottom - listBefore.top), dy, 3);
    POINT clientBottom = {0, client.bottom};
    ClientToScreen(main, &clientBottom);
    EXPECT_EQ(status.bottom, clientBottom.y);
    // The Amount heading ends where the list's rows end, left of its scroll bar.
    RECT amount = screenRect(lists[1]->heading(5));
    EXPECT_NEAR(amount.right, list.right - GetSystemMetrics(SM_CXVSCROLL), 6);
    EXPECT_LT(lists[1]->tabStops()[4], 0);  // still right-aligned
    // The cut description shows more now; the sort and the row count stay.
    std::vector<std::string> grown = rows(1);
    ASSERT_EQ(grown.size(), sorted.size());
    for (size_t i = 0; i < grown.size(); ++i)
        EXPECT_EQ(grown[i].substr(0, 10), sorted[i].substr(0, 10)) << i;
    EXPECT_GT(longest(grown), cut + 10);

    ShowWindow(main, SW_RESTORE);
    pumpMessages();
    expectClientUnits(main, 320, 300);
    RECT tabsAfter = screenRect(tabControl);
    EXPECT_EQ(tabsAfter.right - tabsAfter.left, tabsBefore.right - tabsBefore.left);
    EXPECT_EQ(rows(1), sorted);
}

// What the system's move loop sends while the user drags the caption; a
// click that does not drag enters and leaves the loop all the same.
void dragBy(HWND w, int dx, int dy) {
    SendMessageA(w, WM_ENTERSIZEMOVE, 0, 0);
    if (dx || dy) {
        RECT r = screenRect(w);
        SetWindowPos(w, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    SendMessageA(w, WM_EXITSIZEMOVE, 0, 0);
}

TEST_F(MainWindow, PlaceIsRememberedOnlyOnceTheUserMovedSizedMaximisedOrRestoredIt) {
    std::string path = installLedger(sampleImage());
    const std::string five = path + "\r\n.0625\r\n0\r\n0\r\n0\r\n";
    // Written the long way: a file written at quit says .0625.
    const std::string asInstalled = path + "\r\n0.0625\r\n0\r\n0\r\n0\r\n";

    // Placed by the program, not by the user, and a move loop that moved
    // nothing (a click on the caption): nothing to remember.
    writeSettingsFile(asInstalled);
    start();
    RECT r = screenRect(main);
    SetWindowPos(main, nullptr, 30, 20, r.right - r.left + 200, r.bottom - r.top + 100, SWP_NOZORDER);
    dragBy(main, 0, 0);
    EXPECT_EQ(quitAndReadSettings(), asInstalled);

    // Dragged by the caption: remembered where it went.
    resetAllState();
    start();
    r = screenRect(main);
    dragBy(main, 24, 8);
    RECT moved = screenRect(main);
    EXPECT_EQ(moved.left, r.left + 24);
    EXPECT_EQ(quitAndReadSettings(), five + std::to_string(moved.left) + "\r\n" + std::to_string(moved.top) + "\r\n" +
                          std::to_string(r.right - r.left) + "\r\n" + std::to_string(r.bottom - r.top) + "\r\n0\r\n");

    // The next start opens there, maximised when it was.
    writeSettingsFile(five + "40\r\n50\r\n900\r\n700\r\n1\r\n");
    resetAllState();
    start();
    pumpMessages();
    EXPECT_TRUE(IsZoomed(main));
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(main, &wp);
    EXPECT_EQ(wp.rcNormalPosition.left, 40);
    EXPECT_EQ(wp.rcNormalPosition.top, 50);
    EXPECT_EQ(wp.rcNormalPosition.right - wp.rcNormalPosition.left, 900);
    EXPECT_EQ(rows(1).size(), 7u);
    // Restored by the user (the caption's button): remembered as restored.
    SendMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsZoomed(main));
    EXPECT_EQ(quitAndReadSettings(), five + "40\r\n50\r\n900\r\n700\r\n0\r\n");

    // Maximised by the user (a double click on the caption).
    resetAllState();
    start();
    r = screenRect(main);
    SendMessageA(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(main));
    EXPECT_EQ(quitAndReadSettings(), five + std::to_string(r.left) + "\r\n" + std::to_string(r.top) + "\r\n" +
                          std::to_string(r.right - r.left) + "\r\n" + std::to_string(r.bottom - r.top) + "\r\n1\r\n");

    // A place off every screen is not used.
    writeSettingsFile(five + "-30000\r\n-30000\r\n900\r\n700\r\n0\r\n");
    resetAllState();
    start();
    expectClientUnits(main, 320, 300);
    expectCentredOnWorkArea(main);
}

TEST_F(MainWindow, ShownAsWhoeverStartedItAskedButRememberedOnlyWhenTheUserPlacedIt) {
    std::string path = installLedger(sampleImage());
    const std::string asInstalled = path + "\r\n0.0625\r\n0\r\n0\r\n0\r\n";
    const std::string place = "40\r\n50\r\n900\r\n700\r\n0\r\n";
    auto startAs = [&](const std::string& settings, int showCommand) {
        writeSettingsFile(settings);
        resetAllState();
        startShowCommand = showCommand;
        start();
        pumpMessages();
    };

    // Started maximised (a shortcut set so, start /max): shown maximised
    // over the remembered normal state, and the file keeps its place.
    startAs(asInstalled + place, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsZoomed(main));
    EXPECT_EQ(quitAndReadSettings(), asInstalled + place);

    // Started minimised, without a remembered place: minimised, nothing written.
    startAs(asInstalled, SW_SHOWMINNOACTIVE);
    EXPECT_TRUE(IsIconic(main));
    EXPECT_EQ(quitAndReadSettings(), asInstalled);

    // A plain start (a double click on a ledger gives SW_SHOWNORMAL) shows
    // the window as it was left.
    startAs(asInstalled, SW_SHOWNORMAL);
    EXPECT_FALSE(IsZoomed(main));
    EXPECT_FALSE(IsIconic(main));
    EXPECT_EQ(quitAndReadSettings(), asInstalled);
}

TEST_F(MainWindow, NewStartsAnEmptyLedgerAfterTheSaveQuestion) {
    std::string path = installLedger(sampleImage());
    stateTaxRate = 0;
    start();
    Bytes onDisk = folder.read("books.qvl");
    filterDescrIndex = 2;
    filterNameIndex = 1;

    markLedgerChanged();
    setWriteFault(1, true);  // the save fails: nothing is emptied
    prompts.answers = {mb::idYes};
    command(cmdNew);
    setWriteFault(0, false);
    EXPECT_EQ(prompts.messageTexts()[0], "Current file has changed...\r\nSave it before opening the new file?");
    EXPECT_EQ(prompts.messages[0].title, "Save File");
    EXPECT_EQ(prompts.messages[0].style, mb::yesNo | mb::iconQuestion);
    EXPECT_EQ(transactionCount, 7);
    EXPECT_EQ(ledgerPath, path);

    prompts.messages.clear();
    prompts.answers = {mb::idNo};
    command(cmdNew);
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(transactionCount, 0);
    EXPECT_EQ(descrCount, 0);
    EXPECT_EQ(nameCount, 0);
    EXPECT_EQ(ledgerPath, "");
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_EQ(filterDescrIndex, 0);
    EXPECT_EQ(filterNameIndex, 0);
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0.0625);
    EXPECT_TRUE(rows(1).empty());
    EXPECT_EQ(statusText(0), "");
    EXPECT_EQ(statusText(1), " 0 : 0");
    EXPECT_EQ(folder.read("books.qvl"), onDisk);

    // Save now asks for a name.
    prompts.answers = {mb::idYes};
    prompts.chosenFiles = {""};
    command(cmdSave);
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_TRUE(prompts.fileRequests[0].save);

    // Settings written while the new ledger has no file (new rates, a moved
    // window) still name the books opened last.
    ASSERT_TRUE(writeSettings());
    Bytes ini = folder.read("quirvel.ini");
    EXPECT_EQ(std::string(ini.begin(), ini.end()).substr(0, path.size() + 2), path + "\r\n");
}

TEST_F(MainWindow, LedgerOnTheCommandLineIsOpenedInsteadOfTheRemembered) {
    EXPECT_EQ(ledgerFromCommandLine(L"Quirvel.exe \"C:\\books\\2025 q1.qvl\""), "C:\\books\\2025 q1.qvl");
    EXPECT_EQ(ledgerFromCommandLine(L"\"C:\\Program Files\\Quirvel.exe\""), "");
    EXPECT_EQ(ledgerFromCommandLine(L""), "");
    EXPECT_EQ(ledgerFromCommandLine(L"Quirvel.exe  \t "), "");

    installLedger(sampleImage());
    LedgerImage other;
    other.transactions = {makeTransaction("05-05-2025", typeService, 0, 0, 4200)};
    folder.write("other.qvl", encodeLedger(other));
    startupLedger = folder.file("other.qvl");
    start();
    EXPECT_EQ(ledgerPath, folder.file("other.qvl"));
    EXPECT_EQ(transactionCount, 1);
    EXPECT_EQ(statusText(0), "other.qvl");
}

TEST_F(MainWindow, ExportWritesTheRowsAsShown) {
    installLedger(sampleImage());
    start();
    clickTab(4);  // the products
    SendMessageA(pages[4], WM_COMMAND, MAKEWPARAM(2509, STN_CLICKED), reinterpret_cast<LPARAM>(lists[4]->heading(5)));
    std::vector<int> shown;
    for (int p = 1; p <= rowCount; ++p) shown.push_back(transactionAtPosition(p));
    ASSERT_EQ(shown, (std::vector<int>{6, 5, 4}));  // by amount, smallest first
    prompts.chosenFiles = {folder.file("list.csv")};
    command(cmdExport);
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.fileRequests[0].caption, "Export");
    Bytes b = folder.read("list.csv");
    std::string text(b.begin(), b.end());
    EXPECT_EQ(text, transactionsCsv(shown));
    EXPECT_NE(text.find("\r\n2006-02-14,Sold,"), std::string::npos);
    EXPECT_EQ(text.find("Service"), std::string::npos);
}

// Typed into the real save dialog as a user would, then its OK button.
void typeFileName(HWND dialog, const std::string& name) {
    HWND box = GetDlgItem(dialog, cmb13);
    if (!box) box = GetDlgItem(dialog, edt1);
    ASSERT_NE(box, nullptr);
    SetWindowTextA(box, name.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// The open ledger typed in another letter case into the real dialog, its
// own "replace it?" answered Yes: refused, and the dialog asks again. So do
// the settings file, the backup, another ledger and a help page, by their
// other names. Nothing of them changes; the name finally chosen is written.
TEST_F(MainWindow, ExportNeverReplacesTheBooksOrTheProgramsFilesAndAsksAgain) {
    const std::string books = installLedger(sampleImage());
    start();
    const Bytes ledger = folder.read("books.qvl"), settings = folder.read("quirvel.ini");
    const Bytes older = encodeLedger(LedgerImage{}), page = {'<', 'p', '>'};
    folder.write("books.qvl.bak", older);
    folder.write("2024.qvl", older);
    CreateDirectoryA(folder.file("help").c_str(), nullptr);
    folder.write("help\\welcome.html", page);
    char shortName[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA(folder.file("2024.qvl").c_str(), shortName, MAX_PATH), 0u);

    prompts.realPrompts = 1;
    std::string replaceQuestion;
    whenDialogOpens("Export", [&](HWND dialog) { typeFileName(dialog, "BOOKS.QVL"); });
    whenDialogOpens("Export", [&](HWND box) {
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) replaceQuestion += windowText(c);
        click(box, IDYES);
    });
    const std::vector<std::string> others = {folder.file("QUIRVEL.INI"), folder.file("books.qvl.bak."), shortName,
                                             folder.path() + "HELP\\Welcome.html"};
    prompts.chosenFiles.assign(others.begin(), others.end());
    prompts.chosenFiles.push_back(folder.file("list.csv"));
    command(cmdExport);
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_NE(replaceQuestion.find("already exists"), std::string::npos) << replaceQuestion;

    const std::string again = "\r\nAn export never replaces it: choose another name; nothing has been written.";
    const std::string own = " is one of Quirvel's own files.\r\nChoose another name; nothing has been written.";
    ASSERT_EQ(prompts.messages.size(), 5u);
    const std::string typed = "BOOKS.QVL is the open ledger." + again, first = prompts.messages[0].text;
    ASSERT_GT(first.size(), typed.size());
    EXPECT_EQ(first.substr(first.size() - typed.size()), typed);
    EXPECT_TRUE(sameFile(first.substr(0, first.size() - typed.size() + 9), books)) << first;  // the full name
    EXPECT_EQ(prompts.messages[1].text, others[0] + own);
    EXPECT_EQ(prompts.messages[2].text, others[1] + " is the backup of the open ledger." + again);
    EXPECT_EQ(prompts.messages[3].text, others[2] + " holds a Quirvel ledger." + again);
    EXPECT_EQ(prompts.messages[4].text, others[3] + own);
    for (const AskedMessage& m : prompts.messages) {
        EXPECT_EQ(m.title, "File Error");
        EXPECT_EQ(m.style, mb::ok | mb::iconStop);
    }
    ASSERT_EQ(prompts.fileRequests.size(), 6u);
    for (const FileDialogRequest& r : prompts.fileRequests) EXPECT_EQ(r.caption, "Export");

    EXPECT_EQ(folder.read("books.qvl"), ledger);
    EXPECT_EQ(folder.read("quirvel.ini"), settings);
    EXPECT_EQ(folder.read("books.qvl.bak"), older);
    EXPECT_EQ(folder.read("2024.qvl"), older);
    EXPECT_EQ(folder.read("help\\welcome.html"), page);
    Bytes csv = folder.read("list.csv");
    EXPECT_EQ(std::string(csv.begin(), csv.end()).find("\xEF\xBB\xBF" "Date,Type,"), 0u);
    EXPECT_EQ(ledgerPath, books);
    EXPECT_EQ(ledgerChanged, 0);
    DeleteFileA(folder.file("help\\welcome.html").c_str());
    RemoveDirectoryA(folder.file("help").c_str());
}

// A save that had to ask for a name names the new file in the status bar,
// whichever command led to it: Save after New, and Save after a damaged
// ledger was read at start-up without its name.
TEST_F(MainWindow, StatusBarNamesTheFileAfterASaveThatAskedForAName) {
    installLedger(sampleImage());
    start();
    ASSERT_EQ(statusText(0), "books.qvl");
    command(cmdNew);
    EXPECT_EQ(statusText(0), "");
    prompts.chosenFiles = {folder.file("fresh.qvl")};
    prompts.answers = {mb::idYes};  // save now
    command(cmdSave);
    EXPECT_EQ(ledgerPath, folder.file("fresh.qvl"));
    EXPECT_EQ(statusText(0), "fresh.qvl");
    DestroyWindow(main);

    Bytes whole = encodeLedger(sampleImage());
    folder.write("books.qvl", Bytes(whole.begin(), whole.end() - 3));  // the last name is cut short
    resetAllState();
    prompts.messages.clear();
    start();
    ASSERT_EQ(prompts.messages.size(), 1u);  // "... is damaged ..."
    EXPECT_EQ(ledgerPath, "");
    EXPECT_EQ(statusText(0), "");
    prompts.chosenFiles = {folder.file("rescued.qvl")};
    prompts.answers = {mb::idYes};
    command(cmdSave);
    EXPECT_EQ(ledgerPath, folder.file("rescued.qvl"));
    EXPECT_EQ(statusText(0), "rescued.qvl");
    EXPECT_EQ(folder.read("books.qvl").size(), whole.size() - 3);  // the damaged original is kept
}

// Another program wrote other bytes of the same size and set the time stamp
// back: Save still asks before replacing them.
TEST_F(MainWindow, SaveAsksWhenOnlyTheContentOfTheLedgerChanged) {
    const std::string books = installLedger(sampleImage());
    start();
    HANDLE h = CreateFileA(books.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME written;
    GetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
    LedgerImage altered = sampleImage();
    altered.transactions[2].amount = 99999;
    const Bytes theirs = encodeLedger(altered);
    ASSERT_EQ(theirs.size(), folder.read("books.qvl").size());
    folder.write("books.qvl", theirs);
    h = CreateFileA(books.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);

    markLedgerChanged();
    prompts.answers = {mb::idYes, mb::idNo};  // save now, but do not replace
    command(cmdSave);
    EXPECT_EQ(prompts.messageTexts(),
              (std::vector<std::string>{"Save this file now?", "books.qvl was changed by another program since it "
                                                               "was opened. Replace it with this version?"}));
    EXPECT_EQ(folder.read("books.qvl"), theirs);
    EXPECT_EQ(ledgerChanged, 1);
}

}  // namespace
