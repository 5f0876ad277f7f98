#include "tests/win/modal_driver.h"

#include <deque>

namespace {

struct Expected {
    std::string caption;
    std::function<void(HWND)> steps;
};

std::deque<Expected> queue;
HHOOK hook = nullptr;
HWND pendingDialog = nullptr;
std::function<void(HWND)> pendingSteps;

void CALLBACK runSteps(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dialog = pendingDialog;
    auto steps = std::move(pendingSteps);
    pendingDialog = nullptr;
    pendingSteps = nullptr;
    if (steps) steps(dialog);
}

LRESULT CALLBACK cbtProc(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE && !queue.empty() && !pendingSteps) {
        HWND w = reinterpret_cast<HWND>(wp);
        char cls[32] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) == "#32770" && windowText(w) == queue.front().caption) {
            pendingDialog = w;
            pendingSteps = std::move(queue.front().steps);
            queue.pop_front();
            SetTimer(nullptr, 0, 0, runSteps);
        }
    }
    return CallNextHookEx(hook, code, wp, lp);
}

}  // namespace

void whenDialogOpens(const std::string& caption, std::function<void(HWND)> steps) {
    if (!hook) hook = SetWindowsHookExA(WH_CBT, cbtProc, nullptr, GetCurrentThreadId());
    queue.push_back({caption, std::move(steps)});
}

bool allDialogsHandled() { return queue.empty() && !pendingSteps; }

void clearDialogQueue() {
    queue.clear();
    pendingSteps = nullptr;
    pendingDialog = nullptr;
}

void setItemText(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

HWND typingBox(HWND dialog, int id) {
    HWND box = GetDlgItem(dialog, id);
    HWND field = FindWindowExA(box, nullptr, "Edit", nullptr);
    return field ? field : box;
}

void typeKeys(HWND dialog, int id, const std::string& text) {
    HWND box = typingBox(dialog, id);
    for (char c : text) SendMessageA(box, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
}

void pressCtrlA(HWND dialog, int id) {
    HWND box = typingBox(dialog, id);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE control = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(box, WM_KEYDOWN, 'A', 1);
    SendMessageA(box, WM_CHAR, 0x01, 1);
    SendMessageA(box, WM_KEYUP, 'A', 0xC0000001);
    keys[VK_CONTROL] = control;
    SetKeyboardState(keys);
}

bool isChecked(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void closeBox(HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

void expectClientUnits(HWND dialog, int cx, int cy) {
    RECT client, size = {0, 0, cx, cy};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
}

void expectCentredOnWorkArea(HWND window) {
    RECT frame, work;
    GetWindowRect(window, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 2);
}

void pumpMessages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

RECT itemRectUnits(HWND dialog, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    RECT base = {0, 0, 4, 8};
    MapDialogRect(dialog, &base);
    auto units = [](long px, long per, long base) { return (px * per + base / 2) / base; };
    RECT u = {units(r.left, 4, base.right), units(r.top, 8, base.bottom), units(r.right - r.left, 4, base.right),
              units(r.bottom - r.top, 8, base.bottom)};
    return u;  // left, top, width, height
}
