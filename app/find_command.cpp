#include "app/find_command.h"

#include <vector>

#include "app/find_dialog.h"
#include "app/find_rows.h"
#include "app/list_state.h"
#include "app/main_state.h"
#include "app/status_texts.h"
#include "app/transaction_list.h"
#include "ledger/tables.h"

namespace {

std::string lastFindText;  // "" before the first search

// The rows' full texts in display order (the list shows cells cut to their
// columns; a search finds what the cut hides).
std::vector<std::string> shownRowTexts() {
    std::vector<std::string> texts;
    texts.reserve(rowCount);
    for (int p = 1; p <= rowCount; ++p) {
        int t = transactionAtPosition(p);
        texts.push_back(t >= 1 && t <= transactionCount ? transactionRowText(t) : std::string());
    }
    return texts;
}

ListRefresh findFromSelection(const std::string& text) {
    ListRefresh r;
    r.rows = ListRefresh::keep;  // the refresh shows the new selection in the count
    int found = currentList ? findRow(shownRowTexts(), currentList->selected(), text) : 0;
    if (found == 0) {
        r.note = notFoundNote(text);
        return r;
    }
    currentList->select(found, 1, 0);  // scrolled into view
    selectedRow = found;
    return r;
}

}  // namespace

ListRefresh findCommand() {
    std::optional<std::string> text = askFindText(mainWindow, lastFindText);
    if (!text) {
        ListRefresh r;
        r.rows = ListRefresh::keep;
        return r;
    }
    lastFindText = *text;
    return findFromSelection(lastFindText);
}

ListRefresh findNextCommand() {
    if (lastFindText.empty()) return findCommand();
    return findFromSelection(lastFindText);
}

void resetFindState() { lastFindText.clear(); }
