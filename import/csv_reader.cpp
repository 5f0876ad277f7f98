#include "import/csv_reader.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <unordered_set>

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
                       [](const std::string& f) { return onlyBlanksAndControls(f); });
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

const std::string& fieldAt(const CsvRow& row, int column) {
    static const std::string none;
    if (column < 0 || static_cast<size_t>(column) >= row.fields.size()) return none;
    return row.fields[column];
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

// A header again, as some exports write one per page.
bool repeatsHeader(const CsvTable& table, const CsvRow& row) {
    if (table.header.empty() || row.fields.size() != table.header.size()) return false;
    for (size_t i = 0; i < row.fields.size(); ++i)
        if (shownField(row.fields[i]) != table.header[i]) return false;
    return true;
}

// What a column's values look like.
struct ColumnShape {
    bool words = false;   // a few distinct values, each one short word: "DEBIT", "ACH_CREDIT", "Sale"
    bool varied = false;  // texts of several words that are neither numbers nor dates: descriptions
    bool codes = true;    // every value three letters ("USD"); true of a column of blanks
};

// Parts of the words banks write for what a line is ("ACH_DEBIT",
// "CHECK_PAID", "DSLIP"): a column of nothing else is a type column however
// few lines the file has.
bool bankTypeWord(const std::string& word) {
    static const char* const parts[] = {
        "ACCT",     "ACH",        "ADJUSTMENT", "ATM",      "BILLPAY",  "CARD",     "CASH",   "CHECK",
        "CHEQUE",   "CR",         "CREDIT",     "DEBIT",    "DEP",      "DEPOSIT",  "DIRECTDEBIT", "DIRECTDEP",
        "DIV",      "DR",         "DSLIP",      "FEE",      "INT",      "INTEREST", "LOAN",   "MISC",
        "OTHER",    "PAID",       "PAYMENT",    "PMT",      "POS",      "PURCHASE", "REFUND", "RETURN",
        "SALE",     "SRVCHG",     "TRANSFER",   "WIRE",     "WITHDRAWAL", "XFER"};
    size_t start = 0;
    while (start <= word.size()) {
        size_t end = word.find_first_of("_-/", start);
        if (end == std::string::npos) end = word.size();
        std::string part = upper(word.substr(start, end - start));
        if (std::none_of(std::begin(parts), std::end(parts), [&](const char* p) { return part == p; })) return false;
        start = end + 1;
    }
    return true;
}

bool shortWord(const std::string& text) {
    if (text.size() > 24) return false;
    bool letter = false;
    for (char c : text) {
        bool isLetter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!isLetter && !(c >= '0' && c <= '9') && c != '_' && c != '-' && c != '/' && c != '.' && c != '&')
            return false;
        letter = letter || isLetter;
    }
    return letter;
}

bool currencyCode(const std::string& text) {
    return text.size() == 3 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
           });
}

// A type column has a handful of values, each seen again and again, or
// only words banks use for it; a payee column of one-word names does not
// repeat itself like that.
constexpr size_t maxTypeWords = 20;

std::vector<ColumnShape> columnShapes(const CsvTable& table) {
    std::vector<ColumnShape> shapes(table.header.size());
    std::vector<bool> repeated(table.rows.size());
    for (size_t r = 0; r < table.rows.size(); ++r) repeated[r] = repeatsHeader(table, table.rows[r]);
    for (size_t c = 0; c < shapes.size(); ++c) {
        std::vector<std::string> distinct;
        size_t filled = 0;
        bool words = true, known = true, text = false;
        for (size_t r = 0; r < table.rows.size(); ++r) {
            const CsvRow& row = table.rows[r];
            if (c >= row.fields.size() || repeated[r]) continue;
            std::string value = shownField(row.fields[c]);
            if (value.empty()) continue;
            ++filled;
            WrittenDate date;
            if (!text && value.find(' ') != std::string::npos && decimalMarksOf(value) == 0 &&
                !readWrittenDate(value, date))
                text = true;
            shapes[c].codes = shapes[c].codes && currencyCode(value);
            if (!words) continue;
            words = shortWord(value);
            known = known && bankTypeWord(value);
            value = upper(value);
            if (words && std::find(distinct.begin(), distinct.end(), value) == distinct.end()) {
                words = distinct.size() < maxTypeWords;
                distinct.push_back(value);
            }
        }
        shapes[c].words = words && filled > 0 && (known || distinct.size() * 2 <= filled);
        shapes[c].varied = text && !shapes[c].words;
    }
    return shapes;
}

// The best-ranked of `wanted` among the columns not yet taken that `fits`.
template <typename Fits>
int columnNamed(const std::vector<std::string>& names, std::initializer_list<const char*> wanted,
                std::vector<bool>& taken, Fits fits) {
    for (const char* w : wanted)
        for (size_t i = 0; i < names.size(); ++i)
            if (!taken[i] && names[i] == w && fits(i)) {
                taken[i] = true;
                return static_cast<int>(i);
            }
    return -1;
}
int columnNamed(const std::vector<std::string>& names, std::initializer_list<const char*> wanted,
                std::vector<bool>& taken) {
    return columnNamed(names, wanted, taken, [](size_t) { return true; });
}

// The columns from their names and, where the rows are known (`shapes` not
// empty), from what they hold.
CsvColumns guessColumns(const std::vector<std::string>& header, const std::vector<ColumnShape>& shapes) {
    std::vector<std::string> names;
    for (const std::string& h : header) names.push_back(headerName(h));
    std::vector<bool> taken(names.size(), false);
    auto shape = [&shapes](size_t i) { return i < shapes.size() ? shapes[i] : ColumnShape{}; };
    // A column of a few words says what kind of line it is: it is no payee
    // or memo where another column holds texts.
    bool anyVaried = std::any_of(shapes.begin(), shapes.end(), [](const ColumnShape& s) { return s.varied; });
    auto text = [&](size_t i) { return !anyVaried || !shape(i).words; };
    CsvColumns c;
    // The day of the purchase before the day the bank posted it: a purchase
    // of 12-31 posted on 01-02 belongs to the year it was made in.
    c.date = columnNamed(names,
                         {"transaction date", "trans date", "date", "posting date", "posted date", "post date",
                          "date posted", "booking date", "booked date", "entry date", "datum", "buchungstag",
                          "buchungsdatum", "date operation", "fecha", "value date", "valuta", "valutadatum",
                          "date valeur"},
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
    // The balance after each line before what is available to spend.
    c.balance = columnNamed(names,
                            {"balance", "running balance", "running bal", "runningbalance", "account balance",
                             "balance after", "ledger balance", "saldo", "solde", "available balance",
                             "available bal"},
                            taken);
    c.id = columnNamed(names,
                       {"transaction id", "id", "fitid", "transaction reference", "bank reference", "reference number",
                        "reference no", "ref no"},
                       taken);
    c.type = columnNamed(names,
                         {"transaction type", "trans type", "tran type", "txn type", "type", "debit credit",
                          "credit debit", "dr cr", "cr dr"},
                         taken);
    if (c.type < 0) c.type = columnNamed(names, {"details"}, taken, [&](size_t i) { return shape(i).words; });
    c.currency = columnNamed(names, {"currency", "currency code", "curr", "ccy", "cur"}, taken,
                             [&](size_t i) { return shape(i).codes; });
    c.payee = columnNamed(names,
                          {"payee", "name", "payee name", "merchant", "merchant name", "counterparty", "beneficiary",
                           "recipient", "payer", "payer payee", "other party", "empf\xe4nger", "auftraggeber", "naam"},
                          taken, text);
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
        c.payee = columnNamed(names, {"description", "transaction description", "beschreibung", "omschrijving"},
                              taken, text);
    c.memo = columnNamed(names,
                         {"memo", "description", "transaction description", "details", "notes", "note", "narrative",
                          "reference", "purpose", "verwendungszweck", "libell\xe9", "text"},
                         taken, text);
    return c;
}

// The row's amount as written, for a line typed in by hand: the amount
// column's, else money in and money out, money out with its minus.
std::string writtenAmount(const CsvRow& row, const CsvColumns& columns) {
    std::string amount = shownField(fieldAt(row, columns.amount));
    if (!amount.empty()) return amount;
    std::string out = shownField(fieldAt(row, columns.debit)), in = shownField(fieldAt(row, columns.credit));
    if (!out.empty() && out.front() != '-' && out.front() != '(' && out.back() != '-') out.insert(0, "-");
    return in.empty() ? out : out.empty() ? in : in + " " + out;
}

std::string quotedText(const std::string& text) {
    return "\"" + (text.size() <= 40 ? text : text.substr(0, 37) + "...") + "\"";
}

}  // namespace

bool CsvColumns::operator==(const CsvColumns& o) const {
    return date == o.date && amount == o.amount && debit == o.debit && credit == o.credit && payee == o.payee &&
           memo == o.memo && balance == o.balance && id == o.id && type == o.type && currency == o.currency;
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
        for (const std::string& f : records[header].fields) table.header.push_back(shownField(f));
    }
    bool anyFields = false;
    for (size_t i = header + 1; i < records.size(); ++i) {
        Record& rec = records[i];
        if (!rec.problem.empty()) {
            // No raw texts: which field is which is known only once the
            // columns are chosen, and a broken quote runs the fields together.
            table.unreadable.push_back({rec.line, rec.problem, "", "", ""});
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

CsvColumns guessCsvColumns(const std::vector<std::string>& header) { return guessColumns(header, {}); }

CsvColumns guessCsvColumns(const CsvTable& table) { return guessColumns(table.header, columnShapes(table)); }

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

    std::vector<std::string> currencies;  // of the lines read, each once, the first few
    std::unordered_set<std::string> seenCurrencies;
    for (const CsvRow& row : table.rows) {
        if (repeatsHeader(table, row)) continue;
        bool anyMapped = false;
        for (int column : {columns.date, columns.amount, columns.debit, columns.credit})
            if (column >= 0 && !onlyBlanksAndControls(fieldAt(row, column))) anyMapped = true;
        if (!anyMapped) continue;

        auto unreadable = [&](const std::string& reason) {
            std::string payee = shownField(fieldAt(row, columns.payee));
            s.unreadable.push_back({row.line, reason, shownField(fieldAt(row, columns.date)),
                                    writtenAmount(row, columns),
                                    payee.empty() ? shownField(fieldAt(row, columns.memo)) : payee});
        };
        StatementLine line;
        line.line = row.line;
        std::string dateText = shownField(fieldAt(row, columns.date));
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
        std::string amountText = shownField(fieldAt(row, columns.amount));
        if (columns.amount >= 0 && (!amountText.empty() || (columns.debit < 0 && columns.credit < 0))) {
            if (!readStatementAmount(amountText, mark, line.amount, reason)) {
                unreadable(reason);
                continue;
            }
            line.pastCents = amountPastCents(amountText, mark);
        } else {
            std::string out = shownField(fieldAt(row, columns.debit)), in = shownField(fieldAt(row, columns.credit));
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
        std::string balanceText = shownField(fieldAt(row, columns.balance));
        if (columns.balance >= 0 && !balanceText.empty())
            line.hasBalance = readStatementAmount(balanceText, mark, line.balance, reason);
        line.payee = shownField(fieldAt(row, columns.payee));
        line.memo = shownField(fieldAt(row, columns.memo));
        line.bankId = shownField(fieldAt(row, columns.id));
        line.bankType = shownField(fieldAt(row, columns.type));
        std::string currency = upper(shownField(fieldAt(row, columns.currency)));
        if (!currency.empty() && seenCurrencies.insert(currency).second && currencies.size() < 4)
            currencies.push_back(currency);
        s.lines.push_back(std::move(line));
    }
    // The currency where every line that names one names the same.
    if (seenCurrencies.size() == 1) {
        s.currency = currencies.front();
    } else if (seenCurrencies.size() > 1) {
        std::string list;
        for (const std::string& c : currencies) list += (list.empty() ? "" : ", ") + c;
        if (seenCurrencies.size() > currencies.size()) list += ", ...";
        if (!s.note.empty()) s.note += ' ';
        s.note += "The lines are in different currencies (" + list + "): the amounts are taken as they stand.";
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
