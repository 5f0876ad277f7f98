// Printing the year at a glance: the chart and the table on as many pages
// as the table needs, each headed with the books' file, the years and the
// date printed.
#pragma once
#include <string>

#include "reports/year_glance.h"

// Asks for the printer, then prints; a cancelled dialog prints nothing.
void printGlance(const Glance& g, const std::string& ledgerFile);
