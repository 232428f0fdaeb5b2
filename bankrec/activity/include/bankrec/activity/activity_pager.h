#pragma once
// The rows of one bank's activity in APBAC_KEY_ACTIVITY order, read a page at a time as the
// register's list asks for them (see view_pager.h), each kept as the register shows it.
#include <cstdint>

#include "bankrec/activity/register_rows.h"
#include "bankrec/activity/view_pager.h"
#include "bankrec/storage/storage_error.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace activity {

class ActivityPager : public ViewPager<storage::APbac, RegisterRow> {
  public:
    // Reads through `session`, whose APbac the caller holds open.
    explicit ActivityPager(storage::FileSession& session, int pageSize = 100, int maxPages = 6);

    // Shows the activity of a bank from the top ("APbac:BankID = Bank:BankID"); Error::None or the
    // storage error (the pager is then empty).
    storage::Error setBank(int32_t bankId);
    int32_t bankId() const { return bankId_; }
    // The index of an activity among the rows held, or -1.
    int64_t indexOfActivity(int32_t activityId) const;

  private:
    int32_t bankId_ = 0;
};

}  // namespace activity
