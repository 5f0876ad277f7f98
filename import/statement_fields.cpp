#include "import/statement_fields.h"

#include <cstdio>

#include "text/plain_text.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks as spreadsheets write them: the no-break space too.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\xA0'; }

// $, the euro, the pound and the yen in Windows-1252.
bool isCurrencySign(char c) { return c == '$' || c == '\x80' || c == '\xA3' || c == '\xA5'; }

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

std::string trimmed(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

// Long texts are cut in messages: a line of a megabyte is no help there.
std::string quoted(const std::string& text) {
    if (text.size() <= 40) return "\"" + text + "\"";
    return "\"" + text.substr(0, 37) + "...\"";
}

// Takes signs, currency signs and a three-letter currency code from either
// end; what remains must be digits with separators.
bool splitSign(std::string s, bool& negative, std::string& core) {
    negative = false;
    bool signed_ = false;
    auto stripDecoration = [&s]() {
        for (bool again = true; again;) {
            again = false;
            s = trimmed(s);
            if (!s.empty() && isCurrencySign(s.front())) s.erase(0, 1), again = true;
            else if (!s.empty() && isCurrencySign(s.back())) s.pop_back(), again = true;
            else if (s.size() > 3 && isUpper(s[0]) && isUpper(s[1]) && isUpper(s[2]) && !isUpper(s[3]))
                s.erase(0, 3), again = true;
            else if (s.size() > 3 && isUpper(s[s.size() - 1]) && isUpper(s[s.size() - 2]) &&
                     isUpper(s[s.size() - 3]) && !isUpper(s[s.size() - 4]))
                s.resize(s.size() - 3), again = true;
        }
    };
    stripDecoration();
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
        negative = signed_ = true;
        s = s.substr(1, s.size() - 2);
        stripDecoration();
    }
    if (!signed_ && !s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        signed_ = true;
        s.erase(0, 1);
        stripDecoration();
    }
    if (!signed_ && !s.empty() && (s.back() == '-' || s.back() == '+')) {
        negative = s.back() == '-';
        s.pop_back();
        stripDecoration();
    }
    core = s;
    return !core.empty();
}

// The digits before and after the mark. Thousands separators must stand
// between groups of three, and only one kind of them in one amount.
bool splitDigits(const std::string& core, char mark, std::string& whole, std::string& fraction) {
    whole.clear();
    fraction.clear();
    char other = mark == '.' ? ',' : '.';
    size_t i = 0, n = core.size();
    int group = 0;
    bool grouped = false;
    char separator = 0;
    for (; i < n && core[i] != mark; ++i) {
        char c = core[i];
        if (isDigit(c)) {
            whole += c;
            ++group;
        } else if (c == other || c == ' ' || c == '\xA0' || c == '\'') {
            if (group == 0 || (grouped ? group != 3 : group > 3)) return false;
            if (separator && c != separator) return false;
            separator = c;
            grouped = true;
            group = 0;
        } else {
            return false;
        }
    }
    if (grouped && group != 3) return false;
    if (i < n) {
        for (++i; i < n; ++i) {
            if (!isDigit(core[i])) return false;
            fraction += core[i];
        }
    }
    return !whole.empty() || !fraction.empty();
}

bool readsWith(const std::string& text, char mark) {
    bool negative;
    std::string core, whole, fraction;
    return splitSign(text, negative, core) && splitDigits(core, mark, whole, fraction);
}

// Up to `most` digits from position i; their count in `length`.
int readNumber(const std::string& s, size_t& i, int most, int& length) {
    int value = 0;
    length = 0;
    while (i < s.size() && isDigit(s[i])) {
        if (length < most) value = value * 10 + (s[i] - '0');
        ++length;
        ++i;
    }
    return value;
}

void skipBlanks(const std::string& s, size_t& i) {
    while (i < s.size() && isBlank(s[i])) ++i;
}

// What may follow a date: nothing, or a time of day after a blank or a 'T'.
bool onlyTimeAfter(const std::string& s, size_t i) {
    if (i == s.size()) return true;
    if (!isBlank(s[i]) && s[i] != 'T') return false;
    if (s.find(':', i) == std::string::npos) return false;  // "01.03.2026 - 31.03.2026" is no date
    for (++i; i < s.size(); ++i) {
        char c = s[i];
        if (!isDigit(c) && !isBlank(c) && c != ':' && c != '.' && c != '+' && c != '-' && c != 'Z' &&
            c != 'A' && c != 'P' && c != 'M' && c != 'a' && c != 'p' && c != 'm')
            return false;
    }
    return true;
}

}  // namespace

unsigned decimalMarksOf(const std::string& text) {
    unsigned marks = 0;
    if (readsWith(text, '.')) marks |= decimalPoint;
    if (readsWith(text, ',')) marks |= decimalComma;
    return marks;
}

void DecimalMarkVote::add(const std::string& text) {
    unsigned marks = decimalMarksOf(text);
    if (marks == decimalPoint) ++point;
    if (marks == decimalComma) ++comma;
}

char DecimalMarkVote::decide(char fallback) const {
    if (point > comma) return '.';
    if (comma > point) return ',';
    return fallback;
}

bool readStatementAmount(const std::string& text, char mark, int64_t& cents, std::string& reason) {
    cents = 0;
    std::string shown = trimmed(text);
    if (shown.empty()) {
        reason = "the amount is missing";
        return false;
    }
    bool negative;
    std::string core, whole, fraction;
    if (!splitSign(shown, negative, core) || !splitDigits(core, mark, whole, fraction)) {
        if (readsWith(shown, mark == '.' ? ',' : '.'))
            reason = "the amount " + quoted(shown) + " has a decimal " + (mark == '.' ? "comma" : "point") +
                     ", the other amounts a decimal " + (mark == '.' ? "point" : "comma");
        else
            reason = "the amount " + quoted(shown) + " is not a number";
        return false;
    }
    size_t lead = whole.find_first_not_of('0');
    whole = lead == std::string::npos ? "" : whole.substr(lead);
    if (whole.size() > 15) {
        reason = "the amount " + quoted(shown) + " is too large";
        return false;
    }
    int64_t value = 0;
    for (char c : whole) value = value * 10 + (c - '0');
    fraction.resize(2, '0');
    value = value * 100 + (fraction[0] - '0') * 10 + (fraction[1] - '0');
    cents = negative ? -value : value;
    return true;
}

std::string amountPastCents(const std::string& text, char mark) {
    std::string shown = trimmed(text), core, whole, fraction;
    bool negative = false;
    if (!splitSign(shown, negative, core) || !splitDigits(core, mark, whole, fraction) || fraction.size() <= 2)
        return "";
    return fraction.find_first_not_of('0', 2) == std::string::npos ? "" : shown;
}

bool readWrittenDate(const std::string& text, WrittenDate& date) {
    date = WrittenDate{};
    std::string s = trimmed(text);
    size_t i = 0;
    int length1, length2, length3;
    int n1 = readNumber(s, i, 8, length1);
    if (length1 == 8) {
        if (!onlyTimeAfter(s, i)) return false;
        date.year = n1 / 10000;
        date.first = n1 / 100 % 100;
        date.second = n1 % 100;
        date.yearFirst = true;
        return true;
    }
    auto separator = [&s, &i](bool apostropheAllowed, bool& apostrophe) {
        skipBlanks(s, i);
        if (i >= s.size()) return false;
        char c = s[i];
        apostrophe = c == '\'';
        if (c != '/' && c != '-' && c != '.' && !(apostropheAllowed && apostrophe)) return false;
        ++i;
        skipBlanks(s, i);
        return true;
    };
    bool apostrophe = false;
    if (length1 == 0 || length1 > 4 || !separator(false, apostrophe)) return false;
    int n2 = readNumber(s, i, 2, length2);
    if (length2 < 1 || length2 > 2 || !separator(length1 <= 2, apostrophe)) return false;
    int n3 = readNumber(s, i, 4, length3);
    if (!onlyTimeAfter(s, i)) return false;
    if (length1 == 4) {
        if (length3 < 1 || length3 > 2) return false;
        date.year = n1;
        date.first = n2;
        date.second = n3;
        date.yearFirst = true;
        return true;
    }
    if (length1 > 2) return false;
    if (length3 == 4) date.year = n3;
    else if (apostrophe && length3 >= 1 && length3 <= 2) date.year = 2000 + n3;
    else if (!apostrophe && length3 == 2) date.year = n3 < 80 ? 2000 + n3 : 1900 + n3;
    else return false;
    date.first = n1;
    date.second = n2;
    return true;
}

