#pragma once
// Per-user and machine settings kept the way the maker's applications expect a registry:
// two roots, keys named by backslash paths ("Software\Kestrelmoor Software\Bank Reconciliation"),
// text values by name. Each root is one INI file (QSettings, IniFormat):
//   HKEY_CURRENT_USER   $BANKREC_HKCU, else $XDG_CONFIG_HOME/bankrec/HKEY_CURRENT_USER.ini
//                       ($XDG_CONFIG_HOME defaults to ~/.config)
//   HKEY_LOCAL_MACHINE  $BANKREC_HKLM, else /etc/xdg/bankrec/HKEY_LOCAL_MACHINE.ini
// Key and value names compare without regard to case, as on the original platform; a key
// exists while it holds a value or a sub-key. Every call reads or writes the file at once, so
// two Registry objects (or two processes) see each other's writes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corelib {

enum RegistryRoot : int32_t {
    HKEY_CURRENT_USER = 1,
    HKEY_LOCAL_MACHINE = 2,
};

// Error codes of the last failing operation, numbered as the original platform numbers them.
enum RegistryErrorCode : int32_t {
    RegistryOk = 0,
    RegistryNotFound = 2,      // key or value missing
    RegistryAccessDenied = 5,  // the file cannot be written
    RegistryInvalidData = 13,  // a value that is not text, or an unreadable file
    RegistryNoKey = 1010,      // no key open
    RegistryBadName = 161,     // an empty key path or a value name holding '/'
};

class Registry {
  public:
    explicit Registry(RegistryRoot root = HKEY_CURRENT_USER) : root_(root) {}

    RegistryRoot root() const { return root_; }
    // Changes the root; closes the open key.
    void setRoot(RegistryRoot root);

    // Opens an existing key. false (error 2) when the key does not exist; the previous key
    // stays closed either way.
    [[nodiscard]] bool openKey(const std::string& path);
    // Opens a key, creating it when missing. Creation shows on disk with the first value written.
    [[nodiscard]] bool createKey(const std::string& path);
    void close() { keyPath_.clear(); }
    bool isOpen() const { return !keyPath_.empty(); }
    // The open key's path as it was opened (backslashes, no leading or trailing backslash).
    std::string keyPath() const;

    // Reads a text value of the open key, or of `subKey` below it when given. Missing key or
    // value: nullopt with error 2; a value that is not text: nullopt with error 13 and the
    // error text "Can't handle data type".
    [[nodiscard]] std::optional<std::string> readValue(const std::string& name,
                                                       const std::string& subKey = {});
    // Writes a text value of the open key (or of `subKey` below it, created as needed).
    // false with error 5 when the file cannot be written.
    [[nodiscard]] bool writeValue(const std::string& name, const std::string& value,
                                  const std::string& subKey = {});
    // Deletes a value of the open key; false with error 2 when it does not exist.
    [[nodiscard]] bool deleteValue(const std::string& name, const std::string& subKey = {});
    // Names of the open key's values and of its direct sub-keys, in file order.
    std::vector<std::string> valueNames();
    std::vector<std::string> subKeyNames();

    int32_t errorCode() const { return errorCode_; }
    // The system's text for the last error ("" when the last operation succeeded).
    const std::string& errorText() const { return errorText_; }

    // The INI file that holds a root, after the environment overrides.
    static std::string fileFor(RegistryRoot root);

  private:
    // The names of the open key's values, or of its sub-keys.
    std::vector<std::string> childNames(bool subKeys);
    bool fail(int32_t code, const std::string& text = {});
    void succeed();

    RegistryRoot root_;
    std::string keyPath_;  // settings group path with '/' separators, as stored in the file
    int32_t errorCode_ = 0;
    std::string errorText_;
};

}  // namespace corelib
