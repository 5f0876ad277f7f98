// The filter that narrows the main list: a date range and, optionally, one
// description and one name (matched by text, whatever their group).
#pragma once
#include <cstdint>
#include <functional>
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

// True when transaction t (1-based) is to be shown in a list of transaction
// type `type` (0 all, 1 Service, 2 Expense, 3..5 every product, 6 Earnings)
// under the filter values. A filter index that lies outside its list names
// no text and so matches no transaction.
bool transactionPassesFilter(int t, int type);

// The values the program starts with (every transaction passes).
void resetFilterState();

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
// Box contents for a list of transaction type `type` and the values v.
FilterDialogStart filterDialogStart(const FilterValues& v, int type);

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
FilterApplyResult applyFilterEntries(FilterValues& v, const std::string& startText, const std::string& endText,
                                     const std::string& yearText, int clockYear);

// "&OK", the text part: the description and name the boxes hold, looked up
// among the items the boxes were filled with.
void applyFilterChoices(FilterValues& v, const std::vector<BoxItem>& descrItems, const std::string& descrText,
                        const std::vector<BoxItem>& nameItems, const std::string& nameText);

// The filter's description and name as the entries they are, so that the
// filter can follow them when Undo or Redo puts back or takes out an entry
// before them in their list.
struct FilterEntries {
    std::string description, name;  // group byte + text; "" for any
};
FilterEntries filterEntries();
void refindFilterEntries(const FilterEntries& entries);
// The first entry of the open books' list whose text (the group byte
// aside) matches, whatever its group, as the filter matches texts; 0 when
// none does.
int32_t firstEntryWhere(ListKind kind, const std::function<bool(const std::string&)>& matches);
int32_t firstEntryWithText(ListKind kind, const std::string& text);

// Other books were loaded: the filter's description and name stand for the
// first entries there with the same texts (whatever their group), as the
// filter matches them. Says which were found; one that was not is dropped.
struct FilterTextsFound {
    bool description = true, name = true;
};
FilterTextsFound findFilterTexts(const FilterEntries& entries);
