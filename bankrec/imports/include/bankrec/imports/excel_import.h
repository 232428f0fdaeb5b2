#pragma once
// The spreadsheet reader UpdateAPrecExcel and its sheet chooser SelectSheet.
//
// The reader reaches the spreadsheet program (the running LibreOffice Calc, or a workbook file
// the user named), lets the user choose one of its open sheets, asks "About to process Excel
// spreadsheet ...", and reads rows from the first row on, ten rows per timer event, in the
// window "Excel Import Data", marking the bank's checks in one transaction over APbac exactly as
// the text readers do. It stops after the last row, or, without one, once 5 blank rows (a check
// cell empty or numerically 0) have been met over the whole run; a cell that cannot be read
// shows "Unable to read Excel" and ends the run too. Either way what was marked is committed.
// Cancel asks whether to undo the run. GlobalResponse is left 1 after a commit, else 2.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/imports/import_result.h"
#include "bankrec/imports/import_values.h"
#include "corelib/decimal.h"
#include "corelib/progress.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace imports {

class ReaderRun;
class SpreadsheetLink;

// Rows and columns of a sheet, 1-based; lastRow 0 reads until 5 blank rows were met.
struct SheetLayout {
    int32_t firstRow = 1;
    int32_t lastRow = 0;
    int32_t checkColumn = 1;
    int32_t amountColumn = 2;
    int32_t clearedColumn = 3;
};

// What the "Excel Import Data" window shows of the row just read.
class ExcelRowView {
  public:
    virtual ~ExcelRowView() = default;
    virtual void showRow(int32_t row, const std::string& check, corelib::Decimal amount,
                         int32_t clearDate) = 0;
};

// The window's job: rows until the row number reaches a multiple of 10 in one tick.
class ExcelImportJob : public corelib::ProgressJob {
  public:
    static constexpr int32_t kBlankRowsToStop = 5;

    ExcelImportJob(SpreadsheetLink& link, ReaderRun& run, const SheetLayout& layout,
                   const ImportFlags& flags);

    // Where each row read is shown (none: nothing shown).
    void setRowView(ExcelRowView* view) { rowView_ = view; }

    bool tick(corelib::ProgressView& view) override;
    bool cancel(corelib::ProgressView& view) override;

    // The row read next, and the blank rows met so far.
    int32_t row() const { return row_; }
    int32_t blankRows() const { return blanks_; }

  private:
    // Reads and handles one row; false when the run is to finish.
    bool step();

    SpreadsheetLink& link_;
    ReaderRun& run_;
    SheetLayout layout_;
    ImportFlags flags_;
    ExcelRowView* rowView_ = nullptr;
    int32_t row_;
    int32_t blanks_ = 0;
    std::vector<int32_t> columns_;
    std::vector<std::string> cells_;
};

// The topics of a topic list text: after each ":" the text up to the next "," (or the end),
// trimmed of blanks; the search for the next ":" goes on after that ",".
std::vector<std::string> splitTopics(const std::string& topicList);

// "Select Spreadsheet": beeps and shows "No currently active spreadsheet" (caption "Error...")
// when there is no topic; otherwise lets the user choose one (the first selected). Returns the
// chosen topic, or "" when there is none or the user cancels.
std::string SelectSheet(const std::vector<std::string>& topics);
// The same from a topic list text (splitTopics).
std::string SelectSheet(const std::string& topicList);

// Runs the reader over a link (the program's or a test's).
ImportResult runExcelImport(storage::FileSession& session, SpreadsheetLink& link,
                            const SheetLayout& layout, const ImportFlags& flags);

// The link a spreadsheet import uses: the workbook file when one is named, else the running
// Calc.
std::unique_ptr<SpreadsheetLink> makeSpreadsheetLink(const std::string& workbook);

// The reader on the caller's session for the bank current in its APbnk buffer. `workbook` names
// a workbook file (.ods, .xlsx) to read instead of the running spreadsheet program.
ImportResult UpdateAPrecExcel(storage::FileSession& session, bool importAmount, bool assumeDecimal,
                              bool importCleared, int32_t firstRow, int32_t lastRow,
                              int32_t checkColumn, int32_t amountColumn, int32_t clearedColumn,
                              const std::string& workbook = {});

}  // namespace imports
