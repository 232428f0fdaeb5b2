// The reconciliation reports: which items each prints under which options, the summary block
// and the difference, the section footers and their totals, the 40/50 rows per page with the
// section heading repeated, and the same pages in a PDF.
#include <gtest/gtest.h>

#include "bankrec/reports/report_aprec.h"
#include "corelib/daytime.h"
#include "statement_fixture.h"

using namespace corelib;
using namespace storage;

namespace reports::testing {
namespace {

const char* const kOpeningLabel =
    "Closing Balance from Previous Statement..........................";
const char* const kDepositsLabel =
    "Deposits and Other Additions Totaling..........................";
const char* const kChecksLabel = "Checks and Other Withdrawls Totaling..........................";
const char* const kChargeLabel =
    "Service Charge....................................................................";
const char* const kInterestLabel =
    "Interest Earned....................................................................";
const char* const kClosingLabel =
    "Closing Balance for this Statement....................................";
const char* const kDifferenceLabel =
    "Difference.....................................................";

TEST_F(StatementReportTest, DefaultsPrintOnlyMarkedItemsAndHideTheUnmarkedTotals) {
    const int32_t open = addStatement(false, 124250, 1, 50000, 2, 25000);
    addItem("Deposit", "DEP-A", 50000, true);
    addItem("Deposit", "DEP-B", 7000, false);
    addItem("Check", "CHK-1", 10000, true);
    addItem("Check", "CHK-2", 15000, true, false, kJan31);
    addItem("Check", "CHK-3", 9900, false);
    addItem("Adjustment", "CHK-ADJ", 4000, true);   // never printed
    addItem("Check", "CHK-OLD", 5000, true, true);  // reconciled earlier
    addItem("Check", "CHK-OTHER", 5000, true, false, kFeb28, addBank("Other Bank"));
    makeCurrent(open);
    const APrec before = session->file<APrec>().rec;

    ASSERT_EQ(worksheet(), ReportResult::Printed);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    ASSERT_EQ(pages.size(), 1u);
    // Deposits first, then checks by date; the worksheet marks its marked items "c".
    EXPECT_EQ(items(), (std::vector<std::string>{"c DEP-A", "c CHK-2", "c CHK-1"}));
    EXPECT_EQ(beside("Total Deposits:"), "500.00");
    EXPECT_EQ(beside("Total Checks:"), "250.00");
    EXPECT_FALSE(anywhere("Total Unmarked Deposits:"));
    EXPECT_FALSE(anywhere("Total Unmarked Checks:"));
    EXPECT_EQ(progress.titles, (std::vector<std::string>{"Generating Report"}));
    // The caller's current records are left as they were.
    EXPECT_EQ(session->file<APrec>().rec.ReconciliationID, open);
    EXPECT_EQ(session->file<APbnk>().rec.BankID, bank);
    EXPECT_EQ(session->file<APrec>().rec.EndingBalance, before.EndingBalance);

    // The completed report of the same items marks the cleared ones "R".
    const int32_t done = addStatement(true, 124250, 1, 50000, 2, 25000);
    addCaptured(done, "Deposit", "DEP-A", 50000, true);
    addCaptured(done, "Deposit", "DEP-B", 7000, false);
    addCaptured(done, "Check", "CHK-1", 10000, true);
    addCaptured(done, "Check", "CHK-3", 9900, false);
    addCaptured(done, "Adjustment", "CHK-ADJ", 9900, true);
    makeCurrent(done);
    pages.clear();
    ASSERT_EQ(completed(), ReportResult::Printed);
    EXPECT_EQ(items(), (std::vector<std::string>{"R DEP-A", "R CHK-1"}));
    EXPECT_EQ(beside("Total Checks:"), "100.00");
    EXPECT_FALSE(anywhere("Total Unmarked Checks:"));
}

TEST_F(StatementReportTest, SummaryShowsTheStatementAndTheWorksheetItsDifference) {
    // 1,000.00 + 500.00 - 250.00 - 10.00 + 2.50 = 1,242.50: balanced.
    const int32_t open = addStatement(false, 124250, 1, 50000, 2, 25000);
    addItem("Deposit", "DEP-A", 50000, true);
    makeCurrent(open);
    ASSERT_EQ(worksheet(), ReportResult::Printed);
    EXPECT_EQ(texts(pages[0], FontRole::Title),
              (std::vector<std::string>{"Bank Reconciliation Report - First Bank"}));
    EXPECT_EQ(beside(kOpeningLabel), "01/31/2026 | 1,000.00");
    EXPECT_EQ(beside(kDepositsLabel), "1 | 500.00");
    EXPECT_EQ(beside(kChecksLabel), "2 | 250.00");
    EXPECT_EQ(beside(kChargeLabel), "02/28/2026 | 10.00");
    EXPECT_EQ(beside(kInterestLabel), "02/28/2026 | 2.50");
    EXPECT_EQ(beside(kClosingLabel), "02/28/2026 | 1,242.50");
    EXPECT_EQ(beside(kDifferenceLabel), "0.00");
    ASSERT_NE(find(pages[0], "Page 1"), nullptr);

    // Off by 7.50 the other way.
    session->file<APrec>().rec.EndingBalance = money(125000);
    pages.clear();
    ASSERT_EQ(worksheet(), ReportResult::Printed);
    EXPECT_EQ(beside(kDifferenceLabel), "-7.50");

    // A completed statement has no difference; its bank account is read again (and left
    // blank when it is gone).
    const int32_t done = addStatement(true, 124250);
    addCaptured(done, "Check", "CHK-1", 100, true);
    makeCurrent(done);
    session->file<APbnk>().rec.Bank = "Not This Name";
    pages.clear();
    ASSERT_EQ(completed(), ReportResult::Printed);
    EXPECT_EQ(texts(pages[0], FontRole::Title),
              (std::vector<std::string>{"Bank Reconciliation Report - First Bank"}));
    EXPECT_EQ(beside(kClosingLabel), "02/28/2026 | 1,242.50");
    EXPECT_FALSE(anywhere(kDifferenceLabel));

    auto& b = session->file<APbnk>();
    b.clear();
    b.rec.BankID = addBank("Gone Bank");
    ASSERT_EQ(b.get(APBNK_KEY_BANKID), Error::None);
    session->file<APrec>().rec.BankID = b.rec.BankID;
    ASSERT_EQ(session->file<APrec>().put(), Error::None);
    ASSERT_EQ(b.erase(), Error::None);
    pages.clear();
    ASSERT_EQ(completed(), ReportResult::Printed);
    EXPECT_EQ(texts(pages[0], FontRole::Title),
              (std::vector<std::string>{"Bank Reconciliation Report - "}));
}

TEST_F(StatementReportTest, UnmarkedItemsAddToBothTotalsWhenIncluded) {
    const int32_t done = addStatement(true, 0);
    addCaptured(done, "Deposit", "DEP-A", 50000, true);
    addCaptured(done, "Deposit", "DEP-B", 7000, false);
    addCaptured(done, "Check", "CHK-1", 10000, true);
    addCaptured(done, "Check", "CHK-3", 9900, false);
    makeCurrent(done);

    StatementReportOptions o;
    o.unmarkedChecks = true;
    ASSERT_EQ(completed(o), ReportResult::Printed);
    EXPECT_EQ(items(), (std::vector<std::string>{"R DEP-A", "R CHK-1", "CHK-3"}));
    EXPECT_EQ(beside("Total Unmarked Checks:"), "99.00");
    EXPECT_EQ(beside("Total Checks:"), "199.00");
    EXPECT_FALSE(anywhere("Total Unmarked Deposits:"));

    // Only the unmarked deposits: the unmarked line shows, and the checks are left out.
    o = StatementReportOptions{false, true, false, false};
    pages.clear();
    ASSERT_EQ(completed(o), ReportResult::Printed);
    EXPECT_EQ(items(), (std::vector<std::string>{"DEP-B"}));
    EXPECT_EQ(beside("Total Unmarked Deposits:"), "70.00");
    EXPECT_EQ(beside("Total Deposits:"), "70.00");
    EXPECT_FALSE(anywhere("Total Checks:"));
    EXPECT_FALSE(anywhere("Check"));
}

TEST_F(StatementReportTest, DepositsWithoutChecksEndWithTheDepositFooter) {
    const int32_t open = addStatement(false, 0);
    addItem("Deposit", "DEP-A", 50000, true);
    addItem("Deposit", "DEP-B", 2500, true);
    addItem("Adjustment", "ADJ", 100, true);
    makeCurrent(open);
    ASSERT_EQ(worksheet(), ReportResult::Printed);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(items(), (std::vector<std::string>{"c DEP-A", "c DEP-B"}));
    EXPECT_EQ(beside("Total Deposits:"), "525.00");
    // The footer comes last, below the deposits; no check section at all.
    EXPECT_GT(find(pages[0], "Total Deposits:")->y, find(pages[0], "DEP-B")->y);
    EXPECT_FALSE(anywhere("Check"));
    EXPECT_FALSE(anywhere("Total Checks:"));
}

TEST_F(StatementReportTest, PagesHold39ThenFiftyRowsUnderTheirSectionHeading) {
    const int32_t done = addStatement(true, 0);
    for (int i = 0; i < 20; ++i)
        addCaptured(done, "Deposit", "DEP" + std::to_string(100 + i), 100, true);
    for (int i = 0; i < 100; ++i)
        addCaptured(done, "Check", "CHK" + std::to_string(1000 + i), 100, true);
    addCaptured(done, "Adjustment", "ADJ", 100, true);
    makeCurrent(done);
    ASSERT_EQ(completed(), ReportResult::Printed);
    const auto byPage = itemsByPage();
    ASSERT_EQ(byPage.size(), 3u);
    // The 40th printed row begins page 2, the 90th page 3; the counter runs on from the
    // deposits into the checks.
    ASSERT_EQ(byPage[0].size(), 39u);
    EXPECT_EQ(byPage[0][19], "R DEP119");
    EXPECT_EQ(byPage[0][20], "R CHK1000");
    ASSERT_EQ(byPage[1].size(), 50u);
    EXPECT_EQ(byPage[1].front(), "R CHK1019");
    ASSERT_EQ(byPage[2].size(), 31u);
    EXPECT_EQ(byPage[2].front(), "R CHK1069");
    EXPECT_EQ(byPage[2].back(), "R CHK1099");
    for (size_t n = 0; n < pages.size(); ++n) {
        // Each page repeats the header and the heading of the checks, below the header.
        EXPECT_NE(find(pages[n], "Page " + std::to_string(n + 1)), nullptr);
        const PageItem* check = find(pages[n], "Check");
        ASSERT_NE(check, nullptr) << "page " << n + 1;
        EXPECT_EQ(check->font, FontRole::Heading);
        const auto firstCheck = std::find_if(byPage[n].begin(), byPage[n].end(),
                                             [](auto& t) { return t.rfind("R CHK", 0) == 0; });
        ASSERT_NE(firstCheck, byPage[n].end());
        EXPECT_LT(check->y, find(pages[n], firstCheck->substr(2))->y);
        EXPECT_EQ(find(pages[n], kOpeningLabel) != nullptr, n == 0);
    }
    EXPECT_EQ(beside("Total Deposits:"), "20.00");
    EXPECT_EQ(beside("Total Checks:", 2), "100.00");

    // Deposits alone carry their own heading over the break.
    pages.clear();
    StatementReportOptions depositsOnly{true, false, false, false};
    for (int i = 20; i < 45; ++i)
        addCaptured(done, "Deposit", "DEP" + std::to_string(100 + i), 100, true);
    ASSERT_EQ(completed(depositsOnly), ReportResult::Printed);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(itemsByPage()[1].front(), "R DEP139");
    EXPECT_NE(find(pages[1], "Description"), nullptr);
    EXPECT_EQ(find(pages[1], "Check"), nullptr);
}

TEST_F(StatementReportTest, PdfShowsTheSummaryAndEachRowOnItsPage) {
    const int32_t open = addStatement(false, 124250, 5, 50000, 60, 25000);
    for (int i = 0; i < 5; ++i) addItem("Deposit", "DEP" + std::to_string(10 + i), 10000, true);
    for (int i = 0; i < 60; ++i) addItem("Check", "CHK" + std::to_string(1000 + i), 1000 + i, true);
    addItem("Check", "CHK9999", 5000, false);
    makeCurrent(open);
    const std::string file = folder() + "/statement.pdf";
    StatementReportOptions o;
    o.unmarkedChecks = true;
    ASSERT_EQ(ReportAPrecNew(*session, o, false, pdf(file)), ReportResult::Printed);
    ASSERT_EQ(pdfPageCount(file), 2);

    const std::string first = pdfText(file, 1);
    const std::string second = pdfText(file, 2);
    for (const char* text :
         {"Bank Reconciliation Report - First Bank", "Date: ", "Time: ", "Page 1", kOpeningLabel,
          kDepositsLabel, kChecksLabel, kChargeLabel, kInterestLabel, kClosingLabel,
          kDifferenceLabel, "Description", "Amount", "Total Deposits:", "500.00", "Check"})
        EXPECT_NE(first.find(text), std::string::npos) << text;
    for (const char* text : {"Page 2", "Check", "Description", "Amount",
                             "Total Unmarked Checks:", "Total Checks:", "50.00", "667.70"})
        EXPECT_NE(second.find(text), std::string::npos) << text;
    EXPECT_EQ(second.find(kOpeningLabel), std::string::npos);
    // Rows 1-39 on the first page: five deposits and 34 checks; the rest on the second.
    for (int i = 0; i < 60; ++i) {
        const std::string ref = "CHK" + std::to_string(1000 + i);
        EXPECT_NE((i < 34 ? first : second).find(ref), std::string::npos) << ref;
        EXPECT_EQ((i < 34 ? second : first).find(ref), std::string::npos) << ref;
    }
    EXPECT_NE(second.find("CHK9999"), std::string::npos);
}

}  // namespace
}  // namespace reports::testing
