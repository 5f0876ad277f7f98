// The main window: toolbar, five tab pages each with a transaction list,
// the status bar and the menu.
#pragma once
#include <windows.h>

#include <string>

#include "app/column_list.h"

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
    // Beyond the menu's own items: File > New and Export, and the keyboard's
    // tab switching.
    cmdNew = 107, cmdExport = 108, cmdNextTab = 310, cmdPreviousTab = 311,
};

constexpr int mainWidthUnits = 320;
constexpr int mainHeightUnits = 300;

extern HWND mainWindow;
extern HWND tabControl;
extern HWND statusBar;
extern HWND pages[6];          // 1..5
extern cColumnList* lists[6];  // 1..5
extern HWND currentPage;
extern cColumnList* currentList;
extern std::string helpPath;

// A ledger named on the command line, opened instead of the remembered one.
extern std::string startupLedger;
// The full path of the first argument of a command line ("" when none).
std::string ledgerFromCommandLine(const wchar_t* commandLine);

// Set by tests to keep the program's files in a folder of their own.
extern std::string dataFolderOverride;

// The program: builds the main window and runs it modally until it closes.
INT_PTR runMainWindow();
// The same window without its own loop (tests drive it with messages).
HWND createMainWindow();
// Ends the main window: EndDialog when modal, DestroyWindow otherwise.
void closeMainWindow();

void updateStatus(int part);

// Selects the next (step 1) or previous (-1) tab, wrapping, as a click would.
void stepTab(int step);

// Takes the window's current place into savedPlacement; true when the
// settings file should be written for it.
bool rememberWindowPlacement();

// Picks dataFolder from the program's location and the shell's folders.
std::string determineDataFolder();

// Clears every table, flag, filter and selection (tests start from here).
void resetAllState();
