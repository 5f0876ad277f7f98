// Filling the current tab's list from the transactions, and the tab control.
#pragma once
#include <windows.h>

#include <string>

#include "app/column_list.h"

// The tab control, and each tab's page and list (set by the main window).
extern HWND tabControl;
extern HWND pages[6];          // 1..5
extern cColumnList* lists[6];  // 1..5
extern HWND currentPage;
// Pages 2 to 5 are built right after the window's first paint, or at once
// when a tab click or a command comes first (defined with the main window).
void createRemainingPages();

// The status bar (set by the main window): part 0 names the ledger file
// (without the data folder), part 1 reads "selected row : rows".
extern HWND statusBar;
void updateStatus(int part);

void fillList();
void showList();
std::string transactionRowText(int t);
// Rebuilds the texts of the rows the current list shows, in the order and
// with the selection and scroll position they have now (after the names or
// descriptions they show were changed).
void refreshListTexts();

// Every notification of the tab control (id 1100).
void tabChanged();
// Owner drawing of one tab.
void drawTab(const DRAWITEMSTRUCT& item);
// Selects the next (step 1) or previous (-1) tab, wrapping, as a click would.
void stepTab(int step);
