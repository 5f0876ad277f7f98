#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_window.h"
#include "app/transaction_list.h"
#include "app/list_state.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "reports/filter_dialog.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

const char* const caption = "Filter Transactions";

// Two "Repairs" descriptions in different groups and one that differs only
// in letter case; services in 2023 and 2024, products in 2024.
LedgerImage filterImage() {
    LedgerImage image;
    image.descriptions = {entry(1, "Repairs"), entry(3, "Repairs"), entry(3, "repairs"), entry(1, "Consulting"),
                          entry(3, "Widgets")};
    image.names = {entry(1, "Acme Corp"), entry(3, "Bolt & Co")};
    image.transactions = {
        makeTransaction("01-15-2023", typeService, 1, 1, 100), makeTransaction("03-01-2024", typeService, 4, 1, 200),
        makeTransaction("06-30-2024", typeSold, 2, 2, 300),    makeTransaction("07-01-2024", typeSold, 3, 2, 400),
        makeTransaction("12-31-2024", typeBought, 5, 2, 500),
    };
    return image;
}

class FilterDialog : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        installLedger(filterImage());
        start();
    }

    void open(std::function<void(HWND)> steps) {
        whenDialogOpens(caption, std::move(steps));
        command(cmdFiltered);
    }

    // The dates of the rows "All Transactions" shows.
    std::vector<std::string> shownDates() const {
        std::vector<std::string> dates;
        for (const std::string& r : rows(1)) dates.push_back(r.substr(0, 10));
        return dates;
    }

    static std::vector<std::string> boxTexts(HWND dialog, int id) {
        HWND box = GetDlgItem(dialog, id);
        std::vector<std::string> texts;
        int n = static_cast<int>(SendMessageA(box, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char buf[256] = "";
            SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
            texts.push_back(buf);
        }
        return texts;
    }

};

TEST_F(FilterDialog, Layout) {
    open([](HWND d) {
        EXPECT_EQ(windowText(d), caption);
        EXPECT_EQ(GetWindow(d, GW_OWNER), mainWindow);
        EXPECT_TRUE(GetWindowLongA(d, GWL_STYLE) & WS_SYSMENU);
        expectClientUnits(d, 270, 130);
        expectCentredOnWorkArea(d);

        struct Control {
            int id;
            const char* cls;
            const char* text;
            long x, y, w, h;
            DWORD style;  // bits that must be set
        };
        const DWORD sortedBox = CBS_DROPDOWN | CBS_SORT | CBS_DISABLENOSCROLL;
        const Control controls[] = {
            {3023, "ComboBox", "", 42, 10, 40, 0, CBS_DROPDOWN},
            {3021, "Edit", "", 132, 5, 45, 12, ES_AUTOHSCROLL},
            {3022, "Edit", "", 132, 20, 45, 12, ES_AUTOHSCROLL},
            {2003, "ComboBox", "", 72, 60, 90, 0, sortedBox},
            {2004, "ComboBox", "", 72, 80, 90, 0, sortedBox},
            {3024, "Button", "&Reset", 200, 50, 40, 25, BS_PUSHBUTTON},
            {1, "Button", "&OK", 200, 80, 40, 25, BS_DEFPUSHBUTTON},
        };
        std::vector<int> tabOrder;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) tabOrder.push_back(GetDlgCtrlID(c));
        EXPECT_EQ(tabOrder, (std::vector<int>{3023, 3021, 3022, 2003, 2004, 3024, 1}));
        for (const Control& c : controls) {
            HWND w = GetDlgItem(d, c.id);
            ASSERT_NE(w, nullptr) << c.id;
            char cls[32] = "";
            GetClassNameA(w, cls, sizeof cls);
            EXPECT_STRCASEEQ(cls, c.cls) << c.id;
            EXPECT_EQ(windowText(w), c.text) << c.id;
            RECT r = itemRectUnits(d, c.id);
            EXPECT_EQ(r.left, c.x) << c.id;
            EXPECT_EQ(r.top, c.y) << c.id;
            EXPECT_EQ(r.right, c.w) << c.id;
            if (c.h) {
                EXPECT_EQ(r.bottom, c.h) << c.id;
            }
            DWORD style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
            DWORD checked = c.cls[0] == 'B' ? style & 0xF : style & c.style;
            EXPECT_EQ(checked, c.style) << c.id;
        }
        EXPECT_FALSE(GetWindowLongA(GetDlgItem(d, 3023), GWL_STYLE) & CBS_SORT);

        struct Label {
            const char* text;
            long x, y, w;
        };
        const Label labels[] = {{"Year:", 20, 10, 19},       {"Start Date:", 90, 5, 39}, {"End Date:", 90, 20, 39},
                                {"Description:", 30, 60, 40}, {"Name:", 30, 80, 40}};
        size_t found = 0;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[32] = "";
            GetClassNameA(c, cls, sizeof cls);
            if (lstrcmpiA(cls, "Static")) continue;
            for (const Label& l : labels) {
                if (windowText(c) != l.text) continue;
                ++found;
                EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(c)), 0xFFFF) << l.text;
                EXPECT_EQ(GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK, SS_RIGHT) << l.text;
                RECT r;
                GetWindowRect(c, &r);
                MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
                RECT expected = {l.x, l.y, l.w, 10};  // x, y, width, height
                MapDialogRect(d, &expected);
                EXPECT_EQ(r.left, expected.left) << l.text;
                EXPECT_EQ(r.top, expected.top) << l.text;
                EXPECT_EQ(r.right - r.left, expected.right) << l.text;
                EXPECT_EQ(r.bottom - r.top, expected.bottom) << l.text;
            }
        }
        EXPECT_EQ(found, 5u);

        SYSTEMTIME now;
        GetLocalTime(&now);
        std::vector<std::string> years;
        for (int y = now.wYear - 4; y <= now.wYear; ++y) years.push_back(" " + std::to_string(y));
        EXPECT_EQ(boxTexts(d, 3023), years);
        closeBox(d);
    });
}

TEST_F(FilterDialog, OpensEmptyAndOkWithEmptyBoxesSetsNoFilter) {
    open([](HWND d) {
        for (int id : {3023, 3021, 3022, 2003, 2004}) EXPECT_EQ(itemText(d, id), "") << id;
        // All tab: every group, each text once (letter case ignored), sorted.
        EXPECT_EQ(boxTexts(d, 2003), (std::vector<std::string>{"Consulting", "Repairs", "Widgets"}));
        EXPECT_EQ(boxTexts(d, 2004), (std::vector<std::string>{"Acme Corp", "Bolt & Co"}));
        click(d, IDOK);
    });
    EXPECT_EQ(filterStartDate, 0);
    EXPECT_EQ(filterEndDate, 0xFFFF);
    EXPECT_EQ(filterDescrIndex, 0);
    EXPECT_EQ(filterNameIndex, 0);
    EXPECT_EQ(shownDates().size(), 5u);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(FilterDialog, TypedDatesOnlyNarrowUntilReset) {
    open([](HWND d) {
        setItemText(d, 3021, "3-1-2024");
        setItemText(d, 3022, "12-31-2024");
        click(d, IDOK);
    });
    EXPECT_EQ(shownDates(), (std::vector<std::string>{"03-01-2024", "06-30-2024", "07-01-2024", "12-31-2024"}));

    open([](HWND d) {
        EXPECT_EQ(itemText(d, 3021), "03-01-2024");
        EXPECT_EQ(itemText(d, 3022), "12-31-2024");
        setItemText(d, 3021, "01-01-2024");  // earlier: ignored
        setItemText(d, 3022, "06-30-2024");  // earlier: taken
        click(d, IDOK);
    });
    EXPECT_EQ(formatDate(filterStartDate), "03-01-2024");
    EXPECT_EQ(shownDates(), (std::vector<std::string>{"03-01-2024", "06-30-2024"}));

    open([](HWND d) {
        click(d, 3024);
        setItemText(d, 3021, "01-01-2024");
        setItemText(d, 3022, "");  // an empty end box: no upper bound
        click(d, IDOK);
    });
    EXPECT_EQ(formatDate(filterStartDate), "01-01-2024");
    EXPECT_EQ(filterEndDate, 0xFFFF);
    EXPECT_EQ(shownDates().size(), 4u);
}

TEST_F(FilterDialog, YearOverridesBothDates) {
    open([](HWND d) {
        setItemText(d, 3021, "06-01-2024");
        setItemText(d, 3022, "07-01-2024");
        setItemText(d, 3023, " 2023");
        click(d, IDOK);
    });
    EXPECT_EQ(formatDate(filterStartDate), "01-01-2023");
    EXPECT_EQ(formatDate(filterEndDate), "12-31-2023");
    EXPECT_EQ(shownDates(), std::vector<std::string>{"01-15-2023"});
}

TEST_F(FilterDialog, DescriptionMatchesTheSameTextInAnotherGroupOnly) {
    open([](HWND d) {
        setItemText(d, 2003, "REPAIRS");  // typed: found with letter case ignored
        setItemText(d, 2004, "Nobody");   // no such item: no name filter
        click(d, IDOK);
    });
    EXPECT_EQ(filterDescrIndex, 1);
    EXPECT_EQ(filterNameIndex, 0);
    // The service and the product "Repairs", not the product "repairs".
    EXPECT_EQ(shownDates(), (std::vector<std::string>{"01-15-2023", "06-30-2024"}));

    open([](HWND d) {
        EXPECT_EQ(itemText(d, 2003), "Repairs");  // the filter in force is shown
        closeBox(d);
    });
}

// Keys typed into the boxes, Ctrl+A replacing what is there; a description
// with a tab from the file is offered, found and shown as the list shows it.
TEST_F(FilterDialog, TypedKeysCtrlAAndControlCharactersFromAFile) {
    int tune = appendListEntry(descrList, 1, "Tune\tup");
    placeTransaction(makeTransaction("05-05-2024", typeService, static_cast<uint16_t>(tune), 1, 900));
    open([](HWND d) {
        std::vector<std::string> texts = boxTexts(d, 2003);
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Tune up"), texts.end());
        typeKeys(d, 2003, "Consulting");
        pressCtrlA(d, 2003);
        typeKeys(d, 2003, "tune up");
        EXPECT_EQ(itemText(d, 2003), "tune up");
        typeKeys(d, 3021, "1/1/2023");
        pressCtrlA(d, 3021);
        typeKeys(d, 3021, "5/1/2024");
        click(d, IDOK);
    });
    EXPECT_EQ(filterDescrIndex, tune);
    EXPECT_EQ(filterStartDate, packDate("05-01-2024"));
    EXPECT_EQ(shownDates(), std::vector<std::string>{"05-05-2024"});
    EXPECT_EQ(descriptions[tune], entry(1, "Tune\tup"));
    open([](HWND d) {
        EXPECT_EQ(itemText(d, 2003), "Tune up");  // the filter in force
        closeBox(d);
    });
}

// A combination in the descriptions list removes an entry before the one
// the filter asks for, and an Undo puts it back: the filter follows its
// description both times.
TEST_F(FilterDialog, FollowsItsDescriptionWhenAnEntryBeforeItGoesOrComesBack) {
    open([](HWND d) {
        setItemText(d, 2003, "Widgets");
        click(d, IDOK);
    });
    ASSERT_EQ(shownDates(), std::vector<std::string>{"12-31-2024"});
    whenDialogOpens("List of Descriptions", [](HWND d) {
        HWND list = GetDlgItem(d, 5000);
        SendMessageA(list, LB_SETCURSEL,
                     static_cast<WPARAM>(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>("Consulting"))),
                     0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(5000, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        click(d, 5003);
        setItemText(d, 5001, "Repairs");
        click(d, 5003);  // combined with the first "Repairs", which goes
        closeBox(d);
    });
    prompts.answers = {mb::idYes};
    command(cmdDescrList);
    ASSERT_EQ(descrCount, 4);
    EXPECT_EQ(descriptionText(static_cast<uint16_t>(filterDescrIndex)), "Widgets");
    fillList();
    EXPECT_EQ(shownDates(), std::vector<std::string>{"12-31-2024"});
    command(cmdUndo);
    ASSERT_EQ(descrCount, 5);
    EXPECT_EQ(filterDescrIndex, 5);
    EXPECT_EQ(shownDates(), std::vector<std::string>{"12-31-2024"});
}

TEST_F(FilterDialog, ServicesTabOffersServiceEntriesAndOkShowsAllTransactions) {
    filterDescrIndex = 5;  // a product entry: not offered on this tab
    clickTab(2);
    open([](HWND d) {
        EXPECT_EQ(boxTexts(d, 2003), (std::vector<std::string>{"Consulting", "Repairs"}));
        EXPECT_EQ(boxTexts(d, 2004), std::vector<std::string>{"Acme Corp"});
        EXPECT_EQ(itemText(d, 2003), "");
        HWND box = GetDlgItem(d, 2003);
        LRESULT pos = SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>("Consulting"));
        EXPECT_EQ(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(pos), 0), 4);
        SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(pos), 0);
        click(d, IDOK);
    });
    EXPECT_EQ(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(currentTab, 1);
    EXPECT_EQ(currentType, 0);
    EXPECT_TRUE(IsWindowVisible(pages[1]));
    EXPECT_FALSE(IsWindowVisible(pages[2]));
    EXPECT_EQ(filterDescrIndex, 4);
    EXPECT_EQ(shownDates(), std::vector<std::string>{"03-01-2024"});
}

TEST_F(FilterDialog, IllegalDateKeepsTheDialogOpen) {
    struct Case {
        const char *start, *end, *year;
        const char *startAfter, *endAfter;  // "" = no bound
    };
    const Case cases[] = {
        {"13-01-2024", "06-30-2024", "", "", ""},                    // nothing applied
        {"03-01-2024", "02-32-2024", "", "03-01-2024", ""},          // the start is in force
        {"03-01-2024", "06-30-2024", "1979", "03-01-2024", "06-30-2024"},
        {"", "", "24", "", ""},
    };
    for (const Case& c : cases) {
        resetFilterState();
        clickTab(2);
        prompts.messages.clear();
        static const Case* now;
        now = &c;
        open([](HWND d) {
            setItemText(d, 3021, now->start);
            setItemText(d, 3022, now->end);
            setItemText(d, 3023, now->year);
            setItemText(d, 2003, "Consulting");
            click(d, IDOK);
            EXPECT_TRUE(IsWindow(d));
            EXPECT_EQ(itemText(d, 3021), now->start);  // the input stays
            closeBox(d);
        });
        EXPECT_EQ(currentTab, 1);  // "&OK" was pressed: All Transactions
        SCOPED_TRACE(std::string(c.start) + " " + c.end + " " + c.year);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, "Illegal date");
        EXPECT_EQ(prompts.messages[0].title, "");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconStop);
        EXPECT_EQ(filterStartDate ? formatDate(filterStartDate) : "", c.startAfter);
        EXPECT_EQ(filterEndDate != 0xFFFF ? formatDate(filterEndDate) : "", c.endAfter);
        EXPECT_EQ(filterDescrIndex, 0);
    }
}

TEST_F(FilterDialog, ResetAppliesAtOnceAndCloseBoxAppliesNothing) {
    filterStartDate = packDate("03-01-2024");
    filterEndDate = packDate("06-30-2024");
    filterDescrIndex = 4;
    filterNameIndex = 1;
    clickTab(2);
    std::vector<std::string> before = rows(2);
    open([](HWND d) {
        EXPECT_EQ(itemText(d, 2003), "Consulting");
        EXPECT_EQ(itemText(d, 2004), "Acme Corp");
        setItemText(d, 3023, " 2023");
        click(d, 3024);
        for (int id : {3021, 3022, 2003, 2004}) EXPECT_EQ(itemText(d, id), "") << id;
        EXPECT_EQ(itemText(d, 3023), " 2023");
        setItemText(d, 3021, "05-05-2024");
        closeBox(d);
    });
    // What "&Reset" did is in force.
    EXPECT_EQ(filterEndDate, 0xFFFF);
    EXPECT_EQ(filterDescrIndex, 0);
    EXPECT_EQ(filterNameIndex, 0);
    EXPECT_EQ(currentType, 0);
    EXPECT_EQ(filterStartDate, 0);  // the typed date was not applied
    EXPECT_EQ(rows(2), before);     // nor the list refilled
    EXPECT_EQ(currentTab, 2);
}

}  // namespace
