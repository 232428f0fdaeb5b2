#pragma once
// The rows of one bank's activity in APBAC_KEY_ACTIVITY order, read a page at a time as a list
// asks for them, so a register of 100,000 rows opens as fast as one of 100 and scrolling to its
// end reads only the last page.
//
// The pager holds at most a few pages of rows. It remembers where every page it has read
// begins and ends (positions only), so a jump is read from the nearest known page boundary, or
// from the end of the view, walking the pages in between without keeping their rows.
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "bankrec/activity/register_rows.h"
#include "bankrec/storage/storage_error.h"
#include "bankrec/storage/view.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace activity {

class ActivityPager {
  public:
    // Reads through `session`, whose APbac the caller holds open.
    explicit ActivityPager(storage::FileSession& session, int pageSize = 100, int maxPages = 6);
    ~ActivityPager();

    // Shows the activity of a bank from the top ("APbac:BankID = Bank:BankID"); Error::None or the
    // storage error (the pager is then empty).
    storage::Error setBank(int32_t bankId);
    int32_t bankId() const { return bankId_; }
    // Reads the view again: recounts and forgets every page. Error::None or the storage error.
    storage::Error refresh();

    // Rows in the view as last counted.
    int64_t count() const { return count_; }
    // Row `index` (0-based), reading its page when needed; nullptr when out of range or when
    // the view changed so that the row is no longer there.
    const RegisterRow* row(int64_t index);
    // The index of an activity among the rows held, or -1.
    int64_t indexOfActivity(int32_t activityId) const;

    // Rows held in memory now, and rows read from storage since the last refresh.
    int64_t heldRows() const;
    int64_t rowsRead() const { return rowsRead_; }
    storage::Error lastError() const { return error_; }

  private:
    struct Page {
        std::vector<RegisterRow> rows;
        uint64_t used = 0;
    };
    const Page* page(int64_t number);
    storage::Error readPage(int64_t number, std::vector<storage::View<storage::APbac>::Row>& out);
    void remember(int64_t number, const std::vector<storage::View<storage::APbac>::Row>& rows);
    int64_t lastPage() const { return count_ == 0 ? -1 : (count_ - 1) / pageSize_; }

    storage::FileSession& session_;
    std::unique_ptr<storage::View<storage::APbac>> view_;
    int pageSize_;
    int maxPages_;
    int32_t bankId_ = 0;
    int64_t count_ = 0;
    std::map<int64_t, Page> pages_;
    std::map<int64_t, storage::ViewPosition> firstOf_;  // page -> position of its first row
    std::map<int64_t, storage::ViewPosition> lastOf_;   // page -> position of its last row
    uint64_t clock_ = 0;
    int64_t rowsRead_ = 0;
    storage::Error error_ = storage::Error::None;
};

}  // namespace activity
