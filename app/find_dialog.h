// Edit > Find's prompt: one line for the text to look for in the list.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

// The "Find" dialog, modal over owner, its box holding `last` (the text
// searched before) selected. The text typed, without blanks at its ends,
// on "Find"; nothing on Cancel, Esc or the close box. "Find" is greyed while
// the box holds no text.
std::optional<std::string> askFindText(HWND owner, const std::string& last);

// The dialog's text box.
constexpr int idFindText = 2001;
