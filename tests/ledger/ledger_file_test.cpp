#include <gtest/gtest.h>

#include <cstring>

#include "ledger/side_file.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"
#include "text/date_text.h"

namespace {

Bytes textBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

void add16(Bytes& b, uint16_t v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8);
}
void add32(Bytes& b, int32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
}

// An old 22-byte record.
void addOldRecord(Bytes& b, uint16_t date, uint8_t type, uint8_t descr, uint16_t name, int32_t amount,
                  int32_t handling, int32_t shipping, int32_t tax) {
    add16(b, date);
    b.push_back(type);
    b.push_back(descr);
    add16(b, name);
    add32(b, amount);
    add32(b, handling);
    add32(b, shipping);
    add32(b, tax);
}

BankLine someLine(const std::string& bankId, const std::string& name, const std::string& payee) {
    BankLine l;
    l.scope = "OFX 1/2";
    l.bankId = bankId;
    l.importedOn = packDate("04-01-2026");
    l.date = packDate("03-30-2026");
    l.amount = -1250;
    l.name = name;
    l.payee = payee;
    return l;
}

template <typename A, typename B>
bool sameLines(const A& a, const B& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].bankId != b[i].bankId || a[i].importedOn != b[i].importedOn || a[i].date != b[i].date ||
            a[i].amount != b[i].amount || a[i].name != b[i].name || a[i].payee != b[i].payee ||
            a[i].hint != b[i].hint || a[i].tag != b[i].tag)
            return false;
    return true;
}

class LedgerFile : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        dataFolder = folder.path();
    }
    void TearDown() override { setWriteFault(0, false); }
    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(LedgerFile, EmptyLedgerIs23Bytes) {
    ledgerPath = folder.file("empty.qvl");
    ASSERT_TRUE(saveLedger());
    Bytes expected = textBytes("Quirvel Version 3");
    expected.insert(expected.end(), 6, 0);
    EXPECT_EQ(folder.read("empty.qvl"), expected);
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_EQ(settingsChanged, 1);
}

TEST_F(LedgerFile, OneTransactionAndOneDescriptionIs59Bytes) {
    Transaction t;
    t.date = packDate("03-07-2006");
    t.type = typeExpense;
    t.descrIndex = 1;
    t.amount = 50000;
    t.handling = -2;
    t.taxMode = modeNoTax;
    t.taxRate = 6.25f;
    t.salesTax = 125;
    placeTransaction(t);
    appendListEntry(descrList, 2, "Rent");
    ledgerPath = folder.file("one.qvl");
    markLedgerChanged();
    ASSERT_TRUE(saveLedger());

    Bytes expected = textBytes("Quirvel Version 3");
    add16(expected, 1);
    add16(expected, 1);
    add16(expected, 0);
    add16(expected, t.date);
    expected.push_back(2);
    add16(expected, 1);
    add16(expected, 0);
    add32(expected, 50000);
    add32(expected, -2);
    add32(expected, 0);
    expected.push_back(255);
    uint32_t rateBits;
    float rate = 6.25f;
    std::memcpy(&rateBits, &rate, 4);
    add32(expected, static_cast<int32_t>(rateBits));
    add32(expected, 125);
    add16(expected, 0);
    for (uint8_t c : textBytes("\x05\x02Rent")) expected.push_back(c);
    Bytes written = folder.read("one.qvl");
    EXPECT_EQ(written.size(), 59u);
    EXPECT_EQ(written, expected);

    resetLedgerTables();
    ASSERT_TRUE(loadLedger(folder.file("one.qvl")));
    EXPECT_EQ(transactionCount, 1);
    EXPECT_EQ(transactions[1].handling, -2);
    EXPECT_FLOAT_EQ(transactions[1].taxRate, 6.25f);
    EXPECT_EQ(descriptions[1], std::string("\x02Rent"));
    EXPECT_EQ(ledgerPath, folder.file("one.qvl"));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LedgerFile, OldVersionsAreConverted) {
    combinedTaxRate = 0.0625;
    for (char digit : {'1', '2'}) {
        Bytes b = textBytes(std::string("Quirvel Version ") + digit);
        add16(b, 2);
        add16(b, 1);
        add16(b, 1);
        addOldRecord(b, packDate("01-02-2003"), 3, 1, 1, 1000, 100, 200, 62);
        addOldRecord(b, packDate("01-03-2003"), 3, 1, 0, 500, 0, 0, -150);
        for (uint8_t c : textBytes("\x04\x03Pen\x03\x03" "Bo")) b.push_back(c);
        folder.write("old.qvl", b);
        resetLedgerTables();
        combinedTaxRate = 0.0625;
        ASSERT_TRUE(loadLedger(folder.file("old.qvl"))) << digit;
        ASSERT_EQ(transactionCount, 2);
        EXPECT_EQ(transactions[1].amount, 1000);
        EXPECT_EQ(transactions[1].handling, 100);
        EXPECT_EQ(transactions[1].shipping, 200);
        EXPECT_EQ(transactions[1].salesTax, 62);
        EXPECT_EQ(transactions[1].taxMode, modeTaxAdded);
        EXPECT_FLOAT_EQ(transactions[1].taxRate, 6.25f);
        EXPECT_EQ(transactions[1].descrIndex, 1);
        EXPECT_EQ(transactions[1].nameIndex, 1);
        EXPECT_EQ(transactions[2].salesTax, 150);
        EXPECT_EQ(transactions[2].taxMode, modeResale);
        EXPECT_EQ(descriptionText(1), "Pen");
        EXPECT_EQ(nameText(1), "Bo");
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LedgerFile, VersionZeroHasNoHeaderAndIsAnnounced) {
    Bytes b;
    add16(b, 1);
    add16(b, 0);
    add16(b, 0);
    addOldRecord(b, packDate("05-05-1999"), 3, 0, 0, 700, 0, 0, -150);
    folder.write("v0.qvl", b);
    ASSERT_TRUE(loadLedger(folder.file("v0.qvl")));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Previous version of data file will be loaded");
    EXPECT_EQ(prompts.messages[0].title, "Quirvel");
    EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconInformation);
    EXPECT_EQ(transactions[1].salesTax, 150);
    EXPECT_EQ(transactions[1].taxMode, modeResale);
}

TEST_F(LedgerFile, RefusedFilesChangeNothing) {
    // Something loaded before, with both flags set.
    appendListEntry(nameList, 1, "Keep");
    ledgerPath = "C:\\books\\kept.qvl";
    markLedgerChanged();
    settingsChanged = 1;

    Bytes counts;
    add16(counts, 0);
    add16(counts, 0);
    add16(counts, 0);
    Bytes wrongName = textBytes("Quirxel Version 3");
    wrongName.insert(wrongName.end(), counts.begin(), counts.end());
    Bytes version4 = textBytes("Quirvel Version 4");
    version4.insert(version4.end(), counts.begin(), counts.end());
    Bytes tooMany = textBytes("Quirvel Version 3");
    add16(tooMany, 5001);
    add16(tooMany, 0);
    add16(tooMany, 0);
    Bytes tooManyNames = textBytes("Quirvel Version 3");
    add16(tooManyNames, 0);
    add16(tooManyNames, 500);
    add16(tooManyNames, 1001);

    for (const Bytes& b : {wrongName, version4, tooMany, tooManyNames}) {
        folder.write("bad.qvl", b);
        prompts.messages.clear();
        EXPECT_FALSE(loadLedger(folder.file("bad.qvl")));
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, "Not a Quirvel file type");
        EXPECT_EQ(prompts.messages[0].title, "File Error");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconStop);
        EXPECT_EQ(nameCount, 1);
        EXPECT_EQ(ledgerPath, "C:\\books\\kept.qvl");
        EXPECT_EQ(ledgerChanged, 1);
        EXPECT_EQ(settingsChanged, 1);
    }
}

TEST_F(LedgerFile, TrailingBytesAreIgnored) {
    appendListEntry(descrList, 1, "A");
    Transaction t;
    t.type = 1;
    t.descrIndex = 1;
    t.amount = 5;
    placeTransaction(t);
    Bytes clean = encodeLedger(currentLedgerImage());
    Bytes trailing = clean;
    trailing.insert(trailing.end(), {1, 2, 3, 4, 5});
    DecodeResult a = decodeLedger(clean, 0), b = decodeLedger(trailing, 0);
    ASSERT_EQ(b.status, DecodeStatus::ok);
    EXPECT_EQ(encodeLedger(a.image), encodeLedger(b.image));
}

// A file cut short loads its whole records and entries only, and says how
// much is missing; the damaged reading can never be saved over the original.
TEST_F(LedgerFile, ShortFilesLoadWhatIsWholeAndSaySo) {
    Bytes b = textBytes("Quirvel Version 3");
    add16(b, 2);
    add16(b, 2);
    add16(b, 0);
    b.push_back(0x21);  // part of the first record only
    DecodeResult r = decodeLedger(b, 0);
    ASSERT_EQ(r.status, DecodeStatus::ok);
    EXPECT_TRUE(r.image.transactions.empty());
    EXPECT_TRUE(r.image.descriptions.empty());
    EXPECT_EQ(r.missingTransactions, 2);
    EXPECT_EQ(r.missingEntries, 2);

    // A one-byte file is an old ledger whose count is that byte.
    DecodeResult tiny = decodeLedger(Bytes{7}, 0);
    EXPECT_EQ(tiny.status, DecodeStatus::ok);
    EXPECT_FALSE(tiny.hadHeader);
    EXPECT_TRUE(tiny.image.transactions.empty());
    EXPECT_EQ(tiny.missingTransactions, 7);

    // Cut inside the names: the records, the descriptions and the first
    // names are whole.
    const LedgerImage whole = sampleImage();
    const Bytes full = encodeLedger(whole);
    ASSERT_GE(whole.names.size(), 2u);
    const size_t lastName = whole.names.back().size();
    Bytes cut(full.begin(), full.end() - static_cast<long>(lastName));  // its length byte stays
    folder.write("books.qvl", cut);
    ledgerPath = folder.file("earlier.qvl");
    ASSERT_TRUE(loadLedger(folder.file("books.qvl")));
    LedgerImage loaded = currentLedgerImage();
    EXPECT_EQ(loaded.transactions.size(), whole.transactions.size());
    EXPECT_EQ(loaded.descriptions, whole.descriptions);
    EXPECT_EQ(loaded.names, std::vector<std::string>(whole.names.begin(), whole.names.end() - 1));
    ASSERT_EQ(prompts.messageTexts(),
              std::vector<std::string>{"books.qvl is damaged: it ends before 1 list entry. What could be read has "
                                       "been loaded; save it under a new name to keep the original."});
    EXPECT_EQ(prompts.messages[0].title, "File Error");
    EXPECT_EQ(ledgerPath, "");
    EXPECT_EQ(ledgerChanged, 0);

    // The whole file loads exactly as before, without a word.
    prompts.messages.clear();
    folder.write("books.qvl", full);
    ASSERT_TRUE(loadLedger(folder.file("books.qvl")));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(ledgerPath, folder.file("books.qvl"));
    EXPECT_EQ(damagedLedgerText("C:\\x\\books.qvl", 2, 5),
              "books.qvl is damaged: it ends before 2 transactions and 5 list entries. What could be read has "
              "been loaded; save it under a new name to keep the original.");
}

TEST_F(LedgerFile, ReferencesPastTheListsAreClearedAndReported) {
    Bytes b = textBytes("Quirvel Version 3");
    add16(b, 2);
    add16(b, 1);
    add16(b, 0);
    for (uint16_t descr : {1, 2}) {
        add16(b, packDate("01-01-2006"));
        b.push_back(1);
        add16(b, descr);
        add16(b, 7);  // no names at all
        b.insert(b.end(), 23, 0);
    }
    b.insert(b.end(), {2, 1, 'X'});
    folder.write("refs.qvl", b);
    ASSERT_TRUE(loadLedger(folder.file("refs.qvl")));
    EXPECT_EQ(transactions[1].descrIndex, 1);
    EXPECT_EQ(transactions[2].descrIndex, 0);
    EXPECT_EQ(transactions[1].nameIndex, 0);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "File Error");
}

TEST_F(LedgerFile, SaveAsAsksWithTheSaveFileDialog) {
    prompts.chosenFiles.push_back("");  // cancel
    markLedgerChanged();
    EXPECT_FALSE(saveLedger());
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    const FileDialogRequest& r = prompts.fileRequests[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.caption, "Save File");
    EXPECT_EQ(r.folder, folder.path());
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[0], std::make_pair(std::string("Business"), std::string("*.qvl")));
    EXPECT_EQ(r.filters[1], std::make_pair(std::string("All Files"), std::string("*.*")));
    EXPECT_EQ(r.defaultExtension, "qvl");
    EXPECT_EQ(r.flags, 0x2ul | 0x4ul | 0x8ul);  // overwrite prompt, hide read-only, keep folder
    EXPECT_EQ(ledgerChanged, 1);
    EXPECT_EQ(ledgerPath, "");

    prompts.chosenFiles.push_back(folder.file("named.qvl"));
    EXPECT_TRUE(saveLedger());
    EXPECT_EQ(ledgerPath, folder.file("named.qvl"));
    EXPECT_EQ(folder.read("named.qvl").size(), 23u);
    EXPECT_EQ(ledgerChanged, 0);
}

TEST_F(LedgerFile, EveryFailedWriteKeepsTheOldFileAndTheFlag) {
    ledgerPath = folder.file("kept.qvl");
    ASSERT_TRUE(saveLedger());
    Bytes before = folder.read("kept.qvl");
    appendListEntry(descrList, 1, "new entry");
    setWriteFault(0, false);
    ASSERT_TRUE(saveLedger());
    int operations = writeOperationCount();
    ASSERT_GE(operations, 5);  // create, write, flush, close, move
    Bytes after = folder.read("kept.qvl");
    for (bool persistent : {false, true}) {
        for (int k = 1; k <= operations; ++k) {
            folder.write("kept.qvl", before);
            rememberLedgerFile();  // as if this program had written it
            markLedgerChanged();
            settingsChanged = 0;
            prompts.messages.clear();
            setWriteFault(k, persistent);
            EXPECT_FALSE(saveLedger()) << k;
            setWriteFault(0, false);
            EXPECT_EQ(folder.read("kept.qvl"), before) << k;
            EXPECT_EQ(ledgerChanged, 1) << k;
            EXPECT_EQ(settingsChanged, 0) << k;
            ASSERT_EQ(prompts.messages.size(), 1u) << k;
            EXPECT_NE(prompts.messages[0].text.find(ledgerPath), std::string::npos);
            EXPECT_EQ(descrCount, 1);
        }
    }
    EXPECT_NE(before, after);
}

TEST_F(LedgerFile, UnreadableFileIsReported) {
    EXPECT_FALSE(loadLedger(folder.file("missing.qvl")));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "File Error");
    EXPECT_EQ(ledgerPath, "");
}

// The remembered lines go beside the ledger at every save, with what
// identifies the ledger's bytes, and come back at the load; Save As takes
// them to the new name, and a new ledger has none.
TEST_F(LedgerFile, RememberedLinesLiveInASideFileBesideTheLedger) {
    ledgerPath = folder.file("books.qvl");
    ASSERT_TRUE(saveLedger());
    EXPECT_FALSE(fileExists(folder.file("books.qvl-import")));  // none to keep, none written

    std::vector<BankLine> lines = {someLine("7", "Acme", "ACME SUPPLIES 123"), someLine("", "Cafe", "CAFE")};
    addBankLines(lines);
    commitStep("Import 2 rows");
    ASSERT_TRUE(saveLedger());
    SideFile written;
    ASSERT_TRUE(decodeSideFile(folder.read("books.qvl-import"), written));
    EXPECT_TRUE(written.hasLedger);
    EXPECT_EQ(written.ledger, identityOf(folder.read("books.qvl")));
    EXPECT_TRUE(sameLines(written.data.lines, lines));
    EXPECT_EQ(folder.read("books.qvl").size(), 23u);  // the ledger file itself is as before

    resetLedgerTables();
    ASSERT_TRUE(loadLedger(folder.file("books.qvl")));
    EXPECT_TRUE(sameLines(ledger.beside.lines, lines));
    EXPECT_FALSE(ledger.sideFileDamaged);
    EXPECT_EQ(ledgerChanged, 0);

    prompts.chosenFiles.push_back(folder.file("copy.qvl"));
    ASSERT_TRUE(saveLedgerAs());
    SideFile copied;
    ASSERT_TRUE(decodeSideFile(folder.read("copy.qvl-import"), copied));
    EXPECT_TRUE(sameLines(copied.data.lines, lines));
    EXPECT_EQ(copied.ledger, identityOf(folder.read("copy.qvl")));

    installLedgerImage(LedgerImage{});  // File > New
    EXPECT_TRUE(ledger.beside.empty());
    ledgerPath = folder.file("copy.qvl");
    ASSERT_TRUE(saveLedger());  // a side file there already: emptied with the ledger
    ASSERT_TRUE(decodeSideFile(folder.read("copy.qvl-import"), copied));
    EXPECT_TRUE(copied.data.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

// A side file that cannot be read never keeps the ledger from opening; it
// is marked damaged, and the next save keeps it as the backup.
TEST_F(LedgerFile, DamagedSideFileLoadsTheLedgerWithoutLines) {
    installLedgerImage(sampleImage());
    ledgerPath = folder.file("books.qvl");
    ASSERT_TRUE(saveLedger());
    SideFile file;
    file.data.lines = {someLine("1", "Acme", "ACME")};
    Bytes cut = encodeSideFile(file);
    cut.resize(cut.size() - 4);
    folder.write("books.qvl-import", cut);

    resetLedgerTables();
    ASSERT_TRUE(loadLedger(folder.file("books.qvl")));
    EXPECT_EQ(transactionCount, 7);
    EXPECT_TRUE(ledger.beside.lines.empty());
    EXPECT_TRUE(ledger.sideFileDamaged);
    EXPECT_EQ(ledgerPath, folder.file("books.qvl"));
    EXPECT_TRUE(prompts.messages.empty());

    ASSERT_TRUE(saveLedger());
    EXPECT_FALSE(ledger.sideFileDamaged);
    EXPECT_EQ(folder.read("books.qvl-import.bak"), cut);
    ASSERT_TRUE(decodeSideFile(folder.read("books.qvl-import"), file));
    EXPECT_TRUE(file.data.empty());
}

// The ledger is written and counts as saved; the user is told, naming the
// side file, what a later import will make of the lines remembered there.
TEST_F(LedgerFile, FailedSideFileWriteLeavesTheSaveDone) {
    ledgerPath = folder.file("books.qvl");
    ASSERT_TRUE(saveLedger());
    setWriteFault(0, false);
    ASSERT_TRUE(saveLedger());
    int ledgerOperations = writeOperationCount();

    addBankLines({someLine("1", "Acme", "ACME")});
    commitStep("Import 1 rows");
    setWriteFault(ledgerOperations + 1, true);
    EXPECT_TRUE(saveLedger());
    setWriteFault(0, false);
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_FALSE(fileExists(folder.file("books.qvl-import")));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "File Error");
    EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconExclamation);
    const std::string& text = prompts.messages[0].text;
    EXPECT_EQ(text.find("The ledger was saved, but the record of imported statement lines beside it could not be "
                        "written to " +
                        folder.file("books.qvl-import") + ":\r\n"),
              0u);
    EXPECT_NE(text.find("counts as already imported only where the books or their archives hold a transaction of "
                        "its date and amount"),
              std::string::npos);
}

}  // namespace
