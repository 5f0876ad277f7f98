#include <gtest/gtest.h>

#include "app/status_layout.h"
#include "app/status_texts.h"
#include "ledger/ledger_file.h"
#include "reports/filter.h"
#include "tests/support/ledger_builders.h"

namespace {

std::string period(const char* start, const char* end) {
    return filterPeriodText(start ? packDate(start) : 0, end ? packDate(end) : 0xFFFF);
}

TEST(StatusTexts, ThePeriodOfTheFilter) {
    EXPECT_EQ(period(nullptr, nullptr), "");
    EXPECT_EQ(period("01-01-2026", "12-31-2026"), "2026");
    EXPECT_EQ(period("03-01-2026", "03-31-2026"), "03-2026");
    EXPECT_EQ(period("02-01-2024", "02-29-2024"), "02-2024");  // a leap year's February
    EXPECT_EQ(period("02-01-2026", "02-28-2026"), "02-2026");
    EXPECT_EQ(period("02-01-2100", "02-28-2100"), "02-2100");  // 2100 is no leap year
    EXPECT_EQ(period("03-01-2026", "06-30-2026"), "03-01-2026 to 06-30-2026");
    EXPECT_EQ(period("03-01-2026", "03-30-2026"), "03-01-2026 to 03-30-2026");  // a day short of the month
    EXPECT_EQ(period("01-02-2026", "12-31-2026"), "01-02-2026 to 12-31-2026");  // a day short of the year
    EXPECT_EQ(period("01-01-2025", "12-31-2026"), "01-01-2025 to 12-31-2026");  // two years
    EXPECT_EQ(period("03-14-2026", "03-14-2026"), "03-14-2026 to 03-14-2026");
    EXPECT_EQ(period("03-01-2026", nullptr), "from 03-01-2026");
    EXPECT_EQ(period(nullptr, "06-30-2026"), "to 06-30-2026");
}

class FilterStatus : public ::testing::Test {
protected:
    void SetUp() override {
        LedgerImage image;
        image.descriptions = {entry(2, "Bank fees"), entry(1, "Tab\there  "), entry(2, "   ")};
        image.names = {entry(2, "First Bank")};
        installLedgerImage(image);
    }
    void TearDown() override { resetLedgerTables(); }
};

TEST_F(FilterStatus, PeriodThenDescriptionThenName) {
    FilterValues v;
    EXPECT_EQ(filterStatusText(v), "");  // every transaction passes
    v.descrIndex = 1;
    EXPECT_EQ(filterStatusText(v), "Filter: Bank fees");
    v.nameIndex = 1;
    EXPECT_EQ(filterStatusText(v), "Filter: Bank fees, First Bank");
    v.startDate = packDate("01-01-2026");
    v.endDate = packDate("12-31-2026");
    EXPECT_EQ(filterStatusText(v), "Filter: 2026, Bank fees, First Bank");
    v.descrIndex = 0;
    EXPECT_EQ(filterStatusText(v), "Filter: 2026, First Bank");
    v.nameIndex = 0;
    v.endDate = 0xFFFF;
    EXPECT_EQ(filterStatusText(v), "Filter: from 01-01-2026");
}

// What the status bar could not show whole or would misread: a tab and the
// blanks around a text, a text of blanks only, an index that names no entry.
TEST_F(FilterStatus, TextsAsOneLine) {
    FilterValues v;
    v.descrIndex = 2;
    EXPECT_EQ(filterStatusText(v), "Filter: Tab here");
    v.descrIndex = 3;
    EXPECT_EQ(filterStatusText(v), "Filter: \"\"");
    v.descrIndex = 4;
    v.nameIndex = 65537;  // would be entry 1 cut to 16 bits
    EXPECT_EQ(filterStatusText(v), "Filter: \"\", \"\"");
}

TEST(StatusTexts, Notes) {
    EXPECT_EQ(addedRowsNote(4, "march.csv", 0), "4 rows added from march.csv");
    EXPECT_EQ(addedRowsNote(1, "march.csv", 0), "1 row added from march.csv");
    EXPECT_EQ(addedRowsNote(3, "x.csv", 1), "3 rows added from x.csv, 1 hidden by the filter");
    EXPECT_EQ(addedRowsNote(2, "x.csv", 2), "2 rows added from x.csv, 2 hidden by the filter");
    EXPECT_EQ(notFoundNote("Bank fees"), "\"Bank fees\" not found");
    EXPECT_STREQ(hiddenRecordNote, "The record is hidden by the filter");
}

TEST(StatusLayout, EachPartItsNeedWhenTheBarIsWide) {
    StatusEdges e = statusPartEdges(1000, 80, 300, 200);
    EXPECT_EQ(e.fileEnd, 80);
    EXPECT_EQ(e.countEnd, 800);  // part 1 has the rest; the filter's part its need
    e = statusPartEdges(1000, 80, 300, 0);
    EXPECT_EQ(e.countEnd, 1000);  // no filter: its part takes no room
}

TEST(StatusLayout, ANarrowBarKeepsRoomForTheCountAndTheFile) {
    // The filter takes what the count and the file name leave.
    StatusEdges e = statusPartEdges(480, 60, 50, 500);
    EXPECT_EQ(e.fileEnd, 60);
    EXPECT_EQ(e.countEnd, 110);
    // A long note and a long path: part 1 keeps a quarter of the bar, the
    // file's part a fifth.
    e = statusPartEdges(480, 400, 600, 500);
    EXPECT_EQ(e.fileEnd, 96);
    EXPECT_EQ(e.countEnd, 96 + 120);
    // The file's whole name while part 1's whole text still fits beside it.
    e = statusPartEdges(480, 150, 100, 200);
    EXPECT_EQ(e.fileEnd, 150);
    EXPECT_EQ(e.countEnd, 280);
    e = statusPartEdges(480, 150, 200, 200);
    EXPECT_EQ(e.fileEnd, 96);
    e = statusPartEdges(0, 150, 200, 200);
    EXPECT_EQ(e.fileEnd, 0);
    EXPECT_EQ(e.countEnd, 0);
}

}  // namespace
