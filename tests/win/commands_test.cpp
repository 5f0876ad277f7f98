// Commands of the main window that work on the selected transaction.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "ledger/list_state.h"
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
