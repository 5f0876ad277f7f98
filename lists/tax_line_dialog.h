// "Schedule C Line": asks which line of the tax form a description goes
// to, offering the lines its group may go to and "Not on Schedule C",
// with its confirmed line or the proposal from its text chosen first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Modal. On OK the choice is made one step of the books' history ("Assign
// tax line", which Undo takes back) and the result is true; Cancel or the
// close box change nothing. year: the tax year whose form numbers the lines.
bool chooseTaxLine(HWND owner, uint8_t group, const std::string& text, int year);
