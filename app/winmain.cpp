// Quirvel's entry point. The command line is ignored.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/main_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    CoInitialize(nullptr);  // for the shell's folder lookups and "open"
    resetAllState();
    runMainWindow();
    CoUninitialize();
    return 0;
}
