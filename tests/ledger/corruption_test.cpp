// Damaged ledger files: every truncation and every single-byte change of a
// few small ledgers either loads as sound tables or is refused with a
// message; nothing reads or writes outside the tables.
#include <gtest/gtest.h>

#include "fuzz/boundary_ledgers.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/load_check.h"
#include "tests/support/temp_folder.h"

namespace {

struct Reference {
    const char* name;
    Bytes bytes;
};

Bytes start(const std::string& name) {
    for (const BoundaryLedger& s : boundaryLedgers())
        if (s.name == name) return s.bytes;
    return {};
}

// Small ledgers of each layout: version 3 with both lists, version 2 and
// the header-less version 0.
std::vector<Reference> references() {
    return {{"version 3", encodeLedger(sampleImage())}, {"version 2", start("v2-sample.qvl")},
            {"version 0", start("v0-sample.qvl")}};
}

class LedgerCorruption : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        dataFolder = folder.path();
    }
    // Loads one damaged file; true when it was sound.
    bool tryFile(const Bytes& bytes, const std::string& what) {
        LoadCheck r = loadChecked(folder.file("damaged.qvl"), bytes, prompts);
        if (r.problem.empty() && r.loaded) {
            LedgerImage loaded = currentLedgerImage();
            DecodeResult again = decodeLedger(encodeLedger(loaded), combinedTaxRate);
            if (!sameImage(again.image, loaded)) r.problem = "saved and loaded again it differs";
        }
        if (!r.problem.empty()) ADD_FAILURE() << what << ": " << r.problem;
        return r.problem.empty();
    }
    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(LedgerCorruption, EveryTruncationLoadsOrIsRefused) {
    for (const Reference& ref : references()) {
        ASSERT_FALSE(ref.bytes.empty());
        for (size_t length = 0; length < ref.bytes.size(); ++length)
            if (!tryFile(Bytes(ref.bytes.begin(), ref.bytes.begin() + static_cast<long>(length)),
                         std::string(ref.name) + " cut to " + std::to_string(length)))
                return;
    }
}

// Every value at every position through the reader itself; through a real
// file and loadLedger the values most likely to matter (a load from disk
// costs too much to take all 256 at every position).
TEST_F(LedgerCorruption, EverySingleByteChangeLoadsOrIsRefused) {
    for (const Reference& ref : references()) {
        for (size_t pos = 0; pos < ref.bytes.size(); ++pos) {
            uint8_t original = ref.bytes[pos];
            Bytes damaged = ref.bytes;
            for (int value = 0; value < 256; ++value) {
                if (value == original) continue;
                damaged[pos] = static_cast<uint8_t>(value);
                DecodeResult r = decodeLedger(damaged, 0.0625);
                if (r.status != DecodeStatus::ok) continue;
                ASSERT_EQ(imageInvariantProblem(r.image), "") << ref.name << ", byte " << pos << " = " << value;
            }
            for (int value : {0x00, 0xFF, original ^ 0x01, original ^ 0x80}) {
                if (value == original) continue;
                damaged[pos] = static_cast<uint8_t>(value);
                if (!tryFile(damaged, std::string(ref.name) + ", byte " + std::to_string(pos) + " = " +
                                          std::to_string(value)))
                    return;
            }
        }
    }
}

}  // namespace
