#include "reports/schedule_c.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "ledger/tax_arithmetic.h"
#include "reports/csv_export.h"
#include "reports/tax_report.h"
#include "text/amount_text.h"
#include "text/plain_text.h"

const char* const worksheetDisclaimer =
    "This worksheet helps you fill in Schedule C from your books; it is not tax advice. "
    "You still decide the business use of your home (line 30), depreciation (line 13, Form 4562) "
    "and whether the standard mileage rate or your actual car expenses suit you better.";

std::string worksheetAmount(int64_t cents) {
    bool negative = cents < 0;
    uint64_t v = negative ? 0 - static_cast<uint64_t>(cents) : static_cast<uint64_t>(cents);
    std::string whole = std::to_string(v / 100), grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i && (whole.size() - i) % 3 == 0) grouped += ',';
        grouped += whole[i];
    }
    char hundredths[4];
    std::snprintf(hundredths, sizeof hundredths, ".%02u", static_cast<unsigned>(v % 100));
    return (negative ? "-" : "") + grouped + hundredths;
}

namespace {

// Where the transactions of one description (or product kind) go, summed
// before they are placed, so that a line lists each description once.
struct Bucket {
    WorksheetItem item;
    std::string key;  // the line, "" for none, leftOutKey
};

class Builder {
public:
    Builder(const TaxFacts& facts, int year) : facts_(facts), year_(year) {}

    void read(const GlanceSource& s) {
        std::vector<int8_t> mileage(s.image.descriptions.size() + 1, -1);
        for (const Transaction& t : s.image.transactions) {
            if (packedYear(t.date) != year_) continue;
            const std::string& entry = imageEntry(s.image.descriptions, t.descrIndex);
            std::string text = entryText(entry);
            size_t e = t.descrIndex < mileage.size() ? t.descrIndex : 0;
            if (mileage[e] < 0) mileage[e] = isMileageDescription(text) ? 1 : 0;
            bool isMiles = t.type == typeExpense && mileage[e] == 1;
            sums.add(t, isMiles);
            add(t, text, isMiles, s.image.beside.tax);
        }
    }

    std::map<std::string, Bucket> buckets;  // by kind and folded text: a steady order
    TaxReportSums sums;
    int64_t miles = 0, salesTax = 0, salesCharges = 0, purchaseCharges = 0, personal = 0;

private:
    Bucket& bucket(const std::string& kind, uint8_t group, const std::string& text, const std::string& label) {
        Bucket& b = buckets[kind + '\t' + foldedCase(text)];
        if (b.item.count == 0) {
            b.item.group = group;
            b.item.text = text;
            b.item.label = label;
        }
        ++b.item.count;
        return b;
    }

    void add(const Transaction& t, const std::string& text, bool isMiles, const TaxFacts& own) {
        // Shown on one line, whatever a file put into the text.
        const std::string shown = text.empty() ? "(no description)" : blankControls(text);
        switch (t.type) {
        case typeService:
        case typeEarnings:
        case typeExpense: {
            if (isMiles) {
                miles += t.amount;
                return;
            }
            uint8_t group = t.type;
            const char* kind = t.type == typeService ? "1" : t.type == typeEarnings ? "6" : "2";
            Bucket& b = bucket(kind, group, text, shown);
            b.item.amount += t.amount;
            b.item.income = t.type != typeExpense;
            b.item.assignable = !text.empty();
            if (b.item.count == 1) place(b, own);
            return;
        }
        case typeSold: {
            // Gross receipts: what the customer paid for goods and their
            // handling and shipping, without the sales tax collected.
            int64_t taxInside = t.taxMode == modeTaxIncluded ? t.salesTax : 0;
            int64_t gross = static_cast<int64_t>(t.amount) - taxInside + t.handling + t.shipping;
            salesTax += t.salesTax;
            salesCharges += static_cast<int64_t>(t.handling) + t.shipping;
            // A sale of a negative sum is money given back: a return.
            Bucket& b = gross < 0 ? bucket("3r", 3, text, shown + " (returned)") : bucket("3s", 3, text, shown + " sold");
            b.key = gross < 0 ? "returns" : "gross";
            b.item.amount += gross < 0 ? -gross : gross;
            b.item.income = true;
            return;
        }
        case typeBought: {
            int64_t cost = transactionTotal(t);
            purchaseCharges += static_cast<int64_t>(t.handling) + t.shipping;
            Bucket& b = bucket("4", 3, text, shown + " bought");
            b.key = "purchases";
            b.item.amount += cost;
            return;
        }
        case typePersonal: {
            personal += t.amount;
            Bucket& b = bucket("5", 3, text, shown + " withdrawn for personal use");
            b.key = "purchases";
            b.item.amount -= t.amount;
            return;
        }
        default: return;
        }
    }

    // The line of a description: the working books' confirmed one, else the
    // archive's own, else none yet (with a proposal).
    void place(Bucket& b, const TaxFacts& own) {
        if (!b.item.assignable) return;
        const TaxLineAssignment* a = findAssignment(facts_, b.item.group, b.item.text);
        if (!a) a = findAssignment(own, b.item.group, b.item.text);
        if (a) {
            b.key = a->line;
        } else {
            b.item.proposal = proposedLine(b.item.group, b.item.text);
        }
    }

    const TaxFacts& facts_;
    int year_;
};

// Part III's lines a description may go to; the rest are Part II's.
bool isCostOfGoods(std::string_view key) { return key == "labor" || key == "materials" || key == "otherCosts"; }

int64_t sumOf(const ScheduleC& c, std::initializer_list<const char*> keys) {
    int64_t total = 0;
    for (const char* k : keys) total += c.amountOf(k);
    return total;
}

WorksheetLine* lineOf(ScheduleC& c, const std::string& key) {
    for (WorksheetLine& l : c.lines)
        if (key == l.line->key) return &l;
    return nullptr;
}

void setLine(ScheduleC& c, const char* key, int64_t amount) {
    if (WorksheetLine* l = lineOf(c, key)) l->amount = amount;
}

// The computed lines, in the form's order of dependence.
void computeTotals(ScheduleC& c) {
    const YearInventory& inv = c.inventory;
    setLine(c, "startInventory", inv.start);
    setLine(c, "endInventory", inv.end);
    if (WorksheetLine* l = lineOf(c, "startInventory")) l->given = inv.hasStart;
    if (WorksheetLine* l = lineOf(c, "endInventory")) l->given = inv.hasEnd;
    setLine(c, "costsTotal", sumOf(c, {"startInventory", "purchases", "labor", "materials", "otherCosts"}));
    setLine(c, "costOfGoods", c.amountOf("costsTotal") - c.amountOf("endInventory"));
    setLine(c, "cogs", c.amountOf("costOfGoods"));
    setLine(c, "net", c.amountOf("gross") - c.amountOf("returns"));
    setLine(c, "grossProfit", c.amountOf("net") - c.amountOf("cogs"));
    setLine(c, "grossIncome", c.amountOf("grossProfit") + c.amountOf("otherIncome"));
    int64_t expenses = 0;
    for (const WorksheetLine& l : c.lines)
        if (l.line->use == TaxLineUse::expense && !isCostOfGoods(l.line->key)) expenses += l.amount;
    setLine(c, "totalExpenses", expenses);
    setLine(c, "tentativeProfit", c.amountOf("grossIncome") - c.amountOf("totalExpenses"));
    setLine(c, "businessMiles", c.miles);
}

}  // namespace

int64_t Reconciliation::incomeFromLines() const {
    return incomeLines + incomeOnNoLine - salesCharges + purchaseCharges - personalUse;
}

int64_t Reconciliation::expensesFromLines() const { return expenseLines + expensesOnNoLine; }

const WorksheetLine* ScheduleC::find(const char* key) const {
    for (const WorksheetLine& l : lines)
        if (std::string_view(key) == l.line->key) return &l;
    return nullptr;
}

int64_t ScheduleC::amountOf(const char* key) const {
    const WorksheetLine* l = find(key);
    return l ? l->amount : 0;
}

ScheduleC computeScheduleC(const std::vector<GlanceSource>& sources, const TaxFacts& facts, int year) {
    ScheduleC c;
    c.year = year;
    c.form = &taxFormFor(year);
    c.ownForm = c.form->year == year;
    c.rate = mileageRateFor(facts, year);
    c.inventory = inventoryOf(facts, year);
    for (const TaxFormLine& l : c.form->lines) c.lines.push_back({&l, 0, true, {}});

    Builder b(facts, year);
    for (const GlanceSource& s : sources) {
        if (!s.problem.empty()) {
            c.problems.push_back(s.path + ": " + s.problem);
            continue;
        }
        c.filesRead.push_back(s.path);
        b.read(s);
        // An archive's own inventory or rate stands where the working books
        // have none (an archive opened as books and given them there).
        if (!c.inventory.hasStart && !c.inventory.hasEnd) c.inventory = inventoryOf(s.image.beside.tax, year);
        if (c.rate.source == RateInUse::none) c.rate = mileageRateFor(s.image.beside.tax, year);
    }
    c.miles = b.miles;
    c.salesTaxCollected = b.salesTax;
    c.mileageDeduction = mileageDeduction(c.miles, c.rate.tenthsOfCent);

    for (auto& [k, bucket] : b.buckets) {
        WorksheetItem& item = bucket.item;
        WorksheetLine* line = bucket.key.empty() || bucket.key == leftOutKey ? nullptr : lineOf(c, bucket.key);
        // A line meant for the other side (income to an expense line, from a
        // file written by hand) is no line.
        if (line && item.assignable &&
            line->line->use != (item.income ? TaxLineUse::income : TaxLineUse::expense))
            line = nullptr;
        if (line) {
            // A description on "returns" counts its income given back.
            line->amount += bucket.key == "returns" && item.assignable ? -item.amount : item.amount;
            line->items.push_back(std::move(item));
        } else if (bucket.key == leftOutKey) {
            c.leftOutTotal += item.amount;
            c.leftOut.push_back(std::move(item));
        } else {
            c.notAssignedTotal += item.amount;
            c.notAssigned.push_back(std::move(item));
        }
    }
    if (c.miles != 0) {
        WorksheetLine* car = lineOf(c, "car");
        WorksheetItem m;
        m.label = "Mileage: " + worksheetAmount(c.miles) + " miles at " +
                  (c.rate.source == RateInUse::none ? std::string("no rate yet")
                                                    : rateText(c.rate.tenthsOfCent) + " cents");
        m.amount = c.mileageDeduction;
        m.group = typeExpense;
        car->amount += m.amount;
        car->items.insert(car->items.begin(), std::move(m));
    }
    computeTotals(c);

    Reconciliation& r = c.check;
    r.reportIncome = b.sums.totalIncome();
    r.reportExpenses = b.sums.expenses;
    r.reportMiles = b.sums.miles;
    r.incomeLines = c.amountOf("gross") - c.amountOf("returns") + c.amountOf("otherIncome");
    r.salesCharges = b.salesCharges;
    r.purchaseCharges = b.purchaseCharges;
    r.personalUse = b.personal;
    r.expenseLines = c.amountOf("totalExpenses") - c.mileageDeduction +
                     sumOf(c, {"labor", "materials", "otherCosts"});
    // Line 36 stands for the purchases: the tax report subtracts them from
    // its income, so the income the lines account for loses them too.
    r.incomeLines -= c.amountOf("purchases");
    for (const std::vector<WorksheetItem>* list : {&c.notAssigned, &c.leftOut})
        for (const WorksheetItem& i : *list) (i.income ? r.incomeOnNoLine : r.expensesOnNoLine) += i.amount;
    return c;
}

int defaultWorksheetYear(const std::vector<int>& years, int todayYear) {
    int best = 0;
    for (int y : years)
        if (y < todayYear) best = y;
    if (best) return best;
    return years.empty() ? todayYear : years.back();
}

namespace {

std::string countText(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

void addItems(std::vector<WorksheetRow>& rows, const std::vector<WorksheetItem>& items, const TaxForm& form,
              bool withProposal) {
    for (const WorksheetItem& i : items) {
        std::string label = "    " + i.label;
        if (withProposal && !i.proposal.empty()) label += "  (proposed: " + lineCaption(form, i.proposal) + ")";
        if (withProposal && !i.assignable) label += "  (give it a description to put it on a line)";
        rows.push_back({WorksheetRow::item, "", label, worksheetAmount(i.amount), &i});
    }
}

void addPart(std::vector<WorksheetRow>& rows, const ScheduleC& c, const char* heading, const char* firstKey,
             const char* lastKey) {
    rows.push_back({WorksheetRow::heading, "", heading, "", nullptr});
    bool in = false;
    for (const WorksheetLine& l : c.lines) {
        if (std::string_view(l.line->key) == firstKey) in = true;
        if (!in) continue;
        std::string amount = l.line->use == TaxLineUse::typedIn && !l.given ? "not given" : worksheetAmount(l.amount);
        if (l.line->use == TaxLineUse::miles) amount = worksheetAmount(l.amount) + " miles";
        rows.push_back({WorksheetRow::line, l.line->code, l.line->name, amount, nullptr});
        addItems(rows, l.items, *c.form, false);
        if (std::string_view(l.line->key) == "gross" && c.salesTaxCollected != 0)
            rows.push_back({WorksheetRow::note, "", "    Sales tax collected, shown apart: not part of gross receipts",
                            worksheetAmount(c.salesTaxCollected), nullptr});
        if (std::string_view(l.line->key) == lastKey) break;
    }
}

}  // namespace

std::vector<WorksheetRow> worksheetRows(const ScheduleC& c) {
    std::vector<WorksheetRow> rows;
    const std::string year = std::to_string(c.year);
    if (!c.ownForm)
        rows.push_back({WorksheetRow::note, "", "Quirvel has no Schedule C of " + year + ": the lines of the " +
                                                    std::to_string(c.form->year) + " form are shown.",
                        "", nullptr});
    if (c.miles != 0 && c.rate.source == RateInUse::none)
        rows.push_back({WorksheetRow::note, "",
                        "No standard mileage rate is known for " + year +
                            ": type the IRS rate in cents per mile to put the miles on line 9.",
                        "", nullptr});
    for (const std::string& p : c.problems)
        rows.push_back({WorksheetRow::note, "", "Left out: " + p, "", nullptr});

    addPart(rows, c, "Part I  Income", "gross", "grossIncome");
    addPart(rows, c, "Part II  Expenses", "advertising", "tentativeProfit");
    rows.push_back({WorksheetRow::note, "30",
                    "Expenses for business use of your home: yours to work out (Form 8829 or the simplified method)",
                    "", nullptr});
    addPart(rows, c, "Part III  Cost of Goods Sold", "startInventory", "costOfGoods");
    addPart(rows, c, "Part IV  Information on Your Vehicle", "businessMiles", "businessMiles");

    rows.push_back({WorksheetRow::heading, "", "Not on any line yet", "", nullptr});
    rows.push_back({WorksheetRow::summary, "",
                    "Not assigned: " + countText(c.notAssigned.size(), "description", "descriptions"),
                    worksheetAmount(c.notAssignedTotal), nullptr});
    addItems(rows, c.notAssigned, *c.form, true);
    if (!c.leftOut.empty()) {
        rows.push_back({WorksheetRow::summary, "",
                        "Left out by you: " + countText(c.leftOut.size(), "description", "descriptions"),
                        worksheetAmount(c.leftOutTotal), nullptr});
        addItems(rows, c.leftOut, *c.form, false);
    }

    const Reconciliation& r = c.check;
    auto checkRow = [&](const std::string& label, int64_t amount) {
        rows.push_back({WorksheetRow::check, "", label, worksheetAmount(amount), nullptr});
    };
    auto verdict = [&](int64_t fromLines, int64_t report) {
        return fromLines == report ? std::string("agrees") : "differs by " + worksheetAmount(fromLines - report);
    };
    rows.push_back({WorksheetRow::heading, "", "Agreement with the tax report over " + year, "", nullptr});
    checkRow("Lines 1 - 2 + 6 - 36", r.incomeLines);
    checkRow("+ income on no line", r.incomeOnNoLine);
    checkRow("- handling and shipping charged on sales", -r.salesCharges);
    checkRow("+ handling and shipping paid on purchases", r.purchaseCharges);
    checkRow("- products withdrawn for personal use", -r.personalUse);
    checkRow("= \"Total Income\" of the tax report: " + verdict(r.incomeFromLines(), r.reportIncome),
             r.reportIncome);
    checkRow("Lines 8 to 27b and 37 to 39, less the miles at the standard rate", r.expenseLines);
    checkRow("+ expenses on no line", r.expensesOnNoLine);
    checkRow("= \"Total Expenses\" of the tax report: " + verdict(r.expensesFromLines(), r.reportExpenses),
             r.reportExpenses);
    checkRow(std::string("Line 44a = \"Total Miles\" of the tax report: ") + verdict(c.miles, r.reportMiles),
             r.reportMiles);
    rows.push_back({WorksheetRow::note, "", worksheetDisclaimer, "", nullptr});
    return rows;
}

std::string worksheetCsv(const ScheduleC& c) {
    std::string csv = "\xEF\xBB\xBF";
    auto text = [](const std::string& t) { return csvField(spreadsheetText(utf8FromWindows1252(t))); };
    auto line = [&](const std::string& code, const std::string& label, const std::string& description,
                    const std::string& amount) {
        csv += csvField(code) + "," + text(label) + "," + text(description) + "," + csvField(amount) + "\r\n";
    };
    line("Line", "Schedule C " + std::to_string(c.year), "Description", "Amount");
    for (const WorksheetRow& r : worksheetRows(c)) {
        // Figures as plain numbers, which a spreadsheet adds up.
        std::string amount = r.amount;
        amount.erase(std::remove(amount.begin(), amount.end(), ','), amount.end());
        // A description in a column of its own, without the indent that
        // sets it apart on the screen.
        if (r.kind == WorksheetRow::item)
            line(r.code, "", trimBlanks(r.label), amount);
        else
            line(r.code, r.label, "", amount);
    }
    return csv;
}
