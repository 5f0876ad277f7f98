// The main window's commands: buttons and menu items, and the quit flow.
#pragma once
#include <windows.h>

#include <string>

#include "app/main_ids.h"


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
