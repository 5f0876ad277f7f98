#include "app/list_refresh.h"

#include <windows.h>
#include <commctrl.h>

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
    if (!r.note.empty() && statusBar) {
        char part[256] = "";
        SendMessageA(statusBar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(part));
        std::string text = std::string(part) + "    " + r.note;
        SendMessageA(statusBar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text.c_str()));
    }
}
