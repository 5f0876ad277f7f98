// The ledger reader on any bytes: whatever it accepts must be sound tables
// that save and load again unchanged; whatever loadLedger refuses must be
// refused with a message and leave the open ledger as it was.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "ledger/ledger_file.h"
#include "tests/support/ledger_invariants.h"
#include "tests/support/load_check.h"

namespace {

std::string scratchFolder;

void removeScratch() {
    unlink((scratchFolder + "/input.qvl").c_str());
    rmdir(scratchFolder.c_str());
}

// In memory when the system offers it: a file per input on disk is slow.
std::string scratchFile() {
    std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm/quirvel-fuzz-XXXXXX" : "/tmp/quirvel-fuzz-XXXXXX";
    FUZZ_CHECK(mkdtemp(&folder[0]) != nullptr);
    scratchFolder = folder;
    std::atexit(removeScratch);
    return scratchFolder + "/input.qvl";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = scratchFile();
    static ScriptedPrompts prompts;
    const double rate = 0.0725;
    Bytes bytes(data, data + size);

    DecodeResult first = decodeLedger(bytes, rate);
    if (first.status == DecodeStatus::ok) {
        FUZZ_CHECK(imageInvariantProblem(first.image).empty());
        // The round trip: what is read is written as version 3 and reads back
        // as the same tables, and writing those gives the same bytes.
        Bytes once = encodeLedger(first.image);
        DecodeResult second = decodeLedger(once, rate);
        FUZZ_CHECK(second.status == DecodeStatus::ok && second.version == 3 && second.hadHeader);
        FUZZ_CHECK(!second.badReferences);
        FUZZ_CHECK(sameImage(second.image, first.image));
        FUZZ_CHECK(encodeLedger(second.image) == once);
    }

    combinedTaxRate = rate;
    LoadCheck load = loadChecked(path, bytes, prompts);
    if (!load.problem.empty()) std::fprintf(stderr, "%s\n", load.problem.c_str());
    FUZZ_CHECK(load.problem.empty());
    FUZZ_CHECK(load.loaded == (first.status == DecodeStatus::ok));
    if (load.loaded) FUZZ_CHECK(sameImage(currentLedgerImage(), first.image));
    return 0;
}
