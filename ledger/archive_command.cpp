#include "ledger/archive_command.h"

#include "ledger/archive.h"
#include "ledger/ask_text.h"

void archiveLedger() { archiveUpTo(askText("Ending year (or date): ", "Archive date")); }
