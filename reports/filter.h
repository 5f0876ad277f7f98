// The filter that narrows the main list: a date range and, optionally, one
// description and one name (matched by text, whatever their group).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ledger/tables.h"
#include "lists/entry_matching.h"

// The filter in force, in one place: resetting it is `filter = {}`.
struct FilterValues {
    uint16_t startDate = 0;       // 0 = no lower bound
    uint16_t endDate = 0xFFFF;    // 0xFFFF = no upper bound
    int32_t descrIndex = 0;       // 0 = any description
    int32_t nameIndex = 0;        // 0 = any name
};
extern FilterValues filter;
// The names the rest of the program knows them by.
inline uint16_t& filterStartDate = filter.startDate;
inline uint16_t& filterEndDate = filter.endDate;
inline int32_t& filterDescrIndex = filter.descrIndex;
inline int32_t& filterNameIndex = filter.nameIndex;

// True when transaction t (1-based) is to be shown in the current list,
// given currentType and the filter values. A filter index that lies outside
// its list names no text and so matches no transaction.
bool transactionPassesFilter(int t);

// The values the program starts with (every transaction passes).
void resetFilterState();

// "&Reset" in the filter dialog: no bounds, any description and name, all
// types (currentType 0).
void resetFilterValues();

// The year list of the filter dialog: the current year minus 4 up to the
// current year, each with one leading blank.
std::vector<std::string> filterYearItems(int currentYear);

// What the filter dialog shows when it opens.
struct FilterDialogStart {
    std::vector<BoxItem> descrItems, nameItems;
    int descrSelected = -1;  // position in descrItems, -1 = box left empty
    int nameSelected = -1;
    std::string startText;  // "" when there is no lower bound
    std::string endText;    // "" when there is no upper bound
};
// Box contents for currentType and the filter values now in force.
FilterDialogStart filterDialogStart();

enum class FilterBox { none, startDate, endDate, year };

struct FilterApplyResult {
    FilterBox illegalBox = FilterBox::none;  // the box to answer "Illegal date" for
    bool ok() const { return illegalBox == FilterBox::none; }
};

// "&OK", the date part: a typed start date can only move the lower bound
// later, a typed end date only the upper bound earlier; an empty box removes
// its bound; a year sets both bounds to that calendar year. Stops at the
// first illegal box, leaving in force what the boxes before it set. A year
// must be four digits from 1980 to 2107 (blanks around it ignored).
FilterApplyResult applyFilterEntries(const std::string& startText, const std::string& endText,
                                     const std::string& yearText, int clockYear);

// "&OK", the text part: the description and name the boxes hold, looked up
// among the items the boxes were filled with.
void applyFilterChoices(const std::vector<BoxItem>& descrItems, const std::string& descrText,
                        const std::vector<BoxItem>& nameItems, const std::string& nameText);

// The filter's description and name as the entries they are, so that the
// filter can follow them when Undo or Redo puts back or takes out an entry
// before them in their list.
struct FilterEntries {
    std::string description, name;  // group byte + text; "" for any
};
FilterEntries filterEntries();
void refindFilterEntries(const FilterEntries& entries);
