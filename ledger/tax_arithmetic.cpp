#include "ledger/tax_arithmetic.h"

#include <cctype>

bool computeSalesTax(int mode, double amount, double rate, double& tax) {
    switch (mode) {
    case modeTaxAdded:
        tax = rate * amount;
        return true;
    case modeTaxIncluded:
        tax = rate * amount / (rate + 1);
        return true;
    default:
        tax = 0;
        return false;
    }
}

int64_t transactionTotal(const Transaction& t) {
    int64_t total = int64_t{t.amount} + t.handling + t.shipping;
    if (t.taxMode != modeTaxIncluded) total += t.salesTax;
    return total;
}

bool isMileageDescription(const std::string& text) {
    std::string lower;
    for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "mileage";
}

bool isMileage(const Transaction& t) {
    return t.type == typeExpense && isMileageDescription(descriptionText(t.descrIndex));
}

const char* taxOptionText(uint8_t mode) {
    switch (mode) {
    case modeTaxAdded: return "Tax to be added";
    case modeTaxIncluded: return "Tax already included";
    case modeTaxSpecified: return "Specify tax";
    case modeResale: return "Resale - no tax";
    default: return "";
    }
}
