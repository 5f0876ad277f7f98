// What the books know for the income tax form, kept in the side file beside
// the ledger: the line each description goes to, the user's own rate per
// mile for a year the program has none for, and the inventory at the start
// and end of each tax year.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A description's line on the income tax form, as the user confirmed it.
// The description is known by its group and text (letter case ignored), so
// that it follows the entry into archive files, whose lists are numbered
// anew; the line by what it is for ("office", "otherExpenses"), not by its
// number, which the form changes from year to year.
struct TaxLineAssignment {
    uint8_t group = 0;
    std::string text;  // the entry without its group byte
    std::string line;  // a line's key, or "leftOut": on no line, by choice
};

// A rate per business mile the user gave for a year, in tenths of a cent.
struct MileageRate {
    uint16_t year = 0;
    uint32_t tenthsOfCent = 0;
};

// The inventory at the start and at the end of a tax year, in hundredths.
struct YearInventory {
    uint16_t year = 0;
    bool hasStart = false, hasEnd = false;
    int64_t start = 0, end = 0;
};

struct TaxFacts {
    std::vector<TaxLineAssignment> assignments;
    std::vector<MileageRate> rates;
    std::vector<YearInventory> inventories;
    bool empty() const { return assignments.empty() && rates.empty() && inventories.empty(); }
    bool operator==(const TaxFacts& o) const;
    bool operator!=(const TaxFacts& o) const { return !(*this == o); }
};

// The confirmed line of a description (letter case ignored), or null.
const TaxLineAssignment* findAssignment(const TaxFacts& facts, uint8_t group, std::string_view text);
// The facts with a description's line set, or taken away when line is "".
TaxFacts withAssignment(TaxFacts facts, uint8_t group, std::string_view text, const std::string& line);
// A description renamed (or moved to another group): its line goes with it,
// unless the new text has a line of its own already.
TaxFacts withRenamedDescription(TaxFacts facts, uint8_t group, std::string_view from, uint8_t newGroup,
                                std::string_view to);

// The user's rate for a year, or null.
const MileageRate* findRate(const TaxFacts& facts, int year);
// The facts with the user's rate for a year set, or taken away (tenths < 0).
TaxFacts withRate(TaxFacts facts, int year, int64_t tenthsOfCent);

// The inventories of a year (nothing given: both unset).
YearInventory inventoryOf(const TaxFacts& facts, int year);
TaxFacts withInventory(TaxFacts facts, YearInventory inventory);
