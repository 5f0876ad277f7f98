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

// 1-based: displayOrder[p] = the fill row shown at display position p, as
// the current list is sorted now. The list puts its order here each time it
// shows its rows; empty (the identity) while no list exists (host tests).
extern std::vector<int> displayOrder;

// The main window's tab control.
constexpr int idMainTabs = 1100;

// The transaction number shown at a display position (0 when none).
int transactionAtPosition(int position);

void resetListState();
