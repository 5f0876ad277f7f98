#include "import/transfer_pairs.h"

#include <unordered_map>

#include "import/line_texts.h"

namespace {

std::string pairKey(const WrittenDate& d, int64_t amount) {
    return Key().number(d.year).number(d.first).number(d.second).number(amount).str();
}

}  // namespace

std::vector<int> transferPartners(const std::vector<ImportRow>& rows, const std::vector<bool>& mayPair) {
    std::vector<int> partner(rows.size(), -1);
    // The free rows of each date and amount, in file order.
    std::unordered_map<std::string, std::vector<int>> free;
    for (size_t r = 0; r < rows.size(); ++r) {
        const StatementLine& line = rows[r].line;
        if (r >= mayPair.size() || !mayPair[r] || line.account.empty() || line.amount == 0) continue;
        auto others = free.find(pairKey(line.date, -line.amount));
        if (others != free.end()) {
            std::vector<int>& waiting = others->second;
            for (auto w = waiting.begin(); w != waiting.end(); ++w) {
                if (rows[static_cast<size_t>(*w)].line.account == line.account) continue;
                partner[r] = *w;
                partner[static_cast<size_t>(*w)] = static_cast<int>(r);
                waiting.erase(w);
                break;
            }
        }
        if (partner[r] < 0) free[pairKey(line.date, line.amount)].push_back(static_cast<int>(r));
    }
    return partner;
}

std::string shortAccount(const std::string& account) {
    size_t slash = account.rfind('/');
    return slash == std::string::npos || slash + 1 == account.size() ? account : account.substr(slash + 1);
}
