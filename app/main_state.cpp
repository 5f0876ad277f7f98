#include "app/main_state.h"

MainWindowState mainState;

void resetMainWindowState() {
    if (mainState.keyboardHook) UnhookWindowsHookEx(mainState.keyboardHook);
    if (mainState.accelerators) DestroyAcceleratorTable(mainState.accelerators);
    for (cColumnList* list : mainState.lists)
        if (list) list->release();
    mainState = {};
}
