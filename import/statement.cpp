#include "import/statement.h"

namespace {

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

uint16_t packed(int year, int month, int day) {
    if (year < 1980 || year > 2107 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return 0;
    return static_cast<uint16_t>(day + month * 32 + (year - 1980) * 512);
}

}  // namespace

uint16_t dateInOrder(const WrittenDate& date, DateOrder order) {
    if (date.yearFirst != (order == DateOrder::yearMonthDay)) return 0;
    if (order == DateOrder::dayMonthYear) return packed(date.year, date.second, date.first);
    return packed(date.year, date.first, date.second);
}

unsigned possibleOrders(const WrittenDate& date) {
    unsigned orders = 0;
    for (DateOrder o : {DateOrder::monthDayYear, DateOrder::dayMonthYear, DateOrder::yearMonthDay})
        if (dateInOrder(date, o) != 0) orders |= orderBit(o);
    return orders;
}

const char* dateOrderName(DateOrder order) {
    switch (order) {
    case DateOrder::monthDayYear: return "month-day-year";
    case DateOrder::dayMonthYear: return "day-month-year";
    case DateOrder::yearMonthDay: return "year-month-day";
    }
    return "";
}
