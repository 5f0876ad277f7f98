// What the program remembers about statements it has read, per CSV header
// line or OFX/QIF account: the column mapping, the sign flip, the date
// order the user chose and the last closing balance. Kept in a file of its
// own beside the settings file, written safely each time it changes.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "import/csv_reader.h"

extern const char statementMemoryFileName[];  // "quirvel-import.ini"

struct RememberedStatement {
    bool hasColumns = false;
    CsvColumns columns;
    bool flip = false;
    bool hasOrder = false;
    DateOrder order = DateOrder::monthDayYear;
    bool hasClosing = false;
    int64_t closing = 0;
};

// From the file in dataFolder; false when nothing is remembered for key.
bool recallStatement(const std::string& key, RememberedStatement& remembered);
// Replaces what is remembered for key and writes the file; false (said in a
// message) when it could not be written.
bool rememberStatement(const std::string& key, const RememberedStatement& remembered);

std::string encodeStatementMemory(const std::vector<std::pair<std::string, RememberedStatement>>& entries);
std::vector<std::pair<std::string, RememberedStatement>> decodeStatementMemory(const std::string& text);
