// The worksheet as a Tax Exchange Format file (TXF, version 042), which US
// tax software imports: one summary record per Schedule C line that has a
// reference number in the format, and one per description of "Other
// expenses", which the format takes with its text. Income is positive,
// expenses negative, as the format has them.
#pragma once
#include <string>

#include "reports/schedule_c.h"

// exportDate: the day written in the header, MM/DD/YYYY.
std::string worksheetTxf(const ScheduleC& c, const std::string& exportDate);

// The lines with an amount that the format has no number for (line 13,
// 27a/27b's energy deduction, the inventories, the miles): the user types
// them into the tax software. Their form codes: "13", "35", ...
std::vector<std::string> linesTxfLeavesOut(const ScheduleC& c);
