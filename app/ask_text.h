// A one-line text prompt of its own (the Archive command asks its date here).
#pragma once
#include <string>

// Shows the prompt, with no owner, centred on the screen, and returns the
// typed text on Ok or Enter, or "" on Esc or the close box.
std::string askText(const std::string& prompt, const std::string& title);
