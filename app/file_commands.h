// The File menu's commands, one function per item (Exit is the quit flow of
// app/commands.h).
#pragma once

// File > Open: the file dialog, then the save question, then the ledger.
void openFile();
// File > Save: asks "Save this file now?" first.
void saveFile();
// File > Save As: a new name for the books, which are then saved there.
void saveFileAs();
// File > New: the save question, then an empty ledger (no path, no
// transactions, descriptions or names; the tax rates stay).
void newFile();
// File > Archive: asks for the ending year or date, then archives.
void archiveFile();
// File > Print: the list as it is shown.
void printFile();
// File > Export...: the rows of the current list, in the order shown, to a
// CSV file.
void exportFile();
// File > Import...: a bank statement, previewed, then its checked rows
// added as one step.
void importFile();
