#include "reports/filter.h"

#include <functional>

#include "text/date_text.h"
#include "text/plain_text.h"

FilterValues filter;

namespace {


// The text of entry `index` of a list, or false when the index names no
// entry (a stale filter index must never reach into the table).
bool entryTextAt(ListKind kind, int32_t index, std::string& text) {
    int count = kind == descrList ? descrCount : nameCount;
    if (index < 1 || index > count) return false;
    text = entryText(kind == descrList ? descriptions[index] : names[index]);
    return true;
}

bool textMatches(ListKind kind, int32_t filterIndex, uint16_t entryIndex) {
    if (filterIndex == 0) return true;
    std::string wanted;
    if (!entryTextAt(kind, filterIndex, wanted)) return false;
    return (kind == descrList ? descriptionText(entryIndex) : nameText(entryIndex)) == wanted;
}

// Blanks around a year are allowed; otherwise exactly four digits.
bool parseYearText(const std::string& typed, std::string& year) {
    year = trimBlanks(typed);
    if (year.size() != 4) return false;
    for (char c : year)
        if (c < '0' || c > '9') return false;
    int y = std::stoi(year);
    return y >= 1980 && y <= 2107;
}

int selectedItemFor(const std::vector<BoxItem>& items, ListKind kind, int32_t filterIndex) {
    std::string text;
    if (filterIndex == 0 || !entryTextAt(kind, filterIndex, text)) return -1;
    return findBoxItem(items, shownField(text));  // as the items show it
}

}  // namespace

bool transactionPassesFilter(int t, int type) {
    if (t < 1 || t > transactionCount) return false;
    const Transaction& tr = transactions[t];
    if (tr.date < filterStartDate || tr.date > filterEndDate) return false;
    if (isProductType(type)) {
        if (!isProductType(tr.type)) return false;
    } else if (type != 0 && tr.type != type) {
        return false;
    }
    return textMatches(descrList, filterDescrIndex, tr.descrIndex) &&
           textMatches(nameList, filterNameIndex, tr.nameIndex);
}

void resetFilterState() { filter = {}; }





std::vector<std::string> filterYearItems(int currentYear) {
    std::vector<std::string> years;
    for (int y = currentYear - 4; y <= currentYear; ++y) years.push_back(" " + std::to_string(y));
    return years;
}

FilterDialogStart filterDialogStart(const FilterValues& v, int type) {
    FilterDialogStart s;
    s.descrItems = descrNameBoxItems(descrList, type);
    s.nameItems = descrNameBoxItems(nameList, type);
    s.descrSelected = selectedItemFor(s.descrItems, descrList, v.descrIndex);
    s.nameSelected = selectedItemFor(s.nameItems, nameList, v.nameIndex);
    if (v.startDate != 0) s.startText = formatDate(v.startDate);
    if (v.endDate != 0xFFFF) s.endText = formatDate(v.endDate);
    return s;
}

FilterApplyResult applyFilterEntries(FilterValues& v, const std::string& startText, const std::string& endText,
                                     const std::string& yearText, int clockYear) {
    FilterApplyResult result;
    if (!startText.empty()) {
        std::string fixed = normalizeDateText(startText, clockYear);
        if (fixed.empty()) {
            result.illegalBox = FilterBox::startDate;
            return result;
        }
        uint16_t d = packDate(fixed);
        if (d > v.startDate) v.startDate = d;
    } else {
        v.startDate = 0;
    }

    if (!endText.empty()) {
        std::string fixed = normalizeDateText(endText, clockYear);
        if (fixed.empty()) {
            result.illegalBox = FilterBox::endDate;
            return result;
        }
        uint16_t d = packDate(fixed);
        if (d < v.endDate) v.endDate = d;
    } else {
        v.endDate = 0;
    }

    if (!trimBlanks(yearText).empty()) {
        std::string y;
        if (parseYearText(yearText, y)) {
            v.startDate = packDate("01-01-" + y);
            v.endDate = packDate("12-31-" + y);
        } else {
            result.illegalBox = FilterBox::year;
        }
    }

    // Also when the year was refused: an emptied end box must not leave an
    // upper bound of 0, which would hide every transaction.
    if (v.endDate == 0) v.endDate = 0xFFFF;
    return result;
}

void applyFilterChoices(FilterValues& v, const std::vector<BoxItem>& descrItems, const std::string& descrText,
                        const std::vector<BoxItem>& nameItems, const std::string& nameText) {
    v.descrIndex = boxEntryIndex(descrItems, descrText);
    v.nameIndex = boxEntryIndex(nameItems, nameText);
}

FilterEntries filterEntries() {
    FilterEntries f;
    if (filterDescrIndex >= 1 && filterDescrIndex <= descrCount) f.description = descriptions[filterDescrIndex];
    if (filterNameIndex >= 1 && filterNameIndex <= nameCount) f.name = names[filterNameIndex];
    return f;
}

namespace {
int32_t entryNumber(const std::string* list, int count, const std::string& entry) {
    if (entry.empty()) return 0;
    for (int e = 1; e <= count; ++e)
        if (list[e] == entry) return e;
    return 0;  // the entry is gone: the filter no longer asks for it
}
}  // namespace

void refindFilterEntries(const FilterEntries& f) {
    filterDescrIndex = entryNumber(descriptions.data(), descrCount, f.description);
    filterNameIndex = entryNumber(names.data(), nameCount, f.name);
}

int32_t firstEntryWhere(ListKind kind, const std::function<bool(const std::string&)>& matches) {
    const std::string* list = kind == descrList ? descriptions.data() : names.data();
    int count = kind == descrList ? descrCount : nameCount;
    for (int e = 1; e <= count; ++e)
        if (matches(entryText(list[e]))) return e;
    return 0;
}

int32_t firstEntryWithText(ListKind kind, const std::string& text) {
    return firstEntryWhere(kind, [&](const std::string& t) { return t == text; });
}

FilterTextsFound findFilterTexts(const FilterEntries& f) {
    filterDescrIndex = f.description.empty() ? 0 : firstEntryWithText(descrList, entryText(f.description));
    filterNameIndex = f.name.empty() ? 0 : firstEntryWithText(nameList, entryText(f.name));
    return {f.description.empty() || filterDescrIndex != 0, f.name.empty() || filterNameIndex != 0};
}
