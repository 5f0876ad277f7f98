// Builds in-memory dialog templates (DLGTEMPLATE + DLGITEMTEMPLATE, font
// "MS Sans Serif" 8), which every window and dialog of the program uses.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The id of a control nothing refers to (a label): what a dialog template
// stores for it, 0xFFFF, whether written as -1 or as a word.
constexpr int noId = 0xFFFF;

class cDialogTemplate {
public:
    cDialogTemplate(DWORD style, DWORD exStyle, short x, short y, short cx, short cy, const std::string& caption);

    // className is a registered class name ("BUTTON", "EDIT", "STATIC",
    // "LISTBOX", "COMBOBOX", or any other); WS_CHILD | WS_VISIBLE are added.
    cDialogTemplate& add(int id, const char* className, const std::string& text, DWORD style, DWORD exStyle,
                         short x, short y, short cx, short cy);

    const DLGTEMPLATE* get();

    INT_PTR runModal(HWND owner, DLGPROC proc, LPARAM param = 0);
    HWND createModeless(HWND owner, DLGPROC proc, LPARAM param = 0);

private:
    void align();
    void putWord(WORD w);
    void putDword(DWORD d);
    void putString(const std::string& s);

    std::vector<WORD> words_;
    size_t countAt_ = 0;
    WORD count_ = 0;
};

// The text of a window, or of a dialog's control ("" when it has none).
// A width in the dialog's units, in pixels of its font.
int dialogUnitsToPixels(HWND dialog, int units);

std::string windowText(HWND window);
// What the user typed or pasted into an edit or combo box, control
// characters blanked; controlText is that of a dialog's control.
std::string typedText(HWND control);
std::string controlText(HWND dialog, int id);

// Selects tab `index` of a tab control as a click on it does: its parent
// gets the changing and the changed notifications around the selection.
void clickTabOf(HWND tabControl, int index);

// Ctrl+A selects the whole text of `window` when it is an edit box, and of
// every edit box inside it (a dialog's boxes, a combo box's edit field).
// Call it when a dialog initialises and for a box created later.
void addSelectAllKey(HWND window);

// ANSI text of the system code page to UTF-16, and back.
std::wstring wideText(const std::string& s);
// The same into `out`, whose storage is kept from call to call.
void wideTextInto(const std::string& s, std::wstring& out);
std::string ansiText(const std::wstring& s);
