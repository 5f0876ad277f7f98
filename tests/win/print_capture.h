// A stand-in printer for the Win32 tests: an enhanced-metafile DC (or a
// memory DC over a bitmap) that the print dialog returns, and a stand-in
// spooler that records the document calls, marks each page in the
// metafile and keeps the metafile when the document ends.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct DrawnText {
    int page = 0;  // 1-based
    int x = 0, y = 0;
    std::string text;
    LOGFONTW font = {};  // the font selected when it was drawn
};

class PrintCapture {
public:
    PrintCapture();
    ~PrintCapture();
    PrintCapture(const PrintCapture&) = delete;
    PrintCapture& operator=(const PrintCapture&) = delete;

    // A metafile DC with the screen as its reference device.
    HDC metafileDC();
    // A memory DC over a white bitmap of the given size; every page is
    // written to bitmapPrefix + page number + ".bmp" when the page ends.
    HDC bitmapDC(int width, int height, const std::string& bitmapPrefix);

    // "StartDoc <name>", "StartPage", "EndPage", "EndDoc", "AbortDoc".
    std::vector<std::string> calls;
    // Makes the n-th call of that name (1-based) fail.
    std::string failCall;
    int failOn = 0;

    // The texts drawn into the metafile, once the document has ended.
    std::vector<DrawnText> texts() const;
    int pages() const;

private:
    static int WINAPI startDoc(HDC, const DOCINFOA*);
    static int WINAPI startPage(HDC);
    static int WINAPI endPage(HDC);
    static int WINAPI endDoc(HDC);
    static int WINAPI abortDoc(HDC);
    int record(const std::string& call);

    HENHMETAFILE metafile_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    void* bits_ = nullptr;
    int width_ = 0, height_ = 0, pageNumber_ = 0;
    std::string bitmapPrefix_;
};

// Dark pixels inside rect (pixels) of a page bitmap written by bitmapDC;
// -1 when the file cannot be read.
int inkInside(const std::string& bitmapFile, RECT rect);

// Texts drawn on one page, in drawing order.
std::vector<DrawnText> onPage(const std::vector<DrawnText>& texts, int page);
