#include "ledger/tables.h"

std::array<Transaction, maxTransactions + 1> transactions;
uint16_t transactionCount = 0;
std::array<std::string, maxDescriptions + 1> descriptions;
uint16_t descrCount = 0;
std::array<std::string, maxNames + 1> names;
uint16_t nameCount = 0;
std::array<std::string, 7> typeNames;

double stateTaxRate = 0, countyTaxRate = 0, localTaxRate = 0, districtTaxRate = 0;
double combinedTaxRate = 0;

std::string ledgerPath;
std::string dataFolder;
bool ledgerChanged = false;
bool settingsChanged = false;

std::string entryText(const std::string& entry) { return entry.size() > 1 ? entry.substr(1) : std::string(); }

std::string descriptionText(uint16_t index) {
    return index >= 1 && index <= descrCount ? entryText(descriptions[index]) : std::string();
}

std::string nameText(uint16_t index) {
    return index >= 1 && index <= nameCount ? entryText(names[index]) : std::string();
}

void recomputeCombinedRate() {
    combinedTaxRate = countyTaxRate + stateTaxRate + localTaxRate + districtTaxRate;
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

std::string tooLongMessage(const std::string& what) {
    return "This " + what + " is too long: at most " + std::to_string(maxEntryBytes - 1) + " characters can be kept.";
}

