#include "app/find_rows.h"

#include "text/plain_text.h"

int findRow(const std::vector<std::string>& rows, int from, const std::string& text) {
    const int n = static_cast<int>(rows.size());
    if (text.empty() || n == 0) return 0;
    if (from < 0 || from > n) from = 0;
    for (int step = 1; step <= n; ++step) {
        int position = (from + step - 1) % n + 1;
        if (containsIgnoringCase(rows[static_cast<size_t>(position - 1)], text)) return position;
    }
    return 0;
}
