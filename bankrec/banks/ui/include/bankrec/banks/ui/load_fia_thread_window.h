#pragma once
// LoadFIAThread: refreshes the bank accounts from the suite at every program start, on a session
// of its own, in the start-up window. The frame stays usable meanwhile; the window stays at least
// three seconds (measured as elapsed time) and then closes, which ends the session.
#include <QElapsedTimer>
#include <memory>

#include "bankrec/banks/ui/startup_window.h"

namespace corelib {
class ProgressRunner;
}  // namespace corelib

namespace storage {
class FileUse;
}  // namespace storage

namespace shell {
class Session;
}  // namespace shell

namespace banks {

class FiaLoadJob;
struct FiaLink;

class LoadFIAThreadWindow : public StartupWindow {
    Q_OBJECT
  public:
    static constexpr int kMinimumMs = 3000;

    explicit LoadFIAThreadWindow(shell::Session& session, QWidget* parent = nullptr);
    ~LoadFIAThreadWindow() override;

    // True once the loader's final pass is done (the window may still wait out its minimum).
    bool loadDone() const { return loadDone_; }

  signals:
    void loadFinished();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void begin();
    void finished();

    shell::Session& session_;
    QElapsedTimer opened_;
    bool started_ = false;
    bool loadDone_ = false;
    std::unique_ptr<storage::FileUse> files_;
    std::unique_ptr<FiaLink> link_;
    std::unique_ptr<FiaLoadJob> job_;
    corelib::ProgressRunner* runner_ = nullptr;
};

}  // namespace banks
