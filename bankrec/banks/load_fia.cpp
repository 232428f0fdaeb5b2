#include "bankrec/banks/load_fia.h"

#include <algorithm>

#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/standard_warnings.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;
using namespace hostlink;
using namespace shell;

namespace banks {

FiaLink::FiaLink(const StartupParameters& params) : info(connectionGroup(params)) {}

void FiaLink::load() {
    LOADFIA(link);
    response = GlobalResponse;
}

FiaLoadJob::FiaLoadJob(FileSession& session, FiaLink& link)
    : session_(session), loader_(session, link.link) {
    loader_.setListComplete(link.response == RequestCompleted);
}

void FiaLoadJob::open(ProgressView& view) {
    view.setRange(1, std::max<int64_t>(1, loader_.total()));
    view.setValue(0);
}

bool FiaLoadJob::tick(ProgressView& view) {
    if (sliceOpen_) cover(loader_.writesTo());
    const bool more = loader_.step();  // false at once after a lost slice
    view.setValue(loader_.handled());
    return more;
}

void FiaLoadJob::cover(FileId file) {
    if (inTransaction_ && covered_ == file) return;
    if (inTransaction_) commitSlice();
    if (loader_.done()) return;  // the slice just committed was lost
    inTransaction_ = session_.begin({file}, 2) == Error::None;
    covered_ = file;
    if (inTransaction_) loader_.sliceStarted();
}

void FiaLoadJob::commitSlice() {
    inTransaction_ = false;
    if (session_.commit() != Error::None) {
        saveError(session_);
        loader_.sliceLost();
        StandardWarning(Warn_UpdateError, fileDef(covered_).name);
    }
}

void FiaLoadJob::sliceBegin() {
    sliceOpen_ = true;
}

void FiaLoadJob::sliceEnd() {
    sliceOpen_ = false;
    if (inTransaction_) commitSlice();
}

ProgressOptions loadFiaQuickOptions() {
    ProgressOptions options;
    options.title = "Refreshing FIA";
    options.text = "Refresh Financial Institutions";
    options.cancelButton = false;
    options.percentLine = false;
    options.placeName = "LoadFIAQuick";
    return options;
}

FiaLoadCounts LoadFIAQuick(FileSession& session, const StartupParameters& params) {
    THREAD_LOG("LoadFIAQuick");
    FiaLoadCounts counts;
    {
        FileUse files(session, {FileId::APbnk, FileId::APbnu});
        if (files.error() == Error::None) {
            FiaLink link(params);
            link.load();
            FiaLoadJob job(session, link);
            runProgress(loadFiaQuickOptions(), job);
            counts = job.loader().counts();
            counts.suite = link.link.outcome;
        }
    }
    THREAD_RETURN("LoadFIAQuick");
    return counts;
}

}  // namespace banks
