// Filling the current tab's list from the transactions, and the tab control.
#pragma once
#include <windows.h>

#include <string>

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
