// OFX statements: any bytes give a sound statement or a message, with
// every date read year first and every line within the file.
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "fuzz/statement_check.h"
#include "import/ofx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes bytes(data, data + size);
    Statement s = readOfx(bytes);
    checkSoundStatement(s, bytes);
    FUZZ_CHECK(s.lines.empty() || s.dateOrders == orderBit(DateOrder::yearMonthDay));
    return 0;
}
