#include "bankrec/reconcile/statement_dates.h"

#include "corelib/daytime.h"

using namespace corelib;

namespace reconcile {

namespace {

// Day number of (year, month, day) with an overflowing month carried into the years and an
// overflowing day into the following months.
int32_t carried(int year, int month, int day) {
    year += (month - 1) / 12;
    month = (month - 1) % 12 + 1;
    const int32_t first = daytime::dayNumber(year, month, 1);
    return first == 0 ? 0 : first + day - 1;
}

}  // namespace

int32_t nextStatementDate(int32_t previous) {
    if (previous <= 0) return 0;
    const daytime::Ymd p = daytime::ymd(previous);
    const daytime::Ymd after = daytime::ymd(previous + 1);
    if (after.month == p.month) return carried(p.year, p.month + 1, p.day);
    // The last day of its month: step back from the 31st of the next month until the month is
    // the one that holds the day after.
    int32_t d = carried(p.year, p.month + 1, 31);
    while (d > 0 && daytime::ymd(d).month != after.month) --d;
    return d;
}

}  // namespace reconcile
