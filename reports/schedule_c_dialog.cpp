#include "reports/schedule_c_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <type_traits>
#include <vector>

#include "ledger/changes.h"
#include "ledger/tables.h"
#include "lists/tax_line_dialog.h"
#include "lists/tax_lines.h"
#include "reports/csv_export.h"
#include "reports/schedule_c.h"
#include "reports/schedule_c_print.h"
#include "reports/schedule_c_txf.h"
#include "reports/year_glance.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "text/plain_text.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

namespace {

const char* const caption = "Schedule C Worksheet";

// A control that keeps its place from the window's right or bottom edge
// when the window is resized.
struct Anchor {
    int id;
    bool right;  // keeps its distance from the right edge (else from the left)
    int fromRight = 0, fromBottom = 0;
};

// The dialog while it is open (one at a time: it is modal).
struct WorksheetState {
    HWND dialog = nullptr;
    std::vector<GlanceSource> sources;  // read once, when the window opens
    int year = 0;
    ScheduleC sc;
    std::vector<WorksheetRow> rows;  // as the table shows them: the disclaimer is above it
    // What the boxes were given at the last fill: a box that still holds
    // that text changes nothing when it is applied.
    std::string rateShown, startShown, endShown;
    SIZE minimum = {0, 0};  // the window's size at its template: its smallest
    std::vector<Anchor> anchors;
    int tableBottomGap = 0;  // from the table's bottom to the window's
    HFONT bold = nullptr;    // headings and the summaries in the table
    std::string cellBuffer;
    bool busy = false;     // a box is being applied or a line chosen: the focus moves meanwhile
    bool closing = false;  // the boxes are no longer applied
};
WorksheetState state;

HWND item(int id) { return GetDlgItem(state.dialog, id); }
HWND table() { return item(idScheduleCTable); }

// --- The table ---

// The rows the table shows: the worksheet's, but for the disclaimer, which
// stands above the table.
std::vector<WorksheetRow> shownRows(const ScheduleC& c) {
    std::vector<WorksheetRow> rows = worksheetRows(c);
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](const WorksheetRow& r) {
                                  return r.kind == WorksheetRow::note && r.label == worksheetDisclaimer;
                              }),
               rows.end());
    return rows;
}

// What a row stands for, whatever its amount: a description by its group
// and text (it moves from line to line), any other row by what it says.
std::string rowKey(const WorksheetRow& r) {
    if (r.description && r.description->assignable)
        return "d" + std::to_string(r.description->group) + "\t" + r.description->text;
    return std::to_string(static_cast<int>(r.kind)) + "\t" + r.code + "\t" + r.label;
}

int selectedRow() {
    return static_cast<int>(SendMessageA(table(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

const WorksheetItem* assignableAt(int row) {
    if (row < 0 || static_cast<size_t>(row) >= state.rows.size()) return nullptr;
    const WorksheetItem* d = state.rows[static_cast<size_t>(row)].description;
    return d && d->assignable ? d : nullptr;
}

int proposalCount() {
    int n = 0;
    for (const WorksheetItem& i : state.sc.notAssigned)
        if (i.assignable && !i.proposal.empty()) ++n;
    return n;
}

void enableButtons() {
    EnableWindow(item(idScheduleCAssign), assignableAt(selectedRow()) != nullptr);
    EnableWindow(item(idScheduleCConfirm), proposalCount() > 0);
}

int textWidth(HDC dc, const std::string& text) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The line and amount columns as wide as their widest texts; the
// description takes what is left of the table's width.
void sizeColumns() {
    HWND t = table();
    HDC dc = GetDC(t);
    HGDIOBJ old = SelectObject(dc, state.bold ? state.bold : reinterpret_cast<HFONT>(SendMessageA(t, WM_GETFONT, 0, 0)));
    const int padding = textWidth(dc, "0000");
    int code = textWidth(dc, "Line"), amount = textWidth(dc, "Amount");
    for (const WorksheetRow& r : state.rows) {
        code = std::max(code, textWidth(dc, r.code));
        amount = std::max(amount, textWidth(dc, r.amount));
    }
    SelectObject(dc, old);
    ReleaseDC(t, dc);
    code += padding;
    amount += padding;
    RECT client;
    GetClientRect(t, &client);
    // The vertical scroll bar the rows need, though the list may not show it yet.
    int perPage = static_cast<int>(SendMessageA(t, LVM_GETCOUNTPERPAGE, 0, 0));
    if (!(GetWindowLongA(t, GWL_STYLE) & WS_VSCROLL) && static_cast<int>(state.rows.size()) > perPage)
        client.right -= GetSystemMetrics(SM_CXVSCROLL);
    int description = std::max<int>(client.right - code - amount, padding * 8);
    SendMessageA(t, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(code, 0));
    SendMessageA(t, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(description, 0));
    SendMessageA(t, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(amount, 0));
}

void createColumns() {
    HWND t = table();
    SendMessageA(t, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const char* titles[] = {"Line", "Description", "Amount"};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.fmt = c == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        col.cx = 60;
        col.pszText = const_cast<char*>(titles[c]);
        SendMessageA(t, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    }
}

// A cell's text, asked for by the list as it draws it.
template <class Info> void giveText(Info& info, std::string& buffer) {
    auto& it = info.item;
    if (!(it.mask & LVIF_TEXT) || it.iItem < 0 || static_cast<size_t>(it.iItem) >= state.rows.size()) return;
    const WorksheetRow& r = state.rows[static_cast<size_t>(it.iItem)];
    buffer = it.iSubItem == 0 ? r.code : it.iSubItem == 1 ? r.label : r.amount;
    if (it.cchTextMax <= 0) return;
    if constexpr (std::is_same_v<decltype(it.pszText), LPWSTR>) {
        std::wstring wide = wideText(buffer);
        lstrcpynW(it.pszText, wide.c_str(), it.cchTextMax);
    } else {
        lstrcpynA(it.pszText, buffer.c_str(), it.cchTextMax);
    }
}

void setRowState(int row, UINT value, UINT mask) {
    LVITEMA it = {};
    it.stateMask = mask;
    it.state = value;
    SendMessageA(table(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}

// Scrolls the table so that `row` is its top row (as near as it goes).
void scrollToTop(int row) {
    HWND t = table();
    int now = static_cast<int>(SendMessageA(t, LVM_GETTOPINDEX, 0, 0));
    if (row == now || state.rows.empty()) return;
    RECT r = {};
    r.left = LVIR_BOUNDS;
    if (!SendMessageA(t, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) || r.bottom <= r.top) return;
    SendMessageA(t, LVM_SCROLL, 0, static_cast<LPARAM>((row - now) * (r.bottom - r.top)));
}

int rowWithKey(const std::string& key) {
    for (size_t i = 0; i < state.rows.size(); ++i)
        if (rowKey(state.rows[i]) == key) return static_cast<int>(i);
    return -1;
}

// --- The boxes ---

void showBoxes() {
    const RateInUse& rate = state.sc.rate;
    const std::string year = std::to_string(state.year);
    state.rateShown = rate.source == RateInUse::none ? "" : rateText(rate.tenthsOfCent);
    SetDlgItemTextA(state.dialog, idScheduleCRate, state.rateShown.c_str());
    SendMessageA(item(idScheduleCRate), EM_SETREADONLY, rate.source == RateInUse::irs, 0);
    std::string note = rate.source == RateInUse::irs    ? "IRS rate, " + rate.notice
                       : rate.source == RateInUse::user ? "Your rate: Quirvel knows no IRS rate for " + year
                                                        : "Quirvel knows no IRS rate for " + year + ": type it";
    SetDlgItemTextA(state.dialog, idScheduleCRateNote, note.c_str());
    const YearInventory& inv = state.sc.inventory;
    state.startShown = inv.hasStart ? worksheetAmount(inv.start) : "";
    state.endShown = inv.hasEnd ? worksheetAmount(inv.end) : "";
    SetDlgItemTextA(state.dialog, idScheduleCStartInventory, state.startShown.c_str());
    SetDlgItemTextA(state.dialog, idScheduleCEndInventory, state.endShown.c_str());
}

// --- Recomputing ---

enum class Place { top, kept };

// The worksheet worked out again from the books as they are now, the table
// filled with it. kept: the row at the top stays at the top and the
// selected row (a description wherever it went) stays selected.
void refill(Place place) {
    HWND t = table();
    std::string topKey, selectedKey;
    int topAt = 0, selectedAt = -1;
    if (place == Place::kept) {
        topAt = static_cast<int>(SendMessageA(t, LVM_GETTOPINDEX, 0, 0));
        selectedAt = selectedRow();
        if (topAt >= 0 && static_cast<size_t>(topAt) < state.rows.size()) topKey = rowKey(state.rows[static_cast<size_t>(topAt)]);
        if (selectedAt >= 0 && static_cast<size_t>(selectedAt) < state.rows.size())
            selectedKey = rowKey(state.rows[static_cast<size_t>(selectedAt)]);
    }
    // The working books' own facts too: they answer for their descriptions.
    if (!state.sources.empty()) state.sources.front().image.beside.tax = ledger.beside.tax;
    state.sc = computeScheduleC(state.sources, ledger.beside.tax, state.year);
    state.rows = shownRows(state.sc);

    SendMessageA(t, WM_SETREDRAW, FALSE, 0);
    setRowState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(t, LVM_SETITEMCOUNT, state.rows.size(), LVSICF_NOSCROLL);
    sizeColumns();
    SendMessageA(t, WM_SETREDRAW, TRUE, 0);
    if (place == Place::kept) {
        int top = topKey.empty() ? -1 : rowWithKey(topKey);
        scrollToTop(top >= 0 ? top : std::min(topAt, static_cast<int>(state.rows.size()) - 1));
        int selected = selectedKey.empty() ? -1 : rowWithKey(selectedKey);
        if (selected >= 0) setRowState(selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else if (!state.rows.empty()) {
        SendMessageA(t, LVM_ENSUREVISIBLE, 0, FALSE);
    }
    InvalidateRect(t, nullptr, TRUE);
    showBoxes();
    enableButtons();
}

void refuse(const std::string& text, int box) {
    showMessage(text + "\r\nNothing has been changed.", caption, mb::ok | mb::iconExclamation);
    // The box shows what is in force again, selected to be typed over.
    const std::string& shown = box == idScheduleCRate             ? state.rateShown
                               : box == idScheduleCStartInventory ? state.startShown
                                                                  : state.endShown;
    SetDlgItemTextA(state.dialog, box, shown.c_str());
    PostMessageA(state.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(box)), TRUE);
}

// A typed text without blanks at either end, control characters blanked.
std::string boxText(int id) { return trimBlanks(controlText(state.dialog, id)); }

enum class Applied { unchanged, changed, refused };

// The rate per mile typed for a year the program knows no IRS rate of.
Applied applyRate() {
    if (state.sc.rate.source == RateInUse::irs) return Applied::unchanged;
    const std::string typed = boxText(idScheduleCRate);
    if (typed == state.rateShown) return Applied::unchanged;
    int64_t tenths = -1;  // an empty box: no rate of the user's
    if (!typed.empty()) {
        uint32_t read = 0;
        // At most ten dollars a mile: the IRS's rates have stayed below one.
        if (!readRateText(typed, read) || read == 0 || read > 10000) {
            refuse("\"" + typed + "\" is no rate per mile. Type the IRS standard mileage rate of " +
                       std::to_string(state.year) +
                       " in cents per mile, from 0.1 to 1000 with one decimal at most (for example 65.5), or empty "
                       "the box to have none.",
                   idScheduleCRate);
            return Applied::refused;
        }
        tenths = read;
    }
    setTaxFacts(withRate(ledger.beside.tax, state.year, tenths));
    commitStep("Mileage rate");
    return Applied::changed;
}

// One inventory box read: false (and said) when it holds no inventory.
bool readInventory(int id, const std::string& shown, const char* which, bool& has, int64_t& value) {
    const std::string typed = boxText(id);
    if (typed == shown) return true;
    const std::string what = std::string("the inventory at the ") + which + " of " + std::to_string(state.year);
    int32_t cents = 0;
    double number = 0;
    switch (readTypedAmount(typed, cents, number)) {
    case TypedAmount::empty: has = false; return true;
    case TypedAmount::number:
        if (cents < 0) {
            refuse("An inventory is never below zero: type " + what + " as 0.00 or more, or empty the box.", id);
            return false;
        }
        has = true;
        value = cents;
        return true;
    case TypedAmount::outOfRange:
        refuse("\"" + typed + "\" is too large an amount: type " + what + " (at most 21,474,836.47).", id);
        return false;
    case TypedAmount::notNumber:
    default:
        refuse("\"" + typed + "\" is no amount: type " + what + " as an amount, for example 1,250.00, or empty the box.",
               id);
        return false;
    }
}

Applied applyInventories() {
    YearInventory inv = state.sc.inventory;
    inv.year = static_cast<uint16_t>(state.year);
    bool startRead = readInventory(idScheduleCStartInventory, state.startShown, "beginning", inv.hasStart, inv.start);
    bool endRead = readInventory(idScheduleCEndInventory, state.endShown, "end", inv.hasEnd, inv.end);
    // A box refused says nothing has changed: the other one waits too.
    if (!startRead || !endRead) return Applied::refused;
    YearInventory before = state.sc.inventory;
    bool same = inv.hasStart == before.hasStart && inv.hasEnd == before.hasEnd &&
                (!inv.hasStart || inv.start == before.start) && (!inv.hasEnd || inv.end == before.end);
    if (!same) {
        setTaxFacts(withInventory(ledger.beside.tax, inv));
        commitStep("Inventory");
    }
    return same ? Applied::unchanged : Applied::changed;
}

// The three boxes, as leaving one or Update applies them; the worksheet is
// worked out again when one changed something. False when a box was
// refused.
bool applyBoxes() {
    if (state.busy || state.closing) return true;
    state.busy = true;
    Applied rate = applyRate();
    Applied inventories = applyInventories();
    state.busy = false;
    bool changed = rate == Applied::changed || inventories == Applied::changed;
    // A refused box was given its text back: what is in force shows.
    if (changed) refill(Place::kept);
    return rate != Applied::refused && inventories != Applied::refused;
}

// --- The buttons ---

void assignRow(int row) {
    const WorksheetItem* d = assignableAt(row);
    if (!d) return;
    const uint8_t group = d->group;
    const std::string text = d->text;
    state.busy = true;
    bool chosen = chooseTaxLine(state.dialog, group, text, state.year);
    state.busy = false;
    if (chosen) refill(Place::kept);
}

void assignPressed() {
    if (!applyBoxes()) return;
    assignRow(selectedRow());
}

void confirmPressed() {
    if (!applyBoxes()) return;
    std::vector<const WorksheetItem*> proposed;
    for (const WorksheetItem& i : state.sc.notAssigned)
        if (i.assignable && !i.proposal.empty()) proposed.push_back(&i);
    const std::string year = std::to_string(state.year);
    if (proposed.empty()) {
        showMessage("No description of " + year + " that is on no line has a proposed line.", caption,
                    mb::ok | mb::iconInformation);
        return;
    }
    const size_t n = proposed.size();
    std::string question = "Confirm the proposed line" + std::string(n == 1 ? "" : "s") + " of " + std::to_string(n) +
                           (n == 1 ? " description" : " descriptions") + " of " + year + "?\r\n";
    const size_t listed = std::min<size_t>(n, 12);
    for (size_t i = 0; i < listed; ++i) {
        std::string label = proposed[i]->label;
        if (label.size() > 60) label = label.substr(0, 57) + "...";
        question += "\r\n" + label + ": " + lineCaption(*state.sc.form, proposed[i]->proposal);
    }
    if (n > listed) question += "\r\n... and " + std::to_string(n - listed) + " more";
    question += "\r\n\r\nUndo takes them back as one step.";
    if (showMessage(question, caption, mb::yesNo | mb::iconQuestion) != mb::idYes) return;
    TaxFacts facts = ledger.beside.tax;
    for (const WorksheetItem* i : proposed) facts = withAssignment(facts, i->group, i->text, i->proposal);
    setTaxFacts(facts);
    commitStep("Assign tax lines");
    refill(Place::kept);
}

void exportTxfPressed() {
    if (!applyBoxes()) return;
    std::string date = formatDate(todayPacked());  // MM-DD-YYYY
    std::replace(date.begin(), date.end(), '-', '/');
    std::string path;
    if (!exportFile(worksheetTxf(state.sc, date), "Export TXF", {"TXF Files", "*.txf", "txf"}, &path)) return;
    std::vector<std::string> left = linesTxfLeavesOut(state.sc);
    if (left.empty()) return;
    std::string text = path + " has no place for " + (left.size() == 1 ? "this line" : "these lines") +
                       ", which the Tax Exchange Format does not carry: type " +
                       (left.size() == 1 ? "it" : "them") + " into your tax software yourself.\r\n";
    for (const std::string& code : left)
        for (const WorksheetLine& l : state.sc.lines)
            if (code == l.line->code) {
                std::string amount = worksheetAmount(l.amount);
                if (l.line->use == TaxLineUse::miles) amount += " miles";
                text += std::string("\r\nLine ") + l.line->code + " " + l.line->name + ": " + amount;
            }
    showMessage(text, "Export TXF", mb::ok | mb::iconInformation);
}

void yearChosen() {
    HWND box = item(idScheduleCYear);
    LRESULT at = SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (at == CB_ERR) return;
    state.year = static_cast<int>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
    refill(Place::top);
}

// --- Layout ---

void layout() {
    if (state.anchors.empty()) return;
    RECT client;
    GetClientRect(state.dialog, &client);
    for (const Anchor& a : state.anchors) {
        RECT r;
        GetWindowRect(item(a.id), &r);
        MapWindowPoints(nullptr, state.dialog, reinterpret_cast<POINT*>(&r), 2);
        int x = a.right ? client.right - a.fromRight : r.left;
        SetWindowPos(item(a.id), nullptr, x, client.bottom - a.fromBottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    RECT d, t;
    GetWindowRect(item(idScheduleCDisclaimer), &d);
    MapWindowPoints(nullptr, state.dialog, reinterpret_cast<POINT*>(&d), 2);
    SetWindowPos(item(idScheduleCDisclaimer), nullptr, 0, 0, client.right - 2 * d.left, d.bottom - d.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(table(), &t);
    MapWindowPoints(nullptr, state.dialog, reinterpret_cast<POINT*>(&t), 2);
    SetWindowPos(table(), nullptr, 0, 0, client.right - 2 * t.left,
                 std::max<int>(client.bottom - state.tableBottomGap - t.top, 20), SWP_NOMOVE | SWP_NOZORDER);
    sizeColumns();
}

// The buttons under the table keep to the bottom, those on the right to
// the right edge; the disclaimer and the table take the width.
void rememberAnchors() {
    RECT client;
    GetClientRect(state.dialog, &client);
    const int rightOnes[] = {idScheduleCPrint, idScheduleCExportCsv, idScheduleCExportTxf, IDCANCEL};
    for (int id : {int{idScheduleCAssign}, int{idScheduleCConfirm}, int{idScheduleCPrint}, int{idScheduleCExportCsv},
                   int{idScheduleCExportTxf}, int{IDCANCEL}}) {
        RECT r;
        GetWindowRect(item(id), &r);
        MapWindowPoints(nullptr, state.dialog, reinterpret_cast<POINT*>(&r), 2);
        bool right = std::find(std::begin(rightOnes), std::end(rightOnes), id) != std::end(rightOnes);
        state.anchors.push_back({id, right, client.right - r.left, client.bottom - r.top});
    }
    RECT t;
    GetWindowRect(table(), &t);
    MapWindowPoints(nullptr, state.dialog, reinterpret_cast<POINT*>(&t), 2);
    state.tableBottomGap = client.bottom - t.bottom;
}

void fillYears() {
    std::vector<int> years = glanceYears(state.sources);
    state.year = defaultWorksheetYear(years, currentLocalYear());
    if (std::find(years.begin(), years.end(), state.year) == years.end()) years.push_back(state.year);
    std::sort(years.rbegin(), years.rend());  // latest first
    HWND box = item(idScheduleCYear);
    for (int y : years) {
        std::string text = std::to_string(y);
        LRESULT at = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(at), y);
        if (y == state.year) SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    }
}

BOOL initialise(HWND dialog) {
    state.dialog = dialog;
    RECT w;
    GetWindowRect(dialog, &w);
    state.minimum = {w.right - w.left, w.bottom - w.top};
    addSelectAllKey(dialog);
    SetDlgItemTextA(dialog, idScheduleCDisclaimer, worksheetDisclaimer);
    SendMessageA(item(idScheduleCRate), EM_LIMITTEXT, 12, 0);
    SendMessageA(item(idScheduleCStartInventory), EM_LIMITTEXT, 20, 0);
    SendMessageA(item(idScheduleCEndInventory), EM_LIMITTEXT, 20, 0);
    state.sources = glanceSources();
    fillYears();
    LOGFONTA lf = {};
    if (GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof lf, &lf)) {
        lf.lfWeight = FW_BOLD;
        state.bold = CreateFontIndirectA(&lf);
    }
    createColumns();
    rememberAnchors();
    refill(Place::top);
    return TRUE;
}

// Headings and the summaries of what is on no line stand out in bold; a
// check that finds the worksheet and the tax report apart, in red.
LRESULT customDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    size_t row = draw.nmcd.dwItemSpec;
    if (row >= state.rows.size()) return CDRF_DODEFAULT;
    const WorksheetRow& r = state.rows[row];
    if (r.kind == WorksheetRow::check && r.label.find("differs by") != std::string::npos) {
        draw.clrText = RGB(192, 0, 0);
        return CDRF_NEWFONT;
    }
    if ((r.kind != WorksheetRow::heading && r.kind != WorksheetRow::summary) || !state.bold) return CDRF_DODEFAULT;
    SelectObject(draw.nmcd.hdc, state.bold);
    return CDRF_NEWFONT;
}

INT_PTR notified(const NMHDR& n) {
    if (n.idFrom != idScheduleCTable) return FALSE;
    NMHDR& m = const_cast<NMHDR&>(n);
    switch (n.code) {
    case LVN_GETDISPINFOA: giveText(reinterpret_cast<NMLVDISPINFOA&>(m), state.cellBuffer); return TRUE;
    case LVN_GETDISPINFOW: giveText(reinterpret_cast<NMLVDISPINFOW&>(m), state.cellBuffer); return TRUE;
    case NM_CUSTOMDRAW:
        SetWindowLongPtrA(state.dialog, DWLP_MSGRESULT, customDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(m)));
        return TRUE;
    case LVN_ITEMCHANGED: enableButtons(); return TRUE;
    case NM_DBLCLK: {
        const auto& a = reinterpret_cast<const NMITEMACTIVATE&>(n);
        LVHITTESTINFO hit = {};
        hit.pt = a.ptAction;
        SendMessageA(n.hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        assignRow(hit.iItem);
        return TRUE;
    }
    default: return FALSE;
    }
}

void closeWorksheet() {
    state.closing = true;
    EndDialog(state.dialog, IDCANCEL);
}

void command(int id, int code) {
    if (id == idScheduleCYear && code == CBN_SELCHANGE) return yearChosen();
    if ((id == idScheduleCRate || id == idScheduleCStartInventory || id == idScheduleCEndInventory) &&
        code == EN_KILLFOCUS) {
        applyBoxes();
        return;
    }
    // Enter on a description chooses its line; in a box, it applies the
    // box, as Update does.
    if (id == IDOK && GetFocus() == table()) return assignPressed();
    if (id == IDOK || (id == idScheduleCUpdate && code == BN_CLICKED)) {
        applyBoxes();
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
    case idScheduleCAssign: return assignPressed();
    case idScheduleCConfirm: return confirmPressed();
    case idScheduleCPrint:
        if (applyBoxes()) printScheduleC(state.sc, ledgerPath);
        return;
    case idScheduleCExportCsv:
        if (applyBoxes()) exportCsv(worksheetCsv(state.sc), "Export Schedule C");
        return;
    case idScheduleCExportTxf: return exportTxfPressed();
    case IDCANCEL: return closeWorksheet();
    default: return;
    }
}

INT_PTR CALLBACK worksheetProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return initialise(dialog);
    case WM_SIZE: layout(); return TRUE;
    case WM_GETMINMAXINFO:
        if (state.minimum.cx > 0) reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {state.minimum.cx, state.minimum.cy};
        return TRUE;
    case WM_NOTIFY: return notified(*reinterpret_cast<const NMHDR*>(lp));
    case WM_COMMAND: command(LOWORD(wp), HIWORD(wp)); return TRUE;
    default: return FALSE;
    }
}

cDialogTemplate worksheetTemplate() {
    const short w = 540, h = 340;
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN | DS_MODALFRAME | DS_CENTER |
                          DS_3DLOOK,
                      0, 0, 0, w, h, caption);
    const DWORD box = ES_AUTOHSCROLL | WS_TABSTOP;
    t.add(idScheduleCDisclaimer, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0, 6, 4, w - 12, 26);
    t.add(idScheduleCYearLabel, "STATIC", "&Year:", SS_LEFT, 0, 6, 37, 22, 10);
    t.add(idScheduleCYear, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0, 30, 35, 40, 160);
    t.add(idScheduleCRateLabel, "STATIC", "Cents per &mile:", SS_RIGHT, 0, 80, 37, 54, 10);
    t.add(idScheduleCRate, "EDIT", "", box | ES_RIGHT | WS_GROUP, WS_EX_CLIENTEDGE, 136, 35, 36, 12);
    t.add(idScheduleCRateNote, "STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 176, 37, 200, 10);
    t.add(idScheduleCStartLabel, "STATIC", "Inventory at &beginning of year:", SS_LEFT, 0, 6, 55, 108, 10);
    t.add(idScheduleCStartInventory, "EDIT", "", box | ES_RIGHT | WS_GROUP, WS_EX_CLIENTEDGE, 116, 53, 60, 12);
    t.add(idScheduleCEndLabel, "STATIC", "Inventory at &end of year:", SS_RIGHT, 0, 184, 55, 90, 10);
    t.add(idScheduleCEndInventory, "EDIT", "", box | ES_RIGHT | WS_GROUP, WS_EX_CLIENTEDGE, 276, 53, 60, 12);
    t.add(idScheduleCUpdate, "BUTTON", "&Update", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 344, 52, 48, 14);
    t.add(idScheduleCTable, WC_LISTVIEWA, "",
          LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP | WS_GROUP,
          WS_EX_CLIENTEDGE, 6, 72, w - 12, h - 72 - 24);
    const short y = h - 19;
    t.add(idScheduleCAssign, "BUTTON", "&Assign line...", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 6, y, 60, 14);
    t.add(idScheduleCConfirm, "BUTTON", "Confirm p&roposals", BS_PUSHBUTTON | WS_TABSTOP, 0, 70, y, 72, 14);
    t.add(idScheduleCPrint, "BUTTON", "&Print", BS_PUSHBUTTON | WS_TABSTOP, 0, w - 6 - 44 - 4 - 56 - 4 - 56 - 4 - 44, y,
          44, 14);
    t.add(idScheduleCExportCsv, "BUTTON", "Export &CSV", BS_PUSHBUTTON | WS_TABSTOP, 0, w - 6 - 44 - 4 - 56 - 4 - 56, y,
          56, 14);
    t.add(idScheduleCExportTxf, "BUTTON", "Export &TXF", BS_PUSHBUTTON | WS_TABSTOP, 0, w - 6 - 44 - 4 - 56, y, 56, 14);
    t.add(IDCANCEL, "BUTTON", "C&lose", BS_PUSHBUTTON | WS_TABSTOP, 0, w - 6 - 44, y, 44, 14);
    return t;
}

}  // namespace

void showScheduleC(HWND owner) {
    state = WorksheetState{};
    cDialogTemplate t = worksheetTemplate();
    t.runModal(owner, worksheetProc);
    if (state.bold) DeleteObject(state.bold);
    state = WorksheetState{};
}
