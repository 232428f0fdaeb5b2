#pragma once
// The reconciliation worksheet (UpdateAPrecNew) apart from any widget: the bank's one open
// statement, found or added on opening; its summary, edited in the session's APrec buffer; the
// unreconciled deposits and checks of the bank, read page by page; marking; the running
// difference; the completion checks; saving; and closing without saving. The window
// (bankrec/reconcile/ui) draws what this computes and forwards the user's actions; the
// command-line tool drives the same rules without a window.
//
// Invariants:
//  1. After open() succeeded the session's APrec buffer holds the worksheet's statement and its
//     current record is that statement (position()); calls out to other procedures put it back.
//  2. The marks live on the APbac rows and are written at once; the counts and totals in the
//     buffer are recounted from the marks whenever the lists are rebuilt, and adjusted by one row
//     on each "&Mark"; they reach the file only when the statement is saved.
//  3. A statement the worksheet added is deleted again when the worksheet closes before any
//     save succeeded; the marks stay.
//
// States: opening -> editing -> (saving -> editing | closed) ; editing -> completing -> closed.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "bankrec/activity/view_pager.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/storage/records.h"
#include "corelib/decimal.h"

namespace storage {
class FileSession;
class FileUse;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace reconcile {

// The summary fields the user types into.
enum class SummaryField {
    OpeningBalance,
    OpeningDate,
    ServiceChargeDate,
    ServiceCharge,
    InterestEarnedDate,
    InterestEarned,
    EndingDate,
    EndingBalance,
    None,
};

// The worksheet's two lists.
enum class WorksheetList { Deposits, Checks };

// The windows the worksheet opens; without them (tests, the command-line tool) nothing is shown.
struct WorksheetHooks {
    // Shows (true) and restores (false) the busy pointer while the lists are recounted or the
    // added statement is deleted.
    std::function<void(bool busy)> waitCursor;
    // "Ran&ge": the dialog "Mark / Unmark Range of Checks" (UpdateAPrecRangeWindow).
    std::function<void()> rangeWindow;
};

class Worksheet {
  public:
    // What a button leaves the window to do.
    enum class Outcome { Stay, Close };

    Worksheet(storage::FileSession& session, const shell::StartupParameters& params,
              const ReconcileCalls& calls, WorksheetHooks hooks = {});
    ~Worksheet();
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    // Opens APbac, APbnk and APrec and finds the open statement of the bank in the APbnk buffer,
    // or adds one (opening figures from the bank's latest statement, the next statement date,
    // numbered with three attempts and warning 25 to try again) stored at once. Then rebuilds the
    // lists. False when the worksheet must not open: a read error (warning 35 for APrec) or a
    // numbering the user gave up. With `mayAdd` false a bank without an open statement gives
    // false with nothing shown or added (the command line's read-only uses).
    bool open(bool mayAdd = true);

    bool adding() const { return adding_; }
    // "Adding Reconciliation [bank]" or "Changing Reconciliation [bank]".
    std::string title() const;
    // The statement as edited: the session's APrec buffer.
    storage::APrec& record();
    const storage::APbnk& bank() const { return bank_; }

    // ---- Lists ----
    // The bank's unreconciled deposits or checks in APBAC_KEY_RECONCILED order.
    activity::ViewPager<storage::APbac>& list(WorksheetList which);
    // "c" for a marked row, "" otherwise.
    static std::string marker(const storage::APbac& row);
    // The list's column texts of a row: marker, date, (check, to,) description, amount.
    static std::vector<std::string> columnTexts(WorksheetList which, const storage::APbac& row);
    static const std::vector<std::string>& headings(WorksheetList which);

    // Reads both lists again and recounts the marked counts and totals from the file (on
    // opening, when the window regains focus or is resized, after range marking and import).
    void rebuild();

    // ---- Marking ----
    // "&Mark" on a row of a list: reads the row afresh, toggles its mark, writes it at once and
    // moves the figures by that row. False when it could not (the message was shown: "Unable to
    // get APbac for update, Error(n):..." or "Unable to put APbac after update, Error(n):...";
    // after a failed write the figures are recounted from the file).
    bool mark(WorksheetList which, int64_t row);
    // "Un&mark" with icon "~CheckOff.ico" for a marked row, "&Mark" with "~CheckOn.ico" otherwise.
    // Sets the mark of one activity row of the bank to `on` (nothing written when it already
    // is), moving the figures by that row, as "&Mark" does. NotInList when the row is not an
    // unreconciled check or deposit of the bank; Failed when it could not be read or written
    // (the message was shown).
    enum class MarkResult { Marked, Unchanged, NotInList, Failed };
    MarkResult setMark(int32_t activityId, bool on);
    std::string markCaption(WorksheetList which, int64_t row);
    std::string markIcon(WorksheetList which, int64_t row);

    // ---- Figures ----
    // Opening balance + marked deposits - marked checks - service charge + interest - closing
    // balance.
    corelib::Decimal difference() const;
    bool doneEnabled() const { return difference().isZero(); }
    // The service charge fields are open to typing only for a bank that posts service charges;
    // likewise the interest fields.
    bool serviceChargeEnabled() const { return bank_.ServiceChargePost != 0; }
    bool interestEnabled() const { return bank_.InterestEarnedPost != 0; }

    // ---- Buttons ----
    // "&OK": saves and closes (stays after a failed save).
    Outcome ok();
    // "P&rint": saves, then prints the worksheet report; the window stays.
    Outcome print();
    // "Do&ne": the completion checks in order, each failure with its message (and the field to
    // select in focusField()); the payables register claim; the question; then saves and runs
    // the completion and the export. Closes with response 1 when completed.
    Outcome done();
    // "Ran&ge" and "&Import": the range dialog or the import, then the lists rebuilt.
    void range();
    void import();
    // The window closes without saving: a statement added by this worksheet and never saved is
    // deleted (busy pointer); the marks stay.
    void closeWithoutSaving();

    // The field a failed completion check asks to select (None when none).
    SummaryField focusField() const { return focus_; }
    // GlobalResponse as the worksheet leaves it: 1 after a save that closed it, else 2.
    int32_t response() const { return response_; }

    // ---- Recalling values ----
    // The history key: the field takes its value in the last statement saved by any worksheet
    // during the run. False when there is none or the field is not open to typing.
    bool recallHistory(SummaryField field);
    // After a change conflict: the field takes back the value the user had entered.
    bool recallEntered(SummaryField field);
    bool conflictPending() const { return entered_.has_value(); }
    // Whether the field is open to typing (the service charge and interest by the bank's flags).
    bool editable(SummaryField field) const;

    // The statement last saved during the run (the history key's source), shared by every
    // worksheet of the process.
    static std::optional<storage::APrec>& lastSaved();

  private:
    enum class SaveResult { Saved, Stay };
    bool findOrAdd(bool mayAdd);
    // Reads the row afresh, sets its mark (toggles when `to` is empty) and writes it.
    MarkResult writeMark(WorksheetList which, int32_t activityId, std::optional<bool> to);
    bool addStatement(int32_t previousDate, corelib::Decimal previousBalance, int32_t next);
    SaveResult save();
    SaveResult writeAdded();
    SaveResult savedAs(const storage::APrec& written, int64_t position);
    SaveResult conflict(const storage::APrec& mine);
    // Puts the worksheet's statement back as the APrec buffer's current record after a call to
    // another procedure, and the bank into the APbnk buffer before one.
    void restoreRecord(const storage::APrec& edited);
    void prepareCall();
    void recount(WorksheetList which);
    void busy(bool on);
    void copyField(SummaryField field, const storage::APrec& from);
    bool completionChecks();

    storage::FileSession& session_;
    const shell::StartupParameters& params_;
    const ReconcileCalls& calls_;
    WorksheetHooks hooks_;
    std::unique_ptr<storage::FileUse> files_;
    storage::APbnk bank_;
    bool adding_ = false;
    bool saved_ = false;  // a save succeeded (an added statement is kept on closing)
    bool opened_ = false;
    int64_t position_ = 0;
    storage::APrec original_;  // as read or last saved: what a change is checked against
    std::optional<storage::APrec> entered_;  // the user's values before a change conflict
    std::unique_ptr<activity::ViewPager<storage::APbac>> deposits_;
    std::unique_ptr<activity::ViewPager<storage::APbac>> checks_;
    SummaryField focus_ = SummaryField::None;
    bool claimed_ = false;
    int32_t response_ = 2;
};

}  // namespace reconcile
