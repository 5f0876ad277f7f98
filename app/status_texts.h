// What the main window's status bar says beyond the file and the row count:
// the filter in force, and the notes a command adds after the count.
#pragma once
#include <cstdint>
#include <string>

#include "reports/filter.h"

// The period of the filter as the status bar says it: "2026" for a whole
// calendar year, "03-2026" for a whole month, "03-01-2026 to 06-30-2026",
// "from 03-01-2026" or "to 06-30-2026" with one open end; "" with neither.
std::string filterPeriodText(uint16_t startDate, uint16_t endDate);

// The filter's own part of the status bar: "Filter: " and its period, its
// description and its name, comma separated ("Filter: 2026, Bank fees");
// "" when the filter lets every transaction pass.
std::string filterStatusText(const FilterValues& v);

// After an import: "3 rows added from x.csv", and ", 1 hidden by the
// filter" when some of them do not pass it.
std::string addedRowsNote(int added, const std::string& fileName, int hidden);

// An added or changed record the filter does not let into the list.
extern const char hiddenRecordNote[];

// Find looked at every row and none holds the text: "\"TEXT\" not found".
std::string notFoundNote(const std::string& text);
