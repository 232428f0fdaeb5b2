#include "bankrec/imports/bank_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "bankrec/imports/import_windows.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "reader_run.h"

using namespace corelib;
using namespace storage;

namespace imports {

namespace {

constexpr int64_t kLargestFile = 256LL << 20;

const char* kindName(BankFormat format) {
    return format == BankFormat::Bai2 ? "BAI2" : "OFX";
}

}  // namespace

Error readBankFile(const std::string& fileName, std::string& text, int& systemError) {
    text.clear();
    systemError = 0;
    // Non-blocking, so a named pipe cannot hold the open; only plain files are read.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        systemError = errno;
        return systemError == ENOENT ? Error::FileNotFound : Error::Driver;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        systemError = errno;
        ::close(fd);
        return Error::Driver;
    }
    if (!S_ISREG(st.st_mode) || st.st_size > kLargestFile) {
        systemError = !S_ISREG(st.st_mode) ? (S_ISDIR(st.st_mode) ? EISDIR : EINVAL) : EFBIG;
        ::close(fd);
        return Error::Driver;
    }
    text.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n =
            ::pread(fd, text.data() + got, text.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            systemError = errno;
            ::close(fd);
            text.clear();
            return Error::Driver;
        }
        if (n == 0) break;  // the file shrank meanwhile
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    ::close(fd);
    return Error::None;
}

BankImportJob::BankImportJob(const std::vector<BankItem>& items, ReaderRun& run,
                             const BankImportOptions& options)
    : items_(items), run_(run), options_(options) {}

void BankImportJob::open(ProgressView& view) {
    view.setRange(0, static_cast<int64_t>(items_.size()));
    view.setValue(0);
}

bool BankImportJob::tick(ProgressView& view) {
    int64_t bytes = 0;
    while (next_ < items_.size() && bytes < kBytesPerTick) {
        const BankItem& item = items_[next_++];
        bytes += static_cast<int64_t>(item.raw.size()) + 1;
        const Decimal amount = Decimal::fromCents(item.cents);
        bool ok = true;
        if (item.isCheck()) {
            ImportedCheck check;
            check.reference = item.checkNumber;
            check.amount = amount;
            check.clearDate = item.date;
            ok = run_.handle(check, item.raw, item.line);
        } else if (item.credit && options_.deposits) {
            ok = run_.handleDeposit(amount, item.date, item.raw, item.line);
        } else if (item.credit) {
            run_.count(MarkOutcome::Skipped, item.raw, {}, item.line);  // deposits not matched
        } else {
            run_.count(MarkOutcome::NotMatched, item.raw,
                       "debit of " + amount.toString() + " without a check number", item.line);
        }
        if (!ok) return false;
    }
    view.setValue(static_cast<int64_t>(next_));
    return next_ < items_.size();
}

bool BankImportJob::cancel(ProgressView&) {
    return run_.askCancel();
}

ImportResult runBankImport(FileSession& session, const std::string& fileName, BankFormat format,
                           const BankImportOptions& options) {
    GlobalResponse = RequestCancelled;
    FileUse files(session, {FileId::APbac, FileId::APbnk});
    if (files.error() != Error::None) return {};
    std::string text;
    int systemError = 0;
    if (const Error err = readBankFile(fileName, text, systemError); err != Error::None) {
        saveFileError(err, fileName, systemError);
        StandardWarning(30, fileName);
        return {};
    }
    const BankFile file = format == BankFormat::Bai2 ? parseBai2(text) : parseOfx(text);
    ImportResult refused;
    if (!file.recognised) {
        ds_Beep();
        ds_Message("The file \"" + fileName + "\" is not a " + kindName(format) +
                       " file: nothing was imported.",
                   glo_ApplicationName, icon::Exclamation, msg::OK);
        return refused;
    }
    refused.end = ImportEnd::Cancelled;
    refused.warnings = file.warnings;
    if (!file.warnings.empty()) {
        std::string list;
        for (const std::string& w : file.warnings) list += "\n- " + w;
        ds_Beep();
        if (ds_Message("The " + std::string(kindName(format)) + " file \"" + fileName +
                           "\" does not add up:" + list + "\n\nImport it anyway?",
                       glo_ApplicationName, icon::Exclamation, msg::Yes | msg::No,
                       msg::No) != msg::Yes)
            return refused;
    }
    size_t account = 0;
    if (file.accounts.size() > 1) {
        std::vector<std::string> labels;
        for (const BankAccount& a : file.accounts) labels.push_back(BankFile::label(a));
        const int chosen = importWindows().selectAccount(labels);
        if (chosen < 0 || static_cast<size_t>(chosen) >= file.accounts.size()) return refused;
        account = static_cast<size_t>(chosen);
    }
    static const std::vector<BankItem> none;
    const std::vector<BankItem>& items =
        file.accounts.empty() ? none : file.accounts[account].items;

    ImportFlags flags;
    flags.amount = options.amount;
    flags.cleared = options.cleared;
    ReaderRun run(session, session.file<APbnk>().rec.BankID, flags);
    if (options.deposits) run.matchDeposits(options.depositDays);
    if (!run.begin()) return run.finish();
    BankImportJob job(items, run, options);
    ProgressOptions progress;
    progress.title = "Processing Records";
    progress.text = format == BankFormat::Bai2 ? "Importing BAI2 file" : "Importing OFX file";
    progress.cancelButton = true;
    progress.placeName = format == BankFormat::Bai2 ? "UpdateAPrecBai2" : "UpdateAPrecOfx";
    runProgress(progress, job);
    for (int64_t i = 0; i < file.skipped; ++i) run.count(MarkOutcome::Skipped, {});
    ImportResult result = run.finish();
    result.warnings = file.warnings;
    return result;
}

ImportResult UpdateAPrecBai2(FileSession& session, const std::string& fileName, bool importAmount,
                             bool importCleared, bool matchDeposits, int32_t depositDays) {
    ProcedureLog log("UpdateAPrecBai2");
    return runBankImport(session, fileName, BankFormat::Bai2,
                         {importAmount, importCleared, matchDeposits, depositDays});
}

ImportResult UpdateAPrecOfx(FileSession& session, const std::string& fileName, bool importAmount,
                            bool importCleared, bool matchDeposits, int32_t depositDays) {
    ProcedureLog log("UpdateAPrecOfx");
    return runBankImport(session, fileName, BankFormat::Ofx,
                         {importAmount, importCleared, matchDeposits, depositDays});
}

}  // namespace imports
