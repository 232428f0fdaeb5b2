#pragma once
// A session is what the program calls a thread: a number in the thread registry, a storage
// session of its own (connections and one record buffer per record file), the start-up
// parameters and the session's top-level window. Every browse the frame starts gets one; forms
// and other procedures called modally from a window work on the caller's session, so they see
// the caller's current records.
//
// The storage layer's own session (the record files of one window) is storage::FileSession;
// a shell::Session owns one of those.
//
// Ownership: the session owns its storage session; the window belongs to Qt's parent chain
// (the frame's MDI area) and the session only watches it. A session ends when its window is
// destroyed (see SessionManager).
#include <cstdint>
#include <memory>
#include <string>

#include "bankrec/shell/startup_parameters.h"

class QWidget;

namespace storage {
class FileSession;
class Storage;
}  // namespace storage

namespace shell {

class Configuration;

class Session {
  public:
    // Creates the session's storage session over `storage` (which must outlive it).
    Session(int32_t thread, std::string procedure, const StartupParameters& params,
            const storage::Storage& storage);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The thread number the registry gave this session.
    int32_t thread() const { return thread_; }
    // The procedure the session was started for ("BrowseAPbac").
    const std::string& procedure() const { return procedure_; }
    const StartupParameters& params() const { return params_; }
    // The session's own record files and buffers.
    storage::FileSession& storage() { return *storage_; }

    // The program's configuration (the SYcfg settings loaded when the frame opened); null in
    // sessions started without a frame.
    Configuration* configuration() const { return configuration_; }
    void setConfiguration(Configuration* configuration) { configuration_ = configuration; }

    // The session's top-level window (null until the procedure made one, and after it closed).
    QWidget* window() const { return window_; }
    void setWindow(QWidget* window) { window_ = window; }

  private:
    int32_t thread_;
    std::string procedure_;
    const StartupParameters& params_;
    std::unique_ptr<storage::FileSession> storage_;
    Configuration* configuration_ = nullptr;
    QWidget* window_ = nullptr;
};

}  // namespace shell
