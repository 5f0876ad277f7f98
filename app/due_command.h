// When the entries of the schedules that have come due are offered: once
// books are opened (at start-up and by File > Open), when the window shows
// them, and by Edit > Due Entries.
#pragma once
#include <windows.h>

#include <vector>

#include "app/list_refresh.h"
#include "ledger/tables.h"

// Books were just opened: their due entries are offered once the window has
// shown them (a timer of the main window). archivesBefore: the archive files
// the books open before had written, remembered until Quirvel quits, so that
// opening one of them offers nothing.
void offerDueEntriesSoon(const std::vector<ArchiveNote>& archivesBefore);
// Whether books opened have not yet had their due entries looked at: the
// timer has not come yet, or a command has kept it waiting.
bool dueEntriesOfferPending();
// True for the timer offerDueEntriesSoon started.
bool isDueEntriesTimer(WPARAM id);
// Stops that timer and says whether anything is due that these books may
// post: only then does the timer run its command, which refreshes the
// window; with nothing due, the usual case, start-up paints nothing more.
bool dueEntriesWaiting();
// The timer's command: the dialog when something is due and the books may
// post, nothing otherwise.
ListRefresh dueEntriesAtOpen();
// Edit > Due Entries...: the dialog, or a message saying why there is none.
ListRefresh dueEntriesOnDemand();
// Forgets the remembered archive files.
void resetDueEntriesState();
