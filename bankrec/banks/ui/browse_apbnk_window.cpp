#include "bankrec/banks/ui/browse_apbnk_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "bankrec/banks/bank_browse.h"
#include "bankrec/banks/load_fia.h"
#include "bankrec/banks/ui/bank_browse_model.h"
#include "bankrec/banks/ui/update_apbnk_form.h"
#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/session.h"
#include "bankrec/shell/ui/window_place.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "corelib/globals.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace banks {

void closeSessionWindow(QWidget* window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        sub->close();
    else
        window->close();
}

BrowseAPbnkWindow::BrowseAPbnkWindow(shell::Session& session, QWidget* parent)
    : QWidget(parent), session_(session) {
    setObjectName("BrowseAPbnk");
    setWindowTitle("Browse Financial Institution Accounts");
    files_ =
        std::make_unique<FileUse>(session_.storage(), std::initializer_list<FileId>{FileId::APbnk});
    browse_ = std::make_unique<BankBrowse>(session_.storage());
    model_ = new BankBrowseModel(*browse_, this);

    list_ = new QTableView(this);
    list_->setObjectName("?Browse:1");
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setAlternatingRowColors(true);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
    list_->horizontalHeader()->setHighlightSections(false);
    const int ch = list_->fontMetrics().averageCharWidth();
    list_->setColumnWidth(0, 40 * ch);
    list_->setColumnWidth(1, 40 * ch);
    list_->horizontalHeader()->setStretchLastSection(true);

    tabs_ = new QTabWidget(this);
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(list_);
    tabs_->addTab(page, "By Financial Institutions");

    refresh_ = new QPushButton("&Refresh", this);
    view_ = new QPushButton("&View", this);
    change_ = new QPushButton("&Change", this);
    delete_ = new QPushButton("&Delete", this);
    close_ = new QPushButton("Cl&ose", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh_);
    buttons->addStretch();
    buttons->addWidget(view_);
    buttons->addWidget(change_);
    buttons->addWidget(delete_);
    buttons->addSpacing(12);
    buttons->addWidget(close_);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs_);
    outer->addLayout(buttons);

    connect(refresh_, &QPushButton::clicked, this, &BrowseAPbnkWindow::refresh);
    connect(view_, &QPushButton::clicked, this, [this] { callForm(ViewRecord); });
    connect(change_, &QPushButton::clicked, this, [this] { callForm(ChangeRecord); });
    connect(delete_, &QPushButton::clicked, this, [this] { callForm(DeleteRecord); });
    connect(close_, &QPushButton::clicked, this, [this] { closeSessionWindow(this); });
    connect(list_, &QTableView::doubleClicked, this, [this] { callForm(ChangeRecord); });
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &BrowseAPbnkWindow::updateButtons);
    connect(model_, &QAbstractItemModel::modelReset, this, &BrowseAPbnkWindow::updateButtons);

    setFocusProxy(list_);
    WindowPlace::restoreColumns(list_->horizontalHeader(), "BrowseAPbnk");
    if (model_->reload() == 0) list_->selectRow(0);
    updateButtons();
}

BrowseAPbnkWindow::~BrowseAPbnkWindow() {
    model_->disconnect(this);
    browse_.reset();
    files_.reset();
}

QSize BrowseAPbnkWindow::sizeHint() const {
    const int ch = list_->fontMetrics().averageCharWidth();
    return QSize((40 + 40 + 30) * ch + 70, 420);
}

void BrowseAPbnkWindow::closeEvent(QCloseEvent* event) {
    WindowPlace::saveColumns(list_->horizontalHeader(), "BrowseAPbnk");
    event->accept();
}

void BrowseAPbnkWindow::updateButtons() {
    const bool any = list_->currentIndex().isValid();
    view_->setEnabled(any);
    change_->setEnabled(any);
    delete_->setEnabled(any);
}

int32_t BrowseAPbnkWindow::selectedBank() const {
    const BankBrowseRow* r = model_->row(list_->currentIndex().row());
    return r ? r->bank.BankID : 0;
}

bool BrowseAPbnkWindow::selectBank(int32_t bankId) {
    int r = model_->reload(bankId);
    if (r < 0) return false;
    list_->selectRow(r);
    list_->scrollTo(model_->index(r, 0));
    return true;
}

void BrowseAPbnkWindow::refresh() {
    if (!refresh_->isEnabled() || !refresh_->isVisible()) return;
    const int32_t current = selectedBank();
    LoadFIAQuick(session_.storage(), session_.params());
    if (!current || !selectBank(current)) {
        if (model_->reload() == 0) list_->selectRow(0);
    }
    list_->setFocus();
}

void BrowseAPbnkWindow::callForm(int32_t request) {
    QPushButton* button = request == ViewRecord     ? view_
                          : request == ChangeRecord ? change_
                                                    : delete_;
    if (!button->isEnabled() || !button->isVisible()) return;
    const int32_t bankId = selectedBank();
    const int row = list_->currentIndex().row();
    if (!bankId || browse_->select(bankId) != Error::None) {
        selectBank(0);
        return;
    }
    const int32_t last = browse_->callForm(request, [this] { UpdateAPbnk(session_, this); });
    if (request == DeleteRecord && GlobalResponse == RequestCompleted) {
        model_->reload();
        while (row >= model_->rowCount() && model_->canFetchMore({})) model_->fetchMore({});
        const int r = std::min(row, model_->rowCount() - 1);
        if (r >= 0) list_->selectRow(r);
    } else {
        selectBank(last);
    }
    updateButtons();
    list_->setFocus();
}

static ProcedureRegistration registerBrowseAPbnk("BrowseAPbnk", [](shell::Session& s) {
    return static_cast<QWidget*>(new BrowseAPbnkWindow(s));
});

}  // namespace banks
