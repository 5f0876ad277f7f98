#include "app/list_refresh.h"

#include <windows.h>

#include "app/list_state.h"
#include "app/main_pages.h"
#include "app/main_state.h"
#include "app/transaction_list.h"
#include "reports/filter.h"

void refreshList(const ListRefresh& r, bool booksChanged) {
    if (!tabControl || !currentList) return;
    const int previousTab = currentTab;
    if (r.tab) showTab(r.tab);
    // The transaction to show, on a tab that shows it.
    if (r.reveal && r.show && currentTab != 1 && !transactionPassesFilter(r.show, currentType)) showTab(1);
    bool fill = r.rows == ListRefresh::all || r.tab || (r.rows != ListRefresh::keep && (r.show || booksChanged));
    if (fill && r.rows != ListRefresh::texts) {
        if (r.show) focusTransaction = r.show;
        // A tab shown here is filled here, as a click on it fills it.
        if (currentTab != previousTab) lastFilledTab = currentTab;
        fillList();
        if (r.reveal) focusTransaction = 0;
    } else if (r.rows == ListRefresh::texts && booksChanged) {
        refreshListTexts();
    } else {
        updateStatus(1);
    }
    updateStatus(0);
    // The filter's part: a command may have changed the filter or the texts
    // of its description and name.
    updateStatus(2);
    addStatusNote(r.note);
}
