#include "app/list_state.h"

ListState listState;

int tabType(int tab) {
    static const int types[] = {0, 0, 1, 6, 3, 2};
    return tab >= 1 && tab <= 5 ? types[tab] : 0;
}

int transactionAtPosition(int position) {
    int row = displayOrder.empty() ? position
              : position >= 1 && position < static_cast<int>(displayOrder.size()) ? displayOrder[position]
                                                                                   : 0;
    if (row < 1 || row > rowCount || row >= static_cast<int>(rowMap.size())) return 0;
    return rowMap[row];
}

std::vector<int> shownTransactions() {
    std::vector<int> shown;
    shown.reserve(rowCount);
    for (int p = 1; p <= rowCount; ++p) shown.push_back(transactionAtPosition(p));
    return shown;
}

// A list page holds 24 rows at the window's built-in size. Within that last
// page the selection moves up with the rows, so that it stays on a row the
// page still shows once the list has a row fewer; above it the selection
// keeps its position, now on the row that followed the deleted one.
constexpr int rowsOnAPage = 24;

void rowRemoved() {
    if (rowCount == 0) return;
    --rowCount;
    if (selectedRow > rowCount - rowsOnAPage) --selectedRow;
    if (selectedRow > rowCount) selectedRow = rowCount;
}

void transactionsArchived(int k) { focusTransaction = focusTransaction > k ? focusTransaction - k : 0; }

void resetListState() { listState = {}; }
