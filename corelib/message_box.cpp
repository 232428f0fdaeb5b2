#include "corelib/message_box.h"

#include <QSettings>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "corelib/text.h"

namespace corelib {

MessageBoxService ThisMessageBox;

const char* const MessageBoxService::kDefaultCaptions[8] = {"OK",     "&Yes",    "&No",    "&Abort",
                                                            "&Retry", "&Ignore", "Cancel", "&Help"};
const char* const MessageBoxService::kCaptionKeys[8] = {
    "Button:OK",    "Button:Yes",    "Button:No",     "Button:Abort",
    "Button:Retry", "Button:Ignore", "Button:Cancel", "Button:Help"};

namespace {

const char* const kButtonsSection = "MessageBox_Buttons";
const char* const kTextSection = "MessageBox_Text";
const char* const kEmailSection = "MessageBox_Email";
const char* const kLoggingSection = "MessageBox_Logging";

struct IniDefault {
    const char* key;
    const char* value;
};
const IniDefault kTextDefaults[] = {
    {"StopHeader", "Stop"},
    {"StopDefault", "Exit?"},
    {"HaltHeader", "Halt"},
    {"TimeOutPrompt", "Time Out:"},
    {"DontShowThisAgain", "Don't Show This Again"},
    {"LogTimer", "Timer"},
};
const IniDefault kEmailDefaults[] = {
    {"Subject", "MessageBox routine called for "},
    {"Body", "The following message was displayed:"},
    {"Time", "Time: "},
    {"Date", "Date: "},
    {"Heading", "Heading: "},
    {"Text", "Text: "},
};

std::string builtInText(const std::string& key) {
    for (const auto& d : kTextDefaults)
        if (key == d.key) return d.value;
    return {};
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

bool blank(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); });
}

// Lowest button bit of a set; OK for an empty set.
int32_t firstButton(int32_t buttons) {
    for (int i = 0; i < 8; ++i)
        if (buttons & (1 << i)) return 1 << i;
    return msg::OK;
}

// Messages before the service is initialised (and after it shuts down): written to stderr and
// answered with the default button.
class StderrMessages : public MessageBackend {
  public:
    int32_t show(const MessageRequest& r) override {
        std::cerr << (r.caption.empty() ? std::string("Message") : r.caption) << ": " << r.text
                  << std::endl;
        return r.defaultButton ? r.defaultButton : firstButton(r.buttons);
    }
    void beep() override { std::cerr << '\a' << std::flush; }
    [[noreturn]] void halt(int32_t exitCode) override {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        std::exit(exitCode);
    }
};

}  // namespace

std::vector<MessageLine> splitMessageText(const std::string& text) {
    std::vector<MessageLine> lines;
    std::string current;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string cause;
        size_t skip = 0;
        if (c == '|') {
            cause = "Vert Bar|";
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            cause = "<13,10>";
            skip = 1;
        } else if (c == '\n') {
            cause = "<10>";
        }
        if (cause.empty()) {
            current += c;
            continue;
        }
        lines.push_back({current, static_cast<int>(i) + 1, cause});
        current.clear();
        i += skip;
    }
    lines.push_back({current, 0, {}});
    return lines;
}

std::string messageBreakReport(const MessageLine& line) {
    return "In ExtractStringToQueue: Progress: " + std::to_string(line.position) + ", " +
           line.text + ", " + line.cause + ", " + std::to_string(line.text.size());
}

MessageBoxService::MessageBoxService() : backend_(std::make_shared<StderrMessages>()) {}
MessageBoxService::~MessageBoxService() = default;

void MessageBoxService::init(std::unique_ptr<MessageBackend> backend) {
    if (backend)
        backend_ = std::shared_ptr<MessageBackend>(std::move(backend));
    else
        backend_ = std::make_shared<StderrMessages>();
    initialised_ = true;
}

void MessageBoxService::kill() {
    backend_ = std::make_shared<StderrMessages>();
    initialised_ = false;
    for (auto& c : perCall_) c.clear();
}

std::shared_ptr<MessageBackend> MessageBoxService::setBackend(
    std::shared_ptr<MessageBackend> backend) {
    auto previous = std::move(backend_);
    backend_ = backend ? std::move(backend) : std::make_shared<StderrMessages>();
    return previous;
}

void MessageBoxService::setIniFile(const std::string& path) {
    iniFile_ = blank(path) ? std::string() : text::trimRight(path);
    if (!iniFile_.empty()) writeIniDefaults();
}

void MessageBoxService::writeIniDefaults() const {
    QSettings ini(q(iniFile_), QSettings::IniFormat);
    // The button and text sections: when the section lacks its test key (Button:OK for both),
    // each key it lacks. The text section never holds Button:OK, so its missing keys are always
    // filled in; keys already there are never changed.
    ini.beginGroup(kButtonsSection);
    if (!ini.contains(kCaptionKeys[0])) {
        for (int i = 0; i < 8; ++i)
            if (!ini.contains(kCaptionKeys[i])) ini.setValue(kCaptionKeys[i], kDefaultCaptions[i]);
    }
    ini.endGroup();
    ini.beginGroup(kTextSection);
    if (!ini.contains(kCaptionKeys[0])) {
        for (const auto& d : kTextDefaults)
            if (!ini.contains(d.key)) ini.setValue(d.key, d.value);
    }
    ini.endGroup();
    // The mail and logging sections: all their defaults when the test key is missing.
    ini.beginGroup(kEmailSection);
    if (!ini.contains("Subject"))
        for (const auto& d : kEmailDefaults) ini.setValue(d.key, d.value);
    ini.endGroup();
    ini.beginGroup(kLoggingSection);
    if (!ini.contains("Default Header"))
        ini.setValue("Default Header", "Date,Time,Duration,User,Button,Heading,Message Text");
    ini.endGroup();
    ini.sync();
}

void MessageBoxService::setProperty(const std::string& name, const std::string& value, bool reset) {
    if (!blank(name) && text::lower(name).find("button") == std::string::npos) return;
    if (reset) {
        for (auto& c : perCall_) c.clear();
        return;
    }
    size_t start = 0;
    for (int i = 0; i < 8; ++i) {
        const size_t comma = value.find(',', start);
        perCall_[i] = text::cutCharacters(value.substr(start, comma - start), kCaptionWidth);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

std::string MessageBoxService::buttonCaption(int index) const {
    if (index < 0 || index > 7) return {};
    if (!blank(perCall_[index])) return perCall_[index];
    if (!iniFile_.empty()) {
        QSettings ini(q(iniFile_), QSettings::IniFormat);
        return ini
            .value(QString(kButtonsSection) + "/" + kCaptionKeys[index], kDefaultCaptions[index])
            .toString()
            .toStdString();
    }
    return kDefaultCaptions[index];
}

std::string MessageBoxService::text(const std::string& key, const std::string& fallback) const {
    if (iniFile_.empty()) return fallback;
    QSettings ini(q(iniFile_), QSettings::IniFormat);
    return ini.value(QString(kTextSection) + "/" + q(key), q(fallback)).toString().toStdString();
}

void MessageBoxService::setCommandLine(const std::vector<std::string>& arguments) {
    for (const auto& a : arguments)
        if (text::lower(text::trimRight(a)) == "/mesdbg") messageDebug_ = true;
}

void MessageBoxService::reportBreaks(const std::vector<MessageLine>& lines) {
    // The report goes through the stop prompt, itself a message: its own breaks are not reported.
    reportingBreaks_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{reportingBreaks_};
    for (const auto& line : lines)
        if (line.position > 0) stop(messageBreakReport(line));
}

int32_t MessageBoxService::message(const std::string& text, const std::string& caption,
                                   const std::string& icon, int32_t buttons,
                                   int32_t defaultButton) {
    const auto lines = splitMessageText(text);
    if (messageDebug_ && !reportingBreaks_ && lines.size() > 1) reportBreaks(lines);

    MessageRequest request;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) request.text += '\n';
        request.text += lines[i].text;
    }
    request.caption = caption;
    request.icon = blank(icon) ? std::string() : icon;
    request.buttons = (buttons & 0xFF) ? (buttons & 0xFF) : msg::OK;
    const int32_t wanted = defaultButton & request.buttons;
    request.defaultButton = wanted ? firstButton(wanted) : firstButton(request.buttons);
    for (int i = 0; i < 8; ++i) request.captions[i] = buttonCaption(i);
    request.timeOutPrompt = this->text("TimeOutPrompt", builtInText("TimeOutPrompt"));
    request.dontShowAgain = this->text("DontShowThisAgain", builtInText("DontShowThisAgain"));

    auto backend = backend_;  // stays alive even if the backend is swapped meanwhile
    ++openWindows_;
    struct Uncount {
        MessageBoxService& s;
        ~Uncount() { --s.openWindows_; }
    } uncount{*this};
    const int32_t answer = backend->show(request);
    lastAnswer_ = answer;
    return answer;
}

void MessageBoxService::stop(const std::string& text) {
    const std::string shown = blank(text) ? this->text("StopDefault", "Exit?") : text;
    const int32_t answer = message(shown, this->text("StopHeader", "Stop"), icon::Hand,
                                   msg::Abort + msg::Ignore, msg::Abort);
    if (answer == msg::Abort) halt(0, {});
}

void MessageBoxService::halt(int32_t exitCode, const std::string& text) {
    if (!blank(text)) message(text, this->text("HaltHeader", "Halt"), icon::Hand, msg::OK, msg::OK);
    auto backend = backend_;
    backend->halt(exitCode);
    std::abort();  // a backend's halt never returns
}

void MessageBoxService::beep() {
    backend_->beep();
}

}  // namespace corelib
