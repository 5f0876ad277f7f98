// Matching the texts of descriptions and names as the user sees them: letter
// case ignored, and the items a description or name box offers.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "ledger/tables.h"

// Equal texts when letter case is ignored (ANSI code page 1252 letters).
bool sameTextIgnoringCase(const std::string& a, const std::string& b);

// One item of a description or name box: the text shown and the entry it
// stands for.
using BoxItem = std::pair<std::string, int>;

// The items of a description (descrList) or name (nameList) box for a group:
// 0 = every entry, 4 and 5 count as 3. Texts without the group byte, trimmed
// of blanks; each text (letter case ignored) once, standing for the first
// entry that carries it. In list order: the box sorts them itself.
std::vector<BoxItem> descrNameBoxItems(ListKind kind, int group);

// Position in items of the item whose text equals text (case ignored), or -1.
int findBoxItem(const std::vector<BoxItem>& items, const std::string& text);
// Position of the first item whose text begins with typed (case ignored), or
// -1; an empty typed text matches nothing.
int findBoxItemStarting(const std::vector<BoxItem>& items, const std::string& typed);

// The entry a box text stands for: 0 for an empty text and for a text that
// matches no item (that part of the filter is then cleared).
int boxEntryIndex(const std::vector<BoxItem>& items, const std::string& text);
