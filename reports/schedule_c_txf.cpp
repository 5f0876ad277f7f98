#include "reports/schedule_c_txf.h"

#include <cstdio>

namespace {

const char* const crlf = "\r\n";

// "-668.00": plain digits, no thousands separators.
std::string txfAmount(int64_t cents) {
    bool negative = cents < 0;
    uint64_t v = negative ? 0 - static_cast<uint64_t>(cents) : static_cast<uint64_t>(cents);
    char text[32];
    std::snprintf(text, sizeof text, "%s%llu.%02u", negative ? "-" : "", static_cast<unsigned long long>(v / 100),
                  static_cast<unsigned>(v % 100));
    return text;
}

// The format is ASCII, a field a line: other characters become '?', and
// control characters blanks, so no text can start another field.
std::string txfText(const std::string& text) {
    std::string out;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        out += u < 32 || u == 127 ? ' ' : u > 127 ? '?' : c;
    }
    return out;
}

void record(std::string& out, int ref, int64_t cents, const std::string* description) {
    out += "TS" + std::string(crlf) + "N" + std::to_string(ref) + crlf + "C1" + crlf + "L1" + crlf + "$" +
           txfAmount(cents) + crlf;
    if (description) out += "P" + txfText(*description) + crlf;
    out += std::string("^") + crlf;
}

bool isExpense(const WorksheetLine& l) {
    TaxLineUse u = l.line->use;
    // Returns and purchases are money going out too.
    return u == TaxLineUse::expense || std::string_view(l.line->key) == "returns" ||
           std::string_view(l.line->key) == "purchases";
}

}  // namespace

std::string worksheetTxf(const ScheduleC& c, const std::string& exportDate) {
    std::string out = std::string("V042") + crlf + "AQuirvel" + crlf + "D" + exportDate + crlf + "^" + crlf;
    for (const WorksheetLine& l : c.lines) {
        if (l.line->txf == 0 || l.amount == 0) continue;
        int64_t sign = isExpense(l) ? -1 : 1;
        if (std::string_view(l.line->key) == "otherExpenses") {
            // Described one by one, as line 48 lists them.
            for (const WorksheetItem& i : l.items)
                if (i.amount != 0) record(out, l.line->txf, -i.amount, &i.label);
            continue;
        }
        record(out, l.line->txf, sign * l.amount, nullptr);
    }
    return out;
}

std::vector<std::string> linesTxfLeavesOut(const ScheduleC& c) {
    std::vector<std::string> codes;
    for (const WorksheetLine& l : c.lines) {
        bool carried = l.line->use == TaxLineUse::income || l.line->use == TaxLineUse::expense ||
                       l.line->use == TaxLineUse::typedIn || l.line->use == TaxLineUse::miles;
        if (carried && l.line->txf == 0 && l.amount != 0) codes.push_back(l.line->code);
    }
    return codes;
}
