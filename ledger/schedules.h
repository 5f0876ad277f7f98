// Scheduled entries: transactions that repeat (rent on the first, a bill on
// the 15th, insurance every quarter). The schedules live beside the ledger;
// their entries are posted into the books only when the user has seen the
// list of the ones due, once each, and every change to them is a step of
// the books' history.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ledger/tables.h"

// --- Dates of a rule ---

// Packed dates from 01-01-1980 to 12-31-2107: true for a real day.
bool isRealDate(uint16_t packed);
// The day of the week of a real date, 0 = Sunday.
int weekdayOf(uint16_t packed);

// The dates of the schedule's entries from `from` to `to` (both included,
// packed), oldest first, counted from the rule's first date and stopping
// at its end. At most `limit` of them.
std::vector<uint16_t> occurrencesBetween(const Schedule& schedule, uint16_t from, uint16_t to,
                                         size_t limit = SIZE_MAX);
// The first entry's date after `after` (0: the first of all), or 0 when
// the rule has none left.
uint16_t nextOccurrence(const Schedule& schedule, uint16_t after);
// Whether an entry of the schedule falls on this date.
bool isOccurrence(const Schedule& schedule, uint16_t date);

// --- Checking and making schedules ---

// What is wrong with a schedule as typed, as the message that refuses it,
// or "" when nothing is.
std::string scheduleProblem(const Schedule& schedule);

// A schedule made from a transaction of the books: the same record,
// description and name, monthly on its day, the first entry a month after it.
Schedule scheduleFromTransaction(const Transaction& t);

// The books' schedule with this id, or null.
const Schedule* findSchedule(uint32_t id);

// New, Change and Delete, each one step of the history ("New schedule",
// "Change schedule", "Delete schedule"). A schedule with a problem is
// refused with its message (0 / false, nothing changed). addSchedule
// returns the new schedule's id. A changed rule keeps what was handled up
// to its mark.
uint32_t addSchedule(const Schedule& schedule);
bool changeSchedule(uint32_t id, const Schedule& schedule);
bool deleteSchedule(uint32_t id);

// --- Due entries ---

// One entry of a schedule, known by the schedule's id and the date the rule
// gives it (the date it is posted on may differ).
struct DueEntry {
    uint32_t schedule = 0;
    uint16_t date = 0;
    bool inBooks = false;  // the books hold the same transaction that day already: offered unchecked
    bool unproven = false;  // its schedule came from a side file written with other books
    bool operator==(const DueEntry& o) const { return schedule == o.schedule && date == o.date; }
};

// Every entry not yet handled, from each schedule's mark up to today,
// oldest first (schedules in their order on the same day).
std::vector<DueEntry> dueEntries(uint16_t today);

// An entry to post, on the date the user gave it (0: its own date).
struct DuePosting {
    uint32_t schedule = 0;
    uint16_t date = 0;
    uint16_t postOn = 0;
};

// Posts the chosen entries and skips the skipped ones (which are never
// offered again); the entries in neither stay for next time. One step:
// "Post N scheduled entries" (or "Skip N scheduled entries" when nothing is
// posted). Entries already handled or no longer of their schedule are left
// out, so nothing is posted twice. When the ledger or its lists have no
// room for all of them, or a date is illegal, says so and changes nothing:
// the result is -1. Otherwise how many were posted.
int postDueEntries(const std::vector<DuePosting>& post, const std::vector<DueEntry>& skip);

// --- Which books may post ---

// Whether the books as opened may show due entries: not a backup copy, not
// an archive written from the books (a file among `archives`), not a file
// that cannot be written. reason says why not, as a message.
struct DuePermission {
    bool allowed = true;
    std::string reason;
};
DuePermission dueEntriesPermission(const std::string& path, bool readOnly, const std::vector<ArchiveNote>& archives);
