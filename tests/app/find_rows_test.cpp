#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/find_rows.h"

namespace {

// Rows as the list's row texts hold them: date, type, description, name, amount.
const std::vector<std::string> rows = {
    "01-16-2026\tExpense \tBank fees\tFirst Bank\t9.00",
    "01-20-2026\tService \tConsulting\tAcme Corp\t500.00",
    "02-16-2026\tExpense \tBank fees\tFirst Bank\t9.00",
    "02-21-2026\tEarnings\tInterest\tFirst Bank\t1.25",
};

TEST(FindRows, GoesOnFromTheRowAfterTheSelectionAndWrapsOnce) {
    EXPECT_EQ(findRow(rows, 0, "Bank fees"), 1);  // nothing selected: from the top
    EXPECT_EQ(findRow(rows, 1, "Bank fees"), 3);
    EXPECT_EQ(findRow(rows, 3, "Bank fees"), 1);  // past the last row, the first again
    EXPECT_EQ(findRow(rows, 4, "first bank"), 1);
    // Only the selected row holds it: looked at last, and found again.
    EXPECT_EQ(findRow(rows, 2, "Acme"), 2);
    // A selection the rows no longer have starts at the top.
    EXPECT_EQ(findRow(rows, 9, "Interest"), 4);
    EXPECT_EQ(findRow(rows, -1, "Consulting"), 2);
}

// Every column's text is searched: dates, type names, amounts.
TEST(FindRows, LooksInEveryColumn) {
    EXPECT_EQ(findRow(rows, 0, "02-16"), 3);
    EXPECT_EQ(findRow(rows, 0, "earnings"), 4);
    EXPECT_EQ(findRow(rows, 1, "9.00"), 3);
    EXPECT_EQ(findRow(rows, 0, "1.25"), 4);
}

TEST(FindRows, LetterCaseIsIgnoredForTheCodePagesLetters) {
    const std::vector<std::string> accented = {"03-14-2026\tService \tR\xE9paration\tCaf\xE9 \x8Akoda\t10.00"};
    EXPECT_EQ(findRow(accented, 0, "R\xC9PARATION"), 1);  // É and é
    EXPECT_EQ(findRow(accented, 0, "caf\xC9 \x9Akoda"), 1);  // Š and š
    EXPECT_EQ(findRow(accented, 0, "Reparation"), 0);  // an accent is not a case
    EXPECT_EQ(findRow(rows, 0, "BANK FEES"), 1);
}

TEST(FindRows, NothingFound) {
    EXPECT_EQ(findRow(rows, 2, "Rent"), 0);
    EXPECT_EQ(findRow(rows, 2, ""), 0);
    EXPECT_EQ(findRow({}, 0, "Bank"), 0);
    // Longer than any row: no row holds it.
    EXPECT_EQ(findRow(rows, 0, rows[1] + rows[1]), 0);
}

}  // namespace
