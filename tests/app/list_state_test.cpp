#include <gtest/gtest.h>

#include "app/list_state.h"

namespace {

class ListStateTest : public ::testing::Test {
protected:
    void SetUp() override { resetListState(); }
    void TearDown() override { resetListState(); }

    // A fill of n rows showing transactions 10, 20, ... in fill order.
    static void fill(int n) {
        rowCount = static_cast<uint16_t>(n);
        rowMap.assign(1, 0);
        for (int i = 1; i <= n; ++i) rowMap.push_back(10 * i);
    }
};

TEST_F(ListStateTest, DeleteMovesTheSelectionAsTheListShrinks) {
    struct Case {
        int rows, selected, expectedSelected;
    };
    // New row count n: a selection above n - 24 moves up one, then at most n.
    const Case cases[] = {{30, 5, 5}, {30, 6, 5}, {30, 30, 29}, {40, 10, 10}, {3, 2, 1}, {3, 1, 0}, {1, 1, 0}};
    for (const Case& c : cases) {
        fill(c.rows);
        selectedRow = c.selected;
        rowRemoved();
        SCOPED_TRACE(testing::Message() << c.rows << " rows, row " << c.selected);
        EXPECT_EQ(rowCount, c.rows - 1);
        EXPECT_EQ(selectedRow, c.expectedSelected);
    }
    fill(0);
    rowRemoved();  // an empty list stays empty
    EXPECT_EQ(rowCount, 0);
}

// What the record view, the report, printing and export are handed: the
// transactions in the order the list shows them after a sort.
TEST_F(ListStateTest, ShownTransactionsFollowTheDisplayOrder) {
    fill(3);
    EXPECT_EQ(shownTransactions(), (std::vector<int>{10, 20, 30}));
    displayOrder = {0, 3, 1, 2};
    EXPECT_EQ(shownTransactions(), (std::vector<int>{30, 10, 20}));
    EXPECT_EQ(transactionAtPosition(1), 30);
    EXPECT_EQ(transactionAtPosition(4), 0);
    EXPECT_EQ(transactionAtPosition(0), 0);
    displayOrder = {0, 3};  // an order from a shorter fill names nothing past its end
    EXPECT_EQ(shownTransactions(), (std::vector<int>{30, 0, 0}));
}

TEST_F(ListStateTest, TabsAndArchivedFocus) {
    EXPECT_EQ(tabType(1), 0);
    EXPECT_EQ(tabType(2), 1);  // Services
    EXPECT_EQ(tabType(3), 6);  // Earnings
    EXPECT_EQ(tabType(4), 3);  // Products
    EXPECT_EQ(tabType(5), 2);  // Expenses
    EXPECT_EQ(tabType(6), 0);

    focusTransaction = 7;
    transactionsArchived(3);
    EXPECT_EQ(focusTransaction, 4);  // the same transaction, renumbered
    transactionsArchived(4);
    EXPECT_EQ(focusTransaction, 0);  // archived itself
}

}  // namespace
