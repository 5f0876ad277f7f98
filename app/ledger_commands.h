// File > New and File > Export...: starting an empty ledger and writing the
// list as it is shown to a CSV file.
#pragma once

// Offers to save changes (the question Open asks), then empties the
// ledger: no path, no transactions, descriptions or names; the tax rates stay.
void newLedger();

// The rows of the current list, in the order shown, to a CSV file.
void exportList();
