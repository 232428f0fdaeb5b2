#pragma once
// The rules of "Browse Reconciliations", apart from any widget: the bank selector (hidden with one
// bank, the window closing with none), the bank's statements oldest first, read page by page, the
// button states, and what each button does. The window (bankrec/reconcile/ui) draws it and
// forwards the user's actions.
//
// Every button first reads the highlighted statement afresh into the session's APrec buffer;
// the procedures it calls find the bank in the APbnk buffer and the statement in APrec.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/activity/bank_choices.h"
#include "bankrec/activity/load_chk.h"
#include "bankrec/activity/view_pager.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/storage/records.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace reconcile {

// The list's columns, left to right.
enum ListColumn {
    ColStatus = 0,     // "R" when done
    ColStatementDate,  // EndingDate
    ColOpeningBalance,
    ColDepositsMarked,
    ColChecksMarked,
    ColServiceCharge,
    ColInterestEarned,
    ColEndingBalance,
    ListColumnCount
};
const std::array<std::string, ListColumnCount>& listHeadings();
// The texts of a statement's row (dates @d17b, amounts @n-19.2, without padding).
std::array<std::string, ListColumnCount> listTexts(const storage::APrec& rec);

// What the buttons show for the highlighted row.
struct ListButtons {
    bool post = false;          // "&Post": the statement is done
    bool refresh = true;        // "&Refresh": the statement is open (or there is none)
    bool view = false;          // a statement is highlighted
    std::string viewCaption;    // "V&iew" (done) or "Ed&it" (open)
    std::string viewIcon;       // "~smView.ico" or "~smChange.ico"
    bool remove = false;        // "&Delete": any highlighted statement
    bool print = false;         // "P&rint": a statement is highlighted
    bool newStatement = false;  // "&New": the bank has no open statement
};

// The windows the list opens; without them (tests, no display) nothing is shown.
struct ListHooks {
    // The worksheet (UpdateAPrecNew) on the bank in APbnk; leaves GlobalResponse.
    std::function<void()> worksheet;
    // The viewer (UpdateAPrec, request 4) on the statement in APrec; leaves GlobalResponse.
    std::function<void()> viewer;
};

class ReconciliationList {
  public:
    // Works on `session`; open() opens APbnk and APrec through the file services and the list
    // lets go of them when it is destroyed.
    ReconciliationList(storage::FileSession& session, const shell::StartupParameters& params,
                       const ReconcileCalls& calls, ListHooks hooks = {});
    ~ReconciliationList();

    // Opens the files and fills the selector with the banks in name order, choosing the bank
    // `rememberedBankId` or the first. False when there is no bank: the beep and "No banks have
    // been defined." (information icon, OK, the window's title) have been shown; the window
    // must close.
    bool open(int32_t rememberedBankId);

    const std::vector<activity::BankChoice>& banks() const { return banks_; }
    // The selector and its prompt are shown only with two or more banks.
    bool selectorVisible() const { return banks_.size() > 1; }
    int selected() const { return selected_; }
    // loc:BankID, the bank shown (0 when none).
    int32_t bankId() const;
    // Chooses a bank: its statements are read from the top, and its APbnk record into the
    // buffer. A failed read shows "Unable to get APbnk for reconciliation update, Error(n) text"
    // and leaves the buffer clear.
    void select(int index);

    // The bank's statements in APREC_KEY_BANKENDINGDATE order (oldest first).
    activity::ViewPager<storage::APrec>& rows() { return *rows_; }
    // Reads the list again (after any button) and whether the bank has an open statement.
    void refresh();
    // The row of the bank's open statement, or -1.
    int64_t openRow();

    ListButtons buttons(int64_t row);

    // The buttons. Each returns the row to highlight afterwards.
    int64_t view(int64_t row);  // V&iew / Ed&it
    int64_t newStatement(int64_t row);
    int64_t remove(int64_t row);           // &Delete
    int64_t print(int64_t row);            // P&rint
    int64_t post(int64_t row);             // &Post
    activity::ChkLoadCounts loadChecks();  // &Refresh

    // loc:BankID as remembered per user (procedure "BrowseAPrec"); 0 when none.
    static int32_t rememberedBankId();
    void rememberBank() const;

  private:
    // Reads the bank into the APbnk buffer; false (message shown, buffer clear) when it cannot.
    bool readBank();
    // Reads the row's statement afresh into the APrec buffer; false (warning 35) when gone.
    bool takeRow(int64_t row);
    int64_t keepRow(int64_t row);

    storage::FileSession& session_;
    const shell::StartupParameters& params_;
    const ReconcileCalls& calls_;
    ListHooks hooks_;
    std::vector<storage::FileId> opened_;
    std::vector<activity::BankChoice> banks_;
    int selected_ = -1;
    bool hasOpen_ = false;
    std::unique_ptr<activity::ViewPager<storage::APrec>> rows_;
};

}  // namespace reconcile
