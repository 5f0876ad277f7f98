// Ledger files written byte by byte, independently of the program's writer:
// every version, and the boundaries of every count, length and index. They
// start the fuzzer and the regression test loads each one.
#pragma once
#include <string>
#include <vector>

#include "ledger/file_access.h"

struct BoundaryLedger {
    std::string name;     // file name, ending in .qvl
    Bytes bytes;
    bool loads;           // false: refused
    size_t messages;      // notices and errors the load shows
    bool savedAlike;      // once loaded, a save writes these very bytes
};

std::vector<BoundaryLedger> boundaryLedgers();
