// Money and number texts: stored amounts are signed counts of hundredths.
#pragma once
#include <cstdint>
#include <string>

// While set, formatAmount writes zero as "0.00" (the tax report turns it on).
extern bool showZeroAmounts;

// The leading numeric part of a text: blanks, tabs and line breaks skipped,
// an optional sign, digits with at most one point. No number reads as 0.
double readNumber(const std::string& text);

// Typed text to hundredths. Digits past the second decimal are dropped.
// Values beyond the signed 32-bit range are clamped to it.
int32_t parseAmount(const std::string& text);

// True when the text, read as an amount, fits in a signed 32-bit count of
// hundredths (parseAmount would not have to clamp it).
bool amountFits(const std::string& text);

// How a typed amount box reads: a number, nothing at all, text that is not a
// number, or a number beyond the signed 32-bit range of hundredths.
enum class TypedAmount { number, empty, notNumber, outOfRange };

// The record dialog's strict reading of an amount box. Blanks, tabs and line
// breaks at either end are ignored; commas may only stand between groups of
// three digits of the whole part ("1,250.00"); digits past the second decimal
// are dropped. Anything else is notNumber. `cents` gets what would be stored
// and `typed` the number as written (0 for both unless number).
TypedAmount readTypedAmount(const std::string& text, int32_t& cents, double& typed);

// Hundredths to text: "12.34", "-0.05"; zero is empty unless showZeroAmounts.
std::string formatAmount(int64_t cents);

// Display masks "0.00", "0.000", "#.####", "#.######": rounded to the last
// shown decimal, an exact half (judged on 18 significant digits) to even.
std::string formatMask(double value, const std::string& mask);

// Up to 15 significant digits, with one leading blank when not negative.
std::string plainNumberText(double value);
