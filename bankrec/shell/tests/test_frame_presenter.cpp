// What the frame shows: its title, the status bar's date and time, the timer period rule; and
// what it holds: the record files open for its whole run and the configuration loaded.
#include <gtest/gtest.h>

#include <QDir>

#include "bankrec/shell/frame_presenter.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/daytime.h"
#include "corelib/message_script.h"
#include "shell_fixture.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace {

TEST(FrameTitle, NamesDivisionTitleAndTheDataPathAsGiven) {
    EXPECT_EQ(frame::title("03", "Bank Reconciliation", " /srv/data "),
              "Div03 Bank Reconciliation [ /srv/data ]");
}

TEST(FrameStatus, DateIsWeekdayMonthDayAndYear) {
    EXPECT_EQ(frame::statusDate(daytime::dayNumber(2026, 12, 7)), "Monday, December 7, 2026");
    EXPECT_EQ(frame::statusDate(daytime::dayNumber(1801, 1, 1)), "Thursday, January 1, 1801");
    EXPECT_EQ(frame::statusDate(daytime::dayNumber(2024, 2, 29)), "Thursday, February 29, 2024");
    EXPECT_EQ(frame::statusDate(0), "");
}

TEST(FrameStatus, TimeIsTwelveHourWithAmPm) {
    EXPECT_EQ(frame::statusTime(daytime::timeNumber(0, 0)), "12:00 AM");
    EXPECT_EQ(frame::statusTime(daytime::timeNumber(9, 5, 59)), "9:05 AM");
    EXPECT_EQ(frame::statusTime(daytime::timeNumber(12, 30)), "12:30 PM");
    EXPECT_EQ(frame::statusTime(daytime::timeNumber(23, 59)), "11:59 PM");
    EXPECT_EQ(frame::statusTime(0), "");
}

TEST(FrameTimer, PeriodOutsideOneToHundredBecomesHundred) {
    EXPECT_EQ(frame::timerPeriod(0), 100);
    EXPECT_EQ(frame::timerPeriod(-5), 100);
    EXPECT_EQ(frame::timerPeriod(101), 100);
    EXPECT_EQ(frame::timerPeriod(1), 1);
    EXPECT_EQ(frame::timerPeriod(100), 100);
    EXPECT_EQ(frame::timerPeriod(50), 50);
}

class FramePresenterTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        storage_.nameFiles(dataDir(), 3);
        storage_.setFileName(FileId::APbnu, dataDir() + "/APbnu");
    }
    int32_t uses(FileId file) const { return fileUseCount(storage_, file); }

    Storage storage_;
};

TEST_F(FramePresenterTest, HoldsTheFilesWhileOpenAndLoadsTheStoredSettings) {
    {
        FileSession other(storage_);
        ASSERT_EQ(openFile(other, FileId::SYcfg), Error::None);
        Configuration c;
        c.registerDefaults();
        ASSERT_EQ(c.set(other, "ChkAmountEnd", "20"), Configuration::SetResult::Stored);
        closeFile(other, FileId::SYcfg);
    }
    FramePresenter presenter(storage_);
    ASSERT_TRUE(presenter.openFiles());
    EXPECT_TRUE(presenter.filesOpen());
    EXPECT_EQ(presenter.configuration().get("ChkAmountEnd"), "20");
    EXPECT_EQ(uses(FileId::APbnk), 1);
    EXPECT_EQ(uses(FileId::SYcfg), 1);

    EXPECT_TRUE(presenter.openFiles());  // already open: nothing more is held
    EXPECT_EQ(uses(FileId::APbnk), 1);

    presenter.closeFiles();
    presenter.closeFiles();
    EXPECT_FALSE(presenter.filesOpen());
    EXPECT_EQ(uses(FileId::APbnk), 0);
    EXPECT_EQ(uses(FileId::SYcfg), 0);
    EXPECT_EQ(sandbox_.messages->count(), 0u);
}

TEST_F(FramePresenterTest, LetsGoOfItsFilesWhenDestroyedOpen) {
    {
        FramePresenter presenter(storage_);
        ASSERT_TRUE(presenter.openFiles());
    }
    EXPECT_EQ(uses(FileId::APbnk), 0);
    EXPECT_EQ(uses(FileId::SYcfg), 0);
}

TEST_F(FramePresenterTest, AnUnusableBankFileEndsTheProgramWithNothingHeld) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(storage_.filePath(FileId::APbnk))));
    FramePresenter presenter(storage_);
    EXPECT_THROW((void)presenter.openFiles(), ProgramHalted);
    EXPECT_FALSE(presenter.filesOpen());
    EXPECT_EQ(uses(FileId::APbnk), 0);
    EXPECT_EQ(uses(FileId::SYcfg), 0);
    EXPECT_GE(sandbox_.messages->count(), 1u);
}

}  // namespace
