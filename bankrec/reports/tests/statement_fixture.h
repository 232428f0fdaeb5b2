#pragma once
// The report fixture with a bank account ("First Bank") and what the reconciliation reports
// print: statements, the items a completed statement captured, the bank's activity, the
// statement and bank made current as the reconciliation windows leave them, and the printed
// items, lines and texts of the recorded pages.
#include <algorithm>
#include <string>
#include <vector>

#include "bankrec/reports/report_aprec.h"
#include "corelib/daytime.h"
#include "report_fixture.h"

namespace reports::testing {

using activity::money;

inline const int32_t kJan31 = corelib::daytime::dayNumber(2026, 1, 31);
inline const int32_t kFeb28 = corelib::daytime::dayNumber(2026, 2, 28);

class StatementReportTest : public ReportTest {
  protected:
    StatementReportTest() { bank = addBank("First Bank"); }

    // A statement of the bank from 1,000.00 on 31 January to `closingCents` on 28 February,
    // with the given marked totals, a 10.00 service charge and 2.50 interest.
    int32_t addStatement(bool done, int64_t closingCents, int32_t deposits = 0,
                         int64_t depositCents = 0, int32_t checks = 0, int64_t checkCents = 0) {
        storage::APrec r;
        r.BankID = bank;
        r.Done = done;
        r.OpeningDate = kJan31;
        r.OpeningBalance = money(100000);
        r.EndingDate = kFeb28;
        r.EndingBalance = money(closingCents);
        r.ServiceCharge = money(1000);
        r.ServiceChargeDate = kFeb28;
        r.InterestEarned = money(250);
        r.InterestEarnedDate = kFeb28;
        r.DepositsMarked = deposits;
        r.DepositsMarkedAmount = money(depositCents);
        r.ChecksMarked = checks;
        r.ChecksMarkedAmount = money(checkCents);
        return add(r);
    }
    // An item captured by a completed statement (amounts as completion stores them: what the
    // deposit brought in or the check paid out).
    void addCaptured(int32_t statement, const std::string& type, const std::string& reference,
                     int64_t cents, bool marked) {
        storage::APrac a;
        a.ReconciliationID = statement;
        a.ActivityType = type;
        a.Reference = reference;
        a.ActivityDate = kFeb28;
        a.Description = type == "Deposit" ? reference : "for " + reference;
        a.Marked = marked;
        a.Amount = money(cents);
        ASSERT_NE(add(a), 0);
    }
    // Activity of the bank (checks pay `cents` out, anything else brings it in).
    void addItem(const std::string& type, const std::string& reference, int64_t cents, bool marked,
                 bool reconciled = false, int32_t date = kFeb28, int32_t ofBank = 0) {
        storage::APbac a;
        a.BankID = ofBank ? ofBank : bank;
        a.ActivityType = type;
        a.Reference = reference;
        a.ActivityDate = date;
        a.Name = "Payee " + reference;
        a.Description = type == "Deposit" ? reference : "for " + reference;
        a.Marked = marked;
        a.Reconciled = reconciled;
        (type == "Check" ? a.PaymentOrDebit : a.DepositOrCredit) = money(cents);
        a.Amount = money(type == "Check" ? -cents : cents);
        ASSERT_NE(add(a), 0);
    }
    // The bank and the statement current in the buffers, as the list and the worksheet leave
    // them.
    void makeCurrent(int32_t statement) {
        auto& b = session->file<storage::APbnk>();
        b.clear();
        b.rec.BankID = bank;
        ASSERT_EQ(b.get(storage::APBNK_KEY_BANKID), storage::Error::None);
        auto& r = session->file<storage::APrec>();
        r.clear();
        r.rec.ReconciliationID = statement;
        ASSERT_EQ(r.get(storage::APREC_KEY_RECONCILIATIONID), storage::Error::None);
    }

    ReportResult worksheet(const StatementReportOptions& options = {}) {
        return ReportAPrecNew(*session, options, false, recording());
    }
    ReportResult completed(const StatementReportOptions& options = {}) {
        return ReportAPrec(*session, options, false, recording());
    }

    // The printed items (a deposit's description and a check's number, which the tests begin
    // with "DEP" and "CHK"), each with its marker when it has one, page by page.
    std::vector<std::vector<std::string>> itemsByPage() const {
        std::vector<std::vector<std::string>> out;
        for (const ReportPage& p : pages) {
            out.emplace_back();
            for (const PageItem& i : p.items) {
                if (i.font != FontRole::Detail) continue;
                if (i.text.rfind("DEP", 0) != 0 && i.text.rfind("CHK", 0) != 0) continue;
                std::string marker;
                for (const PageItem& m : p.items)
                    if (m.y == i.y && (m.text == "R" || m.text == "c")) marker = m.text + " ";
                out.back().push_back(marker + i.text);
            }
        }
        return out;
    }
    std::vector<std::string> items() const {
        std::vector<std::string> all;
        for (const auto& page : itemsByPage()) all.insert(all.end(), page.begin(), page.end());
        return all;
    }
    // The other texts on the line of `label` (left to right), or "<none>" without the label.
    std::string beside(const std::string& label, size_t page = 0) const {
        if (page >= pages.size()) return "<none>";
        const PageItem* l = find(pages[page], label);
        if (!l) return "<none>";
        std::vector<const PageItem*> line;
        for (const PageItem& i : pages[page].items)
            if (&i != l && i.kind == PageItem::Kind::Text && i.y == l->y) line.push_back(&i);
        std::sort(line.begin(), line.end(),
                  [](const PageItem* a, const PageItem* b) { return a->x < b->x; });
        std::string out;
        for (const PageItem* i : line) out += (out.empty() ? "" : " | ") + i->text;
        return out;
    }
    bool anywhere(const std::string& text) const {
        for (const ReportPage& p : pages)
            if (find(p, text)) return true;
        return false;
    }

    int32_t bank = 0;
};

}  // namespace reports::testing
