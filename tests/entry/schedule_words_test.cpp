// The Scheduled Entries list's words for a rule and the date it shows as
// a schedule's next entry.
#include <gtest/gtest.h>

#include "entry/schedule_words.h"
#include "text/date_text.h"

namespace {

ScheduleRule rule(int unit, int every, const char* first) {
    ScheduleRule r;
    r.unit = static_cast<uint8_t>(unit);
    r.every = static_cast<uint16_t>(every);
    r.first = packDate(first);
    r.day = 1;
    return r;
}

TEST(ScheduleWords, EveryKindOfRule) {
    ScheduleRule r = rule(ScheduleRule::months, 1, "01-01-2025");
    EXPECT_EQ(ruleInWords(r), "Monthly on day 1");
    r.every = 3;
    r.dayKind = ScheduleRule::lastDay;
    EXPECT_EQ(ruleInWords(r), "Every 3 months on the last day");
    r.every = 1;
    r.dayKind = ScheduleRule::nthWeekday;
    r.week = 2;
    r.weekday = 2;
    EXPECT_EQ(ruleInWords(r), "Monthly on the second Tuesday");
    r.week = 5;
    r.weekday = 5;
    EXPECT_EQ(ruleInWords(r), "Monthly on the last Friday");

    // Weeks fall on the first date's weekday (03-14-2025 was a Friday).
    EXPECT_EQ(ruleInWords(rule(ScheduleRule::weeks, 1, "03-14-2025")), "Weekly on Friday");
    EXPECT_EQ(ruleInWords(rule(ScheduleRule::weeks, 2, "03-16-2025")), "Every 2 weeks on Sunday");
    EXPECT_EQ(ruleInWords(rule(ScheduleRule::days, 1, "03-14-2025")), "Daily");
    EXPECT_EQ(ruleInWords(rule(ScheduleRule::days, 10, "03-14-2025")), "Every 10 days");

    // Years keep their first date's month.
    ScheduleRule y = rule(ScheduleRule::years, 1, "03-15-2025");
    y.day = 15;
    EXPECT_EQ(ruleInWords(y), "Yearly on March 15");
    y.dayKind = ScheduleRule::lastDay;
    y.first = packDate("02-28-2025");
    EXPECT_EQ(ruleInWords(y), "Yearly on the last day of February");
    y.every = 2;
    y.dayKind = ScheduleRule::nthWeekday;
    y.week = 1;
    y.weekday = 1;
    y.first = packDate("11-03-2025");
    EXPECT_EQ(ruleInWords(y), "Every 2 years on the first Monday of November");
}

TEST(ScheduleWords, TheEndIsSaid) {
    ScheduleRule r = rule(ScheduleRule::months, 1, "01-31-2025");
    r.day = 31;
    r.endKind = ScheduleRule::afterCount;
    r.count = 12;
    EXPECT_EQ(ruleInWords(r), "Monthly on day 31, 12 times");
    r.count = 1;
    EXPECT_EQ(ruleInWords(r), "Monthly on day 31, once");
    r.endKind = ScheduleRule::onDate;
    r.until = packDate("12-31-2026");
    EXPECT_EQ(ruleInWords(r), "Monthly on day 31, until 12-31-2026");
}

// The next date passes over what was posted or skipped, in turn or out of
// it, and is 0 once the rule has no entry left.
TEST(ScheduleWords, NextPendingDate) {
    Schedule s;
    s.record.type = typeExpense;
    s.rule = rule(ScheduleRule::months, 1, "01-31-2025");
    s.rule.day = 31;
    EXPECT_EQ(formatDate(nextPendingDate(s)), "01-31-2025");
    s.handledUpTo = packDate("01-31-2025");
    EXPECT_EQ(formatDate(nextPendingDate(s)), "02-28-2025");  // the month's last day
    s.handledAfter = {packDate("02-28-2025"), packDate("03-31-2025")};
    EXPECT_EQ(formatDate(nextPendingDate(s)), "04-30-2025");
    s.rule.endKind = ScheduleRule::afterCount;
    s.rule.count = 3;
    EXPECT_EQ(nextPendingDate(s), 0);
    EXPECT_EQ(scheduleTypeText(typeBought), "Bought");
    EXPECT_EQ(scheduleTypeText(0), "");
}

}  // namespace
