#include "lists/tax_line_dialog.h"

#include <algorithm>
#include <vector>

#include "ledger/tables.h"
#include "lists/tax_lines.h"
#include "ui/dialog_template.h"

namespace {

enum : int {
    idTaxLineDescription = 2701,
    idTaxLineChoice = 2702,
    idTaxLineNote = 2703,
};

struct Request {
    uint8_t group;
    std::string text;
    int year;
    std::vector<std::string> keys;  // of the combo box's items, in order
};

// Some of the form's names are longer than the box is wide: its list drops
// as wide as its longest line, within the screen.
void dropWideEnough(HWND combo) {
    HDC dc = GetDC(combo);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(combo, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (LRESULT i = 0, n = SendMessageA(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
        std::string text(static_cast<size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size() - 1), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(combo, dc);
    int width = widest + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 8;
    width = std::min(width, GetSystemMetrics(SM_CXSCREEN));
    SendMessageA(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

void initialise(HWND dialog, Request& r) {
    const TaxForm& form = taxFormFor(r.year);
    SetDlgItemTextA(dialog, idTaxLineDescription, ("Description: " + r.text).c_str());
    HWND combo = GetDlgItem(dialog, idTaxLineChoice);
    for (const TaxFormLine* l : assignableLines(form, r.group)) r.keys.push_back(l->key);
    r.keys.push_back(leftOutKey);
    for (const std::string& k : r.keys)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lineCaption(form, k).c_str()));
    dropWideEnough(combo);
    LineChoice choice = lineChoiceFor(ledger.beside.tax, r.group, r.text);
    int at = -1;
    for (size_t i = 0; i < r.keys.size(); ++i)
        if (r.keys[i] == choice.key) at = static_cast<int>(i);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    std::string note = choice.confirmed ? "Confirmed by you."
                       : at >= 0        ? "Proposed from the description's words: press OK to confirm it."
                                        : "Not on any line yet: choose one.";
    note += " Lines as numbered on the " + std::to_string(form.year) + " form.";
    SetDlgItemTextA(dialog, idTaxLineNote, note.c_str());
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        initialise(dialog, *reinterpret_cast<Request*>(lp));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            Request& r = *reinterpret_cast<Request*>(GetWindowLongPtrA(dialog, DWLP_USER));
            LRESULT at = SendDlgItemMessageA(dialog, idTaxLineChoice, CB_GETCURSEL, 0, 0);
            // OK with nothing chosen is Cancel: there is nothing to confirm.
            if (at < 0 || static_cast<size_t>(at) >= r.keys.size()) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            assignTaxLine(r.group, r.text, r.keys[static_cast<size_t>(at)]);
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool chooseTaxLine(HWND owner, uint8_t group, const std::string& text, int year) {
    Request r{group, text, year, {}};
    if (assignableLines(taxFormFor(year), group).empty() || text.empty()) return false;
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 260, 92,
                      "Schedule C Line");
    t.add(idTaxLineDescription, "STATIC", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 8, 8, 244, 10);
    t.add(idTaxLineChoice, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 8, 22, 244, 200);
    t.add(idTaxLineNote, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0, 8, 40, 244, 20);
    t.add(IDOK, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 146, 68, 50, 16);
    t.add(IDCANCEL, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 202, 68, 50, 16);
    return t.runModal(owner, dialogProc, reinterpret_cast<LPARAM>(&r)) == IDOK;
}
