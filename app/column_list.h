// cColumnList: a row of clickable headings over a list box whose rows are
// TAB-separated cells laid out on tab stops. Keeps its own copy of every row,
// fits cells to their columns when a row is added, sorts by a heading click
// and maps each displayed position back to the row number it was added as.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class cColumnList {
public:
    cColumnList() = default;
    cColumnList(const cColumnList&) = delete;
    cColumnList& operator=(const cColumnList&) = delete;

    void addRef() { ++refs_; }
    void release() {
        if (--refs_ == 0) delete this;
    }

    int controlId() const { return listId_; }
    int count() const { return rowTotal_; }
    void setCount(int n) { rowTotal_ = n; }
    int selected() const { return rowTotal_ == 0 ? 0 : selectedPosition_; }
    void select(int position, int freeze, int top);
    void showRows();
    int rowAt(int position) const;
    // Each time it shows its rows (after a fill or a sort), the list puts
    // their order into *order: order[p] = the row shown at position p,
    // order[0] unused. Null (the default) stops it; a list given a place
    // puts its order there at once.
    void publishOrderTo(std::vector<int>* order);

    // Lengths in the parent's dialog units; widths are percentages, negative
    // for a right-aligned column; a heading starting with "\x01" makes a
    // number column, "\x02" a date column.
    void create(HWND parent, int listId, int x, int y, int width, int height, const int* widths,
                const std::string* headings, int n);
    void addRow(std::string& text, int data);
    // New size in the parent's dialog units: the columns share the width by
    // their percentages again, the last one ending at the right edge. Rows
    // keep the cells fitted to the old widths until refit.
    void resize(int width, int height);
    // Fits every stored row again from its full text (rowText(n) for row
    // number n), keeping the sort order, the selection and the scroll place.
    template <class RowText> void refit(RowText rowText) {
        std::vector<int> order = order_, data = data_;
        int total = rowTotal_, position = selectedPosition_;
        int top = static_cast<int>(SendMessageA(listBox_, LB_GETTOPINDEX, 0, 0)) + 1;
        rowTotal_ = 0;
        for (int n = 1; n <= total; ++n) {
            std::string text = rowText(n);
            addRow(text, data[static_cast<size_t>(n)]);
        }
        order_ = order;
        data_ = data;
        showRows();
        if (position > 0) select(position, 1, top);
    }
    // Cuts text to the characters that fit in pixelWidth (at most the first
    // 127 characters are measured).
    void fitText(std::string& text, int pixelWidth) const;
    static int dateKey(const std::string& text);
    void sortByColumn(int column);

    HWND listBox() const { return listBox_; }
    HWND heading(int i) const { return headings_[static_cast<size_t>(i)]; }
    int kind(int i) const { return kinds_[static_cast<size_t>(i)]; }
    int width(int i) const { return widths_[static_cast<size_t>(i)]; }
    const std::vector<int>& tabStops() const { return tabStops_; }
    const std::string& rowText(int row) const { return rows_[static_cast<size_t>(row)]; }

    // The shared control procedure: a parent dialog passes every WM_COMMAND
    // here first. Always reports "not handled" so the parent acts as well.
    static bool controlCommand(HWND control, int code);

private:
    // Tab stops and cell limits for columns of the given widths (dialog units).
    void setColumnStops(const std::vector<int>& layout);
    ~cColumnList() = default;
    int toPixelsX(int units) const;
    // How many of text's first length characters fit in pixelWidth.
    size_t fitLength(const char* text, size_t length, int pixelWidth) const;

    int refs_ = 1;
    HWND parent_ = nullptr;
    HWND listBox_ = nullptr;
    int listId_ = 0;
    int columnCount_ = 0;
    int x_ = 0, top_ = 0;
    std::vector<int> percents_;  // the widths given to create
    int scrollUnits_ = 0, headingUnits_ = 0;
    std::vector<int> widths_{0};  // 1-based
    std::vector<int> kinds_{0};
    std::vector<HWND> headings_{nullptr};
    std::vector<int> tabStops_;
    int rowTotal_ = 0;
    int selectedPosition_ = 0;
    std::vector<std::string> rows_{std::string()};  // 1-based
    std::vector<int> order_{0};
    std::vector<int>* publishedOrder_ = nullptr;
    std::vector<int> data_{0};
    // Advance widths of the list box font's 256 characters, measured once:
    // fitting thousands of cells from them gives what GDI measures (its
    // text extent is the sum of advance widths) without a call per cell.
    INT charWidths_[256] = {};
    std::vector<int> cellLimits_{0};  // pixel limit of each column
};
