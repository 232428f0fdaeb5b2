#pragma once
// Range marking: marks (or unmarks) every unreconciled check of the bank in the APbnk buffer whose
// check number lies between two numbers, instead of one "&Mark" per check.
#include <cstdint>
#include <string>
#include <string_view>

#include "corelib/decimal.h"
#include "corelib/progress.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace reconcile {

// The form in which check numbers are compared: upper case, right-justified in 20 characters
// (leading blanks), compared as text, so plain numbers compare in numeric order ("99" before
// "100") and numbers with leading zeros or letters as right-aligned text.
std::string comparisonForm(std::string_view reference);
// Whether `from` .. `to` is a range (equal bounds are a range of one number).
bool validRange(std::string_view from, std::string_view to);

// What one marking did.
struct RangeResult {
    int32_t count = 0;       // checks in the range, whatever state they were in
    corelib::Decimal total;  // their amounts (a check's amount is its payment, a positive total)
    int32_t written = 0;     // rows whose mark changed
    bool cancelled = false;
    bool failed = false;  // a write failed (warning 31 shown); the run ended there
};

// The progress window: "Progress...", "Processing Records", the user string "Marking group of
// checks", 25 rows per timer tick.
corelib::ProgressOptions rangeProgressOptions();

// Sets APbac:Marked to `mark` (1 or 0) on every unreconciled check of the bank in the session's
// APbnk buffer whose reference, in comparison form, lies between those of `from` and `to`. Runs
// under the progress window, each timer slice one transaction; Cancel and a failed write keep what
// was written before them. Rows already in the requested state are counted but not written.
// Afterwards, when the count is not 0, shows count + " Check(s) have been marked for a total of "
// + the total with picture n-15.2 (or "unmarked"); nothing when no check was in the range. APbac
// and APbnk are opened and closed through the file services.
RangeResult UpdateAPrecRange(storage::FileSession& session, const std::string& from,
                             const std::string& to, uint8_t mark);

// The dialog "Mark / Unmark Range of Checks" apart from its widgets: its three values and "&OK".
class RangeDialog {
  public:
    explicit RangeDialog(storage::FileSession& session) : session_(session) {}

    std::string from;  // LOC:FromRef, at most 20 characters
    std::string to;    // LOC:ToRef
    bool mark = true;  // LOC:Mark, ticked at first

    // "&OK": an invalid range beeps and shows "An invalid range has been entered! The to value
    // must be greater than the from value in the range." (caption the dialog's title) and returns
    // false (the dialog stays); otherwise marks the range and returns true (the dialog closes,
    // GlobalResponse 1).
    bool accept();
    // "Cancel": GlobalResponse 2, nothing marked.
    void cancel();
    const RangeResult& result() const { return result_; }

  private:
    storage::FileSession& session_;
    RangeResult result_;
};

}  // namespace reconcile
