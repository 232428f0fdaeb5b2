#pragma once
// What the bank form asks of the suite's general ledger: the journals it may post through, and
// whether a ledger account may take the service charge or the interest of a bank.
#include <array>
#include <string>
#include <vector>

#include "suiteapi/tvgldata.h"

namespace banks {

struct JournalRow {
    std::string Abbr;         // CSTRING(6)
    std::string Description;  // CSTRING(31)
};

// The outcome of an account check: an empty error means the account is good, and then the
// description holds "segment=description" pairs joined by ", ".
struct AccountCheck {
    std::string error;
    std::string description;
    bool ok() const { return error.empty(); }
};

class HostLedger {
  public:
    // `division` is the two-digit division ("03").
    explicit HostLedger(std::string division);
    ~HostLedger();
    HostLedger(const HostLedger&) = delete;
    HostLedger& operator=(const HostLedger&) = delete;

    // Opens the journal file for the form's lifetime; returns the status ("00" success).
    std::string openJournals();
    void closeJournals();
    // Every journal with record type "1" and post code "0", from the first on. Empty when the
    // journal file is not open.
    std::vector<JournalRow> journals();
    // Whether the journal is a budget journal (loaded through the ledger; false when it cannot
    // be loaded).
    bool isBudgetJournal(const std::string& abbr) const;

    // Checks an account (printed form) for posting through `journalAbbr`: every segment must be
    // in the chart ("Account X not in system."), active or budget-only ("Account X not in
    // active."), and budget-only only with a budget journal ("ABBR is not a budget journal.").
    AccountCheck checkAccount(const std::string& account, const std::string& journalAbbr) const;

  private:
    std::string division_;
    bool journalsOpen_ = false;
    std::array<char, TVSUITE_HANDLE_SIZE> cscHandle_{};
};

}  // namespace banks
