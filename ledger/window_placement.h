// Where the main window was last: five lines that follow the settings file's
// first five (left, top, width, height in pixels of the restored window, then
// 1 when it was maximised). A file without them, or with lines that do not
// read as a sane placement, opens the window at its built-in size.
#pragma once
#include <string>
#include <vector>

struct WindowPlacement {
    bool known = false;
    int left = 0, top = 0, width = 0, height = 0;
    bool maximised = false;

    bool operator==(const WindowPlacement& o) const {
        return known == o.known && (!known || (left == o.left && top == o.top && width == o.width &&
                                               height == o.height && maximised == o.maximised));
    }
    bool operator!=(const WindowPlacement& o) const { return !(*this == o); }
};

// Read from the settings file and written back with it.
extern WindowPlacement savedPlacement;

// The lines to append after the fifth; empty when the placement is unknown.
std::string encodePlacementLines(const WindowPlacement& p);
// Reads lines 6 to 10 of the settings file's lines.
WindowPlacement decodePlacementLines(const std::vector<std::string>& lines);
