#include "app/main_pages.h"

#include <commctrl.h>

#include <algorithm>

#include "app/main_ids.h"
#include "app/list_state.h"
#include "app/main_state.h"
#include "app/transaction_list.h"
#include "ui/dialog_template.h"

namespace {

constexpr UINT_PTR pagesTimer = 0x5150;

const char* const tabTitles[6] = {"", "All Transactions", " Services       ", " Earnings       ",
                                  " Products       ", " Expenses       "};

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
    SetWindowPos(pages[tab], nullptr, 0, 0, mainState.builtInPageSize.cx + d.cx, mainState.builtInPageSize.cy + d.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    int before = lists[tab]->width(3);
    lists[tab]->resize(mainWidthUnits - 4 + d.cx * 4 / units.left, mainHeightUnits - 70 + d.cy * 8 / units.top);
    if (tab == currentTab && lists[tab]->width(3) != before) mainState.listNeedsRefit = true;
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
    mainState.builtInPageSize = {pageRect.right - pageRect.left, pageRect.bottom - pageRect.top};
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

}  // namespace

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
    mainState.builtInWindowSize = {w, h};
    SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                 w, h, SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (statusBar) {
        SendMessageA(statusBar, WM_SIZE, 0, 0);
        fitStatusParts();
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

// Cells were cut to the old column widths: fit the current list's rows to
// the new ones (the other lists are filled afresh when their tab is chosen).
void refitCurrentList() {
    if (!mainState.listNeedsRefit || !currentList) return;
    mainState.listNeedsRefit = false;
    currentList->refit([](int row) {
        return row < static_cast<int>(rowMap.size()) ? transactionRowText(rowMap[static_cast<size_t>(row)]) : std::string();
    });
}

void createPages(HWND hwnd) {
    tabControl = GetDlgItem(hwnd, idTabs);
    SetWindowSubclass(tabControl, tabPaintProc, 0, 0);
    for (int tab = 1; tab <= 5; ++tab) lists[tab] = new cColumnList;
    // A little more room above and below the titles than the control's
    // default, so that descenders are not cut off under the 3-pixel shift.
    SendMessageA(tabControl, TCM_SETPADDING, 0, MAKELPARAM(6, 5));
    for (int tab = 1; tab <= 5; ++tab) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tabTitles[tab]);
        SendMessageA(tabControl, TCM_INSERTITEMA, static_cast<WPARAM>(tab - 1), reinterpret_cast<LPARAM>(&item));
    }
    mainState.builtInPageArea = pageArea(hwnd);
    createPage(hwnd, 1, mainState.builtInPageArea);
    ShowWindow(pages[1], SW_SHOW);
    takeTab(1);
}

void createRemainingPages() {
    if (!mainWindow || !tabControl || !pages[1] || pages[5]) return;
    KillTimer(mainWindow, pagesTimer);
    for (int tab = 2; tab <= 5; ++tab) {
        if (pages[tab]) continue;
        createPage(mainWindow, tab, mainState.builtInPageArea);
        fitPage(mainWindow, tab);  // the window may have been resized meanwhile
    }
}

void pagesTimerTicked(HWND hwnd) {
    // The first tick comes once everything shown is painted: a timer's
    // message comes after paints. The pages follow at the next tick, a
    // moment later, for in between the thread waits for messages, and
    // that is when Wine puts the painted window on the screen: built at
    // once, the pages would hold it back until they were done.
    if (!mainState.paintedBeforePages) {
        mainState.paintedBeforePages = true;
        SetTimer(hwnd, pagesTimer, 20, nullptr);
        return;
    }
    createRemainingPages();
}

bool isPagesTimer(WPARAM id) { return id == pagesTimer; }

void startPagesTimer(HWND hwnd) { SetTimer(hwnd, pagesTimer, 0, nullptr); }

void tabNotified(UINT code) {
    createRemainingPages();  // a click may come before the timer
    int tab = static_cast<int>(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0)) + 1;
    if (tab >= 1 && tab <= 5) {
        if (code == TCN_SELCHANGING) ShowWindow(pages[tab], SW_HIDE);
        if (code == TCN_SELCHANGE) ShowWindow(pages[tab], SW_SHOW);
    }
    tab = static_cast<int>(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0)) + 1;
    if (tab < 1 || tab > 5) return;
    takeTab(tab);
    // A tab shows the rows of its last fill until another tab is chosen.
    if (lastFilledTab != tab) fillList();
    lastFilledTab = tab;
}

void showTab(int tab) {
    if (tab < 1 || tab > 5 || !tabControl) return;
    createRemainingPages();
    if (SendMessageA(tabControl, TCM_GETCURSEL, 0, 0) != tab - 1) {
        SendMessageA(tabControl, TCM_SETCURSEL, static_cast<WPARAM>(tab - 1), 0);
        for (int t = 1; t <= 5; ++t)
            if (pages[t]) ShowWindow(pages[t], t == tab ? SW_SHOW : SW_HIDE);
    }
    takeTab(tab);
}

void takeTab(int tab) {
    if (tab < 1 || tab > 5) return;
    currentTab = tab;
    if (currentList && currentList != lists[tab]) currentList->publishOrderTo(nullptr);
    currentList = lists[tab];
    if (currentList) currentList->publishOrderTo(&displayOrder);
    currentListId = 2500 + tab;
    currentPage = pages[tab];
    currentType = tabType(tab);
    selectedRow = 0;
}

void drawTab(const DRAWITEMSTRUCT& item) {
    HBRUSH brush = CreateSolidBrush(RGB(220, 230, 240));
    RECT r = item.rcItem;
    r.top += 3;
    HDC dc = item.hDC;
    if (item.itemState == ODS_SELECTED) {
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, RGB(220, 230, 240));
        FillRect(dc, &r, brush);
    } else {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    }
    char title[50] = "";
    TCITEMA tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = title;
    tab.cchTextMax = 50;
    SendMessageA(item.hwndItem, TCM_GETITEMA, item.itemID, reinterpret_cast<LPARAM>(&tab));
    DrawTextA(dc, title, -1, &r, DT_CENTER | DT_SINGLELINE);
    DeleteObject(brush);
}

void stepTab(int step) {
    if (!mainWindow || !tabControl) return;
    int count = static_cast<int>(SendMessageA(tabControl, TCM_GETITEMCOUNT, 0, 0));
    if (count <= 0) return;
    int next = (static_cast<int>(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0)) + step % count + count) % count;
    clickTabOf(tabControl, next);
}
