// Find and Find Next over the rows the main list shows: where the search
// stops, portable so that its rules are tested anywhere.
#pragma once
#include <string>
#include <vector>

// The display position (1-based) of the first row after position `from`
// whose text holds `text`, letter case ignored. The search goes on from the
// first row once it has passed the last, so that every row is looked at
// once, the row at `from` last. rows[0] is the row at position 1; `from` 0
// starts at the first row. 0 when no row holds the text, or it is empty.
int findRow(const std::vector<std::string>& rows, int from, const std::string& text);
