// QIF statements: any bytes give a sound statement or a message, and the
// date order holds for every line the file keeps.
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "fuzz/statement_check.h"
#include "import/qif_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes bytes(data, data + size);
    Statement s = readQif(bytes);
    checkSoundStatement(s, bytes);
    for (const StatementLine& line : s.lines) FUZZ_CHECK(line.bankId.empty());
    return 0;
}
