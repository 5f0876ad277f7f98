#include "import/csv_reader.h"

#include <algorithm>
#include <map>

#include "import/statement_fields.h"
#include "import/statement_text.h"
#include "text/plain_text.h"

namespace {

// No statement has rows this wide; a wider line is refused rather than
// kept, and the whole file's fields are bounded so that a file of
// separators cannot take all the memory.
constexpr size_t maxFields = 4096;
constexpr size_t maxFieldsInFile = 1u << 20;
// The header is looked for among the first rows; a bank's preamble is short.
constexpr size_t headerSearchRows = 200;

bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

struct Record {
    int line = 0;
    std::vector<std::string> fields;
    std::string problem;  // not empty: the record cannot be read
};

// RFC 4180 records: quoted fields with "" for a quote and line breaks
// inside. A quote that is never closed spoils only its own line: reading
// starts again on the next line, and from then on no quote may cross a
// line end, so that a file full of stray quotes is still read in one pass.
class RecordReader {
public:
    RecordReader(const std::string& text, char delimiter) : t(text), delimiter(delimiter) {}

    bool next(Record& r) {
        if (pos >= t.size()) return false;
        r = Record{};
        r.line = line;
        size_t start = pos;
        std::string field;
        for (;;) {
            field.clear();
            size_t q = pos;
            while (q < t.size() && t[q] == ' ') ++q;
            if (q < t.size() && t[q] == '"') {
                pos = q + 1;
                if (!readQuoted(field)) {
                    r.problem = "the quote that opens on this line is never closed";
                    restartAfterLine(start, r.line);
                    return true;
                }
                while (pos < t.size() && t[pos] != delimiter && !isLineEnd(t[pos])) field += t[pos++];
            } else {
                while (pos < t.size() && t[pos] != delimiter && !isLineEnd(t[pos])) field += t[pos++];
            }
            keep(r, field);
            if (pos >= t.size()) return true;
            if (t[pos] == delimiter) {
                ++pos;
                continue;
            }
            skipLineEnd();
            return true;
        }
    }

    size_t fieldsKept = 0;

private:
    void keep(Record& r, std::string& field) {
        if (!r.problem.empty()) return;
        if (r.fields.size() == maxFields) {
            r.problem = "the line has more than " + std::to_string(maxFields) + " fields";
            r.fields.clear();
            r.fields.shrink_to_fit();
            return;
        }
        r.fields.push_back(std::move(field));
        ++fieldsKept;
    }

    bool readQuoted(std::string& field) {
        while (pos < t.size()) {
            char c = t[pos];
            if (c == '"') {
                if (pos + 1 < t.size() && t[pos + 1] == '"') {
                    field += '"';
                    pos += 2;
                    continue;
                }
                ++pos;
                return true;
            }
            if (isLineEnd(c)) {
                if (quotesStayOnLine) return false;
                field += '\n';
                skipLineEnd();
                continue;
            }
            field += c;
            ++pos;
        }
        return false;
    }

    void skipLineEnd() {
        if (t[pos] == '\r' && pos + 1 < t.size() && t[pos + 1] == '\n') ++pos;
        ++pos;
        ++line;
    }

    void restartAfterLine(size_t start, int startLine) {
        pos = start;
        while (pos < t.size() && !isLineEnd(t[pos])) ++pos;
        line = startLine;
        if (pos < t.size()) skipLineEnd();
        quotesStayOnLine = true;
    }

    const std::string& t;
    char delimiter;
    size_t pos = 0;
    int line = 1;
    bool quotesStayOnLine = false;
};

// The separator most of the first lines agree on: for each candidate, the
// most frequent field count (above one) and how many lines have it.
char findDelimiter(const std::string& text) {
    size_t sampleEnd = std::min<size_t>(text.size(), 65536);
    char best = ',';
    int bestLines = 0, bestCount = 0;
    for (char candidate : {',', ';', '\t'}) {
        std::map<int, int> linesWithCount;
        bool quoted = false;
        int count = 1, lines = 0;
        for (size_t i = 0; i < sampleEnd && lines < 200; ++i) {
            char c = text[i];
            if (c == '"') quoted = !quoted;
            else if (c == candidate && !quoted) ++count;
            else if (c == '\n' && !quoted) {
                if (count > 1) ++linesWithCount[count];
                count = 1;
                ++lines;
            }
        }
        if (count > 1) ++linesWithCount[count];
        for (const auto& [fields, howMany] : linesWithCount) {
            // Ties go to the later candidate: commas are common inside texts.
            if (howMany > bestLines || (howMany == bestLines && fields >= bestCount)) {
                best = candidate;
                bestLines = howMany;
                bestCount = fields;
            }
        }
    }
    return best;
}

bool blankRecord(const Record& r) {
    return std::all_of(r.fields.begin(), r.fields.end(),
                       [](const std::string& f) { return trimBlanks(blankControls(f)).empty(); });
}

bool looksLikeData(const std::string& field) {
    WrittenDate date;
    return decimalMarksOf(field) != 0 || readWrittenDate(field, date);
}

// A header is a row whose names give usable columns; failing that, a row of
// texts, none a number or a date, with as many fields as the row after it.
int findHeader(const std::vector<Record>& records) {
    size_t searched = std::min(records.size(), headerSearchRows);
    for (size_t i = 0; i < searched; ++i) {
        const Record& r = records[i];
        if (!r.problem.empty() || r.fields.size() < 2) continue;
        if (std::any_of(r.fields.begin(), r.fields.end(), looksLikeData)) continue;
        if (columnsUsable(guessCsvColumns(r.fields))) return static_cast<int>(i);
    }
    for (size_t i = 0; i + 1 < searched; ++i) {
        const Record& r = records[i];
        if (!r.problem.empty() || r.fields.size() < 2 || blankRecord(r)) continue;
        if (std::any_of(r.fields.begin(), r.fields.end(), looksLikeData)) continue;
        size_t next = i + 1;
        while (next < records.size() && records[next].problem.empty() && blankRecord(records[next])) ++next;
        if (next < records.size() && records[next].fields.size() == r.fields.size()) return static_cast<int>(i);
    }
    return -1;
}

// A header name as compared: lower case, letters and digits, one blank
// between words, without a currency after the name ("Amount (EUR)").
std::string headerName(const std::string& field) {
    std::string name;
    for (char c : field) {
        unsigned char u = static_cast<unsigned char>(c);
        bool word = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0xC0;
        if (word) name += static_cast<char>(u >= 'A' && u <= 'Z' ? u + 32 : u);
        else if (!name.empty() && name.back() != ' ') name += ' ';
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (const char* currency : {" eur", " usd", " gbp", " chf", " cad", " aud"}) {
        size_t n = std::char_traits<char>::length(currency);
        if (name.size() > n && name.compare(name.size() - n, n, currency) == 0) name.resize(name.size() - n);
    }
    return name;
}

// The first column whose name is the best-ranked of `names`, not yet taken.
int columnNamed(const std::vector<std::string>& names, std::initializer_list<const char*> wanted,
                std::vector<bool>& taken) {
    for (const char* w : wanted)
        for (size_t i = 0; i < names.size(); ++i)
            if (!taken[i] && names[i] == w) {
                taken[i] = true;
                return static_cast<int>(i);
            }
    return -1;
}

bool onlyBlank(const std::string& text) { return trimBlanks(blankControls(text)).empty(); }

std::string fieldAt(const CsvRow& row, int column) {
    if (column < 0 || static_cast<size_t>(column) >= row.fields.size()) return "";
    return row.fields[column];
}

std::string shownText(const std::string& field) { return trimBlanks(blankControls(field)); }

std::string quotedText(const std::string& text) {
    return "\"" + (text.size() <= 40 ? text : text.substr(0, 37) + "...") + "\"";
}

}  // namespace

bool CsvColumns::operator==(const CsvColumns& o) const {
    return date == o.date && amount == o.amount && debit == o.debit && credit == o.credit && payee == o.payee &&
           memo == o.memo && balance == o.balance && id == o.id;
}

bool columnsUsable(const CsvColumns& c) { return c.date >= 0 && (c.amount >= 0 || c.debit >= 0 || c.credit >= 0); }

CsvTable readCsvTable(const Bytes& bytes) {
    CsvTable table;
    table.error = statementFileProblem(bytes);
    if (!table.error.empty()) return table;
    DecodedText decoded = decodeStatementText(bytes);
    table.note = decoded.note;
    table.delimiter = findDelimiter(decoded.text);

    std::vector<Record> records;
    RecordReader reader(decoded.text, table.delimiter);
    Record r;
    while (reader.next(r)) {
        records.push_back(std::move(r));
        if (reader.fieldsKept > maxFieldsInFile) {
            records.push_back({records.back().line + 1, {}, "the file has too many fields: nothing past here is read"});
            break;
        }
    }

    int header = findHeader(records);
    if (header >= 0) {
        table.headerLine = records[header].line;
        for (const std::string& f : records[header].fields) table.header.push_back(shownText(f));
    }
    bool anyFields = false;
    for (size_t i = header + 1; i < records.size(); ++i) {
        Record& rec = records[i];
        if (!rec.problem.empty()) {
            table.unreadable.push_back({rec.line, rec.problem});
        } else if (!blankRecord(rec)) {
            anyFields = anyFields || rec.fields.size() > 1;
            table.rows.push_back({rec.line, std::move(rec.fields)});
        }
    }
    // Without a header, a statement shows itself by its dates.
    bool anyDate = header >= 0;
    for (size_t i = 0; i < table.rows.size() && !anyDate; ++i)
        for (const std::string& f : table.rows[i].fields) {
            WrittenDate date;
            if (readWrittenDate(f, date) && possibleOrders(date) != 0) {
                anyDate = true;
                break;
            }
        }
    if (header < 0 && (!anyFields || !anyDate)) {
        table.error = "The file is not a CSV statement: ";
        if (!table.unreadable.empty())
            table.error += "line " + std::to_string(table.unreadable.front().line) + ": " +
                           table.unreadable.front().reason + ".";
        else if (!anyFields)
            table.error += "no line has fields separated by commas, semicolons or tabs.";
        else
            table.error += "it has no header and no line with a date.";
        table.rows.clear();
        table.unreadable.clear();
    }
    return table;
}

CsvColumns guessCsvColumns(const std::vector<std::string>& header) {
    std::vector<std::string> names;
    for (const std::string& h : header) names.push_back(headerName(h));
    std::vector<bool> taken(names.size(), false);
    CsvColumns c;
    c.date = columnNamed(names,
                         {"date", "posting date", "posted date", "date posted", "transaction date", "trans date",
                          "booking date", "booked date", "entry date", "datum", "buchungstag", "buchungsdatum",
                          "date operation", "fecha", "value date", "valuta", "valutadatum", "date valeur"},
                         taken);
    c.debit = columnNamed(names,
                          {"debit", "debits", "debit amount", "withdrawal", "withdrawals", "withdrawal amount",
                           "paid out", "money out", "out", "debit eur", "soll", "debet"},
                          taken);
    c.credit = columnNamed(names,
                           {"credit", "credits", "credit amount", "deposit", "deposits", "deposit amount", "paid in",
                            "money in", "in", "haben"},
                           taken);
    c.amount = columnNamed(names,
                           {"amount", "transaction amount", "amt", "value", "sum", "betrag", "umsatz", "montant",
                            "importe", "bedrag", "net amount"},
                           taken);
    c.balance = columnNamed(names, {"balance", "running balance", "account balance", "balance after", "saldo", "solde"},
                            taken);
    c.id = columnNamed(names, {"transaction id", "id", "fitid", "transaction reference", "bank reference"}, taken);
    c.payee = columnNamed(names,
                          {"payee", "name", "payee name", "merchant", "merchant name", "counterparty", "beneficiary",
                           "recipient", "payer", "payer payee", "other party", "empf\xe4nger", "auftraggeber", "naam"},
                          taken);
    auto containing = [&names, &taken](const char* word) {
        for (size_t i = 0; i < names.size(); ++i)
            if (!taken[i] && (" " + names[i] + " ").find(std::string(" ") + word + " ") != std::string::npos) {
                taken[i] = true;
                return static_cast<int>(i);
            }
        return -1;
    };
    if (c.date < 0) c.date = containing("date");
    if (c.amount < 0 && c.debit < 0 && c.credit < 0) c.amount = containing("amount");
    if (c.payee < 0)
        c.payee = columnNamed(names, {"description", "transaction description", "beschreibung", "omschrijving"}, taken);
    c.memo = columnNamed(names,
                         {"memo", "description", "transaction description", "details", "notes", "note", "narrative",
                          "reference", "purpose", "verwendungszweck", "libell\xe9", "text"},
                         taken);
    return c;
}

Statement csvStatement(const CsvTable& table, const CsvColumns& columns) {
    Statement s;
    if (!table.error.empty()) {
        s.error = table.error;
        return s;
    }
    if (!columnsUsable(columns)) {
        s.error = "Choose the columns of the date and of the amount (or of money out and money in).";
        return s;
    }
    s.note = table.note;
    s.unreadable = table.unreadable;

    DecimalMarkVote vote;
    for (const CsvRow& row : table.rows)
        for (int column : {columns.amount, columns.debit, columns.credit, columns.balance})
            if (column >= 0) vote.add(fieldAt(row, column));
    // Semicolons separate where the comma is the decimal mark.
    char mark = vote.decide(table.delimiter == ';' ? ',' : '.');

    for (const CsvRow& row : table.rows) {
        if (!table.header.empty() && row.fields.size() == table.header.size()) {
            bool repeated = true;  // a header again, as some exports write per page
            for (size_t i = 0; i < row.fields.size() && repeated; ++i) repeated = shownText(row.fields[i]) == table.header[i];
            if (repeated) continue;
        }
        bool anyMapped = false;
        for (int column : {columns.date, columns.amount, columns.debit, columns.credit})
            if (column >= 0 && !onlyBlank(fieldAt(row, column))) anyMapped = true;
        if (!anyMapped) continue;

        auto unreadable = [&](const std::string& reason) { s.unreadable.push_back({row.line, reason}); };
        StatementLine line;
        line.line = row.line;
        std::string dateText = shownText(fieldAt(row, columns.date));
        if (dateText.empty()) {
            if (!table.header.empty() && row.fields.size() < table.header.size())
                unreadable("the line has " + std::to_string(row.fields.size()) + " fields, the header " +
                           std::to_string(table.header.size()));
            else
                unreadable("the date is missing");
            continue;
        }
        if (!readWrittenDate(dateText, line.date) || possibleOrders(line.date) == 0) {
            unreadable("the date " + quotedText(dateText) + " is not a date");
            continue;
        }

        std::string reason;
        std::string amountText = shownText(fieldAt(row, columns.amount));
        if (columns.amount >= 0 && (!amountText.empty() || (columns.debit < 0 && columns.credit < 0))) {
            if (!readStatementAmount(amountText, mark, line.amount, reason)) {
                unreadable(reason);
                continue;
            }
            line.pastCents = amountPastCents(amountText, mark);
        } else {
            std::string out = shownText(fieldAt(row, columns.debit)), in = shownText(fieldAt(row, columns.credit));
            if (out.empty() && in.empty()) {
                unreadable("the amount is missing");
                continue;
            }
            int64_t outCents = 0, inCents = 0;
            if ((!out.empty() && !readStatementAmount(out, mark, outCents, reason)) ||
                (!in.empty() && !readStatementAmount(in, mark, inCents, reason))) {
                unreadable(reason);
                continue;
            }
            // Money out is shown as a positive number by most banks, negative by some.
            line.amount = inCents - (outCents < 0 ? -outCents : outCents);
            line.pastCents = amountPastCents(out, mark);
            if (line.pastCents.empty()) line.pastCents = amountPastCents(in, mark);
        }
        std::string balanceText = shownText(fieldAt(row, columns.balance));
        if (columns.balance >= 0 && !balanceText.empty())
            line.hasBalance = readStatementAmount(balanceText, mark, line.balance, reason);
        line.payee = shownText(fieldAt(row, columns.payee));
        line.memo = shownText(fieldAt(row, columns.memo));
        line.bankId = shownText(fieldAt(row, columns.id));
        s.lines.push_back(std::move(line));
    }
    std::stable_sort(s.unreadable.begin(), s.unreadable.end(),
                     [](const UnreadableLine& a, const UnreadableLine& b) { return a.line < b.line; });
    s.scope = statementKey(StatementFormat::csv, s.account, csvHeaderKey(table));
    decideDateOrders(s);
    return s;
}

std::string csvHeaderKey(const CsvTable& table) {
    if (table.header.empty()) return std::to_string(table.rows.empty() ? 0 : table.rows.front().fields.size()) +
                                     " columns without a header";
    std::string key;
    for (size_t i = 0; i < table.header.size(); ++i) {
        if (i) key += table.delimiter;
        key += table.header[i];
    }
    return key;
}
