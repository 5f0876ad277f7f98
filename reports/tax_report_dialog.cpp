#include "reports/tax_report_dialog.h"

#include "reports/csv_export.h"
#include "reports/printing.h"
#include "reports/tax_report.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

namespace {

bool initialising = false;

// Each line's y in dialog units: the two sections, 10 units per line.
int lineY(int k) {
    if (k == 0) return 7;
    if (k <= 9) return 20 + (k - 1) * 10;
    if (k == 10) return 127;
    return 140 + (k - 11) * 10;
}

void addText(HWND dialog, const std::string& text, DWORD align, int x, int y, int cx, int cy) {
    RECT r = {x, y, x + cx, y + cy};
    MapDialogRect(dialog, &r);
    HWND w = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | align, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(w, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
}

void initialise(HWND dialog) {
    for (int k = 0; k < taxReportLines; ++k) {
        addText(dialog, taxReportLabels[static_cast<size_t>(k)], SS_LEFT, 3, lineY(k), 100, 10);
        addText(dialog, taxReportValues[static_cast<size_t>(k)], SS_RIGHT, 130, lineY(k), 50, 10);
    }
}

INT_PTR CALLBACK reportProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        initialising = true;
        initialise(dialog);
        initialising = false;
        return TRUE;
    case WM_COMMAND:
        if (initialising || HIWORD(wp) != BN_CLICKED) return FALSE;
        if (LOWORD(wp) == idReportPrint) {
            printTaxReport();
            return TRUE;
        }
        if (LOWORD(wp) == idReportExport) {
            exportCsv(taxReportCsv(), "Export Tax Report");
            return TRUE;
        }
        // Esc arrives as IDCANCEL.
        if (LOWORD(wp) == idReportClose || LOWORD(wp) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void showTaxReport(HWND owner, const std::vector<int>& shown) {
    computeTaxReport(shown);
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_3DLOOK, 0, 0, 0, 200, 275,
                      "Tax Report");
    t.add(idReportPrint, "BUTTON", "&Print", BS_PUSHBUTTON | WS_TABSTOP, 0, 50, 220, 50, 25);
    t.add(idReportClose, "BUTTON", "&Close", BS_PUSHBUTTON | WS_TABSTOP, 0, 120, 220, 50, 25);
    t.add(idReportExport, "BUTTON", "&Export", BS_PUSHBUTTON | WS_TABSTOP, 0, 85, 250, 50, 20);
    t.runModal(owner, reportProc);
    endTaxReport();
}

void printTaxReport() {
    cPrinterDC printer(prompts().printDialog(printDialogFlags));
    HDC dc = printer.get();
    if (!dc) return;

    int perInchX = GetDeviceCaps(dc, LOGPIXELSX);
    int left = GetDeviceCaps(dc, PHYSICALOFFSETX);
    int paperHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    // A DC that is no printer has no paper and so no unprintable margin.
    int bottom = paperHeight > 0 ? paperHeight - GetDeviceCaps(dc, PHYSICALOFFSETY) - GetDeviceCaps(dc, VERTRES) : 0;
    if (bottom < 0) bottom = 0;

    cFont heading(dc, 12, true, true);
    cFont body(dc, 10, false, false);
    int bodyHeight = 0;
    {
        cSelection measuring(dc, body.get());
        TEXTMETRICA tm = {};
        GetTextMetricsA(dc, &tm);
        bodyHeight = tm.tmHeight;
    }
    std::vector<TaxReportPrintItem> plan = taxReportPrintPlan(perInchX, left, bottom, bodyHeight);

    cPrintJob job(dc, "Quirvel Tax Report");
    if (!job.startPage()) return;
    {
        int oldMode = SetBkMode(dc, TRANSPARENT);
        for (const TaxReportPrintItem& item : plan) {
            if (item.text.empty()) continue;
            cSelection selected(dc, item.font == ReportFont::heading ? heading.get() : body.get());
            TextOutA(dc, item.x, item.y, item.text.c_str(), static_cast<int>(item.text.size()));
        }
        SetBkMode(dc, oldMode);
    }
    if (!job.endPage()) return;
    job.finish();
}
