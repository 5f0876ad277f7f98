#include "lists/tax_lines.h"

#include <algorithm>

#include "ledger/changes.h"
#include "ledger/tables.h"
#include "ledger/tax_arithmetic.h"
#include "text/plain_text.h"

const char* const leftOutKey = "leftOut";

namespace {

using U = TaxLineUse;

// The 2024 form. From 2025 on, "Other expenses" is 27b and the energy
// efficient buildings deduction 27a; nothing else changed in these lines.
std::vector<TaxFormLine> linesOf(bool otherExpensesOn27b) {
    return {
        {"gross", "1", "Gross receipts or sales", U::income, 293},
        {"returns", "2", "Returns and allowances", U::income, 296},
        {"net", "3", "Subtract line 2 from line 1", U::computed, 0},
        {"cogs", "4", "Cost of goods sold (from line 42)", U::computed, 0},
        {"grossProfit", "5", "Gross profit. Subtract line 4 from line 3", U::computed, 0},
        {"otherIncome", "6", "Other income, including federal and state gasoline or fuel tax credit or refund",
         U::income, 303},
        {"grossIncome", "7", "Gross income. Add lines 5 and 6", U::computed, 0},
        {"advertising", "8", "Advertising", U::expense, 304},
        {"car", "9", "Car and truck expenses", U::expense, 306},
        {"commissions", "10", "Commissions and fees", U::expense, 307},
        {"contractLabor", "11", "Contract labor", U::expense, 685},
        {"depletion", "12", "Depletion", U::expense, 309},
        {"depreciation", "13", "Depreciation and section 179 expense deduction (not included in Part III)",
         U::expense, 0},
        {"benefits", "14", "Employee benefit programs (other than on line 19)", U::expense, 308},
        {"insurance", "15", "Insurance (other than health)", U::expense, 310},
        {"mortgageInterest", "16a", "Interest: Mortgage (paid to banks, etc.)", U::expense, 311},
        {"otherInterest", "16b", "Interest: Other", U::expense, 312},
        {"legal", "17", "Legal and professional services", U::expense, 298},
        {"office", "18", "Office expense", U::expense, 313},
        {"pension", "19", "Pension and profit-sharing plans", U::expense, 314},
        {"rentVehicles", "20a", "Rent or lease: Vehicles, machinery, and equipment", U::expense, 299},
        {"rentOther", "20b", "Rent or lease: Other business property", U::expense, 300},
        {"repairs", "21", "Repairs and maintenance", U::expense, 315},
        {"supplies", "22", "Supplies (not included in Part III)", U::expense, 301},
        {"taxes", "23", "Taxes and licenses", U::expense, 316},
        {"travel", "24a", "Travel", U::expense, 317},
        {"meals", "24b", "Deductible meals", U::expense, 294},
        {"utilities", "25", "Utilities", U::expense, 318},
        {"wages", "26", "Wages (less employment credits)", U::expense, 297},
        {"otherExpenses", otherExpensesOn27b ? "27b" : "27a", "Other expenses (from line 48)", U::expense, 302},
        {"energy", otherExpensesOn27b ? "27a" : "27b",
         "Energy efficient commercial bldgs deduction (attach Form 7205)", U::expense, 0},
        {"totalExpenses", "28", "Total expenses before expenses for business use of home", U::computed, 0},
        {"tentativeProfit", "29", "Tentative profit or (loss). Subtract line 28 from line 7", U::computed, 0},
        {"startInventory", "35", "Inventory at beginning of year", U::typedIn, 0},
        {"purchases", "36", "Purchases less cost of items withdrawn for personal use", U::computed, 493},
        {"labor", "37", "Cost of labor. Do not include any amounts paid to yourself", U::expense, 494},
        {"materials", "38", "Materials and supplies", U::expense, 495},
        {"otherCosts", "39", "Other costs", U::expense, 496},
        {"costsTotal", "40", "Add lines 35 through 39", U::computed, 0},
        {"endInventory", "41", "Inventory at end of year", U::typedIn, 0},
        {"costOfGoods", "42", "Cost of goods sold. Subtract line 41 from line 40", U::computed, 0},
        {"businessMiles", "44a", "Business", U::miles, 0},
    };
}

// From 2025 on the energy deduction (27a) comes before other expenses (27b).
TaxForm formOf(int year, bool otherExpensesOn27b) {
    TaxForm f{year, linesOf(otherExpensesOn27b)};
    if (otherExpensesOn27b) {
        auto other = std::find_if(f.lines.begin(), f.lines.end(),
                                  [](const TaxFormLine& l) { return std::string_view(l.key) == "otherExpenses"; });
        std::iter_swap(other, other + 1);
    }
    return f;
}

const std::vector<TaxForm>& forms() {
    static const std::vector<TaxForm> all = {formOf(2024, false), formOf(2025, true), formOf(2026, true)};
    return all;
}

const StandardRate standardRates[] = {
    {2024, 670, "Notice 2024-08"},
    {2025, 700, "Notice 2025-5"},
    {2026, 725, "Notice 2026-10"},
};

// The text's words in lower case: letters and digits, the rest separates.
std::vector<std::string> wordsOf(std::string_view text) {
    std::vector<std::string> words(1);
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')) {
            words.back() += static_cast<char>(lowerLetter(u));
        } else if (!words.back().empty()) {
            words.emplace_back();
        }
    }
    if (words.back().empty()) words.pop_back();
    return words;
}

bool has(const std::vector<std::string>& words, std::initializer_list<const char*> any) {
    for (const std::string& w : words)
        for (const char* a : any)
            if (w == a) return true;
    return false;
}

}  // namespace

const TaxFormLine* TaxForm::find(std::string_view key) const {
    for (const TaxFormLine& l : lines)
        if (key == l.key) return &l;
    return nullptr;
}

const TaxForm& taxFormFor(int year) {
    const std::vector<TaxForm>& all = forms();
    const TaxForm* best = &all.front();
    for (const TaxForm& f : all)
        if (f.year <= year) best = &f;
    return *best;
}

bool hasOwnTaxForm(int year) { return taxFormFor(year).year == year; }

std::vector<int> taxFormYears() {
    std::vector<int> years;
    for (const TaxForm& f : forms()) years.push_back(f.year);
    return years;
}

const StandardRate* standardRateFor(int year) {
    for (const StandardRate& r : standardRates)
        if (r.year == year) return &r;
    return nullptr;
}

RateInUse mileageRateFor(const TaxFacts& facts, int year) {
    RateInUse r;
    if (const StandardRate* s = standardRateFor(year)) {
        r.tenthsOfCent = s->tenthsOfCent;
        r.source = RateInUse::irs;
        r.notice = s->notice;
    } else if (const MileageRate* m = findRate(facts, year)) {
        r.tenthsOfCent = m->tenthsOfCent;
        r.source = RateInUse::user;
    }
    return r;
}

std::string rateText(uint32_t tenthsOfCent) {
    std::string text = std::to_string(tenthsOfCent / 10);
    if (tenthsOfCent % 10) text += "." + std::to_string(tenthsOfCent % 10);
    return text;
}

bool readRateText(const std::string& typed, uint32_t& tenthsOfCent) {
    std::string text = trimBlanks(typed);
    size_t point = text.find('.');
    std::string whole = text.substr(0, point), tenth = point == std::string::npos ? "" : text.substr(point + 1);
    if ((whole.empty() && tenth.empty()) || whole.size() > 6 || tenth.size() > 1) return false;
    for (char c : whole + tenth)
        if (c < '0' || c > '9') return false;
    uint32_t value = (whole.empty() ? 0 : static_cast<uint32_t>(std::stoul(whole))) * 10 +
                     (tenth.empty() ? 0 : static_cast<uint32_t>(tenth[0] - '0'));
    if (value > 1000000) return false;
    tenthsOfCent = value;
    return true;
}

int64_t mileageDeduction(int64_t miles, uint32_t tenthsOfCent) {
    // hundredths of a mile x tenths of a cent = thousandths of a cent x ... :
    // miles/100 x rate/1000 dollars = miles x rate / 1000 cents.
    int64_t product = miles * static_cast<int64_t>(tenthsOfCent);
    return product >= 0 ? (product + 500) / 1000 : -((-product + 500) / 1000);
}

std::vector<const TaxFormLine*> assignableLines(const TaxForm& form, uint8_t group) {
    std::vector<const TaxFormLine*> lines;
    TaxLineUse wanted = group == typeExpense ? TaxLineUse::expense : TaxLineUse::income;
    if (group != typeService && group != typeEarnings && group != typeExpense) return lines;
    for (const TaxFormLine& l : form.lines)
        if (l.use == wanted) lines.push_back(&l);
    return lines;
}

std::string proposedLine(uint8_t group, std::string_view text) {
    if (group == typeService) return "gross";
    if (group == typeEarnings) return "otherIncome";
    if (group != typeExpense || isMileageDescription(std::string(text))) return "";
    std::vector<std::string> w = wordsOf(text);
    // The more particular words first: "office supplies" is office expense,
    // "vehicle lease" a lease of a vehicle, "health insurance" no business
    // insurance at all.
    if (has(w, {"office", "postage", "stationery", "printer", "toner"})) return "office";
    if (has(w, {"advertising", "advertisement", "ads", "ad", "marketing", "promotion"})) return "advertising";
    if (has(w, {"rent", "rental", "lease", "leasing"}))
        return has(w, {"vehicle", "car", "truck", "equipment", "machinery", "van"}) ? "rentVehicles" : "rentOther";
    if (has(w, {"mortgage"})) return "mortgageInterest";
    if (has(w, {"interest"})) return "otherInterest";
    if (has(w, {"health", "life"})) return "";
    if (has(w, {"insurance"})) return "insurance";
    // At the standard mileage rate only parking and tolls may be added to
    // the miles; fuel or repairs of the car are not proposed there.
    if (has(w, {"parking", "tolls", "toll"})) return "car";
    // A bank's fees and charges are no fees paid for services (line 10):
    // they go among the other expenses, as line 48 lists them.
    if (has(w, {"bank", "banking"})) return "otherExpenses";
    if (has(w, {"commission", "commissions", "fees", "fee"})) return "commissions";
    if (has(w, {"contractor", "contractors", "subcontractor", "freelancer", "freelance"})) return "contractLabor";
    if (has(w, {"legal", "attorney", "lawyer", "accountant", "accounting", "bookkeeping", "bookkeeper"}))
        return "legal";
    if (has(w, {"repair", "repairs", "maintenance"})) return "repairs";
    if (has(w, {"supplies", "supply"})) return "supplies";
    if (has(w, {"license", "licenses", "permit", "permits", "taxes"})) return "taxes";
    if (has(w, {"meal", "meals", "restaurant", "lunch", "dinner"})) return "meals";
    if (has(w, {"travel", "airfare", "hotel", "lodging", "flight", "flights"})) return "travel";
    if (has(w, {"utilities", "utility", "electric", "electricity", "phone", "telephone", "internet", "water"}))
        return "utilities";
    if (has(w, {"wages", "wage", "payroll", "salary", "salaries"})) return "wages";
    if (has(w, {"depreciation"})) return "depreciation";
    return "";
}

LineChoice lineChoiceFor(const TaxFacts& facts, uint8_t group, std::string_view text) {
    if (const TaxLineAssignment* a = findAssignment(facts, group, text)) return {a->line, true};
    return {proposedLine(group, text), false};
}

std::string lineCaption(const TaxForm& form, std::string_view key) {
    if (key == leftOutKey) return "Not on Schedule C";
    const TaxFormLine* l = form.find(key);
    return l ? std::string("Line ") + l->code + " " + l->name : std::string();
}

void assignTaxLine(uint8_t group, std::string_view text, const std::string& key) {
    setTaxFacts(withAssignment(ledger.beside.tax, group, text, key));
    commitStep("Assign tax line");
}
