#include "ledger/tax_facts.h"

#include <algorithm>

#include "text/plain_text.h"

namespace {

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerLetter(static_cast<unsigned char>(a[i])) != lowerLetter(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::vector<TaxLineAssignment>::iterator assignmentOf(TaxFacts& facts, uint8_t group, std::string_view text) {
    return std::find_if(facts.assignments.begin(), facts.assignments.end(),
                        [&](const TaxLineAssignment& a) { return a.group == group && sameText(a.text, text); });
}

}  // namespace

bool TaxFacts::operator==(const TaxFacts& o) const {
    auto sameAssignment = [](const TaxLineAssignment& a, const TaxLineAssignment& b) {
        return a.group == b.group && a.text == b.text && a.line == b.line;
    };
    auto sameRate = [](const MileageRate& a, const MileageRate& b) {
        return a.year == b.year && a.tenthsOfCent == b.tenthsOfCent;
    };
    auto sameInventory = [](const YearInventory& a, const YearInventory& b) {
        return a.year == b.year && a.hasStart == b.hasStart && a.hasEnd == b.hasEnd && a.start == b.start &&
               a.end == b.end;
    };
    return std::equal(assignments.begin(), assignments.end(), o.assignments.begin(), o.assignments.end(),
                      sameAssignment) &&
           std::equal(rates.begin(), rates.end(), o.rates.begin(), o.rates.end(), sameRate) &&
           std::equal(inventories.begin(), inventories.end(), o.inventories.begin(), o.inventories.end(),
                      sameInventory);
}

const TaxLineAssignment* findAssignment(const TaxFacts& facts, uint8_t group, std::string_view text) {
    auto a = assignmentOf(const_cast<TaxFacts&>(facts), group, text);
    return a == facts.assignments.end() ? nullptr : &*a;
}

TaxFacts withAssignment(TaxFacts facts, uint8_t group, std::string_view text, const std::string& line) {
    auto a = assignmentOf(facts, group, text);
    if (line.empty()) {
        if (a != facts.assignments.end()) facts.assignments.erase(a);
    } else if (a != facts.assignments.end()) {
        a->line = line;
    } else {
        facts.assignments.push_back({group, std::string(text), line});
    }
    return facts;
}

TaxFacts withRenamedDescription(TaxFacts facts, uint8_t group, std::string_view from, uint8_t newGroup,
                                std::string_view to) {
    auto a = assignmentOf(facts, group, from);
    if (a == facts.assignments.end() || (newGroup == group && from == to)) return facts;
    if (assignmentOf(facts, newGroup, to) != facts.assignments.end()) return facts;
    a->group = newGroup;
    a->text = std::string(to);
    return facts;
}

const MileageRate* findRate(const TaxFacts& facts, int year) {
    for (const MileageRate& r : facts.rates)
        if (r.year == year) return &r;
    return nullptr;
}

TaxFacts withRate(TaxFacts facts, int year, int64_t tenthsOfCent) {
    auto r = std::find_if(facts.rates.begin(), facts.rates.end(), [&](const MileageRate& m) { return m.year == year; });
    if (tenthsOfCent < 0) {
        if (r != facts.rates.end()) facts.rates.erase(r);
    } else if (r != facts.rates.end()) {
        r->tenthsOfCent = static_cast<uint32_t>(tenthsOfCent);
    } else {
        facts.rates.push_back({static_cast<uint16_t>(year), static_cast<uint32_t>(tenthsOfCent)});
    }
    return facts;
}

YearInventory inventoryOf(const TaxFacts& facts, int year) {
    for (const YearInventory& v : facts.inventories)
        if (v.year == year) return v;
    YearInventory none;
    none.year = static_cast<uint16_t>(year);
    return none;
}

TaxFacts withInventory(TaxFacts facts, YearInventory inventory) {
    // What is not given has no amount: the side file keeps none for it.
    if (!inventory.hasStart) inventory.start = 0;
    if (!inventory.hasEnd) inventory.end = 0;
    auto v = std::find_if(facts.inventories.begin(), facts.inventories.end(),
                          [&](const YearInventory& i) { return i.year == inventory.year; });
    bool none = !inventory.hasStart && !inventory.hasEnd;
    if (v != facts.inventories.end()) {
        if (none)
            facts.inventories.erase(v);
        else
            *v = inventory;
    } else if (!none) {
        facts.inventories.push_back(inventory);
    }
    return facts;
}
