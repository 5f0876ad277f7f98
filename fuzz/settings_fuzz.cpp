// The settings reader on any text: it never fails, and what it reads is
// written and read back as the same path and, within the six decimals the
// file keeps, the same rates; a second round changes nothing.
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "ledger/settings.h"
#include "ledger/tables.h"

namespace {

struct Read {
    std::string path;
    double rates[4];
};

Read current() { return {ledgerPath, {stateTaxRate, countyTaxRate, localTaxRate, districtTaxRate}}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    decodeSettings(std::string(reinterpret_cast<const char*>(data), size));
    Read first = current();
    FUZZ_CHECK(first.path.find('\n') == std::string::npos);
    FUZZ_CHECK(combinedTaxRate == countyTaxRate + stateTaxRate + localTaxRate + districtTaxRate ||
               std::isnan(combinedTaxRate));

    std::string written = encodeSettings();
    decodeSettings(written);
    Read second = current();
    FUZZ_CHECK(second.path == first.path);
    for (int i = 0; i < 4; ++i) {
        double r = first.rates[i];
        // Half a millionth from rounding to six decimals, and the double's
        // own error at that size.
        if (std::isfinite(r) && std::fabs(r) < 1e9)
            FUZZ_CHECK(std::fabs(second.rates[i] - r) <= 5e-7 + std::fabs(r) * 1e-15 * 4);
    }
    FUZZ_CHECK(encodeSettings() == written);
    return 0;
}
