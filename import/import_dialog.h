// The "Import Statement" preview: every line of a bank statement with what
// it would become, for the user to check, change or leave out before the
// books change at all.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "import/preview_model.h"
#include "import/proposals.h"

// Control identifiers of the preview.
enum : int {
    idImportSource = 2301,   // file name, format and account
    idImportNote = 2302,     // how the text was read, the date-order question
    idImportDateColumn = 2311, idImportAmountColumn = 2312, idImportDebitColumn = 2313,
    idImportCreditColumn = 2314, idImportPayeeColumn = 2315, idImportMemoColumn = 2316,
    idImportBalanceColumn = 2317,  // CSV only: which column holds what
    idImportOrder = 2320,    // "Dates are"
    idImportFlip = 2325,     // the card issuer's signs
    idImportCurrency = 2326, // amounts in another currency than the books' taken as they stand
    idImportList = 2330,
    idImportCheckAll = 2331, idImportUncheckAll = 2332,
    idImportType = 2341, idImportDescr = 2342, idImportName = 2343,  // the selected row's proposal
    idImportTaxMode = 2344, idImportTaxRate = 2345, idImportTax = 2346,  // a product row's tax option, rate, tax
    idImportBalance = 2351,  // whether the balances agree
    idImportFooter = 2350,   // how many will be added, are there, could not be read
};

// Reads the statement in bytes (from the file at path) and shows the
// preview, modal over owner. On "Import" the rows as the user left them are in rows, with the
// statement's closing balance to remember where it gives one, and true is
// returned; false for Cancel, and for a file that is no statement at all
// (said in a message). What the user mapped and chose is remembered for the
// next statement of the same kind.
bool showImportPreview(HWND owner, const std::string& path, const Bytes& bytes, std::vector<ImportRow>& rows,
                       RememberedBalance* closing = nullptr, bool* hasClosing = nullptr);
