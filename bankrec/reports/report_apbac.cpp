#include "bankrec/reports/report_apbac.h"

#include <cstdlib>
#include <memory>

#include "bankrec/activity/register_rows.h"
#include "bankrec/reports/joined_rows.h"
#include "bankrec/shell/configuration.h"
#include "bankrec/shell/registry_settings.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/warnings.h"
#include "corelib/daytime.h"
#include "corelib/picture.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;
using namespace shell;
using namespace activity;

namespace reports {

namespace {

constexpr const char* kProcedure = "ReportAPbac";

// Columns, in page units: x and width.
struct Column {
    int x;
    int width;
};
constexpr Column kDate{kMarginLeft, 950};
constexpr Column kCheck{1400, 1150};
constexpr Column kName{2600, 2850};
constexpr Column kPayment{5450, 1200};
constexpr Column kIndicator{6700, 150};
constexpr Column kDeposit{6900, kMarginRight - 6900};
// The description under the name may run to the right margin: the second line has no amounts.
constexpr int kWideDescription = kMarginRight - kName.x;
constexpr int kRowGap = 30;

std::string trimmed(const std::string& s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string money(const char* pic, Decimal value) {
    return trimmed(picture::format(pic, value));
}

int32_t rememberedValue(RegistrySettings& settings, const char* name, int32_t defaultValue) {
    if (!settings.active()) return defaultValue;
    const std::string v =
        settings.getValue(name, std::to_string(defaultValue), kRegisterReportProcedure);
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    return end == v.c_str() ? defaultValue : static_cast<int32_t>(n);
}

class RegisterReport : public ReportSource {
  public:
    RegisterReport(FileSession& session, const RegisterSelection& selection,
                   std::string organization)
        : session_(session),
          organization_(std::move(organization)),
          allBanks_(selection.BankSelectBox != 1),
          rows_(session, "+APbnk:Bank, +APbnk:BankID", APBAC_KEY_ACTIVITY,
                "APbac:BankID = APbnk:BankID", registerFilter(selection)) {}

    std::string title() const override { return kRegisterReportTitle; }

    bool open(ReportWriter& writer, int64_t& total) override {
        files_ = std::make_unique<FileUse>(
            session_, std::initializer_list<FileId>{FileId::APbnk, FileId::APbac});
        if (files_->error() != Error::None) return false;
        if (rows_.open() != Error::None || rows_.count(total) != Error::None) {
            saveError(session_);
            StandardWarning(Warn_RecordFetchError, "APbac");
            return false;
        }
        runDate_ = daytime::today();
        runTime_ = daytime::now();
        writer.setPageHeader([this](int32_t page) { return header(page); });
        return true;
    }

    Step next(ReportWriter& writer) override {
        const Error err = rows_.next();
        if (err == Error::NoRecord) return Step::End;
        if (err != Error::None) {
            saveError(session_);
            StandardWarning(Warn_RecordFetchError, "APbac");
            return Step::Failed;
        }
        // Every page shows the bank account of the row that starts it.
        title_ = text::trimRight(rows_.parent().Bank);
        const RegisterRow row = registerRow(rows_.child());
        paymentTotal_ += row.paymentOrDebit;
        depositTotal_ += row.depositOrCredit;
        // With every bank account in the report, each account's rows begin under its name (kept
        // on the page of its first row), so a page holding two accounts tells them apart.
        const bool newBank = allBanks_ && rows_.parent().BankID != bankId_;
        bankId_ = rows_.parent().BankID;
        if (newBank) writer.beginSection(bankHeading());
        const bool printed = writer.print(detail(row));
        if (newBank) writer.endSection();
        return printed ? Step::Row : Step::Failed;
    }

    void finish(ReportWriter& writer) override {
        (void)writer.print(totals());  // a refused page fails the writer's finish()
    }

  private:
    Band header(int32_t page) const {
        Band b;
        const int width = kMarginRight - kMarginLeft;
        b.text(kMarginLeft, 0, width, FontRole::Title, Align::Center, organization_);
        b.text(kMarginLeft, 220, width, FontRole::Subtitle, Align::Center, title_);
        b.text(kMarginLeft, 450, width / 2, FontRole::Detail, Align::Left,
               "Run: " + picture::formatDate("@d17b", runDate_) + " @ " +
                   picture::formatTime("@t7b", runTime_));
        b.text(
            kMarginLeft + width / 2, 450, width / 2, FontRole::Detail, Align::Right,
            "Page: " +
                trimmed(picture::formatInteger(*picture::Picture::parse("<<<<<#"), page).padded));
        const int y = 700;
        b.text(kDate.x, y, kDate.width, FontRole::Heading, Align::Left, "Activity Date");
        b.text(kCheck.x, y, kCheck.width, FontRole::Heading, Align::Left, "Check");
        b.text(kName.x, y, kName.width, FontRole::Heading, Align::Left, "To or From / Description");
        b.text(kPayment.x, y, kPayment.width, FontRole::Heading, Align::Right, "Payment or Debit");
        b.text(kDeposit.x, y, kDeposit.width, FontRole::Heading, Align::Right, "Deposit or Credit");
        b.rule(kMarginLeft, y + lineHeight(FontRole::Heading) + 20, width);
        b.setMinimumHeight(b.height() + 80);
        return b;
    }

    // Two lines: date, check, name, amounts and indicator; then the type under the date and the
    // description under the name (on the first line when there is no name). Long names and
    // descriptions wrap within their column.
    Band detail(const RegisterRow& row) const {
        const APbac& a = row.rec;
        const int lh = lineHeight(FontRole::Detail);
        Band b;
        b.text(kDate.x, 0, kDate.width, FontRole::Detail, Align::Left,
               picture::formatDate("@d17", a.ActivityDate));
        b.text(kCheck.x, 0, kCheck.width, FontRole::Detail, Align::Left,
               text::cutCharacters(a.Reference, 20));
        b.text(kPayment.x, 0, kPayment.width, FontRole::Detail, Align::Right,
               money("@n-19.2b", row.paymentOrDebit));
        b.text(kIndicator.x, 0, kIndicator.width, FontRole::Detail, Align::Center,
               row.reconciledMarked);
        b.text(kDeposit.x, 0, kDeposit.width, FontRole::Detail, Align::Right,
               money("@n-19.2b", row.depositOrCredit));
        b.text(kDate.x, lh, kDate.width, FontRole::Detail, Align::Left,
               text::cutCharacters(a.ActivityType, 20));
        const std::string name = text::trimRight(text::cutCharacters(a.Name, 80));
        const std::string description = text::cutCharacters(a.Description, 160);
        if (name.empty()) {
            b.wrappedText(kName.x, 0, kName.width, FontRole::Detail, Align::Left, description);
        } else {
            const int lines =
                b.wrappedText(kName.x, 0, kName.width, FontRole::Detail, Align::Left, name);
            b.wrappedText(kName.x, lines * lh, kWideDescription, FontRole::Detail, Align::Left,
                          description);
        }
        b.setMinimumHeight(2 * lh);
        b.setMinimumHeight(b.height() + kRowGap);
        return b;
    }

    Band bankHeading() const {
        Band b;
        b.text(kMarginLeft, 40, kMarginRight - kMarginLeft, FontRole::Heading, Align::Left, title_);
        b.setMinimumHeight(b.height() + 40);
        return b;
    }

    Band totals() const {
        Band b;
        b.rule(kPayment.x, 40, kMarginRight - kPayment.x);
        const int y = 100;
        b.text(kName.x, y, kName.width, FontRole::Heading, Align::Right, "Totals");
        b.text(kPayment.x, y, kPayment.width, FontRole::Heading, Align::Right,
               money("@n-19.2", paymentTotal_));
        b.text(kDeposit.x, y, kDeposit.width, FontRole::Heading, Align::Right,
               money("@n-19.2", depositTotal_));
        return b;
    }

    FileSession& session_;
    std::string organization_;
    bool allBanks_;
    int32_t bankId_ = 0;
    JoinedRows<APbnk, APbac> rows_;
    std::unique_ptr<FileUse> files_;
    std::string title_ = kRegisterReportTitle;
    int32_t runDate_ = 0;
    int32_t runTime_ = 0;
    Decimal paymentTotal_;
    Decimal depositTotal_;
};

}  // namespace

RegisterSelection RegisterSelection::remembered() {
    RegistrySettings settings = RegistrySettings::forProgram();
    RegisterSelection s;
    s.BankSelectBox = rememberedValue(settings, "BankSelectBox", s.BankSelectBox);
    s.BankID = rememberedValue(settings, "BankID", s.BankID);
    s.FromDate = rememberedValue(settings, "FromDate", s.FromDate);
    s.ToDate = rememberedValue(settings, "ToDate", daytime::today());
    s.PreviewReport = rememberedValue(settings, "PreviewReport", s.PreviewReport);
    s.Include = rememberedValue(settings, "Include", s.Include);
    return s;
}

void RegisterSelection::remember() const {
    RegistrySettings settings = RegistrySettings::forProgram();
    if (!settings.active()) return;
    const std::pair<const char*, int32_t> values[] = {
        {"BankSelectBox", BankSelectBox}, {"BankID", BankID},
        {"FromDate", FromDate},           {"ToDate", ToDate},
        {"PreviewReport", PreviewReport}, {"Include", Include}};
    for (const auto& [name, value] : values)
        settings.setValue(name, std::to_string(value), kRegisterReportProcedure);
}

std::string registerFilter(const RegisterSelection& s) {
    std::string filter;
    if (s.BankSelectBox == 1) filter = "APbnk:BankID=" + std::to_string(s.BankID) + " AND ";
    filter += "APbac:ActivityDate>=" + std::to_string(s.FromDate) +
              " AND APbac:ActivityDate<=" + std::to_string(s.ToDate);
    if (s.Include == 1) filter += " AND APbac:ActivityType='Check'";
    if (s.Include == 2) filter += " AND APbac:ActivityType='Deposit'";
    return filter;
}

std::string organizationName(FileSession& session, const Configuration* configuration) {
    if (configuration && configuration->contains("Organization Name"))
        return configuration->get("Organization Name");
    Configuration own;
    own.registerDefaults();
    FileUse files(session, {FileId::SYcfg});
    // A failed read was reported; the defaults stand.
    if (files.error() == Error::None) (void)own.load(session);
    return own.get("Organization Name");
}

ReportResult ReportAPbac(FileSession& session, const RegisterSelection& selection,
                         const std::string& organization, ReportOutput output) {
    THREAD_LOG(kProcedure);
    output.preview = selection.PreviewReport == 1;
    RegisterReport report(session, selection, organization);
    const ReportResult result = runReport(report, output);
    THREAD_RETURN(kProcedure);
    return result;
}

}  // namespace reports
