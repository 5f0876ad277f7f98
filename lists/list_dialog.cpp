#include "lists/list_dialog.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ledger/changes.h"
#include "ledger/tables.h"
#include "ledger/tax_arithmetic.h"
#include "lists/list_maintenance.h"
#include "lists/tax_line_dialog.h"
#include "lists/tax_lines.h"
#include "text/date_text.h"
#include "text/plain_text.h"
#include "ui/dialog_template.h"

namespace {

enum : int {
    idEntryList = 5000,
    idEntryText = 5001,
    idServices = 3002,  // then Earnings, Products, Expenses in tab order
    idUnused = 3006,
    idAdd = 5002,
    idChange = 5003,
    idDelete = 5004,
    idReset = 3024,
    idTaxLine = 5005,      // descriptions only
    idTaxLineShown = 5006,
};

// Valid while the dialog is open.
struct {
    HWND dialog = nullptr;
    HWND list = nullptr;
    int shownGroup = 1;
    int shownCount = 0;
    std::string oldText;  // text loaded by the first press of "Change"
    bool unusedView = false;
    bool initialising = false;
    HWND owner = nullptr;          // disabled while the dialog is open
    bool ownerWasEnabled = false;
} state;

ListKind kind() { return listKind == descrList ? descrList : nameList; }

HWND item(int id) { return GetDlgItem(state.dialog, id); }

void enable(int id, bool on) { EnableWindow(item(id), on ? TRUE : FALSE); }

std::string editText() { return typedText(item(idEntryText)); }

void setEditText(const std::string& s) { SetWindowTextA(item(idEntryText), s.c_str()); }

// The sorted list box puts each text where it belongs; its entry number goes
// on the item the add returned, so equal texts keep their own numbers.
void addItem(const std::string& text, int entry) {
    // Shown as the main list shows it: a tab or line break from a file
    // would break the item's line. The entry itself keeps its text.
    std::string shown = blankControls(text);
    LRESULT at = SendMessageA(state.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    if (at >= 0) SendMessageA(state.list, LB_SETITEMDATA, static_cast<WPARAM>(at), entry);
}

int itemCount() { return static_cast<int>(SendMessageA(state.list, LB_GETCOUNT, 0, 0)); }

int entryAt(int index) { return static_cast<int>(SendMessageA(state.list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0)); }

int selectedEntry() {
    LRESULT sel = SendMessageA(state.list, LB_GETCURSEL, 0, 0);
    return sel == LB_ERR ? 0 : entryAt(static_cast<int>(sel));
}

// The description selected in a group's view, with its group and text;
// false in the names list, the unused view or with nothing selected.
bool selectedDescription(uint8_t& group, std::string& text) {
    int e = selectedEntry();
    if (kind() != descrList || state.unusedView || e <= 0 || e > descrCount || descriptions[e].empty()) return false;
    group = static_cast<uint8_t>(descriptions[e][0]);
    text = entryText(descriptions[e]);
    return true;
}

// Products go to the form by their type and the mileage by its miles: only
// other descriptions are given a line.
bool takesALine(uint8_t group, const std::string& text) {
    if (group == typeExpense && isMileageDescription(text)) return false;
    return !assignableLines(taxFormFor(currentLocalYear()), group).empty();
}

// The selected description's line on this year's form.
std::string taxLineText() {
    uint8_t group = 0;
    std::string text;
    if (!selectedDescription(group, text)) return "";
    if (group == typeExpense && isMileageDescription(text)) return "Mileage: miles go to lines 9 and 44a";
    if (!takesALine(group, text)) return "";
    const TaxForm& form = taxFormFor(currentLocalYear());
    LineChoice choice = lineChoiceFor(ledger.beside.tax, group, text);
    // A line the group may not go to (from a side file edited by hand)
    // counts as none, as on the worksheet.
    bool fits = choice.key == leftOutKey;
    for (const TaxFormLine* l : assignableLines(form, group)) fits = fits || choice.key == l->key;
    if (!fits) return "No tax line";
    return (choice.confirmed ? "" : "Proposed: ") + lineCaption(form, choice.key);
}

// Follows the selection; the names list has neither control.
void showTaxLine() {
    if (kind() != descrList) return;
    std::string shown = taxLineText();
    if (windowText(item(idTaxLineShown)) != shown) SetWindowTextA(item(idTaxLineShown), shown.c_str());
    uint8_t group = 0;
    std::string text;
    enable(idTaxLine, selectedDescription(group, text) && takesALine(group, text));
}

// The program's own selections send no notification; what they highlight is
// what a later "Change" or "Delete " works on, so it becomes the chosen entry.
void highlight(int index) {
    SendMessageA(state.list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    chosenEntry = selectedEntry();
}

void highlightEntry(int entry) {
    for (int i = 0, n = itemCount(); i < n; ++i)
        if (entryAt(i) == entry) return highlight(i);
    highlight(-1);
}

int fillGroupList(ListKind k, int group) {
    SendMessageA(state.list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(state.list, LB_RESETCONTENT, 0, 0);
    std::vector<ListItem> items = groupEntries(k, group);
    for (const ListItem& it : items) addItem(it.text, it.entry);
    SendMessageA(state.list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(state.list, nullptr, TRUE);
    return static_cast<int>(items.size());
}

int fillUnusedList(ListKind k) {
    SendMessageA(state.list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(state.list, LB_RESETCONTENT, 0, 0);
    std::vector<int> unused = unusedEntries(k);
    const std::string* list = k == descrList ? descriptions.data() : names.data();
    for (int e : unused) addItem(entryText(list[e]), e);
    SendMessageA(state.list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(state.list, nullptr, TRUE);
    return static_cast<int>(unused.size());
}

void refill() {
    state.shownCount = state.unusedView ? fillUnusedList(kind()) : fillGroupList(kind(), state.shownGroup);
}

void setResetCaption() { SetWindowTextA(item(idReset), state.unusedView ? "Delete All" : "Reset"); }

void reset() {
    enable(idEntryText, true);
    enable(idAdd, true);
    enable(idChange, true);
    enable(idDelete, true);
    setEditText("");
    state.unusedView = false;
    state.oldText.clear();
    setResetCaption();
}

void showGroup(int group) {
    state.shownGroup = group;
    state.unusedView = false;
    state.shownCount = fillGroupList(kind(), group);
    reset();
}

void showUnused() {
    state.unusedView = true;
    state.shownCount = fillUnusedList(kind());
    state.oldText.clear();
    enable(idEntryText, false);
    enable(idAdd, false);
    enable(idChange, false);
    enable(idDelete, true);  // the one thing this view is for
    setResetCaption();
}

void listNotified(int code) {
    chosenEntry = selectedEntry();
    if (state.unusedView && chosenEntry != 0) setEditText(entryTypeText(kind(), chosenEntry));
    // A double click is "Change", where "Change" can be pressed: in the
    // unused view it would move an entry of another group into this one.
    if (code == LBN_DBLCLK && IsWindowEnabled(item(idChange))) SendMessageA(item(idChange), BM_CLICK, 0, 0);
}

void taxLinePressed() {
    uint8_t group = 0;
    std::string text;
    if (selectedDescription(group, text) && takesALine(group, text))
        chooseTaxLine(state.dialog, group, text, currentLocalYear());
}

void addPressed() {
    std::string s = editText();
    const int countBefore = kind() == descrList ? descrCount : nameCount;
    int entry = addEntry(kind(), static_cast<uint8_t>(state.shownGroup), s);
    // A refused text (list full, too long) stays in the box to be corrected.
    if (entry == 0 && !s.empty()) return;
    // An entry added is a step of the history, which marks the books changed
    // until Undo takes it back; a text that was there already marks them
    // changed all the same.
    if ((kind() == descrList ? descrCount : nameCount) == countBefore)
        markLedgerChanged();
    else
        commitStep(kind() == descrList ? "Add description" : "Add name");
    setEditText("");
    refill();
    highlightEntry(entry);
}

void changePressed() {
    enable(idAdd, false);
    enable(idDelete, false);
    int selected = selectedEntry();
    if (selected == 0) return;
    std::string s = editText();
    if (s.empty()) {
        chosenEntry = selected;
        const std::string& entry = kind() == descrList ? descriptions[selected] : names[selected];
        state.oldText = blankControls(entryText(entry));  // as the box will give it back
        setEditText(state.oldText);
        return;
    }
    if (s == state.oldText) return;
    // The highlighted item is what the user sees being renamed.
    chosenEntry = selected;
    bool tooLong = !fitsListEntry(s);
    int renamed = changeEntry(kind(), chosenEntry, static_cast<uint8_t>(state.shownGroup), s);
    commitStep(kind() == descrList ? "Rename description" : "Rename name");
    if (renamed == 0) {
        // A text refused with a message stays for correcting; "No" to
        // combining drops the change.
        if (!tooLong) reset();
        return;
    }
    setEditText("");
    state.oldText.clear();
    refill();
    highlightEntry(renamed);
    enable(idAdd, true);
    enable(idDelete, true);
}

void deletePressed() {
    LRESULT position = SendMessageA(state.list, LB_GETCURSEL, 0, 0);
    if (position == LB_ERR) return;
    chosenEntry = entryAt(static_cast<int>(position));
    if (!deleteEntry(kind(), chosenEntry)) return;
    commitStep(kind() == descrList ? "Delete description" : "Delete name");
    refill();
    int n = itemCount();
    highlight(n == 0 ? -1 : std::min(static_cast<int>(position), n - 1));
}

void deleteAllPressed() {
    std::vector<int> shown;
    for (int i = 0; i < state.shownCount && i < itemCount(); ++i) shown.push_back(entryAt(i));
    // As with Add: the removals are a step; none at all still marks the books.
    if (deleteUnusedEntries(kind(), shown) == 0)
        markLedgerChanged();
    else
        commitStep(kind() == descrList ? "Delete unused descriptions" : "Delete unused names");
    state.shownCount = fillUnusedList(kind());
    chosenEntry = 0;
}

// Back to the state the owner had before the dialog disabled it. Done
// before the dialog goes, so the owner can take the activation.
void restoreOwner() {
    if (state.owner && state.ownerWasEnabled) EnableWindow(state.owner, TRUE);
}

void centreOnScreen(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0,
                 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void initialise(HWND hwnd) {
    state.initialising = true;
    state.dialog = hwnd;
    state.list = GetDlgItem(hwnd, idEntryList);
    addSelectAllKey(hwnd);
    SetWindowTextA(hwnd, kind() == descrList ? "List of Descriptions" : "List of Names");
    centreOnScreen(hwnd);
    CheckRadioButton(hwnd, idServices, idUnused, idServices);
    state.shownGroup = 1;
    state.unusedView = false;
    state.oldText.clear();
    state.shownCount = fillGroupList(kind(), 1);
    showTaxLine();
    state.initialising = false;
}

void command(int id, int code) {
    if (id == IDCANCEL) {
        restoreOwner();
        EndDialog(state.dialog, IDCANCEL);
        return;
    }
    if (id == idEntryList) return listNotified(code);
    if (code != BN_CLICKED || !IsWindowEnabled(item(id))) return;
    // The buttons in the order of the main window's tabs after the first.
    static const int groupOfButton[] = {typeService, typeEarnings, typeSold, typeExpense};
    if (id >= idServices && id < idUnused) return showGroup(groupOfButton[id - idServices]);
    switch (id) {
    case idUnused:
        return showUnused();
    case idAdd:
        return addPressed();
    case idChange:
        return changePressed();
    case idDelete:
        return deletePressed();
    case idReset:
        return state.unusedView ? deleteAllPressed() : reset();
    case idTaxLine:
        return taxLinePressed();
    }
}

INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        initialise(hwnd);
        return TRUE;
    case WM_COMMAND:
        // Behind its own question or the Schedule C Line dialog the list is
        // disabled: a click posted to one of its buttons meanwhile would
        // start a second command inside the first.
        if (!state.initialising && IsWindowEnabled(hwnd)) {
            command(LOWORD(wp), HIWORD(wp));
            // Whatever a command changed (the selection, the group shown,
            // an entry renamed or its line chosen) shows at once.
            if (state.dialog && IsWindow(state.dialog)) showTaxLine();
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void showListMaintenance(HWND owner, int kind) {
    listKind = kind == 1 ? descrList : nameList;
    state = {};
    state.owner = owner;
    state.ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (owner) EnableWindow(owner, FALSE);

    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME, 0, 0, 0, 170, 260,
                      "Process Names List");
    t.add(idEntryList, "LISTBOX", "", LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 10, 10, 140,
          100);
    t.add(idEntryText, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 10, 110, 140, 12);
    const char* const groups[] = {"Services", "Earnings", "Products", "Expenses", "Unused"};
    for (int i = 0; i < 5; ++i)
        t.add(idServices + i, "BUTTON", groups[i], BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), 0, 20,
              static_cast<short>(135 + 15 * i), 60, 12);
    t.add(idAdd, "BUTTON", "Add", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 100, 135, 50, 20);
    t.add(idChange, "BUTTON", "Change", BS_PUSHBUTTON | WS_TABSTOP, 0, 100, 160, 50, 20);
    t.add(idDelete, "BUTTON", "Delete ", BS_PUSHBUTTON | WS_TABSTOP, 0, 100, 185, 50, 20);
    t.add(idReset, "BUTTON", "Reset", BS_PUSHBUTTON | WS_TABSTOP, 0, 100, 210, 50, 20);
    if (listKind == descrList) {
        t.add(idTaxLineShown, "STATIC", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 10, 123, 140, 10);
        t.add(idTaxLine, "BUTTON", "Tax line...", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 0, 100, 235, 50, 20);
    }
    t.runModal(nullptr, dialogProc);

    restoreOwner();
    if (owner && state.ownerWasEnabled && IsWindowVisible(owner)) SetActiveWindow(owner);
    state = {};
}
