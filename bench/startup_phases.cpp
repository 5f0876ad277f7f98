// Quirvel's start-up from the inside, with the ledger the settings name:
// how long the main dialog, the first page (with the settings and the
// ledger), the fill of the first list and the painting take, and how often
// each window is painted before the screen is still.
//   startup_phases LEDGER
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "app/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point started, dialogAt, pageAt, fillFrom, fillTo, lastPaint;
bool filled = false;
HWND firstList = nullptr;
std::map<HWND, int> paints;
HHOOK hooks[3] = {};

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

void notePaint(HWND w) {
    ++paints[w];
    lastPaint = Clock::now();
}

LRESULT CALLBACK created(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lp);
        if (!create->lpcs->hwndParent && dialogAt == Clock::time_point()) dialogAt = Clock::now();
        if (reinterpret_cast<INT_PTR>(create->lpcs->hMenu) == 2501 && create->lpcs->hwndParent) {
            firstList = reinterpret_cast<HWND>(wp);
            pageAt = Clock::now();
        }
        // The status bar comes once the settings and the ledger are read,
        // right before the first list is filled.
        if (reinterpret_cast<INT_PTR>(create->lpcs->hMenu) == 999 && create->lpcs->hwndParent) fillFrom = Clock::now();
    }
    return CallNextHookEx(hooks[0], code, wp, lp);
}

// Messages sent: the end of the first fill, and paints sent at once.
LRESULT CALLBACK sent(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION) {
        auto* m = reinterpret_cast<CWPSTRUCT*>(lp);
        if (m->hwnd == firstList && !filled && fillFrom != Clock::time_point() && m->message == WM_SETREDRAW &&
            m->wParam) {
            filled = true;  // the rows are in the list box
            fillTo = Clock::now();
            // No paint is sent during the start (each is taken from the
            // queue): the hook on every sent message would only slow the
            // painting it measures.
            UnhookWindowsHookEx(hooks[1]);
            hooks[1] = nullptr;
        }
        if (m->message == WM_PAINT) notePaint(m->hwnd);
    }
    return CallNextHookEx(hooks[1], code, wp, lp);
}

// Paints taken from the queue.
LRESULT CALLBACK taken(int code, WPARAM wp, LPARAM lp) {
    auto* m = reinterpret_cast<MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && m->message == WM_PAINT) notePaint(m->hwnd);
    return CallNextHookEx(hooks[2], code, wp, lp);
}

// Once nothing has been painted for a second, the start is over.
void CALLBACK whenStill(HWND, UINT, UINT_PTR, DWORD) {
    if (lastPaint != Clock::time_point() && ms(lastPaint, Clock::now()) > 1000) closeMainWindow();
}

std::string windowName(HWND w) {
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    return std::string(cls) + " " + std::to_string(GetDlgCtrlID(w));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: startup_phases LEDGER\n");
        return 2;
    }
    started = Clock::now();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "quirvel-startup\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream(folder + "quirvel.ini", std::ios::binary) << argv[1] << "\r\n.0625\r\n0\r\n0\r\n0\r\n";
    hooks[0] = SetWindowsHookExA(WH_CBT, created, nullptr, GetCurrentThreadId());
    hooks[1] = SetWindowsHookExA(WH_CALLWNDPROC, sent, nullptr, GetCurrentThreadId());
    hooks[2] = SetWindowsHookExA(WH_GETMESSAGE, taken, nullptr, GetCurrentThreadId());
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    resetAllState();
    dataFolderOverride = folder;
    SetTimer(nullptr, 0, 100, whenStill);
    leaveInputMethodOff();
    runMainWindow();
    for (HHOOK h : hooks)
        if (h) UnhookWindowsHookEx(h);

    int total = 0, twice = 0;
    std::string again;
    for (const auto& p : paints) {
        total += p.second;
        if (p.second > 1) {
            ++twice;
            again += " " + windowName(p.first) + " x" + std::to_string(p.second);
        }
    }
    std::printf("phases: main dialog %.1f ms, first page and ledger %.1f ms, fill %.1f ms, paint %.1f ms\n",
                ms(started, pageAt), ms(pageAt, fillFrom), ms(fillFrom, fillTo), ms(fillTo, lastPaint));
    std::printf("paint passes: %d WM_PAINT over %d windows, %d painted more than once%s\n", total,
                static_cast<int>(paints.size()), twice, again.c_str());
    return 0;
}
