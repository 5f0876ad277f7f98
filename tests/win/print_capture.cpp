#include "tests/win/print_capture.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "reports/printing.h"

namespace {

PrintCapture* active = nullptr;
const char pageMark[8] = {'Q', 'V', 'P', 'A', 'G', 'E', 0, 0};

std::string narrow(const wchar_t* w, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>(w[i] < 256 ? w[i] : '?');
    return s;
}

struct Reader {
    std::vector<DrawnText> texts;
    std::map<DWORD, LOGFONTW> fonts;
    LOGFONTW current = {};
    int page = 0;
};

int CALLBACK readRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) {
    Reader& r = *reinterpret_cast<Reader*>(param);
    const BYTE* base = reinterpret_cast<const BYTE*>(record);
    switch (record->iType) {
    case EMR_GDICOMMENT: {
        const auto* c = reinterpret_cast<const EMRGDICOMMENT*>(record);
        if (c->cbData == sizeof pageMark && std::memcmp(c->Data, pageMark, sizeof pageMark) == 0) ++r.page;
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        const auto* f = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record);
        r.fonts[f->ihFont] = f->elfw.elfLogFont;
        break;
    }
    case EMR_SELECTOBJECT: {
        const auto* s = reinterpret_cast<const EMRSELECTOBJECT*>(record);
        auto it = r.fonts.find(s->ihObject);
        if (it != r.fonts.end()) r.current = it->second;
        break;
    }
    case EMR_EXTTEXTOUTW:
    case EMR_EXTTEXTOUTA: {
        const auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        DrawnText d;
        d.page = r.page;
        d.x = t->emrtext.ptlReference.x;
        d.y = t->emrtext.ptlReference.y;
        int n = static_cast<int>(t->emrtext.nChars);
        if (record->iType == EMR_EXTTEXTOUTW)
            d.text = narrow(reinterpret_cast<const wchar_t*>(base + t->emrtext.offString), n);
        else
            d.text.assign(reinterpret_cast<const char*>(base + t->emrtext.offString), static_cast<size_t>(n));
        d.font = r.current;
        r.texts.push_back(d);
        break;
    }
    default:
        break;
    }
    return 1;
}

void writeBitmap(const std::string& path, const void* bits, int width, int height) {
    int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info, sizeof info, 1, f);
    std::fwrite(bits, static_cast<size_t>(stride), static_cast<size_t>(height), f);
    std::fclose(f);
}

}  // namespace

PrintCapture::PrintCapture() {
    active = this;
    printSpooler = {startDoc, startPage, endPage, endDoc, abortDoc};
}

PrintCapture::~PrintCapture() {
    resetPrintSpooler();
    active = nullptr;
    if (metafile_) DeleteEnhMetaFile(metafile_);
    if (bitmap_) DeleteObject(bitmap_);
}

HDC PrintCapture::metafileDC() {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateEnhMetaFileA(screen, nullptr, nullptr, nullptr);
    ReleaseDC(nullptr, screen);
    return dc;
}

HDC PrintCapture::bitmapDC(int width, int height, const std::string& bitmapPrefix) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    width_ = width;
    height_ = height;
    bitmapPrefix_ = bitmapPrefix;
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap_);
    return dc;
}

int PrintCapture::record(const std::string& call) {
    calls.push_back(call);
    std::string name = call.substr(0, call.find(' '));
    int seen = 0;
    for (const std::string& c : calls) seen += c.substr(0, c.find(' ')) == name;
    return name == failCall && seen == failOn ? SP_ERROR : 1;
}

int WINAPI PrintCapture::startDoc(HDC, const DOCINFOA* doc) {
    return active->record(std::string("StartDoc ") + (doc && doc->lpszDocName ? doc->lpszDocName : ""));
}

int WINAPI PrintCapture::startPage(HDC dc) {
    int result = active->record("StartPage");
    if (result > 0) {
        ++active->pageNumber_;
        if (GetObjectType(dc) == OBJ_ENHMETADC) GdiComment(dc, sizeof pageMark, reinterpret_cast<const BYTE*>(pageMark));
        if (active->bitmap_) PatBlt(dc, 0, 0, active->width_, active->height_, WHITENESS);
    }
    return result;
}

int WINAPI PrintCapture::endPage(HDC) {
    int result = active->record("EndPage");
    if (result > 0 && active->bitmap_ && !active->bitmapPrefix_.empty()) {
        GdiFlush();
        writeBitmap(active->bitmapPrefix_ + std::to_string(active->pageNumber_) + ".bmp", active->bits_,
                    active->width_, active->height_);
    }
    return result;
}

int WINAPI PrintCapture::endDoc(HDC dc) {
    int result = active->record("EndDoc");
    // The job is complete: keep what it drew (the program deletes the DC next).
    if (result > 0 && GetObjectType(dc) == OBJ_ENHMETADC) active->metafile_ = CloseEnhMetaFile(dc);
    return result;
}

int WINAPI PrintCapture::abortDoc(HDC) { return active->record("AbortDoc"); }

std::vector<DrawnText> PrintCapture::texts() const {
    Reader r;
    if (metafile_) EnumEnhMetaFile(nullptr, metafile_, readRecord, &r, nullptr);
    return r.texts;
}

int PrintCapture::pages() const {
    int n = 0;
    for (const DrawnText& t : texts()) n = t.page > n ? t.page : n;
    return n;
}

std::vector<DrawnText> onPage(const std::vector<DrawnText>& texts, int page) {
    std::vector<DrawnText> out;
    for (const DrawnText& t : texts)
        if (t.page == page) out.push_back(t);
    return out;
}

int inkInside(const std::string& bitmapFile, RECT rect) {
    HBITMAP bmp = static_cast<HBITMAP>(
        LoadImageA(nullptr, bitmapFile.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bmp) return -1;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    int ink = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) ++ink;
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    return ink;
}
