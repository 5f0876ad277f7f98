#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <functional>

#include "app/file_commands.h"
#include "app/ask_text.h"
#include "app/main_window.h"
#include "app/list_state.h"
#include "ledger/tables.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

using ArchiveCommand = MainWindowTest;

// Three years of business; "Old rent" and "Old landlord" are used only by
// the 2004 and 2005 transactions, "New work" only by the 2006 one.
LedgerImage threeYears() {
    LedgerImage image;
    image.descriptions = {entry(2, "Old rent"), entry(1, "Consulting"), entry(1, "New work")};
    image.names = {entry(1, "Acme Corp"), entry(2, "Old landlord")};
    image.transactions = {
        makeTransaction("03-15-2004", typeExpense, 1, 2, 40000),
        makeTransaction("06-30-2005", typeService, 2, 1, 12500),
        makeTransaction("07-01-2005", typeExpense, 1, 0, 40000),
        makeTransaction("01-02-2006", typeService, 3, 1, 9900),
    };
    return image;
}

// Types `answer` into the prompt's own edit and ends it the way `finish` does.
void answerPrompt(const std::string& answer, std::function<void(HWND)> finish) {
    whenDialogOpens("Archive date", [=](HWND box) {
        setItemText(box, 9900, answer);
        finish(box);
    });
}

void pressOk(HWND box) { click(box, IDOK); }
void pressEnter(HWND box) { PostMessageA(GetDlgItem(box, 9900), WM_KEYDOWN, VK_RETURN, 0); }
void pressEsc(HWND box) { PostMessageA(GetDlgItem(box, 9900), WM_KEYDOWN, VK_ESCAPE, 0); }
void pressCloseBox(HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }

TEST_F(ArchiveCommand, PromptLayoutFocusAndOwnership) {
    installLedger(threeYears());
    start();
    whenDialogOpens("Archive date", [&](HWND box) {
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        EXPECT_FALSE(IsWindowEnabled(main));  // no second command meanwhile
        EXPECT_EQ(GetFocus(), GetDlgItem(box, 9900));
        LONG style = GetWindowLongA(box, GWL_STYLE);
        EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
        RECT client;
        GetClientRect(box, &client);
        RECT size = {0, 0, 130, 85};
        MapDialogRect(box, &size);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);
        const std::pair<int, RECT> places[] = {{9900, {10, 20, 100, 12}}, {IDOK, {60, 40, 50, 20}}};
        for (const auto& p : places) {
            RECT r = itemRectUnits(box, p.first);
            EXPECT_TRUE(EqualRect(&r, &p.second)) << p.first;
        }
        EXPECT_EQ(itemText(box, IDOK), "Ok");
        EXPECT_EQ(itemText(box, 9900), "");
        bool promptShown = false;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (windowText(c) != "Ending year (or date): ") continue;
            promptShown = true;
            RECT r;
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
            RECT place = {5, 5, 85, 17};
            MapDialogRect(box, &place);
            EXPECT_TRUE(EqualRect(&r, &place));
        }
        EXPECT_TRUE(promptShown);
        setItemText(box, 9900, "typed text");
        pressOk(box);
    });
    EXPECT_EQ(askText("Ending year (or date): ", "Archive date"), "typed text");
    EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(ArchiveCommand, MovesTheOldTransactionsIntoTheArchiveFile) {
    struct Case {
        const char* answer;
        void (*finish)(HWND);
        int archived;
    };
    const Case cases[] = {{"2005", pressOk, 3}, {"06-2005", pressEnter, 2}, {"1990", pressOk, 0},
                          {"12-31-2030", pressOk, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        resetAllState();
        TempFolder archives;
        std::string books = installLedger(threeYears());
        start();
        ASSERT_EQ(rows(1).size(), 4u);
        prompts.chosenFiles = {archives.file("old.qvl")};
        prompts.fileRequests.clear();
        prompts.messages.clear();
        answerPrompt(c.answer, c.finish);

        command(cmdArchive);

        ASSERT_EQ(prompts.fileRequests.size(), 1u);
        const FileDialogRequest& request = prompts.fileRequests[0];
        EXPECT_TRUE(request.save);
        EXPECT_EQ(request.caption, "Archive File");
        EXPECT_EQ(request.folder, "");
        EXPECT_EQ(request.defaultExtension, "qvl");
        EXPECT_EQ(request.flags, static_cast<unsigned long>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR));
        const std::vector<std::pair<std::string, std::string>> filters = {{"Business", "*.qvl"}, {"All Files", "*.*"}};
        EXPECT_EQ(request.filters, filters);

        LedgerImage all = threeYears(), archived, kept;
        archived.transactions.assign(all.transactions.begin(), all.transactions.begin() + c.archived);
        // Renumbered to the entries the archived transactions use, in list order.
        if (c.archived >= 1) {
            archived.descriptions = {entry(2, "Old rent")};
            archived.names = {entry(2, "Old landlord")};
            archived.transactions[0].descrIndex = 1;
            archived.transactions[0].nameIndex = 1;
        }
        if (c.archived >= 2) {
            archived.descriptions.push_back(entry(1, "Consulting"));
            archived.names = {entry(1, "Acme Corp"), entry(2, "Old landlord")};
            archived.transactions[0].nameIndex = 2;
            archived.transactions[1].descrIndex = 2;
            archived.transactions[1].nameIndex = 1;
        }
        for (int i = 2; i < c.archived; ++i) archived.transactions[static_cast<size_t>(i)].descrIndex = 1;
        if (c.archived == 4) {
            archived.descriptions.push_back(entry(1, "New work"));
            archived.transactions[3].descrIndex = 3;
        }
        EXPECT_EQ(archives.read("old.qvl"), encodeLedger(archived));

        ASSERT_EQ(transactionCount, 4 - c.archived);
        for (int i = 1; i <= transactionCount; ++i)
            EXPECT_EQ(transactions[i].date, all.transactions[static_cast<size_t>(c.archived + i - 1)].date);
        kept = currentLedgerImage();
        EXPECT_EQ(kept.descriptions, all.descriptions);  // the lists stay whole
        EXPECT_EQ(kept.names, all.names);
        if (c.archived < 4) {
            EXPECT_EQ(kept.transactions.back().descrIndex, 3);
        }
        EXPECT_EQ(rows(1).size(), static_cast<size_t>(4 - c.archived));
        if (c.archived == 2) {
            EXPECT_EQ(rows(1)[0].substr(0, 10), "07-01-2005");
        }
        EXPECT_EQ(folder.read("books.qvl"), encodeLedger(all));  // reaches the ledger only when saved
        EXPECT_TRUE(IsWindowEnabled(main));
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text,
                  std::to_string(c.archived) + " transactions moved to " + archives.file("old.qvl") + ".");
        EXPECT_EQ(prompts.messages[0].title, "Archive");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconInformation);
        // The removal waits to be saved: quitting asks about it.
        EXPECT_EQ(ledgerChanged, c.archived > 0 ? 1 : 0);
        prompts.messages.clear();
        prompts.answers = {mb::idCancel};
        command(idQuit);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text,
                  c.archived > 0 ? "This file has changed... save it before quiting?" : "Quit program now?");
        EXPECT_TRUE(IsWindow(main));
        (void)books;
        DestroyWindow(mainWindow);
        pumpMessages();
    }
}

TEST_F(ArchiveCommand, NothingChangesWithoutALegalAnswer) {
    struct Case {
        const char* name;
        const char* answer;
        void (*finish)(HWND);
        bool illegal;
    };
    const Case cases[] = {{"Esc", "2005", pressEsc, false},          {"close box", "2005", pressCloseBox, false},
                          {"empty Ok", "", pressOk, false},          {"1975", "1975", pressOk, true},
                          {"month 13", "13-2005", pressEnter, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetAllState();
        installLedger(threeYears());
        start();
        prompts.messages.clear();
        prompts.fileRequests.clear();
        prompts.chosenFiles = {folder.file("never.qvl")};
        answerPrompt(c.answer, c.finish);

        command(cmdArchive);

        EXPECT_TRUE(prompts.fileRequests.empty());
        if (c.illegal) {
            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].text, "Illegal date");
        } else {
            EXPECT_TRUE(prompts.messages.empty());
        }
        EXPECT_EQ(transactionCount, 4);
        EXPECT_EQ(rows(1).size(), 4u);
        EXPECT_TRUE(IsWindowEnabled(main));
        EXPECT_EQ(GetFileAttributesA(folder.file("never.qvl").c_str()), INVALID_FILE_ATTRIBUTES);
        DestroyWindow(mainWindow);
        pumpMessages();
    }
}

// The real save dialog opens in the process's current folder, whatever
// folder the system's dialog was last used in, and belongs to the main window.
TEST_F(ArchiveCommand, TheFileDialogStartsInTheCurrentFolder) {
    installLedger(threeYears());
    start();
    char before[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, before);
    SetCurrentDirectoryA(folder.path().c_str());
    prompts.realPrompts = 1;
    std::string shownFolder;
    HWND owner = nullptr;
    answerPrompt("2005", pressOk);
    whenDialogOpens("Archive File", [&](HWND dialog) {
        char path[MAX_PATH] = "";
        SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
        shownFolder = path;
        owner = GetWindow(dialog, GW_OWNER);
        EXPECT_FALSE(IsWindowEnabled(main));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    command(cmdArchive);
    SetCurrentDirectoryA(before);
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_EQ(shownFolder + "\\", folder.path());
    EXPECT_EQ(owner, main);
    EXPECT_EQ(transactionCount, 4);  // cancelled: nothing archived
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(GetActiveWindow(), main);
}

}  // namespace
