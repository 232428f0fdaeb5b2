#pragma once
// The account loader: brings APbnk and APbnu into line with the suite's financial institution
// accounts listed in a ZORBRFIA link object (filled by LOADFIA, or by hand in tests).
//
// The loader is a step machine so a progress window can pace it: each step() handles one list
// entry (add or update the bank matched by APBNK_KEY_FIAID, collect its (BankID, cash account)
// pair), then the final pass runs one record per step: cash accounts the suite no longer reports
// are deleted, reported ones that are missing are added, and every bank with cash accounts but
// no default gets its first one marked. Writes go through the numbering, change and delete
// services, so their warnings are the ones the user sees; a failed write is reported and the
// loader goes on.
//
// Within a caller's slice transaction each entry is a single write, so a failed statement undoes
// only itself; the change service joins the slice with its one write and the delete service
// under a savepoint of its own: one failing entry leaves the rest of the slice alone.
//
// An incomplete list must not strip the banks of their cash accounts: the removal runs only when
// the list is marked complete (LOADFIA answered 1) and holds at least one entry. Adding missing
// cash accounts and the defaults run in every case.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "bankrec/storage/records.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace hostlink {
class ZORBRFIA;
enum class LoadOutcome : int32_t;
}  // namespace hostlink

namespace banks {

struct FiaLoadCounts {
    int32_t entries = 0;  // list entries handled
    int32_t banksAdded = 0;
    int32_t banksUpdated = 0;
    int32_t cashAdded = 0;        // APbnu rows added
    int32_t cashRemoved = 0;      // APbnu rows deleted
    int32_t defaultsSet = 0;      // banks given a default cash account
    int32_t failures = 0;         // writes that failed (already reported to the user)
    bool removalSkipped = false;  // the list was empty or incomplete: nothing was removed
    // How LOADFIA ended (set by LoadFIAQuick): Failed when the suite could not be read.
    hostlink::LoadOutcome suite{};  // NotRun
};

// States (phase_), each step() doing one unit of its phase:
//   Entries   one list entry per step (APbnk written), collecting (BankID, cash account) pairs
//   Remove    one APbnu row per step, deleted when the suite no longer reports it
//   Add       one reported pair per step, added to APbnu when missing (a bank's first pair,
//             added to a bank without cash accounts, comes marked as its default)
//   Defaults  one bank per step, its first cash account marked when it has no default
//   Done      step() returns false
// Transitions: Entries --list exhausted--> Remove --walk ended--> Add --pairs exhausted-->
//   Defaults --walk ended--> Done. Remove is skipped (removalSkipped) when the list is
//   incomplete or empty.
// Invariants:
//   1. next_ - 1 list entries have been handled (handled()); the final pass starts only after
//      the last one, so pairs_ holds every pair the suite reported.
//   2. writesTo() is APbnk exactly while list entries remain, APbnu afterwards.
//   3. A failed write of a bank or cash account is reported by its service and counted in
//      counts_.failures; the loader goes on with the next unit.
//   4. walkStarted_ is reset on every change of phase, so each walk starts from its key's start.
class FiaLoader {
  public:
    // The session's APbnk and APbnu must be open (file services) for the loader's lifetime.
    FiaLoader(storage::FileSession& session, hostlink::ZORBRFIA& link);
    ~FiaLoader();

    // Whether the list is the suite's whole list (LOADFIA left GlobalResponse 1). Default true.
    void setListComplete(bool complete) { listComplete_ = complete; }

    // Number of list entries.
    int32_t total() const;
    // Entries handled so far (the progress bar's value).
    int32_t handled() const { return next_ - 1; }
    // Handles one entry, or one record of the final pass. Returns false once everything is done.
    bool step();
    bool done() const { return phase_ == Phase::Done; }
    // The file the next step writes: APbnk while list entries remain, APbnu in the final pass.
    storage::FileId writesTo() const;
    // Runs every remaining step.
    void runToEnd();

    const FiaLoadCounts& counts() const { return counts_; }

    // The caller's slice transaction begins / was rolled back by a commit that failed. The
    // writes since it began are then not counted, and the run ends: banks added in the lost
    // slice are gone, so the cash accounts collected for them must not be stored.
    void sliceStarted() { committed_ = counts_; }
    void sliceLost();

  private:
    enum class Phase { Entries, Remove, Add, Defaults, Done };
    struct PairLess {
        bool operator()(const std::pair<int32_t, std::string>& a,
                        const std::pair<int32_t, std::string>& b) const;
    };

    void loadEntry(int32_t number);
    bool removeStep();
    bool addStep();
    // Whether the bank has any APbnu row (true also when that cannot be read).
    bool hasCashAccount(int32_t bankId);
    bool defaultsStep();
    void enter(Phase phase);

    storage::FileSession& session_;
    hostlink::ZORBRFIA& link_;
    bool listComplete_ = true;
    Phase phase_ = Phase::Entries;
    int32_t next_ = 1;
    // Every cash account the suite reported, tied to its bank; text without regard to case,
    // as APBNU_KEY_BANKIDBANKACCOUNT compares it.
    std::set<std::pair<int32_t, std::string>, PairLess> pairs_;
    std::set<std::pair<int32_t, std::string>, PairLess>::const_iterator addAt_;
    bool walkStarted_ = false;
    struct LastEntry {
        int32_t fiaId = 0;
        int32_t bankId = 0;
        std::string bank, apBank, prBank;
    } last_;
    FiaLoadCounts counts_;
    FiaLoadCounts committed_;  // counts_ when the caller's slice transaction began
};

}  // namespace banks
