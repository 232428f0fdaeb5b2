#pragma once
// ThisMessageBox: the process's message service. It resolves button captions (per-call captions,
// then the INI file, then the built-in texts), breaks the text into lines, shows one message
// window at a time and hands every message to the installed backend. Until a backend is
// installed with init(), messages go to stderr and are answered with their default button.
//
// All calls belong on the application's GUI thread (or the only thread of the command-line tool).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "corelib/message.h"

namespace corelib {

// One line of a message text and the break that ended it.
struct MessageLine {
    std::string text;
    int position = 0;   // 1-based position of the break character; 0 for the last line
    std::string cause;  // "Vert Bar|", "<13,10>", "<10>"; empty for the last line
};

// Breaks a message text into lines at "|", CR LF and a lone LF. Always gives at least one line.
std::vector<MessageLine> splitMessageText(const std::string& text);
// The "/Mesdbg" report of one break: "In ExtractStringToQueue: Progress: " + position, line,
// cause and length, separated by ", ".
std::string messageBreakReport(const MessageLine& line);

class MessageBoxService {
  public:
    // Built-in captions of OK, Yes, No, Abort, Retry, Ignore, Cancel and Help, and their INI keys.
    static const char* const kDefaultCaptions[8];
    static const char* const kCaptionKeys[8];
    static constexpr int kCaptionWidth = 49;  // longest per-call caption kept

    MessageBoxService();
    ~MessageBoxService();
    MessageBoxService(const MessageBoxService&) = delete;
    MessageBoxService& operator=(const MessageBoxService&) = delete;

    // Installs the backend through which every later message, stop prompt and halt goes. A null
    // backend installs the stderr backend.
    void init(std::unique_ptr<MessageBackend> backend);
    // Shuts the service down: the stderr backend takes over again; captions are reset.
    void kill();
    bool initialised() const { return initialised_; }

    // Swaps the backend without changing the initialised state; returns the previous one so a
    // caller (a test fixture) can put it back. A null backend installs the stderr backend.
    std::shared_ptr<MessageBackend> setBackend(std::shared_ptr<MessageBackend> backend);
    MessageBackend& backend() { return *backend_; }

    // The INI file of captions and texts; blank: none (built-in texts). Setting a file writes the
    // default sections and keys it lacks.
    void setIniFile(const std::string& path);
    const std::string& iniFile() const { return iniFile_; }

    // Per-call captions. A property whose name contains "button" (any case) or is blank: with
    // `reset`, all eight captions become blank; otherwise `value` is split at commas into the
    // captions of OK, Yes, No, Abort, Retry, Ignore, Cancel and Help (each cut to 49 characters;
    // captions not given keep their value). Other property names are ignored.
    void setProperty(const std::string& name, const std::string& value, bool reset = false);

    // The caption of button number i (0 OK ... 7 Help): per-call, INI, built-in. Empty when i is
    // outside 0..7.
    std::string buttonCaption(int index) const;
    // A value of the INI section MessageBox_Text, or `fallback` when no INI file is set.
    std::string text(const std::string& key, const std::string& fallback) const;

    // The "/Mesdbg" switch: report every line break of a message through the stop prompt.
    void setMessageDebug(bool on) { messageDebug_ = on; }
    bool messageDebug() const { return messageDebug_; }
    // Turns the switch on when one argument equals "/Mesdbg" (any case).
    void setCommandLine(const std::vector<std::string>& arguments);

    // Message windows open now, and the last answer given.
    int32_t openWindows() const { return openWindows_; }
    int32_t lastAnswer() const { return lastAnswer_; }

    // ds_Message: hands the message to the backend and returns the button pressed. (The Qt
    // backend shows one window at a time: a message arriving while one is open waits for it.)
    int32_t message(const std::string& text, const std::string& caption, const std::string& icon,
                    int32_t buttons, int32_t defaultButton);
    // ds_Stop: Abort halts the program with exit code 0; Ignore returns.
    void stop(const std::string& text);
    // ds_Halt: shows the text (when given) under the "Halt" caption, then ends the program.
    [[noreturn]] void halt(int32_t exitCode, const std::string& text);
    void beep();

  private:
    void writeIniDefaults() const;
    void reportBreaks(const std::vector<MessageLine>& lines);

    std::shared_ptr<MessageBackend> backend_;
    bool initialised_ = false;
    std::string iniFile_;
    std::string perCall_[8];
    bool messageDebug_ = false;
    bool reportingBreaks_ = false;
    int32_t openWindows_ = 0;
    int32_t lastAnswer_ = 0;
};

extern MessageBoxService ThisMessageBox;

}  // namespace corelib
