// The "Filter Transactions" dialog: sets the period, description and name
// that the main list is narrowed to.
#pragma once

// Modal over the main window; on "&OK" applies the boxes, switches to the
// "All Transactions" tab and returns true: the command then refills the list.
bool showFilterDialog();
