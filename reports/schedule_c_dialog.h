// View > Schedule C: the worksheet of one tax year, its lines of Schedule C
// (Form 1040) worked out from the working books and their archive files.
// Descriptions are given their lines here (one at a time, or every
// proposal at once), and the year's rate per mile (when the IRS's is not
// known) and inventories are typed in; each is a step that Undo takes
// back. Resizable; prints and exports (CSV, TXF) what it shows.
#pragma once
#include <windows.h>

enum : int {
    idScheduleCDisclaimer = 2801,    // what the worksheet is not, said once at the top
    idScheduleCYear = 2802,          // the tax year shown
    idScheduleCRate = 2803,          // cents per mile: read-only for a year with an IRS rate
    idScheduleCRateNote = 2804,      // "IRS rate, Notice 2025-5", or whose the rate is
    idScheduleCStartInventory = 2805,  // line 35
    idScheduleCEndInventory = 2806,    // line 41
    idScheduleCUpdate = 2807,        // applies the three boxes (as leaving them does)
    idScheduleCTable = 2808,         // list view: Line, Description, Amount
    idScheduleCAssign = 2809,        // "Assign line..." for the selected description
    idScheduleCConfirm = 2810,       // confirms every proposal of the year's unassigned descriptions
    idScheduleCPrint = 2811,
    idScheduleCExportCsv = 2812,
    idScheduleCExportTxf = 2813,
    idScheduleCYearLabel = 2814,
    idScheduleCRateLabel = 2815,
    idScheduleCStartLabel = 2816,
    idScheduleCEndLabel = 2817,
    // IDCANCEL: "Close"
};

// Modal over owner (which is disabled meanwhile). What it changes in the
// books is already a step of their history when it returns.
void showScheduleC(HWND owner);
