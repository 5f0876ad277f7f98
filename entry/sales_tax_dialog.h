// The "State Sales Taxes" dialog: shows and sets the four sales-tax rates.
#pragma once

#include <windows.h>

#include <optional>

// The state, county, local and district rates, as fractions.
struct SalesTaxRates {
    double rates[4] = {};
};

// Modal over owner, showing `now`; the rates "&Ok" read from the boxes, or
// nothing after the close box.
std::optional<SalesTaxRates> askSalesTaxRates(HWND owner, const SalesTaxRates& now);

SalesTaxRates currentSalesTaxRates();
// Puts the rates in force, recomputes the combined rate and marks the
// settings for writing at quit.
void storeSalesTaxRates(const SalesTaxRates& rates);
