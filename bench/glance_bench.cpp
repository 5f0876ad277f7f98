// The year at a glance over a full working ledger (5000 transactions of
// 2025) and ten archive files of 5000 transactions each (2015 to 2024), the
// books remembering them all: the dialog timed from the command to its
// first paint; then switching the year, the compared year and the grouping,
// each timed to the repainted dialog. Prints the times and the peak memory.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>


#include "app/main_window.h"
#include "bench/peak_memory.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/tables.h"
#include "reports/year_glance_dialog.h"
#include "text/date_text.h"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point openedAt;
std::vector<double> switches;
HHOOK activation = nullptr;

// A year of business: 5000 transactions of every type over twelve months.
LedgerImage yearOfBooks(int year) {
    LedgerImage image;
    for (int i = 1; i <= 120; ++i)
        image.descriptions.push_back(std::string(1, static_cast<char>(i % 4 == 0 ? 6 : i % 4)) + "Description " +
                                     std::to_string(i));
    image.descriptions.push_back(std::string(1, '\2') + "Mileage");
    for (int i = 1; i <= 300; ++i)
        image.names.push_back(std::string(1, static_cast<char>(1 + i % 3)) + "Customer or supplier " + std::to_string(i));
    for (int i = 0; i < maxTransactions; ++i) {
        Transaction t;
        char date[16];
        std::snprintf(date, sizeof date, "%02d-%02d-%04d", 1 + (i / 28) % 12, 1 + i % 28, year);
        t.date = packDate(date);
        t.type = static_cast<uint8_t>(1 + i % 6);
        t.descrIndex = static_cast<uint16_t>(i % 50 == 0 && t.type == 2 ? 121 : 1 + i % 120);
        t.nameIndex = static_cast<uint16_t>(1 + i % 300);
        t.amount = 100 + (i * 37) % 90000;
        t.taxMode = isProductType(t.type) ? static_cast<uint8_t>(i % 4) : static_cast<uint8_t>(modeNoTax);
        t.salesTax = isProductType(t.type) ? t.amount / 16 : 0;
        image.transactions.push_back(t);
    }
    return image;
}

void repaint(HWND d) {
    RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

double timed(HWND d, void (*change)(HWND)) {
    auto start = Clock::now();
    change(d);
    repaint(d);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void pick(HWND d, int id, int index) {
    HWND box = GetDlgItem(d, id);
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

void press(HWND d, int id) {
    CheckRadioButton(d, idGlanceByDescr, idGlanceByName, id);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
}

// Once the dialog is active and its loop runs: paint it, note the time,
// time the switches and close it.
LRESULT CALLBACK onMessage(int code, WPARAM wp, LPARAM lp) {
    auto* m = reinterpret_cast<MSG*>(lp);
    if (code == HC_ACTION && m->message == WM_APP + 1) {
        HWND d = m->hwnd;
        repaint(d);
        openedAt = Clock::now();
        switches.push_back(timed(d, [](HWND w) { pick(w, idGlanceYear, 3); }));
        switches.push_back(timed(d, [](HWND w) { pick(w, idGlanceCompare, 6); }));
        switches.push_back(timed(d, [](HWND w) { press(w, idGlanceByName); }));
        switches.push_back(timed(d, [](HWND w) { press(w, idGlanceByDescr); }));
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        m->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK onActivate(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE) {
        char caption[64] = "";
        GetWindowTextA(reinterpret_cast<HWND>(wp), caption, sizeof caption);
        if (std::string(caption) == "Year at a Glance") PostMessageA(reinterpret_cast<HWND>(wp), WM_APP + 1, 0, 0);
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
    std::vector<std::string> archives;
    for (int year = 2015; year <= 2024; ++year) {
        std::string path = std::string(temp) + "glance-bench-" + std::to_string(year) + ".qvl";
        std::string error;
        if (!writeFileSafely(path, encodeLedger(yearOfBooks(year)), error)) {
            std::printf("year at a glance: cannot write %s: %s\n", path.c_str(), error.c_str());
            return 1;
        }
        archives.push_back(path);
    }
    installLedgerImage(yearOfBooks(2025));
    for (const std::string& a : archives) ledger.beside.archives.push_back({a, 0, 0});

    activation = SetWindowsHookExA(WH_CBT, onActivate, nullptr, GetCurrentThreadId());
    HHOOK messages = SetWindowsHookExA(WH_GETMESSAGE, onMessage, nullptr, GetCurrentThreadId());
    const int rounds = 5;
    double openTotal = 0, openBest = 1e9;
    for (int round = 0; round <= rounds; ++round) {
        if (round == 1) switches.clear();  // the first round warms up
        auto start = Clock::now();
        showYearAtAGlance(mainWindow);
        double ms = std::chrono::duration<double, std::milli>(openedAt - start).count();
        if (round == 0) continue;
        openTotal += ms;
        if (ms < openBest) openBest = ms;
    }
    UnhookWindowsHookEx(messages);
    UnhookWindowsHookEx(activation);
    double switchTotal = 0, switchWorst = 0;
    for (double s : switches) {
        switchTotal += s;
        if (s > switchWorst) switchWorst = s;
    }
    std::printf("year at a glance open: %.1f ms (mean of %d, best %.1f ms; 5000 transactions and 10 archive files "
                "of 5000)\n",
                openTotal / rounds, rounds, openBest);
    std::printf("year at a glance switch: %.1f ms (mean of %zu, worst %.1f ms)\n",
                switchTotal / static_cast<double>(switches.size()), switches.size(), switchWorst);
    std::printf("year at a glance peak memory: %.1f MiB\n", peakMiB());
    for (const std::string& a : archives) DeleteFileA(a.c_str());
    DestroyWindow(mainWindow);
    return 0;
}
