// Comma-separated exports of the list and of the tax report: RFC 4180 (CR LF
// line ends, fields quoted when they hold a comma, quote or line break),
// UTF-8 with a byte-order mark so that spreadsheets read accented letters of
// the Windows-1252 texts correctly.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Windows-1252 text to UTF-8.
std::string utf8FromWindows1252(const std::string& text);

// One field as it goes into a line (quoted, with quotes doubled, if needed).
std::string csvField(const std::string& text);

// A text column's value as a spreadsheet must take it: one that begins with
// "=", "+", "-", "@", a tab or a carriage return would be run as a formula,
// so it gets a leading apostrophe, which spreadsheets read as "this is text".
std::string spreadsheetText(const std::string& text);

// Hundredths as a plain number: "1250.00", "-0.05".
std::string plainAmount(int64_t cents);

// A packed date as YYYY-MM-DD.
std::string isoDate(uint16_t packed);

// The heading line and one line per transaction number, in the order given:
// Date, Type, Description, Name, Amount, Handling, Shipping, Tax, Total,
// Tax mode and Unit ("miles" for mileage), then what reading the file back
// needs: Tax rate (the record's, in as few digits as give the same float;
// empty for other types than products unless the record has one) and
// Apostrophe added ("", "Description", "Name" or "Description Name": the
// texts spreadsheetText put an apostrophe before).
std::string transactionsCsv(const std::vector<int>& transactionNumbers);

// The tax report's eighteen lines as Label,Value.
std::string taxReportCsv();

// Why an export must not be written to path, or "" when it may: the open
// ledger, its backup, a file that holds a ledger and Quirvel's own files
// are never replaced by a CSV file, whatever the name they are given by.
std::string exportRefusalText(const std::string& path);

// What an export writes: its files' kind as the save dialog offers it and
// the extension a name without one gets.
struct ExportFileKind {
    std::string filterName;  // "CSV Files"
    std::string pattern;     // "*.csv"
    std::string extension;   // "csv"
};

// Asks for a file name (a save dialog with the given caption, offering
// files of that kind and all files) and writes contents there. False when
// cancelled or not written; a failed write is reported and leaves any
// earlier file of that name as it was. A name that exportRefusalText
// refuses is reported and the dialog asks again. path, when given, gets
// the file's name.
bool exportFile(const std::string& contents, const std::string& caption, const ExportFileKind& kind,
                std::string* path = nullptr);

// exportFile for CSV files.
bool exportCsv(const std::string& csv, const std::string& caption);
