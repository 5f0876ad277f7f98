// The main window: toolbar, five tab pages each with a transaction list,
// the status bar and the menu.
#pragma once
#include <windows.h>

#include <string>

#include "app/column_list.h"
#include "app/commands.h"
#include "app/transaction_list.h"
#include "ledger/list_state.h"
#include "ui/dialog_template.h"

constexpr int mainWidthUnits = 320;
constexpr int mainHeightUnits = 300;


// A ledger named on the command line, opened instead of the remembered one.
extern std::string startupLedger;
// How whoever started the program asked for its window to be shown (WinMain's
// show command): minimised or maximised is honoured.
extern int startShowCommand;
// The full path of the first argument of a command line ("" when none).
std::string ledgerFromCommandLine(const wchar_t* commandLine);

// Set by tests to keep the program's files in a folder of their own.
extern std::string dataFolderOverride;

// The program: builds the main window and runs it modally until it closes.
// With a single-byte ANSI code page an input method has nothing to compose
// that the ledger can keep: it is turned off for this thread, before its
// first window, which spares loading COM at the first activation.
void leaveInputMethodOff();
INT_PTR runMainWindow();
// The same window without its own loop (tests drive it with messages).
HWND createMainWindow();
// Ends the main window: EndDialog when modal, DestroyWindow otherwise.
void closeMainWindow();

// Status bar part 0 (the file) or 1 (selected row : rows); installed as
// updateStatus.
void showStatus(int part);

// Picks dataFolder from the program's location and the shell's folders.
std::string determineDataFolder();

// Clears every table, flag, filter and selection (tests start from here).
void resetAllState();
