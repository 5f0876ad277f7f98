// What the "Import Statement" preview shows and what the user's choices do
// to it, without a window: the statement as read with the columns, date
// order and signs chosen, its rows with their proposals and marks, the
// unreadable lines among them, and the texts around the list. The dialog
// shows this model and passes each choice in.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "import/csv_reader.h"
#include "import/import_row.h"
#include "import/statement.h"
#include "import/statement_memory.h"

// What a CSV column holds, in the order of the preview's column boxes.
enum class ColumnRole : uint8_t { date, amount, debit, credit, payee, memo, balance };
constexpr int columnRoleCount = 7;

class ImportPreview {
public:
    // Reads the statement in bytes and recalls what was chosen for the last
    // statement of its kind: "" when it can be previewed, else why not.
    std::string open(const std::string& fileName, const Bytes& bytes);

    // --- The user's choices ---
    void setColumn(ColumnRole role, int column);  // -1 for none
    void setOrder(DateOrder order);
    void setFlip(bool flip);
    // False when the row cannot be checked (it breaks a rule, or its date is
    // not known yet): it stays unchecked.
    bool setChecked(int row, bool checked);
    // Every row that can be checked, or none: how many rows could not be
    // checked (they stay unchecked).
    int setAllChecked(bool checked);
    void setRowType(int row, uint8_t type);
    void setRowDescription(int row, const std::string& text) { setRowText(row, &Proposal::description, text); }
    void setRowName(int row, const std::string& text) { setRowText(row, &Proposal::name, text); }
    void setRowTaxMode(int row, uint8_t mode);
    // Percent and tax as typed; "" when taken, else why not (the row keeps
    // what it had).
    std::string setRowTaxRate(int row, const std::string& percent);
    std::string setRowSpecifiedTax(int row, const std::string& amount);

    // --- What is shown ---
    // The list's lines: rows and unreadable lines in file order. An item is
    // a row number, or -1 - n for unreadable line n.
    const std::vector<int>& items() const { return items_; }
    // Date, Amount, Payee, Type, Description, Name, Why, and Account for a
    // file that holds several accounts.
    static constexpr int columns = 8;
    int shownColumns() const { return statement_.accounts.size() > 1 ? 8 : 7; }
    std::string cellText(int item, int column) const;
    bool itemChecked(int item) const;
    const std::vector<ImportRow>& rows() const { return rows_; }
    std::string sourceText() const;
    std::string noteText() const;
    // The line under the list and whether Import can be pressed, worked
    // out together since both need the checked rows' fit.
    struct Footer {
        std::string text;
        bool canImport = false;
    };
    Footer footer() const;
    std::string footerText() const { return footer().text; }
    bool canImport() const { return footer().canImport; }
    std::string balanceText() const;
    // The orders the dates can be read in, each with its first date.
    std::vector<std::pair<DateOrder, std::string>> orderChoices() const;
    bool orderKnown() const { return orderKnown_; }
    DateOrder order() const { return order_; }
    bool flip() const { return flip_; }
    // The statement's currency when it is not the books' (US dollars), and
    // whether the user has said the amounts are to be taken as they stand.
    std::string foreignCurrency() const;
    bool currencyConfirmed() const { return currencyConfirmed_; }
    void confirmCurrency(bool confirmed) { currencyConfirmed_ = confirmed; }
    // The list's column widths the user dragged (pixels, 0 for none), kept
    // with the other choices for statements of this kind.
    const std::vector<int>& columnWidths() const { return columnWidths_; }
    void setColumnWidths(std::vector<int> widths);
    bool isCsv() const { return format_ == StatementFormat::csv && !ownExport_; }
    bool readsOwnExport() const { return ownExport_; }
    // The column boxes' choices: "(none)" as -1, then "1: Date" and so on.
    std::vector<std::pair<int, std::string>> columnChoices() const;
    int column(ColumnRole role) const;
    // The selected row's tax: the option's text, the rate and the tax as
    // stored; all "" for a row that is no product.
    std::string taxRateText(int row) const;
    std::string taxText(int row) const;

    // --- Import ---
    // Why the import cannot go ahead as the rows stand, "" when it can.
    std::string acceptRefusal() const;
    // What is remembered for the next statement of this kind.
    RememberedStatement toRemember(uint16_t today) const;
    const std::string& memoryKey() const { return key_; }
    // The rows as the user left them, and the closing balance to remember.
    std::vector<ImportRow> takeRows() { return std::move(rows_); }
    bool closingBalance(uint16_t today, RememberedBalance& balance) const;

private:
    void readStatement();
    void rebuildRows();
    void rowsChanged();
    void setRowText(int n, std::string Proposal::*field, const std::string& text);
    ImportRow* row(int n);
    const ImportRow* row(int n) const;

    std::string fileName_;
    StatementFormat format_ = StatementFormat::csv;
    bool ownExport_ = false;  // a list export of this program: read exactly
    CsvTable table_;
    CsvColumns columns_;
    Statement statement_;
    std::string key_;  // what is remembered about statements of this kind
    RememberedStatement remembered_;
    bool flip_ = false;
    bool rememberedFlip_ = false;  // the last statement of this kind had its signs turned round
    bool flipChosen_ = false;      // the user has set the box in this preview
    bool currencyConfirmed_ = false;
    bool currencyRemembered_ = false;  // taken as they stand at an earlier import of this account
    std::vector<int> columnWidths_;
    bool orderRemembered_ = false; // the date order is the one chosen for the last statement of this kind
    bool orderKnown_ = false;
    DateOrder order_ = DateOrder::monthDayYear;
    std::vector<ImportRow> rows_;
    std::vector<UnreadableLine> unreadable_;
    std::vector<int> items_;
};

// The currency the books are kept in.
extern const char* const booksCurrency;  // "USD"

// "4 March 2026": a date in words, so that the two readings of 03-04-2026
// cannot be mistaken for each other.
std::string dateInWords(uint16_t packed);
