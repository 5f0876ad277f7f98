// Where every text of a printed transaction list goes: pages, lines and
// columns worked out from the printer's metrics, so that the printing code
// only selects the font and draws.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct ListPrintMetrics {
    int pixelsPerInchX = 0;
    int pixelsPerInchY = 0;
    int leftMargin = 0;       // unprintable, device pixels
    int topMargin = 0;        // unprintable, device pixels
    int printableHeight = 0;  // device pixels
    int lineHeight = 0;       // character height + external leading
};

struct PrintTextItem {
    int x = 0;  // device pixels from the printable area's left edge
    int y = 0;  // device pixels from the printable area's top edge
    std::string text;
};

using PrintPage = std::vector<PrintTextItem>;

// Lines that fit the printable height (0 when the line height is not
// positive).
int listLinesPerPage(const ListPrintMetrics& m);

// Rows under the headings of one page: lines per page minus 5, never less
// than one, so that odd printer metrics cannot stall the job.
int listRowsPerPage(const ListPrintMetrics& m);

// The pages for the transactions `shown` (their numbers, in the order the
// list shows them). Every page starts with the heading line and an
// empty line. Empty cells give no item. No rows, no pages.
std::vector<PrintPage> listPrintPages(const ListPrintMetrics& m, const std::vector<int>& shown,
                                      const std::function<int(const std::string&)>& textWidth);
