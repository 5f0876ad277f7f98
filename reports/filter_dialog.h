// The "Filter Transactions" dialog: sets the period, description and name
// that the main list is narrowed to.
#pragma once

#include <windows.h>

#include "reports/filter.h"

// What the dialog leaves for the Filter command to put in force.
struct FilterDialogResult {
    // The values in force when the dialog ended: those it opened with, as
    // "&Reset" and "&OK" changed them. A press of "&OK" stopped by an illegal
    // date keeps what the boxes before it set.
    FilterValues values;
    bool accepted = false;  // ended by "&OK"
    bool showAll = false;   // "&OK" was pressed: the list shows "All Transactions"
    bool allTypes = false;  // "&Reset" was pressed: the list's type is 0 from now on
};
// Modal over owner, opened with the values in force and the type of the
// list it was opened over (whose entries the boxes offer). Changes nothing
// itself: the command puts the result in force.
FilterDialogResult showFilterDialog(HWND owner, const FilterValues& inForce, int type);
