// Help > About: the program's name, version and the maker's mail and web links.
#pragma once

// Runs the About box modally over owner (the main window); returns when it
// closes.
#include <windows.h>

void showAbout(HWND owner);
