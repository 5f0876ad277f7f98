#include <windows.h>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "entry/sales_tax_dialog.h"
#include "ledger/tables.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

const char* const caption = "State Sales Taxes";

class SalesTaxDialog : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start();
        stateTaxRate = 0.0625;
        countyTaxRate = 0.01;
        localTaxRate = 0.005;
        districtTaxRate = 0.0025;
        recomputeCombinedRate();
        settingsChanged = 0;
    }

    void open(std::function<void(HWND)> steps) {
        whenDialogOpens(caption, std::move(steps));
        command(cmdSalesTax);
    }
};

TEST_F(SalesTaxDialog, Layout) {
    open([](HWND d) {
        EXPECT_EQ(GetWindow(d, GW_OWNER), mainWindow);
        EXPECT_TRUE(GetWindowLongA(d, GWL_STYLE) & WS_SYSMENU);
        RECT client;
        GetClientRect(d, &client);
        RECT units = {50, 40, 170, 100};
        MapDialogRect(d, &units);
        EXPECT_EQ(client.right, units.right);
        EXPECT_EQ(client.bottom, units.bottom);
        // Its client area sits at (50, 40) of the main window's client area.
        POINT mainOrigin = {0, 0}, origin = {0, 0};
        ClientToScreen(mainWindow, &mainOrigin);
        ClientToScreen(d, &origin);
        EXPECT_EQ(origin.x - mainOrigin.x, units.left);
        EXPECT_EQ(origin.y - mainOrigin.y, units.top);

        struct Control {
            int id;
            const char* text;
            long x, y, w, h;
        };
        const Control controls[] = {{4001, ".0625", 70, 5, 40, 12},  {4002, ".01", 70, 25, 40, 12},
                                    {4003, ".005", 70, 45, 40, 12},  {4004, ".0025", 70, 65, 40, 12},
                                    {2022, "&Ok", 120, 25, 40, 30}};
        std::vector<int> tabOrder;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) tabOrder.push_back(GetDlgCtrlID(c));
        EXPECT_EQ(tabOrder, (std::vector<int>{4001, 4002, 4003, 4004, 2022}));
        for (const Control& c : controls) {
            EXPECT_EQ(itemText(d, c.id), c.text) << c.id;
            RECT r = itemRectUnits(d, c.id);
            EXPECT_EQ(r.left, c.x) << c.id;
            EXPECT_EQ(r.top, c.y) << c.id;
            EXPECT_EQ(r.right, c.w) << c.id;
            EXPECT_EQ(r.bottom, c.h) << c.id;
        }
        for (int id = 4001; id <= 4004; ++id) {
            HWND e = GetDlgItem(d, id);
            EXPECT_TRUE(GetWindowLongA(e, GWL_STYLE) & ES_AUTOHSCROLL) << id;
            EXPECT_TRUE(GetWindowLongA(e, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << id;
        }
        EXPECT_EQ(GetWindowLongA(GetDlgItem(d, 2022), GWL_STYLE) & 0xF, BS_PUSHBUTTON);

        const char* labels[] = {"State Tax:", "County Tax:", "Local Tax:", "District Tax:"};
        int row = 0;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (static_cast<WORD>(GetDlgCtrlID(c)) != 0xFFFF) continue;
            ASSERT_LT(row, 4);
            EXPECT_EQ(windowText(c), labels[row]);
            EXPECT_EQ(GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
            RECT r;
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
            RECT expected = {3, 5 + 20 * row, 65, 12};  // x, y, width, height
            MapDialogRect(d, &expected);
            EXPECT_EQ(r.left, expected.left);
            EXPECT_EQ(r.top, expected.top);
            EXPECT_EQ(r.right - r.left, expected.right);
            EXPECT_EQ(r.bottom - r.top, expected.bottom);
            ++row;
        }
        EXPECT_EQ(row, 4);

        // Enter is no "&Ok": nothing is stored, the dialog stays.
        setItemText(d, 4001, ".07");
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(IsWindow(d));
        EXPECT_DOUBLE_EQ(stateTaxRate, 0.0625);
        SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

TEST_F(SalesTaxDialog, OkReadsTheBoxes) {
    stateTaxRate = 0.06125;  // more decimals than the box shows
    open([](HWND d) {
        EXPECT_EQ(itemText(d, 4001), ".0612");
        pressCtrlA(d, 4001);  // typing then replaces the whole box
        typeKeys(d, 4001, ".0575");
        setItemText(d, 4002, "6.25");  // a percentage typed by mistake: taken as is
        setItemText(d, 4003, "");
        setItemText(d, 4004, "x1");
        click(d, 2022);
    });
    EXPECT_DOUBLE_EQ(stateTaxRate, 0.0575);
    EXPECT_DOUBLE_EQ(countyTaxRate, 6.25);
    EXPECT_EQ(localTaxRate, 0.0);
    EXPECT_EQ(districtTaxRate, 0.0);
    EXPECT_EQ(combinedTaxRate, 6.25 + 0.0575 + 0.0 + 0.0);
    EXPECT_EQ(settingsChanged, 1);
    EXPECT_EQ(ledgerChanged, 0);
}

TEST_F(SalesTaxDialog, OkWithoutChangesStillMarksTheSettings) {
    open([](HWND d) { click(d, 2022); });
    EXPECT_EQ(settingsChanged, 1);
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0.08);
}

TEST_F(SalesTaxDialog, CloseBoxChangesNothing) {
    combinedTaxRate = 0.5;  // stale on purpose: only "&Ok" recomputes it
    open([](HWND d) {
        setItemText(d, 4001, ".09");
        SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_DOUBLE_EQ(stateTaxRate, 0.0625);
    EXPECT_EQ(combinedTaxRate, 0.5);
    EXPECT_EQ(settingsChanged, 0);
}

}  // namespace
