#include "ledger/tables.h"

LedgerState ledger;

namespace {

std::string_view entryView(const std::string& entry) {
    return entry.size() > 1 ? std::string_view(entry).substr(1) : std::string_view();
}

}  // namespace

std::string entryText(const std::string& entry) { return std::string(entryView(entry)); }

std::string_view descriptionView(uint16_t index) {
    return index >= 1 && index <= descrCount ? entryView(descriptions[index]) : std::string_view();
}

std::string_view nameView(uint16_t index) {
    return index >= 1 && index <= nameCount ? entryView(names[index]) : std::string_view();
}

std::string descriptionText(uint16_t index) { return std::string(descriptionView(index)); }

std::string nameText(uint16_t index) { return std::string(nameView(index)); }

void recomputeCombinedRate() {
    combinedTaxRate = countyTaxRate + stateTaxRate + localTaxRate + districtTaxRate;
}

std::unordered_map<uint32_t, int> transactionPositions() {
    std::unordered_map<uint32_t, int> positions;
    for (int i = 1; i <= transactionCount; ++i)
        if (transactionTags[i]) positions.emplace(transactionTags[i], i);
    return positions;
}

int insertPosition(uint16_t date) {
    int n = transactionCount;
    if (n == 0) return 1;
    if (n == 1) return date < transactions[1].date ? 1 : 2;
    if (date < transactions[1].date) return 1;
    if (date > transactions[n].date) return n + 1;
    int lo = 1, hi = n;
    do {
        int mid = (lo + hi) / 2;
        if (date < transactions[mid].date)
            hi = mid;
        else
            lo = mid;
    } while (hi - lo != 1);
    return lo + 1;
}

bool fitsListEntry(const std::string& text) { return text.size() + 1 <= maxEntryBytes; }

std::string tooLongReason(const std::string& what) {
    return "the " + what + " is too long: at most " + std::to_string(maxEntryBytes - 1) + " characters";
}

std::string tooLongMessage(const std::string& what) {
    return "This " + what + " is too long: at most " + std::to_string(maxEntryBytes - 1) + " characters can be kept.";
}

