#include "reports/printing.h"

#include "reports/print_layout.h"
#include "ui/prompts.h"

PrintSpooler printSpooler = {StartDocA, StartPage, EndPage, EndDoc, AbortDoc};

void resetPrintSpooler() { printSpooler = {StartDocA, StartPage, EndPage, EndDoc, AbortDoc}; }

cFont::cFont(HDC dc, int points, bool bold, bool underline) {
    LOGFONTA lf = {};
    lf.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    font_ = CreateFontIndirectA(&lf);
}

namespace {

void reportRefusal() { showMessage("The printer did not accept the job.", "Print", mb::ok | mb::iconExclamation); }

}  // namespace

cPrintJob::cPrintJob(HDC dc, const char* documentName) : dc_(dc) {
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = documentName;
    if (printSpooler.startDoc(dc_, &doc) <= 0) {
        state_ = State::failed;  // nothing started, nothing to abort
        reportRefusal();
    }
}

cPrintJob::~cPrintJob() {
    if (state_ == State::open) printSpooler.abortDoc(dc_);
}

bool cPrintJob::check(int result) {
    if (result > 0) return true;
    state_ = State::failed;
    printSpooler.abortDoc(dc_);
    reportRefusal();
    return false;
}

bool cPrintJob::startPage() { return ok() && check(printSpooler.startPage(dc_)); }

bool cPrintJob::endPage() { return ok() && check(printSpooler.endPage(dc_)); }

bool cPrintJob::finish() {
    if (!ok() || !check(printSpooler.endDoc(dc_))) return false;
    state_ = State::done;
    return true;
}

namespace {

int textWidth(HDC dc, const std::string& text) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

void printList(const std::vector<int>& shown) {
    cPrinterDC printer(prompts().printDialog(printDialogFlags));
    HDC dc = printer.get();
    if (!dc) return;
    cFont font(dc, 9, false, false);

    std::vector<PrintPage> pages;
    {
        cSelection measuring(dc, font.get());
        TEXTMETRICA tm = {};
        GetTextMetricsA(dc, &tm);
        ListPrintMetrics m;
        m.pixelsPerInchX = GetDeviceCaps(dc, LOGPIXELSX);
        m.pixelsPerInchY = GetDeviceCaps(dc, LOGPIXELSY);
        m.leftMargin = GetDeviceCaps(dc, PHYSICALOFFSETX);
        m.topMargin = GetDeviceCaps(dc, PHYSICALOFFSETY);
        m.printableHeight = GetDeviceCaps(dc, VERTRES);
        m.lineHeight = tm.tmHeight + tm.tmExternalLeading;
        pages = listPrintPages(m, shown, [dc](const std::string& s) { return textWidth(dc, s); });
    }
    if (pages.empty()) return;  // an empty list leaves no empty job behind

    cPrintJob job(dc, "Quirvel");
    for (const PrintPage& page : pages) {
        if (!job.startPage()) return;
        {
            // Selected again on every page: some drivers reset the DC at StartPage.
            cSelection selected(dc, font.get());
            // Transparent, so that a long description overprints the name
            // beside it instead of blanking it out.
            int oldMode = SetBkMode(dc, TRANSPARENT);
            for (const PrintTextItem& item : page)
                TextOutA(dc, item.x, item.y, item.text.c_str(), static_cast<int>(item.text.size()));
            SetBkMode(dc, oldMode);
        }
        if (!job.endPage()) return;
    }
    job.finish();
}
