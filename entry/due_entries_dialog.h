// The "Due Entries" dialog: the entries of the schedules that have come due,
// for the user to see, date, post, skip or leave before any of them reaches
// the books.
#pragma once
#include <windows.h>

#include <vector>

#include "ledger/schedules.h"

// Control identifiers of the dialog (Post is IDOK, Later is IDCANCEL).
enum : int {
    idDueNote = 3101,  // what the list is and what the buttons do
    idDueList = 3102,  // list view with check boxes: Date (edited in place), Type, Description, Name, Amount, Note
    idDueSkip = 3103,  // marks the selected entries to be skipped
};

// Shows `due` (oldest first), modal over owner. Post hands the checked
// entries and the ones marked skipped to postDueEntries; a refusal is said
// there and the dialog stays open with nothing posted. Returns how many
// were posted (0 for Later, or when only skips were made), -1 when the
// dialog closed with nothing changed.
int showDueEntries(HWND owner, const std::vector<DueEntry>& due);
