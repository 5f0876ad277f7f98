// A description's line of Schedule C, shown and chosen in Edit > Descr list
// through "Tax line..." and the Schedule C Line dialog, then taken back and
// made again from the main window, carried by a rename and kept by a save.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "ledger/changes.h"
#include "ledger/side_file.h"
#include "ledger/tables.h"
#include "lists/tax_lines.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"
#include "text/date_text.h"

namespace {

enum : int {
    idList = 5000,
    idEntryText = 5001,
    idChange = 5003,
    idDelete = 5004,
    idTaxLine = 5005,
    idTaxLineShown = 5006,
    idServices = 3002,
    idEarnings = 3003,
    idProducts = 3004,
    idExpenses = 3005,
    idUnused = 3006,
    idChooserDescription = 2701,
    idChooserLine = 2702,
    idChooserNote = 2703,
};

const char* const supplies = "Line 22 Supplies (not included in Part III)";

// A modal dialog shows itself when its loop first has nothing to do, after
// the steps queued for it began: these run once it shows (or after two
// seconds, to fail rather than wait).
struct {
    HWND box = nullptr;
    std::function<void()> steps;
    DWORD until = 0;
} shownWait;

void CALLBACK runWhenShown(HWND, UINT, UINT_PTR id, DWORD) {
    if (!IsWindowVisible(shownWait.box) && GetTickCount() < shownWait.until) return;
    KillTimer(nullptr, id);
    auto steps = std::move(shownWait.steps);
    shownWait.steps = nullptr;
    if (steps) steps();
}

void onceShown(HWND box, std::function<void()> steps) {
    shownWait.box = box;
    shownWait.steps = std::move(steps);
    shownWait.until = GetTickCount() + 2000;
    SetTimer(nullptr, 0, 10, runWhenShown);
}

LedgerImage taxImage() {
    LedgerImage image;
    image.descriptions = {entry(2, "Office supplies"), entry(2, "Mileage"),  entry(2, "Health insurance"),
                          entry(1, "Consulting"),      entry(3, "Widgets"),  entry(6, "Interest"),
                          entry(2, "Postage")};
    image.names = {entry(1, "Acme Corp"), entry(2, "Paper Trail"), entry(3, "Bolt & Co")};
    image.transactions = {
        makeTransaction("01-05-2026", typeService, 4, 1, 50000),
        makeTransaction("01-09-2026", typeExpense, 1, 2, 4599),
        makeTransaction("02-01-2026", typeExpense, 2, 0, 12340),
        makeTransaction("02-14-2026", typeSold, 5, 3, 1999, modeTaxAdded, 125),
        makeTransaction("03-01-2026", typeEarnings, 6, 0, 250),
        makeTransaction("03-02-2026", typeExpense, 3, 2, 30000),
    };
    return image;
}

class TaxLine : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        installLedger(taxImage());
        start();
    }

    // Edit > Descr list (or Names list) from the main window, the steps run
    // inside it, then its close box.
    void inList(int command, std::function<void(HWND)> steps) {
        whenDialogOpens(command == cmdDescrList ? "List of Descriptions" : "List of Names", [steps](HWND d) {
            steps(d);
            closeBox(d);
        });
        this->command(command);
        EXPECT_TRUE(allDialogsHandled());
    }
    void inDescriptions(std::function<void(HWND)> steps) { inList(cmdDescrList, std::move(steps)); }

    // Opens the Schedule C Line dialog with "Tax line..." and runs the steps
    // in it; they close it.
    static void chooseWith(HWND list, std::function<void(HWND)> steps) {
        whenDialogOpens("Schedule C Line", std::move(steps));
        click(list, idTaxLine);
        EXPECT_TRUE(allDialogsHandled());
    }

    // As the user clicking an item of the list.
    static void select(HWND d, const std::string& text) {
        HWND list = GetDlgItem(d, idList);
        LRESULT at = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(text.c_str()));
        EXPECT_NE(at, LB_ERR) << text;
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(idList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }

    static std::string shown(HWND d) { return itemText(d, idTaxLineShown); }
    static bool canChoose(HWND d) { return IsWindowEnabled(GetDlgItem(d, idTaxLine)) != FALSE; }

    static std::string comboText(HWND combo, LRESULT at) {
        if (at < 0) return "<none>";
        std::string s(static_cast<size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0)) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&s[0]));
        s.resize(s.size() - 1);
        return s;
    }
    static std::string chosenLine(HWND box) {
        HWND combo = GetDlgItem(box, idChooserLine);
        return comboText(combo, SendMessageA(combo, CB_GETCURSEL, 0, 0));
    }
    static std::vector<std::string> lineItems(HWND box) {
        HWND combo = GetDlgItem(box, idChooserLine);
        std::vector<std::string> items;
        for (LRESULT i = 0, n = SendMessageA(combo, CB_GETCOUNT, 0, 0); i < n; ++i) items.push_back(comboText(combo, i));
        return items;
    }
    // As the user picking a line in the drop list: the selection, then its
    // notification.
    static void pickLine(HWND box, const std::string& caption) {
        HWND combo = GetDlgItem(box, idChooserLine);
        LRESULT at = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(caption.c_str()));
        EXPECT_NE(at, CB_ERR) << caption;
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(idChooserLine, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }

    // Office supplies given line 22 through the list and the dialog.
    void assignSupplies() {
        inDescriptions([](HWND d) {
            click(d, idExpenses);
            select(d, "Office supplies");
            chooseWith(d, [](HWND box) {
                pickLine(box, supplies);
                click(box, IDOK);
            });
        });
    }

    static std::string lineOf(const std::string& text) {
        const TaxLineAssignment* a = findAssignment(ledger.beside.tax, typeExpense, text);
        return a ? a->line : "<none>";
    }

    std::string menuText(int id) const {
        char text[128] = "";
        GetMenuStringA(GetMenu(main), static_cast<UINT>(id), text, sizeof text, MF_BYCOMMAND);
        return text;
    }

    const TaxForm& form = taxFormFor(currentLocalYear());
};

// Each group's descriptions: services and earnings proposed to their income
// lines, an expense by its words, none for health insurance; nothing to
// choose for products, the mileage, the unused view or no selection.
TEST_F(TaxLine, TheSelectedDescriptionsLineInEachGroup) {
    inDescriptions([this](HWND d) {
        EXPECT_EQ(shown(d), "");  // nothing selected yet
        EXPECT_FALSE(canChoose(d));
        select(d, "Consulting");
        EXPECT_EQ(shown(d), "Proposed: Line 1 Gross receipts or sales");
        EXPECT_TRUE(canChoose(d));

        click(d, idEarnings);
        EXPECT_EQ(shown(d), "");
        EXPECT_FALSE(canChoose(d));
        select(d, "Interest");
        EXPECT_EQ(shown(d), "Proposed: " + lineCaption(form, "otherIncome"));

        click(d, idProducts);
        select(d, "Widgets");
        EXPECT_EQ(shown(d), "");
        EXPECT_FALSE(canChoose(d));
        click(d, idTaxLine);  // opens nothing: a queued dialog would wait for ever

        click(d, idExpenses);
        select(d, "Health insurance");
        EXPECT_EQ(shown(d), "No tax line");
        EXPECT_TRUE(canChoose(d));
        select(d, "Mileage");
        EXPECT_EQ(shown(d), "Mileage: miles go to lines 9 and 44a");
        EXPECT_FALSE(canChoose(d));
        select(d, "Office supplies");
        EXPECT_EQ(shown(d), "Proposed: Line 18 Office expense");

        click(d, idUnused);
        select(d, "Postage");
        EXPECT_EQ(shown(d), "");
        EXPECT_FALSE(canChoose(d));
        click(d, idExpenses);
        EXPECT_EQ(shown(d), "");
    });
    EXPECT_TRUE(ledger.beside.tax.empty());
    EXPECT_EQ(ledgerChanged, 0);
}

// The two new controls sit under the edit box and under "Reset", inside the
// dialog and over no other control; the names list has neither.
TEST_F(TaxLine, LayoutOfTheDescriptionsListAndNoneInTheNamesList) {
    inDescriptions([](HWND d) {
        RECT s = itemRectUnits(d, idTaxLineShown), b = itemRectUnits(d, idTaxLine);
        EXPECT_EQ(std::vector<long>({s.left, s.top, s.right, s.bottom}), std::vector<long>({10, 123, 140, 10}));
        EXPECT_EQ(std::vector<long>({b.left, b.top, b.right, b.bottom}), std::vector<long>({100, 235, 50, 20}));
        EXPECT_EQ(itemText(d, idTaxLine), "Tax line...");
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(d, idTaxLineShown), GWL_STYLE) & SS_NOPREFIX);
        expectClientUnits(d, 170, 260);

        RECT client;
        GetClientRect(d, &client);
        std::vector<HWND> children;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
        ASSERT_EQ(children.size(), 13u);
        EXPECT_EQ(GetDlgCtrlID(children[11]), idTaxLineShown);  // after the others, in tab order too
        EXPECT_EQ(GetDlgCtrlID(children[12]), idTaxLine);
        std::vector<RECT> rects;
        for (HWND c : children) {
            RECT r;
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
            RECT inside;
            IntersectRect(&inside, &r, &client);
            EXPECT_TRUE(EqualRect(&inside, &r)) << GetDlgCtrlID(c) << " reaches out of the dialog";
            rects.push_back(r);
        }
        for (size_t i = 0; i < rects.size(); ++i)
            for (size_t j = i + 1; j < rects.size(); ++j) {
                RECT both;
                EXPECT_FALSE(IntersectRect(&both, &rects[i], &rects[j]))
                    << GetDlgCtrlID(children[i]) << " overlaps " << GetDlgCtrlID(children[j]);
            }
    });
    inList(cmdNamesList, [](HWND d) {
        EXPECT_EQ(GetDlgItem(d, idTaxLine), nullptr);
        EXPECT_EQ(GetDlgItem(d, idTaxLineShown), nullptr);
        int n = 0;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
        EXPECT_EQ(n, 11);
    });
}

// OK confirms the line picked, Cancel and the close box change nothing; the
// main window's Undo takes the line back and Redo makes it again, and the
// list shows each.
TEST_F(TaxLine, ChosenConfirmedCancelledUndoneAndRedone) {
    inDescriptions([this](HWND d) {
        click(d, idExpenses);
        select(d, "Office supplies");
        chooseWith(d, [this](HWND box) {
            EXPECT_EQ(itemText(box, idChooserDescription), "Description: Office supplies");
            EXPECT_EQ(chosenLine(box), "Line 18 Office expense");  // the proposal first
            EXPECT_EQ(itemText(box, idChooserNote).rfind("Proposed from the description's words", 0), 0u);
            std::vector<std::string> items = lineItems(box);
            EXPECT_EQ(items.size(), assignableLines(form, typeExpense).size() + 1);
            EXPECT_EQ(items.front(), "Line 8 Advertising");
            EXPECT_EQ(items.back(), "Not on Schedule C");
            for (const std::string& i : items) EXPECT_EQ(i.find("Gross receipts"), std::string::npos);
            // Line 13's long name shows whole in the dropped list.
            HWND combo = GetDlgItem(box, idChooserLine);
            RECT r;
            GetWindowRect(combo, &r);
            EXPECT_GT(SendMessageA(combo, CB_GETDROPPEDWIDTH, 0, 0), r.right - r.left);
            pickLine(box, supplies);
            click(box, IDOK);
        });
        EXPECT_EQ(shown(d), supplies);
        EXPECT_EQ(lineOf("Office supplies"), "supplies");
        EXPECT_EQ(ledgerChanged, 1);
        EXPECT_TRUE(IsWindowEnabled(d));

        chooseWith(d, [](HWND box) {
            EXPECT_EQ(chosenLine(box), supplies);  // the confirmed one first
            EXPECT_EQ(itemText(box, idChooserNote).rfind("Confirmed by you.", 0), 0u);
            pickLine(box, "Line 18 Office expense");
            click(box, IDCANCEL);
        });
        chooseWith(d, [](HWND box) {
            pickLine(box, "Not on Schedule C");
            closeBox(box);
        });
        EXPECT_EQ(shown(d), supplies);
        EXPECT_EQ(lineOf("Office supplies"), "supplies");
        ASSERT_EQ(ledger.beside.tax.assignments.size(), 1u);

        // Another description keeps its own proposal.
        select(d, "Health insurance");
        EXPECT_EQ(shown(d), "No tax line");
        chooseWith(d, [](HWND box) {
            EXPECT_EQ(chosenLine(box), "<none>");
            EXPECT_EQ(itemText(box, idChooserNote).rfind("Not on any line yet", 0), 0u);
            pickLine(box, "Not on Schedule C");
            click(box, IDOK);
        });
        EXPECT_EQ(shown(d), "Not on Schedule C");
        EXPECT_EQ(lineOf("Health insurance"), leftOutKey);
    });
    EXPECT_EQ(menuText(cmdUndo), "&Undo Assign tax line\tCtrl+Z");

    command(cmdUndo);
    EXPECT_EQ(lineOf("Health insurance"), "<none>");
    EXPECT_EQ(lineOf("Office supplies"), "supplies");
    command(cmdUndo);
    EXPECT_TRUE(ledger.beside.tax.empty());
    EXPECT_EQ(ledgerChanged, 0);  // back to the books as loaded
    inDescriptions([](HWND d) {
        click(d, idExpenses);
        select(d, "Office supplies");
        EXPECT_EQ(shown(d), "Proposed: Line 18 Office expense");
    });
    EXPECT_EQ(menuText(cmdRedo), "&Redo Assign tax line\tCtrl+Y");
    command(cmdRedo);
    EXPECT_EQ(lineOf("Office supplies"), "supplies");
    EXPECT_EQ(ledgerChanged, 1);
    inDescriptions([](HWND d) {
        click(d, idExpenses);
        select(d, "Office supplies");
        EXPECT_EQ(shown(d), supplies);
        select(d, "Health insurance");
        EXPECT_EQ(shown(d), "No tax line");  // not redone yet
    });
}

// Renamed with "Change", the description keeps its line, on the list at
// once and in the books; undoing the rename takes the line back with it.
TEST_F(TaxLine, ARenamedDescriptionKeepsItsLine) {
    assignSupplies();
    inDescriptions([](HWND d) {
        click(d, idExpenses);
        select(d, "Office supplies");
        click(d, idChange);
        EXPECT_EQ(itemText(d, idEntryText), "Office supplies");
        setItemText(d, idEntryText, "Stationery");
        click(d, idChange);
        EXPECT_EQ(shown(d), supplies);  // the renamed entry stays selected
        select(d, "Postage");
        EXPECT_EQ(shown(d), "Proposed: Line 18 Office expense");
        select(d, "Stationery");
        EXPECT_EQ(shown(d), supplies);
    });
    EXPECT_EQ(lineOf("Stationery"), "supplies");
    EXPECT_EQ(lineOf("Office supplies"), "<none>");
    EXPECT_EQ(ledger.beside.tax.assignments.size(), 1u);

    command(cmdUndo);  // the rename, with its line
    EXPECT_EQ(descriptionText(transactions[2].descrIndex), "Office supplies");
    EXPECT_EQ(lineOf("Office supplies"), "supplies");
    EXPECT_EQ(lineOf("Stationery"), "<none>");
    command(cmdRedo);
    EXPECT_EQ(lineOf("Stationery"), "supplies");
}

// Saved, the line goes into the side file beside the ledger; the books
// opened again have it, and the list shows it confirmed.
TEST_F(TaxLine, ASavedLineIsThereWhenTheBooksAreOpenedAgain) {
    assignSupplies();
    command(cmdSave);
    EXPECT_EQ(ledgerChanged, 0);
    Bytes side = folder.read("books.qvl-import");
    std::string text(side.begin(), side.end());
    EXPECT_NE(text.find("\r\ntaxline\t1\t2\tOffice supplies\tsupplies\r\n"), std::string::npos) << text;

    DestroyWindow(main);
    resetAllState();
    EXPECT_TRUE(ledger.beside.tax.empty());
    start();
    EXPECT_EQ(lineOf("Office supplies"), "supplies");
    EXPECT_FALSE(canUndo());  // what was loaded is no step
    inDescriptions([](HWND d) {
        click(d, idExpenses);
        select(d, "Office supplies");
        EXPECT_EQ(shown(d), supplies);
    });
    EXPECT_EQ(ledgerChanged, 0);
}

// Input for the list behind a dialog: its buttons clicked as a program
// does, mouse clicks posted to them and to its list, the mouse itself on its
// buttons, and its close box.
void clickTheListBehind(HWND d) {
    click(d, idTaxLine);
    click(d, idDelete);
    for (int id : {idTaxLine, idDelete, idList}) {
        HWND c = GetDlgItem(d, id);
        RECT r;
        GetClientRect(c, &r);
        LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
        PostMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(c, WM_LBUTTONUP, 0, at);
    }
    for (int id : {idTaxLine, idDelete}) {
        RECT r;
        GetWindowRect(GetDlgItem(d, id), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        INPUT press[2] = {};
        press[0].type = press[1].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, press, sizeof(INPUT));
    }
    closeBox(d);
    for (int i = 0; i < 10; ++i) {
        Sleep(10);
        pumpMessages();
    }
}

// While the Schedule C Line dialog is up, nothing reaches the list behind
// it: no second dialog opens, nothing is deleted and the list stays; then
// it shows the line chosen.
TEST_F(TaxLine, TheListBehindTheDialogTakesNoInput) {
    int nested = 0;
    inDescriptions([&nested](HWND d) {
        click(d, idExpenses);
        select(d, "Postage");  // unused: Delete would remove it
        whenDialogOpens("Schedule C Line", [d, &nested](HWND box) {
            onceShown(box, [d, &nested, box] {
                // A second dialog would be one of these, each closed at once.
                for (int i = 0; i < 8; ++i)
                    whenDialogOpens("Schedule C Line", [&nested](HWND again) {
                        ++nested;
                        click(again, IDCANCEL);
                    });
                EXPECT_TRUE(IsWindowVisible(box));
                EXPECT_FALSE(IsWindowEnabled(d));
                clickTheListBehind(d);
                EXPECT_EQ(nested, 0);
                EXPECT_EQ(descrCount, 7);
                EXPECT_TRUE(IsWindowVisible(d));
                EXPECT_TRUE(IsWindowVisible(box));
                pickLine(box, "Line 18 Office expense");
                click(box, IDOK);
            });
        });
        click(d, idTaxLine);
        EXPECT_EQ(nested, 0);
        clearDialogQueue();  // no second dialog came
        EXPECT_TRUE(IsWindowVisible(d));
        EXPECT_TRUE(IsWindowEnabled(d));
        EXPECT_EQ(shown(d), "Line 18 Office expense");
        EXPECT_EQ(descrCount, 7);
    });
    EXPECT_EQ(lineOf("Postage"), "office");
    EXPECT_EQ(descrCount, 7);
}

}  // namespace
