#include "import/ofx_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "import/statement_fields.h"
#include "import/statement_text.h"
#include "text/plain_text.h"

namespace {

// A bank's file nests about ten deep. Elements left empty and unclosed in
// OFX 1.x stay open until their aggregate ends, but even they never come
// near this: deeper, no value can be placed with certainty, and the file is
// refused rather than read in part.
constexpr size_t maxDepth = 256;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string quotedText(const std::string& text) {
    return "\"" + (text.size() <= 40 ? text : text.substr(0, 37) + "...") + "\"";
}

// &amp; &lt; &gt; &quot; &apos; &nbsp; and numeric references; anything
// else stays as written.
std::string decodeEntities(const std::string& text) {
    if (text.find('&') == std::string::npos) return text;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        size_t semi = text.find(';', i);
        if (semi == std::string::npos || semi - i > 10) {
            out += '&';
            continue;
        }
        std::string name = text.substr(i + 1, semi - i - 1);
        char c = 0;
        if (name == "amp") c = '&';
        else if (name == "lt") c = '<';
        else if (name == "gt") c = '>';
        else if (name == "quot") c = '"';
        else if (name == "apos") c = '\'';
        else if (name == "nbsp") c = '\xA0';
        else if (name.size() >= 2 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            size_t digits = hex ? 2 : 1;
            uint32_t cp = 0;
            bool good = digits < name.size();
            for (size_t k = digits; k < name.size() && good; ++k) {
                int d = std::isdigit(static_cast<unsigned char>(name[k])) ? name[k] - '0'
                        : hex && std::isxdigit(static_cast<unsigned char>(name[k]))
                            ? std::tolower(static_cast<unsigned char>(name[k])) - 'a' + 10
                            : -1;
                if (d < 0) good = false;
                else cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
            }
            if (good) c = cp == 0 ? ' ' : windows1252Char(cp);
        }
        if (!c) {
            out += '&';
            continue;
        }
        out += c;
        i = semi;
    }
    return out;
}

struct Token {
    enum Kind { open, close, empty, text, end } kind = end;
    std::string value;  // the tag's name in upper case, or the text
    int line = 0;
};

// Tags and the texts between them. Comments, processing instructions and
// declarations are passed over; a '<' inside a tag ends that tag unread.
class OfxScanner {
public:
    OfxScanner(const std::string& text, size_t from, int line) : t(text), pos(from), line(line) {}

    Token next() {
        for (;;) {
            Token token;
            if (pos >= t.size()) return token;
            if (t[pos] != '<' || isCdata(pos)) {
                if (!readText(token)) continue;
                return token;
            }
            token.line = line;
            if (t.compare(pos, 4, "<!--") == 0) {
                size_t close = t.find("-->", pos + 4);
                moveTo(close == std::string::npos ? t.size() : close + 3);
                continue;
            }
            size_t gt = pos + 1;
            while (gt < t.size() && t[gt] != '>' && t[gt] != '<') ++gt;
            if (gt >= t.size() || t[gt] == '<') {
                moveTo(gt);
                continue;
            }
            size_t b = pos + 1;
            moveTo(gt + 1);
            if (b == gt || t[b] == '?' || t[b] == '!') continue;
            bool closing = t[b] == '/';
            bool selfClosing = !closing && t[gt - 1] == '/';
            if (closing) ++b;
            size_t e = b;
            while (e < gt && !isSpace(t[e]) && t[e] != '/') ++e;
            if (e == b) continue;
            token.value.assign(t, b, e - b);
            for (char& c : token.value) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            token.kind = closing ? Token::close : selfClosing ? Token::empty : Token::open;
            return token;
        }
    }

private:
    bool isCdata(size_t at) const { return t.compare(at, 9, "<![CDATA[") == 0; }

    // Text up to the next tag, entities decoded, with CDATA sections taken
    // as written among it; blanks around the whole are dropped. False when
    // nothing but blanks was there.
    bool readText(Token& token) {
        int firstLine = 0;
        while (pos < t.size() && (t[pos] != '<' || isCdata(pos))) {
            size_t b = pos, e;
            std::string piece;
            if (t[pos] == '<') {
                b = pos + 9;
                size_t close = t.find("]]>", b);
                e = close == std::string::npos ? t.size() : close;
                piece.assign(t, b, e - b);
                moveTo(close == std::string::npos ? t.size() : close + 3);
            } else {
                size_t lt = t.find('<', pos);
                e = lt == std::string::npos ? t.size() : lt;
                piece = decodeEntities(t.substr(b, e - b));
                moveTo(e);
            }
            size_t blank = b;
            while (blank < e && isSpace(t[blank])) ++blank;
            if (!firstLine && blank < e) firstLine = line - linesIn(blank, pos);
            token.value += piece;
        }
        size_t b = 0, e = token.value.size();
        while (b < e && isSpace(token.value[b])) ++b;
        while (e > b && isSpace(token.value[e - 1])) --e;
        if (b == e || !firstLine) {
            token.value.clear();
            return false;
        }
        token.value = token.value.substr(b, e - b);
        token.kind = Token::text;
        token.line = firstLine;
        return true;
    }

    int linesIn(size_t from, size_t to) const {
        int n = 0;
        for (size_t i = from; i < to; ++i)
            if (t[i] == '\n' || (t[i] == '\r' && (i + 1 >= t.size() || t[i + 1] != '\n'))) ++n;
        return n;
    }
    void moveTo(size_t to) {
        line += linesIn(pos, to);
        pos = to;
    }

    const std::string& t;
    size_t pos;
    int line;
};

// Elements that only ever hold a value: even left empty and unclosed they
// are never taken for an aggregate.
bool knownLeaf(const std::string& name) {
    static const std::unordered_set<std::string> leaves = {
        "DTPOSTED", "TRNAMT", "NAME",    "MEMO",     "FITID", "BANKID", "ACCTID",  "BALAMT",  "DTASOF",
        "TRNTYPE",  "CHECKNUM", "DTUSER", "DTAVAIL", "PAYEEID", "SIC",  "CURDEF",  "BRANCHID", "ACCTTYPE",
        "REFNUM",   "DTSTART", "DTEND",  "CODE",     "SEVERITY", "MESSAGE", "TRNUID", "CORRECTFITID"};
    return leaves.count(name) != 0;
}

struct PendingTransaction {
    int line = 0, statement = -1;
    bool hasDate = false, hasAmount = false;
    std::string date, amount, name, payeeName, payee, memo, fitid, type;
};

struct OfxStatement {
    std::string bankId, acctId;
    bool hasBalance = false;
    std::string balance;
    std::string currency;  // CURDEF, upper case
    std::string account() const { return bankId.empty() ? acctId : bankId + "/" + acctId; }
};

// An open aggregate, with what its values belong to worked out once on
// opening, so that no value has to look up through the nesting.
struct Frame {
    std::string name;
    int owner = -1;        // the nearest aggregate that matters (in the stack), -1 for none
    int transaction = -1;  // the STMTTRN it is in, -1 for none
    int statement = -1;    // the STMTRS or CCSTMTRS it is in
};

bool mattering(const std::string& name) {
    static const std::unordered_set<std::string> names = {"STMTTRN",  "PAYEE",     "BANKACCTFROM", "CCACCTFROM",
                                                          "BANKACCTTO", "CCACCTTO", "LEDGERBAL",   "AVAILBAL",
                                                          "STMTRS",   "CCSTMTRS"};
    return names.count(name) != 0;
}

class OfxReader {
public:
    std::vector<PendingTransaction> transactions;
    std::vector<OfxStatement> statements;
    std::vector<int> finished;  // transactions in the order they ended
    int tooDeepAt = 0;          // the line of the aggregate past maxDepth, 0 when none

    void read(OfxScanner& scanner) {
        Token token = scanner.next();
        while (token.kind != Token::end && !tooDeepAt) {
            Token following = scanner.next();
            if (token.kind == Token::open) {
                if (following.kind == Token::text) {
                    leaf(token.value, following.value);
                    following = scanner.next();
                    if (following.kind == Token::close && following.value == token.value) following = scanner.next();
                } else if ((following.kind == Token::close && following.value == token.value) ||
                           knownLeaf(token.value)) {
                    leaf(token.value, "");
                    if (following.kind == Token::close && following.value == token.value) following = scanner.next();
                } else {
                    open(token.value, token.line);
                }
            } else if (token.kind == Token::empty) {
                leaf(token.value, "");
            } else if (token.kind == Token::close) {
                close(token.value);
            }
            token = std::move(following);
        }
        while (!stack.empty()) pop();
    }

private:
    void open(const std::string& name, int line) {
        // No transaction holds another: one left unclosed ends where the
        // next begins, as OFX 1.x allows an end tag to be implied.
        if (name == "STMTTRN" && openCount[name] > 0) close(name);
        if (stack.size() >= maxDepth) {
            tooDeepAt = line;
            return;
        }
        Frame frame;
        if (!stack.empty()) {
            const Frame& parent = stack.back();
            frame.owner = parent.owner;
            frame.transaction = parent.transaction;
            frame.statement = parent.statement;
        }
        frame.name = name;
        if (mattering(name)) frame.owner = static_cast<int>(stack.size());
        if (name == "STMTRS" || name == "CCSTMTRS") {
            frame.statement = static_cast<int>(statements.size());
            statements.emplace_back();
        } else if (name == "STMTTRN") {
            frame.transaction = static_cast<int>(transactions.size());
            PendingTransaction pending;
            pending.line = line;
            pending.statement = frame.statement;
            transactions.push_back(pending);
        }
        ++openCount[name];
        stack.push_back(std::move(frame));
    }

    void close(const std::string& name) {
        auto found = openCount.find(name);
        if (found == openCount.end() || found->second == 0) return;  // a leaf's end tag, or stray
        while (stack.back().name != name) pop();
        pop();
    }

    void pop() {
        Frame& frame = stack.back();
        if (frame.name == "STMTTRN") finished.push_back(frame.transaction);
        --openCount[frame.name];
        stack.pop_back();
    }

    void leaf(const std::string& name, const std::string& value) {
        if (stack.empty() || stack.back().owner < 0) return;
        const Frame& top = stack.back();
        const std::string& owner = stack[top.owner].name;
        if (owner == "PAYEE") {
            if (top.transaction >= 0 && name == "NAME") transactions[top.transaction].payeeName = value;
            return;
        }
        if (owner == "STMTTRN") {
            PendingTransaction& p = transactions[top.transaction];
            if (name == "DTPOSTED") p.hasDate = true, p.date = value;
            else if (name == "TRNAMT") p.hasAmount = true, p.amount = value;
            else if (name == "NAME") p.name = value;
            else if (name == "PAYEE") p.payee = value;
            else if (name == "MEMO") p.memo = value;
            else if (name == "FITID") p.fitid = value;
            else if (name == "TRNTYPE") p.type = value;
            return;
        }
        if (top.statement < 0) return;
        OfxStatement& s = statements[top.statement];
        if (owner == "BANKACCTFROM" || owner == "CCACCTFROM") {
            if (name == "BANKID") s.bankId = shownField(value);
            else if (name == "ACCTID") s.acctId = shownField(value);
        } else if (owner == "LEDGERBAL" && name == "BALAMT") {
            s.hasBalance = true;
            s.balance = value;
        } else if ((owner == "STMTRS" || owner == "CCSTMTRS") && name == "CURDEF") {
            s.currency = upper(shownField(value));
        }
    }

    std::vector<Frame> stack;
    std::unordered_map<std::string, int> openCount;
};

// The declared character set, from the header before <OFX>: the XML
// declaration's encoding (UTF-8 when it names none), or OFX 1.x's ENCODING
// and CHARSET lines.
std::string declaredCharset(const std::string& head) {
    std::string up = upper(head);
    size_t xml = up.find("<?XML");
    if (xml != std::string::npos) {
        size_t end = up.find("?>", xml);
        size_t enc = up.find("ENCODING", xml);
        if (enc == std::string::npos || (end != std::string::npos && enc > end)) return "UTF-8";
        size_t q = up.find_first_of("\"'", enc);
        if (q == std::string::npos) return "UTF-8";
        size_t q2 = up.find(up[q], q + 1);
        return q2 == std::string::npos ? "UTF-8" : head.substr(q + 1, q2 - q - 1);
    }
    auto value = [&](const char* key) -> std::string {
        size_t k = up.find(key);
        if (k == std::string::npos) return "";
        size_t b = k + std::strlen(key), e = b;
        while (e < up.size() && up[e] != '\r' && up[e] != '\n' && up[e] != '<') ++e;
        return trimBlanks(head.substr(b, e - b));
    };
    std::string encoding = upper(value("ENCODING:")), charset = value("CHARSET:");
    if (encoding == "UTF-8" || encoding == "UTF8") return "UTF-8";
    if (upper(charset) == "NONE" || charset.empty()) return encoding;
    return charset;
}

size_t findOfxElement(const std::string& text) {
    for (size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        if (at + 4 > text.size()) break;
        if (std::toupper(static_cast<unsigned char>(text[at + 1])) == 'O' &&
            std::toupper(static_cast<unsigned char>(text[at + 2])) == 'F' &&
            std::toupper(static_cast<unsigned char>(text[at + 3])) == 'X' &&
            (at + 4 == text.size() || text[at + 4] == '>' || isSpace(text[at + 4])))
            return at;
    }
    return std::string::npos;
}

std::string shown(const std::string& text) { return shownField(text); }

bool readOfxDate(const std::string& text, WrittenDate& date) {
    if (text.size() < 8) return false;
    for (int i = 0; i < 8; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    // A time, its fraction and its zone may follow; only the day counts.
    if (text.size() > 8 && !std::isdigit(static_cast<unsigned char>(text[8])) && text[8] != '.' && text[8] != '[')
        return false;
    date.year = std::stoi(text.substr(0, 4));
    date.first = std::stoi(text.substr(4, 2));
    date.second = std::stoi(text.substr(6, 2));
    date.yearFirst = true;
    return possibleOrders(date) != 0;
}

// The accounts of these statements, each once, in their order.
std::vector<std::string> accountsOf(const std::vector<OfxStatement>& statements, const std::vector<int>& which) {
    std::vector<std::string> accounts;
    std::unordered_set<std::string> seen;
    for (int i : which)
        if (seen.insert(statements[i].account()).second) accounts.push_back(statements[i].account());
    return accounts;
}

std::string payeeOf(const PendingTransaction& p) {
    return !p.name.empty() ? p.name : !p.payeeName.empty() ? p.payeeName : p.payee;
}

// The first statement's CURDEF; statements in another currency are said in
// the note, since their amounts are read as they stand.
void noteCurrency(const std::vector<OfxStatement>& statements, Statement& s) {
    std::vector<std::string> currencies;  // the first few
    std::unordered_set<std::string> seen;
    for (const OfxStatement& st : statements)
        if (!st.currency.empty() && seen.insert(st.currency).second && currencies.size() < 4)
            currencies.push_back(st.currency);
    if (currencies.empty()) return;
    s.currency = currencies.front();
    if (seen.size() == 1) return;
    std::string list;
    for (const std::string& c : currencies) list += (list.empty() ? "" : ", ") + c;
    if (seen.size() > currencies.size()) list += ", ...";
    if (!s.note.empty()) s.note += ' ';
    s.note += "The file's accounts are in different currencies (" + list + "): every amount is taken as " +
              s.currency + ".";
}

}  // namespace

Statement readOfx(const Bytes& bytes) {
    Statement s;
    s.error = statementFileProblem(bytes);
    if (!s.error.empty()) return s;
    std::string head(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(bytes.size(), 65536)));
    size_t headEnd = findOfxElement(head);
    DecodedText decoded =
        decodeStatementText(bytes, declaredCharset(headEnd == std::string::npos ? head : head.substr(0, headEnd)));
    const std::string& text = decoded.text;
    size_t start = findOfxElement(text);
    if (start == std::string::npos) {
        s.error = "The file is not an OFX statement: it has no <OFX> element.";
        return s;
    }
    s.note = decoded.note;
    int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(start), '\n'));
    OfxScanner scanner(text, start, line);
    OfxReader reader;
    reader.read(scanner);
    if (reader.tooDeepAt) {
        s.error = "The file's structure cannot be followed: its aggregates are nested more than " +
                  std::to_string(maxDepth) + " deep at line " + std::to_string(reader.tooDeepAt) + ".";
        return s;
    }
    if (reader.statements.empty() && reader.transactions.empty()) {
        s.error = "The file is not a bank or card statement: its OFX holds no STMTRS or CCSTMTRS.";
        return s;
    }

    // Each line names its account only in a file that holds lines of
    // several; their bank ids carry it either way.
    auto accountOf = [&reader](const PendingTransaction& p) {
        return p.statement >= 0 ? reader.statements[p.statement].account() : std::string();
    };
    std::vector<int> holding;  // the statements that hold transactions, in file order
    std::vector<bool> held(reader.statements.size(), false);
    for (const PendingTransaction& p : reader.transactions)
        if (p.statement >= 0 && !held[p.statement]) {
            held[p.statement] = true;
            holding.push_back(p.statement);
        }
    s.accounts = accountsOf(reader.statements, holding);
    if (s.accounts.size() < 2) s.accounts.clear();

    for (int index : reader.finished) {
        const PendingTransaction& p = reader.transactions[index];
        auto unreadable = [&](const std::string& reason) {
            std::string payee = shown(payeeOf(p));
            s.unreadable.push_back(
                {p.line, reason, shown(p.date), shown(p.amount), payee.empty() ? shown(p.memo) : payee});
        };
        if (!p.hasDate || !p.hasAmount || shown(p.date).empty() || shown(p.amount).empty()) {
            bool noDate = !p.hasDate || shown(p.date).empty(), noAmount = !p.hasAmount || shown(p.amount).empty();
            unreadable(std::string("the transaction has no ") + (noDate ? "date (DTPOSTED)" : "") +
                       (noDate && noAmount ? " and no " : "") + (noAmount ? "amount (TRNAMT)" : ""));
            continue;
        }
        StatementLine out;
        out.line = p.line;
        std::string dateText = shown(p.date);
        if (!readOfxDate(dateText, out.date)) {
            unreadable("the date " + quotedText(dateText) + " is not a date");
            continue;
        }
        std::string amountText = shown(p.amount), reason;
        // OFX allows either decimal mark and no thousands separators.
        char mark = amountText.find(',') != std::string::npos && amountText.find('.') == std::string::npos ? ',' : '.';
        if (!readStatementAmount(amountText, mark, out.amount, reason)) {
            unreadable(reason);
            continue;
        }
        out.pastCents = amountPastCents(amountText, mark);
        out.payee = shown(payeeOf(p));
        out.memo = shown(p.memo);
        out.bankType = shown(p.type);
        if (!s.accounts.empty()) out.account = accountOf(p);
        std::string fitid = shown(p.fitid);
        if (!fitid.empty()) {
            std::string account = accountOf(p);
            out.bankId = account.empty() ? fitid : account + "/" + fitid;
        }
        s.lines.push_back(std::move(out));
    }
    std::stable_sort(s.lines.begin(), s.lines.end(),
                     [](const StatementLine& a, const StatementLine& b) { return a.line < b.line; });
    std::stable_sort(s.unreadable.begin(), s.unreadable.end(),
                     [](const UnreadableLine& a, const UnreadableLine& b) { return a.line < b.line; });

    // Several statements of one account close with the last one; of several
    // accounts, no one balance closes the file, and the file has no account
    // of its own: `account` stays "", so that its scope is the one such files
    // have always had.
    std::vector<int> all(reader.statements.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    std::vector<std::string> accounts = accountsOf(reader.statements, all);
    if (accounts.size() == 1) {
        s.account = accounts.front();
        const OfxStatement& last = reader.statements.back();
        std::string reason;
        std::string balanceText = shown(last.balance);
        char mark = balanceText.find(',') != std::string::npos && balanceText.find('.') == std::string::npos ? ',' : '.';
        s.hasClosingBalance = last.hasBalance && readStatementAmount(balanceText, mark, s.closingBalance, reason);
    } else if (accounts.size() > 1) {
        std::string list;
        for (const std::string& a : accounts) list += (list.empty() ? "" : ", ") + (a.empty() ? "(no number)" : a);
        if (!s.note.empty()) s.note += ' ';
        s.note += "The file holds statements of " + std::to_string(accounts.size()) + " accounts (" + list +
                  "): no closing balance is checked.";
    }
    noteCurrency(reader.statements, s);
    s.scope = statementKey(StatementFormat::ofx, s.account, "");
    decideDateOrders(s);
    return s;
}
