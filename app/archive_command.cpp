#include "app/archive_command.h"

#include "app/ask_text.h"
#include "ledger/archive.h"

void archiveLedger() { archiveUpTo(askText("Ending year (or date): ", "Archive date")); }
