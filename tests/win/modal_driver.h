// Drives modal dialogs from inside their own message loop: when a dialog
// with the expected caption is activated, the steps run from a zero-delay
// thread timer, which the dialog's loop dispatches.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ui/dialog_template.h"  // windowText, controlText

// Queue steps for the next dialog (class #32770) whose caption is `caption`.
// The steps must close the dialog (or open the next queued one).
void whenDialogOpens(const std::string& caption, std::function<void(HWND)> steps);
// True when every queued dialog appeared and its steps ran.
bool allDialogsHandled();
// Forgets what is still queued.
void clearDialogQueue();

// Helpers that act through the real controls.
inline std::string itemText(HWND dialog, int id) { return controlText(dialog, id); }
void setItemText(HWND dialog, int id, const std::string& text);  // WM_SETTEXT: sends EN_CHANGE
void click(HWND dialog, int id);                                 // BM_CLICK
// Types into an edit box, or a combo box's edit field, as the keyboard does:
// one WM_CHAR per character.
void typeKeys(HWND dialog, int id, const std::string& text);
// Ctrl+A as the keyboard sends it: the key down with Ctrl held, the
// character it translates to, the key up.
void pressCtrlA(HWND dialog, int id);
// The box that takes the typing: a combo box's edit field, or the box itself.
HWND typingBox(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
// As a click on the dialog's title-bar close box.
void closeBox(HWND dialog);
// The client area measures exactly cx x cy of the window's dialog units.
void expectClientUnits(HWND dialog, int cx, int cy);
// The window's centre lies within 2 pixels of the work area's centre.
void expectCentredOnWorkArea(HWND window);
// Pumps messages already waiting (for posted work).
void pumpMessages();
// Position and size of a control in its dialog's units.
RECT itemRectUnits(HWND dialog, int id);
