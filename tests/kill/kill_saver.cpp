// The other half of kill_test.sh: saves ever newer ledgers through
// saveLedger until it is killed, then checks what the kills left behind.
//   kill_saver --save FILE FIRST
//       saves ledger FIRST, FIRST + 1, ... to FILE and prints "saved N"
//       after each completed save
//   kill_saver --check FILE OLD NEW [FILE OLD NEW ...]
//       each FILE must load and be exactly ledger OLD or ledger NEW
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ledger/ledger_file.h"
#include "ui/prompts.h"

namespace {

// No one is there to answer: every message is printed and counted.
class ConsolePrompts : public Prompts {
public:
    int shown = 0;
    int message(const std::string& text, const std::string& title, unsigned) override {
        ++shown;
        std::fprintf(stderr, "message \"%s\": %s\n", title.c_str(), text.c_str());
        return mb::idOk;
    }
    std::string fileDialog(const FileDialogRequest&) override { return ""; }
    void* printDialog(unsigned long) override { return nullptr; }
    bool shellOpen(const std::string&, int) override { return false; }
    void htmlHelp(const std::string&, unsigned) override {}
};

// Ledger n: n transactions (up to the table's capacity) with lists that grow
// with it; every field depends on n, so no two versions are alike.
LedgerImage ledgerNumber(long n) {
    LedgerImage image;
    int count = static_cast<int>((n - 1) % maxTransactions) + 1;
    int descrs = count < maxDescriptions ? count : maxDescriptions;
    int nameCount = count < maxNames ? count : maxNames;
    for (int i = 1; i <= descrs; ++i)
        image.descriptions.push_back(std::string(1, static_cast<char>(1 + i % 6)) + "Description " +
                                     std::to_string(i) + " of ledger " + std::to_string(n));
    for (int i = 1; i <= nameCount; ++i)
        image.names.push_back(std::string(1, static_cast<char>(1 + i % 6)) + "Name " + std::to_string(i));
    for (int i = 1; i <= count; ++i) {
        Transaction t;
        t.date = static_cast<uint16_t>(0x3421 + i / 8);
        t.type = static_cast<uint8_t>(1 + i % 6);
        t.descrIndex = static_cast<uint16_t>(i % (descrs + 1));
        t.nameIndex = static_cast<uint16_t>(i % (nameCount + 1));
        t.amount = static_cast<int32_t>(n * 1000 + i);
        t.salesTax = static_cast<int32_t>(n % 97);
        image.transactions.push_back(t);
    }
    return image;
}

int save(const std::string& path, long first) {
    ledgerPath = path;
    rememberLedgerFile();  // carries on from the run that was killed
    for (long n = first;; ++n) {
        installLedgerImage(ledgerNumber(n));
        if (!saveLedger()) return 1;
        std::printf("saved %ld\n", n);
        std::fflush(stdout);
    }
}

// Whether the file at path, just loaded, is exactly ledger n.
bool holdsLedger(const std::string& path, const Bytes& file, long n) {
    Bytes expected = encodeLedger(ledgerNumber(n));
    return file == expected && encodeLedger(currentLedgerImage()) == expected && ledgerPath == path;
}

int check(int count, char** args, ConsolePrompts& console) {
    int bad = 0;
    for (int i = 0; i + 2 < count; i += 3) {
        std::string path = args[i];
        long older = std::atol(args[i + 1]), newer = std::atol(args[i + 2]);
        Bytes file;
        std::string error;
        bool exists = readWholeFile(path, file, error);
        int shownBefore = console.shown;
        bool loaded = exists && loadLedger(path);
        bool clean = console.shown == shownBefore;
        bool good = false;
        const char* verdict = "neither the old nor the new version";
        if (!loaded || !clean) {
            verdict = "does not load cleanly";
        } else if (holdsLedger(path, file, older)) {
            verdict = "the old version";
            good = true;
        } else if (holdsLedger(path, file, newer)) {
            verdict = "the new version";
            good = true;
        }
        if (!good) ++bad;
        std::printf("%s (%ld or %ld): %s\n", path.c_str(), older, newer, verdict);
    }
    return bad == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    static ConsolePrompts console;
    setPrompts(&console);
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--save" && argc == 4) return save(argv[2], std::atol(argv[3]));
    if (mode == "--check" && argc >= 5 && (argc - 2) % 3 == 0) return check(argc - 2, argv + 2, console);
    std::fprintf(stderr, "usage: kill_saver --save FILE FIRST | --check FILE OLD NEW ...\n");
    return 2;
}
