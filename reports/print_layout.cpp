#include "reports/print_layout.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "ledger/tax_arithmetic.h"
#include "ledger/tables.h"
#include "text/amount_text.h"
#include "text/date_text.h"

namespace {

// Column positions in hundredths of an inch from the paper's left edge, kept
// whole so that 5.6 inches is exactly 5.6 inches at any resolution.
constexpr int dateAt = 75, typeAt = 150, descrAt = 210, nameAt = 340;
constexpr int amountEnd = 560, shipEnd = 630, taxEnd = 700, totalEnd = 780;
constexpr int headingsAt = 50;  // from the paper's top edge

int pixels(int hundredths, int perInch) {
    int64_t v = int64_t{hundredths} * perInch;
    return static_cast<int>(v >= 0 ? (v + 50) / 100 : (v - 50) / 100);
}

// Zero prints as an empty cell whatever the report has left switched on.
std::string amountCell(int64_t cents) { return cents == 0 ? std::string() : formatAmount(cents); }

}  // namespace

int listLinesPerPage(const ListPrintMetrics& m) {
    if (m.lineHeight <= 0 || m.printableHeight <= 0) return 0;
    return m.printableHeight / m.lineHeight;
}

int listRowsPerPage(const ListPrintMetrics& m) { return std::max(1, listLinesPerPage(m) - 5); }

std::vector<PrintPage> listPrintPages(const ListPrintMetrics& m, const std::vector<int>& shown,
                                      const std::function<int(const std::string&)>& textWidth) {
    const int rowsPerPage = listRowsPerPage(m);
    const int left = m.leftMargin;
    auto leftAt = [&](int hundredths) { return pixels(hundredths, m.pixelsPerInchX) - left; };
    auto endingAt = [&](int hundredths, const std::string& text) {
        return pixels(hundredths, m.pixelsPerInchX) - left - textWidth(text);
    };

    std::vector<PrintPage> pages;
    PrintPage* page = nullptr;
    int rowsOnPage = 0;
    int y = 0;
    for (int n : shown) {
        if (n < 1 || n > transactionCount) continue;
        const Transaction& t = transactions[n];

        if (!page || rowsOnPage >= rowsPerPage) {
            pages.emplace_back();
            page = &pages.back();
            rowsOnPage = 0;
            y = pixels(headingsAt, m.pixelsPerInchY) - m.topMargin;
            page->push_back({leftAt(dateAt), y, "Date"});
            page->push_back({leftAt(typeAt), y, "Type"});
            page->push_back({leftAt(descrAt), y, "Descr"});
            page->push_back({leftAt(nameAt), y, "Name"});
            // The blanks keep the headings a little left of the figures' ends.
            const std::pair<int, const char*> rightHeadings[] = {
                {amountEnd, "Amount   "}, {shipEnd, "Ship/Hndl"}, {taxEnd, "Tax  "}, {totalEnd, "Total  "}};
            for (const auto& [end, text] : rightHeadings) page->push_back({endingAt(end, text), y, text});
            y += 2 * m.lineHeight;  // the heading line and one empty line
        }

        std::string cells[4] = {formatDate(t.date), t.type < typeNames.size() ? typeNames[t.type] : std::string(),
                                blankControls(descriptionText(t.descrIndex)), blankControls(nameText(t.nameIndex))};
        const int lefts[4] = {dateAt, typeAt, descrAt, nameAt};
        for (int c = 0; c < 4; ++c)
            if (!cells[c].empty()) page->push_back({leftAt(lefts[c]), y, cells[c]});
        std::string figures[4] = {amountCell(t.amount), amountCell(int64_t{t.handling} + t.shipping),
                                  amountCell(t.salesTax),
                                  amountCell(transactionTotal(t))};  // the list's total
        const int ends[4] = {amountEnd, shipEnd, taxEnd, totalEnd};
        for (int c = 0; c < 4; ++c)
            if (!figures[c].empty()) page->push_back({endingAt(ends[c], figures[c]), y, figures[c]});

        y += m.lineHeight;
        ++rowsOnPage;
    }
    return pages;
}
