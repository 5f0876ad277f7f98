#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/transaction_list.h"
#include "import/import_dialog.h"
#include "ledger/side_file.h"
#include "text/date_text.h"
#include "ledger/changes.h"
#include "app/list_state.h"
#include "ledger/tables.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"

namespace {

using Import = MainWindowTest;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The samples shipped with the sources, as Wine sees the Unix folder.
std::string sampleStatement(const std::string& name) {
    std::string path = std::string("Z:") + QUIRVEL_SOURCE_DIR + "/samples/statements/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::vector<std::string> sampleStatements() {
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(sampleStatement("*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(data.cFileName);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    std::sort(found.begin(), found.end());
    return found;
}

// --- The preview's list, read and changed through the control ---

HWND listOf(HWND dialog) { return GetDlgItem(dialog, idImportList); }
int itemCount(HWND dialog) { return static_cast<int>(SendMessageA(listOf(dialog), LVM_GETITEMCOUNT, 0, 0)); }

std::string cell(HWND dialog, int item, int column) {
    char text[512] = "";
    LVITEMA it = {};
    it.iSubItem = column;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    SendMessageA(listOf(dialog), LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    return text;
}

bool checkedItem(HWND dialog, int item) {
    auto state = SendMessageA(listOf(dialog), LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK);
    return (static_cast<UINT>(state) >> 12) == 2;
}

int checkedCount(HWND dialog) {
    int n = 0;
    for (int i = 0; i < itemCount(dialog); ++i) n += checkedItem(dialog, i);
    return n;
}

void setChecked(HWND dialog, int item, bool checked) {
    LVITEMA it = {};
    it.stateMask = LVIS_STATEIMAGEMASK;
    it.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(listOf(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
}

void selectItem(HWND dialog, int item) {
    LVITEMA it = {};
    it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    it.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(listOf(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
}

// Picks the combo box item whose text starts with `text`, as a click does.
void pickItem(HWND dialog, int id, const std::string& text) {
    HWND box = GetDlgItem(dialog, id);
    auto at = SendMessageA(box, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_GE(at, 0) << text;
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

// Replaces what a combo box's edit field holds, typed as the keyboard does.
void retype(HWND dialog, int id, const std::string& text) {
    pressCtrlA(dialog, id);
    typeKeys(dialog, id, text);
}

std::string footer(HWND dialog) { return itemText(dialog, idImportFooter); }

// Opens File > Import with `path` chosen in the file dialog, and runs
// `steps` in the preview.
void importThrough(ScriptedPrompts& prompts, const std::string& path, std::function<void(HWND)> steps) {
    prompts.chosenFiles = {path};
    whenDialogOpens("Import Statement", std::move(steps));
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(cmdImport, 0), 0);
}

const char* const csvStatement =
    "Date,Description,Amount,Balance\r\n"
    "03/02/2026,Paper Trail Office Supply,-42.17,957.83\r\n"
    "03/05/2026,Northwind Design payment,1200.00,2157.83\r\n"
    "03/05/2026,Corner Coffee,-3.50,2154.33\r\n"
    "03/05/2026,Corner Coffee,-3.50,2150.83\r\n"
    "03/20/2026,Monthly service fee,-9.00,2141.83\r\n";

TEST_F(Import, TheMenuItemTheFileDialogAndThePreviewsControls) {
    installLedger(sampleImage());
    start();
    HMENU file = GetSubMenu(GetMenu(main), 0);
    int count = GetMenuItemCount(file), exportAt = -1, importAt = -1;
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(file, i) == cmdExport) exportAt = i;
        if (GetMenuItemID(file, i) == cmdImport) importAt = i;
    }
    EXPECT_EQ(importAt, exportAt + 1);
    char text[64] = "";
    GetMenuStringA(file, cmdImport, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Import...\tCtrl+I");

    folder.write("march.csv", bytesOf(csvStatement));
    bool shown = false;
    prompts.chosenFiles = {folder.file("march.csv")};
    whenDialogOpens("Import Statement", [&](HWND dialog) {
        shown = true;
        EXPECT_EQ(itemText(dialog, IDOK), "&Import");
        EXPECT_EQ(itemText(dialog, IDCANCEL), "Cancel");
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_STYLE) & WS_THICKFRAME);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
        EXPECT_FALSE(IsWindowEnabled(main));
        for (int id : {idImportSource, idImportNote, idImportDateColumn, idImportAmountColumn, idImportPayeeColumn,
                       idImportOrder, idImportFlip, idImportList, idImportType, idImportDescr, idImportName,
                       idImportBalance, idImportFooter})
            EXPECT_NE(GetDlgItem(dialog, id), nullptr) << id;
        EXPECT_EQ(itemText(dialog, idImportSource).rfind("march.csv: CSV, comma separated", 0), 0u);
        ASSERT_EQ(itemCount(dialog), 5);
        EXPECT_EQ(cell(dialog, 0, 0), "03-02-2026");
        EXPECT_EQ(cell(dialog, 0, 1), "-42.17");
        EXPECT_EQ(cell(dialog, 0, 2), "Paper Trail Office Supply");
        EXPECT_EQ(cell(dialog, 0, 3), "Expense");
        EXPECT_EQ(cell(dialog, 1, 3), "Service");
        EXPECT_NE(cell(dialog, 0, 6).find("money out"), std::string::npos);
        EXPECT_NE(cell(dialog, 1, 6).find("money in"), std::string::npos);
        EXPECT_EQ(checkedCount(dialog), 5);  // the two coffees are two purchases
        EXPECT_EQ(footer(dialog).rfind("5 rows will be added, 0 are marked as already in the books, 0 could not be read", 0), 0u);
        EXPECT_EQ(itemText(dialog, idImportBalance), "The balances agree with the rows.");
        EXPECT_FALSE(GetWindowLongA(listOf(dialog), GWL_STYLE) & WS_HSCROLL);  // every column in view
        // The first row is selected, its proposal in the boxes below.
        EXPECT_EQ(itemText(dialog, idImportName), "Paper Trail Office Supply");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, idImportName)));

        // A resize keeps the buttons inside the window.
        RECT before;
        GetWindowRect(dialog, &before);
        SetWindowPos(dialog, nullptr, 0, 0, before.right - before.left + 200, before.bottom - before.top + 100,
                     SWP_NOMOVE | SWP_NOZORDER);
        RECT client, ok;
        GetClientRect(dialog, &client);
        GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&ok), 2);
        EXPECT_LE(ok.bottom, client.bottom);
        EXPECT_GT(ok.left, client.right - 200);
        click(dialog, IDCANCEL);
    });
    command(cmdImport);
    EXPECT_TRUE(shown);
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    const FileDialogRequest& request = prompts.fileRequests[0];
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.caption, "Import");
    const std::vector<std::pair<std::string, std::string>> filters = {
        {"Bank statements (*.csv;*.ofx;*.qfx;*.qif)", "*.csv;*.ofx;*.qfx;*.qif"}, {"All files", "*.*"}};
    EXPECT_EQ(request.filters, filters);
    EXPECT_EQ(transactionCount, 7);  // cancelled
    EXPECT_FALSE(ledgerChanged);
    EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(Import, AChangedProposalIsWhatIsStoredAndUndoTakesTheWholeImportBack) {
    installLedger(sampleImage());
    start();
    folder.write("march.csv", bytesOf(csvStatement));
    importThrough(prompts, folder.file("march.csv"), [&](HWND dialog) {
        ASSERT_EQ(itemCount(dialog), 5);
        // The fee is not wanted; the supplies become a Bought product named by the user.
        setChecked(dialog, 4, false);
        EXPECT_EQ(footer(dialog).rfind("4 rows will be added", 0), 0u);
        selectItem(dialog, 0);
        EXPECT_EQ(itemText(dialog, idImportName), "Paper Trail Office Supply");
        // Every type a statement line can be: personal use moves no money.
        HWND type = GetDlgItem(dialog, idImportType);
        EXPECT_EQ(SendMessageA(type, CB_GETCOUNT, 0, 0), 5);
        EXPECT_EQ(SendMessageA(type, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Personal")),
                  CB_ERR);
        pickItem(dialog, idImportType, "Bought");
        retype(dialog, idImportName, "Paper Trail");
        retype(dialog, idImportDescr, "Printer paper");
        EXPECT_EQ(cell(dialog, 0, 3), "Bought");
        EXPECT_EQ(cell(dialog, 0, 5), "Paper Trail");
        EXPECT_EQ(cell(dialog, 0, 4), "Printer paper");
        click(dialog, IDOK);
    });
    EXPECT_TRUE(allDialogsHandled());
    ASSERT_EQ(transactionCount, 11);
    EXPECT_TRUE(ledgerChanged);
    EXPECT_EQ(undoLabel(), "Import 4 rows from march.csv");
    char undo[128] = "";
    GetMenuStringA(GetMenu(main), cmdUndo, undo, sizeof undo, MF_BYCOMMAND);
    EXPECT_STREQ(undo, "&Undo Import 4 rows from march.csv\tCtrl+Z");
    int found = 0;
    for (int t = 1; t <= transactionCount; ++t) {
        const Transaction& r = transactions[static_cast<size_t>(t)];
        if (nameText(r.nameIndex) == "Paper Trail") {
            ++found;
            EXPECT_EQ(r.type, typeBought);
            EXPECT_EQ(r.amount, 4217);
            EXPECT_EQ(r.taxMode, modeTaxIncluded);  // a product always has its tax option
            EXPECT_EQ(formatDate(r.date), "03-02-2026");
            EXPECT_EQ(descriptionText(r.descrIndex), "Printer paper");
            EXPECT_EQ(static_cast<uint8_t>(names[r.nameIndex][0]), 3);  // the products' group
        }
        EXPECT_NE(nameText(r.nameIndex), "Monthly service fee");
    }
    EXPECT_EQ(found, 1);
    // The first row added is the one selected, and the status bar says how many came in.
    EXPECT_EQ(formatDate(transactions[static_cast<size_t>(transactionAtPosition(currentList->selected()))].date),
              "03-02-2026");
    EXPECT_NE(statusText(1).find("4 rows added from march.csv"), std::string::npos);

    command(cmdUndo);
    EXPECT_EQ(transactionCount, 7);
    EXPECT_EQ(nameCount, 4);
    EXPECT_TRUE(ledger.beside.lines.empty());
    EXPECT_FALSE(ledgerChanged);
    command(cmdRedo);
    EXPECT_EQ(transactionCount, 11);
    ASSERT_EQ(ledger.beside.lines.size(), 5u);  // the fee remembered as left out
    EXPECT_EQ(ledger.beside.lines[4].status, BankLine::leftOut);
}

TEST_F(Import, TheSameStatementAgainAddsNothingAndSaysWhy) {
    installLedger(sampleImage());
    start();
    folder.write("march.csv", bytesOf(csvStatement));
    importThrough(prompts, folder.file("march.csv"), [](HWND dialog) { click(dialog, IDOK); });
    ASSERT_EQ(transactionCount, 12);
    command(cmdSave);  // the lines as the bank wrote them go beside the ledger
    const std::string importedToday = "imported on " + formatDate(todayPacked());
    EXPECT_FALSE(ledgerChanged);

    // An overlapping statement: two rows known, one new.
    folder.write("later.csv", bytesOf("Date,Description,Amount\r\n"
                                      "03/05/2026,Corner Coffee,-3.50\r\n"
                                      "03/20/2026,Monthly service fee,-9.00\r\n"
                                      "04/01/2026,Northwind Design payment,800.00\r\n"));
    for (const char* file : {"march.csv", "later.csv"}) {
        SCOPED_TRACE(file);
        importThrough(prompts, folder.file(file), [&](HWND dialog) {
            bool again = std::string(file) == "march.csv";
            ASSERT_EQ(itemCount(dialog), again ? 5 : 3);
            EXPECT_EQ(checkedCount(dialog), again ? 0 : 1);
            // The same layout is known line by line; another layout of the
            // same account is counted against the books.
            EXPECT_NE(cell(dialog, again ? 3 : 0, 6).find(again ? importedToday : "1 of 2 already in the books"),
                      std::string::npos)
                << cell(dialog, again ? 3 : 0, 6);
            // A payee met before is proposed as it was named then.
            if (!again) {
                EXPECT_NE(cell(dialog, 2, 6).find("as on 03-05-2026"), std::string::npos) << cell(dialog, 2, 6);
            }
            if (again) {
                EXPECT_EQ(footer(dialog).rfind("0 rows will be added, 5 are marked as already in the books", 0), 0u);
                // A marked row can be checked on purpose, then left out again.
                setChecked(dialog, 0, true);
                EXPECT_TRUE(checkedItem(dialog, 0));
                setChecked(dialog, 0, false);
                prompts.messages.clear();
                click(dialog, IDOK);  // nothing checked: said, and the preview stays
                ASSERT_EQ(prompts.messages.size(), 1u);
                EXPECT_EQ(prompts.messages[0].text, "No row is checked: there is nothing to import.");
                EXPECT_EQ(prompts.messages[0].title, "Import");
                click(dialog, IDCANCEL);
            } else {
                click(dialog, IDOK);
            }
        });
        EXPECT_TRUE(allDialogsHandled());
    }
    EXPECT_EQ(transactionCount, 13);

    // After a reload the side file still knows them.
    resetAllState();
    start();
    ASSERT_EQ(transactionCount, 12);
    EXPECT_EQ(ledger.beside.lines.size(), 5u);
    importThrough(prompts, folder.file("march.csv"), [](HWND dialog) {
        EXPECT_EQ(checkedCount(dialog), 0);
        click(dialog, IDCANCEL);
    });
}

// Edit > Names list: the Expenses entry `from` renamed to `to`, Change
// pressed once to load it and once to store it.
void renameExpenseName(const std::string& from, const std::string& to) {
    whenDialogOpens("List of Names", [=](HWND d) {
        click(d, 3005);  // Expenses
        HWND list = GetDlgItem(d, 5000);
        auto at = SendMessageA(list, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(from.c_str()));
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(5000, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        click(d, 5003);
        setItemText(d, 5001, to);
        click(d, 5003);
        PostMessageA(d, WM_CLOSE, 0, 0);
    });
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(cmdNamesList, 0), 0);
}

int transactionsNamed(const std::string& name) {
    int n = 0;
    for (int t = 1; t <= transactionCount; ++t) n += nameText(transactions[static_cast<size_t>(t)].nameIndex) == name;
    return n;
}

// A remembered line follows its transaction, not its name: renamed since
// the import, the row is still known, also once saved and opened again.
TEST_F(Import, ARowRenamedSinceItsImportIsStillKnown) {
    installLedger(sampleImage());
    start();
    folder.write("march.csv", bytesOf(csvStatement));
    importThrough(prompts, folder.file("march.csv"), [](HWND dialog) { click(dialog, IDOK); });
    command(cmdSave);
    renameExpenseName("Monthly service fee", "Bank charges");
    const std::string importedToday = "imported on " + formatDate(todayPacked());
    for (bool reloaded : {false, true}) {
        SCOPED_TRACE(reloaded ? "saved and opened again" : "renamed, not saved");
        if (reloaded) {
            command(cmdSave);
            DestroyWindow(main);
            resetAllState();
            start();
        }
        ASSERT_EQ(transactionsNamed("Bank charges"), 1);
        importThrough(prompts, folder.file("march.csv"), [&](HWND dialog) {
            EXPECT_FALSE(checkedItem(dialog, 4));
            EXPECT_EQ(cell(dialog, 4, 6).rfind(importedToday, 0), 0u) << cell(dialog, 4, 6);
            EXPECT_EQ(footer(dialog).rfind("0 rows will be added, 5 are marked as already in the books", 0), 0u)
                << footer(dialog);
            click(dialog, IDCANCEL);
        });
        EXPECT_TRUE(allDialogsHandled());
        EXPECT_EQ(transactionCount, 12);
    }
}

// A row left out stays out at the next statement that holds it, until it is
// checked on purpose; undoing that import makes it left out again.
TEST_F(Import, ARowLeftOutComesBackUncheckedUntilCheckedOnPurpose) {
    installLedger(sampleImage());
    start();
    folder.write("march.csv", bytesOf(csvStatement));
    importThrough(prompts, folder.file("march.csv"), [](HWND dialog) {
        setChecked(dialog, 4, false);  // the fee
        click(dialog, IDOK);
    });
    ASSERT_EQ(transactionCount, 11);
    folder.write("april.csv", bytesOf("Date,Description,Amount,Balance\r\n"
                                      "03/20/2026,Monthly service fee,-9.00,2141.83\r\n"
                                      "04/01/2026,Interest paid,1.25,2143.08\r\n"));
    const std::string today = formatDate(todayPacked());
    auto expectFeeLeftOut = [&](HWND dialog) {
        ASSERT_EQ(itemCount(dialog), 2);
        EXPECT_FALSE(checkedItem(dialog, 0));
        EXPECT_EQ(cell(dialog, 0, 6).rfind("left out on " + today, 0), 0u) << cell(dialog, 0, 6);
        EXPECT_TRUE(checkedItem(dialog, 1));
        EXPECT_EQ(footer(dialog).rfind("1 row will be added, 0 are marked as already in the books, "
                                       "1 was left out before, 0 could not be read.", 0),
                  0u) << footer(dialog);
    };
    importThrough(prompts, folder.file("april.csv"), [&](HWND dialog) {
        expectFeeLeftOut(dialog);
        setChecked(dialog, 0, true);
        click(dialog, IDOK);
    });
    EXPECT_EQ(transactionCount, 13);
    EXPECT_EQ(transactionsNamed("Monthly service fee"), 1);
    importThrough(prompts, folder.file("april.csv"), [&](HWND dialog) {
        EXPECT_EQ(cell(dialog, 0, 6).rfind("imported on " + today, 0), 0u) << cell(dialog, 0, 6);
        click(dialog, IDCANCEL);
    });
    command(cmdUndo);
    EXPECT_EQ(transactionCount, 11);
    importThrough(prompts, folder.file("april.csv"), [&](HWND dialog) {
        expectFeeLeftOut(dialog);
        click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(allDialogsHandled());
}

// Every file in a folder with its bytes.
std::map<std::string, Bytes> contentsOf(const TempFolder& folder) {
    std::map<std::string, Bytes> files;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(folder.file("*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files[data.cFileName] = folder.read(data.cFileName);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return files;
}

// What imports remember lives in the program's own files: any side file, the
// open ledger's also by its short name, and the statement layouts in the data
// folder. Save As, Archive and Export refuse them and write nothing.
TEST_F(Import, SaveAsArchiveAndExportRefuseTheFilesImportsKeep) {
    installLedger(sampleImage());
    start();
    folder.write("march.csv", bytesOf(csvStatement));
    importThrough(prompts, folder.file("march.csv"), [](HWND dialog) { click(dialog, IDOK); });
    command(cmdSave);
    const std::string books = ledgerPath;
    char shortSide[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA(sideFilePathFor(books).c_str(), shortSide, MAX_PATH), 0u);
    ASSERT_FALSE(isSideFileName(shortSide)) << shortSide;  // known by the file, not by its ending
    ASSERT_TRUE(fileExists(dataFolder + "quirvel-import.ini"));
    const std::map<std::string, Bytes> before = contentsOf(folder);
    for (int id : {cmdArchive, cmdExport, cmdSaveAs}) {
        for (const std::string& name :
             {folder.file("Other.QVL-IMPORT"), std::string(shortSide), dataFolder + "quirvel-import.ini"}) {
            SCOPED_TRACE(std::to_string(id) + " " + name);
            prompts.messages.clear();
            prompts.chosenFiles = {name};
            if (id == cmdArchive)
                whenDialogOpens("Archive date", [](HWND box) {
                    setItemText(box, 9900, "2006");
                    click(box, IDOK);
                });
            command(id);
            EXPECT_EQ(prompts.messageTexts(),
                      std::vector<std::string>{name + " is one of Quirvel's own files.\r\nChoose another name; "
                                                      "nothing has been written."});
            for (const AskedMessage& m : prompts.messages) EXPECT_EQ(m.title, "File Error");
            EXPECT_EQ(ledgerPath, books);
            EXPECT_EQ(transactionCount, 12);
        }
    }
    const std::map<std::string, Bytes> after = contentsOf(folder);
    EXPECT_EQ(after.size(), before.size());
    for (const auto& f : after)
        EXPECT_TRUE(before.count(f.first) && before.at(f.first) == f.second) << f.first << " was written";
}

// A line with neither payee nor memo breaks the entry rule and stays
// unchecked, until a name typed in the box below the list mends it.
TEST_F(Import, ARowWithoutDescriptionOrNameCanBeCheckedOnceNamed) {
    installLedger(sampleImage());
    start();
    folder.write("bare.csv", bytesOf("Date,Description,Amount\r\n03/26/2026,,-7.00\r\n03/27/2026,Kite Hosting,-9.00\r\n"));
    importThrough(prompts, folder.file("bare.csv"), [&](HWND dialog) {
        EXPECT_FALSE(checkedItem(dialog, 0));
        EXPECT_EQ(cell(dialog, 0, 6).rfind("No description or name entered", 0), 0u) << cell(dialog, 0, 6);
        setChecked(dialog, 0, true);
        EXPECT_FALSE(checkedItem(dialog, 0));  // refused while the rule is broken
        selectItem(dialog, 0);
        retype(dialog, idImportName, "Corner Coffee");
        EXPECT_EQ(cell(dialog, 0, 6).find("No description"), std::string::npos) << cell(dialog, 0, 6);
        setChecked(dialog, 0, true);
        EXPECT_TRUE(checkedItem(dialog, 0));
        click(dialog, IDOK);
    });
    EXPECT_TRUE(allDialogsHandled());
    ASSERT_EQ(transactionCount, 9);
    bool found = false;
    for (int t = 1; t <= transactionCount; ++t)
        found |= nameText(transactions[static_cast<size_t>(t)].nameIndex) == "Corner Coffee" &&
                 transactions[static_cast<size_t>(t)].amount == 700;
    EXPECT_TRUE(found);
}

TEST_F(Import, ANearlyFullLedgerTakesNoneUntilEnoughAreUnchecked) {
    LedgerImage image = sampleImage();
    while (image.transactions.size() < static_cast<size_t>(maxTransactions) - 3)
        image.transactions.push_back(makeTransaction("01-02-2007", typeService, 1, 1, 100));
    installLedger(image);
    start();
    folder.write("march.csv", bytesOf(csvStatement));
    importThrough(prompts, folder.file("march.csv"), [&](HWND dialog) {
        EXPECT_NE(footer(dialog).find("Only 3 of the 5 checked rows fit"), std::string::npos) << footer(dialog);
        prompts.messages.clear();
        click(dialog, IDOK);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_NE(prompts.messages[0].text.find("Only 3 of the 5 checked rows fit"), std::string::npos);
        EXPECT_EQ(transactionCount, maxTransactions - 3);
        setChecked(dialog, 3, false);
        setChecked(dialog, 4, false);
        EXPECT_EQ(footer(dialog).find("fit"), std::string::npos) << footer(dialog);
        click(dialog, IDOK);
    });
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_EQ(transactionCount, maxTransactions);
}

TEST_F(Import, AmbiguousDatesAreAskedOnceForTheWholeFile) {
    installLedger(sampleImage());
    start();
    folder.write("giro.csv", bytesOf("Datum;Omschrijving;Bedrag\r\n"
                                     "03.04.2026;Drukkerij Vos;-12,50\r\n"
                                     "05.04.2026;Klant Jansen;1.250,00\r\n"));
    importThrough(prompts, folder.file("giro.csv"), [&](HWND dialog) {
        ASSERT_EQ(itemCount(dialog), 2);
        EXPECT_EQ(cell(dialog, 0, 0), "?");
        EXPECT_EQ(checkedCount(dialog), 0);
        EXPECT_NE(itemText(dialog, idImportNote).find("Dates are"), std::string::npos);
        HWND order = GetDlgItem(dialog, idImportOrder);
        EXPECT_EQ(SendMessageA(order, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessageA(order, CB_GETCURSEL, 0, 0), CB_ERR);
        prompts.messages.clear();
        click(dialog, IDOK);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, "Choose how the dates are written (\"Dates are\") first.");
        pickItem(dialog, idImportOrder, "day-month-year");
        EXPECT_EQ(cell(dialog, 0, 0), "04-03-2026");
        EXPECT_EQ(cell(dialog, 1, 1), "1250.00");
        EXPECT_EQ(checkedCount(dialog), 2);
        click(dialog, IDOK);
    });
    EXPECT_TRUE(allDialogsHandled());
    ASSERT_EQ(transactionCount, 9);
    // The next statement with these headings is read the same way without asking.
    folder.write("giro2.csv", bytesOf("Datum;Omschrijving;Bedrag\r\n06.04.2026;Drukkerij Vos;-7,00\r\n"));
    importThrough(prompts, folder.file("giro2.csv"), [&](HWND dialog) {
        EXPECT_EQ(cell(dialog, 0, 0), "04-06-2026");
        EXPECT_EQ(checkedCount(dialog), 1);
        // ... and says so.
        EXPECT_NE(itemText(dialog, idImportNote)
                      .find("dates read as day-month-year as at the import of " + formatDate(todayPacked())),
                  std::string::npos)
            << itemText(dialog, idImportNote);
        click(dialog, IDCANCEL);
    });
}

// A card's signs turned round are turned round again by themselves only for
// a file that names the same account; for one that names none the preview
// only says what was done last time, and a bank's deposit stays money in.
TEST_F(Import, TurnedRoundSignsComeBackOnlyForTheSameAccount) {
    installLedger(sampleImage());
    start();
    const std::string card = "!Type:CCard\r\nD03/20/2026\r\nT12.00\r\nPKite Hosting\r\n^\r\n";
    folder.write("visa.qif", bytesOf("!Account\r\nNVisa 4410\r\nTCCard\r\n^\r\n" + card));
    folder.write("card.qif", bytesOf("!Type:CCard\r\nD03/20/2026\r\nT12.00\r\nPCloudbox Storage\r\n^\r\n"));
    folder.write("bank.qif", bytesOf("!Type:CCard\r\nD03/21/2026\r\nT500.00\r\nPDeposit\r\n^\r\n"));
    const std::string when = "as at the import of " + formatDate(todayPacked());
    for (const char* file : {"visa.qif", "card.qif"})
        importThrough(prompts, folder.file(file), [&](HWND dialog) {
            EXPECT_EQ(cell(dialog, 0, 1), "12.00");
            click(dialog, idImportFlip);
            EXPECT_EQ(cell(dialog, 0, 1), "-12.00");
            click(dialog, IDOK);
        });
    importThrough(prompts, folder.file("visa.qif"), [&](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, idImportFlip), BST_CHECKED);
        EXPECT_EQ(cell(dialog, 0, 1), "-12.00");
        EXPECT_NE(itemText(dialog, idImportNote).find("signs turned round " + when), std::string::npos)
            << itemText(dialog, idImportNote);
        click(dialog, IDCANCEL);
    });
    importThrough(prompts, folder.file("bank.qif"), [&](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, idImportFlip), BST_UNCHECKED);
        EXPECT_EQ(cell(dialog, 0, 1), "500.00");
        EXPECT_NE(itemText(dialog, idImportNote).find("had its signs turned round"), std::string::npos)
            << itemText(dialog, idImportNote);
        click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(allDialogsHandled());
}

// After a sort on another tab, the import still selects the first row it
// added, on that tab when it shows the row.
TEST_F(Import, AfterASortOnAnotherTabTheFirstRowAddedIsSelected) {
    installLedger(sampleImage());
    start();
    clickTab(5);  // Expenses
    SendMessageA(pages[5], WM_COMMAND, MAKEWPARAM(2505 + 5, STN_CLICKED), reinterpret_cast<LPARAM>(currentList->heading(5)));
    folder.write("march.csv", bytesOf(csvStatement));
    importThrough(prompts, folder.file("march.csv"), [&](HWND dialog) {
        for (int i = 1; i < itemCount(dialog); ++i) setChecked(dialog, i, false);  // the supplies only
        click(dialog, IDOK);
    });
    EXPECT_TRUE(allDialogsHandled());
    ASSERT_EQ(transactionCount, 8);
    EXPECT_EQ(currentTab, 5);  // an expense: the Expenses tab shows it
    const Transaction& selected = transactions[static_cast<size_t>(transactionAtPosition(currentList->selected()))];
    EXPECT_EQ(nameText(selected.nameIndex), "Paper Trail Office Supply");
    EXPECT_EQ(selected.amount, 4217);
}

TEST_F(Import, FilesThatAreNoStatementLeaveTheBooksAlone) {
    installLedger(sampleImage());
    start();
    Bytes binary(4096);
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<uint8_t>(i * 7919 % 256);
    folder.write("binary.csv", binary);
    folder.write("huge.csv", Bytes(maxStatementBytes + 10, 'x'));
    for (const char* name : {"binary.csv", "huge.csv"}) {
        SCOPED_TRACE(name);
        prompts.messages.clear();
        prompts.chosenFiles = {folder.file(name)};
        command(cmdImport);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].title, "Import");
        EXPECT_EQ(prompts.messages[0].text.rfind(std::string(name) + " cannot be imported:", 0), 0u)
            << prompts.messages[0].text;
        EXPECT_EQ(transactionCount, 7);
        EXPECT_FALSE(ledgerChanged);
    }
}

// Every sample statement through the real file dialog and preview: each
// imports at least one row, and again nothing.
TEST_F(Import, EachSampleThroughTheRealFileDialog) {
    std::vector<std::string> samples = sampleStatements();
    ASSERT_GE(samples.size(), 6u);
    for (const std::string& sample : samples) {
        SCOPED_TRACE(sample);
        resetAllState();
        installLedger(sampleImage());
        start();
        int added = 0;
        for (int round = 0; round < 2; ++round) {
            prompts.realPrompts = 1;
            whenDialogOpens("Import", [&](HWND open) {
                SendMessageA(open, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(sampleStatement(sample).c_str()));
                SendMessageA(open, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(sampleStatement(sample).c_str()));
                PostMessageA(open, WM_COMMAND, IDOK, 0);
            });
            whenDialogOpens("Import Statement", [&](HWND dialog) {
                HWND order = GetDlgItem(dialog, idImportOrder);
                if (SendMessageA(order, CB_GETCURSEL, 0, 0) == CB_ERR) pickItem(dialog, idImportOrder, "day-month-year");
                if (round == 0) {
                    added = checkedCount(dialog);
                    EXPECT_GT(added, 0) << footer(dialog);
                    selectItem(dialog, 0);
                    retype(dialog, idImportName, "Renamed by hand");
                } else {
                    EXPECT_EQ(checkedCount(dialog), 0) << footer(dialog);
                    for (int i = 0; i < itemCount(dialog); ++i)
                        if (checkedItem(dialog, i))
                            ADD_FAILURE() << cell(dialog, i, 0) << " | " << cell(dialog, i, 1) << " | " << cell(dialog, i, 2)
                                          << " | " << cell(dialog, i, 3) << " | " << cell(dialog, i, 5) << " | "
                                          << cell(dialog, i, 6);
                }
                click(dialog, round == 0 ? IDOK : IDCANCEL);
            });
            command(cmdImport);
            EXPECT_TRUE(allDialogsHandled());
            clearDialogQueue();
        }
        EXPECT_EQ(transactionCount, 7 + added);
        bool renamed = false;
        for (int t = 1; t <= transactionCount; ++t)
            renamed |= nameText(transactions[static_cast<size_t>(t)].nameIndex) == "Renamed by hand";
        EXPECT_TRUE(renamed);
    }
}

}  // namespace

namespace {

// Types into one of the tax boxes and leaves it for the list, as a user tabs on.
void typeAndLeave(HWND dialog, int id, const std::string& text) {
    SetFocus(GetDlgItem(dialog, id));
    pressCtrlA(dialog, id);
    typeKeys(dialog, id, text);
    SetFocus(listOf(dialog));
}

bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

}  // namespace

// A deposit made Sold shows its tax option, rate and tax below the list;
// the option picked there and the tax typed are what is stored, and a rate
// that is no percent is said while the row keeps its own.
TEST_F(Import, AProductRowsTaxOptionChangedInThePreviewIsStored) {
    installLedger(sampleImage());
    start();
    combinedTaxRate = 0.075;
    folder.write("stall.csv", bytesOf("Date,Description,Amount\r\n03/19/2026,Market Stall,120.00\r\n"
                                      "03/20/2026,Wholesale Co,-40.00\r\n"));
    // The steps run apart from the click that closes the preview, so that a
    // failed assertion among them still closes it.
    auto steps = [&](HWND dialog) {
        selectItem(dialog, 0);
        EXPECT_FALSE(enabled(dialog, idImportTaxMode)) << "a service has no tax option";
        EXPECT_EQ(itemText(dialog, idImportTax), "");
        pickItem(dialog, idImportType, "Sold");
        EXPECT_TRUE(enabled(dialog, idImportTaxMode));
        EXPECT_EQ(itemText(dialog, idImportTaxMode), "Tax already included");
        EXPECT_EQ(itemText(dialog, idImportTaxRate), "7.500");
        EXPECT_EQ(itemText(dialog, idImportTax), "8.37");
        // A rate that is no percent: said, and the row keeps 7.5%.
        typeAndLeave(dialog, idImportTaxRate, "seven");
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, "The tax rate \"seven\" is not a percent from 0 to 999.");
        EXPECT_EQ(itemText(dialog, idImportTaxRate), "7.500");
        EXPECT_EQ(itemText(dialog, idImportTax), "8.37");
        // Another row selected and back: the boxes follow the row.
        selectItem(dialog, 1);
        EXPECT_FALSE(enabled(dialog, idImportTaxMode));
        selectItem(dialog, 0);
        EXPECT_EQ(itemText(dialog, idImportTaxMode), "Tax already included");
        pickItem(dialog, idImportTaxMode, "Specify tax");
        EXPECT_FALSE(enabled(dialog, idImportTaxRate));
        EXPECT_EQ(itemText(dialog, idImportTax), "8.37");  // from the option before, to correct
        typeAndLeave(dialog, idImportTax, "7.00");
        EXPECT_EQ(itemText(dialog, idImportTax), "7.00");
        EXPECT_EQ(cell(dialog, 0, 6), "changed here");
    };
    importThrough(prompts, folder.file("stall.csv"), [&](HWND dialog) {
        steps(dialog);
        click(dialog, IDOK);
    });
    EXPECT_TRUE(allDialogsHandled());
    ASSERT_EQ(transactionCount, 9);
    int found = 0;
    for (int t = 1; t <= transactionCount; ++t) {
        const Transaction& r = transactions[static_cast<size_t>(t)];
        if (nameText(r.nameIndex) != "Market Stall") continue;
        ++found;
        EXPECT_EQ(r.type, typeSold);
        EXPECT_EQ(r.taxMode, modeTaxSpecified);
        EXPECT_EQ(r.amount, 11300);
        EXPECT_EQ(r.salesTax, 700);
    }
    EXPECT_EQ(found, 1);
}

// The list exported after a sort, imported into new books: every
// transaction again, field by field, the mileage as miles.
TEST_F(Import, TheListsOwnExportComesBackIntoNewBooksExactly) {
    installLedger(sampleImage());
    start();
    clickTab(1);  // every transaction, sorted by amount
    SendMessageA(pages[1], WM_COMMAND, MAKEWPARAM(2509, STN_CLICKED), reinterpret_cast<LPARAM>(lists[1]->heading(5)));
    std::vector<Transaction> before(transactions.begin() + 1, transactions.begin() + 1 + transactionCount);
    std::vector<std::string> descrs, namesBefore;
    for (const Transaction& t : before) {
        descrs.push_back(descriptionText(t.descrIndex));
        namesBefore.push_back(nameText(t.nameIndex));
    }
    prompts.chosenFiles = {folder.file("all.csv")};
    command(cmdExport);
    command(cmdNew);
    ASSERT_EQ(transactionCount, 0);
    importThrough(prompts, folder.file("all.csv"), [&](HWND dialog) {
        EXPECT_EQ(itemText(dialog, idImportSource), "all.csv: a list exported by Quirvel, read as it was written");
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, idImportDateColumn)));
        EXPECT_EQ(itemCount(dialog), 7);
        EXPECT_EQ(footer(dialog).rfind("7 rows will be added, 0 are marked", 0), 0u) << footer(dialog);
        bool miles = false;
        for (int i = 0; i < 7; ++i) miles |= cell(dialog, i, 1) == "123.40 miles";
        EXPECT_TRUE(miles);
        click(dialog, IDOK);
    });
    EXPECT_TRUE(allDialogsHandled());
    ASSERT_EQ(transactionCount, static_cast<int>(before.size()));
    for (size_t i = 0; i < before.size(); ++i) {
        const Transaction &a = before[i], &b = transactions[i + 1];
        SCOPED_TRACE(descrs[i]);
        EXPECT_EQ(a.date, b.date);
        EXPECT_EQ(a.type, b.type);
        EXPECT_EQ(descrs[i], descriptionText(b.descrIndex));
        EXPECT_EQ(namesBefore[i], nameText(b.nameIndex));
        EXPECT_EQ(a.amount, b.amount);
        EXPECT_EQ(a.handling, b.handling);
        EXPECT_EQ(a.shipping, b.shipping);
        EXPECT_EQ(a.taxMode, b.taxMode);
        EXPECT_EQ(a.taxRate, b.taxRate);
        EXPECT_EQ(a.salesTax, b.salesTax);
    }
    // The same file again: all there already.
    importThrough(prompts, folder.file("all.csv"), [&](HWND dialog) {
        EXPECT_EQ(checkedCount(dialog), 0);
        click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(allDialogsHandled());
}

namespace {

const char* const fiveLines =
    "Date,Description,Amount\r\n03/21/2026,Kiosk,-5.00\r\n03/22/2026,Corner Cafe,-7.10\r\n"
    "03/23/2026,Client Alvarez,900.00\r\n03/24/2026,Harbor Telecom,-61.20\r\n03/25/2026,Metro Transit,-2.75\r\n";

void selectOnly(HWND dialog, const std::vector<int>& items) {
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(listOf(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int i : items) {
        LVITEMA it = {};
        it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        it.state = LVIS_SELECTED | LVIS_FOCUSED;  // the last one keeps the focus
        SendMessageA(listOf(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&it));
    }
}

void pressSpace(HWND dialog) {
    HWND list = listOf(dialog);
    SetFocus(list);
    SendMessageA(list, WM_KEYDOWN, VK_SPACE, 0x00390001);
    SendMessageA(list, WM_CHAR, ' ', 0x00390001);
    SendMessageA(list, WM_KEYUP, VK_SPACE, 0xC0390001);
}

int columnWidth(HWND dialog, int column) {
    return static_cast<int>(SendMessageA(listOf(dialog), LVM_GETCOLUMNWIDTH, column, 0));
}

}  // namespace

// Uncheck all, check all, and Space on three selected rows: the footer
// follows each at once, and what is checked at the end is what comes in.
TEST_F(Import, CheckAllUncheckAllAndSpaceOnSeveralSelectedRows) {
    installLedger(sampleImage());
    start();
    folder.write("R&D.csv", bytesOf(fiveLines));
    importThrough(prompts, folder.file("R&D.csv"), [&](HWND dialog) {
        EXPECT_EQ(checkedCount(dialog), 5);
        click(dialog, idImportUncheckAll);
        EXPECT_EQ(checkedCount(dialog), 0);
        EXPECT_EQ(footer(dialog).rfind("0 rows will be added", 0), 0u) << footer(dialog);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        click(dialog, idImportCheckAll);
        EXPECT_EQ(checkedCount(dialog), 5);
        EXPECT_EQ(footer(dialog).rfind("5 rows will be added", 0), 0u) << footer(dialog);
        // Space unchecks the three selected rows together (the focused one was checked).
        selectOnly(dialog, {0, 2, 4});
        pressSpace(dialog);
        EXPECT_FALSE(checkedItem(dialog, 0));
        EXPECT_TRUE(checkedItem(dialog, 1));
        EXPECT_FALSE(checkedItem(dialog, 2));
        EXPECT_TRUE(checkedItem(dialog, 3));
        EXPECT_FALSE(checkedItem(dialog, 4));
        EXPECT_EQ(footer(dialog).rfind("2 rows will be added", 0), 0u) << footer(dialog);
        // And again checks them.
        selectOnly(dialog, {0, 4});
        pressSpace(dialog);
        EXPECT_EQ(checkedCount(dialog), 4);
        click(dialog, IDOK);
    });
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_EQ(transactionCount, 7 + 4);
    for (int t = 1; t <= transactionCount; ++t)
        EXPECT_NE(nameText(transactions[static_cast<size_t>(t)].nameIndex), "Client Alvarez");
    // The file's "&" is shown as itself in the Edit menu, not as a key.
    char undo[128] = "";
    GetMenuStringA(GetMenu(mainWindow), cmdUndo, undo, sizeof undo, MF_BYCOMMAND);
    EXPECT_STREQ(undo, "&Undo Import 4 rows from R&&D.csv\tCtrl+Z");
}

// The text columns are as wide as their texts when the preview opens, and
// Payee, Description and Name take what a wider window gives.
TEST_F(Import, AWiderPreviewWidensTheTextColumns) {
    installLedger(sampleImage());
    start();
    folder.write("five.csv", bytesOf(fiveLines));
    importThrough(prompts, folder.file("five.csv"), [&](HWND dialog) {
        int payee = columnWidth(dialog, 2), description = columnWidth(dialog, 4), name = columnWidth(dialog, 5);
        int amount = columnWidth(dialog, 1), why = columnWidth(dialog, 6);
        RECT r;
        GetWindowRect(dialog, &r);
        SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left + 300, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_GE(columnWidth(dialog, 2), payee + 90);
        EXPECT_GE(columnWidth(dialog, 4), description + 90);
        EXPECT_GE(columnWidth(dialog, 5), name + 90);
        EXPECT_EQ(columnWidth(dialog, 1), amount);
        EXPECT_EQ(columnWidth(dialog, 6), why);
        // Nothing is cut: the list needs no sideways scrolling.
        RECT list;
        GetClientRect(listOf(dialog), &list);
        int total = 0;
        for (int c = 0; c < 7; ++c) total += columnWidth(dialog, c);
        EXPECT_LE(total, list.right);
        click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(allDialogsHandled());
}

// A statement in euros: said in the first line, and Import waits until the
// user ticks that the amounts are taken as they stand; a click on Import
// before that is answered with why, and the preview stays.
TEST_F(Import, AmountsInAnotherCurrencyWaitForTheUsersWord) {
    installLedger(sampleImage());
    start();
    folder.write("eur.ofx",
                 bytesOf("OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
                         "<CURDEF>EUR<BANKACCTFROM><BANKID>500105<ACCTID>88001</BANKACCTFROM><BANKTRANLIST>"
                         "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20260310<TRNAMT>-20.00<FITID>e1<NAME>Papeterie Roux"
                         "</STMTTRN><STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20260312<TRNAMT>450.00<FITID>e2<NAME>Atelier"
                         " Voss</STMTTRN></BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n"));
    importThrough(prompts, folder.file("eur.ofx"), [&](HWND dialog) {
        EXPECT_NE(itemText(dialog, idImportSource).find(", in EUR"), std::string::npos) << itemText(dialog, idImportSource);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, idImportCurrency)));
        EXPECT_FALSE(isChecked(dialog, idImportCurrency));
        EXPECT_NE(footer(dialog).find("The amounts are in EUR, the books in USD"), std::string::npos) << footer(dialog);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        // Import pressed anyway (Enter): the reason, and the preview stays.
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text.rfind("The amounts are in EUR, the books in USD.", 0), 0u);
        EXPECT_TRUE(IsWindow(dialog));
        click(dialog, idImportCurrency);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        EXPECT_EQ(footer(dialog).find("EUR"), std::string::npos) << footer(dialog);
        click(dialog, IDOK);
    });
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_EQ(transactionCount, 9);
}
