#include "ledger/settings.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "ledger/file_access.h"
#include "ledger/side_file.h"
#include "ledger/tables.h"
#include "ledger/window_placement.h"
#include "text/amount_text.h"
#include "ui/prompts.h"

const char settingsFileName[] = "quirvel.ini";
const char helpFileName[] = "Quirvel.chm";
const char helpFolderName[] = "help";
const char importMemoryFileName[] = "quirvel-import.ini";

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

std::string rememberedLedger;

std::string encodeSettings() {
    std::string s = (ledgerPath.empty() ? rememberedLedger : ledgerPath) + "\r\n";
    for (double rate : {stateTaxRate, countyTaxRate, localTaxRate, districtTaxRate})
        s += formatMask(rate, "#.######") + "\r\n";
    // After the five lines, where readers that know only those stop.
    return s + encodePlacementLines(savedPlacement);
}

void decodeSettings(const std::string& text) {
    std::vector<std::string> lines;
    // Byte-order marks (an editor may have added more than one) are no part
    // of the ledger's name.
    size_t start = 0;
    while (text.compare(start, 3, "\xEF\xBB\xBF") == 0) start += 3;
    while (start < text.size() && lines.size() < 10) {
        size_t end = text.find_first_of("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    lines.resize(std::max<size_t>(lines.size(), 5));
    ledgerPath = lines[0];
    rememberedLedger = lines[0];
    stateTaxRate = readNumber(lines[1]);
    countyTaxRate = readNumber(lines[2]);
    localTaxRate = readNumber(lines[3]);
    districtTaxRate = readNumber(lines[4]);
    recomputeCombinedRate();
    savedPlacement = decodePlacementLines(lines);
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

bool isOwnProgramFile(const std::string& path) {
    std::string program = programFile(), programFolder = folderOf(program), name = fileNameOf(path);
    // The help pages are whatever the help folders hold: a page there under
    // the name given is the one that would be replaced.
    auto helpPage = [&](const std::string& folder) {
        char separator = folder.empty() ? '\\' : folder.back();
        return folder + helpFolderName + separator + name;
    };
    if (isSideFileName(path)) return true;
    for (const std::string& own :
         {settingsPath(), dataFolder + importMemoryFileName,
          ledgerPath.empty() ? std::string() : sideFilePathFor(ledgerPath), dataFolder + helpFileName, helpPage(dataFolder), program, programFolder + helpFileName,
          programFolder + "uninstall.exe", helpPage(programFolder)})
        if (!own.empty() && sameFile(path, own)) return true;
    return false;
}

std::string ownProgramFileText(const std::string& path) {
    return path + " is one of Quirvel's own files.\r\nChoose another name; nothing has been written.";
}
