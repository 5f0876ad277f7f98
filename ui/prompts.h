// Every modal prompt of the program goes through here: message boxes, the
// open and save file dialogs, the print dialog, the shell "open" verb and
// HTML Help. The program installs the real one; tests install a scripted one
// that answers and records what was asked.
#pragma once
#include <string>
#include <utility>
#include <vector>

// Button, icon and answer values, numerically those of the Windows API.
namespace mb {
constexpr unsigned ok = 0x0, okCancel = 0x1, yesNoCancel = 0x3, yesNo = 0x4;
constexpr unsigned iconStop = 0x10, iconQuestion = 0x20, iconExclamation = 0x30, iconInformation = 0x40;
constexpr int idOk = 1, idCancel = 2, idYes = 6, idNo = 7;
}  // namespace mb

struct FileDialogRequest {
    bool save = false;
    std::string caption;
    std::string folder;
    std::vector<std::pair<std::string, std::string>> filters;  // (name, pattern)
    std::string defaultExtension;
    unsigned long flags = 0;  // OFN_* values
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // Shown with no owner window. Returns the button pressed (mb::id...).
    virtual int message(const std::string& text, const std::string& title, unsigned style) = 0;
    // Returns the chosen path, or "" when cancelled.
    virtual std::string fileDialog(const FileDialogRequest& request) = 0;
    // Returns a printer device context (an HDC) the caller deletes, or null.
    virtual void* printDialog(unsigned long flags) = 0;
    // The shell's "open" verb: true when it started something for target.
    virtual bool shellOpen(const std::string& target, int showCommand) = 0;
    virtual void htmlHelp(const std::string& path, unsigned command) = 0;
};

Prompts& prompts();
void setPrompts(Prompts* p);  // null puts the program's own back

// Shorthand for the common case.
int showMessage(const std::string& text, const std::string& title, unsigned style);
