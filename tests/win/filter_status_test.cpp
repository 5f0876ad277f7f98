// The status bar's part for the filter in force, and the notes that say when
// the filter hides rows just added or changed.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/list_state.h"
#include "app/main_state.h"
#include "app/main_window.h"
#include "ledger/changes.h"
#include "reports/filter.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

LedgerImage twoYearsImage() {
    LedgerImage image;
    image.descriptions = {entry(2, "Bank fees"), entry(1, "Consulting")};
    image.names = {entry(2, "First Bank"), entry(1, "Acme Corp")};
    image.transactions = {
        makeTransaction("12-14-2025", typeExpense, 1, 1, 900),   makeTransaction("01-14-2026", typeExpense, 1, 1, 900),
        makeTransaction("01-20-2026", typeService, 2, 2, 50000), makeTransaction("02-14-2026", typeExpense, 1, 1, 900),
        makeTransaction("03-16-2026", typeService, 2, 2, 75000),
    };
    return image;
}

struct FilterBoxes {
    std::string year, start, end, description, name;
    bool reset = false;      // "&Reset" first
    bool closeBox = false;   // then the close box instead of "&OK"
};

class FilterPart : public MainWindowTest {
protected:
    void filterWith(const FilterBoxes& boxes) {
        static FilterBoxes typed;
        typed = boxes;
        whenDialogOpens("Filter Transactions", [](HWND d) {
            if (typed.reset) click(d, 3024);
            if (typed.closeBox) return closeBox(d);
            setItemText(d, 3023, typed.year);
            setItemText(d, 3021, typed.start);
            setItemText(d, 3022, typed.end);
            setItemText(d, 2003, typed.description);
            setItemText(d, 2004, typed.name);
            click(d, IDOK);
        });
        command(cmdFiltered);
    }

    int textWidth(const std::string& text) const {
        HDC dc = GetDC(statusBar);
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(statusBar, WM_GETFONT, 0, 0));
        HGDIOBJ before = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, before);
        ReleaseDC(statusBar, dc);
        return size.cx;
    }
    RECT partRect(int part) const {
        RECT r = {};
        SendMessageA(statusBar, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // Three parts side by side inside the bar; the file's and the filter's
    // texts whole, and part 1 wide enough for its count (its note may be cut).
    void expectPartsShown(const std::string& count) {
        ASSERT_EQ(SendMessageA(statusBar, SB_GETPARTS, 0, 0), 3);
        RECT bar;
        GetClientRect(statusBar, &bar);
        RECT file = partRect(0), middle = partRect(1), filtered = partRect(2);
        EXPECT_LE(file.right, middle.left + 2);
        EXPECT_LE(middle.right, filtered.left + 2);
        EXPECT_LE(filtered.right, bar.right);
        EXPECT_GE(file.right - file.left, textWidth(statusText(0)));
        EXPECT_GE(middle.right - middle.left, textWidth(count));
        EXPECT_EQ(statusText(1).substr(0, count.size()), count);
        if (!statusText(2).empty()) {
            EXPECT_GE(filtered.right - filtered.left, textWidth(statusText(2)));
        }
    }
};

TEST_F(FilterPart, SaysTheFilterAfterTheFilterCommandAndReset) {
    installLedger(twoYearsImage());
    start();
    EXPECT_EQ(statusText(2), "");  // at start-up nothing is filtered

    filterWith({" 2026", "", "", "Bank fees", ""});
    EXPECT_EQ(statusText(2), "Filter: 2026, Bank fees");
    EXPECT_EQ(statusText(0), "books.qvl");
    EXPECT_EQ(statusText(1), " 2 : 2");
    expectPartsShown(" 2 : 2");

    // "&Reset" and the close box: the filter is gone, yet the rows are as
    // they were until the list is filled again, and the part says so.
    filterWith({"", "", "", "", "", true, true});
    EXPECT_EQ(filterStartDate, 0);
    EXPECT_EQ(rows(1).size(), 2u);
    EXPECT_EQ(statusText(2), "Filter: 2026, Bank fees");
    command(cmdNextTab);  // the Services tab, filled
    EXPECT_EQ(rows(2).size(), 2u);
    EXPECT_EQ(statusText(2), "");

    filterWith({"", "03-01-2026", "03-31-2026", "", "", true});
    EXPECT_EQ(statusText(2), "Filter: 03-2026");
    filterWith({"", "02-15-2026", "", "", "Acme Corp", true});
    EXPECT_EQ(statusText(2), "Filter: from 02-15-2026, Acme Corp");
    EXPECT_EQ(statusText(1), " 1 : 1");
    filterWith({"", "", "01-31-2026", "Bank fees", "First Bank", true});
    EXPECT_EQ(statusText(2), "Filter: to 01-31-2026, Bank fees, First Bank");
    filterWith({"", "", "", "", "", true});  // "&Reset", then "&OK"
    EXPECT_EQ(statusText(2), "");
    EXPECT_EQ(statusText(1), " 5 : 5");
}

// The smallest window holds the three parts with a long filter and a note;
// a wider one gives part 1 the room it gains.
TEST_F(FilterPart, ThePartsAtTheSmallestAndTheLargestWindow) {
    installLedger(twoYearsImage());
    start();
    expectClientUnits(main, 320, 300);
    filterWith({"", "01-14-2026", "03-16-2026", "Consulting", "Acme Corp"});
    ASSERT_EQ(statusText(2), "Filter: 01-14-2026 to 03-16-2026, Consulting, Acme Corp");
    whenDialogOpens("Find", [](HWND d) {
        setItemText(d, 2001, "Nothing like it");
        click(d, IDOK);
    });
    command(cmdFind);
    ASSERT_EQ(statusText(1), " 2 : 2    \"Nothing like it\" not found");
    expectPartsShown(" 2 : 2");
    const RECT before = partRect(1);

    ShowWindow(main, SW_MAXIMIZE);
    pumpMessages();
    expectPartsShown(" 2 : 2");
    RECT bar;
    GetClientRect(statusBar, &bar);
    EXPECT_EQ(partRect(2).right, bar.right);
    EXPECT_GT(partRect(1).right - partRect(1).left, before.right - before.left + 200);
    EXPECT_GE(partRect(1).right - partRect(1).left, textWidth(statusText(1)));  // the note whole now
    ShowWindow(main, SW_RESTORE);
    pumpMessages();
    expectPartsShown(" 2 : 2");
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

void importThrough(ScriptedPrompts& prompts, const std::string& path) {
    prompts.chosenFiles = {path};
    whenDialogOpens("Import Statement", [](HWND d) { click(d, IDOK); });
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(cmdImport, 0), 0);
}

TEST_F(FilterPart, TheImportSaysHowManyRowsTheFilterHides) {
    installLedger(twoYearsImage());
    folder.write("april.csv", bytesOf("Date,Description,Amount,Balance\r\n"
                                      "03/14/2026,Corner Coffee,-3.50,996.50\r\n"
                                      "03/16/2026,Northwind Design payment,1200.00,2196.50\r\n"
                                      "03/20/2026,Monthly service fee,-9.00,2187.50\r\n"));
    start();
    filterWith({"", "03-15-2026", "", "", ""});
    ASSERT_EQ(rows(1).size(), 1u);
    importThrough(prompts, folder.file("april.csv"));
    EXPECT_TRUE(allDialogsHandled());
    ASSERT_EQ(transactionCount, 8);
    EXPECT_EQ(rows(1).size(), 3u);  // the coffee of 03-14 is before the filter's start
    EXPECT_EQ(statusText(1), " 3 : 3    3 rows added from april.csv, 1 hidden by the filter");

    // No row hidden: the note as it always was.
    command(cmdUndo);
    filterWith({"", "", "", "", "", true});
    importThrough(prompts, folder.file("april.csv"));
    ASSERT_EQ(transactionCount, 8);
    EXPECT_EQ(statusText(1).substr(statusText(1).find("    ")), "    3 rows added from april.csv");
}

TEST_F(FilterPart, AnAddedOrChangedRecordTheFilterHidesIsSaid) {
    installLedger(twoYearsImage());
    start();
    filterWith({" 2026", "", "", "", ""});
    ASSERT_EQ(rows(1).size(), 4u);
    auto addService = [this](const char* date, const char* year) {
        static std::string d, y;
        d = date;
        y = year;
        whenDialogOpens("Add new service  transaction", [](HWND dialog) {
            setItemText(dialog, 2001, d);
            setItemText(dialog, 2002, y);
            setItemText(dialog, 2003, "Consulting");
            setItemText(dialog, 2006, "100");
            click(dialog, 2022);
        });
        command(idServ);
    };
    addService("3/15", "2025");
    ASSERT_EQ(transactionCount, 6);
    EXPECT_EQ(rows(1).size(), 4u);
    EXPECT_EQ(statusText(1), " 4 : 4    The record is hidden by the filter");
    addService("3/17", "2026");  // shown and selected: nothing to say
    EXPECT_EQ(rows(1).size(), 5u);
    EXPECT_EQ(statusText(1), " 5 : 5");

    whenDialogOpens("Change service  transaction", [](HWND dialog) {
        setItemText(dialog, 2001, "3/17");
        setItemText(dialog, 2002, "2025");
        click(dialog, 2022);
    });
    command(idEdit);  // the 03-17 service moves out of 2026
    EXPECT_EQ(rows(1).size(), 4u);
    EXPECT_EQ(statusText(1), " 4 : 4    The record is hidden by the filter");
    EXPECT_EQ(statusText(2), "Filter: 2026");
}

}  // namespace
