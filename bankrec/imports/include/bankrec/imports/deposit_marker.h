#pragma once
// A bank's credit matched to a deposit by amount and date: the unmarked APbac rows of the bank
// whose DepositOrCredit is that amount and whose ActivityDate lies within `windowDays` days
// before the posting date (or on it) are the candidates. Exactly one candidate is marked (with
// the posting date as the date cleared when dates are imported, and the change stamp); with
// several nothing is marked and the credit is ambiguous; with none it is already marked when a
// marked row would have matched, else not matched. A credit is never guessed.
#include <cstdint>
#include <string>

#include "bankrec/imports/check_marker.h"
#include "corelib/decimal.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace imports {

struct DepositMatch {
    MarkOutcome outcome = MarkOutcome::NotMatched;
    int candidates = 0;  // unmarked rows that could be the deposit
    int32_t from = 0;    // the window looked in, day numbers
    int32_t to = 0;
};

class DepositMarker {
  public:
    DepositMarker(storage::FileSession& session, int32_t bankId, int32_t windowDays,
                  bool writeClearDate);

    // Looks for the deposit of a credit of `amount` posted on day `posted` and marks it when it
    // is the only one. A read or rewrite error is returned (`match` then tells nothing).
    storage::Error mark(corelib::Decimal amount, int32_t posted, DepositMatch& match);

  private:
    storage::FileSession& session_;
    int32_t bankId_;
    int32_t windowDays_;
    bool writeClearDate_;
};

// "2 deposits of 500.00 from 01/10/2024 to 01/15/2024" and the like, for the exceptions list.
std::string depositNote(const DepositMatch& match, corelib::Decimal amount);

}  // namespace imports
