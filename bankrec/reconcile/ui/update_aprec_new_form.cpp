#include "bankrec/reconcile/ui/update_aprec_new_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "bankrec/activity/ui/browse_helpers.h"
#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/reconcile/ui/browse_aprec_window.h"
#include "bankrec/reconcile/ui/paged_list_model.h"
#include "bankrec/reconcile/ui/reconcile_widgets.h"
#include "bankrec/reconcile/ui/statement_summary.h"
#include "bankrec/reconcile/ui/update_aprec_range_window.h"
#include "bankrec/shell/ui/window_place.h"
#include "bankrec/storage/file_session.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace reconcile {

namespace {

const std::vector<int> kDepositUnits = {10, 50, 200, 76};
const std::vector<int> kCheckUnits = {10, 50, 50, 80, 100, 76};
constexpr SummaryField kTyped[] = {SummaryField::OpeningBalance,     SummaryField::OpeningDate,
                                   SummaryField::ServiceChargeDate,  SummaryField::ServiceCharge,
                                   SummaryField::InterestEarnedDate, SummaryField::InterestEarned,
                                   SummaryField::EndingDate,         SummaryField::EndingBalance};

}  // namespace

UpdateAPrecNewForm::UpdateAPrecNewForm(Worksheet& worksheet, QWidget* parent)
    : QDialog(parent), w_(worksheet) {
    setObjectName(kWorksheetProcedure);
    setWindowTitle(QString::fromStdString(w_.title()));
    setWindowModality(Qt::WindowModal);
    setSizeGripEnabled(true);

    summary_ = new StatementSummary(this);
    using K = PictureEdit::Kind;

    // ---- Buttons and the difference ----
    ok_ = new QPushButton("&OK", this);
    ok_->setObjectName("?OK");
    print_ = new QPushButton("P&rint", this);
    print_->setObjectName("?PRINT:BUTTON");
    done_ = new QPushButton("Do&ne", this);
    done_->setObjectName("?DONE:BUTTON");
    done_->setToolTip("Complete the reconciliation: only when the difference is zero");
    auto* differenceBox = new QGroupBox("Difference", this);
    difference_ = new PictureEdit(K::Amount, differenceBox);
    difference_->setObjectName("?LOC:DIFFERENCE");
    difference_->setReadOnly(true);
    difference_->setFocusPolicy(Qt::NoFocus);
    auto* differenceLayout = new QVBoxLayout(differenceBox);
    differenceLayout->addWidget(difference_);
    auto* side = new QVBoxLayout;
    side->addWidget(ok_);
    side->addWidget(print_);
    side->addWidget(done_);
    side->addWidget(differenceBox);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(summary_, 1);
    top->addLayout(side);

    // ---- Tabs ----
    tabs_ = new QTabWidget(this);
    auto* depositPage = new QWidget;
    depositPage->setObjectName("?DEPOSITSTAB");
    deposits_ = makeList(WorksheetList::Deposits, depositPage, depositModel_);
    deposits_->setObjectName("?DEPOSIT:LIST");
    markDeposit_ = new QPushButton("&Mark", depositPage);
    markDeposit_->setObjectName("?MARKDEPOSIT:BUTTON");
    auto* depositButtons = new QHBoxLayout;
    depositButtons->addStretch();
    depositButtons->addWidget(markDeposit_);
    auto* depositLayout = new QVBoxLayout(depositPage);
    depositLayout->addWidget(deposits_, 1);
    depositLayout->addLayout(depositButtons);
    tabs_->addTab(depositPage, "&Deposits and Other Additions");

    auto* checkPage = new QWidget;
    checkPage->setObjectName("?CHECKSTAB");
    checks_ = makeList(WorksheetList::Checks, checkPage, checkModel_);
    checks_->setObjectName("?CHECK:LIST");
    range_ = new QPushButton("Ran&ge", checkPage);
    range_->setObjectName("?RANGE:BUTTON");
    range_->setToolTip("Mark or unmark every check in a range of check numbers");
    import_ = new QPushButton("&Import", checkPage);
    import_->setObjectName("?IMPORT:BUTTON");
    import_->setToolTip("Mark the checks the bank's list names as cleared");
    markCheck_ = new QPushButton("&Mark", checkPage);
    markCheck_->setObjectName("?MARKCHECK:BUTTON");
    auto* checkButtons = new QHBoxLayout;
    checkButtons->addWidget(range_);
    checkButtons->addWidget(import_);
    checkButtons->addStretch();
    checkButtons->addWidget(markCheck_);
    auto* checkLayout = new QVBoxLayout(checkPage);
    checkLayout->addWidget(checks_, 1);
    checkLayout->addLayout(checkButtons);
    tabs_->addTab(checkPage, "&Checks and Other Withdrawals");

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(tabs_, 1);

    std::vector<QWidget*> order = summary_->tabOrder();
    for (QWidget* w :
         std::initializer_list<QWidget*>{ok_, print_, done_, tabs_, deposits_, markDeposit_,
                                         checks_, range_, import_, markCheck_})
        order.push_back(w);
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    // ---- Actions ----
    for (QWidget* e : summary_->tabOrder())
        connect(static_cast<PictureEdit*>(e), &QLineEdit::editingFinished, this,
                [this] { recompute(); });
    connect(markDeposit_, &QPushButton::clicked, this, [this] { mark(WorksheetList::Deposits); });
    connect(markCheck_, &QPushButton::clicked, this, [this] { mark(WorksheetList::Checks); });
    connect(deposits_, &QTableView::doubleClicked, this, [this] { mark(WorksheetList::Deposits); });
    connect(checks_, &QTableView::doubleClicked, this, [this] { mark(WorksheetList::Checks); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { recompute(); });
    connect(range_, &QPushButton::clicked, this, [this] {
        takeTyped();
        w_.range();
        rebuildLists();
        tabs_->setCurrentIndex(1);
        checks_->setFocus();
    });
    connect(import_, &QPushButton::clicked, this, [this] {
        takeTyped();
        w_.import();
        rebuildLists();
        tabs_->setCurrentIndex(1);
        checks_->setFocus();
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        takeTyped();
        act(w_.ok());
    });
    connect(print_, &QPushButton::clicked, this, [this] {
        takeTyped();
        act(w_.print());
    });
    connect(done_, &QPushButton::clicked, this, [this] {
        takeTyped();
        act(w_.done());
    });
    // The history key brings back the focused field's value in the last statement saved; the
    // ditto key, after a change conflict, the value typed before it.
    auto* history = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(history, &QShortcut::activated, this, [this] {
        const SummaryField f = focusedField();
        if (w_.recallHistory(f)) showFigures();
    });
    auto* ditto = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Apostrophe), this);
    connect(ditto, &QShortcut::activated, this, [this] {
        const SummaryField f = focusedField();
        if (w_.recallEntered(f)) showFigures();
    });
    resized_.setSingleShot(true);
    resized_.setInterval(200);
    connect(&resized_, &QTimer::timeout, this, [this] {
        takeTyped();
        rebuildLists();
    });

    for (SummaryField f : {SummaryField::ServiceChargeDate, SummaryField::ServiceCharge,
                           SummaryField::InterestEarnedDate, SummaryField::InterestEarned})
        summary_->field(f)->setOpen(w_.editable(f));

    resize(sizeHint().expandedTo(QSize(820, 600)));
    WindowPlace::restore(this, kWorksheetProcedure);
    WindowPlace::restoreColumns(deposits_->horizontalHeader(), kWorksheetProcedure,
                                "?Deposit:List");
    WindowPlace::restoreColumns(checks_->horizontalHeader(), kWorksheetProcedure, "?Check:List");
    rebuildLists();
    tabs_->setCurrentIndex(1);
}

UpdateAPrecNewForm::~UpdateAPrecNewForm() {
    finish();
    deposits_->setModel(nullptr);
    checks_->setModel(nullptr);
}

QTableView* UpdateAPrecNewForm::makeList(WorksheetList which, QWidget* page,
                                         PagedListModel*& model) {
    const std::vector<PagedListModel::Column> columns = activityColumns(Worksheet::headings(which));
    model = new PagedListModel(
        columns, [this, which] { return w_.list(which).count(); },
        [this, which](int64_t i) -> std::vector<std::string> {
            const auto* r = w_.list(which).row(i);
            return r ? Worksheet::columnTexts(which, r->rec) : std::vector<std::string>{};
        },
        this);
    auto* list = new QTableView(page);
    list->setModel(model);
    setUpList(list);
    setActivityColumns(list, which == WorksheetList::Checks ? kCheckUnits : kDepositUnits,
                       which == WorksheetList::Checks);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, which] { updateMarkButton(which); });
    return list;
}

PictureEdit* UpdateAPrecNewForm::field(SummaryField which) const {
    return summary_->field(which);
}

QTableView* UpdateAPrecNewForm::list(WorksheetList which) const {
    return which == WorksheetList::Checks ? checks_ : deposits_;
}

QPushButton* UpdateAPrecNewForm::markButton(WorksheetList which) const {
    return which == WorksheetList::Checks ? markCheck_ : markDeposit_;
}

// Reads what was typed into the statement. A field that does not read beeps and shows the
// statement's value again.
void UpdateAPrecNewForm::takeTyped() {
    APrec& r = w_.record();
    for (SummaryField which : kTyped) {
        PictureEdit* e = summary_->field(which);
        if (e->isReadOnly()) continue;
        bool good = true;
        if (e->kind() == PictureEdit::Kind::Date) {
            int32_t d = 0;
            good = e->date(d);
            if (good) {
                switch (which) {
                    case SummaryField::OpeningDate:
                        r.OpeningDate = d;
                        break;
                    case SummaryField::ServiceChargeDate:
                        r.ServiceChargeDate = d;
                        break;
                    case SummaryField::InterestEarnedDate:
                        r.InterestEarnedDate = d;
                        break;
                    case SummaryField::EndingDate:
                        r.EndingDate = d;
                        break;
                    default:
                        break;
                }
            }
        } else {
            Decimal v;
            good = e->amount(v);
            if (good) {
                switch (which) {
                    case SummaryField::OpeningBalance:
                        r.OpeningBalance = v;
                        break;
                    case SummaryField::ServiceCharge:
                        r.ServiceCharge = v;
                        break;
                    case SummaryField::InterestEarned:
                        r.InterestEarned = v;
                        break;
                    case SummaryField::EndingBalance:
                        r.EndingBalance = v;
                        break;
                    default:
                        break;
                }
            }
        }
        if (!good) ds_Beep();
    }
}

void UpdateAPrecNewForm::recompute() {
    takeTyped();
    showFigures();
}

void UpdateAPrecNewForm::showFigures() {
    summary_->show(w_.record());
    difference_->setAmount(w_.difference());
    done_->setEnabled(w_.doneEnabled());
    updateMarkButton(WorksheetList::Deposits);
    updateMarkButton(WorksheetList::Checks);
}

void UpdateAPrecNewForm::updateMarkButton(WorksheetList which) {
    QTableView* l = list(which);
    const int row = l->currentIndex().isValid() ? l->currentIndex().row() : -1;
    QPushButton* b = markButton(which);
    b->setText(QString::fromStdString(w_.markCaption(which, row)));
    b->setIcon(buttonIcon(w_.markIcon(which, row)));
    b->setEnabled(row >= 0);
}

void UpdateAPrecNewForm::rebuildLists() {
    const int depositRow = deposits_->currentIndex().row();
    const int checkRow = checks_->currentIndex().row();
    w_.rebuild();
    depositModel_->reload();
    checkModel_->reload();
    activity::highlightRow(deposits_, depositRow);
    activity::highlightRow(checks_, checkRow);
    showFigures();
}

void UpdateAPrecNewForm::mark(WorksheetList which) {
    QTableView* l = list(which);
    PagedListModel* m = which == WorksheetList::Checks ? checkModel_ : depositModel_;
    const int row = l->currentIndex().isValid() ? l->currentIndex().row() : -1;
    if (row < 0) return;
    takeTyped();
    if (w_.mark(which, row)) {
        m->rowChanged(row);
        // Down one row, so repeated presses mark consecutive items.
        const int next = std::min(row + 1, m->rowCount() - 1);
        l->selectRow(next);
        l->scrollTo(m->index(next, 0));
    } else {
        m->reload();
        if (m->rowCount() > 0) l->selectRow(std::min(row, m->rowCount() - 1));
    }
    l->setFocus();
    showFigures();
}

SummaryField UpdateAPrecNewForm::focusedField() const {
    for (SummaryField which : kTyped)
        if (summary_->field(which)->hasFocus()) return which;
    return SummaryField::None;
}

void UpdateAPrecNewForm::selectField(SummaryField which) {
    if (PictureEdit* e = field(which)) {
        e->setFocus();
        e->selectAll();
    }
}

void UpdateAPrecNewForm::act(Worksheet::Outcome outcome) {
    if (outcome == Worksheet::Outcome::Close) {
        finish();
        accept();
        return;
    }
    setWindowTitle(QString::fromStdString(w_.title()));
    rebuildLists();
    selectField(w_.focusField());
}

// Closing without saving (Esc or the title bar's X): an added statement never saved goes.
void UpdateAPrecNewForm::reject() {
    if (!finished_) {
        w_.closeWithoutSaving();
        finish();
    }
    QDialog::reject();
}

void UpdateAPrecNewForm::closeEvent(QCloseEvent* event) {
    if (!finished_) {
        w_.closeWithoutSaving();
        finish();
    }
    QDialog::closeEvent(event);
}

void UpdateAPrecNewForm::finish() {
    if (finished_) return;
    finished_ = true;
    WindowPlace::save(this, kWorksheetProcedure);
    WindowPlace::saveColumns(deposits_->horizontalHeader(), kWorksheetProcedure, "?Deposit:List");
    WindowPlace::saveColumns(checks_->horizontalHeader(), kWorksheetProcedure, "?Check:List");
}

bool UpdateAPrecNewForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        deactivated_ = true;
    } else if (event->type() == QEvent::WindowActivate && deactivated_ && !finished_) {
        // Back from another window: marks may have changed meanwhile.
        deactivated_ = false;
        QTimer::singleShot(0, this, [this] {
            if (finished_) return;
            takeTyped();
            rebuildLists();
        });
    }
    return QDialog::event(event);
}

void UpdateAPrecNewForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (isVisible()) resized_.start();
}

void runWorksheet(FileSession& session, const StartupParameters& params,
                  const ReconcileCalls& calls, QWidget* parent) {
    THREAD_LOG(kWorksheetProcedure);
    WorksheetHooks hooks;
    hooks.waitCursor = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    QWidget* form = nullptr;
    hooks.rangeWindow = [&session, &form] { runRangeWindow(session, form); };
    Worksheet worksheet(session, params, calls, hooks);
    GlobalResponse = RequestCancelled;
    if (worksheet.open()) {
        UpdateAPrecNewForm dialog(worksheet, parent);
        form = &dialog;
        dialog.exec();
        GlobalResponse = worksheet.response();
    }
    THREAD_RETURN(kWorksheetProcedure);
}

}  // namespace reconcile
