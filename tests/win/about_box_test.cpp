#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "app/about_box.h"
#include "app/main_window.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

using AboutBox = MainWindowTest;

// Runs the box with `steps` inside it; the steps must close it.
void withAbout(std::function<void(HWND)> steps) {
    whenDialogOpens("About Quirvel", std::move(steps));
    showAbout(mainWindow);
}

void pressEscape(HWND box) { SendMessageA(box, WM_COMMAND, IDCANCEL, 0); }

LOGFONTA fontOf(HWND box, int id) {
    LOGFONTA lf = {};
    HFONT f = reinterpret_cast<HFONT>(SendDlgItemMessageA(box, id, WM_GETFONT, 0, 0));
    GetObjectA(f, sizeof lf, &lf);
    return lf;
}

HWND iconOf(HWND box) {
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return c;
    return nullptr;
}

TEST_F(AboutBox, LayoutTextsAndStyles) {
    start();
    withAbout([&](HWND box) {
        EXPECT_EQ(GetWindow(box, GW_OWNER), main);
        LONG style = GetWindowLongA(box, GWL_STYLE);
        EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
        RECT client;
        GetClientRect(box, &client);
        RECT expected = {0, 0, 220, 160};
        MapDialogRect(box, &expected);
        EXPECT_EQ(client.right, expected.right);
        EXPECT_EQ(client.bottom, expected.bottom);

        struct Label {
            int id;
            const char* text;
            RECT units;  // left, top, width, height
            bool link;
        };
        const Label labels[] = {{9901, "Quirvel", {50, 10, 150, 20}, false},
                                {9902, " for Windows", {120, 28, 70, 10}, false},
                                {9904, "quirvel@zembrik.example", {60, 80, 140, 12}, true},
                                {9905, "https://zembrik.example/quirvel", {60, 95, 140, 12}, true}};
        for (const Label& l : labels) {
            EXPECT_EQ(itemText(box, l.id), l.text) << l.id;
            RECT r = itemRectUnits(box, l.id);
            EXPECT_TRUE(EqualRect(&r, &l.units)) << l.id << ": " << r.left << "," << r.top << " " << r.right << "x"
                                                  << r.bottom;
            LONG s = GetWindowLongA(GetDlgItem(box, l.id), GWL_STYLE);
            EXPECT_EQ((s & (SS_NOTIFY | SS_NOPREFIX)) != 0, l.link) << l.id;
            if (l.link) {
                EXPECT_EQ(s & (SS_NOTIFY | SS_NOPREFIX), SS_NOTIFY | SS_NOPREFIX) << l.id;
            }
        }
        EXPECT_LE(std::string(labels[2].text).size(), 63u);
        EXPECT_LE(std::string(labels[3].text).size(), 63u);

        HWND icon = iconOf(box);
        ASSERT_NE(icon, nullptr);
        EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);
        RECT r;
        GetWindowRect(icon, &r);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
        RECT place = {10, 10, 40, 40};
        MapDialogRect(box, &place);
        EXPECT_TRUE(EqualRect(&r, &place));

        bool versionShown = false;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            versionShown |= windowText(c) == "Version 3.16";
        EXPECT_TRUE(versionShown);
        pressEscape(box);
    });
}

TEST_F(AboutBox, LabelFontsLiveAsLongAsTheBox) {
    start();
    HDC screen = GetDC(nullptr);
    int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HFONT used = nullptr;
    withAbout([&](HWND box) {
        struct Expected {
            int id, points;
            bool italic, underline;
        };
        const Expected fonts[] = {{9901, 14, false, false}, {9902, 10, true, false}, {9904, 10, false, true},
                                  {9905, 10, false, true}};
        for (const Expected& e : fonts) {
            LOGFONTA lf = fontOf(box, e.id);
            EXPECT_EQ(lf.lfHeight, -(e.points * dpiY / 72)) << e.id;
            EXPECT_EQ(lf.lfItalic != 0, e.italic) << e.id;
            EXPECT_EQ(lf.lfUnderline != 0, e.underline) << e.id;
            EXPECT_EQ(lf.lfWeight, FW_NORMAL) << e.id;
            EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif") << e.id;
            EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET) << e.id;
            EXPECT_EQ(lf.lfOutPrecision, OUT_TT_PRECIS) << e.id;
        }
        used = reinterpret_cast<HFONT>(SendDlgItemMessageA(box, 9901, WM_GETFONT, 0, 0));
        EXPECT_EQ(GetObjectType(used), static_cast<DWORD>(OBJ_FONT));
        pressEscape(box);
    });
    EXPECT_EQ(GetObjectType(used), 0u);  // released with the box
}

TEST_F(AboutBox, ColoursOfNameAndLinks) {
    start();
    withAbout([&](HWND box) {
        const std::pair<int, COLORREF> colours[] = {{9901, RGB(255, 0, 0)},
                                                    {9902, GetSysColor(COLOR_WINDOWTEXT)},
                                                    {9904, RGB(0, 0, 255)},
                                                    {9905, RGB(0, 0, 255)}};
        HDC dc = CreateCompatibleDC(nullptr);
        for (const auto& c : colours) {
            SetTextColor(dc, RGB(1, 2, 3));
            LRESULT brush = SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(GetDlgItem(box, c.first)));
            EXPECT_NE(brush, 0) << c.first;
            EXPECT_EQ(GetTextColor(dc), c.second) << c.first;
        }
        DeleteDC(dc);
        pressEscape(box);
    });
}

TEST_F(AboutBox, HandOnlyOverTheLinks) {
    start();
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), "HAND");
    HCURSOR arrow = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    ASSERT_NE(hand, nullptr);
    withAbout([&](HWND box) {
        const std::pair<HWND, bool> over[] = {{GetDlgItem(box, 9904), true},
                                              {GetDlgItem(box, 9905), true},
                                              {GetDlgItem(box, 9901), false},
                                              {GetDlgItem(box, 9902), false},
                                              {iconOf(box), false}};
        for (const auto& o : over) {
            SetCursor(o.second ? arrow : hand);  // so that a change shows
            LRESULT handled = SendMessageA(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(o.first),
                                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            EXPECT_EQ(GetCursor(), o.second ? hand : arrow) << GetDlgCtrlID(o.first);
            if (o.second) {
                EXPECT_TRUE(handled) << GetDlgCtrlID(o.first);
            }
        }
        pressEscape(box);
    });
}

TEST_F(AboutBox, LinksOpenThroughTheShellOtherLabelsDoNothing) {
    start();
    withAbout([&](HWND box) {
        auto press = [](HWND w) {
            SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        };
        press(GetDlgItem(box, 9901));
        press(GetDlgItem(box, 9902));
        press(iconOf(box));
        EXPECT_TRUE(prompts.shellOpens.empty());
        press(GetDlgItem(box, 9904));
        press(GetDlgItem(box, 9905));
        pressEscape(box);
    });
    const std::vector<std::pair<std::string, int>> expected = {
        {"mailto:quirvel@zembrik.example?", SW_SHOW}, {"https://zembrik.example/quirvel", SW_SHOWMAXIMIZED}};
    EXPECT_EQ(prompts.shellOpens, expected);
}

// A box that ignores its key stays up; end it anyway so the test fails
// instead of hanging.
HWND stuckBox = nullptr;
bool forcedClosed = false;
void CALLBACK forceClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (IsWindow(stuckBox)) {
        forcedClosed = true;
        EndDialog(stuckBox, 0);
    }
}

TEST_F(AboutBox, EscEnterAndCloseBoxClose) {
    start();
    struct Way {
        const char* name;
        UINT msg;
        WPARAM wp;
    };
    const Way ways[] = {{"Esc", WM_KEYDOWN, VK_ESCAPE}, {"Enter", WM_KEYDOWN, VK_RETURN}, {"close box", WM_SYSCOMMAND, SC_CLOSE}};
    for (const Way& w : ways) {
        forcedClosed = false;
        UINT_PTR timer = 0;
        withAbout([&](HWND box) {
            stuckBox = box;
            timer = SetTimer(nullptr, 0, 3000, forceClose);
            PostMessageA(w.msg == WM_KEYDOWN && GetFocus() ? GetFocus() : box, w.msg, w.wp, 0);
        });
        KillTimer(nullptr, timer);
        EXPECT_FALSE(forcedClosed) << w.name;
    }
    EXPECT_TRUE(prompts.shellOpens.empty());
}

}  // namespace
