// Writes the starting corpus of every fuzz target: make_corpus FOLDER makes
// FOLDER/ledger, FOLDER/settings, FOLDER/side_file, FOLDER/date and
// FOLDER/amount.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/boundary_ledgers.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void writeTexts(const fs::path& folder, const std::vector<std::string>& texts) {
    fs::create_directories(folder);
    for (size_t i = 0; i < texts.size(); ++i) writeFile(folder / ("input" + std::to_string(i)), texts[i]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus FOLDER\n");
        return 2;
    }
    fs::path root = argv[1];
    fs::create_directories(root / "ledger");
    for (const BoundaryLedger& boundary : boundaryLedgers())
        writeFile(root / "ledger" / boundary.name, std::string(boundary.bytes.begin(), boundary.bytes.end()));

    writeTexts(root / "settings", {
        "C:\\books\\shop.qvl\r\n.0725\r\n.01\r\n0\r\n.00125\r\n",
        "",
        "\r\n\r\n\r\n\r\n\r\n",
        "D:\\a.qvl\n.05\nabc\n",
        "no line end",
        "C:\\x.qvl\r\n-.5\r\n6.25\r\n  +1.\r\n.0000005\r\nextra\r\nlines\r\n",
        "\r\n" + std::string(400, '9') + "\r\n-" + std::string(400, '9') + "\r\n1.2.3\r\n.\r\n",
        std::string("C:\\with\0nul\r\r\n.06\r\n", 20),
    });
    const std::string head = "Quirvel side file 2\r\n";
    writeTexts(root / "side_file", {
        head + "end 0\r\n",
        head + "ledger\t1\t23\t00112233445566ff\r\n"
               "line\t1\timported\tf\tOFX 1/2\tend 060904\t20000\t19000\t-1250\tKITE\\tHOSTING\tmemo\t1\tKite\t3\t\r\n"
               "line\t1\tleft\th\tCSV Date,Amount\t\t20000\t19001\t500\tClient\t\t2\t\t0\tC:\\old.qvl\r\n"
               "balance\t1\tOFX 1/2\t19000\t105501\t20000\r\n"
               "archive\t1\tC:\\books\\old.qvl\t18000\t20000\r\n"
               "schedule\t2\tmonthly\t1\r\n"
               "end 6\r\n",
        "Quirvel import ids 1\r\nacct/1\t20000\t19000\t1250\tAcme\tACME 123\r\n\t1\t2\t-3\t\t\r\nend 2\r\n",
        head + "line\t1\timported\t-\ts\tb\t1\t1\t1\tp\tm\t1\tn\t0\t\nend 1\n",
        head + "schedule\t1\t3\t-\t2\tOffice rent\tLandlord\t120000\t0\t0\t255\t00000000\t0\tmonths\t1\tday\t31\t1\t0"
               "\t23615\tnever\t0\t0\t23644\t23710\r\n"
               "schedule\t1\t4\th\t1\tRetainer\\tfee\t\t-5000\t0\t0\t0\t410e0000\t12\tyears\t2\tweekday\t1\t5\t5"
               "\t23615\tcount\t3\t0\t0\t-\r\n"
               "end 2\r\n",
    });
    writeTexts(root / "date", {
        "3/7", "3/7-06", "3-7-79", "3-7-80", "3,7,99", "3/7/7", "3/7/06-", "3.7-06", "13/1/06", "1/32/06",
        "0/0/06", "//06", "2/31/06", "3/7/1979", "3/7/2107", "3/7/2108", "12-31-2005", "3-231-005",
        "\"1,2\",3,2005", " 5a , 7 , 2006.6 ", "+1/+2/+3",
    });
    writeTexts(root / "amount", {
        "12.34", "-0.05", "21474836.47", "21474836.48", "-21474836.48", "-21474836.49", ".999", "  +3.",
        "1e5", "", "-", ".", "5a", std::string(400, '9'), "0.001", "12345678901234567890",
        std::string("\x01\x00\x00\x00\x00\x00\x00\x80", 8), std::string("\x00\x00\x00\x00\x00\x00\xf0\x7f", 8),
    });
    return 0;
}
