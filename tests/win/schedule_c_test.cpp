// View > Schedule C through its real windows: the figures of a year of
// services, expenses with miles, products and an earning, worked out by
// hand; a line given to a description through the "Schedule C Line"
// dialog and taken back with the main window's Undo; every proposal
// confirmed at once; a rate per mile and the inventories typed for a year
// the program knows no IRS rate of, and what is refused; Print, Export CSV
// and Export TXF; a year that is in an archive file.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_window.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/schedule_c.h"
#include "reports/schedule_c_dialog.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/print_capture.h"
#include "tests/win/win_fixture.h"

namespace {

const char* const caption = "Schedule C Worksheet";
const int idLineChoice = 2702;  // the "Schedule C Line" dialog's combo box

class ScheduleCWindow : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        LedgerImage books;
        books.descriptions = {entry(1, "Bicycle repair"), entry(2, "Office supplies"), entry(2, "Mileage"),
                              entry(3, "Widgets"),        entry(6, "Interest"),        entry(2, "Shop rent"),
                              entry(2, "Sundries")};
        books.names = {entry(1, "Acme Corp"), entry(3, "Bolt & Co")};
        books.transactions = {
            makeTransaction("01-10-2023", typeSold, 4, 2, 5000),
            makeTransaction("02-10-2023", typeBought, 4, 2, 3000),
            makeTransaction("03-10-2023", typeExpense, 3, 0, 10000),  // 100 miles
            makeTransaction("01-10-2025", typeService, 1, 1, 50000),
            makeTransaction("01-15-2025", typeExpense, 2, 0, 12000),
            makeTransaction("02-01-2025", typeService, 1, 1, 25000),
            makeTransaction("02-01-2025", typeExpense, 3, 0, 15000),  // 150 miles
            makeTransaction("03-01-2025", typeExpense, 3, 0, 5050),   // 50.5 miles
            makeTransaction("03-01-2025", typeExpense, 6, 0, 80000),
            makeTransaction("03-15-2025", typeExpense, 7, 0, 1500),
            // 107.25 with 7.25 tax inside: 100.00 of gross receipts.
            makeTransaction("04-01-2025", typeSold, 4, 2, 10725, modeTaxIncluded, 725),
            // 200.00, 12.50 tax added, 5.00 handling, 10.00 shipping: 215.00.
            makeTransaction("04-10-2025", typeSold, 4, 2, 20000, modeTaxAdded, 1250, 500, 1000),
            // 300.00, 18.75 tax added, 6.00 shipping: 324.75 paid.
            makeTransaction("04-20-2025", typeBought, 4, 2, 30000, modeTaxAdded, 1875, 0, 600),
            makeTransaction("05-01-2025", typePersonal, 4, 0, 4000),
            makeTransaction("06-01-2025", typeEarnings, 5, 0, 1234),
        };
        installLedger(books);
        start();
    }

    static HWND table(HWND d) { return GetDlgItem(d, idScheduleCTable); }
    static int rowCount(HWND d) { return static_cast<int>(SendMessageA(table(d), LVM_GETITEMCOUNT, 0, 0)); }
    static std::string cell(HWND d, int row, int column) {
        char text[512] = "";
        LVITEMA it = {};
        it.iSubItem = column;
        it.pszText = text;
        it.cchTextMax = sizeof text;
        SendMessageA(table(d), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
        return text;
    }
    // The row whose description starts with `label`.
    static int rowOf(HWND d, const std::string& label) {
        for (int r = 0; r < rowCount(d); ++r)
            if (cell(d, r, 1).compare(0, label.size(), label) == 0) return r;
        return -1;
    }
    // The amount of a line of the form.
    static std::string line(HWND d, const std::string& code) {
        for (int r = 0; r < rowCount(d); ++r)
            if (cell(d, r, 0) == code) return cell(d, r, 2);
        return "(no line " + code + ")";
    }
    static std::string amountOf(HWND d, const std::string& label) {
        int r = rowOf(d, label);
        return r < 0 ? "(no row " + label + ")" : cell(d, r, 2);
    }
    static void chooseYear(HWND d, const std::string& year) {
        HWND box = GetDlgItem(d, idScheduleCYear);
        LRESULT at = SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(year.c_str()));
        ASSERT_NE(at, CB_ERR) << year;
        SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(idScheduleCYear, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    }
    static void selectRow(HWND d, int row) {
        LVITEMA it = {};
        it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        it.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(table(d), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    }
    static int selectedRow(HWND d) {
        return static_cast<int>(SendMessageA(table(d), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    // A double click on a row's description, as the mouse makes it.
    static void doubleClick(HWND d, int row) {
        SendMessageA(table(d), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
        RECT r = {};
        r.top = 1;
        r.left = LVIR_BOUNDS;
        SendMessageA(table(d), LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(table(d), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(table(d), WM_LBUTTONUP, 0, at);
        SendMessageA(table(d), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(table(d), WM_LBUTTONUP, 0, at);
    }
    // The next "Schedule C Line" dialog picks `choice` and presses OK (or
    // Cancel when choice is empty).
    static void whenLineDialogOpens(const std::string& choice, std::string* description = nullptr) {
        whenDialogOpens("Schedule C Line", [choice, description](HWND d) {
            if (description) *description = itemText(d, 2701);
            if (choice.empty()) return click(d, IDCANCEL);
            HWND combo = GetDlgItem(d, idLineChoice);
            LRESULT at =
                SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(choice.c_str()));
            EXPECT_NE(at, CB_ERR) << choice;
            SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
            click(d, IDOK);
        });
    }
    void open(std::function<void(HWND)> steps) {
        whenDialogOpens(caption, std::move(steps));
        command(cmdScheduleC);
        EXPECT_TRUE(allDialogsHandled());
    }
    static void expectYear2025AsWorkedOut(HWND d) {
        EXPECT_EQ(line(d, "1"), "315.00");  // the products sold: 100.00 + 215.00; the services are on no line yet
        EXPECT_EQ(amountOf(d, "    Sales tax collected"), "19.75");
        EXPECT_EQ(line(d, "36"), "284.75");  // 324.75 bought less 40.00 withdrawn
        EXPECT_EQ(line(d, "42"), "284.75");
        EXPECT_EQ(line(d, "4"), "284.75");
        EXPECT_EQ(line(d, "5"), "30.25");
        EXPECT_EQ(line(d, "9"), "140.35");  // 200.50 miles at 70 cents
        EXPECT_EQ(amountOf(d, "    Mileage: 200.50 miles at 70 cents"), "140.35");
        EXPECT_EQ(line(d, "18"), "0.00");
        EXPECT_EQ(line(d, "28"), "140.35");
        EXPECT_EQ(line(d, "44a"), "200.50 miles");
        EXPECT_EQ(line(d, "35"), "not given");
        // Bicycle repair 750.00, Office supplies 120.00, Shop rent 800.00,
        // Sundries 15.00, Interest 12.34.
        int summary = rowOf(d, "Not assigned:");
        ASSERT_GE(summary, 0);
        EXPECT_EQ(cell(d, summary, 1), "Not assigned: 5 descriptions");
        EXPECT_EQ(cell(d, summary, 2), "1,697.34");
        EXPECT_EQ(amountOf(d, "    Office supplies  (proposed: Line 18 Office expense)"), "120.00");
        EXPECT_GE(rowOf(d, "= \"Total Income\" of the tax report: agrees"), 0);
        EXPECT_GE(rowOf(d, "= \"Total Expenses\" of the tax report: agrees"), 0);
    }
};

TEST_F(ScheduleCWindow, IsOnTheViewMenuAfterTheYearAtAGlance) {
    HMENU view = GetSubMenu(GetMenu(main), 2);
    int glance = -1;
    for (int i = 0; i < GetMenuItemCount(view); ++i)
        if (GetMenuItemID(view, i) == cmdYearGlance) glance = i;
    ASSERT_GE(glance, 0);
    EXPECT_EQ(GetMenuItemID(view, glance + 1), UINT(cmdScheduleC));
    char text[64] = "";
    GetMenuStringA(view, cmdScheduleC, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Schedule &C...");
    EXPECT_EQ(cmdScheduleC, 307);
}

TEST_F(ScheduleCWindow, ShowsTheYearAsWorkedOutByHand) {
    open([&](HWND d) {
        EXPECT_FALSE(IsWindowEnabled(main));  // modal
        EXPECT_EQ(windowText(d), caption);
        EXPECT_EQ(itemText(d, idScheduleCDisclaimer), worksheetDisclaimer);
        // The disclaimer is said once, above the table.
        EXPECT_LT(rowOf(d, worksheetDisclaimer), 0);
        // The years with transactions, latest first; the default is the last
        // year before this one with transactions.
        HWND years = GetDlgItem(d, idScheduleCYear);
        ASSERT_EQ(SendMessageA(years, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(windowText(years), std::to_string(defaultWorksheetYear({2023, 2025}, currentLocalYear())));
        chooseYear(d, "2025");
        expectYear2025AsWorkedOut(d);
        // 2025 has an IRS rate: shown, not to be typed over.
        EXPECT_EQ(itemText(d, idScheduleCRate), "70");
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(d, idScheduleCRate), GWL_STYLE) & ES_READONLY);
        EXPECT_EQ(itemText(d, idScheduleCRateNote), "IRS rate, Notice 2025-5");
        // The columns, the amounts right-aligned.
        LVCOLUMNA c = {};
        char title[32] = "";
        c.mask = LVCF_TEXT | LVCF_FMT;
        c.pszText = title;
        c.cchTextMax = sizeof title;
        SendMessageA(table(d), LVM_GETCOLUMNA, 2, reinterpret_cast<LPARAM>(&c));
        EXPECT_STREQ(title, "Amount");
        EXPECT_EQ(c.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
        // Nothing that cannot be given a line enables Assign.
        selectRow(d, rowOf(d, "    Widgets sold"));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, idScheduleCAssign)));
        selectRow(d, rowOf(d, "    Office supplies"));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, idScheduleCAssign)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, idScheduleCConfirm)));
        SendMessageA(d, WM_COMMAND, IDCANCEL, 0);  // Escape
    });
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(ledgerChanged, 0);
}

// A line given from the worksheet moves the figures; the main window's
// Undo takes it back, and the worksheet opened again is as it was.
TEST_F(ScheduleCWindow, AssignsALineThatUndoTakesBack) {
    std::string asked;
    open([&](HWND d) {
        chooseYear(d, "2025");
        int row = rowOf(d, "    Office supplies");
        selectRow(d, row);
        whenLineDialogOpens("Line 18 Office expense", &asked);
        click(d, idScheduleCAssign);
        EXPECT_EQ(line(d, "18"), "120.00");
        EXPECT_EQ(line(d, "28"), "260.35");
        EXPECT_EQ(amountOf(d, "Not assigned:"), "1,577.34");
        EXPECT_EQ(cell(d, rowOf(d, "Not assigned:"), 1), "Not assigned: 4 descriptions");
        // The selection follows the description to its line.
        int now = selectedRow(d);
        ASSERT_GE(now, 0);
        EXPECT_EQ(cell(d, now, 1), "    Office supplies");
        EXPECT_LT(now, rowOf(d, "Not assigned:"));
        // A double click on it again, and Cancel: nothing changes.
        whenLineDialogOpens("");
        doubleClick(d, now);
        EXPECT_EQ(line(d, "18"), "120.00");
        closeBox(d);
    });
    EXPECT_EQ(asked, "Description: Office supplies");
    EXPECT_EQ(undoLabel(), "Assign tax line");
    EXPECT_EQ(ledgerChanged, 1);
    char undo[64] = "";
    GetMenuStringA(GetMenu(main), cmdUndo, undo, sizeof undo, MF_BYCOMMAND);
    EXPECT_STREQ(undo, "&Undo Assign tax line\tCtrl+Z");

    command(cmdUndo);
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_TRUE(ledger.beside.tax.assignments.empty());
    open([&](HWND d) {
        chooseYear(d, "2025");
        expectYear2025AsWorkedOut(d);
        closeBox(d);
    });
}

// A double click on a description opens the line dialog for it too.
TEST_F(ScheduleCWindow, ADoubleClickAssigns) {
    open([&](HWND d) {
        chooseYear(d, "2025");
        whenLineDialogOpens("Line 16b Interest: Other");
        doubleClick(d, rowOf(d, "    Sundries"));
        EXPECT_EQ(line(d, "16b"), "15.00");
        whenLineDialogOpens("Not on Schedule C");
        doubleClick(d, rowOf(d, "    Shop rent"));
        EXPECT_EQ(amountOf(d, "Left out by you:"), "800.00");
        EXPECT_EQ(amountOf(d, "Not assigned:"), "882.34");
        // A product cannot be given a line: no dialog.
        doubleClick(d, rowOf(d, "    Widgets sold"));
        // Enter on a description chooses its line too.
        SetFocus(table(d));
        selectRow(d, rowOf(d, "    Interest"));
        whenLineDialogOpens("Line 1 Gross receipts or sales");
        SendMessageA(d, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(line(d, "1"), "327.34");
        EXPECT_EQ(line(d, "6"), "0.00");
        closeBox(d);
    });
    ASSERT_EQ(ledger.beside.tax.assignments.size(), 3u);
    EXPECT_EQ(ledger.beside.tax.assignments[1].line, "leftOut");
    EXPECT_EQ(ledger.beside.tax.assignments[2].line, "gross");
}

// Confirm proposals: one question saying how many, one step.
TEST_F(ScheduleCWindow, ConfirmsEveryProposalInOneStep) {
    prompts.answers = {mb::idNo, mb::idYes};
    open([&](HWND d) {
        chooseYear(d, "2025");
        click(d, idScheduleCConfirm);  // No: nothing changes
        EXPECT_EQ(line(d, "1"), "315.00");
        click(d, idScheduleCConfirm);
        EXPECT_EQ(line(d, "1"), "1,065.00");  // 315.00 and 750.00 of services
        EXPECT_EQ(line(d, "6"), "12.34");
        EXPECT_EQ(line(d, "18"), "120.00");
        EXPECT_EQ(line(d, "20b"), "800.00");
        EXPECT_EQ(cell(d, rowOf(d, "Not assigned:"), 1), "Not assigned: 1 description");
        EXPECT_EQ(amountOf(d, "Not assigned:"), "15.00");  // Sundries: no proposal
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, idScheduleCConfirm)));  // none left
        closeBox(d);
    });
    ASSERT_EQ(prompts.messages.size(), 2u);
    const AskedMessage& q = prompts.messages[1];
    EXPECT_EQ(q.title, caption);
    EXPECT_EQ(q.style, mb::yesNo | mb::iconQuestion);
    EXPECT_EQ(q.text.rfind("Confirm the proposed lines of 4 descriptions of 2025?\r\n", 0), 0u) << q.text;
    EXPECT_NE(q.text.find("\r\nShop rent: Line 20b Rent or lease: Other business property"), std::string::npos) << q.text;
    EXPECT_EQ(ledger.beside.tax.assignments.size(), 4u);
    EXPECT_EQ(undoLabel(), "Assign tax lines");
    command(cmdUndo);
    EXPECT_TRUE(ledger.beside.tax.assignments.empty());
    EXPECT_EQ(ledgerChanged, 0);
}

// 2023 has no IRS rate: the user's is typed; the inventories too.
TEST_F(ScheduleCWindow, TypedRateAndInventories) {
    open([&](HWND d) {
        chooseYear(d, "2023");
        HWND rate = GetDlgItem(d, idScheduleCRate);
        EXPECT_FALSE(GetWindowLongA(rate, GWL_STYLE) & ES_READONLY);
        EXPECT_EQ(itemText(d, idScheduleCRate), "");
        EXPECT_EQ(itemText(d, idScheduleCRateNote), "Quirvel knows no IRS rate for 2023: type it");
        EXPECT_GE(rowOf(d, "No standard mileage rate is known for 2023"), 0);
        EXPECT_EQ(line(d, "9"), "0.00");
        EXPECT_EQ(line(d, "44a"), "100.00 miles");
        // Leaving the box applies it.
        SetFocus(rate);
        typeKeys(d, idScheduleCRate, "65.5");
        SetFocus(table(d));
        EXPECT_EQ(line(d, "9"), "65.50");
        EXPECT_EQ(itemText(d, idScheduleCRateNote), "Your rate: Quirvel knows no IRS rate for 2023");
        EXPECT_LT(rowOf(d, "No standard mileage rate is known"), 0);
        EXPECT_EQ(undoLabel(), "Mileage rate");
        // Update applies the inventories: 1,000.00 + 30.00 - 400.00.
        setItemText(d, idScheduleCStartInventory, "1,000.00");
        setItemText(d, idScheduleCEndInventory, "400");
        click(d, idScheduleCUpdate);
        EXPECT_EQ(line(d, "35"), "1,000.00");
        EXPECT_EQ(line(d, "36"), "30.00");
        EXPECT_EQ(line(d, "40"), "1,030.00");
        EXPECT_EQ(line(d, "41"), "400.00");
        EXPECT_EQ(line(d, "42"), "630.00");
        EXPECT_EQ(line(d, "4"), "630.00");
        EXPECT_EQ(line(d, "5"), "-580.00");
        EXPECT_EQ(itemText(d, idScheduleCEndInventory), "400.00");
        EXPECT_EQ(undoLabel(), "Inventory");
        // 2025 keeps its own: none given, and the IRS's rate.
        chooseYear(d, "2025");
        EXPECT_EQ(itemText(d, idScheduleCStartInventory), "");
        EXPECT_EQ(line(d, "35"), "not given");
        chooseYear(d, "2023");
        EXPECT_EQ(itemText(d, idScheduleCRate), "65.5");
        EXPECT_EQ(itemText(d, idScheduleCStartInventory), "1,000.00");
        // An empty box takes a figure away.
        setItemText(d, idScheduleCEndInventory, "");
        click(d, idScheduleCUpdate);
        EXPECT_EQ(line(d, "41"), "not given");
        EXPECT_EQ(line(d, "42"), "1,030.00");
        // And the rate.
        SetFocus(rate);
        setItemText(d, idScheduleCRate, "");
        SetFocus(table(d));
        EXPECT_EQ(line(d, "9"), "0.00");
        EXPECT_EQ(itemText(d, idScheduleCRateNote), "Quirvel knows no IRS rate for 2023: type it");
        EXPECT_EQ(undoLabel(), "Mileage rate");
        closeBox(d);
    });
    EXPECT_TRUE(ledger.beside.tax.rates.empty());
    YearInventory inv = inventoryOf(ledger.beside.tax, 2023);
    EXPECT_TRUE(inv.hasStart);
    EXPECT_EQ(inv.start, 100000);
    EXPECT_FALSE(inv.hasEnd);
    command(cmdUndo);  // the rate taken away
    ASSERT_EQ(ledger.beside.tax.rates.size(), 1u);
    EXPECT_EQ(ledger.beside.tax.rates[0].year, 2023);
    EXPECT_EQ(ledger.beside.tax.rates[0].tenthsOfCent, 655u);
    command(cmdUndo);  // the end inventory taken away
    EXPECT_TRUE(inventoryOf(ledger.beside.tax, 2023).hasEnd);
    command(cmdUndo);  // both inventories
    command(cmdUndo);  // the rate
    EXPECT_TRUE(ledger.beside.tax.empty());
    EXPECT_EQ(ledgerChanged, 0);
}

// What cannot be a rate or an inventory is said and changes nothing; a
// box takes no more than a figure's length.
TEST_F(ScheduleCWindow, RefusesWhatIsNoRateOrInventory) {
    std::vector<std::string> boxesAfter;
    open([&](HWND d) {
        chooseYear(d, "2023");
        for (const char* bad : {"abc", "-5", "0", "1000.1", "6.55.5", "12.34"}) {
            setItemText(d, idScheduleCRate, bad);
            click(d, idScheduleCUpdate);
            boxesAfter.push_back(itemText(d, idScheduleCRate));
        }
        for (const char* bad : {"-100", "12abc", "99999999999", "1,2,3"}) {
            setItemText(d, idScheduleCStartInventory, bad);
            click(d, idScheduleCUpdate);
            boxesAfter.push_back(itemText(d, idScheduleCStartInventory));
        }
        // Typing stops at the box's length.
        setItemText(d, idScheduleCEndInventory, "");
        SetFocus(GetDlgItem(d, idScheduleCEndInventory));
        typeKeys(d, idScheduleCEndInventory, std::string(300, '9'));
        EXPECT_LE(itemText(d, idScheduleCEndInventory).size(), 20u);
        setItemText(d, idScheduleCEndInventory, "");
        SetFocus(table(d));
        closeBox(d);
    });
    std::vector<std::string> texts = prompts.messageTexts();
    ASSERT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts[0],
              "\"abc\" is no rate per mile. Type the IRS standard mileage rate of 2023 in cents per mile, from 0.1 to "
              "1000 with one decimal at most (for example 65.5), or empty the box to have none.\r\nNothing has been "
              "changed.");
    EXPECT_EQ(texts[1].rfind("\"-5\" is no rate per mile.", 0), 0u);
    EXPECT_EQ(texts[2].rfind("\"0\" is no rate per mile.", 0), 0u);
    EXPECT_EQ(texts[3].rfind("\"1000.1\" is no rate per mile.", 0), 0u);
    EXPECT_EQ(texts[4].rfind("\"6.55.5\" is no rate per mile.", 0), 0u);
    EXPECT_EQ(texts[5].rfind("\"12.34\" is no rate per mile.", 0), 0u);
    EXPECT_EQ(texts[6],
              "An inventory is never below zero: type the inventory at the beginning of 2023 as 0.00 or more, or "
              "empty the box.\r\nNothing has been changed.");
    EXPECT_EQ(texts[7].rfind("\"12abc\" is no amount: type the inventory at the beginning of 2023", 0), 0u);
    EXPECT_EQ(texts[8].rfind("\"99999999999\" is too large an amount", 0), 0u);
    EXPECT_EQ(texts[9].rfind("\"1,2,3\" is no amount", 0), 0u);
    for (const AskedMessage& m : prompts.messages) EXPECT_EQ(m.title, caption);
    // The boxes were given back what is in force.
    for (const std::string& b : boxesAfter) EXPECT_EQ(b, "");
    EXPECT_TRUE(ledger.beside.tax.empty());
    EXPECT_FALSE(canUndo());
}

// Print, Export CSV and Export TXF write what the worksheet shows.
TEST_F(ScheduleCWindow, PrintsAndExports) {
    PrintCapture capture;
    prompts.chosenFiles = {folder.file("schedule-c.csv"), folder.file("schedule-c.txf")};
    open([&](HWND d) {
        chooseYear(d, "2025");
        prompts.printer = capture.metafileDC();
        click(d, idScheduleCPrint);
        click(d, idScheduleCExportCsv);
        click(d, idScheduleCExportTxf);
        closeBox(d);
    });
    ASSERT_GE(capture.pages(), 1);
    bool heading = false, gross = false, disclaimerStart = false;
    for (const DrawnText& t : capture.texts()) {
        heading = heading || t.text == "Schedule C Worksheet 2025";
        gross = gross || t.text == "Gross receipts or sales";
        disclaimerStart = disclaimerStart || t.text.rfind("This worksheet helps you fill in Schedule C", 0) == 0;
    }
    EXPECT_TRUE(heading);
    EXPECT_TRUE(gross);
    EXPECT_TRUE(disclaimerStart);

    ASSERT_EQ(prompts.fileRequests.size(), 2u);
    EXPECT_EQ(prompts.fileRequests[0].caption, "Export Schedule C");
    EXPECT_EQ(prompts.fileRequests[1].caption, "Export TXF");
    EXPECT_EQ(prompts.fileRequests[1].defaultExtension, "txf");
    ASSERT_FALSE(prompts.fileRequests[1].filters.empty());
    EXPECT_EQ(prompts.fileRequests[1].filters[0].first, "TXF Files");
    EXPECT_EQ(prompts.fileRequests[1].filters[0].second, "*.txf");

    Bytes csv = folder.read("schedule-c.csv");
    std::string text(csv.begin(), csv.end());
    EXPECT_EQ(text.rfind("\xEF\xBB\xBFLine,Schedule C 2025,Description,Amount\r\n", 0), 0u) << text.substr(0, 60);
    EXPECT_NE(text.find("\r\n1,Gross receipts or sales,,315.00\r\n"), std::string::npos);
    Bytes txf = folder.read("schedule-c.txf");
    std::string t(txf.begin(), txf.end());
    EXPECT_EQ(t.rfind("V042\r\nAQuirvel\r\nD", 0), 0u) << t.substr(0, 40);
    EXPECT_NE(t.find("TS\r\nN293\r\nC1\r\nL1\r\n$315.00\r\n^\r\n"), std::string::npos) << t;
    // The miles have no place in the format: the user is told to type them.
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Export TXF");
    EXPECT_EQ(prompts.messages[0].text, folder.file("schedule-c.txf") +
                                            " has no place for this line, which the Tax Exchange Format does not "
                                            "carry: type it into your tax software yourself.\r\n\r\nLine 44a Business: "
                                            "200.50 miles");
}

// A worksheet longer than a page goes on over pages, each headed; a
// description too long for its column wraps within it.
TEST_F(ScheduleCWindow, PrintsLongWorksheetsOnPages) {
    std::string longText;
    while (longText.size() + 10 < maxEntryBytes - 1) longText += "Longword" + std::to_string(longText.size() % 10) + " ";
    for (int i = 1; i <= 120; ++i) {
        int e = appendListEntry(descrList, typeExpense, i == 60 ? longText : "Expense number " + std::to_string(i));
        ASSERT_GT(e, 0);
        placeTransaction(makeTransaction("07-01-2025", typeExpense, static_cast<uint16_t>(e), 0, 100 * i));
    }
    commitStep("Add");
    PrintCapture capture;
    open([&](HWND d) {
        chooseYear(d, "2025");
        EXPECT_GE(rowOf(d, "    " + longText.substr(0, 40)), 0);
        prompts.printer = capture.metafileDC();
        click(d, idScheduleCPrint);
        closeBox(d);
    });
    ASSERT_GE(capture.pages(), 2);
    std::vector<DrawnText> texts = capture.texts();
    bool secondHeading = false, lastRow = false;
    std::string wrappedText;
    int pieces = 0, pieceX = -1;
    for (const DrawnText& t : texts) {
        secondHeading = secondHeading || (t.page == 2 && t.text == "Schedule C Worksheet 2025 (page 2)");
        lastRow = lastRow || t.text.rfind("Line 44a = \"Total Miles\" of the tax report: agrees", 0) == 0;
        if (t.text.find("Longword") != std::string::npos) {
            EXPECT_TRUE(pieceX < 0 || pieceX == t.x);  // every piece in the description's column
            pieceX = t.x;
            ++pieces;
            wrappedText += t.text;
        }
    }
    EXPECT_TRUE(secondHeading);
    EXPECT_TRUE(lastRow);
    EXPECT_GE(pieces, 2);
    // Nothing of it lost: the pieces make the text, blanks aside.
    auto noBlanks = [](std::string s) {
        s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
        return s;
    };
    EXPECT_EQ(noBlanks(wrappedText), noBlanks(longText));
}

// An export is never written over the open ledger.
TEST_F(ScheduleCWindow, NeverExportsOverTheLedger) {
    Bytes before = folder.read("books.qvl");
    prompts.chosenFiles = {folder.file("books.qvl"), ""};
    open([&](HWND d) {
        click(d, idScheduleCExportTxf);
        closeBox(d);
    });
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "File Error");
    EXPECT_EQ(folder.read("books.qvl"), before);
}

// A year that went to an archive file the books remember is worked out
// from that file; the working books' lines answer for its descriptions.
TEST_F(ScheduleCWindow, AYearInAnArchiveFile) {
    LedgerImage old;
    old.descriptions = {entry(1, "Bicycle repair"), entry(2, "Mileage")};
    old.transactions = {makeTransaction("05-05-2024", typeService, 1, 0, 40000),
                        makeTransaction("06-06-2024", typeExpense, 2, 0, 1000)};  // 10 miles
    folder.write("books-2024.qvl", encodeLedger(old));
    ledger.beside.archives.push_back({folder.file("books-2024.qvl"), packDate("12-31-2024"), 0});
    ledger.beside.archives.push_back({folder.file("gone.qvl"), 0, 0});
    open([&](HWND d) {
        EXPECT_EQ(SendMessageA(GetDlgItem(d, idScheduleCYear), CB_GETCOUNT, 0, 0), 3);
        chooseYear(d, "2024");
        EXPECT_EQ(itemText(d, idScheduleCRateNote), "IRS rate, Notice 2024-08");
        EXPECT_EQ(line(d, "9"), "6.70");  // 10 miles at 67 cents
        EXPECT_EQ(line(d, "44a"), "10.00 miles");
        EXPECT_EQ(amountOf(d, "Not assigned:"), "400.00");
        EXPECT_GE(rowOf(d, "Left out: " + folder.file("gone.qvl") + ": not found"), 0);
        whenLineDialogOpens("Line 1 Gross receipts or sales");
        doubleClick(d, rowOf(d, "    Bicycle repair"));
        EXPECT_EQ(line(d, "1"), "400.00");
        // The same description in 2025 is on that line too.
        chooseYear(d, "2025");
        EXPECT_EQ(line(d, "1"), "1,065.00");
        closeBox(d);
    });
    Bytes archive = folder.read("books-2024.qvl");
    EXPECT_EQ(archive, encodeLedger(old));  // read, never written
}

// The window is resizable and keeps its controls in place.
TEST_F(ScheduleCWindow, Resizes) {
    open([&](HWND d) {
        RECT before, table0, close0;
        GetWindowRect(d, &before);
        GetWindowRect(table(d), &table0);
        GetWindowRect(GetDlgItem(d, IDCANCEL), &close0);
        SetWindowPos(d, nullptr, 0, 0, before.right - before.left + 100, before.bottom - before.top + 80,
                     SWP_NOMOVE | SWP_NOZORDER);
        RECT table1, close1;
        GetWindowRect(table(d), &table1);
        GetWindowRect(GetDlgItem(d, IDCANCEL), &close1);
        EXPECT_EQ(table1.right - table1.left, table0.right - table0.left + 100);
        EXPECT_EQ(table1.bottom - table1.top, table0.bottom - table0.top + 80);
        EXPECT_EQ(close1.left - close0.left, 100);
        EXPECT_EQ(close1.top - close0.top, 80);
        // Never smaller than it opens.
        SetWindowPos(d, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
        RECT small;
        GetWindowRect(d, &small);
        EXPECT_EQ(small.right - small.left, before.right - before.left);
        // The description column takes the width left.
        RECT client;
        GetClientRect(table(d), &client);
        int widths = 0;
        for (int c = 0; c < 3; ++c) widths += static_cast<int>(SendMessageA(table(d), LVM_GETCOLUMNWIDTH, c, 0));
        EXPECT_EQ(widths, client.right);
        closeBox(d);
    });
}

}  // namespace
