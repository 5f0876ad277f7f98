#include "app/transaction_list.h"

#include <commctrl.h>

#include "app/list_state.h"
#include "app/main_state.h"
#include "ledger/tax_arithmetic.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "ui/dialog_template.h"

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
