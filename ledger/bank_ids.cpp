#include "ledger/bank_ids.h"

#include <set>
#include <tuple>

namespace {

const char sideFileHeader[] = "Quirvel import ids 1";

// Parses a whole decimal field; false for anything else (signs, blanks,
// more digits than any value it may hold).
bool readNumber(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    size_t i = 0;
    bool negative = !text.empty() && text[0] == '-';
    if (negative) i = 1;
    if (i >= text.size() || text.size() - i > 10) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = negative ? -v : v;
    return value >= low && value <= high;
}

std::string recordLine(const ImportedId& id) {
    return escapeLineField(id.bankId.substr(0, maxImportedIdText)) + '\t' + std::to_string(id.importedOn) + '\t' +
           std::to_string(id.date) + '\t' + std::to_string(id.amount) + '\t' +
           escapeLineField(id.name.substr(0, maxImportedIdText)) + '\t' +
           escapeLineField(id.payee.substr(0, maxImportedIdText)) + "\r\n";
}

bool readRecord(const std::string& line, ImportedId& id) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    if (fields.size() != 6) return false;
    int64_t importedOn = 0, date = 0, amount = 0;
    if (!unescapeLineField(fields[0], id.bankId) || !unescapeLineField(fields[4], id.name) ||
        !unescapeLineField(fields[5], id.payee) || !readNumber(fields[1], 0, UINT16_MAX, importedOn) ||
        !readNumber(fields[2], 0, UINT16_MAX, date) || !readNumber(fields[3], INT32_MIN, INT32_MAX, amount))
        return false;
    if (id.bankId.size() > maxImportedIdText || id.name.size() > maxImportedIdText ||
        id.payee.size() > maxImportedIdText)
        return false;
    id.importedOn = static_cast<uint16_t>(importedOn);
    id.date = static_cast<uint16_t>(date);
    id.amount = static_cast<int32_t>(amount);
    return true;
}

}  // namespace

std::string escapeLineField(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

bool unescapeLineField(const std::string& field, std::string& text) {
    text.clear();
    for (size_t i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (c == '\t' || c == '\r' || c == '\n') return false;
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == field.size()) return false;
        switch (field[i]) {
        case '\\': text += '\\'; break;
        case 't': text += '\t'; break;
        case 'r': text += '\r'; break;
        case 'n': text += '\n'; break;
        default: return false;
        }
    }
    return true;
}

std::string importIdsPathFor(const std::string& ledgerPath) { return ledgerPath + "-import"; }

Bytes encodeImportedIds(const std::vector<ImportedId>& ids) {
    // The newest ones when there are more than a side file may hold, so that
    // what is written can always be read back.
    std::vector<std::string> lines;
    size_t bytes = 64;
    for (size_t i = ids.size(); i-- > 0 && lines.size() < maxImportedIds;) {
        std::string line = recordLine(ids[i]);
        if (bytes + line.size() > maxImportIdsFileBytes) break;
        bytes += line.size();
        lines.push_back(std::move(line));
    }
    std::string text = std::string(sideFileHeader) + "\r\n";
    text.reserve(bytes);
    for (size_t i = lines.size(); i-- > 0;) text += lines[i];
    text += "end " + std::to_string(lines.size()) + "\r\n";
    return Bytes(text.begin(), text.end());
}

bool decodeImportedIds(const Bytes& bytes, std::vector<ImportedId>& ids) {
    ids.clear();
    if (bytes.size() > maxImportIdsFileBytes) return false;
    std::string text(bytes.begin(), bytes.end());
    std::vector<ImportedId> read;
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) return false;  // cut off in the middle of a line
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (first) {
            if (line != sideFileHeader) return false;
            first = false;
            continue;
        }
        if (line.compare(0, 4, "end ") == 0) {
            int64_t count = 0;
            // The count makes a file cut at a line's end tell itself from a
            // whole one; nothing may follow it.
            if (!readNumber(line.substr(4), 0, maxImportedIds, count) || static_cast<size_t>(count) != read.size() ||
                start != text.size())
                return false;
            ids = std::move(read);
            return true;
        }
        if (read.size() >= maxImportedIds) return false;
        ImportedId id;
        if (!readRecord(line, id)) return false;
        read.push_back(std::move(id));
    }
    return false;  // no closing count
}

bool writeImportedIds(const std::string& ledgerFile, const std::vector<ImportedId>& ids, bool keepOld,
                      std::string& error) {
    std::string path = importIdsPathFor(ledgerFile);
    if (ids.empty() && !fileExists(path)) return true;
    return writeFileSafely(path, encodeImportedIds(ids), error, keepOld);
}

const ImportedId* findImportedId(const std::string& bankId) {
    if (bankId.empty()) return nullptr;
    for (const ImportedId& id : importedIds)
        if (id.bankId == bankId) return &id;
    return nullptr;
}

std::vector<ImportedId> idsOfTransactions(const std::vector<ImportedId>& ids,
                                          const std::vector<Transaction>& transactions,
                                          const std::vector<std::string>& names) {
    std::set<std::tuple<uint16_t, int32_t, std::string>> held;
    for (const Transaction& t : transactions) {
        std::string name = t.nameIndex >= 1 && t.nameIndex <= names.size() ? entryText(names[t.nameIndex - 1]) : "";
        held.emplace(t.date, t.amount, std::move(name));
    }
    std::vector<ImportedId> kept;
    for (const ImportedId& id : ids)
        if (held.count(std::make_tuple(id.date, id.amount, id.name))) kept.push_back(id);
    return kept;
}
