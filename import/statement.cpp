#include "import/statement.h"

#include <cstdio>

#include <algorithm>
#include <cctype>

namespace {

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The amount as read, for a line that is dropped after all: as written
// where it had digits past the cents, else in hundredths ("-12.50").
std::string readAmountText(const StatementLine& line) {
    if (!line.pastCents.empty()) return line.pastCents;
    std::string digits = std::to_string(line.amount < 0 ? -line.amount : line.amount);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return (line.amount < 0 ? "-" : "") + digits.substr(0, digits.size() - 2) + "." + digits.substr(digits.size() - 2);
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

void decideDateOrders(Statement& statement) {
    std::vector<StatementLine>& lines = statement.lines;
    unsigned common = allDateOrders;
    int allowing[3] = {0, 0, 0};
    for (const StatementLine& line : lines) {
        unsigned orders = possibleOrders(line.date);
        common &= orders;
        for (unsigned o = 0; o < 3; ++o)
            if (orders & (1u << o)) ++allowing[o];
    }
    if (lines.empty() || common != 0) {
        statement.dateOrders = lines.empty() ? 0 : common;
        return;
    }
    // The lines disagree: the order most of them allow holds, and the rest
    // cannot be read.
    unsigned best = 0;
    for (unsigned o = 1; o < 3; ++o)
        if (allowing[o] > allowing[best]) best = o;
    DateOrder order = static_cast<DateOrder>(best);
    std::vector<StatementLine> kept;
    common = allDateOrders;
    for (StatementLine& line : lines) {
        unsigned orders = possibleOrders(line.date);
        if (orders & orderBit(order)) {
            common &= orders;
            kept.push_back(std::move(line));
        } else {
            std::string reason = "the date " + writtenDateText(line.date) + " is no date";
            if (orders != 0) reason += std::string(" as ") + dateOrderName(order);
            statement.unreadable.push_back({line.line, reason, writtenDateText(line.date), readAmountText(line),
                                            line.payee.empty() ? line.memo : line.payee});
        }
    }
    lines = std::move(kept);
    statement.dateOrders = lines.empty() ? 0 : common;
    std::stable_sort(statement.unreadable.begin(), statement.unreadable.end(),
                     [](const UnreadableLine& a, const UnreadableLine& b) { return a.line < b.line; });
}

namespace {

bool startsWithNoCase(const char* p, const char* end, const char* word) {
    for (; *word; ++word, ++p)
        if (p == end || std::tolower(static_cast<unsigned char>(*p)) != std::tolower(static_cast<unsigned char>(*word)))
            return false;
    return true;
}

}  // namespace

StatementFormat detectFormat(const Bytes& bytes) {
    // Looked for in the characters, not the bytes, so that UTF-16 is told
    // apart as well; the head of the file is enough.
    Bytes headBytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(bytes.size(), 131074)));
    const std::string text = decodeStatementText(headBytes).text;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
    if (p != end && *p == '!') {
        for (const char* word : {"!type", "!account", "!option", "!clear"})
            if (startsWithNoCase(p, end, word)) return StatementFormat::qif;
    }
    // An OFX header is at the top; <OFX> itself may follow a long header or
    // a line of XML.
    const char* scanEnd = end - p > 65536 ? p + 65536 : end;
    if (startsWithNoCase(p, end, "OFXHEADER")) return StatementFormat::ofx;
    for (const char* q = p; q != scanEnd; ++q) {
        if (*q != '<') continue;
        if (startsWithNoCase(q, end, "<?OFX")) return StatementFormat::ofx;
        if (startsWithNoCase(q, end, "<OFX")) {
            const char* after = q + 4;
            if (after == end || *after == '>' || *after == ' ' || *after == '\r' || *after == '\n')
                return StatementFormat::ofx;
        }
    }
    return StatementFormat::csv;
}

std::string writtenDateText(const WrittenDate& date) {
    char text[40];
    if (date.yearFirst) std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.first, date.second);
    else std::snprintf(text, sizeof text, "%02d-%02d-%04d", date.first, date.second, date.year);
    return text;
}

std::string statementKey(StatementFormat format, const std::string& account, const std::string& headings) {
    std::string key = format == StatementFormat::csv ? "CSV " : format == StatementFormat::ofx ? "OFX " : "QIF ";
    key += headings;
    if (!account.empty()) key += (headings.empty() ? "" : " ") + account;
    return key;
}
