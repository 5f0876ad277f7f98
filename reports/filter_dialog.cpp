#include "reports/filter_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include "lists/descr_name_boxes.h"
#include "reports/filter.h"
#include "text/date_text.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

namespace {

enum : int {
    idStartBox = 3021,
    idEndBox = 3022,
    idYearBox = 3023,
    idReset = 3024,
};


// The dialog while it is open (one at a time: it is modal).
struct FilterDialogState {
    bool initialising = false;
    int type = 0;               // of the list the dialog was opened over
    FilterDialogResult result;  // the values the dialog has put in force so far
};
FilterDialogState state;


// Shows the item standing for entry `wanted` (found by its item data, since
// the box has sorted the items); nothing when there is none.
void selectEntry(HWND box, int wanted) {
    int n = static_cast<int>(SendMessageA(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        if (SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == wanted)
            SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

void initialiseDialog(HWND dialog) {
    addSelectAllKey(dialog);
    HWND years = GetDlgItem(dialog, idYearBox);
    for (const std::string& y : filterYearItems(currentLocalYear()))
        SendMessageA(years, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(y.c_str()));
    fillDescrNameBoxes(dialog, state.type);
    FilterDialogStart start = filterDialogStart(state.result.values, state.type);
    if (start.descrSelected >= 0)
        selectEntry(GetDlgItem(dialog, idDescrBox), start.descrItems[static_cast<size_t>(start.descrSelected)].second);
    if (start.nameSelected >= 0)
        selectEntry(GetDlgItem(dialog, idNameBox), start.nameItems[static_cast<size_t>(start.nameSelected)].second);
    SetDlgItemTextA(dialog, idStartBox, start.startText.c_str());
    SetDlgItemTextA(dialog, idEndBox, start.endText.c_str());
}

void clearBox(HWND dialog, int id) {
    HWND w = GetDlgItem(dialog, id);
    if (id == idDescrBox || id == idNameBox) SendMessageA(w, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextA(w, "");
}

void resetPressed(HWND dialog) {
    state.result.values = {};
    state.result.allTypes = true;
    for (int id : {int{idDescrBox}, int{idNameBox}, int{idStartBox}, int{idEndBox}}) clearBox(dialog, id);
}

void okPressed(HWND dialog) {
    // From the first press on, the list is to show "All Transactions".
    state.result.showAll = true;
    FilterApplyResult r = applyFilterEntries(state.result.values, controlText(dialog, idStartBox),
                                             controlText(dialog, idEndBox), controlText(dialog, idYearBox),
                                             currentLocalYear());
    if (!r.ok()) {
        showMessage("Illegal date", "", mb::ok | mb::iconStop);
        int box = r.illegalBox == FilterBox::startDate ? idStartBox
                  : r.illegalBox == FilterBox::endDate ? idEndBox
                                                       : idYearBox;
        SetFocus(GetDlgItem(dialog, box));
        return;
    }
    HWND descr = GetDlgItem(dialog, idDescrBox), name = GetDlgItem(dialog, idNameBox);
    applyFilterChoices(state.result.values, boxItems(descr), controlText(dialog, idDescrBox), boxItems(name),
                       controlText(dialog, idNameBox));
    state.result.accepted = true;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK filterProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        state.initialising = true;
        initialiseDialog(dialog);
        state.initialising = false;
        return TRUE;
    case WM_COMMAND:
        if (state.initialising) return TRUE;
        if (HIWORD(wp) != BN_CLICKED) return FALSE;
        switch (LOWORD(wp)) {
        case IDOK:
            okPressed(dialog);
            return TRUE;
        case idReset:
            resetPressed(dialog);
            return TRUE;
        case IDCANCEL:  // close box: nothing is applied
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

cDialogTemplate filterTemplate() {
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 270, 130,
                      "Filter Transactions");
    const DWORD label = SS_RIGHT;
    const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP;
    const DWORD listBox = CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | CBS_DISABLENOSCROLL | WS_VSCROLL | WS_TABSTOP;
    t.add(noId, "STATIC", "Year:", label, 0, 20, 10, 19, 10);
    t.add(idYearBox, "COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 42, 10, 40, 90);
    t.add(noId, "STATIC", "Start Date:", label, 0, 90, 5, 39, 10);
    t.add(idStartBox, "EDIT", "", edit, WS_EX_CLIENTEDGE, 132, 5, 45, 12);
    t.add(noId, "STATIC", "End Date:", label, 0, 90, 20, 39, 10);
    t.add(idEndBox, "EDIT", "", edit, WS_EX_CLIENTEDGE, 132, 20, 45, 12);
    t.add(noId, "STATIC", "Description:", label, 0, 30, 60, 40, 10);
    t.add(idDescrBox, "COMBOBOX", "", listBox, 0, 72, 60, 90, 100);
    t.add(noId, "STATIC", "Name:", label, 0, 30, 80, 40, 10);
    t.add(idNameBox, "COMBOBOX", "", listBox, 0, 72, 80, 90, 100);
    t.add(idReset, "BUTTON", "&Reset", BS_PUSHBUTTON | WS_TABSTOP, 0, 200, 50, 40, 25);
    t.add(IDOK, "BUTTON", "&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 200, 80, 40, 25);
    return t;
}

}  // namespace

FilterDialogResult showFilterDialog(HWND owner, const FilterValues& inForce, int type) {
    state = {};
    state.type = type;
    state.result.values = inForce;
    cDialogTemplate t = filterTemplate();
    t.runModal(owner, filterProc);
    FilterDialogResult result = state.result;
    state = {};
    return result;
}
