// A ledger filled to capacity, for the benchmarks.
#pragma once
#include <string>

#include "ledger/ledger_file.h"
#include "text/date_text.h"

inline LedgerImage fullLedgerImage() {
    LedgerImage image;
    for (int i = 1; i <= maxDescriptions; ++i)
        image.descriptions.push_back(std::string(1, static_cast<char>(i % 4 == 0 ? 6 : i % 4)) + "Description number " +
                                     std::to_string(i));
    for (int i = 1; i <= maxNames; ++i)
        image.names.push_back(std::string(1, static_cast<char>(1 + i % 3)) + "Customer or supplier " + std::to_string(i));
    for (int i = 0; i < maxTransactions; ++i) {
        Transaction t;
        t.date = static_cast<uint16_t>(packDate("01-01-2020") + i / 14 * 1);
        t.type = static_cast<uint8_t>(1 + i % 6);
        t.descrIndex = static_cast<uint16_t>(1 + i % maxDescriptions);
        t.nameIndex = static_cast<uint16_t>(1 + i % maxNames);
        t.amount = 100 + i * 7;
        t.taxMode = isProductType(t.type) ? modeTaxAdded : modeNoTax;
        t.salesTax = isProductType(t.type) ? t.amount / 16 : 0;
        image.transactions.push_back(t);
    }
    return image;
}
