#include "text/plain_text.h"

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
