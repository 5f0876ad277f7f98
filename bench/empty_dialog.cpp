// The floor of the start-up benchmark: an empty dialog of the main window's
// size, built from an in-memory template, with Quirvel's manifest and
// resources and the same import libraries, started and painted the way
// Wine does it for any program. What Quirvel takes beyond it is its own.
// With "hidden" on the command line the dialog is never shown: the
// benchmark runs one such copy to keep Wine's desktop up between rounds.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "ui/dialog_template.h"

namespace {

INT_PTR CALLBACK dialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) {
        // Quirvel's font comes through gdi32, which it imports: so does the floor.
        SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return TRUE;
    }
    if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) EndDialog(dialog, 0);
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    cDialogTemplate t(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | DS_3DLOOK | DS_CENTER,
                      0, 0, 0, 320, 300, "Empty");
    if (!std::strstr(commandLine, "hidden")) {
        t.runModal(nullptr, dialogProc);
        return 0;
    }
    t.createModeless(nullptr, dialogProc);  // never shown
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
