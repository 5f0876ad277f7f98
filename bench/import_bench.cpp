// Importing a bank statement of 5000 lines into a ledger that remembers
// 20,000 lines of earlier statements (the first 1000 of this one among
// them, archived since): reading, proposing, marking and filling the
// preview, timed from the file's bytes to the preview on the screen,
// painted; then the import itself. Prints the times and the peak memory of
// the process.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>


#include "app/main_window.h"
#include "bench/peak_memory.h"
#include "import/import_dialog.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "text/date_text.h"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point shownAt;
HHOOK hook = nullptr;
int closeWith = IDCANCEL;  // the button that ends the preview

// When the preview becomes active it has read, proposed and filled: paint
// it, note the time and close it with Import.
LRESULT CALLBACK watch(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE) {
        HWND w = reinterpret_cast<HWND>(wp);
        char caption[64] = "";
        GetWindowTextA(w, caption, sizeof caption);
        if (std::string(caption) == "Import Statement") {
            PostMessageA(w, WM_APP + 1, 0, 0);  // after the activation is complete
        }
    }
    return CallNextHookEx(hook, code, wp, lp);
}

const char* const payees[] = {"Paper Trail Office Supply", "Northwind Design", "Corner Coffee",  "City Fuel",
                            "Cloudbox Storage",          "Harbor Telecom",   "Bluebird Print", "Client Alvarez",
                            "Client Okafor",             "Metro Transit",    "Lumen Software", "Post & Parcel",
                            "Greenleaf Catering",        "Summit Insurance", "Client Brandt",  "Atlas Hardware",
                            "River Bank fee",            "Client Moreau",    "Kite Hosting",   "Oak Street Rent"};

// Line i of a statement of a year of business: twenty payees, money in and out.
struct BenchLine {
    int day, month, year;
    const char* payee;
    int64_t amount;
};
BenchLine benchLine(int i, int firstYear) {
    int p = (i * 7) % 20;
    bool in = p == 1 || p == 7 || p == 8 || p == 14 || p == 17;
    int64_t cents = (10 + (i * 37) % 900) * 100 + (i * 13) % 100;
    return {1 + i % 28, 1 + (i / 28) % 12, firstYear + i / (28 * 12), payees[p], in ? cents : -cents};
}

std::string statementText() {
    std::string text = "Date,Description,Amount\r\n";
    for (int i = 0; i < 5000; ++i) {
        BenchLine l = benchLine(i, 2020);
        char line[160];
        long long whole = (l.amount < 0 ? -l.amount : l.amount) / 100, cents = (l.amount < 0 ? -l.amount : l.amount) % 100;
        std::snprintf(line, sizeof line, "%02d/%02d/%04d,%s,%s%lld.%02lld\r\n", l.month, l.day, l.year, l.payee,
                      l.amount < 0 ? "-" : "", whole, cents);
        text += line;
    }
    return text;
}

// 19,000 lines of statements of the forty years before, and the first 1000 of
// this one, imported and archived since.
void rememberEarlierLines() {
    auto& lines = ledger.beside.lines;
    for (int i = 0; i < 20000; ++i) {
        BenchLine l = i < 1000 ? benchLine(i, 2020) : benchLine(i % (40 * 336), 1980);  // 1980 to 2019
        BankLine b;
        b.scope = "CSV Date,Description,Amount";
        b.importedOn = packDate("01-15-2026");
        b.date = packDate((std::to_string(100 + l.month).substr(1) + "-" + std::to_string(100 + l.day).substr(1) +
                           "-" + std::to_string(l.year)));
        b.amount = l.amount;
        b.payee = l.payee;
        b.name = l.payee;
        b.archivedTo = "C:\\bench\\2019.qvl";
        lines.push_back(b);
    }
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    resetAllState();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dataFolderOverride = temp;
    createMainWindow();
    // IMPORT_BENCH_NO_EARLIER=1 leaves them out, to see what they cost.
    if (!getenv("IMPORT_BENCH_NO_EARLIER")) rememberEarlierLines();
    std::string text = statementText();
    Bytes bytes(text.begin(), text.end());
    hook = SetWindowsHookExA(WH_CBT, watch, nullptr, GetCurrentThreadId());
    const int rounds = 5;
    double total = 0, best = 1e9;
    std::vector<ImportRow> rows;
    for (int round = 0; round <= rounds; ++round) {
        closeWith = round == rounds ? IDOK : IDCANCEL;  // the last one imports
        // The message the hook posts arrives once the dialog's loop runs.
        struct Closer {
            static LRESULT CALLBACK proc(int code, WPARAM wp, LPARAM lp) {
                auto* m = reinterpret_cast<MSG*>(lp);
                if (code == HC_ACTION && m->message == WM_APP + 1) {
                    RedrawWindow(m->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                    GdiFlush();
                    shownAt = Clock::now();
                    PostMessageA(m->hwnd, WM_COMMAND, MAKEWPARAM(closeWith, BN_CLICKED), 0);
                    m->message = WM_NULL;
                }
                return CallNextHookEx(nullptr, code, wp, lp);
            }
        };
        HHOOK closer = SetWindowsHookExA(WH_GETMESSAGE, Closer::proc, nullptr, GetCurrentThreadId());
        auto start = Clock::now();
        showImportPreview(nullptr, "C:\\bench\\statement.csv", bytes, rows);
        UnhookWindowsHookEx(closer);
        double ms = std::chrono::duration<double, std::milli>(shownAt - start).count();
        if (round == rounds) break;
        total += ms;
        if (ms < best) best = ms;
    }
    UnhookWindowsHookEx(hook);
    std::printf("import preview: 5000 CSV lines read, proposed and shown in %.1f ms (mean of %d, best %.1f ms)\n",
                total / rounds, rounds, best);

    // The import itself, with the proposals the preview made.
    auto start = Clock::now();
    int first = importCheckedRows(rows, 0);
    commitStep("Import rows");
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    auto added = std::count_if(rows.begin(), rows.end(), [](const ImportRow& r) { return r.checked; });
    std::printf("import: %d rows added (first at %d), %u transactions, %u names, %u descriptions in %.1f ms; "
                "%zu lines remembered\n",
                static_cast<int>(added), first, transactionCount, nameCount, descrCount, ms,
                ledger.beside.lines.size());
    std::printf("import preview: peak memory %.1f MiB\n", peakMiB());
    DestroyWindow(mainWindow);
    return 0;
}
