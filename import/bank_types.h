// What a bank says a statement line is, and the words banks put beside a
// line: read so that a proposal can use them, and so that none of them ends
// up in the user's lists as a description.
#pragma once
#include <cstdint>
#include <string>

enum class BankKind : uint8_t {
    unknown,   // nothing said, or a word that says nothing of the business (POS, OTHER)
    moneyIn,   // a deposit or credit: what money in is anyway
    moneyOut,  // a debit, a check, a purchase: what money out is anyway
    earning,   // interest or dividends paid to the account
    fee,       // a fee, a service charge, interest charged
    transfer,  // the business's own money moving: a transfer, cash, a card paid off
    payment,   // a payment: money in, a card's balance paid off; money out, a bill paid
};

// The kind of a bank's type word: an OFX TRNTYPE ("INT", "SRVCHG") or a CSV
// type column's text ("Interest Paid", "ACH_CREDIT", "Payment Thank You").
// Letter case, blanks and punctuation do not matter; a text of several
// words is read by the first phrase it holds of a fixed list, so that
// "Interest Charge" is a fee and "ATM Fee" a fee, not cash.
BankKind bankKind(const std::string& bankType);

// Whether the bank's memo of a line says something its payee, the name it
// is to be booked under and the bank's type word do not, and so may be the
// line's description. It does not when, letter case and blanks aside:
//  - it is empty, the same as the payee or the name, or held in one of them,
//    or holds a payee of four characters or more ("CAFE LUNA 0311" of
//    "CAFE LUNA");
//  - it holds more than half of the payee's or the name's own words (those
//    of three letters or more but for the words banks put beside a line):
//    another spelling of the payee, "CAFE LUNA AUSTIN" of "SQ *CAFE LUNA",
//    while "Office internet" says more than "Telstream Internet";
//  - it has no word of two letters or more (digits in a word make it a
//    code) besides the bank's type words and the words banks put beside a
//    line: "REF 00012345", "POS 1234", "ONLINE TRANSFER TO SAV", "Interest Paid";
//  - it is a place as a bank writes it: all capitals, ending in a state's
//    two letters and perhaps a ZIP ("AUSTIN TX 78701", "800-555-0199 CA").
bool memoSaysMore(const std::string& memo, const std::string& payee, const std::string& name,
                  const std::string& bankType);
