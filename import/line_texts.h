// How the texts of statement lines are kept and compared: as a box shows
// them, cut to what a side file keeps, folded so that lookups can hash; keys
// of several fields; the money of a book transaction as a statement shows it.
#pragma once
#include <cstdint>
#include <string>

#include "ledger/tables.h"

// A text as a box shows it: no control characters, no blanks at the ends.
std::string cleanText(const std::string& text);
// What a remembered line keeps of a bank's text: its start.
std::string keptText(const std::string& text);
std::string keptClean(const std::string& text);  // keptText(cleanText(text))
// One key per spelling that sameTextIgnoringCase takes as equal.
std::string folded(const std::string& text);

bool isMoneyIn(int type);  // Service, Sold and Earnings
// The signed money of a book transaction as a statement shows it.
int64_t statementMoney(const Transaction& t);

// A key of texts and numbers that no two different tuples share.
// A key of texts and numbers that no two different tuples share.
class Key {
public:
    Key& text(const std::string& t) {
        key_ += std::to_string(t.size()) + ':' + t;
        return *this;
    }
    Key& number(int64_t n) {
        key_ += std::to_string(n) + ';';
        return *this;
    }
    const std::string& str() const { return key_; }

private:
    std::string key_;
};

