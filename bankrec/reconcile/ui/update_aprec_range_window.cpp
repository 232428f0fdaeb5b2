#include "bankrec/reconcile/ui/update_aprec_range_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "bankrec/reconcile/reconcile_texts.h"
#include "corelib/globals.h"
#include "corelib/thread_registry.h"

using namespace corelib;

namespace reconcile {

UpdateAPrecRangeWindow::UpdateAPrecRangeWindow(storage::FileSession& session, QWidget* parent)
    : QDialog(parent), dialog_(session) {
    setObjectName("UpdateAPrecRangeWindow");
    setWindowTitle(kRangeTitle);
    setWindowModality(Qt::WindowModal);
    auto* group = new QGroupBox(this);
    group->setObjectName("?RANGE:GROUP");
    from_ = new QLineEdit(group);
    from_->setObjectName("?LOC:FROMREF");
    from_->setMaxLength(20);
    from_->setToolTip("From check number in range");
    to_ = new QLineEdit(group);
    to_->setObjectName("?LOC:TOREF");
    to_->setMaxLength(20);
    to_->setToolTip("To check number in range");
    for (QLineEdit* e : {from_, to_}) e->setMinimumWidth(fontMetrics().averageCharWidth() * 22);
    mark_ = new QCheckBox("Mark all checks in range", group);
    mark_->setObjectName("?LOC:MARK");
    mark_->setToolTip("Mark or unmark all checks in range");
    mark_->setChecked(true);
    auto* form = new QFormLayout(group);
    form->addRow("From:", from_);
    form->addRow("To:", to_);
    form->addRow(mark_);

    ok_ = new QPushButton("&OK", this);
    ok_->setObjectName("?OK:BUTTON");
    ok_->setDefault(true);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("?CANCEL");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    // Wide enough for the window manager to show the whole title beside its buttons.
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 5 / 4 + 120);

    connect(ok_, &QPushButton::clicked, this, &UpdateAPrecRangeWindow::ok);
    connect(cancel_, &QPushButton::clicked, this, &UpdateAPrecRangeWindow::reject);
}

void UpdateAPrecRangeWindow::ok() {
    dialog_.from = from_->text().toStdString();
    dialog_.to = to_->text().toStdString();
    dialog_.mark = mark_->isChecked();
    if (!dialog_.accept()) {
        from_->setFocus();
        return;
    }
    accept();
}

void UpdateAPrecRangeWindow::reject() {
    dialog_.cancel();
    QDialog::reject();
}

void runRangeWindow(storage::FileSession& session, QWidget* parent) {
    THREAD_LOG("UpdateAPrecRangeWindow");
    UpdateAPrecRangeWindow window(session, parent);
    GlobalResponse = window.exec() == QDialog::Accepted ? RequestCompleted : RequestCancelled;
    THREAD_RETURN("UpdateAPrecRangeWindow");
}

}  // namespace reconcile
