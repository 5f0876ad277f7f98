// Loading and saving a full ledger (5000 transactions, 500 descriptions,
// 1000 names) through the program's own file code.
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "bench/full_ledger.h"
#include "ledger/ledger_file.h"


int main() {
    resetLedgerTables();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "quirvel-bench.qvl";
    installLedgerImage(fullLedgerImage());
    ledgerPath = path;
    const int rounds = 50;
    using clock = std::chrono::steady_clock;
    auto t0 = clock::now();
    for (int i = 0; i < rounds; ++i) saveLedger();
    auto t1 = clock::now();
    for (int i = 0; i < rounds; ++i) loadLedger(path);
    auto t2 = clock::now();
    auto ms = [&](clock::duration d) { return std::chrono::duration<double, std::milli>(d).count() / rounds; };
    std::printf("full ledger (%u transactions, %u descriptions, %u names), %zu bytes\n", transactionCount, descrCount,
                nameCount, encodeLedger(currentLedgerImage()).size());
    std::printf("save: %.2f ms per save (mean of %d)\n", ms(t1 - t0), rounds);
    std::printf("load: %.2f ms per load (mean of %d)\n", ms(t2 - t1), rounds);
    DeleteFileA(path.c_str());
    DeleteFileA(backupFileFor(path).c_str());
    return 0;
}
