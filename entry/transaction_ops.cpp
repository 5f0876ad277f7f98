#include "entry/transaction_ops.h"

#include "ledger/changes.h"

int insertTransaction(const Transaction& record) { return placeTransaction(record); }

std::optional<EntryPair> deleteTransaction(int t, EntryPair kept) {
    if (t < 1 || t > transactionCount) return std::nullopt;
    offerUnusedEntryRemovalFor(t, kept);
    // The questions leave the tables as they were but for list entries:
    // t still names the transaction they asked about.
    if (t > transactionCount) return std::nullopt;
    removeTransactionAt(t);
    return kept;
}

int changeTransaction(int t, const Transaction& record) {
    std::optional<EntryPair> kept = deleteTransaction(t, {record.descrIndex, record.nameIndex});
    if (!kept) return 0;
    Transaction replacement = record;
    replacement.descrIndex = kept->descrIndex;
    replacement.nameIndex = kept->nameIndex;
    return insertTransaction(replacement);
}
