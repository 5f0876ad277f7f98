// The program's file code on Windows itself.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_window.h"
#include "ledger/archive.h"
#include "ledger/ledger_file.h"
#include "ledger/settings.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"

namespace {

// What a folder holds: a failed write must leave no temporary file behind.
std::vector<std::string> filesIn(const TempFolder& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder.path() + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = fd.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DataFolderWin, ProgramOutsideProgramFilesKeepsItsFilesBesideItself) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder = exe;
    folder = folder.substr(0, folder.find_last_of('\\') + 1);
    EXPECT_EQ(determineDataFolder(), folder);

    char pf[MAX_PATH] = "", common[MAX_PATH] = "";
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, pf), S_OK);
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common), S_OK);
    // The same program file installed under Zembrik\quirvel, in any letter case.
    std::string installed = std::string(pf) + "\\ZEMBRIK\\Quirvel\\";
    EXPECT_EQ(chooseDataFolder(installed, pf, common), std::string(common) + "\\Zembrik\\quirvel\\");
}

class FilesWin : public ::testing::Test {
protected:
    void SetUp() override {
        resetAllState();
        dataFolder = folder.path();
    }
    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(FilesWin, LedgerRoundTripThroughWindowsFiles) {
    installLedgerImage(sampleImage());
    ledgerPath = folder.file("round.qvl");
    ASSERT_TRUE(saveLedger());
    Bytes written = folder.read("round.qvl");
    EXPECT_EQ(written, encodeLedger(sampleImage()));
    resetLedgerTables();
    ASSERT_TRUE(loadLedger(folder.file("round.qvl")));
    EXPECT_EQ(encodeLedger(currentLedgerImage()), written);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(FilesWin, SettingsFileThroughWindowsFiles) {
    ledgerPath = "C:\\x\\y.qvl";
    stateTaxRate = 0.0625;
    ASSERT_TRUE(writeSettings());
    Bytes b = folder.read("quirvel.ini");
    EXPECT_EQ(std::string(b.begin(), b.end()), "C:\\x\\y.qvl\r\n.0625\r\n0\r\n0\r\n0\r\n");
    resetLedgerTables();
    dataFolder = folder.path();
    readSettings();
    EXPECT_EQ(ledgerPath, "C:\\x\\y.qvl");
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0.0625);
}

TEST_F(FilesWin, SaveOverAFileLockedByAnotherProgramFailsAndKeepsIt) {
    ledgerPath = folder.file("locked.qvl");
    ASSERT_TRUE(saveLedger());
    Bytes before = folder.read("locked.qvl");
    installLedgerImage(sampleImage());
    ledgerChanged = 1;
    HANDLE other = CreateFileA(ledgerPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(saveLedger());
    CloseHandle(other);
    EXPECT_EQ(folder.read("locked.qvl"), before);
    EXPECT_EQ(ledgerChanged, 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find(ledgerPath), std::string::npos);
    EXPECT_EQ(prompts.messages[0].title, "File Error");
    // No temporary file is left behind.
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder.path() + "*.tmp").c_str(), &fd);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST_F(FilesWin, EveryFailingStepOfASaveKeepsTheOldFile) {
    ledgerPath = folder.file("sweep.qvl");
    ASSERT_TRUE(saveLedger());
    Bytes before = folder.read("sweep.qvl");
    installLedgerImage(sampleImage());
    setWriteFault(0, false);
    ledgerPath = folder.file("probe.qvl");
    ASSERT_TRUE(saveLedger());
    int operations = writeOperationCount();
    ledgerPath = folder.file("sweep.qvl");
    for (int k = 1; k <= operations; ++k) {
        ledgerChanged = 1;
        setWriteFault(k, true);
        EXPECT_FALSE(saveLedger()) << k;
        setWriteFault(0, false);
        EXPECT_EQ(folder.read("sweep.qvl"), before) << k;
        EXPECT_EQ(ledgerChanged, 1);
        EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"probe.qvl", "sweep.qvl"})) << k;
    }
    EXPECT_EQ(prompts.messages.size(), static_cast<size_t>(operations));
}

TEST_F(FilesWin, EveryFailingStepOfASettingsWriteKeepsTheOldFile) {
    ledgerPath = "C:\\old.qvl";
    ASSERT_TRUE(writeSettings());
    Bytes before = folder.read("quirvel.ini");
    ledgerPath = "C:\\new.qvl";
    setWriteFault(0, false);
    ASSERT_TRUE(writeSettings());
    int operations = writeOperationCount();
    for (bool persistent : {false, true}) {
        for (int k = 1; k <= operations; ++k) {
            folder.write("quirvel.ini", before);
            setWriteFault(k, persistent);
            EXPECT_FALSE(writeSettings()) << k;
            setWriteFault(0, false);
            EXPECT_EQ(folder.read("quirvel.ini"), before) << k;
            EXPECT_EQ(filesIn(folder), std::vector<std::string>{"quirvel.ini"}) << k;
        }
    }
    EXPECT_EQ(prompts.messages.size(), 2u * operations);
}

TEST_F(FilesWin, EveryFailingStepOfAnArchiveWriteKeepsTheTransactions) {
    installLedgerImage(sampleImage());
    prompts.chosenFiles = {folder.file("probe.qvl")};
    setWriteFault(0, false);
    archiveUpTo("02-2006");
    int operations = writeOperationCount();
    ASSERT_EQ(transactionCount, sampleImage().transactions.size() - 4);
    EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{"4 transactions moved to " + folder.file("probe.qvl") + "."});
    prompts.messages.clear();
    DeleteFileA(folder.file("probe.qvl").c_str());
    for (int k = 1; k <= operations; ++k) {
        installLedgerImage(sampleImage());
        ledgerChanged = 0;
        prompts.chosenFiles = {folder.file("old.qvl")};
        setWriteFault(k, true);
        archiveUpTo("02-2006");
        setWriteFault(0, false);
        EXPECT_EQ(transactionCount, sampleImage().transactions.size()) << k;
        EXPECT_EQ(ledgerChanged, 0) << k;
        EXPECT_EQ(filesIn(folder), std::vector<std::string>{}) << k;
    }
    EXPECT_EQ(prompts.messages.size(), static_cast<size_t>(operations));
}

// A file picked by mistake with "All Files" may be gigabytes long; only the
// start of it can hold a ledger, and a 32-bit process cannot hold it whole.
TEST_F(FilesWin, HugeFileLoadsFromItsStartOnly) {
    std::string path = folder.file("huge.qvl");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Bytes start = encodeLedger(sampleImage());
    DWORD written = 0;
    WriteFile(h, start.data(), static_cast<DWORD>(start.size()), &written, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 3LL << 30;  // sparse: the rest reads as zeros
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    ASSERT_TRUE(loadLedger(path));
    EXPECT_EQ(encodeLedger(currentLedgerImage()), start);
    EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
