// The main window's commands: buttons and menu items, and the quit flow.
#pragma once
#include <windows.h>

#include <string>

#include "ledger/list_state.h"

// Control and command identifiers.
enum : int {
    idStatusBar = 999,
    idToolbar = 1000,
    idServ = 1001, idExps = 1002, idProd = 1003, idEarn = 1006,
    idData = 1007, idEdit = 1008, idRept = 1009, idFilter = 1010, idQuit = 1011,
    idTabs = idMainTabs,
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
};

// The help file Help > Contents opens (set by the main window).
extern std::string helpPath;
// Help > Contents opens the help's pages as plain HTML in the browser
// instead of the help file: Wine's help viewer shows every page blank. Set
// at start-up from runningUnderWine(); false after resetAllState.
extern bool helpInBrowser;
// The HTML page Help > Contents opens in the browser, in the data folder.
extern const char helpPageName[];
bool runningUnderWine();

// A command with notification code 0 (menu item or button click). The
// changes it made to the books become one step that Undo takes back.
void runCommand(int id);
// The Undo and Redo items of the Edit menu name the steps they would take
// (greyed when there is none).
void updateUndoItems();
// The system close command; returns true when the window may close.
bool confirmQuit();
// Windows asks before a log-off or shutdown: true when the program may end.
// Unsaved changes get the quit flow's save question, without "Quit program now?".
bool confirmLogOff();
// True while a command or the quit flow is running: commands that arrive
// meanwhile (for example while one of its questions is on screen) are dropped.
bool commandInProgress();
