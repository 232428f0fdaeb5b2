// LOADCHK: the open suite transactions of one financial institution account.
#include <QSqlError>
#include <algorithm>
#include <limits>
#include <unordered_set>

#include "corelib/globals.h"
#include "corelib/progress.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"
#include "hostlink/host_connection.h"
#include "hostlink/host_rows.h"
#include "hostlink/hostlink.h"
#include "hostlink/link_text.h"
#include "hostlink/view_filter.h"

using namespace corelib;

namespace hostlink {

namespace {

using namespace hostlink;

// Rows per timer tick; the percentage counts rows against this fixed total.
constexpr int kBatchRows = 1000;
constexpr int64_t kPercentTotal = 1000;

// The columns of dbo.FIATransaction, known to filters as "FIA2:" + name.
constexpr const char* kTransactionColumns[] = {
    "AmendmentSequence",  "DateAdded",
    "DateCleared",        "DateProduced",
    "Description",        "Electronic",
    "ExternalFormID",     "FIAID",
    "FIStatus",           "GLPostingOption",
    "GLPostingStatus",    "InternalFormID",
    "IsAmendmentTo",      "IsCurrent",
    "IsSoleCopy",         "NativeUnique",
    "NetAmount",          "PartiallyReconcilable",
    "PayeeOrPayorID",     "ReconDate",
    "ReconStatementID",   "RunOrBatch",
    "RunOrBatchItemID",   "SourceModuleID",
    "SourceModuleStatus", "SubSource",
    "TraceDate",          "TraceUser",
    "TransactionID",      "TransactionSubType",
    "TransactionType",    "UsageID",
};

class LoadChkRun : public ProgressJob {
  public:
    explicit LoadChkRun(ZORBRCHK& link) : link_(link) {
        for (const CHKQEntry& e : link_.CHKQ.entries()) queued_.insert(e.TRANSACTIONID);
    }

    int32_t execute() {
        const std::optional<int32_t> fiaid = parseLong(link_.query("FIAID"));
        filterText_ = "FIA2:FIAID=" + std::to_string(fiaid.value_or(0)) + " AND FIA2:FIStatus='O'";
        link_.outcome = LoadOutcome::Failed;
        const Owner owner = FixOwner([this](std::string_view name) { return link_.query(name); });
        if (!transactions_.open(owner)) return RequestCancelled;
        ProgressOptions options;
        options.title = "Processing Records";
        options.text = "Extracting Check's";
        options.cancelButton = true;
        runProgress(options, *this);
        page_ = QSqlQuery();
        transactions_.close();
        link_.outcome = outcome_;
        return response_;
    }

    void open(ProgressView& view) override {
        view.setPercent(0);
        const SqlFilter filter = parseViewFilter(
            filterText_, [this](const std::string& name) { return resolveName(name); });
        if (!filter.ok) {
            StandardWarning(Warn_ViewOpenFailed, "", "", {36, standardErrorText(36, filter.error)});
            done_ = true;
            return;
        }
        filterValues_ = filter.values;
        const HostDriver d = transactions_.driver();
        const QString id = transactions_.column("TransactionID");
        QString columns;
        for (const char* c : {"TransactionID", "DateProduced", "SourceModuleID", "Description",
                              "RunOrBatch", "ExternalFormID", "Electronic", "NetAmount"}) {
            columns += (columns.isEmpty() ? "" : ", ") + transactions_.column(c);
        }
        // Pages keyed on the primary key: each page is read whole, so no statement stays open
        // between timer ticks.
        const QString sql = "SELECT " + limitPrefix(d, kBatchRows) + columns + " FROM " +
                            transactions_.sql() + " WHERE (" + filter.where + ") AND " + id +
                            " >= ? ORDER BY " + id + limitSuffix(d, kBatchRows);
        if (!prepareView(sql) || !readPage()) {
            done_ = true;
            return;
        }
        if (rows_ == 0) {  // no open transaction: response 2
            done_ = true;
            outcome_ = LoadOutcome::Empty;
        }
    }

    bool tick(ProgressView& view) override {
        if (done_) return false;
        showPercent(view);
        if (rows_ == kBatchRows) {  // a full page: there may be more
            if (!readPage()) return false;
            showPercent(view);
            if (rows_ > 0) return true;
        }
        response_ = RequestCompleted;
        outcome_ = LoadOutcome::Completed;
        view.setText("Process Completed");
        return false;
    }

    bool cancel(ProgressView&) override {
        response_ = RequestCancelled;
        outcome_ = LoadOutcome::Cancelled;
        return true;
    }

  private:
    void showPercent(ProgressView& view) {
        const int percent = static_cast<int>(std::min<int64_t>(100, read_ * 100 / kPercentTotal));
        if (percent != percent_) {
            percent_ = percent;
            view.setPercent(percent);
        }
    }

    std::optional<FilterName> resolveName(const std::string& name) const {
        const std::string upper = text::upper(name);
        if (upper.rfind("FIA2:", 0) != 0) return std::nullopt;
        for (const char* c : kTransactionColumns) {
            if (text::upper(c) == upper.substr(5)) return FilterName{transactions_.column(c), {}};
        }
        return std::nullopt;
    }

    bool prepareView(const QString& sql) {
        page_ = QSqlQuery(transactions_.database());
        page_.setForwardOnly(true);
        page_.setNumericalPrecisionPolicy(QSql::HighPrecision);
        if (page_.prepare(sql)) return true;
        StandardWarning(Warn_ViewOpenFailed, "", "",
                        {90, transactions_.errorText(page_.lastError())});
        return false;
    }

    // Reads the next page and appends its entries; rows_ is the number of rows it held.
    // False (warning shown) on a SQL failure.
    bool readPage() {
        for (int i = 0; i < filterValues_.size(); ++i) page_.bindValue(i, filterValues_[i]);
        if (lastId_ == std::numeric_limits<int32_t>::max()) {  // no key beyond
            rows_ = 0;
            return true;
        }
        page_.bindValue(static_cast<int>(filterValues_.size()), static_cast<int>(lastId_ + 1));
        if (!page_.exec()) {
            showReadError(transactions_, page_);
            return false;
        }
        rows_ = 0;
        while (page_.next()) {
            ++rows_;
            ++read_;
            addEntry();
        }
        const bool failed = page_.lastError().isValid();
        if (failed) showReadError(transactions_, page_);
        page_.finish();
        return !failed;
    }

    void addEntry() {
        const int32_t id = longOf(page_.value(0));
        lastId_ = id;
        if (!queued_.insert(id).second) return;  // no transaction twice in the queue
        const int32_t module = longOf(page_.value(2));
        const std::string description = textOf(page_.value(3));
        const std::string run = std::to_string(longOf(page_.value(4)));
        const std::string externalForm = textOf(page_.value(5));
        CHKQEntry e;
        e.TRANSACTIONID = id;
        e.ACTIVITYDATE = dayOfDateTime(page_.value(1));
        switch (module) {
            case 6:
                e.SOURCE = "GL";
                e.NAME = description;
                e.REFERENCE = "JE-" + run + "T";
                break;
            case 8:
                e.SOURCE = "AP";
                e.NAME = description;
                e.REFERENCE = externalForm;
                break;
            case 9:
                e.SOURCE = "PR";
                e.NAME = description;
                e.REFERENCE = longOf(page_.value(6)) != 0 ? "DirDep" + run : externalForm;
                break;
            case 10:
                e.SOURCE = "CR";
                e.DESCRIPTION = description;
                e.REFERENCE = externalForm;
                break;
            default:
                break;
        }
        e.REFERENCE = text::cutBytes(e.REFERENCE, 20);
        e.NAME = text::cutBytes(e.NAME, 80);
        e.DESCRIPTION = text::cutBytes(e.DESCRIPTION, 160);
        // NetAmount has four decimals; the entry keeps two, rounded half away from zero.
        e.AMOUNT = moneyOf(page_.value(7));
        link_.CHKQ.add(std::move(e));
    }

    ZORBRCHK& link_;
    HostTable transactions_{"FIATransaction"};
    std::string filterText_;
    QVariantList filterValues_;
    QSqlQuery page_;
    std::unordered_set<int32_t> queued_;
    int64_t lastId_ = static_cast<int64_t>(std::numeric_limits<int32_t>::min()) - 1;
    int rows_ = 0;
    int64_t read_ = 0;
    int percent_ = 0;
    bool done_ = false;
    int32_t response_ = RequestCancelled;
    LoadOutcome outcome_ = LoadOutcome::Failed;  // until the scan ends otherwise
};

}  // namespace

void LOADCHK(ZORBRCHK& link) {
    hostlink::runOperation<LoadChkRun>("LoadChk", link);
}

}  // namespace hostlink
