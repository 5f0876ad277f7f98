// The list of due entries when the books come back after three years
// closed: 100 schedules of every kind of rule over a full ledger, each
// handled up to three years before today. Prints the median of several
// rounds, then the best and worst and how many entries were due.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/full_ledger.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/schedules.h"
#include "ledger/tables.h"
#include "text/date_text.h"

namespace {

Schedule scheduleNumber(int i, uint16_t first, uint16_t handled) {
    Schedule s;
    s.id = static_cast<uint32_t>(i + 1);
    s.record.type = static_cast<uint8_t>(1 + i % 6);
    s.record.amount = 1000 + i * 37;
    s.description = "Description number " + std::to_string(1 + i * 5);
    s.name = "Customer or supplier " + std::to_string(1 + i * 9);
    ScheduleRule& r = s.rule;
    r.first = first;
    switch (i % 5) {
    case 0: r.unit = ScheduleRule::months; r.day = static_cast<uint8_t>(1 + i % 31); break;
    case 1: r.unit = ScheduleRule::months; r.dayKind = ScheduleRule::lastDay; break;
    case 2: r.unit = ScheduleRule::months; r.every = 3; r.dayKind = ScheduleRule::nthWeekday;
            r.week = static_cast<uint8_t>(1 + i % 5); r.weekday = static_cast<uint8_t>(i % 7); break;
    case 3: r.unit = ScheduleRule::weeks; r.every = static_cast<uint16_t>(1 + i % 2); break;
    default: r.unit = ScheduleRule::years; r.day = 29; break;
    }
    s.handledUpTo = handled;
    return s;
}

}  // namespace

int main() {
    LedgerImage image = fullLedgerImage();
    image.transactions.resize(4000);
    const uint16_t first = packDate("01-01-2020"), handled = packDate("06-30-2023"), today = packDate("06-30-2026");
    for (int i = 0; i < 100; ++i) image.beside.schedules.push_back(scheduleNumber(i, first, handled));
    installLedgerImage(image);

    const int rounds = 9;
    std::vector<double> times;
    size_t due = 0;
    for (int round = 0; round <= rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        due = dueEntries(today).size();
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (round > 0) times.push_back(ms);  // the first round warms up
    }
    std::sort(times.begin(), times.end());
    std::printf("due entries: %.2f ms for 100 schedules\n", times[times.size() / 2]);
    std::printf("due entries rounds: median of %d, best %.2f ms, worst %.2f ms; %d entries due over %d transactions\n",
                rounds, times.front(), times.back(), static_cast<int>(due), static_cast<int>(transactionCount));
    return 0;
}
