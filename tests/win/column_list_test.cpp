#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "app/column_list.h"
#include "tests/win/modal_driver.h"
#include "ui/dialog_template.h"

namespace {

INT_PTR CALLBACK pageProc(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && lp) cColumnList::controlCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
    return FALSE;
}

const int mainWidths[5] = {17, 14, 24, 28, -17};
const std::string mainHeadings[5] = {"\x02" "Date", "Type", "Descr", "Name", "\x01" "Amount"};

class ColumnList : public ::testing::Test {
protected:
    void SetUp() override {
        cDialogTemplate t(WS_POPUP | WS_CAPTION, 0, 10, 10, 330, 260, "columns");
        page = t.createModeless(nullptr, pageProc);
        list = new cColumnList;
        list->create(page, 2501, 2, 0, 316, 230, mainWidths, mainHeadings, 5);
    }
    void TearDown() override {
        DestroyWindow(page);
        list->release();
    }
    void fill(const std::vector<std::string>& texts) {
        list->setCount(0);
        for (std::string t : texts) list->addRow(t, 0);
        list->showRows();
        list->select(list->count(), 1, 0);
    }
    std::string shown(int position) {
        char buf[512] = "";
        SendMessageA(list->listBox(), LB_GETTEXT, static_cast<WPARAM>(position - 1), reinterpret_cast<LPARAM>(buf));
        return buf;
    }
    std::vector<std::string> shownRows() {
        std::vector<std::string> rows;
        int n = static_cast<int>(SendMessageA(list->listBox(), LB_GETCOUNT, 0, 0));
        for (int p = 1; p <= n; ++p) rows.push_back(shown(p));
        return rows;
    }
    void clickHeading(int column) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(2501 + column, STN_CLICKED),
                     reinterpret_cast<LPARAM>(list->heading(column)));
    }
    int unitsX(int pixels) {
        RECT r = {0, 0, 4, 8};
        MapDialogRect(page, &r);
        return static_cast<int>(std::floor(pixels * 4.0 / r.right + 0.5));
    }
    HWND page = nullptr;
    cColumnList* list = nullptr;
};

TEST_F(ColumnList, HeadingsKindsAndTabStopsOfTheMainList) {
    EXPECT_EQ(list->kind(1), 3);   // date
    EXPECT_EQ(list->kind(2), 1);   // text
    EXPECT_EQ(list->kind(5), -2);  // number, right-aligned
    EXPECT_EQ(windowText(list->heading(1)), "  Date");
    EXPECT_EQ(windowText(list->heading(3)), "  Descr");
    EXPECT_EQ(windowText(list->heading(5)), "Amount  ");
    EXPECT_EQ(GetDlgCtrlID(list->heading(4)), 2505);
    EXPECT_TRUE(GetWindowLongA(list->heading(5), GWL_STYLE) & SS_RIGHT);

    int s = unitsX(GetSystemMetrics(SM_CXVSCROLL));
    int available = 316 - s - 8;
    int w[5];
    for (int i = 0; i < 5; ++i) {
        w[i] = static_cast<int>(std::nearbyint(available * mainWidths[i] / 100.0));
        EXPECT_EQ(list->width(i + 1), w[i]);
    }
    // Each heading starts where the scaled widths before it end; each field's
    // stop lies 2 units right of its heading's left edge.
    const std::vector<int>& stops = list->tabStops();
    ASSERT_EQ(stops.size(), 5u);
    int left = 2;
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(itemRectUnits(page, 2501 + i).left, left, 1) << i;
        if (i >= 2 && i <= 4) {
            EXPECT_EQ(stops[static_cast<size_t>(i - 1)], left - 2 + 2) << i;
        }
        left += std::abs(w[i - 1]);
    }
    // The Amount field ends 6 units short of the columns' total width.
    int total = 316 - s - 8;
    EXPECT_EQ(stops[4], -(total - 6));
    EXPECT_EQ(stops[0], 2);
}

TEST_F(ColumnList, CellsAreCutToWhatFitsIn95PercentOfTheColumn) {
    std::string longName(200, 'W');
    std::string row = "01-02-2006\tService \tRent\t" + longName + "\t12.00";
    std::string fitted = row;
    list->addRow(fitted, 0);
    size_t nameStart = fitted.find("Rent\t") + 5;
    std::string cut = fitted.substr(nameStart, fitted.find('\t', nameStart) - nameStart);
    EXPECT_GT(cut.size(), 0u);
    EXPECT_LT(cut.size(), longName.size());
    // The kept part fits the limit and one more character would not.
    RECT limit = {0, 0, static_cast<int>(std::nearbyint(list->width(4) * 0.95f)), 0};
    MapDialogRect(page, &limit);
    HDC dc = GetDC(list->listBox());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list->listBox(), WM_GETFONT, 0, 0)));
    SIZE kept, more;
    GetTextExtentPoint32A(dc, cut.c_str(), static_cast<int>(cut.size()), &kept);
    GetTextExtentPoint32A(dc, longName.c_str(), static_cast<int>(cut.size() + 1), &more);
    SelectObject(dc, old);
    ReleaseDC(list->listBox(), dc);
    EXPECT_LE(kept.cx, limit.right);
    EXPECT_GT(more.cx, limit.right);
    // Short cells stay whole; trailing empty cells leave no trailing TABs.
    std::string shortRow = "01-02-2006\tA\t\t\t";
    list->addRow(shortRow, 0);
    EXPECT_EQ(shortRow, "01-02-2006\tA");
    // Missing cells are empty, cells beyond the fifth are dropped, and a
    // cut cell in the middle keeps the cells after it in their columns.
    std::string fewer = "01-02-2006\t\tRent";
    list->addRow(fewer, 0);
    EXPECT_EQ(fewer, "01-02-2006\t\tRent");
    std::string extra = "01-02-2006\tA\tRent\tBo\t1.00\tsixth\tseventh";
    list->addRow(extra, 0);
    EXPECT_EQ(extra, "01-02-2006\tA\tRent\tBo\t1.00");
    std::string middle = "01-02-2006\tA\tRent\t" + longName + "\t12.00";
    list->addRow(middle, 0);
    EXPECT_EQ(middle, "01-02-2006\tA\tRent\t" + cut + "\t12.00");
    EXPECT_EQ(list->count(), 5);
    EXPECT_EQ(list->rowText(5), middle);
}

TEST_F(ColumnList, RowsReadBackFromTheListBoxAsStored) {
    // Accented letters, the euro sign and the last byte of the code page,
    // an empty row between, and a row of one cell.
    std::vector<std::string> texts = {"01-02-2006\tService \tCaf\xe9 cr\xe8me\tM\xfcller\t\x80" "12.00",
                                      "", "01-03-2006\t\t\xff\xa0\xbf\t\t1.00", "01-04-2006"};
    fill(texts);
    EXPECT_EQ(shownRows(), texts);
    for (int p = 1; p <= 4; ++p) EXPECT_EQ(list->rowText(p), texts[static_cast<size_t>(p - 1)]) << p;
}

TEST_F(ColumnList, SortDirectionFollowsTheCurrentOrder) {
    fill({"01-02-2006\tA\tx\tn\t5.00", "02-03-2006\tB\ty\tn\t30.00", "01-05-2007\tC\tz\tn\t12.00"});
    clickHeading(1);  // ascending dates now: sorts descending
    EXPECT_EQ(shown(1).substr(0, 10), "01-05-2007");
    EXPECT_EQ(shown(3).substr(0, 10), "01-02-2006");
    clickHeading(1);
    EXPECT_EQ(shown(1).substr(0, 10), "01-02-2006");
    EXPECT_EQ(shown(3).substr(0, 10), "01-05-2007");

    // Amount: first below last -> descending; then ascending.
    fill({"01-02-2006\tA\tx\tn\t5.00", "02-03-2006\tB\ty\tn\t30.00", "01-05-2007\tC\tz\tn\t12.00"});
    clickHeading(5);
    EXPECT_NE(shown(1).find("30.00"), std::string::npos);
    EXPECT_NE(shown(3).find("5.00"), std::string::npos);
    clickHeading(5);
    EXPECT_NE(shown(1).find("\t5.00"), std::string::npos);
    EXPECT_NE(shown(3).find("30.00"), std::string::npos);

    // Text: last > first (case-sensitive) counts as ascending; order folds case.
    fill({"01-02-2006\tA\tapple\tn\t1.00", "01-02-2006\tA\tBanana\tn\t1.00", "01-02-2006\tA\tcherry\tn\t1.00"});
    clickHeading(3);
    EXPECT_NE(shown(1).find("cherry"), std::string::npos);
    EXPECT_NE(shown(2).find("Banana"), std::string::npos);
    EXPECT_NE(shown(3).find("apple"), std::string::npos);
    // "Banana" < "apple" byte-wise: with B last and a first, not ascending -> ascending sort.
    fill({"01-02-2006\tA\tapple\tn\t1.00", "01-02-2006\tA\tcherry\tn\t1.00", "01-02-2006\tA\tBanana\tn\t1.00"});
    clickHeading(3);
    EXPECT_NE(shown(1).find("apple"), std::string::npos);
    EXPECT_NE(shown(2).find("Banana"), std::string::npos);
}

TEST_F(ColumnList, EqualKeysAndTheRowMapping) {
    // Amounts that differ only in their cents, mileage with one decimal and
    // a negative amount sort by their whole value, both ways round.
    fill({"01-01-2006\tA\ta\tn\t20.00", "01-01-2006\tA\tb\tn\t12.45", "01-01-2006\tA\tc\tn\t12.40",
          "01-01-2006\tA\td\tn\t13.27", "01-01-2006\tA\te\tn\t12.90", "01-01-2006\tA\tf\tn\t12.5",
          "01-01-2006\tA\tg\tn\t-12.41", "01-01-2006\tA\th\tn\t0.00"});
    auto amounts = [&] {
        std::vector<std::string> out;
        for (int p = 1; p <= 8; ++p) out.push_back(shown(p).substr(shown(p).rfind('\t') + 1));
        return out;
    };
    clickHeading(5);  // 20 > 0: not ascending -> ascending
    std::vector<std::string> ascending = {"-12.41", "0.00", "12.40", "12.45", "12.5", "12.90", "13.27", "20.00"};
    EXPECT_EQ(amounts(), ascending);
    clickHeading(5);
    std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
    EXPECT_EQ(amounts(), descending);
    clickHeading(5);
    EXPECT_EQ(amounts(), ascending);
    fill({"01-01-2006\tA\ta\tn\t20.00", "01-01-2006\tA\tb\tn\t12.40", "01-01-2006\tA\tc\tn\t12.45"});
    clickHeading(5);
    // rowAt still names the rows in the order they were added.
    for (int p = 1; p <= 3; ++p) {
        int r = list->rowAt(p);
        ASSERT_GE(r, 1);
        EXPECT_EQ(shown(p), list->rowText(r));
    }
    EXPECT_EQ(list->rowAt(0), 0);
    EXPECT_EQ(list->rowAt(4), 0);
}

TEST_F(ColumnList, SelectionFollowsTheRecordThroughASort) {
    fill({"01-02-2006\tA\tx\tn\t1.00", "02-03-2006\tB\ty\tn\t2.00", "03-05-2006\tC\tz\tn\t3.00"});
    list->select(1, 0, 0);
    int row = list->rowAt(list->selected());
    clickHeading(1);
    EXPECT_EQ(list->rowAt(list->selected()), row);
    EXPECT_EQ(list->selected(), 3);
    EXPECT_EQ(SendMessageA(list->listBox(), LB_GETCURSEL, 0, 0), 2);
}

TEST_F(ColumnList, SelectionNotificationWithNothingSelectedSelectsTheFirstRow) {
    fill({"01-02-2006\tA\tx\tn\t1.00", "02-03-2006\tB\ty\tn\t2.00"});
    SendMessageA(list->listBox(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(2501, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list->listBox()));
    EXPECT_EQ(list->selected(), 1);
    EXPECT_EQ(SendMessageA(list->listBox(), LB_GETCURSEL, 0, 0), 0);
}

TEST_F(ColumnList, EmptyListHasNoSelectionAndIgnoresSorting) {
    fill({});
    EXPECT_EQ(list->selected(), 0);
    clickHeading(1);
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(cColumnList::dateKey("03-07-2006"), 7 + 3 * 32 + 26 * 512);
}

}  // namespace

TEST_F(ColumnList, OnlyItsOwnControlsSortOrSelect) {
    fill({"01-02-2006\tA\tx\tn\t1.00", "02-03-2006\tB\ty\tn\t2.00", "03-05-2006\tC\tz\tn\t3.00"});
    std::vector<std::string> before = shownRows();
    // A control of the page that carries the list in its user data but was
    // not made by the list: its clicks and selections are not the list's.
    HWND stranger = CreateWindowExA(0, "STATIC", "x", WS_CHILD | SS_NOTIFY, 0, 0, 10, 10, page,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(2502)), GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(stranger, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(list));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(2502, STN_CLICKED), reinterpret_cast<LPARAM>(stranger));
    EXPECT_EQ(shownRows(), before);
    EXPECT_EQ(list->rowAt(1), 1);
    DestroyWindow(stranger);
    // Its own heading still sorts, and its controls keep working as before.
    clickHeading(1);
    EXPECT_EQ(list->rowAt(1), 3);
    EXPECT_EQ(SendMessageA(list->listBox(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(windowText(list->heading(1)), "  Date");
}

TEST_F(ColumnList, ControlsOutliveTheirListWhileTheParentCloses) {
    // The main window lets go of its lists when it is destroyed, before its
    // pages' controls receive their last messages: those must still reach
    // the controls' own procedures. Lists made afterwards work as before.
    for (int round = 0; round < 3; ++round) {
        fill({"01-02-2006\tA\tx\tn\t1.00", "02-03-2006\tB\ty\tn\t2.00"});
        list->release();
        list = nullptr;
        DestroyWindow(page);
        EXPECT_FALSE(IsWindow(page));
        SetUp();
    }
    fill({"01-02-2006\tA\tx\tn\t1.00", "02-03-2006\tB\ty\tn\t2.00"});
    clickHeading(1);
    EXPECT_EQ(shownRows().front().substr(0, 10), "02-03-2006");
}
