// The File menu's commands, one function per item (Exit is the quit flow of
// app/commands.h). Each says what the list is to show once it has run.
#pragma once
#include "app/list_refresh.h"

// File > Open: the file dialog, then the save question, then the ledger.
ListRefresh openFile();
// File > Save: asks "Save this file now?" first.
ListRefresh saveFile();
// File > Save As: a new name for the books, which are then saved there.
ListRefresh saveFileAs();
// File > New: the save question, then an empty ledger (no path, no
// transactions, descriptions or names; the tax rates stay).
ListRefresh newFile();
// File > Archive: asks for the ending year or date, then archives.
ListRefresh archiveFile();
// File > Print: the list as it is shown.
ListRefresh printFile();
// File > Export...: the rows of the current list, in the order shown, to a
// CSV file.
ListRefresh exportFile();
// File > Import...: a bank statement, previewed, then its checked rows
// added as one step.
ListRefresh importFile();
