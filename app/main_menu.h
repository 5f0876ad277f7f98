// What the main window is made of before any ledger is shown: its menu, its
// keyboard shortcuts and its template (the toolbar's buttons and the tab
// control).
#pragma once
#include <windows.h>

#include "ui/dialog_template.h"

HMENU buildMainMenu();
HACCEL buildMainAccelerators();
cDialogTemplate mainWindowTemplate();
