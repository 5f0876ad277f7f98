#include "reports/glance_chart.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

const COLORREF incomeColour = RGB(46, 139, 87), expensesColour = RGB(200, 70, 60), netColour = RGB(30, 80, 200);
const COLORREF comparedIncomeColour = RGB(196, 226, 206), comparedExpensesColour = RGB(242, 205, 200);
const COLORREF comparedNetColour = RGB(170, 190, 235);
const COLORREF gridColour = RGB(225, 225, 225), axisColour = RGB(110, 110, 110);

void fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    if (top > bottom) std::swap(top, bottom);
    if (bottom == top) bottom = top + 1;  // a bar of almost nothing still shows
    RECT r = {left, top, right, bottom};
    HBRUSH b = CreateSolidBrush(colour);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour, int width) {
    HPEN pen = CreatePen(PS_SOLID, width, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
    DeleteObject(pen);
}

SIZE textSize(HDC dc, const std::string& s) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size;
}

// One entry of the legend at x: a swatch and its words; returns the x after it.
int legendEntry(HDC dc, int x, int y, int h, COLORREF colour, const std::string& words, bool isLine) {
    if (isLine)
        line(dc, x, y + h / 2, x + h, y + h / 2, colour, 2);
    else
        fill(dc, x, y + h / 5, x + h, y + h - h / 5, colour);
    x += h + h / 3;
    TextOutA(dc, x, y, words.c_str(), static_cast<int>(words.size()));
    return x + textSize(dc, words).cx + h;
}

}  // namespace

void drawGlanceChart(HDC dc, const RECT& area, const Glance& g, HFONT font) {
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    const int h = std::max<int>(1, textSize(dc, "0").cy);
    const GlanceAxis axis = glanceAxis(g);
    int labelWidth = std::max(textSize(dc, wholeUnits(axis.high)).cx, textSize(dc, wholeUnits(axis.low)).cx);
    RECT plot = {area.left + labelWidth + h / 2, area.top + h + h / 2, area.right - h / 2, area.bottom - h - h / 3};
    if (plot.right - plot.left < 24 || plot.bottom - plot.top < 12) {
        if (oldFont) SelectObject(dc, oldFont);
        return;
    }
    const std::string year = std::to_string(g.year), compared = std::to_string(g.comparedYear);
    int x = plot.left;
    x = legendEntry(dc, x, area.top, h, incomeColour, "Income " + year, false);
    x = legendEntry(dc, x, area.top, h, expensesColour, "Expenses " + year, false);
    x = legendEntry(dc, x, area.top, h, netColour, "Net " + year, true);
    x = legendEntry(dc, x, area.top, h, comparedIncomeColour, "Income " + compared, false);
    x = legendEntry(dc, x, area.top, h, comparedExpensesColour, "Expenses " + compared, false);
    legendEntry(dc, x, area.top, h, comparedNetColour, "Net " + compared, true);

    const double span = static_cast<double>(axis.high - axis.low);
    auto yOf = [&](int64_t hundredths) {
        double units = static_cast<double>(hundredths) / 100.0;
        return plot.bottom - static_cast<int>((units - static_cast<double>(axis.low)) * (plot.bottom - plot.top) / span);
    };
    SetTextAlign(dc, TA_RIGHT | TA_TOP);
    for (int64_t v = axis.low; v <= axis.high; v += axis.step) {
        int y = yOf(v * 100);
        line(dc, plot.left, y, plot.right, y, v == 0 ? axisColour : gridColour, 1);
        std::string label = wholeUnits(v);
        TextOutA(dc, plot.left - h / 4, y - h / 2, label.c_str(), static_cast<int>(label.size()));
    }
    const int zero = yOf(0);
    const double slot = (plot.right - plot.left) / 12.0;
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    POINT net[12], comparedNet[12];
    for (int m = 0; m < 12; ++m) {
        int left = plot.left + static_cast<int>(slot * m);
        auto at = [&](double part) { return left + static_cast<int>(slot * part); };
        fill(dc, at(0.10), zero, at(0.49), yOf(g.comparedIncome[static_cast<size_t>(m)]), comparedIncomeColour);
        fill(dc, at(0.51), zero, at(0.90), yOf(g.comparedExpenses[static_cast<size_t>(m)]), comparedExpensesColour);
        fill(dc, at(0.18), zero, at(0.46), yOf(g.income.total.months[static_cast<size_t>(m)]), incomeColour);
        fill(dc, at(0.54), zero, at(0.82), yOf(g.expenses.total.months[static_cast<size_t>(m)]), expensesColour);
        net[m] = {at(0.5), yOf(g.net.months[static_cast<size_t>(m)])};
        comparedNet[m] = {at(0.5), yOf(g.comparedIncome[static_cast<size_t>(m)] - g.comparedExpenses[static_cast<size_t>(m)])};
        const char* name = glanceMonthName(m + 1);
        TextOutA(dc, at(0.5), plot.bottom + h / 6, name, static_cast<int>(strlen(name)));
    }
    HPEN faint = CreatePen(PS_SOLID, std::max(2, h / 6), comparedNetColour);
    HGDIOBJ oldPen = SelectObject(dc, faint);
    Polyline(dc, comparedNet, 12);
    HPEN pen = CreatePen(PS_SOLID, std::max(2, h / 6), netColour);
    SelectObject(dc, pen);
    Polyline(dc, net, 12);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    DeleteObject(faint);
    for (const POINT& p : net) fill(dc, p.x - h / 5, p.y - h / 5, p.x + h / 5, p.y + h / 5, netColour);
    line(dc, plot.left, plot.top, plot.left, plot.bottom, axisColour, 1);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    if (oldFont) SelectObject(dc, oldFont);
}

namespace {

LRESULT CALLBACK chartProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything, from a buffer
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        HDC buffer = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
        HGDIOBJ oldBitmap = SelectObject(buffer, bitmap);
        FillRect(buffer, &client, GetSysColorBrush(COLOR_WINDOW));
        auto* glance = reinterpret_cast<const Glance*>(GetWindowLongPtrA(hwnd, 0));
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0));
        RECT inner = {client.left + 4, client.top + 4, client.right - 4, client.bottom - 2};
        if (glance) drawGlanceChart(buffer, inner, *glance, font);
        BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
        SelectObject(buffer, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(buffer);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

}  // namespace

void registerGlanceChartClass() {
    WNDCLASSA existing;
    if (GetClassInfoA(GetModuleHandleA(nullptr), glanceChartClass, &existing)) return;
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = chartProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = glanceChartClass;
    RegisterClassA(&wc);
}

void setGlanceChart(HWND chart, const Glance* glance) {
    SetWindowLongPtrA(chart, 0, reinterpret_cast<LONG_PTR>(glance));
    InvalidateRect(chart, nullptr, FALSE);
}
