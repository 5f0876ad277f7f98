#include "app/transaction_list.h"

#include <commctrl.h>

#include <algorithm>

#include "app/list_state.h"
#include "app/main_state.h"
#include "app/status_layout.h"
#include "app/status_texts.h"
#include "ledger/tax_arithmetic.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "ui/dialog_template.h"

namespace {

std::string statusPart(int part) {
    size_t length = LOWORD(SendMessageA(statusBar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(part), 0));
    std::string text(length + 1, '\0');
    SendMessageA(statusBar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::min(length, std::char_traits<char>::length(text.c_str())));
    return text;
}

void setStatusPart(int part, const std::string& text) {
    SendMessageA(statusBar, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

void fitStatusParts() {
    if (!statusBar) return;
    RECT bar;
    GetClientRect(statusBar, &bar);
    HDC dc = GetDC(statusBar);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(statusBar, WM_GETFONT, 0, 0));
    HGDIOBJ before = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    int borders[3] = {};  // around a part, above and below, between parts
    SendMessageA(statusBar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    // A part draws its text inside its frame, a few pixels in from the left.
    const int margins = 2 * (borders[0] + GetSystemMetrics(SM_CXEDGE)) + borders[2] + 8;
    auto needs = [&](int part) {
        std::string text = statusPart(part);
        if (text.empty()) return 0;
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx) + margins;
    };
    const int file = std::max(needs(0), margins), count = needs(1);
    int filter = needs(2);
    // A size grip lies over the last part's right end (none on a maximised window).
    const bool grip = (GetWindowLongA(statusBar, GWL_STYLE) & SBARS_SIZEGRIP) && !IsZoomed(GetParent(statusBar));
    if (filter > 0 && grip) filter += GetSystemMetrics(SM_CXVSCROLL);
    SelectObject(dc, before);
    ReleaseDC(statusBar, dc);

    StatusEdges e = statusPartEdges(static_cast<int>(bar.right), file, count, filter);
    int edges[3] = {e.fileEnd, e.countEnd, -1};
    int now[3] = {};
    if (SendMessageA(statusBar, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(now)) == 3 && now[0] == edges[0] &&
        now[1] == edges[1] && now[2] == edges[2])
        return;  // as they are: no redraw
    SendMessageA(statusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void updateStatus(int part) {
    if (!statusBar) return;
    if (part == 0) {
        std::string shown = ledgerPath;
        size_t slash = ledgerPath.find_last_of('\\');
        if (slash != std::string::npos && ledgerPath.substr(0, slash + 1) == dataFolder)
            shown = ledgerPath.substr(slash + 1);
        setStatusPart(0, shown);
    } else if (part == 1) {
        selectedRow = currentList ? currentList->selected() : 0;
        auto number = [](int v) { return (v >= 0 ? " " : "") + std::to_string(v); };
        setStatusPart(1, number(selectedRow) + " :" + number(rowCount));
    } else {
        setStatusPart(2, listState.filledFilterText ? *listState.filledFilterText : filterStatusText(filter));
    }
    fitStatusParts();
}

void addStatusNote(const std::string& note) {
    if (!statusBar || note.empty()) return;
    setStatusPart(1, statusPart(1) + "    " + note);
    fitStatusParts();
}

namespace {

// An entry's text with control characters blanked, appended where it goes.
void appendEntry(std::string& row, std::string_view text) {
    size_t from = row.size();
    row += text;
    blankControlsFrom(row, from);
}

}  // namespace

// Built in one buffer: a refill formats every row shown.
std::string transactionRowText(int t) {
    const Transaction& r = transactions[static_cast<size_t>(t)];
    std::string row;
    row.reserve(96);
    row += formatDate(r.date);
    row += '\t';
    if (r.type >= 1 && r.type <= 6) row += typeNames[r.type];
    row += '\t';
    appendEntry(row, descriptionView(r.descrIndex));
    row += '\t';
    appendEntry(row, nameView(r.nameIndex));
    row += '\t';
    row += formatAmount(transactionTotal(r));
    return row;
}

void fillList() {
    if (!tabControl || !currentList) return;
    currentTab = static_cast<int>(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0)) + 1;
    if (currentTab == 1) currentType = 0;
    ++listState.fills;
    listState.filledFilterText.reset();
    updateStatus(2);
    rowCount = 0;
    rowMap.assign(1, 0);
    for (int i = 1; i <= transactionCount; ++i) {
        if (!transactionPassesFilter(i, currentType)) continue;
        ++rowCount;
        rowMap.push_back(i);
    }
    showList();
}

void showList() {
    int sel = rowCount;
    currentList->setCount(0);
    for (int r = 1; r <= rowCount; ++r) {
        int t = rowMap[static_cast<size_t>(r)];
        if (focusTransaction == t) {
            sel = r;
            focusTransaction = 0;
        }
        std::string text = transactionRowText(t);
        currentList->addRow(text, 0);
    }
    currentList->showRows();
    currentList->select(sel, 1, 0);
    selectedRow = sel;
    SetForegroundWindow(mainWindow);
    SetFocus(GetDlgItem(currentPage, currentListId));
    updateStatus(1);
}

void refreshListTexts() {
    if (!currentList || rowCount == 0) return;
    HWND box = currentList->listBox();
    int sel = currentList->selected();
    int top = static_cast<int>(SendMessageA(box, LB_GETTOPINDEX, 0, 0)) + 1;
    // The rows go back in the order shown, so that order is the fill order
    // now: rowMap follows it and every position still names its transaction.
    std::vector<int> shown(1, 0);
    for (int p = 1; p <= rowCount; ++p) {
        int t = transactionAtPosition(p);
        if (t < 1 || t > transactionCount) return fillList();
        shown.push_back(t);
    }
    rowMap = shown;
    currentList->setCount(0);
    for (int r = 1; r <= rowCount; ++r) {
        std::string text = transactionRowText(rowMap[static_cast<size_t>(r)]);
        currentList->addRow(text, 0);
    }
    currentList->showRows();
    currentList->select(sel, 1, top);
    selectedRow = sel;
    updateStatus(1);
}
