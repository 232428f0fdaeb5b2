#include "bankrec/activity/ui/update_apbac_form.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "bankrec/activity/update_apbac.h"
#include "bankrec/shell/ui/window_place.h"
#include "corelib/globals.h"
#include "corelib/picture.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace activity {

namespace {

enum FieldKey { Reference, Date, Name, Payment, Description, Cash, Coin, Deposit };

QString money(Decimal value) {
    return QString::fromStdString(picture::format("@n-19.2", value)).trimmed();
}

}  // namespace

UpdateAPbacForm::UpdateAPbacForm(ActivityForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.title()));
    setObjectName(QString::fromStdString(form.procedure()));
    auto* outer = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    outer->addLayout(fields);

    switch (form.kind()) {
        case ActivityFormKind::Check:
            addField(fields, "&Check:", Reference, false);
            addField(fields, "&Date:", Date, false);
            addField(fields, "&Name:", Name, false);
            addField(fields, "&Amount:", Payment, true);
            addField(fields, "De&scription:", Description, false);
            break;
        case ActivityFormKind::Deposit:
            addField(fields, "Da&te:", Date, false);
            addField(fields, "Ca&sh:", Cash, true);
            addField(fields, "Coi&n:", Coin, true);
            lines_ = new QTableWidget(0, 3, this);
            lines_->setHorizontalHeaderLabels({"Check", "From", "Amount"});
            lines_->setEditTriggers(QAbstractItemView::NoEditTriggers);
            lines_->setSelectionBehavior(QAbstractItemView::SelectRows);
            lines_->verticalHeader()->hide();
            lines_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
            lines_->horizontalHeaderItem(2)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            lines_->setMinimumHeight(120);
            fields->addRow(lines_);
            addField(fields, "&Amount:", Deposit, true);
            addField(fields, "De&scription:", Description, false);
            break;
        case ActivityFormKind::Adjustment:
            addField(fields, "De&scription:", Description, false);
            addField(fields, "&Date:", Date, false);
            addField(fields, "&Payment or Debit:", Payment, true);
            addField(fields, "&Deposit or Credit:", Deposit, true);
            break;
    }
    indicator_ = new QLabel(this);
    indicator_->setObjectName("ReconciledMarked");
    fields->addRow(QString(), indicator_);

    auto* buttons = new QHBoxLayout;
    previous_ = new QPushButton("&Previous", this);
    next_ = new QPushButton("&Next", this);
    ok_ = new QPushButton(QString::fromStdString(form.okCaption()), this);
    cancel_ = new QPushButton("Cancel", this);
    if (form.viewMode()) ok_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    cancel_->setVisible(form.cancelVisible());
    ok_->setDefault(true);
    buttons->addWidget(previous_);
    buttons->addWidget(next_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    outer->addLayout(buttons);

    connect(previous_, &QPushButton::clicked, this, [this] { step(false); });
    connect(next_, &QPushButton::clicked, this, [this] { step(true); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    showRecord();
    resize(520, sizeHint().height());
    WindowPlace::restore(this, form.procedure());
}

void UpdateAPbacForm::addField(QFormLayout* layout, const QString& prompt, int key, bool right) {
    auto* edit = new QLineEdit(this);
    edit->setReadOnly(true);
    if (right) edit->setAlignment(Qt::AlignRight);
    if (form_.kind() != ActivityFormKind::Deposit) {
        // Display-only fields: grey (C0C0C0h) and skipped by the Tab key.
        edit->setFocusPolicy(Qt::NoFocus);
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
        edit->setPalette(pal);
        edit->setAutoFillBackground(true);
    }
    auto* label = new QLabel(prompt, this);
    label->setBuddy(edit);
    layout->addRow(label, edit);
    fields_.push_back({prompt, key, edit});
}

QString UpdateAPbacForm::fieldText(const QString& prompt) const {
    for (const Field& f : fields_)
        if (f.prompt == prompt) return f.edit->text();
    return {};
}

void UpdateAPbacForm::showRecord() {
    const APbac& r = form_.record();
    for (Field& f : fields_) {
        QString text;
        switch (f.key) {
            case Reference:
                text = QString::fromStdString(r.Reference);
                break;
            case Date:
                text = QString::fromStdString(picture::formatDate("@d17", r.ActivityDate));
                break;
            case Name:
                text = QString::fromStdString(r.Name);
                break;
            case Payment:
                text = money(r.PaymentOrDebit);
                break;
            case Description:
                text = QString::fromStdString(r.Description);
                break;
            case Cash:
                text = money(r.Cash);
                break;
            case Coin:
                text = money(r.Coin);
                break;
            case Deposit:
                text = money(form_.depositOrCredit());
                break;
        }
        f.edit->setText(text);
        f.edit->setCursorPosition(0);
    }
    if (lines_) {
        lines_->setRowCount(static_cast<int>(form_.lines().size()));
        int row = 0;
        for (const DepositLine& line : form_.lines()) {
            lines_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(line.Reference)));
            lines_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(line.Name)));
            auto* amount = new QTableWidgetItem(money(line.Amount));
            amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            lines_->setItem(row, 2, amount);
            ++row;
        }
    }
    indicator_->setText(QString::fromStdString(form_.reconciledMarked()));
    previous_->setEnabled(form_.previousEnabled());
    next_->setEnabled(form_.nextEnabled());
}

void UpdateAPbacForm::step(bool forward) {
    if (forward)
        form_.next();
    else
        form_.previous();
    showRecord();
}

void UpdateAPbacForm::done(int result) {
    WindowPlace::save(this, form_.procedure());
    QDialog::done(result);
}

void showActivityForm(ActivityForm& form, QWidget* parent) {
    UpdateAPbacForm dialog(form, parent);
    GlobalResponse = dialog.exec() == QDialog::Accepted ? RequestCompleted : RequestCancelled;
}

}  // namespace activity
