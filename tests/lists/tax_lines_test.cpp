// The lines of Schedule C per tax year, the IRS's mileage rates, the
// proposals read from a description's words, and a description's line as a
// step of the books' history: assigned, undone, carried by a rename and into
// an archive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ledger/side_file.h"
#include "ledger//archive.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "lists/tax_lines.h"
#include "tests/support/scripted_prompts.h"
#include "text/date_text.h"

namespace {

size_t positionOf(const TaxForm& form, const char* key) {
    for (size_t i = 0; i < form.lines.size(); ++i)
        if (std::string(form.lines[i].key) == key) return i;
    return form.lines.size();
}

// The number a code starts with: "27b" -> 27.
int numberOf(const char* code) { return std::atoi(code); }

// 2024 prints "Other expenses" on 27a and the energy efficient buildings
// deduction on 27b; from 2025 on the two change places, in number and in
// order. Every form keeps the lines in the printed order, each key and code
// once, and the same keys from year to year.
TEST(TaxForms, EachYearsLinesInTheOrderOfItsForm) {
    EXPECT_EQ(taxFormYears(), (std::vector<int>{2024, 2025, 2026}));
    std::set<std::string> keys2024;
    for (int year : taxFormYears()) {
        SCOPED_TRACE(year);
        const TaxForm& form = taxFormFor(year);
        ASSERT_EQ(form.year, year);
        const bool old = year == 2024;
        ASSERT_NE(form.find("otherExpenses"), nullptr);
        ASSERT_NE(form.find("energy"), nullptr);
        EXPECT_STREQ(form.find("otherExpenses")->code, old ? "27a" : "27b");
        EXPECT_STREQ(form.find("energy")->code, old ? "27b" : "27a");
        EXPECT_EQ(positionOf(form, "energy") < positionOf(form, "otherExpenses"), !old);
        EXPECT_STREQ(form.find("office")->code, "18");
        EXPECT_STREQ(form.find("office")->name, "Office expense");
        EXPECT_STREQ(form.find("businessMiles")->code, "44a");
        EXPECT_EQ(form.find("line18"), nullptr);

        std::set<std::string> codes, keys;
        for (size_t i = 0; i < form.lines.size(); ++i) {
            const TaxFormLine& l = form.lines[i];
            EXPECT_TRUE(codes.insert(l.code).second) << l.code;
            EXPECT_TRUE(keys.insert(l.key).second) << l.key;
            if (i > 0) {
                const TaxFormLine& before = form.lines[i - 1];
                EXPECT_TRUE(numberOf(before.code) < numberOf(l.code) ||
                            (numberOf(before.code) == numberOf(l.code) && std::string(before.code) < l.code))
                    << before.code << " before " << l.code;
            }
        }
        if (old) keys2024 = keys;
        EXPECT_EQ(keys, keys2024);
    }
    // Lines with no reference number in the format, typed into tax software.
    const TaxForm& form = taxFormFor(2025);
    for (const char* key : {"depreciation", "energy", "startInventory", "endInventory", "businessMiles"})
        EXPECT_EQ(form.find(key)->txf, 0) << key;
    EXPECT_EQ(form.find("office")->txf, 313);
    EXPECT_EQ(form.find("otherExpenses")->txf, 302);
}

TEST(TaxForms, AYearWithoutAFormOfItsOwnTakesTheOneBefore) {
    const struct {
        int year, form;
        bool own;
    } cases[] = {{1980, 2024, false}, {2023, 2024, false}, {2024, 2024, true}, {2025, 2025, true},
                 {2026, 2026, true},  {2027, 2026, false}, {2107, 2026, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(taxFormFor(c.year).year, c.form) << c.year;
        EXPECT_EQ(hasOwnTaxForm(c.year), c.own) << c.year;
    }
    EXPECT_STREQ(taxFormFor(2023).find("otherExpenses")->code, "27a");
    EXPECT_STREQ(taxFormFor(2030).find("otherExpenses")->code, "27b");
}

// The IRS's rate of a year, with its notice; the user's own only for a
// year the program knows none for, never in place of the IRS's.
TEST(MileageRates, TheIrsRateOfTheYearElseTheUsersOwn) {
    const struct {
        int year;
        uint32_t tenths;
        const char* notice;
    } irs[] = {{2024, 670, "Notice 2024-08"}, {2025, 700, "Notice 2025-5"}, {2026, 725, "Notice 2026-10"}};
    for (const auto& r : irs) {
        const StandardRate* s = standardRateFor(r.year);
        ASSERT_NE(s, nullptr) << r.year;
        EXPECT_EQ(s->tenthsOfCent, r.tenths);
        EXPECT_STREQ(s->notice, r.notice);
    }
    EXPECT_EQ(standardRateFor(2023), nullptr);
    EXPECT_EQ(standardRateFor(2027), nullptr);

    TaxFacts facts = withRate(withRate({}, 2023, 655), 2025, 999);
    RateInUse r = mileageRateFor(facts, 2025);
    EXPECT_EQ(r.source, RateInUse::irs);
    EXPECT_EQ(r.tenthsOfCent, 700u);
    EXPECT_EQ(r.notice, "Notice 2025-5");
    r = mileageRateFor(facts, 2023);
    EXPECT_EQ(r.source, RateInUse::user);
    EXPECT_EQ(r.tenthsOfCent, 655u);
    EXPECT_EQ(r.notice, "");
    r = mileageRateFor(facts, 2022);
    EXPECT_EQ(r.source, RateInUse::none);
    EXPECT_EQ(r.tenthsOfCent, 0u);
    // A rate of 0 typed by the user is a rate, not none.
    EXPECT_EQ(mileageRateFor(withRate({}, 2027, 0), 2027).source, RateInUse::user);
    // Taken back, the year has none again.
    EXPECT_EQ(mileageRateFor(withRate(facts, 2023, -1), 2023).source, RateInUse::none);
}

TEST(MileageRates, RatesAsTypedAndShown) {
    const struct {
        const char* typed;
        bool ok;
        uint32_t tenths;
    } cases[] = {
        {"72.5", true, 725}, {"70", true, 700},      {" 65.5 ", true, 655}, {"0.5", true, 5},
        {".5", true, 5},     {"5.", true, 50},       {"0", true, 0},        {"100000", true, 1000000},
        {"", false, 0},      {"   ", false, 0},      {".", false, 0},       {"-1", false, 0},
        {"65.55", false, 0}, {"100000.1", false, 0}, {"1000000", false, 0}, {"1e3", false, 0},
        {"6 5", false, 0},   {"+65", false, 0},      {"65,5", false, 0},    {"1.2.3", false, 0},
    };
    for (const auto& c : cases) {
        uint32_t tenths = 4242;
        EXPECT_EQ(readRateText(c.typed, tenths), c.ok) << '"' << c.typed << '"';
        EXPECT_EQ(tenths, c.ok ? c.tenths : 4242u) << '"' << c.typed << "\": a refused text leaves the rate alone";
    }
    const struct {
        uint32_t tenths;
        const char* text;
    } shown[] = {{725, "72.5"}, {700, "70"}, {670, "67"}, {5, "0.5"}, {0, "0"}, {1000000, "100000"}};
    for (const auto& s : shown) {
        EXPECT_EQ(rateText(s.tenths), s.text);
        uint32_t back = 0;
        EXPECT_TRUE(readRateText(rateText(s.tenths), back));
        EXPECT_EQ(back, s.tenths);
    }
}

// Miles in hundredths at tenths of a cent, to the nearest cent, halves away
// from zero (a mileage entry taken back is negative).
TEST(MileageRates, DeductionRoundedToTheCent) {
    const struct {
        int64_t miles;
        uint32_t tenths;
        int64_t cents;
    } cases[] = {
        {10000, 700, 7000},        // 100 miles at 70 cents: $70.00
        {123456, 725, 89506},      // 1,234.56 miles at 72.5 cents: $895.056
        {1, 725, 1},               // 0.725 cent
        {1, 499, 0},               // 0.499 cent
        {2, 250, 1},               // half a cent up
        {-2, 250, -1},             // and down
        {-123456, 725, -89506},
        {0, 725, 0},
        {2147483647, 1000000, 2147483647000},  // the largest amount at the largest rate
    };
    for (const auto& c : cases)
        EXPECT_EQ(mileageDeduction(c.miles, c.tenths), c.cents) << c.miles << " at " << c.tenths;
}

TEST(LineProposals, FromTheGroupAndTheDescriptionsWords) {
    const struct {
        uint8_t group;
        const char* text;
        const char* key;
    } cases[] = {
        {typeExpense, "Office supplies", "office"},
        {typeExpense, "OFFICE SUPPLIES", "office"},
        {typeExpense, "Supplies", "supplies"},
        {typeExpense, "Advertising", "advertising"},
        {typeExpense, "Facebook ads", "advertising"},
        {typeExpense, "Health insurance", ""},
        {typeExpense, "Life insurance", ""},
        {typeExpense, "Business insurance", "insurance"},
        {typeExpense, "Mileage", ""},
        {typeExpense, "MILEAGE", ""},
        {typeExpense, "Mileage to supplier", ""},
        {typeExpense, "Van lease", "rentVehicles"},
        {typeExpense, "Shop rent", "rentOther"},
        {typeExpense, "Mortgage interest", "mortgageInterest"},
        {typeExpense, "Loan interest", "otherInterest"},
        {typeExpense, "Parking and tolls", "car"},
        {typeExpense, "Fuel", ""},  // only parking and tolls go with the standard rate
        {typeExpense, "Bank fees", "otherExpenses"},  // a bank's charges, not fees paid for services
        {typeExpense, "Sales commission", "commissions"},
        {typeExpense, "Accountant", "legal"},
        {typeExpense, "Phone/internet", "utilities"},
        {typeExpense, "Hotel", "travel"},
        {typeExpense, "Client lunch", "meals"},
        {typeExpense, "Officer", ""},  // words, not parts of words
        {typeExpense, "", ""},
        {typeService, "Consulting", "gross"},
        {typeService, "Office supplies", "gross"},
        {typeEarnings, "Interest", "otherIncome"},
        {typeSold, "Office supplies", ""},
        {typeBought, "Advertising", ""},
        {typePersonal, "Supplies", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(proposedLine(c.group, c.text), c.key) << int(c.group) << " " << c.text;
}

// Where each group may go, and how a choice reads on a year's form.
TEST(LineProposals, LinesOfAGroupAndTheirCaptions) {
    const TaxForm& form = taxFormFor(2025);
    auto keysOf = [&](uint8_t group) {
        std::vector<std::string> keys;
        for (const TaxFormLine* l : assignableLines(form, group)) keys.push_back(l->key);
        return keys;
    };
    const std::vector<std::string> income = {"gross", "returns", "otherIncome"};
    EXPECT_EQ(keysOf(typeService), income);
    EXPECT_EQ(keysOf(typeEarnings), income);
    for (uint8_t products : {typeSold, typeBought, typePersonal}) EXPECT_TRUE(keysOf(products).empty());
    std::vector<std::string> expense = keysOf(typeExpense);
    ASSERT_FALSE(expense.empty());
    EXPECT_EQ(expense.front(), "advertising");
    EXPECT_EQ(expense.back(), "otherCosts");
    for (const std::string& k : expense) EXPECT_EQ(form.find(k)->use, TaxLineUse::expense) << k;
    for (const char* never : {"totalExpenses", "purchases", "startInventory", "businessMiles", "gross"})
        EXPECT_EQ(std::count(expense.begin(), expense.end(), never), 0) << never;

    EXPECT_EQ(lineCaption(form, "office"), "Line 18 Office expense");
    EXPECT_EQ(lineCaption(form, leftOutKey), "Not on Schedule C");
    EXPECT_EQ(lineCaption(form, ""), "");
    EXPECT_EQ(lineCaption(form, "nothing"), "");
    EXPECT_EQ(lineCaption(taxFormFor(2024), "otherExpenses"), "Line 27a Other expenses (from line 48)");
    EXPECT_EQ(lineCaption(form, "otherExpenses"), "Line 27b Other expenses (from line 48)");

    // A confirmed line beats the proposal, whatever the letter case; one of
    // another group counts for nothing.
    TaxFacts facts = withAssignment({}, typeExpense, "office SUPPLIES", "supplies");
    facts = withAssignment(facts, typeService, "Advertising", leftOutKey);
    LineChoice c = lineChoiceFor(facts, typeExpense, "Office supplies");
    EXPECT_EQ(c.key, "supplies");
    EXPECT_TRUE(c.confirmed);
    c = lineChoiceFor(facts, typeExpense, "Advertising");
    EXPECT_EQ(c.key, "advertising");
    EXPECT_FALSE(c.confirmed);
    c = lineChoiceFor(facts, typeService, "advertising");
    EXPECT_EQ(c.key, leftOutKey);
    EXPECT_TRUE(c.confirmed);
    c = lineChoiceFor(facts, typeExpense, "Health insurance");
    EXPECT_EQ(c.key, "");
    EXPECT_FALSE(c.confirmed);
}

class AssignedLines : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        appendListEntry(descrList, typeExpense, "Office supplies");  // 1
        appendListEntry(descrList, typeExpense, "Postage");          // 2
        appendListEntry(descrList, typeService, "Consulting");       // 3
        appendListEntry(descrList, typeExpense, "Stationery");       // 4
        startNewHistory();  // as loaded
        markLedgerSaved();
    }
    void TearDown() override { resetLedgerTables(); }

    static std::string lineOf(uint8_t group, const std::string& text) {
        const TaxLineAssignment* a = findAssignment(ledger.beside.tax, group, text);
        return a ? a->line : "<none>";
    }

    ScriptedPrompts prompts;
};

// Each choice is one step named "Assign tax line"; Undo and Redo walk them,
// the changed mark with them. The same line again is no step.
TEST_F(AssignedLines, EachChoiceIsAStepUndoneAndRedone) {
    assignTaxLine(typeExpense, "Office supplies", "office");
    EXPECT_EQ(undoLabel(), "Assign tax line");
    EXPECT_EQ(ledgerChanged, 1);
    assignTaxLine(typeExpense, "OFFICE supplies", "supplies");  // letter case ignored: a change of line
    assignTaxLine(typeExpense, "Office supplies", "supplies");  // the same again
    assignTaxLine(typeService, "Consulting", leftOutKey);
    ASSERT_EQ(ledger.beside.tax.assignments.size(), 2u);
    EXPECT_EQ(lineOf(typeExpense, "office supplies"), "supplies");

    ASSERT_GE(undoStep(), 0);
    EXPECT_EQ(lineOf(typeService, "Consulting"), "<none>");
    ASSERT_GE(undoStep(), 0);
    EXPECT_EQ(lineOf(typeExpense, "Office supplies"), "office");
    ASSERT_GE(undoStep(), 0);
    EXPECT_TRUE(ledger.beside.tax.empty());
    EXPECT_EQ(ledgerChanged, 0);
    EXPECT_FALSE(canUndo());
    ASSERT_GE(redoStep(), 0);
    ASSERT_GE(redoStep(), 0);
    EXPECT_EQ(lineOf(typeExpense, "Office supplies"), "supplies");
    EXPECT_EQ(redoLabel(), "Assign tax line");
    EXPECT_EQ(ledgerChanged, 1);

    // "" takes the choice back, as a step of its own; the proposal shows again.
    assignTaxLine(typeExpense, "Office supplies", "");
    EXPECT_EQ(lineOf(typeExpense, "Office supplies"), "<none>");
    EXPECT_FALSE(canRedo());  // a new step drops the undone ones
    EXPECT_EQ(lineChoiceFor(ledger.beside.tax, typeExpense, "Office supplies").key, "office");
    ASSERT_GE(undoStep(), 0);
    EXPECT_EQ(lineOf(typeExpense, "Office supplies"), "supplies");
}

// A rename takes the line along in the same step, unless the new text has a
// line of its own; a letter-case change keeps it too.
TEST_F(AssignedLines, ARenameCarriesTheLine) {
    assignTaxLine(typeExpense, "Office supplies", "supplies");
    assignTaxLine(typeExpense, "Stationery", "office");
    assignTaxLine(typeExpense, "Postage", "advertising");
    setListEntry(descrList, 1, std::string(1, typeExpense) + "Printer paper");
    commitStep("Rename description");
    EXPECT_EQ(lineOf(typeExpense, "Printer paper"), "supplies");
    EXPECT_EQ(lineOf(typeExpense, "Office supplies"), "<none>");

    setListEntry(descrList, 1, std::string(1, typeExpense) + "PRINTER PAPER");
    commitStep("Rename description");
    EXPECT_EQ(lineOf(typeExpense, "Printer paper"), "supplies");

    // Onto a text with a line of its own: that one stays.
    setListEntry(descrList, 2, std::string(1, typeExpense) + "Stationery");
    commitStep("Rename description");
    EXPECT_EQ(lineOf(typeExpense, "Stationery"), "office");
    // A name list's rename touches no line.
    appendListEntry(nameList, typeExpense, "Stationery");
    setListEntry(nameList, 1, std::string(1, typeExpense) + "Paper Trail");
    commitStep("Rename name");
    EXPECT_EQ(lineOf(typeExpense, "Stationery"), "office");

    // Undone, the rename and its line go back together.
    for (int i = 0; i < 4; ++i) ASSERT_GE(undoStep(), 0);
    EXPECT_EQ(descriptionText(1), "Office supplies");
    EXPECT_EQ(lineOf(typeExpense, "Office supplies"), "supplies");
    EXPECT_EQ(lineOf(typeExpense, "Printer paper"), "<none>");
    ASSERT_GE(redoStep(), 0);
    EXPECT_EQ(lineOf(typeExpense, "Printer paper"), "supplies");
}

// An archive holds the lines of the descriptions its transactions use (and
// only those), with every year's rates and inventories.
TEST_F(AssignedLines, AnArchiveTakesTheLinesOfItsDescriptions) {
    Transaction t;
    t.type = typeExpense;
    t.amount = 100;
    for (auto [date, descr] : {std::pair<const char*, uint16_t>{"03-01-2024", 1}, {"04-01-2024", 3}, {"01-05-2025", 2}}) {
        t.date = packDate(date);
        t.descrIndex = descr;
        placeTransaction(t);
    }
    commitStep("Add record");
    assignTaxLine(typeExpense, "Office supplies", "supplies");
    assignTaxLine(typeExpense, "Postage", "office");  // used by 2025 only
    assignTaxLine(typeService, "Consulting", leftOutKey);
    YearInventory v;
    v.year = 2024;
    v.hasEnd = true;
    v.end = 150000;
    setTaxFacts(withRate(withInventory(ledger.beside.tax, v), 2023, 655));
    commitStep("Inventory");

    LedgerImage image = buildArchiveImage(2);
    ASSERT_EQ(image.descriptions.size(), 2u);
    const std::vector<TaxLineAssignment>& lines = image.beside.tax.assignments;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "Office supplies");
    EXPECT_EQ(lines[0].line, "supplies");
    EXPECT_EQ(lines[1].group, typeService);
    EXPECT_EQ(lines[1].line, leftOutKey);
    EXPECT_EQ(findAssignment(image.beside.tax, typeExpense, "Postage"), nullptr);
    EXPECT_EQ(image.beside.tax.rates.size(), 1u);
    EXPECT_EQ(inventoryOf(image.beside.tax, 2024).end, 150000);
    // The working books keep every line.
    EXPECT_EQ(ledger.beside.tax.assignments.size(), 3u);
}

}  // namespace

// An inventory not given keeps no amount, so that the books and the side
// file written from them hold the same facts.
TEST(TaxFactsInventory, ANotGivenInventoryKeepsNoAmount) {
    YearInventory v;
    v.year = 2025;
    v.start = 500;  // typed, then the box emptied
    v.hasEnd = true;
    v.end = 700;
    TaxFacts facts = withInventory(TaxFacts{}, v);
    EXPECT_EQ(inventoryOf(facts, 2025).start, 0);
    SideFile file, back;
    file.data.tax = facts;
    ASSERT_TRUE(decodeSideFile(encodeSideFile(file), back));
    EXPECT_TRUE(back.data.tax == facts);
    v.hasEnd = false;
    EXPECT_TRUE(withInventory(facts, v).inventories.empty());
}
