#include <gtest/gtest.h>

#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/print_layout.h"
#include "text/amount_text.h"
#include "text/date_text.h"

namespace {

int tenPerCharacter(const std::string& s) { return 10 * static_cast<int>(s.size()); }


class PrintLayout : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        showZeroAmounts = false;
        m.pixelsPerInchX = 300;
        m.pixelsPerInchY = 300;
        m.leftMargin = 20;
        m.topMargin = 30;
        m.lineHeight = 50;
        m.printableHeight = 60 * 50 + 49;  // L = 60
    }
    // n listed rows, row r showing transaction r with amount r cents.
    void listed(int n) {
        shown.clear();
        for (int i = 1; i <= n; ++i) {
            transactions[i].date = packDate("01-01-2024");
            transactions[i].type = typeService;
            transactions[i].amount = i;
            shown.push_back(i);
        }
        transactionCount = static_cast<uint16_t>(n);
    }
    const PrintTextItem* at(const PrintPage& page, const std::string& text, int y) {
        for (const auto& item : page)
            if (item.text == text && item.y == y) return &item;
        return nullptr;
    }
    bool has(const PrintPage& page, const std::string& text, int x, int y) {
        for (const auto& item : page)
            if (item.text == text && item.x == x && item.y == y) return true;
        return false;
    }
    std::vector<int> rowLines(const PrintPage& page) {
        std::vector<int> ys;
        for (const auto& item : page)
            if (item.x == 225 - 20 && item.text != "Date") ys.push_back(item.y);
        return ys;
    }
    ListPrintMetrics m;
    std::vector<int> shown;  // the transactions the list shows, in display order
};

TEST_F(PrintLayout, FiftyFiveRowsPerPageAtSixtyLines) {
    EXPECT_EQ(listLinesPerPage(m), 60);
    EXPECT_EQ(listRowsPerPage(m), 55);
    listed(56);
    auto pages = listPrintPages(m, shown, tenPerCharacter);
    ASSERT_EQ(pages.size(), 2u);
    const int headingY = 150 - 30;
    EXPECT_EQ(rowLines(pages[0]).size(), 55u);
    EXPECT_EQ(rowLines(pages[0]).front(), headingY + 100);  // heading line, empty line
    EXPECT_EQ(rowLines(pages[0]).back(), headingY + 100 + 54 * 50);
    ASSERT_EQ(rowLines(pages[1]).size(), 1u);
    EXPECT_EQ(rowLines(pages[1]).front(), headingY + 100);
    for (const auto& page : pages) {
        ASSERT_NE(at(page, "Date", headingY), nullptr);
        EXPECT_EQ(at(page, "Date", headingY)->x, 205);
    }
    EXPECT_NE(at(pages[1], "0.56", headingY + 100), nullptr);  // the 56th row
}

TEST_F(PrintLayout, HeadingPositions) {
    listed(1);
    auto pages = listPrintPages(m, shown, tenPerCharacter);
    ASSERT_EQ(pages.size(), 1u);
    const int y = 120;
    struct Case {
        const char* text;
        int x;
    } cases[] = {
        {"Date", 225 - 20},  {"Type", 450 - 20},  {"Descr", 630 - 20},
        {"Name", 1020 - 20}, {"Amount   ", 1680 - 20 - 90}, {"Ship/Hndl", 1890 - 20 - 90},
        {"Tax  ", 2100 - 20 - 50}, {"Total  ", 2340 - 20 - 70},
    };
    for (const auto& c : cases) {
        const PrintTextItem* item = at(pages[0], c.text, y);
        ASSERT_NE(item, nullptr) << c.text;
        EXPECT_EQ(item->x, c.x) << c.text;
    }
}

TEST_F(PrintLayout, CellsAndRightEdges) {
    // A tab read from a file prints as a blank and stays in the file.
    uint16_t d = static_cast<uint16_t>(appendListEntry(descrList, 3, "Wid\tgets"));
    uint16_t n = static_cast<uint16_t>(appendListEntry(nameList, 3, "Acme"));
    Transaction t;
    t.date = packDate("03-07-2024");
    t.type = typeSold;
    t.descrIndex = d;
    t.nameIndex = n;
    t.amount = 10000;
    t.handling = 150;
    t.shipping = 350;
    t.taxMode = modeTaxIncluded;  // printed, but inside the amount: not added again
    t.salesTax = 588;
    placeTransaction(t);
    t.date = packDate("03-08-2024");
    t.handling = t.shipping = t.salesTax = 0;
    t.taxMode = modeNoTax;
    placeTransaction(t);
    t.date = packDate("03-09-2024");
    t.taxMode = modeTaxAdded;
    t.salesTax = 600;
    placeTransaction(t);
    shown = {1, 2, 3};
    showZeroAmounts = true;  // as if the tax report were still open: zeros stay empty
    auto pages = listPrintPages(m, shown, tenPerCharacter);
    showZeroAmounts = false;
    ASSERT_EQ(pages.size(), 1u);
    const int row1 = 220, row2 = 270, row3 = 320;
    struct Case {
        int y;
        const char* text;
        int x;
    } cases[] = {
        {row1, "03-07-2024", 205}, {row1, "Sold    ", 430},     {row1, "Wid gets", 610}, {row1, "Acme", 1000},
        {row1, "100.00", 1660 - 60}, {row1, "5.00", 1870 - 40}, {row1, "5.88", 2080 - 40},
        {row1, "105.00", 2320 - 60}, {row2, "100.00", 2320 - 60}, {row3, "6.00", 2080 - 40},
        {row3, "106.00", 2320 - 60},
    };
    for (const auto& c : cases) EXPECT_TRUE(has(pages[0], c.text, c.x, c.y)) << c.text << " at " << c.y;
    int secondRowItems = 0;
    for (const auto& item : pages[0]) secondRowItems += item.y == row2;
    EXPECT_EQ(secondRowItems, 6);  // no Ship/Hndl and no Tax cell
    EXPECT_EQ(descriptionText(d), "Wid\tgets");
}

TEST_F(PrintLayout, RowsFollowTheDisplayOrder) {
    listed(3);
    shown = {3, 2, 1};  // sorted the other way round
    auto pages = listPrintPages(m, shown, tenPerCharacter);
    ASSERT_EQ(pages.size(), 1u);
    std::vector<std::string> totals;
    for (const auto& item : pages[0])
        if (item.x + tenPerCharacter(item.text) == 2340 - 20 && item.y > 120) totals.push_back(item.text);
    EXPECT_EQ(totals, (std::vector<std::string>{"0.03", "0.02", "0.01"}));
}

TEST_F(PrintLayout, EmptyListAndOddMetrics) {
    EXPECT_TRUE(listPrintPages(m, shown, tenPerCharacter).empty());
    listed(3);
    ListPrintMetrics odd[4] = {m, m, m, m};
    odd[0].lineHeight = 0;
    odd[1].lineHeight = -5;
    odd[2].printableHeight = 5 * 50;  // L = 5
    odd[3].printableHeight = 0;
    for (const auto& o : odd) {
        EXPECT_EQ(listRowsPerPage(o), 1);
        EXPECT_EQ(listPrintPages(o, shown, tenPerCharacter).size(), 3u);
    }
    ListPrintMetrics six = m;
    six.printableHeight = 6 * 50;
    EXPECT_EQ(listRowsPerPage(six), 1);
    six.printableHeight = 7 * 50;
    EXPECT_EQ(listRowsPerPage(six), 2);
}

}  // namespace
