#include "bankrec/activity/register_rows.h"

#include "corelib/picture.h"

using namespace corelib;
using namespace storage;

namespace activity {

namespace {

std::string trimmed(std::string s) {
    const size_t start = s.find_first_not_of(' ');
    if (start == std::string::npos) return {};
    const size_t end = s.find_last_not_of(' ');
    return s.substr(start, end - start + 1);
}

}  // namespace

const std::array<std::string, RegisterColumnCount>& registerHeadings() {
    static const std::array<std::string, RegisterColumnCount> headings = {
        "Activity Date",    "Check", "To or From / Description",
        "Payment or Debit", "*",     "Deposit or Credit"};
    return headings;
}

std::string reconciledMarked(const APbac& rec) {
    if (rec.Reconciled) return "R";
    if (rec.Marked) return "c";
    return {};
}

bool canDeleteActivity(const APbac& rec) {
    return !(rec.Reconciled && rec.Marked);
}

RegisterRow registerRow(const APbac& rec) {
    RegisterRow row;
    row.rec = rec;
    if (rec.ActivityType == "Check") {
        row.paymentOrDebit = rec.PaymentOrDebit;
    } else if (rec.ActivityType == "Deposit") {
        row.depositOrCredit = rec.DepositOrCredit;
    } else if (rec.Amount > Decimal()) {
        row.depositOrCredit = rec.Amount;
    } else {
        row.paymentOrDebit = -rec.Amount;
    }
    row.reconciledMarked = reconciledMarked(rec);
    return row;
}

RegisterLines registerLines(const RegisterRow& row) {
    RegisterLines lines;
    lines.first[ColActivityDate] = picture::formatDate("@d17", row.rec.ActivityDate);
    lines.first[ColCheck] = row.rec.Reference;
    lines.first[ColToOrFrom] = row.rec.Name;
    lines.first[ColPayment] = trimmed(picture::format("@n(19.2)b", row.paymentOrDebit));
    lines.first[ColIndicator] = row.reconciledMarked;
    lines.first[ColDeposit] = trimmed(picture::format("@n(19.2)b", row.depositOrCredit));
    lines.second[ColActivityDate] = row.rec.ActivityType;
    lines.second[ColToOrFrom] = row.rec.Description;
    return lines;
}

}  // namespace activity
