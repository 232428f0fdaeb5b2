#include "bankrec/reports/ui/report_aprec_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/shell/ui/window_place.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace shell;

namespace reports {

StatementReportWindow::StatementReportWindow(storage::FileSession& session, StatementReport report,
                                             QWidget* parent, PrinterFactory printers)
    : QDialog(parent), session_(session), report_(report), printers_(std::move(printers)) {
    if (!printers_) printers_ = qtPrinters();
    setWindowTitle(kReconciliationReportWindowTitle);
    setObjectName(procedureName(report));

    auto* options = new QGroupBox("&1. Report Options", this);
    auto* optionLayout = new QGridLayout(options);
    const char* labels[] = {"Include Marked &Deposits", "Include &Unmarked Deposits",
                            "Include Marked &Checks", "Include U&nmarked Checks"};
    for (size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = new QCheckBox(labels[i], options);
        optionLayout->addWidget(boxes_[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
    }

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    ok_ = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    help_ = buttons->addButton("Help", QDialogButtonBox::HelpRole);
    ok_->setDefault(true);

    printer_ = new PrinterOptions("&2. Printer Options",
                                  "Pre&view Report Before Sending to Printer", this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(options, 0, 0);
    layout->addWidget(buttons, 0, 1, 2, 1, Qt::AlignTop);
    layout->addWidget(printer_, 1, 0);

    connect(ok_, &QPushButton::clicked, this, [this] {
        (void)runReport();  // the report told the user how it ended
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    // Help has no action.
}

StatementReportWindow::~StatementReportWindow() = default;

void StatementReportWindow::load() {
    WindowPlace::restore(this, procedureName(report_));
    const StatementReportOptions& kept = keptOptions(report_);
    boxes_[0]->setChecked(kept.markedDeposits);
    boxes_[1]->setChecked(kept.unmarkedDeposits);
    boxes_[2]->setChecked(kept.markedChecks);
    boxes_[3]->setChecked(kept.unmarkedChecks);
    printer_->previewBox()->setChecked(rememberedPreview(report_));
    printer_->load();
}

void StatementReportWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    printer_->warnWithoutPrinters();
}

StatementReportOptions StatementReportWindow::options() const {
    return StatementReportOptions{boxes_[0]->isChecked(), boxes_[1]->isChecked(),
                                  boxes_[2]->isChecked(), boxes_[3]->isChecked()};
}

void StatementReportWindow::remember() {
    if (remembered_) return;
    remembered_ = true;
    keptOptions(report_) = options();
    rememberPreview(report_, printer_->previewBox()->isChecked());
    WindowPlace::save(this, procedureName(report_));
}

ReportResult StatementReportWindow::runReport() {
    remember();
    ReportOutput output;
    const std::string name = printer_->printer();
    output.printer = [this, name] { return printers_(name); };
    const bool preview = printer_->previewBox()->isChecked();
    const ReportResult r = report_ == StatementReport::Completed
                               ? ReportAPrec(session_, options(), preview, output)
                               : ReportAPrecNew(session_, options(), preview, output);
    accept();
    return r;
}

void StatementReportWindow::done(int result) {
    remember();
    QDialog::done(result);
}

namespace {

void openWindow(storage::FileSession& session, StatementReport report, QWidget* parent,
                PrinterFactory printers) {
    const char* procedure = procedureName(report);
    THREAD_LOG(procedure);
    StatementReportWindow window(session, report, parent, std::move(printers));
    window.setWindowModality(Qt::WindowModal);
    window.load();
    window.exec();
    THREAD_RETURN(procedure);
}

// The window the clerk printed from: a modal form when one is up, else the active window.
QWidget* callingWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

}  // namespace

void ReportAPrecWindow(storage::FileSession& session, QWidget* parent, PrinterFactory printers) {
    openWindow(session, StatementReport::Completed, parent, std::move(printers));
}

void ReportAPrecNewWindow(storage::FileSession& session, QWidget* parent, PrinterFactory printers) {
    openWindow(session, StatementReport::Worksheet, parent, std::move(printers));
}

void useStatementReports(reconcile::ReconcileCalls& calls, PrinterFactory printers) {
    calls.ReportAPrecWindow = [printers](storage::FileSession& session, const StartupParameters&) {
        ReportAPrecWindow(session, callingWindow(), printers);
    };
    calls.ReportAPrecNewWindow = [printers](storage::FileSession& session,
                                            const StartupParameters&) {
        ReportAPrecNewWindow(session, callingWindow(), printers);
    };
}

}  // namespace reports
