// fillList for 5000 transactions in the real main window, and a heading
// click that sorts them, timed to the end of the repaint it causes. Then
// 1000 steps of changes: the memory their history takes, and Undo and Redo
// through the real command, the refill included. Then Find Next over the
// 5000 rows through the real command.
//   fill_list_bench [--write LEDGER]   (--write only saves the full ledger)
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstring>


#include "app/commands.h"
#include "app/find_dialog.h"
#include "app/main_window.h"
#include "app/transaction_list.h"
#include "bench/full_ledger.h"
#include "bench/peak_memory.h"
#include "ledger/changes.h"
#include "app/list_state.h"

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

    // A thousand steps of the kinds a user makes: a changed amount, a
    // transaction deleted and another added, a name renamed.
    const int steps = 1000;
    double peakBefore = peakMiB();
    for (int i = 0; i < steps; ++i) {
        int at = 1 + (i * 7919) % transactionCount;
        if (i % 3 == 0) {
            Transaction t = transactions[at];
            t.amount += 1;
            replaceTransactionAt(at, t);
        } else if (i % 3 == 1) {
            Transaction t = transactions[at];
            removeTransactionAt(at);
            placeTransaction(t);
        } else {
            int e = 1 + i % nameCount;
            setListEntry(nameList, e, names[e] + "+");
        }
        commitStep("Step");
    }
    double peakAfter = peakMiB();
    std::printf("undo history: %d steps over %u transactions hold %.2f MiB; peak memory grew %.2f MiB (%.1f to %.1f)\n",
                steps, transactionCount, static_cast<double>(historyBytes()) / (1024 * 1024), peakAfter - peakBefore,
                peakBefore, peakAfter);
    const int undos = 100;
    auto t4 = clock::now();
    for (int i = 0; i < undos; ++i) runCommand(cmdUndo);
    auto t5 = clock::now();
    for (int i = 0; i < undos; ++i) runCommand(cmdRedo);
    auto t6 = clock::now();
    auto each = [&](clock::duration d) { return std::chrono::duration<double, std::milli>(d).count() / undos; };
    std::printf("undo: %.1f ms per Undo, %.1f ms per Redo, the list refilled (mean of %d each, %u transactions)\n",
                each(t5 - t4), each(t6 - t5), undos, transactionCount);

    // Find: a text typed into the Find dialog, then Find Next (F3) again and
    // again through the real command; one text that no row holds, so that
    // every search looks at all the rows and wraps.
    static const char* wanted = "no row holds this";
    HHOOK typer = SetWindowsHookExA(
        WH_CBT,
        [](int code, WPARAM wp, LPARAM lp) -> LRESULT {
            if (code == HCBT_ACTIVATE) {
                HWND d = reinterpret_cast<HWND>(wp);
                char caption[32] = "";
                GetWindowTextA(d, caption, sizeof caption);
                if (std::strcmp(caption, "Find") == 0) {
                    SetDlgItemTextA(d, idFindText, wanted);
                    PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                }
            }
            return CallNextHookEx(nullptr, code, wp, lp);
        },
        nullptr, GetCurrentThreadId());
    runCommand(cmdFind);
    UnhookWindowsHookEx(typer);
    const int finds = 50;
    auto t7 = clock::now();
    for (int i = 0; i < finds; ++i) runCommand(cmdFindNext);
    auto t8 = clock::now();
    std::printf("find: %.1f ms per search over %u rows, found nowhere (mean of %d)\n",
                std::chrono::duration<double, std::milli>(t8 - t7).count() / finds, rowCount, finds);
    DestroyWindow(mainWindow);
    return 0;
}
