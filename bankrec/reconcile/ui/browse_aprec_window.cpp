#include "bankrec/reconcile/ui/browse_aprec_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "bankrec/activity/ui/browse_helpers.h"
#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/reconcile/reconciliation_list.h"
#include "bankrec/reconcile/ui/paged_list_model.h"
#include "bankrec/reconcile/ui/reconcile_widgets.h"
#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/session.h"
#include "bankrec/shell/ui/window_place.h"
#include "corelib/globals.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace reconcile {

namespace {

// Column widths in dialog units, as the list's format gives them.
const std::vector<int> kColumnUnits = {11, 55, 76, 76, 76, 76, 76, 76};
constexpr const char* kColumnsValue = "?rec:List";

}  // namespace

BrowseAPrecWindow::BrowseAPrecWindow(FileSession& session, const StartupParameters& params,
                                     const ReconcileCalls& calls, QWidget* parent)
    : QWidget(parent), session_(session), params_(params), calls_(calls) {
    setWindowTitle(kListTitle);
    setObjectName(kListProcedure);
    ListHooks hooks;
    hooks.worksheet = [this] { runWorksheet(session_, params_, calls_, this); };
    hooks.viewer = [this] { runViewer(session_, params_, calls_, this); };
    list_ = std::make_unique<ReconciliationList>(session, params, calls, hooks);

    prompt_ = new QLabel("&Bank", this);
    selector_ = new QComboBox(this);
    selector_->setObjectName("?BANK:LIST");
    selector_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    prompt_->setBuddy(selector_);
    auto* top = new QHBoxLayout;
    top->addWidget(prompt_);
    top->addWidget(selector_);
    top->addStretch();

    std::vector<PagedListModel::Column> columns;
    const auto& headings = listHeadings();
    for (int c = 0; c < ListColumnCount; ++c)
        columns.push_back({QString::fromStdString(headings[static_cast<size_t>(c)]),
                           c == ColStatus ? Qt::AlignHCenter | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter});
    model_ = new PagedListModel(
        columns, [this] { return list_->rows().count(); },
        [this](int64_t i) -> std::vector<std::string> {
            const auto* r = list_->rows().row(i);
            if (!r) return {};
            const auto texts = listTexts(r->rec);
            return {texts.begin(), texts.end()};
        },
        this);
    view_ = new QTableView(this);
    view_->setObjectName("?REC:LIST");
    view_->setModel(model_);
    setUpList(view_);
    setColumnUnits(view_, kColumnUnits);
    view_->setColumnWidth(ColStatementDate,
                          std::max(view_->columnWidth(ColStatementDate),
                                   fontMetrics().horizontalAdvance("00/00/0000") + 16));
    view_->installEventFilter(this);
    WindowPlace::restoreColumns(view_->horizontalHeader(), kListProcedure, kColumnsValue);

    post_ = new QPushButton("&Post", this);
    refresh_ = new QPushButton("&Refresh", this);
    viewButton_ = new QPushButton("V&iew", this);
    delete_ = new QPushButton("&Delete", this);
    print_ = new QPushButton("P&rint", this);
    close_ = new QPushButton("Cl&ose", this);
    new_ = new QPushButton("&New", this);
    post_->setToolTip("Post the highlighted reconciliation to the accounting suite again");
    refresh_->setToolTip("Load the bank's new checks and deposits from the accounting suite");
    new_->setToolTip("Start the bank's next reconciliation");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {post_, refresh_}) buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : {viewButton_, delete_, print_, new_, close_}) buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);
    // Tab order as the window lists its controls.
    QWidget* order[] = {selector_, view_,  post_,  refresh_, viewButton_,
                        delete_,   print_, close_, new_};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    int width = 40;
    for (int c = 0; c < ListColumnCount; ++c) width += view_->columnWidth(c);
    preferred_ = QSize(width, 360);
    resize(preferred_);

    connect(selector_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        list_->select(index);
        refill(list_->rows().count() - 1);
    });
    connect(view_, &QTableView::doubleClicked, this, [this] { run(&ReconciliationList::view); });
    connect(viewButton_, &QPushButton::clicked, this, [this] { run(&ReconciliationList::view); });
    connect(new_, &QPushButton::clicked, this, [this] { run(&ReconciliationList::newStatement); });
    connect(delete_, &QPushButton::clicked, this, [this] { run(&ReconciliationList::remove); });
    connect(print_, &QPushButton::clicked, this, [this] { run(&ReconciliationList::print); });
    connect(post_, &QPushButton::clicked, this, [this] { run(&ReconciliationList::post); });
    connect(refresh_, &QPushButton::clicked, this, [this] {
        const int row = currentRow();
        list_->loadChecks();
        refill(row);
    });
    connect(close_, &QPushButton::clicked, this, [this] { activity::closeBrowse(this); });
}

BrowseAPrecWindow::~BrowseAPrecWindow() {
    saveState();
    view_->setModel(nullptr);
}

bool BrowseAPrecWindow::open() {
    if (!list_->open(ReconciliationList::rememberedBankId())) return false;
    activity::fillBankSelector(prompt_, selector_, list_->banks(), list_->selected());
    // The latest statement is the one worked on: highlight it.
    refill(list_->rows().count() - 1);
    return true;
}

int BrowseAPrecWindow::currentRow() const {
    const QModelIndex index = view_->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void BrowseAPrecWindow::refill(int64_t row) {
    model_->reload();
    activity::highlightRow(view_, row);
    view_->setFocus();
    updateButtons();
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &BrowseAPrecWindow::updateButtons, Qt::UniqueConnection);
}

void BrowseAPrecWindow::updateButtons() {
    const ListButtons b = list_->buttons(currentRow());
    post_->setEnabled(b.post);
    refresh_->setEnabled(b.refresh);
    viewButton_->setEnabled(b.view);
    viewButton_->setText(QString::fromStdString(b.viewCaption));
    viewButton_->setIcon(buttonIcon(b.viewIcon));
    delete_->setEnabled(b.remove);
    print_->setEnabled(b.print);
    new_->setEnabled(b.newStatement);
}

void BrowseAPrecWindow::run(int64_t (ReconciliationList::*action)(int64_t)) {
    const int row = currentRow();
    refill((list_.get()->*action)(row));
}

bool BrowseAPrecWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && delete_->isEnabled()) {
            run(&ReconciliationList::remove);
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            viewButton_->isEnabled()) {
            run(&ReconciliationList::view);
            return true;
        }
        if (key->key() == Qt::Key_Insert && new_->isEnabled()) {
            run(&ReconciliationList::newStatement);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BrowseAPrecWindow::saveState() {
    if (saved_ || list_->bankId() == 0) return;
    saved_ = true;
    list_->rememberBank();
    WindowPlace::saveColumns(view_->horizontalHeader(), kListProcedure, kColumnsValue);
}

void BrowseAPrecWindow::closeEvent(QCloseEvent* event) {
    saveState();
    QWidget::closeEvent(event);
}

namespace {

ProcedureRegistration registration(kListProcedure, [](shell::Session& s) -> QWidget* {
    THREAD_LOG(kListProcedure);
    auto* window = new BrowseAPrecWindow(s.storage(), s.params(), reconcileCalls());
    if (!window->open()) {
        delete window;
        GlobalResponse = RequestCancelled;
        THREAD_RETURN(kListProcedure);
        return nullptr;
    }
    // The window may go after its session has left the registry (the frame ends the session
    // with its sub-window): the procedure's exit is recorded on its own thread, when still there.
    QObject::connect(window, &QObject::destroyed, [thread = s.thread()] {
        GlobalResponse = RequestCancelled;
        ThreadScope scope(thread);
        if (THREAD_CHECK(kListProcedure) > 0) THREAD_RETURN(kListProcedure);
    });
    return window;
});

}  // namespace

}  // namespace reconcile
