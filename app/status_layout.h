// Where the main window's status bar divides its three parts: the ledger
// file, the selected row and the row count (with a command's note after
// them), and the filter in force. Portable arithmetic in pixels.
#pragma once

struct StatusEdges {
    int fileEnd;   // right edge of part 0
    int countEnd;  // right edge of part 1; part 2 runs on to the bar's end
};

// The edges for a bar `width` wide, given what each part's text needs (its
// width and the part's margins; 0 for the filter's part when no filter is
// in force). Part 1 keeps room for its whole text up to a quarter of the
// bar, and the file's part for its text up to a fifth; the filter's part
// takes what it needs of the rest. Then the file's part takes its whole need as
// long as part 1's whole text still fits, and part 1 has what is left.
StatusEdges statusPartEdges(int width, int fileNeeds, int countNeeds, int filterNeeds);
