#include "text/date_text.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "text/amount_text.h"
#include "text/plain_text.h"

int currentLocalYear() {
    std::time_t now = std::time(nullptr);
    std::tm* local = std::localtime(&now);
    return local ? local->tm_year + 1900 : 1980;
}

uint16_t todayPacked() {
    std::time_t now = std::time(nullptr);
    std::tm* local = std::localtime(&now);
    if (!local || local->tm_year + 1900 < 1980 || local->tm_year + 1900 > 2107) return 0;
    return static_cast<uint16_t>(local->tm_mday + (local->tm_mon + 1) * 32 + (local->tm_year + 1900 - 1980) * 512);
}

namespace {

// Comma-separated fields; blanks around a field are dropped and a field in
// double quotes is taken as it stands (commas inside it included).
std::vector<std::string> splitFields(const std::string& text) {
    std::vector<std::string> fields;
    std::string current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            current += c;
        } else if (c == ',' && !quoted) {
            fields.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    fields.push_back(current);
    for (auto& f : fields) {
        f = trimBlanks(f);
        if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
    }
    return fields;
}

std::string twoCharacters(const std::string& field) {
    if (field.empty()) return "00";
    std::string s = "0" + field;
    return s.substr(s.size() - 2);
}

std::string twoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

}  // namespace

std::string normalizeDateText(const std::string& text, int currentYear) {
    std::string t = text;
    for (char& c : t)
        if (c == '/' || c == '-') c = ',';
    std::vector<std::string> fields = splitFields(t);
    if (fields.size() != 3) return "";
    std::string monthText = twoCharacters(fields[0]);
    std::string dayText = twoCharacters(fields[1]);
    double month = readNumber(monthText);
    double day = readNumber(dayText);
    double year = fields[2].empty() ? currentYear : std::nearbyint(readNumber(fields[2]));
    if (month > 12 || day > 31) return "";
    if (year < 80)
        year += 2000;
    else if (year < 100)
        year += 1900;
    if (year < 1980 || year > 2107) return "";
    return monthText + "-" + dayText + "-" + std::to_string(static_cast<int>(year));
}

std::string normalizeDateText(const std::string& text) {
    return normalizeDateText(text, currentLocalYear());
}

bool dayFitsMonth(const std::string& fixedText) {
    uint16_t packed = packDate(fixedText);
    int day = packed & 31;
    int month = (packed >> 5) & 15;
    int year = 1980 + (packed >> 9);
    if (month < 1 || month > 12) return true;
    static const int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= monthDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

uint16_t packDate(const std::string& fixedText) {
    int month = static_cast<int>(readNumber(fixedText.substr(0, 2)));
    int day = static_cast<int>(readNumber(fixedText.size() > 3 ? fixedText.substr(3, 2) : ""));
    int year = static_cast<int>(readNumber(fixedText.size() >= 4 ? fixedText.substr(fixedText.size() - 4) : fixedText));
    return static_cast<uint16_t>(day + month * 32 + (year - 1980) * 512);
}

std::string formatDate(uint16_t packed) {
    int day = packed & 31;
    int month = (packed >> 5) & 15;
    int year = 1980 + (packed >> 9);
    return twoDigits(month) + "-" + twoDigits(day) + "-" + std::to_string(year);
}
