// Edit > Find and Find Next: the rows the list shows, searched for a text
// in the order shown, from the row after the selected one.
#pragma once
#include "app/list_refresh.h"

// Asks for the text (the last one searched offered), then selects the next
// row that holds it; when none does, the status bar says so.
ListRefresh findCommand();
// The last search again from the next row; Find itself when there was none.
ListRefresh findNextCommand();
// Forgets the last text searched.
void resetFindState();
