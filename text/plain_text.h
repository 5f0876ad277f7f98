// Plain text shown in columns: the list, the printout and the dialogs' boxes.
#pragma once
#include <string>
#include <string_view>

// A text with every control character (a tab, a line break, ...) replaced
// by a blank: such characters would break the list's and the print's columns.
std::string blankControls(std::string text);
// The same, in place, for the characters from `from` on.
void blankControlsFrom(std::string& text, size_t from);

// The text without the blanks at either end.
std::string trimBlanks(const std::string& text);
// trimBlanks(blankControls(text)) in one pass: a field as it is shown.
std::string shownField(std::string_view text);
// True when the text is nothing but blanks and control characters.
bool onlyBlanksAndControls(std::string_view text);

// A letter of the ANSI code page (Windows-1252) in lower case: ASCII, the
// accented block and the few letters that live in 0x80-0x9F. Any other
// character as it is.
unsigned char lowerLetter(unsigned char c);
// True when `part` stands somewhere in `text`, letter case ignored.
bool containsIgnoringCase(std::string_view text, std::string_view part);
