// Saving is all or nothing: whichever step of writing the ledger, the
// settings or an archive fails, once or from then on, the file on disk is
// the old one (or none), the user is told, the tables stay as they were and
// no temporary file is left behind. A ledger save keeps the file it
// replaces as NAME.bak, never writes over a file another program changed
// without asking, and never writes over the program's own files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ledger/changes.h"
#include "ledger/archive.h"
#include "ledger/settings.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/ledger_invariants.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"

namespace {


// Big enough to take three writes: a failure can fall between them.
LedgerImage bigImage() {
    LedgerImage image = sampleImage();
    image.transactions.clear();
    for (int i = 0; i < maxTransactions; ++i)
        image.transactions.push_back(makeTransaction("01-01-2007", typeService, 1, 1, i + 1));
    return image;
}

class FileSafety : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        dataFolder = folder.path();
    }
    void TearDown() override {
        setWriteFault(0, false);
    }

    std::vector<std::string> filesInFolder() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    void removeFile(const std::string& name) const { std::filesystem::remove(folder.file(name)); }

    // How many file operations a fault-free run of `write` counts.
    template <typename Write>
    int operationsOf(Write write) {
        setWriteFault(0, false);
        write();
        return writeOperationCount();
    }

    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(FileSafety, LedgerSaveFailingAtAnyStep) {
    const Bytes oldBytes = encodeLedger(sampleImage());
    const LedgerImage image = bigImage();
    const Bytes newBytes = encodeLedger(image);
    installLedgerImage(image);
    ledgerPath = folder.file("probe.qvl");
    const int firstOperations = operationsOf(saveLedger);
    ASSERT_GE(firstOperations, 7);  // create, three writes, flush, close, move
    // Over an existing file: the backup's link and rename come before the move.
    const int replacingOperations = operationsOf(saveLedger);
    ASSERT_EQ(replacingOperations, firstOperations + 2);
    removeFile("probe.qvl");
    removeFile("probe.qvl.bak");
    const Bytes olderBackup = encodeLedger(LedgerImage{});

    const std::string path = folder.file("books.qvl"), earlier = folder.file("earlier.qvl");
    int swept = 0;
    for (bool fileExisted : {true, false}) {
        for (bool persistent : {false, true}) {
            const int operations = fileExisted ? replacingOperations : firstOperations;
            for (int k = 1; k <= operations + 1; ++k) {  // the last one never fails
                SCOPED_TRACE(testing::Message() << "existed " << fileExisted << ", persistent " << persistent
                                                << ", failing operation " << k);
                removeFile("books.qvl");
                removeFile("books.qvl.bak");
                if (fileExisted) {
                    folder.write("books.qvl", oldBytes);
                    folder.write("books.qvl.bak", olderBackup);
                    ledgerPath = path;
                    rememberLedgerFile();  // as if this program had written it
                }
                installLedgerImage(image);
                markLedgerChanged();
                settingsChanged = 0;
                prompts.messages.clear();
                setWriteFault(k, persistent);
                bool saved;
                if (fileExisted) {
                    ledgerPath = path;
                    saved = saveLedger();
                } else {
                    // A first save goes through Save As; a failed one keeps
                    // the name the ledger had.
                    ledgerPath = earlier;
                    prompts.chosenFiles = {path};
                    saved = saveLedgerAs();
                }
                setWriteFault(0, false);
                ++swept;

                EXPECT_EQ(saved, k > operations);
                EXPECT_TRUE(sameImage(currentLedgerImage(), image));
                if (saved) {
                    EXPECT_EQ(folder.read("books.qvl"), newBytes);
                    EXPECT_TRUE(prompts.messages.empty());
                    EXPECT_EQ(ledgerChanged, 0);
                    EXPECT_EQ(settingsChanged, 1);
                    EXPECT_EQ(ledgerPath, path);
                } else {
                    if (fileExisted) EXPECT_EQ(folder.read("books.qvl"), oldBytes);
                    ASSERT_EQ(prompts.messages.size(), 1u);
                    EXPECT_EQ(prompts.messages[0].title, "File Error");
                    EXPECT_NE(prompts.messages[0].text.find(path), std::string::npos);
                    EXPECT_EQ(ledgerChanged, 1);
                    EXPECT_EQ(settingsChanged, 0);
                    EXPECT_EQ(ledgerPath, fileExisted ? path : earlier);
                }
                // Only a failed final move leaves the new backup: the old
                // file is then both the ledger and its backup.
                if (fileExisted)
                    EXPECT_EQ(folder.read("books.qvl.bak"), k >= operations ? oldBytes : olderBackup);
                std::vector<std::string> expected;
                if (fileExisted || saved) expected.push_back("books.qvl");
                if (fileExisted) expected.push_back("books.qvl.bak");
                EXPECT_EQ(filesInFolder(), expected);
            }
        }
    }
    RecordProperty("faultPoints", swept);
}

TEST_F(FileSafety, SettingsWriteFailingAtAnyStep) {
    ledgerPath = "C:\\old\\books.qvl";
    stateTaxRate = 0.05;
    const Bytes oldBytes = [] {
        std::string t = encodeSettings();
        return Bytes(t.begin(), t.end());
    }();
    ledgerPath = "C:\\new\\shop.qvl";
    stateTaxRate = 0.0725;
    districtTaxRate = 0.00125;
    const std::string newText = encodeSettings();
    const int operations = operationsOf(writeSettings);
    ASSERT_GE(operations, 5);
    removeFile("quirvel.ini");

    for (bool fileExisted : {true, false}) {
        for (bool persistent : {false, true}) {
            for (int k = 1; k <= operations + 1; ++k) {
                SCOPED_TRACE(testing::Message() << "existed " << fileExisted << ", persistent " << persistent
                                                << ", failing operation " << k);
                removeFile("quirvel.ini");
                if (fileExisted) folder.write("quirvel.ini", oldBytes);
                prompts.messages.clear();
                setWriteFault(k, persistent);
                bool written = writeSettings();
                setWriteFault(0, false);

                EXPECT_EQ(written, k > operations);
                EXPECT_EQ(encodeSettings(), newText);  // nothing in memory changed
                if (written) {
                    EXPECT_EQ(folder.read("quirvel.ini"), Bytes(newText.begin(), newText.end()));
                    EXPECT_TRUE(prompts.messages.empty());
                } else {
                    if (fileExisted) EXPECT_EQ(folder.read("quirvel.ini"), oldBytes);
                    ASSERT_EQ(prompts.messages.size(), 1u);
                    EXPECT_EQ(prompts.messages[0].title, "File Error");
                }
                EXPECT_EQ(filesInFolder(), fileExisted || written ? std::vector<std::string>{"quirvel.ini"}
                                                                  : std::vector<std::string>{});
            }
        }
    }
}

TEST_F(FileSafety, ArchiveWriteFailingAtAnyStepKeepsTheTransactions) {
    const LedgerImage image = sampleImage();
    const Bytes oldArchive = encodeLedger(LedgerImage{});
    installLedgerImage(image);
    ledgerPath = folder.file("books.qvl");
    const int archived = archiveCount(packDate("02-31-2006"));
    ASSERT_EQ(archived, 4);
    const Bytes newArchive = encodeLedger(buildArchiveImage(archived));
    prompts.chosenFiles = {folder.file("probe.qvl")};
    const int operations = operationsOf([] { archiveUpTo("02-2006"); });
    ASSERT_GE(operations, 5);
    removeFile("probe.qvl");

    for (bool fileExisted : {true, false}) {
        for (bool persistent : {false, true}) {
            for (int k = 1; k <= operations + 1; ++k) {
                SCOPED_TRACE(testing::Message() << "existed " << fileExisted << ", persistent " << persistent
                                                << ", failing operation " << k);
                removeFile("old.qvl");
                if (fileExisted) folder.write("old.qvl", oldArchive);
                installLedgerImage(image);
                markLedgerSaved();
                prompts.messages.clear();
                prompts.chosenFiles = {folder.file("old.qvl")};
                setWriteFault(k, persistent);
                bool moved = archiveUpTo("02-2006");
                setWriteFault(0, false);

                bool written = k > operations;
                EXPECT_EQ(ledgerChanged, written ? 1 : 0);
                if (written) {
                    EXPECT_EQ(folder.read("old.qvl"), newArchive);
                    EXPECT_EQ(transactionCount, image.transactions.size() - archived);
                    ASSERT_EQ(prompts.messages.size(), 1u);
                    EXPECT_EQ(prompts.messages[0].title, "Archive");
                    EXPECT_TRUE(moved);
                } else {
                    if (fileExisted) EXPECT_EQ(folder.read("old.qvl"), oldArchive);
                    EXPECT_TRUE(sameImage(currentLedgerImage(), image));
                    ASSERT_EQ(prompts.messages.size(), 1u);
                    EXPECT_EQ(prompts.messages[0].title, "File Error");
                    EXPECT_FALSE(moved);
                }
                EXPECT_EQ(filesInFolder(), fileExisted || written ? std::vector<std::string>{"old.qvl"}
                                                                  : std::vector<std::string>{});
            }
        }
    }
}

// Written over the open ledger's own file, the archive would leave only the
// old transactions on disk while the later ones live in memory unsaved. The
// file is recognised under any of its names.
TEST_F(FileSafety, ArchiveIsNotWrittenOverTheOpenLedger) {
    installLedgerImage(sampleImage());
    ledgerPath = folder.file("Books.qvl");
    ASSERT_TRUE(saveLedger());
    const Bytes saved = folder.read("Books.qvl");
    std::filesystem::create_directory(folder.file("real"));
    std::filesystem::create_directory_symlink(folder.file("real"), folder.file("alias"));
    std::filesystem::create_hard_link(folder.file("Books.qvl"), folder.file("second name.qvl"));
    for (std::string chosen : {folder.file("Books.qvl"), folder.file("second name.qvl"),
                               folder.file("real/../Books.qvl"), folder.file("alias/../Books.qvl")}) {
        prompts.messages.clear();
        prompts.chosenFiles = {chosen};
        EXPECT_FALSE(archiveUpTo("2006"));
        ASSERT_EQ(prompts.messages.size(), 1u) << chosen;
        EXPECT_EQ(prompts.messages[0].title, "File Error");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconStop);
        EXPECT_EQ(transactionCount, sampleImage().transactions.size());
        EXPECT_EQ(folder.read("Books.qvl"), saved);
    }
    prompts.chosenFiles = {folder.file("Books-2006.qvl")};
    archiveUpTo("2006");
    EXPECT_EQ(transactionCount, 0);
}

// No ledger or archive goes over the settings file (the file dialogs open
// in its folder), the help file or the program: the settings write at quit
// would otherwise overwrite the ledger, or the program itself be lost.
TEST_F(FileSafety, OwnFilesAreNeverWrittenOver) {
    const Bytes settings = {'x', '\r', '\n'};
    folder.write("quirvel.ini", settings);
    folder.write("Quirvel.chm", settings);
    std::filesystem::create_hard_link(folder.file("quirvel.ini"), folder.file("other name.ini"));
    const std::string program = programFile();
    ASSERT_FALSE(program.empty());
    // The help pages in the data folder, and the uninstaller beside the program.
    std::filesystem::create_directory(folder.file("help"));
    folder.write("help/welcome.html", settings);
    const std::string uninstaller = folderOf(program) + "uninstall.exe";
    for (const std::string& target : {folder.file("quirvel.ini"), folder.file("other name.ini"),
                                      folder.file("Quirvel.chm"), folder.file("help/welcome.html"), program,
                                      uninstaller}) {
        SCOPED_TRACE(target);
        const std::string ownText = target + " is one of Quirvel's own files.\r\nChoose another name; nothing has been written.";
        installLedgerImage(sampleImage());
        ledgerPath = folder.file("books.qvl");
        markLedgerChanged();
        prompts.messages.clear();
        prompts.chosenFiles = {target};
        EXPECT_FALSE(saveLedgerAs());
        EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{ownText});
        EXPECT_EQ(ledgerPath, folder.file("books.qvl"));
        EXPECT_EQ(ledgerChanged, 1);

        prompts.messages.clear();
        prompts.chosenFiles = {target};
        archiveUpTo("2006");
        EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{ownText});
        EXPECT_EQ(transactionCount, sampleImage().transactions.size());
    }
    EXPECT_EQ(folder.read("quirvel.ini"), settings);
    EXPECT_EQ(folder.read("Quirvel.chm"), settings);
    EXPECT_EQ(folder.read("help/welcome.html"), settings);
    EXPECT_FALSE(fileExists(uninstaller));
    EXPECT_EQ(filesInFolder(), (std::vector<std::string>{"Quirvel.chm", "help", "other name.ini", "quirvel.ini"}));
}

// Another program (or a second Quirvel) wrote the ledger since this one read
// it, or a ledger that was missing has come back: a save asks first, and No
// writes nothing and keeps the changes. The program's own saves and backups
// never count as such a change.
TEST_F(FileSafety, FileChangedByAnotherProgramIsReplacedOnlyWhenConfirmed) {
    const Bytes theirs = encodeLedger(LedgerImage{});
    const std::string question =
        "books.qvl was changed by another program since it was opened. Replace it with this version?";
    folder.write("books.qvl", encodeLedger(sampleImage()));
    ASSERT_TRUE(loadLedger(folder.file("books.qvl")));
    markLedgerChanged();
    ASSERT_TRUE(saveLedger());
    markLedgerChanged();
    ASSERT_TRUE(saveLedger());  // the backup of the first save is no change
    EXPECT_TRUE(prompts.messages.empty());

    auto otherProgramWrites = [&] {
        folder.write("books.qvl", theirs);
        markLedgerChanged();
        prompts.messages.clear();
    };
    otherProgramWrites();
    prompts.answers = {mb::idNo};
    EXPECT_FALSE(saveLedger());
    ASSERT_EQ(prompts.messageTexts(), std::vector<std::string>{question});
    EXPECT_EQ(prompts.messages[0].title, "Save File");
    EXPECT_EQ(prompts.messages[0].style, mb::yesNo | mb::iconExclamation);
    EXPECT_EQ(folder.read("books.qvl"), theirs);
    EXPECT_EQ(ledgerChanged, 1);
    // Asked again at the next save, until the answer is Yes.
    prompts.answers = {mb::idYes};
    EXPECT_TRUE(saveLedger());
    EXPECT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(folder.read("books.qvl"), encodeLedger(sampleImage()));
    EXPECT_EQ(folder.read("books.qvl.bak"), theirs);

    // The same size and the old time stamp set back, as copy and sync tools
    // that keep time stamps leave it: only the content tells.
    const std::string path = folder.file("books.qvl");
    const FileStamp ours = fileStamp(path);
    const auto ourTime = std::filesystem::last_write_time(path);
    LedgerImage altered = sampleImage();
    altered.transactions[0].amount += 1;
    const Bytes sameSize = encodeLedger(altered);
    ASSERT_EQ(sameSize.size(), folder.read("books.qvl").size());
    otherProgramWrites();
    folder.write("books.qvl", sameSize);
    std::filesystem::last_write_time(path, ourTime);
    ASSERT_EQ(fileStamp(path), ours);
    prompts.answers = {mb::idNo};
    EXPECT_FALSE(saveLedger());
    EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{question});
    EXPECT_EQ(folder.read("books.qvl"), sameSize);
    // Loaded, it is this program's own again.
    ASSERT_TRUE(loadLedger(path));
    markLedgerChanged();
    prompts.messages.clear();
    EXPECT_TRUE(saveLedger());
    EXPECT_TRUE(prompts.messages.empty());
    installLedgerImage(sampleImage());

    // Missing at start-up: the name is kept, and a file that turns up there
    // is not replaced silently; one that is still missing is simply written.
    resetLedgerTables();
    installLedgerImage(sampleImage());
    removeFile("books.qvl");
    ledgerPath = folder.file("books.qvl");
    otherProgramWrites();
    prompts.answers = {mb::idNo};
    EXPECT_FALSE(saveLedger());
    EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{question});
    EXPECT_EQ(folder.read("books.qvl"), theirs);
    ledgerPath = folder.file("new.qvl");
    prompts.messages.clear();
    EXPECT_TRUE(saveLedger());
    EXPECT_TRUE(prompts.messages.empty());

    // Save As onto an existing file: the file dialog has asked already.
    prompts.chosenFiles = {folder.file("books.qvl")};
    EXPECT_TRUE(saveLedgerAs());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(folder.read("books.qvl"), encodeLedger(sampleImage()));
}

// Windows refuses to replace a read-only file; the save fails as any
// refused write does, and keeps the changes.
TEST_F(FileSafety, ReadOnlyLedgerIsNotReplaced) {
    installLedgerImage(sampleImage());
    ledgerPath = folder.file("books.qvl");
    ASSERT_TRUE(saveLedger());
    const Bytes before = folder.read("books.qvl");
    std::filesystem::permissions(folder.file("books.qvl"), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read |
                                                               std::filesystem::perms::others_read);
    installLedgerImage(bigImage());
    markLedgerChanged();
    EXPECT_FALSE(saveLedger());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "The ledger could not be saved to " + ledgerPath +
                                            ":\r\nthe file is marked read-only\r\nThe file on disk has not been changed.");
    EXPECT_EQ(folder.read("books.qvl"), before);
    EXPECT_EQ(ledgerChanged, 1);
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"books.qvl"});
}

// An interrupted write leaves its temporary file; there is one name per
// target, and the next write of that target takes it away.
TEST_F(FileSafety, LeftoversOfInterruptedWritesGoWithTheNextWrite) {
    const Bytes junk = {'j', 'u', 'n', 'k'};
    installLedgerImage(sampleImage());
    ledgerPath = folder.file("books.qvl");
    ASSERT_TRUE(saveLedger());
    EXPECT_EQ(temporaryFileFor(ledgerPath), folder.file("books.qvl.tmp"));
    for (const char* name : {"books.qvl.tmp", "books.qvl.bak.tmp", "quirvel.ini.tmp", "old.qvl.tmp"})
        folder.write(name, junk);
    markLedgerChanged();
    ASSERT_TRUE(saveLedger());
    ASSERT_TRUE(writeSettings());
    prompts.chosenFiles = {folder.file("old.qvl")};
    archiveUpTo("2006");
    ASSERT_EQ(prompts.messages.size(), 1u);  // only the archive's report of what it moved
    EXPECT_EQ(prompts.messages[0].title, "Archive");
    EXPECT_EQ(filesInFolder(), (std::vector<std::string>{"books.qvl", "books.qvl.bak", "old.qvl", "quirvel.ini"}));
    EXPECT_EQ(folder.read("books.qvl.bak"), encodeLedger(sampleImage()));
}

// Only the start of a file can hold a ledger; a load reads no further, so
// a huge file picked by mistake costs no more than a ledger does.
TEST_F(FileSafety, HugeFileIsReadOnlyAsFarAsALedgerReaches) {
    const Bytes start = encodeLedger(sampleImage());
    folder.write("huge.qvl", start);
    std::filesystem::resize_file(folder.file("huge.qvl"), 6ull << 30);  // sparse
    ASSERT_TRUE(loadLedger(folder.file("huge.qvl")));
    EXPECT_EQ(encodeLedger(currentLedgerImage()), start);
    EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
