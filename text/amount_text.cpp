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
