// The preview's model as the dialog drives it: a statement opened from its
// bytes, the user's choices passed in one at a time, and what the list, the
// footer and the stored transactions then say.
#include <gtest/gtest.h>

#include "import/preview_model.h"
#include "import/proposals.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "ledger/tax_arithmetic.h"
#include "reports/csv_export.h"
#include "reports/tax_report.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"
#include "text/amount_text.h"
#include "text/date_text.h"

namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Column 6 of an item: why the row is what it is.
std::string why(const ImportPreview& p, int item) { return p.cellText(item, 6); }

int rowOfItem(const ImportPreview& p, int item) { return p.items()[static_cast<size_t>(item)]; }

// Imports what the model holds as the dialog's Import does.
int importModel(ImportPreview& p) {
    EXPECT_EQ(p.acceptRefusal(), "");
    std::vector<ImportRow> rows = p.takeRows();
    int first = importCheckedRows(rows, packDate("04-01-2026"));
    commitStep("Import");
    return first;
}

class PreviewModel : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        dataFolder = folder.path();
        combinedTaxRate = 0.075;
    }
    void TearDown() override {
        resetLedgerTables();
        resetTaxReport();
    }
    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(PreviewModel, ListHoldsEveryLineOfTheFileInItsOrderAndTheFooterCountsThem) {
    ImportPreview p;
    ASSERT_EQ(p.open("march.csv", bytesOf("Date,Amount,Description\r\n"
                                          "03/22/2026,-42.17,Paper Trail\r\n"
                                          "03/03/2026,12x,Broken\r\n"
                                          "03/04/2026,0.00,Nothing moved\r\n"
                                          "03/05/2026,250.00,\r\n"
                                          "03/06/2026,1200.00,Acme Retainer\r\n")),
              "");
    EXPECT_TRUE(p.isCsv());
    EXPECT_EQ(p.sourceText(), "march.csv: CSV, comma separated, headings on line 1");
    ASSERT_EQ(p.items().size(), 5u);
    // The unreadable line stands where the file has it, with its reason.
    EXPECT_EQ(rowOfItem(p, 1), -1);
    EXPECT_EQ(why(p, 1).rfind("cannot be read: line 3: ", 0), 0u) << why(p, 1);
    EXPECT_EQ(p.cellText(0, 1), "-42.17");
    EXPECT_EQ(p.cellText(2, 1), "0.00");
    EXPECT_EQ(why(p, 2).rfind("No amount specified", 0), 0u) << why(p, 2);
    EXPECT_EQ(why(p, 3).rfind("No description or name entered", 0), 0u) << why(p, 3);
    EXPECT_TRUE(p.itemChecked(0));
    EXPECT_FALSE(p.itemChecked(3));
    EXPECT_EQ(p.footerText().rfind("2 rows will be added, 0 are marked as already in the books, 3 could not be read "
                                   "(line 3: ",
                                   0),
              0u)
        << p.footerText();

    // A row that breaks a rule cannot be checked until it is mended where
    // the boxes can mend it.
    int nameless = rowOfItem(p, 3);
    EXPECT_FALSE(p.setChecked(nameless, true));
    EXPECT_FALSE(p.itemChecked(3));
    p.setRowName(nameless, "  Walk-in customer ");
    EXPECT_EQ(p.cellText(3, 5), "Walk-in customer");
    EXPECT_EQ(why(p, 3), "changed here");
    EXPECT_FALSE(p.itemChecked(3)) << "mended is not yet chosen";
    EXPECT_TRUE(p.setChecked(nameless, true));
    EXPECT_EQ(p.footerText().rfind("3 rows will be added, 0 are marked as already in the books, 2 could not be read", 0),
              0u);
    // Unchecked all, nothing can be imported.
    for (int item = 0; item < 5; ++item) p.setChecked(rowOfItem(p, item), false);
    EXPECT_FALSE(p.canImport());
    EXPECT_EQ(p.acceptRefusal(), "No row is checked: there is nothing to import.");
}

TEST_F(PreviewModel, DatesReadSeveralWaysAreAskedOnceAndTheAnswerIsRemembered) {
    const std::string csv = "Date,Amount,Payee\r\n03/04/2026,-10.00,Corner Cafe\r\n05/06/2026,-11.00,Corner Cafe\r\n";
    ImportPreview p;
    ASSERT_EQ(p.open("a.csv", bytesOf(csv)), "");
    EXPECT_FALSE(p.orderKnown());
    EXPECT_FALSE(p.canImport());
    EXPECT_EQ(p.cellText(0, 0), "?");
    EXPECT_NE(p.noteText().find("The dates can be read more than one way"), std::string::npos);
    EXPECT_NE(p.footerText().find("Choose how the dates are written before importing."), std::string::npos);
    auto choices = p.orderChoices();
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[1].second, "day-month-year: the first date is 04-03-2026, 3 April 2026");
    p.setOrder(DateOrder::dayMonthYear);
    EXPECT_EQ(p.cellText(0, 0), "04-03-2026");
    EXPECT_TRUE(p.canImport());
    ASSERT_TRUE(rememberStatement(p.memoryKey(), p.toRemember(packDate("04-01-2026"))));

    ImportPreview again;
    ASSERT_EQ(again.open("b.csv", bytesOf(csv)), "");
    EXPECT_TRUE(again.orderKnown());
    EXPECT_EQ(again.cellText(1, 0), "06-05-2026");
    EXPECT_NE(again.noteText().find("Remembered: dates read as day-month-year as at the import of 04-01-2026."),
              std::string::npos)
        << again.noteText();
}

TEST_F(PreviewModel, ColumnsChosenInTheBoxesReadTheStatementAgain) {
    ImportPreview p;
    ASSERT_EQ(p.open("odd.csv", bytesOf("When,Money,Who\r\n2026-03-02,-5.00,Kiosk\r\n")), "");
    EXPECT_EQ(p.column(ColumnRole::date), -1);
    EXPECT_NE(p.noteText().find("Choose the columns"), std::string::npos);
    EXPECT_TRUE(p.items().empty());
    auto choices = p.columnChoices();
    ASSERT_EQ(choices.size(), 4u);
    EXPECT_EQ(choices[0], (std::pair<int, std::string>{-1, "(none)"}));
    EXPECT_EQ(choices[2].second, "2: Money");
    p.setColumn(ColumnRole::date, 0);
    p.setColumn(ColumnRole::amount, 1);
    p.setColumn(ColumnRole::payee, 2);
    ASSERT_EQ(p.items().size(), 1u);
    EXPECT_EQ(p.cellText(0, 2), "Kiosk");
    EXPECT_TRUE(p.toRemember(1).hasColumns);
    EXPECT_EQ(p.toRemember(1).columns.payee, 2);
}

// A deposit of 120.00 made Sold: tax already included at the combined
// 7.5%, so the tax report counts 111.63 of sales and 8.37 of tax; every
// other option as the user picks it in the boxes.
TEST_F(PreviewModel, AProductRowsTaxOptionRateAndTaxAreShownAndChanged) {
    struct Case {
        const char* what;
        uint8_t mode;
        const char* rate;  // typed, "" to leave it
        const char* tax;   // typed for "Specify tax"
        int32_t amount, salesTax;
    };
    const Case cases[] = {
        {"proposed", modeTaxIncluded, "", "", 12000, 837},
        {"added at a typed rate", modeTaxAdded, "5", "", 11429, 571},
        {"specified", modeTaxSpecified, "", "7.00", 11300, 700},
        {"resale", modeResale, "", "", 12000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetLedgerTables();
        combinedTaxRate = 0.075;
        ImportPreview p;
        ASSERT_EQ(p.open("shop.csv", bytesOf("Date,Amount,Payee\r\n2026-03-09,120.00,Market Stall\r\n")), "");
        EXPECT_EQ(p.taxText(0), "") << "no tax for a service";
        p.setRowType(0, typeSold);
        const ImportRow& row = p.rows()[0];
        EXPECT_EQ(row.proposal.taxMode, modeTaxIncluded);
        EXPECT_EQ(p.taxRateText(0), "7.500");
        EXPECT_EQ(p.taxText(0), "8.37");
        p.setRowTaxMode(0, c.mode);
        if (c.mode == modeTaxSpecified) EXPECT_EQ(p.taxText(0), "8.37") << "starts from the option before";
        if (*c.rate) EXPECT_EQ(p.setRowTaxRate(0, c.rate), "");
        if (*c.tax) EXPECT_EQ(p.setRowSpecifiedTax(0, c.tax), "");
        EXPECT_EQ(p.taxText(0), c.salesTax ? formatAmount(c.salesTax) : "0.00");
        ASSERT_EQ(importModel(p), 1);
        const Transaction& t = transactions[1];
        EXPECT_EQ(t.type, typeSold);
        EXPECT_EQ(t.taxMode, c.mode);
        EXPECT_EQ(t.amount, c.amount);
        EXPECT_EQ(t.salesTax, c.salesTax);
        EXPECT_EQ(transactionTotal(t), 12000) << "the bank's amount, tax and all";
        if (c.mode == modeTaxIncluded) {  // the tax report's figures of the sale
            computeTaxReport({1});
            EXPECT_EQ(taxReportValues[1], "120.00");  // gross sales, tax included
            EXPECT_EQ(taxReportValues[7], "111.63");  // subject to tax
            EXPECT_EQ(taxReportValues[8], "8.37");    // sales and use tax
            endTaxReport();
        }
    }
}

TEST_F(PreviewModel, ATaxTextThatIsNoRateOrAmountIsRefusedAndTheRowKeepsItsOwn) {
    ImportPreview p;
    ASSERT_EQ(p.open("shop.csv", bytesOf("Date,Amount,Payee\r\n2026-03-09,-40.00,Wholesale Co\r\n")), "");
    p.setRowType(0, typeBought);
    EXPECT_EQ(p.setRowTaxRate(0, "abc"), "The tax rate \"abc\" is not a percent from 0 to 999.");
    EXPECT_EQ(p.setRowTaxRate(0, "-1"), "The tax rate \"-1\" is not a percent from 0 to 999.");
    EXPECT_EQ(p.setRowTaxRate(0, " "), "Type the tax rate in percent, such as 7.25.");
    EXPECT_EQ(p.taxRateText(0), "7.500");
    // Only "Specify tax" takes a typed tax.
    EXPECT_EQ(p.setRowSpecifiedTax(0, "1.00"), "");
    EXPECT_EQ(p.taxText(0), "2.79");
    p.setRowTaxMode(0, modeTaxSpecified);
    EXPECT_EQ(p.setRowSpecifiedTax(0, "1.0.0"), "The tax \"1.0.0\" is not an amount.");
    EXPECT_EQ(p.taxText(0), "2.79");
    // More tax than the bank's amount is a row that cannot be imported.
    EXPECT_EQ(p.setRowSpecifiedTax(0, "45.00"), "");
    EXPECT_FALSE(p.rows()[0].problem.empty());
    EXPECT_FALSE(p.itemChecked(0));
    EXPECT_FALSE(p.setChecked(0, true));
    // Back to a service: no tax at all.
    p.setRowType(0, typeExpense);
    EXPECT_EQ(p.taxText(0), "");
    EXPECT_EQ(p.rows()[0].proposal.taxMode, modeNoTax);
}

TEST_F(PreviewModel, TheListsOwnExportIsReadAsItWasWritten) {
    LedgerImage image;
    image.descriptions = {entry(2, "Mileage"), entry(3, "Tubes"), entry(1, "Repair")};
    image.names = {entry(2, "Shop van"), entry(3, "Rider Co"), entry(1, "J. Smith")};
    image.transactions = {makeTransaction("03-02-2026", typeExpense, 1, 1, 2340),
                          makeTransaction("03-03-2026", typeSold, 2, 2, 1000, modeTaxAdded, 75),
                          makeTransaction("03-04-2026", typeService, 3, 3, 5000)};
    image.transactions[1].taxRate = 7.5f;
    installLedgerImage(image);
    std::string csv = transactionsCsv({1, 2, 3});
    resetLedgerTables();

    ImportPreview p;
    ASSERT_EQ(p.open("export.csv", bytesOf(csv)), "");
    EXPECT_TRUE(p.readsOwnExport());
    EXPECT_FALSE(p.isCsv()) << "no columns to choose";
    EXPECT_EQ(p.sourceText(), "export.csv: a list exported by Quirvel, read as it was written");
    ASSERT_EQ(p.items().size(), 3u);
    EXPECT_EQ(p.cellText(0, 1), "23.40 miles");
    EXPECT_EQ(p.cellText(0, 3), "Expense");
    EXPECT_EQ(p.cellText(1, 3), "Sold");
    EXPECT_EQ(p.taxText(1), "0.75");
    EXPECT_EQ(p.footerText().rfind("3 rows will be added", 0), 0u) << p.footerText();
    ASSERT_EQ(importModel(p), 1);
    ASSERT_EQ(transactionCount, 3);
    EXPECT_TRUE(isMileage(transactions[1]));
    EXPECT_EQ(transactions[1].amount, 2340);
    EXPECT_EQ(transactions[2].salesTax, 75);
    EXPECT_EQ(transactions[2].taxMode, modeTaxAdded);
}

}  // namespace

namespace {

TEST_F(PreviewModel, CheckAllTakesOnlyTheRowsThatCanBeAndUnreadableLinesShowTheirTexts) {
    ImportPreview p;
    ASSERT_EQ(p.open("m.csv", bytesOf("Date,Amount,Payee\r\n"
                                      "03/22/2026,-5.00,Kiosk\r\n"
                                      "03/23/2026,-7.1x,Corner Cafe\r\n"
                                      "03/24/2026,0.00,Nothing\r\n"
                                      "03/25/2026,9.00,Client\r\n")),
              "");
    ASSERT_EQ(p.items().size(), 4u);
    // What the unreadable line holds, to be typed by hand.
    EXPECT_EQ(rowOfItem(p, 1), -1);
    EXPECT_EQ(p.cellText(1, 0), "03/23/2026");
    EXPECT_EQ(p.cellText(1, 1), "-7.1x");
    EXPECT_EQ(p.cellText(1, 2), "Corner Cafe");
    EXPECT_EQ(p.setAllChecked(false), 0);
    EXPECT_FALSE(p.canImport());
    EXPECT_EQ(p.setAllChecked(true), 1) << "the row of 0.00 cannot be";
    EXPECT_EQ(p.footerText().rfind("2 rows will be added", 0), 0u) << p.footerText();
}

// Amounts in another currency than the books' are taken only once the
// user says so; an OFX of two accounts shows each row's.
TEST_F(PreviewModel, AForeignCurrencyIsConfirmedAndSeveralAccountsAreShown) {
    const std::string ofx =
        "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS><CURDEF>EUR"
        "<BANKACCTFROM><BANKID>500105<ACCTID>9100</BANKACCTFROM><BANKTRANLIST>"
        "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20260310<TRNAMT>-20.00<FITID>a1<NAME>Papeterie</STMTTRN>"
        "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n";
    ImportPreview p;
    ASSERT_EQ(p.open("eu.ofx", bytesOf(ofx)), "");
    EXPECT_NE(p.sourceText().find(", in EUR"), std::string::npos) << p.sourceText();
    EXPECT_FALSE(p.canImport());
    EXPECT_NE(p.footerText().find("The amounts are in EUR, the books in USD"), std::string::npos) << p.footerText();
    EXPECT_EQ(p.acceptRefusal().rfind("The amounts are in EUR", 0), 0u);
    p.confirmCurrency(true);
    EXPECT_TRUE(p.canImport());
    EXPECT_EQ(p.acceptRefusal(), "");
}

}  // namespace

namespace {

// What the user chose for a statement comes back for the next one of its
// kind: the euros taken as they stand (said in the note) and the widths.
TEST_F(PreviewModel, TheCurrencyTakenAndTheColumnWidthsAreRememberedForTheAccount) {
    auto ofx = [](const std::string& account, const std::string& fitid) {
        return bytesOf("OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
                       "<CURDEF>EUR<BANKACCTFROM><BANKID>500105<ACCTID>" + account +
                       "</BANKACCTFROM><BANKTRANLIST><STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20260310<TRNAMT>-20.00<FITID>" +
                       fitid + "<NAME>Papeterie</STMTTRN></BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n");
    };
    ImportPreview p;
    ASSERT_EQ(p.open("march.ofx", ofx("9100", "m1")), "");
    EXPECT_FALSE(p.currencyConfirmed());
    p.confirmCurrency(true);
    p.setColumnWidths({0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(p.columnWidths().empty()) << "nothing dragged, nothing kept";
    p.setColumnWidths({0, 0, 180, 0, 0, 0, 0, 0});
    ASSERT_TRUE(rememberStatement(p.memoryKey(), p.toRemember(packDate("04-01-2026"))));

    ImportPreview april;
    ASSERT_EQ(april.open("april.ofx", ofx("9100", "a1")), "");
    EXPECT_TRUE(april.currencyConfirmed());
    EXPECT_TRUE(april.canImport());
    EXPECT_NE(april.noteText().find("Remembered: amounts in EUR taken as they stand as at the import of 04-01-2026."),
              std::string::npos)
        << april.noteText();
    EXPECT_EQ(april.columnWidths(), (std::vector<int>{0, 0, 180, 0, 0, 0, 0, 0}));

    ImportPreview other;  // another account asks again
    ASSERT_EQ(other.open("other.ofx", ofx("7700", "o1")), "");
    EXPECT_FALSE(other.currencyConfirmed());
    EXPECT_FALSE(other.canImport());

    // A memory file of the form before (five fields) still reads.
    std::vector<std::pair<std::string, RememberedStatement>> entries =
        decodeStatementMemory("Quirvel import memory 2\r\nCSV Date,Amount\t0,1,-1,-1,-1,-1,-1,-1\t0\t-\t100\r\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].second.currencyTaken, "");
    EXPECT_TRUE(entries[0].second.columnWidths.empty());
    EXPECT_EQ(decodeStatementMemory(encodeStatementMemory({{"OFX 1/2", april.toRemember(5)}}))[0].second.currencyTaken,
              "EUR");
}

}  // namespace
