// ZOR_TTY: every selector with its registry values present and missing.
#include <gtest/gtest.h>

#include "corelib/registry.h"
#include "corelib/zor_tty.h"
#include "testsupport/sandbox.h"

using namespace corelib;

namespace {

class ZorTtyTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sandbox_.valid()); }
    static void put(RegistryRoot root, const std::string& key, const std::string& name,
                    const std::string& value) {
        Registry r(root);
        ASSERT_TRUE(r.createKey(key));
        ASSERT_TRUE(r.writeValue(name, value));
    }
    static std::string get(RegistryRoot root, const std::string& key, const std::string& name) {
        Registry r(root);
        if (!r.openKey(key)) return "<no key>";
        return r.readValue(name).value_or("<no value>");
    }
    testsupport::Sandbox sandbox_;
};

TEST_F(ZorTtyTest, NothingInstalledGivesNotFoundForEveryTerminal) {
    EXPECT_EQ(ZOR_TTY(0), " - ");
    EXPECT_EQ(ZOR_TTY(1), "<not found>");
    EXPECT_EQ(ZOR_TTY(2), "<not found>");
    EXPECT_EQ(ZOR_TTY(3), "<not found>");
    EXPECT_EQ(ZOR_TTY(7), "");
    EXPECT_EQ(terminalNumber(), 0);
}

TEST_F(ZorTtyTest, SelectorsReadTheirValuesAsFourDigits) {
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane", "Version", "7.17");
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane", "InstallType", "Network");
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane\\7.17", "StationID", "12");
    put(HKEY_LOCAL_MACHINE, "Software\\Micro Focus\\NetExpress\\2.0\\COBOL\\2.0\\Environment",
        "tty", "3");
    put(HKEY_CURRENT_USER, "Software\\Tallyvane\\580", "TTY", "42");
    EXPECT_EQ(ZOR_TTY(0), "7.17 - Network");
    EXPECT_EQ(ZOR_TTY(1), "0003");
    EXPECT_EQ(ZOR_TTY(2), "0012");
    EXPECT_EQ(ZOR_TTY(3), "0042");
    EXPECT_EQ(ZOR_TTY(-1), "");
}

TEST_F(ZorTtyTest, VersionIsCutToTenCharacters) {
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane", "Version", "7.17.0003-extra");
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane\\7.17.0003-", "StationID", "9");
    EXPECT_EQ(ZOR_TTY(2), "0009");
}

TEST_F(ZorTtyTest, TerminalNumberTakesTheFirstNonZeroOfThreeTwoOne) {
    put(HKEY_LOCAL_MACHINE, "Software\\Micro Focus\\NetExpress\\2.0\\COBOL\\2.0\\Environment",
        "tty", "5");
    EXPECT_EQ(terminalNumber(), 5);
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane", "Version", "7");
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane\\7", "StationID", "6");
    EXPECT_EQ(terminalNumber(), 6);
    put(HKEY_CURRENT_USER, "Software\\Tallyvane\\580", "TTY", "0");
    EXPECT_EQ(terminalNumber(), 6);  // "0000" counts as none
    put(HKEY_CURRENT_USER, "Software\\Tallyvane\\580", "TTY", "8");
    EXPECT_EQ(terminalNumber(), 8);
}

TEST_F(ZorTtyTest, MinusThreeCopiesTheUserTerminalToTheStationWhenTheKeyExists) {
    put(HKEY_CURRENT_USER, "Software\\Tallyvane\\580", "TTY", "77");
    // No version key yet: nothing is written, the answer is still the user's terminal.
    EXPECT_EQ(ZOR_TTY(-3), "0077");
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, "Software\\Tallyvane\\7.17", "StationID"), "<no key>");

    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane", "Version", "7.17");
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane\\7.17", "StationID", "1");
    EXPECT_EQ(ZOR_TTY(-3), "0077");
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, "Software\\Tallyvane\\7.17", "StationID"), "0077");
    EXPECT_EQ(ZOR_TTY(2), "0077");
}

TEST_F(ZorTtyTest, MinusThreeWithoutUserTerminalWritesNotFound) {
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane", "Version", "7.17");
    put(HKEY_LOCAL_MACHINE, "Software\\Tallyvane\\7.17", "StationID", "1");
    EXPECT_EQ(ZOR_TTY(-3), "<not found>");
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, "Software\\Tallyvane\\7.17", "StationID"), "<not found>");
}

}  // namespace
