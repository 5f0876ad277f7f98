// Printing the Schedule C worksheet: its rows (line, description, amount)
// on as many pages as they need, each page headed with the year, the books'
// file and the date printed; a description too long for its column wraps.
#pragma once
#include <string>

#include "reports/schedule_c.h"

// Asks for the printer, then prints; a cancelled dialog prints nothing.
void printScheduleC(const ScheduleC& c, const std::string& ledgerFile);
