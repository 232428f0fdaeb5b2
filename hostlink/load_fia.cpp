// LOADFIA: the suite's financial institution accounts, each with its ledger cash accounts and
// the payables and payroll bank codes that use it.
#include <QSqlError>
#include <algorithm>
#include <deque>
#include <limits>
#include <string>
#include <unordered_map>

#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/progress.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"
#include "hostlink/host_connection.h"
#include "hostlink/host_rows.h"
#include "hostlink/hostlink.h"
#include "hostlink/link_text.h"
#include "hostlink/suite_services.h"

using namespace corelib;

namespace hostlink {

namespace {

using namespace hostlink;

bool& debugSwitch() {
    static bool on = false;
    return on;
}

// The institution table's declared record size: each row read counts this much towards the
// batch measure and the percentage, the table's size being its rows times this.
constexpr int64_t kInstitutionRowSize = 133;
constexpr int64_t kBatchMeasure = 1000;
// Institution accounts read per page; each page is read whole, so no statement stays open
// between timer ticks.
constexpr int kAccountsPerPage = 100;

struct FiaRow {
    int32_t fiaid = 0;
    int32_t fiid = 0;
    std::string description;
    std::string stringId;  // FIA:LAInternalStringID, blank without a ledger row
};

class LoadFiaRun : public ProgressJob {
  public:
    explicit LoadFiaRun(ZORBRFIA& link) : link_(link) {}

    int32_t execute() {
        link_.outcome = LoadOutcome::Failed;
        const Owner owner = FixOwner([this](std::string_view name) { return link_.query(name); });
        if (!institution_.open(owner) || !ledger_.open(owner) || !usage_.open(owner))
            return RequestCancelled;
        (void)lookup_.open(owner.division);  // an unopened chart leaves accounts blank
        if (loadBNK(usage_, bnk_)) {
            // Kept sorted by (FIID, FIAID); the stable sort keeps key order within a pair, so
            // the first entry of a pair is its first module usage.
            std::stable_sort(bnk_.begin(), bnk_.end(), [](const BNKEntry& a, const BNKEntry& b) {
                return std::tie(a.FIID, a.FIAID) < std::tie(b.FIID, b.FIAID);
            });
            ProgressOptions options;
            options.title = "Processing Records";
            options.text = "Extracting FIA's";
            options.cancelButton = true;
            runProgress(options, *this);
        }
        page_ = QSqlQuery();
        lookup_.close();
        usage_.close();
        ledger_.close();
        institution_.close();
        link_.outcome = outcome_;
        return response_;
    }

    void open(ProgressView& view) override {
        view.setPercent(0);
        QSqlQuery count;
        if (!prepareOn(institution_, count, "SELECT COUNT(*) FROM " + institution_.sql()) ||
            !count.exec() || !count.next()) {
            if (count.lastError().isValid()) showReadError(institution_, count);
            done_ = true;
            return;
        }
        tableSize_ = count.value(0).toLongLong() * kInstitutionRowSize;
        // The page query stays prepared for the whole run and is re-executed per page.
        const auto f = [this](const char* c) { return "f." + institution_.column(c); };
        const auto l = [this](const char* c) { return "l." + ledger_.column(c); };
        const HostDriver d = institution_.driver();
        // Every institution account is listed, with or without a ledger row (a left join):
        // an account without one comes with a blank cash account.
        const QString sql = "SELECT " + f("FIAID") + ", " + f("FIID") + ", " + f("Description") +
                            ", " + l("LAInternalStringID") + " FROM (SELECT " +
                            limitPrefix(d, kAccountsPerPage) + institution_.column("FIAID") + ", " +
                            institution_.column("FIID") + ", " +
                            institution_.column("Description") + " FROM " + institution_.sql() +
                            " WHERE " + institution_.column("FIAID") + " >= ? ORDER BY " +
                            institution_.column("FIAID") + limitSuffix(d, kAccountsPerPage) +
                            ") f LEFT JOIN " + ledger_.sql() + " l ON " + l("FIAID") + " = " +
                            f("FIAID") + " ORDER BY " + f("FIAID") + ", " + l("LAInternalStringID");
        if (!prepareOn(institution_, page_, sql) || !readPage()) {
            done_ = true;
            return;
        }
        if (rows_.empty()) {  // nothing to list: response 2
            done_ = true;
            outcome_ = LoadOutcome::Empty;
        }
    }

    bool tick(ProgressView& view) override {
        if (done_) return false;
        int64_t measure = 0;
        while (measure < kBatchMeasure) {
            if (rows_.empty()) {
                if (!readPage()) return false;
                if (rows_.empty()) {
                    response_ = RequestCompleted;
                    outcome_ = LoadOutcome::Completed;
                    view.setText("Process Completed");
                    return false;
                }
            }
            handle(rows_.front());
            rows_.pop_front();
            measure += kInstitutionRowSize;
            running_ += kInstitutionRowSize;
            const int percent =
                tableSize_ > 0
                    ? static_cast<int>(std::min<int64_t>(100, running_ * 100 / tableSize_))
                    : 100;
            if (percent != percent_) {
                percent_ = percent;
                view.setPercent(percent);
            }
        }
        return true;
    }

    bool cancel(ProgressView&) override {
        response_ = RequestCancelled;
        outcome_ = LoadOutcome::Cancelled;
        return true;
    }

  private:
    // Reads the next page of accounts into rows_; false (warning shown) on a SQL failure.
    bool readPage() {
        if (lastFiaid_ == std::numeric_limits<int32_t>::max()) return true;  // no key beyond
        page_.bindValue(0, static_cast<int>(lastFiaid_ + 1));
        if (!page_.exec()) {
            showReadError(institution_, page_);
            return false;
        }
        while (page_.next()) {
            FiaRow r;
            r.fiaid = longOf(page_.value(0));
            r.fiid = longOf(page_.value(1));
            r.description = textOf(page_.value(2));
            r.stringId = textOf(page_.value(3));
            lastFiaid_ = r.fiaid;
            rows_.push_back(std::move(r));
        }
        const bool failed = page_.lastError().isValid();
        if (failed) showReadError(institution_, page_);
        page_.finish();
        return !failed;
    }

    // The ledger account of a string ID as the chart gives it: the lookup's status and, when
    // found, the account.
    struct LedgerAccount {
        std::string status;
        std::string account;
    };

    // A cash account often serves several institution accounts, and each lookup in the chart
    // is a call into the suite's library: each string ID is looked up once per run.
    const LedgerAccount& ledgerAccount(const std::string& stringId) {
        const auto known = accounts_.find(stringId);
        if (known != accounts_.end()) return known->second;
        LedgerAccount a;
        a.status = lookup_.fetch(stringId);
        if (a.status == "00") a.account = lookup_.field("ACCOUNT");
        return accounts_.emplace(stringId, std::move(a)).first->second;
    }

    void handle(const FiaRow& row) {
        const LedgerAccount& ledger = ledgerAccount(row.stringId);
        if (ledger.status != "00" && !row.stringId.empty() && HOSTLINK_Debug())
            ds_Message("error=" + ledger.status + "(" + row.stringId + ")", glo_ApplicationName, {},
                       msg::OK);
        FIAQEntry e;
        e.FIAID = row.fiaid;
        e.BANK = text::cutBytes(row.description, 30);
        e.BANKACCOUNT = text::cutBytes(ledger.account, 30);
        // Only the pair's first module usage counts.
        const auto it =
            std::lower_bound(bnk_.begin(), bnk_.end(), std::pair{row.fiid, row.fiaid},
                             [](const BNKEntry& b, const std::pair<int32_t, int32_t>& key) {
                                 return std::tie(b.FIID, b.FIAID) < std::tie(key.first, key.second);
                             });
        if (it != bnk_.end() && it->FIID == row.fiid && it->FIAID == row.fiaid) {
            if (it->SOURCEMODULEID == 8) e.APBANK = it->BANK;
            if (it->SOURCEMODULEID == 9) e.PRBANK = it->BANK;
        }
        link_.FIAQ.add(std::move(e));
    }

    ZORBRFIA& link_;
    HostTable institution_{"FinlInstitutionAcct"};
    HostTable ledger_{"FIALedgerAcct"};
    HostTable usage_{"FIAModuleUsage"};
    LedgerAccountLookup lookup_;
    std::unordered_map<std::string, LedgerAccount> accounts_;  // by string ID, for this run
    std::vector<BNKEntry> bnk_;
    QSqlQuery page_;
    std::deque<FiaRow> rows_;
    int64_t lastFiaid_ = static_cast<int64_t>(std::numeric_limits<int32_t>::min()) - 1;
    int64_t tableSize_ = 0;
    int64_t running_ = 0;
    int percent_ = 0;
    bool done_ = false;
    int32_t response_ = RequestCancelled;
    LoadOutcome outcome_ = LoadOutcome::Failed;  // until the scan ends otherwise
};

}  // namespace

void LOADFIA(ZORBRFIA& link) {
    hostlink::runOperation<LoadFiaRun>("LoadFIA", link);
}

void HOSTLINK_SetCommandLine(const std::vector<std::string>& arguments) {
    debugSwitch() = std::any_of(arguments.begin(), arguments.end(), [](const std::string& a) {
        return text::upper(text::trimRight(a)) == "/DEBUG";
    });
}

bool HOSTLINK_Debug() {
    return debugSwitch();
}

}  // namespace hostlink
