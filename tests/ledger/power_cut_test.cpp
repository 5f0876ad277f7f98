// A power cut at any moment of a save. Each test runs a save, Save As,
// Archive or settings write on a disk in memory that records every
// operation, then replays every state a power cut could leave on the disk
// and opens the books from it as the program would on the next start.
//
// What the disk keeps (the model, for Windows on NTFS):
// - Operations on names (create, hard link, rename or replace, delete) are
//   kept in the order they were made: NTFS logs its metadata changes in a
//   journal and replays or undoes them whole after a crash, so a crash keeps
//   the first so many of them and none after ("NTFS overview", Microsoft
//   Learn; "Transaction logging", Windows Internals, ch. 11). A state is
//   therefore taken after every prefix of the recorded operations.
// - Data written to a file is only sure to be on the disk once
//   FlushFileBuffers on that file has returned ("FlushFileBuffers function",
//   Microsoft Learn); the journal does not cover it. A write not yet flushed
//   may be kept, lost (read back as zeros, as NTFS does past a file's valid
//   data, or with the file not lengthened for it), or torn at a 512-byte
//   sector or 4 KiB page boundary: a first part kept, the rest lost.
// - Nothing orders a rename before or after data not yet flushed: a name
//   may reach the disk leading to data that never did
//   (MOVEFILE_WRITE_THROUGH waits for the rename only, "MoveFileExA
//   function", Microsoft Learn). This is the crash that the studies of
//   application-level crash consistency found most often (Pillai et al.,
//   "All File Systems Are Not Created Equal", OSDI 2014).
//
// Each state is checked for what the user must find: the ledger whole and
// either the version before the save or the one saved, byte for byte, never
// a mix or an empty ledger; its side file belonging to that version or
// known not to and then only hints (no entry posted twice); the backup
// whole; and the next save from that state leaving a whole ledger, backup
// and side file and no temporary file. The host suite checks a sample of
// the tears; QUIRVEL_POWER_CUT_ALL=1 checks every one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

#include "ledger/archive.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/schedules.h"
#include "ledger/settings.h"
#include "ledger/side_file.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/recording_disk.h"
#include "tests/support/scripted_prompts.h"
#include "text/date_text.h"

namespace {

const std::string folder = "C:\\Books\\";
const std::string books = folder + "books.qvl";

bool everyState() {
    const char* all = std::getenv("QUIRVEL_POWER_CUT_ALL");
    return all && *all && std::string(all) != "0";
}

bool endsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Books big enough that writing the ledger takes three writes, one torn.
LedgerImage bigBooks(int count) {
    LedgerImage image = sampleImage();
    image.transactions.clear();
    for (int i = 0; i < count; ++i)
        image.transactions.push_back(makeTransaction("01-01-2007", typeService, 1, 1, i + 1));
    return image;
}

Schedule monthlyRent() {
    Schedule s;
    s.record.type = typeExpense;
    s.record.amount = 120000;
    s.description = "Office rent";
    s.name = "Landlord";
    s.rule.day = 1;
    s.rule.first = packDate("01-01-2008");
    return s;
}

std::string shown(const DiskContents& contents) {
    std::string out;
    for (const auto& [name, bytes] : contents) out += "  " + name + " (" + std::to_string(bytes.size()) + " bytes)\n";
    return out;
}

const Bytes* fileIn(const DiskContents& contents, const std::string& name) {
    for (const auto& [n, bytes] : contents)
        if (RecordingDisk::key(n) == RecordingDisk::key(name)) return &bytes;
    return nullptr;
}

class PowerCut : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        disk.install();
        disk.makeFolder(folder);
        dataFolder = folder;
    }
    void TearDown() override { resetLedgerTables(); }

    // Records `write` from the disk as it is now, and returns its states.
    std::vector<CrashState> statesOf(const std::function<void()>& write) {
        disk.reset(disk.contents());
        write();
        std::vector<CrashState> states = disk.crashStates(!everyState());
        recorded = disk.operations();
        std::printf("power cut: %zu operations, %zu states checked\n", disk.operations().size(), states.size());
        return states;
    }

    // The operations that led to a state, for a failure's message.
    std::string story(const CrashState& s) const {
        std::string out = "after " + std::to_string(s.issued) + " operations, " + s.how + ":\n";
        for (size_t i = 0; i < s.issued; ++i)
            out += "  " + std::to_string(i + 1) + ". " + recorded[i].describe() + "\n";
        return out + "leaving\n" + shown(s.contents);
    }

    // The program starts on the state and opens the books at path: they
    // open, whole, as one of the versions given.
    void opensAsOneOf(const CrashState& s, const std::string& path, const std::vector<Bytes>& versions) {
        disk.reset(s.contents);
        resetLedgerTables();
        dataFolder = folder;
        const Bytes* bytes = fileIn(s.contents, path);
        ASSERT_NE(bytes, nullptr) << story(s);
        bool known = false;
        for (const Bytes& v : versions) known = known || *bytes == v;
        ASSERT_TRUE(known) << path << " is neither version: " << story(s);
        ScriptedPrompts quiet;
        ASSERT_TRUE(loadLedger(path)) << story(s);
        EXPECT_TRUE(quiet.messages.empty()) << quiet.messages[0].text << "\n" << story(s);
        EXPECT_EQ(encodeLedger(currentLedgerImage()), *bytes) << story(s);
    }

    // The side file beside path either belongs to the ledger there (and is
    // the one saved with it) or is taken as hints only.
    void sideFileFits(const CrashState& s, const std::string& path, const std::map<std::string, Bytes>& sideOf) {
        const Bytes* ledgerBytes = fileIn(s.contents, path);
        const Bytes* side = fileIn(s.contents, sideFilePathFor(path));
        if (!side) return;
        SideFile file;
        ASSERT_TRUE(decodeSideFile(*side, file)) << "a damaged side file: " << story(s);
        std::string version(ledgerBytes->begin(), ledgerBytes->end());
        if (file.hasLedger && file.ledger == identityOf(*ledgerBytes)) {
            auto expected = sideOf.find(version);
            ASSERT_NE(expected, sideOf.end()) << story(s);
            EXPECT_EQ(*side, expected->second) << "a side file naming this ledger but not saved with it: " << story(s);
            for (const Schedule& sc : ledger.beside.schedules) EXPECT_FALSE(sc.hint) << story(s);
        } else {
            for (const Schedule& sc : ledger.beside.schedules) EXPECT_TRUE(sc.hint) << story(s);
            for (const BankLine& l : ledger.beside.lines) EXPECT_TRUE(l.hint) << story(s);
        }
    }

    // The due entries as the Due Entries dialog checks them, posted: no
    // schedule's entry is then in the books twice.
    void postingTheCheckedOnesPostsNothingTwice(const CrashState& s, uint16_t today) {
        std::vector<DuePosting> post;
        for (const DueEntry& e : dueEntries(today))
            if (!e.inBooks) post.push_back({e.schedule, e.date, 0});
        ScriptedPrompts quiet;
        postDueEntries(post, {});
        std::map<uint16_t, int> rents;
        for (int i = 1; i <= transactionCount; ++i)
            if (transactions[i].type == typeExpense && transactions[i].amount == 120000) ++rents[transactions[i].date];
        for (const auto& [date, n] : rents) EXPECT_EQ(n, 1) << formatDate(date) << ": " << story(s);
    }

    // The next save from the state: a whole ledger, its backup the file it
    // replaced, a side file of its own and no temporary file left.
    void nextSaveIsWhole(const CrashState& s, const std::string& path) {
        const DiskContents now = disk.contents();
        const Bytes* was = fileIn(now, path);
        Bytes before = was ? *was : Bytes();
        placeTransaction(makeTransaction("06-30-2009", typeEarnings, 5, 3, 777));
        commitStep("New record");
        ScriptedPrompts answers;
        ASSERT_TRUE(saveLedger()) << story(s);
        DiskContents after = disk.contents();
        ASSERT_NE(fileIn(after, path), nullptr);
        Bytes saved = encodeLedger(currentLedgerImage());
        EXPECT_EQ(*fileIn(after, path), saved) << story(s);
        ASSERT_NE(fileIn(after, backupFileFor(path)), nullptr) << story(s);
        if (!before.empty()) EXPECT_EQ(*fileIn(after, backupFileFor(path)), before) << story(s);
        // Books with nothing to keep beside them have no side file.
        SideFile side;
        const Bytes* sideBytes = fileIn(after, sideFilePathFor(path));
        if (sideBytes) {
            ASSERT_TRUE(decodeSideFile(*sideBytes, side));
            EXPECT_EQ(side.ledger, identityOf(saved)) << story(s);
        } else {
            EXPECT_TRUE(ledger.beside.empty()) << story(s);
        }
        // What a cut write of these files left is gone (an archive's is
        // never read: no ledger or side file has its name).
        for (const std::string& file : {path, backupFileFor(path), sideFilePathFor(path),
                                         backupFileFor(sideFilePathFor(path))})
            EXPECT_EQ(fileIn(after, temporaryFileFor(file)), nullptr) << temporaryFileFor(file) << " left: " << story(s);
    }

    // Books saved once, then changed: the bytes saved.
    Bytes savedThenChanged() {
        installLedgerImage(bigBooks(3000));
        ledgerPath = books;
        EXPECT_TRUE(saveLedger());
        const Bytes saved = *fileIn(disk.contents(), books);
        placeTransaction(makeTransaction("12-01-2007", typeService, 1, 1, 4242));
        commitStep("New record");
        return saved;
    }

    RecordingDisk disk;
    std::vector<DiskOperation> recorded;
    ScriptedPrompts prompts;
};

// Two saves before: the ledger has a backup and a side file with its own.
// The save replayed posts two months of rent and adds a record.
TEST_F(PowerCut, Save) {
    installLedgerImage(bigBooks(3000));
    uint32_t rent = addSchedule(monthlyRent());
    ledgerPath = books;
    ASSERT_TRUE(saveLedger());
    placeTransaction(makeTransaction("12-01-2007", typeService, 1, 1, 4242));
    commitStep("New record");
    ASSERT_TRUE(saveLedger());
    const Bytes oldBackup = *fileIn(disk.contents(), backupFileFor(books));
    const Bytes oldBooks = *fileIn(disk.contents(), books);
    std::map<std::string, Bytes> sideOf;
    sideOf[std::string(oldBooks.begin(), oldBooks.end())] = *fileIn(disk.contents(), sideFilePathFor(books));

    const uint16_t today = packDate("03-15-2008");
    ASSERT_EQ(postDueEntries({{rent, packDate("01-01-2008"), 0}, {rent, packDate("02-01-2008"), 0}}, {}), 2);
    std::vector<CrashState> states = statesOf([] { ASSERT_TRUE(saveLedger()); });
    const Bytes newBooks = *fileIn(disk.contents(), books);
    sideOf[std::string(newBooks.begin(), newBooks.end())] = *fileIn(disk.contents(), sideFilePathFor(books));
    ASSERT_GT(states.size(), 20u);

    for (const CrashState& s : states) {
        opensAsOneOf(s, books, {oldBooks, newBooks});
        sideFileFits(s, books, sideOf);
        const Bytes* backup = fileIn(s.contents, backupFileFor(books));
        ASSERT_NE(backup, nullptr) << story(s);
        EXPECT_TRUE(*backup == oldBackup || *backup == oldBooks) << "the backup is neither: " << story(s);
        postingTheCheckedOnesPostsNothingTwice(s, today);
        nextSaveIsWhole(s, books);
        if (HasFailure()) break;
    }
}

// Save As over another ledger: that file is its old self or the new books,
// and the books saved from stay as they were.
TEST_F(PowerCut, SaveAsOverAnotherLedger) {
    installLedgerImage(sampleImage());
    ledgerPath = folder + "other.qvl";
    ASSERT_TRUE(saveLedger());
    const Bytes other = *fileIn(disk.contents(), ledgerPath);
    const DiskContents first = disk.contents();
    const Bytes* otherSide = fileIn(first, sideFilePathFor(ledgerPath));
    const Bytes otherSideBytes = otherSide ? *otherSide : Bytes();
    resetLedgerTables();
    dataFolder = folder;
    installLedgerImage(bigBooks(3000));
    addSchedule(monthlyRent());
    ledgerPath = books;
    ASSERT_TRUE(saveLedger());
    const Bytes original = *fileIn(disk.contents(), books);

    prompts.chosenFiles = {folder + "other.qvl"};
    std::vector<CrashState> states = statesOf([] { ASSERT_TRUE(saveLedgerAs()); });
    const Bytes saved = *fileIn(disk.contents(), folder + "other.qvl");
    std::map<std::string, Bytes> sideOf;
    sideOf[std::string(saved.begin(), saved.end())] = *fileIn(disk.contents(), sideFilePathFor(folder + "other.qvl"));
    sideOf[std::string(other.begin(), other.end())] = otherSideBytes;

    for (const CrashState& s : states) {
        EXPECT_EQ(*fileIn(s.contents, books), original) << story(s);
        opensAsOneOf(s, folder + "other.qvl", {other, saved});
        sideFileFits(s, folder + "other.qvl", sideOf);
        nextSaveIsWhole(s, folder + "other.qvl");
        if (HasFailure()) break;
    }
}

// Archive over an older archive file: the archive is the old file or the
// new one, whole; its side file names it or is known not to; the working
// ledger on disk is untouched, and saving it afterwards is whole.
TEST_F(PowerCut, Archive) {
    const std::string archivePath = folder + "old.qvl";
    installLedgerImage(sampleImage());
    ledgerPath = archivePath;
    ASSERT_TRUE(saveLedger());
    const Bytes olderArchive = *fileIn(disk.contents(), archivePath);
    resetLedgerTables();
    dataFolder = folder;
    LedgerImage image = bigBooks(4000);
    for (int i = 0; i < 2000; ++i) image.transactions[static_cast<size_t>(i)].date = packDate("06-01-2006");
    // A line of the tax form goes with the archive into its side file.
    image.beside.tax.assignments.push_back({1, "Consulting", "gross"});
    installLedgerImage(image);
    ledgerPath = books;
    ASSERT_TRUE(saveLedger());
    const Bytes working = *fileIn(disk.contents(), books);

    prompts.chosenFiles = {archivePath};
    std::vector<CrashState> states = statesOf([] { ASSERT_EQ(archiveUpTo("12-31-2006"), 2000); });
    const Bytes archive = *fileIn(disk.contents(), archivePath);
    const LedgerImage after = currentLedgerImage();
    std::map<std::string, Bytes> sideOf;
    sideOf[std::string(archive.begin(), archive.end())] = *fileIn(disk.contents(), sideFilePathFor(archivePath));

    for (const CrashState& s : states) {
        EXPECT_EQ(*fileIn(s.contents, books), working) << story(s);
        opensAsOneOf(s, archivePath, {olderArchive, archive});
        sideFileFits(s, archivePath, sideOf);
        // The working books, as Archive left them in memory, saved.
        resetLedgerTables();
        dataFolder = folder;
        installLedgerImage(after);
        ledgerPath = books;
        nextSaveIsWhole(s, books);
        if (HasFailure()) break;
    }
}

// The settings file is the old one or the new one, and reads as it.
TEST_F(PowerCut, SettingsFile) {
    ledgerPath = books;
    stateTaxRate = 0.05;
    ASSERT_TRUE(writeSettings());
    const Bytes before = *fileIn(disk.contents(), settingsPath());
    ledgerPath = folder + "another year.qvl";
    stateTaxRate = 0.0625;
    countyTaxRate = 0.01;
    std::vector<CrashState> states = statesOf([] { ASSERT_TRUE(writeSettings()); });
    const Bytes after = *fileIn(disk.contents(), settingsPath());

    for (const CrashState& s : states) {
        disk.reset(s.contents);
        const Bytes* file = fileIn(s.contents, settingsPath());
        ASSERT_NE(file, nullptr) << story(s);
        EXPECT_TRUE(*file == before || *file == after) << story(s);
        ledgerPath.clear();
        readSettings();
        EXPECT_TRUE(ledgerPath == books || ledgerPath == folder + "another year.qvl") << story(s);
        if (HasFailure()) break;
    }
}

// Where the file system has no hard links the backup is a copy: flushed
// before its name leads to it, or a power cut could leave a backup of zeros.
TEST_F(PowerCut, BackupCopiedWhereThereAreNoHardLinks) {
    disk.hardLinks = false;
    const Bytes oldBooks = savedThenChanged();
    std::vector<CrashState> states = statesOf([] { ASSERT_TRUE(saveLedger()); });
    for (const CrashState& s : states) {
        const Bytes* backup = fileIn(s.contents, backupFileFor(books));
        if (backup) EXPECT_EQ(*backup, oldBooks) << "a torn backup: " << story(s);
        if (HasFailure()) break;
    }
}

// The replay finds a save that names data it never flushed: a disk that
// forgets flushes gives states where the ledger is neither version.
TEST_F(PowerCut, ReplayCatchesASaveWithoutItsFlush) {
    const Bytes oldBooks = savedThenChanged();
    disk.keepsFlushes = false;
    std::vector<CrashState> states = statesOf([] { ASSERT_TRUE(saveLedger()); });
    const Bytes newBooks = *fileIn(disk.contents(), books);
    int broken = 0;
    for (const CrashState& s : states) {
        const Bytes* bytes = fileIn(s.contents, books);
        if (bytes && *bytes != oldBooks && *bytes != newBooks) ++broken;
    }
    EXPECT_GT(broken, 0);
}

}  // namespace
