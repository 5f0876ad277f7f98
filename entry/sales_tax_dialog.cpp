#include "entry/sales_tax_dialog.h"

#include <windows.h>

#include "ledger/tables.h"
#include "text/amount_text.h"
#include "ui/dialog_template.h"

namespace {

enum : int { idState = 4001, idCounty = 4002, idLocal = 4003, idDistrict = 4004, idStore = 2022 };


bool initialising = false;

// The boxes in their order, and the rates shown and read there.
const int rateBoxes[] = {idState, idCounty, idLocal, idDistrict};
SalesTaxRates shown, accepted;

double boxNumber(HWND dialog, int id) { return readNumber(controlText(dialog, id)); }

INT_PTR CALLBACK salesTaxProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        initialising = true;
        addSelectAllKey(dialog);
        // Fractions, not percent: 0.0625 shows as .0625.
        for (int i = 0; i < 4; ++i)
            SetDlgItemTextA(dialog, rateBoxes[i], formatMask(shown.rates[i], "#.####").c_str());
        initialising = false;
        return TRUE;
    case WM_COMMAND:
        if (initialising || HIWORD(wp) != BN_CLICKED) return TRUE;
        if (LOWORD(wp) == idStore) {
            for (int i = 0; i < 4; ++i) accepted.rates[i] = boxNumber(dialog, rateBoxes[i]);
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wp) == IDCANCEL) {  // close box: the rates stay as they were
            EndDialog(dialog, IDCANCEL);
        }
        // Enter (IDOK) does nothing: "&Ok" is not the default button.
        return TRUE;
    }
    return FALSE;
}

cDialogTemplate salesTaxTemplate() {
    // No DS_CENTER: the position is relative to the main window's client area.
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 50, 40, 170, 100, "State Sales Taxes");
    const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP;
    t.add(idState, "EDIT", "", edit, WS_EX_CLIENTEDGE, 70, 5, 40, 12);
    t.add(idCounty, "EDIT", "", edit, WS_EX_CLIENTEDGE, 70, 25, 40, 12);
    t.add(idLocal, "EDIT", "", edit, WS_EX_CLIENTEDGE, 70, 45, 40, 12);
    t.add(idDistrict, "EDIT", "", edit, WS_EX_CLIENTEDGE, 70, 65, 40, 12);
    t.add(noId, "STATIC", "State Tax:", SS_RIGHT, 0, 3, 5, 65, 12);
    t.add(noId, "STATIC", "County Tax:", SS_RIGHT, 0, 3, 25, 65, 12);
    t.add(noId, "STATIC", "Local Tax:", SS_RIGHT, 0, 3, 45, 65, 12);
    t.add(noId, "STATIC", "District Tax:", SS_RIGHT, 0, 3, 65, 65, 12);
    t.add(idStore, "BUTTON", "&Ok", BS_PUSHBUTTON | WS_TABSTOP, 0, 120, 25, 40, 30);
    return t;
}

}  // namespace

std::optional<SalesTaxRates> askSalesTaxRates(HWND owner, const SalesTaxRates& now) {
    shown = now;
    cDialogTemplate t = salesTaxTemplate();
    if (t.runModal(owner, salesTaxProc) != IDOK) return std::nullopt;
    return accepted;
}

SalesTaxRates currentSalesTaxRates() { return {{stateTaxRate, countyTaxRate, localTaxRate, districtTaxRate}}; }

void storeSalesTaxRates(const SalesTaxRates& r) {
    stateTaxRate = r.rates[0];
    countyTaxRate = r.rates[1];
    localTaxRate = r.rates[2];
    districtTaxRate = r.rates[3];
    recomputeCombinedRate();
    settingsChanged = true;
}
