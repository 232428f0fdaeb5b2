#include "bankrec/imports/text_import.h"

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/line_file.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "reader_run.h"

using namespace corelib;
using namespace storage;

namespace imports {

TextImportJob::TextImportJob(LineFile& file, ReaderRun& run, TextFormat format,
                             const FixedLayout& fixed, const CommaLayout& comma,
                             const ImportFlags& flags)
    : file_(file), run_(run), format_(format), fixed_(fixed), comma_(comma), flags_(flags) {}

void TextImportJob::open(ProgressView& view) {
    view.setRange(0, file_.size());
    view.setValue(0);
}

bool TextImportJob::tick(ProgressView& view) {
    const int64_t until = file_.bytesRead() + kBytesPerTick;
    bool more = true;
    while (file_.bytesRead() < until) {
        const Error err = file_.next();
        if (err == Error::NoRecord) {
            more = false;
            break;
        }
        if (err != Error::None) {
            // What was marked so far stays: the run ends as at the end of the file.
            saveFileError(err, "ASimp", file_.systemError());
            StandardWarning(35, "ASimp");
            more = false;
            break;
        }
        const std::string_view line = file_.rec.ImportText;
        const ImportedCheck check = format_ == TextFormat::Fixed
                                        ? readFixedLine(line, fixed_, flags_)
                                        : readCommaLine(line, comma_, flags_);
        if (!run_.handle(check, line)) {
            failed_ = true;
            return false;
        }
    }
    view.setValue(std::min(file_.bytesRead(), file_.size()));
    return more;
}

bool TextImportJob::cancel(ProgressView&) {
    return run_.askCancel();
}

ProgressOptions textImportOptions(TextFormat format) {
    ProgressOptions options;
    options.title = "Processing Records";
    options.text = format == TextFormat::Fixed ? "Importing fixed format text file" : "";
    options.cancelButton = true;
    options.placeName = format == TextFormat::Fixed ? "UpdateAPrecFixed" : "UpdateAPrecComma";
    return options;
}

ImportResult runTextImport(FileSession& session, const std::string& fileName, TextFormat format,
                           const ImportFlags& flags, const FixedLayout& fixed,
                           const CommaLayout& comma) {
    GlobalResponse = RequestCancelled;
    FileUse files(session, {FileId::APbac, FileId::APbnk});
    if (files.error() != Error::None) return {};
    LineFile file;
    if (const Error err = file.open(fileName); err != Error::None) {
        saveFileError(err, fileName, file.systemError());
        StandardWarning(30, fileName);
        return {};
    }
    ReaderRun run(session, session.file<APbnk>().rec.BankID, flags);
    if (!run.begin()) return run.finish();
    TextImportJob job(file, run, format, fixed, comma, flags);
    runProgress(textImportOptions(format), job);
    return run.finish();
}

ImportResult UpdateAPrecFixed(FileSession& session, const std::string& fileName, bool importAmount,
                              bool assumeDecimal, bool importCleared, int32_t checkStart,
                              int32_t checkEnd, int32_t amountStart, int32_t amountEnd,
                              int32_t clearedStart, int32_t clearedEnd,
                              ClearedDateFormat dateFormat) {
    ProcedureLog log("UpdateAPrecFixed");
    const FixedLayout fixed{checkStart, checkEnd, amountStart, amountEnd, clearedStart, clearedEnd};
    return runTextImport(session, fileName, TextFormat::Fixed,
                         {importAmount, assumeDecimal, importCleared, dateFormat}, fixed, {});
}

ImportResult UpdateAPrecComma(FileSession& session, const std::string& fileName, bool importAmount,
                              bool assumeDecimal, bool importCleared, int32_t checkField,
                              int32_t amountField, int32_t clearedField) {
    ProcedureLog log("UpdateAPrecComma");
    const CommaLayout comma{checkField, amountField, clearedField};
    return runTextImport(session, fileName, TextFormat::Comma,
                         {importAmount, assumeDecimal, importCleared}, {}, comma);
}

}  // namespace imports
