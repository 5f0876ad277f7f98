#include <gtest/gtest.h>

#include "ledger/changes.h"
#include "ledger/tables.h"
#include "reports/filter.h"
#include "text/date_text.h"

namespace {

class Filter : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        resetFilterState();
    }
    void TearDown() override { resetFilterState(); }

    int add(const char* date, int type, uint16_t descr = 0, uint16_t name = 0) {
        Transaction t;
        t.date = packDate(date);
        t.type = static_cast<uint8_t>(type);
        t.descrIndex = descr;
        t.nameIndex = name;
        return placeTransaction(t);
    }
    std::vector<int> shown() {
        std::vector<int> out;
        for (int i = 1; i <= transactionCount; ++i)
            if (transactionPassesFilter(i, listType)) out.push_back(i);
        return out;
    }
    int listType = 0;  // the type of the list the filter is for
};

TEST_F(Filter, DateBoundsAreInclusive) {
    add("02-28-2024", 1);
    add("03-01-2024", 1);
    add("03-31-2024", 1);
    add("04-01-2024", 1);
    EXPECT_EQ(shown(), (std::vector<int>{1, 2, 3, 4}));  // start-up values let all pass
    filterStartDate = packDate("03-01-2024");
    filterEndDate = packDate("03-31-2024");
    EXPECT_EQ(shown(), (std::vector<int>{2, 3}));
    EXPECT_FALSE(transactionPassesFilter(0, 0));
    EXPECT_FALSE(transactionPassesFilter(5, 0));
}

TEST_F(Filter, TypeRuleByTheListsType) {
    const char* dates[] = {"", "01-01-2024", "01-02-2024", "01-03-2024", "01-04-2024", "01-05-2024", "01-06-2024"};
    for (int type = 1; type <= 6; ++type) add(dates[type], type);
    struct Case {
        int currentType;
        std::vector<int> types;
    } cases[] = {
        {0, {1, 2, 3, 4, 5, 6}}, {1, {1}}, {2, {2}}, {3, {3, 4, 5}}, {4, {3, 4, 5}}, {5, {3, 4, 5}}, {6, {6}},
    };
    for (const auto& c : cases) {
        listType = c.currentType;
        std::vector<int> types;
        for (int i : shown()) types.push_back(transactions[i].type);
        EXPECT_EQ(types, c.types) << "currentType " << c.currentType;
    }
}

TEST_F(Filter, DescriptionAndNameMatchByExactTextInAnyGroup) {
    int lawn = appendListEntry(descrList, 1, "Lawn");
    int lawnExpense = appendListEntry(descrList, 2, "Lawn");
    int lowerCase = appendListEntry(descrList, 1, "lawn");
    int trailingBlank = appendListEntry(descrList, 1, "Lawn ");
    int smith = appendListEntry(nameList, 1, "Smith");
    int smithEarning = appendListEntry(nameList, 6, "Smith");
    int jones = appendListEntry(nameList, 1, "Jones");
    add("01-01-2024", 1, lawn, smith);
    add("01-02-2024", 2, lawnExpense, smithEarning);
    add("01-03-2024", 1, lowerCase, smith);
    add("01-04-2024", 1, trailingBlank, jones);
    add("01-05-2024", 1, 0, 0);

    filterDescrIndex = lawn;
    EXPECT_EQ(shown(), (std::vector<int>{1, 2}));
    filterNameIndex = smithEarning;
    EXPECT_EQ(shown(), (std::vector<int>{1, 2}));
    filterDescrIndex = 0;
    EXPECT_EQ(shown(), (std::vector<int>{1, 2, 3}));
    filterNameIndex = jones;
    EXPECT_EQ(shown(), (std::vector<int>{4}));
}

TEST_F(Filter, IndexOutsideItsListMatchesNothing) {
    int d = appendListEntry(descrList, 1, "Lawn");
    add("01-01-2024", 1, static_cast<uint16_t>(d), 0);
    add("01-02-2024", 1, 0, 0);
    for (int32_t stale : {2, 500, 501, 70000, -1}) {
        filterDescrIndex = stale;
        EXPECT_TRUE(shown().empty()) << stale;
        filterDescrIndex = 0;
        filterNameIndex = stale;
        EXPECT_TRUE(shown().empty()) << stale;
        filterNameIndex = 0;
    }
}

TEST_F(Filter, BoxItemsByGroupTrimmedAndOncePerText) {
    appendListEntry(descrList, 1, "  Mowing ");  // 1
    appendListEntry(descrList, 2, "Fuel");       // 2
    appendListEntry(descrList, 1, "MOWING");     // 3: same text as 1, case aside
    appendListEntry(descrList, 3, "Widget");     // 4
    appendListEntry(descrList, 6, "Interest");   // 5
    appendListEntry(descrList, 2, "mowing");     // 6
    appendListEntry(descrList, 1, "\xC9lan");    // 7: cp1252 capital E acute
    appendListEntry(descrList, 1, "\xE9lan");    // 8
    using Items = std::vector<BoxItem>;
    EXPECT_EQ(descrNameBoxItems(descrList, 1), (Items{{"Mowing", 1}, {"\xC9lan", 7}}));
    EXPECT_EQ(descrNameBoxItems(descrList, 2), (Items{{"Fuel", 2}, {"mowing", 6}}));
    for (int g : {3, 4, 5}) EXPECT_EQ(descrNameBoxItems(descrList, g), (Items{{"Widget", 4}})) << g;
    EXPECT_EQ(descrNameBoxItems(descrList, 0),
              (Items{{"Mowing", 1}, {"Fuel", 2}, {"Widget", 4}, {"Interest", 5}, {"\xC9lan", 7}}));
    EXPECT_TRUE(descrNameBoxItems(nameList, 0).empty());
}

TEST_F(Filter, YearItems) {
    EXPECT_EQ(filterYearItems(2026), (std::vector<std::string>{" 2022", " 2023", " 2024", " 2025", " 2026"}));
}

TEST_F(Filter, TypedDatesOnlyNarrowTheRange) {
    filterStartDate = packDate("03-01-2024");
    filterEndDate = packDate("10-31-2024");
    EXPECT_TRUE(applyFilterEntries(filter, "01-01-2024", "12-31-2024", "", 2024).ok());
    EXPECT_EQ(formatDate(filterStartDate), "03-01-2024");
    EXPECT_EQ(formatDate(filterEndDate), "10-31-2024");

    EXPECT_TRUE(applyFilterEntries(filter, "4/1/24", "9-30-", "", 2024).ok());
    EXPECT_EQ(formatDate(filterStartDate), "04-01-2024");
    EXPECT_EQ(formatDate(filterEndDate), "09-30-2024");

    filterDescrIndex = 4;
    resetFilterState();  // "&Reset": the way to widen
    EXPECT_EQ(filterDescrIndex, 0);
    EXPECT_TRUE(applyFilterEntries(filter, "01-01-2024", "12-31-2024", "", 2024).ok());
    EXPECT_EQ(formatDate(filterStartDate), "01-01-2024");
    EXPECT_EQ(formatDate(filterEndDate), "12-31-2024");
}

TEST_F(Filter, EmptyBoxesRemoveTheirBounds) {
    filterStartDate = packDate("03-01-2024");
    filterEndDate = packDate("10-31-2024");
    EXPECT_TRUE(applyFilterEntries(filter, "", "", "", 2024).ok());
    EXPECT_EQ(filterStartDate, 0);
    EXPECT_EQ(filterEndDate, 0xFFFF);
}

TEST_F(Filter, YearSetsBothBoundsWhateverTheDates) {
    filterStartDate = packDate("06-01-2024");
    EXPECT_TRUE(applyFilterEntries(filter, "07-01-2024", "08-01-2024", " 2023 ", 2024).ok());
    EXPECT_EQ(formatDate(filterStartDate), "01-01-2023");
    EXPECT_EQ(formatDate(filterEndDate), "12-31-2023");
    EXPECT_TRUE(applyFilterEntries(filter, "", "", "   ", 2024).ok());  // blanks only: no year
    EXPECT_EQ(filterStartDate, 0);
    EXPECT_EQ(filterEndDate, 0xFFFF);
}

TEST_F(Filter, IllegalBoxStopsWithWhatWasAppliedBefore) {
    filterStartDate = packDate("03-01-2024");
    filterEndDate = packDate("10-31-2024");
    EXPECT_EQ(applyFilterEntries(filter, "13-01-2024", "09-30-2024", "2023", 2024).illegalBox, FilterBox::startDate);
    EXPECT_EQ(formatDate(filterStartDate), "03-01-2024");
    EXPECT_EQ(formatDate(filterEndDate), "10-31-2024");

    EXPECT_EQ(applyFilterEntries(filter, "04-01-2024", "09-32-2024", "2023", 2024).illegalBox, FilterBox::endDate);
    EXPECT_EQ(formatDate(filterStartDate), "04-01-2024");  // the start of the same press is in force
    EXPECT_EQ(formatDate(filterEndDate), "10-31-2024");
}

TEST_F(Filter, YearOutsideTheDateRangeIsRefused) {
    for (const char* year : {"1979", "2108", "23", "02023", "20x3", "abcd", "20 23", "-2023"}) {
        resetFilterState();
        FilterApplyResult r = applyFilterEntries(filter, "05-01-2024", "", year, 2024);
        EXPECT_EQ(r.illegalBox, FilterBox::year) << year;
        EXPECT_EQ(formatDate(filterStartDate), "05-01-2024") << year;
        EXPECT_EQ(filterEndDate, 0xFFFF) << year;  // never left at 0, which would hide everything
    }
    for (const char* year : {"1980", "2107"}) {
        EXPECT_TRUE(applyFilterEntries(filter, "", "", year, 2024).ok()) << year;
        EXPECT_EQ(formatDate(filterEndDate), std::string("12-31-") + year);
    }
}

TEST_F(Filter, BoxTextsChooseTheFirstEntryOrClear) {
    std::vector<BoxItem> descr = {{"Mowing", 3}, {"Fuel", 7}};
    std::vector<BoxItem> name = {{"Smith", 2}};
    applyFilterChoices(filter, descr, "fuel", name, "SMITH");
    EXPECT_EQ(filterDescrIndex, 7);
    EXPECT_EQ(filterNameIndex, 2);
    applyFilterChoices(filter, descr, "Fue", name, "");  // typed text that names no item
    EXPECT_EQ(filterDescrIndex, 0);
    EXPECT_EQ(filterNameIndex, 0);
    EXPECT_EQ(boxEntryIndex(descr, " Fuel"), 0);
}

// The record dialog's type-ahead: the first item that begins with the typed
// text, letter case ignored, never one that holds it further in.
TEST_F(Filter, TypeAheadTakesAnItemBeginningWithTheText) {
    std::vector<BoxItem> items = {{"[Misc] costs", 1}, {"Mileage", 2}, {"mileage log", 3}, {"\xC6sop", 4}};
    EXPECT_EQ(findBoxItemStarting(items, "MIL"), 1);
    EXPECT_EQ(findBoxItemStarting(items, "mileage "), 2);
    EXPECT_EQ(findBoxItemStarting(items, "[m"), 0);
    EXPECT_EQ(findBoxItemStarting(items, "isc"), -1);
    EXPECT_EQ(findBoxItemStarting(items, "\xE6s"), 3);
    EXPECT_EQ(findBoxItemStarting(items, "AEs"), -1);
    EXPECT_EQ(findBoxItemStarting(items, "mileage log+"), -1);
    EXPECT_EQ(findBoxItemStarting(items, ""), -1);
}

TEST_F(Filter, DialogStartShowsTheFilterInForce) {
    FilterDialogStart empty = filterDialogStart(filter, listType);
    EXPECT_EQ(empty.descrSelected, -1);
    EXPECT_EQ(empty.nameSelected, -1);
    EXPECT_EQ(empty.startText, "");
    EXPECT_EQ(empty.endText, "");

    appendListEntry(descrList, 1, "Mowing");
    appendListEntry(descrList, 2, "Fuel");
    appendListEntry(descrList, 1, "mowing");
    appendListEntry(nameList, 2, "Shell");
    listType = 1;  // Services tab: Service entries only
    filterDescrIndex = 3;
    filterNameIndex = 1;
    filterStartDate = packDate("01-15-2024");
    filterEndDate = packDate("02-15-2024");
    FilterDialogStart s = filterDialogStart(filter, listType);
    EXPECT_EQ(s.descrItems, (std::vector<BoxItem>{{"Mowing", 1}}));
    ASSERT_EQ(s.descrSelected, 0);  // "mowing" selects the item that stands for it
    EXPECT_TRUE(s.nameItems.empty());
    EXPECT_EQ(s.nameSelected, -1);  // an Expense name is not offered on this tab
    EXPECT_EQ(s.startText, "01-15-2024");
    EXPECT_EQ(s.endText, "02-15-2024");

    filterDescrIndex = 9;  // beyond the list
    EXPECT_EQ(filterDialogStart(filter, listType).descrSelected, -1);
}

}  // namespace
