#include "import/line_texts.h"

#include <array>

#include "ledger/side_file.h"
#include "ledger/tax_arithmetic.h"
#include "lists/entry_matching.h"
#include "text/plain_text.h"

std::string cleanText(const std::string& text) { return shownField(text); }

std::string keptText(const std::string& text) { return text.substr(0, maxSideText); }

std::string keptClean(const std::string& text) { return keptText(cleanText(text)); }

// Texts as one key per spelling that sameTextIgnoringCase takes as equal:
// each byte stands for the first byte it matches, so that lookups can hash.
std::string folded(const std::string& text) {
    static const std::array<char, 256> first = [] {
        std::array<char, 256> table{};
        for (int b = 0; b < 256; ++b)
            for (int x = 0; x <= b; ++x)
                if (sameTextIgnoringCase(std::string(1, static_cast<char>(x)), std::string(1, static_cast<char>(b)))) {
                    table[b] = static_cast<char>(x);
                    break;
                }
        return table;
    }();
    std::string key = text;
    for (char& c : key) c = first[static_cast<unsigned char>(c)];
    return key;
}

bool isMoneyIn(int type) { return type == typeService || type == typeSold || type == typeEarnings; }

int64_t statementMoney(const Transaction& t) {
    int64_t total = transactionTotal(t);
    return isMoneyIn(t.type) ? total : -total;
}
