// View > Year at a Glance through its real windows: the figures of a
// two-year books with one year archived, the year and grouping switches,
// the double click that filters the main list, an archived cell, a missing
// archive, Add archive file, Export and Print.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "reports/year_glance_dialog.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/print_capture.h"
#include "tests/win/win_fixture.h"

namespace {

const char* const caption = "Year at a Glance";

class YearGlanceDialog : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // 2024 went to an archive file; 2025 is in the books.
        LedgerImage old;
        old.descriptions = {entry(1, "Consulting"), entry(2, "Rent")};
        old.names = {entry(1, "Acme Corp")};
        old.transactions = {makeTransaction("01-15-2024", typeService, 1, 1, 40000),
                            makeTransaction("03-01-2024", typeExpense, 2, 0, 70000)};
        folder.write("books-2024.qvl", encodeLedger(old));
        LedgerImage books;
        books.descriptions = {entry(1, "Consulting"), entry(2, "Rent"), entry(3, "Widgets"), entry(2, "Mileage")};
        books.names = {entry(1, "Acme Corp"), entry(3, "Shop")};
        books.transactions = {
            makeTransaction("01-20-2025", typeService, 1, 1, 50000),
            makeTransaction("01-25-2025", typeSold, 3, 2, 10725, modeTaxIncluded, 725),
            makeTransaction("02-01-2025", typeExpense, 4, 0, 12000),  // 120 miles
            makeTransaction("03-01-2025", typeExpense, 2, 0, 80000),
            makeTransaction("03-05-2025", typeService, 1, 2, 20000),
        };
        installLedger(books);
        start();
        ledger.beside.archives.push_back({folder.file("books-2024.qvl"), packDate("12-31-2024"), 0});
    }

    static HWND table(HWND d) { return GetDlgItem(d, idGlanceTable); }
    static std::string cell(HWND d, int row, int column) {
        char text[128] = "";
        LVITEMA it = {};
        it.iSubItem = column;
        it.pszText = text;
        it.cchTextMax = sizeof text;
        SendMessageA(table(d), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
        return text;
    }
    static int rowOf(HWND d, const std::string& label) {
        int n = static_cast<int>(SendMessageA(table(d), LVM_GETITEMCOUNT, 0, 0));
        for (int r = 0; r < n; ++r)
            if (cell(d, r, 0) == label) return r;
        return -1;
    }
    static void chooseYear(HWND d, int id, const std::string& year) {
        HWND box = GetDlgItem(d, id);
        LRESULT at = SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(year.c_str()));
        SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    }
    // A double click on a cell, as the mouse makes it.
    static void doubleClick(HWND d, int row, int column) {
        RECT r = {};
        r.top = column;
        r.left = LVIR_BOUNDS;
        SendMessageA(table(d), LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(table(d), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(table(d), WM_LBUTTONUP, 0, at);
        SendMessageA(table(d), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(table(d), WM_LBUTTONUP, 0, at);
    }
    void open(std::function<void(HWND)> steps) {
        whenDialogOpens(caption, std::move(steps));
        command(cmdYearGlance);
    }
};

TEST_F(YearGlanceDialog, ShowsTheYearBesideTheArchivedOne) {
    std::vector<std::string> seen;
    open([&](HWND d) {
        auto read = [&] {
            EXPECT_EQ(windowText(GetDlgItem(d, idGlanceYear)), "2025");
            EXPECT_EQ(windowText(GetDlgItem(d, idGlanceCompare)), "2024");
            int consulting = rowOf(d, "    Consulting"), total = rowOf(d, "Total income");
            ASSERT_GE(consulting, 0);
            EXPECT_EQ(cell(d, consulting, 1), "500.00");
            EXPECT_EQ(cell(d, consulting, 3), "200.00");
            EXPECT_EQ(cell(d, consulting, 13), "700.00");
            EXPECT_EQ(cell(d, consulting, 14), "400.00");  // from the archive file
            EXPECT_EQ(cell(d, consulting, 15), "300.00");
            EXPECT_EQ(cell(d, total, 13), "800.00");  // the sale without its tax
            EXPECT_EQ(cell(d, rowOf(d, "Total expenses"), 14), "700.00");
            EXPECT_EQ(cell(d, rowOf(d, "Net"), 13), "");  // zero shows empty, as in the list
            EXPECT_EQ(cell(d, rowOf(d, "Net"), 14), "-300.00");
            EXPECT_EQ(cell(d, rowOf(d, "Mileage (miles)"), 2), "120.00");
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, idGlanceProblems)));
            // By name, and another year.
            click(d, idGlanceByName);
            EXPECT_GE(rowOf(d, "    Shop"), 0);
            EXPECT_EQ(cell(d, rowOf(d, "    Acme Corp"), 13), "500.00");
            chooseYear(d, idGlanceYear, "2024");
            chooseYear(d, idGlanceCompare, "2025");
            EXPECT_EQ(cell(d, rowOf(d, "    Acme Corp"), 1), "400.00");
            EXPECT_EQ(cell(d, rowOf(d, "    Acme Corp"), 15), "-100.00");
            seen.push_back("read");
        };
        read();
        closeBox(d);
    });
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(allDialogsHandled());
}

// A double click on Consulting in March shows that month's Consulting rows
// in the main list, from another tab, and the dialog closes.
TEST_F(YearGlanceDialog, ADoubleClickFiltersTheMainList) {
    clickTab(5);  // Expenses
    bool closed = false;
    open([&](HWND d) {
        doubleClick(d, rowOf(d, "    Consulting"), 3);
        closed = !IsWindowVisible(d);  // ended: it goes once the message is handled
        if (!closed) closeBox(d);
    });
    ASSERT_TRUE(closed);
    EXPECT_EQ(formatDate(filterStartDate), "03-01-2025");
    EXPECT_EQ(formatDate(filterEndDate), "03-31-2025");
    EXPECT_EQ(descriptionText(static_cast<uint16_t>(filterDescrIndex)), "Consulting");
    EXPECT_EQ(currentTab, 1);
    ASSERT_EQ(rows(1).size(), 1u);
    EXPECT_EQ(rows(1)[0].substr(0, 10), "03-05-2025");
    EXPECT_EQ(statusText(2), "Filter: 03-2025, Consulting");  // the filter says what narrows the list
}

// Cells of the archived year cannot be shown in the list: the dialog says
// where they are and stays. A missing archive file is named and left out.
TEST_F(YearGlanceDialog, ArchivedCellsAndAMissingArchive) {
    ledger.beside.archives.push_back({folder.file("gone.qvl"), 0, 0});
    open([&](HWND d) {
        std::string problems = windowText(GetDlgItem(d, idGlanceProblems));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(d, idGlanceProblems)));
        EXPECT_NE(problems.find(folder.file("gone.qvl") + " (not found)"), std::string::npos) << problems;
        doubleClick(d, rowOf(d, "    Consulting"), 14);  // 2024's total
        EXPECT_TRUE(IsWindowVisible(d));
        closeBox(d);
    });
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "These transactions are in the archive file " + folder.file("books-2024.qvl") +
                                            ".\r\nOpen it with File > Open to see them in the list.");
    EXPECT_EQ(filterStartDate, 0);  // nothing put in force
}

// "Add archive file..." remembers the file as a step Undo takes back, and
// reads it at once; Export writes the table; Print prints chart and table.
TEST_F(YearGlanceDialog, AddArchiveExportAndPrint) {
    LedgerImage older;
    older.descriptions = {entry(1, "Consulting")};
    older.transactions = {makeTransaction("06-06-2023", typeService, 1, 0, 12300)};
    folder.write("books-2023.qvl", encodeLedger(older));
    PrintCapture capture;
    prompts.chosenFiles = {folder.file("books-2023.qvl"), folder.file("glance.csv")};
    open([&](HWND d) {
        click(d, idGlanceAddArchive);
        chooseYear(d, idGlanceCompare, "2023");
        EXPECT_EQ(cell(d, rowOf(d, "    Consulting"), 14), "123.00");
        click(d, idGlanceExport);
        prompts.printer = capture.metafileDC();
        click(d, idGlancePrint);
        closeBox(d);
    });
    ASSERT_EQ(ledger.beside.archives.size(), 2u);
    EXPECT_EQ(ledger.beside.archives[1].path, folder.file("books-2023.qvl"));
    EXPECT_EQ(ledgerChanged, 1);
    Bytes csv = folder.read("glance.csv");
    std::string text(csv.begin(), csv.end());
    EXPECT_EQ(text.compare(0, 3, "\xEF\xBB\xBF"), 0);
    EXPECT_NE(text.find("\r\nIncome,Total income,600.00,0.00,200.00,"), std::string::npos) << text;
    ASSERT_GE(capture.pages(), 1);
    bool heading = false, consulting = false;
    for (const DrawnText& t : capture.texts()) {
        heading = heading || t.text == "Year at a Glance 2025, compared with 2023";
        consulting = consulting || t.text == "    Consulting";
    }
    EXPECT_TRUE(heading);
    EXPECT_TRUE(consulting);

    command(cmdUndo);
    EXPECT_EQ(ledger.beside.archives.size(), 1u);
}

}  // namespace
