#include "text/amount_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

bool showZeroAmounts = false;

namespace {

// The characters that make up the leading number, or an empty text.
std::string leadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    std::string out;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) out += text[i++];
    bool point = false, digit = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
            out += c;
        } else if (c == '.' && !point) {
            point = true;
            out += c;
        } else {
            break;
        }
    }
    return digit ? out : std::string();
}

// Text before the first "." joined with the two characters after it.
std::string joinedCents(const std::string& text) {
    std::string t = text;
    if (t.find('.') == std::string::npos) t += '.';
    t += "00";
    size_t dot = t.find('.');
    return t.substr(0, dot) + t.substr(dot + 1, 2);
}

}  // namespace

double readNumber(const std::string& text) {
    std::string n = leadingNumber(text);
    if (n.empty()) return 0.0;
    return std::strtod(n.c_str(), nullptr);
}

int32_t parseAmount(const std::string& text) {
    if (text.empty()) return 0;
    double v = readNumber(joinedCents(text));
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

TypedAmount readTypedAmount(const std::string& text, int32_t& cents, double& typed) {
    cents = 0;
    typed = 0;
    const char* const blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return TypedAmount::empty;
    std::string t = text.substr(first, text.find_last_not_of(blanks) - first + 1);
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };

    size_t i = 0;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-') negative = t[i++] == '-';
    // The whole part: a first group of one to three digits before any comma,
    // then groups of exactly three.
    std::string whole;
    size_t groupDigits = 0;
    bool grouped = false;
    for (; i < t.size() && (isDigit(t[i]) || t[i] == ','); ++i) {
        if (t[i] != ',') {
            whole += t[i];
            ++groupDigits;
            continue;
        }
        if (groupDigits == 0 || groupDigits > 3 || (grouped && groupDigits != 3)) return TypedAmount::notNumber;
        grouped = true;
        groupDigits = 0;
    }
    if (grouped && groupDigits != 3) return TypedAmount::notNumber;
    std::string fraction;
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && isDigit(t[i]); ++i) fraction += t[i];
    if (i != t.size() || (whole.empty() && fraction.empty())) return TypedAmount::notNumber;

    size_t nonZero = whole.find_first_not_of('0');
    std::string significant = nonZero == std::string::npos ? "" : whole.substr(nonZero);
    if (significant.size() > 9) return TypedAmount::outOfRange;
    int64_t value = significant.empty() ? 0 : std::stoll(significant);
    std::string hundredths = (fraction + "00").substr(0, 2);
    value = value * 100 + (hundredths[0] - '0') * 10 + (hundredths[1] - '0');
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
        return TypedAmount::outOfRange;
    cents = static_cast<int32_t>(value);
    typed = std::strtod(((negative ? "-" : "") + (whole.empty() ? "0" : whole) + "." + fraction).c_str(), nullptr);
    return TypedAmount::number;
}

bool amountFits(const std::string& text) {
    if (text.empty()) return true;
    double v = readNumber(joinedCents(text));
    return v <= 2147483647.0 && v >= -2147483648.0;
}

std::string formatAmount(int64_t cents) {
    if (cents == 0) return showZeroAmounts ? "0.00" : "";
    unsigned long long magnitude = cents < 0 ? 0ULL - static_cast<unsigned long long>(cents) : static_cast<unsigned long long>(cents);
    std::string digits = std::to_string(magnitude);
    while (digits.size() < 3) digits.insert(digits.begin(), '0');
    std::string out = cents < 0 ? "-" : "";
    out += digits.substr(0, digits.size() - 2);
    out += '.';
    out += digits.substr(digits.size() - 2);
    return out;
}

std::string formatMask(double value, const std::string& mask) {
    size_t dot = mask.find('.');
    int decimals = dot == std::string::npos ? 0 : static_cast<int>(mask.size() - dot - 1);
    bool leadingZero = !mask.empty() && mask[0] == '0';
    bool optionalDecimals = dot != std::string::npos && dot + 1 < mask.size() && mask[dot + 1] == '#';
    if (!std::isfinite(value)) value = 0.0;

    // Write the value out to 18 significant digits and round that decimal text,
    // so that a half is recognised as the reader of the figures sees it.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(value));
    std::string mant;
    for (const char* p = buf; *p && *p != 'e'; ++p)
        if (*p != '.') mant += *p;
    int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // Digit string with the point after intDigits characters.
    std::string digits = mant;
    int intDigits = exponent + 1;
    if (intDigits <= 0) {
        digits.insert(0, static_cast<size_t>(1 - intDigits), '0');
        intDigits = 1;
    }
    int keep = intDigits + decimals;
    while (static_cast<int>(digits.size()) < keep + 1) digits += '0';
    std::string kept = digits.substr(0, keep);
    std::string rest = digits.substr(keep);
    bool roundUp = false;
    if (rest[0] > '5') {
        roundUp = true;
    } else if (rest[0] == '5') {
        bool above = rest.find_first_not_of('0', 1) != std::string::npos;
        roundUp = above || ((kept.back() - '0') % 2 == 1);
    }
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && kept[i] == '9') kept[i--] = '0';
        if (i >= 0) {
            ++kept[i];
        } else {
            kept.insert(kept.begin(), '1');
            ++intDigits;
        }
    }
    std::string intPart = kept.substr(0, intDigits);
    std::string fracPart = kept.substr(intDigits);
    size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "" : intPart.substr(nz);
    if (intPart.empty() && leadingZero) intPart = "0";
    if (optionalDecimals) {
        while (!fracPart.empty() && fracPart.back() == '0') fracPart.pop_back();
    }
    bool isZero = intPart.find_first_not_of('0') == std::string::npos &&
                  fracPart.find_first_not_of('0') == std::string::npos;
    std::string out;
    if (value < 0 && !isZero) out += '-';
    out += intPart;
    if (!fracPart.empty()) out += "." + fracPart;
    if (out.empty() || out == "-") out = "0";
    return out;
}

std::string plainNumberText(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string s = buf;
    if (s == "-0") s = "0";
    return value < 0 && s[0] == '-' ? s : " " + s;
}
