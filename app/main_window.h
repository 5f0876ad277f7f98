// The main window: its start-up, its message handlers and its end. What
// it is made of lives beside it in app/: its handles in main_state, its
// menu, shortcuts and toolbar in main_menu, its pages in main_pages, the
// list's state in list_state, its commands in commands and file_commands.
#pragma once
#include <windows.h>

#include <string>

#include "app/commands.h"
#include "app/main_pages.h"
#include "app/main_state.h"
#include "app/transaction_list.h"
#include "app/list_state.h"
#include "ui/dialog_template.h"


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

// Picks dataFolder from the program's location and the shell's folders.
std::string determineDataFolder();

// Clears every table, flag, filter and selection (tests start from here).
void resetAllState();
