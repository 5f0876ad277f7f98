// Filling the description (2003) and name (2004) combo boxes that the entry
// dialog and the filter dialog share.
#pragma once
#include <windows.h>

#include <vector>

#include "lists/entry_matching.h"

enum : int { idDescrBox = 2003, idNameBox = 2004 };

// Empties both boxes of the dialog and fills them with the entries of the
// group of transaction type `type` (every group for 0): each text once, each item
// carrying its entry number as item data. A box the dialog lacks is skipped.
void fillDescrNameBoxes(HWND dialog, int type);

// What a box holds now, in its own (sorted) order, so that a typed text is
// looked up among exactly the items the user was offered.
std::vector<BoxItem> boxItems(HWND box);
