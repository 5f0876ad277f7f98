#include "import/qif_reader.h"

#include <algorithm>
#include <cctype>

#include "import/statement_fields.h"
#include "import/statement_text.h"
#include "text/plain_text.h"

namespace {

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::string quotedText(const std::string& text) {
    return "\"" + (text.size() <= 40 ? text : text.substr(0, 37) + "...") + "\"";
}

// One line of a QIF file as the reader needs it.
struct QifItem {
    enum Kind {
        end,            // no line left
        typeHeader,     // !Type:Bank, !Type:Invst...: a section of one kind of record
        accountHeader,  // !Account: a block naming the account of the sections after it
        framingHeader,  // !Option:AutoSwitch, !Clear:AutoSwitch around a list of accounts
        otherHeader,    // any other line that begins with '!'
        field,          // a code letter and its value: D, T, U, P, M, N, S, E, $...
        recordEnd,      // ^
    } kind = end;
    std::string text;  // a header in lower case without blanks ("!type:bank"); a field's value
    char code = 0;     // a field's letter
    int line = 0;      // from 1, blank lines counted
};

// The lines of a QIF file, ended by CR LF, LF or CR alone, with the blanks
// around each dropped. Blank lines give no item but are counted.
class QifScanner {
public:
    explicit QifScanner(const std::string& text) : t(text) {}

    QifItem next() {
        QifItem item;
        std::string line;
        do {
            if (pos >= t.size()) return item;
            line = nextLine();
        } while (line.empty());
        item.line = lineNumber;
        if (line[0] == '!') {
            item.text = headerWord(line);
            item.kind = startsWith(item.text, "!type")                                         ? QifItem::typeHeader
                        : startsWith(item.text, "!account")                                    ? QifItem::accountHeader
                        : startsWith(item.text, "!option") || startsWith(item.text, "!clear") ? QifItem::framingHeader
                                                                                               : QifItem::otherHeader;
        } else if (line[0] == '^') {
            item.kind = QifItem::recordEnd;
        } else {
            item.kind = QifItem::field;
            item.code = line[0];
            item.text = line.substr(1);
        }
        return item;
    }

private:
    static bool isBlank(char c) { return c == ' ' || c == '\t'; }

    // "!Type:Bank" and the like, any letter case, blanks ignored.
    static std::string headerWord(const std::string& line) {
        std::string s;
        for (char c : line)
            if (!isBlank(c)) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }

    std::string nextLine() {
        size_t end = pos;
        while (end < t.size() && t[end] != '\n' && t[end] != '\r') ++end;
        size_t first = pos, last = end;
        while (first < last && isBlank(t[first])) ++first;
        while (last > first && isBlank(t[last - 1])) --last;
        std::string line = t.substr(first, last - first);
        pos = end;
        if (pos < t.size() && t[pos] == '\r' && pos + 1 < t.size() && t[pos + 1] == '\n') ++pos;
        if (pos < t.size()) ++pos;
        ++lineNumber;
        return line;
    }

    const std::string& t;
    size_t pos = 0;
    int lineNumber = 0;
};

bool readsTransactions(const std::string& header) {
    for (const char* type : {"!type:bank", "!type:ccard", "!type:cash", "!type:otha", "!type:othl"})
        if (header == type) return true;
    return false;
}

struct Record {
    int line = 0;
    bool hasDate = false, hasT = false, hasU = false;
    std::string date, t, u, payee, memo;
    bool any = false;
    std::string amount() const { return hasT ? t : u; }
};

// The records of the sections that hold transactions, and the accounts
// the !Account blocks give them.
class QifReader {
public:
    std::vector<Record> records;
    std::vector<std::string> accounts;  // each once, in the order of the file
    std::string typeLine;  // the first "!type:..." that holds transactions: a bank's or a card's

    // False when the file does not begin with a header of its own: it is no QIF.
    bool read(QifScanner& scanner) {
        QifItem item = scanner.next();
        if (item.kind != QifItem::typeHeader && item.kind != QifItem::accountHeader &&
            item.kind != QifItem::framingHeader)
            return false;
        for (; item.kind != QifItem::end; item = scanner.next()) {
            if (item.kind == QifItem::field) field(item);
            else if (item.kind == QifItem::recordEnd) recordEnd();
            else header(item);
        }
        if (section == Section::transactions) endRecord();
        return true;
    }

private:
    enum class Section { none, transactions, account, skipped } section = Section::none;
    std::string accountName;
    Record record;

    // A header ends the record before it, ^ or not. Only !Type and !Account
    // change the section: !Option:AutoSwitch and !Clear:AutoSwitch only
    // frame the list of accounts, and each !Account block says the account
    // itself.
    void header(const QifItem& item) {
        if (section == Section::transactions) endRecord();
        if (item.kind == QifItem::accountHeader) {
            section = Section::account;
            accountName.clear();
        } else if (item.kind == QifItem::typeHeader) {
            section = readsTransactions(item.text) ? Section::transactions : Section::skipped;
            if (section != Section::transactions) return;
            if (typeLine.empty()) typeLine = item.text;
            if (!accountName.empty() && std::find(accounts.begin(), accounts.end(), accountName) == accounts.end())
                accounts.push_back(accountName);
        }
    }

    void field(const QifItem& item) {
        if (section == Section::account) {
            if (item.code == 'N') accountName = shownField(item.text);
            return;
        }
        if (section != Section::transactions) return;
        if (!record.any) record.line = item.line;
        switch (item.code) {
        case 'D': record.hasDate = true, record.date = item.text; break;
        case 'T': record.hasT = true, record.t = item.text; break;
        case 'U': record.hasU = true, record.u = item.text; break;
        case 'P': record.payee = item.text; break;
        case 'M': record.memo = item.text; break;
        default: break;  // number, category, cleared mark, address, splits
        }
        record.any = true;
    }

    void recordEnd() {
        if (section == Section::account) section = Section::none;
        else if (section == Section::transactions) endRecord();
    }

    void endRecord() {
        if (record.any) records.push_back(std::move(record));
        record = Record{};
    }
};

// The record as a line of the statement, or as an unreadable line and why.
void addRecord(Statement& s, const Record& r, char mark) {
    std::string dateText = shownField(r.date);
    std::string amountText = shownField(r.amount());
    auto unreadable = [&](const std::string& reason) {
        std::string payee = shownField(r.payee);
        s.unreadable.push_back(
            {r.line, reason, dateText, amountText, payee.empty() ? shownField(r.memo) : payee});
    };
    if (dateText.empty() || (!r.hasT && !r.hasU)) {
        // A record of nothing but split or category lines is no booking.
        if (!r.hasDate && !r.hasT && !r.hasU) return;
        unreadable(std::string("the record has no ") + (dateText.empty() ? "date (D)" : "") +
                   (dateText.empty() && !r.hasT && !r.hasU ? " and no " : "") +
                   (!r.hasT && !r.hasU ? "amount (T)" : ""));
        return;
    }
    StatementLine line;
    line.line = r.line;
    if (!readWrittenDate(dateText, line.date) || possibleOrders(line.date) == 0) {
        unreadable("the date " + quotedText(dateText) + " is not a date");
        return;
    }
    std::string reason;
    if (!readStatementAmount(amountText, mark, line.amount, reason)) {
        unreadable(reason);
        return;
    }
    line.pastCents = amountPastCents(amountText, mark);
    line.payee = shownField(r.payee);
    line.memo = shownField(r.memo);
    s.lines.push_back(std::move(line));
}

}  // namespace

Statement readQif(const Bytes& bytes) {
    Statement s;
    s.error = statementFileProblem(bytes);
    if (!s.error.empty()) return s;
    DecodedText decoded = decodeStatementText(bytes);
    QifScanner scanner(decoded.text);
    QifReader reader;
    if (!reader.read(scanner)) {
        s.error = "The file is not a QIF statement: it does not begin with a !Type or !Account line.";
        return s;
    }
    s.note = decoded.note;
    const std::vector<std::string>& accounts = reader.accounts;
    if (accounts.size() == 1) {
        s.account = accounts.front();
    } else if (accounts.size() > 1) {
        std::string list;
        for (const std::string& a : accounts) list += (list.empty() ? "" : ", ") + a;
        if (!s.note.empty()) s.note += ' ';
        s.note += "The file holds the transactions of " + std::to_string(accounts.size()) + " accounts: " + list + ".";
    }

    DecimalMarkVote vote;
    for (const Record& r : reader.records) vote.add(r.amount());
    char mark = vote.decide('.');
    for (const Record& r : reader.records) addRecord(s, r, mark);
    s.scope = statementKey(StatementFormat::qif, s.account, reader.typeLine);
    decideDateOrders(s);
    return s;
}
