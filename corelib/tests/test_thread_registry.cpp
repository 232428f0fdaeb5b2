// The thread registry: starting sessions, the procedure stack of a thread, its messages, and
// events of a session's window running on the session's thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "corelib/message_script.h"
#include "corelib/thread_registry.h"
#include "corelib/threads_window.h"

namespace {

class ThreadRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetThreadRegistry();
        installThreadEventFilter();
    }
    void TearDown() override { resetThreadRegistry(); }

    static const ProcedureEntry* entry(uint32_t thread, uint32_t tree) {
        static std::vector<ProcedureEntry> rows;
        rows = threadRegistrySnapshot();
        for (const auto& e : rows)
            if (e.PQ_PROCEDURETHREAD == thread && e.PQ_PROCEDURETREE == tree) return &e;
        return nullptr;
    }

    ScopedScriptedMessages messages;
};

TEST_F(ThreadRegistryTest, StartRunsTheProcedureOnANewThreadWithItsRootEntry) {
    int32_t ranOn = 0;
    const int32_t t =
        THREAD_START([&] { ranOn = currentThread(); }, "BrowseAPbac", 25000, 7, "info   ");
    EXPECT_GE(t, 2);
    EXPECT_EQ(ranOn, t);
    EXPECT_EQ(currentThread(), 1);  // back on the start-up thread
    const auto* root = entry(t, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->PQ_PROCEDURENAME, "BrowseAPbac");
    EXPECT_EQ(root->PQ_SYSID, 7u);
    EXPECT_EQ(root->PQ_INFO, "info");
    EXPECT_EQ(root->PQ_COUNT, 0u);
    EXPECT_EQ(root->PQ_PROCEDURETREEMAX, 0u);
}

TEST_F(ThreadRegistryTest, StartingARunningProcedureReturnsItsThreadWhateverTheCase) {
    const int32_t t = THREAD_START({}, "BrowseAPrec");
    int runs = 0;
    EXPECT_EQ(THREAD_START([&] { ++runs; }, "browseaprec"), t);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(threadRegistrySnapshot().size(), 1u);
}

TEST_F(ThreadRegistryTest, OnlyThreadsOneToSixtyFourAreSearchedForARunningCopy) {
    {
        ThreadScope far(70);
        THREAD_LOG("Faraway");
    }
    int runs = 0;
    const int32_t t = THREAD_START([&] { ++runs; }, "FARAWAY");
    EXPECT_NE(t, 70);
    EXPECT_EQ(runs, 1);
}

TEST_F(ThreadRegistryTest, ThreadNumbersAreReusedOnceASessionHasEnded) {
    const int32_t a = THREAD_START({}, "A");
    const int32_t b = THREAD_START({}, "B");
    EXPECT_EQ(b, a + 1);
    THREAD_END(a);
    EXPECT_EQ(THREAD_START({}, "C"), a);
    EXPECT_EQ(THREAD_START({}, "A"), b + 1);
}

TEST_F(ThreadRegistryTest, RootLoggedAgainRaisesItsCount) {
    THREAD_LOG("Main");
    THREAD_LOG("main");
    const auto* root = entry(1, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->PQ_COUNT, 2u);
    EXPECT_EQ(root->PQ_PROCEDURETREEMAX, 0u);
    EXPECT_EQ(THREAD_CHECK("MAIN"), 2);
    EXPECT_EQ(THREAD_CHECK("Other"), 0);
}

TEST_F(ThreadRegistryTest, AProcedureLoggedAtLevelsOneAndThreeHasCountsOneAndTwo) {
    THREAD_LOG("Main");
    THREAD_LOG("UpdateAPbac");
    THREAD_LOG("Lookup");
    THREAD_LOG("updateapbac");
    EXPECT_EQ(entry(1, 1)->PQ_COUNT, 1u);
    EXPECT_EQ(entry(1, 3)->PQ_COUNT, 2u);
    EXPECT_EQ(entry(1, 0)->PQ_PROCEDURETREEMAX, 3u);
    EXPECT_EQ(THREAD_CHECK("UpdateAPbac"), 2);

    THREAD_RETURN("UpdateAPbac");
    THREAD_RETURN("Lookup");
    EXPECT_EQ(THREAD_CHECK("UpdateAPbac"), 1);
    THREAD_RETURN("UpdateAPbac");
    THREAD_RETURN("Main");
    EXPECT_TRUE(threadRegistrySnapshot().empty());
    EXPECT_EQ(messages->count(), 0u);
}

TEST_F(ThreadRegistryTest, ReturnMessagesArePlainAndAMismatchStillRemovesTheTopEntry) {
    THREAD_RETURN("Nothing");
    ASSERT_NE(messages->last(), nullptr);
    EXPECT_EQ(messages->last()->text, "Error deleting procedure from thread.");
    EXPECT_EQ(messages->last()->caption, "");
    EXPECT_EQ(messages->last()->buttons, msg::OK);

    THREAD_LOG("Main");
    THREAD_LOG("Form");
    THREAD_RETURN("Report");
    EXPECT_EQ(messages->last()->text, "Mismatch on procedure at end of thread.");
    EXPECT_EQ(entry(1, 1), nullptr);
    EXPECT_EQ(entry(1, 0)->PQ_PROCEDURETREEMAX, 0u);
}

TEST_F(ThreadRegistryTest, ScopesNestAndEachThreadHasItsOwnStack) {
    THREAD_LOG("Main");
    {
        ThreadScope a(5);
        THREAD_LOG("BrowseAPbnk");
        {
            ThreadScope b(6);
            EXPECT_EQ(currentThread(), 6);
            EXPECT_EQ(THREAD_CHECK("BrowseAPbnk"), 0);
        }
        EXPECT_EQ(currentThread(), 5);
        EXPECT_EQ(THREAD_CHECK("BrowseAPbnk"), 1);
        EXPECT_EQ(THREAD_CHECK("Main"), 0);
    }
    EXPECT_EQ(THREAD_CHECK("Main"), 1);
}

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

TEST_F(ThreadRegistryTest, EventsOfASessionWindowRunOnItsThread) {
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

TEST_F(ThreadRegistryTest, OtherApplicationFiltersSeeEachEventOnce) {
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

TEST_F(ThreadRegistryTest, ASecondStartBringsTheRunningWindowForward) {
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

TEST_F(ThreadRegistryTest, ASessionEndsWithItsWindowAndCanStartAgain) {
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

TEST_F(ThreadRegistryTest, AHandlerMayDeleteItsOwnSessionWindow) {
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

TEST_F(ThreadRegistryTest, DisplayListsTheRegistryAndLogsItself) {
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
