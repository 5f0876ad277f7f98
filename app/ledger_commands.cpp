#include "app/ledger_commands.h"

#include <vector>

#include "app/transaction_list.h"
#include "ledger/ledger_file.h"
#include "ledger/list_state.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/csv_export.h"
#include "reports/filter.h"
#include "ui/prompts.h"

void newLedger() {
    if (ledgerChanged &&
        showMessage("Current file has changed...\r\nSave it before opening the new file?", "Save File",
                    mb::yesNo | mb::iconQuestion) == mb::idYes &&
        !saveLedger())
        return;  // the changes were not saved: emptying now would lose them
    installLedgerImage(LedgerImage{});
    ledgerPath.clear();
    // The filter's description and name pointed into the old lists.
    filterDescrIndex = 0;
    filterNameIndex = 0;
    focusTransaction = 0;
    fillList();
    updateStatus(0);
    updateStatus(1);
}

void exportList() {
    std::vector<int> shown;
    for (int p = 1; p <= rowCount; ++p) shown.push_back(transactionAtPosition(p));
    exportCsv(transactionsCsv(shown), "Export");
}
