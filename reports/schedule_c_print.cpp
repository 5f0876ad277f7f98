#include "reports/schedule_c_print.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "reports/printing.h"
#include "text/date_text.h"
#include "ui/prompts.h"

namespace {

int widthOf(HDC dc, const std::string& s) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
}

// How many characters of s, from its start, fit in width (at least one).
size_t fitting(HDC dc, const std::string& s, int width) {
    INT fit = 0;
    SIZE size = {};
    if (!GetTextExtentExPointA(dc, s.c_str(), static_cast<int>(s.size()), std::max(width, 1), &fit, nullptr, &size))
        fit = static_cast<INT>(s.size());
    return std::max<size_t>(1, std::min(static_cast<size_t>(std::max(fit, 0)), s.size()));
}

// The text in lines no wider than width: broken after blanks where it can
// be, within a word too long for a line of its own. Leading blanks (an
// item's indent) stay on the first line and indent the lines after it.
std::vector<std::string> wrapped(HDC dc, const std::string& text, int width) {
    std::vector<std::string> lines;
    size_t indentLength = text.find_first_not_of(' ');
    if (indentLength == std::string::npos) return {text};
    const std::string indent = text.substr(0, indentLength);
    std::string rest = text.substr(indentLength);
    bool first = true;
    while (!rest.empty()) {
        const std::string lead = first ? indent : indent + "  ";
        std::string candidate = lead + rest;
        if (widthOf(dc, candidate) <= width) {
            lines.push_back(candidate);
            break;
        }
        size_t fit = fitting(dc, candidate, width);
        size_t take = fit > lead.size() ? fit - lead.size() : 1;
        // Back to the last blank within what fits, if there is one.
        size_t blank = rest.rfind(' ', take);
        if (blank != std::string::npos && blank > 0 && take < rest.size()) take = blank;
        lines.push_back(lead + rest.substr(0, take));
        size_t after = rest.find_first_not_of(' ', take);
        rest = after == std::string::npos ? std::string() : rest.substr(after);
        first = false;
        if (lines.size() > 200) break;  // a narrow page never loops for long
    }
    return lines;
}

void rightText(HDC dc, int right, int y, const std::string& s) {
    TextOutA(dc, right - widthOf(dc, s), y, s.c_str(), static_cast<int>(s.size()));
}

bool isBold(const WorksheetRow& r) { return r.kind == WorksheetRow::heading || r.kind == WorksheetRow::summary; }

}  // namespace

void printScheduleC(const ScheduleC& c, const std::string& ledgerFile) {
    cPrinterDC printer(prompts().printDialog(printDialogFlags));
    HDC dc = printer.get();
    if (!dc) return;
    const int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
    const std::vector<WorksheetRow> rows = worksheetRows(c);
    cFont body(dc, 9, false, false), bold(dc, 9, true, false), title(dc, 12, true, false);

    // The columns: the line's number, the description, the amount.
    int lineHeight = 1, codeWidth = 0, amountWidth = 0;
    {
        cSelection measuring(dc, bold.get());
        TEXTMETRICA tm = {};
        GetTextMetricsA(dc, &tm);
        lineHeight = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
        const int gap = widthOf(dc, "000");
        codeWidth = widthOf(dc, "Line") + gap;
        amountWidth = widthOf(dc, "Amount");
        for (const WorksheetRow& r : rows) {
            codeWidth = std::max(codeWidth, widthOf(dc, r.code) + gap);
            amountWidth = std::max(amountWidth, widthOf(dc, r.amount));
        }
        amountWidth += gap;
    }
    const int descriptionWidth = std::max(width - codeWidth - amountWidth, width / 3);
    const int right = std::min(width, codeWidth + descriptionWidth + amountWidth);

    const std::string heading = "Schedule C Worksheet " + std::to_string(c.year);
    const std::string source = (ledgerFile.empty() ? std::string("(books not saved)") : ledgerFile) + "    Printed " +
                               formatDate(todayPacked());

    cPrintJob job(dc, "Quirvel Schedule C Worksheet");
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
        {
            cSelection b(dc, body.get());
            TextOutA(dc, 0, y, source.c_str(), static_cast<int>(source.size()));
        }
        y += lineHeight * 2;
        {
            cSelection b(dc, bold.get());
            TextOutA(dc, 0, y, "Line", 4);
            TextOutA(dc, codeWidth, y, "Description", 11);
            rightText(dc, right, y, "Amount");
        }
        y += lineHeight * 3 / 2;
        const int top = y;
        while (next < rows.size()) {
            const WorksheetRow& r = rows[next];
            cSelection f(dc, isBold(r) ? bold.get() : body.get());
            std::vector<std::string> lines = wrapped(dc, r.label, descriptionWidth - widthOf(dc, "0"));
            int needed = static_cast<int>(lines.size()) * lineHeight + (r.kind == WorksheetRow::heading ? lineHeight / 2 : 0);
            // A row that fits no page at all is printed from a page's top.
            if (y + needed > height && y > top) break;
            if (r.kind == WorksheetRow::heading && y > top) y += lineHeight / 2;
            TextOutA(dc, 0, y, r.code.c_str(), static_cast<int>(r.code.size()));
            rightText(dc, right, y, r.amount);
            for (const std::string& l : lines) {
                TextOutA(dc, codeWidth, y, l.c_str(), static_cast<int>(l.size()));
                y += lineHeight;
            }
            ++next;
        }
        if (!job.endPage()) return;
        if (page > 500) break;  // odd printer metrics never stall the job
    }
    job.finish();
}
