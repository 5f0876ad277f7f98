#include "tests/win/win_fixture.h"

#include <commctrl.h>

#include "app/due_command.h"
#include "app/main_window.h"
#include "app/list_state.h"
#include "tests/win/modal_driver.h"

void MainWindowTest::SetUp() {
    resetAllState();
    dataFolderOverride = folder.path();
}

void MainWindowTest::TearDown() {
    if (mainWindow) DestroyWindow(mainWindow);
    pumpMessages();
    dataFolderOverride.clear();
    EXPECT_TRUE(allDialogsHandled());
    clearDialogQueue();
    setWriteFault(0, false);
}

std::string MainWindowTest::installLedger(const LedgerImage& image, const std::string& name) {
    folder.write(name, encodeLedger(image));
    writeSettingsFile(folder.file(name) + "\r\n.0625\r\n0\r\n0\r\n0\r\n");
    return folder.file(name);
}

void MainWindowTest::writeSettingsFile(const std::string& text) { folder.write("quirvel.ini", Bytes(text.begin(), text.end())); }

std::string MainWindowTest::quitAndReadSettings() {
    prompts.answers = {mb::idOk};
    command(cmdExit);
    EXPECT_FALSE(IsWindow(main));
    Bytes b = folder.read("quirvel.ini");
    return std::string(b.begin(), b.end());
}

HWND MainWindowTest::start() {
    main = createMainWindow();
    // Pages 2 to 5 follow the first paint; a user or a script finds them
    // within a second.
    DWORD until = GetTickCount() + 1000;
    while (!pages[5] && GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    EXPECT_NE(pages[5], nullptr) << "pages 2 to 5 were not created within a second";
    // The books' due entries are looked at once the window shows, before
    // any command of the test: one that made entries due must not find the
    // offer still waiting to come up behind it.
    until = GetTickCount() + 1000;
    while (dueEntriesOfferPending() && GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    EXPECT_FALSE(dueEntriesOfferPending()) << "the due entries were not looked at within a second";
    return main;
}

std::vector<std::string> MainWindowTest::rows(int tab) const {
    HWND list = GetDlgItem(pages[tab], 2500 + tab);
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) {
        int len = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0));
        std::string s(static_cast<size_t>(len) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&s[0]));
        s.resize(static_cast<size_t>(len));
        out.push_back(s);
    }
    return out;
}

std::string MainWindowTest::statusText(int part) const {
    char buf[512] = "";
    SendMessageA(statusBar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(buf));
    return buf;
}

void MainWindowTest::clickTab(int tab) {
    NMHDR n = {tabControl, idTabs, static_cast<UINT>(TCN_SELCHANGING)};
    SendMessageA(mainWindow, WM_NOTIFY, idTabs, reinterpret_cast<LPARAM>(&n));
    SendMessageA(tabControl, TCM_SETCURSEL, static_cast<WPARAM>(tab - 1), 0);
    n.code = static_cast<UINT>(TCN_SELCHANGE);
    SendMessageA(mainWindow, WM_NOTIFY, idTabs, reinterpret_cast<LPARAM>(&n));
}

void MainWindowTest::command(int id) { SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void MainWindowTest::selectPosition(int position) {
    HWND list = currentList->listBox();
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(position - 1), 0);
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(currentListId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}
