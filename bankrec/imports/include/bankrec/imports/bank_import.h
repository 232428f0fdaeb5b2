#pragma once
// The bank-file readers: UpdateAPrecBai2 (a BAI2 cash-management file) and UpdateAPrecOfx (an
// OFX, QFX or QBO statement download). Each marks, on the caller's session, the activity of the
// bank whose APbnk record is current there, in one transaction over APbac, in the progress
// window "Processing Records" (Cancel asks whether to undo the run, as the other readers do):
//
//   - a paid check by its number (and amount when amounts are imported) through the one check
//     rule of every reader, the file's date as the date cleared when dates are imported;
//   - a credit, when deposits are matched, by its amount within the days before its posting
//     date (DepositMarker): only a single candidate is marked, several are listed as ambiguous;
//   - a debit without a check number matches nothing and is listed.
//
// A file with several accounts asks which one (ImportWindows::selectAccount); trailers that do
// not add up are shown and the clerk decides whether to import the file anyway. A file that is
// missing, unreadable or not of the kind named is reported and nothing is marked. Malformed
// records are counted as skipped. GlobalResponse is left 1 when the run was committed, else 2.
#include <cstdint>
#include <string>
#include <vector>

#include "bankrec/imports/bank_files.h"
#include "bankrec/imports/import_result.h"
#include "corelib/progress.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace imports {

class ReaderRun;

enum class BankFormat { Bai2, Ofx };

struct BankImportOptions {
    bool amount = true;       // a check's amount must match too
    bool cleared = true;      // the file's date is written as the date cleared
    bool deposits = true;     // credits are matched to deposits by amount and date
    int32_t depositDays = 5;  // how many days before the posting date a deposit may be dated
};

// The progress window's job: items until at least 1000 bytes of their records went by in one
// tick; the bar follows the items handled.
class BankImportJob : public corelib::ProgressJob {
  public:
    static constexpr int64_t kBytesPerTick = 1000;

    BankImportJob(const std::vector<BankItem>& items, ReaderRun& run,
                  const BankImportOptions& options);

    void open(corelib::ProgressView& view) override;
    bool tick(corelib::ProgressView& view) override;
    bool cancel(corelib::ProgressView& view) override;

  private:
    const std::vector<BankItem>& items_;
    ReaderRun& run_;
    BankImportOptions options_;
    size_t next_ = 0;
};

// The whole file read into `text` (plain files only, up to 256 MB). Error::None, else the
// error (FileNotFound or Driver with the system's error number in `systemError`).
storage::Error readBankFile(const std::string& fileName, std::string& text, int& systemError);

[[nodiscard]] ImportResult runBankImport(storage::FileSession& session, const std::string& fileName,
                                         BankFormat format, const BankImportOptions& options);

ImportResult UpdateAPrecBai2(storage::FileSession& session, const std::string& fileName,
                             bool importAmount, bool importCleared, bool matchDeposits,
                             int32_t depositDays);
ImportResult UpdateAPrecOfx(storage::FileSession& session, const std::string& fileName,
                            bool importAmount, bool importCleared, bool matchDeposits,
                            int32_t depositDays);

}  // namespace imports
