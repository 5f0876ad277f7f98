#include "ui/dialog_template.h"

#include <commctrl.h>

#include "text/plain_text.h"


// A code page's character is at least one byte and at most two UTF-16
// units: one unit per byte is always room enough.
void wideTextInto(const std::string& s, std::wstring& out) {
    out.resize(s.size());
    int n = s.empty() ? 0
                      : MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &out[0],
                                            static_cast<int>(out.size()));
    out.resize(static_cast<size_t>(n > 0 ? n : 0));
}

std::wstring wideText(const std::string& s) {
    std::wstring w;
    wideTextInto(s, w);
    return w;
}

std::string ansiText(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::string windowText(HWND window) {
    if (!window) return std::string();
    int n = GetWindowTextLengthA(window);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(window, &s[0], n + 1);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

namespace {

constexpr UINT_PTR selectAllSubclass = 0x5141;  // any number unique to this subclass
constexpr WPARAM ctrlA = 0x01;                  // the character Ctrl+A types

LRESULT CALLBACK selectAllProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_CHAR && wp == ctrlA) {
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(edit, selectAllProc, selectAllSubclass);
    return DefSubclassProc(edit, msg, wp, lp);
}

bool isEditBox(HWND w) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    return lstrcmpiA(cls, "Edit") == 0;
}

BOOL CALLBACK addToChild(HWND child, LPARAM) {
    if (isEditBox(child)) SetWindowSubclass(child, selectAllProc, selectAllSubclass, 0);
    return TRUE;
}

}  // namespace

void clickTabOf(HWND tabs, int index) {
    if (!tabs) return;
    HWND parent = GetParent(tabs);
    int id = GetDlgCtrlID(tabs);
    NMHDR n = {tabs, static_cast<UINT_PTR>(id), static_cast<UINT>(TCN_SELCHANGING)};
    SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&n));
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    n.code = static_cast<UINT>(TCN_SELCHANGE);
    SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&n));
}

void addSelectAllKey(HWND window) {
    if (!window) return;
    addToChild(window, 0);
    EnumChildWindows(window, addToChild, 0);  // every descendant, combo boxes' edit fields too
}

std::string typedText(HWND control) { return blankControls(windowText(control)); }

std::string controlText(HWND dialog, int id) { return typedText(GetDlgItem(dialog, id)); }

cDialogTemplate::cDialogTemplate(DWORD style, DWORD exStyle, short x, short y, short cx, short cy,
                                 const std::string& caption) {
    putDword(style | DS_SETFONT);
    putDword(exStyle);
    countAt_ = words_.size();
    putWord(0);  // item count, filled in by add()
    putWord(static_cast<WORD>(x));
    putWord(static_cast<WORD>(y));
    putWord(static_cast<WORD>(cx));
    putWord(static_cast<WORD>(cy));
    putWord(0);  // no menu
    putWord(0);  // standard dialog class
    putString(caption);
    putWord(8);
    putString("MS Sans Serif");
}

cDialogTemplate& cDialogTemplate::add(int id, const char* className, const std::string& text, DWORD style,
                                      DWORD exStyle, short x, short y, short cx, short cy) {
    align();
    putDword(style | WS_CHILD | WS_VISIBLE);
    putDword(exStyle);
    putWord(static_cast<WORD>(x));
    putWord(static_cast<WORD>(y));
    putWord(static_cast<WORD>(cx));
    putWord(static_cast<WORD>(cy));
    putWord(static_cast<WORD>(id));
    putString(className);
    putString(text);
    putWord(0);  // no creation data
    words_[countAt_] = ++count_;
    return *this;
}

const DLGTEMPLATE* cDialogTemplate::get() { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

INT_PTR cDialogTemplate::runModal(HWND owner, DLGPROC proc, LPARAM param) {
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), get(), owner, proc, param);
}

HWND cDialogTemplate::createModeless(HWND owner, DLGPROC proc, LPARAM param) {
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), get(), owner, proc, param);
}

void cDialogTemplate::align() {
    // Items start on a DWORD boundary; the buffer itself is WORD-based.
    if (words_.size() % 2) words_.push_back(0);
}

void cDialogTemplate::putWord(WORD w) { words_.push_back(w); }

void cDialogTemplate::putDword(DWORD d) {
    putWord(LOWORD(d));
    putWord(HIWORD(d));
}

void cDialogTemplate::putString(const std::string& s) {
    for (wchar_t c : wideText(s)) putWord(static_cast<WORD>(c));
    putWord(0);
}

int dialogUnitsToPixels(HWND dialog, int units) {
    RECT r = {0, 0, units, 0};
    MapDialogRect(dialog, &r);
    return r.right;
}
