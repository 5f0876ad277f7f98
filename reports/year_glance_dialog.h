// View > Year at a Glance: the year's income and expenses month by month
// beside another year, as a chart and a table, read from the working books
// and their archive files. Resizable; prints and exports what it shows.
#pragma once
#include <windows.h>

#include <string>

#include "reports/filter.h"

enum : int {
    idGlanceYear = 2601,       // the year shown
    idGlanceCompare = 2602,    // the year compared with
    idGlanceByDescr = 2603,    // one line per description
    idGlanceByName = 2604,     // one line per name
    idGlanceChart = 2605,
    idGlanceTable = 2606,      // list view: the lines, twelve months, the years' totals, the change
    idGlanceProblems = 2607,   // the archive files left out, and why
    idGlanceAddArchive = 2608, // "Add archive file..."
    idGlancePrint = 2609,
    idGlanceExport = 2610,
};

// What a double click on a cell asks the main list to show.
struct GlanceChoice {
    bool show = false;
    FilterValues filter;  // that month (or year) and that description or name
    std::string note;     // said in the status bar: some of them are in archive files
};
// Modal over owner. Returns the cell's filter when a double click ended it.
GlanceChoice showYearAtAGlance(HWND owner);
