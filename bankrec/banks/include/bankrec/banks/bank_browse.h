#pragma once
// The rules of the bank browse ("Browse Financial Institution Accounts"), apart from any widget:
// its rows in bank-name order, read a page at a time, and the hand-over to the bank form
// through GlobalRequest, GlobalResponse and VCRRequest, with Next and Previous reopening the
// form on the neighbouring bank.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/storage/records.h"
#include "bankrec/storage/storage_error.h"
#include "bankrec/storage/view.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace banks {

// The browse's journals column: the service-charge journal when it is posted, the interest
// journal when it is posted, joined by ", " when both are.
std::string browseJournals(const storage::APbnk& bank);

struct BankBrowseRow {
    storage::APbnk bank;
    std::string bankAccount;  // the default cash account; empty when the bank has none
    std::string journals;
    storage::ViewPosition position;  // where the row sits in APBNK_KEY_BANK order
};

class BankBrowse {
  public:
    // Reads through `session` (whose APbnk the caller holds open).
    explicit BankBrowse(storage::FileSession& session);
    ~BankBrowse();

    // Up to n rows after `after` (from the first when null), or before it with backwards.
    // Replaces `out`; Error::None or the storage error. The session's record buffers are left
    // alone, except the APbnu buffer that finds each bank's default cash account.
    storage::Error fetch(const storage::ViewPosition* after, int n, std::vector<BankBrowseRow>& out,
                         bool backwards = false);
    // The number of banks.
    storage::Error count(int64_t& n);
    // The default cash account of a bank (first APbnu with Post set, in APBNU_KEY_BANKIDPOST
    // order); empty when it has none.
    std::string defaultCashAccount(int32_t bankId);

    // Makes the bank the current APbnk record of the session (what the form works on).
    // Error::None, or Error::NoRecord when the bank no longer exists.
    storage::Error select(int32_t bankId);

    // Calls the form on the current bank with `request`, following its Next and Previous:
    // puts the request into GlobalRequest and clears VCRRequest, calls `form`, and while the
    // form leaves a navigation request, selects the neighbouring bank and calls it again with
    // the same request (staying put at either end). Returns the BankID of the bank the last
    // call worked on, and leaves GlobalResponse as the last call set it.
    int32_t callForm(int32_t request, const std::function<void()>& form);

  private:
    BankBrowseRow rowOf(const storage::APbnk& bank, storage::ViewPosition pos);

    storage::FileSession& session_;
    std::unique_ptr<storage::View<storage::APbnk>> view_;
};

}  // namespace banks
