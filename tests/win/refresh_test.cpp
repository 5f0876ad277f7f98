// The one refresh that ends every command, and what the main window keeps
// across commands: the filter's texts when other books are opened, and the
// changed mark through the lists' own steps.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "reports/tax_report.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

using Refresh = MainWindowTest;

std::vector<std::string> shownNames(const std::vector<std::string>& rows) {
    std::vector<std::string> out;
    for (const std::string& r : rows) {
        size_t a = r.find('\t', r.find('\t', r.find('\t') + 1) + 1);  // after Date, Type, Descr
        out.push_back(r.substr(a + 1, r.find('\t', a + 1) - a - 1));
    }
    return out;
}

// The Filter command puts the dialog's values in force and shows All
// Transactions with one fill, from any tab, also after an illegal date was
// corrected in the same dialog.
TEST_F(Refresh, FilterFillsTheListOnce) {
    installLedger(sampleImage());
    start();
    for (int tab : {1, 2, 5}) {
        SCOPED_TRACE(tab);
        resetFilterState();
        clickTab(tab);
        const unsigned before = listState.fills;
        whenDialogOpens("Filter Transactions", [](HWND d) {
            setItemText(d, 3021, "02-14-2006");
            setItemText(d, 3022, "13-01-2006");
            click(d, IDOK);  // "Illegal date": the dialog stays
            setItemText(d, 3022, "02-14-2006");
            click(d, IDOK);
        });
        prompts.messages.clear();
        command(cmdFiltered);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(listState.fills - before, 1u);
        EXPECT_EQ(currentTab, 1);
        EXPECT_EQ(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(IsWindowVisible(pages[1]));
        ASSERT_EQ(rows(1).size(), 1u);
        EXPECT_EQ(rows(1)[0].substr(0, 10), "02-14-2006");
        EXPECT_EQ(statusText(1), " 1 : 1");
    }
}

// Undo of a change hidden by the tab shows it on All Transactions with one
// fill; an import's first row likewise.
TEST_F(Refresh, UndoShowsWhatItTouchedWithOneFill) {
    installLedger(sampleImage());
    start();
    selectPosition(2);  // the rent
    prompts.answers = {mb::idYes, mb::idNo, mb::idNo};
    command(cmdDeleteRecord);
    ASSERT_EQ(transactionCount, 6);
    clickTab(2);  // Services: the rent would not show
    const unsigned before = listState.fills;
    command(cmdUndo);
    EXPECT_EQ(listState.fills - before, 1u);
    EXPECT_EQ(currentTab, 1);
    EXPECT_EQ(transactionAtPosition(currentList->selected()), 2);
    EXPECT_EQ(statusText(1), " 2 : 7");
}

// Filtered by a name, then other books opened: the filter asks for the same
// name there (another entry number), or for none, and the status bar says so.
TEST_F(Refresh, TheFilterFollowsItsTextsIntoTheLedgerOpened) {
    installLedger(sampleImage());
    LedgerImage other;
    other.descriptions = {entry(1, "Repairs")};
    other.names = {entry(1, "Zed Corp"), entry(3, "Acme Corp")};  // Acme is entry 2 here
    other.transactions = {makeTransaction("05-01-2007", typeService, 1, 1, 10000),
                          makeTransaction("05-02-2007", typeService, 1, 2, 2500)};
    folder.write("other.qvl", encodeLedger(other));
    LedgerImage none;
    none.names = {entry(1, "Zed Corp")};
    none.transactions = {makeTransaction("06-01-2007", typeService, 0, 1, 700)};
    folder.write("none.qvl", encodeLedger(none));
    start();
    whenDialogOpens("Filter Transactions", [](HWND d) {
        setItemText(d, 2004, "Acme Corp");
        click(d, IDOK);
    });
    command(cmdFiltered);
    ASSERT_EQ(filterNameIndex, 1);
    ASSERT_EQ(shownNames(rows(1)), std::vector<std::string>{"Acme Corp"});

    prompts.chosenFiles = {folder.file("other.qvl")};
    command(cmdOpen);
    EXPECT_EQ(filterNameIndex, 2);
    EXPECT_EQ(shownNames(rows(1)), std::vector<std::string>{"Acme Corp"});
    computeTaxReport(shownTransactions());
    EXPECT_EQ(taxReportValues[13], "25.00");  // the report covers Acme's service only
    endTaxReport();
    EXPECT_EQ(statusText(1), " 1 : 1");

    prompts.chosenFiles = {folder.file("none.qvl")};
    command(cmdOpen);
    EXPECT_EQ(filterNameIndex, 0);
    EXPECT_EQ(shownNames(rows(1)), std::vector<std::string>{"Zed Corp"});
    EXPECT_EQ(statusText(1), " 1 : 1    Filter name \"Acme Corp\" not in this ledger: dropped");
    command(cmdNextTab);  // any later command's refresh says the count alone
    EXPECT_EQ(statusText(1).find("dropped"), std::string::npos);
}

// Entries added in the names list are a step of the history: undoing it
// gives the books as they were opened, which Quit then finds unchanged.
TEST_F(Refresh, UndoOfAnAddedNameLeavesTheBooksUnchanged) {
    installLedger(sampleImage());
    start();
    auto addName = [this](const char* text) {
        static std::string typed;
        typed = text;
        whenDialogOpens("List of Names", [](HWND d) {
            setItemText(d, 5001, typed.c_str());
            click(d, 5002);
            closeBox(d);
        });
        command(cmdNamesList);
    };
    addName("New client");
    ASSERT_EQ(nameCount, 5);
    EXPECT_EQ(ledgerChanged, 1);
    command(cmdUndo);
    EXPECT_EQ(nameCount, 4);
    EXPECT_EQ(ledgerChanged, 0);

    // "Delete All" of the unused view, undone, likewise.
    addName("Spare");
    whenDialogOpens("List of Names", [](HWND d) {
        click(d, 3006);  // Unused
        click(d, 3024);  // Delete All
        closeBox(d);
    });
    command(cmdNamesList);
    EXPECT_EQ(nameCount, 4);
    command(cmdUndo);  // Spare back
    EXPECT_EQ(nameCount, 5);
    EXPECT_EQ(ledgerChanged, 1);
    command(cmdUndo);  // and gone again, as opened
    EXPECT_EQ(nameCount, 4);
    EXPECT_EQ(ledgerChanged, 0);

    prompts.messages.clear();
    prompts.answers = {mb::idCancel};
    command(idQuit);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Quit program now?");

    // A text that is there already changes no table, yet marks the books
    // changed as before.
    addName("Acme Corp");
    EXPECT_EQ(nameCount, 4);
    EXPECT_EQ(ledgerChanged, 1);
}

}  // namespace
