#include "app/about_box.h"

#include <windows.h>

#include <string>

#include "ui/dialog_template.h"
#include "ui/prompts.h"

namespace {

enum : int { idName = 9901, idForWindows = 9902, idMailLink = 9904, idWebLink = 9905 };

const char* const mailAddress = "quirvel@zembrik.example";
const char* const webAddress = "https://zembrik.example/quirvel";

const COLORREF nameColour = RGB(255, 0, 0);
const COLORREF linkColour = RGB(0, 0, 255);

// The box's own fonts; they must outlive its controls, so they are released
// only after the box has been destroyed.
struct cAboutFonts {
    HFONT name = nullptr, forWindows = nullptr, link = nullptr;
    ~cAboutFonts() {
        for (HFONT f : {name, forWindows, link})
            if (f) DeleteObject(f);
    }
};

// Character height (not cell height) of a point size on this screen.
HFONT makeFont(int dpiY, int points, bool italic, bool underline) {
    return CreateFontA(-(points * dpiY / 72), 0, 0, 0, FW_NORMAL, italic, underline, FALSE, ANSI_CHARSET,
                       OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       "MS Sans Serif");
}

void setFonts(HWND box, cAboutFonts& fonts) {
    HDC dc = GetDC(box);
    int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(box, dc);
    fonts.name = makeFont(dpiY, 14, false, false);
    fonts.forWindows = makeFont(dpiY, 10, true, false);
    fonts.link = makeFont(dpiY, 10, false, true);
    SendDlgItemMessageA(box, idName, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.name), FALSE);
    SendDlgItemMessageA(box, idForWindows, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.forWindows), FALSE);
    SendDlgItemMessageA(box, idMailLink, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.link), FALSE);
    SendDlgItemMessageA(box, idWebLink, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.link), FALSE);
}

// Fire and forget: no mail program or browser is not worth a message.
void openLink(const std::string& target, int showCommand) {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    prompts().shellOpen(target, showCommand);
}

INT_PTR CALLBACK aboutProc(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        setFonts(box, *reinterpret_cast<cAboutFonts*>(lp));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
        if (id != idName && id != idMailLink && id != idWebLink) return FALSE;
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, id == idName ? nameColour : linkColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR: {
        // Only the two links point; everything else keeps the arrow. The ids
        // are named, not compared as "9904 and up": a label without an id
        // may read back as 0xFFFF.
        int id = reinterpret_cast<HWND>(wp) == box ? 0 : GetDlgCtrlID(reinterpret_cast<HWND>(wp));
        if (id != idMailLink && id != idWebLink) return FALSE;
        SetCursor(LoadCursorA(GetModuleHandleA(nullptr), "HAND"));
        SetWindowLongPtrA(box, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(box, LOWORD(wp));
            return TRUE;
        case idMailLink:
            if (HIWORD(wp) == STN_CLICKED) openLink(std::string("mailto:") + mailAddress + "?", SW_SHOW);
            return TRUE;
        case idWebLink:
            if (HIWORD(wp) == STN_CLICKED) openLink(webAddress, SW_SHOWMAXIMIZED);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void showAbout(HWND owner) {
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 220, 160,
                      "About Quirvel");
    // The control keeps its 30x30 place; the icon sits in its middle at the
    // system icon size rather than being stretched.
    t.add(-1, "STATIC", "myQvl", SS_ICON | SS_CENTERIMAGE, 0, 10, 10, 30, 30);
    t.add(idName, "STATIC", "Quirvel", SS_LEFT, 0, 50, 10, 150, 20);
    t.add(idForWindows, "STATIC", " for Windows", SS_LEFT, 0, 120, 28, 70, 10);
    t.add(-1, "STATIC", "Version 3.16", SS_LEFT, 0, 60, 55, 140, 10);
    t.add(idMailLink, "STATIC", mailAddress, SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0, 60, 80, 140, 12);
    t.add(idWebLink, "STATIC", webAddress, SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0, 60, 95, 140, 12);
    cAboutFonts fonts;
    t.runModal(owner, aboutProc, reinterpret_cast<LPARAM>(&fonts));
}
