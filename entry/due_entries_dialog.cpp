#include "entry/due_entries_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <iterator>
#include <string>

#include "ledger/tables.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"
#include "ui/list_checks.h"

namespace {

const char* const typeTexts[] = {"", "Service", "Expense", "Sold", "Bought", "Personal", "Earnings"};

struct Column {
    const char* heading;
    int width;  // dialog units
    bool right;
};
const Column columns[] = {{"Date", 48, false},        {"Type", 36, false},   {"Description", 100, false},
                          {"Name", 78, false},        {"Amount", 46, true},  {"Note", 76, false}};

// One entry as the dialog shows it.
struct Row {
    DueEntry entry;
    uint16_t postOn = 0;  // the date the user gave it; 0 for its own
    bool skipped = false;
};

// The one dialog open at a time.
struct Window {
    std::vector<Row> rows;
    std::string cell;
    std::wstring wideCell;
    bool filling = false;  // the program's own changes to the check boxes
    bool asking = false;   // a question of the dialog is up: its buttons wait
    int result = -1;
};
Window dialogState;

HWND listOf(HWND dialog) { return GetDlgItem(dialog, idDueList); }

std::string cellText(const Row& row, int column) {
    const Schedule* s = findSchedule(row.entry.schedule);
    if (!s) return "";
    switch (column) {
    case 0: return formatDate(row.postOn ? row.postOn : row.entry.date);
    case 1: return s->record.type < 7 ? typeTexts[s->record.type] : "";
    case 2: return s->description;
    case 3: return s->name;
    case 4: return formatAmount(s->record.amount);
    default:
        if (row.skipped) return "Skipped";
        if (row.entry.inBooks) return "Already in the books";
        if (row.entry.unproven) return "From other books' file";
        if (row.postOn && row.postOn != row.entry.date) return "Due " + formatDate(row.entry.date);
        return "";
    }
}

void fillList(HWND dialog) {
    HWND list = listOf(dialog);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int i = 0; i < static_cast<int>(std::size(columns)); ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = columns[i].right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = dialogUnitsToPixels(dialog, columns[i].width) + (i == 0 ? 16 : 0);  // the check box too
        column.pszText = const_cast<char*>(columns[i].heading);
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    dialogState.filling = true;
    for (size_t i = 0; i < dialogState.rows.size(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        // An entry the books seem to hold, or one only another ledger's
        // side file vouches for, is posted only when the user checks it.
        const DueEntry& e = dialogState.rows[i].entry;
        setListItemChecked(list, static_cast<int>(i), !e.inBooks && !e.unproven);
    }
    dialogState.filling = false;
    LVITEMA first = {};
    first.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    first.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
}

void redrawRow(HWND dialog, int item) {
    SendMessageA(listOf(dialog), LVM_REDRAWITEMS, static_cast<WPARAM>(item), item);
}

// Skip: the selected entries are unchecked and marked, to be passed over
// for good when Post is clicked.
void skipSelected(HWND dialog) {
    HWND list = listOf(dialog);
    for (int i = -1; (i = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;) {
        dialogState.rows[static_cast<size_t>(i)].skipped = true;
        dialogState.filling = true;
        setListItemChecked(list, i, false);
        dialogState.filling = false;
        redrawRow(dialog, i);
    }
}

// Post: the checked entries on their dates and the skipped ones, as one
// step; a refusal (a full table) leaves the dialog open and the books as
// they were.
void post(HWND dialog) {
    HWND list = listOf(dialog);
    std::vector<DuePosting> posting;
    std::vector<DueEntry> skipping;
    for (size_t i = 0; i < dialogState.rows.size(); ++i) {
        const Row& r = dialogState.rows[i];
        if (listItemChecked(list, static_cast<int>(i)))
            posting.push_back({r.entry.schedule, r.entry.date, r.postOn});
        else if (r.skipped)
            skipping.push_back(r.entry);
    }
    dialogState.asking = true;
    int posted = postDueEntries(posting, skipping);
    dialogState.asking = false;
    if (posted < 0) return;
    dialogState.result = posted;
    EndDialog(dialog, IDOK);
}

// The date typed in place: taken when it is a date of the ledger's range,
// refused as the entry dialog refuses one otherwise.
BOOL dateEdited(HWND dialog, const NMLVDISPINFOA& info) {
    if (!info.item.pszText || info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= dialogState.rows.size())
        return FALSE;
    std::string fixed = normalizeDateText(info.item.pszText);
    // A year past the packed range would wrap round to an early one.
    int year = fixed.size() == 10 ? std::atoi(fixed.c_str() + 6) : 0;
    uint16_t packed = year < 1980 || year > 2107 || !dayFitsMonth(fixed) ? 0 : packDate(fixed);
    if (!isRealDate(packed)) {
        dialogState.asking = true;
        showMessage("Illegal date", "", mb::ok | mb::iconStop);
        dialogState.asking = false;
        return FALSE;
    }
    Row& row = dialogState.rows[static_cast<size_t>(info.item.iItem)];
    row.postOn = packed == row.entry.date ? 0 : packed;
    redrawRow(dialog, info.item.iItem);
    return FALSE;  // the text comes from the row
}

INT_PTR listNotified(HWND dialog, const NMHDR& header) {
    Window& w = dialogState;
    auto valid = [&](int item) { return item >= 0 && static_cast<size_t>(item) < w.rows.size(); };
    switch (header.code) {
    case LVN_GETDISPINFOA: {
        auto& info = reinterpret_cast<const NMLVDISPINFOA&>(header);
        if (!(info.item.mask & LVIF_TEXT) || !valid(info.item.iItem)) return FALSE;
        w.cell = cellText(w.rows[static_cast<size_t>(info.item.iItem)], info.item.iSubItem);
        lstrcpynA(info.item.pszText, w.cell.c_str(), info.item.cchTextMax);
        return FALSE;
    }
    case LVN_GETDISPINFOW: {
        auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
        if (!(info.item.mask & LVIF_TEXT) || !valid(info.item.iItem)) return FALSE;
        w.wideCell = wideText(cellText(w.rows[static_cast<size_t>(info.item.iItem)], info.item.iSubItem));
        lstrcpynW(info.item.pszText, w.wideCell.c_str(), info.item.cchTextMax);
        return FALSE;
    }
    case LVN_BEGINLABELEDITA:
    case LVN_BEGINLABELEDITW: {
        if (w.asking) return TRUE;
        HWND edit = reinterpret_cast<HWND>(SendMessageA(header.hwndFrom, LVM_GETEDITCONTROL, 0, 0));
        if (edit) SendMessageA(edit, EM_LIMITTEXT, 10, 0);
        return FALSE;
    }
    case LVN_ENDLABELEDITA:
        return dateEdited(dialog, reinterpret_cast<const NMLVDISPINFOA&>(header));
    case LVN_ENDLABELEDITW: {
        auto& wide = reinterpret_cast<const NMLVDISPINFOW&>(header);
        NMLVDISPINFOA info = {};
        info.hdr = wide.hdr;
        info.item.iItem = wide.item.iItem;
        std::string text = wide.item.pszText ? ansiText(wide.item.pszText) : std::string();
        info.item.pszText = wide.item.pszText ? &text[0] : nullptr;
        return dateEdited(dialog, info);
    }
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_F2) {
            int focused = static_cast<int>(SendMessageA(header.hwndFrom, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
            if (valid(focused)) SendMessageA(header.hwndFrom, LVM_EDITLABELA, static_cast<WPARAM>(focused), 0);
        }
        return FALSE;
    case LVN_ITEMCHANGED: {
        auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (w.filling || !valid(change.iItem) || !(change.uChanged & LVIF_STATE) ||
            !((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK))
            return FALSE;
        // Checking a skipped entry takes it back: it is posted, not skipped.
        Row& row = w.rows[static_cast<size_t>(change.iItem)];
        if ((change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2) && row.skipped) {
            row.skipped = false;
            redrawRow(dialog, change.iItem);
        }
        return FALSE;
    }
    }
    return FALSE;
}

INT_PTR CALLBACK dueProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        fillList(dialog);
        SetFocus(listOf(dialog));
        return FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->idFrom != idDueList) return FALSE;
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, listNotified(dialog, *header));
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        // Input that reaches the dialog behind its own question waits for it.
        if (dialogState.asking || code != BN_CLICKED) return TRUE;
        if (id == IDOK) post(dialog);
        if (id == idDueSkip) skipSelected(dialog);
        if (id == IDCANCEL) EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    case WM_CLOSE:
        if (!dialogState.asking) EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

cDialogTemplate dueTemplate() {
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_3DLOOK | DS_CENTER | DS_MODALFRAME, 0, 0, 0, 420, 214,
                      "Due Entries");
    t.add(idDueNote, "STATIC",
          "These scheduled entries are due. The checked ones are added to the books when you click Post, on the "
          "date shown: click a selected date or press F2 to change it. Skip passes the selected entries over for "
          "good; the ones left unchecked are offered again next time.",
          SS_LEFT | SS_NOPREFIX, 0, 6, 5, 408, 26);
    t.add(idDueList, WC_LISTVIEWA, "",
          LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS | WS_BORDER | WS_TABSTOP | WS_VSCROLL, 0, 6, 33, 408, 156);
    t.add(idDueSkip, "BUTTON", "&Skip", BS_PUSHBUTTON | WS_TABSTOP, 0, 6, 195, 50, 14);
    t.add(IDOK, "BUTTON", "&Post", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 308, 195, 50, 14);
    t.add(IDCANCEL, "BUTTON", "&Later", BS_PUSHBUTTON | WS_TABSTOP, 0, 364, 195, 50, 14);
    return t;
}

}  // namespace

int showDueEntries(HWND owner, const std::vector<DueEntry>& due) {
    dialogState = Window{};
    for (const DueEntry& e : due) dialogState.rows.push_back({e, 0, false});
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    cDialogTemplate t = dueTemplate();
    t.runModal(owner, dueProc);
    int result = dialogState.result;
    dialogState = Window{};
    return result;
}
