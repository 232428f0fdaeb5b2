// Every window of the program, reached as a clerk reaches it: through the frame's own menus,
// toolbar and the buttons of the windows it opens, on a demo suite; each closed with its own
// button and with the title-bar X. Any message shown on the way fails the test.
//
// A new window joins with one line in kWindows.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <string>
#include <vector>

#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/startup.h"
#include "bankrec/shell/ui/main_frame.h"
#include "bankrec/shell/ui/session_manager.h"
#include "corelib/globals.h"
#include "corelib/message_script.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/thread_event_filter.h"
#include "shell_fixture.h"
#include "tvhost/suite_database.h"

using namespace corelib;
using namespace shell;

namespace {

// How a window is reached and how it is closed.
//  path:  steps separated by " > ": "Menu/Item" (a command of the frame's menu bar, by the
//         captions shown), "toolbar:Caption" (a button of the frame's toolbar), "button:Caption"
//         (a button of the window in front, clicked once it is there and enabled: a step
//         waits for a progress window before it to finish).
//  title: the title of the window the path ends in.
//  close: the caption of the window's own closing button; null when it has none (then only
//         the title-bar X is tried).
struct SmokeWindow {
    const char* path;
    const char* title;
    const char* close;
};

const SmokeWindow kWindows[] = {
    {"&Edit/&Transaction Register", "Browse Transaction Register", "Cl&ose"},
    {"toolbar:Register", "Browse Transaction Register", "Cl&ose"},
    {"toolbar:Register > button:&Refresh > button:&View", "Viewing Deposit", "Cl&ose"},
    {"&Edit/&Reconcile", "Browse Reconciliations", nullptr},  // a placeholder so far
    {"toolbar:Reconcile", "Browse Reconciliations", nullptr},
    {"&Setup/&Financial Institution Accounts", "Browse Financial Institution Accounts", "Cl&ose"},
    {"toolbar:FIA", "Browse Financial Institution Accounts", "Cl&ose"},
    {"toolbar:FIA > button:&View", "Viewing Financial Institution Account", "Cl&ose"},
    {"toolbar:FIA > button:&Change", "Changing Financial Institution Account", "Cancel"},
    {"&Help/&About Bank Reconciliation", "About Application", "&OK"},
};

enum class CloseWay { Button, TitleBarX };

std::vector<std::string> split(const std::string& text, const std::string& by) {
    std::vector<std::string> parts;
    size_t at = 0;
    for (size_t next; (next = text.find(by, at)) != std::string::npos; at = next + by.size())
        parts.push_back(text.substr(at, next - at));
    parts.push_back(text.substr(at));
    return parts;
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(5);
    }
}

class WindowSmokeTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        resetThreadRegistry();
        const QString data = QString::fromStdString(dataDir());
        const QString error =
            tvhost::createSuiteDatabase("sqlite:" + data, 3, "demo", "demo", data, true);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        auto backend = std::make_unique<ScriptedMessages>();
        messages_ = backend.get();
        startup_ = std::make_unique<Startup>(
            "bankrec", std::vector<std::string>{"Division=3", "DataPath=" + dataDir(),
                                                "Server=sqlite:" + dataDir(), "UserID=demo",
                                                "Password=demo", "TVUser=1"});
        ASSERT_EQ(startup_->run(std::move(backend)), 0);
        installThreadEventFilter();
        frame_ = std::make_unique<MainFrame>(*startup_, procedureTable());
        frame_->setShowProcedure(nullptr);
        ASSERT_TRUE(frame_->open());
        frame_->show();
        // The banks come from the suite at every start, in a window of their own.
        settle();
        for (int i = 0; i < 500 && frame_->sessions().count() > 0; ++i) settle();
        ASSERT_EQ(frame_->sessions().count(), 0);
        ASSERT_EQ(messages_->count(), 0u) << allMessages();
    }
    void TearDown() override {
        frame_.reset();
        startup_.reset();
        resetThreadRegistry();
        ShellFixture::TearDown();
    }

    std::string allMessages() const {
        std::string all;
        for (const RecordedMessage& m : messages_->messages())
            all += "[" + m.caption + "] " + m.text + "\n";
        return all;
    }

    // The visible window with that title: a sub-window of the frame or a window of its own.
    QWidget* findWindow(const QString& title) const {
        for (QMdiSubWindow* sub : frame_->mdiArea()->subWindowList())
            if (sub->windowTitle() == title && sub->isVisible()) return sub;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == title && w->isVisible()) return w;
        return nullptr;
    }
    // The window a clerk works in now: a modal window, else the frame's active sub-window.
    QWidget* front() const {
        if (QWidget* modal = QApplication::activeModalWidget()) return modal;
        return frame_->mdiArea()->activeSubWindow();
    }

    QAction* menuCommand(const std::string& step) const {
        QList<QAction*> actions = frame_->menuBar()->actions();
        QAction* found = nullptr;
        for (const std::string& caption : split(step, "/")) {
            found = nullptr;
            for (QAction* a : actions)
                if (a->text().toStdString() == caption) found = a;
            if (!found) return nullptr;
            if (found->menu()) actions = found->menu()->actions();
        }
        return found;
    }
    QAction* toolbarButton(const std::string& caption) const {
        for (QToolBar* bar : frame_->findChildren<QToolBar*>())
            for (QAction* a : bar->actions())
                if (a->text().toStdString() == caption) return a;
        return nullptr;
    }
    static QAbstractButton* button(QWidget* window, const std::string& caption) {
        if (!window) return nullptr;
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
            if (b->text().toStdString() == caption && b->isVisible() && b->isEnabled()) return b;
        return nullptr;
    }

    // Follows the window's path and closes the window it ends in the given way. The steps run
    // from a timer, queued, so a modal window (whose own event loop then runs the timer) never
    // stops the test. Afterwards every window still open is closed. Returns a description of
    // what went wrong, empty when nothing did.
    std::string exercise(const SmokeWindow& w, CloseWay way) {
        const std::vector<std::string> steps = split(w.path, " > ");
        size_t next = 0;
        bool closed = false;
        std::string problem;
        QElapsedTimer clock;
        clock.start();
        QTimer driver;
        driver.setInterval(10);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (closed) return;
            if (!problem.empty()) {
                // Unwind: a modal window left open would keep the test inside its event loop.
                if (QWidget* modal = QApplication::activeModalWidget())
                    QMetaObject::invokeMethod(modal, "close", Qt::QueuedConnection);
                return;
            }
            if (clock.elapsed() > 30000) {
                problem = next < steps.size() ? "step \"" + steps[next] + "\" never possible"
                                              : "no window \"" + std::string(w.title) + "\"";
                return;
            }
            if (next < steps.size()) {
                const std::string& step = steps[next];
                QObject* target = nullptr;
                const char* slot = "trigger";
                if (step.rfind("toolbar:", 0) == 0) {
                    target = toolbarButton(step.substr(8));
                } else if (step.rfind("button:", 0) == 0) {
                    target = button(front(), step.substr(7));
                    slot = "click";
                    if (!target) return;  // not yet: a progress window may be in front
                } else {
                    target = menuCommand(step);
                }
                if (!target) {
                    problem = "no " + step;
                    return;
                }
                ++next;
                QMetaObject::invokeMethod(target, slot, Qt::QueuedConnection);
                return;
            }
            QWidget* window = findWindow(w.title);
            if (!window || window != front()) return;
            if (way == CloseWay::Button) {
                QAbstractButton* b = button(window, w.close);
                if (!b) {
                    problem = "no button \"" + std::string(w.close) + "\"";
                    return;
                }
                QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
            } else {
                QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
            }
            closed = true;
        });
        driver.start();
        while (!closed && problem.empty()) settle();
        settle();
        driver.stop();
        if (problem.empty() && findWindow(w.title)) problem = "still open after closing";
        // Close what the path opened on the way (a browse behind its form).
        while (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
            settle();
        }
        frame_->sessions().closeAll();
        settle();
        if (frame_->sessions().count() != 0) problem += " sessions left open;";
        if (messages_->count() != 0) problem += " messages:\n" + allMessages();
        messages_->clear();
        return problem;
    }

    ScriptedMessages* messages_ = nullptr;
    std::unique_ptr<Startup> startup_;
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(WindowSmokeTest, EveryWindowOpensFromTheFrameAndClosesBothWaysWithoutAMessage) {
    for (const SmokeWindow& w : kWindows) {
        if (w.close) {
            EXPECT_EQ(exercise(w, CloseWay::Button), "")
                << w.path << " (closed with \"" << w.close << "\")";
        }
        EXPECT_EQ(exercise(w, CloseWay::TitleBarX), "")
            << w.path << " (closed with the title-bar X)";
    }
    // Only the frame is left on the thread registry.
    for (const ProcedureEntry& e : threadRegistrySnapshot())
        EXPECT_EQ(e.PQ_PROCEDURETHREAD, static_cast<uint32_t>(glo_MainThread))
            << e.PQ_PROCEDURENAME;
}

}  // namespace
