#include "bankrec/storage/saved_error.h"

#include "bankrec/storage/dictionary.h"

using namespace corelib;

namespace storage {

namespace {
constexpr size_t kMaxErrorTextBytes = 255;
}

void SavedError::save(const StorageError& error) {
    if (error.number == Error::None) {
        clear();
        return;
    }
    error_ = error;
    error_.driverMessage = cutUtf8(error.driverMessage, kMaxErrorTextBytes);
    text_ = cutUtf8(storageErrorText(error.number), kMaxErrorTextBytes);
}

void SavedError::save(Error number, const std::string& file) {
    StorageError e;
    e.number = number;
    e.file = file;
    save(e);
}

void SavedError::clear() {
    error_ = StorageError{};
    text_.clear();
}

std::string SavedError::errorText() const {
    if (!isSet()) return {};
    return standardErrorText(errorNumber(error_.number), text_, error_.driverCode,
                             error_.driverMessage);
}

WarningError SavedError::take() {
    WarningError w{errorNumber(error_.number), errorText()};
    clear();
    return w;
}

SavedError& savedError() {
    thread_local SavedError saved;
    return saved;
}

}  // namespace storage
