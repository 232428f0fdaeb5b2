// Progress pacing: slices of ticks, cancel, the percentage line, the window and the runner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "corelib/progress.h"
#include "corelib/progress_window.h"

namespace {

// Counts rows up to `rows`, one per tick, reporting through the view.
struct CountingJob : ProgressJob {
    int rows = 100;
    int done = 0;
    int slices = 0;
    int openSlices = 0;
    int deepest = 0;
    int closes = 0;
    int cancels = 0;
    bool agreeToCancel = true;
    int tickSleepMs = 0;
    int nestedWaitMs = 0;
    ProgressView* view = nullptr;

    void open(ProgressView& v) override {
        view = &v;
        v.setRange(0, rows);
    }
    bool tick(ProgressView& v) override {
        deepest = std::max(deepest, openSlices);
        if (tickSleepMs) QThread::msleep(static_cast<unsigned long>(tickSleepMs));
        if (nestedWaitMs) QTest::qWait(nestedWaitMs);  // a tick that shows a message, say
        v.setValue(++done);
        return rows < 0 || done < rows;
    }
    void sliceBegin() override {
        ++slices;
        ++openSlices;
    }
    void sliceEnd() override { --openSlices; }
    bool cancel(ProgressView&) override {
        ++cancels;
        return agreeToCancel;
    }
    void close() override { ++closes; }
};

TEST(ProgressPacing, TicksAreBatchedWithinASlice) {
    CountingJob job;
    job.rows = 10;
    job.tickSleepMs = 5;
    struct : ProgressView {
        void setTitle(const std::string&) override {}
        void setText(const std::string&) override {}
        void setRange(int64_t, int64_t) override {}
        void setValue(int64_t) override {}
        void setPercent(int) override {}
    } view;
    int ticks = 0;
    EXPECT_TRUE(runProgressSlice(job, view, 20, &ticks));
    EXPECT_GE(ticks, 2);
    EXPECT_LE(ticks, 5);
    EXPECT_EQ(job.slices, 1);
    EXPECT_EQ(job.openSlices, 0);

    EXPECT_TRUE(runProgressSlice(job, view, 0, &ticks));
    EXPECT_EQ(ticks, 1);  // 0: exactly one tick
}

TEST(ProgressPacing, HeadlessRunsTheJobToItsEndInSlices) {
    CountingJob job;
    job.rows = 5000;
    ProgressSpec options;
    EXPECT_EQ(HeadlessProgress().run(options, job), ProgressResult::Completed);
    EXPECT_EQ(job.done, 5000);
    EXPECT_EQ(job.closes, 1);
    EXPECT_GE(job.slices, 1);
    EXPECT_LT(job.slices, 5000);  // many ticks per slice

    CountingJob single;
    single.rows = 7;
    options.sliceMs = 0;
    EXPECT_EQ(runProgress(options, single), ProgressResult::Completed);  // headless by default
    EXPECT_EQ(single.slices, 7);
}

TEST(ProgressPercent, IsComputedWithinTheRange) {
    EXPECT_EQ(progressPercent(0, 200, 1), 0);
    EXPECT_EQ(progressPercent(0, 200, 100), 50);
    EXPECT_EQ(progressPercent(10, 20, 25), 100);
    EXPECT_EQ(progressPercent(5, 5, 5), 0);
}

TEST(ProgressWindowView, PercentLineIsRedrawnOnlyWhenTheNumberChanges) {
    ProgressSpec options;
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
    ProgressSpec options;
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
    ProgressSpec options;
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
    EXPECT_EQ(runProgress(ProgressSpec{}, job), ProgressResult::Cancelled);
    EXPECT_EQ(job.cancels, 2);
    EXPECT_EQ(job.closes, 1);
    EXPECT_GT(job.done, 0);
}

TEST_F(ProgressWindowTest, ASliceIsNeverEnteredAgainFromANestedEventLoop) {
    CountingJob job;
    job.rows = 4;
    job.nestedWaitMs = 15;
    ProgressSpec options;
    options.sliceMs = 0;
    EXPECT_EQ(runProgress(options, job), ProgressResult::Completed);
    EXPECT_EQ(job.done, 4);
    EXPECT_EQ(job.deepest, 1);
}

TEST(ProgressRunnerTest, DrivesAJobBesideTheProgramAndSignalsTheEnd) {
    CountingJob job;
    job.rows = 50;
    ProgressSpec options;
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
