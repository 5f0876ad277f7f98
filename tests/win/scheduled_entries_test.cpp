// Edit > Scheduled Entries through the real dialogs: a schedule made from
// the transaction selected in the main list, New, Change and Delete, the
// editor's refusals, Undo and Redo from the main window, and a click on
// the list while its question is up.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/list_state.h"
#include "app/main_window.h"
#include "entry/schedules_dialog.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"
#include "text/date_text.h"

namespace {

std::string cell(HWND d, int row, int column) {
    char text[256] = "";
    LVITEMA it = {};
    it.iSubItem = column;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    SendDlgItemMessageA(d, idSchedulesTable, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    return text;
}

// The list's rows, their cells joined by "|".
std::vector<std::string> rowsOf(HWND d) {
    std::vector<std::string> rows;
    const int n = static_cast<int>(SendDlgItemMessageA(d, idSchedulesTable, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < n; ++r) {
        std::string row;
        for (int c = 0; c < 6; ++c) row += (c ? "|" : "") + cell(d, r, c);
        rows.push_back(row);
    }
    return rows;
}

// As the user clicking a row.
void selectRow(HWND d, int row) {
    LVITEMA it = {};
    it.stateMask = it.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendDlgItemMessageA(d, idSchedulesTable, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}

// As the user choosing an item of a drop-down list.
void choose(HWND d, int id, const std::string& text) {
    HWND combo = GetDlgItem(d, id);
    LRESULT at = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    EXPECT_NE(at, CB_ERR) << text;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

bool enabled(HWND d, int id) { return IsWindowEnabled(GetDlgItem(d, id)) != FALSE; }

class ScheduledEntries : public MainWindowTest {
protected:
    // Edit > Scheduled Entries, the steps run inside it, then Close.
    void inList(std::function<void(HWND)> steps) {
        whenDialogOpens("Scheduled Entries", [steps](HWND d) {
            steps(d);
            click(d, IDCANCEL);
        });
        command(cmdScheduledEntries);
        EXPECT_TRUE(allDialogsHandled());
    }

    // Opens the editor with a button of the list; the steps close it.
    static void edit(HWND list, int button, const std::string& caption, std::function<void(HWND)> steps) {
        whenDialogOpens(caption, std::move(steps));
        click(list, button);
        EXPECT_TRUE(allDialogsHandled());
    }

    // The position of the transaction with this amount in the main list.
    int positionOfAmount(int32_t amount) {
        for (int p = 1; p <= rowCount; ++p)
            if (transactions[static_cast<size_t>(transactionAtPosition(p))].amount == amount) return p;
        return 0;
    }
};

// The rent's transaction, selected in the main list, becomes a schedule
// from a month after it on its day; Undo and Redo from the main window take
// it away and bring it back.
TEST_F(ScheduledEntries, MadeFromTheSelectedTransaction) {
    installLedger(sampleImage());
    start();
    const int at = positionOfAmount(80000);
    ASSERT_GT(at, 0);
    selectPosition(at);
    inList([](HWND d) {
        EXPECT_TRUE(rowsOf(d).empty());
        EXPECT_TRUE(enabled(d, idScheduleFromSelected));
        EXPECT_FALSE(enabled(d, idScheduleChange));
        EXPECT_FALSE(enabled(d, idScheduleDelete));
        edit(d, idScheduleFromSelected, "New Schedule", [](HWND e) {
            EXPECT_EQ(itemText(e, idScheduleType), "Expense");
            EXPECT_EQ(itemText(e, idScheduleDescr), "Office rent");
            EXPECT_EQ(itemText(e, idScheduleName), "Landlord");
            EXPECT_EQ(itemText(e, idScheduleAmount), "800.00");
            EXPECT_EQ(itemText(e, idScheduleEvery), "1");
            EXPECT_EQ(itemText(e, idScheduleUnit), "months");
            EXPECT_TRUE(isChecked(e, idScheduleOnDay));
            EXPECT_EQ(itemText(e, idScheduleDay), "9");
            EXPECT_EQ(itemText(e, idScheduleFirst), "02-09-2006");
            EXPECT_TRUE(isChecked(e, idScheduleEndNever));
            EXPECT_FALSE(enabled(e, idScheduleHandling));  // not a product
            EXPECT_FALSE(enabled(e, idScheduleCount));
            setItemText(e, idScheduleDay, "1");
            setItemText(e, idScheduleFirst, "03-01-2006");
            click(e, IDOK);
        });
        EXPECT_EQ(rowsOf(d), (std::vector<std::string>{"03-01-2006|Expense|Office rent|Landlord|800.00|Monthly on day 1"}));
        EXPECT_TRUE(enabled(d, idScheduleChange));  // the new one is selected
    });
    ASSERT_EQ(ledger.beside.schedules.size(), 1u);
    const Schedule& s = ledger.beside.schedules[0];
    EXPECT_EQ(s.record.type, typeExpense);
    EXPECT_EQ(s.record.amount, 80000);
    EXPECT_EQ(s.record.descrIndex, 0);
    EXPECT_EQ(s.rule.first, packDate("03-01-2006"));
    EXPECT_EQ(s.rule.day, 1);
    EXPECT_EQ(transactionCount, 7);  // nothing posted
    EXPECT_TRUE(ledgerChanged);
    EXPECT_EQ(undoLabel(), "New schedule");

    command(cmdUndo);
    EXPECT_TRUE(ledger.beside.schedules.empty());
    EXPECT_EQ(transactionCount, 7);
    command(cmdRedo);
    ASSERT_EQ(ledger.beside.schedules.size(), 1u);
    EXPECT_EQ(ledger.beside.schedules[0].description, "Office rent");
    inList([](HWND d) { EXPECT_EQ(rowsOf(d).size(), 1u); });
}

// New (a product with its tax worked out), Change of its rule, Delete
// answered No and then Yes; each a step Undo takes back from the main window.
TEST_F(ScheduledEntries, NewChangeAndDelete) {
    installLedger(LedgerImage{});
    start();
    prompts.answers = {mb::idNo, mb::idYes};
    inList([this](HWND d) {
        EXPECT_FALSE(enabled(d, idScheduleFromSelected));  // nothing selected in an empty list
        edit(d, idScheduleNew, "New Schedule", [](HWND e) {
            choose(e, idScheduleType, "Sold");
            EXPECT_TRUE(enabled(e, idScheduleHandling));
            setItemText(e, idScheduleDescr, "Retainer");
            setItemText(e, idScheduleName, "Acme Corp");
            setItemText(e, idScheduleAmount, "1,000.00");
            choose(e, idScheduleTaxOption, "Tax to be added");
            setItemText(e, idScheduleRate, "8.25");
            EXPECT_EQ(itemText(e, idScheduleTax), "82.50");
            setItemText(e, idScheduleEvery, "3");
            choose(e, idScheduleUnit, "months");
            click(e, idScheduleLastDay);
            EXPECT_FALSE(enabled(e, idScheduleDay));
            EXPECT_FALSE(isChecked(e, idScheduleOnDay));
            setItemText(e, idScheduleFirst, "01-31-2026");
            click(e, idScheduleEndAfter);
            EXPECT_TRUE(enabled(e, idScheduleCount));
            setItemText(e, idScheduleCount, "4");
            click(e, IDOK);
        });
        EXPECT_EQ(rowsOf(d), (std::vector<std::string>{
                                 "01-31-2026|Sold|Retainer|Acme Corp|1000.00|Every 3 months on the last day, 4 times"}));
        selectRow(d, 0);
        edit(d, idScheduleChange, "Change Schedule", [](HWND e) {
            EXPECT_EQ(itemText(e, idScheduleTax), "82.50");
            EXPECT_EQ(itemText(e, idScheduleTaxOption), "Tax to be added");
            EXPECT_TRUE(isChecked(e, idScheduleLastDay));
            click(e, idScheduleNthWeekday);
            choose(e, idScheduleWeek, "second");
            choose(e, idScheduleWeekday, "Tuesday");
            click(e, idScheduleEndNever);
            click(e, IDOK);
        });
        // January's second Tuesday lies before the first date: April's is next.
        EXPECT_EQ(rowsOf(d), (std::vector<std::string>{
                                 "04-14-2026|Sold|Retainer|Acme Corp|1000.00|Every 3 months on the second Tuesday"}));
        EXPECT_EQ(undoLabel(), "Change schedule");
        click(d, idScheduleDelete);  // No
        EXPECT_EQ(rowsOf(d).size(), 1u);
        click(d, idScheduleDelete);  // Yes
        EXPECT_TRUE(rowsOf(d).empty());
        EXPECT_FALSE(enabled(d, idScheduleDelete));
    });
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "Delete this schedule? The entries it has posted stay in the books.");
    EXPECT_EQ(prompts.messages[0].title, "Scheduled Entries");
    EXPECT_EQ(prompts.messages[0].style, mb::yesNo | mb::iconQuestion);
    EXPECT_TRUE(ledger.beside.schedules.empty());

    command(cmdUndo);  // the deletion
    ASSERT_EQ(ledger.beside.schedules.size(), 1u);
    EXPECT_EQ(ledger.beside.schedules[0].rule.dayKind, ScheduleRule::nthWeekday);
    command(cmdUndo);  // the change
    ASSERT_EQ(ledger.beside.schedules.size(), 1u);
    const Schedule& s = ledger.beside.schedules[0];
    EXPECT_EQ(s.rule.dayKind, ScheduleRule::lastDay);
    EXPECT_EQ(s.rule.endKind, ScheduleRule::afterCount);
    EXPECT_EQ(s.rule.count, 4);
    EXPECT_EQ(s.record.salesTax, 8250);
    EXPECT_EQ(s.record.taxMode, modeTaxAdded);
    EXPECT_FLOAT_EQ(s.record.taxRate, 8.25f);
    command(cmdUndo);  // the new one
    EXPECT_TRUE(ledger.beside.schedules.empty());
    EXPECT_EQ(transactionCount, 0);
}

// Every typed value obeys the entry rules: the refusal is said and the
// editor stays open with what was typed; nothing is added.
TEST_F(ScheduledEntries, TypedValuesAreRefused) {
    installLedger(LedgerImage{});
    start();
    struct Case {
        int box;
        std::string typed;
        std::string message;
    };
    const Case cases[] = {
        {idScheduleFirst, "02-30-2026", "Illegal date"},
        {idScheduleFirst, "01-01-2108", "Illegal date"},
        {idScheduleAmount, "12x", "Illegal amount"},
        {idScheduleAmount, "30000000",
         "This amount is too large: amounts must lie between -21474836.48 and 21474836.47."},
        {idScheduleAmount, "", "No amount specified"},
        {idScheduleEvery, "0", "An entry repeats every 1 to 999 days, weeks, months or years."},
        {idScheduleEvery, "1000", "An entry repeats every 1 to 999 days, weeks, months or years."},
        {idScheduleDay, "32", "Choose the day of the month the entry falls on."},
        {idScheduleDescr, std::string(300, 'x'), tooLongMessage("description")},
        {idScheduleUntil, "12-31-2025", "The last date comes before the first."},
        {idScheduleUntil, "13-01-2026", "Illegal date"},
    };
    inList([&](HWND d) {
        for (const Case& c : cases) {
            prompts.messages.clear();
            edit(d, idScheduleNew, "New Schedule", [&](HWND e) {
                setItemText(e, idScheduleDescr, "Phone");
                setItemText(e, idScheduleAmount, "45.00");
                setItemText(e, idScheduleFirst, "01-15-2026");
                setItemText(e, idScheduleDay, "15");
                click(e, idScheduleEndOn);
                setItemText(e, idScheduleUntil, "12-31-2026");
                setItemText(e, c.box, c.typed);
                click(e, IDOK);
                EXPECT_TRUE(IsWindowVisible(e)) << c.typed;
                EXPECT_EQ(itemText(e, c.box), c.typed);
                click(e, IDCANCEL);
            });
            ASSERT_EQ(prompts.messages.size(), 1u) << c.typed;
            EXPECT_EQ(prompts.messages[0].text, c.message) << c.typed;
        }
        // Neither a description nor a name.
        prompts.messages.clear();
        edit(d, idScheduleNew, "New Schedule", [](HWND e) {
            setItemText(e, idScheduleAmount, "45.00");
            setItemText(e, idScheduleFirst, "01-15-2026");
            click(e, IDOK);
            EXPECT_TRUE(IsWindowVisible(e));
            click(e, IDCANCEL);
        });
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, "No description or name entered");
        EXPECT_TRUE(rowsOf(d).empty());
    });
    EXPECT_TRUE(ledger.beside.schedules.empty());
    EXPECT_FALSE(ledgerChanged);
    EXPECT_EQ(undoLabel(), "");
}

// While the real Delete question is up, clicks on the list's buttons and
// its close box start nothing; Yes then deletes the schedule asked about.
TEST_F(ScheduledEntries, NothingBehindItsQuestionTakesInput) {
    installLedger(sampleImage());
    start();
    selectPosition(positionOfAmount(80000));
    inList([this](HWND d) {
        edit(d, idScheduleFromSelected, "New Schedule", [](HWND e) { click(e, IDOK); });
        ASSERT_EQ(rowsOf(d).size(), 1u);
        prompts.realPrompts = 1;
        int nested = 0;
        whenDialogOpens("Scheduled Entries", [d, &nested](HWND box) {
            // A second editor would be one of these, closed at once.
            for (int i = 0; i < 4; ++i)
                whenDialogOpens("New Schedule", [&nested](HWND again) {
                    ++nested;
                    click(again, IDCANCEL);
                });
            EXPECT_FALSE(IsWindowEnabled(d));
            click(d, idScheduleNew);
            click(d, idScheduleFromSelected);
            click(d, idScheduleDelete);
            closeBox(d);
            PostMessageA(d, WM_CLOSE, 0, 0);
            pumpMessages();
            EXPECT_EQ(nested, 0);
            EXPECT_TRUE(IsWindowVisible(d));
            EXPECT_EQ(ledger.beside.schedules.size(), 1u);
            click(box, IDYES);
        });
        click(d, idScheduleDelete);
        clearDialogQueue();
        EXPECT_EQ(nested, 0);
        EXPECT_TRUE(IsWindowVisible(d));
        EXPECT_TRUE(IsWindowEnabled(d));
        EXPECT_TRUE(rowsOf(d).empty());
    });
    EXPECT_TRUE(ledger.beside.schedules.empty());
    EXPECT_EQ(undoLabel(), "Delete schedule");
}

}  // namespace
