#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/main_window.h"
#include "reports/printing.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/print_capture.h"
#include "tests/win/win_fixture.h"

namespace {

// n services on consecutive days of 2006, amounts 10.01, 10.02, ...
LedgerImage manyServices(int n) {
    LedgerImage image;
    image.descriptions = {entry(1, "Consulting")};
    image.names = {entry(1, "Acme Corp")};
    for (int i = 0; i < n; ++i) {
        char date[16];
        std::snprintf(date, sizeof date, "%02d-%02d-2006", 1 + i / 28, 1 + i % 28);
        image.transactions.push_back(makeTransaction(date, typeService, 1, 1, 1001 + i));
    }
    return image;
}

class Printing : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        HDC screen = GetDC(nullptr);
        perInchX = GetDeviceCaps(screen, LOGPIXELSX);
        perInchY = GetDeviceCaps(screen, LOGPIXELSY);
        printableHeight = GetDeviceCaps(screen, VERTRES);
        ReleaseDC(nullptr, screen);
    }

    std::vector<DrawnText> print() {
        prompts.printer = capture.metafileDC();
        printList(shownTransactions());
        return capture.texts();
    }

    // Width of a text in the printout's font, measured on the metafile's
    // reference device (the screen).
    int widthOf(const std::string& text) {
        HDC screen = GetDC(nullptr);
        HFONT font = CreateFontA(-MulDiv(9, perInchY, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                 "MS Sans Serif");
        HGDIOBJ old = SelectObject(screen, font);
        SIZE size = {};
        GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(screen, old);
        DeleteObject(font);
        ReleaseDC(nullptr, screen);
        return size.cx;
    }

    int inches(double v) const { return static_cast<int>(std::lround(v * perInchX)); }

    // The texts of one column of a page (by left edge), headings excluded.
    static std::vector<DrawnText> column(const std::vector<DrawnText>& page, int x, const std::string& heading) {
        std::vector<DrawnText> out;
        for (const DrawnText& t : page)
            if (t.x == x && t.text != heading) out.push_back(t);
        return out;
    }

    const DrawnText* find(const std::vector<DrawnText>& texts, const std::string& text, int y) {
        for (const DrawnText& t : texts)
            if (t.text == text && t.y == y) return &t;
        return nullptr;
    }

    PrintCapture capture;
    int perInchX = 0, perInchY = 0, printableHeight = 0;
};

TEST_F(Printing, PagesHoldTheirRowsAndRepeatTheHeadings) {
    const int n = 70;
    installLedger(manyServices(n));
    start();
    std::vector<DrawnText> texts = print();
    EXPECT_EQ(capture.calls,
              (std::vector<std::string>{"StartDoc Quirvel", "StartPage", "EndPage", "StartPage", "EndPage", "EndDoc"}));
    ASSERT_EQ(capture.pages(), 2);
    std::vector<DrawnText> page1 = onPage(texts, 1), page2 = onPage(texts, 2);
    for (const DrawnText& t : texts) EXPECT_EQ(t.font.lfHeight, -MulDiv(9, perInchY, 72)) << t.text;

    const int headingY = static_cast<int>(std::lround(0.5 * perInchY));
    for (const auto* page : {&page1, &page2}) {
        const struct {
            const char* text;
            int x;
        } lefts[] = {{"Date", inches(0.75)}, {"Type", inches(1.5)}, {"Descr", inches(2.1)}, {"Name", inches(3.4)}};
        for (const auto& h : lefts) {
            const DrawnText* t = find(*page, h.text, headingY);
            ASSERT_NE(t, nullptr) << h.text;
            EXPECT_EQ(t->x, h.x) << h.text;
        }
        const struct {
            const char* text;
            double end;
        } rights[] = {{"Amount   ", 5.6}, {"Ship/Hndl", 6.3}, {"Tax  ", 7.0}, {"Total  ", 7.8}};
        for (const auto& h : rights) {
            const DrawnText* t = find(*page, h.text, headingY);
            ASSERT_NE(t, nullptr) << h.text;
            EXPECT_EQ(t->x + widthOf(h.text), inches(h.end)) << h.text;
        }
    }

    std::vector<DrawnText> dates1 = column(page1, inches(0.75), "Date"), dates2 = column(page2, inches(0.75), "Date");
    ASSERT_GE(dates1.size(), 2u);
    const int lineHeight = dates1[1].y - dates1[0].y;
    EXPECT_EQ(dates1[0].y, headingY + 2 * lineHeight);  // after the heading line and one empty line
    EXPECT_EQ(static_cast<int>(dates1.size()), printableHeight / lineHeight - 5);
    EXPECT_EQ(dates1.size() + dates2.size(), static_cast<size_t>(n));
    ASSERT_FALSE(dates2.empty());
    EXPECT_EQ(dates2[0].y, dates1[0].y);
    // Every listed row once, in the list's order, each line of a row at one y.
    std::vector<std::string> shown = rows(1), printed;
    for (const auto& d : dates1) printed.push_back(d.text);
    for (const auto& d : dates2) printed.push_back(d.text);
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(printed[i], shown[i].substr(0, 10)) << i;
    for (const auto& d : dates2) EXPECT_NE(find(page2, "Acme Corp", d.y), nullptr) << d.text;
}

TEST_F(Printing, RowsInDisplayOrderWithFiguresEndingAtTheirColumns) {
    installLedger(sampleImage());
    start();
    // Sort by Amount, as a click on its heading.
    SendMessageA(pages[1], WM_COMMAND, MAKEWPARAM(2501 + 5, STN_CLICKED),
                 reinterpret_cast<LPARAM>(currentList->heading(5)));
    std::vector<std::string> shown = rows(1);
    ASSERT_EQ(shown.size(), 7u);
    ASSERT_NE(shown[0].substr(0, 10), "01-05-2006");  // no longer in date order

    std::vector<DrawnText> texts = print();
    std::vector<DrawnText> dates = column(texts, inches(0.75), "Date");
    ASSERT_EQ(dates.size(), shown.size());
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(dates[i].text, shown[i].substr(0, 10)) << i;

    // The sale: 19.99, 1.00 handling + 2.00 shipping, 1.25 tax. The purchase
    // has its tax included: it prints the tax, and its total is the list's,
    // the amount paid.
    const struct {
        const char* date;
        const char* text;
        double end;
    } figures[] = {{"02-14-2006", "19.99", 5.6}, {"02-14-2006", "3.00", 6.3},  {"02-14-2006", "1.25", 7.0},
                   {"02-14-2006", "24.24", 7.8}, {"03-02-2006", "0.59", 7.0},  {"03-02-2006", "10.00", 5.6},
                   {"03-02-2006", "10.00", 7.8}, {"03-20-2006", "5.31", 7.8},  {"01-09-2006", "800.00", 5.6}};
    for (const auto& f : figures) {
        int y = -1;
        for (const auto& d : dates)
            if (d.text == f.date) y = d.y;
        bool placed = false;
        for (const DrawnText& t : texts) placed |= t.text == f.text && t.y == y && t.x + widthOf(f.text) == inches(f.end);
        EXPECT_TRUE(placed) << f.text << " ending at " << f.end << " in";
    }
    // No handling, shipping or tax: those cells stay empty.
    int rentY = -1;
    for (const auto& d : dates)
        if (d.text == "01-09-2006") rentY = d.y;
    int cells = 0;
    for (const auto& t : texts) cells += t.y == rentY;
    EXPECT_EQ(cells, 6);  // date, type, description, name, amount, total
}

TEST_F(Printing, CancelledDialogAndEmptyListPrintNothing) {
    start();
    printList(shownTransactions());  // the print dialog is cancelled
    HDC dc = capture.metafileDC();
    prompts.printer = dc;
    printList(shownTransactions());  // an empty list: no job at all
    EXPECT_EQ(prompts.printRequests, (std::vector<unsigned long>{printDialogFlags, printDialogFlags}));
    EXPECT_TRUE(capture.calls.empty());
    EXPECT_EQ(GetObjectType(dc), 0u);  // deleted
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Printing, ARefusalAbortsTheJobAndIsToldOnce) {
    installLedger(manyServices(70));
    start();
    const struct {
        const char* call;
        int on;
        std::vector<std::string> calls;
    } cases[] = {
        {"StartDoc", 1, {"StartDoc Quirvel"}},
        {"StartPage", 2, {"StartDoc Quirvel", "StartPage", "EndPage", "StartPage", "AbortDoc"}},
        {"EndPage", 1, {"StartDoc Quirvel", "StartPage", "EndPage", "AbortDoc"}},
        {"EndDoc", 1, {"StartDoc Quirvel", "StartPage", "EndPage", "StartPage", "EndPage", "EndDoc", "AbortDoc"}},
    };
    for (const auto& c : cases) {
        capture.calls.clear();
        capture.failCall = c.call;
        capture.failOn = c.on;
        prompts.messages.clear();
        HDC dc = capture.metafileDC();
        prompts.printer = dc;
        printList(shownTransactions());
        EXPECT_EQ(capture.calls, c.calls) << c.call;
        ASSERT_EQ(prompts.messages.size(), 1u) << c.call;
        EXPECT_EQ(prompts.messages[0].text, "The printer did not accept the job.");
        EXPECT_EQ(prompts.messages[0].title, "Print");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconExclamation);
        EXPECT_EQ(GetObjectType(dc), 0u) << c.call;  // deleted
    }
}

// A page rendered for real into a bitmap (8.5 x 11 in at 96 dpi): ink where
// the headings and the first row stand, none in the left margin. With
// QUIRVEL_RENDER_DIR set the page is kept there to be looked at.
TEST_F(Printing, RenderedPageHasInkWhereTheTextStands) {
    const char* dir = std::getenv("QUIRVEL_RENDER_DIR");
    std::string prefix = dir ? std::string("Z:") + dir + "/list-page" : folder.file("list-page");
    LedgerImage image = sampleImage();
    image.descriptions[0] = entry(1, "Consulting for the whole of the spring season");
    installLedger(image);
    start();
    prompts.printer = capture.bitmapDC(816, 1056, prefix);
    printList(shownTransactions());
    std::string page = prefix + "1.bmp";
    EXPECT_GT(inkInside(page, RECT{72, 44, 110, 62}), 0);     // "Date" at 0.75 in, 0.5 in down
    EXPECT_GT(inkInside(page, RECT{700, 44, 749, 62}), 0);    // "Total" ending near 7.8 in
    EXPECT_EQ(inkInside(page, RECT{0, 0, 60, 1056}), 0);      // nothing left of the Date column
}

}  // namespace
