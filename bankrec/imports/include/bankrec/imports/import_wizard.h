#pragma once
// The rules of the "Import Marked Checks Wizard", apart from any widget: its settings (the 19
// SYcfg values shared by the division's users, loaded on entry and stored only on Finish), the
// six pages and which of them each import type shows, the button and control states, the
// summary text, and Finish, which stores the settings and starts the type's reader with them.
//
// Pages: 1 the import type; 2 the optional fields and the text file; 3 the spreadsheet columns
// and rows (spreadsheet only); 4 the fixed positions (fixed format only); 5 the comma fields
// (comma-separated only); 6 the summary. Next and Previous pass over the pages of the other
// types, so the user sees 1, 2, the type's page, 6.
//
// Two more types read a bank's own download: 4 a BAI2 file, 5 an OFX file (.ofx, .qfx, .qbo),
// each with a page of its own (7 and 8: whether credits are matched to deposits and within how
// many days before posting), and the fixed page names the date format of the date cleared.
// These three settings are kept in SYcfg beside the 19: "ChkClearedFormat", "ImportDeposits",
// "ImportDepositDays".
//
// Beside the 19 settings the spreadsheet page names an optional workbook file to read instead
// of the spreadsheet open in Calc; it is the clerk's own (kept in the per-user settings under
// "UpdateAPrecImport"), stored on Finish like the rest.
#include <cstdint>
#include <string>
#include <vector>

#include "bankrec/imports/import_result.h"
#include "bankrec/imports/import_values.h"
#include "bankrec/shell/configuration.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace imports {

enum class ImportType : int32_t { Spreadsheet = 1, Fixed = 2, Comma = 3, Bai2 = 4, Ofx = 5 };

// A bank's own download rather than a list laid out by the clerk.
inline bool isBankFile(ImportType type) {
    return type == ImportType::Bai2 || type == ImportType::Ofx;
}

struct ImportSettings {
    ImportType type = ImportType::Spreadsheet;  // ImportType
    std::string fileName;                       // ImportFilename (up to 255 characters)
    bool amount = true;                         // ImportAmount
    bool cleared = false;                       // ImportCleared
    bool assumeDecimal = false;                 // ChkAssumeDecimal
    int32_t firstRow = 1;                       // ChkFirstRow
    int32_t lastRow = 0;                        // ChkLastRow
    int32_t checkColumn = 1, amountColumn = 2, clearedColumn = 3;   // Chk...ECol
    int32_t checkStart = 1, checkEnd = 7;                           // ChkCheckStart/End
    int32_t amountStart = 8, amountEnd = 20;                        // ChkAmountStart/End
    int32_t clearedStart = 21, clearedEnd = 30;                     // ChkClearedStart/End
    int32_t checkField = 1, amountField = 2, clearedField = 3;      // Chk...CCol
    ClearedDateFormat clearedFormat = ClearedDateFormat::Standard;  // ChkClearedFormat
    bool deposits = true;                                           // ImportDeposits
    int32_t depositDays = 5;                                        // ImportDepositDays
    std::string workbook;  // per user: a workbook file read instead of the open spreadsheet

    // The values from a loaded configuration; a stored value that is not a number (or an
    // import type other than 1 to 5, or an unknown date format) gives the default.
    static ImportSettings fromConfiguration(const shell::Configuration& configuration);
    // The values as the configuration stores them (name, text): the 19, then the three of the
    // bank files and paid-items layouts.
    std::vector<shell::Configuration::Entry> toEntries() const;
};

// The summary of page 6 for the settings ("\n" between paragraphs).
std::string importSummary(const ImportSettings& settings);

// Runs the type's reader with the settings, its arguments in the reader's order: the text file
// for the fixed and comma formats, the bank's download for BAI2 and OFX; for a spreadsheet the
// workbook file when one is named, else the spreadsheet open in Calc. Stores nothing.
[[nodiscard]] ImportResult runImport(storage::FileSession& session, const ImportSettings& settings);

// The reader with the division's stored settings, without the wizard: the worksheet's "&Import"
// where there are no windows. Fails (GlobalResponse 2) when the settings cannot be read.
[[nodiscard]] ImportResult runStoredImport(storage::FileSession& session);

// The window position's and per-user settings' procedure name.
inline constexpr const char* kImportWizardProcedure = "UpdateAPrecImport";

class ImportWizard {
  public:
    static constexpr int kFirstPage = 1;
    static constexpr int kLastPage = 6;  // the summary; the bank files' pages 7 and 8 come before
    static constexpr int kPageCount = 8;

    // Works on the caller's session (its bank in the APbnk buffer).
    explicit ImportWizard(storage::FileSession& session);

    // Opens SYcfg, loads every setting, closes it, and starts on page 1. false when the
    // configuration could not be read (reported by the transaction frame); the defaults stand.
    bool load();

    ImportSettings& settings() { return settings_; }
    const ImportSettings& settings() const { return settings_; }

    int page() const { return page_; }
    // The type's own page: 3, 4, 5, 7 (BAI2) or 8 (OFX).
    int typePage() const;
    // Whether the page is shown for the chosen type.
    bool shows(int page) const;
    void next();
    void previous();

    bool previousEnabled() const { return page_ > kFirstPage; }
    bool nextEnabled() const { return page_ != kLastPage; }
    bool finishEnabled() const { return page_ == kLastPage; }
    // Page 2's file name text, prompt, entry and "..." button (text types only).
    bool fileControlsEnabled() const { return settings_.type != ImportType::Spreadsheet; }
    // "Assume &Two Decimal Places" and the amount column or positions.
    bool amountControlsEnabled() const { return settings_.amount; }
    // "Assume &Two Decimal Places" is not for the bank files, whose amounts have their own form.
    bool decimalEnabled() const { return settings_.amount && !isBankFile(settings_.type); }
    // The days before posting, while credits are matched to deposits.
    bool depositDaysEnabled() const { return settings_.deposits; }
    // The cleared-date column or positions.
    bool clearedControlsEnabled() const { return settings_.cleared; }

    std::string summary() const { return importSummary(settings_); }

    // Finish: stores the 19 settings in one go (busy pointer meanwhile) and the workbook in the
    // per-user settings, then runs the type's reader with the settings in the reader's order.
    // The reader runs even when the settings could not be stored (that was reported).
    ImportResult finish();

  private:
    storage::FileSession& session_;
    shell::Configuration configuration_;
    ImportSettings settings_;
    int page_ = kFirstPage;
};

}  // namespace imports
