// The settings file quirvel.ini: five CR LF lines (last ledger, then the
// state, county, local and district rates), kept in dataFolder.
#pragma once
#include <string>

extern const char settingsFileName[];  // "quirvel.ini"
extern const char helpFileName[];      // "Quirvel.chm", beside it
extern const char helpFolderName[];    // "help": the same pages as plain HTML files, beside it
extern const char importMemoryFileName[];  // "quirvel-import.ini": what imports remember of statements

// The data folder: the common application-data folder plus Zembrik\quirvel
// when the program runs from the program-files folder plus Zembrik\quirvel
// (compared without regard to case), else the program's own folder.
// Folders are given with or without their trailing "\".
std::string chooseDataFolder(const std::string& programFolder, const std::string& programFilesFolder,
                             const std::string& commonAppDataFolder);

// The ledger the settings file named when it was read. A ledger without a
// file (after File > New) does not replace it: quitting such a ledger
// unsaved must not make the next start forget the books opened last.
extern std::string rememberedLedger;

std::string encodeSettings();
// Sets ledgerPath and the rates. Lines may end in CR LF, LF or CR, and a
// UTF-8 byte-order mark before the first is skipped.
void decodeSettings(const std::string& text);

std::string settingsPath();
void readSettings();
// Returns false (after telling the user) when the file could not be written.
bool writeSettings();

// Whether path is the settings file, the import memory, a ledger's side
// file (the open one's, or any "*.qvl-import"), the help file or a help
// page, the program itself or its uninstaller, under whatever name: no
// ledger, archive or export may be written there.
bool isOwnProgramFile(const std::string& path);
std::string ownProgramFileText(const std::string& path);
