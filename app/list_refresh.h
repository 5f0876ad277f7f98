// The one refresh of the list and the status bar that ends every command:
// the command says what it needs, the command loop does it once.
#pragma once
#include <string>

// What a command asks of the list once it has run.
struct ListRefresh {
    enum Rows {
        asNeeded,  // filled again when the books changed
        texts,     // only entries' texts changed: the rows keep order and selection
        all,       // filled again whatever the books (other books, another filter)
        keep,      // the rows stay as they are, whatever the books
    } rows = asNeeded;
    int show = 0;         // transaction to select at the fill (kept for a later fill if not shown)
    bool reveal = false;  // show it on All Transactions when the current tab would hide it
    int tab = 0;       // the tab to show first (0: the current one)
    std::string note;  // said after the row count in the status bar
};
// The end of every command: the list as `r` asks (filled at most once) and
// both parts of the status bar. booksChanged: the command changed the books.
void refreshList(const ListRefresh& r, bool booksChanged);
