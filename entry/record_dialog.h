// The entry dialog (adding and changing a transaction) and the record view
// (looking at one, stepping through the main list). Both share one layout
// per type and one loader.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ledger/tables.h"

// Control ids of both dialogs.
enum : int {
    idDateBox = 2001, idYearBox = 2002, idAmountLabel = 2005, idAmountBox = 2006,
    idHandlingBox = 2007, idShippingBox = 2008, idTaxBox = 2009, idRateBox = 2010,
    idTaxAdded = 2011, idTaxIncluded = 2012, idTaxSpecified = 2013, idResale = 2014, idTotalBox = 2015,
    idClear = 2021, idSave = 2022,
    idNext = 2051, idPrev = 2052,
    idSold = 2054, idBought = 2055, idPersonal = 2056,
};

extern std::string rememberedYear;  // the year box at the last "&OK"
extern double workingRate;          // fraction the entry dialog computes tax with
extern int appliedTaxMode;          // tax mode last applied; 2 = the tax box is editable
extern POINT viewPosition;          // view origin, dialog units from its owner's client origin

// What the entry dialog is opened for: a new transaction of a type, or a
// change of transaction number `transaction` (the command makes sure it is
// the one the user selected).
struct EntryRequest {
    int type = 0;         // 1..6; the layout, and the group of the lists offered
    int transaction = 0;  // 0: add
};
// The entry dialog, modal over owner. Returns the transaction "&OK"
// accepted, which the command then stores; nothing when it was cancelled
// or opens nothing (a number out of range, another row's transaction). A
// description or name the user agreed to add is in its list either way.
std::optional<Transaction> askTransaction(HWND owner, const EntryRequest& request);

// Where the record view stands in the list it steps through.
struct ViewStep {
    int position = 0;   // display position, 1-based
    int direction = 1;  // 1: opened or moved back (the focus on "&Prev"); 0: moved on
};
// Shows, read-only, the transaction at step.position of `shown` (the
// transaction numbers the list shows, in display order: position p is
// shown[p - 1]). When "&Next" or "&Prev" ends it, returns the step to the
// neighbouring row, which the command selects in the list before it shows
// the view again; nothing when it was closed or there is nothing to show.
std::optional<ViewStep> showRecordView(HWND owner, const std::vector<int>& shown, ViewStep step);

// Fills the open dialog's boxes from the transaction it was opened for.
void loadRecordIntoDialog(HWND dialog);

// 1-based position of the first checked option among ids first..last;
// 0 when none is checked or the options do not exist.
int checkedOption(HWND dialog, int first, int last);

void resetRecordDialogState();
