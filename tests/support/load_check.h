// Loads a ledger file the way the Open command does, over a small ledger
// that is already open, and says what went wrong: a load must leave sound
// tables, and a refusal must say so and change nothing.
#pragma once
#include <fstream>
#include <string>

#include "ledger/changes.h"
#include "ledger/ledger_file.h"
#include "tests/support/ledger_invariants.h"
#include "tests/support/scripted_prompts.h"

struct LoadCheck {
    bool loaded = false;
    size_t messages = 0;
    std::string problem;  // "" when the load or refusal was sound
};

inline LedgerImage alreadyOpenLedger() {
    LedgerImage image;
    Transaction t;
    t.date = 0x3421;
    t.type = 1;
    t.descrIndex = 1;
    t.nameIndex = 1;
    t.amount = 4200;
    image.transactions = {t};
    image.descriptions = {"\x01" "Open"};
    image.names = {"\x01" "Owner"};
    return image;
}

inline LoadCheck loadChecked(const std::string& path, const Bytes& bytes, ScriptedPrompts& prompts) {
    const LedgerImage open = alreadyOpenLedger();
    installLedgerImage(open);
    const std::string openPath = "open.qvl";
    ledgerPath = openPath;
    markLedgerChanged();
    settingsChanged = 1;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    prompts.messages.clear();

    LoadCheck r;
    r.loaded = loadLedger(path);
    r.messages = prompts.messages.size();
    if (r.loaded) {
        r.problem = tableInvariantProblem();
        // A file cut short loads what is whole but must never be saved over.
        DecodeResult decoded = decodeLedger(bytes, combinedTaxRate);
        bool damaged = decoded.missingTransactions || decoded.missingEntries;
        if (r.problem.empty() && (ledgerPath != (damaged ? std::string() : path) || ledgerChanged != 0 ||
                                  settingsChanged != 0))
            r.problem = "a load left the path or the flags wrong";
        if (r.problem.empty() && damaged && r.messages == 0) r.problem = "a damaged file loaded without a word";
    } else {
        if (r.messages == 0) r.problem = "refused without a message";
        if (!sameImage(currentLedgerImage(), open) || ledgerPath != openPath || ledgerChanged != 1 ||
            settingsChanged != 1)
            r.problem = "a refused file changed the open ledger";
    }
    return r;
}
