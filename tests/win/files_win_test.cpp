// The program's file code on Windows itself.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "ledger/ledger_file.h"
#include "ledger/settings.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"

namespace {

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
    }
    EXPECT_EQ(prompts.messages.size(), static_cast<size_t>(operations));
}

}  // namespace
