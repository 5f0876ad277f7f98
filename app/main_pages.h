// The main window's five pages under the tab control, each with its
// transaction list: making them, fitting them to the window's size, and
// switching between them.
#pragma once
#include <windows.h>

// The main window's client area at its built-in layout, in dialog units.
constexpr int mainWidthUnits = 320;
constexpr int mainHeightUnits = 300;

// The menu bar takes its height from the client area: grows the window so
// that the client keeps the built-in size, centred in the work area.
void fitWindowToClient(HWND hwnd);
// The tab titles and the first page, which becomes the current one; the
// others follow once the window has been painted (the pages timer).
void createPages(HWND hwnd);
// Pages 2 to 5, at once (a tab click or a command may come before the timer).
void createRemainingPages();
void startPagesTimer(HWND hwnd);
bool isPagesTimer(WPARAM id);
void pagesTimerTicked(HWND hwnd);

// Everything below the toolbar grows with the window from its built-in
// layout; the status bar keeps to the bottom edge.
void layoutMainWindow(HWND hwnd);
// After a resize ends: the current list's rows fitted to its new columns.
void refitCurrentList();

// A notification of the tab control: the page of the tab chosen is shown
// and its list filled, unless it was the last one filled.
void tabNotified(UINT code);
// Shows tab 1..5 without the notifications of a click and without filling
// its list: the command that does it fills the list once, after.
void showTab(int tab);
// Makes tab 1..5 the current one in the list's state (its list, page and
// transaction type; no row selected).
void takeTab(int tab);
// Owner drawing of one tab title.
void drawTab(const DRAWITEMSTRUCT& item);
// Selects the next (step 1) or previous (-1) tab, wrapping, as a click would.
void stepTab(int step);
