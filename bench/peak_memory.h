// The process's peak working set so far, in MiB, for the benchmarks.
#pragma once
#include <windows.h>

#include <psapi.h>

inline double peakMiB() {
    PROCESS_MEMORY_COUNTERS c = {};
    c.cb = sizeof c;
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return static_cast<double>(c.PeakWorkingSetSize) / (1024 * 1024);
}
