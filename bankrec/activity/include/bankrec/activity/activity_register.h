#pragma once
// The rules of the transaction register ("Browse Transaction Register"), apart from any widget:
// the bank selector filled from APbnk in name order with the remembered bank, the rows of the
// chosen bank read page by page, the Delete rule, and view, delete, print and refresh with the
// row to show afterwards.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/activity/activity_pager.h"
#include "bankrec/activity/bank_choices.h"
#include "bankrec/activity/load_chk.h"
#include "bankrec/activity/update_apbac.h"
#include "bankrec/storage/storage_error.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace activity {

inline constexpr const char* kRegisterTitle = "Browse Transaction Register";
inline constexpr const char* kRegisterProcedure = "BrowseAPbac";

class ActivityRegister {
  public:
    // Works on `session`; open() opens APbac and APbnk through the file services and the
    // register lets go of them when it is destroyed.
    ActivityRegister(storage::FileSession& session, const shell::StartupParameters& params);
    ~ActivityRegister();

    // Opens the files and fills the selector, choosing the entry of `rememberedBankId` or the
    // first. False when there is no bank: the warning beep and "No banks have been defined."
    // have been shown (information icon, OK, the window's title as caption); the window closes.
    bool open(int32_t rememberedBankId);

    const std::vector<BankChoice>& banks() const { return banks_; }
    // The selector and its prompt are shown only with two or more banks.
    bool selectorVisible() const { return banks_.size() > 1; }
    int selected() const { return selected_; }
    // loc:BankID, the bank shown.
    int32_t bankId() const;
    // Chooses another bank and reads its rows from the top.
    void select(int index);

    ActivityPager& rows() { return *pager_; }
    // Delete is disabled while the row is both reconciled and marked (or there is no row).
    bool deleteEnabled(int64_t row);

    // View (4) or delete (3) of a row through UpdateAPbac. Returns the row to highlight after
    // the list is refilled: the same row after a view, the neighbouring one after a delete.
    int64_t callForm(int64_t row, int32_t request, const ActivityFormHooks& hooks);
    // "&Refresh": loads the suite's open transactions of the chosen bank, then refills.
    ChkLoadCounts refresh();

    // loc:BankID as remembered per user (procedure "BrowseAPbac"); 0 when none.
    static int32_t rememberedBankId();
    void rememberBank() const;

  private:
    storage::FileSession& session_;
    const shell::StartupParameters& params_;
    std::vector<storage::FileId> opened_;
    std::vector<BankChoice> banks_;
    int selected_ = -1;
    std::unique_ptr<ActivityPager> pager_;
};

}  // namespace activity
