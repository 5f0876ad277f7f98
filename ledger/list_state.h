// What the main window's transaction list shows: the current tab, the rows
// of the last fill and the selection. Plain values, so that the logic that
// reads them (filter, report, printing, deleting) builds and tests anywhere.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class cColumnList;

extern int currentTab;       // 1..5
extern int currentListId;    // 2500 + currentTab
extern int lastFilledTab;    // tab of the last tab-change fill; 0 before any
extern int currentType;      // 0 all, 1 Service, 2 Expense, 3..5 products, 6 Earnings
extern uint16_t rowCount;    // rows of the current list
extern std::vector<int> rowMap;  // 1-based: rowMap[r] = transaction shown by fill row r
extern int selectedRow;      // selected display position, 0 = none
extern int focusTransaction; // transaction to select at the next fill; 0 = none
extern cColumnList* currentList;  // the current tab's list; null while there is no window

extern const char tabTypeCodes[];  // "01632": currentType chosen by tabs 1..5

// Display position -> fill row number, as the current list is sorted now.
// Set by the window code; the identity while no list exists (host tests).
extern int (*displayRowAt)(int position);

// The main window installs this one too, so that the filter dialog reaches
// it from here; a no-op while there is no window.
// As a click on the first tab: it becomes current and shows every type.
extern void (*switchToAllTransactions)();

// The transaction number shown at a display position (0 when none).
int transactionAtPosition(int position);

void resetListState();
