// The list's own export, imported: every transaction comes back as it was,
// and the books it came from are known to hold it.
#include <gtest/gtest.h>

#include <cstring>

#include "import/csv_reader.h"
#include "import/own_export.h"
#include "import/proposals.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/tax_arithmetic.h"
#include "reports/csv_export.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"

namespace {

const uint16_t importDay = packDate("04-01-2026");
const std::string bom = "\xEF\xBB\xBF";
const std::string heading =
    "Date,Type,Description,Name,Amount,Handling,Shipping,Tax,Total,Tax mode,Unit,Tax rate,Apostrophe added\r\n";
const std::string oldHeading = "Date,Type,Description,Name,Amount,Handling,Shipping,Tax,Total,Tax mode,Unit\r\n";

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Statement statementOf(const std::string& csv) { return ownExportStatement(readCsvTable(bytesOf(csv))); }

std::vector<ImportRow> rowsOf(const Statement& s) {
    return buildImportRows(s, DateOrder::yearMonthDay, true, false);
}

// One transaction as typed, its texts and rate with it.
struct Booked {
    const char* date;
    uint8_t type;
    std::string description, name;
    int32_t amount;
    uint8_t mode = modeNoTax;
    int32_t tax = 0, handling = 0, shipping = 0;
    float rate = 0;
};

LedgerImage imageOf(const std::vector<Booked>& booked) {
    LedgerImage image;
    auto entryOf = [](std::vector<std::string>& list, uint8_t group, const std::string& text) -> uint16_t {
        if (text.empty()) return 0;
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i] == entry(group, text)) return static_cast<uint16_t>(i + 1);
        list.push_back(entry(group, text));
        return static_cast<uint16_t>(list.size());
    };
    for (const Booked& b : booked) {
        uint8_t group = listGroupOf(b.type);
        Transaction t = makeTransaction(b.date, b.type, entryOf(image.descriptions, group, b.description),
                                        entryOf(image.names, group, b.name), b.amount, b.mode, b.tax, b.handling,
                                        b.shipping);
        t.taxRate = b.rate;
        image.transactions.push_back(t);
    }
    return image;
}

// A year of books: every type, every tax option of every product kind
// with handling and shipping, money both ways, texts a spreadsheet would
// run or that begin with an apostrophe of their own, and two identical
// coffees.
std::vector<Booked> aYear() {
    const std::string tail = " Cr\xE8me br\xFBl\xE9" "e";
    const std::string longest = std::string(254 - tail.size(), 'x') + tail;  // as long as a list text can be
    return {
        {"01-02-2026", typeService, "Consulting", "Acme Corp", 50000},
        {"01-05-2026", typeService, "=SUM(A1:A9)", "=cmd|' /C calc'!A0", -1250},
        {"01-09-2026", typeExpense, "Office rent", "Landlord", 80000},
        {"01-12-2026", typeExpense, "Mileage", "Shop van", 2340},
        {"01-15-2026", typeExpense, "+1 555 0100 call", "-Dash Ltd", 1999},
        {"01-19-2026", typeExpense, "'quoted already", "@home office", 500},
        {"01-22-2026", typeExpense, "'=not a formula", "'Quoted Name", 750},
        {"01-26-2026", typeExpense, "Bolt, Nut & Co \"12\" wheel", "Caf\xE9 cr\xE8me \x80 \x93ok\x94", 1234},
        {"02-02-2026", typeExpense, "line one\nline two", "\tTabbed", 100},
        {"02-05-2026", typeExpense, longest, "Z\xF6" "e's \x8A" "op", 4200},
        {"03-02-2026", typeSold, "Widgets", "Bolt & Co", 1999, modeTaxAdded, 125, 100, 200, 6.25f},
        {"03-05-2026", typeSold, "Widgets", "Bolt & Co", 10625, modeTaxIncluded, 625, 50, 0, 6.25f},
        {"03-09-2026", typeSold, "Gadgets", "Rider Co", 5000, modeTaxSpecified, 333, 0, 450, 7.125f},
        {"03-12-2026", typeSold, "Gadgets", "Rider Co", 2000, modeResale, 0, 100, 100, 8.875f},
        {"04-02-2026", typeBought, "Parts", "Acme Supplies", -1000, modeTaxAdded, -63, 0, 0, 6.3f},
        {"04-06-2026", typeBought, "Parts", "Acme Supplies", 4321, modeTaxIncluded, 17, 25, 75, 0.1f},
        {"04-09-2026", typeBought, "Tools", "Acme Supplies", 700, modeTaxSpecified, 1, 300, 1, 12345.678f},
        {"04-13-2026", typeBought, "Tools", "=Acme", 900, modeResale, 0, 0, 250, 0},
        {"05-04-2026", typePersonal, "Widgets", "Bolt & Co", 500, modeTaxAdded, 31, 10, 20, 6.25f},
        {"05-07-2026", typePersonal, "Widgets", "", 800, modeTaxIncluded, 47, 0, 0, 6.25f},
        {"05-11-2026", typePersonal, "Gadgets", "Rider Co", 300, modeTaxSpecified, 9, 0, 0, 1e-7f},
        {"05-14-2026", typePersonal, "", "Rider Co", 300, modeResale, 0, 5, 5, 5.5f},
        {"06-30-2026", typeEarnings, "Interest", "First Bank", 2500},
        {"07-31-2026", typeEarnings, "Interest", "First Bank", -500},
        // A record of the first ledger version: every type had a tax option.
        {"11-20-2026", typeService, "Old service", "Old client", 3000, modeTaxAdded, 0, 0, 0, 7.25f},
        {"12-30-2026", typeExpense, "Coffee", "Cafe Roma", 450},
        {"12-30-2026", typeExpense, "Coffee", "Cafe Roma", 450},
    };
}

std::vector<int> allTransactions() {
    std::vector<int> all;
    for (int i = 1; i <= transactionCount; ++i) all.push_back(i);
    return all;
}

class OwnExport : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        dataFolder = folder.path();
    }
    void TearDown() override { resetLedgerTables(); }
    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(OwnExport, EveryTransactionComesBackAsItWasAndOnlyOnce) {
    installLedgerImage(imageOf(aYear()));
    const int count = transactionCount;
    std::vector<Transaction> before(transactions.begin() + 1, transactions.begin() + 1 + count);
    std::vector<std::string> descrBefore, nameBefore;
    for (const Transaction& t : before) {
        descrBefore.push_back(descriptionText(t.descrIndex));
        nameBefore.push_back(nameText(t.nameIndex));
    }
    const std::string csv = transactionsCsv(allTransactions());
    resetLedgerTables();
    combinedTaxRate = 0.0825;  // not used: every rate is in the file

    CsvTable table = readCsvTable(bytesOf(csv));
    ASSERT_TRUE(isOwnExport(table)) << "the headings must match the export's";
    Statement s = ownExportStatement(table);
    ASSERT_EQ(s.error, "");
    for (const UnreadableLine& u : s.unreadable) ADD_FAILURE() << "line " << u.line << ": " << u.reason;
    ASSERT_EQ(s.lines.size(), static_cast<size_t>(count));
    EXPECT_EQ(s.dateOrders, orderBit(DateOrder::yearMonthDay));
    EXPECT_EQ(s.scope, "CSV " + heading.substr(0, heading.size() - 2));

    std::vector<ImportRow> rows = rowsOf(s);
    for (const ImportRow& r : rows) {
        EXPECT_EQ(r.problem, "") << r.line.line;
        EXPECT_TRUE(r.checked) << r.line.line;
        EXPECT_EQ(r.proposal.reason, "as exported");
        EXPECT_EQ(storedAsText(r), "");
    }
    EXPECT_EQ(rowAmountText(rows[3]), "23.40 miles");
    EXPECT_EQ(rowAmountText(rows[2]), "-800.00");   // an expense: money out
    EXPECT_EQ(rowAmountText(rows[1]), "-12.50");    // a service refunded
    EXPECT_EQ(rowAmountText(rows[10]), "24.24");    // sold, tax added, with handling and shipping
    EXPECT_EQ(rowAmountText(rows[11]), "106.75");   // the tax already in the amount
    EXPECT_EQ(rowAmountText(rows[18]), "-5.61");    // taken for personal use: as the books count it
    ASSERT_EQ(importCheckedRows(rows, importDay), 1);
    commitStep("Import");

    ASSERT_EQ(transactionCount, count);
    for (int i = 0; i < count; ++i) {
        const Transaction &was = before[i], &is = transactions[i + 1];
        SCOPED_TRACE("transaction " + std::to_string(i + 1) + " " + descrBefore[i].substr(0, 20));
        EXPECT_EQ(is.date, was.date);
        EXPECT_EQ(is.type, was.type);
        EXPECT_EQ(descriptionText(is.descrIndex), descrBefore[i]);
        EXPECT_EQ(nameText(is.nameIndex), nameBefore[i]);
        EXPECT_EQ(is.amount, was.amount);
        EXPECT_EQ(is.handling, was.handling);
        EXPECT_EQ(is.shipping, was.shipping);
        EXPECT_EQ(is.taxMode, was.taxMode);
        EXPECT_EQ(std::memcmp(&is.taxRate, &was.taxRate, sizeof(float)), 0) << is.taxRate << " " << was.taxRate;
        EXPECT_EQ(is.salesTax, was.salesTax);
        EXPECT_EQ(isMileage(is), isMileage(was));
    }

    // The same file again: every row is known as the line it was.
    rows = rowsOf(ownExportStatement(readCsvTable(bytesOf(csv))));
    for (const ImportRow& r : rows) {
        EXPECT_EQ(r.duplicate, "imported on 04-01-2026") << r.line.line;
        EXPECT_FALSE(r.checked);
    }
}

// The books an export was written from hold every one of its rows, typed
// by hand: counted by date, name and money (miles for mileage), so that
// only rows the books lack are offered.
TEST_F(OwnExport, TheBooksItWasWrittenFromHoldEveryRow) {
    std::vector<Booked> year = aYear();
    installLedgerImage(imageOf(year));
    const std::string csv = transactionsCsv(allTransactions());
    std::vector<ImportRow> rows = rowsOf(statementOf(csv));
    ASSERT_EQ(rows.size(), year.size());
    for (size_t i = 0; i + 2 < rows.size(); ++i) {
        EXPECT_EQ(rows[i].duplicate, "1 of 1 already in the books") << i;
        EXPECT_FALSE(rows[i].checked);
    }
    EXPECT_EQ(rows[rows.size() - 2].duplicate, "1 of 2 already in the books");
    EXPECT_EQ(rows.back().duplicate, "2 of 2 already in the books");

    // Books whose trip was 30 miles and whose rent was another amount do
    // not hold those two rows.
    year[3].amount = 3000;
    year[2].amount = 80001;
    resetLedgerTables();
    installLedgerImage(imageOf(year));
    rows = rowsOf(statementOf(csv));
    EXPECT_EQ(rows[3].duplicate, "");
    EXPECT_TRUE(rows[3].checked);
    EXPECT_EQ(rows[2].duplicate, "");
    EXPECT_EQ(rows[4].duplicate, "1 of 1 already in the books");
}

// An export written before the rate and apostrophe columns: the apostrophe
// goes only where the spreadsheet rule put one, products get the combined
// rate.
TEST_F(OwnExport, AnOlderExportIsReadByWhatItHas) {
    combinedTaxRate = 0.0725;
    const std::string csv = bom + " date ,TYPE,Description,Name,Amount,Handling,Shipping,Tax,Total,Tax Mode,unit\r\n" +
                            "2026-02-14,Sold,Widgets,Bolt & Co,19.99,1.00,2.00,1.25,24.24,Tax to be added,\r\n"
                            "2026-02-01,Expense,Mileage,,123.40,,,,123.40,,miles\r\n"
                            "2026-01-05,Service,'=1+2,'-Dash,500.00,,,,500.00,,\r\n"
                            "2026-01-06,Service,'quoted,'@x,5.00,,,,5.00,,\r\n"
                            "2026-01-07,Bought,\"'\tTab, and comma\",Caf\xC3\xA9,10.00,0.00,0.00,0.59,10.00,"
                            "Tax already included,\r\n";
    CsvTable table = readCsvTable(bytesOf(csv));
    ASSERT_TRUE(isOwnExport(table));
    Statement s = ownExportStatement(table);
    ASSERT_TRUE(s.unreadable.empty()) << s.unreadable[0].reason;
    ASSERT_EQ(s.lines.size(), 5u);
    struct Expected {
        uint8_t type;
        std::string description, name;
        int32_t amount, handling, shipping, tax;
        uint8_t mode;
        float rate;
        int64_t money;
    };
    const std::vector<Expected> expected = {
        {typeSold, "Widgets", "Bolt & Co", 1999, 100, 200, 125, modeTaxAdded, 7.25f, 2424},
        {typeExpense, "Mileage", "", 12340, 0, 0, 0, modeNoTax, 0, 0},
        {typeService, "=1+2", "-Dash", 50000, 0, 0, 0, modeNoTax, 0, 50000},
        {typeService, "'quoted", "@x", 500, 0, 0, 0, modeNoTax, 0, 500},
        {typeBought, "\tTab, and comma", "Caf\xE9", 1000, 0, 0, 59, modeTaxIncluded, 7.25f, -1000},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        const ExportedEntry& e = s.lines[i].entry;
        const Expected& x = expected[i];
        SCOPED_TRACE(i);
        EXPECT_TRUE(s.lines[i].exported);
        EXPECT_EQ(e.type, x.type);
        EXPECT_EQ(e.description, x.description);
        EXPECT_EQ(e.name, x.name);
        EXPECT_EQ(e.amount, x.amount);
        EXPECT_EQ(e.handling, x.handling);
        EXPECT_EQ(e.shipping, x.shipping);
        EXPECT_EQ(e.salesTax, x.tax);
        EXPECT_EQ(e.taxMode, x.mode);
        EXPECT_FLOAT_EQ(e.taxRate, x.rate);
        EXPECT_EQ(s.lines[i].amount, x.money);
    }
}

// A row that does not read as the export writes it says why, and the rows
// around it are read.
TEST_F(OwnExport, RowsThatDoNotReadSayWhy) {
    struct Case {
        std::string row, reason;
    };
    const std::vector<Case> cases = {
        {"2026-03-14,Service,A,B,1.00,,,,1.00,,,,", ""},
        {"2026-02-30,Service,A,B,1.00,,,,1.00,,,,", "the date \"2026-02-30\" is not a date written year-month-day"},
        {"03/14/2026,Service,A,B,1.00,,,,1.00,,,,", "the date \"03/14/2026\" is not a date written year-month-day"},
        {",Service,A,B,1.00,,,,1.00,,,,", "the date is missing"},
        {"2026-03-14,Refund,A,B,1.00,,,,1.00,,,,",
         "the type \"Refund\" is none of Service, Expense, Sold, Bought, Personal and Earnings"},
        {"2026-03-14, earnings ,A,B,1.00,,,,1.00,,,,", ""},
        {"2026-03-14,,A,B,1.00,,,,1.00,,,,", "the type is missing"},
        {"2026-03-14,Service,A,B,1.0x,,,,1.00,,,,", "the amount \"1.0x\" is not a number"},
        {"2026-03-14,Service,A,B,,,,,1.00,,,,", "the amount is missing"},
        {"2026-03-14,Service,A,B,12.349,,,,12.35,,,,",
         "the amount 12.349 has more digits than cents: a record keeps whole cents"},
        {"2026-03-14,Service,A,B,21474836.48,,,,21474836.48,,,,",
         "the amount 21474836.48 is beyond what a record can hold"},
        {"2026-03-14,Service,A,B,-21474836.48,,,,-21474836.48,,,,", ""},
        {"2026-03-14,Sold,A,B,1.00,x,0.00,0.00,1.00,Resale - no tax,,0,", "the handling \"x\" is not a number"},
        {"2026-03-14,Sold,A,B,1.00,0.00,0.00,0.00,1.00,,,0,", "the tax mode is missing: a Sold transaction always has one"},
        {"2026-03-14,Personal,A,B,1.00,0.00,0.00,0.00,1.00,Tax maybe,,0,",
         "the tax mode \"Tax maybe\" is none of Tax to be added, Tax already included, Specify tax and Resale - no tax"},
        {"2026-03-14,Bought,A,B,10.00,1.00,1.00,0.50,12.00,Tax to be added,,5,",
         "the total 12.00 does not follow from the amount, handling, shipping and tax, which make 12.50"},
        {"2026-03-14,Bought,A,B,10.00,1.00,1.00,0.50,12.00,tax already included,,5,", ""},
        {"2026-03-14,Service,A,B,1.00,,,,,,,,", "the total is missing"},
        {"2026-03-14,Sold,A,B,1.00,0.00,0.00,0.00,1.00,Specify tax,,six,", "the tax rate \"six\" is not a number"},
        {"2026-03-14,Sold,A,B,1.00,0.00,0.00,0.00,1.00,Specify tax,,1e99,", "the tax rate \"1e99\" is not a number"},
        {"2026-03-14,Expense,Mileage,B,1.00,,,,1.00,,km,,", "the unit \"km\" is not miles"},
        {"2026-03-14,Service,A,B,1.00,,,,1.00,,miles,,", "the unit is miles, but only a mileage expense is in miles"},
        {"2026-03-14,Expense,mileage,B,1.00,,,,1.00,,,,", "a mileage expense is in miles, but the unit is not"},
        {"2026-03-14,Service,'A,B,1.00,,,,1.00,,,,Memo",
         "\"Apostrophe added\" holds \"Memo\": only Description and Name can stand there"},
        {"2026-03-14,Service,A", "the line has 3 fields, the header 13"},
        {"2026-03-14,Service,A," + std::string(254, 'n') + ",1.00,,,,1.00,,,,", ""},
        {"2026-03-14,Service,A," + std::string(255, 'n') + ",1.00,,,,1.00,,,,",
         "the name is too long: at most 254 characters"},
        {"2026-03-14,Service," + std::string(300, 'd') + ",B,1.00,,,,1.00,,,,",
         "the description is too long: at most 254 characters"},
        {"2026-03-14,Service,Caf\xC3\xA9 \xE2\x86\x92 Bar,B,1.00,,,,1.00,,,,",
         "the description may hold a character that Windows-1252 lacks (read as ?)"},
    };
    for (const Case& c : cases) {
        // Each between two rows that read, to show it spoils only itself.
        std::string csv = bom + heading + "2026-01-01,Service,X,Y,2.00,,,,2.00,,,,\r\n" + c.row +
                          "\r\n2026-12-31,Expense,Mileage,Van,3.00,,,,3.00,,miles,,\r\n";
        Statement s = statementOf(csv);
        SCOPED_TRACE(c.row);
        if (c.reason.empty()) {
            EXPECT_EQ(s.lines.size(), 3u);
            EXPECT_TRUE(s.unreadable.empty()) << s.unreadable[0].reason;
            continue;
        }
        ASSERT_EQ(s.unreadable.size(), 1u);
        EXPECT_EQ(s.unreadable[0].line, 3);
        EXPECT_EQ(s.unreadable[0].reason, c.reason);
        ASSERT_EQ(s.lines.size(), 2u);
        EXPECT_EQ(s.lines[1].entry.amount, 300);
    }
}

TEST_F(OwnExport, KnownByItsHeadingsAlone) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {heading, true},
        {oldHeading, true},
        {"DATE , type,description,NAME,Amount,Handling,Shipping,Tax,Total,Tax mode,Unit,Later column\r\n", true},
        {"Date,Type,Description,Name,Amount,Handling,Shipping,Tax,Total,Tax mode\r\n", false},
        {"Date,Description,Type,Name,Amount,Handling,Shipping,Tax,Total,Tax mode,Unit\r\n", false},
        {"Date,Description,Amount,Balance\r\n", false},
    };
    for (const auto& [head, own] : cases) {
        CsvTable table = readCsvTable(bytesOf(head + "2026-03-14,Service,A,B,1.00,,,,1.00,,\r\n"));
        EXPECT_EQ(isOwnExport(table), own) << head;
    }
}

// In the preview an exported row stays what it was until its type or tax
// option is changed; from then on it is a bank line of its money.
TEST_F(OwnExport, AnExactRowChangedInThePreview) {
    const std::string csv = bom + heading +
                            "2026-03-02,Expense,Mileage,Van,23.40,,,,23.40,,miles,,\r\n"
                            "2026-03-03,Sold,Gadgets,Rider Co,50.00,0.00,4.50,3.33,57.83,Specify tax,,7.125,\r\n"
                            "2026-03-04,Personal,Widgets,Bolt & Co,5.00,0.10,0.20,0.31,5.61,Tax to be added,,6.25,\r\n"
                            "2026-03-05,Expense,Fuel,Van,40.00,,,,40.00,,,,\r\n"
                            "2026-03-06,Service,,,40.00,,,,40.00,,,,\r\n";
    std::vector<ImportRow> rows = rowsOf(statementOf(csv));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].line.amount, 0);
    EXPECT_EQ(rows[4].problem, "No description or name entered");

    // Another description would change what the amount is.
    rows[0].proposal.description = "Fuel";
    rows[3].proposal.description = "mileage";
    recheckImportRows(rows);
    EXPECT_EQ(rows[0].problem, "the row records miles: keep its description Mileage");
    EXPECT_EQ(rows[3].problem, "a mileage expense records miles, not money: choose another description");
    rows[0].proposal.description = "Mileage";
    rows[3].proposal.description = "Fuel";
    recheckImportRows(rows);
    EXPECT_EQ(rows[0].problem, "");
    EXPECT_EQ(rows[3].problem, "");

    // Another type: a bank line, and a trip moves no money.
    setRowType(rows[0], typeService);
    recheckImportRows(rows);
    EXPECT_EQ(rowAmountText(rows[0]), "0.00");
    EXPECT_EQ(rows[0].problem, "No amount specified");
    setRowType(rows[0], typeExpense);
    recheckImportRows(rows);
    EXPECT_EQ(rows[0].problem, "a mileage expense records miles, not money: choose another description");

    // Sold to Bought: the money, and the tax specified in it, stay; the
    // handling and shipping are no longer told apart.
    setRowType(rows[1], typeBought);
    Transaction bought = rowTransaction(rows[1]);
    EXPECT_EQ(bought.taxMode, modeTaxSpecified);
    EXPECT_EQ(transactionTotal(bought), -5783);
    EXPECT_EQ(bought.salesTax, 333);
    EXPECT_EQ(bought.shipping, 0);
    setRowType(rows[1], typeEarnings);
    EXPECT_EQ(rowTransaction(rows[1]).amount, 5783);
    EXPECT_EQ(rowTransaction(rows[1]).taxMode, modeNoTax);

    // Personal stays importable while exact; another tax option makes it a
    // bank line, the same option again the row it was.
    EXPECT_EQ(rows[2].problem, "");
    rows[2].proposal.taxMode = modeTaxIncluded;
    Transaction included = rowTransaction(rows[2]);
    EXPECT_EQ(included.amount, 561);
    EXPECT_EQ(included.handling, 0);
    rows[2].proposal.taxMode = modeTaxAdded;
    Transaction exact = rowTransaction(rows[2]);
    EXPECT_EQ(exact.amount, 500);
    EXPECT_EQ(exact.handling, 10);
    EXPECT_EQ(exact.shipping, 20);
    EXPECT_EQ(exact.salesTax, 31);
    EXPECT_FLOAT_EQ(exact.taxRate, 6.25f);
}

}  // namespace
