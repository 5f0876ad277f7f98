// Typed dates: normalizeDateText gives the empty text or the ten-character
// form within the packable range, which packs to a date that formats, reads
// and packs again to itself.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "text/amount_text.h"
#include "text/date_text.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the current year, so an empty year field is tried
    // across the whole range and beyond it.
    int currentYear = size > 0 ? 1970 + data[0] : 2006;
    std::string typed(reinterpret_cast<const char*>(data), size);
    std::string date = normalizeDateText(typed, currentYear);
    if (!date.empty()) {
        FUZZ_CHECK(date.size() == 10 && date[2] == '-' && date[5] == '-');
        for (int i = 6; i < 10; ++i) FUZZ_CHECK(isDigit(date[i]));
        int year = std::stoi(date.substr(6));
        FUZZ_CHECK(year >= 1980 && year <= 2107);
        FUZZ_CHECK(readNumber(date.substr(0, 2)) <= 12 && readNumber(date.substr(3, 2)) <= 31);

        uint16_t packed = packDate(date);
        std::string shown = formatDate(packed);
        FUZZ_CHECK(((packed >> 9) + 1980) == year);
        if (isDigit(date[0]) && isDigit(date[1]) && isDigit(date[3]) && isDigit(date[4])) FUZZ_CHECK(shown == date);
        FUZZ_CHECK(normalizeDateText(shown, currentYear) == shown);
        FUZZ_CHECK(packDate(shown) == packed);
    }
    if (size >= 2) {
        // Any stored date formats; the legal ones read back to themselves.
        uint16_t stored = static_cast<uint16_t>(data[0] | data[1] << 8);
        std::string shown = formatDate(stored);
        FUZZ_CHECK(shown.size() == 10);
        if (((stored >> 5) & 15) <= 12) {
            FUZZ_CHECK(normalizeDateText(shown, currentYear) == shown);
            FUZZ_CHECK(packDate(shown) == stored);
        }
    }
    return 0;
}
