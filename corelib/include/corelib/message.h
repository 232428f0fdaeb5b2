#pragma once
// The process's one message service. Every message, stop prompt and halt notice of the program
// and its libraries goes through ds_Message / ds_Stop / ds_Halt, which hand it to the backend
// installed with ThisMessageBox.init(): the Qt message window, or the scripted backend of the
// command-line tool and the tests (answers given in advance, every message recorded).
#include <cstdint>
#include <memory>
#include <string>

namespace corelib {

namespace msg {
// Button values, one bit each; a message's button set is their sum, its answer one of them.
enum Button : int32_t {
    OK = 1,
    Yes = 2,
    No = 4,
    Abort = 8,
    Retry = 16,
    Ignore = 32,
    Cancel = 64,
    Help = 128,
};
}  // namespace msg

// Icon names understood by the backends; an empty icon shows the service's own default icon.
namespace icon {
inline constexpr const char* Exclamation = "Exclamation";
inline constexpr const char* Question = "Question";
inline constexpr const char* Information = "Asterisk";
inline constexpr const char* Hand = "Hand";
}  // namespace icon

// One message as the backend receives it, with the button captions already resolved.
struct MessageRequest {
    std::string text;     // line breaks already normalised to '\n'
    std::string caption;  // window title (may be empty)
    std::string icon;
    int32_t buttons = msg::OK;
    int32_t defaultButton = 0;  // 0: the first button of the set
    std::string captions[8];    // caption of OK, Yes, No, Abort, Retry, Ignore, Cancel, Help
    std::string timeOutPrompt = "Time Out:";              // prompt of the time-out counter line
    std::string dontShowAgain = "Don't Show This Again";  // caption of the check box
};

class MessageBackend {
  public:
    virtual ~MessageBackend() = default;
    // Shows the message and waits for a button; returns that button's value.
    virtual int32_t show(const MessageRequest& request) = 0;
    // The warning beep.
    virtual void beep() = 0;
    // Ends the program with the exit code. Never returns (the scripted backend of the tests
    // records the code and throws ProgramHalted instead).
    [[noreturn]] virtual void halt(int32_t exitCode) = 0;
};

// Thrown only by the tests' scripted backend when a procedure halts the program.
struct ProgramHalted {
    int32_t exitCode = 0;
};

// Shows a message; returns the value of the button pressed. Line breaks: "|", CR LF, LF.
int32_t ds_Message(const std::string& text, const std::string& caption = {},
                   const std::string& iconName = {}, int32_t buttons = msg::OK,
                   int32_t defaultButton = 0, int32_t style = 0);
// The stop prompt: Abort halts the program, Ignore returns.
void ds_Stop(const std::string& text = {});
// Shows the text (when given) and ends the program with the exit code.
[[noreturn]] void ds_Halt(int32_t exitCode = 0, const std::string& text = {});
// The warning beep.
void ds_Beep();

}  // namespace corelib
