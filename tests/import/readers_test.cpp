// The statement readers over small files as banks write them: every form of
// date and amount, the layouts of CSV, OFX and QIF, the lines that cannot be
// read and why, and inputs meant to break them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "fuzz/statement_check.h"
#include "import/csv_reader.h"
#include "import/ofx_reader.h"
#include "import/own_export.h"
#include "import/qif_reader.h"
#include "import/statement_fields.h"
#include "import/statement_memory.h"
#include "import/statement_text.h"
#include "ledger/tables.h"

namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The text as a spreadsheet's "Unicode text" or a bank's UTF-16 download.
enum class Utf16Form { littleEndian, bigEndian, unmarked };
Bytes utf16Of(const std::u16string& text, Utf16Form form) {
    Bytes out;
    bool big = form == Utf16Form::bigEndian;
    if (form != Utf16Form::unmarked) out = big ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
    for (char16_t u : text) {
        uint8_t high = static_cast<uint8_t>(u >> 8), low = static_cast<uint8_t>(u & 0xFF);
        out.push_back(big ? high : low);
        out.push_back(big ? low : high);
    }
    return out;
}

std::string cents(int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, '0');
    return (value < 0 ? "-" : "") + digits.substr(0, digits.size() - 2) + "." + digits.substr(digits.size() - 2);
}

// One text per line of the statement, readable or not, in line order:
// "3 03-14-2026 -12.50 payee|memo" or "7 ! reason".
std::string summary(const Statement& s) {
    std::vector<std::pair<int, std::string>> rows;
    for (const StatementLine& l : s.lines) {
        std::string row = std::to_string(l.line) + " " + writtenDateText(l.date) + " " + cents(l.amount) + " " +
                          l.payee + "|" + l.memo;
        if (!l.bankId.empty()) row += " #" + l.bankId;
        if (l.hasBalance) row += " =" + cents(l.balance);
        rows.emplace_back(l.line, row);
    }
    for (const UnreadableLine& u : s.unreadable) rows.emplace_back(u.line, std::to_string(u.line) + " ! " + u.reason);
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    for (const auto& r : rows) out += r.second + "\n";
    return out;
}

Statement readCsv(const std::string& text) {
    CsvTable table = readCsvTable(bytesOf(text));
    return csvStatement(table, guessCsvColumns(table));
}

constexpr unsigned mdy = orderBit(DateOrder::monthDayYear), dmy = orderBit(DateOrder::dayMonthYear),
                   ymd = orderBit(DateOrder::yearMonthDay);

TEST(StatementFields, AmountsWithEitherMarkSignsAndSeparators) {
    struct Case {
        const char* text;
        unsigned marks;
        int64_t withPoint, withComma;  // only where the mark allows it
    };
    const Case cases[] = {
        {"-12.50", decimalPoint, -1250, 0},       {"12,50", decimalComma, 0, 1250},
        {"1.234,56", decimalComma, 0, 123456},    {"1,234.56", decimalPoint, 123456, 0},
        {"1,234", decimalPoint | decimalComma, 123400, 123},
        {"(12.50)", decimalPoint, -1250, 0},      {"12.50-", decimalPoint, -1250, 0},
        {"$1,234.56", decimalPoint, 123456, 0},   {"-$12.50", decimalPoint, -1250, 0},
        {"\x80 -3,20", decimalComma, 0, -320},    {"\xA3" "7.5", decimalPoint, 750, 0},
        {"12,50 EUR", decimalComma, 0, 1250},     {"+100", decimalPoint | decimalComma, 10000, 10000},
        {"1 234,56", decimalComma, 0, 123456},    {"1\xA0" "234.56", decimalPoint, 123456, 0},
        {"1.234.567,89", decimalComma, 0, 123456789}, {".5", decimalPoint, 50, 0},
        {"12.345", decimalPoint | decimalComma, 1234, 1234500},
        {"", 0, 0, 0}, {"12,3x", 0, 0, 0}, {"1,23,4.00", 0, 0, 0}, {"--5", 0, 0, 0}, {"1e5", 0, 0, 0},
        {"(-5)", 0, 0, 0}, {"1,234 567.00", 0, 0, 0}, {"$", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(decimalMarksOf(c.text), c.marks);
        int64_t value = 7;
        std::string reason;
        EXPECT_EQ(readStatementAmount(c.text, '.', value, reason), (c.marks & decimalPoint) != 0) << reason;
        if (c.marks & decimalPoint) EXPECT_EQ(value, c.withPoint);
        EXPECT_EQ(readStatementAmount(c.text, ',', value, reason), (c.marks & decimalComma) != 0) << reason;
        if (c.marks & decimalComma) EXPECT_EQ(value, c.withComma);
    }
    int64_t value;
    std::string reason;
    EXPECT_FALSE(readStatementAmount("12,3x", '.', value, reason));
    EXPECT_EQ(reason, "the amount \"12,3x\" is not a number");
    EXPECT_FALSE(readStatementAmount("12,50", '.', value, reason));
    EXPECT_EQ(reason, "the amount \"12,50\" has a decimal comma, the other amounts a decimal point");
    EXPECT_FALSE(readStatementAmount(" ", '.', value, reason));
    EXPECT_EQ(reason, "the amount is missing");
    EXPECT_FALSE(readStatementAmount("1234567890123456", '.', value, reason));
    EXPECT_EQ(reason, "the amount \"1234567890123456\" is too large");
}

TEST(StatementFields, DatesInEveryWrittenForm) {
    struct Case {
        const char* text;
        const char* written;  // "" when it is no date
        unsigned orders;
    };
    const Case cases[] = {
        {"03/14/2026", "03-14-2026", mdy},  {"14.03.2026", "14-03-2026", dmy},
        {"2026-03-14", "2026-03-14", ymd},  {"3/4/26", "03-04-2026", mdy | dmy},
        {"3/4/80", "03-04-1980", mdy | dmy}, {"6/ 4'18", "06-04-2018", mdy | dmy},
        {"6/4/98", "06-04-1998", mdy | dmy}, {"28.02'2009", "28-02-2009", dmy},
        {"1/ 5' 8", "01-05-2008", mdy | dmy}, {"12/31/2014", "12-31-2014", mdy},
        {"31/12/2014", "31-12-2014", dmy},  {"20260314", "2026-03-14", ymd},
        {"2026-03-14T10:22:00", "2026-03-14", ymd}, {"03/14/2026 10:22 PM", "03-14-2026", mdy},
        {"2026/3/4", "2026-03-04", ymd},    {"31/31/2026", "31-31-2026", 0},
        {"02/29/2025", "02-29-2025", 0},    {"01/02/1979", "01-02-1979", 0},
        {"3/4", "", 0}, {"1/2/3", "", 0}, {"2026-03", "", 0}, {"abc", "", 0}, {"14/03/26/1", "", 0},
        {"2026-03-14'5", "", 0}, {"123/4/2026", "", 0}, {"3/4/2026x", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WrittenDate date;
        bool read = readWrittenDate(c.text, date);
        EXPECT_EQ(read, *c.written != 0);
        if (read) EXPECT_EQ(writtenDateText(date), c.written);
        if (read) EXPECT_EQ(possibleOrders(date), c.orders);
    }
}

TEST(StatementText, DecodingHonoursWhatFitsAndSaysWhatItDid) {
    struct Case {
        std::string bytes, declared, text, note;
    };
    const Case cases[] = {
        {"Caf\xc3\xa9 \xe2\x82\xac", "", "Caf\xe9 \x80", ""},
        {"\xef\xbb\xbf" "Caf\xc3\xa9", "", "Caf\xe9", ""},
        {"Caf\xe9", "", "Caf\xe9", "The file is not UTF-8: read as Windows-1252."},
        {"Caf\xe9", "1252", "Caf\xe9", ""},
        {"Caf\xc3\xa9", "1252", "Caf\xe9", "The file says it is 1252 but is UTF-8: read as UTF-8."},
        {"Caf\xe9", "UTF-8", "Caf\xe9", "The file says it is UTF-8 but is not: read as Windows-1252."},
        {"Caf\xe9", "USASCII", "Caf\xe9", "The file says it is USASCII but is not: read as Windows-1252."},
        {std::string("a\0b", 3), "", "a b", ""},
        {"\xe6\x97\xa5 \xe2\x88\x92" "5", "", "? -5", "1 character that Windows-1252 lacks is shown as ?."},
        {std::string("\xff\xfe" "C\0a\0f\0\xe9\0", 10), "", "Caf\xe9", ""},
        {std::string("\xfe\xff\0C\0a\0f\0\xe9", 10), "", "Caf\xe9", ""},
        {"\xef\xbb\xbf" "Caf\xe9", "", "Caf\xe9", "The file is not UTF-8: read as Windows-1252."},
        {"\xc0\xaf", "", "\xc0\xaf", "The file is not UTF-8: read as Windows-1252."},  // an overlong '/'
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        DecodedText d = decodeStatementText(bytesOf(c.bytes), c.declared);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(d.note, c.note);
    }

    struct Utf16Case {
        std::u16string text;
        Utf16Form form;
        std::string declared, decoded, note;
    };
    const char* unmarked = "The file is UTF-16 without a byte order mark: read as UTF-16.";
    const Utf16Case utf16Cases[] = {
        {u"Caf\u00e9 \u20ac5", Utf16Form::littleEndian, "", "Caf\xe9 \x80" "5", ""},
        {u"Caf\u00e9 \u20ac5", Utf16Form::bigEndian, "UTF-8", "Caf\xe9 \x80" "5", ""},
        {u"Date,Payee\r\n", Utf16Form::unmarked, "", "Date,Payee\r\n", unmarked},
        {u"Date,Payee\r\n", Utf16Form::unmarked, "1252", "Date,Payee\r\n", unmarked},
        // What the UTF-8 path makes of characters Windows-1252 lacks, a
        // pair of surrogates and a lone one alike.
        {u"\u65e5 \u2212" "5", Utf16Form::littleEndian, "", "? -5",
         "1 character that Windows-1252 lacks is shown as ?."},
        {u"Pay \U0001F600 \xD800x", Utf16Form::bigEndian, "", "Pay ? ?x",
         "2 characters that Windows-1252 lacks are shown as ?."},
        {u"Caf\u00e9 \u65e5 list", Utf16Form::unmarked, "", "Caf\xe9 ? list",
         std::string(unmarked) + " 1 character that Windows-1252 lacks is shown as ?."},
    };
    for (const Utf16Case& c : utf16Cases) {
        SCOPED_TRACE(c.decoded);
        DecodedText d = decodeStatementText(utf16Of(c.text, c.form), c.declared);
        EXPECT_EQ(d.text, c.decoded);
        EXPECT_EQ(d.note, c.note);
    }
    // A few zeros among 8-bit text are damage, not UTF-16.
    EXPECT_EQ(decodeStatementText(bytesOf(std::string("Date,Pa\0ee\nx\0y\n", 15))).note, "");
}

TEST(StatementText, FormatFromTheContent) {
    struct Case {
        std::string bytes;
        StatementFormat format;
    };
    const Case cases[] = {
        {"OFXHEADER:100\r\nDATA:OFXSGML\r\n", StatementFormat::ofx},
        {"<?xml version=\"1.0\"?>\n<?OFX OFXHEADER=\"200\"?>\n<OFX>", StatementFormat::ofx},
        {"\n\n<OFX>\n<SIGNONMSGSRSV1>", StatementFormat::ofx},
        {"\xef\xbb\xbf!Type:Bank\nD1/2/26\n", StatementFormat::qif},
        {"  !account\nNChecking\n", StatementFormat::qif},
        {"!Option:AutoSwitch\n", StatementFormat::qif},
        {"Date,Payee,Amount\n", StatementFormat::csv},
        {"Date,Memo,Amount\n1/2/26,<OFXish>,1\n", StatementFormat::csv},
        {"!Important notice\nDate;Amount\n", StatementFormat::csv},
    };
    for (const Case& c : cases) EXPECT_EQ(detectFormat(bytesOf(c.bytes)), c.format) << c.bytes;

    struct Utf16Case {
        std::u16string text;
        StatementFormat format;
    };
    const Utf16Case utf16Cases[] = {
        {u"OFXHEADER:100\r\nDATA:OFXSGML\r\n", StatementFormat::ofx},
        {u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<OFX>", StatementFormat::ofx},
        {u"!Type:Bank\nD1/2/26\n", StatementFormat::qif},
        {u"Date\tPayee\tAmount\n", StatementFormat::csv},
    };
    for (const Utf16Case& c : utf16Cases)
        for (Utf16Form form : {Utf16Form::littleEndian, Utf16Form::bigEndian, Utf16Form::unmarked})
            EXPECT_EQ(detectFormat(utf16Of(c.text, form)), c.format) << static_cast<int>(form);
}

TEST(CsvReader, HeaderNamesGiveTheColumns) {
    struct Case {
        std::vector<std::string> header;
        CsvColumns columns;  // date, amount, debit, credit, payee, memo, balance, id, type, currency
    };
    const Case cases[] = {
        {{"Posted Date", "Transaction Date", "Amount", "Type"}, {1, 2, -1, -1, -1, -1, -1, -1, 3, -1}},
        {{"Date", "Description", "Amount", "Available Balance", "Balance", "Curr."},
         {0, 2, -1, -1, 1, -1, 4, -1, -1, 5}},
        {{"Post Date", "Debit/Credit", "Amount", "Details", "RunningBalance"}, {0, 2, -1, -1, -1, 3, 4, -1, 1, -1}},
        {{"Posting Date", "Description", "Amount"}, {0, 2, -1, -1, 1, -1, -1, -1}},
        {{"Date", "Payee", "Description", "Amount"}, {0, 3, -1, -1, 1, 2, -1, -1}},
        {{"TRANSACTION DATE", "Name", "Memo", "Paid out", "Paid in", "Balance"}, {0, -1, 3, 4, 1, 2, 5, -1}},
        {{"Booking Date", "Value Date", "Details", "Withdrawal", "Deposit"}, {0, -1, 3, 4, -1, 2, -1, -1}},
        {{" date ", "Reference", "Amount (EUR)", "Transaction ID"}, {0, 2, -1, -1, -1, 1, -1, 3}},
        {{"Trans. Date", "Debit Amount", "Credit Amount", "Description", "Memo"}, {0, -1, 1, 2, 3, 4, -1, -1}},
        {{"Date Posted", "Transaction amount"}, {0, 1, -1, -1, -1, -1, -1, -1}},
        {{"Item", "Cost"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header[0]);
        CsvColumns got = guessCsvColumns(c.header);
        EXPECT_TRUE(got == c.columns) << got.date << " " << got.amount << " " << got.debit << " " << got.credit
                                      << " " << got.payee << " " << got.memo << " " << got.balance << " " << got.id
                                      << " " << got.type << " " << got.currency;
        EXPECT_EQ(columnsUsable(got), c.columns.date >= 0);
    }
}

TEST(CsvReader, LayoutsBanksWrite) {
    struct Case {
        const char* name;
        std::string file;
        char delimiter;
        int headerLine;
        unsigned orders;
        std::string lines;
    };
    const Case cases[] = {
        {"bom, quotes, month first", "\xef\xbb\xbf" "Date,Description,Amount\r\n03/14/2026,Office Depot,-42.10\r\n"
         "03/15/2026,\"Pellworth, Inc.\",\"1,200.00\"\r\n", ',', 1, mdy,
         "2 03-14-2026 -42.10 Office Depot|\n3 03-15-2026 1200.00 Pellworth, Inc.|\n"},
        {"1252, semicolons, decimal comma, preamble and footer",
         "Account: 4471 0082\r\nStatement from 01.03.2026\r\n\r\nDate;Payee;Memo;Amount\r\n"
         "02.03.2026;Caf\xe9 Br\xfcnn;Lunch with client;-1.234,56\r\n05.03.2026;Hollin GmbH;Invoice 17;850,00\r\n"
         "\r\nTotal;;;-384,56\r\n", ';', 4, mdy | dmy,
         "5 02-03-2026 -1234.56 Caf\xe9 Br\xfcnn|Lunch with client\n6 05-03-2026 850.00 Hollin GmbH|Invoice 17\n"
         "8 ! the date \"Total\" is not a date\n"},
        {"debit, credit and balance, year first", "Date,Details,Debit,Credit,Balance\n2026-03-02,Fuel,45.00,,955.00\n"
         "2026-03-03,Client payment,,500.00,\"1,455.00\"\n2026-03-04,Refund,-5.00,,1450.00\n", ',', 1, ymd,
         "2 2026-03-02 -45.00 |Fuel =955.00\n3 2026-03-03 500.00 |Client payment =1455.00\n"
         "4 2026-03-04 -5.00 |Refund =1450.00\n"},
        {"an amount column beside money out and in", "Date,Details,Debit,Credit,Amount\n2026-03-02,Fuel,45.00,,\n"
         "2026-03-03,Client,,500.00,\n2026-03-04,Fee,9.00,,-2.50\n", ',', 1, ymd,
         "2 2026-03-02 -45.00 |Fuel\n3 2026-03-03 500.00 |Client\n4 2026-03-04 -2.50 |Fee\n"},
        {"parentheses, trailing minus, newest first, undecided order", "Date\tPayee\tAmount\n03/03/2026\tC\t$1,234.56\n"
         "03/02/2026\tB\t12.50-\n03/01/2026\tA\t($12.50)\n", '\t', 1, mdy | dmy,
         "2 03-03-2026 1234.56 C|\n3 03-02-2026 -12.50 B|\n4 03-01-2026 -12.50 A|\n"},
        {"a quoted line break and quotes", "Date,Payee,Memo,Amount\n03/14/2026,Kell,\"Invoice \"\"42\"\"\nsecond line\",9.99\n"
         "03/16/2026,Lund,,1\n", ',', 1, mdy,
         "2 03-14-2026 9.99 Kell|Invoice \"42\" second line\n4 03-16-2026 1.00 Lund|\n"},
        {"an unterminated quote", "Date,Payee,Amount\n03/14/2026,\"Broken,1.00\n03/15/2026,Fine,2.00\n", ',', 1, mdy,
         "2 ! the quote that opens on this line is never closed\n3 03-15-2026 2.00 Fine|\n"},
        {"amounts and dates that do not read", "Date;Payee;Amount\n14.03.2026;A;12,3x\n15.03.2026;B;1,50\n"
         "31.31.2026;C;2,00\n16.03.2026;D;\n;E;3,00\n", ';', 1, dmy,
         "2 ! the amount \"12,3x\" is not a number\n3 15-03-2026 1.50 B|\n4 ! the date \"31.31.2026\" is not a date\n"
         "5 ! the amount is missing\n6 ! the date is missing\n"},
        {"the other lines decide the order", "Date,Payee,Amount\n03/14/2026,A,1\n03/20/2026,B,2\n14/03/2026,C,3\n", ',', 1,
         mdy, "2 03-14-2026 1.00 A|\n3 03-20-2026 2.00 B|\n4 ! the date 14-03-2026 is no date as month-day-year\n"},
        {"a repeated header, blank rows and a short footer", "Date,Payee,Amount\n03/14/2026,A,1\n,,\nDate,Payee,Amount\n"
         "03/15/2026,B,2\nEnd of statement\n", ',', 1, mdy,
         "2 03-14-2026 1.00 A|\n5 03-15-2026 2.00 B|\n6 ! the date \"End of statement\" is not a date\n"},
        {"most amounts decide the mark", "Date,Payee,Amount\n03/14/2026,A,\"1,50\"\n03/15/2026,B,2.25\n03/16/2026,C,3.75\n",
         ',', 1, mdy, "2 ! the amount \"1,50\" has a decimal comma, the other amounts a decimal point\n"
         "3 03-15-2026 2.25 B|\n4 03-16-2026 3.75 C|\n"},
        {"a header of unknown names", "Booked;Who;Sum EUR\n01.03.2026;A;1,00\n", ';', 1, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CsvTable table = readCsvTable(bytesOf(c.file));
        ASSERT_EQ(table.error, "");
        EXPECT_EQ(table.delimiter, c.delimiter);
        EXPECT_EQ(table.headerLine, c.headerLine);
        Statement s = csvStatement(table, guessCsvColumns(table));
        if (c.orders == 0) {
            EXPECT_NE(s.error, "");
            continue;
        }
        EXPECT_EQ(s.error, "");
        EXPECT_EQ(summary(s), c.lines);
        EXPECT_EQ(s.dateOrders, c.orders);
        EXPECT_EQ(statementProblem(s, bytesOf(c.file)), "");
    }
}

TEST(CsvReader, NoteKeyAndChosenColumns) {
    CsvTable table = readCsvTable(bytesOf("Date;Payee;Amount\n02.03.2026;Caf\xe9;1,00\n"));
    EXPECT_EQ(table.note, "The file is not UTF-8: read as Windows-1252.");
    EXPECT_EQ(csvStatement(table, guessCsvColumns(table.header)).note, table.note);
    EXPECT_EQ(csvHeaderKey(table), "Date;Payee;Amount");
    // The same bank next month: the same key, whatever its rows.
    EXPECT_EQ(csvHeaderKey(readCsvTable(bytesOf("Intro\n Date ;Payee;Amount\n09.04.2026;X;2,00\n"))), csvHeaderKey(table));

    CsvTable headerless = readCsvTable(bytesOf("2026-03-01,Rent,-900.00,7\n2026-03-02,Fee,-4.00,8\n"));
    EXPECT_EQ(headerless.headerLine, 0);
    ASSERT_EQ(headerless.rows.size(), 2u);
    CsvColumns chosen;
    chosen.date = 0, chosen.amount = 2, chosen.memo = 1, chosen.id = 3;
    EXPECT_EQ(summary(csvStatement(headerless, chosen)), "1 2026-03-01 -900.00 |Rent #7\n2 2026-03-02 -4.00 |Fee #8\n");
    EXPECT_NE(csvStatement(headerless, CsvColumns{}).error, "");
}

// Exports shaped as US banks and card issuers write them, the columns told
// apart by what their rows hold as well as by their names.
TEST(CsvReader, ColumnsOfUsBankExports) {
    struct Case {
        const char* name;
        std::string file;
        CsvColumns columns;  // date, amount, debit, credit, payee, memo, balance, id, type, currency
        std::string lines;   // summary() with " [type]" after each line
        std::string currency, note;
    };
    const Case cases[] = {
        {"a card's export: the day of the purchase, not of the posting",
         "Transaction Date,Post Date,Description,Category,Type,Amount,Memo\r\n"
         "12/31/2025,01/02/2026,KITE HOSTING,Bills & Utilities,Sale,-12.00,\r\n"
         "12/30/2025,01/02/2026,PAYMENT THANK YOU,,Payment,250.00,\r\n"
         "01/03/2026,01/04/2026,OFFICE DEPOT #1042,Shopping,Sale,-42.10,\r\n"
         "01/05/2026,01/06/2026,OFFICE DEPOT #1042,Shopping,Return,12.10,Store credit\r\n",
         {0, 5, -1, -1, 2, 6, -1, -1, 4, -1},
         "2 12-31-2025 -12.00 KITE HOSTING| [Sale]\n3 12-30-2025 250.00 PAYMENT THANK YOU| [Payment]\n"
         "4 01-03-2026 -42.10 OFFICE DEPOT #1042| [Sale]\n5 01-05-2026 12.10 OFFICE DEPOT #1042|Store credit [Return]\n",
         "", ""},
        {"a checking export: Details of a few words is no memo beside Type",
         "Details,Posting Date,Description,Amount,Type,Balance,Check or Slip #\n"
         "DEBIT,03/02/2026,\"ONLINE TRANSFER TO SAV XXXXX1234\",-500.00,ACCT_XFER,4410.20,,\n"
         "CREDIT,03/03/2026,\"HOLLIN LLC PAYMENT PPD ID: 1180\",1200.00,ACH_CREDIT,5610.20,,\n"
         "CHECK,03/04/2026,\"CHECK 1042 \",-75.00,CHECK_PAID,5535.20,1042,\n"
         "DEBIT,03/05/2026,\"CARD PURCHASE KITE HOSTING\",-12.00,DEBIT_CARD,5523.20,,\n"
         "DSLIP,03/06/2026,\"REMOTE ONLINE DEPOSIT # 1\",300.00,CHECK_DEPOSIT,5823.20,,\n",
         {1, 3, -1, -1, 2, -1, 5, -1, 4, -1},
         "2 03-02-2026 -500.00 ONLINE TRANSFER TO SAV XXXXX1234| =4410.20 [ACCT_XFER]\n"
         "3 03-03-2026 1200.00 HOLLIN LLC PAYMENT PPD ID: 1180| =5610.20 [ACH_CREDIT]\n"
         "4 03-04-2026 -75.00 CHECK 1042| =5535.20 [CHECK_PAID]\n"
         "5 03-05-2026 -12.00 CARD PURCHASE KITE HOSTING| =5523.20 [DEBIT_CARD]\n"
         "6 03-06-2026 300.00 REMOTE ONLINE DEPOSIT # 1| =5823.20 [CHECK_DEPOSIT]\n",
         "", ""},
        {"the same without Type: Details says what each line is",
         "Details,Posting Date,Description,Amount,Balance\n"
         "DEBIT,03/02/2026,ONLINE TRANSFER TO SAV,-500.00,4410.20\n"
         "CHECK,03/04/2026,CHECK 1042,-75.00,4335.20\n",
         {1, 3, -1, -1, 2, -1, 4, -1, 0, -1},
         "2 03-02-2026 -500.00 ONLINE TRANSFER TO SAV| =4410.20 [DEBIT]\n"
         "3 03-04-2026 -75.00 CHECK 1042| =4335.20 [CHECK]\n",
         "", ""},
        {"Details of varied text stays the memo",
         "Date,Details,Debit,Credit,Balance\n2026-03-02,Fuel,45.00,,955.00\n2026-03-03,Client payment,,500.00,1455.00\n",
         {0, -1, 2, 3, -1, 1, 4, -1, -1, -1},
         "2 2026-03-02 -45.00 |Fuel =955.00 []\n3 2026-03-03 500.00 |Client payment =1455.00 []\n", "", ""},
        {"a summary before the header, a running balance",
         "Description,,Summary Amt.\r\nBeginning balance as of 03/01/2026,,\"4,410.20\"\r\n"
         "Total credits,,\"1,200.00\"\r\nTotal debits,,\"-87.10\"\r\nEnding balance as of 03/31/2026,,\"5,523.10\"\r\n\r\n"
         "Date,Description,Amount,Running Bal.\r\n"
         "03/02/2026,\"KITE HOSTING DES:WEB ID:881\",\"-12.00\",\"4,398.20\"\r\n"
         "03/03/2026,\"HOLLIN LLC DES:PAYMENT\",\"1,200.00\",\"5,598.20\"\r\n",
         {0, 2, -1, -1, 1, -1, 3, -1, -1, -1},
         "8 03-02-2026 -12.00 KITE HOSTING DES:WEB ID:881| =4398.20 []\n"
         "9 03-03-2026 1200.00 HOLLIN LLC DES:PAYMENT| =5598.20 []\n",
         "", ""},
        {"a card's export with a reference number and an address",
         "Posted Date,Reference Number,Payee,Address,Amount\n"
         "03/02/2026,24692166062100012345678,\"KITE HOSTING\",\"SEATTLE WA \",-12.00\n"
         "03/04/2026,24011346063200098765432,\"OFFICE DEPOT 1042\",\"PORTLAND OR \",-42.10\n",
         {0, 4, -1, -1, 2, -1, -1, 1, -1, -1},
         "2 03-02-2026 -12.00 KITE HOSTING| #24692166062100012345678 []\n"
         "3 03-04-2026 -42.10 OFFICE DEPOT 1042| #24011346063200098765432 []\n",
         "", ""},
        {"one-word payees are no type column",
         "Date,Payee,Memo,Amount\n03/14/2026,Kell,Invoice 42,9.99\n03/16/2026,Lund,,1\n",
         {0, 3, -1, -1, 1, 2, -1, -1, -1, -1}, "2 03-14-2026 9.99 Kell|Invoice 42 []\n3 03-16-2026 1.00 Lund| []\n",
         "", ""},
        {"a currency column of one code",
         "Date,Description,Amount,Available Balance,Balance,CCY\n2026-03-02,Fee,-4.00,90.00,96.00,eur\n"
         "2026-03-03,Interest,0.12,90.12,96.12,\n",
         {0, 2, -1, -1, 1, -1, 4, -1, -1, 5}, "2 2026-03-02 -4.00 Fee| =96.00 []\n3 2026-03-03 0.12 Interest| =96.12 []\n",
         "EUR", ""},
        {"lines in two currencies",
         "Date,Description,Amount,Currency\n2026-03-02,Fee,-4.00,USD\n2026-03-03,Refund,5.00,CAD\n",
         {0, 2, -1, -1, 1, -1, -1, -1, -1, 3}, "2 2026-03-02 -4.00 Fee| []\n3 2026-03-03 5.00 Refund| []\n", "",
         "The lines are in different currencies (USD, CAD): the amounts are taken as they stand."},
        {"a currency column of names is no currency column",
         "Date,Description,Amount,Currency\n2026-03-02,Monthly service fee,-4.00,US Dollar\n",
         {0, 2, -1, -1, 1, -1, -1, -1, -1, -1}, "2 2026-03-02 -4.00 Monthly service fee| []\n", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CsvTable table = readCsvTable(bytesOf(c.file));
        ASSERT_EQ(table.error, "");
        CsvColumns got = guessCsvColumns(table);
        EXPECT_TRUE(got == c.columns) << got.date << " " << got.amount << " " << got.debit << " " << got.credit
                                      << " " << got.payee << " " << got.memo << " " << got.balance << " " << got.id
                                      << " " << got.type << " " << got.currency;
        Statement s = csvStatement(table, got);
        ASSERT_EQ(s.error, "");
        std::string lines;
        std::istringstream rows(summary(s));
        size_t i = 0;
        for (std::string row; std::getline(rows, row); ++i)
            lines += row + " [" + (i < s.lines.size() ? s.lines[i].bankType : "?") + "]\n";
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(s.currency, c.currency);
        EXPECT_EQ(s.note, c.note);
        EXPECT_TRUE(s.accounts.empty());
        EXPECT_EQ(statementProblem(s, bytesOf(c.file)), "");
    }
}

std::string ofxHeader(const std::string& charset) {
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\nCHARSET:" + charset +
           "\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n";
}

TEST(OfxReader, VersionsTagsDatesAndStatements) {
    struct Case {
        const char* name;
        std::string file;
        std::string lines, account, note;
        bool hasClosing;
        int64_t closing;
    };
    const std::string bankFrom = "<BANKACCTFROM><BANKID>021000<ACCTID>778812<ACCTTYPE>CHECKING</BANKACCTFROM>";
    const Case cases[] = {
        {"1.x with unclosed and mixed tags",
         ofxHeader("1252") + "<OFX>\r\n<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS></SONRS>"
         "</SIGNONMSGSRSV1>\r\n<BANKMSGSRSV1><STMTTRNRS><STMTRS><CURDEF>USD\r\n" + bankFrom + "\r\n<BANKTRANLIST>\r\n"
         "<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n<DTPOSTED>20260314\r\n<TRNAMT>-12.50\r\n<FITID>A1\r\n<NAME>Caf\xe9 Lune\r\n"
         "<MEMO>Coffee</MEMO>\r\n</STMTTRN>\r\n<STMTTRN><TRNTYPE>CREDIT</TRNTYPE><DTPOSTED>20260315120000</DTPOSTED>"
         "<TRNAMT>1200.00</TRNAMT><FITID>A2</FITID><NAME>Pellworth &amp; Sons</NAME><MEMO></MEMO></STMTTRN>\r\n"
         "<STMTTRN><DTPOSTED>20260316120000.000[-5:EST]<TRNAMT>-3,75<FITID>A3<MEMO>Fee\r\n</STMTTRN>\r\n"
         "</BANKTRANLIST><LEDGERBAL><BALAMT>4410.20<DTASOF>20260331</LEDGERBAL>"
         "<AVAILBAL><BALAMT>1.00</AVAILBAL></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n",
         "16 2026-03-14 -12.50 Caf\xe9 Lune|Coffee #021000/778812/A1\n"
         "24 2026-03-15 1200.00 Pellworth & Sons| #021000/778812/A2\n25 2026-03-16 -3.75 |Fee #021000/778812/A3\n",
         "021000/778812", "", true, 441020},
        {"2.x on one line, private tags, entities, a payee aggregate",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?><?OFX OFXHEADER=\"200\" VERSION=\"211\"?>"
         "<OFX><SIGNONMSGSRSV1><SONRS><INTU.BID>3000</INTU.BID><INTU.USERID>x</INTU.USERID></SONRS></SIGNONMSGSRSV1>"
         "<CREDITCARDMSGSRSV1><CCSTMTTRNRS><CCSTMTRS><CCACCTFROM><ACCTID>4111-09</ACCTID></CCACCTFROM><BANKTRANLIST>"
         "<STMTTRN><DTPOSTED>20260302</DTPOSTED><TRNAMT>-9.99</TRNAMT><FITID>c1</FITID><PAYEE><NAME>Caf&#233; "
         "&lt;Nord&gt;</NAME><ADDR1>1 Main</ADDR1></PAYEE><MEMO>&quot;Monthly&quot; &apos;plan&apos; &#x20AC;"
         "</MEMO></STMTTRN><!-- a comment <STMTTRN> --><STMTTRN><DTPOSTED>20260303</DTPOSTED><TRNAMT>+20</TRNAMT>"
         "<FITID>c2</FITID><NAME/></STMTTRN></BANKTRANLIST><LEDGERBAL><BALAMT>-310.15</BALAMT></LEDGERBAL>"
         "</CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1></OFX>",
         "1 2026-03-02 -9.99 Caf\xe9 <Nord>|\"Monthly\" 'plan' \x80 #4111-09/c1\n1 2026-03-03 20.00 | #4111-09/c2\n",
         "4111-09", "", true, -31015},
        {"a CHARSET that lies",
         ofxHeader("1252") + "<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>" + bankFrom +
         "<BANKTRANLIST><STMTTRN><DTPOSTED>20260301<TRNAMT>-1.00<NAME>Caf\xc3\xa9</STMTTRN></BANKTRANLIST>"
         "</STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>",
         "11 2026-03-01 -1.00 Caf\xe9|\n", "021000/778812",
         "The file says it is 1252 but is UTF-8: read as UTF-8.", false, 0},
        {"two statements of two accounts",
         ofxHeader("1252") + "<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>" + bankFrom +
         "<BANKTRANLIST><STMTTRN><DTPOSTED>20260301<TRNAMT>-1.00<FITID>7</STMTTRN></BANKTRANLIST>"
         "<LEDGERBAL><BALAMT>5.00</LEDGERBAL></STMTRS></STMTTRNRS></BANKMSGSRSV1>\n<CREDITCARDMSGSRSV1><CCSTMTTRNRS>"
         "<CCSTMTRS><CCACCTFROM><ACCTID>9999</CCACCTFROM><BANKTRANLIST><STMTTRN><DTPOSTED>20260302<TRNAMT>-2.00"
         "<FITID>7</STMTTRN></BANKTRANLIST><LEDGERBAL><BALAMT>6.00</LEDGERBAL></CCSTMTRS></CCSTMTTRNRS>"
         "</CREDITCARDMSGSRSV1></OFX>",
         "11 2026-03-01 -1.00 | #021000/778812/7\n12 2026-03-02 -2.00 | #9999/7\n", "",
         "The file holds statements of 2 accounts (021000/778812, 9999): no closing balance is checked.", false, 0},
        {"two statements of one account close with the last",
         "<OFX><STMTRS><BANKACCTFROM><ACCTID>55</BANKACCTFROM><BANKTRANLIST><STMTTRN><DTPOSTED>20260130<TRNAMT>1"
         "</BANKTRANLIST><LEDGERBAL><BALAMT>100.00</LEDGERBAL></STMTRS>\n<STMTRS><BANKACCTFROM><ACCTID>55"
         "</BANKACCTFROM><BANKTRANLIST><STMTTRN><DTPOSTED>20260201<TRNAMT>2</BANKTRANLIST><LEDGERBAL><BALAMT>102.00"
         "</LEDGERBAL></STMTRS></OFX>",
         "1 2026-01-30 1.00 |\n2 2026-02-01 2.00 |\n", "55", "", true, 10200},
        {"what is missing and what does not read, amid garbage",
         "<OFX>\n<STMTRS><BANKACCTFROM><ACCTID>55</BANKACCTFROM><JUNK><DEEPER><BANKTRANLIST>\n"
         "<STMTTRN><TRNAMT>1.00</STMTTRN>\n<STMTTRN><DTPOSTED>20260230<TRNAMT>1</STMTTRN>\n"
         "<STMTTRN><DTPOSTED>20260201<TRNAMT>1x</STMTTRN>\n<STMTTRN><NAME>Nothing</STMTTRN>\n"
         "<STMTTRN><DTPOSTED>20260202<TRNAMT>4<BANKACCTTO><BANKID>9<ACCTID>8</BANKACCTTO></STMTTRN>\n"
         "</JUNK></UNOPENED><<STMTTRN<>\n<STMTTRN><DTPOSTED>20260203<TRNAMT>5\n",
         "3 ! the transaction has no date (DTPOSTED)\n4 ! the date \"20260230\" is not a date\n"
         "5 ! the amount \"1x\" is not a number\n6 ! the transaction has no date (DTPOSTED) and no amount (TRNAMT)\n"
         "7 2026-02-02 4.00 |\n9 2026-02-03 5.00 |\n",
         "55", "", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Statement s = readOfx(bytesOf(c.file));
        ASSERT_EQ(s.error, "");
        EXPECT_EQ(summary(s), c.lines);
        EXPECT_EQ(s.account, c.account);
        EXPECT_EQ(s.note, c.note);
        EXPECT_EQ(s.hasClosingBalance, c.hasClosing);
        if (c.hasClosing) EXPECT_EQ(s.closingBalance, c.closing);
        EXPECT_EQ(s.dateOrders, s.lines.empty() ? 0 : ymd);
        EXPECT_EQ(statementProblem(s, bytesOf(c.file)), "");
    }
}

// What the bank says each line is, which account a line is of in a file of
// several, and the currency.
TEST(OfxReader, TypesAccountsAndCurrency) {
    struct Case {
        const char* name;
        std::string file;
        std::string lines;  // "line TRNTYPE @account" each
        std::string account, scope, currency, note;
        std::vector<std::string> accounts;
    };
    const std::string checking = "<BANKACCTFROM><BANKID>021000<ACCTID>778812<ACCTTYPE>CHECKING</BANKACCTFROM>";
    auto transaction = [](const char* type, const char* date, const char* amount) {
        return std::string("<STMTTRN><TRNTYPE>") + type + "<DTPOSTED>" + date + "<TRNAMT>" + amount + "<FITID>" +
               date + "</STMTTRN>\n";
    };
    const std::string checkingLines = transaction("XFER", "20260302", "-250.00") +
                                      transaction("DIRECTDEP", "20260303", "1200.00") +
                                      transaction("CHECK", "20260304", "-75.00");
    const std::string cardLines = transaction("PAYMENT", "20260305", "250.00") + transaction("FEE", "20260306", "-39.00");
    auto bank = [&](const char* currency, const std::string& lines) {
        return std::string("<BANKMSGSRSV1><STMTTRNRS><STMTRS>") + (*currency ? "<CURDEF>" : "") + currency + checking +
               "<BANKTRANLIST>\n" + lines + "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1>\n";
    };
    auto card = [&](const char* currency, const std::string& lines) {
        return std::string("<CREDITCARDMSGSRSV1><CCSTMTTRNRS><CCSTMTRS><CURDEF>") + currency +
               "<CCACCTFROM><ACCTID>4111009</CCACCTFROM><BANKTRANLIST>\n" + lines +
               "</BANKTRANLIST></CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1>\n";
    };
    const Case cases[] = {
        {"one checking account in dollars",
         "<OFX>\n" + bank("USD", checkingLines + "<STMTTRN><TRNTYPE> INT \n<DTPOSTED>20260331<TRNAMT>0.42</STMTTRN>\n") +
         "</OFX>",
         "3 XFER @\n4 DIRECTDEP @\n5 CHECK @\n6 INT @\n", "021000/778812", "OFX 021000/778812", "USD", "", {}},
        {"a checking and a card statement in one file",
         "<OFX>\n" + bank("USD", checkingLines) + card("USD", cardLines) + "</OFX>",
         "3 XFER @021000/778812\n4 DIRECTDEP @021000/778812\n5 CHECK @021000/778812\n"
         "8 PAYMENT @4111009\n9 FEE @4111009\n",
         "", "OFX ", "USD",
         "The file holds statements of 2 accounts (021000/778812, 4111009): no closing balance is checked.",
         {"021000/778812", "4111009"}},
        {"euros, the type and currency in any case",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS><CURDEF> eur </CURDEF>"
         "<BANKACCTFROM><BANKID>DE12</BANKID><ACCTID>5500</ACCTID></BANKACCTFROM><BANKTRANLIST>\n"
         "<STMTTRN><TRNTYPE>pos</TRNTYPE><DTPOSTED>20260302</DTPOSTED><TRNAMT>-3,80</TRNAMT></STMTTRN>\n"
         "<STMTTRN><TRNTYPE>SRVCHG</TRNTYPE><DTPOSTED>20260331</DTPOSTED><TRNAMT>-4,95</TRNAMT></STMTTRN>\n"
         "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>",
         "2 pos @\n3 SRVCHG @\n", "DE12/5500", "OFX DE12/5500", "EUR", "", {}},
        {"accounts in two currencies: the first holds",
         "<OFX>\n" + bank("USD", checkingLines) + card("CAD", cardLines) + "</OFX>",
         "3 XFER @021000/778812\n4 DIRECTDEP @021000/778812\n5 CHECK @021000/778812\n"
         "8 PAYMENT @4111009\n9 FEE @4111009\n",
         "", "OFX ", "USD",
         "The file holds statements of 2 accounts (021000/778812, 4111009): no closing balance is checked. "
         "The file's accounts are in different currencies (USD, CAD): every amount is taken as USD.",
         {"021000/778812", "4111009"}},
        {"a second account without lines, no currency named",
         "<OFX>\n" + bank("", checkingLines) + card("", "") + "</OFX>",
         "3 XFER @\n4 DIRECTDEP @\n5 CHECK @\n", "", "OFX ", "",
         "The file holds statements of 2 accounts (021000/778812, 4111009): no closing balance is checked.", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Statement s = readOfx(bytesOf(c.file));
        ASSERT_EQ(s.error, "");
        std::string lines;
        for (const StatementLine& l : s.lines) lines += std::to_string(l.line) + " " + l.bankType + " @" + l.account + "\n";
        EXPECT_EQ(lines, c.lines);
        EXPECT_TRUE(s.unreadable.empty()) << summary(s);
        EXPECT_EQ(s.account, c.account);
        EXPECT_EQ(s.scope, c.scope);
        EXPECT_EQ(s.currency, c.currency);
        EXPECT_EQ(s.note, c.note);
        EXPECT_EQ(s.accounts, c.accounts);
        EXPECT_EQ(statementProblem(s, bytesOf(c.file)), "");
    }
}

TEST(OfxReader, CdataIsTheTextItHolds) {
    const std::string file =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><?OFX OFXHEADER=\"200\" VERSION=\"220\"?>\n<OFX><BANKMSGSRSV1>"
        "<STMTTRNRS><STMTRS><BANKACCTFROM><BANKID>1</BANKID><ACCTID>2</ACCTID></BANKACCTFROM><BANKTRANLIST>\n"
        "<STMTTRN><DTPOSTED>20260310</DTPOSTED><TRNAMT>-5.00</TRNAMT><NAME><![CDATA[Acme & Sons]]></NAME>"
        "<MEMO><![CDATA[<b>&amp;</b>]]> &amp; <![CDATA[more]]></MEMO></STMTTRN>\n"
        "<STMTTRN><DTPOSTED>20260311</DTPOSTED><TRNAMT>1</TRNAMT><NAME>\n<![CDATA[  Two\nlines ]]></NAME>"
        "<MEMO><![CDATA[]]></MEMO><FITID><![CDATA[x]]>7</FITID></STMTTRN>\n"
        "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";
    Statement s = readOfx(bytesOf(file));
    ASSERT_EQ(s.error, "");
    EXPECT_EQ(summary(s), "3 2026-03-10 -5.00 Acme & Sons|<b>&amp;</b> & more\n"
                          "4 2026-03-11 1.00 Two lines| #1/2/x7\n");
    EXPECT_EQ(statementProblem(s, bytesOf(file)), "");
}

TEST(OfxReader, NestingPastWhatCanBeFollowedRefusesTheFile) {
    auto repeated = [](const std::string& part, int times) {
        std::string out;
        for (int i = 0; i < times; ++i) out += part;
        return out;
    };
    const std::string transaction = "<STMTTRN><DTPOSTED>20260301<TRNAMT>1</STMTTRN>\n";
    struct Case {
        const char* name;
        std::string file;
        std::string error;  // "" when it is read
        size_t lines;
    };
    const Case cases[] = {
        // <OFX> and <STMTRS> and 253 more: the transaction is the 256th.
        {"as deep as can be followed", "<OFX><STMTRS>\n" + repeated("<AGG>\n", 253) + transaction, "", 1},
        {"one deeper, a transaction after",
         "<OFX><STMTRS>\n" + repeated("<AGG>\n", 300) + transaction + repeated("</AGG>", 300) + transaction,
         "The file's structure cannot be followed: its aggregates are nested more than 256 deep at line 256.", 0},
        // OFX 1.x left every transaction open: each ends where the next begins.
        {"transactions never closed",
         "<OFX><STMTRS><BANKTRANLIST>\n" + repeated("<STMTTRN><DTPOSTED>20260301<TRNAMT>1<EXTRA>\n", 400), "", 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Statement s = readOfx(bytesOf(c.file));
        EXPECT_EQ(s.error, c.error);
        EXPECT_EQ(s.lines.size(), c.lines);
        EXPECT_TRUE(s.unreadable.empty()) << summary(s);
        EXPECT_EQ(statementProblem(s, bytesOf(c.file)), "");
    }
}

TEST(QifReader, RecordsAccountsAndDateOrders) {
    struct Case {
        const char* name;
        std::string file;
        unsigned orders;
        std::string lines, account;
    };
    const Case cases[] = {
        {"every date form, T before U, empty splits",
         "!Type:Bank\nD6/ 4'18\nT-1,234.56\nU-1,234.56\nPHarbor Fuel\nMDiesel\nN1042\nLAuto:Fuel\n^\n"
         "D28.02'2009\nU15.00\nPInterest\nS\nE\n$\nS\n$\n^\nD31/12/2014\nT2.00\n^\n", dmy,
         "2 06-04-2018 -1234.56 Harbor Fuel|Diesel\n10 28-02-2009 15.00 Interest|\n19 31-12-2014 2.00 |\n", ""},
        {"one date decides the file", "!Type:CCard\nD01/02/2026\nT-1.00\n^\nD13/02/2026\nT2.00\n^\nD03/02/2026\nT3\n^\n",
         dmy, "2 01-02-2026 -1.00 |\n5 13-02-2026 2.00 |\n8 03-02-2026 3.00 |\n", ""},
        {"no date decides it", "!Type:Cash\nD1/2/26\nT-1.00\n^\nD3/4/26\nT2.00\n^\n", mdy | dmy,
         "2 01-02-2026 -1.00 |\n5 03-04-2026 2.00 |\n", ""},
        {"account blocks around the list of accounts",
         "!Option:AutoSwitch\n!Account\nNChecking\nTBank\n^\n!Account\nNVisa\nTCCard\n^\n!Clear:AutoSwitch\n"
         "!Account\nNChecking\nTBank\nDMain account\n^\n!Type:Bank\nD12/31/2025\nT1.234,56\nPHollin\n^\n"
         "D1/5/2026\nT-0,99\n^\n",
         mdy, "17 12-31-2025 1234.56 Hollin|\n21 01-05-2026 -0.99 |\n", "Checking"},
        {"other types are passed over",
         "!Type:Cat\nNAuto\nE\n^\n!Type:Invst\nD1/2/26\nNBuy\nT100\n^\n!Type:Memorized\nKC\nT5\n^\n"
         "!Type:Oth L\nD2026-03-14\nT-5\n^\n!Type:Class\nNX\n^\n", ymd, "15 2026-03-14 -5.00 |\n", ""},
        {"what is missing and what does not read",
         "!Type:Bank\r\nD3/14/2026\r\nT12,3x\r\n^\r\nPNo date\r\nT1\r\n^\r\nD3/15/2026\r\nPNo amount\r\n^\r\n"
         "MOnly a memo\r\n^\r\n^\r\nD3/16/2026\r\nT4.00\r\n", mdy,
         "2 ! the amount \"12,3x\" is not a number\n5 ! the record has no date (D)\n"
         "8 ! the record has no amount (T)\n14 03-16-2026 4.00 |\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Statement s = readQif(bytesOf(c.file));
        ASSERT_EQ(s.error, "");
        EXPECT_EQ(summary(s), c.lines);
        EXPECT_EQ(s.dateOrders, c.orders);
        EXPECT_EQ(s.account, c.account);
        EXPECT_EQ(statementProblem(s, bytesOf(c.file)), "");
    }
}

// Line ends, sections, headers, splits and field codes: where each record
// starts, which account and scope the file has, and what the preview is told.
TEST(QifReader, SectionsFieldsAndLineEnds) {
    struct Case {
        const char* name;
        std::string file;
        std::string lines, account, scope, note;
        std::string past;  // "line:as written" for each amount with digits past the cents
    };
    const Case cases[] = {
        {"CR line ends, lines of blanks, no ^ at the end",
         "!Type:Bank\r\r  D3/1/26  \r \t \rT-4.50\rPCorner Shop \r^\rD3/2/26\rT1",
         "3 03-01-2026 -4.50 Corner Shop|\n8 03-02-2026 1.00 |\n", "", "QIF !type:bank", "", ""},
        {"LF CR is two line ends, CR LF one", "!Type:Bank\n\rD3/1/26\r\nT1\n\r^\r\nD3/2/26\nT2\n^\n",
         "3 03-01-2026 1.00 |\n7 03-02-2026 2.00 |\n", "", "QIF !type:bank", "", ""},
        {"blank lines before the header, a record ended by the next section",
         "\r\n  \r\n! TYPE : CCARD\r\nD1/2/26\r\nT-5\r\n!Type:Invst\r\nD1/3/26\r\nT9\r\n^\r\n!Type:Bank\r\nD1/4/26\r\nT7\r\n^\r\n",
         "4 01-02-2026 -5.00 |\n11 01-04-2026 7.00 |\n", "", "QIF !type:ccard", "", ""},
        {"an unknown header ends the record, not the section", "!Type:Bank\nD1/2/26\nT1\n!Bogus\nT2\nD1/3/26\n^\n",
         "2 01-02-2026 1.00 |\n5 01-03-2026 2.00 |\n", "", "QIF !type:bank", "", ""},
        {"an !Account block over two bank sections",
         "!Account\nNChecking 0042\nTBank\n^\nD1/1/26\nT99\n^\n!Type:Bank\nD1/5/26\nT-10\n^\n!Type:Bank\nD1/6/26\nT20\n^\n",
         "9 01-05-2026 -10.00 |\n13 01-06-2026 20.00 |\n", "Checking 0042", "QIF !type:bank Checking 0042", "", ""},
        {"an AutoSwitch list: accounts with transactions, each once",
         "!Option:AutoSwitch\n!Account\nN  Joint\tChecking \nTBank\n^\n!Type:Bank\nD2/1/26\nT-3\nPCaf\xe9\n^\n"
         "!Account\nNBrokerage\nTInvst\n^\n!Type:Invst\nD2/2/26\nT100\n^\n!Account\nNVisa\nTCCard\n^\n"
         "!Type:CCard\nD2/3/26\nT-8\n^\n!Account\nNJoint\tChecking\n^\n!Type:Bank\nD2/4/26\nT4\n^\n!Clear:AutoSwitch\n",
         "7 02-01-2026 -3.00 Caf\xe9|\n24 02-03-2026 -8.00 |\n31 02-04-2026 4.00 |\n", "", "QIF !type:bank",
         "The file is not UTF-8: read as Windows-1252. The file holds the transactions of 2 accounts: Joint "
         "Checking, Visa.", ""},
        {"AutoSwitch without a transaction section",
         "!Option:AutoSwitch\nD1/2/26\nT5\n^\n!Account\nNSavings\nTBank\n^\n!Clear:AutoSwitch\n", "", "", "QIF ", "",
         ""},
        {"split lines belong to their record",
         "!Type:Bank\nD3/3/26\nT-60.00\nPSupermarket\nSFood\nEWeekly shop\n$-45.00\nSHousehold\n$-15.00\nMCard 1234\n^\n"
         "SFuel\n$-30\nD3/4/26\nU-30\n^\nSFood\n$-5\n^\n",
         "2 03-03-2026 -60.00 Supermarket|Card 1234\n12 03-04-2026 -30.00 |\n", "", "QIF !type:bank", "", ""},
        {"unknown field codes are passed over",
         "!Type:CCard\nXAJ\nD3/5/26\nT-2.50\nA12 High Street\nC*\nKX\n^\nZnothing known\n^\nPOnly a payee\nLFees\n^\n",
         "2 03-05-2026 -2.50 |\n", "", "QIF !type:ccard", "", ""},
        {"T before U, U alone, the last of a code, what is missing",
         "!Type:Bank\nD4/1/26\nU-100.00\nT-1.00\n^\nD4/2/26\nU7.25\n^\nD4/3/26\nT\nU5\n^\nD\nPNothing\n^\nD   \nT3\n^\n"
         "DSometime in the spring of the year 2026, roughly\nT1\n^\nT1\nT2\nD4/4/26\n^\n",
         "2 04-01-2026 -1.00 |\n6 04-02-2026 7.25 |\n9 ! the amount is missing\n"
         "13 ! the record has no date (D) and no amount (T)\n16 ! the record has no date (D)\n"
         "19 ! the date \"Sometime in the spring of the year 20...\" is not a date\n22 04-04-2026 2.00 |\n",
         "", "QIF !type:bank", "", ""},
        {"digits past the cents, U amounts voting for the comma",
         "!Type:Bank\nD1/3/26\nT-12,3456\n^\nD1/4/26\nU1.234,50\n^\nD1/5/26\nT7,5\n^\nD1/6/26\nT0,004\n^\n"
         "D1/7/26\nT2,500\n^\n",
         "2 01-03-2026 -12.34 |\n5 01-04-2026 1234.50 |\n8 01-05-2026 7.50 |\n11 01-06-2026 0.00 |\n"
         "14 01-07-2026 2.50 |\n",
         "", "QIF !type:bank", "", "2:-12,3456 11:0,004 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Statement s = readQif(bytesOf(c.file));
        ASSERT_EQ(s.error, "");
        EXPECT_EQ(summary(s), c.lines);
        EXPECT_EQ(s.account, c.account);
        EXPECT_EQ(s.scope, c.scope);
        EXPECT_EQ(s.note, c.note);
        std::string past;
        for (const StatementLine& l : s.lines)
            if (!l.pastCents.empty()) past += std::to_string(l.line) + ":" + l.pastCents + " ";
        EXPECT_EQ(past, c.past);
        EXPECT_EQ(statementProblem(s, bytesOf(c.file)), "");
    }
}

TEST(QifReader, RefusesAFileThatDoesNotBeginWithAHeader) {
    const char* files[] = {
        "D1/2/26\nT5\n^\n!Type:Bank\nD1/3/26\nT6\n^\n",  // fields before any header
        "!Bogus\n!Type:Bank\nD1/3/26\nT6\n^\n",          // a header of no QIF section first
        "\r\n \r\n\t\r\n",                                 // nothing but blank lines
    };
    for (const char* file : files) {
        SCOPED_TRACE(file);
        Statement s = readQif(bytesOf(file));
        EXPECT_EQ(s.error, "The file is not a QIF statement: it does not begin with a !Type or !Account line.");
        EXPECT_TRUE(s.lines.empty() && s.unreadable.empty());
    }
}

using Reader = Statement (*)(const Bytes&);
Statement csvThroughGuess(const Bytes& bytes) {
    CsvTable table = readCsvTable(bytes);
    return csvStatement(table, guessCsvColumns(table));
}
const std::pair<const char*, Reader> readers[] = {{"csv", csvThroughGuess}, {"ofx", readOfx}, {"qif", readQif}};

TEST(StatementReaders, RefuseWhatIsNoStatementOfTheirKind) {
    struct Case {
        const char* name;
        Bytes bytes;
        const char* csv;  // the start of each reader's message
        const char* ofx;
        const char* qif;
    };
    Bytes huge(maxStatementBytes + 1, 'a');
    Bytes binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<uint8_t>(i * 37 % 256));
    const char* tooLarge = "The file is larger than 16 MB";
    const Case cases[] = {
        {"too large", huge, tooLarge, tooLarge, tooLarge},
        {"binary", binary, "The file holds binary data", "The file holds binary data", "The file holds binary data"},
        {"a workbook", bytesOf(std::string("PK\3\4\x14\0\0\0", 8)), "The file is a spreadsheet workbook",
         "The file is a spreadsheet workbook", "The file is a spreadsheet workbook"},
        {"a legacy workbook", Bytes{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0, 0, 0},
         "The file is a spreadsheet workbook", "The file is a spreadsheet workbook", "The file is a spreadsheet workbook"},
        {"binary behind a UTF-16 mark", [&binary] {
             Bytes b{0xFF, 0xFE};
             for (uint8_t c : binary) b.insert(b.end(), {static_cast<uint8_t>(c % 32), 0});
             return b;
         }(), "The file holds binary data", "The file holds binary data", "The file holds binary data"},
        {"a PDF", bytesOf("%PDF-1.7\n"), "The file is a PDF document", "The file is a PDF document",
         "The file is a PDF document"},
        {"empty", Bytes{}, "The file is empty.", "The file is empty.", "The file is empty."},
        {"plain text", bytesOf("Dear customer,\nyour statement is attached.\n"),
         "The file is not a CSV statement", "The file is not an OFX statement", "The file is not a QIF statement"},
        {"10,000 columns", bytesOf(std::string(10000, ',') + "\n" + std::string(10000, ',') + "\n"),
         "The file is not a CSV statement: line 1: the line has more than", "The file is not an OFX",
         "The file is not a QIF"},
        {"OFX without statements", bytesOf("<OFX><SIGNONMSGSRSV1></SIGNONMSGSRSV1></OFX>"),
         "The file is not a CSV statement", "The file is not a bank or card statement", "The file is not a QIF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const char* expected[] = {c.csv, c.ofx, c.qif};
        for (int r = 0; r < 3; ++r) {
            Statement s = readers[r].second(c.bytes);
            EXPECT_EQ(s.error.rfind(expected[r], 0), 0u) << readers[r].first << ": " << s.error;
            EXPECT_TRUE(s.lines.empty() && s.unreadable.empty());
        }
    }
}

TEST(StatementReaders, HostileInputsGiveTheReadablePart) {
    std::string megabyte(1 << 20, 'x');
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<A><STMTTRN>";
    std::string csv5000 = "Date,Payee,Amount\n";
    for (int i = 0; i < 5000; ++i) csv5000 += "03/" + std::to_string(10 + i % 19) + "/2026,Payee " + std::to_string(i) + ",-1.25\n";
    struct Case {
        const char* name;
        Reader read;
        std::string file;
        size_t lines, unreadable;  // `any` for however many
    };
    const size_t any = SIZE_MAX;
    const Case cases[] = {
        {"a NUL in a field", csvThroughGuess, std::string("Date,Payee,Amount\n03/14/2026,A\0B,1\n", 34), 1, 0},
        {"a line of a megabyte", csvThroughGuess, "Date,Payee,Amount\n03/14/2026," + megabyte + ",1\n03/15/2026,B,2\n", 2, 0},
        {"a quote opening the file", csvThroughGuess, "\"Date,Payee,Amount\n03/14/2026,A,1\n", 0, 0},
        {"stray quotes on every line", csvThroughGuess, [] {
             std::string f = "Date,Payee,Amount\n";
             for (int i = 0; i < 20000; ++i) f += "03/14/2026,\"x,1\n";
             return f;
         }(), 10000, 0},  // each quote closes on the next line: pairs of lines make one row
        {"5,000 lines", csvThroughGuess, csv5000, 5000, 0},
        {"OFX nested garbage", readOfx, "<OFX><STMTRS><STMTTRN><DTPOSTED>20260301<TRNAMT>1</STMTTRN>" + deep +
         "</STMTRS>" + std::string(50000, '<'), 1, any},
        {"OFX with an open comment", readOfx, "<OFX><STMTRS><STMTTRN><DTPOSTED>20260301<TRNAMT>1<!-- " + megabyte, 1, 0},
        {"QIF of a megabyte line", readQif, "!Type:Bank\nD3/1/26\nP" + megabyte + "\nT1\n^\n", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Statement s = c.read(bytesOf(c.file));
        EXPECT_EQ(statementProblem(s, bytesOf(c.file)), "");
        if (c.lines == 0 && c.unreadable == 0) {
            EXPECT_TRUE(!s.error.empty() || (s.lines.empty() && !s.unreadable.empty())) << s.error;
            continue;
        }
        EXPECT_EQ(s.error, "");
        EXPECT_EQ(s.lines.size(), c.lines);
        if (c.unreadable != any) EXPECT_EQ(s.unreadable.size(), c.unreadable);
    }
}

// A line that cannot be read keeps its date, amount and payee as written,
// for the user to type it in by hand.
TEST(StatementReaders, UnreadableLinesKeepTheirTexts) {
    struct Case {
        const char* name;
        Reader read;
        std::string file;
        std::string unreadable;  // "line|date|amount|payee" each
    };
    const Case cases[] = {
        {"CSV: an amount, a date and a field count", csvThroughGuess,
         "Date,Description,Amount\n03/14/2026,  Corner Cafe ,12.3x\n,Rent,-900.00\n03/15/2026,Hollin\n"
         "Total,,-887.70\n03/16/2026,Fee,-1.00\n",
         "2|03/14/2026|12.3x|Corner Cafe\n3||-900.00|Rent\n4|03/15/2026||Hollin\n5|Total|-887.70|\n"},
        {"CSV: money out and in, the memo where there is no payee", csvThroughGuess,
         "Date,Memo,Debit,Credit\n31/31/2026,Fuel,45.00,\n03/15/2026,Refund,,5.x\n03/16/2026,Odd,(2.00),\n"
         "03/17/2026,Both,1.00,2.0x\n03/18/2026,Fine,1.00,\n",
         "2|31/31/2026|-45.00|Fuel\n3|03/15/2026|5.x|Refund\n5|03/17/2026|2.0x -1.00|Both\n"},
        {"CSV: a date the other lines rule out", csvThroughGuess,
         "Date,Payee,Amount\n03/14/2026,A,1\n03/20/2026,B,2\n14/03/2026,Cole Supply,-3.5\n",
         "4|14-03-2026|-3.50|Cole Supply\n"},
        {"CSV: an unclosed quote keeps no texts", csvThroughGuess,
         "Date,Payee,Amount\n03/14/2026,\"Broken,1.00\n03/15/2026,Fine,2.00\n", "2|||\n"},
        {"OFX: what is missing and what does not read", readOfx,
         "<OFX><STMTRS><BANKTRANLIST>\n<STMTTRN><TRNAMT> -4.00 <NAME>Corner Cafe</STMTTRN>\n"
         "<STMTTRN><DTPOSTED>20260230<TRNAMT>1<PAYEE><NAME>Hollin LLC</NAME></PAYEE></STMTTRN>\n"
         "<STMTTRN><DTPOSTED>20260301<TRNAMT>1x<MEMO>Wire fee</STMTTRN>\n"
         "<STMTTRN><DTPOSTED>20260302<TRNAMT>2</STMTTRN>\n",
         "2||-4.00|Corner Cafe\n3|20260230|1|Hollin LLC\n4|20260301|1x|Wire fee\n"},
        {"QIF: what is missing and what does not read", readQif,
         "!Type:Bank\nD3/14/2026\nT12,3x\nPCorner Cafe\n^\nT-5.00\nMWire fee\n^\nD3/33/2026\nU7\nPHollin\n^\n"
         "D3/15/2026\nT1\n^\n",
         "2|3/14/2026|12,3x|Corner Cafe\n6||-5.00|Wire fee\n9|3/33/2026|7|Hollin\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Statement s = c.read(bytesOf(c.file));
        ASSERT_EQ(s.error, "");
        std::string unreadable;
        for (const UnreadableLine& u : s.unreadable)
            unreadable += std::to_string(u.line) + "|" + u.date + "|" + u.amount + "|" + u.payee + "\n";
        EXPECT_EQ(unreadable, c.unreadable) << summary(s);
        EXPECT_EQ(statementProblem(s, bytesOf(c.file)), "");
    }
}

// The columns chosen for a statement are remembered with its type and
// currency columns; files written before those were known still load.
TEST(StatementMemory, ColumnsInTheCurrentAndTheOlderForm) {
    RememberedStatement chosen;
    chosen.hasColumns = true;
    chosen.columns = {1, 3, -1, -1, 2, -1, 5, -1, 4, 7};
    chosen.rememberedOn = 1234;
    const std::string written = encodeStatementMemory({{"CSV Details,Posting Date", chosen}});
    EXPECT_EQ(written, "Quirvel import memory 2\r\nCSV Details,Posting Date\t1,3,-1,-1,2,-1,5,-1,4,7\t0\t-\t1234\t-\t-\r\n");

    struct Case {
        const char* name;
        std::string text;
        bool read;
        CsvColumns columns;  // date, amount, debit, credit, payee, memo, balance, id, type, currency
    };
    const Case cases[] = {
        {"as written now", written, true, chosen.columns},
        {"eight numbers: no type or currency column",
         "Quirvel import memory 2\r\nCSV Date,Payee,Amount\t0,2,-1,-1,1,-1,-1,-1\t1\t0\t99\r\n", true,
         {0, 2, -1, -1, 1, -1, -1, -1, -1, -1}},
        {"the first version", "Quirvel import memory 1\r\nk\t0,-1,2,3,1,-1,4,-1\t0\t-\t-\r\n", true,
         {0, -1, 2, 3, 1, -1, 4, -1, -1, -1}},
        {"nine numbers", "Quirvel import memory 2\r\nk\t0,2,-1,-1,1,-1,-1,-1,4\t0\t-\t1\r\n", false, {}},
        {"eleven numbers", "Quirvel import memory 2\r\nk\t0,2,-1,-1,1,-1,-1,-1,4,5,6\t0\t-\t1\r\n", false, {}},
        {"a type column below -1", "Quirvel import memory 2\r\nk\t0,2,-1,-1,1,-1,-1,-1,-2,5\t0\t-\t1\r\n", false, {}},
        {"a currency taken and widths", "Quirvel import memory 2\r\nk\t0,2,-1,-1,1,-1,-1,-1,4,5\t0\t-\t1\tEUR\t0,0,180\r\n",
         true, {0, 2, -1, -1, 1, -1, -1, -1, 4, 5}},
        {"a currency in lower case", "Quirvel import memory 2\r\nk\t0,2,-1,-1,1,-1,-1,-1,4,5\t0\t-\t1\teur\t-\r\n", false, {}},
        {"a width past the screen", "Quirvel import memory 2\r\nk\t0,2,-1,-1,1,-1,-1,-1,4,5\t0\t-\t1\t-\t9000\r\n", false, {}},
        {"six fields", "Quirvel import memory 2\r\nk\t0,2,-1,-1,1,-1,-1,-1,4,5\t0\t-\t1\tEUR\r\n", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto entries = decodeStatementMemory(c.text);
        ASSERT_EQ(entries.size(), c.read ? 1u : 0u);
        if (!c.read) continue;
        const CsvColumns& got = entries[0].second.columns;
        EXPECT_TRUE(entries[0].second.hasColumns);
        EXPECT_TRUE(got == c.columns) << got.type << " " << got.currency;
        // Written again, it is in the current form and reads back the same.
        auto again = decodeStatementMemory(encodeStatementMemory(entries));
        ASSERT_EQ(again.size(), 1u);
        EXPECT_TRUE(again[0].second.columns == c.columns);
    }
}

std::string sourceFolder() {
    std::string here = __FILE__;
    return here.substr(0, here.find_last_of("/\\") + 1) + "../../";
}

Bytes fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Statement readAny(const Bytes& bytes) {
    switch (detectFormat(bytes)) {
    case StatementFormat::ofx: return readOfx(bytes);
    case StatementFormat::qif: return readQif(bytes);
    case StatementFormat::csv: break;
    }
    return csvThroughGuess(bytes);
}

TEST(StatementReaders, Utf16StatementsReadAsTheirText) {
    struct Case {
        const char* name;
        std::u16string file;
        StatementFormat format;
        std::string lines, note;  // the note besides the one on a missing mark
    };
    const Case cases[] = {
        {"CSV saved as Unicode text", u"Date\tPayee\tAmount\r\n03/14/2026\tCaf\u00e9 Lune\t-12.50\r\n"
         u"03/15/2026\t\u65e5\u672c Trading\t1,200.00\r\n", StatementFormat::csv,
         "2 03-14-2026 -12.50 Caf\xe9 Lune|\n3 03-15-2026 1200.00 ?? Trading|\n",
         "2 characters that Windows-1252 lacks are shown as ?."},
        {"OFX 1.x", u"OFXHEADER:100\r\nDATA:OFXSGML\r\nCHARSET:1252\r\n\r\n<OFX><STMTRS><BANKACCTFROM><ACCTID>9"
         u"</BANKACCTFROM>\r\n<STMTTRN><DTPOSTED>20260301<TRNAMT>-4.00<NAME>Caf\u00e9</STMTTRN>\r\n</STMTRS></OFX>",
         StatementFormat::ofx, "6 2026-03-01 -4.00 Caf\xe9|\n", ""},
        {"QIF", u"!Type:Bank\r\nD3/14/2026\r\nT-1.00\r\nPCaf\u00e9\r\n^\r\n", StatementFormat::qif,
         "2 03-14-2026 -1.00 Caf\xe9|\n", ""},
    };
    const std::string unmarked = "The file is UTF-16 without a byte order mark: read as UTF-16.";
    for (const Case& c : cases) {
        for (Utf16Form form : {Utf16Form::littleEndian, Utf16Form::bigEndian, Utf16Form::unmarked}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(static_cast<int>(form)));
            Bytes bytes = utf16Of(c.file, form);
            EXPECT_EQ(detectFormat(bytes), c.format);
            Statement s = readAny(bytes);
            ASSERT_EQ(s.error, "");
            EXPECT_EQ(summary(s), c.lines);
            std::string note = form == Utf16Form::unmarked ? unmarked + (c.note.empty() ? "" : " ") + c.note : c.note;
            EXPECT_EQ(s.note, note);
            EXPECT_EQ(statementProblem(s, bytes), "");
        }
    }
}

TEST(StatementReaders, SamplesReadWhole) {
    struct Case {
        const char* file;
        StatementFormat format;
        unsigned orders;
        size_t unreadable;  // a footer the sample keeps on purpose
        bool balances;
    };
    const Case cases[] = {
        {"checking-us.csv", StatementFormat::csv, mdy, 0, false},
        {"giro-eu.csv", StatementFormat::csv, dmy, 1, true},
        {"card-iso.csv", StatementFormat::csv, ymd, 0, true},
        {"bank-1x.ofx", StatementFormat::ofx, ymd, 0, true},
        {"card-2x.qfx", StatementFormat::ofx, ymd, 0, true},
        {"cash.qif", StatementFormat::qif, mdy, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Bytes bytes = fileBytes(sourceFolder() + "samples/statements/" + c.file);
        ASSERT_FALSE(bytes.empty()) << "missing";
        EXPECT_EQ(detectFormat(bytes), c.format);
        Statement s = readAny(bytes);
        EXPECT_EQ(s.error, "");
        EXPECT_EQ(s.unreadable.size(), c.unreadable) << summary(s);
        EXPECT_GE(s.lines.size(), 8u);
        EXPECT_LE(s.lines.size(), 20u);
        EXPECT_EQ(s.dateOrders, c.orders);
        EXPECT_EQ(s.note, "");
        bool balances = s.hasClosingBalance || std::all_of(s.lines.begin(), s.lines.end(), [](const StatementLine& l) {
                            return l.hasBalance;
                        });
        EXPECT_EQ(balances, c.balances);
        for (const StatementLine& l : s.lines) EXPECT_EQ(l.date.year, 2026) << l.line;
        EXPECT_EQ(statementProblem(s, bytes), "");
    }
}

// Inputs that once broke a reader, kept as found: every reader must give a
// sound statement or a message for each.
TEST(StatementReaders, RegressionsReadSoundly) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(sourceFolder() + "tests/import/regressions")) {
        if (entry.path().filename() == "README.md") continue;
        SCOPED_TRACE(entry.path().filename().string());
        Bytes bytes = fileBytes(entry.path());
        for (const auto& reader : readers) EXPECT_EQ(statementProblem(reader.second(bytes), bytes), "") << reader.first;
        // A file headed as the list's own export is read as one too.
        CsvTable table = readCsvTable(bytes);
        if (table.error.empty() && isOwnExport(table)) {
            Statement own = ownExportStatement(table);
            EXPECT_EQ(statementProblem(own, bytes), "") << "own export";
            // Every entry read is one a record can keep.
            for (const StatementLine& line : own.lines)
                EXPECT_TRUE(fitsListEntry(line.entry.description) && fitsListEntry(line.entry.name)) << line.line;
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
