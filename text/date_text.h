// Dates: stored as 16-bit packed values (day bits 0-4, month 5-8,
// year-1980 9-15), shown as "MM-DD-YYYY", typed loosely.
#pragma once
#include <cstdint>
#include <string>

// The calendar year of the local clock.
int currentLocalYear();
// Today's date by the local clock, packed (0 when the clock cannot be read).
uint16_t todayPacked();

// Typed text to "MM-DD-YYYY", or "" when the date is illegal. An empty year
// field takes currentYear.
std::string normalizeDateText(const std::string& text, int currentYear);
std::string normalizeDateText(const std::string& text);

// False when the day of a "MM-DD-YYYY" text lies past the end of its month
// (February counting leap years). Day 0 and month 0 are not judged here.
bool dayFitsMonth(const std::string& fixedText);

// "MM-DD-YYYY" to a packed date; trusts its input.
uint16_t packDate(const std::string& fixedText);

// Packed date to "MM-DD-YYYY".
std::string formatDate(uint16_t packed);
