// What every statement a reader returns must satisfy, whatever the bytes:
// the fuzz targets check it, and so do the host tests for the inputs kept
// in tests/import/regressions.
#pragma once
#include <algorithm>
#include <string>

#include "fuzz/fuzz_check.h"

#include "import/statement.h"

// "" when the statement is sound for these bytes, else what is wrong.
inline std::string statementProblem(const Statement& s, const Bytes& bytes) {
    if (!s.error.empty()) return s.lines.empty() && s.unreadable.empty() ? "" : "an error with lines";
    // Every line break counts, and a lone carriage return is one too.
    int lines = 1;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) ++lines;
    auto plain = [](const std::string& text) {
        for (char c : text)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
        return text.empty() || (text.front() != ' ' && text.back() != ' ');
    };
    const int64_t largest = 100000000000000000;  // 15 digits and the cents
    int previous = 0;
    for (const StatementLine& line : s.lines) {
        if (line.line < 1 || line.line > lines) return "line number " + std::to_string(line.line) + " outside the file";
        if (line.line < previous) return "lines out of the file's order";
        previous = line.line;
        if (line.amount <= -largest || line.amount >= largest) return "amount out of range";
        if (line.hasBalance && (line.balance <= -largest || line.balance >= largest)) return "balance out of range";
        if (!plain(line.payee) || !plain(line.memo) || !plain(line.bankId) || !plain(line.bankType) ||
            !plain(line.account))
            return "a text with controls or blanks";
        // A line names its account only in a file of several.
        if (!line.account.empty() &&
            std::find(s.accounts.begin(), s.accounts.end(), line.account) == s.accounts.end())
            return "line " + std::to_string(line.line) + " of an account the file does not list";
        for (DateOrder o : {DateOrder::monthDayYear, DateOrder::dayMonthYear, DateOrder::yearMonthDay})
            if ((s.dateOrders & orderBit(o)) && dateInOrder(line.date, o) == 0)
                return "line " + std::to_string(line.line) + " has no date as " + dateOrderName(o);
    }
    if ((s.dateOrders & ~allDateOrders) || (s.lines.empty() != (s.dateOrders == 0))) return "date orders";
    if (s.accounts.size() == 1 || (!s.accounts.empty() && !s.account.empty()))
        return "accounts listed for a file of one account";
    for (size_t i = 0; i < s.accounts.size(); ++i)
        if (std::find(s.accounts.begin() + static_cast<std::ptrdiff_t>(i) + 1, s.accounts.end(), s.accounts[i]) !=
            s.accounts.end())
            return "an account listed twice";
    auto lowerCase = [](char c) { return c >= 'a' && c <= 'z'; };
    if (!plain(s.currency) || std::any_of(s.currency.begin(), s.currency.end(), lowerCase))
        return "a currency not in upper case";
    previous = 0;
    for (const UnreadableLine& u : s.unreadable) {
        if (u.line < 1 || u.line > lines) return "unreadable line " + std::to_string(u.line) + " outside the file";
        if (u.line < previous) return "unreadable lines out of order";
        if (u.reason.empty()) return "no reason";
        if (!plain(u.date) || !plain(u.amount) || !plain(u.payee))
            return "an unreadable line's text with controls or blanks";
        previous = u.line;
    }
    return "";
}

// In a fuzz target: the statement is sound, or what is wrong is said and
// the run stops.
inline void checkSoundStatement(const Statement& s, const Bytes& bytes) {
    std::string problem = statementProblem(s, bytes);
    if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
    FUZZ_CHECK(problem.empty());
}
