#include <gtest/gtest.h>

#include "ledger/side_file.h"
#include "ledger/changes.h"
#include "ledger/archive.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"
#include "text/date_text.h"

namespace {


Bytes textBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
void add16(Bytes& b, uint16_t v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8);
}
void add32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

class Archive : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
    }
    void TearDown() override {
        setWriteFault(0, false);
    }

    static void add(const char* date, uint16_t descr, uint16_t name, int32_t amount) {
        Transaction t;
        t.date = packDate(date);
        t.type = typeSold;
        t.descrIndex = descr;
        t.nameIndex = name;
        t.amount = amount;
        t.taxMode = modeTaxAdded;
        t.taxRate = 6.25f;
        t.salesTax = 125;
        placeTransaction(t);
    }
    // Descriptions D1..D4 and names N1..N3; 2004 and 2005 use D3, D1 and
    // N3 (and no name), 2006 uses D2 and N1.
    static void sampleLedger() {
        for (const char* d : {"D1", "D2", "D3", "D4"}) appendListEntry(descrList, 3, d);
        for (const char* n : {"N1", "N2", "N3"}) appendListEntry(nameList, 3, n);
        add("03-15-2004", 3, 0, 1000);
        add("12-31-2005", 1, 3, 2000);
        add("01-01-2006", 2, 1, 3000);
        markLedgerSaved();  // as loaded
    }
    Bytes header(uint16_t n, uint16_t d, uint16_t m) {
        Bytes b = textBytes("Quirvel Version 3");
        add16(b, n);
        add16(b, d);
        add16(b, m);
        return b;
    }
    void addRecord(Bytes& b, const char* date, uint16_t descr, uint16_t name, int32_t amount) {
        add16(b, packDate(date));
        b.push_back(typeSold);
        add16(b, descr);
        add16(b, name);
        add32(b, static_cast<uint32_t>(amount));
        add32(b, 0);
        add32(b, 0);
        b.push_back(modeTaxAdded);
        add32(b, 0x40C80000);  // 6.25f
        add32(b, 125);
        add16(b, 0);
    }
    void addEntry(Bytes& b, uint8_t group, const std::string& text) {
        b.push_back(static_cast<uint8_t>(text.size() + 1));
        b.push_back(group);
        b.insert(b.end(), text.begin(), text.end());
    }

    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(Archive, AnswersAreCompletedToTheLastDay) {
    EXPECT_EQ(completeArchiveDate("2005"), "12-31-2005");
    EXPECT_EQ(completeArchiveDate("06-2005"), "06-31-2005");
    EXPECT_EQ(completeArchiveDate("3-2005"), "3-231-005");
    EXPECT_EQ(completeArchiveDate("5-"), "5-31-");  // too short to cut
    EXPECT_EQ(completeArchiveDate("02-14-2005"), "02-14-2005");
    EXPECT_EQ(normalizeDateText(completeArchiveDate("3-2005")), "03-31-2005");

    // Day 31 of June sorts after every June date and before July 1st.
    add("06-30-2005", 0, 0, 1);
    add("07-01-2005", 0, 0, 2);
    EXPECT_EQ(archiveCount(packDate(normalizeDateText(completeArchiveDate("06-2005")))), 1);
    EXPECT_EQ(archiveCount(packDate("12-31-2004")), 0);
    EXPECT_EQ(archiveCount(packDate("12-31-2005")), 2);
    // Out of date order (a hand-made file): only the leading run can go.
    std::swap(transactions[1], transactions[2]);
    EXPECT_EQ(archiveCount(packDate("06-30-2005")), 0);
}

TEST_F(Archive, IllegalOrEmptyAnswersChangeNothing) {
    add("01-01-2005", 0, 0, 1);
    archiveUpTo("");
    EXPECT_TRUE(prompts.messages.empty());
    for (const char* answer : {"1975", "13-2005"}) {
        prompts.messages.clear();
        archiveUpTo(answer);
        ASSERT_EQ(prompts.messages.size(), 1u) << answer;
        EXPECT_EQ(prompts.messages[0].text, "Illegal date");
        EXPECT_EQ(prompts.messages[0].title, "");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconStop);
    }
    EXPECT_FALSE(archiveUpTo("2005"));  // file dialog cancelled
    EXPECT_TRUE(prompts.fileRequests.size() == 1u);
    EXPECT_EQ(transactionCount, 1);
}

TEST_F(Archive, MovesOldTransactionsWithTheEntriesTheyUse) {
    sampleLedger();
    ledgerPath = "/somewhere/books.qvl";
    prompts.chosenFiles = {folder.file("old.qvl")};
    EXPECT_EQ(archiveUpTo("2005"), 2);  // how many moved: the command renumbers what it shows

    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    const FileDialogRequest& r = prompts.fileRequests[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.caption, "Archive File");
    EXPECT_EQ(r.folder, "");
    EXPECT_EQ(r.filters, ledgerFileFilters());
    EXPECT_EQ(r.defaultExtension, "qvl");
    EXPECT_EQ(r.flags, 0xEul);

    // D1 and D3 become 1 and 2, N3 becomes 1; no name stays 0.
    Bytes expected = header(2, 2, 1);
    addRecord(expected, "03-15-2004", 2, 0, 1000);
    addRecord(expected, "12-31-2005", 1, 1, 2000);
    addEntry(expected, 3, "D1");
    addEntry(expected, 3, "D3");
    addEntry(expected, 3, "N3");
    EXPECT_EQ(folder.read("old.qvl"), expected);

    ASSERT_EQ(transactionCount, 1);
    EXPECT_EQ(transactions[1].amount, 3000);
    EXPECT_EQ(descriptionText(transactions[1].descrIndex), "D2");
    EXPECT_EQ(nameText(transactions[1].nameIndex), "N1");
    EXPECT_EQ(descrCount, 4);
    EXPECT_EQ(nameCount, 3);
    EXPECT_EQ(ledgerChanged, 1);  // to be saved, or the archived ones come back
    EXPECT_EQ(ledgerPath, "/somewhere/books.qvl");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "2 transactions moved to " + folder.file("old.qvl") + ".");
    EXPECT_EQ(prompts.messages[0].title, "Archive");
    EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconInformation);
}

TEST_F(Archive, NothingOrEverythingArchived) {
    sampleLedger();
    prompts.chosenFiles = {folder.file("none.qvl"), folder.file("all.qvl")};
    archiveUpTo("2003");
    EXPECT_EQ(folder.read("none.qvl"), header(0, 0, 0));
    EXPECT_EQ(transactionCount, 3);
    EXPECT_EQ(ledgerChanged, 0);  // nothing left the ledger
    EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{"0 transactions moved to " + folder.file("none.qvl") + "."});

    archiveUpTo("12-31-2107");
    EXPECT_EQ(folder.read("all.qvl").size(), 23u + 3 * 30 + 3 * 4 + 2 * 4);
    EXPECT_EQ(transactionCount, 0);
    EXPECT_EQ(descrCount, 4);
    EXPECT_EQ(nameCount, 3);
    EXPECT_EQ(ledgerChanged, 1);
    EXPECT_EQ(prompts.messages.back().text, "3 transactions moved to " + folder.file("all.qvl") + ".");
}

TEST_F(Archive, FailedWriteKeepsTheTransactions) {
    sampleLedger();
    std::string path = folder.file("old.qvl");
    prompts.chosenFiles = {path};
    setWriteFault(2, true);
    EXPECT_FALSE(archiveUpTo("2005"));
    setWriteFault(0, false);
    EXPECT_EQ(transactionCount, 3);
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_FALSE(fileExists(path));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find(path), std::string::npos);
    EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconStop);
}

// The archive's side file holds the lines of its own rows only, with what
// identifies the archive; the working ledger keeps every line, those of
// archived rows noted with the archive, and remembers the archive itself.
TEST_F(Archive, ArchiveTakesTheLinesOfItsRowsAndTheLedgerKeepsAll) {
    sampleLedger();
    auto line = [](const char* bankId, uint32_t position) {
        BankLine l;
        l.bankId = bankId;
        l.tag = transactionTags[position];
        return l;
    };
    BankLine leftOut = line("left", 1);
    leftOut.tag = 0;
    leftOut.status = BankLine::leftOut;
    std::vector<BankLine> lines = {line("a/1", 1), line("a/2", 2), line("a/3", 3), leftOut};
    addBankLines(lines);
    markLedgerSaved();
    uint32_t laterTag = transactionTags[3];
    std::string path = folder.file("old.qvl");
    folder.write("old.qvl-import", textBytes("left from an earlier archive"));
    prompts.chosenFiles = {path};
    ASSERT_TRUE(archiveUpTo("2005"));
    SideFile archived;
    ASSERT_TRUE(decodeSideFile(folder.read("old.qvl-import"), archived));
    EXPECT_EQ(archived.ledger, identityOf(folder.read("old.qvl")));
    ASSERT_EQ(archived.data.lines.size(), 2u);
    EXPECT_EQ(archived.data.lines[0].bankId, "a/1");
    EXPECT_EQ(archived.data.lines[0].tag, 1u);  // the position in the archive
    EXPECT_EQ(archived.data.lines[1].tag, 2u);
    const auto& kept = ledger.beside.lines;
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[0].archivedTo, path);
    EXPECT_EQ(kept[0].tag, 0u);
    EXPECT_EQ(kept[1].archivedTo, path);
    EXPECT_EQ(kept[2].archivedTo, "");
    EXPECT_EQ(kept[2].tag, laterTag);  // still linked where it moved
    EXPECT_EQ(transactionTags[1], laterTag);
    ASSERT_EQ(ledger.beside.archives.size(), 1u);
    EXPECT_EQ(ledger.beside.archives[0].path, path);
    EXPECT_EQ(ledger.beside.archives[0].cutoff, packDate("12-31-2005"));

    // Without lines of its rows, an archive gets no side file.
    prompts.chosenFiles = {folder.file("none.qvl")};
    ASSERT_EQ(archiveUpTo("2003"), 0);  // none moved, an empty archive written
    ASSERT_TRUE(fileExists(folder.file("none.qvl")));
    EXPECT_FALSE(fileExists(folder.file("none.qvl-import")));
}

}  // namespace
