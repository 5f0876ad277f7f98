#include "import/statement_text.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace {

// Windows-1252 0x80..0x9F; 0 where the code page leaves a byte undefined.
const uint16_t high1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

enum class Charset { none, utf8, windows1252, ascii };

Charset charsetNamed(const std::string& declared) {
    std::string name;
    for (char c : declared)
        if (c != '-' && c != '_' && c != ' ') name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name == "UTF8") return Charset::utf8;
    if (name == "1252" || name == "WINDOWS1252" || name == "CP1252" || name == "ISO88591" || name == "88591" ||
        name == "LATIN1" || name == "ISOLATIN1")
        return Charset::windows1252;
    if (name == "USASCII" || name == "ASCII") return Charset::ascii;
    return Charset::none;
}

// The code point of the UTF-8 sequence at i, advancing i; -1 when the bytes
// there are no valid UTF-8 (overlong forms and surrogates included).
long nextUtf8(const Bytes& b, size_t& i) {
    uint8_t c = b[i];
    if (c < 0x80) return b[i++];
    int extra;
    long cp, least;
    if (c >= 0xC2 && c <= 0xDF) extra = 1, cp = c & 0x1F, least = 0x80;
    else if (c >= 0xE0 && c <= 0xEF) extra = 2, cp = c & 0x0F, least = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) extra = 3, cp = c & 0x07, least = 0x10000;
    else return -1;
    if (i + extra >= b.size()) return -1;
    for (int k = 1; k <= extra; ++k) {
        uint8_t d = b[i + k];
        if ((d & 0xC0) != 0x80) return -1;
        cp = cp << 6 | (d & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    i += extra + 1;
    return cp;
}

bool validUtf8(const Bytes& b, size_t from) {
    for (size_t i = from; i < b.size();)
        if (nextUtf8(b, i) < 0) return false;
    return true;
}

bool allAscii(const Bytes& b) {
    return std::all_of(b.begin(), b.end(), [](uint8_t c) { return c < 0x80; });
}

struct Decoder {
    DecodedText out;
    size_t lacking = 0;
    void put(uint32_t cp) {
        if (cp == 0) {
            out.text += ' ';
            return;
        }
        char c = windows1252Char(cp);
        if (c == '?' && cp != '?') ++lacking;
        out.text += c;
    }
    DecodedText finish(const std::string& note) {
        out.note = note;
        if (lacking) {
            if (!out.note.empty()) out.note += ' ';
            out.note += std::to_string(lacking) + (lacking == 1 ? " character" : " characters") +
                        " that Windows-1252 lacks " + (lacking == 1 ? "is" : "are") + " shown as ?.";
        }
        return std::move(out);
    }
};

DecodedText fromUtf8(const Bytes& b, size_t from, const std::string& note) {
    Decoder d;
    d.out.text.reserve(b.size() - from);
    for (size_t i = from; i < b.size();) d.put(static_cast<uint32_t>(nextUtf8(b, i)));
    return d.finish(note);
}

DecodedText from1252(const Bytes& b, size_t from, const std::string& note) {
    DecodedText out;
    out.text.assign(b.begin() + static_cast<std::ptrdiff_t>(from), b.end());
    std::replace(out.text.begin(), out.text.end(), '\0', ' ');
    out.note = note;
    return out;
}

DecodedText fromUtf16(const Bytes& b, bool bigEndian, size_t from, const std::string& note) {
    Decoder d;
    d.out.text.reserve(b.size() / 2);
    auto unit = [&](size_t i) -> uint32_t {
        return bigEndian ? (b[i] << 8 | b[i + 1]) : (b[i + 1] << 8 | b[i]);
    };
    for (size_t i = from; i + 1 < b.size(); i += 2) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < b.size()) {
            uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                d.put(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        // A lone surrogate is a character lost, counted like any other.
        d.put(u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
    }
    return d.finish(note);
}

Bytes headOf(const Bytes& b, size_t length) {
    return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(std::min(b.size(), length)));
}

enum class Utf16 { no, littleEndian, bigEndian };

bool startsWith(const Bytes& b, std::initializer_list<uint8_t> magic) {
    return b.size() >= magic.size() && std::equal(magic.begin(), magic.end(), b.begin());
}

bool hasUtf16Mark(const Bytes& b) { return startsWith(b, {0xFF, 0xFE}) || startsWith(b, {0xFE, 0xFF}); }

// UTF-16 without a byte order mark, only where it is plain: text of the
// Latin alphabet leaves every other byte zero, which no 8-bit text does.
Utf16 unmarkedUtf16(const Bytes& b) {
    size_t units = std::min<size_t>(b.size(), 4096) / 2;
    if (units < 4) return Utf16::no;
    size_t evenZero = 0, oddZero = 0, bothZero = 0;
    for (size_t k = 0; k < units; ++k) {
        bool even = b[2 * k] == 0, odd = b[2 * k + 1] == 0;
        if (even && odd) ++bothZero;
        else if (even) ++evenZero;
        else if (odd) ++oddZero;
    }
    if (bothZero * 100 > units) return Utf16::no;
    if (oddZero * 10 >= units * 9) return Utf16::littleEndian;
    if (evenZero * 10 >= units * 9) return Utf16::bigEndian;
    return Utf16::no;
}

const char notUtf8[] = "The file is not UTF-8: read as Windows-1252.";
const char unmarkedNote[] = "The file is UTF-16 without a byte order mark: read as UTF-16.";

// A stray NUL or two is damage in a text; many control bytes are no text.
std::string controlsProblem(const Bytes& bytes) {
    size_t sample = std::min<size_t>(bytes.size(), 65536), controls = 0;
    for (size_t i = 0; i < sample; ++i) {
        uint8_t c = bytes[i];
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v' && c != 0x1A) ++controls;
    }
    if (controls > 8 && controls * 100 > sample)
        return "The file holds binary data, not the text of a statement.";
    return "";
}

}  // namespace

char windows1252Char(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int k = 0; k < 32; ++k)
        if (high1252[k] == cp) return static_cast<char>(0x80 + k);
    if (cp == 0x2212) return '-';                                      // the minus sign
    if ((cp >= 0x2000 && cp <= 0x200A) || cp == 0x202F) return '\xA0';  // thin and narrow spaces
    return '?';
}

DecodedText decodeStatementText(const Bytes& bytes, const std::string& declared) {
    size_t n = bytes.size();
    if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return fromUtf16(bytes, false, 2, "");
    if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return fromUtf16(bytes, true, 2, "");
    switch (unmarkedUtf16(bytes)) {
    case Utf16::littleEndian: return fromUtf16(bytes, false, 0, unmarkedNote);
    case Utf16::bigEndian: return fromUtf16(bytes, true, 0, unmarkedNote);
    case Utf16::no: break;
    }
    if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return validUtf8(bytes, 3) ? fromUtf8(bytes, 3, "") : from1252(bytes, 3, notUtf8);
    if (allAscii(bytes)) return from1252(bytes, 0, "");
    bool utf8 = validUtf8(bytes, 0);
    switch (charsetNamed(declared)) {
    case Charset::utf8:
        return utf8 ? fromUtf8(bytes, 0, "")
                    : from1252(bytes, 0, "The file says it is UTF-8 but is not: read as Windows-1252.");
    case Charset::windows1252:
        // UTF-8 text almost never reads as real Windows-1252 text by chance.
        return utf8 ? fromUtf8(bytes, 0, "The file says it is " + declared + " but is UTF-8: read as UTF-8.")
                    : from1252(bytes, 0, "");
    case Charset::ascii:
        return utf8 ? fromUtf8(bytes, 0, "The file says it is " + declared + " but is UTF-8: read as UTF-8.")
                    : from1252(bytes, 0, "The file says it is " + declared + " but is not: read as Windows-1252.");
    case Charset::none: break;
    }
    return utf8 ? fromUtf8(bytes, 0, "") : from1252(bytes, 0, notUtf8);
}

std::string statementFileProblem(const Bytes& bytes) {
    if (bytes.size() > maxStatementBytes)
        return "The file is larger than " + std::to_string(maxStatementBytes >> 20) +
               " MB: it is not a statement this program can read.";
    if (bytes.empty()) return "The file is empty.";
    // A workbook of today (a zip archive) or of old (a compound document).
    if (startsWith(bytes, {'P', 'K', 0x03, 0x04}) ||
        startsWith(bytes, {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}))
        return "The file is a spreadsheet workbook, not the text of a statement: save it as CSV first.";
    if (startsWith(bytes, {'%', 'P', 'D', 'F'}))
        return "The file is a PDF document: read the bank's CSV, OFX or QIF download instead.";
    // Half the bytes of UTF-16 text are zeros: its characters are what count.
    if (hasUtf16Mark(bytes) || unmarkedUtf16(bytes) != Utf16::no) {
        std::string head = decodeStatementText(headOf(bytes, 131072)).text;
        return controlsProblem(Bytes(head.begin(), head.end()));
    }
    return controlsProblem(bytes);
}
