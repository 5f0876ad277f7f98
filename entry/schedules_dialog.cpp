#include "entry/schedules_dialog.h"

#include <commctrl.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "entry/schedule_words.h"
#include "ledger/schedules.h"
#include "ledger/tax_arithmetic.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "text/plain_text.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

namespace {

// --- Helpers of both dialogs ---

HWND item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
void enable(HWND dialog, int id, bool on) { EnableWindow(item(dialog, id), on ? TRUE : FALSE); }
void setText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }
int comboChoice(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0)); }
void chooseInCombo(HWND dialog, int id, int at) { SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(at), 0); }
void fillCombo(HWND dialog, int id, const std::vector<std::string>& texts) {
    for (const std::string& t : texts) SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
}
bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// After its refusal a box keeps what was typed, selected, for the user to mend.
void focusBox(HWND dialog, int id) {
    if (!IsWindow(dialog)) return;
    HWND box = item(dialog, id);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
    SendMessageA(box, EM_SETSEL, 0, -1);
}

// --- The editor ---

struct Editor {
    Schedule start;
    std::optional<Schedule> result;
    bool initialising = true;
};

const int noTaxOption = -1;

bool productChosen(HWND dialog) { return isProductType(comboChoice(dialog, idScheduleType) + 1); }

// A whole number typed in a box: blanks around it allowed, nothing else.
// -1 for anything that is not one, or one too large for the field.
long typedWholeNumber(HWND dialog, int id) {
    std::string text = trimBlanks(controlText(dialog, id));
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return -1;
    long n = std::strtol(text.c_str(), nullptr, 10);
    return n <= 65535 ? n : -1;
}

// A rate in percent; nothing typed is no rate. Not a number reads as NaN,
// which scheduleProblem refuses with its message.
float typedRate(HWND dialog) {
    std::string text = trimBlanks(controlText(dialog, idScheduleRate));
    if (text.empty()) return 0;
    char* end = nullptr;
    errno = 0;
    double rate = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(rate)) return NAN;
    return static_cast<float>(rate);
}

// The tax box shows what "Tax to be added" and "Tax included" work out, as
// the entry dialog does; only "Tax specified" takes it typed.
void showTax(HWND dialog) {
    const int mode = comboChoice(dialog, idScheduleTaxOption);
    const bool product = productChosen(dialog);
    SendDlgItemMessageA(dialog, idScheduleTax, EM_SETREADONLY, product && mode == modeTaxSpecified ? FALSE : TRUE, 0);
    if (!product || mode == modeTaxSpecified) return;
    int32_t cents = 0;
    double amount = 0, tax = 0;
    const float rate = typedRate(dialog);
    if (mode == modeResale || readTypedAmount(controlText(dialog, idScheduleAmount), cents, amount) != TypedAmount::number ||
        std::isnan(rate) || !computeSalesTax(mode, amount, rate / 100.0, tax) || tax == 0) {
        setText(dialog, idScheduleTax, "");
        return;
    }
    setText(dialog, idScheduleTax, formatMask(tax, "0.00"));
}

// Only the boxes that mean something for what is chosen take input.
void enableParts(HWND dialog) {
    const bool product = productChosen(dialog);
    for (int id : {idScheduleHandling, idScheduleShipping, idScheduleTaxOption, idScheduleRate, idScheduleTax})
        enable(dialog, id, product);
    const int unit = comboChoice(dialog, idScheduleUnit);
    const bool byMonth = unit == ScheduleRule::months || unit == ScheduleRule::years;
    for (int id : {idScheduleOnDay, idScheduleLastDay, idScheduleNthWeekday}) enable(dialog, id, byMonth);
    enable(dialog, idScheduleDay, byMonth && checked(dialog, idScheduleOnDay));
    enable(dialog, idScheduleWeek, byMonth && checked(dialog, idScheduleNthWeekday));
    enable(dialog, idScheduleWeekday, byMonth && checked(dialog, idScheduleNthWeekday));
    enable(dialog, idScheduleCount, checked(dialog, idScheduleEndAfter));
    enable(dialog, idScheduleUntil, checked(dialog, idScheduleEndOn));
    showTax(dialog);
}

void loadEditor(HWND dialog, const Schedule& s) {
    const Transaction& t = s.record;
    const ScheduleRule& r = s.rule;
    fillCombo(dialog, idScheduleType, {"Service", "Expense", "Sold", "Bought", "Personal", "Earnings"});
    chooseInCombo(dialog, idScheduleType, t.type >= 1 && t.type <= 6 ? t.type - 1 : -1);
    setText(dialog, idScheduleDescr, s.description);
    setText(dialog, idScheduleName, s.name);
    setText(dialog, idScheduleAmount, formatAmount(t.amount));
    setText(dialog, idScheduleHandling, formatAmount(t.handling));
    setText(dialog, idScheduleShipping, formatAmount(t.shipping));
    fillCombo(dialog, idScheduleTaxOption,
              {taxOptionText(modeTaxAdded), taxOptionText(modeTaxIncluded), taxOptionText(modeTaxSpecified),
               taxOptionText(modeResale)});
    chooseInCombo(dialog, idScheduleTaxOption, t.taxMode <= modeResale ? int{t.taxMode} : int{modeTaxAdded});
    setText(dialog, idScheduleRate, t.taxRate != 0 ? formatMask(t.taxRate, "#.####") : "");
    setText(dialog, idScheduleTax, formatAmount(t.salesTax));
    setText(dialog, idScheduleEvery, std::to_string(r.every));
    fillCombo(dialog, idScheduleUnit, {"days", "weeks", "months", "years"});
    chooseInCombo(dialog, idScheduleUnit, r.unit);
    CheckRadioButton(dialog, idScheduleOnDay, idScheduleNthWeekday,
                     idScheduleOnDay + std::min<int>(r.dayKind, ScheduleRule::nthWeekday));
    setText(dialog, idScheduleDay, std::to_string(r.day));
    fillCombo(dialog, idScheduleWeek, {"first", "second", "third", "fourth", "last"});
    chooseInCombo(dialog, idScheduleWeek, r.week >= 1 && r.week <= 5 ? r.week - 1 : 0);
    fillCombo(dialog, idScheduleWeekday,
              {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"});
    chooseInCombo(dialog, idScheduleWeekday, r.weekday <= 6 ? r.weekday : 0);
    setText(dialog, idScheduleFirst, isRealDate(r.first) ? formatDate(r.first) : "");
    CheckRadioButton(dialog, idScheduleEndNever, idScheduleEndOn,
                     idScheduleEndNever + std::min<int>(r.endKind, ScheduleRule::onDate));
    setText(dialog, idScheduleCount, r.count ? std::to_string(r.count) : "");
    setText(dialog, idScheduleUntil, isRealDate(r.until) ? formatDate(r.until) : "");
    enableParts(dialog);
}

// A money box as the entry dialog reads it, with its messages.
bool readMoney(HWND dialog, int id, int32_t& cents) {
    double typed = 0;
    TypedAmount reading = readTypedAmount(controlText(dialog, id), cents, typed);
    if (reading == TypedAmount::notNumber) {
        showMessage("Illegal amount", "", mb::ok | mb::iconStop);
        focusBox(dialog, id);
    } else if (reading == TypedAmount::outOfRange) {
        showMessage("This amount is too large: amounts must lie between -21474836.48 and 21474836.47.",
                    "Quirvel", mb::ok | mb::iconExclamation);
        focusBox(dialog, id);
    } else {
        return true;
    }
    return false;
}

// A date box as the entry dialog reads it: loosely typed, the year left out
// taken as this year's, anything else "Illegal date".
bool readDate(HWND dialog, int id, uint16_t& packed) {
    std::string fixed = normalizeDateText(trimBlanks(controlText(dialog, id)), currentLocalYear());
    if (fixed.empty() || !dayFitsMonth(fixed)) {
        showMessage("Illegal date", "", mb::ok | mb::iconStop);
        focusBox(dialog, id);
        return false;
    }
    packed = packDate(fixed);
    return true;
}

// The schedule the boxes give, or nothing when one of them was refused
// (said, the dialog left open).
std::optional<Schedule> readEditor(HWND dialog, const Schedule& start) {
    Schedule s = start;
    Transaction& t = s.record;
    ScheduleRule& r = s.rule;
    t.type = static_cast<uint8_t>(comboChoice(dialog, idScheduleType) + 1);
    s.description = trimBlanks(controlText(dialog, idScheduleDescr));
    s.name = trimBlanks(controlText(dialog, idScheduleName));
    if (!readMoney(dialog, idScheduleAmount, t.amount)) return std::nullopt;
    t.handling = t.shipping = t.salesTax = 0;
    t.taxMode = modeNoTax;
    t.taxRate = 0;
    if (isProductType(t.type)) {
        if (!readMoney(dialog, idScheduleHandling, t.handling) || !readMoney(dialog, idScheduleShipping, t.shipping))
            return std::nullopt;
        const int mode = comboChoice(dialog, idScheduleTaxOption);
        t.taxMode = static_cast<uint8_t>(mode < 0 ? modeTaxAdded : mode);
        t.taxRate = typedRate(dialog);
        if (t.taxMode != modeResale && !readMoney(dialog, idScheduleTax, t.salesTax)) return std::nullopt;
    }
    const long every = typedWholeNumber(dialog, idScheduleEvery);
    r.every = static_cast<uint16_t>(every < 0 ? 0 : every);
    r.unit = static_cast<uint8_t>(comboChoice(dialog, idScheduleUnit));
    r.dayKind = checked(dialog, idScheduleLastDay)       ? ScheduleRule::lastDay
                : checked(dialog, idScheduleNthWeekday) ? ScheduleRule::nthWeekday
                                                         : ScheduleRule::onDay;
    if (r.dayKind == ScheduleRule::onDay) {
        const long day = typedWholeNumber(dialog, idScheduleDay);
        r.day = static_cast<uint8_t>(day < 0 || day > 31 ? 0 : day);
    }
    r.week = static_cast<uint8_t>(comboChoice(dialog, idScheduleWeek) + 1);
    r.weekday = static_cast<uint8_t>(std::max(0, comboChoice(dialog, idScheduleWeekday)));
    if (!readDate(dialog, idScheduleFirst, r.first)) return std::nullopt;
    t.date = r.first;
    r.endKind = checked(dialog, idScheduleEndAfter) ? ScheduleRule::afterCount
                : checked(dialog, idScheduleEndOn)  ? ScheduleRule::onDate
                                                    : ScheduleRule::never;
    if (r.endKind == ScheduleRule::afterCount) {
        const long count = typedWholeNumber(dialog, idScheduleCount);
        r.count = static_cast<uint16_t>(count < 0 ? 0 : count);
    }
    if (r.endKind == ScheduleRule::onDate && !readDate(dialog, idScheduleUntil, r.until)) return std::nullopt;
    if (s.description.empty() && s.name.empty()) {
        showMessage("No description or name entered", "", mb::ok | mb::iconExclamation);
        focusBox(dialog, idScheduleDescr);
        return std::nullopt;
    }
    if (t.amount == 0) {
        showMessage("No amount specified", "", mb::ok | mb::iconExclamation);
        focusBox(dialog, idScheduleAmount);
        return std::nullopt;
    }
    std::string problem = scheduleProblem(s);
    if (!problem.empty()) {
        showMessage(problem, "Quirvel", mb::ok | mb::iconExclamation);
        return std::nullopt;
    }
    return s;
}

INT_PTR CALLBACK editorProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        Editor& e = *reinterpret_cast<Editor*>(lp);
        loadEditor(dialog, e.start);
        addSelectAllKey(dialog);
        e.initialising = false;
        return TRUE;
    }
    case WM_COMMAND: {
        Editor* e = reinterpret_cast<Editor*>(GetWindowLongPtrA(dialog, DWLP_USER));
        // Behind its own message the editor takes no input.
        if (!e || e->initialising || !IsWindowEnabled(dialog)) return TRUE;
        const int id = LOWORD(wp), code = HIWORD(wp);
        switch (id) {
        case IDOK:
            if (std::optional<Schedule> s = readEditor(dialog, e->start)) {
                e->result = std::move(s);
                EndDialog(dialog, IDOK);
            }
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        case idScheduleOnDay:
        case idScheduleLastDay:
        case idScheduleNthWeekday:
            if (code == BN_CLICKED) CheckRadioButton(dialog, idScheduleOnDay, idScheduleNthWeekday, id);
            enableParts(dialog);
            break;
        case idScheduleEndNever:
        case idScheduleEndAfter:
        case idScheduleEndOn:
            if (code == BN_CLICKED) CheckRadioButton(dialog, idScheduleEndNever, idScheduleEndOn, id);
            enableParts(dialog);
            break;
        case idScheduleType:
        case idScheduleUnit:
        case idScheduleTaxOption:
            if (code == CBN_SELCHANGE) enableParts(dialog);
            break;
        case idScheduleAmount:
        case idScheduleRate:
            if (code == EN_CHANGE) showTax(dialog);
            break;
        }
        return TRUE;
    }
    }
    return FALSE;
}

void label(cDialogTemplate& t, const char* text, short x, short y, short cx) {
    t.add(noId, "STATIC", text, SS_LEFT, 0, x, static_cast<short>(y + 2), cx, 10);
}
void box(cDialogTemplate& t, int id, short x, short y, short cx, DWORD extra = 0) {
    t.add(id, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | extra, 0, x, y, cx, 12);
}
void dropList(cDialogTemplate& t, int id, short x, short y, short cx) {
    t.add(id, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, x, y, cx, 120);
}
void radio(cDialogTemplate& t, int id, const char* text, short x, short y, short cx, bool first) {
    t.add(id, "BUTTON", text, BS_RADIOBUTTON | WS_TABSTOP | (first ? WS_GROUP : 0), 0, x, y, cx, 12);
}

// --- The list ---

struct ListState {
    HWND dialog = nullptr;
    std::optional<Transaction> selected;
    std::vector<uint32_t> ids;  // of the rows, in order
    bool initialising = true;
};
ListState list;

HWND table() { return item(list.dialog, idSchedulesTable); }

int selectedRow() {
    return static_cast<int>(SendMessageA(table(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

uint32_t selectedId() {
    int row = selectedRow();
    return row >= 0 && static_cast<size_t>(row) < list.ids.size() ? list.ids[static_cast<size_t>(row)] : 0;
}

void updateButtons() {
    const bool one = selectedId() != 0;
    enable(list.dialog, idScheduleChange, one);
    enable(list.dialog, idScheduleDelete, one);
    enable(list.dialog, idScheduleFromSelected, list.selected.has_value());
}

void setCell(int row, int column, const std::string& text) {
    LVITEMA it = {};
    it.iSubItem = column;
    it.pszText = const_cast<char*>(text.c_str());
    SendMessageA(table(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}

// Shows the books' schedules, the one with id `show` selected (else the
// row at the same place as the selection was).
void fillList(uint32_t show) {
    const int before = selectedRow();
    SendMessageA(table(), LVM_DELETEALLITEMS, 0, 0);
    list.ids.clear();
    int select = -1;
    for (const Schedule& s : ledger.beside.schedules) {
        const int row = static_cast<int>(list.ids.size());
        const uint16_t next = nextPendingDate(s);
        std::string date = next ? formatDate(next) : "ended";
        LVITEMA it = {};
        it.mask = LVIF_TEXT;
        it.iItem = row;
        it.pszText = const_cast<char*>(date.c_str());
        SendMessageA(table(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
        setCell(row, 1, scheduleTypeText(s.record.type));
        setCell(row, 2, s.description);
        setCell(row, 3, s.name);
        setCell(row, 4, formatAmount(s.record.amount));
        setCell(row, 5, ruleInWords(s.rule));
        list.ids.push_back(s.id);
        if (s.id == show) select = row;
    }
    if (select < 0 && !list.ids.empty() && before >= 0) select = std::min<int>(before, static_cast<int>(list.ids.size()) - 1);
    if (select >= 0) {
        LVITEMA it = {};
        it.stateMask = it.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(table(), LVM_SETITEMSTATE, static_cast<WPARAM>(select), reinterpret_cast<LPARAM>(&it));
        SendMessageA(table(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(select), FALSE);
    }
    updateButtons();
}

void createColumns() {
    SendMessageA(table(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    struct Column {
        const char* title;
        short width;  // dialog units
        int format;
    };
    const Column columns[] = {{"Next date", 46, LVCFMT_LEFT}, {"Type", 36, LVCFMT_LEFT},   {"Description", 92, LVCFMT_LEFT},
                              {"Name", 80, LVCFMT_LEFT},      {"Amount", 46, LVCFMT_RIGHT}, {"Rule", 132, LVCFMT_LEFT}};
    int c = 0;
    for (const Column& column : columns) {
        RECT units = {0, 0, column.width, 0};
        MapDialogRect(list.dialog, &units);
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.fmt = column.format;
        col.cx = units.right;
        col.pszText = const_cast<char*>(column.title);
        SendMessageA(table(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(c++), reinterpret_cast<LPARAM>(&col));
    }
}

// A new schedule starts monthly from today.
Schedule blankSchedule() {
    Schedule s;
    s.record.type = typeExpense;
    const uint16_t today = todayPacked();
    if (isRealDate(today)) {
        s.rule.first = s.record.date = today;
        s.rule.day = static_cast<uint8_t>(today & 31);
    }
    return s;
}

void addPressed(const Schedule& start) {
    if (std::optional<Schedule> s = askSchedule(list.dialog, start, "New Schedule"))
        if (uint32_t id = addSchedule(*s)) fillList(id);
}

void changePressed() {
    const uint32_t id = selectedId();
    const Schedule* s = findSchedule(id);
    if (!s) return;
    if (std::optional<Schedule> changed = askSchedule(list.dialog, *s, "Change Schedule"))
        if (changeSchedule(id, *changed)) fillList(id);
}

void deletePressed() {
    const uint32_t id = selectedId();
    if (!findSchedule(id)) return;
    if (showMessage("Delete this schedule? The entries it has posted stay in the books.", "Scheduled Entries",
                    mb::yesNo | mb::iconQuestion) != mb::idYes)
        return;
    if (deleteSchedule(id)) fillList(0);
}

INT_PTR CALLBACK listProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        list.dialog = dialog;
        createColumns();
        fillList(0);
        list.initialising = false;
        SetFocus(table());
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR& n = *reinterpret_cast<const NMHDR*>(lp);
        if (n.idFrom != idSchedulesTable || list.initialising) break;
        if (n.code == LVN_ITEMCHANGED) updateButtons();
        if (n.code == NM_DBLCLK && IsWindowEnabled(dialog) && selectedId()) changePressed();
        break;
    }
    case WM_COMMAND:
        // Behind its own question or editor the list takes no command: a
        // click meanwhile would start a second one inside the first.
        if (list.initialising || !IsWindowEnabled(dialog)) return TRUE;
        switch (LOWORD(wp)) {
        case idScheduleNew:
            addPressed(blankSchedule());
            break;
        case IDOK:  // Enter: the selected schedule, as a double click
        case idScheduleChange:
            changePressed();
            break;
        case idScheduleDelete:
            deletePressed();
            break;
        case idScheduleFromSelected:
            if (list.selected) addPressed(scheduleFromTransaction(*list.selected));
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

std::optional<Schedule> askSchedule(HWND owner, const Schedule& start, const std::string& caption) {
    Editor e;
    e.start = start;
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 304, 214, caption);
    label(t, "&Type:", 8, 8, 44);
    dropList(t, idScheduleType, 54, 8, 70);
    label(t, "&Description:", 8, 24, 44);
    box(t, idScheduleDescr, 54, 24, 242);
    label(t, "&Name:", 8, 40, 44);
    box(t, idScheduleName, 54, 40, 242);
    label(t, "&Amount:", 8, 56, 44);
    box(t, idScheduleAmount, 54, 56, 56, ES_RIGHT);
    label(t, "Handling:", 120, 56, 34);
    box(t, idScheduleHandling, 156, 56, 44, ES_RIGHT);
    label(t, "Shipping:", 208, 56, 36);
    box(t, idScheduleShipping, 248, 56, 48, ES_RIGHT);
    label(t, "Ta&x option:", 8, 72, 44);
    dropList(t, idScheduleTaxOption, 54, 72, 78);
    label(t, "Rate %:", 138, 72, 28);
    box(t, idScheduleRate, 168, 72, 32, ES_RIGHT);
    label(t, "Sales tax:", 208, 72, 36);
    box(t, idScheduleTax, 248, 72, 48, ES_RIGHT);

    t.add(noId, "BUTTON", "Repeats", BS_GROUPBOX, 0, 8, 92, 160, 96);
    label(t, "&Every", 16, 104, 24);
    box(t, idScheduleEvery, 42, 104, 26, ES_RIGHT);
    dropList(t, idScheduleUnit, 72, 104, 56);
    radio(t, idScheduleOnDay, "On da&y", 16, 120, 44, true);
    box(t, idScheduleDay, 62, 120, 20, ES_RIGHT);
    radio(t, idScheduleLastDay, "On the &last day", 16, 135, 100, false);
    radio(t, idScheduleNthWeekday, "On t&he", 16, 150, 40, false);
    dropList(t, idScheduleWeek, 58, 150, 44);
    dropList(t, idScheduleWeekday, 104, 150, 58);
    label(t, "&First date:", 16, 168, 40);
    box(t, idScheduleFirst, 58, 168, 50);

    t.add(noId, "BUTTON", "Ends", BS_GROUPBOX, 0, 176, 92, 120, 96);
    radio(t, idScheduleEndNever, "Ne&ver", 184, 104, 60, true);
    radio(t, idScheduleEndAfter, "Afte&r", 184, 120, 30, false);
    box(t, idScheduleCount, 216, 120, 28, ES_RIGHT);
    label(t, "entries", 248, 120, 40);
    radio(t, idScheduleEndOn, "&On", 184, 136, 30, false);
    box(t, idScheduleUntil, 216, 136, 50);

    t.add(IDOK, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 190, 194, 50, 14);
    t.add(IDCANCEL, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 246, 194, 50, 14);
    if (t.runModal(owner, editorProc, reinterpret_cast<LPARAM>(&e)) != IDOK) return std::nullopt;
    return e.result;
}

void showScheduledEntries(HWND owner, const std::optional<Transaction>& selected) {
    list = {};
    list.selected = selected;
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 456, 200,
                      "Scheduled Entries");
    t.add(idSchedulesTable, WC_LISTVIEWA, "",
          LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP, WS_EX_CLIENTEDGE, 8, 8, 440,
          162);
    t.add(idScheduleNew, "BUTTON", "&New...", BS_PUSHBUTTON | WS_TABSTOP, 0, 8, 178, 50, 14);
    t.add(idScheduleChange, "BUTTON", "&Change...", BS_PUSHBUTTON | WS_TABSTOP, 0, 62, 178, 50, 14);
    t.add(idScheduleDelete, "BUTTON", "&Delete", BS_PUSHBUTTON | WS_TABSTOP, 0, 116, 178, 50, 14);
    t.add(idScheduleFromSelected, "BUTTON", "&Make from selected...", BS_PUSHBUTTON | WS_TABSTOP, 0, 170, 178, 84, 14);
    t.add(IDCANCEL, "BUTTON", "Close", BS_PUSHBUTTON | WS_TABSTOP, 0, 398, 178, 50, 14);
    t.runModal(owner, listProc);
    list = {};
}
