#pragma once
// The two text readers: UpdateAPrecFixed (fixed-format lines) and UpdateAPrecComma
// (comma-separated lines). Each marks, on the caller's session, the checks of the bank whose
// APbnk record is current there, from the lines of the named file (ASimp), in one transaction
// over APbac, in the progress window "Processing Records" paced by the bytes read (about 1000
// per timer event; the percentage is bytes read over the file's size).
//
// A file that does not exist is never created: it is reported (warning 30, "File Not Found")
// like any other file that cannot be opened, and nothing is marked. A read failure in the middle
// shows warning 35 for "ASimp" and keeps (commits) what was marked up to there. Cancel asks
// whether to undo the run: Yes rolls everything back, No goes on. A failed rewrite rolls back
// and reports "Error occured during transaction update, ...". Lines longer than 1024 characters
// are cut at 1024: the rest of such a line is passed over.
//
// GlobalResponse is left 1 when the run was committed, else 2.
#include <cstdint>
#include <string>

#include "bankrec/imports/import_result.h"
#include "bankrec/imports/import_values.h"
#include "corelib/progress.h"

namespace storage {
class FileSession;
class LineFile;
}  // namespace storage

namespace imports {

class ReaderRun;

enum class TextFormat { Fixed, Comma };

// The progress window's job: reads lines until at least 1000 bytes went by in one tick.
class TextImportJob : public corelib::ProgressJob {
  public:
    static constexpr int64_t kBytesPerTick = 1000;

    TextImportJob(storage::LineFile& file, ReaderRun& run, TextFormat format,
                  const FixedLayout& fixed, const CommaLayout& comma, const ImportFlags& flags);

    void open(corelib::ProgressView& view) override;
    bool tick(corelib::ProgressView& view) override;
    bool cancel(corelib::ProgressView& view) override;

    // The run ended because a write or a read failed (already reported).
    bool failed() const { return failed_; }

  private:
    storage::LineFile& file_;
    ReaderRun& run_;
    TextFormat format_;
    FixedLayout fixed_;
    CommaLayout comma_;
    ImportFlags flags_;
    bool failed_ = false;
};

// The progress window of each reader: "Processing Records", the fixed reader with the text
// "Importing fixed format text file", a Cancel button, its place remembered under the
// procedure's name.
corelib::ProgressOptions textImportOptions(TextFormat format);

// Runs a text import with the layout of `format`.
ImportResult runTextImport(storage::FileSession& session, const std::string& fileName,
                           TextFormat format, const ImportFlags& flags, const FixedLayout& fixed,
                           const CommaLayout& comma);

ImportResult UpdateAPrecFixed(storage::FileSession& session, const std::string& fileName,
                              bool importAmount, bool assumeDecimal, bool importCleared,
                              int32_t checkStart, int32_t checkEnd, int32_t amountStart,
                              int32_t amountEnd, int32_t clearedStart, int32_t clearedEnd,
                              ClearedDateFormat dateFormat = ClearedDateFormat::Standard);

ImportResult UpdateAPrecComma(storage::FileSession& session, const std::string& fileName,
                              bool importAmount, bool assumeDecimal, bool importCleared,
                              int32_t checkField, int32_t amountField, int32_t clearedField);

}  // namespace imports
