// Filling the current tab's list from the transactions, and the status bar.
#pragma once
#include <windows.h>

#include <string>

// Status bar part 0 names the ledger file (without the data folder), part 1
// reads "selected row : rows".
void updateStatus(int part);

// The current tab's rows afresh from the transactions that pass the filter,
// the row of focusTransaction selected (else the last row).
void fillList();
void showList();
std::string transactionRowText(int t);
// Rebuilds the texts of the rows the current list shows, in the order and
// with the selection and scroll position they have now (after the names or
// descriptions they show were changed).
void refreshListTexts();
