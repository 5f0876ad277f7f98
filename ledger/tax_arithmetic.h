// Sales tax and totals of a transaction.
#pragma once
#include <cstdint>
#include <string>

#include "ledger/tables.h"

// The tax for a tax mode on the amount as typed, at rate (a fraction).
// Modes 2 (typed by the user) and 3 (resale) compute none: returns false.
bool computeSalesTax(int mode, double amount, double rate, double& tax);

// amount + handling + shipping + salesTax, the tax left out for mode 1.
// Summed in 64 bits so that no sum of stored fields can wrap.
int64_t transactionTotal(const Transaction& t);

// An expense whose description is "mileage" in any letter case records
// hundredths of a mile instead of money.
bool isMileageDescription(const std::string& descriptionText);
bool isMileage(const Transaction& t);

// The tax options as the record dialog names them ("Tax to be added", ...),
// by mode; "" for no option. The list's export writes them and Import reads
// them back.
const char* taxOptionText(uint8_t mode);
