// The check boxes of a list-view control made with LVS_EX_CHECKBOXES.
#pragma once
#include <windows.h>

void setListItemChecked(HWND list, int item, bool checked);
bool listItemChecked(HWND list, int item);
