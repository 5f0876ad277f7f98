// Quirvel's entry point. A ledger named on the command line (as a double
// click on a .qvl file gives it) is opened instead of the remembered one, and
// the window is shown minimised or maximised when the starter asks so.
#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    resetAllState();
    helpInBrowser = runningUnderWine();
    startupLedger = ledgerFromCommandLine(GetCommandLineW());
    startShowCommand = showCommand;
    leaveInputMethodOff();
    runMainWindow();
    return 0;
}
