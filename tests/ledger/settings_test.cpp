#include <gtest/gtest.h>

#include "ledger/settings.h"
#include "ledger/changes.h"
#include "ledger/tables.h"
#include "ledger/window_placement.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_folder.h"

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        resetLedgerTables();
        dataFolder = folder.path();
    }
    ScriptedPrompts prompts;
    TempFolder folder;
};

TEST_F(Settings, WrittenWithSixDecimalsAndCrLf) {
    ledgerPath = "C:\\books\\shop.qvl";
    stateTaxRate = 0.0725;
    countyTaxRate = 0.01;
    localTaxRate = 0.0000004;
    districtTaxRate = 0.00125;
    ASSERT_TRUE(writeSettings());
    Bytes b = folder.read("quirvel.ini");
    EXPECT_EQ(std::string(b.begin(), b.end()), "C:\\books\\shop.qvl\r\n.0725\r\n.01\r\n0\r\n.00125\r\n");

    resetLedgerTables();
    dataFolder = folder.path();
    readSettings();
    EXPECT_EQ(ledgerPath, "C:\\books\\shop.qvl");
    EXPECT_DOUBLE_EQ(stateTaxRate, 0.0725);
    EXPECT_DOUBLE_EQ(countyTaxRate, 0.01);
    EXPECT_DOUBLE_EQ(localTaxRate, 0);
    EXPECT_DOUBLE_EQ(districtTaxRate, 0.00125);
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0.01 + 0.0725 + 0 + 0.00125);
}

TEST_F(Settings, MissingLinesAndTextReadAsEmptyOrZero) {
    decodeSettings("D:\\a.qvl\r\n.05\r\nabc\r\n");
    EXPECT_EQ(ledgerPath, "D:\\a.qvl");
    EXPECT_DOUBLE_EQ(stateTaxRate, 0.05);
    EXPECT_DOUBLE_EQ(countyTaxRate, 0);
    EXPECT_DOUBLE_EQ(localTaxRate, 0);
    EXPECT_DOUBLE_EQ(districtTaxRate, 0);
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0.05);

    decodeSettings("");
    EXPECT_EQ(ledgerPath, "");
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0);
}

// Edited by hand or copied from another system, the file may end its lines
// in LF or CR alone and start with a UTF-8 byte-order mark.
TEST_F(Settings, AnyLineEndAndAByteOrderMarkAreRead) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        for (bool mark : {false, true}) {
            SCOPED_TRACE(testing::Message() << (mark ? "with" : "without") << " mark, end " << int(end[0]));
            std::string text = std::string(mark ? "\xEF\xBB\xBF" : "") + "D:\\a.qvl" + end + ".05" + end + "0" +
                               end + ".01" + end + "0" + end;
            decodeSettings(text);
            EXPECT_EQ(ledgerPath, "D:\\a.qvl");
            EXPECT_DOUBLE_EQ(stateTaxRate, 0.05);
            EXPECT_DOUBLE_EQ(localTaxRate, 0.01);
            EXPECT_DOUBLE_EQ(combinedTaxRate, 0.06);
        }
    }
    // An editor that added its mark twice still names the same ledger, and
    // writing it back reads back the same.
    decodeSettings("\xEF\xBB\xBF\xEF\xBB\xBF" "D:\\a.qvl\r\n");
    EXPECT_EQ(ledgerPath, "D:\\a.qvl");
    decodeSettings(encodeSettings());
    EXPECT_EQ(ledgerPath, "D:\\a.qvl");
    // An empty line between others is still a line of its own.
    decodeSettings("D:\\a.qvl\r\n\r\n.03\r\n");
    EXPECT_DOUBLE_EQ(stateTaxRate, 0);
    EXPECT_DOUBLE_EQ(countyTaxRate, 0.03);
}

TEST_F(Settings, WindowPlacementFollowsTheFiveLines) {
    ledgerPath = "C:\\books\\shop.qvl";
    stateTaxRate = 0.0625;
    savedPlacement = WindowPlacement{};
    // Never moved: the file stays the five lines older readers know.
    EXPECT_EQ(encodeSettings(), "C:\\books\\shop.qvl\r\n.0625\r\n0\r\n0\r\n0\r\n");

    savedPlacement = {true, -8, 40, 1200, 900, true};
    const std::string text = encodeSettings();
    EXPECT_EQ(text, "C:\\books\\shop.qvl\r\n.0625\r\n0\r\n0\r\n0\r\n-8\r\n40\r\n1200\r\n900\r\n1\r\n");
    savedPlacement = WindowPlacement{};
    decodeSettings(text);
    EXPECT_EQ(ledgerPath, "C:\\books\\shop.qvl");
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0.0625);
    EXPECT_EQ(savedPlacement, (WindowPlacement{true, -8, 40, 1200, 900, true}));

    // LF line ends read too; a five-line file forgets an earlier placement.
    decodeSettings("a\n.05\n0\n0\n0\n10\n20\n640\n480\n0\n");
    EXPECT_EQ(savedPlacement, (WindowPlacement{true, 10, 20, 640, 480, false}));
    decodeSettings("a\r.05\r0\r0\r0\r10\r20\r640\r480\r1\r");
    EXPECT_EQ(savedPlacement, (WindowPlacement{true, 10, 20, 640, 480, true}));
    decodeSettings("a\r\n.05\r\n0\r\n0\r\n0\r\n");
    EXPECT_FALSE(savedPlacement.known);
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0.05);

    // Lines that are not a sane placement: the window opens at its own size.
    const char* bad[] = {"10\r\n20\r\n640\r\n480\r\n",           "10\r\n20\r\n0\r\n480\r\n0\r\n",
                         "10\r\n20\r\n640\r\n-480\r\n0\r\n",    "10\r\n20\r\n640\r\n480\r\n2\r\n",
                         "10\r\nx\r\n640\r\n480\r\n0\r\n",      "10\r\n20\r\n640px\r\n480\r\n0\r\n",
                         "10\r\n20\r\n9999999999\r\n480\r\n0\r\n", "10\r\n20\r\n\r\n480\r\n0\r\n"};
    for (const char* tail : bad) {
        decodeSettings(std::string("a\r\n.05\r\n0\r\n0\r\n0\r\n") + tail);
        EXPECT_FALSE(savedPlacement.known) << tail;
        EXPECT_DOUBLE_EQ(stateTaxRate, 0.05) << tail;
    }
}

TEST_F(Settings, NoFileChangesNothing) {
    ledgerPath = "";
    stateTaxRate = 0;
    readSettings();
    EXPECT_EQ(ledgerPath, "");
    EXPECT_DOUBLE_EQ(combinedTaxRate, 0);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Settings, FailedWriteKeepsTheOldFileAndSaysSo) {
    ledgerPath = "old";
    ASSERT_TRUE(writeSettings());
    Bytes before = folder.read("quirvel.ini");
    ledgerPath = "new";
    for (int k = 1; k <= 5; ++k) {
        setWriteFault(k, false);
        EXPECT_FALSE(writeSettings());
        EXPECT_EQ(folder.read("quirvel.ini"), before);
    }
    setWriteFault(0, false);
    EXPECT_EQ(prompts.messages.size(), 5u);
}

TEST(DataFolder, InstalledCopyKeepsItsSettingsInCommonAppData) {
    const std::string pf = "C:\\Program Files", common = "C:\\ProgramData";
    EXPECT_EQ(chooseDataFolder("C:\\Program Files\\Zembrik\\quirvel\\", pf, common),
              "C:\\ProgramData\\Zembrik\\quirvel\\");
    EXPECT_EQ(chooseDataFolder("c:\\PROGRAM FILES\\zembrik\\Quirvel\\", pf, common),
              "C:\\ProgramData\\Zembrik\\quirvel\\");
    EXPECT_EQ(chooseDataFolder("C:\\Program Files\\Zembrik\\quirvel\\", "C:\\Program Files\\", "C:\\ProgramData\\"),
              "C:\\ProgramData\\Zembrik\\quirvel\\");
    EXPECT_EQ(chooseDataFolder("D:\\Tools\\Quirvel\\", pf, common), "D:\\Tools\\Quirvel\\");
    EXPECT_EQ(chooseDataFolder("C:\\Program Files\\Zembrik\\quirvel\\old\\", pf, common),
              "C:\\Program Files\\Zembrik\\quirvel\\old\\");
    // Lookups that failed: the comparison fails and the program's folder serves.
    EXPECT_EQ(chooseDataFolder("D:\\Q\\", "", ""), "D:\\Q\\");
}

}  // namespace
