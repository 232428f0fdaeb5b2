#pragma once
// A progress job for the tests: counts rows one per tick and notes slices, cancels and closes.
#include <QTest>
#include <QThread>
#include <algorithm>

#include "corelib/progress.h"

namespace corelib {

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

}  // namespace corelib
