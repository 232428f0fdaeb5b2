#pragma once
// The program's name/value settings kept in SYcfg (the import wizard's layouts, the report
// headings). Names are registered with their defaults when the frame opens, then the stored
// values replace the defaults. Names compare without regard to case.
#include <cstdint>
#include <string>
#include <vector>
#include "bankrec/storage/storage_error.h"

#include "bankrec/storage/transaction_frame.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace shell {

class Configuration {
  public:
    struct Entry {
        std::string name;
        std::string value;
    };

    // Registers the program's settings with their defaults (ImportType 1 ... "Organization
    // Phones"), keeping values already registered.
    void registerDefaults();
    // Registers one name with its default; an existing name keeps its value.
    void add(const std::string& name, const std::string& defaultValue);
    bool contains(const std::string& name) const;

    // Reads every registered name from SYcfg in one transaction frame of 5 seconds on the
    // session and takes the stored value where a record exists. Error::None, or the storage error
    // that ended the frame (already reported to the user through the frame's messages).
    // `hooks` give the frame its wait cursor and window to close.
    storage::Error load(storage::FileSession& session, const storage::FrameHooks& hooks = {});

    enum class [[nodiscard]] SetResult : int32_t{
        Stored = 0,
        UnknownName = 1,
        NotStored = 2,
        TooLong = 3,
    };

    // The value of a registered name. A name never registered shows "Configuration " + name +
    // " not found." (no caption, OK) and gives "".
    std::string get(const std::string& name) const;
    // Stores a registered name's value in the list and in SYcfg (the record found by its name
    // is added with the next ConfigurationID when missing, changed only when the value
    // differs; each write stamped). Stored also when the value was unchanged; UnknownName for a
    // name never registered (message as for get); TooLong, with nothing changed, for a value
    // longer than SYcfg's Value holds (message "Configuration " + name + " value is too long
    // ..."), since a cut value would be stored wrongly and rewritten at every same set;
    // NotStored when the storage failed (reported through the frame's messages).
    SetResult set(storage::FileSession& session, const std::string& name, const std::string& value,
                  const storage::FrameHooks& hooks = {});

    // Stores several registered names at once, in one transaction frame of 5 seconds: all of
    // them or, when the storage fails (reported through the frame's messages), none (NotStored;
    // the list keeps its old values then). UnknownName, with the message as for get and nothing
    // stored, when one of them was never registered; TooLong, as for set and nothing stored,
    // when one of them is too long.
    SetResult setAll(storage::FileSession& session, const std::vector<Entry>& values,
                     const storage::FrameHooks& hooks = {});

    const std::vector<Entry>& entries() const { return entries_; }
    // The longest value SYcfg keeps, in bytes of UTF-8.
    static int maxValueBytes();

  private:
    // Writes one value to SYcfg inside the caller's frame (added or changed, stamped; nothing
    // written when it is unchanged).
    storage::Error store(storage::FileSession& session, const std::string& name,
                         const std::string& value);

    Entry* find(const std::string& name);
    const Entry* find(const std::string& name) const;

    std::vector<Entry> entries_;
};

}  // namespace shell
