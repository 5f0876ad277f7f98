// CSV statements: any bytes give a table or a message, the columns guessed
// from its rows are each in the header and each given one part, and the
// statement of any mapping is sound: lines within the file, each row read
// once (as a line or as unreadable), amounts that are what the row's field
// says. A table headed as the list's own export is read as one too: every
// line it gives is a transaction a record can hold.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/statement_check.h"
#include "import/csv_reader.h"
#include "import/own_export.h"
#include "ledger/tables.h"
#include "import/statement_fields.h"

namespace {

void check(const CsvTable& table, const CsvColumns& columns, const Bytes& bytes) {
    Statement s = csvStatement(table, columns);
    checkSoundStatement(s, bytes);
    FUZZ_CHECK(columns.currency >= 0 || s.currency.empty());
    std::set<int> seen;
    for (const UnreadableLine& u : s.unreadable) seen.insert(u.line);
    // The rows by their line, each looked up once per statement line.
    std::map<int, const CsvRow*> rows;
    for (const CsvRow& r : table.rows) rows[r.line] = &r;
    for (const StatementLine& line : s.lines) {
        FUZZ_CHECK(seen.insert(line.line).second);
        // The row the line names holds the amount it was read from: the amount
        // column, or money in less money out where the amount is blank.
        auto found = rows.find(line.line);
        FUZZ_CHECK(found != rows.end());
        const CsvRow* row = found->second;
        FUZZ_CHECK(columns.type >= 0 || line.bankType.empty());
        auto field = [&](int column) {
            std::string text = column >= 0 && static_cast<size_t>(column) < row->fields.size() ? row->fields[column] : "";
            for (char& c : text)
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
            return text;
        };
        // Either mark, since the file decides which one it uses.
        auto readsAs = [](const std::string& text, char mark) {
            int64_t cents = 0;
            std::string reason;
            return text.find_first_not_of(' ') == std::string::npos ? std::optional<int64_t>(0)
                   : readStatementAmount(text, mark, cents, reason) ? std::optional<int64_t>(cents)
                                                                    : std::nullopt;
        };
        std::string amount = field(columns.amount);
        bool fromAmount = columns.amount >= 0 && (amount.find_first_not_of(' ') != std::string::npos ||
                                                  (columns.debit < 0 && columns.credit < 0));
        bool matches = false;
        for (char mark : {'.', ','}) {
            if (fromAmount) {
                std::optional<int64_t> cents = readsAs(amount, mark);
                matches = matches || (cents && *cents == line.amount);
            } else {
                std::optional<int64_t> out = readsAs(field(columns.debit), mark), in = readsAs(field(columns.credit), mark);
                matches = matches || (out && in && *in - (*out < 0 ? -*out : *out) == line.amount);
            }
        }
        FUZZ_CHECK(matches);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes bytes(data, data + size);
    CsvTable table = readCsvTable(bytes);
    if (!table.error.empty()) FUZZ_CHECK(table.rows.empty() && table.unreadable.empty());
    int previous = 0;
    for (const CsvRow& row : table.rows) {
        FUZZ_CHECK(row.line > previous && row.line > table.headerLine);
        previous = row.line;
    }
    // Guessed from the header alone and from the rows too: each column in
    // the header, and none given two parts.
    CsvColumns guessed = guessCsvColumns(table);
    std::set<int> used;
    for (int column : {guessed.date, guessed.amount, guessed.debit, guessed.credit, guessed.payee, guessed.memo,
                       guessed.balance, guessed.id, guessed.type, guessed.currency}) {
        FUZZ_CHECK(column >= -1 && column < static_cast<int>(table.header.size()));
        FUZZ_CHECK(column < 0 || used.insert(column).second);
    }
    CsvColumns plain;
    plain.date = 0, plain.amount = 1, plain.payee = 2;
    CsvColumns split;
    split.date = 0, split.debit = 1, split.credit = 2, split.balance = 3, split.memo = 4, split.id = 5;
    split.type = 6, split.currency = 7;
    // Each mapping once: the same columns give the same statement.
    std::vector<CsvColumns> mappings;
    for (const CsvColumns& columns : {guessCsvColumns(table.header), guessed, plain, split})
        if (std::find(mappings.begin(), mappings.end(), columns) == mappings.end()) mappings.push_back(columns);
    for (const CsvColumns& columns : mappings) check(table, columns, bytes);
    if (table.error.empty() && isOwnExport(table)) {
        Statement own = ownExportStatement(table);
        checkSoundStatement(own, bytes);
        // Each data row once at most, and the lines the table could not split.
        FUZZ_CHECK(own.lines.size() + own.unreadable.size() <= table.rows.size() + table.unreadable.size());
        for (const StatementLine& line : own.lines) {
            const ExportedEntry& e = line.entry;
            FUZZ_CHECK(line.exported && e.type >= typeService && e.type <= typeEarnings);
            FUZZ_CHECK(!isProductType(e.type) || e.taxMode <= modeResale);
            FUZZ_CHECK(e.description.size() < maxEntryBytes && e.name.size() < maxEntryBytes);
        }
    }
    return 0;
}
