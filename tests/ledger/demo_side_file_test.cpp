// scripts/write_demo_side_file.py writes the side file that makes the
// demonstration's books remember their archive of 2024: run here on copies
// of the samples, its file must be one this program writes and reads, and
// the books opened with it must show both years.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "ledger/ledger_file.h"
#include "ledger/schedules.h"
#include "ledger/side_file.h"
#include "reports/year_glance.h"
#include "tests/support/temp_folder.h"
#include "text/date_text.h"

namespace {

std::string sourceRoot() {
    std::string here = __FILE__;
    return here.substr(0, here.find_last_of("/\\") + 1) + "../../";
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A word for the shell, in single quotes.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class DemoSideFile : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        combinedTaxRate = 0.0725;
        ledgerBytes = readFile(sourceRoot() + "samples/demo.qvl");
        ASSERT_FALSE(ledgerBytes.empty()) << "samples/demo.qvl is missing";
        folder.write("demo.qvl", ledgerBytes);
        folder.write("demo-2024.qvl", readFile(sourceRoot() + "samples/demo-2024.qvl"));
    }
    void TearDown() override { resetLedgerTables(); }

    // Runs the script on the copy of demo.qvl; its exit status.
    int writeSideFile(const std::string& archivePath, const std::string& option = "") {
        std::string command = "python3 " + quoted(sourceRoot() + "scripts/write_demo_side_file.py") + " " + option +
                              " " + quoted(folder.file("demo.qvl")) + " " + quoted(archivePath) + " 2>/dev/null";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempFolder folder;
    Bytes ledgerBytes;
};

TEST_F(DemoSideFile, IsWhatTheProgramWritesNamingTheLedgerAndTheArchive) {
    const std::string archive = "Z:\\home\\pat\\bike shop\\demo-2024.qvl";
    ASSERT_EQ(writeSideFile(archive), 0);
    Bytes written = folder.read("demo.qvl-import");
    SideFile file;
    ASSERT_TRUE(decodeSideFile(written, file)) << std::string(written.begin(), written.end());
    EXPECT_TRUE(file.hasLedger);
    EXPECT_EQ(file.ledger, identityOf(ledgerBytes));
    ASSERT_EQ(file.data.archives.size(), 1u);
    EXPECT_EQ(file.data.archives[0].path, archive);
    EXPECT_EQ(file.data.archives[0].cutoff, packDate("12-31-2024"));
    EXPECT_EQ(file.data.archives[0].writtenOn, packDate("01-07-2025"));
    EXPECT_TRUE(file.data.lines.empty());
    EXPECT_TRUE(file.data.balances.empty());
    EXPECT_TRUE(file.data.otherRecords.empty());
    // The lines the shop confirmed, and its inventory of 2025.
    ASSERT_EQ(file.data.tax.assignments.size(), 13u);
    EXPECT_EQ(file.data.tax.assignments[6].text, "Shop rent");
    EXPECT_EQ(file.data.tax.assignments[6].line, "rentOther");
    ASSERT_EQ(file.data.tax.inventories.size(), 1u);
    EXPECT_EQ(file.data.tax.inventories[0].end, 212000);
    // Byte for byte as a save would write it: header, records, count, CR LF.
    EXPECT_EQ(encodeSideFile(file), written);

    // Another ledger's bytes are not the ones it names.
    Bytes changed = ledgerBytes;
    changed.back() ^= 1;
    EXPECT_NE(file.ledger, identityOf(changed));
}

TEST_F(DemoSideFile, TheBooksOpenRememberingTheYearBefore) {
    ASSERT_EQ(writeSideFile(folder.file("demo-2024.qvl")), 0);
    ASSERT_TRUE(loadLedger(folder.file("demo.qvl")));
    EXPECT_FALSE(ledger.sideFileDamaged);
    ASSERT_EQ(ledger.beside.archives.size(), 1u);
    EXPECT_EQ(ledger.beside.archives[0].path, folder.file("demo-2024.qvl"));

    std::vector<GlanceSource> sources = glanceSources();
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[1].problem, "");
    EXPECT_EQ(glanceYears(sources), (std::vector<int>{2024, 2025}));
    Glance g = computeGlance(sources, 2025, 2024, GlanceGroup::description);
    EXPECT_GT(g.income.total.total, 0);
    EXPECT_GT(g.income.total.compared, 0);
    EXPECT_GT(g.expenses.total.total, 0);
    EXPECT_GT(g.expenses.total.compared, 0);

    // Its schedules, handled up to today: nothing is offered at start-up.
    ASSERT_EQ(ledger.beside.schedules.size(), 4u);
    EXPECT_EQ(ledger.beside.schedules[0].description, "Shop rent");
    EXPECT_FALSE(ledger.beside.schedules[0].hint);
    EXPECT_TRUE(dueEntries(todayPacked()).empty());
}

TEST_F(DemoSideFile, WithDueTheLastMonthAndAHalfIsDue) {
    ASSERT_EQ(writeSideFile(folder.file("demo-2024.qvl"), "--due"), 0);
    ASSERT_TRUE(loadLedger(folder.file("demo.qvl")));
    std::vector<DueEntry> due = dueEntries(todayPacked());
    // Rent, phone and the courier's service monthly: at least one of each.
    EXPECT_GE(due.size(), 3u);
    EXPECT_LE(due.size(), 7u);
    for (const DueEntry& e : due) EXPECT_FALSE(e.inBooks || e.unproven);
}

TEST_F(DemoSideFile, APathTheSideFileCannotHoldWritesNoFile) {
    EXPECT_NE(writeSideFile(""), 0);
    EXPECT_NE(writeSideFile("C:\\" + std::string(1100, 'x') + ".qvl"), 0);
    EXPECT_FALSE(fileExists(folder.file("demo.qvl-import")));
}

}  // namespace
