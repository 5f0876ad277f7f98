// The main window's control and command identifiers: its toolbar's
// buttons, its menu's items and its keyboard's shortcuts.
#pragma once

// Control and command identifiers.
enum : int {
    idStatusBar = 999,
    idToolbar = 1000,
    idServ = 1001, idExps = 1002, idProd = 1003, idEarn = 1006,
    idData = 1007, idEdit = 1008, idRept = 1009, idFilter = 1010, idQuit = 1011,
    idTabs = 1100,
    idFirstList = 2501,
    cmdOpen = 101, cmdSave = 102, cmdSaveAs = 103, cmdArchive = 104, cmdPrint = 105, cmdExit = 106,
    cmdChangeRecord = 201, cmdDeleteRecord = 202, cmdNamesList = 203, cmdDescrList = 204, cmdSalesTax = 205,
    cmdAddService = 211, cmdAddEarning = 212, cmdAddProduct = 213, cmdAddExpense = 214,
    cmdFormData = 303, cmdFiltered = 304, cmdTaxReport = 305,
    cmdContents = 401, cmdAbout = 402,
    // Beyond the menu's own items: File > New, Export and Import, and the keyboard's
    // tab switching.
    cmdNew = 107, cmdExport = 108, cmdImport = 109, cmdNextTab = 310, cmdPreviousTab = 311,
    // After the Edit menu's own items: taking changes back and making them again.
    cmdUndo = 206, cmdRedo = 207,
    // Then looking for a text in the list's rows, and looking again.
    cmdFind = 208, cmdFindNext = 209,
    // After the lists' items: the schedules of entries that repeat.
    cmdScheduledEntries = 210,
    // Then the entries of the schedules that are due; and the same offered by
    // itself once books are opened (no menu item).
    cmdDueEntries = 215, cmdDueEntriesAtOpen = 216,
    // After the View menu's own items: the year at a glance, the Schedule C
    // worksheet.
    cmdYearGlance = 306, cmdScheduleC = 307,
};
