// The registry over INI files: keys by backslash path, names without regard to case, errors
// as codes, and isolation of the two roots.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "corelib/registry.h"
#include "testsupport/sandbox.h"

using namespace corelib;

namespace {

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.valid());
        hkcu_ = sandbox_.file("hkcu/user.ini");
        hklm_ = sandbox_.file("hklm/machine.ini");
        sandbox_.setSettingsFiles(hkcu_, hklm_);
    }
    testsupport::Sandbox sandbox_;
    std::string hkcu_, hklm_;
};

const char* kKey = "Software\\Kestrelmoor Software\\Bank Reconciliation";

TEST_F(RegistryTest, RootsFollowTheEnvironment) {
    EXPECT_EQ(Registry::fileFor(HKEY_CURRENT_USER), hkcu_);
    EXPECT_EQ(Registry::fileFor(HKEY_LOCAL_MACHINE), hklm_);
    unsetenv("BANKREC_HKCU");
    setenv("XDG_CONFIG_HOME", "/tmp/somewhere", 1);
    EXPECT_EQ(Registry::fileFor(HKEY_CURRENT_USER), "/tmp/somewhere/bankrec/HKEY_CURRENT_USER.ini");
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryTest, WrittenValueIsReadBackAcrossObjectsAndNamesIgnoreCase) {
    Registry w;
    ASSERT_TRUE(w.createKey(kKey));
    ASSERT_TRUE(w.writeValue("DataPath", "/srv/data, with comma"));
    ASSERT_TRUE(w.writeValue("WdwXpos", "-10", "Main"));

    Registry r;
    ASSERT_TRUE(r.openKey("software\\KESTRELMOOR SOFTWARE\\bank reconciliation\\"));
    EXPECT_EQ(r.readValue("datapath").value_or("?"), "/srv/data, with comma");
    EXPECT_EQ(r.readValue("wdwxpos", "MAIN").value_or("?"), "-10");
    EXPECT_EQ(r.subKeyNames(), std::vector<std::string>{"Main"});
    EXPECT_EQ(r.valueNames(), std::vector<std::string>{"DataPath"});

    // A write under another spelling changes the same value rather than adding one.
    ASSERT_TRUE(r.writeValue("DATAPATH", "/x"));
    EXPECT_EQ(r.valueNames().size(), 1u);
    EXPECT_EQ(r.readValue("DataPath").value_or("?"), "/x");
}

TEST_F(RegistryTest, MissingKeysAndValuesGiveErrorTwo) {
    Registry r;
    EXPECT_FALSE(r.openKey("Software\\Nobody"));
    EXPECT_EQ(r.errorCode(), RegistryNotFound);
    EXPECT_FALSE(r.errorText().empty());
    EXPECT_FALSE(r.isOpen());
    EXPECT_FALSE(r.readValue("x").has_value());
    EXPECT_EQ(r.errorCode(), RegistryNoKey);

    ASSERT_TRUE(r.createKey(kKey));
    EXPECT_FALSE(r.readValue("Missing").has_value());
    EXPECT_EQ(r.errorCode(), RegistryNotFound);
    EXPECT_FALSE(r.deleteValue("Missing"));
    EXPECT_EQ(r.errorCode(), RegistryNotFound);
}

TEST_F(RegistryTest, DeletedValueIsGoneAndOtherValuesStay) {
    Registry r;
    ASSERT_TRUE(r.createKey(kKey));
    ASSERT_TRUE(r.writeValue("A", "1"));
    ASSERT_TRUE(r.writeValue("B", "2"));
    ASSERT_TRUE(r.deleteValue("a"));
    EXPECT_FALSE(r.readValue("A").has_value());
    EXPECT_EQ(r.readValue("B").value_or("?"), "2");
}

TEST_F(RegistryTest, RootsAreSeparateFiles) {
    Registry user(HKEY_CURRENT_USER);
    ASSERT_TRUE(user.createKey("Software\\Tallyvane"));
    ASSERT_TRUE(user.writeValue("Version", "user"));
    Registry machine(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(machine.openKey("Software\\Tallyvane"));
}

TEST_F(RegistryTest, UnwritableFileReportsAccessDenied) {
    Registry r;
    ASSERT_TRUE(r.createKey(kKey));
    ASSERT_TRUE(r.writeValue("A", "1"));
    // A directory where the file should be cannot be written.
    const std::string blocked = sandbox_.file("blocked");
    std::filesystem::create_directories(blocked + "/file.ini");
    setenv("BANKREC_HKCU", (blocked + "/file.ini").c_str(), 1);
    Registry b;
    ASSERT_TRUE(b.createKey(kKey));
    EXPECT_FALSE(b.writeValue("A", "1"));
    EXPECT_EQ(b.errorCode(), RegistryAccessDenied);
}

TEST_F(RegistryTest, ValueNamesWithSlashesAreRefused) {
    Registry r;
    ASSERT_TRUE(r.createKey(kKey));
    EXPECT_FALSE(r.writeValue("a/b", "1"));
    EXPECT_EQ(r.errorCode(), RegistryBadName);
    EXPECT_FALSE(r.createKey(""));
}

}  // namespace
