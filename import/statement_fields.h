// Amounts and dates as statements write them, shared by the CSV and QIF
// readers. Both marks and every date order are read here; which one holds
// is decided once per file by the caller.
#pragma once
#include <cstdint>
#include <string>

#include "import/statement.h"

// Which decimal marks a statement amount can be read with: a mask of
// decimalPoint and decimalComma, 0 when it is no amount either way. Signs
// ("-12.50", "12.50-", "(12.50)"), currency signs ($, €, £, ¥) and
// thousands separators (the other mark, a blank or an apostrophe, between
// groups of three) are allowed. "12.50" allows only the point, "1.234,56"
// only the comma, "1,234" and "100" both.
constexpr unsigned decimalPoint = 1, decimalComma = 2;
unsigned decimalMarksOf(const std::string& text);

// Counts what a file's amounts allow and decides the mark for all of them.
struct DecimalMarkVote {
    int point = 0, comma = 0;
    void add(const std::string& text);
    // The mark that more amounts need; `fallback` when none needs either.
    char decide(char fallback) const;
};

// The amount in hundredths with the given mark ('.' or ','); digits past
// the second decimal are dropped. false with a reason ("the amount
// \"12,3x\" is not a number") when it does not read. An empty text is
// "the amount is missing".
bool readStatementAmount(const std::string& text, char mark, int64_t& cents, std::string& reason);
// The amount as written when it has digits past the cents that are not 0
// ("12.349", "0.004"), else "": a row must not be stored cut without a word.
std::string amountPastCents(const std::string& text, char mark);

// A date as written: year, month and day in some order with '/', '-', '.'
// or an apostrophe between them ("03/14/2026", "14.03.2026", "2026-03-14",
// "3/4/26", QIF's "6/ 4'18" where the apostrophe means 2000 and after), or
// eight digits year first ("20260314"). A time after a blank or a 'T' is
// ignored. Two-digit years below 80 are 20xx, others 19xx.
bool readWrittenDate(const std::string& text, WrittenDate& date);

