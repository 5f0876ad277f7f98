#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ledger/changes.h"
#include "app/main_window.h"
#include "app/transaction_list.h"
#include "app/list_state.h"
#include "ledger/tables.h"
#include "lists/list_dialog.h"
#include "lists/list_maintenance.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

// Descriptions 4 (Expense) and 7 (Service) and name 4 are used by no
// transaction; the Service group holds Advice, Coaching, Consulting, Training.
LedgerImage listImage() {
    LedgerImage image;
    image.descriptions = {entry(1, "Consulting"), entry(2, "Office rent"), entry(1, "Advice"), entry(2, "Parking"),
                          entry(1, "Training"),   entry(6, "Interest"),    entry(1, "Coaching")};
    image.names = {entry(1, "Acme Corp"), entry(2, "Landlord"), entry(1, "Bolt & Co"), entry(2, "Garage"),
                   entry(6, "First Bank")};
    image.transactions = {
        makeTransaction("01-05-2006", typeService, 1, 1, 50000),
        makeTransaction("01-09-2006", typeExpense, 2, 2, 80000),
        makeTransaction("02-01-2006", typeService, 3, 3, 12000),
        makeTransaction("03-01-2006", typeEarnings, 6, 5, 2500),
        makeTransaction("03-02-2006", typeService, 5, 1, 7000),
    };
    return image;
}

class ListDialog : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        installLedger(listImage());
        start();
    }

    // Runs the dialog with the steps inside it, then closes it as the close
    // box would (also when a step failed half-way).
    void run(int kind, std::function<void(HWND)> steps) {
        whenDialogOpens(kind == 1 ? "List of Descriptions" : "List of Names", [steps](HWND d) {
            steps(d);
            PostMessageA(d, WM_CLOSE, 0, 0);
        });
        showListMaintenance(mainWindow, kind);
    }

    static HWND list(HWND d) { return GetDlgItem(d, 5000); }

    static std::vector<std::string> items(HWND d) {
        std::vector<std::string> out;
        int n = static_cast<int>(SendMessageA(list(d), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char buf[300] = "";
            SendMessageA(list(d), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
            out.push_back(buf);
        }
        return out;
    }

    static std::string highlighted(HWND d) {
        int sel = static_cast<int>(SendMessageA(list(d), LB_GETCURSEL, 0, 0));
        if (sel < 0) return "<none>";
        char buf[300] = "";
        SendMessageA(list(d), LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(buf));
        return buf;
    }

    // As the user clicking an item (or double-clicking it).
    static void choose(HWND d, const std::string& text, WORD code = LBN_SELCHANGE) {
        LRESULT at = SendMessageA(list(d), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(text.c_str()));
        ASSERT_NE(at, LB_ERR) << text;
        SendMessageA(list(d), LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(5000, code), reinterpret_cast<LPARAM>(list(d)));
    }

    static bool enabled(HWND d, int id) { return IsWindowEnabled(GetDlgItem(d, id)) != FALSE; }

    static std::vector<std::string> descriptionsShown() {
        std::vector<std::string> out;
        for (int t = 1; t <= transactionCount; ++t) out.push_back(descriptionText(transactions[t].descrIndex));
        return out;
    }
};

TEST_F(ListDialog, LayoutCaptionAndTheDisabledMainWindow) {
    run(1, [this](HWND d) {
        EXPECT_EQ(GetWindow(d, GW_OWNER), nullptr);
        EXPECT_FALSE(IsWindowEnabled(main));
        LONG style = GetWindowLongA(d, GWL_STYLE);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_TRUE(style & WS_MINIMIZEBOX);
        RECT client, expected = {0, 0, 170, 260};
        GetClientRect(d, &client);
        MapDialogRect(d, &expected);
        EXPECT_EQ(client.right, expected.right);
        EXPECT_EQ(client.bottom, expected.bottom);
        RECT w;
        GetWindowRect(d, &w);
        EXPECT_NEAR((w.left + w.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
        EXPECT_NEAR((w.top + w.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

        struct Control {
            int id;
            const char* text;
            long x, y, cx, cy;
        };
        const Control controls[] = {
            {5000, "", 10, 10, 140, 100},        {5001, "", 10, 110, 140, 12},
            {3002, "Services", 20, 135, 60, 12}, {3003, "Earnings", 20, 150, 60, 12},
            {3004, "Products", 20, 165, 60, 12}, {3005, "Expenses", 20, 180, 60, 12},
            {3006, "Unused", 20, 195, 60, 12},   {5002, "Add", 100, 135, 50, 20},
            {5003, "Change", 100, 160, 50, 20},  {5004, "Delete ", 100, 185, 50, 20},
            {3024, "Reset", 100, 210, 50, 20},
        };
        HWND child = GetWindow(d, GW_CHILD);  // creation order is the tab order
        for (const Control& c : controls) {
            ASSERT_NE(child, nullptr);
            EXPECT_EQ(GetDlgCtrlID(child), c.id);
            child = GetWindow(child, GW_HWNDNEXT);
            if (c.id != 5000) {
                EXPECT_EQ(itemText(d, c.id), c.text);
            }
            RECT r = itemRectUnits(d, c.id);
            EXPECT_EQ(r.left, c.x) << c.id;
            EXPECT_EQ(r.top, c.y) << c.id;
            EXPECT_EQ(r.right, c.cx) << c.id;
            EXPECT_NEAR(r.bottom, c.cy, c.id == 5000 ? 8 : 0) << c.id;  // the list keeps whole lines
        }
        LONG listStyle = GetWindowLongA(list(d), GWL_STYLE);
        EXPECT_EQ(listStyle & (LBS_SORT | LBS_NOTIFY), LBS_SORT | LBS_NOTIFY);  // the scroll bar shows when needed
        EXPECT_TRUE(GetWindowLongA(list(d), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

        EXPECT_TRUE(isChecked(d, 3002));
        EXPECT_EQ(items(d), (std::vector<std::string>{"Advice", "Coaching", "Consulting", "Training"}));
        EXPECT_EQ(highlighted(d), "<none>");
    });
    EXPECT_TRUE(IsWindowEnabled(main));

    // A main window that was disabled already stays so.
    EnableWindow(main, FALSE);
    run(0, [](HWND d) { EXPECT_EQ(items(d), (std::vector<std::string>{"Acme Corp", "Bolt & Co"})); });
    EXPECT_FALSE(IsWindowEnabled(main));
}

TEST_F(ListDialog, GroupButtonsAndTheUnusedViewWithDeleteAll) {
    std::vector<std::string> before = descriptionsShown();
    run(1, [](HWND d) {
        click(d, 3003);
        EXPECT_EQ(items(d), std::vector<std::string>{"Interest"});
        click(d, 3005);
        EXPECT_EQ(items(d), (std::vector<std::string>{"Office rent", "Parking"}));
        setItemText(d, 5001, "typed");

        click(d, 3006);
        EXPECT_EQ(items(d), (std::vector<std::string>{"Coaching", "Parking"}));  // every group
        EXPECT_EQ(itemText(d, 5001), "typed");  // only the group buttons and "Reset" empty it
        EXPECT_EQ(itemText(d, 3024), "Delete All");
        EXPECT_FALSE(enabled(d, 5001));
        EXPECT_FALSE(enabled(d, 5002));
        EXPECT_FALSE(enabled(d, 5003));
        EXPECT_TRUE(enabled(d, 5004));
        choose(d, "Parking");
        EXPECT_EQ(itemText(d, 5001), "Type of transaction: Expense");
        choose(d, "Coaching", LBN_DBLCLK);  // no "Change" here
        EXPECT_EQ(itemText(d, 5001), "Type of transaction: Service");
        EXPECT_EQ(descriptions[7], entry(1, "Coaching"));

        click(d, 3024);
        EXPECT_TRUE(items(d).empty());
        EXPECT_EQ(descrCount, 5);
        EXPECT_EQ(ledgerChanged, 1);
        EXPECT_EQ(itemText(d, 5001), "Type of transaction: Service");
        markLedgerSaved();
        click(d, 3024);  // nothing left to remove: still refilled and marked changed
        EXPECT_TRUE(items(d).empty());
        EXPECT_EQ(descrCount, 5);
        EXPECT_EQ(ledgerChanged, 1);

        click(d, 3002);
        EXPECT_EQ(itemText(d, 3024), "Reset");
        EXPECT_TRUE(enabled(d, 5001));
        EXPECT_TRUE(enabled(d, 5002));
        EXPECT_TRUE(enabled(d, 5003));
        EXPECT_EQ(items(d), (std::vector<std::string>{"Advice", "Consulting", "Training"}));
    });
    EXPECT_EQ(descriptionsShown(), before);
}

TEST_F(ListDialog, RenameInTwoPressesKeepsPlaceAndGroup) {
    run(1, [](HWND d) {
        choose(d, "Advice");
        click(d, 5003);
        EXPECT_EQ(itemText(d, 5001), "Advice");
        EXPECT_FALSE(enabled(d, 5002));
        EXPECT_FALSE(enabled(d, 5004));
        setItemText(d, 5001, "Expert advice");
        click(d, 5003);
        EXPECT_EQ(items(d), (std::vector<std::string>{"Coaching", "Consulting", "Expert advice", "Training"}));
        EXPECT_EQ(highlighted(d), "Expert advice");
        EXPECT_EQ(chosenEntry, 3);
        EXPECT_EQ(itemText(d, 5001), "");
        EXPECT_TRUE(enabled(d, 5002));
        EXPECT_TRUE(enabled(d, 5004));

        // A change of letter case is a plain rename, never a combination.
        choose(d, "Training", LBN_DBLCLK);  // a double click is the first press
        EXPECT_EQ(itemText(d, 5001), "Training");
        setItemText(d, 5001, "TRAINING");
        click(d, 5003);
        EXPECT_EQ(highlighted(d), "TRAINING");
    });
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(descrCount, 7);
    EXPECT_EQ(descriptions[3], entry(1, "Expert advice"));
    EXPECT_EQ(descriptions[5], entry(1, "TRAINING"));
    EXPECT_EQ(ledgerChanged, 1);
    fillList();
    EXPECT_EQ(rows(1)[2], "02-01-2006\tService \tExpert advice\tBolt & Co\t120.00");
    EXPECT_EQ(rows(1)[4], "03-02-2006\tService \tTRAINING\tAcme Corp\t70.00");
}

TEST_F(ListDialog, CombiningGivesTheSameResultWhicheverEntryComesFirst) {
    struct Case {
        const char* changed;
        const char* typed;
        int keptAt;  // the changed entry's number afterwards
    };
    const Case cases[] = {{"Advice", "TRAINING", 3}, {"Training", "ADVICE", 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.changed);
        ASSERT_TRUE(loadLedger(installLedger(listImage())));
        prompts.messages.clear();
        prompts.answers = {mb::idYes};
        run(1, [&c](HWND d) {
            choose(d, c.changed);
            click(d, 5003);
            setItemText(d, 5001, c.typed);
            click(d, 5003);
            EXPECT_EQ(items(d).size(), 3u);
            EXPECT_EQ(highlighted(d), c.typed);
            EXPECT_EQ(chosenEntry, c.keptAt);
        });
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, "This description is already used... continue anyway?");
        EXPECT_EQ(prompts.messages[0].title, "Combine Descriptions");
        EXPECT_EQ(prompts.messages[0].style, mb::yesNo | mb::iconExclamation);
        EXPECT_EQ(descrCount, 6);
        EXPECT_EQ(descriptions[c.keptAt], entry(1, c.typed));
        EXPECT_EQ(descriptionsShown(),
                  (std::vector<std::string>{"Consulting", "Office rent", c.typed, "Interest", c.typed}));
    }
}

// While its real question is up, a click on another entry and on "Delete "
// or a close does nothing: Yes then combines exactly the entries asked about.
TEST_F(ListDialog, NothingBehindItsQuestionTakesInput) {
    prompts.realPrompts = 1;
    run(1, [](HWND d) {
        whenDialogOpens("Combine Descriptions", [d](HWND box) {
            EXPECT_FALSE(IsWindowEnabled(d));
            choose(d, "Coaching");
            click(d, 5004);
            click(d, 3006);
            closeBox(d);
            PostMessageA(d, WM_CLOSE, 0, 0);
            PostMessageA(GetDlgItem(d, 5004), WM_KEYDOWN, VK_SPACE, 0);
            PostMessageA(GetDlgItem(d, 5004), WM_KEYUP, VK_SPACE, 0);
            pumpMessages();
            EXPECT_EQ(descrCount, 7);
            EXPECT_EQ(itemText(d, 3024), "Reset");
            click(box, IDYES);
        });
        choose(d, "Advice");
        click(d, 5003);
        setItemText(d, 5001, "TRAINING");
        click(d, 5003);
        EXPECT_TRUE(allDialogsHandled());
        EXPECT_TRUE(IsWindowEnabled(d));
        EXPECT_EQ(GetActiveWindow(), d);
        EXPECT_EQ(items(d), (std::vector<std::string>{"Coaching", "Consulting", "TRAINING"}));
    });
    EXPECT_EQ(descrCount, 6);
    EXPECT_EQ(descriptionsShown(),
              (std::vector<std::string>{"Consulting", "Office rent", "TRAINING", "Interest", "TRAINING"}));
}

TEST_F(ListDialog, RefusingToCombineActsAsReset) {
    prompts.answers = {mb::idNo};
    run(0, [](HWND d) {
        choose(d, "Bolt & Co");
        click(d, 5003);
        setItemText(d, 5001, "acme corp");
        click(d, 5003);
        EXPECT_EQ(itemText(d, 5001), "");
        EXPECT_TRUE(enabled(d, 5002));
        EXPECT_TRUE(enabled(d, 5004));
        EXPECT_EQ(items(d), (std::vector<std::string>{"Acme Corp", "Bolt & Co"}));
    });
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "This name is already used... continue anyway?");
    EXPECT_EQ(prompts.messages[0].title, "Combine Names");
    EXPECT_EQ(nameCount, 5);
    EXPECT_EQ(names[3], entry(1, "Bolt & Co"));
    EXPECT_EQ(ledgerChanged, 0);
}

TEST_F(ListDialog, DeleteIsRefusedWhileInUse) {
    run(1, [](HWND d) {
        choose(d, "Consulting");
        click(d, 5004);
        EXPECT_EQ(items(d).size(), 4u);
        choose(d, "Coaching");
        click(d, 5004);
        EXPECT_EQ(items(d), (std::vector<std::string>{"Advice", "Consulting", "Training"}));
        EXPECT_EQ(highlighted(d), "Consulting");  // the same position
        EXPECT_EQ(chosenEntry, 1);
    });
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Cannot delete... this description is in use");
    EXPECT_EQ(prompts.messages[0].title, "Delete Listbox Item");
    EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconStop);
    EXPECT_EQ(descrCount, 6);
    EXPECT_EQ(ledgerChanged, 1);
}

// Typed key by key, a long text is added whole; Ctrl+A replaces the box's
// text. A tab from the file shows as a blank, and an unchanged second
// "Change" leaves the entry's own text alone.
TEST_F(ListDialog, TypedKeysCtrlAAndControlCharactersShowAsBlanks) {
    descriptions[3] = entry(1, "Ad\tvice");
    const std::string longText = "Coaching for small teams and their leaders, every week. Free";
    ASSERT_EQ(longText.size(), 60u);
    run(1, [&](HWND d) {
        EXPECT_EQ(items(d), (std::vector<std::string>{"Ad vice", "Coaching", "Consulting", "Training"}));
        typeKeys(d, 5001, "Mentoring");
        pressCtrlA(d, 5001);
        typeKeys(d, 5001, longText);
        click(d, 5002);
        EXPECT_EQ(highlighted(d), longText);
        choose(d, "Ad vice");
        click(d, 5003);
        EXPECT_EQ(itemText(d, 5001), "Ad vice");
        click(d, 5003);  // nothing typed over it: no rename
    });
    EXPECT_EQ(descrCount, 8);
    EXPECT_EQ(descriptions[8], entry(1, longText));
    EXPECT_EQ(descriptions[3], entry(1, "Ad\tvice"));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ListDialog, AddIgnoresTheGroupsOwnTextsAndRefusesLongOnes) {
    run(0, [](HWND d) {
        setItemText(d, 5001, "acme CORP");
        click(d, 5002);
        EXPECT_EQ(nameCount, 5);
        EXPECT_EQ(ledgerChanged, 1);  // marked changed whether or not the text was new
        EXPECT_EQ(itemText(d, 5001), "");
        EXPECT_EQ(highlighted(d), "Acme Corp");

        click(d, 3005);  // the same text in another group is another entry
        setItemText(d, 5001, "Acme Corp");
        click(d, 5002);
        EXPECT_EQ(nameCount, 6);
        EXPECT_EQ(names[6], entry(2, "Acme Corp"));
        EXPECT_EQ(highlighted(d), "Acme Corp");
        EXPECT_EQ(chosenEntry, 6);

        std::string tooLong(255, 'x');
        setItemText(d, 5001, tooLong);
        click(d, 5002);
        EXPECT_EQ(itemText(d, 5001), tooLong);  // kept for correcting
        EXPECT_EQ(nameCount, 6);
    });
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "This text is too long: at most 254 characters can be kept.");
    EXPECT_EQ(prompts.messages[0].title, "Quirvel");
    EXPECT_EQ(ledgerChanged, 1);
}

}  // namespace
