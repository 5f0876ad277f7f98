#include "ledger/list_state.h"

int currentTab = 1;
int currentListId = 2501;
int lastFilledTab = 0;
int currentType = 0;
uint16_t rowCount = 0;
std::vector<int> rowMap(1, 0);
int selectedRow = 0;
int focusTransaction = 0;
cColumnList* currentList = nullptr;

const char tabTypeCodes[] = "01632";

std::vector<int> displayOrder;

int transactionAtPosition(int position) {
    int row = displayOrder.empty() ? position
              : position >= 1 && position < static_cast<int>(displayOrder.size()) ? displayOrder[position]
                                                                                   : 0;
    if (row < 1 || row > rowCount || row >= static_cast<int>(rowMap.size())) return 0;
    return rowMap[row];
}

void resetListState() {
    currentTab = 1;
    currentListId = 2501;
    lastFilledTab = 0;
    currentType = 0;
    rowCount = 0;
    rowMap.assign(1, 0);
    selectedRow = 0;
    focusTransaction = 0;
    displayOrder.clear();
}
