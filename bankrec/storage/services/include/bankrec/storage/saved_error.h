#pragma once
// The saved error of the file-access services: the last failure of a record operation, kept
// until a standard warning shows it (and clears it). The services keep one per thread (every
// window session runs on the GUI thread, and messages are shown one at a time there).
#include <cstdint>
#include <string>

#include "bankrec/storage/storage_error.h"
#include "corelib/standard_warnings.h"

namespace storage {

class SavedError {
  public:
    // Keeps `error` (number, file, driver code and message); Error::None clears.
    void save(const StorageError& error);
    // Keeps an error number with its standard text and no driver details.
    void save(Error number, const std::string& file = {});
    void clear();

    bool isSet() const { return error_.number != Error::None; }
    Error number() const { return error_.number; }
    const StorageError& error() const { return error_; }
    // The error's own text, at most 255 characters ("" when none is saved).
    const std::string& text() const { return text_; }
    // The error text the warnings show: text + " (" + number + ")", for error 90 the driver's
    // message + " (" + driver code + ")", at most 150 characters. "" when none is saved.
    std::string errorText() const;
    // The error as a warning shows it, and clears the saved error.
    corelib::WarningError take();

  private:
    StorageError error_;
    std::string text_;
};

// The saved error of the calling thread's file-access services.
SavedError& savedError();

}  // namespace storage
