#include "app/ask_text.h"

#include <windows.h>

#include "ui/dialog_template.h"

namespace {

constexpr int idAnswer = 9900;

// The prompt has no owner, so nothing stops the main window from starting
// another command meanwhile; keep it disabled while the prompt is up.
class cMainWindowLock {
public:
    cMainWindowLock() : wasDisabled_(mainWindow ? EnableWindow(mainWindow, FALSE) != FALSE : true) {}
    ~cMainWindowLock() { release(); }
    // Called before the prompt goes away too, so the main window is enabled
    // again in time to become the active window.
    void release() {
        if (!wasDisabled_) EnableWindow(mainWindow, TRUE);
        wasDisabled_ = true;
    }

private:
    bool wasDisabled_;
};

struct cAskState {
    cMainWindowLock* lock;
    std::string answer;
};

INT_PTR CALLBACK askProc(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(box, DWLP_USER, lp);
        SetFocus(GetDlgItem(box, idAnswer));
        return FALSE;  // the focus is set
    case WM_COMMAND: {
        int id = LOWORD(wp);
        if (id != IDOK && id != IDCANCEL) return FALSE;
        auto* state = reinterpret_cast<cAskState*>(GetWindowLongPtrA(box, DWLP_USER));
        if (id == IDOK) {
            state->answer = controlText(box, idAnswer);
        }
        state->lock->release();
        EndDialog(box, id);
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace

std::string askText(const std::string& prompt, const std::string& title) {
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 130, 85, title);
    t.add(-1, "STATIC", prompt, SS_LEFT, 0, 5, 5, 80, 12);
    t.add(idAnswer, "EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 10, 20, 100, 12);
    t.add(IDOK, "BUTTON", "Ok", BS_PUSHBUTTON | WS_TABSTOP, 0, 60, 40, 50, 20);
    cMainWindowLock lock;
    cAskState state = {&lock, std::string()};
    t.runModal(nullptr, askProc, reinterpret_cast<LPARAM>(&state));
    return state.answer;
}
