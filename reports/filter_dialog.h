// The "Filter Transactions" dialog: sets the period, description and name
// that the main list is narrowed to.
#pragma once

// Modal over the main window; on "&OK" applies the boxes and refills the
// main list on its "All Transactions" tab.
void showFilterDialog();
