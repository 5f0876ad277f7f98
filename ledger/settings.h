// The settings file quirvel.ini: five CR LF lines (last ledger, then the
// state, county, local and district rates), kept in dataFolder.
#pragma once
#include <string>

extern const char settingsFileName[];  // "quirvel.ini"

// The data folder: the common application-data folder plus Zembrik\quirvel
// when the program runs from the program-files folder plus Zembrik\quirvel
// (compared without regard to case), else the program's own folder.
// Folders are given with or without their trailing "\".
std::string chooseDataFolder(const std::string& programFolder, const std::string& programFilesFolder,
                             const std::string& commonAppDataFolder);

std::string encodeSettings();
void decodeSettings(const std::string& text);  // sets ledgerPath and the rates

std::string settingsPath();
void readSettings();
// Returns false (after telling the user) when the file could not be written.
bool writeSettings();
