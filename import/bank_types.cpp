#include "import/bank_types.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "import/line_texts.h"

namespace {

// The words of a text in capitals: runs of ASCII letters, digits and the
// code page's own letters (a byte past ASCII), everything else between them.
std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || b >= 0x80) {
            word += c;
        } else if (b >= 'a' && b <= 'z') {
            word += static_cast<char>(b - 'a' + 'A');
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

struct Phrase {
    const char* words;
    BankKind kind;
    bool whole;  // only as the whole text: "INT" is interest, "INT WIRE" is not
};

// The first phrase a type text holds decides, so the order matters: a
// charge before the interest it is charged on, a fee before the ATM or the
// transfer it is for, a card paid off before any other payment, and the
// words that only say which way the money went last.
const Phrase phrases[] = {
    {"INTEREST CHARGE", BankKind::fee, false},
    {"INTEREST CHARGED", BankKind::fee, false},
    {"FINANCE CHARGE", BankKind::fee, false},
    {"SERVICE CHARGE", BankKind::fee, false},
    {"SRVCHG", BankKind::fee, false},
    {"FEE", BankKind::fee, false},
    {"FEES", BankKind::fee, false},
    {"INT", BankKind::earning, true},
    {"DIV", BankKind::earning, true},
    {"INTEREST", BankKind::earning, false},
    {"DIVIDEND", BankKind::earning, false},
    {"DIVIDENDS", BankKind::earning, false},
    {"PAYMENT THANK YOU", BankKind::transfer, false},
    {"THANK YOU", BankKind::transfer, false},
    {"CREDIT CARD PAYMENT", BankKind::transfer, false},
    {"CREDIT CARD PMT", BankKind::transfer, false},
    // A wire is as often a client paying as the business moving its money.
    {"WIRE", BankKind::unknown, false},
    // Cash paid in is takings as often as not.
    {"ATM DEPOSIT", BankKind::moneyIn, false},
    {"CASH DEPOSIT", BankKind::moneyIn, false},
    {"XFER", BankKind::transfer, false},
    {"TRANSFER", BankKind::transfer, false},
    {"TRANSFERS", BankKind::transfer, false},
    {"TFR", BankKind::transfer, false},
    {"ATM", BankKind::transfer, false},
    {"CASH", BankKind::transfer, false},
    {"BILLPAY", BankKind::moneyOut, false},
    {"BILL PAY", BankKind::moneyOut, false},
    {"BILL PAYMENT", BankKind::moneyOut, false},
    {"REPEATPMT", BankKind::moneyOut, false},
    {"PAYMENT", BankKind::payment, false},
    {"PMT", BankKind::payment, false},
    {"REFUND", BankKind::moneyIn, false},
    {"RETURN", BankKind::moneyIn, false},
    {"DEPOSIT", BankKind::moneyIn, false},
    {"DEP", BankKind::moneyIn, false},
    {"DIRECTDEP", BankKind::moneyIn, false},
    {"PURCHASE", BankKind::moneyOut, false},
    {"WITHDRAWAL", BankKind::moneyOut, false},
    {"CHECK", BankKind::moneyOut, false},
    {"CHEQUE", BankKind::moneyOut, false},
    {"DIRECTDEBIT", BankKind::moneyOut, false},
    {"CREDIT", BankKind::moneyIn, false},
    {"DEBIT", BankKind::moneyOut, false},
};

// The phrases' words, split once.
const std::vector<std::vector<std::string>>& phraseWords() {
    static const std::vector<std::vector<std::string>> split = [] {
        std::vector<std::vector<std::string>> all;
        for (const Phrase& p : phrases) all.push_back(wordsOf(p.words));
        return all;
    }();
    return split;
}

bool holds(const std::vector<std::string>& words, const std::vector<std::string>& phrase) {
    return std::search(words.begin(), words.end(), phrase.begin(), phrase.end()) != words.end();
}

// The words banks put beside a line rather than what it was for: their type
// words, and the words of references, channels and accounts.
const std::unordered_set<std::string>& bankWords() {
    static const std::unordered_set<std::string> words = [] {
        std::unordered_set<std::string> set = {
            "ACCOUNT", "ACCT",     "ACH",     "ADVANCE",   "AT",         "AUTH",        "AUTHORIZED", "AUTOMATIC",
            "AUTOPAY", "BAL",      "BALANCE", "BANKING",   "CARD",       "CCD",         "CHECKCARD",  "CHECKING",
            "CHK",     "CONF",     "CR",      "DATE",      "DB",         "DDA",         "DIRECT",     "DR",
            "EARNED",  "EFT",      "ELECTRONIC", "FROM",   "ID",         "INCOMING",    "ITEM",       "MAINTENANCE",
            "MEMO",    "MISC",     "MOBILE",  "MONTHLY",   "NBR",        "NO",          "NUM",        "OF",
            "ON",      "ONLINE",   "OTHER",   "OUTGOING",  "OVERDRAFT",  "PAID",        "PENDING",    "POS",
            "POSTED",  "PPD",      "PURCH",   "RECURRING", "REF",        "REFERENCE",   "SAV",        "SAVINGS",
            "SEQ",     "TEL",      "THE",     "TO",        "TRACE",      "TRANS",       "TRANSACTION", "TRN",
            "TXN",     "VIA",      "WEB",     "XFR",       "CONFIRMATION"};
        for (const std::vector<std::string>& phrase : phraseWords()) set.insert(phrase.begin(), phrase.end());
        return set;
    }();
    return words;
}

bool isState(const std::string& w) {
    static const std::unordered_set<std::string> states = {
        "AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "DC", "FL", "GA", "HI", "ID", "IL", "IN", "IA", "KS", "KY",
        "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO", "MT", "NE", "NV", "NH", "NJ", "NM", "NY", "NC", "ND", "OH",
        "OK", "OR", "PA", "RI", "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY"};
    return states.count(w) > 0;
}

bool hasDigit(const std::string& w) { return std::any_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; }); }

// "AUSTIN TX", "SAN JOSE CA 95113", "800-555-0199 CA", "DALLAS TX
// 75201-1234": no small letters, a state's two letters last but for a ZIP.
bool isPlace(const std::string& memo, const std::vector<std::string>& words) {
    if (std::any_of(memo.begin(), memo.end(), [](char c) { return c >= 'a' && c <= 'z'; })) return false;
    size_t end = words.size();
    for (int zip = 0; zip < 2 && end > 0 && hasDigit(words[end - 1]); ++zip) --end;
    return end >= 1 && isState(words[end - 1]);
}

// Case and blanks aside.
std::string squeezed(const std::string& text) {
    std::string s = folded(text);
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; }), s.end());
    return s;
}

}  // namespace

BankKind bankKind(const std::string& bankType) {
    std::vector<std::string> words = wordsOf(bankType);
    if (words.empty()) return BankKind::unknown;
    const auto& split = phraseWords();
    for (size_t i = 0; i < split.size(); ++i)
        if (phrases[i].whole ? words == split[i] : holds(words, split[i])) return phrases[i].kind;
    return BankKind::unknown;
}

bool memoSaysMore(const std::string& memo, const std::string& payee, const std::string& name,
                  const std::string& bankType) {
    const std::string m = squeezed(memo);
    if (m.empty()) return false;
    for (const std::string* other : {&payee, &name}) {
        std::string o = squeezed(*other);
        if (o.empty()) continue;
        if (o.find(m) != std::string::npos || (o.size() >= 4 && m.find(o) != std::string::npos)) return false;
    }
    const std::vector<std::string> typeWords = wordsOf(bankType), words = wordsOf(memo);
    auto among = [](const std::vector<std::string>& list, const std::string& w) {
        return std::find(list.begin(), list.end(), w) != list.end();
    };
    auto isBankWord = [&](const std::string& w) { return bankWords().count(w) > 0 || among(typeWords, w); };
    std::vector<std::string> theirs;  // the payee's and the name's words
    for (const std::string* other : {&payee, &name}) {
        // Another spelling of it holds most of its own words: those of
        // three letters or more that are not the bank's.
        std::vector<std::string> own;
        for (const std::string& w : wordsOf(*other)) {
            theirs.push_back(w);
            if (w.size() >= 3 && !hasDigit(w) && !isBankWord(w) && !among(own, w)) own.push_back(w);
        }
        size_t held = static_cast<size_t>(
            std::count_if(own.begin(), own.end(), [&](const std::string& w) { return among(words, w); }));
        if (2 * held > own.size()) return false;
    }
    bool saysMore = false;
    for (const std::string& w : words) {
        if (w.size() < 2 || hasDigit(w)) continue;
        // A masked card or account number: "XXXX".
        bool masked = std::all_of(w.begin(), w.end(), [](char c) { return c == 'X'; });
        if (!masked && !isBankWord(w) && !among(theirs, w)) saysMore = true;
    }
    return saysMore && !isPlace(memo, words);
}
