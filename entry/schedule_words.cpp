#include "entry/schedule_words.h"

#include <algorithm>

#include "ledger/schedules.h"
#include "text/date_text.h"

namespace {

const char* const weekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                              "July",    "August",   "September", "October", "November", "December"};
const char* const ordinals[] = {"first", "second", "third", "fourth", "last"};

int monthOf(uint16_t p) { return (p >> 5) & 15; }

// "Monthly" or "Every 3 months"; "Daily", "Weekly", "Yearly" likewise.
std::string everyWords(const ScheduleRule& r) {
    static const char* const once[] = {"Daily", "Weekly", "Monthly", "Yearly"};
    static const char* const units[] = {"days", "weeks", "months", "years"};
    const int unit = std::min<int>(r.unit, ScheduleRule::years);
    if (r.every == 1) return once[unit];
    return "Every " + std::to_string(r.every) + " " + units[unit];
}

}  // namespace

std::string ruleInWords(const ScheduleRule& r) {
    std::string words = everyWords(r);
    const bool dated = isRealDate(r.first);
    if (r.unit == ScheduleRule::weeks && dated) {
        words += std::string(" on ") + weekdays[weekdayOf(r.first)];
    } else if (r.unit == ScheduleRule::months || r.unit == ScheduleRule::years) {
        // A year's entries fall in its first date's month.
        const std::string ofMonth =
            r.unit == ScheduleRule::years && dated ? std::string(" of ") + months[monthOf(r.first) - 1] : "";
        if (r.dayKind == ScheduleRule::lastDay) {
            words += " on the last day" + ofMonth;
        } else if (r.dayKind == ScheduleRule::nthWeekday && r.week >= 1 && r.week <= 5 && r.weekday <= 6) {
            words += std::string(" on the ") + ordinals[r.week - 1] + " " + weekdays[r.weekday] + ofMonth;
        } else if (r.unit == ScheduleRule::years && dated) {
            words += std::string(" on ") + months[monthOf(r.first) - 1] + " " + std::to_string(r.day);
        } else {
            words += " on day " + std::to_string(r.day);
        }
    }
    if (r.endKind == ScheduleRule::afterCount)
        words += r.count == 1 ? ", once" : ", " + std::to_string(r.count) + " times";
    else if (r.endKind == ScheduleRule::onDate && isRealDate(r.until))
        words += ", until " + formatDate(r.until);
    return words;
}

uint16_t nextPendingDate(const Schedule& s) {
    uint16_t after = s.handledUpTo;
    // Entries handled out of turn are passed over; there are few of them.
    for (size_t guard = 0; guard <= s.handledAfter.size(); ++guard) {
        uint16_t next = nextOccurrence(s, after);
        if (next == 0 || !std::binary_search(s.handledAfter.begin(), s.handledAfter.end(), next)) return next;
        after = next;
    }
    return 0;
}

std::string scheduleTypeText(int type) {
    static const char* const names[] = {"", "Service", "Expense", "Sold", "Bought", "Personal", "Earnings"};
    return type >= 1 && type <= 6 ? names[type] : "";
}
