#include "bankrec/banks/ui/update_apbnk_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "bankrec/shell/session.h"
#include "bankrec/shell/ui/window_place.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/standard_warnings.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace banks {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string ss(const QString& s) {
    return s.toStdString();
}

QIcon checkMark() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 128, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
    return QIcon(pm);
}

QTreeWidget* makeList(QWidget* parent, const QStringList& headings, int rows) {
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(int(headings.size()));
    list->setHeaderLabels(headings);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setMinimumHeight(list->fontMetrics().height() * (rows + 2));
    if (rows < 5) list->setMaximumHeight(list->fontMetrics().height() * (rows + 3) + 8);
    return list;
}

int chars(QWidget* w, int n) {
    return w->fontMetrics().averageCharWidth() * n;
}
}  // namespace

UpdateAPbnkForm::UpdateAPbnkForm(UpdateAPbnkPresenter& presenter, QWidget* parent)
    : QDialog(parent), p_(presenter) {
    setObjectName("UpdateAPbnk");
    setWindowTitle(qs(p_.title()));

    bank_ = new QLineEdit(this);
    bank_->setMaxLength(40);
    bank_->setToolTip("Name of bank");
    bank_->setMinimumWidth(chars(bank_, 40));
    auto* head = new QFormLayout;
    head->addRow("Financial Institution Account:", bank_);

    tabs_ = new QTabWidget(this);

    // GL Cash Account
    auto* cashPage = new QWidget;
    cash_ = makeList(cashPage, {"Bank Account"}, 6);
    cash_->setObjectName("?List");
    default_ = new QPushButton("&Default", cashPage);
    auto* cashLayout = new QHBoxLayout(cashPage);
    cashLayout->addWidget(cash_, 1);
    auto* cashButtons = new QVBoxLayout;
    cashButtons->addWidget(default_);
    cashButtons->addStretch();
    cashLayout->addLayout(cashButtons);
    tabs_->addTab(cashPage, "GL Cash Account");

    // BR Posting
    auto* postPage = new QWidget;
    auto* postLayout = new QVBoxLayout(postPage);
    sc_ = buildPosting(
        PostingAccount::ServiceCharge, postPage, "&Post service charge back to general ledger",
        "Journ&al:", "GL Account to &Debit:", "Account where service charge is to be posted");
    ie_ = buildPosting(
        PostingAccount::InterestEarned, postPage, "Post &interest earned back to general ledger",
        "&Journal:", "GL Account to &Credit:", "Account where interest earned is to be posted");
    for (const Posting* g : {&sc_, &ie_}) {
        auto* grid = new QGridLayout;
        grid->addWidget(g->post, 0, 0, 1, 3);
        grid->addWidget(g->journalPrompt, 1, 0, Qt::AlignTop);
        grid->addWidget(g->journals, 1, 1, 1, 2);
        grid->addWidget(g->accountPrompt, 2, 0);
        grid->addWidget(g->account, 2, 1);
        grid->addWidget(g->description, 2, 2);
        grid->setColumnStretch(2, 1);
        postLayout->addLayout(grid);
    }
    postLayout->addStretch();
    tabs_->addTab(postPage, "BR Posting");

    // System Information
    auto* sysPage = new QWidget;
    apBank_ = new QLineEdit(sysPage);
    apBank_->setMaxLength(10);
    apBank_->setToolTip("Bank abbreviation to be used when posting reconciled A/P checks");
    prBank_ = new QLineEdit(sysPage);
    prBank_->setMaxLength(10);
    prBank_->setToolTip("Bank abbreviation to be used when posting reconciled P/R checks");
    for (QLineEdit* e : {apBank_, prBank_}) e->setFixedWidth(chars(e, 14));
    auto* sysLayout = new QFormLayout(sysPage);
    sysLayout->addRow("A/P Bank:", apBank_);
    sysLayout->addRow("P/R Bank:", prBank_);
    tabs_->addTab(sysPage, "System Information");

    next_ = new QPushButton("&Next", this);
    previous_ = new QPushButton("&Previous", this);
    ok_ = new QPushButton("&OK", this);
    ok_->setDefault(true);
    cancel_ = new QPushButton("Cancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previous_);
    buttons->addWidget(next_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(head);
    outer->addWidget(tabs_, 1);
    outer->addLayout(buttons);

    connect(default_, &QPushButton::clicked, this, &UpdateAPbnkForm::markDefault);
    connect(ok_, &QPushButton::clicked, this, &UpdateAPbnkForm::ok);
    connect(cancel_, &QPushButton::clicked, this, &UpdateAPbnkForm::reject);
    connect(next_, &QPushButton::clicked, this, [this] { navigate(VcrForward); });
    connect(previous_, &QPushButton::clicked, this, [this] { navigate(VcrBackward); });
    auto* ditto = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Apostrophe), this);
    connect(ditto, &QShortcut::activated, this, &UpdateAPbnkForm::recallField);

    load();
    if (p_.viewMode()) applyViewMode();
    resize(sizeHint().expandedTo(QSize(640, 460)));
}

UpdateAPbnkForm::Posting UpdateAPbnkForm::buildPosting(PostingAccount which, QWidget* page,
                                                       const QString& check, const QString& journal,
                                                       const QString& account, const QString& tip) {
    Posting g{};
    g.post = new QCheckBox(check, page);
    g.journalPrompt = new QLabel(journal, page);
    g.journals = makeList(page, {"Journal", "Description"}, 3);
    g.journals->setColumnWidth(0, chars(g.journals, 8));
    g.journalPrompt->setBuddy(g.journals);
    g.accountPrompt = new QLabel(account, page);
    g.account = new QLineEdit(page);
    g.account->setMaxLength(55);
    g.account->setToolTip(tip);
    g.account->setMinimumWidth(chars(g.account, 22));
    g.accountPrompt->setBuddy(g.account);
    g.description = new QLabel(page);
    g.description->setWordWrap(true);
    g.description->setTextInteractionFlags(Qt::TextSelectableByMouse);

    connect(g.post, &QCheckBox::toggled, this, [this, which](bool on) {
        if (loading_) return;
        p_.setPosting(which, on);
        showPosting();
    });
    connect(g.journals, &QTreeWidget::currentItemChanged, this,
            [this, which](QTreeWidgetItem* item) {
                if (loading_ || !item) return;
                p_.setJournal(which, ss(item->text(0)));
            });
    QLineEdit* entry = g.account;
    QLabel* desc = g.description;
    connect(entry, &QLineEdit::editingFinished, this, [this, which, entry, desc] {
        if (loading_ || p_.viewMode()) return;
        const std::string typed = ss(entry->text());
        const APbnk& b = p_.bank();
        const std::string& stored = which == PostingAccount::ServiceCharge
                                        ? b.ServiceChargeAccount
                                        : b.InterestEarnedAccount;
        if (typed == stored) return;
        p_.setAccount(which, typed);
        if (validateEntry(which)) desc->setText(qs(p_.accountDescription(which)));
    });
    return g;
}

void UpdateAPbnkForm::load() {
    loading_ = true;
    const APbnk& b = p_.bank();
    bank_->setText(qs(b.Bank));
    apBank_->setText(qs(b.APBank));
    prBank_->setText(qs(b.PRBank));
    for (PostingAccount which : {PostingAccount::ServiceCharge, PostingAccount::InterestEarned}) {
        const Posting& g = posting(which);
        g.post->setChecked(p_.postingVisible(which));
        g.journals->clear();
        for (const JournalRow& j : p_.journals())
            new QTreeWidgetItem(g.journals, {qs(j.Abbr), qs(j.Description)});
        if (auto row = p_.journalRow(which))
            g.journals->setCurrentItem(g.journals->topLevelItem(int(*row)));
        g.account->setText(qs(which == PostingAccount::ServiceCharge ? b.ServiceChargeAccount
                                                                     : b.InterestEarnedAccount));
        g.description->setText(qs(p_.accountDescription(which)));
    }
    loadCash();
    showPosting();
    loading_ = false;
}

void UpdateAPbnkForm::loadCash() {
    const int current = cash_->currentItem() ? cash_->indexOfTopLevelItem(cash_->currentItem()) : 0;
    cash_->clear();
    static const QIcon mark = checkMark();
    for (const CashAccountRow& r : p_.cashAccounts()) {
        auto* item = new QTreeWidgetItem(cash_, {qs(r.BankAccount)});
        if (r.isDefault()) item->setIcon(0, mark);
    }
    if (cash_->topLevelItemCount())
        cash_->setCurrentItem(
            cash_->topLevelItem(std::min(current, cash_->topLevelItemCount() - 1)));
}

void UpdateAPbnkForm::store() {
    APbnk& b = p_.bank();
    b.Bank = ss(bank_->text());
    b.APBank = ss(apBank_->text());
    b.PRBank = ss(prBank_->text());
    p_.setAccount(PostingAccount::ServiceCharge, ss(sc_.account->text()));
    p_.setAccount(PostingAccount::InterestEarned, ss(ie_.account->text()));
}

void UpdateAPbnkForm::showPosting() {
    for (PostingAccount which : {PostingAccount::ServiceCharge, PostingAccount::InterestEarned}) {
        const Posting& g = posting(which);
        const bool on = p_.postingVisible(which);
        for (QWidget* w :
             {static_cast<QWidget*>(g.journalPrompt), static_cast<QWidget*>(g.journals),
              static_cast<QWidget*>(g.accountPrompt), static_cast<QWidget*>(g.account),
              static_cast<QWidget*>(g.description)})
            w->setVisible(on);
    }
}

void UpdateAPbnkForm::applyViewMode() {
    ok_->hide();
    cancel_->setText("Cl&ose");
    cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    default_->setEnabled(false);
    QPalette grey = palette();
    grey.setColor(QPalette::Base, QColor(192, 192, 192));
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setPalette(grey);
    }
    for (QCheckBox* c : findChildren<QCheckBox*>()) {
        c->setFocusPolicy(Qt::NoFocus);
        c->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    for (QTreeWidget* l : findChildren<QTreeWidget*>()) {
        l->setFocusPolicy(Qt::NoFocus);
        l->viewport()->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->setPalette(grey);
    }
    cancel_->setDefault(true);
    cancel_->setFocus();
}

bool UpdateAPbnkForm::validateEntry(PostingAccount which) {
    if (p_.validate(which)) return true;
    tabs_->setCurrentIndex(1);
    posting(which).account->setFocus();
    posting(which).account->selectAll();
    return false;
}

bool UpdateAPbnkForm::saveChanges() {
    store();
    for (PostingAccount which : {PostingAccount::ServiceCharge, PostingAccount::InterestEarned})
        if (!validateEntry(which)) return false;
    switch (p_.save()) {
        case UpdateAPbnkPresenter::SaveOutcome::Saved:
            GlobalResponse = RequestCompleted;
            return true;
        case UpdateAPbnkPresenter::SaveOutcome::Conflict:
            load();
            return false;
        case UpdateAPbnkPresenter::SaveOutcome::Closed:
            GlobalResponse = RequestCancelled;
            QDialog::reject();
            return false;
        default:
            return false;
    }
}

void UpdateAPbnkForm::ok() {
    if (p_.viewMode() || !ok_->isVisible()) return;
    if (saveChanges()) accept();
}

void UpdateAPbnkForm::navigate(int32_t vcr) {
    if (p_.viewMode()) {
        GlobalResponse = RequestCancelled;
    } else if (!saveChanges()) {
        return;
    }
    VCRRequest = vcr;
    accept();
}

void UpdateAPbnkForm::markDefault() {
    if (p_.viewMode() || !cash_->currentItem()) return;
    p_.setDefault(size_t(cash_->indexOfTopLevelItem(cash_->currentItem())));
    loadCash();
}

void UpdateAPbnkForm::reject() {
    p_.cancel();
    GlobalResponse = RequestCancelled;
    VCRRequest = VcrNone;
    QDialog::reject();
}

// Ctrl+' puts back, in the focused entry, what the user had typed before another station's
// change replaced it.
void UpdateAPbnkForm::recallField() {
    const auto& mine = p_.entered();
    auto* entry = qobject_cast<QLineEdit*>(focusWidget());
    if (!mine || !entry || entry->isReadOnly()) return;
    if (entry == bank_) entry->setText(qs(mine->Bank));
    if (entry == apBank_) entry->setText(qs(mine->APBank));
    if (entry == prBank_) entry->setText(qs(mine->PRBank));
    if (entry == sc_.account) entry->setText(qs(mine->ServiceChargeAccount));
    if (entry == ie_.account) entry->setText(qs(mine->InterestEarnedAccount));
}

void UpdateAPbnk(shell::Session& session, QWidget* parent) {
    THREAD_LOG("UpdateAPbnk");
    const int32_t request = GlobalRequest;
    GlobalResponse = RequestCancelled;
    UpdateAPbnkPresenter::Hooks hooks;
    hooks.waitCursor = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    {
        UpdateAPbnkPresenter presenter(session.storage(), session.params(), hooks);
        presenter.open(request);
        if (request == DeleteRecord) {
            presenter.runDelete();
        } else if (request == ChangeRecord || request == ViewRecord) {
            UpdateAPbnkForm form(presenter, parent);
            form.setWindowModality(Qt::WindowModal);
            WindowPlace::restore(&form, "UpdateAPbnk");
            form.exec();
            WindowPlace::save(&form, "UpdateAPbnk");
        } else {
            StandardWarning(Warn_InsertDisabled);
        }
    }
    THREAD_RETURN("UpdateAPbnk");
}

}  // namespace banks
