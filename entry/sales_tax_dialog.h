// The "State Sales Taxes" dialog: shows and sets the four sales-tax rates.
#pragma once

// Modal over the main window; "&Ok" stores the rates, recomputes the
// combined rate and marks the settings for writing at quit.
void showSalesTaxDialog();
