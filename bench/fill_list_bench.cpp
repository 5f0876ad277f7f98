// fillList for 5000 transactions in the real main window, and a heading
// click that sorts them, timed to the end of the repaint it causes.
//   fill_list_bench [--write LEDGER]   (--write only saves the full ledger)
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/main_window.h"
#include "app/transaction_list.h"
#include "bench/full_ledger.h"
#include "ledger/list_state.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        resetLedgerTables();
        installLedgerImage(fullLedgerImage());
        ledgerPath = argv[2];
        return saveLedger() ? 0 : 1;
    }
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    resetAllState();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dataFolderOverride = temp;
    createMainWindow();
    installLedgerImage(fullLedgerImage());
    const int rounds = 10;
    using clock = std::chrono::steady_clock;
    auto ms = [&](clock::duration d) { return std::chrono::duration<double, std::milli>(d).count() / rounds; };
    auto t0 = clock::now();
    for (int i = 0; i < rounds; ++i) fillList();
    auto t1 = clock::now();
    std::printf("fillList: %u rows, %.1f ms per fill (mean of %d)\n", rowCount, ms(t1 - t0), rounds);

    // Each click on "Date" reverses the order of all 5000 rows.
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HWND heading = currentList->heading(1);
    auto t2 = clock::now();
    for (int i = 0; i < rounds; ++i) {
        SendMessageA(currentPage, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(heading), STN_CLICKED),
                     reinterpret_cast<LPARAM>(heading));
        RedrawWindow(mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
    }
    auto t3 = clock::now();
    std::printf("sort: %u rows, %.1f ms from heading click to repainted list (mean of %d)\n", rowCount, ms(t3 - t2),
                rounds);
    DestroyWindow(mainWindow);
    return 0;
}
