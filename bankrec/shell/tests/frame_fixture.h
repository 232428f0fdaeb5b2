#pragma once
// A fixture for the tests of the frame window: the program started on a fresh data folder (its
// messages scripted, the thread registry empty, the thread event filter installed) and the
// frame opened on it as the clerk sees it.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/startup.h"
#include "bankrec/shell/ui/main_frame.h"
#include "corelib/message_script.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/thread_event_filter.h"
#include "shell_fixture.h"

namespace shell {

class FrameFixture : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        corelib::resetThreadRegistry();
        auto backend = std::make_unique<corelib::ScriptedMessages>();
        messages_ = backend.get();
        startup_ = std::make_unique<Startup>(
            "bankrec", std::vector<std::string>{"Division=3", "DataPath=" + dataDir()});
        ASSERT_EQ(startup_->run(std::move(backend)), 0);
        corelib::installThreadEventFilter();
    }
    void TearDown() override {
        frame_.reset();
        startup_.reset();
        corelib::resetThreadRegistry();
        ShellFixture::TearDown();
    }
    // Opens the frame (without the diagnostic key's window) and shows it.
    MainFrame& openFrame() {
        frame_ = std::make_unique<MainFrame>(*startup_, table_);
        frame_->setShowProcedure(nullptr);
        EXPECT_TRUE(frame_->open());
        frame_->show();
        QApplication::processEvents();
        return *frame_;
    }
    // The frame's action of that object name ("EditTransactionRegister").
    QAction* act(const char* name) { return frame_->findChild<QAction*>(name); }
    QList<QMdiSubWindow*> windows() { return frame_->mdiArea()->subWindowList(); }
    // The texts of menu or toolbar entries, separators left out.
    static QStringList texts(const QList<QAction*>& actions) {
        QStringList out;
        for (QAction* a : actions)
            if (!a->isSeparator()) out << a->text();
        return out;
    }

    ProcedureTable table_;
    corelib::ScriptedMessages* messages_ = nullptr;
    std::unique_ptr<Startup> startup_;
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace shell
