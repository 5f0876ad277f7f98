// The list's own CSV export read back: known by its headings and read field
// by field, so that each row comes back as the transaction it was, not as a
// bank line to be guessed at.
#pragma once
#include "import/csv_reader.h"
#include "import/import_row.h"
#include "import/statement.h"

// Whether the table's headings begin with the eleven every export of the
// list has had (Date, Type, ..., Tax mode, Unit), with or without the
// columns added after them; letter case and blanks at the ends ignored.
bool isOwnExport(const CsvTable& table);

// One exported line per data row, every field read as written: the date
// year-month-day, the type by its name, the texts with the apostrophe the
// export put before a spreadsheet formula taken off again, the amounts,
// the tax option by its text and the rate. A row that does not read, or
// whose total is not what its fields make, is unreadable with the reason.
// The lines' amounts are their money as a statement would show it (money
// in positive); a mileage row moves none.
Statement ownExportStatement(const CsvTable& table);

// The record an exported entry was: its type, amounts and tax option and
// rate (no date or list entries).
Transaction transactionOf(const ExportedEntry& entry);

// An expense described "Mileage" records miles.
bool recordsMiles(const ExportedEntry& entry);
// Whether a row stores its exported transaction as it was: it came from the
// export and still has the type and tax option it was exported with.
bool storesExactly(const ImportRow& row);
// Whether what a row stores is miles.
bool storesMiles(const ImportRow& row);
