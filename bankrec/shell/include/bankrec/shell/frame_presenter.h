#pragma once
// What the frame shows and holds, apart from its widgets: its title, the two status bar
// sections of date and time, its timer period, and (FramePresenter) the record files it holds
// open and the configuration it loads.
#include <cstdint>
#include <memory>
#include <string>

#include "bankrec/shell/configuration.h"
#include "bankrec/storage/transaction_frame.h"

namespace storage {
class FileSession;
class Storage;
}  // namespace storage

namespace shell {

// The frame's record files and configuration. States:
//   closed --openFiles() ok--> open --closeFiles() or destruction--> closed
//   closed --openFiles() failed--> closed (nothing held)
// While open, the frame's own storage session holds APbnk and SYcfg (one use each), so they
// stay open for the program's whole run; the configuration has been loaded once.
class FramePresenter {
  public:
    // `storage` must outlive the presenter.
    explicit FramePresenter(const storage::Storage& storage);
    ~FramePresenter();
    FramePresenter(const FramePresenter&) = delete;
    FramePresenter& operator=(const FramePresenter&) = delete;

    // Registers the default settings and loads them from SYcfg (in a transaction frame whose
    // wait cursor and window closing are `hooks`; a failure there has been reported and leaves
    // the defaults), then opens APbnk and SYcfg for the frame's lifetime. false when either could
    // not be opened (the user has been told; the program should end); nothing is held then.
    [[nodiscard]] bool openFiles(const storage::FrameHooks& hooks = {});
    // Lets go of APbnk and SYcfg when they are held.
    void closeFiles();
    bool filesOpen() const { return filesOpen_; }

    Configuration& configuration() { return configuration_; }
    // The frame's own storage session.
    storage::FileSession& storage() { return *storage_; }

  private:
    std::unique_ptr<storage::FileSession> storage_;
    Configuration configuration_;
    bool filesOpen_ = false;
};

namespace frame {

// The frame window's own title.
inline constexpr const char* kTitle = "Bank Reconciliation";
// The procedure name of the frame (thread registry, window place).
inline constexpr const char* kProcedure = "Main";

// "Div" + the division as two digits + " " + the window's title + " [" + the data path as the
// command line gave it + "]".
std::string title(const std::string& divisionText, const std::string& windowTitle,
                  const std::string& dataPathArgument);
// Section 3: the weekday of the day number (day number modulo 7, 0 Sunday) + ", " + month
// name, day and four-digit year: "Monday, December 7, 2026". "" for day 0.
std::string statusDate(int32_t dayNumber);
// Section 4: hours and minutes with AM or PM: "9:05 PM", "12:00 AM". "" for time 0.
std::string statusTime(int32_t timeNumber);
// The timer period in hundredths of a second: outside 1 to 100 it becomes 100.
int timerPeriod(int hundredths);

}  // namespace frame

}  // namespace shell
