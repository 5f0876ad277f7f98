#include "app/archive_command.h"

#include "app/ask_text.h"
#include "app/transaction_list.h"
#include "ledger/archive.h"

void archiveLedger() {
    if (archiveUpTo(askText("Ending year (or date): ", "Archive date"))) fillList();
}
