#include "ledger/settings.h"

#include <cctype>
#include <vector>

#include "app/prompts.h"
#include "ledger/file_access.h"
#include "ledger/tables.h"
#include "ledger/window_placement.h"
#include "text/amount_text.h"

const char settingsFileName[] = "quirvel.ini";

namespace {

std::string lowerCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string withoutTrailingSlash(std::string s) {
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

}  // namespace

std::string chooseDataFolder(const std::string& programFolder, const std::string& programFilesFolder,
                             const std::string& commonAppDataFolder) {
    std::string installed = lowerCase(withoutTrailingSlash(programFilesFolder) + "\\Zembrik\\quirvel\\");
    if (lowerCase(programFolder) == installed)
        return withoutTrailingSlash(commonAppDataFolder) + "\\Zembrik\\quirvel\\";
    return programFolder;
}

std::string encodeSettings() {
    std::string s = ledgerPath + "\r\n";
    for (double rate : {stateTaxRate, countyTaxRate, localTaxRate, districtTaxRate})
        s += formatMask(rate, "#.######") + "\r\n";
    // After the five lines, where readers that know only those stop.
    return s + encodePlacementLines(savedPlacement);
}

void decodeSettings(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size() && lines.size() < 5) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    lines.resize(5);
    ledgerPath = lines[0];
    stateTaxRate = readNumber(lines[1]);
    countyTaxRate = readNumber(lines[2]);
    localTaxRate = readNumber(lines[3]);
    districtTaxRate = readNumber(lines[4]);
    recomputeCombinedRate();
    savedPlacement = decodePlacementLines(text);
}

std::string settingsPath() { return dataFolder + settingsFileName; }

void readSettings() {
    std::string path = settingsPath();
    if (!fileExists(path)) return;
    Bytes bytes;
    std::string error;
    // Five short lines; a longer file holds nothing more worth reading.
    if (!readWholeFile(path, bytes, error, 64 * 1024)) return;  // start as on a first run
    decodeSettings(std::string(bytes.begin(), bytes.end()));
}

bool writeSettings() {
    std::string text = encodeSettings();
    std::string error;
    if (writeFileSafely(settingsPath(), Bytes(text.begin(), text.end()), error)) return true;
    showMessage("The settings could not be saved to " + settingsPath() + ":\r\n" + error, "File Error",
                mb::ok | mb::iconExclamation);
    return false;
}
