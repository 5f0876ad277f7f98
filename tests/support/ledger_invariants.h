// What every ledger the program holds must satisfy, whatever file it came
// from: the rest of the program indexes the tables by these numbers.
#pragma once
#include <cstring>
#include <string>

#include "ledger/ledger_file.h"

// The first broken rule, or "" when there is none.
inline std::string imageInvariantProblem(const LedgerImage& image) {
    if (image.transactions.size() > maxTransactions) return "too many transactions";
    if (image.descriptions.size() > maxDescriptions) return "too many descriptions";
    if (image.names.size() > maxNames) return "too many names";
    for (size_t i = 0; i < image.transactions.size(); ++i) {
        const Transaction& t = image.transactions[i];
        if (t.descrIndex > image.descriptions.size())
            return "transaction " + std::to_string(i + 1) + " refers past the descriptions";
        if (t.nameIndex > image.names.size()) return "transaction " + std::to_string(i + 1) + " refers past the names";
    }
    for (const auto* list : {&image.descriptions, &image.names})
        for (const std::string& e : *list)
            if (e.size() > maxEntryBytes) return "an entry longer than " + std::to_string(maxEntryBytes) + " bytes";
    return "";
}

inline std::string tableInvariantProblem() {
    if (transactionCount > maxTransactions || descrCount > maxDescriptions || nameCount > maxNames)
        return "a count beyond its table";
    return imageInvariantProblem(currentLedgerImage());
}

// Field by field; rates compare by their bits, so a NaN equals itself.
inline bool sameTransaction(const Transaction& a, const Transaction& b) {
    return a.date == b.date && a.type == b.type && a.descrIndex == b.descrIndex && a.nameIndex == b.nameIndex &&
           a.amount == b.amount && a.handling == b.handling && a.shipping == b.shipping && a.taxMode == b.taxMode &&
           std::memcmp(&a.taxRate, &b.taxRate, sizeof a.taxRate) == 0 && a.salesTax == b.salesTax &&
           a.reserved == b.reserved;
}

inline bool sameImage(const LedgerImage& a, const LedgerImage& b) {
    if (a.transactions.size() != b.transactions.size() || a.descriptions != b.descriptions || a.names != b.names)
        return false;
    for (size_t i = 0; i < a.transactions.size(); ++i)
        if (!sameTransaction(a.transactions[i], b.transactions[i])) return false;
    return true;
}
