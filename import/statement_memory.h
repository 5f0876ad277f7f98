// What the program remembers about statements it has read, per kind of
// file: the column mapping, the sign flip and the date order the user
// chose, and the day of that import. The key names the file type, the
// account where the file names one, and the headings. Kept in a file of its
// own beside the settings file, written safely each time it changes.
// Balances and the lines imported belong to a ledger and live beside it.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "import/csv_reader.h"

extern const char* const statementMemoryFileName;  // "quirvel-import.ini", in dataFolder

struct RememberedStatement {
    bool hasColumns = false;
    CsvColumns columns;
    bool flip = false;
    bool hasOrder = false;
    DateOrder order = DateOrder::monthDayYear;
    uint16_t rememberedOn = 0;  // packed date of the import that chose these
    // The currency other than the books' whose amounts the user took as they
    // stand for this account; "" for none.
    std::string currencyTaken;
    // The preview's column widths as the user dragged them (pixels, 0 for a
    // column left to fit its texts); empty when none was dragged.
    std::vector<int> columnWidths;
};

// From the file in dataFolder; false when nothing is remembered for key.
bool recallStatement(const std::string& key, RememberedStatement& remembered);
// Replaces what is remembered for key and writes the file; false (said in a
// message) when it could not be written.
bool rememberStatement(const std::string& key, const RememberedStatement& remembered);

// Whether a sign flip remembered under a statement's key is applied by
// itself: only where the file names its account. Files that name none
// share their key with every other bank's of the same layout, and a card's
// flipped signs would turn another bank's deposits into expenses.
bool rememberedFlipApplies(const Statement& statement);

std::string encodeStatementMemory(const std::vector<std::pair<std::string, RememberedStatement>>& entries);
std::vector<std::pair<std::string, RememberedStatement>> decodeStatementMemory(const std::string& text);
