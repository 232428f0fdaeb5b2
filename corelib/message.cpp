#include "corelib/message.h"

#include "corelib/message_box.h"

namespace corelib {

int32_t ds_Message(const std::string& text, const std::string& caption, const std::string& iconName,
                   int32_t buttons, int32_t defaultButton, int32_t /*style*/) {
    return ThisMessageBox.message(text, caption, iconName, buttons, defaultButton);
}

void ds_Stop(const std::string& text) {
    ThisMessageBox.stop(text);
}

void ds_Halt(int32_t exitCode, const std::string& text) {
    ThisMessageBox.halt(exitCode, text);
}

void ds_Beep() {
    ThisMessageBox.beep();
}

}  // namespace corelib
