// Scheduled entries: the dates a rule gives, the entries due, posting them
// once as one step, the side file's records and the books that may not post.
#include <gtest/gtest.h>

#include "ledger/archive.h"
#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "ledger/schedules.h"
#include "ledger/side_file.h"
#include "tests/support/ledger_builders.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"
#include "text/date_text.h"

namespace {

uint16_t D(const char* text) { return packDate(text); }

std::vector<std::string> texts(const std::vector<uint16_t>& dates) {
    std::vector<std::string> out;
    for (uint16_t d : dates) out.push_back(formatDate(d));
    return out;
}

Schedule monthly(const char* first, int day, int32_t amount = 120000) {
    Schedule s;
    s.record.type = typeExpense;
    s.record.amount = amount;
    s.description = "Office rent";
    s.name = "Landlord";
    s.rule.unit = ScheduleRule::months;
    s.rule.day = static_cast<uint8_t>(day);
    s.rule.first = D(first);
    return s;
}

class Schedules : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        dataFolder = folder.path();
    }
    void TearDown() override { setWriteFault(0, false); }

    std::vector<std::string> due(const char* today) {
        std::vector<std::string> out;
        for (const DueEntry& e : dueEntries(D(today))) out.push_back(std::to_string(e.schedule) + " " + formatDate(e.date));
        return out;
    }
    static std::vector<DuePosting> postingsOf(const std::vector<DueEntry>& entries) {
        std::vector<DuePosting> out;
        for (const DueEntry& e : entries) out.push_back({e.schedule, e.date, 0});
        return out;
    }

    ScriptedPrompts prompts;
    TempFolder folder;
};

// --- The rule's dates ---

TEST(ScheduleRule, MonthEndsKeepTheRulesDay) {
    Schedule s = monthly("01-31-2024", 31);
    EXPECT_EQ(texts(occurrencesBetween(s, 0, D("06-30-2024"))),
              (std::vector<std::string>{"01-31-2024", "02-29-2024", "03-31-2024", "04-30-2024", "05-31-2024",
                                        "06-30-2024"}));
    s.rule.every = 3;  // quarterly from the 31st: never drifts to the 30th
    EXPECT_EQ(texts(occurrencesBetween(s, D("01-01-2025"), D("12-31-2025"))),
              (std::vector<std::string>{"01-31-2025", "04-30-2025", "07-31-2025", "10-31-2025"}));
    s.rule.every = 1;
    s.rule.dayKind = ScheduleRule::lastDay;
    s.rule.day = 1;
    s.rule.first = D("11-15-2023");  // the first month's last day is an entry too
    EXPECT_EQ(texts(occurrencesBetween(s, 0, D("03-01-2024"))),
              (std::vector<std::string>{"11-30-2023", "12-31-2023", "01-31-2024", "02-29-2024"}));
}

TEST(ScheduleRule, YearlyOnLeapDay) {
    Schedule s = monthly("02-29-2024", 29);
    s.rule.unit = ScheduleRule::years;
    EXPECT_EQ(texts(occurrencesBetween(s, 0, D("03-01-2028"))),
              (std::vector<std::string>{"02-29-2024", "02-28-2025", "02-28-2026", "02-28-2027", "02-29-2028"}));
    s.rule.every = 100;  // 2100 is no leap year
    EXPECT_EQ(texts(occurrencesBetween(s, 0, D("12-31-2107"))), (std::vector<std::string>{"02-29-2024"}));
    s.rule.first = D("02-29-2000");
    EXPECT_EQ(texts(occurrencesBetween(s, 0, D("12-31-2107"))),
              (std::vector<std::string>{"02-29-2000", "02-28-2100"}));
}

TEST(ScheduleRule, NthAndLastWeekday) {
    Schedule s = monthly("01-01-2026", 1);
    s.rule.dayKind = ScheduleRule::nthWeekday;
    s.rule.week = 2;
    s.rule.weekday = 2;  // the second Tuesday
    EXPECT_EQ(texts(occurrencesBetween(s, 0, D("04-30-2026"))),
              (std::vector<std::string>{"01-13-2026", "02-10-2026", "03-10-2026", "04-14-2026"}));
    s.rule.week = 5;
    s.rule.weekday = 5;  // the last Friday
    EXPECT_EQ(texts(occurrencesBetween(s, 0, D("08-31-2026"))),
              (std::vector<std::string>{"01-30-2026", "02-27-2026", "03-27-2026", "04-24-2026", "05-29-2026",
                                        "06-26-2026", "07-31-2026", "08-28-2026"}));
    for (uint16_t d : occurrencesBetween(s, 0, D("12-31-2030"))) EXPECT_EQ(weekdayOf(d), 5) << formatDate(d);
    EXPECT_EQ(weekdayOf(D("01-01-1980")), 2);
    EXPECT_EQ(weekdayOf(D("12-31-2107")), 6);
}

TEST(ScheduleRule, CountsAndEndDatesCountFromTheFirstDate) {
    // A first date after the rule's day in its month: the entries start
    // the month after, and the count starts there.
    Schedule s = monthly("01-20-2026", 15);
    s.rule.endKind = ScheduleRule::afterCount;
    s.rule.count = 3;
    EXPECT_EQ(texts(occurrencesBetween(s, 0, D("12-31-2030"))),
              (std::vector<std::string>{"02-15-2026", "03-15-2026", "04-15-2026"}));
    EXPECT_EQ(texts(occurrencesBetween(s, D("03-16-2026"), D("12-31-2030"))), (std::vector<std::string>{"04-15-2026"}));
    EXPECT_EQ(nextOccurrence(s, D("04-15-2026")), 0);
    EXPECT_EQ(nextOccurrence(s, 0), D("02-15-2026"));
    EXPECT_TRUE(isOccurrence(s, D("03-15-2026")));
    EXPECT_FALSE(isOccurrence(s, D("01-15-2026")));
    EXPECT_FALSE(isOccurrence(s, D("05-15-2026")));

    s.rule.endKind = ScheduleRule::onDate;
    s.rule.until = D("05-15-2026");  // the last day itself is one
    EXPECT_EQ(occurrencesBetween(s, 0, D("12-31-2030")).size(), 4u);
    s.rule.until = D("05-14-2026");
    EXPECT_EQ(occurrencesBetween(s, 0, D("12-31-2030")).size(), 3u);

    // Nothing past the last date a packed date holds.
    s.rule.endKind = ScheduleRule::never;
    s.rule.first = D("10-15-2107");
    EXPECT_EQ(texts(occurrencesBetween(s, 0, UINT16_MAX)),
              (std::vector<std::string>{"10-15-2107", "11-15-2107", "12-15-2107"}));
    EXPECT_EQ(nextOccurrence(s, D("12-15-2107")), 0);
}

TEST(ScheduleRule, DaysAndWeeks) {
    Schedule s = monthly("12-22-2025", 1);
    s.rule.unit = ScheduleRule::weeks;
    s.rule.every = 2;
    EXPECT_EQ(texts(occurrencesBetween(s, D("12-23-2025"), D("02-01-2026"))),
              (std::vector<std::string>{"01-05-2026", "01-19-2026"}));
    s.rule.unit = ScheduleRule::days;
    s.rule.every = 3;
    s.rule.first = D("02-25-2024");
    s.rule.endKind = ScheduleRule::afterCount;
    s.rule.count = 4;
    EXPECT_EQ(texts(occurrencesBetween(s, 0, D("12-31-2024"))),
              (std::vector<std::string>{"02-25-2024", "02-28-2024", "03-02-2024", "03-05-2024"}));
    EXPECT_EQ(texts(occurrencesBetween(s, D("03-01-2024"), D("12-31-2024"), 1)),
              (std::vector<std::string>{"03-02-2024"}));
}

TEST(ScheduleRule, ProblemsOfATypedSchedule) {
    Schedule s = monthly("01-31-2026", 31);
    EXPECT_EQ(scheduleProblem(s), "");
    Schedule bad = s;
    bad.record.type = 7;
    EXPECT_EQ(scheduleProblem(bad), "A scheduled entry needs a type of transaction.");
    bad = s;
    bad.description = std::string(255, 'd');
    EXPECT_EQ(scheduleProblem(bad), tooLongMessage("description"));
    bad = s;
    bad.rule.first = static_cast<uint16_t>((46 << 9) | (2 << 5) | 30);  // 02-30-2026
    EXPECT_EQ(scheduleProblem(bad), "Illegal date");
    bad = s;
    bad.rule.every = 1000;
    EXPECT_EQ(scheduleProblem(bad), "An entry repeats every 1 to 999 days, weeks, months or years.");
    bad = s;
    bad.rule.endKind = ScheduleRule::onDate;
    bad.rule.until = D("01-30-2026");
    EXPECT_EQ(scheduleProblem(bad), "The last date comes before the first.");
    bad = s;
    bad.rule.endKind = ScheduleRule::afterCount;
    bad.rule.count = 0;
    EXPECT_EQ(scheduleProblem(bad), "The number of entries is from 1 to 9,999.");
    bad = s;
    bad.record.taxRate = -1;
    EXPECT_EQ(scheduleProblem(bad), "A tax rate is a percentage from 0 to 100.");
}

// --- Editing, due entries and posting ---

TEST_F(Schedules, NewChangeDeleteAreStepsOfTheHistory) {
    installLedgerImage(sampleImage());
    uint32_t a = addSchedule(monthly("01-01-2026", 1));
    ASSERT_NE(a, 0u);
    EXPECT_EQ(undoLabel(), "New schedule");
    EXPECT_TRUE(ledgerChanged);
    Schedule changed = *findSchedule(a);
    changed.record.amount = 130000;
    EXPECT_TRUE(changeSchedule(a, changed));
    EXPECT_EQ(undoLabel(), "Change schedule");
    EXPECT_TRUE(deleteSchedule(a));
    EXPECT_EQ(undoLabel(), "Delete schedule");
    EXPECT_EQ(findSchedule(a), nullptr);
    undoStep();
    ASSERT_NE(findSchedule(a), nullptr);
    EXPECT_EQ(findSchedule(a)->record.amount, 130000);
    undoStep();
    EXPECT_EQ(findSchedule(a)->record.amount, 120000);
    undoStep();
    EXPECT_TRUE(ledger.beside.schedules.empty());
    EXPECT_FALSE(ledgerChanged);
    // An id is never given twice, even after an undo.
    redoStep();
    uint32_t b = addSchedule(monthly("01-01-2026", 1));
    EXPECT_NE(b, a);

    Schedule bad = monthly("01-01-2026", 1);
    bad.rule.every = 0;
    EXPECT_EQ(addSchedule(bad), 0u);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "An entry repeats every 1 to 999 days, weeks, months or years.");
    EXPECT_FALSE(changeSchedule(b, bad));
    EXPECT_EQ(ledger.beside.schedules.size(), 2u);
    EXPECT_FALSE(deleteSchedule(999));
}

TEST_F(Schedules, MadeFromATransactionStartsAMonthLater) {
    installLedgerImage(sampleImage());
    Schedule s = scheduleFromTransaction(transactions[2]);  // 01-09-2006, Office rent, Landlord
    EXPECT_EQ(s.description, "Office rent");
    EXPECT_EQ(s.name, "Landlord");
    EXPECT_EQ(s.record.amount, 80000);
    EXPECT_EQ(s.record.descrIndex, 0);
    EXPECT_EQ(formatDate(s.rule.first), "02-09-2006");
    EXPECT_EQ(scheduleProblem(s), "");
    Transaction t = transactions[2];
    t.date = D("01-31-2006");
    Schedule end = scheduleFromTransaction(t);
    EXPECT_EQ(formatDate(end.rule.first), "02-28-2006");
    EXPECT_EQ(texts(occurrencesBetween(end, 0, D("03-31-2006"))),
              (std::vector<std::string>{"02-28-2006", "03-31-2006"}));
    t.date = D("12-15-2006");
    EXPECT_EQ(formatDate(scheduleFromTransaction(t).rule.first), "01-15-2007");
}

TEST_F(Schedules, DueListAfterThreeYearsIsOldestFirst) {
    Schedule rent = monthly("01-01-2023", 1);
    Schedule insurance = monthly("01-01-2023", 1, 45000);
    insurance.description = "Insurance";
    insurance.rule.every = 3;
    uint32_t r = addSchedule(rent), i = addSchedule(insurance);
    std::vector<DueEntry> list = dueEntries(D("12-31-2025"));
    ASSERT_EQ(list.size(), 36u + 12u);
    EXPECT_EQ(list[0].schedule, r);  // same day: the schedules' order
    EXPECT_EQ(list[1].schedule, i);
    for (size_t k = 1; k < list.size(); ++k) EXPECT_LE(list[k - 1].date, list[k].date);
    EXPECT_EQ(formatDate(list.back().date), "12-01-2025");
    EXPECT_TRUE(dueEntries(D("12-31-2022")).empty());
}

TEST_F(Schedules, PostingIsOneStepAndHappensOnce) {
    installLedgerImage(sampleImage());
    int before = transactionCount, descrBefore = descrCount, namesBefore = nameCount;
    Schedule rent = monthly("01-01-2026", 1);
    rent.description = "OFFICE RENT";  // the list's "Office rent", letter case ignored
    Schedule fee = monthly("01-15-2026", 15, 5000);
    fee.record.type = typeService;
    fee.description = "Retainer";
    fee.name = "Acme Corp";
    uint32_t r = addSchedule(rent), f = addSchedule(fee);
    std::vector<DueEntry> list = dueEntries(D("02-20-2026"));
    ASSERT_EQ(due("02-20-2026"), (std::vector<std::string>{std::to_string(r) + " 01-01-2026",
                                                           std::to_string(f) + " 01-15-2026",
                                                           std::to_string(r) + " 02-01-2026",
                                                           std::to_string(f) + " 02-15-2026"}));
    std::vector<DuePosting> post = postingsOf(list);
    post[0].postOn = D("01-02-2026");  // the date is the user's to change
    EXPECT_EQ(postDueEntries(post, {}), 4);
    EXPECT_EQ(undoLabel(), "Post 4 scheduled entries");
    EXPECT_EQ(transactionCount, before + 4);
    EXPECT_EQ(descrCount, descrBefore + 1);  // Retainer is new, Office rent is not
    EXPECT_EQ(nameCount, namesBefore);
    EXPECT_TRUE(due("02-20-2026").empty());
    EXPECT_EQ(findSchedule(r)->handledUpTo, D("02-01-2026"));
    int at = insertPosition(D("01-02-2026")) - 1;
    EXPECT_EQ(transactions[at].date, D("01-02-2026"));
    EXPECT_EQ(descriptionText(transactions[at].descrIndex), "Office rent");
    EXPECT_EQ(nameText(transactions[at].nameIndex), "Landlord");

    // The same list again posts nothing a second time.
    EXPECT_EQ(postDueEntries(post, {}), 0);
    EXPECT_EQ(transactionCount, before + 4);
    EXPECT_EQ(undoLabel(), "Post 4 scheduled entries");

    // Undo takes back the entries, the new description and the marks.
    undoStep();
    EXPECT_EQ(transactionCount, before);
    EXPECT_EQ(descrCount, descrBefore);
    EXPECT_EQ(dueEntries(D("02-20-2026")).size(), 4u);
    redoStep();
    EXPECT_EQ(transactionCount, before + 4);
    EXPECT_TRUE(due("02-20-2026").empty());
    EXPECT_EQ(due("03-01-2026"), (std::vector<std::string>{std::to_string(r) + " 03-01-2026"}));

    // A list entry removed later renumbers the books; the schedule names
    // its texts and finds or adds them again.
    removeListEntryAt(descrList, 2);  // Office rent
    commitStep("Delete entry");
    EXPECT_EQ(postDueEntries({{r, D("03-01-2026"), 0}}, {}), 1);
    EXPECT_EQ(undoLabel(), "Post 1 scheduled entry");
    EXPECT_EQ(descriptionText(transactions[transactionCount].descrIndex), "OFFICE RENT");
}

TEST_F(Schedules, SkipAndLeaveForLater) {
    uint32_t r = addSchedule(monthly("01-01-2026", 1));
    std::vector<DueEntry> list = dueEntries(D("04-15-2026"));
    ASSERT_EQ(list.size(), 4u);
    // January left for later, February skipped, March posted, April left.
    EXPECT_EQ(postDueEntries({{r, list[2].date, 0}}, {list[1]}), 1);
    EXPECT_EQ(due("04-15-2026"),
              (std::vector<std::string>{std::to_string(r) + " 01-01-2026", std::to_string(r) + " 04-01-2026"}));
    EXPECT_EQ(findSchedule(r)->handledUpTo, 0);
    // Skipping January moves the mark over the whole run.
    EXPECT_EQ(postDueEntries({}, {list[0]}), 0);
    EXPECT_EQ(undoLabel(), "Skip 1 scheduled entry");
    EXPECT_EQ(findSchedule(r)->handledUpTo, D("03-01-2026"));
    EXPECT_TRUE(findSchedule(r)->handledAfter.empty());
    EXPECT_EQ(due("04-15-2026"), (std::vector<std::string>{std::to_string(r) + " 04-01-2026"}));
    EXPECT_EQ(transactionCount, 1);
    // An entry both posted and skipped is posted; an unknown one is ignored.
    EXPECT_EQ(postDueEntries({{r, D("04-01-2026"), 0}, {r, D("04-02-2026"), 0}, {77, D("04-01-2026"), 0}},
                             {{r, D("04-01-2026")}}),
              1);
    EXPECT_EQ(postDueEntries({}, {}), 0);
    // An illegal date the user typed refuses the whole list.
    EXPECT_EQ(postDueEntries({{r, D("05-01-2026"), static_cast<uint16_t>(2 << 5 | 30)}}, {}), -1);
    EXPECT_EQ(prompts.messageTexts(), (std::vector<std::string>{"Illegal date"}));
    EXPECT_EQ(findSchedule(r)->handledUpTo, D("04-01-2026"));
}

TEST_F(Schedules, AFullTableRefusesAndPostsNone) {
    for (int i = 0; i < maxTransactions - 2; ++i) placeTransaction(makeTransaction("01-01-2020", typeExpense, 0, 0, 1));
    commitStep("Fill");
    uint32_t r = addSchedule(monthly("01-01-2026", 1));
    std::vector<DueEntry> list = dueEntries(D("05-31-2026"));
    ASSERT_EQ(list.size(), 5u);
    uint64_t state = booksState();
    EXPECT_EQ(postDueEntries(postingsOf(list), {list[4]}), -1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "Only 2 of the 5 checked entries fit: the ledger holds 4,998 of 5,000 transactions. Uncheck at least 3 "
              "entries to post; none is posted until they fit.");
    EXPECT_EQ(prompts.messages[0].title, "Due Entries");
    EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconExclamation);
    EXPECT_EQ(booksState(), state);
    EXPECT_EQ(transactionCount, maxTransactions - 2);
    EXPECT_EQ(descrCount, 0);
    EXPECT_EQ(findSchedule(r)->handledUpTo, 0);
    // Two fit.
    list.resize(2);
    EXPECT_EQ(postDueEntries(postingsOf(list), {}), 2);
    EXPECT_EQ(transactionCount, maxTransactions);
}

TEST_F(Schedules, AFullListRefusesAndPostsNone) {
    for (int i = 0; i < maxDescriptions; ++i) appendListEntry(descrList, typeExpense, "D" + std::to_string(i));
    commitStep("Fill");
    Schedule a = monthly("01-01-2026", 1), b = monthly("01-01-2026", 1);
    a.description = "Phone";
    b.description = "phone";  // the same new entry: one is needed
    b.name = "Carrier";
    addSchedule(a);
    addSchedule(b);
    std::vector<DueEntry> list = dueEntries(D("01-31-2026"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(postDueEntries(postingsOf(list), {}), -1);
    EXPECT_EQ(prompts.messageTexts(),
              (std::vector<std::string>{"The checked entries need 1 new description, and the list of descriptions "
                                        "holds 500 of 500: there is room for 0. Uncheck the entries of at least 1 new "
                                        "description to post; none is posted until they fit."}));
    EXPECT_EQ(transactionCount, 0);
    EXPECT_EQ(nameCount, 0);
    EXPECT_EQ(dueEntries(D("01-31-2026")).size(), 2u);
}

// --- Beside the ledger ---

TEST_F(Schedules, PostedOnceAcrossSaveReopenAndSaveAs) {
    installLedgerImage(sampleImage());
    uint32_t r = addSchedule(monthly("01-01-2026", 1));
    std::vector<DueEntry> list = dueEntries(D("03-15-2026"));
    postDueEntries({{r, list[1].date, 0}}, {});  // January waits
    ledgerPath = folder.file("books.qvl");
    ASSERT_TRUE(saveLedger());
    std::vector<Schedule> saved = ledger.beside.schedules;
    int count = transactionCount;

    resetLedgerTables();
    ASSERT_TRUE(loadLedger(folder.file("books.qvl")));
    EXPECT_FALSE(ledger.sideFileDamaged);
    EXPECT_EQ(ledger.beside.schedules, saved);
    EXPECT_EQ(transactionCount, count);
    EXPECT_EQ(due("03-15-2026"),
              (std::vector<std::string>{std::to_string(r) + " 01-01-2026", std::to_string(r) + " 03-01-2026"}));
    EXPECT_FALSE(dueEntries(D("03-15-2026"))[0].unproven);
    // Ids go on from the highest read.
    EXPECT_GT(addSchedule(monthly("01-01-2026", 5)), r);
    undoStep();

    // Save As: the schedules go with the books to the new name.
    prompts.chosenFiles = {folder.file("copy.qvl")};
    ASSERT_TRUE(saveLedgerAs());
    resetLedgerTables();
    ASSERT_TRUE(loadLedger(folder.file("copy.qvl")));
    EXPECT_EQ(ledger.beside.schedules, saved);

    // Posted, saved, reopened: not due again.
    postDueEntries(postingsOf(dueEntries(D("03-15-2026"))), {});
    ASSERT_TRUE(saveLedger());
    resetLedgerTables();
    ASSERT_TRUE(loadLedger(folder.file("copy.qvl")));
    EXPECT_TRUE(dueEntries(D("03-15-2026")).empty());
    EXPECT_EQ(transactionCount, count + 2);
}

TEST_F(Schedules, ADamagedSideFileGivesNoSchedules) {
    addSchedule(monthly("01-01-2026", 1));
    ledgerPath = folder.file("books.qvl");
    ASSERT_TRUE(saveLedger());
    Bytes side = folder.read("books.qvl-import");
    std::string text(side.begin(), side.end());
    size_t at = text.find("\tmonths\t");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 8, "\tmonthz\t");
    folder.write("books.qvl-import", Bytes(text.begin(), text.end()));
    resetLedgerTables();
    ASSERT_TRUE(loadLedger(folder.file("books.qvl")));
    EXPECT_TRUE(ledger.sideFileDamaged);
    EXPECT_TRUE(ledger.beside.schedules.empty());
    EXPECT_TRUE(dueEntries(D("12-31-2026")).empty());
}

TEST_F(Schedules, ASideFileOfOtherBooksOffersItsEntriesUnproven) {
    installLedgerImage(sampleImage());
    uint32_t r = addSchedule(monthly("01-01-2026", 1));
    ledgerPath = folder.file("books.qvl");
    ASSERT_TRUE(saveLedger());
    // The ledger as another program (or an older copy) left it: the side
    // file was not written with these bytes. January was typed by hand.
    placeTransaction(makeTransaction("01-01-2026", typeExpense, 2, 4, 120000));
    commitStep("New record");
    Bytes ledgerBytes = encodeLedger(currentLedgerImage());
    folder.write("books.qvl", ledgerBytes);
    resetLedgerTables();
    ASSERT_TRUE(loadLedger(folder.file("books.qvl")));
    ASSERT_EQ(ledger.beside.schedules.size(), 1u);
    EXPECT_TRUE(ledger.beside.schedules[0].hint);
    std::vector<DueEntry> list = dueEntries(D("02-15-2026"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_TRUE(list[0].unproven && list[1].unproven);
    EXPECT_TRUE(list[0].inBooks);  // offered unchecked
    EXPECT_FALSE(list[1].inBooks);
    // Handling one of its entries makes it the user's.
    postDueEntries({{r, list[1].date, 0}}, {list[0]});
    EXPECT_FALSE(findSchedule(r)->hint);
    EXPECT_EQ(findSchedule(r)->handledUpTo, D("02-01-2026"));
}

TEST_F(Schedules, AnArchiveCarriesNoSchedules) {
    installLedgerImage(sampleImage());
    addSchedule(monthly("01-01-2006", 1));
    LedgerImage image = buildArchiveImage(3);
    EXPECT_TRUE(image.beside.schedules.empty());
    ledgerPath = folder.file("books.qvl");
    prompts.chosenFiles = {folder.file("old.qvl")};
    ASSERT_EQ(archiveUpTo("2006"), static_cast<int>(sampleImage().transactions.size()));
    EXPECT_EQ(ledger.beside.schedules.size(), 1u);  // the working books keep it
    // Nothing else to keep beside it: no side file at all.
    EXPECT_FALSE(fileExists(folder.file("old.qvl-import")));
    // The archive opened later, known from the books that wrote it.
    std::vector<ArchiveNote> archives = ledger.beside.archives;
    DuePermission p = dueEntriesPermission(folder.file("old.qvl"), false, archives);
    EXPECT_FALSE(p.allowed);
    EXPECT_EQ(p.reason, "old.qvl is an archive of the books: scheduled entries are posted only into the working books.");
    EXPECT_TRUE(dueEntriesPermission(folder.file("books.qvl"), false, archives).allowed);
}

TEST_F(Schedules, NoDueEntriesForABackupOrAReadOnlyFile) {
    DuePermission p = dueEntriesPermission("C:\\Books\\books.qvl.BAK", false, {});
    EXPECT_FALSE(p.allowed);
    EXPECT_EQ(p.reason,
              "books.qvl.BAK is a backup copy of the books: scheduled entries are posted only into the books themselves.");
    EXPECT_FALSE(dueEntriesPermission(folder.file(backupFileFor("books.qvl")), false, {}).allowed);
    p = dueEntriesPermission(folder.file("books.qvl"), true, {});
    EXPECT_FALSE(p.allowed);
    EXPECT_EQ(p.reason, "books.qvl cannot be written: scheduled entries are posted only into books that can be saved.");
    EXPECT_TRUE(dueEntriesPermission(folder.file("books.qvl"), false, {}).allowed);
    EXPECT_TRUE(dueEntriesPermission("", false, {{"C:\\old.qvl", 1, 1}}).allowed);  // new books, not yet saved
    EXPECT_TRUE(dueEntriesPermission(folder.file("bakery.qvl"), false, {}).allowed);
}

// --- The side file's records ---

Schedule hostile() {
    Schedule s = monthly("02-29-2024", 29, INT32_MIN);
    s.id = 42;
    s.record.type = typeSold;
    s.record.handling = INT32_MAX;
    s.record.shipping = -1;
    s.record.taxMode = modeTaxAdded;
    s.record.taxRate = 8.875f;
    s.record.salesTax = 1234;
    s.description = "Tab\there\r\nend 1\\n";
    s.name = std::string(254, 'n');
    s.rule.unit = ScheduleRule::years;
    s.rule.every = 999;
    s.rule.dayKind = ScheduleRule::nthWeekday;
    s.rule.week = 5;
    s.rule.weekday = 6;
    s.rule.endKind = ScheduleRule::onDate;
    s.rule.until = D("12-31-2107");
    s.handledUpTo = D("03-01-2024");
    s.handledAfter = {D("03-05-2024"), D("04-01-2030")};
    s.hint = true;
    return s;
}

TEST(ScheduleRecords, SurviveTheTripWhateverTheirTexts) {
    SideFile file;
    Schedule plain = monthly("01-31-2026", 31);
    plain.id = 7;
    plain.rule.endKind = ScheduleRule::afterCount;
    plain.rule.count = 9999;
    file.data.schedules = {hostile(), plain};
    file.data.tax.rates = {{2026, 700}};
    Bytes encoded = encodeSideFile(file);
    SideFile back;
    ASSERT_TRUE(decodeSideFile(encoded, back));
    EXPECT_EQ(back.data.schedules, file.data.schedules);
    EXPECT_EQ(back.data.tax, file.data.tax);
    EXPECT_EQ(encodeSideFile(back), encoded);
    std::string text(encoded.begin(), encoded.end());
    EXPECT_NE(text.find("schedule\t1\t42\th\t3\tTab\\there\\r\\nend 1\\\\n\t"), std::string::npos);
    EXPECT_NE(text.find("\t410e0000\t"), std::string::npos);  // 8.875, bit for bit
}

TEST(ScheduleRecords, AMalformedRecordMakesTheFileUnreadable) {
    SideFile file;
    Schedule s = hostile();
    file.data.schedules = {s};
    Bytes good = encodeSideFile(file);
    std::string text(good.begin(), good.end());
    size_t start = text.find("schedule\t");
    size_t end = text.find("\r\n", start);
    std::string record = text.substr(start, end - start);
    std::vector<std::string> fields;
    for (size_t at = 0;;) {
        size_t tab = record.find('\t', at);
        fields.push_back(record.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos) break;
        at = tab + 1;
    }
    ASSERT_EQ(fields.size(), 25u);
    // One field at a time made wrong: every one is checked.
    const std::vector<std::pair<size_t, std::string>> wrongs = {
        {2, "0"},           {3, "x"},        {4, "7"},          {5, "bad\\q"},      {6, std::string(256, 'n')},
        {7, "2147483648"},  {8, "1.5"},      {9, ""},           {10, "4"},          {11, "7fc00000"},
        {11, "410e00"},     {12, "+1"},      {13, "fortnights"}, {14, "1000"},      {15, "first"},
        {16, "32"},         {17, "6"},       {18, "7"},         {19, "0"},          {20, "someday"},
        {22, "100"},        {23, "65535"},   {24, "1000,999"},  {24, "2,"},         {24, ""},
    };
    for (const auto& [i, wrong] : wrongs) {
        std::vector<std::string> f = fields;
        f[i] = wrong;
        std::string changed;
        for (size_t k = 0; k < f.size(); ++k) changed += (k ? "\t" : "") + f[k];
        std::string bad = text.substr(0, start) + changed + text.substr(end);
        SideFile back;
        EXPECT_FALSE(decodeSideFile(Bytes(bad.begin(), bad.end()), back)) << i << " " << wrong;
        EXPECT_TRUE(back.data.schedules.empty());
    }
    // A field more or less, and the same id twice.
    std::string longer = text.substr(0, end) + "\t-" + text.substr(end);
    SideFile back;
    EXPECT_FALSE(decodeSideFile(Bytes(longer.begin(), longer.end()), back));
    file.data.schedules = {s, s};
    EXPECT_FALSE(decodeSideFile(encodeSideFile(file), back));
    file.data.schedules[1].id = 43;
    EXPECT_TRUE(decodeSideFile(encodeSideFile(file), back));
}

}  // namespace
