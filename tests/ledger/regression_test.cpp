// Ledger files at every boundary of the format, and every input that once
// broke the reader or the archive (kept in tests/ledger/regressions), load
// soundly or are refused with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/boundary_ledgers.h"
#include "ledger/archive.h"
#include "tests/support/load_check.h"
#include "tests/support/temp_folder.h"

namespace {

class LedgerRegression : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        dataFolder = folder.path();
    }
    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(LedgerRegression, BoundaryFilesLoadOrAreRefusedAsExpected) {
    for (const BoundaryLedger& boundary : boundaryLedgers()) {
        SCOPED_TRACE(boundary.name);
        LoadCheck r = loadChecked(folder.file(boundary.name), boundary.bytes, prompts);
        EXPECT_EQ(r.problem, "");
        EXPECT_EQ(r.loaded, boundary.loads);
        EXPECT_EQ(r.messages, boundary.messages);
        if (boundary.savedAlike) EXPECT_EQ(encodeLedger(currentLedgerImage()), boundary.bytes);
    }
}

TEST_F(LedgerRegression, CapacitiesAndIndicesAtTheirLimits) {
    auto named = [](const std::string& name) {
        for (const BoundaryLedger& s : boundaryLedgers())
            if (s.name == name + ".qvl") return s;
        ADD_FAILURE() << name;
        return BoundaryLedger{};
    };
    ASSERT_TRUE(loadChecked(folder.file("a.qvl"), named("v3-everything-full").bytes, prompts).loaded);
    EXPECT_EQ(transactionCount, 5000);
    EXPECT_EQ(descrCount, 500);
    EXPECT_EQ(nameCount, 1000);
    EXPECT_EQ(names[1000].size(), 255u);

    ASSERT_TRUE(loadChecked(folder.file("b.qvl"), named("v3-index-past-count").bytes, prompts).loaded);
    EXPECT_EQ(transactions[1].descrIndex, 1);  // equal to the count: kept
    EXPECT_EQ(transactions[1].nameIndex, 1);
    EXPECT_EQ(transactions[2].descrIndex, 0);  // one past: cleared
    EXPECT_EQ(transactions[2].nameIndex, 0);

    ASSERT_TRUE(loadChecked(folder.file("c.qvl"), named("v3-entry-lengths-0-and-255").bytes, prompts).loaded);
    EXPECT_EQ(descriptions[1], "");
    EXPECT_EQ(descriptions[2].size(), 255u);
    EXPECT_EQ(descriptionText(1), "");
}

TEST_F(LedgerRegression, InputsThatOnceFailedLoadSoundly) {
    namespace fs = std::filesystem;
    fs::path kept = fs::path(__FILE__).parent_path() / "regressions";
    ASSERT_TRUE(fs::is_directory(kept)) << kept;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(kept))
        if (e.is_regular_file() && e.path().extension() != ".md") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no inputs kept in " << kept;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LoadCheck r = loadChecked(folder.file("input.qvl"), bytes, prompts);
        EXPECT_EQ(r.problem, "");
        if (r.loaded) {
            // What loads saves and loads again as the same tables.
            LedgerImage loaded = currentLedgerImage();
            DecodeResult again = decodeLedger(encodeLedger(loaded), combinedTaxRate);
            EXPECT_TRUE(again.status == DecodeStatus::ok && sameImage(again.image, loaded));

            // An archive chosen over the open ledger's own file is refused and
            // leaves both the file and the tables as they were.
            const Bytes onDisk = folder.read("input.qvl");
            prompts.messages.clear();
            prompts.chosenFiles = {folder.file("input.qvl")};
            archiveUpTo("2099");
            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].title, "File Error");
            EXPECT_EQ(folder.read("input.qvl"), onDisk);
            EXPECT_TRUE(sameImage(currentLedgerImage(), loaded));
        }
    }
}

}  // namespace
