#include "corelib/message_script.h"

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "corelib/message_box.h"

namespace corelib {

const RecordedMessage* ScriptedMessages::find(const std::string& part) const {
    for (const auto& m : messages_)
        if (m.text.find(part) != std::string::npos) return &m;
    return nullptr;
}

const RecordedMessage* ScriptedMessages::last() const {
    return messages_.empty() ? nullptr : &messages_.back();
}

void ScriptedMessages::clear() {
    messages_.clear();
    answers_.clear();
    beeps_ = 0;
    haltCode_.reset();
}

bool ScriptedMessages::isQuestion(int32_t buttons) {
    return std::popcount(static_cast<uint32_t>(buttons & 0xFF)) > 1;
}

int32_t ScriptedMessages::show(const MessageRequest& request) {
    int32_t answer = 0;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    } else if (assumeYes_ && isQuestion(request.buttons) &&
               (request.buttons & (msg::Yes | msg::OK | msg::Retry)) &&
               !(request.text == assumedText_ && assumedRepeats_ >= kMaxAssumedRepeats)) {
        for (int32_t b : {msg::Yes, msg::OK, msg::Retry})
            if (request.buttons & b) {
                answer = b;
                break;
            }
        assumedRepeats_ = request.text == assumedText_ ? assumedRepeats_ + 1 : 1;
        assumedText_ = request.text;
    } else {
        answer = request.defaultButton;
        if (!(answer & request.buttons)) {
            answer = msg::OK;
            for (int i = 0; i < 8; ++i)
                if (request.buttons & (1 << i)) {
                    answer = 1 << i;
                    break;
                }
        }
    }
    RecordedMessage m;
    m.caption = request.caption;
    m.text = request.text;
    m.icon = request.icon;
    m.buttons = request.buttons;
    m.defaultButton = request.defaultButton;
    m.answer = answer;
    for (int i = 0; i < 8; ++i) m.captions[i] = request.captions[i];
    messages_.push_back(std::move(m));
    if (echo_) {
        // The answer by its button's caption, without the accelerator mark: "[Cancel]".
        std::string button = std::to_string(answer);
        const int bit = std::countr_zero(static_cast<uint32_t>(answer));
        if (std::has_single_bit(static_cast<uint32_t>(answer)) && bit < 8 &&
            !request.captions[bit].empty()) {
            button.clear();
            for (char c : request.captions[bit])
                if (c != '&') button += c;
        }
        std::cerr << (request.caption.empty() ? std::string("Message") : request.caption) << ": "
                  << request.text << " [" << button << "]" << std::endl;
    }
    return answer;
}

void ScriptedMessages::beep() {
    ++beeps_;
}

void ScriptedMessages::halt(int32_t exitCode) {
    haltCode_ = exitCode;
    if (mode_ == HaltMode::Exit) {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        std::exit(exitCode);
    }
    throw ProgramHalted{exitCode};
}

ScopedScriptedMessages::ScopedScriptedMessages()
    : scripted_(std::make_shared<ScriptedMessages>()),
      previous_(ThisMessageBox.setBackend(scripted_)) {}

ScopedScriptedMessages::~ScopedScriptedMessages() {
    ThisMessageBox.setBackend(previous_);
}

}  // namespace corelib
