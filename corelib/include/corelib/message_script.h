#pragma once
// The non-interactive message backend of the command-line tool and the tests: answers are given
// in advance, every message is recorded, beeps are counted and a halt is recorded.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "corelib/message.h"

namespace corelib {

// One message as shown, with the answer it got.
struct RecordedMessage {
    std::string caption;
    std::string text;  // lines joined with '\n'
    std::string icon;
    int32_t buttons = 0;
    int32_t defaultButton = 0;
    int32_t answer = 0;
    std::string captions[8];  // resolved captions of OK ... Help
};

class ScriptedMessages : public MessageBackend {
  public:
    // Throw: halt records the exit code and throws ProgramHalted (the tests).
    // Exit: halt flushes the streams and ends the process with std::exit (the command-line tool).
    enum class HaltMode { Throw, Exit };

    static constexpr int kMaxAssumedRepeats = 3;

    explicit ScriptedMessages(HaltMode mode = HaltMode::Throw) : mode_(mode) {}

    // Queues answers, given to the next messages in order. When the queue is empty a question
    // (a message with more than one button) is answered with Yes, OK or Retry (in that order) if
    // assumeYes is set and one is offered, otherwise with its default button; a notice gets its
    // only button. A question that comes back with the same text after kMaxAssumedRepeats
    // assumed answers in a row (notices in between do not count) gets its default button, so a
    // "try again" that keeps failing cannot loop for ever in a run nobody watches.
    void answer(int32_t button) { answers_.push_back(button); }
    void answers(std::initializer_list<int32_t> buttons) {
        answers_.insert(answers_.end(), buttons);
    }
    size_t pendingAnswers() const { return answers_.size(); }
    void setAssumeYes(bool on) { assumeYes_ = on; }
    // Writes each message to stderr as "Caption: text [Answer]", the answer by its caption.
    void setEcho(bool on) { echo_ = on; }

    const std::vector<RecordedMessage>& messages() const { return messages_; }
    size_t count() const { return messages_.size(); }
    // The first message whose text contains `part`; nullptr when none.
    const RecordedMessage* find(const std::string& part) const;
    // The latest message; nullptr when none was shown.
    const RecordedMessage* last() const;
    // Forgets the recorded messages, the queued answers, the beeps and the halt.
    void clear();

    int beeps() const { return beeps_; }
    // The exit code of the last halt; empty when the program was not halted.
    std::optional<int32_t> haltCode() const { return haltCode_; }

    // Whether a button set asks something (more than one button) rather than tells.
    static bool isQuestion(int32_t buttons);

    int32_t show(const MessageRequest& request) override;
    void beep() override;
    [[noreturn]] void halt(int32_t exitCode) override;

  private:
    HaltMode mode_;
    std::deque<int32_t> answers_;
    bool assumeYes_ = false;
    std::string assumedText_;  // the text of the last question answered by assumption
    int assumedRepeats_ = 0;   // how often in a row it was
    bool echo_ = false;
    std::vector<RecordedMessage> messages_;
    int beeps_ = 0;
    std::optional<int32_t> haltCode_;
};

// Installs a fresh scripted backend (Throw mode) in ThisMessageBox for its lifetime and puts the
// previous backend back when it ends. For test fixtures:
//     ScopedScriptedMessages messages;  messages->answer(msg::No);  ...  messages->find("Delete")
class ScopedScriptedMessages {
  public:
    ScopedScriptedMessages();
    ~ScopedScriptedMessages();
    ScopedScriptedMessages(const ScopedScriptedMessages&) = delete;
    ScopedScriptedMessages& operator=(const ScopedScriptedMessages&) = delete;

    ScriptedMessages& get() { return *scripted_; }
    ScriptedMessages* operator->() { return scripted_.get(); }

  private:
    std::shared_ptr<ScriptedMessages> scripted_;
    std::shared_ptr<MessageBackend> previous_;
};

}  // namespace corelib
