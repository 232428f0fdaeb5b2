#pragma once
// The Qt message window and the backend that shows it (application-modal, one at a time).
#include <QDialog>
#include <map>
#include <vector>

#include "corelib/message.h"

class QCheckBox;
class QEventLoop;
class QLabel;
class QPushButton;

namespace corelib {

class MessageWindow : public QDialog {
    Q_OBJECT
  public:
    explicit MessageWindow(const MessageRequest& request, QWidget* parent = nullptr);

    // The button of a value (msg::Yes, ...); nullptr when the message does not offer it.
    QPushButton* button(int32_t value) const;
    QString text() const;
    // The answer given; 0 while none.
    int32_t answer() const { return answer_; }
    // The button Escape and the close box answer with: Cancel, else No, else OK when it is the only
    // button; 0 when none (Escape then does nothing).
    int32_t escapeAnswer() const { return escape_; }

  signals:
    void answered(int32_t value);

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void answerWith(int32_t value);

    QLabel* text_;
    QLabel* link_;
    QLabel* timeOut_;
    QCheckBox* dontShow_;
    std::map<int32_t, QPushButton*> buttons_;
    int32_t escape_ = 0;
    int32_t answer_ = 0;
};

class MessageWindowBackend : public MessageBackend {
  public:
    // Shows the window and runs a local event loop until a button is pressed. One window at a
    // time: a message arriving while one is open (from a timer or a queued call inside that
    // window's event loop) waits, with the event loop running, until it has closed, and then
    // gets its own window and its own answer.
    int32_t show(const MessageRequest& request) override;
    void beep() override;
    // Flushes the output streams and ends the process.
    [[noreturn]] void halt(int32_t exitCode) override;

  private:
    bool windowOpen_ = false;
    std::vector<QEventLoop*> waiting_;  // loops of messages waiting for the open window
};

}  // namespace corelib
