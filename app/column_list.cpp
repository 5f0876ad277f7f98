#include "app/column_list.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "text/amount_text.h"
#include "ui/dialog_template.h"

namespace {

// Dialog base units of a window: pixels per 4 horizontal / 8 vertical units.
void baseUnits(HWND dialog, int& bx, int& by) {
    RECT r = {0, 0, 4, 8};
    MapDialogRect(dialog, &r);
    bx = r.right > 0 ? r.right : 1;
    by = r.bottom > 0 ? r.bottom : 1;
}

int roundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// Field column of a row (1-based), as a view into the row.
std::string_view fieldOf(const std::string& row, int column) {
    std::string_view rest(row);
    for (int i = 1; i < column; ++i) {
        size_t tab = rest.find('\t');
        if (tab == std::string_view::npos) return std::string_view();
        rest.remove_prefix(tab + 1);
    }
    return rest.substr(0, rest.find('\t'));
}

int compareFolded(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'a' && ca <= 'z') ca = static_cast<unsigned char>(ca - 32);
        if (cb >= 'a' && cb <= 'z') cb = static_cast<unsigned char>(cb - 32);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The procedure each subclassed control had before, kept in the program's own
// memory: every message to the controls passes here, and a window property
// lookup would cost a round trip to the window server each time under Wine.
// Keyed by window rather than held by the object, because the controls
// outlive their cColumnList while their parent is being destroyed.
std::unordered_map<HWND, WNDPROC>& originalProcs() {
    static std::unordered_map<HWND, WNDPROC> procs;
    return procs;
}

LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto& procs = originalProcs();
    auto found = procs.find(hwnd);
    if (found == procs.end()) return DefWindowProcA(hwnd, msg, wp, lp);
    WNDPROC original = found->second;
    if (msg == WM_NCDESTROY) procs.erase(found);
    return CallWindowProcA(original, hwnd, msg, wp, lp);
}

void subclass(HWND control) {
    originalProcs()[control] =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc)));
}

}  // namespace

size_t cColumnList::fitLength(const char* text, size_t length, int pixelWidth) const {
    size_t measured = std::min<size_t>(length, 127);
    int sum = 0;
    size_t fit = 0;
    while (fit < measured) {
        sum += charWidths_[static_cast<unsigned char>(text[fit])];
        if (sum > pixelWidth) break;
        ++fit;
    }
    return fit;
}

void cColumnList::fitText(std::string& text, int pixelWidth) const {
    text.resize(fitLength(text.data(), text.size(), pixelWidth));
}

int cColumnList::toPixelsX(int units) const {
    RECT r = {0, 0, units, 0};
    MapDialogRect(parent_, &r);
    return r.right;
}

void cColumnList::select(int position, int freeze, int top) {
    if (freeze) SendMessageA(listBox_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listBox_, LB_SETCURSEL, static_cast<WPARAM>(position - 1), 0);
    if (top > 0) SendMessageA(listBox_, LB_SETTOPINDEX, static_cast<WPARAM>(top - 1), 0);
    SendMessageA(listBox_, WM_SETREDRAW, TRUE, 0);
    if (freeze) InvalidateRect(listBox_, nullptr, TRUE);
    selectedPosition_ = position;
}

void cColumnList::showRows() {
    SendMessageA(listBox_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listBox_, LB_RESETCONTENT, 0, 0);
    size_t bytes = 0;
    for (int i = 1; i <= rowTotal_; ++i) bytes += rows_[static_cast<size_t>(i)].size() + 1;
    SendMessageA(listBox_, LB_INITSTORAGE, static_cast<WPARAM>(rowTotal_), static_cast<LPARAM>(bytes));
    // The rows go straight to the list box's own procedure: passing each of
    // thousands through the message dispatch and the forwarding procedure
    // above would only add to the wait. The list box keeps its texts in
    // Unicode, so they go in as Unicode, converted here into one buffer
    // rather than into a fresh one per row by the ANSI message.
    WNDPROC listProc = originalProcs()[listBox_];
    std::wstring wide;
    for (int i = 1; i <= rowTotal_; ++i) {
        wideTextInto(rows_[static_cast<size_t>(order_[static_cast<size_t>(i)])], wide);
        CallWindowProcW(listProc, listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    SendMessageA(listBox_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listBox_, nullptr, TRUE);
    publishOrderTo(publishedOrder_);
}

void cColumnList::publishOrderTo(std::vector<int>* order) {
    publishedOrder_ = order;
    if (!order) return;
    order->assign(1, 0);
    for (int p = 1; p <= rowTotal_ && p < static_cast<int>(order_.size()); ++p) order->push_back(order_[static_cast<size_t>(p)]);
}

int cColumnList::rowAt(int position) const {
    // Past the rows shown now, even where an earlier, longer fill left an entry.
    if (position >= 1 && position <= rowTotal_ && position < static_cast<int>(order_.size()))
        return order_[static_cast<size_t>(position)];
    return 0;
}

void cColumnList::create(HWND parent, int listId, int x, int y, int width, int height, const int* widths,
                         const std::string* headings, int n) {
    columnCount_ = n;
    parent_ = parent;
    listId_ = listId;
    int bx, by;
    baseUnits(parent, bx, by);

    // Heading height from the system font's "0", in the parent's units.
    HDC dc = GetDC(parent);
    SIZE zero = {0, 0};
    GetTextExtentPoint32A(dc, "0", 1, &zero);
    ReleaseDC(parent, dc);
    int hPixels = roundHalfUp(1.2 * zero.cy);
    int h = roundHalfUp(hPixels * 8.0 / by);
    int s = roundHalfUp(GetSystemMetrics(SM_CXVSCROLL) * 4.0 / bx);

    int available = width - s - 8;
    widths_.assign(static_cast<size_t>(n) + 1, 0);
    kinds_.assign(static_cast<size_t>(n) + 1, 0);
    for (int i = 1; i <= n; ++i) {
        widths_[i] = static_cast<int>(std::nearbyint(available * widths[i - 1] / 100.0));
        const std::string& heading = headings[i - 1];
        int kind = heading.empty() ? 0 : static_cast<unsigned char>(heading[0]) + 1;
        if (kind > 3) kind = 1;
        kinds_[i] = widths_[i] < 0 ? -kind : kind;
    }
    std::vector<int> layout(static_cast<size_t>(n) + 1, 0);
    int used = 0;
    for (int i = 1; i < n; ++i) {
        layout[i] = std::abs(widths_[i]);
        used += layout[i];
    }
    layout[n] = width - used - s - 8;

    x_ = x;
    top_ = y + h;
    percents_.assign(widths, widths + n);
    scrollUnits_ = s;
    headingUnits_ = h;
    RECT box = {x, y + h, x + width - 8, y + h + (height - h - 10)};
    MapDialogRect(parent, &box);
    listBox_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_USETABSTOPS |
                                   LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL,
                               box.left, box.top, box.right - box.left, box.bottom - box.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(listId)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(listBox_, WM_SETFONT, SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);
    SetWindowLongPtrA(listBox_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    subclass(listBox_);

    setColumnStops(layout);

    HDC measure = GetDC(listBox_);
    HGDIOBJ oldFont = SelectObject(measure, reinterpret_cast<HGDIOBJ>(SendMessageA(listBox_, WM_GETFONT, 0, 0)));
    GetCharWidth32A(measure, 0, 255, charWidths_);
    SelectObject(measure, oldFont);
    ReleaseDC(listBox_, measure);

    headings_.assign(static_cast<size_t>(n) + 1, nullptr);
    int left = x;
    for (int i = 1; i <= n; ++i) {
        std::string text = headings[i - 1];
        if (std::abs(kinds_[i]) > 1 && !text.empty()) text = text.substr(1);
        DWORD style = WS_CHILD | WS_VISIBLE | SS_NOTIFY;
        if (kinds_[i] < 0) {
            text += "  ";
            style |= SS_RIGHT;
        } else {
            text = "  " + text;
            style |= SS_LEFT;
        }
        RECT r = {left, y, left + layout[i], y + h};
        MapDialogRect(parent, &r);
        HWND head = CreateWindowExA(WS_EX_STATICEDGE, "STATIC", text.c_str(), style, r.left, r.top, r.right - r.left,
                                    r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(listId + i)),
                                    GetModuleHandleA(nullptr), nullptr);
        SendMessageA(head, WM_SETFONT, SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);
        SetWindowLongPtrA(head, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        subclass(head);
        headings_[i] = head;
        left += std::abs(widths_[i]);
    }
}

void cColumnList::setColumnStops(const std::vector<int>& layout) {
    const int n = columnCount_;
    // Tab stops in dialog units; a right-aligned column's stop is negative
    // and sits 6 units inside its right edge.
    tabStops_.assign(static_cast<size_t>(n), 0);
    tabStops_[0] = 2;
    for (int i = 1; i < n; ++i) tabStops_[i] = tabStops_[i - 1] + layout[i];
    tabStops_[n - 1] -= 2;
    for (int i = 0; i < n; ++i)
        if (kinds_[i + 1] < 0) tabStops_[i] = -(layout[i + 1] + tabStops_[i] - 6);
    SendMessageA(listBox_, LB_SETTABSTOPS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(tabStops_.data()));

    // Cells are cut to 95 % of their column. 0.95 in single precision lies
    // just below 0.95, so products that would be exact halves round down.
    cellLimits_.assign(static_cast<size_t>(n) + 1, 0);
    for (int i = 1; i <= n; ++i) {
        float limitUnits = static_cast<float>(std::abs(widths_[i])) * 0.95f;
        cellLimits_[static_cast<size_t>(i)] = toPixelsX(static_cast<int>(std::nearbyint(limitUnits)));
    }
}

void cColumnList::resize(int width, int height) {
    const int n = columnCount_, s = scrollUnits_, h = headingUnits_, y = top_ - h;
    if (n == 0) return;
    int available = width - s - 8;
    std::vector<int> layout(static_cast<size_t>(n) + 1, 0);
    int used = 0;
    for (int i = 1; i <= n; ++i) {
        widths_[i] = static_cast<int>(std::nearbyint(available * percents_[static_cast<size_t>(i - 1)] / 100.0));
        if (i < n) used += layout[i] = std::abs(widths_[i]);
    }
    layout[n] = width - used - s - 8;

    RECT box = {x_, top_, x_ + width - 8, top_ + (height - h - 10)};
    MapDialogRect(parent_, &box);
    SetWindowPos(listBox_, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    setColumnStops(layout);
    int left = x_;
    for (int i = 1; i <= n; ++i) {
        RECT r = {left, y, left + layout[i], y + h};
        MapDialogRect(parent_, &r);
        SetWindowPos(headings_[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        left += std::abs(widths_[i]);
    }
    InvalidateRect(parent_, nullptr, TRUE);
}

void cColumnList::addRow(std::string& text, int data) {
    // Cells are cut straight from the caller's text into the row: a refill
    // adds thousands of rows, so no cell is copied on its own.
    std::string row;
    row.reserve(text.size() + static_cast<size_t>(columnCount_));
    size_t start = 0;
    bool exhausted = false;  // the cells after the text's last one are empty
    for (int i = 1; i <= columnCount_; ++i) {
        size_t cellStart = start, length = 0;
        if (!exhausted) {
            size_t tab = text.find('\t', start);
            length = (tab == std::string::npos ? text.size() : tab) - start;
            if (tab == std::string::npos)
                exhausted = true;
            else
                start = tab + 1;
        }
        row.append(text, cellStart, fitLength(text.data() + cellStart, length, cellLimits_[static_cast<size_t>(i)]));
        row += '\t';
    }
    while (!row.empty() && row.back() == '\t') row.pop_back();
    text = row;
    ++rowTotal_;
    size_t slot = static_cast<size_t>(rowTotal_);
    if (rows_.size() <= slot) {
        rows_.resize(slot + 1);
        order_.resize(slot + 1);
        data_.resize(slot + 1);
    }
    rows_[slot] = std::move(row);
    order_[slot] = rowTotal_;
    data_[slot] = data;
}

int cColumnList::dateKey(const std::string& text) {
    auto part = [&](size_t pos, size_t len) { return text.size() >= pos + len ? text.substr(pos, len) : std::string(); };
    int month = static_cast<int>(readNumber(part(0, 2)));
    int day = static_cast<int>(readNumber(part(3, 2)));
    int year = static_cast<int>(readNumber(text.size() >= 4 ? text.substr(text.size() - 4) : text)) - 1980;
    return static_cast<uint16_t>(year) * 512 + static_cast<uint16_t>(month) * 32 + static_cast<uint16_t>(day);
}

void cColumnList::sortByColumn(int column) {
    if (rowTotal_ == 0 || column < 1 || column > columnCount_) return;
    selectedPosition_ = rowAt(selectedPosition_);
    int kind = std::abs(kinds_[static_cast<size_t>(column)]);
    // Keys are views into the stored rows, which do not change while sorting.
    struct Item {
        double number;
        std::string_view text;
        int order, data;
    };
    std::vector<Item> items;
    items.reserve(static_cast<size_t>(rowTotal_));
    for (int i = 1; i <= rowTotal_; ++i) {
        Item it{0, fieldOf(rows_[static_cast<size_t>(order_[static_cast<size_t>(i)])], column), order_[static_cast<size_t>(i)],
                data_[static_cast<size_t>(i)]};
        // Whole hundredths: amounts that differ only in their cents differ.
        if (kind == 2) it.number = std::nearbyint(readNumber(std::string(it.text)) * 100);
        if (kind == 3) it.number = dateKey(std::string(it.text));
        items.push_back(it);
    }
    bool ascendingNow = kind == 2 || kind == 3 ? items.front().number < items.back().number
                                               : items.back().text > items.front().text;
    bool descending = ascendingNow;
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        int c = kind == 2 || kind == 3 ? (a.number < b.number ? -1 : a.number > b.number ? 1 : 0)
                                       : compareFolded(a.text, b.text);
        return descending ? c > 0 : c < 0;
    });
    for (int i = 1; i <= rowTotal_; ++i) {
        order_[static_cast<size_t>(i)] = items[static_cast<size_t>(i - 1)].order;
        data_[static_cast<size_t>(i)] = items[static_cast<size_t>(i - 1)].data;
    }
    showRows();
}

bool cColumnList::controlCommand(HWND control, int code) {
    if (code != 0 && code != 1) return false;
    auto* list = reinterpret_cast<cColumnList*>(GetWindowLongPtrA(control, GWLP_USERDATA));
    if (!list || !originalProcs().count(control)) return false;
    list->addRef();
    int id = GetDlgCtrlID(control);
    if (id == list->listId_ && code == LBN_SELCHANGE) {
        int p = static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0)) + 1;
        list->select(std::max(p, 1), 0, 0);
    } else if (id > list->listId_ && id <= list->listId_ + list->columnCount_ && code == STN_CLICKED) {
        int r = list->rowAt(list->selected());
        list->sortByColumn(id - list->listId_);
        int q = 0;
        for (int p = 1; p <= list->rowTotal_; ++p)
            if (list->rowAt(p) == r) {
                q = p;
                break;
            }
        list->select(q, 0, 0);
    }
    list->release();
    return false;
}
