#include "reports/year_glance.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "ledger/file_access.h"
#include "ledger/side_file.h"
#include "ledger/tax_arithmetic.h"
#include "reports/csv_export.h"
#include "text/amount_text.h"
#include "text/date_text.h"
#include "text/plain_text.h"

namespace {

std::string textAt(const std::vector<std::string>& list, uint16_t index) { return entryText(imageEntry(list, index)); }

// What a transaction adds to the income (+) or the expenses, as the tax
// report's income lines count it.
struct Money {
    bool income = false, expense = false, mileage = false;
    int64_t amount = 0;
};

// mileage: per description entry, 1 when it is the mileage description, 0
// when not, 2 while unknown (a cache the caller keeps for the image).
Money moneyOf(const Transaction& t, const LedgerImage& image, std::vector<uint8_t>& mileage) {
    Money m;
    switch (t.type) {
    case typeService:
    case typeEarnings: m.income = true; m.amount = t.amount; break;
    case typeSold:
        m.income = true;
        m.amount = t.amount - (t.taxMode == modeTaxIncluded ? t.salesTax : 0);
        break;
    case typeBought:
        m.income = true;
        m.amount = -(static_cast<int64_t>(t.amount) + (t.taxMode != modeTaxIncluded ? t.salesTax : 0));
        break;
    case typeExpense: {
        size_t e = t.descrIndex < mileage.size() ? t.descrIndex : 0;
        if (mileage[e] == 2) mileage[e] = isMileageDescription(textAt(image.descriptions, t.descrIndex)) ? 1 : 0;
        if (mileage[e])
            m.mileage = true;
        else
            m.expense = true;
        m.amount = t.amount;
        break;
    }
    default: break;  // personal use is no income and no expense
    }
    return m;
}

// Packed dates: day in bits 0-4, month in 5-8, years since 1980 above.
int monthOf(uint16_t packed) { return (packed >> 5) & 15; }

uint64_t mix(uint64_t hash, uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        hash ^= (value >> (8 * i)) & 0xFF;
        hash *= 1099511628211ull;
    }
    return hash;
}

uint64_t textHash(const std::string& entry) {
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 1; i < entry.size(); ++i) {  // the text, not its group byte
        hash ^= static_cast<unsigned char>(entry[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Every field of a transaction with its texts, hashed: two sources that
// share one hold the same transaction. entryHashes: each list's entries'.
uint64_t transactionKey(const Transaction& t, const std::vector<uint64_t>& descrHashes,
                        const std::vector<uint64_t>& nameHashes) {
    uint64_t h = 14695981039346656037ull;
    h = mix(h, t.date);
    h = mix(h, t.type);
    h = mix(h, static_cast<uint32_t>(t.amount));
    h = mix(h, static_cast<uint32_t>(t.handling));
    h = mix(h, static_cast<uint32_t>(t.shipping));
    h = mix(h, static_cast<uint32_t>(t.salesTax));
    h = mix(h, t.taxMode);
    h = mix(h, t.descrIndex < descrHashes.size() ? descrHashes[t.descrIndex] : 0);
    return mix(h, t.nameIndex < nameHashes.size() ? nameHashes[t.nameIndex] : 0);
}

// Each entry's text hash, 1-based (0 for none).
std::vector<uint64_t> entryHashes(const std::vector<std::string>& list) {
    std::vector<uint64_t> hashes(1, 0);
    for (const std::string& e : list) hashes.push_back(textHash(e));
    return hashes;
}

void addTo(GlanceLine& line, int month, int64_t amount, bool compared) {
    if (compared) {
        line.compared += amount;
    } else {
        line.months[static_cast<size_t>(month - 1)] += amount;
        line.total += amount;
    }
}

void sumSection(GlanceSection& s) {
    std::sort(s.lines.begin(), s.lines.end(), [](const GlanceLine& a, const GlanceLine& b) {
        std::string fa = foldedCase(a.label), fb = foldedCase(b.label);
        return fa != fb ? fa < fb : a.label < b.label;
    });
    s.total = GlanceLine{};
    for (const GlanceLine& l : s.lines) {
        for (size_t m = 0; m < 12; ++m) s.total.months[m] += l.months[m];
        s.total.total += l.total;
        s.total.compared += l.compared;
    }
}

}  // namespace

const std::string& imageEntry(const std::vector<std::string>& list, uint16_t index) {
    static const std::string none;
    return index >= 1 && index <= list.size() ? list[index - 1u] : none;
}

int packedYear(uint16_t packed) { return 1980 + (packed >> 9); }

std::string foldedCase(const std::string& s) {
    std::string f = s;
    for (char& c : f) c = static_cast<char>(lowerLetter(static_cast<unsigned char>(c)));
    return f;
}

GlanceSource workingSource() {
    GlanceSource s;
    s.image = currentLedgerImage();
    return s;
}

GlanceSource readArchiveSource(const std::string& path) {
    GlanceSource s;
    s.path = path;
    if (!fileExists(path)) {
        s.problem = "not found";
        return s;
    }
    Bytes bytes;
    std::string error;
    if (!readWholeFile(path, bytes, error, maxLedgerFileBytes)) {
        s.problem = "could not be read: " + error;
        return s;
    }
    DecodeResult r = decodeLedger(bytes, combinedTaxRate);
    if (r.status != DecodeStatus::ok) {
        s.problem = "not a Quirvel file";
        return s;
    }
    if (r.missingTransactions || r.missingEntries) {
        s.problem = "damaged: the file ends early";
        return s;
    }
    s.image = std::move(r.image);
    // Of what lies beside an archive, only its facts for the tax form are
    // read: a damaged side file leaves them out, never the archive.
    bool damaged = false;
    SideData beside = readSideFileFor(path, bytes, static_cast<uint16_t>(s.image.transactions.size()), damaged);
    s.image.beside = SideData{};
    s.image.beside.tax = std::move(beside.tax);
    return s;
}

void leaveOutRepeatedSources(std::vector<GlanceSource>& sources) {
    std::unordered_set<uint64_t> seen;
    for (size_t i = 0; i < sources.size(); ++i) {
        GlanceSource& s = sources[i];
        if (!s.problem.empty()) continue;
        std::vector<uint64_t> keys;
        keys.reserve(s.image.transactions.size());
        const std::vector<uint64_t> descr = entryHashes(s.image.descriptions), name = entryHashes(s.image.names);
        bool repeated = false;
        for (const Transaction& t : s.image.transactions) {
            keys.push_back(transactionKey(t, descr, name));
            repeated = repeated || seen.count(keys.back()) != 0;
        }
        if (repeated) {
            s.problem = "holds transactions that other books read here hold too";
            s.image = LedgerImage{};
            continue;
        }
        seen.insert(keys.begin(), keys.end());
    }
}

std::vector<GlanceSource> glanceSources(const std::vector<std::string>& extraArchives) {
    std::vector<GlanceSource> sources;
    sources.push_back(workingSource());
    std::vector<std::string> paths;
    for (const ArchiveNote& a : ledger.beside.archives) paths.push_back(a.path);
    paths.insert(paths.end(), extraArchives.begin(), extraArchives.end());
    std::vector<std::string> done;
    for (const std::string& p : paths) {
        std::string key = foldedCase(p);
        if (p.empty() || std::find(done.begin(), done.end(), key) != done.end()) continue;
        done.push_back(key);
        sources.push_back(readArchiveSource(p));
    }
    leaveOutRepeatedSources(sources);
    return sources;
}

std::vector<int> glanceYears(const std::vector<GlanceSource>& sources) {
    std::vector<int> years;
    for (const GlanceSource& s : sources)
        for (const Transaction& t : s.image.transactions) {
            int y = packedYear(t.date);
            if (std::find(years.begin(), years.end(), y) == years.end()) years.push_back(y);
        }
    std::sort(years.begin(), years.end());
    return years;
}

Glance computeGlance(const std::vector<GlanceSource>& sources, int year, int comparedYear, GlanceGroup group) {
    Glance g;
    g.year = year;
    g.comparedYear = comparedYear;
    g.group = group;
    // Lines by their exact text: the filter matches texts exactly, so a
    // double click shows just the transactions a line adds up.
    std::unordered_map<std::string, size_t> incomeAt, expenseAt;
    auto lineFor = [](GlanceSection& s, std::unordered_map<std::string, size_t>& at, const std::string& label) {
        auto found = at.find(label);
        if (found != at.end()) return found->second;
        at[label] = s.lines.size();
        s.lines.push_back(GlanceLine{label, {}, 0, 0});
        return s.lines.size() - 1;
    };
    for (const GlanceSource& s : sources) {
        // Entry number to line number, found once per entry of this source.
        const std::vector<std::string>& list = group == GlanceGroup::description ? s.image.descriptions : s.image.names;
        std::vector<size_t> incomeLine(list.size() + 1, SIZE_MAX), expenseLine(list.size() + 1, SIZE_MAX);
        std::vector<uint8_t> mileageEntry(s.image.descriptions.size() + 1, 2);  // 2: not known yet
        for (const Transaction& t : s.image.transactions) {
            const int y = packedYear(t.date), month = monthOf(t.date);
            const bool inYear = y == year, inCompared = y == comparedYear;
            if ((!inYear && !inCompared) || month < 1 || month > 12) continue;
            Money m = moneyOf(t, s.image, mileageEntry);
            if (m.mileage) {
                if (inYear) addTo(g.miles, month, m.amount, false);
                if (inCompared) addTo(g.miles, month, m.amount, true);
                continue;
            }
            if (!m.income && !m.expense) continue;
            uint16_t entry = group == GlanceGroup::description ? t.descrIndex : t.nameIndex;
            if (entry > list.size()) entry = 0;  // names nothing
            size_t& known = (m.income ? incomeLine : expenseLine)[entry];
            if (known == SIZE_MAX)
                known = m.income ? lineFor(g.income, incomeAt, entryText(imageEntry(list, entry)))
                                 : lineFor(g.expenses, expenseAt, entryText(imageEntry(list, entry)));
            GlanceLine& line = (m.income ? g.income : g.expenses).lines[known];
            if (inYear) addTo(line, month, m.amount, false);
            if (inCompared) {
                addTo(line, month, m.amount, true);
                (m.income ? g.comparedIncome : g.comparedExpenses)[static_cast<size_t>(month - 1)] += m.amount;
            }
        }
    }
    sumSection(g.income);
    sumSection(g.expenses);
    for (size_t m = 0; m < 12; ++m) g.net.months[m] = g.income.total.months[m] - g.expenses.total.months[m];
    g.net.total = g.income.total.total - g.expenses.total.total;
    g.net.compared = g.income.total.compared - g.expenses.total.compared;
    return g;
}

std::string glanceLabel(const GlanceLine& line, GlanceGroup group) {
    std::string shown = shownField(line.label);
    if (!shown.empty()) return shown;
    return group == GlanceGroup::description ? "(no description)" : "(no name)";
}

const char* glanceMonthName(int month) {
    static const char* const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? names[month - 1] : "";
}

std::string glanceCsv(const Glance& g) {
    const std::string y = std::to_string(g.year), c = std::to_string(g.comparedYear);
    std::string csv = "\xEF\xBB\xBF";
    csv += std::string("Section,") + (g.group == GlanceGroup::description ? "Description" : "Name");
    for (int m = 1; m <= 12; ++m) csv += std::string(",") + glanceMonthName(m) + " " + y;
    csv += "," + y + "," + c + ",Change\r\n";
    auto line = [&](const std::string& section, const std::string& label, const GlanceLine& l) {
        csv += csvField(section) + "," + csvField(utf8FromWindows1252(spreadsheetText(label)));
        for (int64_t v : l.months) csv += "," + plainAmount(v);
        csv += "," + plainAmount(l.total) + "," + plainAmount(l.compared) + "," + plainAmount(l.change()) + "\r\n";
    };
    for (const GlanceLine& l : g.income.lines) line("Income", glanceLabel(l, g.group), l);
    line("Income", "Total income", g.income.total);
    for (const GlanceLine& l : g.expenses.lines) line("Expenses", glanceLabel(l, g.group), l);
    line("Expenses", "Total expenses", g.expenses.total);
    line("", "Net", g.net);
    line("Miles", "Mileage (miles)", g.miles);
    return csv;
}

std::vector<std::string> glanceCellFiles(const std::vector<GlanceSource>& sources, const GlanceCell& cell,
                                         GlanceGroup group) {
    std::vector<std::string> files;
    for (const GlanceSource& s : sources) {
        std::vector<uint8_t> mileage(s.image.descriptions.size() + 1, 2);
        for (const Transaction& t : s.image.transactions) {
            if (packedYear(t.date) != cell.year || (cell.month != 0 && monthOf(t.date) != cell.month)) continue;
            Money m = moneyOf(t, s.image, mileage);
            bool counts = false;
            switch (cell.line) {
            case GlanceCell::miles: counts = m.mileage; break;
            case GlanceCell::incomeTotal: counts = m.income; break;
            case GlanceCell::expensesTotal: counts = m.expense; break;
            case GlanceCell::net: counts = m.income || m.expense; break;
            case GlanceCell::item: {
                const std::string& entry = group == GlanceGroup::description ? imageEntry(s.image.descriptions, t.descrIndex)
                                                                             : imageEntry(s.image.names, t.nameIndex);
                counts = (cell.income ? m.income : m.expense) && entryText(entry) == cell.label;
                break;
            }
            }
            if (counts) {
                files.push_back(s.path);
                break;
            }
        }
    }
    return files;
}

namespace {

int64_t wholeOf(int64_t hundredths, bool up) {
    int64_t q = hundredths / 100, r = hundredths % 100;
    if (r != 0 && (hundredths > 0) == up) q += up ? 1 : -1;
    return q;
}

}  // namespace

GlanceAxis glanceAxis(const Glance& g) {
    int64_t low = 0, high = 0;
    auto take = [&](int64_t v) {
        low = std::min(low, wholeOf(v, false));
        high = std::max(high, wholeOf(v, true));
    };
    for (size_t m = 0; m < 12; ++m) {
        take(g.income.total.months[m]);
        take(g.expenses.total.months[m]);
        take(g.net.months[m]);
        take(g.comparedIncome[m]);
        take(g.comparedExpenses[m]);
        take(g.comparedIncome[m] - g.comparedExpenses[m]);
    }
    GlanceAxis a;
    if (high == low) high = low + 1;
    // About five steps from low to high.
    int64_t span = high - low, step = 1;
    while (step * 5 < span) {
        if (step * 2 * 5 >= span) { step *= 2; break; }
        if (step * 5 * 5 >= span) { step *= 5; break; }
        step *= 10;
    }
    a.step = step;
    a.low = low >= 0 ? 0 : -((-low + step - 1) / step) * step;
    a.high = high <= 0 ? 0 : ((high + step - 1) / step) * step;
    if (a.high == a.low) a.high = a.low + step;
    return a;
}

std::string wholeUnits(int64_t units) {
    std::string digits = std::to_string(units < 0 ? -units : units), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return units < 0 ? "-" + out : out;
}

std::vector<GlanceRow> glanceRows(const Glance& g) {
    std::vector<GlanceRow> rows;
    rows.push_back({GlanceRow::heading, true, "Income", nullptr});
    for (const GlanceLine& l : g.income.lines) rows.push_back({GlanceRow::item, true, "    " + glanceLabel(l, g.group), &l});
    rows.push_back({GlanceRow::incomeTotal, true, "Total income", &g.income.total});
    rows.push_back({GlanceRow::heading, false, "Expenses", nullptr});
    for (const GlanceLine& l : g.expenses.lines)
        rows.push_back({GlanceRow::item, false, "    " + glanceLabel(l, g.group), &l});
    rows.push_back({GlanceRow::expensesTotal, false, "Total expenses", &g.expenses.total});
    rows.push_back({GlanceRow::net, true, "Net", &g.net});
    rows.push_back({GlanceRow::miles, true, "Mileage (miles)", &g.miles});
    return rows;
}

std::string glanceCellText(const GlanceLine& l, int column) {
    if (column >= 1 && column <= 12) return formatAmount(l.months[static_cast<size_t>(column - 1)]);
    if (column == 13) return formatAmount(l.total);
    if (column == 14) return formatAmount(l.compared);
    return formatAmount(l.change());
}
