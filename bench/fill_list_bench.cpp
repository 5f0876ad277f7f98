// fillList for 5000 transactions in the real main window.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>

#include "app/main_window.h"
#include "app/transaction_list.h"
#include "bench/full_ledger.h"
#include "ledger/list_state.h"

int main() {
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
    auto t0 = clock::now();
    for (int i = 0; i < rounds; ++i) fillList();
    auto t1 = clock::now();
    std::printf("fillList: %u rows, %.1f ms per fill (mean of %d)\n", rowCount,
                std::chrono::duration<double, std::milli>(t1 - t0).count() / rounds, rounds);
    DestroyWindow(mainWindow);
    return 0;
}
