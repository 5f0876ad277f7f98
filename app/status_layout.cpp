#include "app/status_layout.h"

#include <algorithm>

StatusEdges statusPartEdges(int width, int fileNeeds, int countNeeds, int filterNeeds) {
    width = std::max(width, 0);
    fileNeeds = std::max(fileNeeds, 0);
    countNeeds = std::max(countNeeds, 0);
    const int keptForCount = std::min(countNeeds, width / 4), keptForFile = std::min(fileNeeds, width / 5);
    const int filter = std::clamp(filterNeeds, 0, std::max(width - keptForCount - keptForFile, 0));
    const int room = width - filter;
    const int file = std::min(fileNeeds, std::max(room - countNeeds, keptForFile));
    return {file, room};
}
