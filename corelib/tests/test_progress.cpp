// Progress pacing: slices of ticks, cancel and the percentage.
#include <gtest/gtest.h>

#include "corelib/progress.h"
#include "counting_job.h"
#include "testsupport/silent_progress_view.h"

using namespace corelib;

namespace {

TEST(ProgressPacing, TicksAreBatchedWithinASlice) {
    CountingJob job;
    job.rows = 10;
    job.tickSleepMs = 5;
    testsupport::SilentProgressView view;
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
    ProgressOptions options;
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

}  // namespace
