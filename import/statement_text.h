// Statement text to the program's own code page (Windows-1252).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "ledger/file_access.h"

// No statement is read past this many bytes: a longer file is refused with
// a message before anything is parsed.
constexpr size_t maxStatementBytes = 16u << 20;

struct DecodedText {
    std::string text;  // Windows-1252; characters it lacks become '?'
    std::string note;  // "" or what the preview should say about the decoding
};

// Honours `declared` ("UTF-8", "1252", "ISO-8859-1", "USASCII"... as OFX
// CHARSET gives it, "" for none) when the bytes fit it; otherwise UTF-8 (a
// BOM is dropped), then Windows-1252, saying so in the note. NUL bytes
// become blanks. UTF-16 is read by its byte order mark, or without one
// where every other byte is zero; `declared` cannot say otherwise.
DecodedText decodeStatementText(const Bytes& bytes, const std::string& declared = "");

// The character a code point is in Windows-1252, '?' where it has none.
char windows1252Char(uint32_t codePoint);

// Why these bytes cannot be a statement at all, checked before any reader
// parses them: larger than maxStatementBytes, empty, or binary (a
// spreadsheet workbook, a PDF, a program). "" when they may be one.
std::string statementFileProblem(const Bytes& bytes);
