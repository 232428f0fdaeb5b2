#include "bankrec/banks/ui/load_fia_thread_window.h"

#include <QTimer>
#include <algorithm>

#include "bankrec/banks/load_fia.h"
#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/session.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "corelib/ui/progress_window.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace banks {

LoadFIAThreadWindow::LoadFIAThreadWindow(shell::Session& session, QWidget* parent)
    : StartupWindow(parent), session_(session) {
    setAttribute(Qt::WA_DeleteOnClose);
    opened_.start();
}

LoadFIAThreadWindow::~LoadFIAThreadWindow() {
    delete runner_;
    runner_ = nullptr;
    job_.reset();
    link_.reset();
    files_.reset();
}

void LoadFIAThreadWindow::showEvent(QShowEvent* event) {
    StartupWindow::showEvent(event);
    if (started_) return;
    started_ = true;
    // The window paints first; the suite is asked once the event loop runs again.
    QTimer::singleShot(0, this, &LoadFIAThreadWindow::begin);
}

void LoadFIAThreadWindow::begin() {
    ::FileSession& storage = session_.storage();
    files_ = std::make_unique<FileUse>(storage,
                                       std::initializer_list<FileId>{FileId::APbnk, FileId::APbnu});
    if (files_->error() != Error::None) {
        finished();
        return;
    }
    link_ = std::make_unique<FiaLink>(session_.params());
    link_->load();
    job_ = std::make_unique<FiaLoadJob>(storage, *link_);
    ProgressOptions options;
    options.title = "Initializing Bank Reconciliation";
    options.cancelButton = false;
    options.percentLine = false;
    runner_ = new ProgressRunner(*job_, options, this, this);
    connect(runner_, &ProgressRunner::finished, this, &LoadFIAThreadWindow::finished);
    runner_->start();
}

void LoadFIAThreadWindow::finished() {
    if (!loadDone_) {
        loadDone_ = true;
        emit loadFinished();
    }
    // A coarse timer may fire a little early, so the minimum is checked again on firing.
    const qint64 remaining = kMinimumMs - opened_.elapsed();
    if (remaining <= 0)
        close();
    else
        QTimer::singleShot(int(remaining), Qt::PreciseTimer, this, &LoadFIAThreadWindow::finished);
}

static ProcedureRegistration registerLoadFIAThread("LoadFIAThread", [](shell::Session& s) {
    return static_cast<QWidget*>(new LoadFIAThreadWindow(s));
});

}  // namespace banks
