#include "ledger/schedules.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "ledger/changes.h"
#include "ledger/file_access.h"
#include "text/plain_text.h"
#include "ui/prompts.h"

namespace {

constexpr int firstYear = 1980, lastYear = 2107;
constexpr int maxScheduleCount = 9999;

int yearOf(uint16_t p) { return firstYear + (p >> 9); }
int monthOf(uint16_t p) { return (p >> 5) & 15; }
int dayOf(uint16_t p) { return p & 31; }
uint16_t pack(int y, int m, int d) { return static_cast<uint16_t>((y - firstYear) << 9 | m << 5 | d); }

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Days since 03-01-0000 of the proleptic calendar, and back.
long dayNumber(int y, int m, int d) {
    if (m <= 2) --y;
    long era = y / 400, yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
}
long dayNumber(uint16_t p) { return dayNumber(yearOf(p), monthOf(p), dayOf(p)); }

// 0 past the dates a packed date can hold.
uint16_t fromDayNumber(long n) {
    long era = n / 146097, doe = n - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    int y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    return y < firstYear || y > lastYear ? 0 : pack(y, m, d);
}

int weekdayOf(int y, int m, int d) { return static_cast<int>((dayNumber(y, m, d) + 3) % 7); }  // 03-01-0000 was a Wednesday

// The day a month-based rule gives in month m of year y.
int dayInMonth(const ScheduleRule& r, int y, int m) {
    int last = daysInMonth(y, m);
    if (r.dayKind == ScheduleRule::lastDay) return last;
    if (r.dayKind == ScheduleRule::onDay) return std::min<int>(r.day, last);
    int first = 1 + (r.weekday - weekdayOf(y, m, 1) + 7) % 7;
    if (r.week <= 4) return first + 7 * (r.week - 1);
    return last - (weekdayOf(y, m, last) - r.weekday + 7) % 7;
}

// Calls f(date) for each date of the rule from `from` to `to`, oldest
// first, until f returns false. The rule must be sound (scheduleProblem).
template <typename F>
void walk(const Schedule& s, uint16_t from, uint16_t to, F f) {
    const ScheduleRule& r = s.rule;
    if (!isRealDate(r.first) || r.every < 1) return;
    uint16_t last = r.endKind == ScheduleRule::onDate ? std::min(to, r.until) : to;
    from = std::max(from, r.first);
    if (from > last) return;
    bool counted = r.endKind == ScheduleRule::afterCount;
    if (r.unit == ScheduleRule::days || r.unit == ScheduleRule::weeks) {
        long step = static_cast<long>(r.every) * (r.unit == ScheduleRule::weeks ? 7 : 1);
        long start = dayNumber(r.first);
        for (long k = (dayNumber(from) - start + step - 1) / step;; ++k) {
            if (counted && k >= r.count) return;
            uint16_t p = fromDayNumber(start + k * step);
            if (p == 0 || p > last || !f(p)) return;
        }
    }
    int step = r.every * (r.unit == ScheduleRule::years ? 12 : 1);
    int base = (yearOf(r.first) - firstYear) * 12 + monthOf(r.first) - 1;
    auto candidate = [&](long k) -> uint16_t {
        long month = base + k * step;
        if (month >= (lastYear - firstYear + 1) * 12) return 0;
        int y = firstYear + static_cast<int>(month / 12), m = static_cast<int>(month % 12) + 1;
        return pack(y, m, dayInMonth(r, y, m));
    };
    // The first month's date may come before the first date: it is none of
    // the entries, which are then counted from the next one.
    long dropped = candidate(0) < r.first ? 1 : 0;
    int fromMonth = (yearOf(from) - firstYear) * 12 + monthOf(from) - 1;
    for (long k = std::max(dropped, static_cast<long>((fromMonth - base) / step));; ++k) {
        if (counted && k - dropped >= r.count) return;
        uint16_t p = candidate(k);
        if (p == 0 || p > last) return;
        if (p >= from && !f(p)) return;
    }
}

uint16_t dayAfter(uint16_t p) { return p == 0 ? 0 : fromDayNumber(dayNumber(p) + 1); }

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerLetter(static_cast<unsigned char>(a[i])) != lowerLetter(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string folded(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(lowerLetter(static_cast<unsigned char>(c)));
    return out;
}

// The entry of a list with this group and text (letter case ignored), or 0.
int findEntry(ListKind list, uint8_t group, const std::string& text) {
    const auto* entries = list == descrList ? descriptions.data() : names.data();
    int count = list == descrList ? descrCount : nameCount;
    for (int e = 1; e <= count; ++e)
        if (!entries[e].empty() && static_cast<uint8_t>(entries[e][0]) == group && sameText(entryText(entries[e]), text))
            return e;
    return 0;
}

std::string thousands(int64_t n) {
    std::string digits = std::to_string(n < 0 ? -n : n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return n < 0 ? "-" + out : out;
}

std::string counted(int64_t n, const std::string& one, const std::string& many) {
    return thousands(n) + " " + (n == 1 ? one : many);
}

// The handled mark moves over every entry handled in a row; what is left
// after it stays noted, and a date that is no entry of the rule (any more)
// goes.
void settleMark(Schedule& s) {
    auto& after = s.handledAfter;
    std::sort(after.begin(), after.end());
    after.erase(std::unique(after.begin(), after.end()), after.end());
    after.erase(after.begin(), std::upper_bound(after.begin(), after.end(), s.handledUpTo));
    while (!after.empty()) {
        uint16_t next = nextOccurrence(s, s.handledUpTo);
        if (next == 0 || after.front() < next) {
            if (next == 0) after.clear();
            else after.erase(after.begin());
            continue;
        }
        if (after.front() != next) break;
        s.handledUpTo = next;
        after.erase(after.begin());
    }
}

bool stillDue(const Schedule& s, uint16_t date) {
    return date > s.handledUpTo && !std::binary_search(s.handledAfter.begin(), s.handledAfter.end(), date) &&
           isOccurrence(s, date);
}

size_t indexOfSchedule(uint32_t id) {
    const auto& all = ledger.beside.schedules;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].id == id) return i;
    return SIZE_MAX;
}

}  // namespace

bool ScheduleRule::operator==(const ScheduleRule& o) const {
    return unit == o.unit && every == o.every && dayKind == o.dayKind && day == o.day && week == o.week &&
           weekday == o.weekday && first == o.first && endKind == o.endKind && count == o.count && until == o.until;
}

bool Schedule::operator==(const Schedule& o) const {
    const Transaction &a = record, &b = o.record;
    bool sameRecord = a.date == b.date && a.type == b.type && a.descrIndex == b.descrIndex &&
                      a.nameIndex == b.nameIndex && a.amount == b.amount && a.handling == b.handling &&
                      a.shipping == b.shipping && a.taxMode == b.taxMode && a.taxRate == b.taxRate &&
                      a.salesTax == b.salesTax && a.reserved == b.reserved;
    return id == o.id && sameRecord && description == o.description && name == o.name && rule == o.rule &&
           handledUpTo == o.handledUpTo && handledAfter == o.handledAfter && hint == o.hint;
}

bool isRealDate(uint16_t p) {
    int m = monthOf(p), d = dayOf(p);
    return m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(yearOf(p), m);
}

int weekdayOf(uint16_t p) { return weekdayOf(yearOf(p), monthOf(p), dayOf(p)); }

std::vector<uint16_t> occurrencesBetween(const Schedule& schedule, uint16_t from, uint16_t to, size_t limit) {
    std::vector<uint16_t> dates;
    if (limit == 0) return dates;
    walk(schedule, from, to, [&](uint16_t p) {
        dates.push_back(p);
        return dates.size() < limit;
    });
    return dates;
}

uint16_t nextOccurrence(const Schedule& schedule, uint16_t after) {
    uint16_t from = after == 0 ? 0 : dayAfter(after);
    if (after != 0 && from == 0) return 0;
    std::vector<uint16_t> next = occurrencesBetween(schedule, from, UINT16_MAX, 1);
    return next.empty() ? 0 : next[0];
}

bool isOccurrence(const Schedule& schedule, uint16_t date) {
    return isRealDate(date) && !occurrencesBetween(schedule, date, date, 1).empty();
}

std::string scheduleProblem(const Schedule& s) {
    const Transaction& t = s.record;
    const ScheduleRule& r = s.rule;
    if (t.type < typeService || t.type > typeEarnings) return "A scheduled entry needs a type of transaction.";
    if (!fitsListEntry(s.description)) return tooLongMessage("description");
    if (!fitsListEntry(s.name)) return tooLongMessage("name");
    if (t.taxMode > modeResale && t.taxMode != modeNoTax) return "The tax option of a scheduled entry is not known.";
    if (!std::isfinite(t.taxRate) || t.taxRate < 0 || t.taxRate > 100)
        return "A tax rate is a percentage from 0 to 100.";
    if (!isRealDate(r.first)) return "Illegal date";
    if (r.unit > ScheduleRule::years || r.every < 1 || r.every > maxScheduleEvery)
        return "An entry repeats every 1 to " + std::to_string(maxScheduleEvery) + " days, weeks, months or years.";
    // Checked whatever the unit, so that every schedule kept can be written.
    if (r.dayKind > ScheduleRule::nthWeekday || r.day < 1 || r.day > 31 || r.week < 1 || r.week > 5 || r.weekday > 6)
        return "Choose the day of the month the entry falls on.";
    if (r.endKind > ScheduleRule::onDate) return "Choose when the entries end.";
    if (r.endKind == ScheduleRule::afterCount && (r.count < 1 || r.count > maxScheduleCount))
        return "The number of entries is from 1 to " + thousands(maxScheduleCount) + ".";
    if (r.endKind == ScheduleRule::onDate && !isRealDate(r.until)) return "Illegal date";
    if (r.endKind == ScheduleRule::onDate && r.until < r.first) return "The last date comes before the first.";
    if (s.handledUpTo != 0 && !isRealDate(s.handledUpTo)) return "Illegal date";
    uint16_t previous = s.handledUpTo;
    for (uint16_t d : s.handledAfter) {
        if (!isRealDate(d) || d <= previous) return "Illegal date";
        previous = d;
    }
    return "";
}

Schedule scheduleFromTransaction(const Transaction& t) {
    Schedule s;
    s.record = t;
    s.record.descrIndex = s.record.nameIndex = 0;
    s.record.reserved = 0;
    s.description = descriptionText(t.descrIndex);
    s.name = nameText(t.nameIndex);
    s.rule.unit = ScheduleRule::months;
    s.rule.every = 1;
    s.rule.dayKind = ScheduleRule::onDay;
    int day = isRealDate(t.date) ? dayOf(t.date) : 1;
    s.rule.day = static_cast<uint8_t>(day);
    if (isRealDate(t.date)) {
        int y = yearOf(t.date), m = monthOf(t.date) + 1;
        if (m > 12) m = 1, ++y;
        if (y <= lastYear) s.rule.first = pack(y, m, std::min(day, daysInMonth(y, m)));
    }
    s.record.date = s.rule.first;
    return s;
}

const Schedule* findSchedule(uint32_t id) {
    size_t i = indexOfSchedule(id);
    return i == SIZE_MAX ? nullptr : &ledger.beside.schedules[i];
}

uint32_t addSchedule(const Schedule& schedule) {
    std::string problem = scheduleProblem(schedule);
    if (!problem.empty()) {
        showMessage(problem, "Quirvel", mb::ok | mb::iconExclamation);
        return 0;
    }
    Schedule s = schedule;
    s.id = ledger.nextScheduleId++;
    s.record.descrIndex = s.record.nameIndex = 0;
    s.handledUpTo = 0;
    s.handledAfter.clear();
    s.hint = false;
    std::vector<Schedule> all = ledger.beside.schedules;
    all.push_back(std::move(s));
    setSchedules(all);
    commitStep("New schedule");
    return all.back().id;
}

bool changeSchedule(uint32_t id, const Schedule& schedule) {
    size_t i = indexOfSchedule(id);
    if (i == SIZE_MAX) return false;
    std::vector<Schedule> all = ledger.beside.schedules;
    Schedule s = schedule;
    s.id = id;
    s.record.descrIndex = s.record.nameIndex = 0;
    s.handledUpTo = all[i].handledUpTo;
    s.handledAfter = all[i].handledAfter;
    s.hint = false;  // the user has seen it and made it so
    std::string problem = scheduleProblem(s);
    if (!problem.empty()) {
        showMessage(problem, "Quirvel", mb::ok | mb::iconExclamation);
        return false;
    }
    settleMark(s);
    all[i] = std::move(s);
    setSchedules(all);
    commitStep("Change schedule");
    return true;
}

bool deleteSchedule(uint32_t id) {
    size_t i = indexOfSchedule(id);
    if (i == SIZE_MAX) return false;
    std::vector<Schedule> all = ledger.beside.schedules;
    all.erase(all.begin() + static_cast<long>(i));
    setSchedules(all);
    commitStep("Delete schedule");
    return true;
}

std::vector<DueEntry> dueEntries(uint16_t today) {
    std::vector<DueEntry> due;
    for (const Schedule& s : ledger.beside.schedules) {
        uint16_t from = s.handledUpTo ? dayAfter(s.handledUpTo) : 0;
        if (s.handledUpTo && from == 0) continue;
        walk(s, from, today, [&](uint16_t p) {
            if (!std::binary_search(s.handledAfter.begin(), s.handledAfter.end(), p))
                due.push_back({s.id, p, false, s.hint});
            return true;
        });
    }
    std::stable_sort(due.begin(), due.end(), [](const DueEntry& a, const DueEntry& b) { return a.date < b.date; });
    if (due.empty()) return due;
    // An entry the books hold already (posted before the side file was
    // saved, or typed by hand) is offered unchecked.
    std::unordered_multimap<uint32_t, int> byDay;  // date and type -> position
    for (int i = 1; i <= transactionCount; ++i)
        byDay.emplace(static_cast<uint32_t>(transactions[i].date) << 8 | transactions[i].type, i);
    for (DueEntry& e : due) {
        const Schedule& s = *findSchedule(e.schedule);
        auto range = byDay.equal_range(static_cast<uint32_t>(e.date) << 8 | s.record.type);
        for (auto it = range.first; it != range.second && !e.inBooks; ++it) {
            const Transaction& t = transactions[it->second];
            e.inBooks = t.amount == s.record.amount && t.handling == s.record.handling &&
                        t.shipping == s.record.shipping && t.salesTax == s.record.salesTax &&
                        sameText(descriptionView(t.descrIndex), s.description) &&
                        sameText(nameView(t.nameIndex), s.name);
        }
    }
    return due;
}

int postDueEntries(const std::vector<DuePosting>& post, const std::vector<DueEntry>& skip) {
    commitStep("Change");
    // What is still due, each entry once; a posting wins over a skip.
    std::vector<DuePosting> posting;
    std::vector<DueEntry> skipping;
    std::unordered_set<uint64_t> seen;
    auto key = [](uint32_t id, uint16_t date) { return static_cast<uint64_t>(id) << 16 | date; };
    for (const DuePosting& p : post) {
        const Schedule* s = findSchedule(p.schedule);
        if (!s || !stillDue(*s, p.date) || !seen.insert(key(p.schedule, p.date)).second) continue;
        if (!isRealDate(p.postOn ? p.postOn : p.date)) {
            showMessage("Illegal date", "", mb::ok | mb::iconStop);
            return -1;
        }
        posting.push_back(p);
    }
    for (const DueEntry& e : skip) {
        const Schedule* s = findSchedule(e.schedule);
        if (s && stillDue(*s, e.date) && seen.insert(key(e.schedule, e.date)).second) skipping.push_back(e);
    }
    if (posting.empty() && skipping.empty()) return 0;

    // Room for all of them, or none is posted.
    std::vector<std::string> problems;
    int room = std::max(maxTransactions - transactionCount, 0);
    int wanted = static_cast<int>(posting.size());
    if (wanted > room)
        problems.push_back("Only " + thousands(room) + " of the " + thousands(wanted) +
                           " checked entries fit: the ledger holds " + thousands(transactionCount) + " of " +
                           thousands(maxTransactions) + " transactions. Uncheck at least " +
                           counted(wanted - room, "entry", "entries") + " to post; none is posted until they fit.");
    std::unordered_set<std::string> newDescriptions, newNames;
    for (const DuePosting& p : posting) {
        const Schedule& s = *findSchedule(p.schedule);
        uint8_t group = listGroupOf(s.record.type);
        if (!s.description.empty() && !findEntry(descrList, group, s.description))
            newDescriptions.insert(static_cast<char>(group) + folded(s.description));
        if (!s.name.empty() && !findEntry(nameList, group, s.name))
            newNames.insert(static_cast<char>(group) + folded(s.name));
    }
    auto listProblem = [&](size_t needed, int count, int capacity, const std::string& one, const std::string& many) {
        int left = std::max(capacity - count, 0);
        if (needed <= static_cast<size_t>(left)) return;
        problems.push_back("The checked entries need " +
                           counted(static_cast<int64_t>(needed), "new " + one, "new " + many) + ", and the list of " +
                           many + " holds " + thousands(count) + " of " + thousands(capacity) + ": there is room for " +
                           thousands(left) + ". Uncheck the entries of at least " +
                           counted(static_cast<int64_t>(needed) - left, "new " + one, "new " + many) +
                           " to post; none is posted until they fit.");
    };
    listProblem(newDescriptions.size(), descrCount, maxDescriptions, "description", "descriptions");
    listProblem(newNames.size(), nameCount, maxNames, "name", "names");
    if (!problems.empty()) {
        std::string text;
        for (const std::string& p : problems) text += (text.empty() ? "" : "\r\n\r\n") + p;
        showMessage(text, "Due Entries", mb::ok | mb::iconExclamation);
        return -1;
    }

    // Oldest first, so that entries of one day keep the list's order.
    std::stable_sort(posting.begin(), posting.end(), [](const DuePosting& a, const DuePosting& b) {
        return (a.postOn ? a.postOn : a.date) < (b.postOn ? b.postOn : b.date);
    });
    std::vector<Schedule> all = ledger.beside.schedules;
    auto handle = [&](uint32_t id, uint16_t date) {
        Schedule& s = all[indexOfSchedule(id)];
        s.handledAfter.push_back(date);
        s.hint = false;
    };
    for (const DuePosting& p : posting) {
        const Schedule& s = *findSchedule(p.schedule);
        uint8_t group = listGroupOf(s.record.type);
        Transaction t = s.record;
        t.date = p.postOn ? p.postOn : p.date;
        // Checked above: a list with room takes any text a schedule may hold.
        t.descrIndex = static_cast<uint16_t>(s.description.empty() ? 0
                                             : findEntry(descrList, group, s.description)
                                                 ? findEntry(descrList, group, s.description)
                                                 : appendListEntry(descrList, group, s.description));
        t.nameIndex = static_cast<uint16_t>(s.name.empty()                      ? 0
                                            : findEntry(nameList, group, s.name) ? findEntry(nameList, group, s.name)
                                                                                 : appendListEntry(nameList, group, s.name));
        placeTransaction(t);
        handle(p.schedule, p.date);
    }
    for (const DueEntry& e : skipping) handle(e.schedule, e.date);
    for (Schedule& s : all) settleMark(s);
    setSchedules(all);
    int n = static_cast<int>(posting.size());
    if (n > 0)
        commitStep("Post " + counted(n, "scheduled entry", "scheduled entries"));
    else
        commitStep("Skip " + counted(static_cast<int64_t>(skipping.size()), "scheduled entry", "scheduled entries"));
    return n;
}

DuePermission dueEntriesPermission(const std::string& path, bool readOnly, const std::vector<ArchiveNote>& archives) {
    DuePermission p;
    std::string file = fileNameOf(path);
    std::string lower = folded(file);
    while (!lower.empty() && (lower.back() == '.' || lower.back() == ' ')) lower.pop_back();
    bool backup = lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".bak") == 0;
    bool archive = !path.empty() && std::any_of(archives.begin(), archives.end(), [&](const ArchiveNote& a) {
        return !a.path.empty() && sameFile(a.path, path);
    });
    if (backup)
        p.reason = file + " is a backup copy of the books: scheduled entries are posted only into the books themselves.";
    else if (archive)
        p.reason = file + " is an archive of the books: scheduled entries are posted only into the working books.";
    else if (readOnly)
        p.reason = file + " cannot be written: scheduled entries are posted only into books that can be saved.";
    p.allowed = p.reason.empty();
    return p;
}
