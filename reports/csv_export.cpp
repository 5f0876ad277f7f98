#include "reports/csv_export.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ledger/tax_arithmetic.h"
#include "ledger/file_access.h"
#include "ledger/ledger_file.h"
#include "ledger/settings.h"
#include "ledger/tables.h"
#include "reports/tax_report.h"
#include "ui/prompts.h"

namespace {

const char byteOrderMark[] = "\xEF\xBB\xBF";
constexpr unsigned long ofnOverwritePrompt = 0x2, ofnHideReadOnly = 0x4, ofnNoChangeDir = 0x8;

// Code points of 0x80..0x9F in Windows-1252; the five unassigned bytes map
// to the control code of the same value, as Windows converts them.
const uint16_t high1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// The rate as the record holds it, in the fewest decimals that read back
// as the same float, as a spreadsheet shows a number ("7.25", "100"); an
// odd rate too small for that in exponent form. None for a rate that is no
// number (a damaged file's).
std::string rateText(float rate) {
    if (!std::isfinite(rate)) return "";
    char buf[64];
    auto same = [&buf, rate]() {
        float back = std::strtof(buf, nullptr);
        return std::memcmp(&back, &rate, sizeof rate) == 0;
    };
    for (int decimals = 0; decimals <= 9; ++decimals) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(rate));
        if (same()) return buf;
    }
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(rate));
        if (same()) break;
    }
    return buf;
}

std::string csvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + csvField(fields[i]);
    return line + "\r\n";
}

}  // namespace

std::string utf8FromWindows1252(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        unsigned c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && c < 0xA0) c = high1252[c - 0x80];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string q = "\"";
    for (char c : text) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string spreadsheetText(const std::string& text) {
    if (text.empty() || std::string("=+-@\t\r").find(text[0]) == std::string::npos) return text;
    return "'" + text;
}

std::string plainAmount(int64_t cents) {
    uint64_t magnitude = cents < 0 ? 0 - static_cast<uint64_t>(cents) : static_cast<uint64_t>(cents);
    std::string fraction = std::to_string(magnitude % 100);
    if (fraction.size() < 2) fraction = "0" + fraction;
    return (cents < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." + fraction;
}

std::string isoDate(uint16_t packed) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", (packed >> 9) + 1980, (packed >> 5) & 15, packed & 31);
    return buf;
}

std::string transactionsCsv(const std::vector<int>& transactionNumbers) {
    std::string csv = byteOrderMark;
    // Columns are only ever added at the end: the import knows an export
    // by the first eleven and reads the rest by their headings.
    csv += csvLine({"Date", "Type", "Description", "Name", "Amount", "Handling", "Shipping", "Tax", "Total",
                    "Tax mode", "Unit", "Tax rate", "Apostrophe added"});
    for (int n : transactionNumbers) {
        if (n < 1 || n > transactionCount) continue;
        const Transaction& t = transactions[static_cast<size_t>(n)];
        bool product = isProductType(t.type);
        std::string type = t.type >= 1 && t.type <= 6 ? trimmed(typeNames[t.type]) : std::string();
        std::string description = utf8FromWindows1252(descriptionText(t.descrIndex));
        std::string name = utf8FromWindows1252(nameText(t.nameIndex));
        // Which texts had an apostrophe put before them, so that one the
        // text itself begins with is told from it when the file is read.
        std::string apostrophes;
        if (spreadsheetText(description) != description) apostrophes = "Description";
        if (spreadsheetText(name) != name) apostrophes += apostrophes.empty() ? "Name" : " Name";
        // Other types have no rate, but for a record of the first ledger
        // version, which gave every record one.
        bool rated = product || t.taxRate != 0;
        csv += csvLine({isoDate(t.date), type, spreadsheetText(description), spreadsheetText(name),
                        plainAmount(t.amount), product ? plainAmount(t.handling) : "",
                        product ? plainAmount(t.shipping) : "", product ? plainAmount(t.salesTax) : "",
                        plainAmount(transactionTotal(t)), taxOptionText(t.taxMode), isMileage(t) ? "miles" : "",
                        rated ? rateText(t.taxRate) : "", apostrophes});
    }
    return csv;
}

std::string taxReportCsv() {
    std::string csv = byteOrderMark;
    for (int k = 0; k < taxReportLines; ++k)
        csv += csvLine({spreadsheetText(utf8FromWindows1252(taxReportLabels[static_cast<size_t>(k)])),
                        taxReportValues[static_cast<size_t>(k)]});
    return csv;
}

std::string exportRefusalText(const std::string& path) {
    const char* why = nullptr;
    if (!ledgerPath.empty() && sameFile(path, ledgerPath))
        why = " is the open ledger.";
    else if (!ledgerPath.empty() && sameFile(path, backupFileFor(ledgerPath)))
        why = " is the backup of the open ledger.";
    else if (isOwnProgramFile(path))
        return ownProgramFileText(path);
    else if (holdsLedger(path))
        why = " holds a Quirvel ledger.";
    if (!why) return "";
    return path + why + "\r\nAn export never replaces it: choose another name; nothing has been written.";
}

bool exportFile(const std::string& contents, const std::string& caption, const ExportFileKind& kind,
                std::string* written) {
    FileDialogRequest request;
    request.save = true;
    request.caption = caption;
    request.folder = dataFolder;
    request.filters = {{kind.filterName, kind.pattern}, {"All Files", "*.*"}};
    request.defaultExtension = kind.extension;
    request.flags = ofnOverwritePrompt | ofnHideReadOnly | ofnNoChangeDir;
    std::string path;
    // The dialog has asked before replacing a file; some files are never
    // replaced, and the user picks again.
    for (;;) {
        path = prompts().fileDialog(request);
        if (path.empty()) return false;
        std::string refusal = exportRefusalText(path);
        if (refusal.empty()) break;
        showMessage(refusal, "File Error", mb::ok | mb::iconStop);
    }
    std::string error;
    if (writeFileSafely(path, Bytes(contents.begin(), contents.end()), error)) {
        if (written) *written = path;
        return true;
    }
    showMessage("The export could not be written to " + path + ":\r\n" + error, "File Error",
                mb::ok | mb::iconStop);
    return false;
}

bool exportCsv(const std::string& csv, const std::string& caption) {
    return exportFile(csv, caption, {"CSV Files", "*.csv", "csv"});
}
