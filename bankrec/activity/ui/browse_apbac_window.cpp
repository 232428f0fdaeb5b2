#include "bankrec/activity/ui/browse_apbac_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "bankrec/activity/activity_register.h"
#include "bankrec/activity/register_rows.h"
#include "bankrec/activity/ui/activity_list_model.h"
#include "bankrec/activity/ui/browse_helpers.h"
#include "bankrec/activity/ui/update_apbac_form.h"
#include "bankrec/reports/ui/report_apbac_window.h"
#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/session.h"
#include "bankrec/shell/ui/window_place.h"
#include "bankrec/storage/file_session.h"
#include "corelib/globals.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace activity {

namespace {

// Column widths of the list, in dialog units as the register lays them out.
constexpr int kColumnUnits[RegisterColumnCount] = {45, 40, 179, 61, 9, 46};

}  // namespace

BrowseAPbacWindow::BrowseAPbacWindow(FileSession& session, const StartupParameters& params,
                                     QWidget* parent)
    : QWidget(parent),
      session_(session),
      register_(std::make_unique<ActivityRegister>(session, params)) {
    setWindowTitle(kRegisterTitle);
    setObjectName(kRegisterProcedure);

    prompt_ = new QLabel("&FIA", this);
    selector_ = new QComboBox(this);
    selector_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    prompt_->setBuddy(selector_);
    auto* top = new QHBoxLayout;
    top->addWidget(prompt_);
    top->addWidget(selector_);
    top->addStretch();

    model_ = new ActivityListModel(register_->rows(), this);
    list_ = new QTableView(this);
    list_->setModel(model_);
    list_->setItemDelegate(new TwoLineDelegate(list_));
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->setAlternatingRowColors(false);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(TwoLineDelegate::rowHeight(fontMetrics()));
    list_->horizontalHeader()->setStretchLastSection(false);
    // A horizontal dialog unit is a quarter of the average character width.
    const int charWidth = std::max(4, fontMetrics().averageCharWidth());
    const QFontMetrics headerMetrics(list_->horizontalHeader()->font());
    for (int c = 0; c < RegisterColumnCount; ++c) {
        // Wide enough for the heading, and the date column for a four-digit year.
        const QString heading = QString::fromStdString(registerHeadings()[static_cast<size_t>(c)]);
        int width = std::max(kColumnUnits[c] * charWidth / 4,
                             headerMetrics.horizontalAdvance(heading) + 16);
        if (c == ColActivityDate)
            width = std::max(width, fontMetrics().horizontalAdvance("00/00/0000") + 16);
        if (c == ColCheck)
            width = std::max(width, fontMetrics().horizontalAdvance("JE-00000T") + 16);
        list_->setColumnWidth(c, width);
    }
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->installEventFilter(this);
    WindowPlace::restoreColumns(list_->horizontalHeader(), kRegisterProcedure);

    view_ = new QPushButton("&View", this);
    delete_ = new QPushButton("&Delete", this);
    print_ = new QPushButton("Prin&t", this);
    refresh_ = new QPushButton("&Refresh", this);
    close_ = new QPushButton("Cl&ose", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(view_);
    buttons->addWidget(delete_);
    buttons->addStretch();
    buttons->addWidget(print_);
    buttons->addWidget(refresh_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    int listWidth = 40;
    for (int c = 0; c < RegisterColumnCount; ++c) listWidth += list_->columnWidth(c);
    preferred_ = QSize(std::max(listWidth, charWidth * 420 / 4), 460);
    resize(preferred_);

    connect(selector_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        register_->select(index);
        refill(0);
    });
    connect(list_, &QTableView::doubleClicked, this, [this] { callForm(ViewRecord); });
    connect(list_, &QWidget::customContextMenuRequested, this, &BrowseAPbacWindow::showMenu);
    connect(view_, &QPushButton::clicked, this, [this] { callForm(ViewRecord); });
    connect(delete_, &QPushButton::clicked, this, [this] { callForm(DeleteRecord); });
    connect(print_, &QPushButton::clicked, this, [this] {
        const int row = currentRow();
        reports::ReportAPbacWindow(session_, configuration_, this);
        (void)register_->rows().refresh();  // a failure leaves the pager empty
        refill(row);
    });
    connect(refresh_, &QPushButton::clicked, this, [this] {
        const int row = currentRow();
        register_->refresh();
        refill(row < 0 ? 0 : row);
    });
    connect(close_, &QPushButton::clicked, this, [this] { closeBrowse(this); });
}

BrowseAPbacWindow::~BrowseAPbacWindow() {
    saveState();
    list_->setModel(nullptr);
}

bool BrowseAPbacWindow::open() {
    if (!register_->open(ActivityRegister::rememberedBankId())) return false;
    fillBankSelector(prompt_, selector_, register_->banks(), register_->selected());
    refill(0);
    return true;
}

int BrowseAPbacWindow::currentRow() const {
    const QModelIndex index = list_->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void BrowseAPbacWindow::refill(int row) {
    model_->reload();
    highlightRow(list_, row);
    list_->setFocus();
    updateButtons();
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &BrowseAPbacWindow::updateButtons, Qt::UniqueConnection);
}

void BrowseAPbacWindow::updateButtons() {
    const int row = currentRow();
    view_->setEnabled(row >= 0);
    delete_->setEnabled(row >= 0 && register_->deleteEnabled(row));
}

void BrowseAPbacWindow::callForm(int request) {
    const int row = currentRow();
    if (row < 0) return;
    if (request == DeleteRecord && !delete_->isEnabled()) return;
    ActivityFormHooks hooks;
    hooks.show = [this](ActivityForm& form) { showActivityForm(form, this); };
    hooks.waitCursor = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    refill(static_cast<int>(register_->callForm(row, request, hooks)));
}

void BrowseAPbacWindow::showMenu(const QPoint& at) {
    // The menu acts on the row clicked.
    const QModelIndex clicked = list_->indexAt(at);
    if (clicked.isValid()) list_->selectRow(clicked.row());
    QMenu menu(this);
    for (QPushButton* button : {view_, delete_}) {
        QString text = button->text();
        QAction* action = menu.addAction(text);
        action->setEnabled(button->isEnabled() && button->isVisible());
        connect(action, &QAction::triggered, button, &QPushButton::click);
    }
    menu.exec(list_->viewport()->mapToGlobal(at));
}

bool BrowseAPbacWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            callForm(DeleteRecord);
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ControlModifier)) {
            callForm(ViewRecord);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BrowseAPbacWindow::saveState() {
    if (saved_ || register_->bankId() == 0) return;
    saved_ = true;
    register_->rememberBank();
    WindowPlace::saveColumns(list_->horizontalHeader(), kRegisterProcedure);
}

void BrowseAPbacWindow::closeEvent(QCloseEvent* event) {
    saveState();
    QWidget::closeEvent(event);
}

namespace {

// The register is its session's root procedure: the session enters it in the thread registry
// when it starts and takes it out when the window has gone, so the window does neither.
ProcedureRegistration registration(kRegisterProcedure, [](shell::Session& s) -> QWidget* {
    auto* window = new BrowseAPbacWindow(s.storage(), s.params());
    window->setConfiguration(s.configuration());
    if (!window->open()) {
        delete window;
        GlobalResponse = RequestCancelled;
        return nullptr;
    }
    QObject::connect(window, &QObject::destroyed, [] { GlobalResponse = RequestCancelled; });
    return window;
});

}  // namespace

}  // namespace activity
