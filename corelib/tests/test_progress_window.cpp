// Progress windows: the percentage line, the window's run and cancel, and the runner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "corelib/progress.h"
#include "corelib/ui/progress_window.h"
#include "counting_job.h"

using namespace corelib;

namespace {

TEST(ProgressWindowView, PercentLineIsRedrawnOnlyWhenTheNumberChanges) {
    ProgressOptions options;
    ProgressWindow window(options);
    auto* line = window.findChild<QLabel*>("ProgressPercent");
    ASSERT_NE(line, nullptr);
    const int before = window.percentRedraws();
    window.setRange(0, 1000);
    for (int i = 1; i <= 1000; ++i) window.setValue(i);
    EXPECT_EQ(window.percentRedraws() - before, 101);  // 0..100
    EXPECT_EQ(line->text(), "100% Completed");
    window.setRange(0, 1000);
    window.setValue(50);
    EXPECT_EQ(line->text(), "  5% Completed");
    window.showCompleted();
    EXPECT_EQ(line->text(), "Process Completed");
}

class ProgressWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { useProgressWindows(); }
    void TearDown() override { setProgressBackend(nullptr); }

    static ProgressWindow* openProgress() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<ProgressWindow*>(w); p && p->isVisible()) return p;
        return nullptr;
    }
};

TEST_F(ProgressWindowTest, RunsTheJobToItsEndWithTheTitle) {
    CountingJob job;
    job.rows = 300;
    ProgressOptions options;
    options.text = "Loading checks";
    QString title;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (auto* p = openProgress()) title = p->windowTitle();
    });
    probe.start(1);
    EXPECT_EQ(runProgress(options, job), ProgressResult::Completed);
    EXPECT_EQ(job.done, 300);
    EXPECT_EQ(job.closes, 1);
    EXPECT_EQ(openProgress(), nullptr);
    EXPECT_EQ(title, "Processing Records");
}

TEST_F(ProgressWindowTest, ANamedWindowRestoresAndSavesItsPlaceThroughTheHooks) {
    std::vector<std::string> calls;
    setProgressPlaceHooks({[&](QWidget*, const std::string& p) { calls.push_back("restore " + p); },
                           [&](QWidget*, const std::string& p) { calls.push_back("save " + p); }});
    CountingJob job;
    job.rows = 3;
    ProgressOptions options;
    runProgress(options, job);
    EXPECT_TRUE(calls.empty());
    options.placeName = "LoadChkThread";
    runProgress(options, job);
    setProgressPlaceHooks({});
    EXPECT_EQ(calls, (std::vector<std::string>{"restore LoadChkThread", "save LoadChkThread"}));
}

TEST_F(ProgressWindowTest, CancelClosesWhenTheJobAgrees) {
    CountingJob job;
    job.rows = -1;  // endless
    job.agreeToCancel = false;
    int clicks = 0;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (auto* p = openProgress()) {
            if (++clicks == 2) job.agreeToCancel = true;
            p->cancelButton()->click();
        }
    });
    clicker.start(15);
    EXPECT_EQ(runProgress(ProgressOptions{}, job), ProgressResult::Cancelled);
    EXPECT_EQ(job.cancels, 2);
    EXPECT_EQ(job.closes, 1);
    EXPECT_GT(job.done, 0);
}

TEST_F(ProgressWindowTest, ASliceIsNeverEnteredAgainFromANestedEventLoop) {
    CountingJob job;
    job.rows = 4;
    job.nestedWaitMs = 15;
    ProgressOptions options;
    options.sliceMs = 0;
    EXPECT_EQ(runProgress(options, job), ProgressResult::Completed);
    EXPECT_EQ(job.done, 4);
    EXPECT_EQ(job.deepest, 1);
}

TEST(ProgressRunnerTest, DrivesAJobBesideTheProgramAndSignalsTheEnd) {
    CountingJob job;
    job.rows = 50;
    ProgressOptions options;
    options.sliceMs = 0;
    ProgressRunner runner(job, options);
    QSignalSpy finished(&runner, &ProgressRunner::finished);
    runner.start();
    EXPECT_TRUE(runner.running());
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).value<ProgressResult>(), ProgressResult::Completed);
    EXPECT_EQ(job.done, 50);
    EXPECT_EQ(runner.slices(), 50);
    EXPECT_FALSE(runner.running());
}

}  // namespace
