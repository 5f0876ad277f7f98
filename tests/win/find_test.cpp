// Edit > Find and Find Next through the real menu, shortcuts, dialog and list.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/find_dialog.h"
#include "app/list_state.h"
#include "app/main_state.h"
#include "app/main_window.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

// Five transactions whose amounts sort them otherwise than their dates.
LedgerImage feesImage() {
    LedgerImage image;
    image.descriptions = {entry(2, "Bank fees"), entry(1, "Consulting"), entry(6, "Interest")};
    image.names = {entry(2, "First Bank"), entry(1, "Acme Corp"), entry(6, "First Bank")};
    image.transactions = {
        makeTransaction("01-14-2026", typeExpense, 1, 1, 900),    makeTransaction("01-20-2026", typeService, 2, 2, 50000),
        makeTransaction("02-14-2026", typeExpense, 1, 1, 1250),   makeTransaction("02-21-2026", typeEarnings, 3, 3, 125),
        makeTransaction("03-14-2026", typeService, 2, 2, 75000),
    };
    return image;
}

// What the Find dialog showed when it opened.
struct FindDialogSeen {
    bool opened = false;
    std::string text;
    DWORD selection = 0;  // EM_GETSEL: start in the low word, end in the high word
    bool findEnabled = false;
    HWND owner = nullptr;
};

class Find : public MainWindowTest {
protected:
    // Edit > Find (or a command that opens it), typing `text` and pressing
    // "Find"; or Cancel when `text` is empty.
    FindDialogSeen find(const std::string& text, int id = cmdFind, WORD code = 0) {
        static FindDialogSeen seen;
        static std::string typed;
        seen = {};
        typed = text;
        whenDialogOpens("Find", [](HWND d) {
            HWND box = GetDlgItem(d, idFindText);
            seen = {true, itemText(d, idFindText), static_cast<DWORD>(SendMessageA(box, EM_GETSEL, 0, 0)),
                    IsWindowEnabled(GetDlgItem(d, IDOK)) != FALSE, GetWindow(d, GW_OWNER)};
            if (typed.empty()) {
                click(d, IDCANCEL);
                return;
            }
            setItemText(d, idFindText, typed);
            click(d, IDOK);
        });
        SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(id, code), 0);
        return seen;
    }
    // F3, as the accelerator table sends it.
    void pressF3() { SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(cmdFindNext, 1), 0); }
    std::string selectedDate() const {
        int t = transactionAtPosition(currentList->selected());
        return t ? formatDate(transactions[static_cast<size_t>(t)].date) : "";
    }
    void clickHeading(int column) {
        SendMessageA(pages[currentTab], WM_COMMAND, MAKEWPARAM(currentListId + column, STN_CLICKED),
                     reinterpret_cast<LPARAM>(currentList->heading(column)));
    }
};

TEST_F(Find, TheEditMenuAndTheShortcuts) {
    start();
    HMENU edit = GetSubMenu(GetMenu(main), 1);
    int redo = -1;
    for (int i = 0; i < GetMenuItemCount(edit); ++i)
        if (GetMenuItemID(edit, i) == cmdRedo) redo = i;
    ASSERT_GE(redo, 0);
    EXPECT_EQ(GetMenuState(edit, static_cast<UINT>(redo + 1), MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    EXPECT_EQ(GetMenuItemID(edit, redo + 2), UINT(cmdFind));
    EXPECT_EQ(GetMenuItemID(edit, redo + 3), UINT(cmdFindNext));
    char text[64] = "";
    GetMenuStringA(edit, cmdFind, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Find...\tCtrl+F");
    GetMenuStringA(edit, cmdFindNext, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Find Ne&xt\tF3");

    ACCEL keys[32];
    int n = CopyAcceleratorTableA(mainState.accelerators, keys, 32);
    int ctrlF = 0, f3 = 0;
    for (int i = 0; i < n; ++i) {
        if (keys[i].key == 'F' && keys[i].fVirt == (FVIRTKEY | FCONTROL)) ctrlF = keys[i].cmd;
        if (keys[i].key == VK_F3 && keys[i].fVirt == FVIRTKEY) f3 = keys[i].cmd;
    }
    EXPECT_EQ(ctrlF, cmdFind);
    EXPECT_EQ(f3, cmdFindNext);
}

// After a sort by amount, Find and F3 go down the rows as shown, from the
// row after the selected one, wrap at the end, and ignore letter case.
TEST_F(Find, GoesThroughTheRowsAsSortedAndWraps) {
    installLedger(feesImage());
    start();
    clickHeading(5);  // Amount, largest first: 750.00, 500.00, 12.50, 9.00, 1.25
    ASSERT_EQ(rows(1).size(), 5u);
    ASSERT_EQ(rows(1)[0].substr(0, 10), "03-14-2026");
    ASSERT_EQ(currentList->selected(), 1);  // the last row filled, now first

    FindDialogSeen seen = find("BANK fees");
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.owner, main);
    EXPECT_EQ(seen.text, "");  // nothing searched yet
    EXPECT_FALSE(seen.findEnabled);
    EXPECT_EQ(currentList->selected(), 3);
    EXPECT_EQ(selectedDate(), "02-14-2026");
    EXPECT_EQ(statusText(1), " 3 : 5");

    pressF3();
    EXPECT_EQ(currentList->selected(), 4);
    EXPECT_EQ(selectedDate(), "01-14-2026");
    EXPECT_EQ(statusText(1), " 4 : 5");
    pressF3();  // past the last row: from the top again
    EXPECT_EQ(currentList->selected(), 3);
    EXPECT_EQ(statusText(1), " 3 : 5");

    // The dialog offers the last text, selected, so that typing replaces it.
    seen = find("first bank");
    EXPECT_EQ(seen.text, "BANK fees");
    EXPECT_EQ(LOWORD(seen.selection), 0);
    EXPECT_EQ(HIWORD(seen.selection), 9);
    EXPECT_TRUE(seen.findEnabled);
    EXPECT_EQ(currentList->selected(), 4);
    pressF3();
    EXPECT_EQ(currentList->selected(), 5);  // the interest, paid by the other First Bank
    EXPECT_EQ(selectedDate(), "02-21-2026");
}

// Nothing holds the text: the selection stays, the status bar says so after
// the count, and no message box is shown. The next command's refresh says
// the count alone.
TEST_F(Find, NotFoundIsSaidInTheStatusBar) {
    installLedger(feesImage());
    start();
    selectPosition(2);
    prompts.messages.clear();
    find("Rent");
    EXPECT_EQ(currentList->selected(), 2);
    EXPECT_EQ(statusText(1), " 2 : 5    \"Rent\" not found");
    EXPECT_TRUE(prompts.messages.empty());
    pressF3();
    EXPECT_EQ(statusText(1), " 2 : 5    \"Rent\" not found");
    command(cmdNextTab);  // Services: Acme's two rows
    EXPECT_EQ(statusText(1), " 2 : 2");

    // Only the rows of the tab shown are searched.
    find("Bank fees");
    EXPECT_EQ(statusText(1), " 2 : 2    \"Bank fees\" not found");
    // Blanks around the text are not part of it.
    find("  acme  ");
    EXPECT_EQ(currentList->selected(), 1);
    EXPECT_EQ(statusText(1), " 1 : 2");
    FindDialogSeen seen = find("");  // Cancel: nothing is searched, the text is kept
    EXPECT_EQ(seen.text, "acme");
    EXPECT_EQ(currentList->selected(), 1);
}

// An empty text (or blanks) greys "Find"; Enter then does nothing and the
// dialog stays open with the user's input.
TEST_F(Find, AnEmptyTextFindsNothingAndKeepsTheDialogOpen) {
    installLedger(feesImage());
    start();
    static bool enabledWithBlanks = true, stillOpen = false, enabledWithText = false;
    whenDialogOpens("Find", [](HWND d) {
        setItemText(d, idFindText, "   ");
        enabledWithBlanks = IsWindowEnabled(GetDlgItem(d, IDOK)) != FALSE;
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // Enter
        stillOpen = IsWindow(d) && IsWindowVisible(d) && itemText(d, idFindText) == "   ";
        setItemText(d, idFindText, "fees");
        enabledWithText = IsWindowEnabled(GetDlgItem(d, IDOK)) != FALSE;
        closeBox(d);
    });
    command(cmdFind);
    EXPECT_FALSE(enabledWithBlanks);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(enabledWithText);
    EXPECT_EQ(currentList->selected(), 5);  // closed: nothing searched
    EXPECT_EQ(statusText(1), " 5 : 5");
    // Nothing was searched, so F3 asks for a text.
    EXPECT_TRUE(find("fees", cmdFindNext, 1).opened);
    EXPECT_EQ(currentList->selected(), 1);
}

// The row found is scrolled into view, wherever the list was scrolled.
TEST_F(Find, TheRowFoundIsScrolledIntoView) {
    LedgerImage image = feesImage();
    image.transactions = {makeTransaction("12-14-2025", typeExpense, 1, 1, 900)};
    for (int month = 1; month <= 4; ++month)
        for (int day = 13; day <= 28; ++day)
            image.transactions.push_back(makeTransaction(
                (month < 10 ? "0" : "") + std::to_string(month) + "-" + std::to_string(day) + "-2026", typeService, 2, 2, 100));
    installLedger(image);
    start();
    HWND box = currentList->listBox();
    ASSERT_EQ(currentList->selected(), 65);
    ASSERT_GT(SendMessageA(box, LB_GETTOPINDEX, 0, 0), 30);  // the last rows are shown

    find("Bank");
    EXPECT_EQ(currentList->selected(), 1);
    EXPECT_EQ(SendMessageA(box, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(box, LB_GETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(statusText(1), " 1 : 65");
    find("04-28");
    EXPECT_EQ(currentList->selected(), 65);
    EXPECT_GT(SendMessageA(box, LB_GETTOPINDEX, 0, 0), 30);
}

}  // namespace
