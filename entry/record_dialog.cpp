#include "entry/record_dialog.h"

#include <cctype>
#include <cmath>
#include <vector>

#include "ledger/tax_arithmetic.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "lists/descr_name_boxes.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "text/plain_text.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

std::string rememberedYear;
double workingRate = 0;
int appliedTaxMode = 0;
POINT viewPosition = {0, 0};

namespace {

constexpr INT_PTR reopenView = 100;  // the view ended by "&Next" or "&Prev"

const DWORD dialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
const DWORD editStyle = WS_TABSTOP | ES_AUTOHSCROLL;
const DWORD readOnlyStyle = ES_READONLY;
const DWORD comboStyle = CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | CBS_DISABLENOSCROLL | WS_VSCROLL | WS_TABSTOP;
const DWORD optionStyle = BS_AUTORADIOBUTTON | WS_TABSTOP;
const DWORD groupButtonStyle = BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP;

// The transaction a dialog shows or changes, and the type its layout is
// for (set when the dialog is asked for, before its template is built).
struct ShownRecord {
    int type = 0;         // 1..6
    int transaction = 0;  // 0: a new one
};
ShownRecord shownRecord;

// The record view's place in the list it steps through.
struct ViewState {
    const std::vector<int>* shown = nullptr;  // transaction numbers by display position
    ViewStep step;
    bool stepped = false;  // "&Next" or "&Prev" ended the view
};
ViewState view;

// The entry dialog while it is open (one at a time: it is modal).
struct EntryState {
    bool initialising = false;   // WM_INITDIALOG's own fills raise no reactions
    bool changing = false;       // changing shownRecord.transaction rather than adding
    bool refillingRate = false;  // the rate box is being refilled with the combined rate
    bool completing = false;     // type-ahead is putting a whole item into a box
    Transaction result;          // what "&OK" accepted
};
EntryState entry;

std::string boxText(HWND dialog, int id) { return controlText(dialog, id); }

void setBoxText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

double boxNumber(HWND dialog, int id) { return readNumber(boxText(dialog, id)); }

void setCheck(HWND dialog, int id, bool on) {
    if (HWND b = GetDlgItem(dialog, id)) SendMessageA(b, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void focusControl(HWND dialog, HWND control) {
    if (control) SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

// A child created after the template, in the dialog's font, at a place in
// dialog units converted as the dialog manager converts its own controls.
HWND createChild(HWND dialog, const char* cls, const char* text, DWORD style, DWORD exStyle, int id, int x, int y,
                 int cx, int cy) {
    RECT base = {0, 0, 4, 8};
    MapDialogRect(dialog, &base);
    HWND w = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, MulDiv(x, base.right, 4),
                             MulDiv(y, base.bottom, 8), MulDiv(cx, base.right, 4), MulDiv(cy, base.bottom, 8), dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(w, WM_SETFONT, static_cast<WPARAM>(SendMessageA(dialog, WM_GETFONT, 0, 0)), FALSE);
    return w;
}

// Replaces the tax box by an editable or a read-only one at the same place
// and the same position in the tab order.
HWND recreateTaxBox(HWND dialog, bool editable) {
    HWND old = GetDlgItem(dialog, idTaxBox);
    HWND before = old ? GetWindow(old, GW_HWNDPREV) : nullptr;
    if (old) DestroyWindow(old);
    HWND box = createChild(dialog, "EDIT", "", editable ? editStyle : readOnlyStyle, WS_EX_CLIENTEDGE, idTaxBox,
                           50, 125, 40, 12);
    SetWindowPos(box, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    addSelectAllKey(box);
    return box;
}

// " Miles:" over the amount label: the new label lies above it, and the old
// one is clipped where the new one covers it, whatever order they paint in.
void showMilesLabel(HWND dialog) {
    HWND label = createChild(dialog, "STATIC", " Miles:", SS_RIGHT, 0, noId, 3, 65, 45, 12);
    SetWindowPos(label, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (HWND amountLabel = GetDlgItem(dialog, idAmountLabel))
        SetWindowLongA(amountLabel, GWL_STYLE, GetWindowLongA(amountLabel, GWL_STYLE) | WS_CLIPSIBLINGS);
}

// The date box is just wide enough for "MM-DD": give the text the room the
// edit's standard margins would take.
void narrowDateMargins(HWND dialog) {
    SendMessageA(GetDlgItem(dialog, idDateBox), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
}

bool validType() { return shownRecord.type >= 1 && shownRecord.type <= 6; }

std::string entryCaption(bool changing) {
    std::string kind = "product";
    if (!isProductType(shownRecord.type)) {
        kind = typeNames[static_cast<size_t>(shownRecord.type)];
        for (char& c : kind) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return (changing ? "Change " : "Add new ") + kind + " transaction";
}

std::string viewCaption() {
    return (isProductType(shownRecord.type) ? std::string("product") : typeNames[static_cast<size_t>(shownRecord.type)]) +
           " transaction";
}

void addLabel(cDialogTemplate& t, int id, const char* text, short x, short y, short cx, DWORD extra = 0) {
    t.add(id, "STATIC", text, SS_RIGHT | extra, 0, x, y, cx, 12);
}

void addFieldLabels(cDialogTemplate& t, const char* amountLabel) {
    addLabel(t, noId, "Date:", 3, 5, 45);
    addLabel(t, noId, "Year:", 100, 5, 18);
    addLabel(t, noId, "Descr:", 3, 25, 45);
    addLabel(t, noId, "Name:", 3, 45, 45);
    addLabel(t, idAmountLabel, amountLabel, 3, 65, 45);
}

cDialogTemplate entryTemplate(bool changing) {
    bool product = isProductType(shownRecord.type);
    cDialogTemplate t(dialogStyle | DS_CENTER, 0, 0, 0, 250, product ? 220 : 105, entryCaption(changing));
    t.add(idDateBox, "EDIT", "", editStyle, WS_EX_CLIENTEDGE, 50, 5, 25, 12);
    t.add(idYearBox, "EDIT", rememberedYear, editStyle, WS_EX_CLIENTEDGE, 121, 5, 25, 12);
    t.add(idDescrBox, "COMBOBOX", "", comboStyle, 0, 50, 25, 90, 100);
    t.add(idNameBox, "COMBOBOX", "", comboStyle, 0, 50, 45, 90, 100);
    t.add(idAmountBox, "EDIT", "", editStyle, WS_EX_CLIENTEDGE, 50, 65, 40, 12);
    addFieldLabels(t, product ? "Orig Cost:" : "Amount:");
    if (!product) {
        t.add(idSave, "BUTTON", "&OK", BS_PUSHBUTTON | WS_TABSTOP, 0, 200, 5, 40, 30);
        return t;
    }
    t.add(idSold, "BUTTON", "&Sold", optionStyle, 0, 110, 65, 35, 12);
    t.add(idBought, "BUTTON", "&Bought", optionStyle, 0, 148, 65, 40, 12);
    t.add(idPersonal, "BUTTON", "&Personal", optionStyle, 0, 190, 65, 40, 12);
    addLabel(t, noId, "Handling:", 3, 85, 45, WS_GROUP);  // ends the product-kind group
    addLabel(t, noId, "Shipping:", 3, 105, 45);
    addLabel(t, noId, "Sales Tax:", 3, 125, 45);
    addLabel(t, noId, "%", 95, 125, 12);
    addLabel(t, noId, "Total:", 3, 145, 45);
    t.add(idHandlingBox, "EDIT", "", editStyle, WS_EX_CLIENTEDGE, 50, 85, 40, 12);
    t.add(idShippingBox, "EDIT", "", editStyle, WS_EX_CLIENTEDGE, 50, 105, 40, 12);
    t.add(idTaxBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 125, 40, 12);
    t.add(idRateBox, "EDIT", "", editStyle, WS_EX_CLIENTEDGE, 110, 125, 30, 12);
    t.add(idTotalBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 145, 40, 12);
    t.add(idTaxAdded, "BUTTON", "Tax to be added", optionStyle, 0, 160, 108, 80, 12);
    t.add(idTaxIncluded, "BUTTON", "&Tax already included", optionStyle, 0, 160, 120, 80, 12);
    t.add(idTaxSpecified, "BUTTON", "&Specify tax", optionStyle, 0, 160, 132, 80, 12);
    t.add(idResale, "BUTTON", "Resale - no tax", optionStyle, 0, 160, 144, 80, 12);
    t.add(idClear, "BUTTON", "C&lear", groupButtonStyle, 0, 10, 170, 50, 22);
    t.add(idSave, "BUTTON", "&OK", groupButtonStyle, 0, 130, 170, 50, 22);
    t.add(IDCANCEL, "BUTTON", "Cancel", groupButtonStyle, 0, 182, 170, 50, 22);
    return t;
}

cDialogTemplate viewTemplate() {
    bool product = isProductType(shownRecord.type);
    cDialogTemplate t(dialogStyle, 0, static_cast<short>(viewPosition.x), static_cast<short>(viewPosition.y), 250,
                      product ? 185 : 100, viewCaption());
    t.add(idDateBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 5, 25, 12);
    t.add(idYearBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 121, 5, 25, 12);
    t.add(idDescrBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 25, 80, 12);
    t.add(idNameBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 45, 90, 12);
    t.add(idAmountBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 65, 40, 12);
    addFieldLabels(t, "Amount:");
    t.add(idNext, "BUTTON", "&Next", BS_PUSHBUTTON | WS_TABSTOP, 0, 200, 5, 40, 20);
    t.add(idPrev, "BUTTON", "&Prev", BS_PUSHBUTTON | WS_TABSTOP, 0, 200, 30, 40, 20);
    if (!product) return t;
    t.add(idSold, "BUTTON", "&Sold", BS_AUTORADIOBUTTON | WS_DISABLED, 0, 110, 65, 35, 12);
    t.add(idBought, "BUTTON", "&Bought", BS_AUTORADIOBUTTON | WS_DISABLED, 0, 148, 65, 40, 12);
    t.add(idPersonal, "BUTTON", "&Personal", BS_AUTORADIOBUTTON | WS_DISABLED, 0, 190, 65, 40, 12);
    t.add(idHandlingBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 85, 40, 12);
    t.add(idShippingBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 105, 40, 12);
    t.add(idTaxBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 125, 40, 12);
    t.add(idTotalBox, "EDIT", "", readOnlyStyle, WS_EX_CLIENTEDGE, 50, 145, 40, 12);
    addLabel(t, noId, "Handling:", 3, 85, 45);
    addLabel(t, noId, "Shipping:", 3, 105, 45);
    addLabel(t, noId, "Sales Tax:", 3, 125, 45);
    addLabel(t, noId, "Total:", 3, 145, 45);
    return t;
}

// --- Entry dialog reactions ---

// A money box read as "&OK" will read it: false while it holds no number
// that can be stored (an empty box is a number, 0).
bool amountBox(HWND dialog, int id, int32_t& cents, double& typed) {
    TypedAmount reading = readTypedAmount(boxText(dialog, id), cents, typed);
    return reading == TypedAmount::number || reading == TypedAmount::empty;
}

// The sum of the boxes as they will be stored, so that the total shown is
// the total the list will show; empty while a box holds no number.
void recomputeTotal(HWND dialog) {
    std::vector<int> boxes = {idAmountBox, idHandlingBox, idShippingBox};
    if (checkedOption(dialog, idTaxAdded, idResale) != 2) boxes.push_back(idTaxBox);
    int64_t sum = 0;
    for (int id : boxes) {
        int32_t cents = 0;
        double typed = 0;
        if (!amountBox(dialog, id, cents, typed)) {
            setBoxText(dialog, idTotalBox, "");
            return;
        }
        sum += cents;
    }
    setBoxText(dialog, idTotalBox, formatMask(static_cast<double>(sum) / 100, "0.00"));
}

void applyTaxMode(HWND dialog, int mode) {
    int32_t cents = 0;
    double amount = 0;
    bool isNumber = amountBox(dialog, idAmountBox, cents, amount);
    if (mode == modeTaxSpecified && appliedTaxMode != modeTaxSpecified)
        focusControl(dialog, recreateTaxBox(dialog, true));
    else if (mode != modeTaxSpecified && appliedTaxMode == modeTaxSpecified)
        recreateTaxBox(dialog, false);
    setBoxText(dialog, idAmountLabel, mode == modeTaxIncluded ? "Amt Paid:" : "Orig Cost:");
    double tax = 0;
    if (isNumber) computeSalesTax(mode, amount, workingRate, tax);
    appliedTaxMode = mode;
    setBoxText(dialog, idTaxBox, "");
    if (tax != 0) setBoxText(dialog, idTaxBox, formatMask(tax, "0.00"));
    recomputeTotal(dialog);
}

void reapplyCheckedMode(HWND dialog) {
    int option = checkedOption(dialog, idTaxAdded, idResale);
    if (option) applyTaxMode(dialog, option - 1);
}

void rateChanged(HWND dialog) {
    workingRate = boxNumber(dialog, idRateBox) / 100;
    // The refill is itself a change of the rate box; with a combined rate of
    // 0 it reads 0 again, so only the user's change may refill.
    if (workingRate == 0 && !entry.refillingRate) {
        entry.refillingRate = true;
        setBoxText(dialog, idRateBox, plainNumberText(100 * combinedTaxRate));
        entry.refillingRate = false;
    }
    reapplyCheckedMode(dialog);
}

// Completes what the user typed with the first item that begins with it,
// leaving the completed part selected so that typing on replaces it.
void typeAhead(HWND box) {
    if (entry.completing) return;
    std::string typed = typedText(box);
    if (typed.empty()) return;
    // The box's own search also matches after a leading "[" and compares
    // linguistically; only an item that begins with the typed text will do.
    std::vector<BoxItem> items = boxItems(box);
    int at = findBoxItemStarting(items, typed);
    if (at < 0) return;
    const std::string& full = items[static_cast<size_t>(at)].first;
    entry.completing = true;
    SetWindowTextA(box, full.c_str());
    SendMessageA(box, CB_SETEDITSEL, 0, MAKELPARAM(typed.size(), full.size()));
    entry.completing = false;
}

void clearEntries(HWND dialog) {
    const int boxes[] = {idDateBox,     idYearBox,     idDescrBox, idNameBox, idAmountBox,
                         idHandlingBox, idShippingBox, idTaxBox,   idRateBox};
    for (int id : boxes) setBoxText(dialog, id, "");
    setCheck(dialog, idSold, true);
    setCheck(dialog, idBought, false);
    setCheck(dialog, idPersonal, false);
    setCheck(dialog, idTaxAdded, false);
    setCheck(dialog, idTaxIncluded, false);
    setBoxText(dialog, idRateBox, formatMask(100 * combinedTaxRate, "0.000"));
    SendMessageA(GetDlgItem(dialog, idTaxBox), EM_SETREADONLY, FALSE, 0);
}

// The entry a description or name box names, asking before a new text is
// added. False when the text was to be added but the list refused it.
bool chooseEntry(HWND dialog, int id, ListKind kind, uint8_t group, const char* question, uint16_t& index) {
    index = 0;
    std::string text = trimBlanks(boxText(dialog, id));
    if (text.empty()) return true;
    HWND box = GetDlgItem(dialog, id);
    // Exactly this text, letter case ignored, as the filter dialog matches it:
    // the box's own search compares linguistically ("ss" would match a
    // sharp s, and a soft hyphen would not count).
    std::vector<BoxItem> items = boxItems(box);
    int at = findBoxItem(items, text);
    if (at >= 0) {
        index = static_cast<uint16_t>(items[static_cast<size_t>(at)].second);
        return true;
    }
    if (showMessage(question, text, mb::yesNo | mb::iconQuestion) != mb::idYes) return true;
    index = static_cast<uint16_t>(appendListEntry(kind, group, text));
    return index != 0;
}

// A description or name longer than a list entry holds is refused whole,
// never cut: the box keeps it, selected, for the user to shorten.
bool fitsBox(HWND dialog, int id, const char* what) {
    if (fitsListEntry(trimBlanks(boxText(dialog, id)))) return true;
    showMessage(tooLongMessage(what), "Quirvel", mb::ok | mb::iconExclamation);
    focusControl(dialog, GetDlgItem(dialog, id));
    return false;
}

// Reads a money box into cents; text that is not a number, or one beyond the
// stored range, is refused rather than cut short or clamped, so what is
// stored is always what was typed.
bool readAmount(HWND dialog, int id, int32_t& cents) {
    double typed = 0;
    TypedAmount reading = readTypedAmount(boxText(dialog, id), cents, typed);
    if (reading == TypedAmount::notNumber) {
        showMessage("Illegal amount", "", mb::ok | mb::iconStop);
    } else if (reading == TypedAmount::outOfRange) {
        showMessage("This amount is too large: amounts must lie between -21474836.48 and 21474836.47.", "Quirvel",
                    mb::ok | mb::iconExclamation);
    } else {
        return true;
    }
    focusControl(dialog, GetDlgItem(dialog, id));
    return false;
}

void save(HWND dialog) {
    std::string dateText = boxText(dialog, idDateBox);
    std::string yearText = boxText(dialog, idYearBox);
    rememberedYear = yearText;
    std::string fixed = normalizeDateText(dateText + "-" + yearText);
    if (fixed.empty() || !dayFitsMonth(fixed)) {
        showMessage("Illegal date", "", mb::ok | mb::iconStop);
        focusControl(dialog, GetDlgItem(dialog, idDateBox));
        return;
    }
    Transaction record;
    // Checked before any question, so that a refused amount adds nothing to
    // the lists either.
    if (!readAmount(dialog, idAmountBox, record.amount) || !readAmount(dialog, idHandlingBox, record.handling) ||
        !readAmount(dialog, idShippingBox, record.shipping) || !readAmount(dialog, idTaxBox, record.salesTax))
        return;
    record.date = packDate(fixed);
    record.type = static_cast<uint8_t>(shownRecord.type);
    uint8_t group = listGroupOf(shownRecord.type);
    if (isProductType(shownRecord.type)) {
        int kind = checkedOption(dialog, idSold, idPersonal);
        record.type = static_cast<uint8_t>(2 + (kind ? kind : 1));
    }
    if (!entry.changing && transactionCount >= maxTransactions) {
        // Refused (with placeTransaction's message) before a new description
        // or name is added to the lists for a record that cannot be stored.
        placeTransaction(record);
        return;
    }
    if (!fitsBox(dialog, idDescrBox, "description") || !fitsBox(dialog, idNameBox, "name")) return;
    if (!chooseEntry(dialog, idDescrBox, descrList, group, "Ok to add this description?", record.descrIndex)) return;
    if (!chooseEntry(dialog, idNameBox, nameList, group, "Ok to add this name?", record.nameIndex)) return;
    record.taxMode = static_cast<uint8_t>(checkedOption(dialog, idTaxAdded, idResale) - 1);
    record.taxRate = static_cast<float>(boxNumber(dialog, idRateBox));
    record.reserved = 0;
    if (record.descrIndex == 0 && record.nameIndex == 0) {
        showMessage("No description or name entered", "", mb::ok | mb::iconExclamation);
        return;
    }
    if (record.amount == 0) {
        showMessage("No amount specified", "", mb::ok | mb::iconExclamation);
        focusControl(dialog, GetDlgItem(dialog, idAmountBox));
        return;
    }
    entry.result = record;  // the command that opened the dialog stores it
    EndDialog(dialog, IDOK);
}

void entryCommand(HWND dialog, int id, int code) {
    bool product = isProductType(shownRecord.type);
    switch (id) {
    case idDescrBox:
    case idNameBox:
        if (code == CBN_EDITCHANGE) typeAhead(GetDlgItem(dialog, id));
        break;
    case idSold:
    case idBought:
    case idPersonal:
        if (code == BN_CLICKED) ShowWindow(GetDlgItem(dialog, idResale), id == idSold ? SW_SHOW : SW_HIDE);
        break;
    case idTaxAdded:
    case idTaxIncluded:
    case idTaxSpecified:
    case idResale:
        if (code == BN_CLICKED) applyTaxMode(dialog, id - idTaxAdded);
        break;
    case idRateBox:
        if (product && code == EN_CHANGE) rateChanged(dialog);
        break;
    case idAmountBox:
        if (product && code == EN_CHANGE) reapplyCheckedMode(dialog);
        break;
    case idHandlingBox:
    case idShippingBox:
    case idTaxBox:
        if (product && code == EN_CHANGE) recomputeTotal(dialog);
        break;
    case idClear:
        if (code == BN_CLICKED) clearEntries(dialog);
        break;
    case idSave:
        if (code == BN_CLICKED) save(dialog);
        break;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        break;
    default:
        break;
    }
}

// A rate from the file worth showing: not 0, and a number the rate box can
// hold (a damaged file may carry anything in its four bytes).
bool storedRateUsable(float rate) { return std::isfinite(rate) && rate != 0 && std::fabs(rate) < 1000; }

BOOL initEntry(HWND dialog) {
    entry.initialising = true;
    addSelectAllKey(dialog);
    narrowDateMargins(dialog);
    fillDescrNameBoxes(dialog, shownRecord.type);
    workingRate = combinedTaxRate;
    setBoxText(dialog, idRateBox, formatMask(100 * combinedTaxRate, "0.000"));
    if (entry.changing) {
        const Transaction& r = transactions[static_cast<size_t>(shownRecord.transaction)];
        loadRecordIntoDialog(dialog);
        appliedTaxMode = r.taxMode;
        // A correction keeps the rate the transaction was recorded at, so
        // that a changed price is taxed as the original was. A rate of 0
        // (a resale, or none used) starts from today's rate as an add does.
        if (isProductType(shownRecord.type) && storedRateUsable(r.taxRate)) {
            setBoxText(dialog, idRateBox, formatMask(r.taxRate, "0.000"));
            workingRate = boxNumber(dialog, idRateBox) / 100;
        }
    } else {
        setCheck(dialog, idSold, true);
        setCheck(dialog, idTaxAdded, true);
        SetFocus(GetDlgItem(dialog, idDateBox));
        appliedTaxMode = modeTaxAdded;
    }
    entry.initialising = false;
    return entry.changing ? TRUE : FALSE;  // a change starts in the first box
}

INT_PTR CALLBACK entryProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        return initEntry(dialog);
    case WM_COMMAND:
        if (!entry.initialising) entryCommand(dialog, LOWORD(wp), HIWORD(wp));
        return TRUE;
    default:
        return FALSE;
    }
}

// --- Record view ---

// Where the view's client area lies, in dialog units from its owner's
// client origin: the place the next view opens at.
POINT viewOrigin(HWND dialog) {
    POINT p = {0, 0};
    ClientToScreen(dialog, &p);
    if (HWND owner = GetWindow(dialog, GW_OWNER)) ScreenToClient(owner, &p);
    RECT base = {0, 0, 4, 8};
    MapDialogRect(dialog, &base);
    if (base.right > 0) p.x = MulDiv(p.x, 4, base.right);
    if (base.bottom > 0) p.y = MulDiv(p.y, 8, base.bottom);
    return p;
}

int transactionAt(const std::vector<int>& shown, int position) {
    if (position < 1 || position > static_cast<int>(shown.size())) return 0;
    int t = shown[static_cast<size_t>(position - 1)];
    return t >= 1 && t <= transactionCount ? t : 0;
}

void stepView(HWND dialog, int by) {
    int t = view.shown ? transactionAt(*view.shown, view.step.position + by) : 0;
    if (t == 0) return;
    viewPosition = viewOrigin(dialog);
    view.step = {view.step.position + by, by > 0 ? 0 : 1};
    view.stepped = true;
    EndDialog(dialog, reopenView);
}

INT_PTR CALLBACK viewProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        addSelectAllKey(dialog);
        narrowDateMargins(dialog);
        loadRecordIntoDialog(dialog);
        return FALSE;  // the loader put the focus on "&Prev" or "&Next"
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) EndDialog(dialog, IDCANCEL);
        if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == idNext) stepView(dialog, 1);
        if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == idPrev) stepView(dialog, -1);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int checkedOption(HWND dialog, int first, int last) {
    for (int id = first; id <= last; ++id) {
        HWND b = GetDlgItem(dialog, id);
        if (b && SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED) return id - first + 1;
    }
    return 0;
}

void loadRecordIntoDialog(HWND dialog) {
    if (shownRecord.transaction < 1 || shownRecord.transaction > transactionCount) return;
    const Transaction r = transactions[static_cast<size_t>(shownRecord.transaction)];
    std::string date = formatDate(r.date);
    setBoxText(dialog, idDateBox, date.substr(0, 5));
    setBoxText(dialog, idYearBox, date.substr(date.size() - 4));
    if (shownRecord.type == typeExpense && isMileageDescription(descriptionText(r.descrIndex))) showMilesLabel(dialog);
    // Shown as the list shows them, and as the box's items are: a tab or a
    // line break from a file would otherwise break the box's one line.
    setBoxText(dialog, idDescrBox, blankControls(descriptionText(r.descrIndex)));
    setBoxText(dialog, idNameBox, blankControls(nameText(r.nameIndex)));
    setBoxText(dialog, idAmountBox, formatAmount(r.amount));
    if (isProductType(shownRecord.type)) {
        if (HWND resale = GetDlgItem(dialog, idResale)) ShowWindow(resale, shownRecord.type == typeSold ? SW_SHOW : SW_HIDE);
        for (int id = idSold; id <= idPersonal; ++id) setCheck(dialog, id, id == idSold + (r.type - typeSold));
        setBoxText(dialog, idHandlingBox, formatAmount(r.handling));
        setBoxText(dialog, idShippingBox, formatAmount(r.shipping));
        for (int id = idTaxAdded; id <= idResale; ++id) setCheck(dialog, id, id == idTaxAdded + r.taxMode);
        // The view's amount label always reads "Amount:"; only the entry
        // dialog (the one with tax options) names what the amount holds.
        bool entryLayout = GetDlgItem(dialog, idTaxAdded) != nullptr;
        if (r.taxMode == modeTaxIncluded) {
            if (entryLayout) setBoxText(dialog, idAmountLabel, "Amt Paid:");
        } else {
            if (entryLayout) setBoxText(dialog, idAmountLabel, "Orig Cost:");
            if (r.taxMode == modeTaxSpecified) recreateTaxBox(dialog, true);
        }
        setBoxText(dialog, idTaxBox, formatAmount(r.salesTax));
        setBoxText(dialog, idTotalBox, formatAmount(transactionTotal(r)));
    }
    HWND next = GetDlgItem(dialog, idNext), prev = GetDlgItem(dialog, idPrev);
    if (next && prev) {
        HWND chosen = view.step.direction == 1 ? prev : next;
        SendMessageA(chosen == prev ? next : prev, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        focusControl(dialog, chosen);
        SendMessageA(chosen, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
}

std::optional<Transaction> askTransaction(HWND owner, const EntryRequest& request) {
    shownRecord = {request.type, request.transaction};
    if (request.transaction < 0 || request.transaction > transactionCount || !validType()) return std::nullopt;
    entry = EntryState{};
    entry.changing = request.transaction != 0;
    cDialogTemplate t = entryTemplate(entry.changing);
    if (t.runModal(owner, entryProc) != IDOK) return std::nullopt;
    return entry.result;
}

std::optional<ViewStep> showRecordView(HWND owner, const std::vector<int>& shown, ViewStep step) {
    int t = transactionAt(shown, step.position);
    if (t == 0) return std::nullopt;
    shownRecord = {transactions[static_cast<size_t>(t)].type, t};
    if (!validType()) return std::nullopt;
    view = {&shown, step, false};
    cDialogTemplate dialog = viewTemplate();
    bool stepped = dialog.runModal(owner, viewProc) == reopenView && view.stepped;
    ViewStep ended = view.step;
    view = {};
    if (!stepped) return std::nullopt;
    return ended;
}

void resetRecordDialogState() {
    rememberedYear.clear();
    workingRate = 0;
    appliedTaxMode = 0;
    viewPosition = {0, 0};
    shownRecord = {};
    view = {};
}
