#include "app/ask_text.h"

#include <windows.h>

#include "ui/dialog_template.h"
#include "ui/prompts_win32.h"

namespace {

constexpr int idAnswer = 9900;

struct cAskState {
    cQuestionFreeze* freeze;
    std::string answer;
};

INT_PTR CALLBACK askProc(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(box, DWLP_USER, lp);
        addSelectAllKey(box);
        SetFocus(GetDlgItem(box, idAnswer));
        return FALSE;  // the focus is set
    case WM_COMMAND: {
        int id = LOWORD(wp);
        if (id != IDOK && id != IDCANCEL) return FALSE;
        auto* state = reinterpret_cast<cAskState*>(GetWindowLongPtrA(box, DWLP_USER));
        if (id == IDOK) {
            state->answer = controlText(box, idAnswer);
        }
        // Before the prompt goes, so the window that asked can take the
        // activation at once.
        state->freeze->thaw();
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
    // The prompt has no owner, yet nothing else of the program may go on
    // while it is up.
    cQuestionFreeze freeze;
    cAskState state = {&freeze, std::string()};
    t.runModal(nullptr, askProc, reinterpret_cast<LPARAM>(&state));
    return state.answer;
}
