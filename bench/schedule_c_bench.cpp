// The Schedule C worksheet over a full working ledger (5000 transactions
// of one year, 500 descriptions, half of the expense descriptions given a
// line): View > Schedule C sent to the main window, timed from the command
// to the worksheet's first paint, several times. Prints the median, then
// the best and worst, the rows shown and the peak memory.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bench/full_ledger.h"
#include "bench/peak_memory.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/tables.h"
#include "reports/schedule_c_dialog.h"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point openedAt;
int rowsShown = 0;
HHOOK activation = nullptr;

const char* const caption = "Schedule C Worksheet";

// Once the dialog is active and its loop runs: paint it, note the time and
// close it.
LRESULT CALLBACK onMessage(int code, WPARAM wp, LPARAM lp) {
    auto* m = reinterpret_cast<MSG*>(lp);
    if (code == HC_ACTION && m->message == WM_APP + 1) {
        HWND d = m->hwnd;
        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        openedAt = Clock::now();
        rowsShown = static_cast<int>(SendMessageA(GetDlgItem(d, idScheduleCTable), LVM_GETITEMCOUNT, 0, 0));
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        m->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK onActivate(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE) {
        char text[64] = "";
        GetWindowTextA(reinterpret_cast<HWND>(wp), text, sizeof text);
        if (std::string(text) == caption) PostMessageA(reinterpret_cast<HWND>(wp), WM_APP + 1, 0, 0);
    }
    return CallNextHookEx(activation, code, wp, lp);
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    resetAllState();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dataFolderOverride = temp;
    createMainWindow();
    LedgerImage image = fullLedgerImage();
    // Half of the expense descriptions on lines of their own, the rest on
    // no line yet (with or without a proposal).
    const char* lines[] = {"office", "supplies", "repairs", "utilities", "otherExpenses"};
    for (size_t i = 0; i < image.descriptions.size(); ++i) {
        const std::string& e = image.descriptions[i];
        if (e.empty() || e[0] != typeExpense || i % 2) continue;
        image.beside.tax.assignments.push_back({typeExpense, e.substr(1), lines[i % 5]});
    }
    installLedgerImage(image);

    activation = SetWindowsHookExA(WH_CBT, onActivate, nullptr, GetCurrentThreadId());
    HHOOK messages = SetWindowsHookExA(WH_GETMESSAGE, onMessage, nullptr, GetCurrentThreadId());
    const int rounds = 9;
    std::vector<double> times;
    for (int round = 0; round <= rounds; ++round) {
        auto start = Clock::now();
        SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(cmdScheduleC, 0), 0);
        double ms = std::chrono::duration<double, std::milli>(openedAt - start).count();
        if (round > 0) times.push_back(ms);  // the first round warms up
    }
    UnhookWindowsHookEx(messages);
    UnhookWindowsHookEx(activation);
    std::sort(times.begin(), times.end());
    std::printf("schedule c open: %.1f ms\n", times[times.size() / 2]);
    std::printf("schedule c rounds: median of %d, best %.1f ms, worst %.1f ms; %d transactions, %d rows shown\n", rounds,
                times.front(), times.back(), static_cast<int>(transactionCount), rowsShown);
    std::printf("schedule c peak memory: %.1f MiB\n", peakMiB());
    DestroyWindow(mainWindow);
    return 0;
}
