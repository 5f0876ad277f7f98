// The main window's commands: buttons and menu items, and the quit flow.
#pragma once
#include <windows.h>

// A command with notification code 0 (menu item or button click).
void runCommand(int id);
// The system close command; returns true when the window may close.
bool confirmQuit();
// True while a command or the quit flow is running: commands that arrive
// meanwhile (for example while one of its questions is on screen) are dropped.
bool commandInProgress();
