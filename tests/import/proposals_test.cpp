#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "import/csv_reader.h"
#include "import/ofx_reader.h"
#include "import/proposals.h"
#include "import/qif_reader.h"
#include "import/statement_memory.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/tax_arithmetic.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"

namespace {

const uint16_t importDay = packDate("04-01-2026");

// "MM-DD-YYYY" as a statement writes it.
StatementLine line(const std::string& date, int64_t amount, const std::string& payee, const std::string& memo = "",
                   const std::string& bankId = "") {
    StatementLine l;
    l.date.first = std::stoi(date.substr(0, 2));
    l.date.second = std::stoi(date.substr(3, 2));
    l.date.year = std::stoi(date.substr(6));
    l.amount = amount;
    l.payee = payee;
    l.memo = memo;
    l.bankId = bankId;
    return l;
}

// A line with what the bank says it is, and its account in a file of several.
StatementLine said(StatementLine l, const std::string& bankType, const std::string& account = "") {
    l.bankType = bankType;
    l.account = account;
    return l;
}

Statement statementOf(const std::vector<StatementLine>& lines) {
    Statement s;
    s.lines = lines;
    return s;
}

std::vector<ImportRow> rowsOf(const std::vector<StatementLine>& lines) {
    return buildImportRows(statementOf(lines), DateOrder::monthDayYear, true, false);
}

int checkedCount(const std::vector<ImportRow>& rows) {
    int n = 0;
    for (const ImportRow& r : rows) n += r.checked;
    return n;
}

// Imports what is checked as the command does: one step.
int importRows(const std::vector<ImportRow>& rows) {
    int first = importCheckedRows(rows, importDay);
    commitStep("Import " + std::to_string(checkedCount(rows)) + " rows");
    return first;
}

class Proposals : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        dataFolder = folder.path();
    }
    void TearDown() override {
        setWriteFault(0, false);
        resetLedgerTables();
    }
    // Bought from Acme twice (the later at 6.25% tax added), coffee at Cafe
    // Roma, a mileage trip for Shell after a fuel expense there.
    static void someBooks() {
        LedgerImage image;
        image.descriptions = {entry(3, "Parts"), entry(3, "Tools"), entry(2, "Coffee"), entry(2, "Mileage"),
                              entry(2, "Fuel")};
        image.names = {entry(3, "Acme Supplies"), entry(2, "Cafe Roma"), entry(2, "Shell")};
        image.transactions = {makeTransaction("01-10-2026", typeBought, 2, 1, 500, modeTaxIncluded, 29),
                              makeTransaction("02-03-2026", typeExpense, 5, 3, 4000),
                              makeTransaction("02-20-2026", typeBought, 1, 1, 10000, modeTaxAdded, 625),
                              makeTransaction("02-21-2026", typeExpense, 3, 2, 450),
                              makeTransaction("02-25-2026", typeExpense, 4, 3, 3300)};
        image.transactions[2].taxRate = 6.25f;
        installLedgerImage(image);
    }
    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(Proposals, FollowTheLatestTransactionOfASeenPayeeOrSayWhichWayTheMoneyWent) {
    someBooks();
    BankLine earlier;
    earlier.payee = "SQ *CAFE ROMA 88";
    earlier.name = "Cafe Roma";
    ledger.beside.lines = {earlier};
    struct Case {
        StatementLine line;
        uint8_t type;
        std::string description, name, reason;
        uint8_t taxMode;
    };
    const std::vector<Case> cases = {
        {line("03-01-2026", -10625, "  acme SUPPLIES "), typeBought, "Parts", "Acme Supplies", "as on 02-20-2026",
         modeTaxAdded},
        {line("03-01-2026", -450, "SQ *CAFE ROMA 88", "card 1234"), typeExpense, "Coffee", "Cafe Roma",
         "as on 02-21-2026", modeNoTax},
        // The latest Shell transaction is mileage: the fuel expense is followed.
        {line("03-01-2026", -3900, "Shell"), typeExpense, "Fuel", "Shell", "as on 02-03-2026", modeNoTax},
        {line("03-02-2026", 120000, "Jones\tDesign", "Invoice\r\n17"), typeService, "Invoice  17", "Jones Design",
         "money in; new name and description", modeNoTax},
        // A new payee is its name, not its description too.
        {line("03-02-2026", 0, "Bank"), typeService, "", "Bank", "money in; new name", modeNoTax},
        {line("03-03-2026", -999, "Hardware Store"), typeExpense, "", "Hardware Store", "money out; new name",
         modeNoTax},
        // A memo that would make the expense a mileage record is not used.
        {line("03-03-2026", -999, "Parking", "MILEAGE"), typeExpense, "", "Parking", "money out; new name", modeNoTax},
    };
    for (const Case& c : cases) {
        Proposal p = proposeFor(c.line);
        EXPECT_EQ(p.type, c.type) << c.line.payee;
        EXPECT_EQ(p.description, c.description) << c.line.payee;
        EXPECT_EQ(p.name, c.name) << c.line.payee;
        EXPECT_EQ(p.reason, c.reason) << c.line.payee;
        EXPECT_EQ(p.taxMode, c.taxMode) << c.line.payee;
    }
    EXPECT_FLOAT_EQ(proposeFor(cases[0].line).taxRate, 6.25f);
}

// The bank paid the total: whatever the tax handling, the stored record
// totals exactly that, with the sign the type gives it.
TEST_F(Proposals, ProductTaxSplitsTotalExactlyTheBankAmount) {
    struct Case {
        uint8_t type, mode;
        int64_t bank;
        int32_t amount, salesTax;
    };
    const std::vector<Case> cases = {
        {typeBought, modeTaxAdded, -10625, 10000, 625},   {typeBought, modeTaxAdded, -1000, 941, 59},
        {typeSold, modeTaxAdded, 1000, 941, 59},          {typeBought, modeTaxAdded, 500, -471, -29},  // a refund
        {typeBought, modeTaxIncluded, -10625, 10625, 625}, {typePersonal, modeTaxIncluded, -1000, 1000, 59},
        {typeBought, modeResale, -10625, 10625, 0},        {typeSold, modeNoTax, 777, 777, 0},
        {typeExpense, modeTaxAdded, -10625, 10625, 0},     {typeEarnings, modeNoTax, -5, -5, 0},
    };
    for (const Case& c : cases) {
        ImportRow row;
        row.line = line("03-01-2026", c.bank, "x");
        row.date = packDate("03-01-2026");
        row.proposal.type = c.type;
        row.proposal.taxMode = c.mode;
        row.proposal.taxRate = 6.25f;
        Transaction t = rowTransaction(row);
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.mode) + "/" + std::to_string(c.bank));
        EXPECT_EQ(t.amount, c.amount);
        EXPECT_EQ(t.salesTax, c.salesTax);
        bool in = c.type == typeService || c.type == typeSold || c.type == typeEarnings;
        EXPECT_EQ(transactionTotal(t), in ? c.bank : -c.bank);
        EXPECT_EQ(t.date, row.date);
    }
}

// "Specify tax": the bank's amount is what was paid, and the tax typed is
// the part of it that is tax; a tax the amount cannot hold is a problem.
TEST_F(Proposals, SpecifiedTaxIsPartOfTheBankAmount) {
    struct Case {
        uint8_t type;
        int64_t bank;
        int32_t tax;
        int32_t amount;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {typeBought, -10625, 625, 10000, ""},
        {typeSold, 5350, 350, 5000, ""},
        {typeBought, -10625, 0, 10625, ""},
        {typeBought, 500, -29, -471, ""},  // a refund, and its tax with it
        {typeSold, -2000, -2000, 0, "No amount specified"},
        {typeSold, 1000, 1500, 0, "the tax 15.00 is more than the amount 10.00"},
        {typeBought, -1000, -1001, 0, "the tax 10.01 is more than the amount 10.00"},
        {typeSold, 2147483647, -1, 0, "the amount 21474836.48 is beyond what a record can hold"},
    };
    for (const Case& c : cases) {
        std::vector<ImportRow> rows = rowsOf({line("03-01-2026", c.bank, "Parts Depot")});
        setRowType(rows[0], c.type);
        rows[0].proposal.taxMode = modeTaxSpecified;
        rows[0].proposal.specifiedTax = c.tax;
        recheckImportRows(rows);
        SCOPED_TRACE(std::to_string(c.bank) + " " + std::to_string(c.tax));
        EXPECT_EQ(rows[0].problem, c.problem);
        if (!c.problem.empty()) continue;
        Transaction t = rowTransaction(rows[0]);
        EXPECT_EQ(t.taxMode, modeTaxSpecified);
        EXPECT_EQ(t.amount, c.amount);
        EXPECT_EQ(t.salesTax, c.tax);
        EXPECT_EQ(transactionTotal(t), c.type == typeSold ? c.bank : -c.bank);
    }
}

// Counting, never merging: each statement row stands for one booking.
TEST_F(Proposals, DuplicatesAreCountedAgainstTheBooks) {
    someBooks();
    const std::vector<StatementLine> march = {line("03-02-2026", -450, "Cafe Roma"),
                                              line("03-02-2026", -450, "Cafe Roma"),  // two real coffees
                                              line("03-03-2026", 5, "Interest"), line("03-04-2026", 5, "Interest"),
                                              line("03-05-2026", 5, "Interest")};
    std::vector<ImportRow> rows = rowsOf(march);
    EXPECT_EQ(checkedCount(rows), 5);
    importRows(rows);

    rows = rowsOf(march);  // the same file again: each line is known as itself
    EXPECT_EQ(checkedCount(rows), 0);
    EXPECT_EQ(rows[0].duplicate, "imported on 04-01-2026");
    EXPECT_EQ(rows[1].duplicate, "imported on 04-01-2026");
    EXPECT_EQ(rows[1].occurrence, 2);
    EXPECT_EQ(rows[4].duplicate, "imported on 04-01-2026");

    // Overlapping: only the rows after March 5, and a third coffee that day.
    rows = rowsOf({line("03-04-2026", 5, "interest"), line("03-05-2026", 5, "Interest"),
                   line("03-02-2026", -450, "CAFE ROMA"), line("03-02-2026", -450, "Cafe Roma"),
                   line("03-02-2026", -450, "Cafe Roma"), line("03-06-2026", 5, "Interest")});
    EXPECT_EQ(checkedCount(rows), 2);
    EXPECT_TRUE(rows[4].checked);
    EXPECT_EQ(rows[4].duplicate, "");
    EXPECT_TRUE(rows[5].checked);

    // One supply bought twice, the first row named by hand at import: the
    // later row's name is proposed for both next time, and both are found.
    std::vector<StatementLine> supplies = {line("04-01-2026", -2349, "Inkwell"), line("04-19-2026", -1000, "Inkwell")};
    rows = rowsOf(supplies);
    rows[0].proposal.name = "Inkwell Stationers";
    importRows(rows);
    rows = rowsOf(supplies);
    EXPECT_EQ(rows[0].proposal.name, "Inkwell");
    EXPECT_EQ(rows[0].duplicate, "imported on 04-01-2026");
    EXPECT_EQ(checkedCount(rows), 0);
    undoStep();  // once the import is taken back the rows are new again
    EXPECT_EQ(checkedCount(rowsOf(supplies)), 2);

    // The coffee of February 21 is in the books, typed by hand.
    rows = rowsOf({line("02-21-2026", -450, "Cafe Roma"), line("02-21-2026", -451, "Cafe Roma")});
    EXPECT_EQ(rows[0].duplicate, "1 of 1 already in the books");
    EXPECT_TRUE(rows[1].checked);
}

TEST_F(Proposals, BankIdsSeenBeforeOrTwiceAreMarked) {
    // First read without ids (a CSV), then the same lines with ids: the
    // count still knows them.
    importRows(rowsOf({line("03-02-2026", -450, "Cafe", "", ""), line("03-03-2026", -900, "Cafe", "", "")}));
    std::vector<ImportRow> rows = rowsOf({line("03-02-2026", -450, "Cafe", "", "acct/A1"),
                                          line("03-03-2026", -900, "Cafe", "", "acct/A2"),
                                          line("03-09-2026", -300, "Cafe", "", "acct/A3"),
                                          line("03-09-2026", -300, "Cafe", "", "acct/A3")});
    EXPECT_EQ(rows[0].duplicate, "imported on 04-01-2026");
    EXPECT_EQ(rows[1].duplicate, "imported on 04-01-2026");
    EXPECT_EQ(rows[2].duplicate, "");
    EXPECT_EQ(rows[3].duplicate, "bank id also on an earlier row of this statement");
    EXPECT_EQ(checkedCount(rows), 1);
    importRows(rows);

    // A3 was imported; another real 3.00 that day with a new id is new.
    rows = rowsOf({line("03-09-2026", -300, "Cafe", "", "acct/A3"), line("03-09-2026", -300, "Cafe", "", "acct/A4")});
    EXPECT_EQ(rows[0].duplicate, "imported on 04-01-2026");
    EXPECT_EQ(rows[1].duplicate, "");
    EXPECT_TRUE(rows[1].checked);
}

TEST_F(Proposals, RowsThatBreakARuleAreUnchecked) {
    const std::string longest(254, 'n');
    struct Case {
        StatementLine line;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {line("13-05-2026", -100, "A"), "the date 13-05-2026 is no date as month-day-year"},
        {line("02-30-2026", -100, "A"), "the date 02-30-2026 is no date as month-day-year"},
        {line("03-05-1975", -100, "A"), "the year 1975 lies outside 1980 to 2107"},
        {line("03-05-2108", -100, "A"), "the year 2108 lies outside 1980 to 2107"},
        {line("03-05-2026", 2147483648LL, "A"), "the amount 21474836.48 is beyond what a record can hold"},
        {line("03-05-2026", -2147483648LL, "A"), "the amount -21474836.48 is beyond what a record can hold"},
        {line("03-05-2026", -2147483647LL, "A"), ""},
        {line("03-05-2026", 0, "A"), "No amount specified"},
        {line("03-05-2026", -100, " ", "\t"), "No description or name entered"},
        {line("03-05-2026", -100, longest), ""},
        {line("03-05-2026", -100, longest + "n", "m"), "the name is too long: at most 254 characters"},
        {line("03-05-2026", -100, "A", longest + "d"), "the description is too long: at most 254 characters"},
    };
    for (const Case& c : cases) {
        std::vector<ImportRow> rows = rowsOf({c.line});
        EXPECT_EQ(rows[0].problem, c.problem) << c.line.payee.substr(0, 5) << " " << c.line.amount;
        EXPECT_EQ(rows[0].checked, c.problem.empty());
    }
    // While the order is undecided no date is wrong yet, but none can be imported.
    std::vector<ImportRow> rows = buildImportRows(statementOf({line("13-05-2026", -100, "A")}),
                                                  DateOrder::monthDayYear, false, false);
    EXPECT_EQ(rows[0].date, 0);
    EXPECT_EQ(rows[0].problem, "");
    EXPECT_FALSE(rows[0].checked);
    // A flip turns the signs, and the proposal with them.
    rows = buildImportRows(statementOf({line("03-05-2026", -100, "A")}), DateOrder::monthDayYear, true, true);
    EXPECT_EQ(rows[0].line.amount, 100);
    EXPECT_EQ(rows[0].proposal.reason, "money in; new name");
}

// A row set to Sold or Bought in the preview always has a tax option: the
// latest product handling of its name, else tax already included at the
// combined rate, as the bank's amount is what was paid.
TEST_F(Proposals, ProductRowsAlwaysHaveATaxOption) {
    someBooks();  // Acme Supplies: bought with 6.25% added
    combinedTaxRate = 0.075;
    std::vector<ImportRow> rows = rowsOf({line("03-20-2026", 12000, "Walk-in customer"),
                                          line("03-21-2026", -5000, "Acme Supplies", "", ""),
                                          line("03-22-2026", -5000, "Cafe Roma")});
    setRowType(rows[0], typeSold);
    EXPECT_EQ(rows[0].proposal.taxMode, modeTaxIncluded);
    EXPECT_FLOAT_EQ(rows[0].proposal.taxRate, 7.5f);
    Transaction sold = rowTransaction(rows[0]);
    EXPECT_EQ(sold.taxMode, modeTaxIncluded);
    EXPECT_EQ(sold.amount, 12000);
    EXPECT_EQ(sold.salesTax, 837);  // 120.00 paid, 111.63 of it the sale

    rows[2].proposal.name = "Acme Supplies";  // booked under a name with a product history
    setRowType(rows[2], typeBought);
    EXPECT_EQ(rows[2].proposal.taxMode, modeTaxAdded);
    EXPECT_FLOAT_EQ(rows[2].proposal.taxRate, 6.25f);
    rows[2].proposal.taxMode = modeResale;  // the user's choice survives Sold and Bought
    setRowType(rows[2], typeSold);
    EXPECT_EQ(rows[2].proposal.taxMode, modeResale);
    setRowType(rows[2], typeExpense);
    EXPECT_EQ(rows[2].proposal.taxMode, modeNoTax);
    EXPECT_EQ(rowTransaction(rows[2]).taxMode, modeNoTax);

    // However a product row came to have none, it is not stored without one.
    rows[1].proposal.type = typeBought;
    rows[1].proposal.taxMode = modeNoTax;
    EXPECT_EQ(rowTransaction(rows[1]).taxMode, modeTaxIncluded);
}

// An amount with more digits than cents is never cut to the cent without a
// word: whatever the file type, its row says so and cannot be checked.
TEST_F(Proposals, AmountsFinerThanCentsAreShownNotCut) {
    auto bytes = [](const std::string& text) { return Bytes(text.begin(), text.end()); };
    CsvTable table = readCsvTable(bytes("Date,Payee,Amount\r\n03/20/2026,A,0.004\r\n03/20/2026,B,-12.349\r\n"
                                        "03/20/2026,C,-12.340\r\n"));
    Statement csv = csvStatement(table, guessCsvColumns(table.header));
    Statement split = [&] {
        CsvTable t = readCsvTable(bytes("Date,Payee,Debit,Credit\r\n03/20/2026,D,5.125,\r\n03/21/2026,E,,7.50\r\n"));
        return csvStatement(t, guessCsvColumns(t.header));
    }();
    Statement ofx = readOfx(bytes("<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS><BANKTRANLIST><STMTTRN><DTPOSTED>20260320"
                                  "<TRNAMT>-1.005<NAME>F<FITID>1</STMTTRN></BANKTRANLIST></STMTRS></STMTTRNRS>"
                                  "</BANKMSGSRSV1></OFX>"));
    Statement qif = readQif(bytes("!Type:Bank\r\nD03/20/2026\r\nT-2.0001\r\nPG\r\n^\r\n"));
    const std::vector<std::pair<Statement*, std::vector<std::string>>> cases = {
        {&csv, {"0.004", "-12.349", ""}}, {&split, {"5.125", ""}}, {&ofx, {"-1.005"}}, {&qif, {"-2.0001"}}};
    for (const auto& [statement, past] : cases) {
        std::vector<ImportRow> rows =
            buildImportRows(*statement, statement->dateOrders == orderBit(DateOrder::yearMonthDay)
                                            ? DateOrder::yearMonthDay
                                            : DateOrder::monthDayYear,
                            true, false);
        ASSERT_EQ(rows.size(), past.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            std::string expected = past[i].empty() ? "" : "the amount " + past[i] +
                                                              " has more digits than cents: a record keeps whole cents";
            EXPECT_EQ(rows[i].problem, expected) << rows[i].line.payee;
            EXPECT_EQ(rows[i].checked, expected.empty()) << rows[i].line.payee;
        }
    }
}

// A bank that pays interest and charges fees under one name: each line
// follows the latest transaction of that name whose type moves money its
// way, so the month's earnings and expenses come out right; a type chosen
// against the money says what is stored, and rows mended in the boxes can
// be checked again.
TEST_F(Proposals, ProposalsFitTheMoneysDirection) {
    LedgerImage image;
    image.descriptions = {entry(6, "Interest"), entry(2, "Bank fees")};
    image.names = {entry(6, "First Prairie Bank"), entry(2, "First Prairie Bank")};
    image.transactions = {makeTransaction("01-31-2026", typeExpense, 2, 2, 1200),
                          makeTransaction("02-27-2026", typeEarnings, 1, 1, 52)};
    installLedgerImage(image);
    std::vector<ImportRow> rows = rowsOf({line("03-31-2026", -1200, "First Prairie Bank"),
                                          line("03-31-2026", 61, "First Prairie Bank"),
                                          line("03-31-2026", -999, "Unknown Payee")});
    EXPECT_EQ(rows[0].proposal.type, typeExpense);
    EXPECT_EQ(rows[0].proposal.reason, "as on 01-31-2026");
    EXPECT_EQ(rows[1].proposal.type, typeEarnings);
    EXPECT_EQ(rows[1].proposal.reason, "as on 02-27-2026");
    EXPECT_EQ(rows[2].proposal.type, typeExpense);
    for (const ImportRow& r : rows) EXPECT_EQ(storedAsText(r), "");
    importRows(rows);
    int64_t earnings = 0, expenses = 0;
    for (int i = 3; i <= transactionCount; ++i)
        (transactions[i].type == typeEarnings ? earnings : expenses) += transactions[i].amount;
    EXPECT_EQ(earnings, 61);
    EXPECT_EQ(expenses, 1200 + 999);

    rows = rowsOf({line("04-30-2026", -1200, "Fee")});
    rows[0].proposal.type = typeEarnings;
    EXPECT_EQ(storedAsText(rows[0]), "stored as Earnings -12.00");
    rows[0].proposal.type = typePersonal;  // moves no money
    recheckImportRows(rows);
    EXPECT_EQ(rows[0].problem, "a product taken for personal use moves no money: choose another type");
    EXPECT_FALSE(rows[0].checked);

    // Neither description nor name: unchecked until one is typed in.
    rows = rowsOf({line("04-30-2026", -500, "")});
    EXPECT_EQ(rows[0].problem, "No description or name entered");
    rows[0].proposal.name = "Corner Coffee";
    recheckImportRows(rows);
    EXPECT_EQ(rows[0].problem, "");
    EXPECT_FALSE(rows[0].checked);  // the user's to check
}

// The user's edits change the rules' and the count's verdicts; checks stay
// the user's except where a problem or a new mark takes them away.
TEST_F(Proposals, RecheckAfterAnEditKeepsTheUsersChecks) {
    someBooks();
    std::vector<ImportRow> rows = rowsOf({line("02-21-2026", -450, "SQ CAFE"), line("02-21-2026", -450, "Cafe Roma"),
                                          line("13-01-2026", -1, "A"), line("03-01-2026", -2, "B"),
                                          line("03-01-2026", -3, "C")});
    ASSERT_EQ(rows[1].duplicate, "1 of 1 already in the books");
    rows[1].checked = true;  // the user imports it anyway
    rows[3].checked = false;
    rows[0].proposal.name = "cafe roma";  // newly the same as the one in the books
    rows[4].proposal.description = std::string(255, 'd');
    recheckImportRows(rows);
    EXPECT_EQ(rows[0].duplicate, "1 of 1 already in the books");
    EXPECT_FALSE(rows[0].checked);
    EXPECT_EQ(rows[1].duplicate, "");  // the first row takes the one in the books now
    EXPECT_TRUE(rows[1].checked);
    EXPECT_EQ(rows[2].problem, "the date 13-01-2026 is no date as month-day-year");
    EXPECT_FALSE(rows[3].checked);
    EXPECT_FALSE(rows[4].checked);

    rows[0].proposal.name = "Someone else";  // no longer marked: left for the user to check
    rows[4].proposal.description = "fine";
    recheckImportRows(rows);
    EXPECT_EQ(rows[0].duplicate, "");
    EXPECT_FALSE(rows[0].checked);
    EXPECT_EQ(rows[1].duplicate, "1 of 1 already in the books");
    EXPECT_FALSE(rows[1].checked);  // newly marked again
    EXPECT_EQ(rows[4].problem, "");
    EXPECT_FALSE(rows[4].checked);
    rows[1].checked = true;
    recheckImportRows(rows);
    EXPECT_TRUE(rows[1].checked);  // marked all along: the user's choice stands
}

TEST_F(Proposals, NothingIsImportedUntilTheCheckedRowsFit) {
    std::vector<StatementLine> lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back(line("03-05-2026", -100 - i, "Payee " + std::to_string(i % 4), "Order " + std::to_string(i % 4)));
    std::vector<ImportRow> rows = rowsOf(lines);
    ASSERT_EQ(checkedCount(rows), 40);
    EXPECT_EQ(importFitProblem(rows), "");

    appendListEntry(nameList, 2, "Payee 0");
    appendListEntry(nameList, 1, "Payee 1");  // another group: new for an expense
    nameCount = maxNames - 2;                  // filled behind the history's back
    descrCount = maxDescriptions - 1;
    transactionCount = maxTransactions - 12;
    const std::string expected =
        "Only 12 of the 40 checked rows fit: the ledger holds 4,988 of 5,000 transactions. Uncheck at least 28 rows "
        "to import; none is imported until they fit.\r\n"
        "The checked rows need 3 new names, and the list of names holds 998 of 1,000: there is room for 2. Uncheck "
        "the rows of at least 1 new name to import; none is imported until they fit.\r\n"
        "The checked rows need 4 new descriptions, and the list of descriptions holds 499 of 500: there is room for "
        "1. Uncheck the rows of at least 3 new descriptions to import; none is imported until they fit.";
    EXPECT_EQ(importFitProblem(rows), expected);
    Bytes before = encodeLedger(currentLedgerImage());
    EXPECT_EQ(importCheckedRows(rows, importDay), 0);
    EXPECT_EQ(encodeLedger(currentLedgerImage()), before);
    EXPECT_TRUE(ledger.beside.lines.empty());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, expected);
    EXPECT_EQ(prompts.messages[0].title, "Import");

    for (int i = 12; i < 40; ++i) rows[i].checked = false;
    transactionCount = 0;
    nameCount = 2;
    descrCount = 0;
    EXPECT_EQ(importFitProblem(rows), "");
}

TEST_F(Proposals, BalancesFollowTheRowsInEitherOrderOfTheFile) {
    auto withBalance = [](StatementLine l, int64_t balance) {
        l.hasBalance = true;
        l.balance = balance;
        return l;
    };
    const StatementLine a = withBalance(line("03-01-2026", 10000, "Client"), 10000),
                        b = withBalance(line("03-05-2026", -1250, "Acme Supplies"), 8750),
                        c = withBalance(line("03-09-2026", -250, "Cafe"), 8500);
    const std::string agree = "The balances agree with the rows.";
    const std::string missingB =
        "The balance after the row of 03-09-2026 (Cafe, -2.50) does not follow from the row before: a row is missing "
        "or extra between them (12.50 apart).";
    struct Case {
        std::vector<StatementLine> lines;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{a, b, c}, agree},
        {{c, b, a}, agree},
        {{a, c}, missingB},
        {{c, a}, missingB},
        {{a, b, c, withBalance(line("03-10-2026", 100, "X"), 8500)},
         "The balance after the row of 03-10-2026 (X, 1.00) does not follow from the row before: a row is missing "
         "or extra between them (1.00 apart)."},
        {{line("03-01-2026", 1, "no balance"), line("03-02-2026", 1, "no balance")}, ""},
    };
    for (const Case& k : cases) {
        Statement s = statementOf(k.lines);
        EXPECT_EQ(balanceCheck(s, rowsOf(k.lines)), k.expected);
    }

    // The closing balance: the latest one these books remember for the
    // account from before the statement's last day, plus the statement's
    // lines after that day, whatever was imported or left out.
    Statement ofx = statementOf({line("03-01-2026", 10000, "Client"), line("03-05-2026", -1250, "Acme")});
    ofx.scope = "OFX 1/2";
    ofx.hasClosingBalance = true;
    ofx.closingBalance = 18750;
    std::vector<ImportRow> rows = buildImportRows(ofx, DateOrder::monthDayYear, true, false);
    EXPECT_EQ(balanceCheck(ofx, rows), "");  // none remembered yet
    addRememberedBalance({"OFX 1/2", packDate("02-28-2026"), 20000, importDay});
    addRememberedBalance({"OFX 9/9", packDate("03-04-2026"), 0, importDay});      // another account's
    addRememberedBalance({"OFX 1/2", packDate("03-05-2026"), 55501, importDay});  // as of its last day: not before
    EXPECT_EQ(balanceCheck(ofx, rows),
              "The closing balance 187.50 does not follow from the balance of 02-28-2026, 200.00, and the rows after "
              "that day, which make 287.50 (100.00 apart): a row is missing from the statement or extra in it.");
    addRememberedBalance({"OFX 1/2", packDate("03-01-2026"), 20000, importDay});  // the latest before
    EXPECT_EQ(balanceCheck(ofx, rows),
              "The closing balance 187.50 agrees with the balance of 03-01-2026, 200.00, and the rows after that day.");
}

// One step: Undo takes back the rows, their new entries and their ids,
// Redo brings all of them back.
TEST_F(Proposals, ImportedRowsAreOneStepWithTheirEntriesAndIds) {
    someBooks();
    Bytes books = encodeLedger(currentLedgerImage());
    std::vector<ImportRow> rows = rowsOf({line("03-10-2026", -10625, "ACME SUPPLIES", "", "acct/9"),
                                          line("01-15-2026", 50000, "Jones Design", "Invoice 17"),
                                          line("02-28-2026", -1999, "Jones Design"),
                                          line("02-28-2026", -450, "Cafe Roma")});
    rows[3].checked = false;
    EXPECT_EQ(importRows(rows), 2);  // January 15 comes after January 10
    EXPECT_EQ(undoLabel(), "Import 3 rows");
    ASSERT_EQ(transactionCount, 8);
    const Transaction& acme = transactions[8];
    EXPECT_EQ(acme.type, typeBought);
    EXPECT_EQ(acme.amount, 10000);
    EXPECT_EQ(acme.salesTax, 625);
    EXPECT_EQ(nameText(acme.nameIndex), "Acme Supplies");
    EXPECT_EQ(descriptionText(transactions[2].descrIndex), "Invoice 17");
    EXPECT_EQ(nameText(transactions[2].nameIndex), "Jones Design");
    EXPECT_EQ(names[transactions[2].nameIndex][0], 1);  // Service's group
    EXPECT_EQ(names[transactions[7].nameIndex][0], 2);  // the same text again in Expense's
    EXPECT_EQ(nameCount, 5);
    EXPECT_EQ(descrCount, 6);  // Invoice 17; a payee is no description
    // Three lines imported, the unchecked one remembered as left out.
    const auto& lines = ledger.beside.lines;
    ASSERT_EQ(lines.size(), 4u);
    const BankLine& acmeLine = lines[0];
    EXPECT_EQ(acmeLine.bankId + "|" + acmeLine.payee + "|" + acmeLine.name, "acct/9|ACME SUPPLIES|Acme Supplies");
    EXPECT_EQ(acmeLine.amount, -10625);  // as the bank wrote it
    EXPECT_EQ(acmeLine.importedOn, importDay);
    EXPECT_EQ(acmeLine.tag, transactionTags[8]);
    EXPECT_EQ(lines[3].status, BankLine::leftOut);
    EXPECT_EQ(lines[3].tag, 0u);
    Bytes imported = encodeLedger(currentLedgerImage());

    EXPECT_GE(undoStep(), 0);
    EXPECT_EQ(encodeLedger(currentLedgerImage()), books);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_GE(redoStep(), 0);
    EXPECT_EQ(encodeLedger(currentLedgerImage()), imported);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_TRUE(prompts.messages.empty());
}

// A payee without history is proposed by what the bank says the line is;
// one with history follows its latest transaction whatever the bank says.
TEST_F(Proposals, WhatTheBankSaysProposesANewPayeesLine) {
    someBooks();
    appendListEntry(nameList, 2, "Kite Hosting");   // a name without a transaction
    appendListEntry(descrList, 2, "Server plan");
    struct Case {
        StatementLine line;
        uint8_t type;
        std::string reason;
        bool checked;
        std::string description;
    };
    const std::vector<Case> cases = {
        {said(line("03-31-2026", 42, "INTEREST PAYMENT"), "INT"), typeEarnings, "the bank says INT; new name", true, ""},
        {said(line("03-31-2026", 110, "Interest"), "Interest Paid"), typeEarnings, "the bank says Interest Paid; new name",
         true, ""},
        {said(line("03-31-2026", -1200, "MONTHLY SERVICE FEE", "MONTHLY SERVICE FEE"), "SRVCHG"), typeExpense,
         "the bank says SRVCHG; new name", true, ""},
        {said(line("03-09-2026", -50000, "ONLINE TRANSFER TO SAV 9200", "REF #IB0XK2P"), "XFER"), typeExpense,
         "transfer", false, ""},
        {said(line("03-10-2026", -8000, "ATM WITHDRAWAL 0042"), "ATM Withdrawal"), typeExpense, "transfer", false, ""},
        {said(line("03-20-2026", 60000, "PAYMENT - THANK YOU"), "PAYMENT"), typeService, "transfer", false, ""},
        // Paid out, a payment is a bill.
        {said(line("03-21-2026", -8000, "CITY WATER"), "PAYMENT"), typeExpense, "money out; new name", true, ""},
        {said(line("03-02-2026", 125000, "NORTHWIND DESIGN", "Invoice 1042"), "ACH_CREDIT"), typeService,
         "money in; new name and description", true, "Invoice 1042"},
        {said(line("03-03-2026", -4518, "CORNER COFFEE", "POS 1234"), "DEBIT"), typeExpense, "money out; new name", true,
         ""},
        // The bank's word against the money's direction: the sign decides.
        {said(line("03-04-2026", 500, "OVERDRAFT FEE REFUND"), "FEE"), typeService,
         "money in, though the bank says FEE; new name", true, ""},
        {said(line("03-28-2026", -1875, "INTEREST CHARGE ON PURCHASES"), "INT"), typeExpense,
         "money out, though the bank says INT; new name", true, ""},
        {said(line("03-05-2026", -2000, "TELLER"), "DEP"), typeExpense, "money out, though the bank says DEP; new name",
         true, ""},
        // What the lists hold already is not new.
        {said(line("03-07-2026", -900, "KITE HOSTING", "March plan"), "DEBIT"), typeExpense,
         "money out; new description", true, "March plan"},
        {said(line("03-07-2026", -900, "Kite Hosting", "server PLAN"), "DEBIT"), typeExpense, "money out", true,
         "server PLAN"},
        // History beats the bank's word.
        {said(line("03-08-2026", -450, "CAFE ROMA"), "XFER"), typeExpense, "as on 02-21-2026", true, "Coffee"},
        {said(line("03-08-2026", -3100, "Shell"), "INT"), typeExpense, "as on 02-03-2026", true, "Fuel"},
    };
    std::vector<StatementLine> lines;
    for (const Case& c : cases) lines.push_back(c.line);
    std::vector<ImportRow> rows = rowsOf(lines);
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const Proposal& p = rows[i].proposal;
        SCOPED_TRACE(c.line.payee);
        EXPECT_EQ(p.type, c.type);
        EXPECT_EQ(p.reason, c.reason);
        EXPECT_EQ(p.leftOut, !c.checked);
        EXPECT_EQ(rows[i].checked, c.checked);
        EXPECT_EQ(rows[i].problem, "");
        EXPECT_EQ(p.description, c.description);
        if (p.reason.rfind("as on", 0) != 0) EXPECT_EQ(p.name, c.line.payee);
    }
    // A flip turns the money round, and with it what the bank's word means.
    rows = buildImportRows(statementOf(lines), DateOrder::monthDayYear, true, true);
    EXPECT_EQ(rows[0].proposal.reason, "money out, though the bank says INT; new name");
    EXPECT_EQ(rows[5].proposal.reason, "money out; new name");  // a payment out is a bill
}

// Two accounts of one file: what leaves one on a day and reaches the other
// that day is a transfer, left out on both sides.
TEST_F(Proposals, TransfersBetweenTheFilesAccountsAreLeftOutInPairs) {
    const std::string checking = "121000358/9100", savings = "121000358/9200", card = "9300";
    Statement s = statementOf({
        said(line("03-10-2026", -50000, "ONLINE TRANSFER TO SAV 9200"), "DEBIT", checking),  // 0 pairs with 1
        said(line("03-10-2026", 50000, "ONLINE TRANSFER FROM CHK 9100"), "CREDIT", savings),
        said(line("03-11-2026", -2500, "CORNER COFFEE"), "DEBIT", checking),  // 2, 3: other amounts
        said(line("03-11-2026", 2600, "NORTHWIND DESIGN"), "CREDIT", savings),
        said(line("03-12-2026", -700, "KITE HOSTING"), "DEBIT", checking),  // 4, 5: one account
        said(line("03-12-2026", 700, "KITE HOSTING"), "CREDIT", checking),
        said(line("03-13-2026", 30000, "DEPOSIT"), "CREDIT", savings),  // 6 pairs with 7, the first free
        said(line("03-13-2026", -30000, "TRANSFER"), "DEBIT", checking),
        said(line("03-13-2026", 30000, "PAYMENT"), "CREDIT", card),  // 8: its partner is taken
        said(line("03-14-2026", -42, "SERVICE CHARGE"), "FEE", checking),  // 9, 10: a fee and interest
        said(line("03-14-2026", 42, "INTEREST"), "INT", savings),
        said(line("03-15-2026", 1000, "ONE ACCOUNT ONLY"), "CREDIT"),  // 11, 12: no accounts named
        said(line("03-15-2026", -1000, "NO ACCOUNT"), "DEBIT"),
    });
    s.accounts = {checking, savings, card};
    const std::string pair = "transfer between 9100 and 9200", pairLater = "transfer between 9200 and 9100";
    const std::vector<std::string> reasons = {pair, pair, "", "", "", "", pairLater, pairLater, "", "", "", "", ""};
    for (bool flip : {false, true}) {
        std::vector<ImportRow> rows = buildImportRows(s, DateOrder::monthDayYear, true, flip);
        ASSERT_EQ(rows.size(), reasons.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            SCOPED_TRACE(std::to_string(r) + (flip ? " flipped" : ""));
            bool paired = !reasons[r].empty();
            if (paired) EXPECT_EQ(rows[r].proposal.reason, reasons[r]);
            if (!paired) EXPECT_EQ(rows[r].proposal.reason.find("transfer"), std::string::npos);
            EXPECT_EQ(rows[r].proposal.leftOut, paired);
            EXPECT_EQ(rows[r].checked, !paired);
        }
    }
}

// A row the proposal leaves out is the user's to check: checked, it is
// imported as proposed; left unchecked, it is remembered as left out.
TEST_F(Proposals, ATransferTheUserChecksIsImportedAndOneLeftUncheckedIsRemembered) {
    const std::vector<StatementLine> lines = {said(line("03-09-2026", -50000, "OWNER DRAW"), "XFER"),
                                              said(line("03-10-2026", -8000, "ATM WITHDRAWAL"), "ATM"),
                                              said(line("03-11-2026", -4518, "CORNER COFFEE"), "DEBIT")};
    std::vector<ImportRow> rows = rowsOf(lines);
    ASSERT_EQ(checkedCount(rows), 1);
    rows[0].checked = true;
    recheckImportRows(rows);
    EXPECT_TRUE(rows[0].checked);
    importRows(rows);
    ASSERT_EQ(transactionCount, 2);
    int draw = nameText(transactions[1].nameIndex) == "OWNER DRAW" ? 1 : 2;
    EXPECT_EQ(transactions[draw].type, typeExpense);
    EXPECT_EQ(transactions[draw].amount, 50000);
    const auto& remembered = ledger.beside.lines;
    ASSERT_EQ(remembered.size(), 3u);
    EXPECT_EQ(remembered[0].status, BankLine::imported);
    EXPECT_EQ(remembered[1].status, BankLine::leftOut);
    EXPECT_EQ(remembered[1].payee, "ATM WITHDRAWAL");

    rows = rowsOf(lines);  // the same statement again
    EXPECT_EQ(rows[0].duplicate, "imported on 04-01-2026");
    EXPECT_EQ(rows[1].duplicate, "left out on 04-01-2026");
    EXPECT_EQ(checkedCount(rows), 0);
}

// A checking account's CSV (a type column) and a card's OFX (TRNTYPEs), as
// US banks write them, every proposal accepted: the descriptions list gets
// the user's own notes and nothing of the bank's.
TEST_F(Proposals, AcceptedStatementsLeaveNoBankTextInTheDescriptions) {
    const std::vector<StatementLine> checking = {
        said(line("03-02-2026", 125000, "NORTHWIND DESIGN LLC", "Invoice 1042"), "ACH_CREDIT"),
        said(line("03-03-2026", -4518, "CORNER COFFEE #0311", "CORNER COFFEE #0311 AUSTIN TX"), "DEBIT_CARD"),
        said(line("03-05-2026", -12999, "KITE HOSTING", "REF 00012345"), "ACH_DEBIT"),
        said(line("03-06-2026", 40000, "MOBILE DEPOSIT REF 5521", "Logo design deposit"), "CHECK_DEPOSIT"),
        said(line("03-09-2026", -50000, "ONLINE TRANSFER TO SAV ...9200", "REF #IB0XK2P"), "ACCT_XFER"),
        said(line("03-10-2026", -8000, "ATM WITHDRAWAL 0042", "MAIN ST AUSTIN TX"), "ATM"),
        said(line("03-12-2026", -180000, "IRS USATAXPYMT", "Q1 estimated tax"), "ACH_DEBIT"),
        said(line("03-15-2026", -135000, "CHECK 1187", "March rent"), "CHECK_PAID"),
        said(line("03-31-2026", -1200, "MONTHLY SERVICE FEE", "MONTHLY SERVICE FEE"), "FEE_TRANSACTION"),
        said(line("03-31-2026", 37, "INTEREST PAYMENT", "Interest Paid"), "Interest Paid"),
    };
    const std::vector<StatementLine> card = {
        said(line("03-04-2026", -2340, "SQ *CORNER BAKERY", "CORNER BAKERY AUSTIN TX"), "DEBIT"),
        said(line("03-06-2026", -41250, "DESK WAREHOUSE 114", "DESK WAREHOUSE 114 ROUND ROCK TX"), "DEBIT"),
        said(line("03-08-2026", -1599, "STREAMLY*MONTHLY", "800-555-0199 CA"), "DEBIT"),
        said(line("03-18-2026", -6400, "PARKWISE GARAGE", "PARKWISE GARAGE"), "POS"),
        said(line("03-20-2026", 60000, "PAYMENT - THANK YOU", "AUTOPAY XXXXXX4417"), "PAYMENT"),
        said(line("03-22-2026", 2340, "SQ *CORNER BAKERY", "RETURN"), "CREDIT"),
        said(line("03-25-2026", -210, "FOREIGN TRANSACTION FEE"), "FEE"),
        said(line("03-28-2026", -1875, "INTEREST CHARGE ON PURCHASES", "PURCHASE INTEREST CHARGE"), "INT"),
    };
    std::vector<std::string> payees;
    for (const auto* statement : {&checking, &card}) {
        std::vector<ImportRow> rows = rowsOf(*statement);
        for (const ImportRow& r : rows) {
            EXPECT_EQ(r.problem, "") << r.line.payee;
            payees.push_back(r.line.payee);
        }
        importRows(rows);
    }
    EXPECT_EQ(transactionCount, 15);  // three transfers left out
    // Case and blanks aside.
    auto squeezed = [](std::string t) {
        std::string s;
        for (char c : t)
            if (c != ' ') s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    std::vector<std::string> found;
    for (int d = 1; d <= descrCount; ++d) {
        std::string text = entryText(descriptions[d]);
        found.push_back(text);
        for (const std::string& payee : payees) {
            std::string a = squeezed(text), b = squeezed(payee);
            EXPECT_TRUE(a.find(b) == std::string::npos && b.find(a) == std::string::npos) << text << " / " << payee;
        }
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"Invoice 1042", "Logo design deposit", "March rent", "Q1 estimated tax"}));
}

TEST_F(Proposals, StatementMemoryRoundTripsAndForgetsADamagedFile) {
    RememberedStatement csv;
    csv.hasColumns = true;
    csv.columns.amount = 3;
    csv.flip = true;
    csv.hasOrder = true;
    csv.order = DateOrder::dayMonthYear;
    csv.rememberedOn = importDay;
    RememberedStatement ofx;
    const std::string header = "Date;\"Payee\\Name\"\tAmount\r\nx";
    ASSERT_TRUE(rememberStatement(header, csv));
    ASSERT_TRUE(rememberStatement("123456789/0001", ofx));
    ASSERT_TRUE(rememberStatement("123456789/0001", ofx));  // replaced, not added

    RememberedStatement back;
    ASSERT_TRUE(recallStatement(header, back));
    EXPECT_TRUE(back.hasColumns && back.flip && back.hasOrder);
    EXPECT_EQ(back.rememberedOn, importDay);
    EXPECT_EQ(back.columns.amount, 3);
    EXPECT_EQ(back.columns.debit, -1);
    EXPECT_EQ(back.order, DateOrder::dayMonthYear);
    ASSERT_TRUE(recallStatement("123456789/0001", back));
    EXPECT_TRUE(!back.hasColumns && !back.flip && !back.hasOrder);
    EXPECT_FALSE(recallStatement("unknown", back));
    Bytes file = folder.read(statementMemoryFileName);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 3);  // the replaced one is not kept twice

    const std::string good = encodeStatementMemory({{"k", csv}});
    for (const std::string& damaged :
         {std::string(), good.substr(0, good.size() - 1), "Quirvel import memory 3" + good.substr(good.find('\r')),
          good + "k\t-\t2\t-\t-\r\n", good + "k\t1,2,3\t0\t-\t-\r\n", good + "k\t-\t0\t3\t-\r\n",
          good + "k\t-\t0\t-\t1x\r\n", good + "k\\q\t-\t0\t-\t-\r\n"}) {
        EXPECT_TRUE(decodeStatementMemory(damaged).empty()) << damaged;
        folder.write(statementMemoryFileName, Bytes(damaged.begin(), damaged.end()));
        EXPECT_FALSE(recallStatement("k", back));
    }

    // The first version's closing balances are no longer used; the rest is.
    std::string first = "Quirvel import memory 1\r\nk\t-\t1\t2\t-123456789012\r\n";
    auto read = decodeStatementMemory(first);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_TRUE(read[0].second.flip);
    EXPECT_EQ(read[0].second.order, DateOrder::yearMonthDay);

    setWriteFault(1, true);
    EXPECT_FALSE(rememberStatement("k", csv));
    setWriteFault(0, false);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find(folder.file(statementMemoryFileName)), std::string::npos);
}

}  // namespace
