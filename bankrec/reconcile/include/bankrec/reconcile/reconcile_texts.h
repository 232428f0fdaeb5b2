#pragma once
// Texts the reconciliation windows and procedures share: titles and procedure names, amounts and
// dates as the lists show them, and the form of the messages the procedures compose.
#include <cstdint>
#include <string>

#include "bankrec/storage/storage_error.h"
#include "corelib/decimal.h"
#include "corelib/progress.h"

namespace reconcile {

inline constexpr const char* kListTitle = "Browse Reconciliations";
inline constexpr const char* kListProcedure = "BrowseAPrec";
inline constexpr const char* kWorksheetProcedure = "UpdateAPrecNew";
inline constexpr const char* kViewerProcedure = "UpdateAPrec";
inline constexpr const char* kViewerTitle = "Viewing Reconciliation";
inline constexpr const char* kRangeTitle = "Mark / Unmark Range of Checks";

// An amount with picture @n-19.2 and a count with @n-13, without the padding blanks.
std::string moneyText(corelib::Decimal value);
std::string countText(int64_t value);
// A date with picture @d17 (blank for no date); `blankZero` is @d17b, the same here.
std::string dateText(int32_t dayNumber);

// The window of a run over records: "Progress...", the prompt "Processing Records" and the
// run's own line below it ("Deleting Reconciliation", "Completing reconciliation").
corelib::ProgressOptions processWindow(const std::string& userString);

// "<step>, Error(<number>):<error text>", the form of the messages procedures compose from a
// failed storage operation (for error 90 the storage driver's own message).
std::string stepError(const std::string& step, const storage::StorageError& error);
// The error text alone, as stepError shows it.
std::string errorText(const storage::StorageError& error);

}  // namespace reconcile
