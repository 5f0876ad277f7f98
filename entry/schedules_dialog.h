// "Scheduled Entries": the books' schedules, with New, Change, Delete and
// "Make from selected", and the editor of one schedule.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "ledger/tables.h"

// Control ids of both dialogs.
enum : int {
    idSchedulesTable = 2901,  // list view: Next date, Type, Description, Name, Amount, Rule
    idScheduleNew = 2902,
    idScheduleChange = 2903,
    idScheduleDelete = 2904,
    idScheduleFromSelected = 2905,  // "Make from selected": from the main list's selected transaction

    idScheduleType = 2911,  // combo: Service, Expense, Sold, Bought, Personal, Earnings
    idScheduleDescr = 2912,
    idScheduleName = 2913,
    idScheduleAmount = 2914,
    idScheduleHandling = 2915,
    idScheduleShipping = 2916,
    idScheduleTaxOption = 2917,  // combo: products only
    idScheduleRate = 2918,       // percent
    idScheduleTax = 2919,        // typed for "Tax specified", worked out for added and included
    idScheduleEvery = 2921,
    idScheduleUnit = 2922,       // combo: days, weeks, months, years
    idScheduleOnDay = 2923,      // radio buttons: on day N, on the last day, on the n-th weekday
    idScheduleLastDay = 2924,
    idScheduleNthWeekday = 2925,
    idScheduleDay = 2926,
    idScheduleWeek = 2927,       // combo: first .. fourth, last
    idScheduleWeekday = 2928,    // combo: Sunday .. Saturday
    idScheduleFirst = 2929,      // the first entry's date
    idScheduleEndNever = 2931,   // radio buttons: never, after a count, on a date
    idScheduleEndAfter = 2932,
    idScheduleEndOn = 2933,
    idScheduleCount = 2934,
    idScheduleUntil = 2935,
};

// Modal over owner. Every New, Change and Delete is one step of the books'
// history as it is made. selected: the transaction selected in the main
// list, for "Make from selected" (the button is disabled without one).
void showScheduledEntries(HWND owner, const std::optional<Transaction>& selected);

// The editor: the schedule as the user typed it over `start` (its id and
// what was handled kept), or nothing when cancelled. What it returns has
// no problem scheduleProblem would name.
std::optional<Schedule> askSchedule(HWND owner, const Schedule& start, const std::string& caption);
