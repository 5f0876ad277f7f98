// Filling the current tab's list from the transactions, and the status bar.
#pragma once
#include <windows.h>

#include <string>

// Status bar part 0 names the ledger file (without the data folder), part 1
// reads "selected row : rows", part 2 says the filter the rows pass ("" when
// none narrows them). The parts then share the bar as their texts need.
void updateStatus(int part);
// A command's note after the row count in part 1 ("    " between them).
void addStatusNote(const std::string& note);
// The parts' edges for the bar's width and texts now (after a resize).
void fitStatusParts();

// The current tab's rows afresh from the transactions that pass the filter,
// the row of focusTransaction selected (else the last row).
void fillList();
void showList();
std::string transactionRowText(int t);
// Rebuilds the texts of the rows the current list shows, in the order and
// with the selection and scroll position they have now (after the names or
// descriptions they show were changed).
void refreshListTexts();
