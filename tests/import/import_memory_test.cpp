// A statement line is added to the books once, whatever happens to the books
// and their files between two imports: renames, changes, deletions,
// archives, Undo, a ledger restored from a copy, a side file that could not
// be written, a save cut short between its two files.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "import/csv_reader.h"
#include "import/ofx_reader.h"
#include "import/proposals.h"
#include "import/qif_reader.h"
#include "import/statement_memory.h"
#include "ledger/archive.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/settings.h"
#include "ledger/side_file.h"
#include "ledger/tax_arithmetic.h"
#include "reports/csv_export.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"
#include "text/date_text.h"

namespace {

const uint16_t importDay = packDate("04-01-2026");

Statement csvOf(const std::string& text) {
    CsvTable table = readCsvTable(Bytes(text.begin(), text.end()));
    return csvStatement(table, guessCsvColumns(table.header));
}

Statement ofxOf(const std::string& account, const std::string& transactions, const std::string& closing = "") {
    std::string text = "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
                       "<BANKACCTFROM><BANKID>121000358<ACCTID>" +
                       account + "</BANKACCTFROM><BANKTRANLIST>" + transactions + "</BANKTRANLIST>";
    if (!closing.empty()) text += "<LEDGERBAL><BALAMT>" + closing + "<DTASOF>20260331</LEDGERBAL>";
    text += "</STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n";
    return readOfx(Bytes(text.begin(), text.end()));
}

std::string ofxLine(const std::string& yyyymmdd, const std::string& amount, const std::string& name,
                    const std::string& fitid) {
    return "<STMTTRN><TRNTYPE>OTHER<DTPOSTED>" + yyyymmdd + "<TRNAMT>" + amount + "<FITID>" + fitid + "<NAME>" + name +
           "</STMTTRN>";
}

// The rows as the preview first shows them: in the file's one date order,
// month-day-year where the dates allow several.
DateOrder orderOf(const Statement& s) {
    for (DateOrder o : {DateOrder::monthDayYear, DateOrder::dayMonthYear, DateOrder::yearMonthDay})
        if (s.dateOrders == orderBit(o)) return o;
    return DateOrder::monthDayYear;
}
std::vector<ImportRow> preview(const Statement& s) { return buildImportRows(s, orderOf(s), true, false); }

// What the preview's Import does with the rows as the user left them.
int importRows(const Statement& s, std::vector<ImportRow> rows, const std::set<size_t>& leaveOut = {}) {
    for (size_t i : leaveOut) rows[i].checked = false;
    RememberedBalance closing;
    bool hasClosing = closingBalanceOf(s, rows, importDay, closing);
    int first = importCheckedRows(rows, importDay, hasClosing ? &closing : nullptr);
    commitStep("Import");
    return first;
}
int importStatement(const Statement& s, const std::set<size_t>& leaveOut = {}) {
    return importRows(s, preview(s), leaveOut);
}

std::string why(const ImportRow& row) { return row.duplicate.empty() ? row.note : row.duplicate; }
std::vector<std::string> whys(const std::vector<ImportRow>& rows) {
    std::vector<std::string> all;
    for (const ImportRow& r : rows) all.push_back(why(r));
    return all;
}
std::vector<bool> checks(const std::vector<ImportRow>& rows) {
    std::vector<bool> all;
    for (const ImportRow& r : rows) all.push_back(r.checked);
    return all;
}

// How many transactions of the books hold this line's date and money.
int inBooks(const ImportRow& row) {
    int n = 0;
    for (int i = 1; i <= transactionCount; ++i) {
        const Transaction& t = transactions[i];
        bool in = t.type == typeService || t.type == typeSold || t.type == typeEarnings;
        n += t.date == row.date && (in ? transactionTotal(t) : -transactionTotal(t)) == row.line.amount;
    }
    return n;
}

// How many rows of the statement have this row's date and amount.
int alike(const std::vector<ImportRow>& rows, const ImportRow& row) {
    int n = 0;
    for (const ImportRow& r : rows) n += r.date == row.date && r.line.amount == row.line.amount;
    return n;
}

// Every line of the statement is in the books exactly as often as the
// statement holds it: once, for lines of a date and amount of their own.
void expectEachLineOnce(const Statement& s) {
    std::vector<ImportRow> rows = preview(s);
    for (const ImportRow& row : rows) EXPECT_EQ(inBooks(row), alike(rows, row)) << row.line.payee << " " << row.line.amount;
}

const char* const checking =
    "Date,Description,Amount\r\n"
    "03/02/2026,Paper Trail Office Supply,-42.17\r\n"
    "03/05/2026,Northwind Design payment,1200.00\r\n"
    "03/05/2026,Corner Coffee,-3.50\r\n"
    "03/05/2026,Corner Coffee,-3.50\r\n"
    "03/20/2026,Monthly Service Fee,-12.00\r\n";

class ImportMemory : public ::testing::Test {
protected:
    void SetUp() override { fresh(); }
    void TearDown() override {
        setWriteFault(0, false);
        resetLedgerTables();
    }
    void fresh() {
        resetLedgerTables();
        dataFolder = folder->path();
        ledgerPath = folder->file("books.qvl");
    }
    void reload() {
        std::string path = ledgerPath;
        resetLedgerTables();
        dataFolder = folder->path();
        ASSERT_TRUE(loadLedger(path));
    }
    ScriptedPrompts prompts;
    std::unique_ptr<TempFolder> folder = std::make_unique<TempFolder>();
};

// Fault: renaming a booked row's name made its line new again. A line
// follows its transaction through a rename, a change, a deletion (said) and
// an Undo, before and after a reload; typed entries are counted as before.
TEST_F(ImportMemory, RenamedChangedAndDeletedLinesStayKnown) {
    Statement march = csvOf(checking);
    std::vector<ImportRow> rows = preview(march);
    rows[4].proposal.name = "First Prairie Bank";
    rows[4].proposal.description = "Bank fees";
    importRows(march, rows);
    ASSERT_TRUE(saveLedger());
    int bank = 0;
    for (int n = 1; n <= nameCount; ++n)
        if (nameText(n) == "First Prairie Bank") bank = n;
    ASSERT_NE(bank, 0);
    setListEntry(nameList, bank, std::string(1, '\2') + "Prairie Bank N.A.");
    commitStep("Rename");
    const std::string on = "imported on 04-01-2026";
    EXPECT_EQ(whys(preview(march)), std::vector<std::string>(5, on));
    EXPECT_EQ(checks(preview(march)), std::vector<bool>(5, false));

    // The fee changed by hand, then deleted on purpose, then brought back.
    int fee = 0;
    for (int i = 1; i <= transactionCount; ++i)
        if (transactions[i].nameIndex == bank) fee = i;
    Transaction changed = transactions[fee];
    changed.amount = 1500;
    replaceTransactionAt(fee, changed);
    commitStep("Change");
    EXPECT_EQ(why(preview(march)[4]), on);
    removeTransactionAt(fee);
    commitStep("Delete");
    rows = preview(march);
    EXPECT_EQ(why(rows[4]), on + ", deleted since");
    EXPECT_FALSE(rows[4].checked);
    EXPECT_EQ(rows[4].mark, RowMark::importedDeleted);
    undoStep();
    EXPECT_EQ(why(preview(march)[4]), on);
    redoStep();
    ASSERT_TRUE(saveLedger());
    reload();
    rows = preview(march);
    EXPECT_EQ(why(rows[4]), on + ", deleted since");
    EXPECT_EQ(why(rows[0]), on);
    // Checked on purpose, it comes back once, and is known as imported.
    rows[4].checked = true;
    importRows(march, rows);
    EXPECT_EQ(why(preview(march)[4]), on);
    EXPECT_EQ(ledger.beside.lines.size(), 5u);

    // A typed entry is still found by its date, amount and name.
    Transaction typed;
    typed.date = packDate("03-25-2026");
    typed.type = typeExpense;
    typed.amount = 700;
    typed.nameIndex = static_cast<uint16_t>(appendListEntry(nameList, 2, "Metro Transit"));
    placeTransaction(typed);
    commitStep("Add");
    rows = preview(csvOf("Date,Description,Amount\r\n03/25/2026,Metro Transit,-7.00\r\n"));
    EXPECT_EQ(why(rows[0]), "1 of 1 already in the books");
}

// Fault: archived lines came back. The working ledger keeps them, noted with
// the archive, through a save and a reopen; the archive opened as books
// knows its own.
TEST_F(ImportMemory, ArchivedLinesStayKnownAfterSaveAndReopen) {
    const std::string yearEnd = "Date,Description,Amount\r\n"
                                "12/20/2025,Client Okafor,640.00\r\n"
                                "12/28/2025,Harbor Telecom,-61.30\r\n"
                                "01/05/2026,Oak Street Rent,-900.00\r\n";
    importStatement(csvOf(yearEnd));
    ASSERT_TRUE(saveLedger());
    prompts.chosenFiles = {folder->file("old.qvl")};
    ASSERT_TRUE(archiveUpTo("2025"));
    ASSERT_EQ(transactionCount, 1);
    ASSERT_TRUE(saveLedger());
    reload();
    Statement overlapping = csvOf(yearEnd + "01/09/2026,Client Okafor,320.00\r\n");
    std::vector<ImportRow> rows = preview(overlapping);
    EXPECT_EQ(whys(rows), (std::vector<std::string>{"imported on 04-01-2026, archived in old.qvl",
                                                    "imported on 04-01-2026, archived in old.qvl",
                                                    "imported on 04-01-2026", ""}));
    EXPECT_EQ(checks(rows), (std::vector<bool>{false, false, false, true}));

    ASSERT_TRUE(loadLedger(folder->file("old.qvl")));
    rows = preview(overlapping);
    EXPECT_EQ(whys(rows), (std::vector<std::string>{"imported on 04-01-2026", "imported on 04-01-2026", "", ""}));
}

// Faults: an id beginning with "end " ended the side file; one reference on
// several bookings left lines out, then let them in twice; two banks
// numbering their lines alike shut each other's out. A bank id proves a
// line only with its date and amount, within its account.
TEST_F(ImportMemory, BankIdsCountOnlyWithTheirDateAndAmountInTheirAccount) {
    Statement odd = ofxOf("1", ofxLine("20260304", "-20.00", "Kite Hosting", "end 060904") +
                                   ofxLine("20260305", "-5.00", "Kite Hosting", "end 060904") +
                                   ofxLine("20260305", "-5.00", "Kite Hosting", "end 060904"));
    std::vector<ImportRow> rows = preview(odd);
    EXPECT_EQ(whys(rows), (std::vector<std::string>{"", "", "bank id also on an earlier row of this statement"}));
    importRows(odd, rows);
    ASSERT_TRUE(saveLedger());
    reload();
    EXPECT_FALSE(ledger.sideFileDamaged);
    EXPECT_EQ(checks(preview(odd)), std::vector<bool>(3, false)) << ::testing::PrintToString(whys(preview(odd)));

    Statement batch = csvOf("Date,Description,Amount,Bank Reference\r\n"
                            "03/10/2026,Client Alvarez,400.00,B-7781\r\n"
                            "03/10/2026,Client Brandt,250.00,B-7781\r\n"
                            "03/10/2026,Client Moreau,125.00,B-7781\r\n");
    EXPECT_EQ(checks(preview(batch)), std::vector<bool>(3, true));
    importStatement(batch);
    EXPECT_EQ(checks(preview(batch)), std::vector<bool>(3, false));

    const std::string headings = "Date,Description,Amount,Transaction ID\r\n";
    Statement bankA = csvOf(headings + "03/11/2026,Lumen Software,-30.00,1001\r\n03/12/2026,Client X,90.00,1002\r\n");
    Statement bankB = csvOf(headings + "03/13/2026,Atlas Hardware,-18.40,1001\r\n03/14/2026,Client Y,75.00,1002\r\n");
    importStatement(bankA);
    EXPECT_EQ(checks(preview(bankB)), std::vector<bool>(2, true));
    importStatement(bankB);
    expectEachLineOnce(bankA);
    expectEachLineOnce(bankB);
}

// Fault: rows left out on purpose came back checked. They come back
// unchecked and say so; checked on purpose they come in once, and Undo
// takes that back to "left out".
TEST_F(ImportMemory, LeftOutRowsComeBackUncheckedAndIdenticalLinesEachOnce) {
    Statement march = csvOf(checking);
    importStatement(march, {1, 4});  // a private deposit and the fee
    EXPECT_EQ(transactionCount, 3);
    ASSERT_TRUE(saveLedger());
    reload();
    Statement later = csvOf(std::string(checking) + "03/05/2026,Corner Coffee,-3.50\r\n04/01/2026,Client Brandt,80.00\r\n");
    std::vector<ImportRow> rows = preview(later);
    const std::string on = "imported on 04-01-2026", left = "left out on 04-01-2026";
    EXPECT_EQ(whys(rows), (std::vector<std::string>{on, left, on, on, left, "", ""}));
    EXPECT_EQ(checks(rows), (std::vector<bool>{false, false, false, false, false, true, true}));
    EXPECT_EQ(rows[5].occurrence, 3);  // the third coffee of the day is a line of its own

    rows[4].checked = true;  // the fee after all
    importRows(later, rows);
    EXPECT_EQ(transactionCount, 6);
    expectEachLineOnce(csvOf("Date,Description,Amount\r\n03/20/2026,Monthly Service Fee,-12.00\r\n"));
    EXPECT_EQ(whys(preview(later)), (std::vector<std::string>{on, left, on, on, on, on, on}));
    undoStep();
    EXPECT_EQ(whys(preview(later)), (std::vector<std::string>{on, left, on, on, left, "", ""}));

    // Import, Undo, Import: nothing is remembered of a step taken back.
    fresh();
    importStatement(march, {1});
    undoStep();
    EXPECT_TRUE(ledger.beside.lines.empty());
    EXPECT_EQ(checks(preview(march)), std::vector<bool>(5, true));
    importStatement(march);
    expectEachLineOnce(march);
}

// Fault: a side file naming lines the books no longer hold made them
// un-importable. A side file not written with these ledger bytes gives
// hints only: a line counts as imported where the books hold a transaction
// of its date and amount, and is otherwise checked and says why.
TEST_F(ImportMemory, ASideFileOfOtherBooksGivesHintsOnly) {
    Statement march = csvOf(checking);
    std::string firstTwo = checking;
    firstTwo.resize(firstTwo.find("03/05/2026,Corner"));
    importStatement(csvOf(firstTwo));
    ASSERT_TRUE(saveLedger());
    Bytes copy = folder->read("books.qvl");  // the user's backup copy
    importStatement(march);                  // the rest, into a lost copy
    ASSERT_TRUE(saveLedger());
    folder->write("books.qvl", copy);        // restored without its side file
    reload();
    std::vector<ImportRow> rows = preview(march);
    const std::string on = "imported on 04-01-2026", gone = "imported on 04-01-2026, not in these books";
    EXPECT_EQ(whys(rows), (std::vector<std::string>{on, on, gone, gone, gone}));
    EXPECT_EQ(checks(rows), (std::vector<bool>{false, false, true, true, true}));
    importRows(march, rows);
    expectEachLineOnce(march);
    ASSERT_TRUE(saveLedger());
    reload();  // written with these books now: no longer hints
    EXPECT_EQ(whys(preview(march)), std::vector<std::string>(5, on));

    // Undo of an import, then a save whose side file cannot be written.
    fresh();
    importStatement(march);
    ASSERT_TRUE(saveLedger());
    undoStep();
    // The operations of the ledger's own write, as a file of the same size
    // that is there already takes them.
    Bytes ledgerOnly = encodeLedger(currentLedgerImage());
    std::string error;
    folder->write("probe.qvl", ledgerOnly);
    setWriteFault(0, false);
    ASSERT_TRUE(writeFileSafely(folder->file("probe.qvl"), ledgerOnly, error, true));
    int ledgerOperations = writeOperationCount();
    setWriteFault(ledgerOperations + 1, true);
    prompts.messages.clear();
    EXPECT_TRUE(saveLedger());
    setWriteFault(0, false);
    ASSERT_EQ(prompts.messages.size(), 1u);
    reload();
    rows = preview(march);
    EXPECT_EQ(whys(rows), std::vector<std::string>(5, gone));
    importRows(march, rows);
    expectEachLineOnce(march);
}

// A side file of the first version, and lines whose transactions went to
// an archive while the side file no longer matches the ledger: hints, held
// by the books and by the archive files the books remember.
TEST_F(ImportMemory, HintsAreHeldByTheBooksAndTheirArchives) {
    Statement march = csvOf(checking);
    importStatement(march);
    ASSERT_TRUE(saveLedger());
    std::string first = "Quirvel import ids 1\r\n";
    for (int i = 1; i <= transactionCount; ++i)
        first += "\t" + std::to_string(packDate("03-31-2026")) + "\t" + std::to_string(transactions[i].date) + "\t" + std::to_string(transactions[i].amount) +
                 "\t" + nameText(transactions[i].nameIndex) + "\t" + nameText(transactions[i].nameIndex) + "\r\n";
    first += "end " + std::to_string(transactionCount) + "\r\n";
    folder->write("books.qvl-import", Bytes(first.begin(), first.end()));
    reload();
    ASSERT_EQ(ledger.beside.lines.size(), 5u);
    EXPECT_TRUE(ledger.beside.lines[0].legacy);
    std::vector<ImportRow> rows = preview(march);
    EXPECT_EQ(checks(rows), std::vector<bool>(5, false)) << ::testing::PrintToString(whys(rows));
    removeTransactionAt(1);  // the paper, deleted: a hint proves nothing more
    commitStep("Delete");
    rows = preview(march);
    EXPECT_EQ(why(rows[0]), "imported on 03-31-2026, not in these books");
    EXPECT_TRUE(rows[0].checked);

    fresh();
    const std::string yearEnd = "Date,Description,Amount\r\n12/20/2025,Client Okafor,640.00\r\n"
                                "01/05/2026,Oak Street Rent,-900.00\r\n";
    importStatement(csvOf(yearEnd));
    prompts.chosenFiles = {folder->file("old.qvl")};
    ASSERT_TRUE(archiveUpTo("2025"));
    ASSERT_TRUE(saveLedger());
    SideFile side;
    ASSERT_TRUE(decodeSideFile(folder->read("books.qvl-import"), side));
    side.ledger.hash ^= 1;  // as if written with other bytes
    folder->write("books.qvl-import", encodeSideFile(side));
    reload();
    rows = preview(csvOf(yearEnd));
    EXPECT_EQ(whys(rows), std::vector<std::string>(2, "imported on 04-01-2026"));
    EXPECT_TRUE(ledger.beside.lines[0].hint);
}

// A save killed at any step between its first write and its last leaves a
// ledger and a side file that the next import reads so that every line of
// the statements is in the books once.
TEST_F(ImportMemory, ASaveKilledAtAnyStepCountsNothingTwiceAndLosesNothing) {
    Statement first = csvOf(checking);
    Statement both = csvOf(std::string(checking) + "03/24/2026,Client Okafor,310.00\r\n"
                                                   "03/25/2026,City Fuel,-48.00\r\n");
    auto booksSavedAndMore = [&] {
        importStatement(first);
        ASSERT_TRUE(saveLedger());
        importStatement(both);
    };
    booksSavedAndMore();
    setWriteFault(0, false);
    ASSERT_TRUE(saveLedger());
    int operations = writeOperationCount();
    ASSERT_GT(operations, 8);
    for (int kill = 1; kill <= operations; ++kill) {
        SCOPED_TRACE("killed at operation " + std::to_string(kill));
        folder = std::make_unique<TempFolder>();
        fresh();
        booksSavedAndMore();
        setWriteFault(kill, true);  // this and every later operation never happen
        saveLedger();
        setWriteFault(0, false);
        reload();
        std::vector<ImportRow> rows = preview(both);
        // What the books lack is checked, and nothing they hold.
        for (const ImportRow& row : rows) {
            int checkedAlike = 0;
            for (const ImportRow& r : rows) checkedAlike += r.checked && r.date == row.date && r.line.amount == row.line.amount;
            EXPECT_EQ(inBooks(row) + checkedAlike, alike(rows, row)) << row.line.payee;
        }
        importRows(both, rows);
        expectEachLineOnce(both);
    }
}

// Fault: an archive, a ledger or an export written over a side file or the
// import memory lost what it held.
TEST_F(ImportMemory, SideFilesAndTheImportMemoryAreNoNamesForFiles) {
    ASSERT_TRUE(saveLedger());
    for (const std::string& name : {"books.qvl-import", "Other.QVL-IMPORT", "quirvel-import.ini"}) {
        std::string path = folder->file(name);
        EXPECT_TRUE(isOwnProgramFile(path)) << name;
        EXPECT_EQ(exportRefusalText(path), ownProgramFileText(path));
        prompts.messages.clear();
        prompts.chosenFiles = {path};
        EXPECT_FALSE(saveLedgerAs());
        prompts.chosenFiles = {path};
        EXPECT_FALSE(archiveUpTo("2025"));
        EXPECT_FALSE(fileExists(path)) << name;
        ASSERT_EQ(prompts.messages.size(), 2u);
        EXPECT_EQ(prompts.messages[1].text, path + " is one of Quirvel's own files.\r\nChoose another name; nothing has "
                                                   "been written.");
    }
    EXPECT_EQ(ledgerPath, folder->file("books.qvl"));
    ledgerPath = folder->file("books.dat");  // a ledger of another extension: its own side file too
    EXPECT_TRUE(isOwnProgramFile(folder->file("books.dat-import")));
    EXPECT_FALSE(isOwnProgramFile(folder->file("books.qvl")));
}

// Fault: the closing balance was remembered for all ledgers, kept through
// Undo and compared whatever the order of statements. It belongs to the
// ledger and the account, goes with its import step, and a statement is
// compared with the balance from before its own last day.
TEST_F(ImportMemory, ClosingBalancesBelongToTheLedgerAndTheAccount) {
    const std::string march = ofxLine("20260302", "-12.00", "Service charge", "m1") +
                              ofxLine("20260310", "67.01", "Interest", "m2");
    Statement first = ofxOf("9100", march, "1055.01");
    std::vector<ImportRow> rows = preview(first);
    EXPECT_EQ(balanceCheck(first, rows), "");
    importRows(first, rows, {1});  // the interest left out: the bank's balance holds it all the same
    undoStep();
    EXPECT_TRUE(ledger.beside.balances.empty());
    EXPECT_EQ(balanceCheck(first, preview(first)), "");
    importRows(first, preview(first), {1});
    ASSERT_EQ(ledger.beside.balances.size(), 1u);
    EXPECT_EQ(ledger.beside.balances[0].asOf, packDate("03-10-2026"));

    Statement april = ofxOf("9100", ofxLine("20260310", "67.01", "Interest", "m2") +
                                        ofxLine("20260405", "-40.00", "Transfer", "a1"),
                            "1015.01");
    EXPECT_EQ(balanceCheck(april, preview(april)),
              "The closing balance 1015.01 agrees with the balance of 03-10-2026, 1055.01, and the rows after that "
              "day.");
    Statement otherAccount = ofxOf("9200", ofxLine("20260405", "-40.00", "Transfer", "a1"), "5.00");
    EXPECT_EQ(balanceCheck(otherAccount, preview(otherAccount)), "");
    importStatement(april);
    Statement february = ofxOf("9100", ofxLine("20260220", "100.00", "Deposit", "f1"), "900.00");
    EXPECT_EQ(balanceCheck(february, preview(february)),  // older than every balance remembered
              "The closing balance 900.00 cannot be checked: every balance remembered for this account is as of "
              "02-20-2026 or later.");
    EXPECT_EQ(balanceCheck(first, preview(first)),  // March again: its own balance is not before it
              "The closing balance 1055.01 cannot be checked: every balance remembered for this account is as of "
              "03-10-2026 or later.");
    ASSERT_TRUE(saveLedger());
    reload();
    EXPECT_EQ(ledger.beside.balances.size(), 2u);
    installLedgerImage(LedgerImage{});  // another ledger compares with nothing of these books
    EXPECT_EQ(balanceCheck(april, preview(april)), "");
}

// Fault: a card's flipped signs were applied to the next bank's file of the
// same layout. Choices are kept by file type, account and headings, and a
// flip is applied by itself only where the file names its account.
TEST_F(ImportMemory, RememberedChoicesAreKeptByFileTypeAccountAndHeadings) {
    auto qif = [](const std::string& text) { return readQif(Bytes(text.begin(), text.end())); };
    Statement card = qif("!Type:CCard\r\nD03/02/2026\r\nT12.00\r\nPKite Hosting\r\n^\r\n");
    Statement bank = qif("!Type:Bank\r\nD03/02/2026\r\nT500.00\r\nPDeposit\r\n^\r\n");
    Statement named = qif("!Account\r\nNVisa 4410\r\nTCCard\r\n^\r\n!Type:CCard\r\nD03/02/2026\r\nT12.00\r\nPKite\r\n^\r\n");
    EXPECT_NE(card.scope, bank.scope);
    EXPECT_NE(named.scope, card.scope);
    EXPECT_FALSE(rememberedFlipApplies(card));
    EXPECT_FALSE(rememberedFlipApplies(bank));
    EXPECT_TRUE(rememberedFlipApplies(named));
    EXPECT_TRUE(rememberedFlipApplies(ofxOf("9100", ofxLine("20260302", "1.00", "x", "1"))));
    EXPECT_FALSE(rememberedFlipApplies(csvOf(checking)));
    EXPECT_NE(ofxOf("9100", "").scope, ofxOf("9200", "").scope);

    // A line imported with its signs turned round is known whichever way
    // the next import reads the signs: by what the bank wrote.
    std::vector<ImportRow> rows = buildImportRows(card, DateOrder::monthDayYear, true, true);
    importRows(card, rows);
    EXPECT_EQ(transactions[1].type, typeExpense);
    EXPECT_EQ(why(buildImportRows(card, DateOrder::monthDayYear, true, false)[0]), "imported on 04-01-2026");
}

}  // namespace
