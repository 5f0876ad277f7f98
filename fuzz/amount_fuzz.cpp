// Amount texts: reading any text is safe, and a stored amount shown as text
// reads back as itself (or as the nearest end of the 32-bit range).
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "fuzz/fuzz_check.h"
#include "text/amount_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string typed(reinterpret_cast<const char*>(data), size);
    int32_t cents = parseAmount(typed);
    double number = readNumber(typed);
    bool fits = amountFits(typed);
    if (!fits) FUZZ_CHECK(cents == std::numeric_limits<int32_t>::max() || cents == std::numeric_limits<int32_t>::min());
    for (const char* mask : {"0.00", "0.000", "#.####", "#.######"}) FUZZ_CHECK(!formatMask(number, mask).empty());
    int32_t strict = 0;
    double asTyped = 0;
    if (readTypedAmount(typed, strict, asTyped) != TypedAmount::number) FUZZ_CHECK(strict == 0 && asTyped == 0);
    std::string shown = formatAmount(cents);
    FUZZ_CHECK(parseAmount(shown) == cents);
    FUZZ_CHECK(readTypedAmount(shown, strict, asTyped) == (cents ? TypedAmount::number : TypedAmount::empty));
    FUZZ_CHECK(strict == cents);
    FUZZ_CHECK(formatAmount(parseAmount(shown)) == shown);

    if (size >= 8) {
        int64_t wide;
        std::memcpy(&wide, data, sizeof wide);
        int32_t narrow = static_cast<int32_t>(wide);
        FUZZ_CHECK(parseAmount(formatAmount(narrow)) == narrow);
        int64_t clamped = wide > std::numeric_limits<int32_t>::max()   ? std::numeric_limits<int32_t>::max()
                          : wide < std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::min()
                                                                       : wide;
        FUZZ_CHECK(parseAmount(formatAmount(wide)) == clamped);
        double bits;
        std::memcpy(&bits, data, sizeof bits);  // NaN, infinities and denormals too
        for (const char* mask : {"0.00", "0.000", "#.####", "#.######"}) FUZZ_CHECK(!formatMask(bits, mask).empty());
    }
    return 0;
}
