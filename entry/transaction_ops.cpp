#include "entry/transaction_ops.h"

#include "ledger/changes.h"
#include "ledger/list_state.h"
#include "lists/list_maintenance.h"

namespace {

// The transaction of the selected row, 0 when there is none.
int selectedTransaction() {
    if (selectedRow < 1 || rowCount == 0) return 0;
    int r = transactionAtPosition(selectedRow);
    return r >= 1 && r <= transactionCount ? r : 0;
}

bool deleteSelected() {
    // Taken once: the questions below leave the main window usable, and the
    // record deleted must be the one they asked about.
    int r = selectedTransaction();
    if (r == 0) return false;
    offerUnusedEntryRemovalFor(r);
    if (r > transactionCount || rowCount == 0) return false;
    removeTransactionAt(r);
    --rowCount;
    if (selectedRow > rowCount - 24) --selectedRow;
    if (selectedRow > rowCount) selectedRow = rowCount;
    return true;
}

}  // namespace

int insertTransaction(const Transaction& record) {
    int position = placeTransaction(record);
    if (position == 0) return 0;
    focusTransaction = position;  // the next fill selects it
    return position;
}

void deleteTransaction() { deleteSelected(); }

int changeTransaction(const Transaction& record) {
    if (selectedTransaction() == 0) return 0;
    keptDescrIndex = record.descrIndex;
    keptNameIndex = record.nameIndex;
    bool deleted = deleteSelected();
    Transaction replacement = record;
    replacement.descrIndex = keptDescrIndex;
    replacement.nameIndex = keptNameIndex;
    keptDescrIndex = 0;
    keptNameIndex = 0;
    if (!deleted) return 0;
    return insertTransaction(replacement);
}
