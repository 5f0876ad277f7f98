#include "text/plain_text.h"

#include <algorithm>

void blankControlsFrom(std::string& text, size_t from) {
    for (size_t i = from; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) < 0x20 || text[i] == 0x7F) text[i] = ' ';
}

std::string blankControls(std::string text) {
    blankControlsFrom(text, 0);
    return text;
}

std::string trimBlanks(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

namespace {
bool blankOrControl(char c) { return c == ' ' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }
}  // namespace

std::string shownField(std::string_view text) {
    auto first = std::find_if_not(text.begin(), text.end(), blankOrControl);
    if (first == text.end()) return "";
    auto last = std::find_if_not(text.rbegin(), text.rend(), blankOrControl).base();
    std::string shown(first, last);
    blankControlsFrom(shown, 0);
    return shown;
}

bool onlyBlanksAndControls(std::string_view text) { return std::all_of(text.begin(), text.end(), blankOrControl); }

unsigned char lowerLetter(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    auto same = [](char a, char b) {
        return lowerLetter(static_cast<unsigned char>(a)) == lowerLetter(static_cast<unsigned char>(b));
    };
    return std::search(text.begin(), text.end(), part.begin(), part.end(), same) != text.end();
}
