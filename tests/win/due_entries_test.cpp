// The Due Entries dialog through the real window: offered when books are
// opened and by Edit > Due Entries, posted, skipped, left for later, refused
// for a full table, and never offered for a backup or an archive.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/list_state.h"
#include "app/main_window.h"
#include "app/main_ids.h"
#include "app/main_state.h"
#include "entry/due_entries_dialog.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/schedules.h"
#include "ledger/tables.h"
#include "text/date_text.h"
#include "tests/support/ledger_builders.h"
#include "ui/list_checks.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

uint16_t packed(int year, int month, int day) {
    return static_cast<uint16_t>((year - 1980) << 9 | month << 5 | day);
}

// Rent on the first of each month, from two months back: three entries due
// today, whatever today is.
Schedule rentFromTwoMonthsBack() {
    uint16_t today = todayPacked();
    int year = 1980 + (today >> 9), month = (today >> 5 & 15) - 2;
    if (month < 1) month += 12, --year;
    Schedule s;
    s.record.type = typeExpense;
    s.record.amount = 120000;
    s.description = "Office rent";
    s.name = "Landlord";
    s.rule.unit = ScheduleRule::months;
    s.rule.day = 1;
    s.rule.first = packed(year, month, 1);
    s.record.date = s.rule.first;
    return s;
}

std::string cell(HWND list, int item, int column) {
    char text[256] = "";
    LVITEMA it = {};
    it.iSubItem = column;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    return text;
}

bool checkedAt(HWND list, int item) { return listItemChecked(list, item); }

void setCheck(HWND list, int item, bool checked) { setListItemChecked(list, item, checked); }

void selectOnly(HWND list, int item) {
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    LVITEMA one = {};
    one.stateMask = one.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&one));
}

// Types a date into the item's in-place box and presses Enter.
void editDate(HWND list, int item, const std::string& text) {
    SetFocus(list);
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, static_cast<WPARAM>(item), 0));
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    pumpMessages();
}

int rowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

class DueEntries : public MainWindowTest {
protected:
    // Writes the ledger and a side file holding `schedules`, as a Save
    // leaves them, then forgets them: the window reads them at its start.
    std::string installBooks(const LedgerImage& image, const std::vector<Schedule>& schedules,
                             const std::string& name = "books.qvl", const std::vector<ArchiveNote>& archives = {}) {
        std::string path = installLedger(image, name);
        EXPECT_TRUE(loadLedger(path));
        for (const Schedule& s : schedules) EXPECT_NE(addSchedule(s), 0u);
        for (const ArchiveNote& a : archives) ledger.beside.archives.push_back(a);
        ledgerChanged = 1;
        EXPECT_TRUE(saveLedger());
        std::string settings = folder.file(name) + "\r\n.0625\r\n0\r\n0\r\n0\r\n";
        resetAllState();
        dataFolderOverride = folder.path();
        writeSettingsFile(settings);
        prompts.messages.clear();
        return path;
    }
    int rentRows() const {
        int n = 0;
        for (const std::string& row : rows(1)) n += row.find("Office rent") != std::string::npos;
        return n;
    }
};

// At start-up: the three entries oldest first, all checked; the second is
// skipped, the last moved to another day (an illegal one refused first),
// and Post adds two as one step, which Undo from the main window takes back.
TEST_F(DueEntries, StartupOffersThemAndPostsTwoAndSkipsOne) {
    installBooks(sampleImage(), {rentFromTwoMonthsBack()});
    Schedule rent = rentFromTwoMonthsBack();
    std::vector<uint16_t> dates = occurrencesBetween(rent, rent.rule.first, todayPacked());
    ASSERT_EQ(dates.size(), 3u);
    const std::string moved = formatDate(static_cast<uint16_t>(dates[2] + 1));  // the 2nd of this month
    bool shown = false;
    whenDialogOpens("Due Entries", [&](HWND d) {
        shown = true;
        HWND list = GetDlgItem(d, idDueList);
        ASSERT_EQ(rowCount(list), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(cell(list, i, 0), formatDate(dates[static_cast<size_t>(i)]));
            EXPECT_TRUE(checkedAt(list, i)) << i;
        }
        EXPECT_EQ(cell(list, 0, 1), "Expense");
        EXPECT_EQ(cell(list, 0, 2), "Office rent");
        EXPECT_EQ(cell(list, 0, 3), "Landlord");
        EXPECT_EQ(cell(list, 0, 4), "1200.00");
        selectOnly(list, 1);
        click(d, idDueSkip);
        EXPECT_FALSE(checkedAt(list, 1));
        EXPECT_EQ(cell(list, 1, 5), "Skipped");
        editDate(list, 2, "02-30-2020");
        EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{"Illegal date"});
        EXPECT_EQ(cell(list, 2, 0), formatDate(dates[2]));
        editDate(list, 2, "01-01-2108");  // past the last year a ledger holds
        EXPECT_EQ(prompts.messages.size(), 2u);
        editDate(list, 2, moved);
        EXPECT_EQ(cell(list, 2, 0), moved);
        EXPECT_EQ(cell(list, 2, 5), "Due " + formatDate(dates[2]));
        click(d, IDOK);
        EXPECT_FALSE(IsWindowVisible(d));
    });
    start();
    pumpMessages();
    EXPECT_TRUE(shown);
    EXPECT_EQ(transactionCount, 9);
    EXPECT_EQ(rentRows(), 3);  // the sample's own rent and the two posted
    EXPECT_EQ(undoLabel(), "Post 2 scheduled entries");
    EXPECT_TRUE(ledgerChanged);
    bool movedPosted = false;
    for (int i = 1; i <= transactionCount; ++i) movedPosted |= transactions[i].date == packDate(moved);
    EXPECT_TRUE(movedPosted);
    EXPECT_TRUE(dueEntries(todayPacked()).empty());  // the skipped one is never offered again

    command(cmdUndo);
    EXPECT_EQ(transactionCount, 7);
    EXPECT_EQ(rentRows(), 1);
    EXPECT_EQ(dueEntries(todayPacked()).size(), 3u);

    // On demand, after the Undo: the three again; Later changes nothing.
    whenDialogOpens("Due Entries", [&](HWND d) {
        EXPECT_EQ(rowCount(GetDlgItem(d, idDueList)), 3);
        click(d, IDCANCEL);
    });
    command(cmdDueEntries);
    EXPECT_EQ(transactionCount, 7);
    EXPECT_EQ(dueEntries(todayPacked()).size(), 3u);
    EXPECT_EQ(redoLabel(), "Post 2 scheduled entries");

    command(cmdRedo);
    EXPECT_EQ(transactionCount, 9);
    EXPECT_EQ(rentRows(), 3);
}

// Nothing due: no dialog at start-up or on opening, and on demand a message.
TEST_F(DueEntries, NothingDueShowsNoDialog) {
    installLedger(sampleImage());
    start();
    pumpMessages();
    EXPECT_TRUE(prompts.messages.empty());
    command(cmdDueEntries);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "No scheduled entries are due.");
    EXPECT_EQ(prompts.messages[0].title, "Due Entries");
    EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconInformation);
    EXPECT_EQ(undoLabel(), "");
}

// A table with room for one: Post says so and posts none; the dialog stays
// until only one is checked.
TEST_F(DueEntries, AFullTableIsRefusedAndTheDialogStays) {
    LedgerImage image = sampleImage();
    while (image.transactions.size() < maxTransactions - 1) image.transactions.push_back(image.transactions[2]);
    installBooks(image, {rentFromTwoMonthsBack()});
    whenDialogOpens("Due Entries", [&](HWND d) {
        HWND list = GetDlgItem(d, idDueList);
        click(d, IDOK);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text,
                  "Only 1 of the 3 checked entries fit: the ledger holds 4,999 of 5,000 transactions. Uncheck at "
                  "least 2 entries to post; none is posted until they fit.");
        EXPECT_EQ(prompts.messages[0].title, "Due Entries");
        EXPECT_TRUE(IsWindowVisible(d));
        EXPECT_EQ(transactionCount, maxTransactions - 1);
        EXPECT_EQ(undoLabel(), "");
        setCheck(list, 0, false);
        setCheck(list, 1, false);
        click(d, IDOK);
        EXPECT_FALSE(IsWindowVisible(d));
    });
    start();
    pumpMessages();
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_EQ(transactionCount, maxTransactions);
    EXPECT_EQ(undoLabel(), "Post 1 scheduled entry");
    EXPECT_EQ(dueEntries(todayPacked()).size(), 2u);  // the unchecked ones wait for next time
}

// With the real question up, the dialog behind it takes no click: Post,
// Skip and its close box do nothing until the question is answered.
TEST_F(DueEntries, TheDialogBehindItsQuestionTakesNoInput) {
    LedgerImage image = sampleImage();
    while (image.transactions.size() < maxTransactions - 1) image.transactions.push_back(image.transactions[2]);
    installBooks(image, {rentFromTwoMonthsBack()});
    bool asked = false;
    whenDialogOpens("Due Entries", [&](HWND d) {
        HWND list = GetDlgItem(d, idDueList);
        whenDialogOpens("Due Entries", [&, d, list](HWND box) {
            asked = true;
            EXPECT_NE(box, d);
            selectOnly(list, 2);
            click(d, IDOK);
            click(d, idDueSkip);
            click(d, IDCANCEL);
            closeBox(d);
            pumpMessages();
            EXPECT_EQ(prompts.messages.size(), 1u);
            EXPECT_TRUE(IsWindowVisible(d));
            EXPECT_TRUE(checkedAt(list, 2));
            EXPECT_EQ(cell(list, 2, 5), "");
            click(box, IDOK);
        });
        prompts.realPrompts = 1;
        click(d, IDOK);
        EXPECT_TRUE(IsWindowVisible(d));
        EXPECT_EQ(transactionCount, maxTransactions - 1);
        click(d, IDCANCEL);
    });
    start();
    pumpMessages();
    EXPECT_TRUE(asked);
    EXPECT_EQ(transactionCount, maxTransactions - 1);
    EXPECT_EQ(dueEntries(todayPacked()).size(), 3u);
    EXPECT_EQ(undoLabel(), "");
}

// A backup copy with its side file: nothing offered at start-up, and on
// demand the reason.
TEST_F(DueEntries, NoneForABackupCopy) {
    installBooks(sampleImage(), {rentFromTwoMonthsBack()}, "books.qvl.bak");
    start();
    pumpMessages();
    EXPECT_TRUE(prompts.messages.empty());
    command(cmdDueEntries);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "books.qvl.bak is a backup copy of the books: scheduled entries are posted only into the books "
              "themselves.");
    EXPECT_EQ(transactionCount, 7);
}

// An archive the books wrote, opened by File > Open with a side file
// copied beside it: no dialog, then or on demand; the working books,
// opened again, offer theirs.
TEST_F(DueEntries, NoneForARememberedArchive) {
    installBooks(sampleImage(), {rentFromTwoMonthsBack()}, "old.qvl");
    std::string old = folder.file("old.qvl");
    installBooks(sampleImage(), {}, "books.qvl", {{old, packed(2005, 12, 31), packed(2006, 1, 2)}});
    start();
    pumpMessages();
    prompts.chosenFiles = {old};
    command(cmdOpen);
    pumpMessages();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(ledgerPath, old);
    command(cmdDueEntries);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "old.qvl is an archive of the books: scheduled entries are posted only into the working books.");
    EXPECT_EQ(transactionCount, 7);
    EXPECT_EQ(undoLabel(), "");
}

}  // namespace
