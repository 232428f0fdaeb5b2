// POSTCHK: marks cleared transactions reconciled in the suite: the transaction rows, the
// payroll check and bank-reconciliation files and the payables check register, then starts
// the suite's check-clearing process for the payables checks.
//
// Those are written in different places, none in one transaction with another, so a run that
// stops half-way (a crash, a kill) is finished by the next run over the same list: a row that
// is already reconciled was posted whole and is passed over (its files are written before it is
// marked), payroll records are marked only while still open, and the posting journal
// (posting_journal.h) knows the register checks already written and the clearing still owed.
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSqlError>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/picture.h"
#include "corelib/progress.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"
#include "hostlink/host_connection.h"
#include "hostlink/host_rows.h"
#include "hostlink/hostlink.h"
#include "hostlink/link_text.h"
#include "hostlink/posting_journal.h"
#include "hostlink/suite_services.h"
#include "suiteapi/tvsysdata.h"
#include "suiteapi/tvwole.h"

using namespace corelib;

namespace hostlink {

namespace {

using namespace hostlink;

// The transaction row as the posting uses it.
struct TransactionRow {
    int32_t fiaid = 0;
    int32_t sourceModuleId = 0;
    std::string payee;  // PayeeOrPayorID
    int32_t dateProduced = 0;
    int32_t runOrBatch = 0;
    int32_t internalFormId = 0;
    std::string externalFormId;
    int32_t nativeUnique = 0;
    Decimal netAmount;
    std::string description;
    bool reconciled = false;  // FIStatus "R": posted by an earlier run
};

// `value` in `width` digits with leading zeros, cut to the field's width as a fixed field is.
std::string digits(int64_t value, int width) {
    return zeroPadded(value, width).substr(0, width);
}

// mm/dd/yyyy of a day number; "00/00/0000" for no date.
std::string mmddyyyy(int32_t day) {
    const daytime::Ymd d = daytime::ymd(day);
    if (day <= 0 || d.year == 0) return "00/00/0000";
    return zeroPadded(d.month, 2) + "/" + zeroPadded(d.day, 2) + "/" + zeroPadded(d.year, 4);
}

// The user's short date; blank for no date.
std::string shortDate(int32_t day) {
    static const std::optional<picture::Picture> d17 = picture::Picture::parse("@d17");
    return d17 ? picture::formatDate(*d17, day).trimmed : std::string();
}

// An amount in the register's "n-019.2" form: 19 places, two decimals, zero-filled, a leading
// minus for negatives.
std::string registerAmount(Decimal amount) {
    const int64_t cents = amount.cents() < 0 ? -amount.cents() : amount.cents();
    std::string text = std::to_string(cents / 100) + "." + zeroPadded(cents % 100, 2);
    const size_t room = amount.isNegative() ? 18 : 19;
    if (text.size() < room) text.insert(0, room - text.size(), '0');
    return amount.isNegative() ? "-" + text : text;
}

class PostChkRun : public ProgressJob {
  public:
    explicit PostChkRun(ZORBRCHK& link)
        : link_(link), journal_("zor" + link.query("TTY") + ".jnl") {}

    void execute() {
        const int32_t keptCurrent = link_.CHKQ.currentNumber();
        owner_ = FixOwner([this](std::string_view name) { return link_.query(name); });
        fileName_ = "zor" + link_.query("TTY") + ".txt";
        QFile::remove(QString::fromStdString(fileName_));
        journal_.load();
        if (usage_.open(owner_) && transactions_.open(owner_) && institution_.open(owner_) &&
            openTextFile()) {
            const std::string division = link_.query("DIVISION");
            // A suite file that does not open answers each later call with its status.
            (void)checks_.open(division);
            (void)bankRecs_.open(division);
            (void)register_.open(division);
            clearing_ = tvsuite::TvWole::create("tvwole");
            if (loadBNK(usage_, bnk_) && prepareStatements()) {
                std::stable_sort(bnk_.begin(), bnk_.end(),
                                 [](const BNKEntry& a, const BNKEntry& b) {
                                     return std::tie(a.FIID, a.FIAID, a.SOURCEMODULEID) <
                                            std::tie(b.FIID, b.FIAID, b.SOURCEMODULEID);
                                 });
                ProgressOptions options;
                options.title = "Progress...";
                options.cancelButton = true;
                options.percentLine = false;
                if (finishEarlierRun()) runProgress(options, *this);
            }
        }
        closeFiles();
        link_.select(keptCurrent);
    }

    void open(ProgressView& view) override {
        view.setRange(0, link_.records());
        view.setValue(0);
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            busyCursor_ = true;
        }
    }

    bool tick(ProgressView& view) override {
        if (stop_ || next_ > link_.records()) return false;
        link_.select(next_);
        postEntry();
        view.setValue(next_);
        ++next_;
        return !stop_ && next_ <= link_.records();
    }

    // Posting is not stopped half-way by Cancel.
    bool cancel(ProgressView&) override { return false; }

    // The row updates of one timer event share one transaction; it is committed at the end of
    // the event and before every question, so nothing stays locked while the user decides and
    // every change made before a No is kept.
    void sliceEnd() override { commitBatch(); }

    void close() override {
        commitBatch();
        // A clearing owed by a run of the same account and date that stopped before it is this
        // run's clearing too, even when every row of the list was posted by then.
        const std::optional<PostingJournal::Clearing> owed = journal_.clearing();
        if (owed && !headerWritten_) writeHeader(owed->bank);
        closeFiles();
        if (payables_ > 0 || owed) {
            if (startClearing(postDate())) journal_.remove();
        } else {
            journal_.remove();
        }
        clearing_.reset();
        if (busyCursor_) QGuiApplication::restoreOverrideCursor();
        busyCursor_ = false;
    }

  private:
    int32_t postDate() const { return parseLong(link_.query("POSTDATE")).value_or(0); }
    int32_t fiaId() const { return parseLong(link_.query("FIAID")).value_or(0); }

    // An earlier run of this terminal that stopped before its clearing, for another account or
    // date, has its clearing run now (the posting file names one bank). False when that fails:
    // it was reported, and this run posts nothing until the earlier one is finished.
    bool finishEarlierRun() {
        const std::optional<PostingJournal::Clearing> owed = journal_.clearing();
        if (!owed) {
            journal_.remove();
            return true;
        }
        if (owed->fiaId == fiaId() && owed->day == postDate()) return true;
        writeHeader(owed->bank);
        text_.flush();
        if (!startClearing(owed->day)) return false;
        journal_.remove();
        text_.resize(0);
        text_.seek(0);
        headerWritten_ = false;
        return true;
    }

    // The clearing process's header line: the bank of the run.
    void writeHeader(const std::string& bank) {
        const std::string header = std::string(10, 'N') + leftJustified(bank, 10) +
                                   std::string(35, ' ') + std::string(200, '0') + " ";
        text_.write((header + "\n").c_str());
        headerWritten_ = true;
    }

    bool openTextFile() {
        text_.setFileName(QString::fromStdString(fileName_));
        if (text_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return true;
        StandardWarning(Warn_OpenFailed, fileName_, "",
                        {90, standardErrorText(90, "", static_cast<int32_t>(text_.error()),
                                               text_.errorString().toStdString())});
        return false;
    }

    bool prepareStatements() {
        QString columns;
        for (const char* c : {"FIAID", "SourceModuleID", "PayeeOrPayorID", "DateProduced",
                              "RunOrBatch", "InternalFormID", "ExternalFormID", "NativeUnique",
                              "NetAmount", "Description", "FIStatus"}) {
            columns += (columns.isEmpty() ? "" : ", ") + transactions_.column(c);
        }
        const QString id = transactions_.column("TransactionID");
        return prepareOn(transactions_, fetch_,
                         "SELECT " + columns + " FROM " + transactions_.sql() + " WHERE " + id +
                             " = ?") &&
               prepareOn(transactions_, update_,
                         "UPDATE " + transactions_.sql() + " SET " +
                             transactions_.column("FIStatus") + " = ?, " +
                             transactions_.column("ReconDate") + " = ? WHERE " + id + " = ?") &&
               prepareOn(institution_, institutionFetch_,
                         "SELECT " + institution_.column("FIID") + " FROM " + institution_.sql() +
                             " WHERE " + institution_.column("FIAID") + " = ?");
    }

    void beginBatch() {
        if (inBatch_) return;
        QSqlDatabase db = transactions_.database();
        if (transactions_.driver() == HostDriver::Sqlite) {
            // A write transaction takes its lock at once rather than failing half-way.
            QSqlQuery begin(db);
            inBatch_ = begin.exec("BEGIN IMMEDIATE");
        } else {
            inBatch_ = db.transaction();
        }
    }

    void commitBatch() {
        if (!inBatch_) return;
        inBatch_ = false;
        QSqlDatabase db = transactions_.database();
        bool ok = false;
        QSqlError error;
        if (transactions_.driver() == HostDriver::Sqlite) {
            QSqlQuery commit(db);
            ok = commit.exec("COMMIT");
            error = commit.lastError();
            if (!ok) QSqlQuery(db).exec("ROLLBACK");
        } else {
            ok = db.commit();
            error = db.lastError();
            if (!ok) db.rollback();
        }
        if (!ok) {
            // The rows of this batch stay open in the suite; the run cannot go on safely.
            StandardWarning(Warn_UpdateError, transactions_.displayName(), "",
                            {90, transactions_.errorText(error)});
            stop_ = true;
        }
    }

    void ask(const std::string& question) {
        commitBatch();
        if (!askContinue(question)) stop_ = true;  // No: the run ends after this entry
    }

    void postEntry() {
        const std::string idText = link_.query("TRANSACTIONID");
        const int32_t id = parseLong(idText).value_or(0);
        const std::string source = link_.query("SOURCE");
        TransactionRow row;
        fetch_.bindValue(0, id);
        bool found = false;
        if (!fetch_.exec()) {
            showReadError(transactions_, fetch_);
        } else if (fetch_.next()) {
            found = true;
            row.fiaid = longOf(fetch_.value(0));
            row.sourceModuleId = longOf(fetch_.value(1));
            row.payee = textOf(fetch_.value(2));
            row.dateProduced = dayOfDateTime(fetch_.value(3));
            row.runOrBatch = longOf(fetch_.value(4));
            row.internalFormId = longOf(fetch_.value(5));
            row.externalFormId = textOf(fetch_.value(6));
            row.nativeUnique = longOf(fetch_.value(7));
            row.netAmount = moneyOf(fetch_.value(8));
            row.description = textOf(fetch_.value(9));
            row.reconciled = text::upper(textOf(fetch_.value(10))) == "R";
        }
        fetch_.finish();
        if (!found) {
            // Without its row there is nothing to post to the payroll files or the payables
            // register, so the entry ends here.
            ask("Unable find transaction " + idText + ". Do you wish to continue?");
            return;
        }
        // Posted whole by an earlier run: nothing of it is written again.
        if (row.reconciled) return;
        if (source == "AP") {
            if (!postPayables(row, id)) return;
        } else if (source == "PR") {
            postPayroll(row);
        }
        markReconciled(id, idText);
    }

    // The row is marked last, so a row marked reconciled had every step of its entry done.
    void markReconciled(int32_t id, const std::string& idText) {
        update_.bindValue(0, QString("R"));
        update_.bindValue(1, nowForDriver(transactions_.driver()));
        update_.bindValue(2, id);
        beginBatch();
        // A failing row must not take the batch's earlier rows with it (PostgreSQL aborts the
        // whole transaction on an error), so each row is written under a savepoint.
        const bool savepoint = inBatch_ && transactions_.driver() != HostDriver::Odbc;
        QSqlQuery control(transactions_.database());
        if (savepoint) control.exec("SAVEPOINT hostlink_row");
        const bool updated = update_.exec();
        const QSqlError error = update_.lastError();
        update_.finish();
        if (savepoint) {
            if (!updated) control.exec("ROLLBACK TO SAVEPOINT hostlink_row");
            control.exec("RELEASE SAVEPOINT hostlink_row");
        }
        if (!updated) {
            ask("Unable update transaction " + idText + ". Error " +
                transactions_.errorText(error) + ". Do you wish to continue?");
        }
    }

    // The module usage of the row's institution account and source module; nullptr (after the
    // question) when either is missing.
    const BNKEntry* moduleUsage(const TransactionRow& row) {
        institutionFetch_.bindValue(0, row.fiaid);
        bool found = false;
        int32_t fiid = 0;
        if (!institutionFetch_.exec()) {
            showReadError(institution_, institutionFetch_);
        } else if (institutionFetch_.next()) {
            found = true;
            fiid = longOf(institutionFetch_.value(0));
        }
        institutionFetch_.finish();
        if (!found) {
            ask("Unable connect to Institution Account " + std::to_string(row.fiaid) +
                ". Do you wish to continue?");
            return nullptr;
        }
        const auto key = std::tie(fiid, row.fiaid, row.sourceModuleId);
        const auto it =
            std::lower_bound(bnk_.begin(), bnk_.end(), key, [](const BNKEntry& b, const auto& k) {
                return std::tie(b.FIID, b.FIAID, b.SOURCEMODULEID) < k;
            });
        if (it == bnk_.end() || std::tie(it->FIID, it->FIAID, it->SOURCEMODULEID) != key) {
            ask("Unable connect to Module Usage " + std::to_string(fiid) + "," +
                std::to_string(row.fiaid) + "," + std::to_string(row.sourceModuleId) +
                ". Do you wish to continue?");
            return nullptr;
        }
        return &*it;
    }

    void postPayroll(const TransactionRow& row) {
        const BNKEntry* usage = moduleUsage(row);
        if (!usage) return;
        const std::string checkDate = mmddyyyy(row.dateProduced);
        const std::string emp = digits(leadingNumber(row.payee), 9);
        const std::string run = digits(row.runOrBatch, 9);
        const std::string internal = digits(row.internalFormId, 7);
        const std::string external = digits(leadingNumber(row.externalFormId), 7);
        const std::string checkText =
            emp + "," + shortDate(row.dateProduced) + "," + run + "," + internal + "," + external;
        std::string check = emp + checkDate + run + internal + external;
        std::string status = checks_.read(check, "RL");
        if (status != "00") {
            ask("Status=" + status + " Unable to find P/R check " + checkText +
                ". Do you wish to continue?");
        } else {
            if (check[PYK_RECSTATUS_OFS] == 'O') {
                check[PYK_RECSTATUS_OFS] = 'R';
                status = checks_.rewrite(check);
                if (status != "00")
                    ask("Status=" + status + " Unable to update P/R check " + checkText +
                        ". Do you wish to continue?");
            }
            checks_.unlock();
        }

        const std::string bank = leftJustified(usage->BANK, 10);
        const std::string keyTail =
            rightJustified(row.externalFormId, 10) + digits(row.nativeUnique, 3);
        std::string rec = bank + checkDate + "C" + keyTail;
        status = bankRecs_.read(rec, "RL");
        if (status != "00") {
            rec = bank + checkDate + "U" + keyTail;
            status = bankRecs_.read(rec, "RL");
        }
        const std::string recText = usage->BANK + "," + shortDate(row.dateProduced) + "," +
                                    row.externalFormId + "," + std::to_string(row.nativeUnique);
        if (status != "00") {
            ask("Status=" + status + " Unable to find B/R check " + recText +
                ". Do you wish to continue?");
            return;
        }
        if (rec[BRK_STATUS_OFS] == 'O') {
            rec[BRK_STATUS_OFS] = 'R';
            rec[BRK_MARK_OFS] = 'Y';
            status = bankRecs_.rewrite(rec);
            if (status != "00")
                ask("Status=" + status + " Unable to update B/R check " + recText +
                    ". Do you wish to continue?");
        }
        bankRecs_.unlock();
    }

    // False when the entry must not be marked: its check could not be announced in the journal.
    bool postPayables(const TransactionRow& row, int32_t id) {
        if (++payables_ == 1) {
            // The clearing process's header line names the bank of the run.
            const BNKEntry* usage = moduleUsage(row);
            if (!usage) return true;
            // Before the first check goes to the register, the clearing it needs is owed.
            if (!journal_.clearing() &&
                !journal_.beginClearing({fiaId(), postDate(), usage->BANK})) {
                const int error = errno;
                --payables_;
                StandardWarning(Warn_OpenFailed, journal_.path(), "",
                                {90, standardErrorText(90, "", error, std::strerror(error))});
                stop_ = true;
                return false;
            }
            writeHeader(usage->BANK);
        }
        // Written by a run that stopped before it marked the row.
        if (journal_.posted(id)) return true;
        PayablesRegister::Check c;
        c.bank = text::cutBytes(link_.query("BANK"), 10);
        c.external = digits(leadingNumber(row.externalFormId), 7);
        c.run = digits(row.runOrBatch, 5);
        c.internal = digits(row.internalFormId, 7);
        c.amount = registerAmount(row.netAmount);
        c.vendor = digits(leadingNumber(row.payee), 9);
        c.name = text::cutBytes(row.description, 35);
        const std::string status = register_.post(c);
        if (status != "00") {
            ask("Status=" + status + " Unable to update A/P check " + c.bank + "," + c.external +
                "," + c.run + "," + c.internal + ". Do you wish to continue?");
        } else if (journal_.clearing()) {
            // Not kept when the disk fails now: a run finishing this one would then write the
            // same values once more, which changes nothing.
            (void)journal_.addPosted(id);
        }
        return true;
    }

    void closeFiles() {
        checks_.close();
        bankRecs_.close();
        fetch_ = QSqlQuery();
        update_ = QSqlQuery();
        institutionFetch_ = QSqlQuery();
        usage_.close();
        transactions_.close();
        institution_.close();
        if (text_.isOpen()) text_.close();
        register_.close();
    }

    // Hands the posted payables checks to the suite's clearing process, dated `postDate`.
    // False (reported) when it could not run.
    bool startClearing(int32_t postDate) {
        char dayNumber[8] = "0000000";
        CvtCtoJ(mmddyyyy(postDate).c_str(), dayNumber);
        const std::string dataPath = link_.query("DATAPATH");
        int result = -1;
        std::string error = "tvwole is not available";
        // The file just written, by its full name, so a stale file of the same name in the
        // suite's data path is never taken instead.
        const std::string postingFile = QFileInfo(text_).absoluteFilePath().toStdString();
        if (clearing_) {
            result = clearing_->loadProcess(
                dataPath, "OCW042", "", "1", dayNumber, link_.query("DIVISION"),
                link_.query("USERID"), link_.query("TTY"), postingFile, "0", "0", dataPath, "", "");
            error = clearing_->lastError();
        }
        if (result != 0) {
            ds_Beep();
            ds_Message("Unable to start the check clearing process. Error " + error + ".",
                       glo_ApplicationName, icon::Exclamation, msg::OK);
        }
        return result == 0;
    }

    ZORBRCHK& link_;
    Owner owner_;
    std::string fileName_;
    HostTable usage_{"FIAModuleUsage"};
    HostTable transactions_{"FIATransaction"};
    HostTable institution_{"FinlInstitutionAcct"};
    QSqlQuery fetch_;
    QSqlQuery update_;
    QSqlQuery institutionFetch_;
    QFile text_;
    PayrollFile checks_{"PYK"};
    PayrollFile bankRecs_{"BRK"};
    PayablesRegister register_;
    std::unique_ptr<tvsuite::TvWole> clearing_;
    std::vector<BNKEntry> bnk_;
    PostingJournal journal_;
    bool headerWritten_ = false;
    int32_t next_ = 1;
    int32_t payables_ = 0;
    bool stop_ = false;
    bool inBatch_ = false;
    bool busyCursor_ = false;
};

}  // namespace

void POSTCHK(ZORBRCHK& link) {
    hostlink::runOperation<PostChkRun>("PostChk", link);
}

}  // namespace hostlink
