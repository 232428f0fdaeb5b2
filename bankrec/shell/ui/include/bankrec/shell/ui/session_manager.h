#pragma once
// Starts the frame's procedures as sessions and ends each session when its window goes.
//
// start(name) asks the thread registry for a thread (THREAD_START keeps one per procedure name
// and brings a running one forward instead); for a new thread it creates the session, calls
// the procedure's factory from the procedure table (or shows a placeholder for a browse not
// built yet), puts the window into the frame's MDI area (or on screen, for dialogs and
// windows of their own), tags it with the thread number, restores its remembered place and
// saves it again when the window closes. When the window is destroyed the session ends: the
// thread leaves the registry and the session's record files close.
#include <QObject>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/session.h"

class QMdiArea;

namespace storage {
class Storage;
}  // namespace storage

namespace shell {

class Configuration;
struct StartupParameters;

// States of a procedure's session:
//   none      no thread of that name in the registry
//   running   a thread, a Session in sessions_ and its window shown (in the MDI area or alone)
// Transitions:
//   none --start()--> running (the factory gave a window) or none (it did its work at once)
//   running --start()--> running (the window is brought forward; nothing new starts)
//   running --window destroyed (closed, closeAll(), the manager destroyed)--> none
// Invariants:
//   1. A session is in sessions_ only while its thread is in the registry, from the moment its
//      window is shown until that window is destroyed.
//   2. A session's window is tagged with its thread (THREAD_SETWINDOW), so its events run there.
//   3. A window in placed_ saves its place when it closes; placed_ forgets it when it goes.
//   4. Windows go before their sessions: a session's record files close after its window.
class SessionManager : public QObject {
    Q_OBJECT
  public:
    // `area` may be null (every window then stands on its own). The table, parameters and
    // storage must outlive the manager.
    SessionManager(QMdiArea* area, const ProcedureTable& table, const StartupParameters& params,
                   const storage::Storage& storage, QObject* parent = nullptr);
    ~SessionManager() override;

    // Hands every later session the program's configuration.
    void setConfiguration(Configuration* configuration) { configuration_ = configuration; }

    // Starts the procedure as a session, or brings its running session forward. Returns the
    // session's thread number; 0 when the procedure is neither registered nor a known browse.
    int32_t start(const std::string& name);

    // The running session of a thread; nullptr when none.
    shell::Session* session(int32_t thread) const;
    // The running session of a procedure (name without regard to case); nullptr when none.
    shell::Session* sessionOf(const std::string& procedure) const;
    int count() const { return static_cast<int>(sessions_.size()); }

    // Closes every session window; false when one refused to close.
    bool closeAll();

    // The title of the placeholder shown for a browse that is not built yet; "" when the name
    // is not one of them.
    static std::string placeholderTitle(const std::string& procedure);

  private:
    QWidget* show(shell::Session& session, QWidget* window);
    void end(int32_t thread);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QMdiArea* area_;
    const ProcedureTable& table_;
    const StartupParameters& params_;
    const storage::Storage& storage_;
    Configuration* configuration_ = nullptr;
    std::map<int32_t, std::unique_ptr<shell::Session>> sessions_;
    std::map<QObject*, std::string> placed_;  // windows whose place is saved on close
};

}  // namespace shell
