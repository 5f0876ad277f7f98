#include "ledger/list_state.h"

ListState listState;

const char tabTypeCodes[] = "01632";

int transactionAtPosition(int position) {
    int row = displayOrder.empty() ? position
              : position >= 1 && position < static_cast<int>(displayOrder.size()) ? displayOrder[position]
                                                                                   : 0;
    if (row < 1 || row > rowCount || row >= static_cast<int>(rowMap.size())) return 0;
    return rowMap[row];
}

void resetListState() { listState = {}; }
