// Comma, semicolon or tab separated statements. Read in two steps: the
// table (delimiter, quoting, header found from the file), then, with the
// columns mapped, the statement.
#pragma once
#include <string>
#include <vector>

#include "import/statement.h"

struct CsvRow {
    int line = 0;  // the file line it starts on, from 1
    std::vector<std::string> fields;
};

struct CsvTable {
    char delimiter = ',';
    int headerLine = 0;               // 0: the file has no header row
    std::vector<std::string> header;  // empty without one
    std::vector<CsvRow> rows;         // the data rows after the header
    std::vector<UnreadableLine> unreadable;  // e.g. an unterminated quote
    std::string note;                 // from the decoding
    std::string error;                // not empty: no table could be read
};

CsvTable readCsvTable(const Bytes& bytes);

// Column numbers from 0, -1 for none. A statement needs a date and either an
// amount or debit and/or credit columns.
struct CsvColumns {
    int date = -1, amount = -1, debit = -1, credit = -1, payee = -1, memo = -1, balance = -1, id = -1;
    int type = -1;      // what the bank says the line is ("DEBIT", "Transfer")
    int currency = -1;  // the line's currency code
    bool operator==(const CsvColumns& o) const;
};
bool columnsUsable(const CsvColumns& columns);

// The usual header names (Transaction Date over Posting Date, Amount, Debit,
// Credit, Payee, Name, Description, Memo, Type, Balance over Available
// Balance, Currency and the like, any letter case).
CsvColumns guessCsvColumns(const std::vector<std::string>& header);
// The same with the rows to tell columns apart by what they hold: a column
// of a few words ("DEBIT", "ACH_CREDIT") is no payee or memo where another
// holds texts, and one named Details is then the type column; a currency
// column holds three-letter codes.
CsvColumns guessCsvColumns(const CsvTable& table);

// The statement the mapped columns give. The decimal mark and the date
// order are decided once for the whole file; rows whose fields do not read
// go to unreadable with the reason and their texts. The statement's
// currency is the currency column's where the lines agree on one.
Statement csvStatement(const CsvTable& table, const CsvColumns& columns);

// The key a mapping is remembered by: the header line as read.
std::string csvHeaderKey(const CsvTable& table);
