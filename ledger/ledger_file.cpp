#include "ledger/ledger_file.h"

#include <algorithm>
#include <cstring>

#include "ledger/side_file.h"
#include "ledger/changes.h"
#include "ledger/settings.h"
#include "ui/prompts.h"

const char ledgerHeader[18] = "Quirvel Version 3";

// "Version" ends by byte 17, so a header is at most 19 bytes long.
static_assert(maxLedgerFileBytes >= 19 + 6 + size_t{transactionRecordBytes} * maxTransactions +
                                        (1 + maxEntryBytes) * (maxDescriptions + maxNames),
              "a load must read every byte a ledger can use");

namespace {

// Windows' OFN_* values for the save dialogs.
constexpr unsigned long ofnOverwritePrompt = 0x2, ofnHideReadOnly = 0x4, ofnNoChangeDir = 0x8;

void put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putEntry(Bytes& b, const std::string& entry) {
    // Entries are kept within maxEntryBytes by every path that makes them.
    size_t n = entry.size() > maxEntryBytes ? maxEntryBytes : entry.size();
    b.push_back(static_cast<uint8_t>(n));
    b.insert(b.end(), entry.begin(), entry.begin() + static_cast<long>(n));
}

// Reads little-endian fields; bytes past the end of the file read as zero.
class Reader {
public:
    explicit Reader(const Bytes& b) : bytes_(b) {}
    uint8_t u8() { return pos_ < bytes_.size() ? bytes_[pos_++] : (++pos_, 0); }
    uint16_t u16() {
        uint16_t lo = u8();
        return static_cast<uint16_t>(lo | (u8() << 8));
    }
    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(u8()) << (8 * i);
        return v;
    }
    std::string text(size_t n) {
        std::string s;
        s.reserve(n);
        for (size_t i = 0; i < n; ++i) s += static_cast<char>(u8());
        return s;
    }
    void seek(size_t p) { pos_ = p; }
    // Whether the next n bytes are all in the file.
    bool has(size_t n) const { return pos_ <= bytes_.size() && bytes_.size() - pos_ >= n; }
    // Whether a whole length-prefixed entry follows.
    bool hasEntry() const { return has(1) && has(1u + bytes_[pos_]); }

private:
    const Bytes& bytes_;
    size_t pos_ = 0;
};

float floatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

uint32_t bitsFromFloat(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// The ledger file as this program last read or wrote it. The content is
// kept too: a copy or sync tool can write other bytes of the same size and
// set the old time stamp back.
struct KnownFile {
    std::string path;
    FileStamp stamp;
    Bytes content;
};
KnownFile known;

KnownFile fileAsItIs(const std::string& path) {
    KnownFile f{path, fileStamp(path), {}};
    std::string error;
    if (f.stamp.exists) readWholeFile(path, f.content, error, maxLedgerFileBytes);
    return f;
}

// Whether the file at ledgerPath is no longer the one this program read or
// wrote there. One that cannot be read now counts by its stamp alone: the
// save itself will then report what is wrong.
bool changedByAnotherProgram() {
    FileStamp onDisk = fileStamp(ledgerPath);
    if (!onDisk.exists) return false;
    if (known.path != ledgerPath || onDisk != known.stamp) return true;
    Bytes now;
    std::string error;
    return readWholeFile(ledgerPath, now, error, maxLedgerFileBytes) && now != known.content;
}

std::string counted(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

Bytes encodeLedger(const LedgerImage& image) {
    Bytes b;
    b.reserve(23 + image.transactions.size() * transactionRecordBytes);
    b.insert(b.end(), ledgerHeader, ledgerHeader + 17);
    put16(b, static_cast<uint16_t>(image.transactions.size()));
    put16(b, static_cast<uint16_t>(image.descriptions.size()));
    put16(b, static_cast<uint16_t>(image.names.size()));
    for (const Transaction& t : image.transactions) {
        put16(b, t.date);
        b.push_back(t.type);
        put16(b, t.descrIndex);
        put16(b, t.nameIndex);
        put32(b, static_cast<uint32_t>(t.amount));
        put32(b, static_cast<uint32_t>(t.handling));
        put32(b, static_cast<uint32_t>(t.shipping));
        b.push_back(t.taxMode);
        put32(b, bitsFromFloat(t.taxRate));
        put32(b, static_cast<uint32_t>(t.salesTax));
        put16(b, t.reserved);
    }
    for (const auto& e : image.descriptions) putEntry(b, e);
    for (const auto& e : image.names) putEntry(b, e);
    return b;
}

DecodeResult decodeLedger(const Bytes& bytes, double combinedRate) {
    DecodeResult result;
    Reader in(bytes);
    std::string first = in.text(17);
    size_t found = first.find("Version");
    int version = 0;
    if (found == std::string::npos) {
        result.hadHeader = false;
        in.seek(0);
    } else {
        size_t headerLength = found + 1 + 8;  // through "Version", one more character and the digit
        in.seek(0);
        std::string header = in.text(headerLength);
        char digit = header.back();
        version = digit >= '0' && digit <= '9' ? digit - '0' : 0;
        if (version >= 3 && header.compare(0, 7, "Quirvel") != 0) result.status = DecodeStatus::notQuirvel;
        // No record layout is known for later versions.
        if (version >= 4) result.status = DecodeStatus::notQuirvel;
    }
    result.version = version;
    if (result.status != DecodeStatus::ok) return result;

    uint16_t n = in.u16(), d = in.u16(), m = in.u16();
    if (n > maxTransactions || d > maxDescriptions || m > maxNames) {
        result.status = DecodeStatus::notQuirvel;
        return result;
    }
    LedgerImage& image = result.image;
    image.transactions.resize(n);
    const size_t recordBytes = version == 3 ? transactionRecordBytes : oldRecordBytes;
    for (size_t i = 0; i < n; ++i) {
        if (!in.has(recordBytes)) {
            // Cut short: the lists that follow the records are gone as well.
            result.missingTransactions = static_cast<int>(n - i);
            result.missingEntries = d + m;
            image.transactions.resize(i);
            d = m = 0;
            break;
        }
        Transaction& t = image.transactions[i];
        if (version == 3) {
            t.date = in.u16();
            t.type = in.u8();
            t.descrIndex = in.u16();
            t.nameIndex = in.u16();
            t.amount = static_cast<int32_t>(in.u32());
            t.handling = static_cast<int32_t>(in.u32());
            t.shipping = static_cast<int32_t>(in.u32());
            t.taxMode = in.u8();
            t.taxRate = floatFromBits(in.u32());
            t.salesTax = static_cast<int32_t>(in.u32());
            t.reserved = in.u16();
        } else {
            t.date = in.u16();
            t.type = in.u8();
            t.descrIndex = in.u8();
            t.nameIndex = in.u16();
            t.amount = static_cast<int32_t>(in.u32());
            t.handling = static_cast<int32_t>(in.u32());
            t.shipping = static_cast<int32_t>(in.u32());
            int32_t oldTax = static_cast<int32_t>(in.u32());
            // A negative tax marked a resale; INT32_MIN has no positive twin.
            t.salesTax = oldTax < 0 ? (oldTax == INT32_MIN ? INT32_MAX : -oldTax) : oldTax;
            t.taxMode = oldTax < 0 ? modeResale : modeTaxAdded;
            t.taxRate = static_cast<float>(100.0 * combinedRate);
            t.reserved = 0;
        }
    }
    auto readEntries = [&](std::vector<std::string>& list, uint16_t& count) {
        for (uint16_t i = 0; i < count; ++i) {
            if (!in.hasEntry()) {
                result.missingEntries += count - i;
                count = i;
                return;
            }
            list.push_back(in.text(in.u8()));
        }
    };
    readEntries(image.descriptions, d);
    if (result.missingEntries) {  // the names come after the descriptions
        result.missingEntries += m;
        m = 0;
    }
    readEntries(image.names, m);

    // A reference past the end of its list would index beyond the table:
    // keep the transaction and show it without that description or name.
    for (Transaction& t : image.transactions) {
        if (t.descrIndex > d) {
            t.descrIndex = 0;
            result.badReferences = true;
        }
        if (t.nameIndex > m) {
            t.nameIndex = 0;
            result.badReferences = true;
        }
    }
    return result;
}

LedgerImage currentLedgerImage() {
    LedgerImage image;
    image.transactions.assign(transactions.begin() + 1, transactions.begin() + 1 + transactionCount);
    image.descriptions.assign(descriptions.begin() + 1, descriptions.begin() + 1 + descrCount);
    image.names.assign(names.begin() + 1, names.begin() + 1 + nameCount);
    // Line tags as positions in the image, as a file keeps them.
    image.beside = sideDataForFile(ledger.beside, transactionCount);
    return image;
}

void installLedgerImage(const LedgerImage& image) {
    transactionCount = static_cast<uint16_t>(image.transactions.size());
    for (size_t i = 0; i < image.transactions.size(); ++i) transactions[i + 1] = image.transactions[i];
    descrCount = static_cast<uint16_t>(image.descriptions.size());
    for (size_t i = 0; i < image.descriptions.size(); ++i) descriptions[i + 1] = image.descriptions[i];
    nameCount = static_cast<uint16_t>(image.names.size());
    for (size_t i = 0; i < image.names.size(); ++i) names[i + 1] = image.names[i];
    // Each transaction's tag is its position, as the image's lines name them.
    transactionTags.fill(0);
    for (size_t i = 1; i <= image.transactions.size(); ++i) transactionTags[i] = static_cast<uint32_t>(i);
    ledger.nextTag = static_cast<uint32_t>(image.transactions.size()) + 1;
    ledger.beside = image.beside;
    for (BankLine& l : ledger.beside.lines)
        if (l.tag > image.transactions.size()) l.tag = 0;
    ledger.nextScheduleId = 1;
    for (const Schedule& sc : ledger.beside.schedules) ledger.nextScheduleId = std::max(ledger.nextScheduleId, sc.id + 1);
    ledger.sideFileDamaged = false;
    // Other books: nothing before them can be undone, and as they come they
    // are the saved ones.
    startNewHistory();
    markLedgerSaved();
}

std::string damagedLedgerText(const std::string& path, int missingTransactions, int missingEntries) {
    std::string missing;
    if (missingTransactions) missing = counted(missingTransactions, "transaction", "transactions");
    if (missingTransactions && missingEntries) missing += " and ";
    if (missingEntries) missing += counted(missingEntries, "list entry", "list entries");
    return fileNameOf(path) + " is damaged: it ends before " + missing +
           ". What could be read has been loaded; save it under a new name to keep the original.";
}

bool holdsLedger(const std::string& path) {
    static const std::string mark = "Quirvel Version";
    Bytes first;
    std::string error;
    return fileExists(path) && readWholeFile(path, first, error, mark.size()) &&
           std::string(first.begin(), first.end()) == mark;
}

void rememberLedgerFile() { known = fileAsItIs(ledgerPath); }

bool loadLedger(const std::string& path) {
    Bytes bytes;
    std::string error;
    FileStamp stamp = fileStamp(path);
    if (!readWholeFile(path, bytes, error, maxLedgerFileBytes)) {
        showMessage("The file " + path + " could not be opened:\r\n" + error, "File Error", mb::ok | mb::iconStop);
        return false;
    }
    DecodeResult r = decodeLedger(bytes, combinedTaxRate);
    if (!r.hadHeader)
        showMessage("Previous version of data file will be loaded", "Quirvel", mb::ok | mb::iconInformation);
    if (r.status != DecodeStatus::ok) {
        showMessage("Not a Quirvel file type", "File Error", mb::ok | mb::iconStop);
        return false;
    }
    bool damaged = r.missingTransactions || r.missingEntries;
    if (damaged)
        showMessage(damagedLedgerText(path, r.missingTransactions, r.missingEntries), "File Error",
                    mb::ok | mb::iconExclamation);
    else if (r.badReferences)
        showMessage("Some transactions in " + path +
                        " refer to descriptions or names that the file does not hold.\r\n"
                        "They are shown without them.",
                    "File Error", mb::ok | mb::iconExclamation);
    bool sideDamaged = false;
    r.image.beside = readSideFileFor(path, bytes, static_cast<uint16_t>(r.image.transactions.size()), sideDamaged);
    installLedgerImage(r.image);
    ledger.sideFileDamaged = sideDamaged;
    settingsChanged = false;
    ledgerPath = damaged ? std::string() : path;
    known = {ledgerPath, stamp, damaged ? Bytes() : std::move(bytes)};
    return true;
}

namespace {

// After the ledger itself is written, with what identifies its bytes: a
// side file that fails leaves the save done, and the side file on disk,
// written with other bytes, is taken as hints only when the ledger is next
// opened. The user must know that.
void saveSideFile(const Bytes& ledgerBytes) {
    std::string error;
    SideFile file;
    file.hasLedger = true;
    file.ledger = identityOf(ledgerBytes);
    file.data = sideDataForFile(ledger.beside, transactionCount);
    // The one it replaces becomes its backup, beside the ledger's, so that
    // the two backups are a pair (and a side file that could not be read
    // is kept, not lost).
    if (writeSideFile(ledgerPath, file, true, error)) {
        ledger.sideFileDamaged = false;
        return;
    }
    showMessage("The ledger was saved, but the record of imported statement lines beside it could not be written to " +
                    sideFilePathFor(ledgerPath) + ":\r\n" + error +
                    "\r\nThe next save writes it again. Should the ledger be opened before that, a statement line "
                    "remembered there counts as already imported only where the books or their archives hold a "
                    "transaction of its date and amount.",
                "File Error", mb::ok | mb::iconExclamation);
}

}  // namespace

bool saveLedger() {
    if (ledgerPath.empty()) return saveLedgerAs();
    if (isOwnProgramFile(ledgerPath)) {
        showMessage(ownProgramFileText(ledgerPath), "File Error", mb::ok | mb::iconStop);
        return false;
    }
    // Another program (or another Quirvel) may have written the file since,
    // or it was missing when the ledger was opened and has come back.
    if (changedByAnotherProgram() &&
        showMessage(fileNameOf(ledgerPath) +
                        " was changed by another program since it was opened. Replace it with this version?",
                    "Save File", mb::yesNo | mb::iconExclamation) != mb::idYes)
        return false;
    std::string error;
    Bytes bytes = encodeLedger(currentLedgerImage());
    if (!writeFileSafely(ledgerPath, bytes, error, true)) {
        showMessage("The ledger could not be saved to " + ledgerPath + ":\r\n" + error +
                        "\r\nThe file on disk has not been changed.",
                    "File Error", mb::ok | mb::iconStop);
        return false;
    }
    rememberLedgerFile();
    markLedgerSaved();
    settingsChanged = true;
    saveSideFile(bytes);
    return true;
}

std::vector<std::pair<std::string, std::string>> ledgerFileFilters() {
    return {{"Business", "*.qvl"}, {"All Files", "*.*"}};
}

FileDialogRequest ledgerFileRequest(bool save, const std::string& caption, const std::string& folder,
                                    unsigned long flags) {
    FileDialogRequest request;
    request.save = save;
    request.caption = caption;
    request.folder = folder;
    request.filters = ledgerFileFilters();
    request.defaultExtension = "qvl";
    request.flags = flags;
    return request;
}

bool saveLedgerAs() {
    std::string path = prompts().fileDialog(
        ledgerFileRequest(true, "Save File", dataFolder, ofnOverwritePrompt | ofnHideReadOnly | ofnNoChangeDir));
    if (path.empty()) return false;
    // Asked while the open ledger is still the open one: its own side file
    // under another name is one of the files no ledger may replace.
    if (isOwnProgramFile(path)) {
        showMessage(ownProgramFileText(path), "File Error", mb::ok | mb::iconStop);
        return false;
    }
    std::string previous = ledgerPath;
    KnownFile previousKnown = known;
    ledgerPath = path;
    // The file dialog has already asked before replacing an existing file.
    rememberLedgerFile();
    if (saveLedger()) return true;  // the command's end shows the new name
    ledgerPath = previous;  // the new file was never written
    known = std::move(previousKnown);
    return false;
}
