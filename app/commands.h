// The main window's commands: buttons and menu items, and the quit flow.
#pragma once
#include <windows.h>

// A command with notification code 0 (menu item or button click).
void runCommand(int id);
// The system close command; returns true when the window may close.
bool confirmQuit();
// Windows asks before a log-off or shutdown: true when the program may end.
// Unsaved changes get the quit flow's save question, without "Quit program now?".
bool confirmLogOff();
// True while a command or the quit flow is running: commands that arrive
// meanwhile (for example while one of its questions is on screen) are dropped.
bool commandInProgress();
