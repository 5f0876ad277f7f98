// The side file's format: records of several kinds, each versioned, every
// text escaped, a count at the end; the first version read and upgraded.
#include <gtest/gtest.h>

#include "ledger/side_file.h"
#include "text/date_text.h"

namespace {

BankLine line(const std::string& bankId, const std::string& payee) {
    BankLine l;
    l.scope = "CSV Date\tAmount";
    l.bankId = bankId;
    l.importedOn = packDate("04-01-2026");
    l.date = packDate("03-30-2026");
    l.amount = -1250;
    l.payee = payee;
    l.memo = "memo\\";
    l.occurrence = 2;
    l.name = "Name";
    l.tag = 3;
    return l;
}

bool same(const BankLine& a, const BankLine& b) {
    return a.status == b.status && a.scope == b.scope && a.bankId == b.bankId && a.importedOn == b.importedOn &&
           a.date == b.date && a.amount == b.amount && a.flipped == b.flipped && a.payee == b.payee &&
           a.memo == b.memo && a.occurrence == b.occurrence && a.name == b.name && a.tag == b.tag &&
           a.archivedTo == b.archivedTo && a.hint == b.hint && a.legacy == b.legacy;
}

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Every kind of record and every character the line format must carry
// survive the trip: no value can be read as structure, "end 060904" as a
// bank id least of all.
TEST(SideFile, RecordsSurviveTheTripWhateverTheirTexts) {
    SideFile file;
    file.hasLedger = true;
    file.ledger = identityOf(bytes("Quirvel Version 3"));
    BankLine a = line("end 060904", "Tab\tand\r\nbreak"), b = line("", "");
    b.status = BankLine::leftOut;
    b.flipped = b.hint = true;
    b.amount = INT64_MAX / 2;
    b.archivedTo = "C:\\books\\old.qvl";
    BankLine longer = line(std::string(300, 'x'), "p");
    file.data.lines = {a, b, longer};
    file.data.balances = {{"OFX 1/2", 100, -123456789012LL, 101}};
    file.data.archives = {{"C:\\old\tone.qvl", 200, 201}};
    file.data.otherRecords = {"schedule\t3\tmonthly\\tthing\t1"};  // written by a later version: kept
    Bytes encoded = encodeSideFile(file);
    std::string text(encoded.begin(), encoded.end());
    EXPECT_EQ(text.find("\r\nend "), text.rfind("\r\nend "));  // the end line is the only one that starts so

    SideFile back;
    ASSERT_TRUE(decodeSideFile(encoded, back));
    EXPECT_TRUE(back.hasLedger);
    EXPECT_EQ(back.ledger, file.ledger);
    ASSERT_EQ(back.data.lines.size(), 3u);
    EXPECT_TRUE(same(back.data.lines[0], a));
    EXPECT_TRUE(same(back.data.lines[1], b));
    longer.bankId.resize(maxSideText);  // kept by its start
    EXPECT_TRUE(same(back.data.lines[2], longer));
    ASSERT_EQ(back.data.balances.size(), 1u);
    EXPECT_EQ(back.data.balances[0].amount, -123456789012LL);
    ASSERT_EQ(back.data.archives.size(), 1u);
    EXPECT_EQ(back.data.archives[0].path, "C:\\old\tone.qvl");
    EXPECT_EQ(back.data.otherRecords, file.data.otherRecords);
    EXPECT_EQ(encodeSideFile(back), encoded);  // a second trip changes nothing

    ASSERT_TRUE(decodeSideFile(encodeSideFile(SideFile{}), back));
    EXPECT_TRUE(back.data.empty());
    EXPECT_FALSE(back.hasLedger);
}

// Anything but a whole side file reads as none; the first version's files
// are read as hints whose sign, account and memo are unknown.
TEST(SideFile, WhatIsNotWholeIsRefusedAndTheFirstVersionIsUpgraded) {
    SideFile file;
    file.data.lines = {line("1", "p")};
    Bytes encoded = encodeSideFile(file);
    std::string whole(encoded.begin(), encoded.end());
    std::string lastRecordEnd = whole.substr(0, whole.rfind("end "));
    const std::string head = "Quirvel side file 2\r\n";
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"empty", ""},
        {"cut in a line", whole.substr(0, whole.size() - 3)},
        {"cut at a line's end", lastRecordEnd},
        {"count too low", lastRecordEnd + "end 0\r\n"},
        {"bytes after the count", whole + "x"},
        {"another header", "Quirvel side file 3\r\nend 0\r\n"},
        {"unknown escape", head + "note\t1\ta\\x\r\nend 1\r\n"},
        {"kind not a word", head + "Note\t1\ta\r\nend 1\r\n"},
        {"version not a number", head + "note\tv1\ta\r\nend 1\r\n"},
        {"line field missing", head + "line\t1\timported\t-\ts\tb\t1\t1\t1\tp\tm\t1\tn\t0\r\nend 1\r\n"},
        {"line status unknown", head + "line\t1\tmaybe\t-\ts\tb\t1\t1\t1\tp\tm\t1\tn\t0\t\r\nend 1\r\n"},
        {"occurrence 0", head + "line\t1\timported\t-\ts\tb\t1\t1\t1\tp\tm\t0\tn\t0\t\r\nend 1\r\n"},
        {"date too large", head + "balance\t1\ts\t65536\t1\t1\r\nend 1\r\n"},
        {"two ledgers", head + "ledger\t1\t1\t0000000000000000\r\nledger\t1\t1\t0000000000000000\r\nend 2\r\n"},
        {"hash not hex", head + "ledger\t1\t1\t000000000000000g\r\nend 1\r\n"},
        {"first version cut", "Quirvel import ids 1\r\na\t1\t2\t-3\tn\tp\r\n"},
        {"first version, amount too large", "Quirvel import ids 1\r\na\t1\t1\t2147483648\tn\tp\r\nend 1\r\n"},
    };
    for (const auto& [what, text] : damaged) {
        SideFile back;
        back.data.lines = {line("left", "")};
        EXPECT_FALSE(decodeSideFile(bytes(text), back)) << what;
        EXPECT_TRUE(back.data.empty()) << what;
    }
    // A later version's record of a known kind is kept, not read.
    SideFile back;
    ASSERT_TRUE(decodeSideFile(bytes(head + "line\t2\tanything\r\nend 1\r\n"), back));
    EXPECT_TRUE(back.data.lines.empty());
    EXPECT_EQ(back.data.otherRecords.size(), 1u);

    // Written with Unix line ends by an editor: still whole.
    ASSERT_TRUE(decodeSideFile(bytes("Quirvel import ids 1\na/7\t1\t2\t-3\tn\tp\nend 1\n"), back));
    ASSERT_EQ(back.data.lines.size(), 1u);
    const BankLine& old = back.data.lines[0];
    EXPECT_EQ(old.bankId, "a/7");
    EXPECT_EQ(old.amount, 3);
    EXPECT_TRUE(old.hint && old.legacy);
    EXPECT_EQ(old.payee, "p");
}

// The facts for the tax form: a description's line (its text escaped
// whatever it holds, kept to its first 255 bytes), a year's rate per mile
// and its inventories (one of them not given), in records of their own.
TEST(SideFile, TaxFactsSurviveTheTripWhateverTheirTexts) {
    SideFile file;
    const std::string hostile = "Tab\tand\r\nbreak \\ end\\";
    file.data.tax.assignments = {{typeExpense, hostile, "office"},
                                 {typeService, std::string(255, 'x'), "leftOut"},
                                 {typeEarnings, std::string(300, 'y'), "otherIncome"},
                                 {typeExpense, "end 3", "otherExpenses"}};
    file.data.tax.rates = {{2023, 655}, {2107, 0}, {1980, 1000000}};
    YearInventory endOnly, both;
    endOnly.year = 2025;
    endOnly.hasEnd = true;
    endOnly.end = -150;
    both.year = 2024;
    both.hasStart = both.hasEnd = true;
    both.start = 9999999999999;
    both.end = -9999999999999;
    file.data.tax.inventories = {endOnly, both};
    Bytes encoded = encodeSideFile(file);
    std::string text(encoded.begin(), encoded.end());
    EXPECT_NE(text.find("\r\ntaxline\t1\t2\tTab\\tand\\r\\nbreak \\\\ end\\\\\toffice\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nmilerate\t1\t2023\t655\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\ninventory\t1\t2025\t-\t-150\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\r\nend "), text.rfind("\r\nend "));

    SideFile back;
    ASSERT_TRUE(decodeSideFile(encoded, back));
    TaxFacts expected = file.data.tax;
    expected.assignments[2].text.resize(maxSideText);  // kept by its start
    EXPECT_TRUE(back.data.tax == expected);
    EXPECT_EQ(back.data.tax.assignments[0].text, hostile);
    EXPECT_FALSE(back.data.tax.inventories[0].hasStart);
    EXPECT_TRUE(back.data.otherRecords.empty());
    EXPECT_EQ(encodeSideFile(back), encoded);
}

// A record of the tax facts that is not exactly right makes the whole file
// unreadable, as any other record does; a later version's is kept unread.
TEST(SideFile, MalformedTaxFactsAreRefused) {
    const std::string head = "Quirvel side file 2\r\n";
    auto one = [&](const std::string& record) { return head + record + "\r\nend 1\r\n"; };
    const std::vector<std::pair<const char*, std::string>> refused = {
        {"group 0", one("taxline\t1\t0\tRent\trentOther")},
        {"group 256", one("taxline\t1\t256\tRent\trentOther")},
        {"group not a number", one("taxline\t1\tx\tRent\trentOther")},
        {"no line", one("taxline\t1\t2\tRent\t")},
        {"line not a word", one("taxline\t1\t2\tRent\tline18")},
        {"line with a blank", one("taxline\t1\t2\tRent\tother rent")},
        {"line too long", one("taxline\t1\t2\tRent\t" + std::string(33, 'a'))},
        {"text badly escaped", one("taxline\t1\t2\tRe\\xnt\trentOther")},
        {"text too long", one("taxline\t1\t2\t" + std::string(256, 'r') + "\trentOther")},
        {"field missing", one("taxline\t1\t2\trentOther")},
        {"field too many", one("taxline\t1\t2\tRent\trentOther\t")},
        {"rate year too early", one("milerate\t1\t1979\t655")},
        {"rate year too late", one("milerate\t1\t2108\t655")},
        {"rate with a point", one("milerate\t1\t2023\t65.5")},
        {"rate negative", one("milerate\t1\t2023\t-1")},
        {"rate too high", one("milerate\t1\t2023\t1000001")},
        {"rate field missing", one("milerate\t1\t2023")},
        {"inventory year", one("inventory\t1\t0\t-\t-")},
        {"inventory empty", one("inventory\t1\t2025\t\t-")},
        {"inventory not a number", one("inventory\t1\t2025\t1.50\t-")},
        {"inventory two dashes", one("inventory\t1\t2025\t--\t-")},
        {"inventory too large", one("inventory\t1\t2025\t10000000000001\t-")},
        {"inventory field missing", one("inventory\t1\t2025\t-")},
    };
    for (const auto& [what, text] : refused) {
        SideFile back;
        back.data.tax.rates = {{2023, 1}};
        EXPECT_FALSE(decodeSideFile(bytes(text), back)) << what;
        EXPECT_TRUE(back.data.empty()) << what;
    }
    SideFile back;
    ASSERT_TRUE(decodeSideFile(bytes(one("taxline\t2\t2\tRent\trentOther\textra")), back));
    EXPECT_TRUE(back.data.tax.empty());
    EXPECT_EQ(back.data.otherRecords, std::vector<std::string>{"taxline\t2\t2\tRent\trentOther\textra"});
    ASSERT_TRUE(decodeSideFile(bytes(one("inventory\t1\t2025\t-\t-")), back));  // nothing given is read
    ASSERT_EQ(back.data.tax.inventories.size(), 1u);
    EXPECT_FALSE(back.data.tax.inventories[0].hasStart || back.data.tax.inventories[0].hasEnd);
}

TEST(SideFile, NamesAndIdentity) {
    EXPECT_EQ(sideFilePathFor("C:\\books\\a.qvl"), "C:\\books\\a.qvl-import");
    for (const char* name : {"C:\\x\\books.qvl-import", "books.QVL-Import", "b.qvl-import. "})
        EXPECT_TRUE(isSideFileName(name)) << name;
    for (const char* name : {"books.qvl", "books.qvl-import.bak", "qvl-import", "C:\\x.qvl-import\\y.qvl"})
        EXPECT_FALSE(isSideFileName(name)) << name;
    EXPECT_EQ(identityOf(bytes("abc")), identityOf(bytes("abc")));
    EXPECT_NE(identityOf(bytes("abc")), identityOf(bytes("abd")));
    EXPECT_NE(identityOf(bytes("")), identityOf(Bytes(1, 0)));
}

}  // namespace
