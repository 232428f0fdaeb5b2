#pragma once
// The program's per-user settings: one object pointed at the program's key
// HKEY_CURRENT_USER\Software\<maker>\<program>, reading and writing text values there or below
// a procedure's subkey ("Main", "BrowseAPbac"). Failures never stop the caller: they are kept
// in ERRORCODE and ERROR, which names the failing operation ("SetValue.SetValue(...").
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "corelib/registry.h"

namespace shell {

// The maker's name in the program key.
inline constexpr const char* kMakerName = "Kestrelmoor Software";

class RegistrySettings {
  public:
    int32_t HKEY = 0;  // non-zero while a key is open
    int32_t DWKEYINDEX = 0;
    int32_t DWVALUEINDEX = 0;
    std::string ININAME;
    corelib::RegistryRoot ROOT = corelib::HKEY_CURRENT_USER;
    int32_t ERRORCODE = 0;
    std::string ERROR;
    int32_t KEYCOUNT = 0;
    int32_t KEYMAX = 0;
    int32_t VALUECOUNT = 0;
    int32_t NAMEMAX = 0;
    int32_t VALUEMAX = 0;
    int32_t LSTCOMPILEDATE = 0;  // compile date and time last written for a procedure
    int32_t LSTCOMPILETIME = 0;
    int32_t CURCOMPILEDATE = 0;  // this build's
    int32_t CURCOMPILETIME = 0;

    RegistrySettings();

    // An object already pointed at the program's key, "Software\" + kMakerName + "\" +
    // glo_ApplicationName. Inactive when glo_ApplicationName is empty.
    static RegistrySettings forProgram();

    // Points the object at "Software\" + maker + "\" + program (each without trailing blanks),
    // creating the key when missing. false when it cannot (ERROR "SetKey.CreateKey(...").
    bool setKey(const std::string& maker, const std::string& program);
    // True while a key is set.
    bool active() const { return HKEY != 0; }
    const std::string& key() const { return key_; }

    // A value of the key, or of `subKey` below it; `defaultValue` when missing or unreadable.
    std::string getValue(const std::string& name, const std::string& defaultValue = {},
                         const std::string& subKey = {});
    // Writes a value (creating the subkey as needed). false with ERROR "SetValue.SetValue(...".
    bool setValue(const std::string& name, const std::string& value,
                  const std::string& subKey = {});
    // Deletes a value. false with ERROR "DeleteValue()..." when it does not exist.
    bool deleteValue(const std::string& name, const std::string& subKey = {});
    // Every value of the key (or of a subkey) as name/value pairs, in file order; also fills
    // VALUECOUNT, NAMEMAX, VALUEMAX, KEYCOUNT and KEYMAX.
    std::vector<std::pair<std::string, std::string>> enumValues(const std::string& subKey = {});
    // Forgets the key.
    void close();

  private:
    void recordError(const std::string& operation, const std::string& what);

    corelib::Registry registry_;
    std::string key_;
};

}  // namespace shell
