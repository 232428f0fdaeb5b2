#include "bankrec/reports/report_aprec.h"

#include <array>
#include <cstdlib>
#include <memory>

#include "bankrec/reports/joined_rows.h"
#include "bankrec/shell/registry_settings.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/view.h"
#include "bankrec/storage/warnings.h"
#include "corelib/daytime.h"
#include "corelib/picture.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace reports {

namespace {

// Rows a page holds: the first page, under the statement's summary, one row less than 40; every
// later page 50. The section's heading is repeated on each new page.
constexpr int16_t kFirstPageLines = 40;
constexpr int16_t kPageLines = 50;

struct Column {
    int x;
    int width;
};
// The summary block: label, date, count, amount.
constexpr Column kLabel{kMarginLeft, 4550};
constexpr Column kSummaryDate{5000, 950};
constexpr Column kCount{5950, 650};
// The items: marker, date, check number, name, description, amount; a deposit's description
// takes the room of the check number and name.
constexpr Column kMarker{kMarginLeft, 150};
constexpr Column kDate{600, 950};
constexpr Column kCheck{1600, 1000};
constexpr Column kName{2650, 1800};
constexpr Column kDescription{4500, 2100};
constexpr Column kDepositDescription{kCheck.x, kDescription.x + kDescription.width - kCheck.x};
constexpr Column kAmount{6700, kMarginRight - 6700};
// The labels of the totals, right-aligned against the amounts.
constexpr Column kTotalLabel{kName.x, kAmount.x - 100 - kName.x};
constexpr int kRowGap = 30;

std::string money(Decimal value) {
    return picture::formatNumber(*picture::Picture::parse("@n-19.2"), value).trimmed;
}

// One item of the statement, as both reports print it.
struct Item {
    std::string type;
    int32_t date = 0;
    std::string reference;
    std::string name;
    std::string description;
    bool marked = false;
    Decimal amount;  // what the deposit brought in or the check paid out
};

// Where a report's statement and items come from.
class ItemSource {
  public:
    virtual ~ItemSource() = default;
    virtual Error open(int64_t& total) = 0;
    // The next item; Error::NoRecord after the last.
    virtual Error next(Item& item) = 0;
    // The statement and its bank account's name, known once the first item is read.
    virtual const APrec& statement() const = 0;
    virtual std::string bankName() const = 0;
};

// Items read as the rows of one parent record (the statement, the bank account) joined with
// theirs, the parent picked by its identifier as it was when the report started.
template <Record P, Record C>
class JoinedItems : public ItemSource {
  public:
    Error open(int64_t& total) override {
        if (Error e = rows_.open(); e != Error::None) return e;
        return rows_.count(total);
    }

  protected:
    JoinedItems(FileSession& session, const std::string& idField, int32_t id, KeyId childKey,
                const char* link, const char* filter, const char* order)
        : rows_(session, "+" + idField, childKey, link, filter) {
        const std::string saved = "Report:Save::" + idField;
        rows_.setParentFilter(idField + " = " + saved);
        rows_.parentBindings().bind(saved, int64_t{id});
        rows_.setChildOrder(order);
    }

    JoinedRows<P, C> rows_;
};

// A completed reconciliation: the statement as stored, joined with the items captured when it
// was completed.
class CapturedItems : public JoinedItems<APrec, APrac> {
  public:
    CapturedItems(FileSession& session, int32_t reconciliationId)
        : JoinedItems(session, "APrec:ReconciliationID", reconciliationId,
                      APRAC_KEY_RECONCILIATIONID, "APrac:ReconciliationID = APrec:ReconciliationID",
                      "", kCompletedReportOrder),
          session_(session) {}
    Error next(Item& item) override {
        if (Error e = rows_.next(); e != Error::None) return e;
        if (!bankRead_) {
            bankRead_ = true;
            bank_ = readBankName(rows_.parent().BankID);
        }
        const APrac& a = rows_.child();
        item = Item{a.ActivityType, a.ActivityDate, a.Reference, a.Name,
                    a.Description,  a.Marked != 0,  a.Amount};
        return Error::None;
    }
    const APrec& statement() const override { return rows_.parent(); }
    std::string bankName() const override { return bank_; }

  private:
    // The bank account's name, blank when it is gone (the report still runs).
    std::string readBankName(int32_t bankId) {
        View<APbnk> banks(session_, APBNK_KEY_BANKID);
        banks.bindings().bind("APrec:BankID", int64_t{bankId});
        std::vector<View<APbnk>::Row> found;
        if (banks.setFilter("APbnk:BankID = APrec:BankID") != Error::None ||
            banks.fetch(nullptr, 1, found) != Error::None || found.empty())
            return {};
        return found.front().rec.Bank;
    }

    FileSession& session_;
    bool bankRead_ = false;
    std::string bank_;
};

// The reconciliation in progress: the statement in the APrec buffer, and the activity of the
// bank account in the APbnk buffer that is not yet reconciled.
class OutstandingItems : public JoinedItems<APbnk, APbac> {
  public:
    explicit OutstandingItems(FileSession& session)
        : JoinedItems(session, "APbnk:BankID", session.file<APbnk>().rec.BankID,
                      APBAC_KEY_RECONCILED, "APbac:BankID = APbnk:BankID", "NOT APbac:Reconciled",
                      kWorksheetReportOrder),
          statement_(session.file<APrec>().rec),
          bank_(session.file<APbnk>().rec.Bank) {}
    Error next(Item& item) override {
        if (Error e = rows_.next(); e != Error::None) return e;
        const APbac& a = rows_.child();
        item = Item{a.ActivityType,
                    a.ActivityDate,
                    a.Reference,
                    a.Name,
                    a.Description,
                    a.Marked != 0,
                    a.ActivityType == "Check" ? a.PaymentOrDebit : a.DepositOrCredit};
        return Error::None;
    }
    const APrec& statement() const override { return statement_; }
    std::string bankName() const override { return bank_; }

  private:
    APrec statement_;
    std::string bank_;
};

// One section of the report (deposits or checks) as it is printed: its rows and totals.
struct Section {
    bool printMarked = false;
    bool printUnmarked = false;
    int printed = 0;
    Decimal total;
    Decimal unmarkedTotal;
    bool closed = false;
};

class StatementReportSource : public ReportSource {
  public:
    StatementReportSource(FileSession& session, StatementReport which,
                          const StatementReportOptions& options)
        : session_(session), which_(which) {
        deposits_.printMarked = options.markedDeposits;
        deposits_.printUnmarked = options.unmarkedDeposits;
        checks_.printMarked = options.markedChecks;
        checks_.printUnmarked = options.unmarkedChecks;
        if (which == StatementReport::Completed)
            items_ = std::make_unique<CapturedItems>(session,
                                                     session.file<APrec>().rec.ReconciliationID);
        else
            items_ = std::make_unique<OutstandingItems>(session);
    }

    std::string title() const override { return kReconciliationReportTitle; }

    bool open(ReportWriter& writer, int64_t& total) override {
        const bool completed = which_ == StatementReport::Completed;
        files_ = completed
                     ? std::make_unique<FileUse>(
                           session_, std::initializer_list<FileId>{FileId::APbnk, FileId::APrec,
                                                                   FileId::APrac})
                     : std::make_unique<FileUse>(
                           session_, std::initializer_list<FileId>{FileId::APbnk, FileId::APbac});
        if (files_->error() != Error::None) return false;
        if (items_->open(total) != Error::None) {
            saveError(session_);
            StandardWarning(Warn_RecordFetchError, completed ? "APrac" : "APbac");
            return false;
        }
        runDate_ = daytime::today();
        runTime_ = daytime::now();
        writer.setPageHeader([this](int32_t page) { return header(page); });
        return true;
    }

    Step next(ReportWriter& writer) override {
        Item item;
        const Error err = items_->next(item);
        if (err == Error::NoRecord) return Step::End;
        if (err != Error::None) {
            saveError(session_);
            StandardWarning(Warn_RecordFetchError,
                            which_ == StatementReport::Completed ? "APrac" : "APbac");
            return Step::Failed;
        }
        if (!started_) {
            started_ = true;
            start(writer);
        }
        const bool deposit = item.type == "Deposit";
        const bool check = item.type == "Check";
        // The deposits end where the checks begin, whether or not this check is printed.
        if (check) closeDeposits(writer);
        if (!deposit && !check) return writer.failed() ? Step::Failed : Step::Row;

        Section& section = deposit ? deposits_ : checks_;
        if (!(item.marked ? section.printMarked : section.printUnmarked))
            return writer.failed() ? Step::Failed : Step::Row;
        if (section.printed == 0) writer.beginSection(deposit ? depositHeading() : checkHeading());
        if (--lines_ < 1) {
            writer.breakPage();
            lines_ = kPageLines;
        }
        ++section.printed;
        section.total += item.amount;
        if (!item.marked) section.unmarkedTotal += item.amount;
        return writer.print(detail(item, deposit)) ? Step::Row : Step::Failed;
    }

    void finish(ReportWriter& writer) override {
        closeDeposits(writer);
        if (checks_.printed > 0) {
            writer.endSection();
            (void)writer.print(totals(checks_, "Total Unmarked Checks:", "Total Checks:"));
        }
        checks_.closed = true;
    }

  private:
    // The first item is read: the statement is known, its summary begins the first page.
    void start(ReportWriter& writer) {
        statement_ = items_->statement();
        title_ =
            std::string(kReconciliationReportTitle) + " - " + text::trimRight(items_->bankName());
        (void)writer.print(summary());  // a refused page fails the writer
    }

    void closeDeposits(ReportWriter& writer) {
        if (deposits_.closed) return;
        deposits_.closed = true;
        if (deposits_.printed == 0) return;
        writer.endSection();
        (void)writer.print(totals(deposits_, "Total Unmarked Deposits:", "Total Deposits:"));
    }

    Band header(int32_t page) const {
        Band b;
        const int width = kMarginRight - kMarginLeft;
        b.text(kMarginLeft, 0, width, FontRole::Title, Align::Center, title_);
        int y = lineHeight(FontRole::Title) + 80;
        b.text(kMarginLeft, y, width / 2, FontRole::Detail, Align::Left,
               "Date: " + picture::formatDate("@d17", runDate_));
        b.text(kMarginLeft + width / 2, y, width / 2, FontRole::Detail, Align::Right,
               "Page " + std::to_string(page));
        y += lineHeight(FontRole::Detail);
        b.text(kMarginLeft, y, width / 2, FontRole::Detail, Align::Left,
               "Time: " + picture::formatTime("@t7", runTime_));
        y += lineHeight(FontRole::Detail) + 40;
        b.rule(kMarginLeft, y, width);
        b.setMinimumHeight(b.height() + 100);
        return b;
    }

    Band summary() const {
        struct Line {
            const char* label;
            int32_t date;
            bool dated;
            int32_t count;
            bool counted;
            Decimal amount;
        };
        const APrec& r = statement_;
        std::vector<Line> lines = {
            {"Closing Balance from Previous Statement..........................", r.OpeningDate,
             true, 0, false, r.OpeningBalance},
            {"Deposits and Other Additions Totaling..........................", 0, false,
             r.DepositsMarked, true, r.DepositsMarkedAmount},
            {"Checks and Other Withdrawls Totaling..........................", 0, false,
             r.ChecksMarked, true, r.ChecksMarkedAmount},
            {"Service Charge....................................................................",
             r.ServiceChargeDate, true, 0, false, r.ServiceCharge},
            {"Interest Earned....................................................................",
             r.InterestEarnedDate, true, 0, false, r.InterestEarned},
            {"Closing Balance for this Statement....................................", r.EndingDate,
             true, 0, false, r.EndingBalance},
        };
        if (which_ == StatementReport::Worksheet) {
            // What is left to clear, as the worksheet computes it.
            const Decimal difference = r.OpeningBalance + r.DepositsMarkedAmount -
                                       r.ChecksMarkedAmount - r.ServiceCharge + r.InterestEarned -
                                       r.EndingBalance;
            lines.push_back({"Difference.....................................................", 0,
                             false, 0, false, difference});
        }
        Band b;
        const int lh = lineHeight(FontRole::Detail) + kRowGap;
        int y = 0;
        for (const Line& l : lines) {
            b.text(kLabel.x, y, kLabel.width, FontRole::Detail, Align::Left, l.label);
            if (l.dated)
                b.text(kSummaryDate.x, y, kSummaryDate.width, FontRole::Detail, Align::Left,
                       picture::formatDate("@d17b", l.date));
            if (l.counted)
                b.text(kCount.x, y, kCount.width, FontRole::Detail, Align::Right,
                       picture::formatInteger(*picture::Picture::parse("@n-13"), l.count).trimmed);
            b.text(kAmount.x, y, kAmount.width, FontRole::Detail, Align::Right, money(l.amount));
            y += lh;
        }
        b.setMinimumHeight(y + 120);
        return b;
    }

    static Band heading(bool deposit) {
        Band b;
        const int y = 40;
        b.text(kDate.x, y, kDate.width, FontRole::Heading, Align::Left, "Date");
        if (deposit) {
            b.text(kDepositDescription.x, y, kDepositDescription.width, FontRole::Heading,
                   Align::Left, "Description");
        } else {
            b.text(kCheck.x, y, kCheck.width, FontRole::Heading, Align::Left, "Check");
            b.text(kName.x, y, kName.width, FontRole::Heading, Align::Left, "Description");
        }
        b.text(kAmount.x, y, kAmount.width, FontRole::Heading, Align::Right, "Amount");
        b.rule(kMarginLeft, y + lineHeight(FontRole::Heading) + 20, kMarginRight - kMarginLeft, 6);
        b.setMinimumHeight(b.height() + 50);
        return b;
    }
    static Band depositHeading() { return heading(true); }
    static Band checkHeading() { return heading(false); }

    Band detail(const Item& item, bool deposit) const {
        const char* marker = which_ == StatementReport::Completed ? "R" : "c";
        Band b;
        b.text(kMarker.x, 0, kMarker.width, FontRole::Detail, Align::Center,
               item.marked ? marker : "");
        b.text(kDate.x, 0, kDate.width, FontRole::Detail, Align::Left,
               picture::formatDate("@d17", item.date));
        const std::string description = text::cutCharacters(item.description, 160);
        if (deposit) {
            b.text(kDepositDescription.x, 0, kDepositDescription.width, FontRole::Detail,
                   Align::Left, description);
        } else {
            b.text(kCheck.x, 0, kCheck.width, FontRole::Detail, Align::Left,
                   text::cutCharacters(item.reference, 20));
            b.text(kName.x, 0, kName.width, FontRole::Detail, Align::Left,
                   text::cutCharacters(item.name, 80));
            b.text(kDescription.x, 0, kDescription.width, FontRole::Detail, Align::Left,
                   description);
        }
        b.text(kAmount.x, 0, kAmount.width, FontRole::Detail, Align::Right, money(item.amount));
        b.setMinimumHeight(b.height() + kRowGap);
        return b;
    }

    // A section's footer; the unmarked line only when unmarked items are printed.
    static Band totals(const Section& s, const char* unmarkedLabel, const char* label) {
        Band b;
        b.rule(kAmount.x + 200, 30, kAmount.width - 200, 6);
        int y = 80;
        const int lh = lineHeight(FontRole::Heading) + kRowGap;
        if (s.printUnmarked) {
            b.text(kTotalLabel.x, y, kTotalLabel.width, FontRole::Heading, Align::Right,
                   unmarkedLabel);
            b.text(kAmount.x, y, kAmount.width, FontRole::Heading, Align::Right,
                   money(s.unmarkedTotal));
            y += lh;
        }
        b.text(kTotalLabel.x, y, kTotalLabel.width, FontRole::Heading, Align::Right, label);
        b.text(kAmount.x, y, kAmount.width, FontRole::Heading, Align::Right, money(s.total));
        b.setMinimumHeight(y + lh + 60);
        return b;
    }

    FileSession& session_;
    StatementReport which_;
    std::unique_ptr<ItemSource> items_;
    std::unique_ptr<FileUse> files_;
    bool started_ = false;
    APrec statement_;
    std::string title_ = kReconciliationReportTitle;
    int32_t runDate_ = 0;
    int32_t runTime_ = 0;
    Section deposits_;
    Section checks_;
    int16_t lines_ = kFirstPageLines;
};

ReportResult runStatementReport(FileSession& session, StatementReport which,
                                const StatementReportOptions& options, bool preview,
                                ReportOutput output) {
    const char* procedure = which == StatementReport::Completed ? "ReportAPrec" : "ReportAPrecNew";
    THREAD_LOG(procedure);
    output.preview = preview;
    StatementReportSource report(session, which, options);
    const ReportResult result = runReport(report, output);
    THREAD_RETURN(procedure);
    return result;
}

}  // namespace

StatementReportOptions& keptOptions(StatementReport report) {
    static std::array<StatementReportOptions, 2> kept;
    return kept[report == StatementReport::Completed ? 0 : 1];
}

const char* procedureName(StatementReport report) {
    return report == StatementReport::Completed ? kReconciliationReportProcedure
                                                : kWorksheetReportProcedure;
}

bool rememberedPreview(StatementReport report) {
    RegistrySettings settings = RegistrySettings::forProgram();
    if (!settings.active()) return true;
    const std::string v = settings.getValue("Preview", "1", procedureName(report));
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    return end == v.c_str() || n != 0;
}

void rememberPreview(StatementReport report, bool preview) {
    RegistrySettings settings = RegistrySettings::forProgram();
    if (settings.active()) settings.setValue("Preview", preview ? "1" : "0", procedureName(report));
}

ReportResult ReportAPrec(FileSession& session, const StatementReportOptions& options, bool preview,
                         ReportOutput output) {
    return runStatementReport(session, StatementReport::Completed, options, preview,
                              std::move(output));
}

ReportResult ReportAPrecNew(FileSession& session, const StatementReportOptions& options,
                            bool preview, ReportOutput output) {
    return runStatementReport(session, StatementReport::Worksheet, options, preview,
                              std::move(output));
}

}  // namespace reports
