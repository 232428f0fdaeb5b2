// The Qt message window, driven offscreen: buttons, keys, and a second message arriving while
// the first is open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

#include "corelib/message.h"
#include "corelib/message_box.h"
#include "corelib/ui/message_window.h"

using namespace corelib;

namespace {

MessageWindow* openWindow(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<MessageWindow*>(w); m && m->isVisible() && m->text() == text)
            return m;
    return nullptr;
}

// Steps run in turn from a timer: each waits until its window is open, then acts on it.
class Driver : public QObject {
  public:
    struct Step {
        QString text;
        std::function<void(MessageWindow*)> act;
        std::function<bool()> ready = [] { return true; };
    };
    explicit Driver(std::vector<Step> steps) : steps_(std::move(steps)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (next_ >= steps_.size()) return timer_.stop();
            auto* w = openWindow(steps_[next_].text);
            if (w && steps_[next_].ready()) steps_[next_++].act(w);
        });
        timer_.start(10);
    }
    bool done() const { return next_ == steps_.size(); }

  private:
    std::vector<Step> steps_;
    size_t next_ = 0;
    QTimer timer_;
};

class MessageWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = ThisMessageBox.setBackend(std::make_shared<MessageWindowBackend>());
    }
    void TearDown() override { ThisMessageBox.setBackend(previous_); }

  private:
    std::shared_ptr<MessageBackend> previous_;
};

TEST_F(MessageWindowTest, YesNoQuestionShowsItsButtonsAndReturnsTheOnePressed) {
    QString yes, no, check;
    bool focused = false, okShown = true;
    Driver driver({{"Post now?", [&](MessageWindow* w) {
                        yes = w->button(msg::Yes)->text();
                        no = w->button(msg::No)->text();
                        okShown = w->button(msg::OK) != nullptr;
                        focused = w->button(msg::No)->isDefault();
                        check = w->findChild<QCheckBox*>("DontShowThisAgain")->text();
                        w->button(msg::No)->click();
                    }}});
    EXPECT_EQ(ds_Message("Post now?", "Posting", icon::Question, msg::Yes + msg::No, msg::No),
              msg::No);
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(yes, "&Yes");
    EXPECT_EQ(no, "&No");
    EXPECT_FALSE(okShown);
    EXPECT_TRUE(focused);
    EXPECT_EQ(check, "Don't Show This Again");
}

TEST_F(MessageWindowTest, EscapeAnswersCancelOrNoAndEnterTheDefault) {
    Driver driver({
        {"a", [](MessageWindow* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"b", [](MessageWindow* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"c", [](MessageWindow* w) { QTest::keyClick(w->focusWidget(), Qt::Key_Return); }},
        {"d", [](MessageWindow* w) { QTest::keyClick(w, Qt::Key_Escape); }},
    });
    EXPECT_EQ(ds_Message("a", "", "", msg::Yes + msg::No + msg::Cancel, msg::Yes), msg::Cancel);
    EXPECT_EQ(ds_Message("b", "", "", msg::Yes + msg::No, msg::Yes), msg::No);
    EXPECT_EQ(ds_Message("c", "", "", msg::Retry + msg::Cancel, msg::Retry), msg::Retry);
    EXPECT_EQ(ds_Message("d", "", icon::Hand, msg::OK), msg::OK);
    EXPECT_TRUE(driver.done());
}

TEST_F(MessageWindowTest, ASecondMessageWaitsForTheOpenOneAndGetsItsOwnAnswer) {
    int32_t second = -1;
    bool secondAsked = false;
    QElapsedTimer asked;
    bool secondShownEarly = true;
    QTimer::singleShot(20, [&] {
        secondAsked = true;
        asked.start();
        second = ds_Message("Second?", "", icon::Question, msg::Yes + msg::No, msg::Yes);
    });
    Driver driver({
        // Once the second message has waited a while, its window must still not be open.
        {"First",
         [&](MessageWindow* w) {
             secondShownEarly = openWindow("Second?") != nullptr;
             w->button(msg::OK)->click();
         },
         [&] { return secondAsked && asked.elapsed() > 50; }},
        {"Second?", [](MessageWindow* w) { w->button(msg::No)->click(); }},
    });
    EXPECT_EQ(ds_Message("First", "", "", msg::OK), msg::OK);
    EXPECT_FALSE(secondShownEarly);
    EXPECT_EQ(second, msg::No);
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(ThisMessageBox.openWindows(), 0);
}

}  // namespace
