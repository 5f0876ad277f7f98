#include "app/find_dialog.h"

#include "text/plain_text.h"
#include "ui/dialog_template.h"

namespace {

struct cFindState {
    std::string last;
    std::optional<std::string> answer;
};

std::string boxText(HWND box) { return trimBlanks(controlText(box, idFindText)); }

void enableFind(HWND box) { EnableWindow(GetDlgItem(box, IDOK), !boxText(box).empty()); }

INT_PTR CALLBACK findProc(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<cFindState*>(GetWindowLongPtrA(box, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(box, DWLP_USER, lp);
        state = reinterpret_cast<cFindState*>(lp);
        addSelectAllKey(box);
        HWND text = GetDlgItem(box, idFindText);
        SetWindowTextA(text, state->last.c_str());
        enableFind(box);
        SetFocus(text);
        SendMessageA(text, EM_SETSEL, 0, -1);
        return FALSE;  // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wp) == idFindText && HIWORD(wp) == EN_CHANGE) {
            enableFind(box);
        } else if (LOWORD(wp) == IDOK) {
            // Enter reaches here even while "Find" is greyed.
            std::string text = boxText(box);
            if (text.empty()) return TRUE;
            state->answer = text;
            EndDialog(box, IDOK);
        } else if (LOWORD(wp) == IDCANCEL) {
            EndDialog(box, IDCANCEL);
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

std::optional<std::string> askFindText(HWND owner, const std::string& last) {
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 196, 44, "Find");
    t.add(noId, "STATIC", "Find &what:", SS_LEFT, 0, 6, 9, 38, 10);
    t.add(idFindText, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 44, 7, 96, 12);
    t.add(IDOK, "BUTTON", "&Find", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 146, 6, 44, 14);
    t.add(IDCANCEL, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 146, 24, 44, 14);
    cFindState state{last, std::nullopt};
    t.runModal(owner, findProc, reinterpret_cast<LPARAM>(&state));
    return state.answer;
}
