#include <gtest/gtest.h>

#include "text/date_text.h"

namespace {

struct EntryCase {
    const char* dateBox;
    const char* yearBox;
    const char* expected;  // "" = illegal
};

// What the entry dialog stores: date box + "-" + year box, clock year 2006.
TEST(NormalizeDateText, EntryDialogTable) {
    const EntryCase cases[] = {
        {"3/7", "", "03-07-2006"},   {"3/7", "06", "03-07-2006"},   {"3-7", "79", "03-07-2079"},
        {"3-7", "80", "03-07-1980"}, {"3,7", "99", "03-07-1999"},   {"3/7", "7", "03-07-2007"},
        {"3/7/06", "", ""},          {"3.7", "06", ""},             {"13/1", "06", ""},
        {"1/32", "06", ""},          {"0/0", "06", "00-00-2006"},   {"/", "06", "00-00-2006"},
        {"2/31", "06", "02-31-2006"}, {"3/7", "1979", ""},          {"3/7", "2107", "03-07-2107"},
        {"3/7", "2108", ""},
    };
    for (const auto& c : cases) {
        std::string typed = std::string(c.dateBox) + "-" + c.yearBox;
        EXPECT_EQ(normalizeDateText(typed, 2006), c.expected) << "typed " << typed;
    }
}

TEST(NormalizeDateText, FieldShapes) {
    EXPECT_EQ(normalizeDateText("3-7-2006", 1999), "03-07-2006");
    EXPECT_EQ(normalizeDateText(" 3 / 7 / 2006 ", 1999), "03-07-2006");  // blanks around fields
    EXPECT_EQ(normalizeDateText("007/3/2006", 1999), "07-03-2006");      // last two characters kept
    EXPECT_EQ(normalizeDateText("123/3/2006", 1999), "");                // 23 is no month
    EXPECT_EQ(normalizeDateText("3-231-005", 1999), "03-31-2005");       // archive's completion of 3-2005
    EXPECT_EQ(normalizeDateText("\"3\",\"7\",2006", 1999), "03-07-2006"); // quoted fields
    EXPECT_EQ(normalizeDateText("", 2006), "");
    EXPECT_EQ(normalizeDateText("3/7/2006/1", 2006), "");
}

TEST(DayFitsMonth, CountsTheDaysOfEachMonthAndLeapYears) {
    for (const char* real : {"01-31-2025", "04-30-2025", "02-28-2025", "02-29-2024", "02-29-2000", "12-31-2107",
                             "00-31-2025", "03-00-2025"})
        EXPECT_TRUE(dayFitsMonth(real)) << real;
    for (const char* past : {"11-31-2026", "02-30-2025", "02-29-2025", "02-29-2100", "04-31-2025", "06-31-2005",
                             "09-31-1980", "02-30-2024"})
        EXPECT_FALSE(dayFitsMonth(past)) << past;
    // normalizeDateText alone still accepts them: the filter and archive bounds rely on it.
    EXPECT_EQ(normalizeDateText("2/31/2006", 2006), "02-31-2006");
}

TEST(PackDate, FormatsBackAndOrdersByCalendar) {
    EXPECT_EQ(packDate("03-07-2006"), 7 + 3 * 32 + 26 * 512);
    EXPECT_EQ(formatDate(packDate("03-07-2006")), "03-07-2006");
    EXPECT_EQ(formatDate(0), "00-00-1980");
    EXPECT_EQ(formatDate(packDate("12-31-2107")), "12-31-2107");
    EXPECT_EQ(packDate("00-00-2006"), 26 * 512);
    EXPECT_LT(packDate("12-31-2005"), packDate("01-01-2006"));
    EXPECT_LT(packDate("01-01-2006"), packDate("01-02-2006"));
    EXPECT_LT(packDate("02-28-2006"), packDate("02-31-2006"));
    EXPECT_LT(packDate("02-31-2006"), packDate("03-01-2006"));
}

TEST(PackDate, RoundTripsEveryDay) {
    for (int year = 1980; year <= 2107; year += 7)
        for (int month = 0; month <= 12; ++month)
            for (int day = 0; day <= 31; ++day) {
                char text[16];
                snprintf(text, sizeof text, "%02d-%02d-%04d", month, day, year);
                ASSERT_EQ(formatDate(packDate(text)), text);
            }
}

// The import dates its bank ids with today: a legal date of this year.
TEST(TodayPacked, IsALegalDateOfTheLocalYear) {
    std::string today = formatDate(todayPacked());
    EXPECT_EQ(normalizeDateText(today), today);
    EXPECT_EQ(today.substr(6), std::to_string(currentLocalYear()));
}

}  // namespace
