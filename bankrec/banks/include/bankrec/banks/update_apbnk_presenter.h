#pragma once
// The rules of the bank form ("Update Financial Institution Accounts"), apart from any widget,
// so the window, the command-line tool and the tests share them: opening on the session's
// current bank, the cash-account list and its default mark, the journal lists, the posting
// switches, ledger account validation, saving in one procedure transaction frame, and delete.
//
// The form edits the session's APbnk buffer (the bank the browse made current) and keeps a
// copy as read; saving writes the bank only when it differs from that copy, then the default
// marks of the cash accounts.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bankrec/banks/host_ledger.h"
#include "bankrec/storage/records.h"
#include "corelib/globals.h"

namespace storage {
class FileSession;
class FileUse;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace banks {

struct CashAccountRow {
    std::string BankAccount;  // CSTRING(41)
    int32_t Icon = 0;         // 1: the check mark of the default
    int32_t BankUseID = 0;
    bool isDefault() const { return Icon == 1; }
};

// Which of the two ledger accounts of a bank.
enum class PostingAccount { ServiceCharge, InterestEarned };

class UpdateAPbnkPresenter {
  public:
    enum class SaveOutcome {
        Saved,         // written and committed (or nothing to write)
        Invalid,       // an account failed its check; the message was shown; stay in the form
        DuplicateKey,  // warning 24 was shown; stay in the form
        Conflict,      // another station changed the bank: warning 38 shown, its values loaded
        Closed,        // the transaction frame failed and reported it; the form must close
        NotAllowed,    // view mode: nothing is saved
    };

    struct Hooks {
        std::function<void(bool busy)> waitCursor;  // show / restore the wait cursor
    };

    UpdateAPbnkPresenter(storage::FileSession& session, const shell::StartupParameters& params,
                         Hooks hooks = {});
    ~UpdateAPbnkPresenter();

    // Opens APbnk, APbnu and the host journal file, and takes the session's current bank for
    // `request` (ChangeRecord or ViewRecord; DeleteRecord for runDelete). Fills the lists.
    void open(int32_t request);
    int32_t request() const { return request_; }
    bool viewMode() const { return request_ == corelib::ViewRecord; }
    // "Changing Financial Institution Account" or "Viewing Financial Institution Account".
    std::string title() const;

    // The bank as edited (the session's APbnk buffer) and as it was read.
    storage::APbnk& bank();
    const storage::APbnk& original() const { return original_; }

    // ---- Cash accounts ----
    const std::vector<CashAccountRow>& cashAccounts() const { return cash_; }
    // Marks the row as the default and clears the mark of every other row.
    void setDefault(size_t row);
    // The row of an account (without regard to case); nullopt when the bank has no such account.
    std::optional<size_t> findCashAccount(const std::string& account) const;

    // ---- Posting ----
    const std::vector<JournalRow>& journals() const { return journals_; }
    // Whether the journal and account controls of a posting are shown (its check box is on).
    bool postingVisible(PostingAccount which) const;
    void setPosting(PostingAccount which, bool on);
    // Stores the journal's abbreviation in the bank (an abbreviation not in the list is kept).
    void setJournal(PostingAccount which, const std::string& abbr);
    // The row of the bank's journal in the journal list; nullopt when it is not listed.
    std::optional<size_t> journalRow(PostingAccount which) const;
    void setAccount(PostingAccount which, const std::string& account);
    // The description beside an account entry ("seg=desc, seg=desc" after a good check).
    const std::string& accountDescription(PostingAccount which) const;

    // Checks an account whose posting is on and, when good, fills its description. With an
    // error: beep and the message (caption glo_ApplicationName, exclamation, OK); false.
    // Accounts whose posting is off, and view mode, always pass.
    bool validate(PostingAccount which);

    // ---- Saving and deleting ----
    // OK: validates both accounts, then writes bank and default marks in one transaction frame
    // on APbnk and APbnu (5 seconds).
    SaveOutcome save();
    // Puts the bank back as it was read (Cancel).
    void cancel();
    // Delete request: confirms (warning 32), then deletes through the delete service, offering
    // warning 18 to try again after a failure. Sets and returns GlobalResponse.
    int32_t runDelete();

    // The user's own values from before a change conflict, for recalling field by field.
    const std::optional<storage::APbnk>& entered() const { return entered_; }

  private:
    void loadCashAccounts();
    std::string& accountField(PostingAccount which);
    std::string& journalField(PostingAccount which);
    void busy(bool on);

    storage::FileSession& session_;
    const shell::StartupParameters& params_;
    Hooks hooks_;
    std::unique_ptr<storage::FileUse> files_;
    HostLedger ledger_;
    int32_t request_ = 0;
    storage::APbnk original_;
    std::optional<storage::APbnk> entered_;
    std::vector<CashAccountRow> cash_;
    std::vector<JournalRow> journals_;
    std::string descriptions_[2];
};

}  // namespace banks
