#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>

#include "app/commands.h"
#include "app/main_window.h"
#include "entry/record_dialog.h"
#include "app/list_state.h"
#include "ledger/tables.h"
#include "lists/descr_name_boxes.h"
#include "tests/support/ledger_builders.h"
#include "tests/win/modal_driver.h"
#include "tests/win/win_fixture.h"
#include "text/amount_text.h"
#include "text/date_text.h"

namespace {

class RecordDialog : public MainWindowTest {
protected:
    // The sample ledger on the "All Transactions" tab with `row` selected.
    void startAt(int row, const LedgerImage& image = sampleImage()) {
        installLedger(image);
        start();
        selectPosition(row);
    }
    // As the main window's type buttons (for currentType) and its Change
    // command open the entry dialog; the list is refilled after a save.
    void openEntry(int transaction) {
        static const int buttons[] = {0, idServ, idExps, idProd, idProd, idProd, idEarn};
        command(transaction == 0 ? buttons[currentType] : cmdChangeRecord);
    }
};

// Client size in dialog units.
SIZE clientUnits(HWND d) {
    RECT c;
    GetClientRect(d, &c);
    RECT base = {0, 0, 4, 8};
    MapDialogRect(d, &base);
    return {(c.right * 4 + base.right / 2) / base.right, (c.bottom * 8 + base.bottom / 2) / base.bottom};
}

// The dialog itself is shown only once its loop runs idle.
bool shown(HWND w) { return GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE; }
bool readOnly(HWND d, int id) { return GetWindowLongA(GetDlgItem(d, id), GWL_STYLE) & ES_READONLY; }
bool isDefaultButton(HWND d, int id) { return (GetWindowLongA(GetDlgItem(d, id), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON; }
void cancel(HWND d) { SendMessageA(d, WM_CLOSE, 0, 0); }

std::pair<int, int> editSelection(HWND d, int id) {
    DWORD start = 0, end = 0;
    SendMessageA(GetDlgItem(d, id), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

HWND milesLabel(HWND d) {
    for (HWND w = GetWindow(d, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (windowText(w) == " Miles:") return w;
    return nullptr;
}

std::string thisYear() { return std::to_string(currentLocalYear()); }

// --- Entry dialog: services, expenses, earnings ---

TEST_F(RecordDialog, AddingAServiceWithANewDescription) {
    startAt(1);
    currentType = typeService;
    prompts.answers = {mb::idYes};
    whenDialogOpens("Add new service  transaction", [&](HWND d) {
        SIZE size = clientUnits(d);
        EXPECT_EQ(size.cx, 250);
        EXPECT_EQ(size.cy, 105);
        EXPECT_EQ(GetWindow(d, GW_OWNER), main);
        const struct {
            int id, x, y, w;
        } layout[] = {{2001, 50, 5, 25}, {2002, 121, 5, 25}, {2006, 50, 65, 40}, {2005, 3, 65, 45}, {2022, 200, 5, 40}};
        for (const auto& c : layout) {
            RECT r = itemRectUnits(d, c.id);
            EXPECT_EQ(r.left, c.x) << c.id;
            EXPECT_EQ(r.top, c.y) << c.id;
            EXPECT_EQ(r.right, c.w) << c.id;
        }
        EXPECT_EQ(itemText(d, 2005), "Amount:");
        EXPECT_EQ(itemText(d, 2002), "");
        EXPECT_EQ(GetDlgItem(d, 2010), nullptr);
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 2001));
        HWND descr = GetDlgItem(d, 2003);
        ASSERT_EQ(SendMessageA(descr, CB_GETCOUNT, 0, 0), 1);  // the service group only
        EXPECT_EQ(SendMessageA(descr, CB_GETITEMDATA, 0, 0), 1);
        setItemText(d, 2001, "3/7");
        setItemText(d, 2003, "Rent");
        setItemText(d, 2006, "500");
        click(d, 2022);
    });
    openEntry(0);

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Ok to add this description?");
    EXPECT_EQ(prompts.messages[0].title, "Rent");
    EXPECT_EQ(prompts.messages[0].style, mb::yesNo | mb::iconQuestion);
    ASSERT_EQ(descrCount, 6);
    EXPECT_EQ(descriptions[6], entry(1, "Rent"));
    ASSERT_EQ(transactionCount, 8);
    const Transaction& t = transactions[8];  // this year: after every 2006 record
    EXPECT_EQ(t.date, packDate("03-07-" + thisYear()));
    EXPECT_EQ(t.type, typeService);
    EXPECT_EQ(t.descrIndex, 6);
    EXPECT_EQ(t.nameIndex, 0);
    EXPECT_EQ(t.amount, 50000);
    EXPECT_EQ(t.taxMode, 255);
    EXPECT_EQ(t.handling + t.shipping + t.salesTax, 0);
    EXPECT_EQ(t.taxRate, 0.0f);
    EXPECT_EQ(ledgerChanged, 1);
    EXPECT_EQ(rows(1).size(), 8u);
    EXPECT_EQ(selectedRow, 8);

    whenDialogOpens("Add new earnings transaction", [](HWND d) {
        EXPECT_EQ(itemText(d, 2002), "");  // the empty year was remembered
        cancel(d);
    });
    currentType = typeEarnings;
    openEntry(0);
}

TEST_F(RecordDialog, SaveChecksInOrderAndKeepsTheDialogOpen) {
    startAt(1);
    currentType = typeExpense;
    whenDialogOpens("Add new expense  transaction", [&](HWND d) {
        auto ok = [&](const std::string& expected) {
            prompts.messages.clear();
            click(d, 2022);
            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].text, expected);
        };
        setItemText(d, 2001, "13/1");
        setItemText(d, 2002, "2005");
        ok("Illegal date");
        EXPECT_EQ(prompts.messages[0].title, "");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconStop);
        EXPECT_EQ(rememberedYear, "2005");
        // Days past the end of their month, leap years counted.
        for (auto date : {std::make_pair("11/31", "2026"), std::make_pair("2/30", "2025"),
                          std::make_pair("2/29", "2025"), std::make_pair("4-31", "24")}) {
            setItemText(d, 2001, date.first);
            setItemText(d, 2002, date.second);
            SetFocus(GetDlgItem(d, 2022));  // as the click on "&OK" leaves it
            ok("Illegal date");
            // Back in the date box, its text selected for typing over.
            EXPECT_EQ(GetFocus(), GetDlgItem(d, 2001)) << date.first;
            EXPECT_EQ(SendMessageA(GetDlgItem(d, 2001), EM_GETSEL, 0, 0),
                      MAKELRESULT(0, std::string(date.first).size()));
        }
        setItemText(d, 2001, "2/29");
        setItemText(d, 2002, "2024");
        ok("No description or name entered");
        setItemText(d, 2002, "2005");

        setItemText(d, 2001, "3/7");
        ok("No description or name entered");  // before the empty amount
        EXPECT_EQ(prompts.messages[0].title, "");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconExclamation);

        setItemText(d, 2004, "landlord");  // an existing name, any case: no question
        ok("No amount specified");
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconExclamation);
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 2006));

        setItemText(d, 2006, "21474836.48");  // one cent past the stored range
        ok("This amount is too large: amounts must lie between -21474836.48 and 21474836.47.");

        setItemText(d, 2003, "Parking");  // a new description: not asked about yet
        for (const char* typed : {"1 250", "12a", "1.5.3", "1,25", "abc"}) {
            SetFocus(GetDlgItem(d, 2001));
            setItemText(d, 2006, typed);
            ok("Illegal amount");
            EXPECT_EQ(prompts.messages[0].title, "");
            EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconStop);
            EXPECT_EQ(GetFocus(), GetDlgItem(d, 2006)) << typed;
        }
        EXPECT_EQ(descrCount, 5);
        setItemText(d, 2003, "");
        setItemText(d, 2006, "");

        setItemText(d, 2003, "  Travel ");
        prompts.messages.clear();
        click(d, 2022);
        EXPECT_EQ(prompts.messageTexts(),
                  (std::vector<std::string>{"Ok to add this description?", "No amount specified"}));
        EXPECT_EQ(prompts.messages[0].title, "Travel");
        EXPECT_EQ(descriptions[descrCount], entry(2, "Travel"));
        click(d, 2022);  // the box's items are not updated: asked and added again
        EXPECT_EQ(descrCount, 7);
        EXPECT_EQ(descriptions[7], entry(2, "Travel"));
        cancel(d);
    });
    openEntry(0);
    EXPECT_EQ(transactionCount, 7);
    // No transaction, but the two descriptions confirmed are in the books
    // and must not be lost at quit without a question.
    EXPECT_EQ(ledgerChanged, 1);
}

TEST_F(RecordDialog, RefusedListEntriesAndAFullLedgerStoreNothing) {
    startAt(1);
    currentType = typeService;
    whenDialogOpens("Add new service  transaction", [&](HWND d) {
        setItemText(d, 2001, "3/7");
        setItemText(d, 2006, "5");
        setItemText(d, 2004, std::string(300, 'n'));
        click(d, 2022);  // refused before it is offered for the list
        EXPECT_EQ(prompts.messageTexts(),
                  (std::vector<std::string>{"This name is too long: at most 254 characters can be kept."}));
        EXPECT_EQ(prompts.messages[0].style, mb::ok | mb::iconExclamation);
        EXPECT_EQ(nameCount, 4);
        EXPECT_EQ(itemText(d, 2004).size(), 300u);  // kept whole for shortening

        setItemText(d, 2004, "");
        setItemText(d, 2003, "Fees");
        descrCount = maxDescriptions;
        prompts.messages.clear();
        click(d, 2022);
        ASSERT_EQ(prompts.messages.size(), 2u);
        EXPECT_EQ(prompts.messages[1].text.substr(0, 32), "The list of descriptions is full");
        EXPECT_EQ(itemText(d, 2003), "Fees");
        descrCount = 5;

        transactionCount = maxTransactions;
        prompts.messages.clear();
        click(d, 2022);  // refused before any question about the new description
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text.substr(0, 18), "The ledger is full");
        transactionCount = 7;
        cancel(d);
    });
    openEntry(0);
    EXPECT_EQ(transactionCount, 7);
    EXPECT_EQ(descrCount, 5);
    EXPECT_EQ(ledgerChanged, 0);
}

// "&OK", then the close box: a save that was refused (a fault) leaves the
// dialog open, and the test fails instead of waiting for it. After a save
// the close changes nothing.
void saveOrGiveUp(HWND d) {
    click(d, 2022);
    cancel(d);
}

const std::string longDescr = "Full overhaul with drivetrain replacement and a wheel truing";
const std::string longName = "Northside Community Cycling Club and Friends of the Riverway";

// Typed key by key, long texts go into the boxes whole, in each kind of
// entry dialog and in a change; Ctrl+A selects a box's text, so that typing
// replaces it; a text past what a list entry holds is refused, never cut.
TEST_F(RecordDialog, LongTextsAreTypedWholeAndCtrlAReplaces) {
    ASSERT_EQ(longDescr.size(), 60u);
    ASSERT_EQ(longName.size(), 60u);
    startAt(1);
    struct Kind {
        int type;
        const char* caption;
        uint8_t group;
    } kinds[] = {{typeService, "Add new service  transaction", 1},
                 {typeExpense, "Add new expense  transaction", 2},
                 {typeEarnings, "Add new earnings transaction", 6},
                 {typeSold, "Add new product transaction", 3}};
    bool first = true;
    for (const Kind& k : kinds) {
        currentType = k.type;
        prompts.messages.clear();
        prompts.answers = {mb::idYes, mb::idYes};
        whenDialogOpens(k.caption, [&](HWND d) {
            typeKeys(d, 2001, "3/7");
            pressCtrlA(d, 2002);  // the year remembered from the last add is replaced
            typeKeys(d, 2002, "2006");
            if (first) {
                typeKeys(d, 2003, std::string(255, 'x'));
                typeKeys(d, 2006, "12.50");
                click(d, 2022);
                EXPECT_EQ(prompts.messageTexts(),
                          std::vector<std::string>{"This description is too long: at most 254 characters can be kept."});
                EXPECT_EQ(itemText(d, 2003).size(), 255u);
                EXPECT_EQ(GetFocus(), typingBox(d, 2003));
                prompts.messages.clear();
                pressCtrlA(d, 2003);
                first = false;
            } else {
                typeKeys(d, 2006, "12.50");
            }
            typeKeys(d, 2003, longDescr);
            typeKeys(d, 2004, longName);
            EXPECT_EQ(itemText(d, 2003), longDescr);
            EXPECT_EQ(itemText(d, 2004), longName);
            EXPECT_EQ(itemText(d, 2002), "2006");
            saveOrGiveUp(d);
        });
        openEntry(0);
        ASSERT_EQ(prompts.messageTexts(),
                  (std::vector<std::string>{"Ok to add this description?", "Ok to add this name?"}))
            << k.caption;
        EXPECT_EQ(prompts.messages[0].title, longDescr);
        int at = selectedRow;
        ASSERT_GT(at, 0);
        const Transaction& t = transactions[static_cast<size_t>(at)];
        EXPECT_EQ(t.type, k.type) << k.caption;
        EXPECT_EQ(descriptions[t.descrIndex], entry(k.group, longDescr)) << k.caption;
        EXPECT_EQ(names[t.nameIndex], entry(k.group, longName)) << k.caption;
        EXPECT_EQ(t.amount, 1250);
    }

    // Changing the first service: Ctrl+A in each box, then the new text
    // replaces the old one instead of being added to it.
    const std::string newDescr = longDescr.substr(0, 59) + "s";
    const std::string longest(254, 'z');  // exactly what an entry holds
    selectPosition(1);
    currentType = typeService;
    prompts.messages.clear();
    prompts.answers = {mb::idYes, mb::idYes, mb::idNo, mb::idNo};
    whenDialogOpens("Change service  transaction", [&](HWND d) {
        EXPECT_EQ(itemText(d, 2003), "Consulting");
        pressCtrlA(d, 2003);
        EXPECT_EQ(SendMessageA(typingBox(d, 2003), EM_GETSEL, 0, 0), MAKELRESULT(0, 10));
        typeKeys(d, 2003, newDescr);
        pressCtrlA(d, 2004);
        typeKeys(d, 2004, longest);
        pressCtrlA(d, 2006);
        typeKeys(d, 2006, "75");
        EXPECT_EQ(itemText(d, 2003), newDescr);
        EXPECT_EQ(itemText(d, 2006), "75");
        saveOrGiveUp(d);
    });
    openEntry(1);
    // The old texts, no longer used, are offered for deleting; kept.
    EXPECT_EQ(prompts.messageTexts(),
              (std::vector<std::string>{"Ok to add this description?", "Ok to add this name?",
                                        "Description [Consulting] \r\nnot used now... OK to delete it?",
                                        "Name [Acme Corp] \r\nnot used now... OK to delete it?"}));
    const Transaction& changed = transactions[static_cast<size_t>(selectedRow)];
    EXPECT_EQ(descriptions[changed.descrIndex], entry(1, newDescr));
    EXPECT_EQ(names[changed.nameIndex], entry(1, longest));
    EXPECT_EQ(changed.amount, 7500);

    // The product dialog's change, and the view shows the long texts whole.
    int product = 0;
    for (int r = 1; r <= transactionCount; ++r)
        if (transactions[static_cast<size_t>(r)].type == typeSold && names[transactions[static_cast<size_t>(r)].nameIndex] == entry(3, longName)) product = r;
    ASSERT_GT(product, 0);
    selectPosition(product);
    currentType = typeSold;
    prompts.messages.clear();
    prompts.answers = {mb::idNo};
    whenDialogOpens("Change product transaction", [&](HWND d) {
        EXPECT_EQ(itemText(d, 2003), longDescr);
        pressCtrlA(d, 2004);
        typeKeys(d, 2004, "Bolt & Co");  // an existing name: no question
        saveOrGiveUp(d);
    });
    openEntry(product);
    EXPECT_EQ(prompts.messageTexts(),
              std::vector<std::string>{"Name [" + longName + "] \r\nnot used now... OK to delete it?"});
    EXPECT_EQ(names[transactions[static_cast<size_t>(selectedRow)].nameIndex], entry(3, "Bolt & Co"));
    EXPECT_EQ(descriptions[transactions[static_cast<size_t>(selectedRow)].descrIndex], entry(3, longDescr));
    focusTransaction = selectedRow;
    currentType = typeSold;
    whenDialogOpens("product transaction", [&](HWND d) {
        EXPECT_EQ(itemText(d, 2003), longDescr);
        pressCtrlA(d, 2003);  // read-only, yet selectable for copying
        EXPECT_EQ(SendMessageA(GetDlgItem(d, 2003), EM_GETSEL, 0, 0), MAKELRESULT(0, 60));
        cancel(d);
    });
    command(cmdFormData);
    EXPECT_TRUE(allDialogsHandled());
}

// Tabs and line breaks from a file show as blanks in the boxes, as in the
// main list; an unchanged save keeps the entries, their texts untouched.
TEST_F(RecordDialog, ControlCharactersFromAFileShowAsBlanks) {
    LedgerImage image = sampleImage();
    image.descriptions[0] = entry(1, "Tune\tup");
    image.names[0] = entry(1, "Bob\r\nSmith");
    startAt(1, image);
    currentType = typeService;
    whenDialogOpens("Change service  transaction", [&](HWND d) {
        EXPECT_EQ(itemText(d, 2003), "Tune up");
        EXPECT_EQ(windowText(GetDlgItem(d, 2004)), "Bob  Smith");
        std::vector<BoxItem> items = boxItems(GetDlgItem(d, 2003));
        EXPECT_EQ(items.size(), 1u);
        if (!items.empty()) {
            EXPECT_EQ(items[0].first, "Tune up");
        }
        EXPECT_EQ(boxItems(GetDlgItem(d, 2004))[0].first, "Bob  Smith");
        saveOrGiveUp(d);
    });
    openEntry(1);
    EXPECT_TRUE(prompts.messages.empty());  // found in the lists: nothing to add
    const Transaction& t = transactions[static_cast<size_t>(selectedRow)];
    EXPECT_EQ(t.descrIndex, 1);
    EXPECT_EQ(t.nameIndex, 1);
    EXPECT_EQ(descriptions[1], entry(1, "Tune\tup"));
    EXPECT_EQ(names[1], entry(1, "Bob\r\nSmith"));
    focusTransaction = selectedRow;
    currentType = typeService;  // the refill after the save set it back to the tab's
    whenDialogOpens("Service  transaction", [&](HWND d) {
        EXPECT_EQ(windowText(GetDlgItem(d, 2003)), "Tune up");
        cancel(d);
    });
    command(cmdFormData);
}

TEST_F(RecordDialog, TypeAheadCompletesFromTheBoxItems) {
    LedgerImage image = sampleImage();
    image.descriptions.push_back(entry(1, "Contract work"));
    image.descriptions.push_back(entry(1, "consulting"));  // the same text again: one item
    image.descriptions.push_back(entry(1, "[Misc] costs"));
    startAt(1, image);
    currentType = typeService;
    whenDialogOpens("Add new service  transaction", [](HWND d) {
        EXPECT_EQ(SendMessageA(GetDlgItem(d, 2003), CB_GETCOUNT, 0, 0), 3);
        typeKeys(d, 2003, "c");
        EXPECT_EQ(itemText(d, 2003), "Consulting");
        EXPECT_EQ(editSelection(d, 2003), std::make_pair(1, 10));
        typeKeys(d, 2003, "ONTR");
        EXPECT_EQ(itemText(d, 2003), "Contract work");
        EXPECT_EQ(editSelection(d, 2003), std::make_pair(5, 13));
        typeKeys(d, 2003, "x");
        EXPECT_EQ(itemText(d, 2003), "Contrx");
        typeKeys(d, 2004, "a");
        EXPECT_EQ(itemText(d, 2004), "Acme Corp");
        // Only an item that begins with the typed text completes it, not one
        // with the text after a leading "[".
        setItemText(d, 2003, "");
        typeKeys(d, 2003, "m");
        EXPECT_EQ(itemText(d, 2003), "m");
        typeKeys(d, 2003, "ileage");
        EXPECT_EQ(itemText(d, 2003), "mileage");
        setItemText(d, 2003, "");
        typeKeys(d, 2003, "[m");
        EXPECT_EQ(itemText(d, 2003), "[Misc] costs");
        cancel(d);
    });
    openEntry(0);
}

// A typed description is the box's item only when it is exactly that text,
// letter case aside: no linguistic likeness, as in the filter dialog.
TEST_F(RecordDialog, ExactTextPicksTheEntryLookalikesAsk) {
    LedgerImage image = sampleImage();
    image.descriptions.push_back(entry(1, "\xC6sop Ltd"));
    image.descriptions.push_back(entry(1, "Stra\xDF" "e"));
    image.descriptions.push_back(entry(1, "Re\xAD" "pair"));
    startAt(1, image);
    currentType = typeService;
    whenDialogOpens("Add new service  transaction", [&](HWND d) {
        setItemText(d, 2001, "3/7");
        setItemText(d, 2006, "5");
        for (const char* typed : {"AEsop Ltd", "Strasse", "Repair"}) {
            prompts.messages.clear();
            prompts.answers = {mb::idNo};
            setItemText(d, 2003, typed);
            click(d, 2022);
            EXPECT_EQ(prompts.messageTexts(),
                      (std::vector<std::string>{"Ok to add this description?", "No description or name entered"}))
                << typed;
        }
        prompts.messages.clear();
        setItemText(d, 2003, "\xE6SOP LTD");  // the same text in other letter case
        click(d, 2022);
    });
    openEntry(0);
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_EQ(transactionCount, 8);
    EXPECT_EQ(transactions[8].descrIndex, 6);
    EXPECT_EQ(descrCount, 8);
}

// With its real question up, the entry dialog takes no click, key or close;
// one "&OK" stores one transaction and one new description, and afterwards
// the dialog is active with the focus where it was.
TEST_F(RecordDialog, NothingBehindItsQuestionTakesInput) {
    startAt(1);
    currentType = typeService;
    HWND dialog = nullptr;
    auto pokeBehind = [&](HWND box, int answer) {
        EXPECT_FALSE(IsWindowEnabled(dialog));
        EXPECT_FALSE(IsWindowEnabled(main));
        size_t asked = prompts.messages.size();
        click(dialog, 2022);
        HWND ok = GetDlgItem(dialog, 2022);
        PostMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        PostMessageA(GetDlgItem(dialog, 2006), WM_KEYDOWN, VK_RETURN, 0);
        closeBox(dialog);
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        pumpMessages();
        EXPECT_EQ(prompts.messages.size(), asked);
        EXPECT_EQ(transactionCount, 7);
        EXPECT_EQ(descrCount, 5);
        click(box, answer);
    };
    whenDialogOpens("Add new service  transaction", [&](HWND d) {
        dialog = d;
        setItemText(d, 2001, "3/7");
        setItemText(d, 2003, "Rent");
        setItemText(d, 2006, "500");
        prompts.realPrompts = 1;
        click(d, 2022);  // No: then without description or name
        EXPECT_EQ(prompts.messageTexts(),
                  (std::vector<std::string>{"Ok to add this description?", "No description or name entered"}));
        EXPECT_TRUE(IsWindowEnabled(d));
        EXPECT_EQ(GetActiveWindow(), d);
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 2022));  // where the click put it
        prompts.realPrompts = 1;
        click(d, 2022);  // Yes: stored
    });
    whenDialogOpens("Rent", [&](HWND box) { pokeBehind(box, IDNO); });
    whenDialogOpens("Rent", [&](HWND box) { pokeBehind(box, IDYES); });
    openEntry(0);
    EXPECT_TRUE(allDialogsHandled());
    EXPECT_EQ(transactionCount, 8);
    EXPECT_EQ(descrCount, 6);
    EXPECT_EQ(prompts.messages.size(), 3u);
}

// --- Entry dialog: products ---

TEST_F(RecordDialog, ProductLayoutTaxAndTotal) {
    startAt(1);
    currentType = typeBought;  // any product type opens the product dialog as Sold
    rememberedYear = "2005";
    whenDialogOpens("Add new product transaction", [&](HWND d) {
        SIZE size = clientUnits(d);
        EXPECT_EQ(size.cx, 250);
        EXPECT_EQ(size.cy, 220);
        // Creation order is the tab order; labels have no id.
        const int order[] = {2001, 2002, 2003, 2004, 2006, -1, -1, -1, -1, 2005, 2054, 2055, 2056, -1, -1, -1,
                             -1,   -1,   2007, 2008, 2009, 2010, 2015, 2011, 2012, 2013, 2014, 2021, 2022, 2};
        std::vector<int> ids;
        for (HWND w = GetWindow(d, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(w);
            ids.push_back(id == 0xFFFF ? -1 : id);
        }
        EXPECT_EQ(ids, std::vector<int>(std::begin(order), std::end(order)));
        const struct {
            int id, x, y, w, h;
            const char* text;
        } layout[] = {{2054, 110, 65, 35, 12, "&Sold"},          {2055, 148, 65, 40, 12, "&Bought"},
                      {2056, 190, 65, 40, 12, "&Personal"},      {2009, 50, 125, 40, 12, ""},
                      {2010, 110, 125, 30, 12, "6.250"},         {2011, 160, 108, 80, 12, "Tax to be added"},
                      {2012, 160, 120, 80, 12, "&Tax already included"}, {2013, 160, 132, 80, 12, "&Specify tax"},
                      {2014, 160, 144, 80, 12, "Resale - no tax"}, {2021, 10, 170, 50, 22, "C&lear"},
                      {2022, 130, 170, 50, 22, "&OK"},            {2, 182, 170, 50, 22, "Cancel"}};
        for (const auto& c : layout) {
            RECT r = itemRectUnits(d, c.id);
            EXPECT_EQ((std::vector<long>{r.left, r.top, r.right, r.bottom}), (std::vector<long>{c.x, c.y, c.w, c.h})) << c.id;
            EXPECT_EQ(itemText(d, c.id), c.text);
        }
        EXPECT_EQ(itemText(d, 2002), "2005");
        EXPECT_EQ(itemText(d, 2005), "Orig Cost:");
        EXPECT_TRUE(isChecked(d, 2054));
        EXPECT_TRUE(isChecked(d, 2011));
        EXPECT_TRUE(shown(GetDlgItem(d, 2014)));
        EXPECT_TRUE(readOnly(d, 2009));
        EXPECT_TRUE(readOnly(d, 2015));
        EXPECT_EQ(itemText(d, 2015), "");  // nothing computed until the first change

        setItemText(d, 2006, "19.99");
        EXPECT_EQ(itemText(d, 2009), "1.25");
        EXPECT_EQ(itemText(d, 2015), "21.24");
        click(d, 2012);
        EXPECT_EQ(itemText(d, 2005), "Amt Paid:");
        EXPECT_EQ(itemText(d, 2009), "1.18");
        EXPECT_EQ(itemText(d, 2015), "19.99");
        click(d, 2011);
        EXPECT_EQ(itemText(d, 2005), "Orig Cost:");
        setItemText(d, 2007, "1");
        EXPECT_EQ(itemText(d, 2009), "1.25");  // handling is never taxed
        EXPECT_EQ(itemText(d, 2015), "22.24");
        setItemText(d, 2001, "2/14");
        setItemText(d, 2003, "widgets");
        click(d, 2022);
    });
    openEntry(0);
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_EQ(transactionCount, 8);
    const Transaction& t = transactions[1];  // 02-14-2005: before every 2006 record
    EXPECT_EQ(t.date, packDate("02-14-2005"));
    EXPECT_EQ(t.type, typeSold);
    EXPECT_EQ(t.descrIndex, 4);
    EXPECT_EQ(t.amount, 1999);
    EXPECT_EQ(t.handling, 100);
    EXPECT_EQ(t.salesTax, 125);
    EXPECT_EQ(t.taxMode, 0);
    EXPECT_FLOAT_EQ(t.taxRate, 6.25f);
}

// The tax and total shown are read from the boxes as "&OK" stores them.
TEST_F(RecordDialog, TypedAmountsShowAndStoreTheSameFigures) {
    startAt(1);
    currentType = typeSold;
    whenDialogOpens("Add new product transaction", [&](HWND d) {
        setItemText(d, 2006, "1,250.00");
        EXPECT_EQ(itemText(d, 2009), "78.12");
        EXPECT_EQ(itemText(d, 2015), "1328.12");
        setItemText(d, 2007, "1,000");
        EXPECT_EQ(itemText(d, 2015), "2328.12");
        for (const char* typed : {"12a", "1 250", "1,25"}) {
            setItemText(d, 2006, typed);
            EXPECT_EQ(itemText(d, 2009), "") << typed;
            EXPECT_EQ(itemText(d, 2015), "") << typed;
        }
        setItemText(d, 2006, " 1,250.00\t");
        EXPECT_EQ(itemText(d, 2009), "78.12");
        setItemText(d, 2008, "5,5");  // the shipping box: no total, the tax stays
        EXPECT_EQ(itemText(d, 2009), "78.12");
        EXPECT_EQ(itemText(d, 2015), "");
        setItemText(d, 2001, "6/1");
        setItemText(d, 2002, "2006");
        setItemText(d, 2003, "Widgets");
        SetFocus(GetDlgItem(d, 2006));
        click(d, 2022);
        EXPECT_EQ(prompts.messageTexts(), std::vector<std::string>{"Illegal amount"});
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 2008));
        setItemText(d, 2008, "");
        EXPECT_EQ(itemText(d, 2015), "2328.12");

        click(d, 2014);
        setItemText(d, 2006, "10.009");  // what is stored: 10.00
        EXPECT_EQ(itemText(d, 2015), "1010.00");
        click(d, 2013);
        setItemText(d, 2009, "1.5x");
        EXPECT_EQ(itemText(d, 2015), "");
        setItemText(d, 2009, " 1.50 ");
        EXPECT_EQ(itemText(d, 2015), "1011.50");
        prompts.messages.clear();
        click(d, 2022);
    });
    openEntry(0);
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_EQ(transactionCount, 8);
    const Transaction& t = transactions[8];  // 06-01-2006: after every other record
    EXPECT_EQ(t.date, packDate("06-01-2006"));
    EXPECT_EQ(t.amount, 1000);
    EXPECT_EQ(t.handling, 100000);
    EXPECT_EQ(t.shipping, 0);
    EXPECT_EQ(t.salesTax, 150);
    EXPECT_EQ(t.taxMode, modeTaxSpecified);
}

TEST_F(RecordDialog, SpecifiedTaxAndTheRateBox) {
    startAt(1);
    currentType = typeSold;
    whenDialogOpens("Add new product transaction", [&](HWND d) {
        HWND before = GetDlgItem(d, 2009);
        RECT beforeRect, afterRect;
        GetWindowRect(before, &beforeRect);
        setItemText(d, 2006, "10");
        click(d, 2013);
        HWND box = GetDlgItem(d, 2009);
        EXPECT_NE(box, before);
        EXPECT_FALSE(readOnly(d, 2009));
        EXPECT_TRUE(GetWindowLongA(box, GWL_STYLE) & WS_TABSTOP);
        EXPECT_EQ(itemText(d, 2009), "");
        EXPECT_EQ(GetFocus(), box);
        EXPECT_EQ(GetWindow(box, GW_HWNDPREV), GetDlgItem(d, 2008));  // same place in the tab order
        EXPECT_EQ(GetWindow(box, GW_HWNDNEXT), GetDlgItem(d, 2010));
        GetWindowRect(box, &afterRect);
        EXPECT_TRUE(EqualRect(&beforeRect, &afterRect));
        setItemText(d, 2009, "3.00");
        setItemText(d, 2007, "1.00");
        EXPECT_EQ(itemText(d, 2015), "14.00");
        setItemText(d, 2006, "20");
        EXPECT_EQ(itemText(d, 2009), "");
        EXPECT_EQ(itemText(d, 2015), "21.00");
        setItemText(d, 2009, "3");
        setItemText(d, 2010, "7");
        EXPECT_EQ(itemText(d, 2009), "");
        click(d, 2011);
        EXPECT_TRUE(readOnly(d, 2009));
        EXPECT_EQ(itemText(d, 2009), "1.40");  // the typed rate, not the combined one

        setItemText(d, 2010, "");
        EXPECT_EQ(itemText(d, 2010), " 6.25");
        EXPECT_EQ(itemText(d, 2009), "1.25");

        click(d, 2013);
        setItemText(d, 2009, "3");
        setItemText(d, 2001, "1/2");
        setItemText(d, 2002, "06");
        setItemText(d, 2003, "Widgets");
        click(d, 2022);
    });
    openEntry(0);
    ASSERT_EQ(transactionCount, 8);
    const Transaction& t = transactions[1];
    EXPECT_EQ(t.date, packDate("01-02-2006"));
    EXPECT_EQ(t.salesTax, 300);
    EXPECT_EQ(t.taxMode, 2);
    EXPECT_EQ(t.handling, 100);
    EXPECT_FLOAT_EQ(t.taxRate, 6.25f);
}

TEST_F(RecordDialog, RateRefillWithAZeroCombinedRateEnds) {
    startAt(1);
    combinedTaxRate = 0;
    currentType = typeSold;
    whenDialogOpens("Add new product transaction", [](HWND d) {
        EXPECT_EQ(itemText(d, 2010), "0.000");
        setItemText(d, 2006, "10");
        EXPECT_EQ(itemText(d, 2009), "");  // a zero tax leaves the box empty
        EXPECT_EQ(itemText(d, 2015), "10.00");
        setItemText(d, 2010, "");
        EXPECT_EQ(itemText(d, 2010), " 0");
        setItemText(d, 2010, "5");
        EXPECT_EQ(itemText(d, 2009), "0.50");
        cancel(d);
    });
    openEntry(0);
}

TEST_F(RecordDialog, ResaleHiddenForBoughtButKeptAndClear) {
    startAt(1);
    currentType = typeSold;
    whenDialogOpens("Add new product transaction", [&](HWND d) {
        HWND resale = GetDlgItem(d, 2014);
        setItemText(d, 2006, "10");
        click(d, 2014);
        EXPECT_EQ(itemText(d, 2009), "");
        EXPECT_EQ(itemText(d, 2015), "10.00");
        click(d, 2055);
        EXPECT_FALSE(shown(resale));
        EXPECT_TRUE(isChecked(d, 2014));
        click(d, 2054);
        EXPECT_TRUE(shown(resale));
        click(d, 2056);
        EXPECT_FALSE(shown(resale));

        setItemText(d, 2001, "9/9");
        setItemText(d, 2004, "Bolt & Co");
        click(d, 2021);
        for (int id : {2001, 2002, 2003, 2004, 2006, 2007, 2008, 2009}) EXPECT_EQ(itemText(d, id), "") << id;
        EXPECT_EQ(itemText(d, 2010), "6.250");
        EXPECT_TRUE(isChecked(d, 2054));
        EXPECT_FALSE(isChecked(d, 2056));
        EXPECT_TRUE(isChecked(d, 2014));    // kept, and still hidden
        EXPECT_FALSE(shown(resale));
        EXPECT_FALSE(readOnly(d, 2009));

        click(d, 2055);
        setItemText(d, 2001, "9/9");
        setItemText(d, 2002, "2006");
        setItemText(d, 2004, "Bolt & Co");
        setItemText(d, 2006, "10");
        click(d, 2022);
    });
    openEntry(0);
    ASSERT_EQ(transactionCount, 8);
    const Transaction& t = transactions[8];
    EXPECT_EQ(t.type, typeBought);
    EXPECT_EQ(t.taxMode, 3);
    EXPECT_EQ(t.salesTax, 0);
    EXPECT_EQ(t.nameIndex, 2);
}

// --- Entry dialog: changing ---

TEST_F(RecordDialog, ChangingKeepsTheStoredTaxAndMovesByDate) {
    LedgerImage image = sampleImage();
    image.transactions[3] = makeTransaction("02-14-2006", typeSold, 4, 2, 1999, modeTaxSpecified, 300, 100, 200);
    startAt(4, image);
    combinedTaxRate = 0.08;  // changed since: the stored tax is not recomputed
    currentType = typeSold;
    whenDialogOpens("Change product transaction", [&](HWND d) {
        const std::pair<int, const char*> shown[] = {{2001, "02-14"}, {2002, "2006"},  {2003, "Widgets"},
                                                     {2004, "Bolt & Co"}, {2006, "19.99"}, {2007, "1.00"},
                                                     {2008, "2.00"},  {2009, "3.00"},  {2010, "8.000"},
                                                     {2015, "25.99"}};
        for (const auto& s : shown) EXPECT_EQ(itemText(d, s.first), s.second) << s.first;
        EXPECT_FALSE(readOnly(d, 2009));
        EXPECT_TRUE(isChecked(d, 2013));
        EXPECT_TRUE(isChecked(d, 2054));
        EXPECT_EQ(appliedTaxMode, 2);
        setItemText(d, 2001, "5/1");
        click(d, 2022);
    });
    openEntry(4);
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_EQ(transactionCount, 7);
    EXPECT_EQ(transactions[4].type, typeBought);
    const Transaction& t = transactions[7];  // after 04-30-2006
    EXPECT_EQ(t.date, packDate("05-01-2006"));
    EXPECT_EQ(t.salesTax, 300);
    EXPECT_EQ(t.taxMode, 2);
    EXPECT_EQ(t.descrIndex, 4);
    EXPECT_EQ(selectedRow, 7);
    EXPECT_EQ(ledgerChanged, 1);

    // A number that names no transaction opens nothing, nor does a view of
    // a position the list does not have.
    EXPECT_FALSE(askTransaction(main, {typeSold, 99}));
    EXPECT_FALSE(askTransaction(main, {typeSold, -1}));
    EXPECT_FALSE(showRecordView(main, shownTransactions(), {0, 1}));
    EXPECT_FALSE(showRecordView(main, shownTransactions(), {rowCount + 1, 1}));
}

// A sale or purchase recorded at another rate than today's keeps its rate
// when it is changed: a new price is taxed as the original was, in each tax
// option. A transaction without a stored rate starts from today's.
TEST_F(RecordDialog, ChangingAPriceKeepsTheRateItWasRecordedAt) {
    struct Case {
        uint8_t type, mode;
        int32_t amount, tax;
        float rate;
        const char *rateShown, *newPrice, *taxShown;
        int32_t taxStored;
    } cases[] = {
        {typeSold, modeTaxAdded, 5500, 468, 8.5f, "8.500", "60", "5.10", 510},
        {typeSold, modeTaxIncluded, 10850, 850, 8.5f, "8.500", "217", "17.00", 1700},
        {typeBought, modeTaxAdded, 6000, 510, 8.5f, "8.500", "40", "3.40", 340},
        {typeBought, modeTaxIncluded, 10850, 850, 8.5f, "8.500", "54.25", "4.25", 425},
        {typeSold, modeResale, 4000, 0, 7.25f, "7.250", "50", "", 0},
        {typeBought, modeTaxSpecified, 1000, 99, 8.5f, "8.500", "12", "", 0},  // the typed tax is emptied
        {typeSold, modeTaxAdded, 5500, 344, 0.0f, "6.250", "60", "3.75", 375},  // no rate stored: today's
        {typePersonal, modeTaxAdded, 2000, 170, 8.5f, "8.500", "30", "2.55", 255},
    };
    LedgerImage image;
    image.descriptions = {entry(3, "Parts")};
    image.names = {entry(3, "Shop")};
    int day = 1;
    for (const Case& c : cases) {
        Transaction t = makeTransaction("03-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "-2025",
                                        c.type, 1, 1, c.amount, c.mode, c.tax);
        t.taxRate = c.rate;
        image.transactions.push_back(t);
        ++day;
    }
    startAt(1, image);
    combinedTaxRate = 0.0625;
    for (int row = 1; row <= static_cast<int>(std::size(cases)); ++row) {
        const Case& c = cases[row - 1];
        selectPosition(row);
        currentType = c.type;
        whenDialogOpens("Change product transaction", [&](HWND d) {
            EXPECT_EQ(itemText(d, 2010), c.rateShown) << row;
            pressCtrlA(d, 2006);
            typeKeys(d, 2006, c.newPrice);
            EXPECT_EQ(itemText(d, 2009), c.taxShown) << row;
            saveOrGiveUp(d);
        });
        openEntry(row);
        ASSERT_EQ(selectedRow, row);  // same date: same place
        const Transaction& t = transactions[static_cast<size_t>(row)];
        EXPECT_EQ(t.amount, parseAmount(c.newPrice)) << row;
        EXPECT_EQ(t.salesTax, c.taxStored) << row;
        EXPECT_EQ(t.taxMode, c.mode) << row;
        EXPECT_FLOAT_EQ(t.taxRate, c.rate == 0 ? 6.25f : c.rate) << row;
    }

    // A rate typed over the stored one is the one computed with and kept;
    // Add starts from today's rate.
    selectPosition(1);
    currentType = typeSold;
    whenDialogOpens("Change product transaction", [&](HWND d) {
        pressCtrlA(d, 2010);
        typeKeys(d, 2010, "9");
        EXPECT_EQ(itemText(d, 2009), "5.40");
        saveOrGiveUp(d);
    });
    openEntry(1);
    EXPECT_EQ(transactions[1].salesTax, 540);
    EXPECT_FLOAT_EQ(transactions[1].taxRate, 9.0f);
    currentType = typeSold;
    whenDialogOpens("Add new product transaction", [&](HWND d) {
        EXPECT_EQ(itemText(d, 2010), "6.250");
        cancel(d);
    });
    openEntry(0);
    EXPECT_TRUE(allDialogsHandled());
}

TEST_F(RecordDialog, MileageLabelForStoredMileageOnly) {
    startAt(3);
    currentType = typeExpense;
    whenDialogOpens("Change expense  transaction", [](HWND d) {
        HWND label = milesLabel(d);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(GetDlgCtrlID(label), 0xFFFF);
        RECT miles, amount;  // over the amount label, exactly
        GetWindowRect(label, &miles);
        GetWindowRect(GetDlgItem(d, 2005), &amount);
        EXPECT_TRUE(EqualRect(&miles, &amount));
        EXPECT_TRUE(GetWindowLongA(label, GWL_STYLE) & SS_RIGHT);
        EXPECT_EQ(itemText(d, 2006), "123.40");
        cancel(d);
    });
    openEntry(3);
    focusTransaction = 3;
    whenDialogOpens("Expense  transaction", [](HWND d) {
        EXPECT_NE(milesLabel(d), nullptr);
        cancel(d);
    });
    command(cmdFormData);
    whenDialogOpens("Add new expense  transaction", [](HWND d) {
        setItemText(d, 2003, "Mileage");
        EXPECT_EQ(milesLabel(d), nullptr);
        cancel(d);
    });
    openEntry(0);
}

// --- Record view ---

TEST_F(RecordDialog, ViewShowsTheRowAndStepsThroughTheList) {
    startAt(5);
    focusTransaction = 5;
    currentType = typeBought;
    POINT moved = {};
    whenDialogOpens("product transaction", [&](HWND d) {
        SIZE size = clientUnits(d);
        EXPECT_EQ(size.cx, 250);
        EXPECT_EQ(size.cy, 185);
        POINT origin = {0, 0}, mainOrigin = {0, 0};
        ClientToScreen(d, &origin);
        ClientToScreen(main, &mainOrigin);
        EXPECT_EQ(origin.x, mainOrigin.x);
        EXPECT_EQ(origin.y, mainOrigin.y);
        const std::pair<int, const char*> shown[] = {{2001, "03-02"}, {2002, "2006"}, {2003, "Widgets"},
                                                     {2004, "Bolt & Co"}, {2006, "10.00"}, {2009, "0.59"},
                                                     {2015, "10.00"}, {2005, "Amount:"}, {2051, "&Next"}, {2052, "&Prev"}};
        for (const auto& s : shown) EXPECT_EQ(itemText(d, s.first), s.second) << s.first;
        for (int id : {2001, 2002, 2003, 2004, 2006, 2007, 2008, 2009, 2015}) EXPECT_TRUE(readOnly(d, id)) << id;
        EXPECT_TRUE(isChecked(d, 2055));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 2055)));
        EXPECT_EQ(GetDlgItem(d, 2010), nullptr);
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 2052));
        EXPECT_TRUE(isDefaultButton(d, 2052));
        EXPECT_EQ(statusText(1), " 5 : 7");
        RECT w;
        GetWindowRect(d, &w);
        SetWindowPos(d, nullptr, w.left + 40, w.top + 32, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        moved = {0, 0};
        ClientToScreen(d, &moved);
        click(d, 2051);
    });
    whenDialogOpens("product transaction", [&](HWND d) {  // the Personal row
        POINT origin = {0, 0};
        ClientToScreen(d, &origin);
        EXPECT_NEAR(origin.x, moved.x, 1);  // kept in dialog units
        EXPECT_NEAR(origin.y, moved.y, 1);
        EXPECT_EQ(itemText(d, 2001), "03-20");
        EXPECT_TRUE(isChecked(d, 2056));
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 2051));
        EXPECT_TRUE(isDefaultButton(d, 2051));
        EXPECT_FALSE(isDefaultButton(d, 2052));
        click(d, 2051);
    });
    whenDialogOpens("Earnings transaction", [&](HWND d) {
        SIZE size = clientUnits(d);
        EXPECT_EQ(size.cy, 100);
        EXPECT_EQ(itemText(d, 2003), "Interest");
        EXPECT_EQ(statusText(1), " 7 : 7");
        click(d, 2051);  // the last row: nothing happens
        EXPECT_TRUE(IsWindowVisible(d));
        EXPECT_EQ(selectedRow, 7);
        click(d, 2052);
    });
    whenDialogOpens("product transaction", [&](HWND d) {
        EXPECT_EQ(itemText(d, 2001), "03-20");
        EXPECT_EQ(GetFocus(), GetDlgItem(d, 2052));
        cancel(d);
    });
    command(cmdFormData);
    EXPECT_EQ(selectedRow, 6);
    EXPECT_EQ(currentList->selected(), 6);
    EXPECT_EQ(currentType, typePersonal);
    EXPECT_EQ(focusTransaction, 6);  // the next fill selects the row last looked at
}

TEST_F(RecordDialog, PrevOnTheFirstRowDoesNothing) {
    startAt(1);
    focusTransaction = 1;
    currentType = typeService;
    whenDialogOpens("Service  transaction", [](HWND d) {
        EXPECT_EQ(clientUnits(d).cy, 100);
        EXPECT_EQ(itemRectUnits(d, 2003).right, 80);
        EXPECT_EQ(itemText(d, 2006), "500.00");
        click(d, 2052);
        EXPECT_EQ(selectedRow, 1);
        cancel(d);
    });
    command(cmdFormData);
    EXPECT_EQ(focusTransaction, 1);
}

}  // namespace
