// What the main window's transaction list shows: the current tab, the rows
// of the last fill and the selection. Plain values, kept by the main window
// and its commands only: the dialogs and reports below them are handed the
// values they need (the type of the list, the transactions it shows) and
// never read these. Portable, so that the rules here are tested anywhere.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Declared once: resetListState puts back these defaults with `listState = {}`.
struct ListState {
    int currentTab = 1;          // 1..5
    int currentListId = 2501;    // 2500 + currentTab
    int lastFilledTab = 0;       // tab of the last tab-change fill; 0 before any
    int currentType = 0;         // 0 all, 1 Service, 2 Expense, 3..5 products, 6 Earnings
    uint16_t rowCount = 0;       // rows of the current list
    std::vector<int> rowMap = std::vector<int>(1, 0);  // 1-based: rowMap[r] = transaction shown by fill row r
    int selectedRow = 0;         // selected display position, 0 = none
    int focusTransaction = 0;    // transaction to select at the next fill; 0 = none
    // 1-based: displayOrder[p] = the fill row shown at display position p, as
    // the current list is sorted now. The list puts its order here each time
    // it shows its rows; empty (the identity) while no list exists (host tests).
    std::vector<int> displayOrder;
    unsigned fills = 0;          // how many times the list was filled (tests count them)
    // The status bar's text for the filter the rows were filled with, while
    // another one is in force: "&Reset" takes effect at once, yet the rows
    // stay until the next fill, which forgets this.
    std::optional<std::string> filledFilterText;
};
extern ListState listState;

// The names the rest of the program knows them by.
inline int& currentTab = listState.currentTab;
inline int& currentListId = listState.currentListId;
inline int& lastFilledTab = listState.lastFilledTab;
inline int& currentType = listState.currentType;
inline uint16_t& rowCount = listState.rowCount;
inline std::vector<int>& rowMap = listState.rowMap;
inline int& selectedRow = listState.selectedRow;
inline int& focusTransaction = listState.focusTransaction;
inline std::vector<int>& displayOrder = listState.displayOrder;

// The transaction type each tab shows (tabs 1..5: all, Service, Earnings,
// products, Expense).
int tabType(int tab);

// The transaction number shown at a display position (0 when none).
int transactionAtPosition(int position);
// The transaction numbers of every row, in display order: what the record
// view steps through, and what the tax report, printing and export cover.
std::vector<int> shownTransactions();

// The selected row's transaction was deleted (before the list is filled
// again): one row fewer, and the selection moves as the list's own rule says.
void rowRemoved();

// The focus transaction after the first k transactions were archived: it
// keeps its transaction when that is still there.
void transactionsArchived(int k);

void resetListState();
