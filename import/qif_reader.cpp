#include "import/qif_reader.h"

#include <algorithm>
#include <cctype>

#include "import/statement_fields.h"
#include "import/statement_text.h"
#include "text/plain_text.h"

namespace {

// "!Type:Bank" and the like, any letter case, blanks ignored.
std::string headerWord(const std::string& line) {
    std::string s;
    for (char c : line)
        if (c != ' ' && c != '\t') s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool readsTransactions(const std::string& header) {
    for (const char* type : {"!type:bank", "!type:ccard", "!type:cash", "!type:otha", "!type:othl"})
        if (header == type) return true;
    return false;
}

std::string quotedText(const std::string& text) {
    return "\"" + (text.size() <= 40 ? text : text.substr(0, 37) + "...") + "\"";
}

struct Record {
    int line = 0;
    bool hasDate = false, hasT = false, hasU = false;
    std::string date, t, u, payee, memo;
    bool any = false;
    std::string amount() const { return hasT ? t : u; }
};

}  // namespace

Statement readQif(const Bytes& bytes) {
    Statement s;
    s.error = statementFileProblem(bytes);
    if (!s.error.empty()) return s;
    DecodedText decoded = decodeStatementText(bytes);
    const std::string& text = decoded.text;

    enum class Section { none, transactions, account, skipped } section = Section::none;
    std::vector<Record> records;
    std::vector<std::string> accounts;
    std::string accountName;
    std::string typeLine;  // the first "!type:..." that holds transactions: a bank's or a card's
    Record record;
    bool sawHeader = false;
    int lineNumber = 0;

    auto endRecord = [&]() {
        if (record.any) records.push_back(std::move(record));
        record = Record{};
    };
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        std::string line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size() && text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
        if (pos < text.size()) ++pos;
        ++lineNumber;

        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        line.erase(0, first);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();

        if (line[0] == '!') {
            std::string header = headerWord(line);
            if (!sawHeader && header.rfind("!type", 0) != 0 && header.rfind("!account", 0) != 0 &&
                header.rfind("!option", 0) != 0 && header.rfind("!clear", 0) != 0)
                break;
            sawHeader = true;
            if (section == Section::transactions) endRecord();
            if (header.rfind("!account", 0) == 0) {
                section = Section::account;
                accountName.clear();
            } else if (header.rfind("!type", 0) == 0) {
                section = readsTransactions(header) ? Section::transactions : Section::skipped;
                if (section == Section::transactions && typeLine.empty()) typeLine = header;
                if (section == Section::transactions && !accountName.empty() &&
                    std::find(accounts.begin(), accounts.end(), accountName) == accounts.end())
                    accounts.push_back(accountName);
            }
            // !Option:AutoSwitch and !Clear:AutoSwitch only frame the list of
            // accounts; each !Account block says the account itself.
            continue;
        }
        if (!sawHeader) break;
        char code = line[0];
        std::string value = line.substr(1);
        if (section == Section::account) {
            if (code == 'N') accountName = trimBlanks(blankControls(value));
            else if (code == '^') section = Section::none;
            continue;
        }
        if (section != Section::transactions) continue;
        if (code == '^') {
            endRecord();
            continue;
        }
        if (!record.any) record.line = lineNumber;
        switch (code) {
        case 'D': record.hasDate = true, record.date = value; break;
        case 'T': record.hasT = true, record.t = value; break;
        case 'U': record.hasU = true, record.u = value; break;
        case 'P': record.payee = value; break;
        case 'M': record.memo = value; break;
        default: break;  // number, category, cleared mark, address, splits
        }
        record.any = true;
    }
    if (section == Section::transactions) endRecord();
    if (!sawHeader) {
        s.error = "The file is not a QIF statement: it does not begin with a !Type or !Account line.";
        return s;
    }
    s.note = decoded.note;
    if (accounts.size() == 1) {
        s.account = accounts.front();
    } else if (accounts.size() > 1) {
        std::string list;
        for (const std::string& a : accounts) list += (list.empty() ? "" : ", ") + a;
        if (!s.note.empty()) s.note += ' ';
        s.note += "The file holds the transactions of " + std::to_string(accounts.size()) + " accounts: " + list + ".";
    }

    DecimalMarkVote vote;
    for (const Record& r : records) vote.add(r.amount());
    char mark = vote.decide('.');
    for (const Record& r : records) {
        auto unreadable = [&](const std::string& reason) { s.unreadable.push_back({r.line, reason}); };
        std::string dateText = trimBlanks(blankControls(r.date));
        std::string amountText = trimBlanks(blankControls(r.amount()));
        if (dateText.empty() || (!r.hasT && !r.hasU)) {
            // A record of nothing but split or category lines is no booking.
            if (!r.hasDate && !r.hasT && !r.hasU) continue;
            unreadable(std::string("the record has no ") + (dateText.empty() ? "date (D)" : "") +
                       (dateText.empty() && !r.hasT && !r.hasU ? " and no " : "") +
                       (!r.hasT && !r.hasU ? "amount (T)" : ""));
            continue;
        }
        StatementLine line;
        line.line = r.line;
        if (!readWrittenDate(dateText, line.date) || possibleOrders(line.date) == 0) {
            unreadable("the date " + quotedText(dateText) + " is not a date");
            continue;
        }
        std::string reason;
        if (!readStatementAmount(amountText, mark, line.amount, reason)) {
            unreadable(reason);
            continue;
        }
        line.pastCents = amountPastCents(amountText, mark);
        line.payee = trimBlanks(blankControls(r.payee));
        line.memo = trimBlanks(blankControls(r.memo));
        s.lines.push_back(std::move(line));
    }
    s.scope = statementKey(StatementFormat::qif, s.account, typeLine);
    decideDateOrders(s);
    return s;
}
