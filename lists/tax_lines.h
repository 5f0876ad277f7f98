// The lines of Schedule C (Form 1040), profit or loss from business, as each
// year's form numbers and names them, the IRS's standard rate per business
// mile of each year, and which line a description goes to: the user's
// confirmed choice, or a first proposal read from its text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/tax_facts.h"

// What a line is for, whatever number the year's form gives it.
enum class TaxLineUse {
    income,    // a description of services or earnings may go there
    expense,   // a description of expenses may go there
    computed,  // the worksheet works it out
    typedIn,   // the user types it (inventories)
    miles,
};

struct TaxFormLine {
    const char* key;   // kept in the side file: "office", "otherExpenses"
    const char* code;  // as the year's form prints it: "18", "27b"
    const char* name;  // as the year's form prints it, shortened of "(see instructions)"
    TaxLineUse use;
    int txf;  // the Tax Exchange Format's reference number, 0 for none
};

// The form of one tax year, lines in the form's order.
struct TaxForm {
    int year;
    std::vector<TaxFormLine> lines;
    const TaxFormLine* find(std::string_view key) const;
};

// The form for a tax year: that year's own, or else the latest one before
// it (the earliest one for a year before any); formFallback tells.
const TaxForm& taxFormFor(int year);
bool hasOwnTaxForm(int year);
// The years with a form of their own, ascending.
std::vector<int> taxFormYears();

// "leftOut": a description the user keeps off the form on purpose.
extern const char* const leftOutKey;

// The IRS business standard mileage rate of a year in tenths of a cent
// (725 = 72.5 cents), 0 when the program knows none; with the notice that
// set it ("Notice 2025-5").
struct StandardRate {
    int year;
    uint32_t tenthsOfCent;
    const char* notice;
};
const StandardRate* standardRateFor(int year);

// The rate the worksheet uses for a year: the IRS's, else the user's own.
struct RateInUse {
    uint32_t tenthsOfCent = 0;
    enum Source { none, irs, user } source = none;
    std::string notice;  // the IRS's notice, for an IRS rate
};
RateInUse mileageRateFor(const TaxFacts& facts, int year);
// Tenths of a cent as the user reads and types them: "72.5", "70".
std::string rateText(uint32_t tenthsOfCent);
// The user's typing back: "65.5" -> 655; false for anything else (empty,
// negative, more than one decimal, over 1000 dollars a mile).
bool readRateText(const std::string& text, uint32_t& tenthsOfCent);
// Miles (hundredths) at a rate (tenths of a cent), in cents, to the nearest.
int64_t mileageDeduction(int64_t hundredthsOfMiles, uint32_t tenthsOfCent);

// The lines a description of a group may go to (income lines for services
// and earnings, expense lines for expenses; none for products, which go by
// their type, and for the mileage description, which goes by its miles).
std::vector<const TaxFormLine*> assignableLines(const TaxForm& form, uint8_t group);

// Where a description goes: confirmed by the user, proposed from its text,
// or nowhere yet.
struct LineChoice {
    std::string key;  // "" for none
    bool confirmed = false;
};
LineChoice lineChoiceFor(const TaxFacts& facts, uint8_t group, std::string_view text);
// The proposal alone: services to gross receipts, earnings to other income,
// an expense whose words say it plainly ("Office supplies" to the office
// expense, "Advertising" to advertising), otherwise "".
std::string proposedLine(uint8_t group, std::string_view text);

// "Line 18 Office expense", "Not on Schedule C", "" for none; in the form of
// a year.
std::string lineCaption(const TaxForm& form, std::string_view key);

// Confirms or changes the line of a description (key "" takes the choice
// back), as one step of the books' history named "Assign tax line".
void assignTaxLine(uint8_t group, std::string_view text, const std::string& key);
