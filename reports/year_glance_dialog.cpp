#include "reports/year_glance_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <type_traits>
#include <vector>

#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/tax_arithmetic.h"
#include "reports/csv_export.h"
#include "reports/glance_chart.h"
#include "reports/glance_print.h"
#include "reports/year_glance.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

namespace {

// The dialog while it is open (one at a time: it is modal).
struct GlanceState {
    HWND dialog = nullptr;
    std::vector<GlanceSource> sources;
    std::vector<int> years;  // offered in both year boxes, latest first
    Glance glance;
    GlanceGroup group = GlanceGroup::description;
    std::vector<GlanceRow> rows;
    SIZE minimum = {0, 0};  // the window's size at its template: its smallest
    HFONT bold = nullptr;   // headings and totals in the table
    INT charWidths[256] = {};
    std::string cellBuffer;
    GlanceChoice choice;
};
GlanceState state;

HWND item(int id) { return GetDlgItem(state.dialog, id); }

int boxYear(int id) {
    HWND box = item(id);
    LRESULT at = SendMessageA(box, CB_GETCURSEL, 0, 0);
    return at == CB_ERR ? 0 : static_cast<int>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

void selectYear(int id, int year) {
    HWND box = item(id);
    int n = static_cast<int>(SendMessageA(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        if (SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == year)
            SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

// From the year before the first with transactions to this year or the
// last with transactions, latest first.
std::vector<int> offeredYears(const std::vector<int>& withTransactions) {
    int first = withTransactions.empty() ? currentLocalYear() : withTransactions.front();
    int last = std::max(withTransactions.empty() ? first : withTransactions.back(), currentLocalYear());
    std::vector<int> years;
    for (int y = last; y >= first - 1 && y >= 1980; --y) years.push_back(y);
    return years;
}

void fillYearBoxes() {
    for (int id : {int{idGlanceYear}, int{idGlanceCompare}}) {
        HWND box = item(id);
        SendMessageA(box, CB_RESETCONTENT, 0, 0);
        for (int y : state.years) {
            std::string text = std::to_string(y);
            LRESULT at = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(at), y);
        }
    }
}

// The archive files left out, and why, in the line under the chart.
void showProblems() {
    std::string text;
    for (const GlanceSource& s : state.sources)
        if (!s.problem.empty()) text += (text.empty() ? "Left out: " : "; ") + s.path + " (" + s.problem + ")";
    SetWindowTextA(item(idGlanceProblems), text.c_str());
    ShowWindow(item(idGlanceProblems), text.empty() ? SW_HIDE : SW_SHOW);
}

// --- The table ---

void setColumnTitle(HWND table, int column, const std::string& title) {
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT;
    c.pszText = const_cast<char*>(title.c_str());
    SendMessageA(table, LVM_SETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
}

// The width of a text in the table's font, from the widths of its
// characters (measured once): a switch sizes fifteen columns of every row.
int textWidth(const std::string& text) {
    int w = 0;
    for (unsigned char c : text) w += state.charWidths[c];
    return w;
}

void measureCharacters() {
    HWND table = item(idGlanceTable);
    HDC dc = GetDC(table);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(table, WM_GETFONT, 0, 0)));
    if (!GetCharWidth32A(dc, 0, 255, state.charWidths))
        for (INT& w : state.charWidths) w = 8;
    SelectObject(dc, old);
    ReleaseDC(table, dc);
}

void fillTable() {
    const Glance& g = state.glance;
    state.rows = glanceRows(g);
    HWND table = item(idGlanceTable);
    SendMessageA(table, WM_SETREDRAW, FALSE, 0);
    setColumnTitle(table, 13, std::to_string(g.year));
    setColumnTitle(table, 14, std::to_string(g.comparedYear));
    // The rows are drawn from the glance as they are shown (a virtual list).
    SendMessageA(table, LVM_SETITEMCOUNT, state.rows.size(), 0);
    // Every number column as wide as its widest text or its heading.
    const int padding = textWidth("000");
    for (int c = 1; c <= 15; ++c) {
        int width = textWidth(c <= 12 ? glanceMonthName(c) : c == 13 ? std::to_string(g.year)
                                                     : c == 14   ? std::to_string(g.comparedYear)
                                                                 : "Change");
        for (const GlanceRow& r : state.rows)
            if (r.line) width = std::max(width, textWidth(glanceCellText(*r.line, c)));
        SendMessageA(table, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), MAKELPARAM(width + padding, 0));
    }
    SendMessageA(table, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(table, nullptr, TRUE);
}

// A cell's text, asked for by the list as it draws it.
template <class Info> void giveText(Info& info, std::string& buffer) {
    auto& it = info.item;
    if (!(it.mask & LVIF_TEXT) || it.iItem < 0 || static_cast<size_t>(it.iItem) >= state.rows.size()) return;
    const GlanceRow& r = state.rows[static_cast<size_t>(it.iItem)];
    buffer = it.iSubItem == 0 ? r.label : r.line ? glanceCellText(*r.line, it.iSubItem) : std::string();
    if (it.cchTextMax <= 0) return;
    if constexpr (std::is_same_v<decltype(it.pszText), LPWSTR>) {
        std::wstring wide = wideText(buffer);
        lstrcpynW(it.pszText, wide.c_str(), it.cchTextMax);
    } else {
        lstrcpynA(it.pszText, buffer.c_str(), it.cchTextMax);
    }
}

void createColumns() {
    HWND table = item(idGlanceTable);
    SendMessageA(table, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    RECT units = {0, 0, 110, 40};  // the label column, a number column, in dialog units
    MapDialogRect(state.dialog, &units);
    for (int c = 0; c <= 15; ++c) {
        std::string title = c == 0 ? "" : c <= 12 ? glanceMonthName(c) : c == 15 ? "Change" : "";
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.fmt = c == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        col.cx = c == 0 ? units.right - units.left : units.bottom - units.top;
        col.pszText = const_cast<char*>(title.c_str());
        SendMessageA(table, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    }
}

// --- Recomputing ---

void recompute() {
    state.group = IsDlgButtonChecked(state.dialog, idGlanceByName) == BST_CHECKED ? GlanceGroup::name
                                                                                  : GlanceGroup::description;
    state.glance = computeGlance(state.sources, boxYear(idGlanceYear), boxYear(idGlanceCompare), state.group);
    fillTable();
    setGlanceChart(item(idGlanceChart), &state.glance);
}

void readSources(const std::vector<std::string>& extra) {
    state.sources = glanceSources(extra);
    state.years = offeredYears(glanceYears(state.sources));
    showProblems();
}

// "Add archive file...": the books remember it from now on (a step of
// their history, saved beside the ledger), and it is read at once.
void addArchivePressed() {
    FileDialogRequest request = ledgerFileRequest(false, "Add archive file", dataFolder,
                                                  OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
    std::string path = prompts().fileDialog(request);
    if (path.empty()) return;
    if (!ledgerPath.empty() && sameFile(path, ledgerPath)) {
        showMessage(path + " is the open ledger; its year is already here.", "Year at a Glance",
                    mb::ok | mb::iconExclamation);
        return;
    }
    GlanceSource read = readArchiveSource(path);
    if (!read.problem.empty()) {
        showMessage(path + " cannot be read as an archive file: " + read.problem + ".", "Year at a Glance",
                    mb::ok | mb::iconExclamation);
        return;
    }
    for (const ArchiveNote& a : ledger.beside.archives)
        if (sameFile(a.path, path)) return readSources({});
    int year = boxYear(idGlanceYear), compared = boxYear(idGlanceCompare);
    addArchiveNote({path, 0, todayPacked()});
    commitStep("Add archive file");
    readSources({});
    fillYearBoxes();
    selectYear(idGlanceYear, year);
    selectYear(idGlanceCompare, compared);
    recompute();
}

// --- A double click on a cell ---

// "MM-DD-YYYY".
std::string monthDay(int month, int day, int year) {
    auto two = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return two(month) + "-" + two(day) + "-" + std::to_string(year);
}

void cellChosen(int row, int column) {
    if (row < 0 || row >= static_cast<int>(state.rows.size()) || column < 1 || column > 14) return;
    const GlanceRow& r = state.rows[static_cast<size_t>(row)];
    if (r.kind == GlanceRow::heading) return;
    GlanceCell cell;
    cell.line = r.kind == GlanceRow::item            ? GlanceCell::item
                : r.kind == GlanceRow::incomeTotal   ? GlanceCell::incomeTotal
                : r.kind == GlanceRow::expensesTotal ? GlanceCell::expensesTotal
                : r.kind == GlanceRow::net           ? GlanceCell::net
                                                     : GlanceCell::miles;
    cell.income = r.income;
    if (r.kind == GlanceRow::item) cell.label = r.line->label;
    cell.year = column == 14 ? state.glance.comparedYear : state.glance.year;
    cell.month = column <= 12 ? column : 0;
    std::vector<std::string> files = glanceCellFiles(state.sources, cell, state.group);
    if (files.empty()) return;  // nothing there to show
    bool inBooks = std::find(files.begin(), files.end(), std::string()) != files.end();
    if (!inBooks) {
        showMessage("These transactions are in the archive file " + files.front() +
                        ".\r\nOpen it with File > Open to see them in the list.",
                    "Year at a Glance", mb::ok | mb::iconInformation);
        return;
    }
    FilterValues& f = state.choice.filter;
    f.startDate = packDate(monthDay(cell.month ? cell.month : 1, 1, cell.year));
    int lastMonth = cell.month ? cell.month : 12, lastDay = 31;
    while (lastDay > 28 && !dayFitsMonth(monthDay(lastMonth, lastDay, cell.year))) --lastDay;
    f.endDate = packDate(monthDay(lastMonth, lastDay, cell.year));
    if (cell.line == GlanceCell::item) {
        ListKind kind = state.group == GlanceGroup::description ? descrList : nameList;
        (kind == descrList ? f.descrIndex : f.nameIndex) = firstEntryWithText(kind, cell.label);
    } else if (cell.line == GlanceCell::miles) {
        f.descrIndex = firstEntryWhere(descrList, isMileageDescription);
    }
    if (files.size() > 1) state.choice.note = "More of these are in archive files";
    state.choice.show = true;
    EndDialog(state.dialog, IDOK);
}

// --- Layout ---

void layout() {
    RECT client;
    GetClientRect(state.dialog, &client);
    RECT u = {4, 22, 0, 10};  // margin, the top row's height, -, a line
    MapDialogRect(state.dialog, &u);
    const int m = u.left, top = u.top, lineH = u.bottom;
    // The buttons keep to the right edge.
    int x = client.right - m;
    for (int id : {int{IDCANCEL}, int{idGlanceExport}, int{idGlancePrint}, int{idGlanceAddArchive}}) {
        RECT r;
        GetWindowRect(item(id), &r);
        MapWindowPoints(nullptr, state.dialog, reinterpret_cast<POINT*>(&r), 2);
        x -= r.right - r.left;
        SetWindowPos(item(id), nullptr, x, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        x -= m;
    }
    bool problems = IsWindowVisible(item(idGlanceProblems)) != FALSE;
    int height = client.bottom - top - m;
    int chartH = height * 2 / 5;
    SetWindowPos(item(idGlanceChart), nullptr, m, top, client.right - 2 * m, chartH, SWP_NOZORDER);
    int y = top + chartH + m / 2;
    if (problems) {
        SetWindowPos(item(idGlanceProblems), nullptr, m, y, client.right - 2 * m, lineH, SWP_NOZORDER);
        y += lineH + m / 2;
    }
    SetWindowPos(item(idGlanceTable), nullptr, m, y, client.right - 2 * m, client.bottom - m - y, SWP_NOZORDER);
}

BOOL initialise(HWND dialog) {
    state.dialog = dialog;
    RECT w;
    GetWindowRect(dialog, &w);
    state.minimum = {w.right - w.left, w.bottom - w.top};
    addSelectAllKey(dialog);
    CheckRadioButton(dialog, idGlanceByDescr, idGlanceByName, idGlanceByDescr);
    readSources({});
    fillYearBoxes();
    std::vector<int> withTransactions = glanceYears(state.sources);
    int year = withTransactions.empty() ? currentLocalYear() : withTransactions.back();
    selectYear(idGlanceYear, year);
    selectYear(idGlanceCompare, year - 1);
    LOGFONTA lf = {};
    if (GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof lf, &lf)) {
        lf.lfWeight = FW_BOLD;
        state.bold = CreateFontIndirectA(&lf);
    }
    createColumns();
    measureCharacters();
    layout();
    recompute();
    return TRUE;
}

// Headings and totals stand out in bold.
LRESULT customDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    size_t row = draw.nmcd.dwItemSpec;
    if (row >= state.rows.size() || state.rows[row].kind == GlanceRow::item || !state.bold) return CDRF_DODEFAULT;
    SelectObject(draw.nmcd.hdc, state.bold);
    return CDRF_NEWFONT;
}

INT_PTR notified(const NMHDR& n) {
    if (n.idFrom == idGlanceTable && n.code == LVN_GETDISPINFOA) {
        giveText(*reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&n)), state.cellBuffer);
        return TRUE;
    }
    if (n.idFrom == idGlanceTable && n.code == LVN_GETDISPINFOW) {
        giveText(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&n)), state.cellBuffer);
        return TRUE;
    }
    if (n.idFrom == idGlanceTable && n.code == NM_CUSTOMDRAW) {
        SetWindowLongPtrA(state.dialog, DWLP_MSGRESULT, customDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&n))));
        return TRUE;
    }
    if (n.idFrom != idGlanceTable || n.code != NM_DBLCLK) return FALSE;
    const auto& a = reinterpret_cast<const NMITEMACTIVATE&>(n);
    LVHITTESTINFO hit = {};
    hit.pt = a.ptAction;
    SendMessageA(n.hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    cellChosen(hit.iItem, hit.iSubItem);
    return TRUE;
}

void command(int id, int code) {
    if ((id == idGlanceYear || id == idGlanceCompare) && code == CBN_SELCHANGE) return recompute();
    if (code != BN_CLICKED) return;
    switch (id) {
    case idGlanceByDescr:
    case idGlanceByName: return recompute();
    case idGlanceAddArchive: return addArchivePressed();
    case idGlancePrint: return printGlance(state.glance, ledgerPath);
    case idGlanceExport: exportCsv(glanceCsv(state.glance), "Export"); return;
    case IDCANCEL: EndDialog(state.dialog, IDCANCEL); return;
    default: return;
    }
}

INT_PTR CALLBACK glanceProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
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

cDialogTemplate glanceTemplate() {
    cDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN | DS_MODALFRAME | DS_CENTER |
                          DS_3DLOOK,
                      0, 0, 0, 520, 330, "Year at a Glance");
    const DWORD years = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    t.add(noId, "STATIC", "&Year:", SS_RIGHT, 0, 4, 6, 20, 10);
    t.add(idGlanceYear, "COMBOBOX", "", years | WS_GROUP, 0, 26, 4, 36, 120);
    t.add(noId, "STATIC", "&Compared with:", SS_RIGHT, 0, 66, 6, 52, 10);
    t.add(idGlanceCompare, "COMBOBOX", "", years, 0, 120, 4, 36, 120);
    t.add(idGlanceByDescr, "BUTTON", "By &description", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 166, 5, 64, 12);
    t.add(idGlanceByName, "BUTTON", "By &name", BS_AUTORADIOBUTTON, 0, 232, 5, 44, 12);
    t.add(idGlanceAddArchive, "BUTTON", "&Add archive file...", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 280, 3, 72, 14);
    t.add(idGlancePrint, "BUTTON", "&Print", BS_PUSHBUTTON | WS_TABSTOP, 0, 356, 3, 40, 14);
    t.add(idGlanceExport, "BUTTON", "&Export", BS_PUSHBUTTON | WS_TABSTOP, 0, 400, 3, 40, 14);
    t.add(IDCANCEL, "BUTTON", "C&lose", BS_PUSHBUTTON | WS_TABSTOP, 0, 444, 3, 40, 14);
    t.add(idGlanceChart, glanceChartClass, "", 0, WS_EX_CLIENTEDGE, 4, 22, 512, 120);
    t.add(idGlanceProblems, "STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 4, 146, 512, 10);
    t.add(idGlanceTable, WC_LISTVIEWA, "", LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
          WS_EX_CLIENTEDGE, 4, 158, 512, 168);
    return t;
}

}  // namespace

GlanceChoice showYearAtAGlance(HWND owner) {
    registerGlanceChartClass();
    state = GlanceState{};
    cDialogTemplate t = glanceTemplate();
    t.runModal(owner, glanceProc);
    if (state.bold) DeleteObject(state.bold);
    GlanceChoice choice = state.choice;
    state = GlanceState{};
    return choice;
}
