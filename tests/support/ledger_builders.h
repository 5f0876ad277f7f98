// Small builders for test ledgers.
#pragma once
#include <string>

#include "ledger/ledger_file.h"
#include "ledger/tables.h"
#include "text/date_text.h"

inline Transaction makeTransaction(const std::string& date, uint8_t type, uint16_t descr, uint16_t name,
                                   int32_t amount, uint8_t taxMode = modeNoTax, int32_t salesTax = 0,
                                   int32_t handling = 0, int32_t shipping = 0) {
    Transaction t;
    t.date = packDate(date);
    t.type = type;
    t.descrIndex = descr;
    t.nameIndex = name;
    t.amount = amount;
    t.taxMode = taxMode;
    t.salesTax = salesTax;
    t.handling = handling;
    t.shipping = shipping;
    return t;
}

inline std::string entry(uint8_t group, const std::string& text) {
    return std::string(1, static_cast<char>(group)) + text;
}

// One of every type, with descriptions and names in their groups.
inline LedgerImage sampleImage() {
    LedgerImage image;
    image.descriptions = {entry(1, "Consulting"), entry(2, "Office rent"), entry(2, "Mileage"),
                          entry(3, "Widgets"),    entry(6, "Interest")};
    image.names = {entry(1, "Acme Corp"), entry(3, "Bolt & Co"), entry(6, "First Bank"), entry(2, "Landlord")};
    image.transactions = {
        makeTransaction("01-05-2006", typeService, 1, 1, 50000),
        makeTransaction("01-09-2006", typeExpense, 2, 4, 80000),
        makeTransaction("02-01-2006", typeExpense, 3, 0, 12340),
        makeTransaction("02-14-2006", typeSold, 4, 2, 1999, modeTaxAdded, 125, 100, 200),
        makeTransaction("03-02-2006", typeBought, 4, 2, 1000, modeTaxIncluded, 59),
        makeTransaction("03-20-2006", typePersonal, 4, 0, 500, modeTaxAdded, 31),
        makeTransaction("04-30-2006", typeEarnings, 5, 3, 2500),
    };
    return image;
}
