// Money moved between two accounts of one statement file: the line that
// leaves one account and the line that reaches the other.
#pragma once
#include <string>
#include <vector>

#include "import/import_row.h"

// For each row, the row it pairs with, -1 for none. Two rows pair when they
// are of different accounts (StatementLine::account, both named), of the
// same date as written and of opposite amounts, and both may be paired.
// Each row is in at most one pair; in file order, a row pairs with the
// earliest row before it that is still free.
std::vector<int> transferPartners(const std::vector<ImportRow>& rows, const std::vector<bool>& mayPair);

// An account as a row shows it: what follows the last '/' ("9100" of
// "121000358/9100"), the whole text where nothing follows one.
std::string shortAccount(const std::string& account);
