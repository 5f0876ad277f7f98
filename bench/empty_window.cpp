// The floor for the start-up benchmark: a plain top-level window with
// nothing in it, started and painted the way Wine does it for any program.
// With "hidden" on the command line the window is never shown: the
// benchmark runs one such copy to keep Wine's desktop up between rounds.
#include <windows.h>

#include <cstring>

namespace {

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "EmptyWindow";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "EmptyWindow", "Empty", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, 640, 560, nullptr, nullptr, instance, nullptr);
    if (!strstr(commandLine, "hidden")) {
        ShowWindow(hwnd, show);
        UpdateWindow(hwnd);
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
