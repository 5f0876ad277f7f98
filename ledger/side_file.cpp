#include "ledger/side_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "ledger/schedules.h"

namespace {

const char sideFileHeader[] = "Quirvel side file 2";
const char firstSideFileHeader[] = "Quirvel import ids 1";

// Parses a whole decimal field; false for anything else (blanks, a plus
// sign, more digits than any value it may hold).
bool readNumber(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    size_t i = 0;
    bool negative = !text.empty() && text[0] == '-';
    if (negative) i = 1;
    // Nineteen digits fit in 64 unsigned bits whatever they are.
    if (i >= text.size() || text.size() - i > 19) return false;
    uint64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    if (v > static_cast<uint64_t>(INT64_MAX)) return false;
    value = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return value >= low && value <= high;
}

template <typename T>
bool readField(const std::string& text, int64_t low, int64_t high, T& out) {
    int64_t v = 0;
    if (!readNumber(text, low, high, v)) return false;
    out = static_cast<T>(v);
    return true;
}

bool readText(const std::string& field, std::string& text) {
    return unescapeLineField(field, text) && text.size() <= maxSideText;
}

bool readShared(const std::string& field, SharedText& shared) {
    std::string text;
    if (!readText(field, text)) return false;
    shared = text;
    return true;
}

// Texts longer than a side file keeps are kept by their start; an escape is
// never cut in two since the cut comes before escaping.
std::string textField(const std::string& text) { return escapeLineField(text.substr(0, maxSideText)); }

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::string hex64(uint64_t v) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
    return text;
}

bool readHex64(const std::string& text, uint64_t& v) {
    if (text.size() != 16) return false;
    v = 0;
    for (char c : text) {
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0) return false;
        v = v << 4 | static_cast<uint64_t>(d);
    }
    return true;
}

// --- Records: kind, version, fields ---

std::string lineRecord(const BankLine& l) {
    std::string flags;
    if (l.flipped) flags += 'f';
    if (l.hint) flags += 'h';
    if (l.legacy) flags += 'l';
    return std::string("line\t1\t") + (l.status == BankLine::leftOut ? "left" : "imported") + '\t' +
           (flags.empty() ? "-" : flags) + '\t' + textField(l.scope) + '\t' + textField(l.bankId) + '\t' +
           std::to_string(l.importedOn) + '\t' + std::to_string(l.date) + '\t' + std::to_string(l.amount) + '\t' +
           textField(l.payee) + '\t' + textField(l.memo) + '\t' + std::to_string(l.occurrence) + '\t' +
           textField(l.name) + '\t' + std::to_string(l.tag) + '\t' + textField(l.archivedTo);
}

bool readLine(const std::vector<std::string>& f, BankLine& l) {
    if (f.size() != 15) return false;
    if (f[2] == "imported") l.status = BankLine::imported;
    else if (f[2] == "left") l.status = BankLine::leftOut;
    else return false;
    if (f[3] != "-") {
        for (char c : f[3]) {
            if (c == 'f') l.flipped = true;
            else if (c == 'h') l.hint = true;
            else if (c == 'l') l.legacy = true;
            else return false;
        }
    }
    return readShared(f[4], l.scope) && readText(f[5], l.bankId) && readField(f[6], 0, UINT16_MAX, l.importedOn) &&
           readField(f[7], 0, UINT16_MAX, l.date) && readField(f[8], -INT64_MAX / 2, INT64_MAX / 2, l.amount) &&
           readShared(f[9], l.payee) && readText(f[10], l.memo) && readField(f[11], 1, UINT16_MAX, l.occurrence) &&
           readShared(f[12], l.name) && readField(f[13], 0, maxTransactions, l.tag) && readShared(f[14], l.archivedTo);
}

std::string balanceRecord(const RememberedBalance& b) {
    return "balance\t1\t" + textField(b.scope) + '\t' + std::to_string(b.asOf) + '\t' + std::to_string(b.amount) +
           '\t' + std::to_string(b.importedOn);
}

bool readBalance(const std::vector<std::string>& f, RememberedBalance& b) {
    return f.size() == 6 && readShared(f[2], b.scope) && readField(f[3], 0, UINT16_MAX, b.asOf) &&
           readField(f[4], -INT64_MAX / 2, INT64_MAX / 2, b.amount) && readField(f[5], 0, UINT16_MAX, b.importedOn);
}

std::string archiveRecord(const ArchiveNote& a) {
    // Paths may be longer than other texts.
    return "archive\t1\t" + escapeLineField(a.path.substr(0, 1024)) + '\t' + std::to_string(a.cutoff) + '\t' +
           std::to_string(a.writtenOn);
}

bool readArchive(const std::vector<std::string>& f, ArchiveNote& a) {
    return f.size() == 5 && unescapeLineField(f[2], a.path) && a.path.size() <= 1024 &&
           readField(f[3], 0, UINT16_MAX, a.cutoff) && readField(f[4], 0, UINT16_MAX, a.writtenOn);
}

// A line key is a word of letters: "office", "otherExpenses", "leftOut".
bool readKey(const std::string& field, std::string& key) {
    if (field.empty() || field.size() > 32) return false;
    for (char c : field)
        if (!std::isalpha(static_cast<unsigned char>(c))) return false;
    key = field;
    return true;
}

std::string taxLineRecord(const TaxLineAssignment& a) {
    return "taxline\t1\t" + std::to_string(a.group) + '\t' + textField(a.text) + '\t' + a.line;
}

bool readTaxLine(const std::vector<std::string>& f, TaxLineAssignment& a) {
    return f.size() == 5 && readField(f[2], 1, 255, a.group) && readText(f[3], a.text) && readKey(f[4], a.line);
}

std::string mileRateRecord(const MileageRate& r) {
    return "milerate\t1\t" + std::to_string(r.year) + '\t' + std::to_string(r.tenthsOfCent);
}

bool readMileRate(const std::vector<std::string>& f, MileageRate& r) {
    // Up to a thousand dollars a mile: anything more is no rate.
    return f.size() == 4 && readField(f[2], 1980, 2107, r.year) && readField(f[3], 0, 1000000, r.tenthsOfCent);
}

// An inventory not typed in is "-".
std::string inventoryField(bool has, int64_t amount) { return has ? std::to_string(amount) : "-"; }

bool readInventoryField(const std::string& field, bool& has, int64_t& amount) {
    has = field != "-";
    if (!has) return true;
    // No inventory of a sole trader's books reaches a hundred billion.
    return readField(field, -10000000000000, 10000000000000, amount);
}

std::string inventoryRecord(const YearInventory& v) {
    return "inventory\t1\t" + std::to_string(v.year) + '\t' + inventoryField(v.hasStart, v.start) + '\t' +
           inventoryField(v.hasEnd, v.end);
}

bool readInventory(const std::vector<std::string>& f, YearInventory& v) {
    return f.size() == 5 && readField(f[2], 1980, 2107, v.year) && readInventoryField(f[3], v.hasStart, v.start) &&
           readInventoryField(f[4], v.hasEnd, v.end);
}

// A schedule: its id and flags, the transaction (type, description, name,
// amount, handling, shipping, tax option, the rate's float bits, sales
// tax), the rule (unit, every, which day, day, week, weekday, first date,
// end, count, last date) and what was handled (the mark, then the dates
// handled past it, comma separated, "-" for none). Dates are packed.
const char* const unitWords[] = {"days", "weeks", "months", "years"};
const char* const dayWords[] = {"day", "last", "weekday"};
const char* const endWords[] = {"never", "count", "date"};

template <size_t N>
bool readWord(const std::string& field, const char* const (&words)[N], uint8_t& out) {
    for (size_t i = 0; i < N; ++i)
        if (field == words[i]) {
            out = static_cast<uint8_t>(i);
            return true;
        }
    return false;
}

std::string dateList(const std::vector<uint16_t>& dates) {
    if (dates.empty()) return "-";
    std::string out;
    for (uint16_t d : dates) out += (out.empty() ? "" : ",") + std::to_string(d);
    return out;
}

constexpr size_t maxHandledAfter = 10000;

bool readDateList(const std::string& field, std::vector<uint16_t>& dates) {
    dates.clear();
    if (field == "-") return true;
    size_t start = 0;
    for (;;) {
        size_t comma = field.find(',', start);
        uint16_t d = 0;
        if (dates.size() >= maxHandledAfter ||
            !readField(field.substr(start, comma == std::string::npos ? std::string::npos : comma - start), 1,
                       UINT16_MAX, d))
            return false;
        dates.push_back(d);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

uint32_t floatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

std::string scheduleRecord(const Schedule& s) {
    const Transaction& t = s.record;
    const ScheduleRule& r = s.rule;
    char rate[9];
    std::snprintf(rate, sizeof rate, "%08lx", static_cast<unsigned long>(floatBits(t.taxRate)));
    auto word = [](const char* const* words, size_t n, uint8_t i) { return std::string(i < n ? words[i] : "?"); };
    return "schedule\t1\t" + std::to_string(s.id) + '\t' + (s.hint ? "h" : "-") + '\t' + std::to_string(t.type) +
           '\t' + textField(s.description) + '\t' + textField(s.name) + '\t' + std::to_string(t.amount) + '\t' +
           std::to_string(t.handling) + '\t' + std::to_string(t.shipping) + '\t' + std::to_string(t.taxMode) + '\t' +
           rate + '\t' + std::to_string(t.salesTax) + '\t' + word(unitWords, 4, r.unit) + '\t' +
           std::to_string(r.every) + '\t' + word(dayWords, 3, r.dayKind) + '\t' + std::to_string(r.day) + '\t' +
           std::to_string(r.week) + '\t' + std::to_string(r.weekday) + '\t' + std::to_string(r.first) + '\t' +
           word(endWords, 3, r.endKind) + '\t' + std::to_string(r.count) + '\t' + std::to_string(r.until) + '\t' +
           std::to_string(s.handledUpTo) + '\t' + dateList(s.handledAfter);
}

bool readSchedule(const std::vector<std::string>& f, Schedule& s) {
    if (f.size() != 25) return false;
    Transaction& t = s.record;
    ScheduleRule& r = s.rule;
    uint32_t rateBits = 0;
    if (f[3] == "h") s.hint = true;
    else if (f[3] != "-") return false;
    if (f[11].size() != 8) return false;
    uint64_t bits64 = 0;
    if (!readHex64("00000000" + f[11], bits64)) return false;
    rateBits = static_cast<uint32_t>(bits64);
    std::memcpy(&t.taxRate, &rateBits, sizeof rateBits);
    bool ok = readField(f[2], 1, UINT32_MAX / 2, s.id) && readField(f[4], 1, 6, t.type) &&
              readText(f[5], s.description) && readText(f[6], s.name) &&
              readField(f[7], INT32_MIN, INT32_MAX, t.amount) && readField(f[8], INT32_MIN, INT32_MAX, t.handling) &&
              readField(f[9], INT32_MIN, INT32_MAX, t.shipping) && readField(f[10], 0, 255, t.taxMode) &&
              readField(f[12], INT32_MIN, INT32_MAX, t.salesTax) && readWord(f[13], unitWords, r.unit) &&
              readField(f[14], 1, maxScheduleEvery, r.every) && readWord(f[15], dayWords, r.dayKind) &&
              readField(f[16], 1, 31, r.day) && readField(f[17], 1, 5, r.week) && readField(f[18], 0, 6, r.weekday) &&
              readField(f[19], 0, UINT16_MAX, r.first) && readWord(f[20], endWords, r.endKind) &&
              readField(f[21], 0, UINT16_MAX, r.count) && readField(f[22], 0, UINT16_MAX, r.until) &&
              readField(f[23], 0, UINT16_MAX, s.handledUpTo) && readDateList(f[24], s.handledAfter);
    // Whatever the fields, the schedule must be one the user could have typed.
    return ok && scheduleProblem(s).empty();
}

// A record of a kind or version this program does not know: kept when it
// is well formed (a lower-case kind, a version, fields that unescape).
bool wellFormedOther(const std::vector<std::string>& f) {
    if (f.size() < 2 || f[0].empty() || f[0].size() > 32) return false;
    for (char c : f[0])
        if (c < 'a' || c > 'z') return false;
    int64_t version = 0;
    if (!readNumber(f[1], 1, 999999, version)) return false;
    std::string text;
    for (size_t i = 2; i < f.size(); ++i)
        if (!unescapeLineField(f[i], text)) return false;
    return true;
}

// The first side file: bank id, import date, date, amount as the books
// stored it, name and payee. Its lines become hints whose sign, account and
// memo are unknown.
bool readFirstRecord(const std::string& line, BankLine& l) {
    std::vector<std::string> f = splitTabs(line);
    if (f.size() != 6) return false;
    int32_t amount = 0;
    if (!readText(f[0], l.bankId) || !readField(f[1], 0, UINT16_MAX, l.importedOn) ||
        !readField(f[2], 0, UINT16_MAX, l.date) || !readField(f[3], INT32_MIN, INT32_MAX, amount) ||
        !readShared(f[4], l.name) || !readShared(f[5], l.payee))
        return false;
    l.amount = amount < 0 ? -static_cast<int64_t>(amount) : amount;
    l.hint = l.legacy = true;
    return true;
}

// Splits bytes into lines ending in LF (a CR before it dropped); false when
// the last line has no end, as in a file cut off while being written.
bool wholeLines(const Bytes& bytes, std::vector<std::string>& lines) {
    std::string text(bytes.begin(), bytes.end());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) return false;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

// "end COUNT" closes a file: the count makes a file cut at a line's end
// tell itself from a whole one, and nothing may follow it.
bool isEnd(const std::vector<std::string>& lines, size_t i, size_t records) {
    const std::string& line = lines[i];
    int64_t count = 0;
    return line.compare(0, 4, "end ") == 0 && readNumber(line.substr(4), 0, maxSideRecords * 4, count) &&
           static_cast<size_t>(count) == records && i + 1 == lines.size();
}

bool decodeFirstSideFile(const std::vector<std::string>& lines, SideFile& file) {
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].compare(0, 4, "end ") == 0) return isEnd(lines, i, i - 1);
        if (file.data.lines.size() >= maxSideRecords) return false;
        BankLine l;
        if (!readFirstRecord(lines[i], l)) return false;
        file.data.lines.push_back(std::move(l));
    }
    return false;
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

std::string sideFilePathFor(const std::string& ledgerPath) { return ledgerPath + "-import"; }

bool isSideFileName(const std::string& path) {
    static const std::string ending = ".qvl-import";
    std::string name = fileNameOf(path);
    // Windows ignores trailing dots and blanks in a name.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.size() < ending.size()) return false;
    for (size_t i = 0; i < ending.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - ending.size() + i])) != ending[i]) return false;
    return true;
}

LedgerIdentity identityOf(const Bytes& ledgerBytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : ledgerBytes) {
        hash ^= b;
        hash *= 1099511628211ull;
    }
    return {ledgerBytes.size(), hash};
}

Bytes encodeSideFile(const SideFile& file) {
    // Balances, archives and unknown records first: they are few. Then the
    // newest lines that fit both limits, so that what is written can always
    // be read back.
    std::vector<std::string> records;
    size_t bytes = 128;
    auto add = [&](std::string record) {
        bytes += record.size() + 2;
        records.push_back(std::move(record));
    };
    if (file.hasLedger)
        add("ledger\t1\t" + std::to_string(file.ledger.size) + '\t' + hex64(file.ledger.hash));
    for (const RememberedBalance& b : file.data.balances) add(balanceRecord(b));
    for (const ArchiveNote& a : file.data.archives) add(archiveRecord(a));
    for (const TaxLineAssignment& a : file.data.tax.assignments) add(taxLineRecord(a));
    for (const MileageRate& r : file.data.tax.rates) add(mileRateRecord(r));
    for (const YearInventory& v : file.data.tax.inventories) add(inventoryRecord(v));
    for (const Schedule& sc : file.data.schedules) add(scheduleRecord(sc));
    for (const std::string& r : file.data.otherRecords) add(r);
    size_t first = records.size();
    for (size_t i = file.data.lines.size(); i-- > 0 && records.size() < maxSideRecords;) {
        std::string record = lineRecord(file.data.lines[i]);
        if (bytes + record.size() + 2 > maxSideFileBytes) break;
        add(std::move(record));
    }
    std::reverse(records.begin() + static_cast<long>(first), records.end());
    std::string text = std::string(sideFileHeader) + "\r\n";
    text.reserve(bytes);
    for (const std::string& r : records) text += r + "\r\n";
    text += "end " + std::to_string(records.size()) + "\r\n";
    return Bytes(text.begin(), text.end());
}

bool decodeSideFile(const Bytes& bytes, SideFile& file) {
    file = SideFile{};
    std::vector<std::string> lines;
    if (bytes.size() > maxSideFileBytes || !wholeLines(bytes, lines) || lines.empty()) return false;
    SideFile read;
    bool ok = false;
    std::unordered_set<uint32_t> scheduleIds;  // each once
    if (lines[0] == firstSideFileHeader) {
        ok = decodeFirstSideFile(lines, read);
    } else if (lines[0] == sideFileHeader) {
        for (size_t i = 1; i < lines.size() && !ok; ++i) {
            if (lines[i].compare(0, 4, "end ") == 0) {
                if (!isEnd(lines, i, i - 1)) return false;
                ok = true;
                break;
            }
            if (i > maxSideRecords * 4) return false;
            std::vector<std::string> f = splitTabs(lines[i]);
            if (f.size() < 2) return false;
            const std::string& kind = f[0];
            if (kind == "line" && f[1] == "1") {
                BankLine l;
                if (read.data.lines.size() >= maxSideRecords || !readLine(f, l)) return false;
                read.data.lines.push_back(std::move(l));
            } else if (kind == "balance" && f[1] == "1") {
                RememberedBalance b;
                if (!readBalance(f, b)) return false;
                read.data.balances.push_back(std::move(b));
            } else if (kind == "archive" && f[1] == "1") {
                ArchiveNote a;
                if (!readArchive(f, a)) return false;
                read.data.archives.push_back(std::move(a));
            } else if (kind == "taxline" && f[1] == "1") {
                TaxLineAssignment a;
                if (!readTaxLine(f, a)) return false;
                read.data.tax.assignments.push_back(std::move(a));
            } else if (kind == "milerate" && f[1] == "1") {
                MileageRate r;
                if (!readMileRate(f, r)) return false;
                read.data.tax.rates.push_back(r);
            } else if (kind == "inventory" && f[1] == "1") {
                YearInventory v;
                if (!readInventory(f, v)) return false;
                read.data.tax.inventories.push_back(v);
            } else if (kind == "schedule" && f[1] == "1") {
                Schedule sc;
                if (!readSchedule(f, sc) || !scheduleIds.insert(sc.id).second) return false;
                read.data.schedules.push_back(std::move(sc));
            } else if (kind == "ledger" && f[1] == "1") {
                if (f.size() != 4 || read.hasLedger || !readField(f[2], 0, INT64_MAX / 2, read.ledger.size) ||
                    !readHex64(f[3], read.ledger.hash))
                    return false;
                read.hasLedger = true;
            } else if (wellFormedOther(f)) {
                read.data.otherRecords.push_back(lines[i]);
            } else {
                return false;
            }
        }
    }
    if (!ok) return false;
    file = std::move(read);
    return true;
}

bool writeSideFile(const std::string& ledgerFile, const SideFile& file, bool keepOld, std::string& error) {
    std::string path = sideFilePathFor(ledgerFile);
    if (file.data.empty() && !fileExists(path)) {
        // Nothing to keep, and no file to replace: but a power cut during an
        // earlier write may have left its temporary file.
        removeLeftoversOf(path);
        return true;
    }
    return writeFileSafely(path, encodeSideFile(file), error, keepOld);
}

SideData readSideFileFor(const std::string& ledgerFile, const Bytes& ledgerBytes, uint16_t count, bool& damaged) {
    damaged = false;
    std::string path = sideFilePathFor(ledgerFile), error;
    if (!fileExists(path)) return {};
    Bytes bytes;
    SideFile file;
    // One byte past the limit tells a file that is too long from one that fits.
    if (!readWholeFile(path, bytes, error, maxSideFileBytes + 1) || !decodeSideFile(bytes, file)) {
        damaged = true;
        return {};
    }
    bool ours = file.hasLedger && file.ledger == identityOf(ledgerBytes);
    for (BankLine& l : file.data.lines) {
        if (!ours) l.hint = true;
        // A line's transaction is known only where the file names it in
        // exactly these books.
        if (l.hint || l.tag > count) l.tag = 0;
    }
    // Its marks of what was posted may not be these books' either.
    if (!ours)
        for (Schedule& sc : file.data.schedules) sc.hint = true;
    return std::move(file.data);
}

SideData sideDataForFile(const SideData& data, int count) {
    SideData out = data;
    std::unordered_map<uint32_t, int> positions = transactionPositions();
    for (BankLine& l : out.lines) {
        auto p = l.tag ? positions.find(l.tag) : positions.end();
        l.tag = p == positions.end() || p->second > count ? 0 : static_cast<uint32_t>(p->second);
    }
    return out;
}
