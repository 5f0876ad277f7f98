#include "import/own_export.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "import/line_texts.h"
#include "import/statement_fields.h"
#include "ledger/tables.h"
#include "ledger/tax_arithmetic.h"
#include "text/amount_text.h"
#include "text/plain_text.h"

namespace {

// The headings and tax option texts the list's export writes
// (reports/csv_export.cpp). They must match it, letter for letter: the
// export is known and read by them, and a test reads an export back to
// hold the two together.
const char* const exportHeadings[] = {"Date",     "Type", "Description", "Name",     "Amount", "Handling",
                                      "Shipping", "Tax",  "Total",       "Tax mode", "Unit"};
const char rateHeading[] = "Tax rate";
const char apostropheHeading[] = "Apostrophe added";
// What the export writes in its Unit column for a mileage row.
const char milesUnit[] = "miles";

enum Column { dateColumn, typeColumn, descrColumn, nameColumn, amountColumn, handlingColumn, shippingColumn,
              taxColumn, totalColumn, taxModeColumn, unitColumn, fixedColumns };

// What the export's apostrophe goes before: a text a spreadsheet would run
// as a formula. The CSV reader gives a carriage return inside a field as a
// line feed, so that is taken as one too.
const std::string formulaStarts = "=+-@\t\r\n";

std::string lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string shown(const std::string& field) { return shownField(field); }

bool sameHeading(const std::string& heading, const char* name) { return lowered(shown(heading)) == lowered(name); }

// Long texts are cut in reasons, as the CSV reader cuts them.
std::string quoted(const std::string& text) {
    return "\"" + (text.size() <= 40 ? text : text.substr(0, 37) + "...") + "\"";
}

std::string money(int64_t cents) { return cents == 0 ? "0.00" : formatAmount(cents); }

// "Service, Expense, Sold, Bought, Personal and Earnings"
std::string typeList() {
    std::string list;
    for (int t = typeService; t <= typeEarnings; ++t)
        list += (t == typeService ? "" : t == typeEarnings ? " and " : ", ") + trimBlanks(typeNames[t]);
    return list;
}

uint8_t typeNamed(const std::string& text) {
    for (int t = typeService; t <= typeEarnings; ++t)
        if (lowered(trimBlanks(typeNames[t])) == lowered(text)) return static_cast<uint8_t>(t);
    return 0;
}

// The columns after the first eleven, found by their headings.
struct Layout {
    int rate = -1, apostrophes = -1;
};

Layout layoutOf(const CsvTable& table) {
    Layout layout;
    for (size_t c = fixedColumns; c < table.header.size(); ++c) {
        if (layout.rate < 0 && sameHeading(table.header[c], rateHeading)) layout.rate = static_cast<int>(c);
        if (layout.apostrophes < 0 && sameHeading(table.header[c], apostropheHeading))
            layout.apostrophes = static_cast<int>(c);
    }
    return layout;
}

// One row read, or the reason it cannot be.
class RowReader {
public:
    RowReader(const CsvRow& row, const Layout& layout) : row_(row), layout_(layout) {}

    bool read(StatementLine& line, bool lackingCharacters) {
        ExportedEntry& e = line.entry;
        return readDate(line.date) && readType(e.type) && readTexts(e, lackingCharacters) &&
               readMoney(amountColumn, "amount", true, e.amount) &&
               readMoney(handlingColumn, "handling", false, e.handling) &&
               readMoney(shippingColumn, "shipping", false, e.shipping) &&
               readMoney(taxColumn, "tax", false, e.salesTax) && readTaxMode(e) && readRate(e) && checkUnit(e) &&
               checkTotal(e);
    }
    const std::string& reason() const { return reason_; }

private:
    std::string field(int column) const {
        return column >= 0 && static_cast<size_t>(column) < row_.fields.size() ? row_.fields[column] : "";
    }
    bool fail(const std::string& reason) {
        reason_ = reason;
        return false;
    }

    // Year-month-day, as the export writes every date.
    bool readDate(WrittenDate& date) {
        std::string text = shown(field(dateColumn));
        if (text.empty()) return fail("the date is missing");
        if (!readWrittenDate(text, date) || !date.yearFirst || dateInOrder(date, DateOrder::yearMonthDay) == 0)
            return fail("the date " + quoted(text) + " is not a date written year-month-day");
        return true;
    }

    bool readType(uint8_t& type) {
        std::string text = shown(field(typeColumn));
        if (text.empty()) return fail("the type is missing");
        type = typeNamed(text);
        if (!type) return fail("the type " + quoted(text) + " is none of " + typeList());
        return true;
    }

    // Which texts the export put an apostrophe before: said by its column,
    // else (an export written before it had one) known by what follows.
    bool readTexts(ExportedEntry& e, bool lackingCharacters) {
        bool known = layout_.apostrophes >= 0, description = false, name = false;
        if (known) {
            std::string words = shown(field(layout_.apostrophes)) + " ";
            for (size_t start = 0, end; (end = words.find(' ', start)) != std::string::npos; start = end + 1) {
                std::string word = lowered(words.substr(start, end - start));
                if (word == "description") description = true;
                else if (word == "name") name = true;
                else if (!word.empty())
                    return fail("\"" + std::string(apostropheHeading) + "\" holds " +
                                quoted(shown(field(layout_.apostrophes))) +
                                ": only Description and Name can stand there");
            }
        }
        e.description = unescaped(field(descrColumn), known, description);
        e.name = unescaped(field(nameColumn), known, name);
        // A record keeps so much of a text and no more: a longer one is not
        // what the list exported.
        for (const auto& [text, what] : {std::pair{&e.description, "description"}, std::pair{&e.name, "name"}})
            if (!fitsListEntry(*text)) return fail(tooLongReason(what));
        // The decoder writes "?" for a character the code page lacks, and
        // says so in its note; a "?" in a text may be one of them.
        if (lackingCharacters) {
            for (const auto& [text, what] : {std::pair{&e.description, "description"}, std::pair{&e.name, "name"}})
                if (text->find('?') != std::string::npos)
                    return fail(std::string("the ") + what + " may hold a character that Windows-1252 lacks (read as ?)");
        }
        return true;
    }

    static std::string unescaped(const std::string& text, bool known, bool added) {
        if (text.empty() || text[0] != '\'') return text;
        if (known) return added ? text.substr(1) : text;
        return text.size() > 1 && formulaStarts.find(text[1]) != std::string::npos ? text.substr(1) : text;
    }

    // A money field (or miles) to the cent, within what a record holds. An
    // empty handling, shipping or tax is none: the export leaves them empty
    // for all but products.
    bool readMoney(int column, const std::string& what, bool required, int32_t& cents) {
        cents = 0;
        std::string text = shown(field(column));
        if (text.empty() && !required) return true;
        int64_t value = 0;
        std::string reason;
        if (!readStatementAmount(text, '.', value, reason)) {
            const std::string generic = "the amount";  // the amount reader's own word for the field
            if (reason.compare(0, generic.size(), generic) == 0) reason.replace(0, generic.size(), "the " + what);
            return fail(reason);
        }
        std::string past = amountPastCents(text, '.');
        if (!past.empty())
            return fail("the " + what + " " + past + " has more digits than cents: a record keeps whole cents");
        if (value < INT32_MIN || value > INT32_MAX)
            return fail("the " + what + " " + money(value) + " is beyond what a record can hold");
        cents = static_cast<int32_t>(value);
        return true;
    }

    bool readTaxMode(ExportedEntry& e) {
        std::string text = shown(field(taxModeColumn));
        e.taxMode = modeNoTax;
        if (!text.empty()) {
            for (uint8_t m = modeTaxAdded; m <= modeResale; ++m)
                if (lowered(text) == lowered(taxOptionText(m))) e.taxMode = m;
            if (e.taxMode == modeNoTax)
                return fail("the tax mode " + quoted(text) + " is none of " + taxOptionText(modeTaxAdded) + ", " +
                            taxOptionText(modeTaxIncluded) + ", " + taxOptionText(modeTaxSpecified) + " and " +
                            taxOptionText(modeResale));
        }
        if (isProductType(e.type) && e.taxMode == modeNoTax)
            return fail("the tax mode is missing: a " + trimBlanks(typeNames[e.type]) + " transaction always has one");
        return true;
    }

    // The rate as the export wrote it, digits enough to be the same float.
    // An export without the column gives products the combined rate, as a
    // bank line's product would get.
    bool readRate(ExportedEntry& e) {
        if (layout_.rate < 0) {
            double percent = 100.0 * combinedTaxRate;
            e.taxRate = isProductType(e.type) && std::isfinite(percent) ? static_cast<float>(percent) : 0.0f;
            return true;
        }
        std::string text = shown(field(layout_.rate));
        e.taxRate = 0;
        if (text.empty()) return true;
        // Digits, one point and an exponent, as printf's %g writes them.
        size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0, digits = 0;
        auto skipDigits = [&text, &i]() {
            size_t from = i;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
            return i - from;
        };
        digits += skipDigits();
        if (i < text.size() && text[i] == '.') {
            ++i;
            digits += skipDigits();
        }
        bool wellFormed = digits > 0;
        if (wellFormed && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
            ++i;
            if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
            wellFormed = skipDigits() > 0;
        }
        float rate = wellFormed && i == text.size() ? std::strtof(text.c_str(), nullptr) : NAN;
        if (!std::isfinite(rate)) return fail("the tax rate " + quoted(text) + " is not a number");
        e.taxRate = rate;
        return true;
    }

    bool checkUnit(const ExportedEntry& e) {
        std::string unit = lowered(shown(field(unitColumn)));
        if (!unit.empty() && unit != milesUnit)
            return fail("the unit " + quoted(shown(field(unitColumn))) + " is not " + milesUnit);
        if (recordsMiles(e) && unit.empty())
            return fail("a mileage expense is in miles, but the unit is not");
        if (!recordsMiles(e) && !unit.empty())
            return fail("the unit is miles, but only a mileage expense is in miles");
        return true;
    }

    // The total is not read into anything: it only proves the fields.
    bool checkTotal(const ExportedEntry& e) {
        std::string text = shown(field(totalColumn));
        int64_t total = 0;
        std::string reason;
        if (!readStatementAmount(text, '.', total, reason) || !amountPastCents(text, '.').empty())
            return fail("the total " + (text.empty() ? std::string("is missing") : quoted(text) + " is not a number"));
        int64_t made = transactionTotal(transactionOf(e));
        if (total != made)
            return fail("the total " + money(total) + " does not follow from the amount, handling, shipping and tax, which make " +
                        money(made));
        return true;
    }

    const CsvRow& row_;
    const Layout& layout_;
    std::string reason_;
};

bool repeatsHeading(const CsvTable& table, const CsvRow& row) {
    if (row.fields.size() != table.header.size()) return false;
    for (size_t i = 0; i < row.fields.size(); ++i)
        if (shown(row.fields[i]) != table.header[i]) return false;
    return true;
}

}  // namespace

bool isOwnExport(const CsvTable& table) {
    if (table.header.size() < fixedColumns) return false;
    for (size_t c = 0; c < fixedColumns; ++c)
        if (!sameHeading(table.header[c], exportHeadings[c])) return false;
    return true;
}

Statement ownExportStatement(const CsvTable& table) {
    Statement s;
    if (!table.error.empty()) {
        s.error = table.error;
        return s;
    }
    if (!isOwnExport(table)) {
        s.error = "The file is not a list exported by this program.";
        return s;
    }
    s.note = table.note;
    s.unreadable = table.unreadable;
    const Layout layout = layoutOf(table);
    // The decoder's note counts the characters it could not keep.
    const bool lacking = table.note.find("that Windows-1252 lacks") != std::string::npos;
    // A row that does not read keeps its date, amount and name as written.
    auto unreadable = [](const CsvRow& row, const std::string& reason) {
        auto field = [&](size_t i) {
            return i < row.fields.size() ? shownField(row.fields[i]) : std::string();
        };
        return UnreadableLine{row.line, reason, field(0), field(4), field(3)};
    };
    for (const CsvRow& row : table.rows) {
        if (repeatsHeading(table, row)) continue;  // two exports put together
        if (row.fields.size() != table.header.size()) {
            s.unreadable.push_back(unreadable(row, "the line has " + std::to_string(row.fields.size()) +
                                                       " fields, the header " + std::to_string(table.header.size())));
            continue;
        }
        StatementLine line;
        line.line = row.line;
        RowReader reader(row, layout);
        if (!reader.read(line, lacking)) {
            s.unreadable.push_back(unreadable(row, reader.reason()));
            continue;
        }
        const ExportedEntry& e = line.entry;
        line.exported = true;
        line.payee = cleanText(e.name);
        line.memo = cleanText(e.description);
        line.amount = recordsMiles(e) ? 0 : statementMoney(transactionOf(e));
        s.lines.push_back(std::move(line));
    }
    std::stable_sort(s.unreadable.begin(), s.unreadable.end(),
                     [](const UnreadableLine& a, const UnreadableLine& b) { return a.line < b.line; });
    s.scope = statementKey(StatementFormat::csv, "", csvHeaderKey(table));
    decideDateOrders(s);
    return s;
}

Transaction transactionOf(const ExportedEntry& entry) {
    Transaction t;
    t.type = entry.type;
    t.amount = entry.amount;
    t.handling = entry.handling;
    t.shipping = entry.shipping;
    t.salesTax = entry.salesTax;
    t.taxMode = entry.taxMode;
    t.taxRate = entry.taxRate;
    return t;
}

bool recordsMiles(const ExportedEntry& entry) {
    return entry.type == typeExpense && isMileageDescription(entry.description);
}

bool storesExactly(const ImportRow& row) {
    const Proposal& p = row.proposal;
    return p.exact && row.line.exported && p.type == row.line.entry.type && p.taxMode == row.line.entry.taxMode;
}

bool storesMiles(const ImportRow& row) { return storesExactly(row) && recordsMiles(row.line.entry); }
