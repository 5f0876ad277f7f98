// The side file reader on any bytes: it never fails, and what it reads is
// written and read back as the same records; a second round changes nothing.
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "ledger/schedules.h"
#include "ledger/side_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SideFile first;
    if (!decodeSideFile(Bytes(data, data + size), first)) {
        FUZZ_CHECK(first.data.empty() && !first.hasLedger);
        return 0;
    }
    FUZZ_CHECK(first.data.lines.size() <= maxSideRecords);
    for (const BankLine& l : first.data.lines)
        FUZZ_CHECK(l.scope.size() <= maxSideText && l.bankId.size() <= maxSideText && l.payee.size() <= maxSideText &&
                   l.memo.size() <= maxSideText && l.occurrence >= 1);

    Bytes written = encodeSideFile(first);
    SideFile second;
    FUZZ_CHECK(decodeSideFile(written, second));
    FUZZ_CHECK(second.hasLedger == first.hasLedger && second.ledger == first.ledger);
    FUZZ_CHECK(second.data.lines.size() == first.data.lines.size());
    FUZZ_CHECK(second.data.balances.size() == first.data.balances.size());
    FUZZ_CHECK(second.data.archives.size() == first.data.archives.size());
    FUZZ_CHECK(second.data.otherRecords == first.data.otherRecords);
    FUZZ_CHECK(second.data.tax == first.data.tax);
    for (const TaxLineAssignment& a : first.data.tax.assignments)
        FUZZ_CHECK(a.group >= 1 && a.text.size() <= maxSideText && !a.line.empty());
    FUZZ_CHECK(second.data.schedules == first.data.schedules);
    for (const Schedule& sc : first.data.schedules)
        FUZZ_CHECK(sc.id >= 1 && scheduleProblem(sc).empty());
    for (size_t i = 0; i < first.data.lines.size(); ++i) {
        const BankLine &a = first.data.lines[i], &b = second.data.lines[i];
        FUZZ_CHECK(a.status == b.status && a.scope == b.scope && a.bankId == b.bankId && a.importedOn == b.importedOn &&
                   a.date == b.date && a.amount == b.amount && a.flipped == b.flipped && a.payee == b.payee &&
                   a.memo == b.memo && a.occurrence == b.occurrence && a.name == b.name && a.tag == b.tag &&
                   a.archivedTo == b.archivedTo && a.hint == b.hint && a.legacy == b.legacy);
    }
    FUZZ_CHECK(encodeSideFile(second) == written);
    return 0;
}
