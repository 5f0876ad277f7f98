#include "ledger/window_placement.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

WindowPlacement savedPlacement;

namespace {

// A whole line of decimal digits with an optional minus sign, within limit.
bool readInteger(const std::string& line, long limit, int& out) {
    if (line.empty() || line.size() > 12) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(line.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || line[0] == ' ' || line[0] == '+') return false;
    if (v < -limit || v > limit) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

std::string encodePlacementLines(const WindowPlacement& p) {
    if (!p.known) return std::string();
    std::string s;
    for (int v : {p.left, p.top, p.width, p.height, p.maximised ? 1 : 0}) s += std::to_string(v) + "\r\n";
    return s;
}

WindowPlacement decodePlacementLines(const std::vector<std::string>& lines) {
    WindowPlacement p;
    if (lines.size() < 10) return p;
    // Screens are at most some tens of thousands of pixels across; anything
    // beyond that is not a place the window has been.
    const long limit = 100000;
    int maximised = 0;
    if (!readInteger(lines[5], limit, p.left) || !readInteger(lines[6], limit, p.top) ||
        !readInteger(lines[7], limit, p.width) || !readInteger(lines[8], limit, p.height) ||
        !readInteger(lines[9], 1, maximised) || p.width <= 0 || p.height <= 0 || maximised < 0)
        return WindowPlacement{};
    p.maximised = maximised == 1;
    p.known = true;
    return p;
}
