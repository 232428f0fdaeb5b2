#include "bankrec/reconcile/ui/update_aprec_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/reconcile/ui/browse_aprec_window.h"
#include "bankrec/reconcile/ui/paged_list_model.h"
#include "bankrec/reconcile/ui/reconcile_widgets.h"
#include "bankrec/reconcile/ui/statement_summary.h"
#include "bankrec/shell/ui/window_place.h"
#include "corelib/globals.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace reconcile {

namespace {

const std::vector<int> kDepositUnits = {10, 50, 220, 76};
const std::vector<int> kCheckUnits = {10, 50, 40, 80, 100, 76};

std::vector<std::string> capturedTexts(bool checks, const APrac& row) {
    if (checks)
        return {ReconciliationViewer::marker(row),
                dateText(row.ActivityDate),
                row.Reference,
                row.Name,
                row.Description,
                moneyText(row.Amount)};
    return {ReconciliationViewer::marker(row), dateText(row.ActivityDate), row.Description,
            moneyText(row.Amount)};
}

}  // namespace

UpdateAPrecForm::UpdateAPrecForm(ReconciliationViewer& viewer, QWidget* parent)
    : QDialog(parent), v_(viewer) {
    setObjectName(kViewerProcedure);
    setWindowTitle(QString::fromStdString(v_.title()));
    setWindowModality(Qt::WindowModal);
    setSizeGripEnabled(true);

    summary_ = new StatementSummary(this);
    summary_->setViewOnly();

    next_ = new QPushButton("&Next", this);
    previous_ = new QPushButton("&Previous", this);
    print_ = new QPushButton("P&rint", this);
    close_ = new QPushButton("Cl&ose", this);
    close_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {next_, previous_, print_, close_}) side->addWidget(b);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(summary_, 1);
    top->addLayout(side);

    tabs_ = new QTabWidget(this);
    auto* depositPage = new QWidget;
    deposits_ = makeList(false, depositPage, depositModel_);
    (new QVBoxLayout(depositPage))->addWidget(deposits_);
    tabs_->addTab(depositPage, "&Deposits and Other Additions");
    auto* checkPage = new QWidget;
    checks_ = makeList(true, checkPage, checkModel_);
    (new QVBoxLayout(checkPage))->addWidget(checks_);
    tabs_->addTab(checkPage, "&Checks and Other Withdrawals");
    tabs_->setCurrentIndex(1);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(tabs_, 1);

    connect(next_, &QPushButton::clicked, this, [this] { step(true); });
    connect(previous_, &QPushButton::clicked, this, [this] { step(false); });
    connect(print_, &QPushButton::clicked, this, [this] { v_.print(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    resize(sizeHint().expandedTo(QSize(820, 600)));
    WindowPlace::restore(this, kViewerProcedure);
    WindowPlace::restoreColumns(deposits_->horizontalHeader(), kViewerProcedure, "?Deposit:List");
    WindowPlace::restoreColumns(checks_->horizontalHeader(), kViewerProcedure, "?Check:List");
    showStatement();
}

UpdateAPrecForm::~UpdateAPrecForm() {
    deposits_->setModel(nullptr);
    checks_->setModel(nullptr);
}

QTableView* UpdateAPrecForm::makeList(bool checks, QWidget* page, PagedListModel*& model) {
    const std::vector<std::string> headings =
        checks
            ? std::vector<std::string>{"*", "Activity Date", "Check", "To", "Description", "Amount"}
            : std::vector<std::string>{"*", "Activity Date", "Description", "Amount"};
    const std::vector<PagedListModel::Column> columns = activityColumns(headings);
    auto& pager = checks ? v_.checks() : v_.deposits();
    model = new PagedListModel(
        columns, [&pager] { return pager.count(); },
        [&pager, checks](int64_t i) -> std::vector<std::string> {
            const auto* r = pager.row(i);
            return r ? capturedTexts(checks, r->rec) : std::vector<std::string>{};
        },
        this);
    auto* list = new QTableView(page);
    list->setModel(model);
    setUpList(list);
    setActivityColumns(list, checks ? kCheckUnits : kDepositUnits, checks);
    return list;
}

void UpdateAPrecForm::showStatement() {
    summary_->show(v_.record());
    summary_->serviceChargePrompt()->setText(QString::fromStdString(v_.serviceChargePrompt()));
    summary_->interestPrompt()->setText(QString::fromStdString(v_.interestPrompt()));
    depositModel_->reload();
    checkModel_->reload();
    next_->setEnabled(v_.nextEnabled());
    previous_->setEnabled(v_.previousEnabled());
}

void UpdateAPrecForm::step(bool forward) {
    (void)(forward ? v_.next() : v_.previous());  // an end beeps and disables its button
    showStatement();
}

void UpdateAPrecForm::done(int result) {
    if (!saved_) {
        saved_ = true;
        WindowPlace::save(this, kViewerProcedure);
        WindowPlace::saveColumns(deposits_->horizontalHeader(), kViewerProcedure, "?Deposit:List");
        WindowPlace::saveColumns(checks_->horizontalHeader(), kViewerProcedure, "?Check:List");
    }
    QDialog::done(result);
}

void runViewer(FileSession& session, const StartupParameters& params, const ReconcileCalls& calls,
               QWidget* parent) {
    (void)UpdateAPrec(
        session, params, calls,
        [parent](ReconciliationViewer& viewer) {
            UpdateAPrecForm form(viewer, parent);
            form.exec();
        },
        kListTitle);
}

}  // namespace reconcile
