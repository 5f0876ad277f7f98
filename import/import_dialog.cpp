#include "import/import_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "import/statement_memory.h"
#include "ledger/tax_arithmetic.h"
#include "lists/entry_matching.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "text/plain_text.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"
#include "ui/list_checks.h"

namespace {

constexpr int labelOffset = 100;  // the label of a box: its id + 100
enum : int { idOrderLabel = idImportOrder + labelOffset };

const int columnBoxes[columnRoleCount] = {idImportDateColumn,  idImportAmountColumn, idImportDebitColumn,
                                          idImportCreditColumn, idImportPayeeColumn, idImportMemoColumn,
                                          idImportBalanceColumn};
const char* const columnLabels[] = {"Date", "Amount", "Debit", "Credit", "Payee", "Memo", "Balance"};
const char* const typeTexts[] = {"", "Service", "Expense", "Sold", "Bought", "Personal", "Earnings"};

// The list's columns: heading and width in dialog units.
struct ListColumn {
    const char* heading;
    int width;
    bool right;
};
const ListColumn listColumns[ImportPreview::columns] = {
    {"Date", 44, false}, {"Amount", 50, true}, {"Payee", 76, false},   {"Type", 34, false},
    {"Description", 70, false}, {"Name", 64, false}, {"Why", 140, false}, {"Account", 40, false}};

// The one preview open at a time: the model and what the window adds.
struct Window {
    ImportPreview model;
    int selectedRow = -1;    // the row the boxes below the list edit
    std::string cell;        // the text a list cell was last given
    std::wstring wideCell;
    POINT minimumSize = {0, 0};
    bool initialising = false;  // the dialog's own changes to its boxes
    bool filling = false;       // the program's own changes to the list
    bool fitting = false;       // the program's own changes to the column widths
    int contentWidth[ImportPreview::columns] = {};  // pixels, from the texts
    int userWidth[ImportPreview::columns] = {};     // pixels, dragged by the user; 0 for none
};
Window preview;

HWND listOf(HWND dialog) { return GetDlgItem(dialog, idImportList); }

int comboData(HWND dialog, int id) {
    HWND box = GetDlgItem(dialog, id);
    auto at = SendMessageA(box, CB_GETCURSEL, 0, 0);
    return at < 0 ? -2 : static_cast<int>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

void addComboItem(HWND box, const std::string& text, int data, bool selected) {
    auto at = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(data));
    if (selected) SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

// The check boxes as the rows have them.
void syncChecks(HWND dialog) {
    HWND list = listOf(dialog);
    preview.filling = true;
    for (size_t i = 0; i < preview.model.items().size(); ++i) {
        bool checked = preview.model.itemChecked(static_cast<int>(i));
        if (listItemChecked(list, static_cast<int>(i)) != checked) setListItemChecked(list, static_cast<int>(i), checked);
    }
    preview.filling = false;
    InvalidateRect(list, nullptr, FALSE);
}

void fillRows(HWND dialog) {
    const std::vector<int>& items = preview.model.items();
    HWND list = listOf(dialog);
    preview.filling = true;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, items.size(), 0);
    for (size_t i = 0; i < items.size(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = LPSTR_TEXTCALLBACKA;
        item.lParam = items[i];
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        if (preview.model.itemChecked(static_cast<int>(i))) setListItemChecked(list, static_cast<int>(i), true);
    }
    preview.selectedRow = -1;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    preview.filling = false;
}

void selectItemOf(HWND dialog, int item) {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(listOf(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
    preview.selectedRow = preview.model.items()[static_cast<size_t>(item)];
}

// --- Texts around the list ---

void showFooter(HWND dialog) {
    ImportPreview::Footer footer = preview.model.footer();
    SetDlgItemTextA(dialog, idImportFooter, footer.text.c_str());
    EnableWindow(GetDlgItem(dialog, IDOK), footer.canImport);
}

void showBalance(HWND dialog) { SetDlgItemTextA(dialog, idImportBalance, preview.model.balanceText().c_str()); }

void fillOrderBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, idImportOrder);
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (const auto& [order, text] : preview.model.orderChoices())
        addComboItem(box, text, static_cast<int>(order), preview.model.orderKnown() && order == preview.model.order());
    EnableWindow(box, SendMessageA(box, CB_GETCOUNT, 0, 0) > 1);
}

void fillColumnBoxes(HWND dialog) {
    auto choices = preview.model.columnChoices();
    for (int role = 0; role < columnRoleCount; ++role) {
        HWND combo = GetDlgItem(dialog, columnBoxes[role]);
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        int chosen = preview.model.column(static_cast<ColumnRole>(role));
        for (const auto& [column, text] : choices) addComboItem(combo, text, column, column == chosen);
    }
}

// --- The selected row's boxes ---

void fillEntryBox(HWND dialog, int id, ListKind kind, int group, const std::string& text) {
    HWND box = GetDlgItem(dialog, id);
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (const BoxItem& item : descrNameBoxItems(kind, group))
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.first.c_str()));
    SetWindowTextA(box, blankControls(text).c_str());
}

const ImportRow* selected() {
    int n = preview.selectedRow;
    const auto& rows = preview.model.rows();
    return n >= 0 && static_cast<size_t>(n) < rows.size() ? &rows[static_cast<size_t>(n)] : nullptr;
}

// The tax boxes as the selected row has them: a product's option, rate and
// tax (typed only for "Specify tax"); empty and disabled for other rows.
void loadTaxBoxes(HWND dialog) {
    const ImportRow* row = selected();
    bool product = row && isProductType(row->proposal.type);
    bool was = preview.initialising;
    preview.initialising = true;
    HWND mode = GetDlgItem(dialog, idImportTaxMode);
    int item = -1;
    for (int i = 0, n = static_cast<int>(SendMessageA(mode, CB_GETCOUNT, 0, 0)); product && i < n; ++i)
        if (SendMessageA(mode, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == row->proposal.taxMode) item = i;
    SendMessageA(mode, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    // A box the user is typing in keeps the text as typed.
    HWND focus = GetFocus();
    for (int id : {idImportTaxRate, idImportTax}) {
        HWND box = GetDlgItem(dialog, id);
        if (box == focus && product) continue;
        std::string text = id == idImportTaxRate ? preview.model.taxRateText(preview.selectedRow)
                                                 : preview.model.taxText(preview.selectedRow);
        SetWindowTextA(box, text.c_str());
    }
    EnableWindow(mode, product);
    EnableWindow(GetDlgItem(dialog, idImportTaxRate), product && row->proposal.taxMode != modeResale &&
                                                          row->proposal.taxMode != modeTaxSpecified);
    SendMessageA(GetDlgItem(dialog, idImportTax), EM_SETREADONLY, !(product && row->proposal.taxMode == modeTaxSpecified), 0);
    EnableWindow(GetDlgItem(dialog, idImportTax), product);
    preview.initialising = was;
}

void loadRowBoxes(HWND dialog) {
    const ImportRow* row = selected();
    bool editable = row != nullptr;
    preview.initialising = true;
    HWND type = GetDlgItem(dialog, idImportType);
    if (editable) {
        const Proposal& proposal = row->proposal;
        int item = -1;  // the box's item of the proposal's type (none for one it does not offer)
        for (int i = 0, n = static_cast<int>(SendMessageA(type, CB_GETCOUNT, 0, 0)); i < n; ++i)
            if (SendMessageA(type, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == proposal.type) item = i;
        SendMessageA(type, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        int group = listGroupOf(proposal.type);
        fillEntryBox(dialog, idImportDescr, descrList, group, proposal.description);
        fillEntryBox(dialog, idImportName, nameList, group, proposal.name);
    } else {
        SendMessageA(type, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetDlgItemTextA(dialog, idImportDescr, "");
        SetDlgItemTextA(dialog, idImportName, "");
    }
    for (int id : {idImportType, idImportDescr, idImportName}) EnableWindow(GetDlgItem(dialog, id), editable);
    loadTaxBoxes(dialog);
    preview.initialising = false;
}

// After any change of a row: the list's checks, the totals and the tax boxes.
void rowsChanged(HWND dialog) {
    syncChecks(dialog);
    showFooter(dialog);
    showBalance(dialog);
    loadTaxBoxes(dialog);
}

void measureColumns(HWND dialog);
void fitColumns(HWND dialog);

// The list and every text again after the rows were built anew.
void showRows(HWND dialog) {
    fillRows(dialog);
    measureColumns(dialog);
    fitColumns(dialog);
    if (!preview.model.items().empty()) selectItemOf(dialog, 0);  // its boxes are ready for a change
    loadRowBoxes(dialog);
    SetDlgItemTextA(dialog, idImportSource, preview.model.sourceText().c_str());
    SetDlgItemTextA(dialog, idImportNote, preview.model.noteText().c_str());
    showFooter(dialog);
    showBalance(dialog);
}

std::string boxChoice(HWND dialog, int id, int code) {
    HWND box = GetDlgItem(dialog, id);
    if (code != CBN_SELCHANGE) return typedText(box);
    auto at = SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (at < 0) return typedText(box);
    auto length = SendMessageA(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0);
    std::string text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
    SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::strlen(text.c_str()));
    return text;
}

void rowBoxChanged(HWND dialog, int id, int code) {
    ImportPreview& m = preview.model;
    const ImportRow* row = selected();
    if (!row) return;
    int n = preview.selectedRow;
    switch (id) {
    case idImportType: {
        if (code != CBN_SELCHANGE) return;
        int type = comboData(dialog, id);
        if (type < typeService || type > typeEarnings) return;
        if (listGroupOf(type) != listGroupOf(row->proposal.type)) {
            preview.initialising = true;  // the same texts, offered from the other group
            fillEntryBox(dialog, idImportDescr, descrList, listGroupOf(type), row->proposal.description);
            fillEntryBox(dialog, idImportName, nameList, listGroupOf(type), row->proposal.name);
            preview.initialising = false;
        }
        m.setRowType(n, static_cast<uint8_t>(type));
        break;
    }
    case idImportDescr:
    case idImportName:
        if (code != CBN_EDITCHANGE && code != CBN_SELCHANGE) return;
        if (id == idImportDescr) m.setRowDescription(n, boxChoice(dialog, id, code));
        else m.setRowName(n, boxChoice(dialog, id, code));
        break;
    case idImportTaxMode: {
        if (code != CBN_SELCHANGE) return;
        int mode = comboData(dialog, id);
        if (mode < 0) return;
        m.setRowTaxMode(n, static_cast<uint8_t>(mode));
        break;
    }
    case idImportTaxRate:
    case idImportTax: {
        // Taken when the box is left, as the record dialog reads its boxes;
        // a text that is no rate or amount is said and the box gets the row's
        // value back.
        if (code != EN_KILLFOCUS) return;
        char text[64] = "";
        GetDlgItemTextA(dialog, id, text, sizeof text);
        std::string refusal = id == idImportTaxRate ? m.setRowTaxRate(n, text) : m.setRowSpecifiedTax(n, text);
        if (!refusal.empty()) showMessage(refusal, "Import", mb::ok | mb::iconExclamation);
        break;
    }
    default: return;
    }
    InvalidateRect(listOf(dialog), nullptr, FALSE);
    rowsChanged(dialog);
}

// Checks (or unchecks) every row the model lets, and the list follows.
void checkAll(HWND dialog, bool checked) {
    preview.model.setAllChecked(checked);
    syncChecks(dialog);
    showFooter(dialog);
}

// Space: every selected row takes the opposite of the focused row's check.
// The list itself then turns the focused row's check, as it does for Space
// alone; a subclass to take the key over would slow every message the list
// gets.
void spacePressed(HWND dialog) {
    HWND list = listOf(dialog);
    int focused = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused < 0) return;
    bool checked = !preview.model.itemChecked(focused);
    for (int i = -1; (i = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;)
        if (i != focused) preview.model.setChecked(preview.model.items()[static_cast<size_t>(i)], checked);
    syncChecks(dialog);
    showFooter(dialog);
}

// --- Layout ---

void place(HWND dialog, int id, int x, int y, int w, int h, bool shown = true) {
    RECT r = {x, y, x + std::max(w, 1), y + std::max(h, 1)};
    MapDialogRect(dialog, &r);
    HWND control = GetDlgItem(dialog, id);
    MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

// The list's columns: each as wide as its heading and the longest of its
// texts (within bounds), Payee, Description and Name sharing what the list
// has beyond that, so that they widen with the window; the Why column
// gives way first where the list is too narrow. A width the user drags is
// kept for the rest of the preview.
void measureColumns(HWND dialog) {
    HWND list = listOf(dialog);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    auto widthOf = [&](const std::string& text) {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const ImportPreview& m = preview.model;
    // The longest texts by their length among the first lines are measured:
    // a statement of thousands of lines opens as fast.
    const int looked = std::min<int>(static_cast<int>(m.items().size()), 300);
    for (int c = 0; c < m.shownColumns(); ++c) {
        std::vector<std::string> texts;
        for (int i = 0; i < looked; ++i) texts.push_back(m.cellText(i, c));
        std::sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        int widest = widthOf(listColumns[c].heading);
        for (size_t t = 0; t < texts.size() && t < 5; ++t) widest = std::max(widest, widthOf(texts[t]));
        int least = dialogUnitsToPixels(dialog, c == 6 ? 80 : 24), most = dialogUnitsToPixels(dialog, c == 6 ? 400 : 160);
        preview.contentWidth[c] = std::min(std::max(widest + 14 + (c == 0 ? 18 : 0), least), most);
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
}

void fitColumns(HWND dialog) {
    HWND list = listOf(dialog);
    const int shown = preview.model.shownColumns();
    RECT client;
    GetClientRect(list, &client);
    int available = client.right - GetSystemMetrics(SM_CXVSCROLL);
    int widths[ImportPreview::columns] = {};
    int total = 0;
    for (int c = 0; c < shown; ++c) {
        widths[c] = preview.userWidth[c] > 0 ? preview.userWidth[c] : preview.contentWidth[c];
        total += widths[c];
    }
    const int widening[] = {2, 4, 5};  // Payee, Description, Name
    int extra = available - total;
    if (extra > 0) {
        // Shared by those of the three the user has not sized.
        std::vector<int> free;
        for (int k : widening)
            if (preview.userWidth[k] == 0) free.push_back(k);
        const int n = static_cast<int>(free.size());
        for (int i = 0; i < n; ++i) widths[free[static_cast<size_t>(i)]] += extra / n + (i < extra % n ? 1 : 0);
    } else if (extra < 0) {
        // Why gives way first, then Payee, Description and Name alike; a
        // width the user chose is kept.
        if (preview.userWidth[6] == 0) {
            int cut = std::min(-extra, std::max(0, widths[6] - dialogUnitsToPixels(dialog, 80)));
            widths[6] -= cut;
            extra += cut;
        }
        int least = dialogUnitsToPixels(dialog, 36), room = 0;
        for (int k : widening)
            if (preview.userWidth[k] == 0) room += std::max(0, widths[k] - least);
        for (int k : widening) {
            if (extra >= 0 || room == 0 || preview.userWidth[k] != 0) continue;
            int share = std::max(0, widths[k] - least);
            int cut = static_cast<int>((static_cast<int64_t>(-extra) * share + room - 1) / room);
            widths[k] -= std::min(cut, share);
        }
    }
    preview.fitting = true;
    for (int c = 0; c < shown; ++c) SendMessageA(list, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(widths[c], 0));
    preview.fitting = false;
}

void layout(HWND dialog) {
    RECT client, unit = {0, 0, 400, 800};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &unit);
    int w = client.right * 400 / std::max<LONG>(unit.right, 1), h = client.bottom * 800 / std::max<LONG>(unit.bottom, 1);
    bool csv = preview.model.isCsv();
    bool foreign = !preview.model.foreignCurrency().empty();
    place(dialog, idImportSource, 6, 5, w - 12, 9);
    place(dialog, idImportNote, 6, 15, w - 12, 9);
    int y = 27;
    int columnWidth = (w - 12 - 6 * 4) / 7;
    for (int i = 0; i < 7; ++i) {
        int x = 6 + i * (columnWidth + 4);
        place(dialog, columnBoxes[i] + labelOffset, x, y + 2, columnWidth, 8, csv);
        place(dialog, columnBoxes[i], x, y + 11, columnWidth, 120, csv);
    }
    if (csv) y += 28;
    place(dialog, idOrderLabel, 6, y + 2, 36, 8);
    place(dialog, idImportOrder, 44, y, 208, 80);
    place(dialog, idImportFlip, 258, y + 1, w - 264, 10);
    y += 15;
    place(dialog, idImportCurrency, 6, y, w - 12, 10, foreign);
    if (foreign) y += 13;
    // Under the list: the selected row's boxes, the balance and the footer
    // (each up to three lines, wrapped), then the buttons.
    int bottom = h - 101;
    place(dialog, idImportList, 6, y, w - 12, bottom - y);
    // Type, description, name, then a product's tax option, rate and tax.
    const int typeWidth = 60, modeWidth = 80, rateWidth = 32, taxWidth = 44, gap = 4;
    int boxWidth = (w - 12 - typeWidth - modeWidth - rateWidth - taxWidth - 5 * gap) / 2;
    int x = 6;
    auto placeBox = [&](int id, int width, int height) {
        place(dialog, id + labelOffset, x, bottom + 5, width, 8);
        place(dialog, id, x, bottom + 14, width, height);
        x += width + gap;
    };
    placeBox(idImportType, typeWidth, 100);
    placeBox(idImportDescr, boxWidth, 100);
    placeBox(idImportName, boxWidth, 100);
    placeBox(idImportTaxMode, modeWidth, 80);
    placeBox(idImportTaxRate, rateWidth, 12);
    placeBox(idImportTax, taxWidth, 12);
    place(dialog, idImportBalance, 6, bottom + 30, w - 12, 26);
    place(dialog, idImportFooter, 6, bottom + 56, w - 12, 26);
    place(dialog, idImportCheckAll, 6, h - 19, 56, 14);
    place(dialog, idImportUncheckAll, 66, h - 19, 56, 14);
    place(dialog, IDOK, w - 112, h - 19, 50, 14);
    place(dialog, IDCANCEL, w - 56, h - 19, 50, 14);
    fitColumns(dialog);
    InvalidateRect(dialog, nullptr, TRUE);
}

void addListColumns(HWND dialog) {
    HWND list = listOf(dialog);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int i = 0; i < preview.model.shownColumns(); ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = listColumns[i].right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = dialogUnitsToPixels(dialog, listColumns[i].width) + (i == 0 ? 16 : 0);  // the check box too
        column.pszText = const_cast<char*>(listColumns[i].heading);
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

// --- The dialog ---

bool acceptImport() {
    std::string refusal = preview.model.acceptRefusal();
    if (!refusal.empty()) {
        showMessage(refusal, "Import", mb::ok | mb::iconExclamation);
        return false;
    }
    preview.model.setColumnWidths(std::vector<int>(std::begin(preview.userWidth), std::end(preview.userWidth)));
    // A failure to remember is said there; the import goes on.
    rememberStatement(preview.model.memoryKey(), preview.model.toRemember(todayPacked()));
    return true;
}

void listNotified(HWND dialog, const NMHDR& header) {
    Window& p = preview;
    const size_t items = p.model.items().size();
    switch (header.code) {
    case LVN_GETDISPINFOA: {
        auto& info = reinterpret_cast<const NMLVDISPINFOA&>(header);
        if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= items)
            return;
        p.cell = p.model.cellText(info.item.iItem, info.item.iSubItem);
        lstrcpynA(info.item.pszText, p.cell.c_str(), info.item.cchTextMax);
        return;
    }
    case LVN_GETDISPINFOW: {
        auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
        if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= items)
            return;
        p.wideCell = wideText(p.model.cellText(info.item.iItem, info.item.iSubItem));
        lstrcpynW(info.item.pszText, p.wideCell.c_str(), info.item.cchTextMax);
        return;
    }
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE) spacePressed(dialog);
        return;
    case LVN_ITEMCHANGED: {
        auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (p.filling || change.iItem < 0 || static_cast<size_t>(change.iItem) >= items ||
            !(change.uChanged & LVIF_STATE))
            return;
        int n = p.model.items()[static_cast<size_t>(change.iItem)];
        if ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) {
            bool checked = (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
            if (!p.model.setChecked(n, checked) && checked) {  // a line that cannot be imported stays unchecked
                p.filling = true;
                setListItemChecked(header.hwndFrom, change.iItem, false);
                p.filling = false;
            }
            showFooter(dialog);
        }
        // The boxes below edit the focused row: the one clicked last.
        bool focused = (change.uNewState & LVIS_FOCUSED) && !(change.uOldState & LVIS_FOCUSED);
        bool selected = (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED);
        if (focused || (selected && (change.uNewState & LVIS_FOCUSED))) {
            p.selectedRow = n;
            loadRowBoxes(dialog);
        }
        return;
    }
    }
}

void boxChanged(HWND dialog, int id, int code) {
    ImportPreview& m = preview.model;
    if (id == idImportOrder && code == CBN_SELCHANGE) {
        int order = comboData(dialog, id);
        if (order < 0) return;
        m.setOrder(static_cast<DateOrder>(order));
        showRows(dialog);
    } else if (id >= idImportDateColumn && id <= idImportBalanceColumn && code == CBN_SELCHANGE) {
        int column = comboData(dialog, id);
        if (column == -2) return;
        auto role = static_cast<ColumnRole>(std::find(std::begin(columnBoxes), std::end(columnBoxes), id) - columnBoxes);
        m.setColumn(role, column);
        preview.initialising = true;
        fillOrderBox(dialog);
        preview.initialising = false;
        showRows(dialog);
    } else if ((id == idImportCheckAll || id == idImportUncheckAll) && code == BN_CLICKED) {
        checkAll(dialog, id == idImportCheckAll);
    } else if (id == idImportCurrency && code == BN_CLICKED) {
        m.confirmCurrency(IsDlgButtonChecked(dialog, idImportCurrency) == BST_CHECKED);
        showFooter(dialog);
    } else if (id == idImportFlip && code == BN_CLICKED) {
        m.setFlip(IsDlgButtonChecked(dialog, idImportFlip) == BST_CHECKED);
        showRows(dialog);
    } else {
        rowBoxChanged(dialog, id, code);
    }
}

INT_PTR CALLBACK previewProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    Window& p = preview;
    switch (msg) {
    case WM_INITDIALOG: {
        p.initialising = true;
        addSelectAllKey(dialog);
        addListColumns(dialog);
        HWND type = GetDlgItem(dialog, idImportType);
        // A product taken for personal use moves no money: no statement line is one.
        for (int t = 1; t <= 6; ++t)
            if (t != typePersonal) addComboItem(type, typeTexts[t], t, false);
        HWND mode = GetDlgItem(dialog, idImportTaxMode);
        for (uint8_t m = modeTaxAdded; m <= modeResale; ++m) addComboItem(mode, taxOptionText(m), m, false);
        for (int id : {idImportDescr, idImportName})
            SendMessageA(GetDlgItem(dialog, id), CB_LIMITTEXT, maxEntryBytes - 1, 0);
        for (int id : {idImportTaxRate, idImportTax}) SendMessageA(GetDlgItem(dialog, id), EM_LIMITTEXT, 20, 0);
        if (p.model.isCsv()) fillColumnBoxes(dialog);
        fillOrderBox(dialog);
        CheckDlgButton(dialog, idImportFlip, p.model.flip() ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(GetDlgItem(dialog, idImportFlip), !p.model.readsOwnExport());
        if (!p.model.foreignCurrency().empty()) {
            std::string text = "&Take the amounts as they stand: they are in " + p.model.foreignCurrency() +
                               ", the books in " + booksCurrency + ", and nothing is converted";
            SetDlgItemTextA(dialog, idImportCurrency, text.c_str());
            CheckDlgButton(dialog, idImportCurrency, p.model.currencyConfirmed() ? BST_CHECKED : BST_UNCHECKED);
        }
        const std::vector<int>& widths = p.model.columnWidths();
        for (size_t c = 0; c < widths.size() && c < ImportPreview::columns; ++c) p.userWidth[c] = widths[c];
        RECT window;
        GetWindowRect(dialog, &window);
        p.minimumSize = {window.right - window.left, window.bottom - window.top};
        layout(dialog);
        showRows(dialog);
        p.initialising = false;
        SetFocus(listOf(dialog));
        return FALSE;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->idFrom == idImportList) {
            listNotified(dialog, *header);
        } else if ((header->code == HDN_ENDTRACKA || header->code == HDN_ENDTRACKW) && !p.fitting &&
                   header->hwndFrom == reinterpret_cast<HWND>(SendMessageA(listOf(dialog), LVM_GETHEADER, 0, 0))) {
            // The user dragged a column's edge: that width stays.
            auto& track = reinterpret_cast<const NMHEADERA&>(*header);
            if (track.iItem >= 0 && track.iItem < ImportPreview::columns && track.pitem && (track.pitem->mask & HDI_WIDTH))
                p.userWidth[track.iItem] = track.pitem->cxy;
        }
        return FALSE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        if (id == IDOK && code == BN_CLICKED) {
            // A rate or tax being typed is taken before the rows are.
            HWND focus = GetFocus();
            if (focus == GetDlgItem(dialog, idImportTaxRate) || focus == GetDlgItem(dialog, idImportTax))
                rowBoxChanged(dialog, GetDlgCtrlID(focus), EN_KILLFOCUS);
            if (acceptImport()) EndDialog(dialog, IDOK);
        } else if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        } else if (!p.initialising) {
            boxChanged(dialog, id, code);
        }
        return TRUE;
    }
    case WM_GETMINMAXINFO:
        if (p.minimumSize.x > 0) reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = p.minimumSize;
        return TRUE;
    case WM_SIZE:
        layout(dialog);
        return FALSE;
    }
    return FALSE;
}

cDialogTemplate previewTemplate() {
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | DS_3DLOOK | DS_CENTER |
                          DS_MODALFRAME,
                      0, 0, 0, 480, 300, "Import Statement");
    // Positions come from the layout when the dialog initialises.
    t.add(idImportSource, "STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 6, 5, 460, 9);
    t.add(idImportNote, "STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 6, 15, 460, 9);
    for (int i = 0; i < columnRoleCount; ++i) {
        t.add(columnBoxes[i] + labelOffset, "STATIC", columnLabels[i], SS_LEFT, 0, 6, 27, 60, 8);
        t.add(columnBoxes[i], "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 6, 38, 60, 120);
    }
    t.add(idOrderLabel, "STATIC", "Dates are", SS_LEFT, 0, 6, 57, 36, 8);
    t.add(idImportOrder, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 44, 55, 170, 80);
    t.add(idImportFlip, "BUTTON", "&Charges are positive (card statement): turn the signs round",
          BS_AUTOCHECKBOX | WS_TABSTOP, 0, 222, 56, 250, 10);
    t.add(idImportCurrency, "BUTTON", "&Take the amounts as they stand", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 6, 70,
          460, 10);
    t.add(idImportList, WC_LISTVIEWA, "", LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, 6, 71, 468,
          150);
    t.add(idImportType + labelOffset, "STATIC", "&Type", SS_LEFT, 0, 6, 227, 60, 8);
    t.add(idImportType, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 6, 236, 60, 100);
    t.add(idImportDescr + labelOffset, "STATIC", "&Description", SS_LEFT, 0, 70, 227, 200, 8);
    t.add(idImportDescr, "COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0,
          70, 236, 200, 100);
    t.add(idImportName + labelOffset, "STATIC", "&Name", SS_LEFT, 0, 274, 227, 200, 8);
    t.add(idImportName, "COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0,
          274, 236, 200, 100);
    t.add(idImportTaxMode + labelOffset, "STATIC", "&Sales tax", SS_LEFT, 0, 280, 227, 80, 8);
    t.add(idImportTaxMode, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 280, 236, 80, 80);
    t.add(idImportTaxRate + labelOffset, "STATIC", "&Rate %", SS_LEFT, 0, 364, 227, 32, 8);
    t.add(idImportTaxRate, "EDIT", "", ES_AUTOHSCROLL | ES_RIGHT | WS_TABSTOP, WS_EX_CLIENTEDGE, 364, 236, 32, 12);
    t.add(idImportTax + labelOffset, "STATIC", "Ta&x", SS_LEFT, 0, 400, 227, 40, 8);
    t.add(idImportTax, "EDIT", "", ES_AUTOHSCROLL | ES_RIGHT | WS_TABSTOP, WS_EX_CLIENTEDGE, 400, 236, 40, 12);
    t.add(idImportBalance, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0, 6, 253, 468, 17);
    t.add(idImportFooter, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0, 6, 264, 356, 34);
    t.add(idImportCheckAll, "BUTTON", "Check &all", BS_PUSHBUTTON | WS_TABSTOP, 0, 6, 280, 56, 14);
    t.add(idImportUncheckAll, "BUTTON", "&Uncheck all", BS_PUSHBUTTON | WS_TABSTOP, 0, 66, 280, 56, 14);
    t.add(IDOK, "BUTTON", "&Import", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 368, 280, 50, 14);
    t.add(IDCANCEL, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 424, 280, 50, 14);
    return t;
}

}  // namespace

bool showImportPreview(HWND owner, const std::string& path, const Bytes& bytes, std::vector<ImportRow>& rows,
                       RememberedBalance* closing, bool* hasClosing) {
    rows.clear();
    if (hasClosing) *hasClosing = false;
    std::string fileName = fileNameOf(path);
    std::string error = preview.model.open(fileName, bytes);
    if (!error.empty()) {
        showMessage(fileName + " cannot be imported:\r\n" + error, "Import", mb::ok | mb::iconExclamation);
        preview = Window{};
        return false;
    }
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    cDialogTemplate t = previewTemplate();
    bool accepted = t.runModal(owner, previewProc) == IDOK;
    if (accepted) {
        RememberedBalance balance;
        bool has = preview.model.closingBalance(todayPacked(), balance);
        if (closing && has) *closing = balance;
        if (hasClosing) *hasClosing = has;
        rows = preview.model.takeRows();
    }
    preview = Window{};
    return accepted;
}
