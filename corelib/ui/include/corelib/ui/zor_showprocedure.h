#pragma once
// The "Procedure Information..." window of the diagnostic key, and its support mail link.
#include <QDialog>
#include <cstdint>
#include <string>

namespace corelib {

// The maker's support mail address.
inline constexpr const char* kSupportAddress = "support@kestrelmoor.com";

// The support mail link: "mailto:" + address + "?subject=" + component + "/" + description +
// " Version " + version + "&body=" + "Problem Description:", followed, when an attachment is
// given, by "%0A%0C&attachment; filename=" and the file name in double quotes. The texts put in
// are percent-encoded where they hold '%', '&', '?', '#' or a double quote, so they cannot end
// the subject early or add fields of their own.
std::string supportMailLink(const std::string& address, const std::string& component,
                            const std::string& description, const std::string& version,
                            const std::string& attachment = {});

class ProcedureInfoWindow : public QDialog {
    Q_OBJECT
  public:
    ProcedureInfoWindow(const std::string& component, const std::string& description,
                        const std::string& version, const std::string& sourceName,
                        const std::string& procedureName, int32_t dateChanged,
                        QWidget* parent = nullptr);

    // The link the Support button opens.
    const std::string& supportLink() const { return link_; }

  private:
    std::string link_;
};

// Shows the window modally (logged in the thread registry as "ZOR_SHOWPROCEDURE"). The date is a
// day number, shown in the user's short date format, blank for 0. Support opens the mail link
// through the desktop's mail program and closes the window.
void ZOR_SHOWPROCEDURE(const std::string& component, const std::string& description,
                       const std::string& version, const std::string& sourceName,
                       const std::string& procedureName, int32_t dateChanged);

}  // namespace corelib
