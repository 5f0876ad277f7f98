// Which rows of a statement the books already hold, or the user left out
// before: by the lines remembered beside the ledger, then by the books.
#pragma once
#include <vector>

#include "import/import_row.h"

// Marks every row (duplicate, note, mark, remembered, occurrence). First by
// the lines remembered beside the ledger, by what the bank wrote, so that a
// renamed, changed, archived or deleted transaction changes nothing; a line
// remembered by a side file of other books counts only where the books or
// their archives hold a transaction of its date and amount. The rest are
// counted by date, amount and name against the transactions that no
// remembered line answers for (typed entries, books whose side file was
// lost); a mileage row of the list's own export by its miles instead.
void markDuplicates(std::vector<ImportRow>& rows);
