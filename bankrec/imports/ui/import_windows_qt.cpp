#include "bankrec/imports/ui/import_windows_qt.h"

#include <QApplication>
#include <QEventLoop>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "bankrec/imports/import_windows.h"
#include "bankrec/imports/ui/import_wizard_window.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/shell/ui/window_place.h"
#include "corelib/picture.h"
#include "corelib/ui/progress_window.h"

using namespace corelib;

namespace imports {

namespace {

QWidget* owner() {
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                             : QApplication::activeWindow();
}

QLabel* field(QWidget* parent, const char* name, int characters) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(parent->fontMetrics().averageCharWidth() * (characters + 2));
    return label;
}

}  // namespace

SelectSheetWindow::SelectSheetWindow(const std::vector<std::string>& topics, QWidget* parent)
    : QDialog(parent) {
    setObjectName("SelectSheet");
    setWindowTitle("Select Spreadsheet");
    setWindowModality(Qt::WindowModal);
    list_ = new QListWidget(this);
    list_->setObjectName("?LIST");
    for (const std::string& t : topics) list_->addItem(QString::fromStdString(t));
    if (list_->count() > 0) list_->setCurrentRow(0);
    list_->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    ok_ = new QPushButton("&OK", this);
    ok_->setObjectName("?OK");
    ok_->setDefault(true);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("?CANCEL");
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    shell::WindowPlace::restore(this, "SelectSheet");
}

void SelectSheetWindow::done(int result) {
    chosen_ = result == QDialog::Accepted ? list_->currentRow() : -1;
    shell::WindowPlace::save(this, "SelectSheet");
    QDialog::done(result);
}

ExcelImportWindow::ExcelImportWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("UpdateAPrecExcel");
    setWindowTitle("Excel Import Data");
    row_ = field(this, "Row", 14);
    check_ = field(this, "Check", 20);
    amount_ = field(this, "Amount", 14);
    date_ = field(this, "DateCleared", 10);
    for (QLabel* l : {row_, amount_, date_}) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("?CANCEL");
    connect(cancel_, &QPushButton::clicked, this, &ExcelImportWindow::cancelRequested);
    auto* form = new QFormLayout;
    form->addRow("Row:", row_);
    form->addRow("Check:", check_);
    form->addRow("Amount:", amount_);
    form->addRow("Date Cleared:", date_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

void ExcelImportWindow::showRow(int32_t row, const std::string& check, Decimal amount,
                                int32_t clearDate) {
    row_->setText(QString::fromStdString(
        picture::formatInteger(*picture::Picture::parse("@n-14"), row).trimmed));
    check_->setText(QString::fromStdString(picture::formatString("@s20", check)).trimmed());
    amount_->setText(QString::fromStdString(picture::format("@n-14.2", amount)).trimmed());
    date_->setText(QString::fromStdString(picture::formatDate("@d17b", clearDate)));
}

ProgressResult ExcelImportWindow::run(ExcelImportJob& job) {
    job.setRowView(this);
    ProgressOptions options;
    options.title = "Excel Import Data";
    ProgressRunner runner(job, options);
    ProgressResult result = ProgressResult::Completed;
    QEventLoop loop;
    connect(this, &ExcelImportWindow::cancelRequested, &runner, &ProgressRunner::cancel);
    connect(&runner, &ProgressRunner::finished, &loop, [&](ProgressResult r) {
        result = r;
        loop.quit();
    });
    setWindowModality(parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    shell::WindowPlace::restore(this, "UpdateAPrecExcel");
    QDialog::show();
    runner.start();
    if (runner.running()) loop.exec();
    shell::WindowPlace::save(this, "UpdateAPrecExcel");
    hide();
    job.setRowView(nullptr);
    return result;
}

void ExcelImportWindow::reject() {
    emit cancelRequested();
}

void installImportWindows() {
    ImportWindows w;
    w.busyPointer = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    w.selectSheet = [](const std::vector<std::string>& topics) {
        SelectSheetWindow window(topics, owner());
        window.exec();
        return window.chosen();
    };
    // A bank file's accounts: the same chooser under its own title.
    w.selectAccount = [](const std::vector<std::string>& accounts) {
        SelectSheetWindow window(accounts, owner());
        window.setObjectName("SelectAccount");
        window.setWindowTitle("Select Account");
        window.exec();
        return window.chosen();
    };
    w.excelImport = [](ExcelImportJob& job) {
        ExcelImportWindow window(owner());
        return window.run(job);
    };
    setImportWindows(std::move(w));
}

void useImportWizard(reconcile::ReconcileCalls& calls) {
    installImportWindows();
    calls.UpdateAPrecImport = [](storage::FileSession& session, const shell::StartupParameters&) {
        UpdateAPrecImport(session, owner());
    };
}

}  // namespace imports
