#pragma once
// The default date of a new statement, one month after the previous one.
#include <cstdint>

namespace reconcile {

// The statement date that follows a statement ending on `previous` (a day number): the same day
// one month on, an overflowing day carried into the month after (30 January gives 1 or 2
// March); when `previous` is the last day of its month, the last day of the following month
// (31 January gives 28 or 29 February, 30 November 31 December, 31 December 31 January of the
// next year). 0 (no date) gives 0.
int32_t nextStatementDate(int32_t previous);

}  // namespace reconcile
