// A main window over a temporary data folder, with scripted prompts.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ledger/ledger_file.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a ledger file into the data folder and names it in the settings.
    std::string installLedger(const LedgerImage& image, const std::string& name = "books.qvl");
    void writeSettingsFile(const std::string& text);
    HWND start();

    // The list box rows of a tab as shown.
    std::vector<std::string> rows(int tab) const;
    std::string statusText(int part) const;
    // As a mouse click on a tab: the changing and changed notifications.
    void clickTab(int tab);
    void command(int id);
    void selectPosition(int position);  // as the user selecting a row
    // File > Exit, confirmed; then the settings file as it is on disk.
    std::string quitAndReadSettings();

    ScriptedPrompts prompts;
    TempFolder folder;
    HWND main = nullptr;
};
