#include "app/status_texts.h"

#include "text/date_text.h"
#include "text/plain_text.h"

const char hiddenRecordNote[] = "The record is hidden by the filter";

namespace {

struct Day {
    int year, month, day;
};
// The parts of a packed date: day in bits 0-4, month 5-8, year - 1980 above.
Day dayOf(uint16_t packed) { return {(packed >> 9) + 1980, (packed >> 5) & 15, packed & 31}; }

int daysInMonth(int month, int year) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : days[month - 1];
}

// The text of a filter's entry as one line of the status bar (a tab there
// would move what follows it); an entry without text, or an index that
// names none, shows as "".
std::string shownEntry(ListKind kind, int32_t index) {
    const int count = kind == descrList ? descrCount : nameCount;
    std::string text;
    if (index >= 1 && index <= count)
        text = kind == descrList ? descriptionText(static_cast<uint16_t>(index)) : nameText(static_cast<uint16_t>(index));
    text = shownField(text);
    return text.empty() ? "\"\"" : text;
}

}  // namespace

std::string filterPeriodText(uint16_t startDate, uint16_t endDate) {
    const bool from = startDate != 0, to = endDate != 0xFFFF;
    if (!from && !to) return "";
    if (!to) return "from " + formatDate(startDate);
    if (!from) return "to " + formatDate(endDate);
    const Day s = dayOf(startDate), e = dayOf(endDate);
    const bool months = s.month >= 1 && s.month <= 12 && e.month >= 1 && e.month <= 12;
    if (months && s.year == e.year && s.day == 1) {
        if (s.month == 1 && e.month == 12 && e.day == 31) return std::to_string(s.year);
        if (s.month == e.month && e.day == daysInMonth(e.month, e.year)) {
            const std::string first = formatDate(startDate);  // "MM-01-YYYY"
            return first.substr(0, 3) + first.substr(6);
        }
    }
    return formatDate(startDate) + " to " + formatDate(endDate);
}

std::string filterStatusText(const FilterValues& v) {
    std::string text = filterPeriodText(v.startDate, v.endDate);
    auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (v.descrIndex != 0) add(shownEntry(descrList, v.descrIndex));
    if (v.nameIndex != 0) add(shownEntry(nameList, v.nameIndex));
    return text.empty() ? "" : "Filter: " + text;
}

std::string addedRowsNote(int added, const std::string& fileName, int hidden) {
    std::string note = std::to_string(added) + (added == 1 ? " row" : " rows") + " added from " + fileName;
    if (hidden > 0) note += ", " + std::to_string(hidden) + " hidden by the filter";
    return note;
}

std::string notFoundNote(const std::string& text) { return "\"" + text + "\" not found"; }
