// Commands of the main window that work on the selected transaction.
#include <windows.h>

#include <gtest/gtest.h>

#include "ledger/changes.h"
#include "app/main_window.h"
#include "ledger/ledger_file.h"
#include "app/list_state.h"
#include "ledger/tables.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

using Commands = MainWindowTest;

TEST_F(Commands, DeleteAsksThenOffersTheEntriesLeftUnused) {
    installLedger(sampleImage());
    start();
    selectPosition(1);  // the only Consulting / Acme Corp transaction
    prompts.answers = {mb::idYes, mb::idYes, mb::idNo};
    command(cmdDeleteRecord);
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.messages[0].text, "Delete this record now?");
    EXPECT_EQ(prompts.messages[0].title, "Update Descriptions");
    EXPECT_EQ(prompts.messages[0].style, mb::yesNo | mb::iconStop);
    EXPECT_EQ(prompts.messages[1].text, "Description [Consulting] \r\nnot used now... OK to delete it?");
    EXPECT_EQ(prompts.messages[1].title, "Update Descriptions");
    EXPECT_EQ(prompts.messages[2].text, "Name [Acme Corp] \r\nnot used now... OK to delete it?");
    EXPECT_EQ(prompts.messages[2].title, "Update names");
    EXPECT_EQ(transactionCount, 6);
    EXPECT_EQ(descrCount, 4);  // Consulting went
    EXPECT_EQ(nameCount, 4);   // Acme Corp stayed
    EXPECT_EQ(ledgerChanged, 1);
    std::vector<std::string> shown = rows(1);
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[0], "01-09-2006\tExpense \tOffice rent\tLandlord\t800.00");
    EXPECT_EQ(statusText(1), " 6 : 6");
}

// Three services among the sample's other types.
LedgerImage servicesImage() {
    LedgerImage image = sampleImage();
    image.transactions.insert(image.transactions.begin() + 1, makeTransaction("01-07-2006", typeService, 1, 1, 90000));
    image.transactions.insert(image.transactions.begin() + 3, makeTransaction("01-10-2006", typeService, 1, 1, 30000));
    return image;
}

// The amounts of the transactions left, in table order.
std::vector<int32_t> amountsLeft() {
    std::vector<int32_t> v;
    for (int t = 1; t <= transactionCount; ++t) v.push_back(transactions[t].amount);
    return v;
}

// Delete works on the row highlighted when it starts, whatever came before:
// a sort, a click on the tab already shown, another type's dialog.
TEST_F(Commands, DeleteRemovesTheRowHighlightedNow) {
    installLedger(servicesImage());
    start();
    selectPosition(2);  // the service of 900.00
    SendMessageA(pages[1], WM_COMMAND, MAKEWPARAM(2501 + 5, STN_CLICKED), reinterpret_cast<LPARAM>(currentList->heading(5)));
    ASSERT_NE(currentList->selected(), 2);  // the sort moved it
    prompts.answers = {mb::idYes};
    command(cmdDeleteRecord);
    EXPECT_EQ(amountsLeft(), (std::vector<int32_t>{50000, 80000, 30000, 12340, 1999, 1000, 500, 2500}));

    clickTab(1);  // the tab shown already: no refill
    markLedgerSaved();
    prompts.answers = {mb::idYes};
    command(cmdDeleteRecord);  // the row still highlighted: the latest, the earning
    EXPECT_EQ(amountsLeft(), (std::vector<int32_t>{50000, 80000, 30000, 12340, 1999, 1000, 500}));
    EXPECT_EQ(ledgerChanged, 1);

    clickTab(2);
    selectPosition(1);
    whenDialogOpens("Add new earnings transaction", closeBox);
    command(idEarn);
    prompts.answers = {mb::idYes};
    command(cmdDeleteRecord);
    EXPECT_EQ(amountsLeft(), (std::vector<int32_t>{80000, 30000, 12340, 1999, 1000, 500}));
    EXPECT_EQ(currentType, typeService);
    std::vector<std::string> shown = rows(2);  // still the services
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "01-10-2006\tService \tConsulting\tAcme Corp\t300.00");
}

// The names list refills nothing: the sort and the highlighted row stay,
// and the renamed text shows on the rows.
TEST_F(Commands, ListMaintenanceKeepsTheOrderAndShowsNewTexts) {
    installLedger(sampleImage());
    start();
    SendMessageA(pages[1], WM_COMMAND, MAKEWPARAM(2501 + 5, STN_CLICKED), reinterpret_cast<LPARAM>(currentList->heading(5)));
    selectPosition(3);
    std::vector<std::string> expected = rows(1);
    for (std::string& row : expected) {
        size_t at = row.find("Acme Corp");
        if (at != std::string::npos) row.replace(at, 9, "Acme Ltd");
    }
    int highlighted = transactionAtPosition(3);
    whenDialogOpens("List of Names", [](HWND d) {
        HWND list = GetDlgItem(d, 5000);
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Acme Corp"))), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(5000, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        click(d, 5003);
        setItemText(d, 5001, "Acme Ltd");
        click(d, 5003);
        closeBox(d);
    });
    command(cmdNamesList);
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_EQ(rows(1), expected);
    EXPECT_EQ(currentList->selected(), 3);
    EXPECT_EQ(transactionAtPosition(3), highlighted);
    EXPECT_EQ(statusText(1), " 3 : 7");
    const Transaction gone = transactions[highlighted];
    prompts.answers = {mb::idYes, mb::idNo, mb::idNo};
    command(cmdDeleteRecord);  // and the rows still lead to their transactions
    ASSERT_EQ(transactionCount, 6);
    for (int t = 1; t <= transactionCount; ++t) EXPECT_NE(transactions[t].amount, gone.amount);
}

// A rename in the names list shows on every transaction with that name, and
// so does its Undo; a combination undone gives the merged entry and each of
// its transactions back, byte for byte.
TEST_F(Commands, UndoOfARenameAndACombinationInTheNamesList) {
    LedgerImage image = servicesImage();  // three services of Acme Corp
    image.names.push_back(entry(3, "Bolt and Co"));
    image.transactions[6].nameIndex = 5;  // the purchase
    installLedger(image);
    start();
    const Bytes loaded = encodeLedger(currentLedgerImage());
    auto rowsNaming = [&](const std::string& name) {
        int n = 0;
        for (const std::string& row : rows(1)) n += row.find("\t" + name + "\t") != std::string::npos;
        return n;
    };
    auto change = [](HWND d, const char* from, const char* to) {
        HWND list = GetDlgItem(d, 5000);
        LRESULT at = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(from));
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(5000, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        click(d, 5003);
        setItemText(d, 5001, to);
        click(d, 5003);
    };
    whenDialogOpens("List of Names", [&](HWND d) {
        change(d, "Acme Corp", "Acme Ltd");
        click(d, 3004);  // the products' names
        change(d, "Bolt and Co", "Bolt & Co");
        closeBox(d);
    });
    prompts.answers = {mb::idYes};  // combine them
    command(cmdNamesList);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(nameCount, 4);
    EXPECT_EQ(rowsNaming("Acme Ltd"), 3);
    EXPECT_EQ(rowsNaming("Bolt & Co"), 2);

    command(cmdUndo);  // the combination: the sale named by the merged entry is selected
    EXPECT_EQ(transactions[transactionAtPosition(currentList->selected())].type, typeSold);
    const std::string selection = statusText(1);
    EXPECT_EQ(nameCount, 5);
    EXPECT_EQ(rowsNaming("Bolt and Co"), 1);
    EXPECT_EQ(rowsNaming("Acme Ltd"), 3);
    command(cmdUndo);  // the rename
    EXPECT_EQ(rowsNaming("Acme Corp"), 3);
    EXPECT_EQ(encodeLedger(currentLedgerImage()), loaded);
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_EQ(statusText(1), selection);  // no transaction was touched: the row stays
    command(cmdRedo);
    EXPECT_EQ(rowsNaming("Acme Ltd"), 3);
    EXPECT_EQ(ledgerChanged, 1);
}

TEST_F(Commands, DeleteAnsweredNoChangesNothing) {
    installLedger(sampleImage());
    start();
    prompts.answers = {mb::idNo};
    command(cmdDeleteRecord);
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(transactionCount, 7);
    EXPECT_EQ(ledgerChanged, 0);
}

TEST_F(Commands, SelectionCommandsOnAnEmptyListDoNothing) {
    start();
    for (int id : {cmdDeleteRecord, idData, cmdFormData, idEdit, cmdChangeRecord}) command(id);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(ledgerChanged, 0);
    // No dialog opened: a queued expectation would still be waiting.
    EXPECT_TRUE(allDialogsHandled());
}

// Each button or menu item opens its dialog; the menu's "Add record" items
// behave exactly like the type buttons.
TEST_F(Commands, ButtonsAndMenuItemsOpenTheirDialogs) {
    installLedger(sampleImage());
    start();
    selectPosition(1);  // the service of 01-05-2006
    const std::pair<int, const char*> opened[] = {
        {idServ, "Add new service  transaction"},   {cmdAddService, "Add new service  transaction"},
        {idExps, "Add new expense  transaction"},   {cmdAddExpense, "Add new expense  transaction"},
        {idEarn, "Add new earnings transaction"},   {cmdAddEarning, "Add new earnings transaction"},
        {idProd, "Add new product transaction"},    {cmdAddProduct, "Add new product transaction"},
        {idFilter, "Filter Transactions"},          {cmdFiltered, "Filter Transactions"},
        {cmdSalesTax, "State Sales Taxes"},         {cmdNamesList, "List of Names"},
        {cmdDescrList, "List of Descriptions"},     {cmdArchive, "Archive date"},
        {cmdAbout, "About Quirvel"},                {idRept, "Tax Report"},
        {cmdTaxReport, "Tax Report"},
    };
    for (const auto& o : opened) {
        whenDialogOpens(o.second, closeBox);
        command(o.first);
        EXPECT_TRUE(allDialogsHandled()) << o.first;
        clearDialogQueue();
        if (currentTab != 1) clickTab(1);
        selectPosition(1);
    }
}

TEST_F(Commands, DataAndEditWorkOnTheSelectedRow) {
    installLedger(sampleImage());
    start();
    selectPosition(2);  // the expense of 01-09-2006
    std::string dateShown;
    whenDialogOpens("Expense  transaction", [&](HWND view) {
        dateShown = itemText(view, 2001);
        closeBox(view);
    });
    command(idData);
    EXPECT_EQ(dateShown, "01-09");
    EXPECT_EQ(currentType, typeExpense);
    whenDialogOpens("Change expense  transaction", closeBox);
    command(cmdChangeRecord);
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_EQ(ledgerChanged, 0);
}

}  // namespace
