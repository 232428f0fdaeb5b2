#include "bankrec/reconcile/ui/statement_summary.h"

#include <QGridLayout>
#include <QLabel>

#include "bankrec/reconcile/ui/reconcile_widgets.h"

using namespace storage;

namespace reconcile {

StatementSummary::StatementSummary(QWidget* parent) : QGroupBox("Account Summary", parent) {
    setObjectName("?ACCOUNTSUMMARY:GROUP");
    using K = PictureEdit::Kind;
    auto edit = [this](K kind, const char* name) {
        auto* e = new PictureEdit(kind, this);
        e->setObjectName(name);
        return e;
    };
    auto typed = [&](SummaryField f, K kind, const char* name) {
        return fields_[f] = edit(kind, name);
    };
    PictureEdit* openingBalance =
        typed(SummaryField::OpeningBalance, K::Amount, "?APREC:OPENINGBALANCE");
    PictureEdit* openingDate = typed(SummaryField::OpeningDate, K::Date, "?APREC:OPENINGDATE");
    PictureEdit* chargeDate =
        typed(SummaryField::ServiceChargeDate, K::Date, "?APREC:SERVICECHARGEDATE");
    PictureEdit* charge = typed(SummaryField::ServiceCharge, K::Amount, "?APREC:SERVICECHARGE");
    PictureEdit* interestDate =
        typed(SummaryField::InterestEarnedDate, K::Date, "?APREC:INTERESTEARNEDDATE");
    PictureEdit* interest = typed(SummaryField::InterestEarned, K::Amount, "?APREC:INTERESTEARNED");
    PictureEdit* endingDate = typed(SummaryField::EndingDate, K::Date, "?APREC:ENDINGDATE");
    PictureEdit* endingBalance =
        typed(SummaryField::EndingBalance, K::Amount, "?APREC:ENDINGBALANCE");
    depositsCount_ = edit(K::Count, "?APREC:DEPOSITSMARKED");
    depositsAmount_ = edit(K::Amount, "?APREC:DEPOSITSMARKEDAMOUNT");
    checksCount_ = edit(K::Count, "?APREC:CHECKSMARKED");
    checksAmount_ = edit(K::Amount, "?APREC:CHECKSMARKEDAMOUNT");
    for (PictureEdit* e : {depositsCount_, depositsAmount_, checksCount_, checksAmount_}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    auto prompt = [this](const char* text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        if (buddy) label->setBuddy(buddy);
        return label;
    };
    chargePrompt_ = prompt("Ser&vice Charge............", chargeDate);
    interestPrompt_ = prompt("In&terest Earned............", interestDate);

    auto* grid = new QGridLayout(this);
    // A row: its label, then the date with "Date:" when it has one, then the amount.
    auto row = [&](int r, QLabel* label, PictureEdit* date, PictureEdit* amount) {
        grid->addWidget(label, r, 0, 1, 2);
        grid->addWidget(prompt("Date:", date), r, 2);
        grid->addWidget(date, r, 3);
        grid->addWidget(amount, r, 4);
    };
    auto marked = [&](int r, PictureEdit* count, const char* text, PictureEdit* amount) {
        grid->addWidget(count, r, 0);
        grid->addWidget(prompt(text, nullptr), r, 1, 1, 3);
        grid->addWidget(amount, r, 4);
    };
    row(0,
        prompt("Closing &Balance from Previous Statement..........................",
               openingBalance),
        openingDate, openingBalance);
    marked(1, depositsCount_, "Deposits and Other Additions Totaling......................",
           depositsAmount_);
    marked(2, checksCount_, "Checks and Other Withdrawals Totaling...................",
           checksAmount_);
    row(3, chargePrompt_, chargeDate, charge);
    row(4, interestPrompt_, interestDate, interest);
    row(5,
        prompt("Closing Balance for this &Statement..................................", endingDate),
        endingDate, endingBalance);
    grid->setColumnStretch(1, 1);
}

PictureEdit* StatementSummary::field(SummaryField which) const {
    auto it = fields_.find(which);
    return it == fields_.end() ? nullptr : it->second;
}

std::vector<QWidget*> StatementSummary::tabOrder() const {
    std::vector<QWidget*> order;
    for (SummaryField f :
         {SummaryField::OpeningBalance, SummaryField::OpeningDate, SummaryField::ServiceChargeDate,
          SummaryField::ServiceCharge, SummaryField::InterestEarnedDate,
          SummaryField::InterestEarned, SummaryField::EndingDate, SummaryField::EndingBalance})
        order.push_back(field(f));
    return order;
}

void StatementSummary::show(const APrec& r) {
    field(SummaryField::OpeningBalance)->setAmount(r.OpeningBalance);
    field(SummaryField::OpeningDate)->setDate(r.OpeningDate);
    field(SummaryField::ServiceChargeDate)->setDate(r.ServiceChargeDate);
    field(SummaryField::ServiceCharge)->setAmount(r.ServiceCharge);
    field(SummaryField::InterestEarnedDate)->setDate(r.InterestEarnedDate);
    field(SummaryField::InterestEarned)->setAmount(r.InterestEarned);
    field(SummaryField::EndingDate)->setDate(r.EndingDate);
    field(SummaryField::EndingBalance)->setAmount(r.EndingBalance);
    depositsCount_->setCount(r.DepositsMarked);
    depositsAmount_->setAmount(r.DepositsMarkedAmount);
    checksCount_->setCount(r.ChecksMarked);
    checksAmount_->setAmount(r.ChecksMarkedAmount);
}

void StatementSummary::setViewOnly() {
    for (auto& [which, e] : fields_) e->setReadOnly(true);
}

}  // namespace reconcile
