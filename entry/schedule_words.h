// How the Scheduled Entries list says a schedule: its rule in words, the
// date of its next entry, its type.
#pragma once
#include <cstdint>
#include <string>

#include "ledger/tables.h"

// "Monthly on day 1", "Every 3 months on the last day", "Monthly on the
// second Tuesday", "Weekly on Friday", "Yearly on March 15", with its end
// when it has one: ", 12 times", ", until 12-31-2026".
std::string ruleInWords(const ScheduleRule& rule);

// The date of the schedule's first entry not yet posted or skipped, or 0
// when its rule has none left.
uint16_t nextPendingDate(const Schedule& schedule);

// The type as the list names it: "Service", "Sold", ... ("" for none).
std::string scheduleTypeText(int type);
