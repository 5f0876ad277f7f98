// Printing: the transaction list as the main window shows it, and the small
// printer helpers that the tax report's printout shares.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

// The print dialog's choices for every printout: all pages, never a
// selection, never to a file.
constexpr unsigned long printDialogFlags = PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE;

// The File menu's Print: the transactions `shown` (the list's, in display
// order), one line each, with the column headings on every page.
void printList(const std::vector<int>& shown);

// The spooler's document calls. A stand-in printer DC (a metafile or a
// memory DC) takes no document, so tests point these elsewhere.
struct PrintSpooler {
    int(WINAPI* startDoc)(HDC, const DOCINFOA*);
    int(WINAPI* startPage)(HDC);
    int(WINAPI* endPage)(HDC);
    int(WINAPI* endDoc)(HDC);
    int(WINAPI* abortDoc)(HDC);
};
extern PrintSpooler printSpooler;
void resetPrintSpooler();

// Owns the DC that the print dialog returned.
class cPrinterDC {
public:
    explicit cPrinterDC(void* dc) : dc_(static_cast<HDC>(dc)) {}
    ~cPrinterDC() {
        if (dc_) DeleteDC(dc_);
    }
    cPrinterDC(const cPrinterDC&) = delete;
    cPrinterDC& operator=(const cPrinterDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

class cFont {
public:
    // "MS Sans Serif" at a point size for the DC's vertical resolution.
    cFont(HDC dc, int points, bool bold, bool underline);
    ~cFont() {
        if (font_) DeleteObject(font_);
    }
    cFont(const cFont&) = delete;
    cFont& operator=(const cFont&) = delete;
    HFONT get() const { return font_; }

private:
    HFONT font_;
};

// Selects an object into a DC and puts the previous one back.
class cSelection {
public:
    cSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~cSelection() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    cSelection(const cSelection&) = delete;
    cSelection& operator=(const cSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// One print job. A job that is not finished is aborted, and a refusal of
// the printer is told to the user once; nothing after it is printed.
class cPrintJob {
public:
    cPrintJob(HDC dc, const char* documentName);
    ~cPrintJob();
    cPrintJob(const cPrintJob&) = delete;
    cPrintJob& operator=(const cPrintJob&) = delete;

    bool ok() const { return state_ == State::open; }
    bool startPage();
    bool endPage();
    bool finish();

private:
    enum class State { open, failed, done };
    bool check(int result);

    HDC dc_;
    State state_ = State::open;
};
