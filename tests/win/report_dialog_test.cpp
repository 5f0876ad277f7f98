#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "app/main_window.h"
#include "reports/csv_export.h"
#include "reports/printing.h"
#include "reports/tax_report.h"
#include "reports/tax_report_dialog.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/print_capture.h"
#include "tests/win/win_fixture.h"
#include "text/amount_text.h"

namespace {

struct StaticText {
    RECT units;  // left, top, width, height
    LONG style;
    int id;
    std::string text;
};

BOOL CALLBACK collectStatic(HWND w, LPARAM param) {
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) return TRUE;
    RECT r, base = {0, 0, 4, 8};
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    MapDialogRect(GetParent(w), &base);
    auto units = [](long px, long per, long b) { return (px * per + b / 2) / b; };
    RECT u = {units(r.left, 4, base.right), units(r.top, 8, base.bottom), units(r.right - r.left, 4, base.right),
              units(r.bottom - r.top, 8, base.bottom)};
    reinterpret_cast<std::vector<StaticText>*>(param)->push_back(
        {u, GetWindowLongA(w, GWL_STYLE), GetDlgCtrlID(w), windowText(w)});
    return TRUE;
}

std::vector<StaticText> statics(HWND dialog) {
    std::vector<StaticText> out;
    EnumChildWindows(dialog, collectStatic, reinterpret_cast<LPARAM>(&out));
    return out;
}

class ReportDialog : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        installLedger(sampleImage());
        start();
    }
};

TEST_F(ReportDialog, LinesStandAtTheirPlacesWithTheFigures) {
    bool sawDialog = false;
    whenDialogOpens("Tax Report", [&](HWND d) {
        sawDialog = true;
        std::vector<StaticText> texts = statics(d);
        ASSERT_EQ(texts.size(), 36u);
        // y -> (label, value); every label at x 3 w 100, every value at x 130 w 50.
        std::map<int, std::pair<std::string, std::string>> lines;
        for (const StaticText& s : texts) {
            EXPECT_EQ(s.units.bottom, 10) << s.text;
            EXPECT_EQ(s.id, -1) << s.text;  // no control id
            if (s.units.left == 3) {
                EXPECT_EQ(s.units.right, 100) << s.text;
                EXPECT_EQ(s.style & SS_TYPEMASK, SS_LEFT) << s.text;
                lines[s.units.top].first = s.text;
            } else {
                EXPECT_EQ(s.units.left, 130) << s.text;
                EXPECT_EQ(s.units.right, 50) << s.text;
                EXPECT_EQ(s.style & SS_TYPEMASK, SS_RIGHT) << s.text;
                lines[s.units.top].second = s.text;
            }
        }
        // The sample: services 500.00, rent 800.00, 123.40 miles, a sale of
        // 19.99 with 1.25 tax added, a purchase of 10.00, 5.00 taken for
        // personal use and 25.00 earned; the combined rate is 0.0625.
        const struct {
            int y;
            const char* label;
            const char* value;
        } expected[] = {
            {7, "State and Local Sales Taxes", ""}, {20, "Total gross sales (incl tax)", "21.24"},
            {30, "Personal, subject to use tax", "5.00"}, {40, "Total (line 1 + line 2)", "26.24"},
            {50, "Sales to others for resale", "0.00"}, {60, "Sales tax collected", "1.25"},
            {70, "Total exempt transactions", "1.25"}, {80, "Amount subject to tax", "24.99"},
            {90, "Total sales and use tax", "1.56"}, {100, "Total amount due", "1.56"},
            {127, "Income Taxes", ""}, {140, "Products sales", "19.99"},
            {150, "Products purchases", "10.00"}, {160, "Total services", "500.00"},
            {170, "Total earnings", "25.00"}, {180, "Total Income", "534.99"},
            {190, "Total Expenses", "800.00"}, {200, "Total Miles", "123.40"},
        };
        ASSERT_EQ(lines.size(), 18u);
        for (const auto& e : expected) {
            EXPECT_EQ(lines[e.y].first, e.label) << e.y;
            EXPECT_EQ(lines[e.y].second, e.value) << e.y;
        }
        click(d, idReportClose);
    });
    showTaxReport(mainWindow, shownTransactions());
    EXPECT_TRUE(sawDialog);
    EXPECT_FALSE(showZeroAmounts);  // zeros are empty again once it has closed
}

TEST_F(ReportDialog, ExportWritesTheLinesAndEscCloses) {
    prompts.chosenFiles = {folder.file("report.csv")};
    std::string expected;
    whenDialogOpens("Tax Report", [&](HWND d) {
        EXPECT_EQ(itemText(d, idReportExport), "&Export");
        RECT r = itemRectUnits(d, idReportExport);
        EXPECT_EQ(r.top + r.bottom, 270);  // below Print and Close, inside the 275 units
        expected = taxReportCsv();
        click(d, idReportExport);
        EXPECT_TRUE(IsWindow(d));  // the report stays open
        // Esc, as the dialog's own loop hands it over.
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    showTaxReport(mainWindow, shownTransactions());
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.fileRequests[0].caption, "Export Tax Report");
    Bytes written = folder.read("report.csv");
    std::string text(written.begin(), written.end());
    EXPECT_EQ(text, expected);
    EXPECT_NE(text.find("\r\nTotal services,500.00\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"Personal, subject to use tax\",5.00\r\n"), std::string::npos);
    EXPECT_TRUE(prompts.messages.empty());
}

// The report's Export refuses the open ledger as File > Export does, asks
// again, and a cancel then leaves the report open and the books as they were.
TEST_F(ReportDialog, ExportRefusesTheOpenLedgerAndAsksAgain) {
    const Bytes books = folder.read("books.qvl");
    prompts.chosenFiles = {folder.file("Books.qvl"), ""};
    whenDialogOpens("Tax Report", [&](HWND d) {
        click(d, idReportExport);
        EXPECT_TRUE(IsWindow(d));
        click(d, idReportClose);
    });
    showTaxReport(mainWindow, shownTransactions());
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_EQ(prompts.fileRequests.size(), 2u);
    EXPECT_EQ(prompts.messageTexts(),
              std::vector<std::string>{folder.file("Books.qvl") +
                                       " is the open ledger.\r\nAn export never replaces it: choose another name; "
                                       "nothing has been written."});
    EXPECT_EQ(folder.read("books.qvl"), books);
}

TEST_F(ReportDialog, FrameButtonsAndACancelledPrint) {
    bool stillOpen = false;
    whenDialogOpens("Tax Report", [&](HWND d) {
        LONG style = GetWindowLongA(d, GWL_STYLE);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_EQ(GetWindow(d, GW_OWNER), mainWindow);
        expectClientUnits(d, 200, 275);
        expectCentredOnWorkArea(d);

        const struct {
            int id;
            const char* text;
            int x;
        } buttons[] = {{idReportPrint, "&Print", 50}, {idReportClose, "&Close", 120}};
        for (const auto& b : buttons) {
            EXPECT_EQ(itemText(d, b.id), b.text);
            RECT r = itemRectUnits(d, b.id);
            EXPECT_EQ(r.left, b.x);
            EXPECT_EQ(r.top, 220);
            EXPECT_EQ(r.right, 50);
            EXPECT_EQ(r.bottom, 25);
        }
        EXPECT_EQ(GetNextDlgTabItem(d, GetDlgItem(d, idReportPrint), FALSE), GetDlgItem(d, idReportClose));

        click(d, idReportPrint);  // the print dialog is cancelled
        stillOpen = IsWindow(d) != FALSE;
        SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    });
    PrintCapture capture;
    showTaxReport(mainWindow, shownTransactions());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(prompts.printRequests, std::vector<unsigned long>{printDialogFlags});
    EXPECT_TRUE(capture.calls.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

// The real print dialog belongs to the report, which takes no input while
// it is up; afterwards the report is the active window again and the main
// window stays disabled under it.
TEST_F(ReportDialog, TheRealPrintDialogComesBackToTheReport) {
    HWND report = nullptr;
    whenDialogOpens("Tax Report", [&](HWND d) {
        report = d;
        prompts.realPrompts = 1;
        whenDialogOpens("Print", [&](HWND print) {
            // Without a printer the dialog first says so in a box of its own.
            HWND dialog = print;
            while (GetWindow(dialog, GW_OWNER) && windowText(GetWindow(dialog, GW_OWNER)) == "Print")
                dialog = GetWindow(dialog, GW_OWNER);
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), report);
            EXPECT_FALSE(IsWindowEnabled(report));
            click(report, idReportPrint);  // no second print dialog
            SendMessageA(report, WM_CLOSE, 0, 0);
            pumpMessages();
            EXPECT_EQ(prompts.printRequests.size(), 1u);
            PostMessageA(print, WM_COMMAND, IDCANCEL, 0);
            if (dialog != print) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        click(d, idReportPrint);
        clearDialogQueue();
        EXPECT_TRUE(IsWindowEnabled(d));
        EXPECT_FALSE(IsWindowEnabled(main));
        EXPECT_EQ(GetActiveWindow(), d);
        click(d, idReportClose);
    });
    showTaxReport(mainWindow, shownTransactions());
    EXPECT_EQ(prompts.printRequests.size(), 1u);
    EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(ReportDialog, PrintsOnePageAtTheReportsPlaces) {
    PrintCapture capture;
    whenDialogOpens("Tax Report", [&](HWND d) {
        prompts.printer = capture.metafileDC();
        click(d, idReportPrint);
        click(d, idReportClose);
    });
    showTaxReport(mainWindow, shownTransactions());
    EXPECT_EQ(capture.calls, (std::vector<std::string>{"StartDoc Quirvel Tax Report", "StartPage", "EndPage", "EndDoc"}));
    std::vector<DrawnText> texts = capture.texts();
    ASSERT_EQ(texts.size(), 34u);  // 18 labels and 16 values
    EXPECT_EQ(capture.pages(), 1);

    // The screen is the metafile's reference: 96 pixels an inch, no margins.
    HDC screen = GetDC(nullptr);
    int perInch = GetDeviceCaps(screen, LOGPIXELSX);
    HFONT bodyFont = CreateFontA(-MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                 DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HGDIOBJ old = SelectObject(screen, bodyFont);
    TEXTMETRICA tm = {};
    GetTextMetricsA(screen, &tm);
    SelectObject(screen, old);
    DeleteObject(bodyFont);
    ReleaseDC(nullptr, screen);
    const double h = tm.tmHeight;

    const DrawnText& first = texts[0];
    EXPECT_EQ(first.text, "State and Local Sales Taxes");
    EXPECT_EQ(first.x, perInch);
    EXPECT_EQ(first.y, static_cast<int>(3 * h));
    EXPECT_EQ(first.font.lfWeight, FW_BOLD);
    EXPECT_TRUE(first.font.lfUnderline);
    EXPECT_EQ(first.font.lfHeight, -MulDiv(12, perInch, 72));

    EXPECT_EQ(texts[1].text, "Total gross sales (incl tax)");
    EXPECT_EQ(texts[1].x, perInch * 3 / 2);
    EXPECT_EQ(texts[1].y, static_cast<int>(5 * h));
    EXPECT_EQ(texts[1].font.lfWeight, FW_NORMAL);
    EXPECT_FALSE(texts[1].font.lfUnderline);
    EXPECT_EQ(texts[1].font.lfHeight, -MulDiv(10, perInch, 72));
    EXPECT_EQ(texts[2].text, "21.24");
    EXPECT_EQ(texts[2].x, perInch * 4);
    EXPECT_EQ(texts[2].y, texts[1].y);

    const DrawnText& income = texts[19];
    EXPECT_EQ(income.text, "Income Taxes");
    EXPECT_EQ(income.x, perInch);
    EXPECT_TRUE(income.font.lfUnderline);
    // Nine lines of 1.5 h, then 3 h before the second heading.
    EXPECT_NEAR(income.y, 5 * h + 8 * 1.5 * h + 3 * h, 1);
    EXPECT_EQ(texts.back().text, "123.40");
    EXPECT_NEAR(texts.back().y, income.y + 0.5 * h + 7 * 1.5 * h, 1);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ReportDialog, RefusedPrintJobIsReportedAndTheReportStaysOpen) {
    // A memory DC is no printer: the spooler refuses the document.
    bool stillOpen = false;
    HDC memory = CreateCompatibleDC(nullptr);
    whenDialogOpens("Tax Report", [&](HWND d) {
        prompts.printer = memory;
        click(d, idReportPrint);
        stillOpen = IsWindow(d) != FALSE;
        click(d, idReportClose);
    });
    showTaxReport(mainWindow, shownTransactions());
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "The printer did not accept the job.");
    EXPECT_EQ(prompts.messages[0].title, "Print");
    EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconExclamation);
    EXPECT_EQ(GetObjectType(memory), 0u);  // the printer DC was deleted all the same
}

// The report rendered for real into a bitmap (96 dpi): headings at 1 in,
// labels at 1.5 in, values at 4 in; nothing left of 1 in. With
// QUIRVEL_RENDER_DIR set the page is kept there to be looked at.
TEST_F(ReportDialog, RenderedReportHasInkInItsColumns) {
    const char* dir = std::getenv("QUIRVEL_RENDER_DIR");
    std::string prefix = dir ? std::string("Z:") + dir + "/report-page" : folder.file("report-page");
    PrintCapture capture;
    computeTaxReport(shownTransactions());
    prompts.printer = capture.bitmapDC(816, 1056, prefix);
    printTaxReport();
    endTaxReport();
    std::string page = prefix + "1.bmp";
    EXPECT_GT(inkInside(page, RECT{96, 0, 140, 600}), 0);   // headings
    EXPECT_GT(inkInside(page, RECT{144, 0, 200, 600}), 0);  // labels
    EXPECT_GT(inkInside(page, RECT{384, 0, 420, 600}), 0);  // values
    EXPECT_EQ(inkInside(page, RECT{0, 0, 90, 1056}), 0);
}

}  // namespace
