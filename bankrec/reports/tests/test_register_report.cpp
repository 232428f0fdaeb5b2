// The check register report: which rows it selects and in what order, how each row and page
// looks, the totals, and what reaches the printer (PDF) with and without the preview.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <algorithm>

#include "bankrec/reports/report_apbac.h"
#include "corelib/daytime.h"
#include "corelib/picture.h"
#include "corelib/preview_pages.h"
#include "report_fixture.h"

using namespace corelib;
using namespace storage;

namespace reports::testing {
namespace {

const int32_t kMar1 = daytime::dayNumber(2026, 3, 1);

RegisterSelection allActivity(int32_t from = kMar1, int32_t to = kMar1 + 30) {
    RegisterSelection s;
    s.FromDate = from;
    s.ToDate = to;
    s.PreviewReport = 0;
    return s;
}

TEST(RegisterReportFilter, PartsFollowTheSelectionInOrder) {
    RegisterSelection s;
    s.FromDate = 80000;
    s.ToDate = 80031;
    s.Include = 1;
    EXPECT_EQ(registerFilter(s),
              "APbac:ActivityDate>=80000 AND APbac:ActivityDate<=80031 AND "
              "APbac:ActivityType='Check'");
    s.BankSelectBox = 1;
    s.BankID = 7;
    s.Include = 2;
    s.ToDate = 0;
    EXPECT_EQ(registerFilter(s),
              "APbnk:BankID=7 AND APbac:ActivityDate>=80000 AND APbac:ActivityDate<=0 AND "
              "APbac:ActivityType='Deposit'");
    s.Include = 3;  // anything but 1 and 2 is all activity
    s.BankSelectBox = 0;
    EXPECT_EQ(registerFilter(s), "APbac:ActivityDate>=80000 AND APbac:ActivityDate<=0");
}

class RegisterReportTest : public ReportTest {};

TEST_F(RegisterReportTest, SelectsByBankDateAndTypeInBankDateTypeOrder) {
    const int32_t beta = addBank("Beta Savings");
    const int32_t alpha = addBank("Alpha Operating");
    addRow(beta, "Check", "B-1", kMar1 + 2, -1000, "Payee B1");
    addRow(alpha, "Deposit", "A-DEP", kMar1 + 5, 2500, "Customer");
    addRow(alpha, "Check", "A-2", kMar1 + 5, -700, "Payee A2");
    addRow(alpha, "Check", "A-1", kMar1 + 1, -300, "Payee A1");
    addRow(alpha, "Check", "A-OLD", kMar1 - 1, -300, "Too early");
    addRow(alpha, "Check", "A-LATE", kMar1 + 31, -300, "Too late");

    auto references = [this] {
        std::vector<std::string> refs;
        for (const ReportPage& p : pages)
            for (const PageItem& i : p.items)
                if (i.x == 1400 && i.font == FontRole::Detail) refs.push_back(i.text);
        return refs;
    };
    RegisterSelection s = allActivity();
    EXPECT_EQ(ReportAPbac(*session, s, "Fen Trust", recording()), ReportResult::Printed);
    EXPECT_EQ(references(), (std::vector<std::string>{"A-1", "A-2", "A-DEP", "B-1"}));
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(progress.titles, (std::vector<std::string>{"Generating Report"}));
    EXPECT_EQ(progress.high, 4);
    EXPECT_EQ(progress.value, 4);

    pages.clear();
    s.BankSelectBox = 1;
    s.BankID = alpha;
    s.Include = 1;
    EXPECT_EQ(ReportAPbac(*session, s, "Fen Trust", recording()), ReportResult::Printed);
    EXPECT_EQ(references(), (std::vector<std::string>{"A-1", "A-2"}));

    pages.clear();
    s.BankSelectBox = 0;
    s.Include = 2;
    EXPECT_EQ(ReportAPbac(*session, s, "Fen Trust", recording()), ReportResult::Printed);
    EXPECT_EQ(references(), (std::vector<std::string>{"A-DEP"}));
}

TEST_F(RegisterReportTest, NoRowEndsAtOnceWithNothingPrinted) {
    const int32_t bank = addBank("Operating");
    addRow(bank, "Check", "1001", kMar1, -5000, "Payee");
    const std::string file = folder() + "/empty.pdf";
    auto scripted = std::make_shared<ScriptedPreview>(true);
    setPreviewBackend(scripted);

    // A blank "Date To:" selects nothing, with or without preview.
    RegisterSelection s = allActivity(kMar1, 0);
    GlobalResponse = RequestCompleted;
    EXPECT_EQ(ReportAPbac(*session, s, "Fen Trust", pdf(file)), ReportResult::Empty);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    s.PreviewReport = 1;
    EXPECT_EQ(ReportAPbac(*session, s, "Fen Trust", pdf(file)), ReportResult::Empty);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file)));
    EXPECT_EQ(scripted->shown(), 0);
    EXPECT_EQ(messages->count(), 0u);
    EXPECT_EQ(leftoverPageFolders(), 0);
}

TEST_F(RegisterReportTest, RowsShowAmountsInTheirColumnsAndAddToTheTotals) {
    const int32_t bank = addBank("Operating");
    addRow(bank, "Check", "1001", kMar1, -12500, "Valley Electric", "March power");
    addRow(bank, "Deposit", "D-1", kMar1, 500000, "Tax receipts");
    const int32_t adj = addRow(bank, "Adjustment", "SC", kMar1 + 1, -4000, "", "Service charge");
    addRow(bank, "Adjustment", "INT", kMar1 + 2, 1234, "Bank", "Interest");
    auto& f = session->file<APbac>();
    byId(adj);
    f.rec.Reconciled = 1;
    ASSERT_EQ(f.put(), Error::None);

    ASSERT_EQ(ReportAPbac(*session, allActivity(), "Fen Trust", recording()),
              ReportResult::Printed);
    ASSERT_EQ(pages.size(), 1u);
    const ReportPage& page = pages[0];
    const PageItem* payment = find(page, "Payment or Debit");
    const PageItem* deposit = find(page, "Deposit or Credit");
    ASSERT_TRUE(payment && deposit);

    // The adjustment of -40.00 is a payment; its row has no name, so the description moves up
    // onto the first line beside the date.
    const PageItem* forty = find(page, "40.00");
    ASSERT_NE(forty, nullptr);
    EXPECT_EQ(forty->x, payment->x);
    const PageItem* charge = find(page, "Service charge");
    ASSERT_NE(charge, nullptr);
    EXPECT_EQ(charge->y, forty->y);
    EXPECT_EQ(find(page, "R")->y, forty->y);
    // A row with a name keeps its description on the second line, under the name.
    const PageItem* name = find(page, "Valley Electric");
    const PageItem* march = find(page, "March power");
    ASSERT_TRUE(name && march);
    EXPECT_EQ(march->x, name->x);
    EXPECT_GT(march->y, name->y);
    // The type sits under the date.
    for (const PageItem& i : page.items) {
        if (i.text == "Check" && i.font == FontRole::Detail) {
            EXPECT_EQ(i.x, find(page, "03/01/2026")->x);
        }
    }

    EXPECT_EQ(find(page, "125.00")->x, payment->x);
    EXPECT_EQ(find(page, "5,000.00")->x, deposit->x);
    EXPECT_EQ(find(page, "12.34")->x, deposit->x);
    // Totals: 125.00 + 40.00 paid, 5,000.00 + 12.34 received.
    const PageItem* totals = find(page, "Totals");
    ASSERT_NE(totals, nullptr);
    EXPECT_EQ(find(page, "165.00")->y, totals->y);
    EXPECT_EQ(find(page, "5,012.34")->y, totals->y);
}

TEST_F(RegisterReportTest, EachPageIsTitledByTheBankOfItsFirstRow) {
    const int32_t beta = addBank("Beta Savings");
    const int32_t alpha = addBank("Alpha Operating");
    for (int i = 0; i < 40; ++i) {
        addRow(alpha, "Check", "A" + std::to_string(100 + i), kMar1 + i % 20, -100 * (i + 1));
        addRow(beta, "Deposit", "B" + std::to_string(100 + i), kMar1 + i % 20, 100 * (i + 1));
    }
    ASSERT_EQ(ReportAPbac(*session, allActivity(), "Fen Trust", recording()),
              ReportResult::Printed);
    ASSERT_GE(pages.size(), 3u);

    bool mixedPage = false;
    for (size_t n = 0; n < pages.size(); ++n) {
        const ReportPage& page = pages[n];
        EXPECT_EQ(page.number, static_cast<int32_t>(n + 1));
        EXPECT_EQ(texts(page, FontRole::Title), (std::vector<std::string>{"Fen Trust"}));
        ASSERT_NE(find(page, "Page: " + std::to_string(n + 1)), nullptr);
        // The first reference on the page tells whose row starts it.
        std::vector<const PageItem*> refs;
        for (const PageItem& i : page.items)
            if (i.x == 1400 && i.font == FontRole::Detail) refs.push_back(&i);
        if (refs.empty()) continue;  // a page holding only the totals
        const std::string bank = refs.front()->text[0] == 'A' ? "Alpha Operating" : "Beta Savings";
        EXPECT_EQ(texts(page, FontRole::Subtitle), (std::vector<std::string>{bank})) << n + 1;
        mixedPage |= refs.front()->text[0] != refs.back()->text[0];
    }
    EXPECT_TRUE(mixedPage) << "one page should hold the end of one bank and the start of the next";
    // Grouped by bank: all of Alpha's rows come before Beta's.
    std::string order;
    for (const ReportPage& p : pages)
        for (const PageItem& i : p.items)
            if (i.x == 1400 && i.font == FontRole::Detail) order += i.text[0];
    EXPECT_EQ(order, std::string(40, 'A') + std::string(40, 'B'));
    // Each bank's rows begin under its name.
    std::vector<std::string> groups;
    for (const ReportPage& p : pages)
        for (const std::string& t : texts(p, FontRole::Heading))
            if (t == "Alpha Operating" || t == "Beta Savings") groups.push_back(t);
    EXPECT_EQ(groups, (std::vector<std::string>{"Alpha Operating", "Beta Savings"}));
    EXPECT_NE(find(pages.back(), "Totals"), nullptr);
}

TEST_F(RegisterReportTest, PdfHoldsHeadingsRowsOnTheirPagesAndTheTotals) {
    const int32_t bank = addBank("Operating Account");
    for (int i = 0; i < 90; ++i)
        addRow(bank, i % 3 ? "Check" : "Deposit", "REF" + std::to_string(1000 + i), kMar1 + i / 3,
               i % 3 ? -(1000 + i) : 2000 + i, "Office Supply " + std::to_string(i),
               "Invoice " + std::to_string(i));
    // Where the layout put each row...
    ASSERT_EQ(ReportAPbac(*session, allActivity(), "Fen Trust", recording()),
              ReportResult::Printed);
    const std::vector<ReportPage> laidOut = pages;
    ASSERT_GE(laidOut.size(), 3u);

    // ...is where the PDF shows it.
    const std::string file = folder() + "/register.pdf";
    ASSERT_EQ(ReportAPbac(*session, allActivity(), "Fen Trust", pdf(file)), ReportResult::Printed);
    ASSERT_EQ(pdfPageCount(file), static_cast<int>(laidOut.size()));
    for (size_t n = 0; n < laidOut.size(); ++n) {
        const std::string text = pdfText(file, static_cast<int>(n + 1));
        for (const char* heading :
             {"Fen Trust", "Operating Account", "Activity Date", "Check",
              "To or From / Description", "Payment or Debit", "Deposit or Credit", "Run: "})
            EXPECT_NE(text.find(heading), std::string::npos) << heading << " on page " << n + 1;
        EXPECT_NE(text.find("Page: " + std::to_string(n + 1)), std::string::npos);
        for (const PageItem& i : laidOut[n].items) {
            if (i.x == 1400 && i.font == FontRole::Detail) {
                EXPECT_NE(text.find(i.text), std::string::npos) << i.text << " on page " << n + 1;
            }
        }
        EXPECT_EQ(text.find("Totals") != std::string::npos, n + 1 == laidOut.size());
    }
    // 60 checks of 10.00 and more, 30 deposits of 20.00 and more.
    Decimal paid, received;
    for (int i = 0; i < 90; ++i)
        (i % 3 ? paid : received) += Decimal::fromCents(i % 3 ? 1000 + i : 2000 + i);
    const std::string last = pdfText(file, static_cast<int>(laidOut.size()));
    for (Decimal total : {paid, received}) {
        const std::string shown =
            picture::formatNumber(*picture::Picture::parse("@n-19.2"), total).trimmed;
        EXPECT_NE(last.find(shown), std::string::npos) << shown << " in " << last;
    }
}

TEST_F(RegisterReportTest, CancelPrintsNothing) {
    const int32_t bank = addBank("Operating");
    for (int i = 0; i < 200; ++i) addRow(bank, "Check", std::to_string(i), kMar1, -100);
    setProgressBackend(std::make_unique<RecordingProgress>(progress, 1));
    const std::string file = folder() + "/cancelled.pdf";
    EXPECT_EQ(ReportAPbac(*session, allActivity(), "Fen Trust", pdf(file)),
              ReportResult::Cancelled);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file)));
    EXPECT_TRUE(QDir(QString::fromStdString(folder())).entryList({"cancelled*"}).isEmpty());

    RegisterSelection s = allActivity();
    s.PreviewReport = 1;
    auto scripted = std::make_shared<ScriptedPreview>(true);
    setPreviewBackend(scripted);
    EXPECT_EQ(ReportAPbac(*session, s, "Fen Trust", pdf(file)), ReportResult::Cancelled);
    EXPECT_EQ(scripted->shown(), 0);
    EXPECT_EQ(leftoverPageFolders(), 0);
}

// A preview that checks the page files it is shown and then answers as scripted.
class CheckingPreview : public ScriptedPreview {
  public:
    using ScriptedPreview::ScriptedPreview;
    PreviewAnswer show(PreviewPages& pages, const PreviewOptions& options) override {
        filesExisted = !pages.pages().empty();
        for (const PreviewPage& p : pages.pages())
            filesExisted &= QFileInfo(QString::fromStdString(p.WMFFILE)).size() > 0;
        found = pages.search("REF1045");
        foundPage = found ? pages.hits()[0].PAGE : 0;
        return ScriptedPreview::show(pages, options);
    }
    bool filesExisted = false;
    int found = 0;
    int foundPage = 0;
};

TEST_F(RegisterReportTest, PreviewShowsThePagesAndPrintsOnlyThoseChosen) {
    const int32_t bank = addBank("Operating Account");
    for (int i = 0; i < 90; ++i)
        addRow(bank, "Check", "REF" + std::to_string(1000 + i), kMar1 + i / 3, -100, "Payee");
    RegisterSelection s = allActivity();
    s.PreviewReport = 1;
    const std::string file = folder() + "/chosen.pdf";

    auto preview = std::make_shared<CheckingPreview>(true, "2", 2);
    setPreviewBackend(preview);
    ASSERT_EQ(ReportAPbac(*session, s, "Fen Trust", pdf(file)), ReportResult::Printed);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(preview->lastOptions().title, "Report Preview");
    EXPECT_EQ(preview->lastOptions().zoom, kZoomFitWidth);
    EXPECT_TRUE(preview->lastOptions().showPageList);
    EXPECT_GE(preview->lastPageCount(), 3);
    EXPECT_TRUE(preview->filesExisted);
    EXPECT_EQ(preview->found, 1);
    EXPECT_EQ(progress.titles.front(), "Generating Report");
    // Page 2 twice, printed from the report's own layout (real text, not the SVG).
    ASSERT_EQ(pdfPageCount(file), 2);
    for (int n : {1, 2}) {
        const std::string text = pdfText(file, n);
        EXPECT_NE(text.find("Page: 2"), std::string::npos) << text;
        EXPECT_NE(text.find("Operating Account"), std::string::npos);
    }
    EXPECT_EQ(preview->foundPage, 2) << "REF1045 falls on the second page";
    EXPECT_EQ(leftoverPageFolders(), 0);

    // Not printing from the preview discards the pages.
    QFile::remove(QString::fromStdString(file));
    setPreviewBackend(std::make_shared<ScriptedPreview>(false));
    EXPECT_EQ(ReportAPbac(*session, s, "Fen Trust", pdf(file)), ReportResult::NotPrinted);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file)));
    EXPECT_EQ(leftoverPageFolders(), 0);
}

TEST_F(RegisterReportTest, SelectionIsRememberedPerUser) {
    const RegisterSelection fresh = RegisterSelection::remembered();
    EXPECT_EQ(fresh.ToDate, daytime::today());
    EXPECT_EQ(fresh.FromDate, 0);
    EXPECT_EQ(fresh.PreviewReport, 1);

    RegisterSelection s;
    s.BankSelectBox = 1;
    s.BankID = 12;
    s.FromDate = 80001;
    s.ToDate = 80002;
    s.PreviewReport = 0;
    s.Include = 2;
    s.remember();
    const RegisterSelection back = RegisterSelection::remembered();
    EXPECT_EQ(back.BankSelectBox, 1);
    EXPECT_EQ(back.BankID, 12);
    EXPECT_EQ(back.FromDate, 80001);
    EXPECT_EQ(back.ToDate, 80002);
    EXPECT_EQ(back.PreviewReport, 0);
    EXPECT_EQ(back.Include, 2);
}

}  // namespace
}  // namespace reports::testing
