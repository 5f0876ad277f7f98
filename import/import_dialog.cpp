#include "import/import_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "import/csv_reader.h"
#include "import/ofx_reader.h"
#include "import/qif_reader.h"
#include "import/statement_memory.h"
#include "lists/entry_matching.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "text/plain_text.h"
#include "ui/dialog_template.h"
#include "ui/prompts.h"

namespace {

constexpr int labelOffset = 100;  // the label of a box: its id + 100
enum : int { idOrderLabel = idImportOrder + labelOffset };

const int columnBoxes[] = {idImportDateColumn,  idImportAmountColumn, idImportDebitColumn, idImportCreditColumn,
                           idImportPayeeColumn, idImportMemoColumn,   idImportBalanceColumn};
const char* const columnLabels[] = {"Date", "Amount", "Debit", "Credit", "Payee", "Memo", "Balance"};
const char* const typeTexts[] = {"", "Service", "Expense", "Sold", "Bought", "Personal", "Earnings"};

int* columnOf(CsvColumns& c, int box) {
    switch (box) {
    case idImportDateColumn: return &c.date;
    case idImportAmountColumn: return &c.amount;
    case idImportDebitColumn: return &c.debit;
    case idImportCreditColumn: return &c.credit;
    case idImportPayeeColumn: return &c.payee;
    case idImportMemoColumn: return &c.memo;
    default: return &c.balance;
    }
}

// The list's columns: heading and width in dialog units.
struct ListColumn {
    const char* heading;
    int width;
    bool right;
};
const ListColumn listColumns[] = {{"Date", 44, false},        {"Amount", 40, true}, {"Payee", 76, false},
                                  {"Type", 34, false},        {"Description", 70, false},
                                  {"Name", 64, false},        {"Why", 140, false}};

// Everything the preview shows, for the one preview open at a time.
struct Preview {
    std::string fileName;
    StatementFormat format = StatementFormat::csv;
    CsvTable table;
    CsvColumns columns;
    Statement statement;
    std::string key;  // what is remembered about statements of this kind
    RememberedStatement remembered;
    bool flip = false;
    bool rememberedFlip = false;  // the last statement of this kind had its signs turned round
    bool flipChosen = false;      // the user has set the box in this preview
    bool orderRemembered = false; // the date order is the one chosen for the last statement of this kind
    bool orderKnown = false;
    DateOrder order = DateOrder::monthDayYear;
    std::vector<ImportRow> rows;
    std::vector<UnreadableLine> unreadable;
    std::vector<int> items;  // per list item: a row number, or -1 - an unreadable line's number
    int selectedRow = -1;    // the row the boxes below the list edit
    std::string cell;        // the text a list cell was last given
    std::wstring wideCell;
    POINT minimumSize = {0, 0};
    bool initialising = false;  // the dialog's own changes to its boxes
    bool filling = false;       // the program's own changes to the list
};
Preview preview;

bool rowCanBeChecked(const ImportRow& row) { return row.problem.empty() && row.date != 0; }

// --- Reading ---

void readStatement() {
    Preview& p = preview;
    if (p.format == StatementFormat::csv) {
        p.statement = columnsUsable(p.columns) ? csvStatement(p.table, p.columns) : Statement{};
        p.statement.note = p.table.note;
    }
    // One list of what could not be read, in file order, each line once.
    p.unreadable = p.format == StatementFormat::csv ? p.table.unreadable : std::vector<UnreadableLine>{};
    for (const UnreadableLine& u : p.statement.unreadable)
        if (std::none_of(p.unreadable.begin(), p.unreadable.end(),
                         [&](const UnreadableLine& v) { return v.line == u.line; }))
            p.unreadable.push_back(u);
    std::stable_sort(p.unreadable.begin(), p.unreadable.end(),
                     [](const UnreadableLine& a, const UnreadableLine& b) { return a.line < b.line; });
    unsigned orders = p.statement.dateOrders;
    p.orderKnown = true;
    p.orderRemembered = false;
    for (DateOrder o : {DateOrder::monthDayYear, DateOrder::dayMonthYear, DateOrder::yearMonthDay})
        if (orders == orderBit(o)) p.order = o;
    if (orders != 0 && (orders & (orders - 1)) != 0) {  // more than one way to read every date
        p.orderKnown = p.remembered.hasOrder && (orders & orderBit(p.remembered.order));
        if (p.orderKnown) p.order = p.remembered.order;
        p.orderRemembered = p.orderKnown;
    }
}

// Opens the statement: false (said in a message) when nothing can be read.
bool openStatement(const std::string& path, const Bytes& bytes) {
    Preview& p = preview;
    p = Preview{};
    p.fileName = fileNameOf(path);
    p.format = detectFormat(bytes);
    std::string error;
    if (p.format == StatementFormat::csv) {
        p.table = readCsvTable(bytes);
        error = p.table.error;
        if (error.empty() && p.table.rows.empty() && p.table.unreadable.empty())
            error = "The file holds no rows of a statement.";
        p.key = statementKey(StatementFormat::csv, "", csvHeaderKey(p.table));
    } else {
        p.statement = p.format == StatementFormat::ofx ? readOfx(bytes) : readQif(bytes);
        error = p.statement.error;
        p.key = p.statement.scope;
    }
    if (!error.empty()) {
        showMessage(p.fileName + " cannot be imported:\r\n" + error, "Import", mb::ok | mb::iconExclamation);
        return false;
    }
    bool known = recallStatement(p.key, p.remembered);
    p.rememberedFlip = known && p.remembered.flip;
    // Turned round by what was chosen for another statement only where both
    // name the same account: files that name none share their key with
    // every other bank's of the same layout.
    p.flip = p.rememberedFlip && rememberedFlipApplies(p.statement);
    if (p.format == StatementFormat::csv)
        p.columns = known && p.remembered.hasColumns ? p.remembered.columns : guessCsvColumns(p.table.header);
    readStatement();
    return true;
}

// --- The list ---

HWND listOf(HWND dialog) { return GetDlgItem(dialog, idImportList); }

std::string whyText(const ImportRow& row) {
    std::string why;
    const std::string stored = storedAsText(row);
    for (const std::string* part : {&row.problem, &row.duplicate, &row.note, &stored, &row.proposal.reason})
        if (!part->empty()) why += (why.empty() ? "" : "; ") + *part;
    return why;
}

std::string cellText(int item, int column) {
    const Preview& p = preview;
    int n = p.items[static_cast<size_t>(item)];
    if (n < 0) {
        const UnreadableLine& u = p.unreadable[static_cast<size_t>(-1 - n)];
        return column == 6 ? "cannot be read: line " + std::to_string(u.line) + ": " + u.reason : "";
    }
    const ImportRow& row = p.rows[static_cast<size_t>(n)];
    switch (column) {
    case 0: return row.date ? formatDate(row.date) : "?";
    case 1: return row.line.amount == 0 ? "0.00" : formatAmount(row.line.amount);
    case 2: return blankControls(row.line.payee);
    case 3: return row.proposal.type >= 1 && row.proposal.type <= 6 ? typeTexts[row.proposal.type] : "";
    case 4: return blankControls(row.proposal.description);
    case 5: return blankControls(row.proposal.name);
    default: return blankControls(whyText(row));
    }
}

void setItemChecked(HWND list, int item, bool checked) {
    LVITEMA state = {};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

bool itemChecked(HWND list, int item) {
    auto state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;
}

// The check boxes as the rows have them.
void syncChecks(HWND dialog) {
    HWND list = listOf(dialog);
    preview.filling = true;
    for (size_t i = 0; i < preview.items.size(); ++i) {
        int n = preview.items[i];
        bool checked = n >= 0 && preview.rows[static_cast<size_t>(n)].checked;
        if (itemChecked(list, static_cast<int>(i)) != checked) setItemChecked(list, static_cast<int>(i), checked);
    }
    preview.filling = false;
    InvalidateRect(list, nullptr, FALSE);
}

void fillRows(HWND dialog) {
    Preview& p = preview;
    HWND list = listOf(dialog);
    p.filling = true;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    // Rows and unreadable lines in the order of the file.
    p.items.clear();
    size_t u = 0;
    for (size_t r = 0; r < p.rows.size(); ++r) {
        while (u < p.unreadable.size() && p.unreadable[u].line < p.rows[r].line.line)
            p.items.push_back(-1 - static_cast<int>(u++));
        p.items.push_back(static_cast<int>(r));
    }
    while (u < p.unreadable.size()) p.items.push_back(-1 - static_cast<int>(u++));
    SendMessageA(list, LVM_SETITEMCOUNT, p.items.size(), 0);
    for (size_t i = 0; i < p.items.size(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = LPSTR_TEXTCALLBACKA;
        item.lParam = p.items[i];
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        int n = p.items[i];
        if (n >= 0 && p.rows[static_cast<size_t>(n)].checked) setItemChecked(list, static_cast<int>(i), true);
    }
    p.selectedRow = -1;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    p.filling = false;
}

void selectItemOf(HWND dialog, int item) {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(listOf(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
    int n = preview.items[static_cast<size_t>(item)];
    preview.selectedRow = n;
}

// --- Texts around the list ---

std::string countText(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

void showFooter(HWND dialog) {
    const Preview& p = preview;
    size_t added = 0, marked = 0, leftOut = 0, unreadable = p.unreadable.size();
    const std::string* firstProblem = nullptr;
    int firstLine = 0;
    for (const ImportRow& row : p.rows) {
        if (row.checked) ++added;
        if (row.mark == RowMark::leftOut) ++leftOut;
        else if (!row.duplicate.empty()) ++marked;
        if (!row.problem.empty()) {
            ++unreadable;
            if (!firstProblem || row.line.line < firstLine) {
                firstProblem = &row.problem;
                firstLine = row.line.line;
            }
        }
    }
    if (!p.unreadable.empty() && (!firstProblem || p.unreadable.front().line < firstLine)) {
        firstProblem = &p.unreadable.front().reason;
        firstLine = p.unreadable.front().line;
    }
    std::string text = countText(added, "row will be added, ", "rows will be added, ") +
                       countText(marked, "is marked as already in the books, ", "are marked as already in the books, ") +
                       (leftOut ? countText(leftOut, "was left out before, ", "were left out before, ") : "") +
                       std::to_string(unreadable) + " could not be read";
    if (firstProblem) text += " (line " + std::to_string(firstLine) + ": " + *firstProblem + ")";
    text += ".";
    std::string fit = importFitProblem(p.rows);
    if (!p.orderKnown)
        text += "\r\nChoose how the dates are written before importing.";
    else if (!fit.empty())
        text += "\r\n" + fit;
    SetDlgItemTextA(dialog, idImportFooter, text.c_str());
    EnableWindow(GetDlgItem(dialog, IDOK), added > 0 && p.orderKnown && fit.empty());
}

void showBalance(HWND dialog) {
    const Preview& p = preview;
    std::string text;
    if (p.orderKnown)
        text = balanceCheck(p.statement, p.rows);
    if (text.empty() && p.statement.hasClosingBalance)
        text = "The closing balance " + formatAmount(p.statement.closingBalance) +
               " is checked from the next statement of this account on: none was imported before.";
    SetDlgItemTextA(dialog, idImportBalance, text.c_str());
}

std::string sourceText() {
    const Preview& p = preview;
    std::string text = p.fileName + ": ";
    switch (p.format) {
    case StatementFormat::csv: {
        const char* by = p.table.delimiter == ';' ? "semicolon" : p.table.delimiter == '\t' ? "tab" : "comma";
        text += std::string("CSV, ") + by + " separated, " +
                (p.table.headerLine ? "headings on line " + std::to_string(p.table.headerLine) : "no headings");
        break;
    }
    case StatementFormat::ofx: text += "OFX"; break;
    case StatementFormat::qif: text += "QIF"; break;
    }
    if (!p.statement.account.empty()) text += ", account " + p.statement.account;
    if (p.statement.hasClosingBalance) text += ", closing balance " + formatAmount(p.statement.closingBalance);
    return text;
}

// The first line's date both ways, and the question, while the order is open.
std::string noteText() {
    const Preview& p = preview;
    std::string note = p.statement.note;
    if (p.format == StatementFormat::csv && !columnsUsable(p.columns))
        note += std::string(note.empty() ? "" : "  ") +
                "Choose the columns that hold the date and the amount (or debit and credit).";
    else if (!p.orderKnown && !p.statement.lines.empty())
        note += std::string(note.empty() ? "" : "  ") +
                "The dates can be read more than one way: choose under \"Dates are\".";
    // What was taken over from the last statement of this kind, so that no
    // earlier choice is applied unseen.
    std::string when = p.remembered.rememberedOn ? "as at the import of " + formatDate(p.remembered.rememberedOn)
                                                 : "as at an earlier import";
    std::vector<std::string> taken;
    if (p.flip && p.rememberedFlip && !p.flipChosen) taken.push_back("signs turned round " + when);
    if (p.orderKnown && p.orderRemembered)
        taken.push_back(std::string("dates read as ") + dateOrderName(p.order) + " " + when);
    if (!taken.empty()) {
        note += std::string(note.empty() ? "" : "  ") + "Remembered: " + taken[0];
        for (size_t i = 1; i < taken.size(); ++i) note += "; " + taken[i];
        note += ".";
    }
    if (!p.flip && p.rememberedFlip && !p.flipChosen)
        note += std::string(note.empty() ? "" : "  ") + "The last statement with these headings had its signs " +
                "turned round (" + when.substr(6) + "); this file names no account: tick the box if its signs " +
                "need it too.";
    return note;
}

void fillOrderBox(HWND dialog) {
    const Preview& p = preview;
    HWND box = GetDlgItem(dialog, idImportOrder);
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    const WrittenDate* first = p.statement.lines.empty() ? nullptr : &p.statement.lines.front().date;
    for (DateOrder o : {DateOrder::monthDayYear, DateOrder::dayMonthYear, DateOrder::yearMonthDay}) {
        if (!(p.statement.dateOrders & orderBit(o))) continue;
        std::string text = dateOrderName(o);
        if (first && dateInOrder(*first, o)) text += ": the first date is " + formatDate(dateInOrder(*first, o));
        auto at = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(o));
        if (p.orderKnown && o == p.order) SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    }
    EnableWindow(box, SendMessageA(box, CB_GETCOUNT, 0, 0) > 1);
}

void fillColumnBoxes(HWND dialog) {
    const Preview& p = preview;
    size_t columns = p.table.header.size();
    for (const CsvRow& row : p.table.rows) columns = std::max(columns, row.fields.size());
    columns = std::min<size_t>(columns, 200);  // a box of ten thousand columns helps nobody
    for (int box : columnBoxes) {
        HWND combo = GetDlgItem(dialog, box);
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("(none)"));
        SendMessageA(combo, CB_SETITEMDATA, 0, static_cast<LPARAM>(-1));
        int chosen = *columnOf(preview.columns, box);
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        for (size_t c = 0; c < columns; ++c) {
            std::string name = c < p.table.header.size() ? blankControls(trimBlanks(p.table.header[c])) : "";
            std::string text = std::to_string(c + 1) + (name.empty() ? "" : ": " + name);
            if (text.size() > 60) text.resize(60);
            auto at = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(c));
            if (static_cast<int>(c) == chosen) SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        }
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

void loadRowBoxes(HWND dialog) {
    Preview& p = preview;
    bool editable = p.selectedRow >= 0;
    p.initialising = true;
    HWND type = GetDlgItem(dialog, idImportType);
    if (editable) {
        const Proposal& proposal = p.rows[static_cast<size_t>(p.selectedRow)].proposal;
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
    p.initialising = false;
}

// After any change of a row: its marks and everybody else's, the list and the totals.
void rowsChanged(HWND dialog) {
    recheckImportRows(preview.rows);
    syncChecks(dialog);
    showFooter(dialog);
    showBalance(dialog);
}

// The rows again from the statement: another column, order or sign.
void rebuildRows(HWND dialog) {
    Preview& p = preview;
    p.rows = buildImportRows(p.statement, p.order, p.orderKnown, p.flip);
    fillRows(dialog);
    if (!p.items.empty()) selectItemOf(dialog, 0);  // its boxes are ready for a change
    loadRowBoxes(dialog);
    SetDlgItemTextA(dialog, idImportSource, sourceText().c_str());
    SetDlgItemTextA(dialog, idImportNote, noteText().c_str());
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
    Preview& p = preview;
    if (p.selectedRow < 0) return;
    Proposal& proposal = p.rows[static_cast<size_t>(p.selectedRow)].proposal;
    if (id == idImportType) {
        if (code != CBN_SELCHANGE) return;
        auto at = SendMessageA(GetDlgItem(dialog, idImportType), CB_GETCURSEL, 0, 0);
        if (at < 0) return;
        auto type = static_cast<uint8_t>(
            SendMessageA(GetDlgItem(dialog, idImportType), CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
        if (listGroupOf(type) != listGroupOf(proposal.type)) {
            p.initialising = true;  // the same texts, offered from the other group
            fillEntryBox(dialog, idImportDescr, descrList, listGroupOf(type), proposal.description);
            fillEntryBox(dialog, idImportName, nameList, listGroupOf(type), proposal.name);
            p.initialising = false;
        }
        setRowType(p.rows[static_cast<size_t>(p.selectedRow)], type);
    } else {
        if (code != CBN_EDITCHANGE && code != CBN_SELCHANGE) return;
        (id == idImportDescr ? proposal.description : proposal.name) = trimBlanks(boxChoice(dialog, id, code));
    }
    proposal.reason = "changed here";
    rowsChanged(dialog);
}

// --- Layout ---

void place(HWND dialog, int id, int x, int y, int w, int h, bool shown = true) {
    RECT r = {x, y, x + std::max(w, 1), y + std::max(h, 1)};
    MapDialogRect(dialog, &r);
    HWND control = GetDlgItem(dialog, id);
    MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

// The last column takes what the others leave of the list's width, so that
// the list needs no sideways scrolling at its first size.
void fitLastColumn(HWND dialog) {
    HWND list = listOf(dialog);
    RECT client;
    GetClientRect(list, &client);
    int used = 0;
    for (int i = 0; i < 6; ++i) used += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
    RECT least = {0, 0, 80, 0};
    MapDialogRect(dialog, &least);
    int width = std::max<int>(client.right - used - GetSystemMetrics(SM_CXVSCROLL), least.right);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 6, MAKELPARAM(width, 0));
}

void layout(HWND dialog) {
    RECT client, unit = {0, 0, 400, 800};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &unit);
    int w = client.right * 400 / std::max<LONG>(unit.right, 1), h = client.bottom * 800 / std::max<LONG>(unit.bottom, 1);
    bool csv = preview.format == StatementFormat::csv;
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
    place(dialog, idImportOrder, 44, y, 170, 80);
    place(dialog, idImportFlip, 222, y + 1, w - 228, 10);
    y += 16;
    int bottom = h - 78;
    place(dialog, idImportList, 6, y, w - 12, bottom - y);
    int boxWidth = (w - 12 - 60 - 8) / 2;
    place(dialog, idImportType + labelOffset, 6, bottom + 5, 60, 8);
    place(dialog, idImportType, 6, bottom + 14, 60, 100);
    place(dialog, idImportDescr + labelOffset, 70, bottom + 5, boxWidth, 8);
    place(dialog, idImportDescr, 70, bottom + 14, boxWidth, 100);
    place(dialog, idImportName + labelOffset, 74 + boxWidth, bottom + 5, boxWidth, 8);
    place(dialog, idImportName, 74 + boxWidth, bottom + 14, boxWidth, 100);
    place(dialog, idImportBalance, 6, bottom + 30, w - 12, 17);
    place(dialog, idImportFooter, 6, bottom + 48, w - 124, 30);
    place(dialog, IDOK, w - 112, h - 20, 50, 14);
    fitLastColumn(dialog);
    place(dialog, IDCANCEL, w - 56, h - 20, 50, 14);
    InvalidateRect(dialog, nullptr, TRUE);
}

void addListColumns(HWND dialog) {
    HWND list = listOf(dialog);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int i = 0; i < 7; ++i) {
        RECT r = {0, 0, listColumns[i].width, 0};
        MapDialogRect(dialog, &r);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = listColumns[i].right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = r.right + (i == 0 ? 16 : 0);  // the first column holds the check box too
        column.pszText = const_cast<char*>(listColumns[i].heading);
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

// --- The dialog ---

bool acceptImport() {
    Preview& p = preview;
    std::string refusal;
    size_t checked = std::count_if(p.rows.begin(), p.rows.end(), [](const ImportRow& r) { return r.checked; });
    if (p.format == StatementFormat::csv && !columnsUsable(p.columns))
        refusal = "Choose the columns that hold the date and the amount (or debit and credit) first.";
    else if (!p.orderKnown)
        refusal = "Choose how the dates are written (\"Dates are\") first.";
    else if (checked == 0)
        refusal = "No row is checked: there is nothing to import.";
    else
        refusal = importFitProblem(p.rows);
    if (!refusal.empty()) {
        showMessage(refusal, "Import", mb::ok | mb::iconExclamation);
        return false;
    }
    RememberedStatement r = p.remembered;
    r.rememberedOn = todayPacked();
    r.hasColumns = p.format == StatementFormat::csv;
    r.columns = p.columns;
    r.flip = p.flip;
    unsigned orders = p.statement.dateOrders;
    r.hasOrder = (orders & (orders - 1)) != 0;
    r.order = p.order;
    rememberStatement(p.key, r);  // a failure is said there; the import goes on
    return true;
}

void listNotified(HWND dialog, const NMHDR& header) {
    Preview& p = preview;
    switch (header.code) {
    case LVN_GETDISPINFOA: {
        auto& info = reinterpret_cast<const NMLVDISPINFOA&>(header);
        if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 ||
            static_cast<size_t>(info.item.iItem) >= p.items.size())
            return;
        p.cell = cellText(info.item.iItem, info.item.iSubItem);
        lstrcpynA(info.item.pszText, p.cell.c_str(), info.item.cchTextMax);
        return;
    }
    case LVN_GETDISPINFOW: {
        auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
        if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 ||
            static_cast<size_t>(info.item.iItem) >= p.items.size())
            return;
        p.wideCell = wideText(cellText(info.item.iItem, info.item.iSubItem));
        lstrcpynW(info.item.pszText, p.wideCell.c_str(), info.item.cchTextMax);
        return;
    }
    case LVN_ITEMCHANGED: {
        auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (p.filling || change.iItem < 0 || static_cast<size_t>(change.iItem) >= p.items.size() ||
            !(change.uChanged & LVIF_STATE))
            return;
        int n = p.items[static_cast<size_t>(change.iItem)];
        if ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) {
            bool checked = (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
            if (n >= 0 && (!checked || rowCanBeChecked(p.rows[static_cast<size_t>(n)])))
                p.rows[static_cast<size_t>(n)].checked = checked;
            else if (checked) {  // a line that cannot be imported stays unchecked
                p.filling = true;
                setItemChecked(header.hwndFrom, change.iItem, false);
                p.filling = false;
            }
            showFooter(dialog);
        }
        if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) {
            p.selectedRow = n;
            loadRowBoxes(dialog);
        }
        return;
    }
    }
}

void boxChanged(HWND dialog, int id, int code) {
    Preview& p = preview;
    if (id == idImportOrder && code == CBN_SELCHANGE) {
        HWND box = GetDlgItem(dialog, id);
        auto at = SendMessageA(box, CB_GETCURSEL, 0, 0);
        if (at < 0) return;
        p.order = static_cast<DateOrder>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
        p.orderKnown = true;
        p.orderRemembered = false;
        rebuildRows(dialog);
    } else if (id >= idImportDateColumn && id <= idImportBalanceColumn && code == CBN_SELCHANGE) {
        HWND box = GetDlgItem(dialog, id);
        auto at = SendMessageA(box, CB_GETCURSEL, 0, 0);
        if (at < 0) return;
        *columnOf(p.columns, id) = static_cast<int>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
        readStatement();
        p.initialising = true;
        fillOrderBox(dialog);
        p.initialising = false;
        rebuildRows(dialog);
    } else if (id == idImportFlip && code == BN_CLICKED) {
        p.flip = IsDlgButtonChecked(dialog, idImportFlip) == BST_CHECKED;
        p.flipChosen = true;
        rebuildRows(dialog);
    } else if (id == idImportType || id == idImportDescr || id == idImportName) {
        rowBoxChanged(dialog, id, code);
    }
}

INT_PTR CALLBACK previewProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    Preview& p = preview;
    switch (msg) {
    case WM_INITDIALOG: {
        p.initialising = true;
        addSelectAllKey(dialog);
        addListColumns(dialog);
        HWND type = GetDlgItem(dialog, idImportType);
        // A product taken for personal use moves no money: no statement line is one.
        for (int t = 1; t <= 6; ++t) {
            if (t == typePersonal) continue;
            auto at = SendMessageA(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(typeTexts[t]));
            SendMessageA(type, CB_SETITEMDATA, static_cast<WPARAM>(at), t);
        }
        for (int id : {idImportDescr, idImportName})
            SendMessageA(GetDlgItem(dialog, id), CB_LIMITTEXT, maxEntryBytes - 1, 0);
        if (p.format == StatementFormat::csv) fillColumnBoxes(dialog);
        fillOrderBox(dialog);
        CheckDlgButton(dialog, idImportFlip, p.flip ? BST_CHECKED : BST_UNCHECKED);
        RECT window;
        GetWindowRect(dialog, &window);
        p.minimumSize = {window.right - window.left, window.bottom - window.top};
        layout(dialog);
        rebuildRows(dialog);
        p.initialising = false;
        SetFocus(listOf(dialog));
        return FALSE;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->idFrom == idImportList) listNotified(dialog, *header);
        return FALSE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        if (id == IDOK && code == BN_CLICKED) {
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
    for (int i = 0; i < 7; ++i) {
        t.add(columnBoxes[i] + labelOffset, "STATIC", columnLabels[i], SS_LEFT, 0, 6, 27, 60, 8);
        t.add(columnBoxes[i], "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 6, 38, 60, 120);
    }
    t.add(idOrderLabel, "STATIC", "Dates are", SS_LEFT, 0, 6, 57, 36, 8);
    t.add(idImportOrder, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 44, 55, 170, 80);
    t.add(idImportFlip, "BUTTON", "&Charges are positive (card statement): turn the signs round",
          BS_AUTOCHECKBOX | WS_TABSTOP, 0, 222, 56, 250, 10);
    t.add(idImportList, WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
          0, 6, 71, 468, 150);
    t.add(idImportType + labelOffset, "STATIC", "&Type", SS_LEFT, 0, 6, 227, 60, 8);
    t.add(idImportType, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 6, 236, 60, 100);
    t.add(idImportDescr + labelOffset, "STATIC", "&Description", SS_LEFT, 0, 70, 227, 200, 8);
    t.add(idImportDescr, "COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0,
          70, 236, 200, 100);
    t.add(idImportName + labelOffset, "STATIC", "&Name", SS_LEFT, 0, 274, 227, 200, 8);
    t.add(idImportName, "COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0,
          274, 236, 200, 100);
    t.add(idImportBalance, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0, 6, 253, 468, 17);
    t.add(idImportFooter, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0, 6, 264, 356, 34);
    t.add(IDOK, "BUTTON", "&Import", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 368, 280, 50, 14);
    t.add(IDCANCEL, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 424, 280, 50, 14);
    return t;
}

}  // namespace

bool showImportPreview(const std::string& path, const Bytes& bytes, std::vector<ImportRow>& rows,
                       RememberedBalance* closing, bool* hasClosing) {
    rows.clear();
    if (hasClosing) *hasClosing = false;
    if (!openStatement(path, bytes)) return false;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    cDialogTemplate t = previewTemplate();
    bool accepted = t.runModal(mainWindow, previewProc) == IDOK;
    if (accepted) {
        RememberedBalance balance;
        bool has = closingBalanceOf(preview.statement, preview.rows, todayPacked(), balance);
        if (closing && has) *closing = balance;
        if (hasClosing) *hasClosing = has;
        rows = std::move(preview.rows);
    }
    preview = Preview{};
    return accepted;
}
