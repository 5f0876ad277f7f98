// The program's file code on Windows itself.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "ledger/changes.h"
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
    markLedgerChanged();
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
    ledgerPath = folder.file("probe.qvl");
    ASSERT_TRUE(saveLedger());
    setWriteFault(0, false);
    ASSERT_TRUE(saveLedger());  // over the file: with its backup
    int operations = writeOperationCount();
    ledgerPath = folder.file("sweep.qvl");
    rememberLedgerFile();
    for (int k = 1; k <= operations; ++k) {
        markLedgerChanged();
        setWriteFault(k, true);
        EXPECT_FALSE(saveLedger()) << k;
        setWriteFault(0, false);
        EXPECT_EQ(folder.read("sweep.qvl"), before) << k;
        EXPECT_EQ(ledgerChanged, 1);
        // Only the failed final move finds the backup made.
        std::vector<std::string> expected = {"probe.qvl", "probe.qvl.bak", "sweep.qvl"};
        if (k == operations) expected.push_back("sweep.qvl.bak");
        EXPECT_EQ(filesIn(folder), expected) << k;
        if (k == operations) {
            EXPECT_EQ(folder.read("sweep.qvl.bak"), before);
        }
    }
    EXPECT_EQ(prompts.messages.size(), static_cast<size_t>(operations));
}

// Wine's own way to reach a Windows path from the Unix side: the folder is
// also on drive Z:, a second drive letter for the same file.
std::string onDriveZ(const std::string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return "";
    std::wstring wide(path.begin(), path.end());
    char* unixPath = toUnix(wide.c_str());
    if (!unixPath) return "";
    std::string z = std::string("Z:") + unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    for (char& c : z)
        if (c == '/') c = '\\';
    return z;
}

// One file under its other names: a trailing dot (Windows drops it), another
// letter case, a second drive letter and the short name. None of them may
// let an archive replace the open ledger or a ledger the settings file.
TEST_F(FilesWin, SecondNamesOfOneFileAreRecognised) {
    installLedgerImage(sampleImage());
    ledgerPath = folder.file("Books of the year.qvl");
    ASSERT_TRUE(saveLedger());
    const Bytes saved = folder.read("Books of the year.qvl");
    std::string upper = ledgerPath;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    std::vector<std::string> names = {ledgerPath + ".", upper, onDriveZ(ledgerPath)};
    ASSERT_NE(names.back(), "");
    char shortName[MAX_PATH] = "";
    if (GetShortPathNameA(ledgerPath.c_str(), shortName, MAX_PATH) && ledgerPath != shortName)
        names.push_back(shortName);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(fileExists(name));  // a real second name, not a new file
        EXPECT_TRUE(sameFile(name, ledgerPath));
        prompts.messages.clear();
        prompts.chosenFiles = {name};
        archiveUpTo("2006");
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text.find("The archive cannot be written over the open ledger"), 0u);
        EXPECT_EQ(transactionCount, sampleImage().transactions.size());
    }
    EXPECT_EQ(folder.read("Books of the year.qvl"), saved);
    EXPECT_FALSE(sameFile(ledgerPath, folder.file("quirvel.ini")));
    // A file that does not exist yet is told apart by its full name.
    EXPECT_TRUE(sameFile(folder.file("new.qvl"), folder.path() + ".\\NEW.QVL"));
    EXPECT_FALSE(sameFile(folder.file("new.qvl"), folder.file("new2.qvl")));

    ASSERT_TRUE(writeSettings());
    const Bytes settings = folder.read("quirvel.ini");
    for (const std::string& name : {folder.file("quirvel.ini."), folder.file("QUIRVEL.INI"),
                                    onDriveZ(folder.file("quirvel.ini"))}) {
        prompts.messages.clear();
        prompts.chosenFiles = {name};
        EXPECT_FALSE(saveLedgerAs()) << name;
        EXPECT_EQ(prompts.messageTexts(),
                  std::vector<std::string>{name + " is one of Quirvel's own files.\r\nChoose another name; "
                                                  "nothing has been written."});
    }
    EXPECT_EQ(folder.read("quirvel.ini"), settings);
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"Books of the year.qvl", "quirvel.ini"}));
}

// Another Quirvel saved the same ledger meanwhile: this one asks before its
// save would make the other's work vanish. Its own backup is no change.
TEST_F(FilesWin, SecondWindowOnOneLedgerAsksBeforeReplacingIt) {
    installLedgerImage(sampleImage());
    ledgerPath = folder.file("shared.qvl");
    ASSERT_TRUE(saveLedger());
    markLedgerChanged();
    ASSERT_TRUE(saveLedger());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(folder.read("shared.qvl.bak"), encodeLedger(sampleImage()));
    const Bytes theirs = encodeLedger(LedgerImage{});
    std::string error;
    ASSERT_TRUE(writeFileSafely(onDriveZ(ledgerPath), theirs, error));  // the other window's save
    markLedgerChanged();
    prompts.answers = {mb::idNo};
    EXPECT_FALSE(saveLedger());
    EXPECT_EQ(prompts.messageTexts(),
              std::vector<std::string>{
                  "shared.qvl was changed by another program since it was opened. Replace it with this version?"});
    EXPECT_EQ(folder.read("shared.qvl"), theirs);
    EXPECT_EQ(ledgerChanged, 1);
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"shared.qvl", "shared.qvl.bak"}));
}

// An interrupted write leaves a temporary file of a known name; the next
// write of the same target takes it away.
TEST_F(FilesWin, LeftoverTemporaryFilesGoWithTheNextWrite) {
    installLedgerImage(sampleImage());
    ledgerPath = folder.file("books.qvl");
    ASSERT_TRUE(saveLedger());
    for (const char* name : {"books.qvl.tmp", "books.qvl.bak.tmp", "quirvel.ini.tmp"})
        folder.write(name, Bytes{'j', 'u', 'n', 'k'});
    markLedgerChanged();
    ASSERT_TRUE(saveLedger());
    ASSERT_TRUE(writeSettings());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"books.qvl", "books.qvl.bak", "quirvel.ini"}));
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
        markLedgerSaved();
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
