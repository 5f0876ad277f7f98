// Plain text shown in columns: the list, the printout and the dialogs' boxes.
#pragma once
#include <string>

// A text with every control character (a tab, a line break, ...) replaced
// by a blank: such characters would break the list's and the print's columns.
std::string blankControls(std::string text);
// The same, in place, for the characters from `from` on.
void blankControlsFrom(std::string& text, size_t from);

// The text without the blanks at either end.
std::string trimBlanks(const std::string& text);
