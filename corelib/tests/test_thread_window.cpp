// Session windows: events of a session's window run on the session's thread, a second start
// brings the window forward, the session ends with its window, and the registry's window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "corelib/message_script.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/thread_event_filter.h"
#include "corelib/ui/threads_window.h"
#include "thread_registry_fixture.h"

using namespace corelib;

namespace {

class ThreadWindowTest : public ThreadRegistryTest {
  protected:
    void SetUp() override {
        ThreadRegistryTest::SetUp();
        installThreadEventFilter();
    }
};

// A session's window: a button whose handler notes the thread it runs on.
struct SessionWindow : QWidget {
    QPushButton* button = new QPushButton("Go", this);
    int32_t clickedOn = 0;
    int keyPresses = 0;
    SessionWindow() {
        auto* l = new QVBoxLayout(this);
        l->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, [this] {
            clickedOn = currentThread();
            THREAD_LOG("Handler");
        });
    }
    void keyPressEvent(QKeyEvent* e) override {
        ++keyPresses;
        e->ignore();
    }
};

TEST_F(ThreadWindowTest, EventsOfASessionWindowRunOnItsThread) {
    SessionWindow* window = nullptr;
    const int32_t t = THREAD_START(
        [&] {
            THREAD_LOG("BrowseAPbac");
            window = new SessionWindow;
            THREAD_SETWINDOW(window);
            window->show();
        },
        "BrowseAPbac");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::mouseClick(window->button, Qt::LeftButton);
    EXPECT_EQ(window->clickedOn, t);
    EXPECT_EQ(entry(static_cast<uint32_t>(t), 1)->PQ_PROCEDURENAME, "Handler");
    EXPECT_EQ(THREAD_CHECK("Handler"), 0);  // not on the start-up thread

    int32_t queuedOn = 0;
    QMetaObject::invokeMethod(
        window->button, [&] { queuedOn = currentThread(); }, Qt::QueuedConnection);
    QTest::qWait(20);
    EXPECT_EQ(queuedOn, t);

    // A key nobody accepts travels up to the window once.
    window->button->setFocus();
    QTest::keyClick(window->button, Qt::Key_F7);
    EXPECT_EQ(window->keyPresses, 1);
    delete window;
}

// An application filter counting the mouse presses it sees.
struct PressCounter : QObject {
    int presses = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress) ++presses;
        return false;
    }
};

TEST_F(ThreadWindowTest, OtherApplicationFiltersSeeEachEventOnce) {
    SessionWindow* window = nullptr;
    THREAD_START(
        [&] {
            window = new SessionWindow;
            THREAD_SETWINDOW(window);
            window->show();
        },
        "BrowseAPbac");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    PressCounter counter;
    qApp->installEventFilter(&counter);
    installThreadEventFilter();
    QTest::mouseClick(window->button, Qt::LeftButton);
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(counter.presses, 1);
    delete window;
}

TEST_F(ThreadWindowTest, ASecondStartBringsTheRunningWindowForward) {
    QWidget* window = nullptr;
    const int32_t t = THREAD_START(
        [&] {
            window = new QWidget;
            THREAD_SETWINDOW(window);
            window->show();
        },
        "BrowseAPbnk");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->showMinimized();
    QTest::qWait(20);
    ASSERT_TRUE(window->isMinimized());
    EXPECT_EQ(THREAD_START({}, "BROWSEAPBNK"), t);
    QTest::qWait(20);
    EXPECT_FALSE(window->isMinimized());
    delete window;
}

TEST_F(ThreadWindowTest, ASessionEndsWithItsWindowAndCanStartAgain) {
    QWidget* window = nullptr;
    QWidget* form = nullptr;
    auto open = [&] {
        THREAD_LOG("BrowseAPrec");
        window = new QWidget;
        THREAD_SETWINDOW(window);
    };
    const int32_t t = THREAD_START(open, "BrowseAPrec");
    {
        ThreadScope scope(t);
        form = new QWidget;
        THREAD_SETWINDOW(form);  // tagging another window moves the session's window to it
        THREAD_SETWINDOW(window);
    }
    delete form;  // not the session's window: the session goes on
    EXPECT_EQ(THREAD_START({}, "BrowseAPrec"), t);
    delete window;
    EXPECT_TRUE(threadRegistrySnapshot().empty());
    int runs = 0;
    EXPECT_EQ(THREAD_START([&] { ++runs; }, "BrowseAPrec"), t);
    EXPECT_EQ(runs, 1);
}

TEST_F(ThreadWindowTest, AHandlerMayDeleteItsOwnSessionWindow) {
    SessionWindow* window = nullptr;
    THREAD_START(
        [&] {
            window = new SessionWindow;
            THREAD_SETWINDOW(window);
            window->show();
            QObject::connect(window->button, &QPushButton::clicked, [&] {
                delete window;
                window = nullptr;
            });
        },
        "BrowseAboutBRWindow");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::mouseClick(window->button, Qt::LeftButton);
    EXPECT_EQ(window, nullptr);
    EXPECT_TRUE(threadRegistrySnapshot().empty());
}

TEST_F(ThreadWindowTest, DisplayListsTheRegistryAndLogsItself) {
    THREAD_LOG("Main");
    int rows = -1;
    QString title;
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* tw = qobject_cast<ThreadsWindow*>(w); tw && tw->isVisible()) {
                title = tw->windowTitle();
                rows = static_cast<int>(threadRegistrySnapshot().size());
                tw->findChild<QPushButton*>("Close")->click();
            }
    });
    THREAD_DISPLAY();
    EXPECT_EQ(title, "Threads and Procedures");
    EXPECT_EQ(rows, 2);  // Main and Thread:Display
    EXPECT_EQ(threadRegistrySnapshot().size(), 1u);
    EXPECT_EQ(messages->count(), 0u);
}

}  // namespace
