#pragma once
// The two account-loading procedures. Both bind a ZORBRFIA link object to the start-up
// parameters, ask LOADFIA for the suite's list and run the FiaLoader over it, one list entry per
// timer tick, in time slices of one transaction each.
//  - LoadFIAQuick: modal "Refreshing FIA" window on the caller's session (the bank browse's
//    "&Refresh", the command-line tool).
//  - LoadFIAThread: the start-up window at every program start, non-modal on a session of its
//    own (bankrec/banks/ui/load_fia_thread_window.h); it uses FiaLoadJob and FiaLink directly.
#include <cstdint>

#include "bankrec/banks/fia_loader.h"
#include "corelib/progress.h"
#include "hostlink/hostlink.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace banks {

// The link object with its connection group and queue, bound to the start-up parameters.
struct FiaLink {
    explicit FiaLink(const shell::StartupParameters& params);
    FiaLink(const FiaLink&) = delete;
    FiaLink& operator=(const FiaLink&) = delete;

    hostlink::INFO info;
    hostlink::FIAQ queue;
    hostlink::ZORBRFIA link{queue, info};
    int32_t response = 0;  // GlobalResponse left by LOADFIA (1: the whole list)

    // Calls LOADFIA and keeps its response.
    void load();
};

// Drives a FiaLoader from a progress window: the range is the list's entries, each tick one
// step, each slice of ticks one transaction (when it can begin; otherwise each write frames its
// own). The transaction names only the file the loader is writing, APbnk for the list entries
// and APbnu in the final pass: a commit on one file is several times cheaper than an atomic
// commit across two, and the loader never needs both at once.
class FiaLoadJob : public corelib::ProgressJob {
  public:
    FiaLoadJob(storage::FileSession& session, FiaLink& link);

    void open(corelib::ProgressView& view) override;
    bool tick(corelib::ProgressView& view) override;
    void sliceBegin() override;
    void sliceEnd() override;
    bool cancel(corelib::ProgressView&) override { return false; }  // the loader runs to its end

    FiaLoader& loader() { return loader_; }

  private:
    // Within a slice, makes sure the transaction covers the file the next step writes.
    void cover(storage::FileId file);
    void commitSlice();

    storage::FileSession& session_;
    FiaLoader loader_;
    bool sliceOpen_ = false;  // between sliceBegin and sliceEnd
    bool inTransaction_ = false;
    storage::FileId covered_ = storage::FileId::APbnk;
};

// The progress window of LoadFIAQuick.
corelib::ProgressOptions loadFiaQuickOptions();

// Refreshes APbnk and APbnu from the suite on the caller's session, in the modal "Refreshing
// FIA" window; returns what the loader did. The files are opened (and closed again) through
// the file services.
FiaLoadCounts LoadFIAQuick(storage::FileSession& session, const shell::StartupParameters& params);

}  // namespace banks
