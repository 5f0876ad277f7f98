#include "reports/glance_print.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "reports/glance_chart.h"
#include "reports/printing.h"
#include "text/date_text.h"
#include "ui/prompts.h"

namespace {

int widthOf(HDC dc, const std::string& s) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
}

// The table's columns at a font: the label's width and one width for every
// number column, the widest text of each kind and a gap.
struct Columns {
    int label = 0, number = 0;
    int total() const { return label + 15 * number; }
};

Columns measure(HDC dc, const std::vector<GlanceRow>& rows, const Glance& g) {
    Columns c;
    const int gap = widthOf(dc, "00");
    c.number = widthOf(dc, std::to_string(g.year)) + gap;
    for (const GlanceRow& r : rows) {
        c.label = std::max(c.label, widthOf(dc, r.label) + gap);
        if (r.line)
            for (int col = 1; col <= 15; ++col) c.number = std::max(c.number, widthOf(dc, glanceCellText(*r.line, col)) + gap);
    }
    return c;
}

void rightText(HDC dc, int right, int y, const std::string& s) {
    TextOutA(dc, right - widthOf(dc, s), y, s.c_str(), static_cast<int>(s.size()));
}

void printRow(HDC dc, const Columns& c, int y, const std::string& label, const GlanceLine* line,
              const std::vector<std::string>& heads) {
    TextOutA(dc, 0, y, label.c_str(), static_cast<int>(label.size()));
    for (int col = 1; col <= 15; ++col) {
        int right = c.label + col * c.number;
        if (line)
            rightText(dc, right, y, glanceCellText(*line, col));
        else if (!heads.empty())
            rightText(dc, right, y, heads[static_cast<size_t>(col - 1)]);
    }
}

}  // namespace

void printGlance(const Glance& g, const std::string& ledgerFile) {
    cPrinterDC printer(prompts().printDialog(printDialogFlags));
    HDC dc = printer.get();
    if (!dc) return;
    const int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
    const std::vector<GlanceRow> rows = glanceRows(g);
    // The largest font up to 9 points that fits the table across the page.
    int points = 9;
    std::unique_ptr<cFont> body;
    Columns columns;
    for (;; --points) {
        body = std::make_unique<cFont>(dc, points, false, false);
        cSelection measuring(dc, body->get());
        columns = measure(dc, rows, g);
        if (columns.total() <= width || points <= 5) break;
    }
    cFont title(dc, 12, true, false);
    int lineHeight = 0;
    {
        cSelection measuring(dc, body->get());
        TEXTMETRICA tm = {};
        GetTextMetricsA(dc, &tm);
        lineHeight = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
    }
    std::vector<std::string> heads;
    for (int m = 1; m <= 12; ++m) heads.push_back(glanceMonthName(m));
    heads.push_back(std::to_string(g.year));
    heads.push_back(std::to_string(g.comparedYear));
    heads.push_back("Change");
    const std::string heading = "Year at a Glance " + std::to_string(g.year) + ", compared with " +
                                std::to_string(g.comparedYear);
    const std::string source = (ledgerFile.empty() ? std::string("(books not saved)") : ledgerFile) + "    Printed " +
                               formatDate(todayPacked());

    cPrintJob job(dc, "Quirvel Year at a Glance");
    size_t next = 0;
    for (int page = 1; next < rows.size() || page == 1; ++page) {
        if (!job.startPage()) return;
        SetBkMode(dc, TRANSPARENT);
        int y = 0;
        {
            cSelection t(dc, title.get());
            std::string text = page == 1 ? heading : heading + " (page " + std::to_string(page) + ")";
            TextOutA(dc, 0, y, text.c_str(), static_cast<int>(text.size()));
        }
        y += lineHeight * 2;
        cSelection b(dc, body->get());
        TextOutA(dc, 0, y, source.c_str(), static_cast<int>(source.size()));
        y += lineHeight * 2;
        if (page == 1) {
            RECT chart = {0, y, std::min(width, columns.total()), y + height * 7 / 20};
            drawGlanceChart(dc, chart, g, body->get());
            y = chart.bottom + lineHeight;
        }
        printRow(dc, columns, y, "", nullptr, heads);
        y += lineHeight * 3 / 2;
        while (next < rows.size() && y + lineHeight <= height) {
            printRow(dc, columns, y, rows[next].label, rows[next].line, {});
            y += lineHeight;
            ++next;
        }
        if (!job.endPage()) return;
        if (page > 200) break;  // odd printer metrics never stall the job
    }
    job.finish();
}
