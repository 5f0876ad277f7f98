#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/csv_export.h"
#include "reports/filter.h"
#include "reports/tax_report.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string bom = "\xEF\xBB\xBF";

std::vector<std::string> linesOf(const std::string& csv) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < csv.size()) {
        size_t end = csv.find("\r\n", start);
        if (end == std::string::npos) {
            out.push_back(csv.substr(start) + "<no CR LF>");
            break;
        }
        out.push_back(csv.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

TEST(CsvExport, FieldsNumbersDatesAndText) {
    EXPECT_EQ(csvField("plain text"), "plain text");
    EXPECT_EQ(csvField("Bolt, Nut & Co"), "\"Bolt, Nut & Co\"");
    EXPECT_EQ(csvField("12\" wheel"), "\"12\"\" wheel\"");
    EXPECT_EQ(csvField("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(csvField(""), "");

    EXPECT_EQ(plainAmount(125000), "1250.00");
    EXPECT_EQ(plainAmount(5), "0.05");
    EXPECT_EQ(plainAmount(-5), "-0.05");
    EXPECT_EQ(plainAmount(-123456), "-1234.56");
    EXPECT_EQ(plainAmount(0), "0.00");
    EXPECT_EQ(plainAmount(INT64_MIN), "-92233720368547758.08");

    EXPECT_EQ(isoDate(packDate("02-14-2006")), "2006-02-14");
    EXPECT_EQ(isoDate(packDate("12-31-2107")), "2107-12-31");
    EXPECT_EQ(isoDate(packDate("01-01-1980")), "1980-01-01");

    // Latin-1 letters, the 0x80..0x9F block of Windows-1252 and plain ASCII.
    EXPECT_EQ(utf8FromWindows1252("Caf\xE9 \x80" "5 \x93ok\x94 \x81"),
              "Caf\xC3\xA9 \xE2\x82\xAC" "5 \xE2\x80\x9Cok\xE2\x80\x9D \xC2\x81");
    EXPECT_EQ(utf8FromWindows1252("\xFF"), "\xC3\xBF");
}

TEST(CsvExport, TransactionsInTheOrderGivenWithUnitAndTaxMode) {
    resetLedgerTables();
    LedgerImage image = sampleImage();
    image.descriptions[0] = entry(1, "Caf\xE9, \"special\"");
    image.transactions[3].taxRate = 6.25f;
    installLedgerImage(image);
    std::string csv = transactionsCsv({4, 3, 1, 5, 7, 99, 0});
    ASSERT_EQ(csv.compare(0, 3, bom), 0);
    std::vector<std::string> lines = linesOf(csv.substr(3));
    ASSERT_EQ(lines.size(), 6u);  // heading + 5 rows; numbers outside the table are left out
    // The columns a reader of the file needs to take it back come last.
    EXPECT_EQ(lines[0], "Date,Type,Description,Name,Amount,Handling,Shipping,Tax,Total,Tax mode,Unit,"
                        "Tax rate,Apostrophe added");
    EXPECT_EQ(lines[1], "2006-02-14,Sold,Widgets,Bolt & Co,19.99,1.00,2.00,1.25,24.24,Tax to be added,,6.25,");
    EXPECT_EQ(lines[2], "2006-02-01,Expense,Mileage,,123.40,,,,123.40,,miles,,");
    EXPECT_EQ(lines[3], "2006-01-05,Service,\"Caf\xC3\xA9, \"\"special\"\"\",Acme Corp,500.00,,,,500.00,,,,");
    // Tax already included: the total leaves the tax out.
    EXPECT_EQ(lines[4], "2006-03-02,Bought,Widgets,Bolt & Co,10.00,0.00,0.00,0.59,10.00,Tax already included,,0,");
    EXPECT_EQ(lines[5], "2006-04-30,Earnings,Interest,First Bank,25.00,,,,25.00,,,,");

    std::string empty = transactionsCsv({});
    EXPECT_EQ(linesOf(empty.substr(3)).size(), 1u);
}

// A spreadsheet runs a cell that begins with = + - @ (or a tab or CR) as a
// formula: in the text columns such a value is exported with an apostrophe,
// while numbers, negative ones too, go out as they are.
TEST(CsvExport, TextThatASpreadsheetWouldRunGoesOutAsText) {
    for (const char* risky : {"=1+2", "+1", "-x", "@SUM(A1)", "\tgap", "\rline"})
        EXPECT_EQ(spreadsheetText(risky), std::string("'") + risky);
    for (const char* safe : {"", "plain", " =1", "'quoted", "1-2", "a=b"}) EXPECT_EQ(spreadsheetText(safe), safe);

    resetLedgerTables();
    LedgerImage image = sampleImage();
    image.descriptions[0] = entry(1, "=HYPERLINK(\"http://x.invalid\",\"c\")");
    image.names[0] = entry(1, "=cmd|' /C calc'!A0");
    image.transactions[0].amount = -1250;
    installLedgerImage(image);
    std::vector<std::string> lines = linesOf(transactionsCsv({1}).substr(3));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "2006-01-05,Service,\"'=HYPERLINK(\"\"http://x.invalid\"\",\"\"c\"\")\","
                        "'=cmd|' /C calc'!A0,-12.50,,,,-12.50,,,,Description Name");

    // The last column says which texts were given the apostrophe, so that
    // one a text begins with itself is told from it.
    const std::vector<std::pair<std::pair<std::string, std::string>, std::string>> marked = {
        {{"'quoted", "plain"}, ""},
        {{"-minus", "'quoted"}, "Description"},
        {{"plain", "@name"}, "Name"},
        {{"+1", "\tTab"}, "Description Name"},
    };
    for (const auto& [texts, said] : marked) {
        image.descriptions[0] = entry(1, texts.first);
        image.names[0] = entry(1, texts.second);
        resetLedgerTables();
        installLedgerImage(image);
        std::string row = linesOf(transactionsCsv({1}).substr(3))[1];
        EXPECT_EQ(row.substr(row.rfind(',') + 1), said) << texts.first << " " << texts.second;
    }
}

// The record's rate in the fewest decimals that read back as the same float;
// other types than products have none, but for a record of the first
// ledger version, which gave every record the rate of its day.
TEST(CsvExport, RatesComeBackAsTheSameFloat) {
    resetLedgerTables();
    LedgerImage image = sampleImage();
    const std::vector<std::pair<float, std::string>> shortest = {
        {6.25f, "6.25"}, {0.1f, "0.1"}, {6.3f, "6.3"}, {7.375f, "7.375"}, {0.0f, "0"}, {12345.678f, "12345.678"},
        {1e-7f, "0.0000001"}, {-2.5f, "-2.5"}, {100.0f, "100"}, {1e-30f, "1e-30"}};
    for (const auto& [rate, text] : shortest) {
        image.transactions[3].taxRate = rate;
        installLedgerImage(image);
        std::string row = linesOf(transactionsCsv({4}).substr(3))[1];
        row.pop_back();  // the empty last column
        EXPECT_EQ(row.substr(row.rfind(',') + 1), text);
    }
    // Every float of a sweep through the rates people use, and some odd ones.
    for (float rate = 0.0f; rate < 30.0f; rate += 0.0137f) {
        image.transactions[3].taxRate = rate;
        installLedgerImage(image);
        std::string row = linesOf(transactionsCsv({4}).substr(3))[1];
        row.pop_back();
        float back = std::strtof(row.substr(row.rfind(',') + 1).c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&back, &rate, sizeof rate), 0) << row;
    }

    image.transactions[0].taxRate = 7.25f;  // a service of the first version
    image.transactions[6].taxRate = 0.0f;
    installLedgerImage(image);
    std::vector<std::string> lines = linesOf(transactionsCsv({1, 7}).substr(3));
    EXPECT_EQ(lines[1], "2006-01-05,Service,Consulting,Acme Corp,500.00,,,,500.00,,,7.25,");
    EXPECT_EQ(lines[2], "2006-04-30,Earnings,Interest,First Bank,25.00,,,,25.00,,,,");
}

TEST(CsvExport, TaxReportAsEighteenLabelValueLines) {
    resetLedgerTables();
    resetFilterState();
    installLedgerImage(sampleImage());
    combinedTaxRate = 0.0625;
    std::vector<int> all;
    for (int i = 1; i <= transactionCount; ++i) all.push_back(i);
    computeTaxReport(all);
    std::string csv = taxReportCsv();
    endTaxReport();
    ASSERT_EQ(csv.compare(0, 3, bom), 0);
    std::vector<std::string> lines = linesOf(csv.substr(3));
    ASSERT_EQ(lines.size(), 18u);
    for (int k = 0; k < 18; ++k)
        EXPECT_EQ(lines[static_cast<size_t>(k)],
                  csvField(taxReportLabels[static_cast<size_t>(k)]) + "," + taxReportValues[static_cast<size_t>(k)]);
    EXPECT_EQ(lines[0], "State and Local Sales Taxes,");
    EXPECT_EQ(lines[13], "Total services,500.00");
}

TEST(CsvExport, SavedWhereChosenAndAFailedWriteKeepsTheOldFile) {
    ScriptedPrompts prompts;
    TempFolder folder;
    resetLedgerTables();
    dataFolder = folder.path();

    EXPECT_FALSE(exportCsv("a,b\r\n", "Export"));  // the save dialog was cancelled
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    const FileDialogRequest& asked = prompts.fileRequests[0];
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.caption, "Export");
    EXPECT_EQ(asked.folder, folder.path());
    EXPECT_EQ(asked.defaultExtension, "csv");
    ASSERT_FALSE(asked.filters.empty());
    EXPECT_EQ(asked.filters[0].second, "*.csv");
    EXPECT_TRUE(asked.flags & 0x2);  // asks before replacing a file

    prompts.chosenFiles = {folder.file("out.csv")};
    EXPECT_TRUE(exportCsv("a,b\r\n", "Export"));
    EXPECT_EQ(folder.read("out.csv"), Bytes({'a', ',', 'b', '\r', '\n'}));
    EXPECT_TRUE(prompts.messages.empty());

    for (int k = 1; k <= 3; ++k) {
        prompts.chosenFiles = {folder.file("out.csv")};
        setWriteFault(k, false);
        EXPECT_FALSE(exportCsv("changed\r\n", "Export")) << k;
        setWriteFault(0, false);
        EXPECT_EQ(folder.read("out.csv"), Bytes({'a', ',', 'b', '\r', '\n'})) << k;
    }
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.messages[0].title, "File Error");
    EXPECT_EQ(prompts.messages[0].text.rfind("The export could not be written to " + folder.file("out.csv"), 0), 0u);
}

// The books, their backup, any other ledger and Quirvel's own files are
// never replaced by an export: each is refused with its reason and the
// dialog asks again, until a name that may be written or a cancel.
TEST(CsvExport, NeverWrittenOverTheBooksOrTheProgramsFiles) {
    ScriptedPrompts prompts;
    TempFolder folder;
    resetLedgerTables();
    dataFolder = folder.path();
    installLedgerImage(sampleImage());
    const Bytes books = encodeLedger(sampleImage()), older = encodeLedger(LedgerImage{});
    folder.write("books.qvl", books);
    folder.write("books.qvl.bak", older);
    folder.write("2005.qvl", older);
    folder.write("quirvel.ini", {'x', '\r', '\n'});
    folder.write("notes.txt", {'Q', 'u', 'i', 'r', 'v'});  // too short to hold a ledger
    ledgerPath = folder.file("books.qvl");

    const std::string tail = "\r\nAn export never replaces it: choose another name; nothing has been written.";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {folder.file("books.qvl"), " is the open ledger." + tail},
        {folder.path() + "./books.qvl", " is the open ledger." + tail},
        {folder.file("books.qvl.bak"), " is the backup of the open ledger." + tail},
        {folder.file("2005.qvl"), " holds a Quirvel ledger." + tail},
        {folder.file("quirvel.ini"), " is one of Quirvel's own files.\r\nChoose another name; nothing has been written."},
        {folder.file("Quirvel.chm"), " is one of Quirvel's own files.\r\nChoose another name; nothing has been written."},
    };
    for (const auto& r : refused) EXPECT_EQ(exportRefusalText(r.first), r.first + r.second);
    EXPECT_EQ(exportRefusalText(folder.file("notes.txt")), "");
    EXPECT_EQ(exportRefusalText(folder.file("books.csv")), "");

    for (const auto& r : refused) prompts.chosenFiles.push_back(r.first);
    prompts.chosenFiles.push_back(folder.file("notes.txt"));
    EXPECT_TRUE(exportCsv("a,b\r\n", "Export"));
    EXPECT_EQ(prompts.fileRequests.size(), refused.size() + 1);
    ASSERT_EQ(prompts.messages.size(), refused.size());
    for (size_t k = 0; k < refused.size(); ++k) {
        EXPECT_EQ(prompts.messages[k].text, refused[k].first + refused[k].second);
        EXPECT_EQ(prompts.messages[k].title, "File Error");
        EXPECT_EQ(prompts.messages[k].style, mb::ok | mb::iconStop);
    }
    EXPECT_EQ(folder.read("books.qvl"), books);
    EXPECT_EQ(folder.read("books.qvl.bak"), older);
    EXPECT_EQ(folder.read("2005.qvl"), older);
    EXPECT_EQ(folder.read("quirvel.ini"), Bytes({'x', '\r', '\n'}));
    EXPECT_EQ(folder.read("notes.txt"), Bytes({'a', ',', 'b', '\r', '\n'}));

    // Refused, then cancelled: nothing written, and no third question.
    prompts.messages.clear();
    prompts.chosenFiles = {folder.file("books.qvl"), ""};
    EXPECT_FALSE(exportCsv("a,b\r\n", "Export"));
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(folder.read("books.qvl"), books);
    ledgerPath.clear();
}

}  // namespace
