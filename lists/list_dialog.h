// The "List of Names" / "List of Descriptions" dialog: shows the entries of
// one group (or the unused ones) and adds, renames, combines and deletes
// them through the operations of lists/list_maintenance.h. The descriptions
// list also shows and sets the selected description's line of Schedule C.
#pragma once

#include <windows.h>

// kind 0 = names, 1 = descriptions. Modal; returns when the dialog closes.
// owner (the main window) is disabled meanwhile, so nothing there can
// renumber the entries the dialog's list still holds.
void showListMaintenance(HWND owner, int kind);
