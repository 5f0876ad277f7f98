#include "import/statement_memory.h"

#include <algorithm>

#include "ledger/settings.h"
#include "ledger/side_file.h"
#include "ledger/file_access.h"
#include "ledger/tables.h"
#include "ui/prompts.h"

const char* const statementMemoryFileName = importMemoryFileName;

namespace {

const char memoryHeader[] = "Quirvel import memory 2";
const char firstMemoryHeader[] = "Quirvel import memory 1";  // closing balances in the last field, no longer used
constexpr size_t maxRemembered = 1000;         // the oldest go first
constexpr size_t maxKeyBytes = 1024;          // a header line is kept by its start
constexpr size_t maxMemoryBytes = 4u << 20;    // more than the entries can fill; a longer file is not read

std::string memoryPath() { return dataFolder + statementMemoryFileName; }

bool readInteger(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    if (i >= text.size() || text.size() - i > 18) return false;
    int64_t v = 0;
    for (size_t k = i; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9') return false;
        v = v * 10 + (text[k] - '0');
    }
    value = i ? -v : v;
    return value >= low && value <= high;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

// The columns in the order they are written. Files written before the type
// and currency columns were known hold the first eight only.
constexpr size_t columnCount = 10, olderColumnCount = 8;
int* columnFields(CsvColumns& c, size_t i) {
    int* fields[columnCount] = {&c.date, &c.amount, &c.debit, &c.credit, &c.payee,
                                &c.memo, &c.balance, &c.id,     &c.type,   &c.currency};
    return i < columnCount ? fields[i] : nullptr;
}

constexpr size_t maxWidths = 16;

// key, columns ("-" or ten numbers, eight in older files), flip, order ("-"
// or 0..2), then the day remembered (packed); in the first version, a
// closing balance instead. Later files add the currency taken ("-" or its
// code) and the column widths ("-" or numbers).
bool readEntry(const std::string& line, bool first, std::pair<std::string, RememberedStatement>& entry) {
    std::vector<std::string> f = split(line, '\t');
    if ((f.size() != 5 && f.size() != 7) || !unescapeLineField(f[0], entry.first) || entry.first.size() > maxKeyBytes)
        return false;
    RememberedStatement& r = entry.second;
    if (f[1] != "-") {
        std::vector<std::string> numbers = split(f[1], ',');
        if (numbers.size() != columnCount && numbers.size() != olderColumnCount) return false;
        for (size_t i = 0; i < numbers.size(); ++i) {
            int64_t v = 0;
            if (!readInteger(numbers[i], -1, 9999, v)) return false;
            *columnFields(r.columns, i) = static_cast<int>(v);
        }
        r.hasColumns = true;
    }
    if (f[2] != "0" && f[2] != "1") return false;
    r.flip = f[2] == "1";
    if (f[3] != "-") {
        int64_t order = 0;
        if (!readInteger(f[3], 0, 2, order)) return false;
        r.hasOrder = true;
        r.order = static_cast<DateOrder>(order);
    }
    int64_t day = 0;
    if (first) return f[4] == "-" || readInteger(f[4], -INT64_MAX / 2, INT64_MAX / 2, day);
    if (!readInteger(f[4], 0, UINT16_MAX, day)) return false;
    r.rememberedOn = static_cast<uint16_t>(day);
    if (f.size() == 5) return true;
    if (f[5] != "-") {
        if (f[5].size() != 3 || !std::all_of(f[5].begin(), f[5].end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
            return false;
        r.currencyTaken = f[5];
    }
    if (f[6] != "-") {
        std::vector<std::string> widths = split(f[6], ',');
        if (widths.size() > maxWidths) return false;
        for (const std::string& w : widths) {
            int64_t v = 0;
            if (!readInteger(w, 0, 4000, v)) return false;
            r.columnWidths.push_back(static_cast<int>(v));
        }
    }
    return true;
}

std::vector<std::pair<std::string, RememberedStatement>> readMemory() {
    std::string path = memoryPath(), error;
    Bytes bytes;
    if (!fileExists(path) || !readWholeFile(path, bytes, error, maxMemoryBytes + 1) || bytes.size() > maxMemoryBytes)
        return {};
    return decodeStatementMemory(std::string(bytes.begin(), bytes.end()));
}

}  // namespace

std::string encodeStatementMemory(const std::vector<std::pair<std::string, RememberedStatement>>& entries) {
    std::string text = std::string(memoryHeader) + "\r\n";
    for (const auto& [key, r] : entries) {
        std::string columns = "-";
        if (r.hasColumns) {
            CsvColumns c = r.columns;
            columns.clear();
            for (size_t i = 0; i < columnCount; ++i) columns += (i ? "," : "") + std::to_string(*columnFields(c, i));
        }
        text += escapeLineField(key) + '\t' + columns + '\t' + (r.flip ? "1" : "0") + '\t' +
                (r.hasOrder ? std::to_string(static_cast<int>(r.order)) : "-") + '\t' +
                std::to_string(r.rememberedOn) + '\t';
        bool currency = r.currencyTaken.size() == 3 &&
                        std::all_of(r.currencyTaken.begin(), r.currencyTaken.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
        text += (currency ? r.currencyTaken : "-") + '\t';
        std::string widths;
        for (size_t i = 0; i < r.columnWidths.size() && i < maxWidths; ++i)
            widths += (i ? "," : "") + std::to_string(std::max(0, std::min(r.columnWidths[i], 4000)));
        text += (widths.empty() ? "-" : widths) + "\r\n";
    }
    return text;
}

// Anything but a whole file of whole lines is nothing remembered: what it
// holds only saves the user a few choices.
std::vector<std::pair<std::string, RememberedStatement>> decodeStatementMemory(const std::string& text) {
    std::vector<std::pair<std::string, RememberedStatement>> entries;
    if (text.size() > maxMemoryBytes) return {};
    std::vector<std::string> lines = split(text, '\n');
    if (lines.size() < 2 || !lines.back().empty()) return {};  // no header, or cut in a line
    lines.pop_back();
    for (std::string& line : lines)
        if (!line.empty() && line.back() == '\r') line.pop_back();
    bool first = lines[0] == firstMemoryHeader;
    if ((lines[0] != memoryHeader && !first) || lines.size() - 1 > maxRemembered) return {};
    for (size_t i = 1; i < lines.size(); ++i) {
        std::pair<std::string, RememberedStatement> entry;
        if (!readEntry(lines[i], first, entry)) return {};
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool rememberedFlipApplies(const Statement& statement) { return !statement.account.empty(); }

bool recallStatement(const std::string& key, RememberedStatement& remembered) {
    auto entries = readMemory();
    std::string kept = key.substr(0, maxKeyBytes);
    // The last line for a key is the latest.
    for (auto e = entries.rbegin(); e != entries.rend(); ++e)
        if (e->first == kept) {
            remembered = e->second;
            return true;
        }
    return false;
}

bool rememberStatement(const std::string& key, const RememberedStatement& remembered) {
    auto entries = readMemory();
    std::string kept = key.substr(0, maxKeyBytes);
    entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == kept; }),
                  entries.end());
    entries.emplace_back(kept, remembered);
    if (entries.size() > maxRemembered) entries.erase(entries.begin(), entries.end() - maxRemembered);
    std::string text = encodeStatementMemory(entries), error;
    if (writeFileSafely(memoryPath(), Bytes(text.begin(), text.end()), error)) return true;
    showMessage("What Quirvel remembers about this statement could not be saved to " + memoryPath() + ":\r\n" + error,
                "File Error", mb::ok | mb::iconExclamation);
    return false;
}
