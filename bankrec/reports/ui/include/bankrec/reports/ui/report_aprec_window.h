#pragma once
// The "Report Reconciliation" windows (ReportAPrecWindow for a completed reconciliation,
// ReportAPrecNewWindow for the one in progress): which deposits and checks to print, the
// printer and whether to preview; OK runs the report on the reconciliation and bank account
// current in the caller's session.
#include <QDialog>
#include <array>
#include <string>

#include "bankrec/reports/report_aprec.h"
#include "bankrec/reports/ui/printer_options.h"

class QCheckBox;
class QPushButton;

namespace reconcile {
struct ReconcileCalls;
}  // namespace reconcile

namespace storage {
class FileSession;
}  // namespace storage

namespace reports {

class StatementReportWindow : public QDialog {
    Q_OBJECT
  public:
    // Works on the caller's session. `printers` makes the report's printer (a QPrinter when
    // not given).
    StatementReportWindow(storage::FileSession& session, StatementReport report,
                          QWidget* parent = nullptr, PrinterFactory printers = {});
    ~StatementReportWindow() override;

    // Shows the options kept for this window and the remembered preview choice, fills the
    // printer list (with no printer, the "No printers defined..." message follows when the
    // window shows).
    void load();
    // The options as the check boxes show them.
    StatementReportOptions options() const;

    // OK: keeps the values, runs the report, closes. Returns the report's result.
    [[nodiscard]] ReportResult runReport();

    // Controls, for the tests: 0 marked deposits, 1 unmarked deposits, 2 marked checks,
    // 3 unmarked checks.
    QCheckBox* optionBox(int which) const { return boxes_[static_cast<size_t>(which)]; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* helpButton() const { return help_; }
    PrinterOptions* printerOptions() const { return printer_; }

  protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

  private:
    void remember();

    storage::FileSession& session_;
    StatementReport report_;
    PrinterFactory printers_;
    bool remembered_ = false;
    std::array<QCheckBox*, 4> boxes_{};
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* help_;
    PrinterOptions* printer_;
};

// Open their window modally on the caller's session and run the report when the user says OK.
void ReportAPrecWindow(storage::FileSession& session, QWidget* parent,
                       PrinterFactory printers = {});
void ReportAPrecNewWindow(storage::FileSession& session, QWidget* parent,
                          PrinterFactory printers = {});

// Makes the two windows the reports the reconciliation list, worksheet and viewer print with,
// each over the window the clerk is in. `printers` as for the window.
void useStatementReports(reconcile::ReconcileCalls& calls, PrinterFactory printers = {});

}  // namespace reports
