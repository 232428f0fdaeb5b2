// Remembered window places: the restore rules, and a real window saved and restored through
// the program's registry key; the registry-settings object's error texts.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QWidget>

#include "bankrec/shell/registry_settings.h"
#include "bankrec/shell/ui/window_place.h"
#include "bankrec/shell/window_place_rules.h"
#include "corelib/globals.h"
#include "shell_fixture.h"

using namespace corelib;
using namespace shell;

namespace {

TEST(WindowPlaceRules, NegativeBecomesFiftyZeroIsLeftAlone) {
    const PlacePlan p = planRestore({"-20", "0", "300", "200", "No"}, true);
    EXPECT_EQ(p.x, 50);
    EXPECT_FALSE(p.y.has_value());
    EXPECT_EQ(p.width, 300);
    EXPECT_EQ(p.height, 200);
    EXPECT_FALSE(p.maximize);
}

TEST(WindowPlaceRules, SizeOnlyForResizableWindowsAndMaximizeOnlyOnYes) {
    const PlacePlan fixed = planRestore({"10", "-1", "300", "200", "yes"}, false);
    EXPECT_EQ(fixed.x, 10);
    EXPECT_EQ(fixed.y, 50);
    EXPECT_FALSE(fixed.width.has_value());
    EXPECT_FALSE(fixed.height.has_value());
    EXPECT_TRUE(fixed.maximize);
    const PlacePlan empty = planRestore({}, true);
    EXPECT_FALSE(empty.x || empty.y || empty.width || empty.height || empty.maximize);
    EXPECT_FALSE(planRestore({"", "", "", "", "Y"}, true).maximize);
}

class WindowPlaceTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        glo_ApplicationName = "Bank Reconciliation";
    }
    static std::string value(const std::string& name) {
        RegistrySettings reg = RegistrySettings::forProgram();
        return reg.getValue(name, "<none>", "BrowseAPbac");
    }
};

TEST_F(WindowPlaceTest, SavedPlaceComesBackAndNegativePositionOpensAtFifty) {
    {
        QWidget w;
        w.setGeometry(120, 80, 400, 300);
        WindowPlace::save(&w, "BrowseAPbac");
    }
    EXPECT_EQ(value("WdwMaximize"), "No");
    EXPECT_EQ(value("WdwWidth"), "400");
    EXPECT_EQ(value("WdwHeight"), "300");
    EXPECT_EQ(value("CompileDate").size(), 10u);  // mm/dd/yyyy
    EXPECT_NE(value("CompileTime"), "<none>");

    RegistrySettings reg = RegistrySettings::forProgram();
    ASSERT_TRUE(reg.setValue("WdwXpos", "-300", "BrowseAPbac"));
    QWidget w;
    w.setGeometry(0, 0, 100, 100);
    WindowPlace::restore(&w, "BrowseAPbac");
    EXPECT_EQ(w.x(), 50);
    EXPECT_EQ(w.width(), 400);
    EXPECT_EQ(w.height(), 300);
}

TEST_F(WindowPlaceTest, FixedSizeWindowKeepsItsSize) {
    RegistrySettings reg = RegistrySettings::forProgram();
    ASSERT_TRUE(reg.setValue("WdwWidth", "640", "BrowseAPbac"));
    ASSERT_TRUE(reg.setValue("WdwHeight", "480", "BrowseAPbac"));
    QWidget w;
    w.setFixedSize(200, 100);
    WindowPlace::restore(&w, "BrowseAPbac");
    EXPECT_EQ(w.size(), QSize(200, 100));
}

TEST_F(WindowPlaceTest, MaximizedWindowIsSavedWithItsNormalGeometry) {
    QWidget w;
    w.setGeometry(30, 40, 320, 240);
    w.show();
    w.showMaximized();
    WindowPlace::save(&w, "BrowseAPbac");
    EXPECT_EQ(value("WdwMaximize"), "Yes");
    EXPECT_FALSE(w.isMaximized());
    EXPECT_EQ(value("WdwWidth"), std::to_string(w.width()));

    QWidget again;
    WindowPlace::restore(&again, "BrowseAPbac");
    EXPECT_TRUE(again.isMaximized());
}

TEST_F(WindowPlaceTest, NothingHappensWithoutTheProgramKey) {
    glo_ApplicationName.clear();
    QWidget w;
    w.setGeometry(10, 10, 100, 100);
    WindowPlace::save(&w, "BrowseAPbac");
    glo_ApplicationName = "Bank Reconciliation";
    EXPECT_EQ(value("WdwWidth"), "<none>");
}

TEST_F(WindowPlaceTest, ColumnLayoutComesBack) {
    QStandardItemModel model(1, 3);
    QTableView a;
    a.setModel(&model);
    a.horizontalHeader()->resizeSection(1, 177);
    WindowPlace::saveColumns(a.horizontalHeader(), "BrowseAPbac");
    QTableView b;
    b.setModel(&model);
    EXPECT_TRUE(WindowPlace::restoreColumns(b.horizontalHeader(), "BrowseAPbac"));
    EXPECT_EQ(b.horizontalHeader()->sectionSize(1), 177);
    EXPECT_FALSE(WindowPlace::restoreColumns(b.horizontalHeader(), "BrowseAPrec"));
}

TEST_F(WindowPlaceTest, SettingsRecordTheFailingOperation) {
    RegistrySettings reg;
    EXPECT_FALSE(reg.setValue("X", "1"));
    EXPECT_EQ(reg.ERROR.rfind("SetValue.SetValue(", 0), 0u);
    ASSERT_TRUE(reg.setKey("Kestrelmoor Software  ", "Bank Reconciliation "));
    EXPECT_EQ(reg.key(), "Software\\Kestrelmoor Software\\Bank Reconciliation");
    EXPECT_FALSE(reg.deleteValue("Missing"));
    EXPECT_EQ(reg.ERROR.rfind("DeleteValue(", 0), 0u);
    EXPECT_EQ(reg.ERRORCODE, RegistryNotFound);
    EXPECT_FALSE(reg.setValue("a/b", "1"));
    EXPECT_EQ(reg.ERROR.rfind("SetValue.SetValue(", 0), 0u);

    ASSERT_TRUE(reg.setValue("DataPath", "/data"));
    ASSERT_TRUE(reg.setValue("loc:BankID", "4", "BrowseAPbac"));
    EXPECT_EQ(reg.getValue("LOC:BANKID", "0", "browseapbac"), "4");
    const auto values = reg.enumValues();
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].first, "DataPath");
    EXPECT_EQ(reg.VALUECOUNT, 1);
    EXPECT_EQ(reg.KEYCOUNT, 1);
}

}  // namespace
