// The main window's own state in one place: its handles (the window, the
// tab control, the status bar, the five pages and their lists) and the
// state of its size and place. Made when the window is created; put back
// as one, with what the window made released, when it goes.
#pragma once
#include <windows.h>

#include "app/column_list.h"

struct MainWindowState {
    HWND window = nullptr;
    HWND tabControl = nullptr;
    HWND statusBar = nullptr;
    HWND pages[6] = {};               // 1..5
    cColumnList* lists[6] = {};       // 1..5
    HWND currentPage = nullptr;
    cColumnList* currentList = nullptr;

    // Keyboard shortcuts. The window is a dialog, whose loop has no place
    // for an accelerator table: a message filter hook gives it one.
    HACCEL accelerators = nullptr;
    HHOOK keyboardHook = nullptr;

    // The window's size at the built-in layout (its smallest size) and the
    // pages' sizes there.
    SIZE builtInWindowSize = {0, 0};
    SIZE builtInPageSize = {0, 0};
    RECT builtInPageArea = {};  // under the tab titles, in the window's coordinates
    bool listNeedsRefit = false;
    // How the window is shown once it first appears (an SW_ value; 0: as
    // the dialog shows it, in its normal state).
    int showWhenShown = 0;
    bool sizing = false;  // an edge or the caption is being dragged
    RECT sizeMoveStart = {};
    // The user moved, sized, maximised or restored the window: only then is
    // its place worth remembering.
    bool placedByUser = false;
    bool paintedBeforePages = false;  // the pages timer has ticked once
    bool runningModally = false;      // runMainWindow, not createMainWindow
};
extern MainWindowState mainState;

// The names the rest of the program knows them by.
inline HWND& mainWindow = mainState.window;
inline HWND& tabControl = mainState.tabControl;
inline HWND& statusBar = mainState.statusBar;
inline HWND (&pages)[6] = mainState.pages;
inline cColumnList* (&lists)[6] = mainState.lists;
inline HWND& currentPage = mainState.currentPage;
inline cColumnList*& currentList = mainState.currentList;

// The window is gone: releases the lists, the hook and the accelerators,
// and puts back the defaults.
void resetMainWindowState();
