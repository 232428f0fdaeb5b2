#pragma once
// The "Register Report" window (ReportAPbacWindow): which bank accounts, the date range, which
// activity, the printer and whether to preview; OK runs the check register report.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/activity/activity_register.h"
#include "bankrec/reports/report_apbac.h"
#include "bankrec/reports/ui/printer_options.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QTreeWidget;

namespace shell {
class Configuration;
}  // namespace shell

namespace storage {
class FileSession;
}  // namespace storage

namespace reports {

class RegisterReportWindow : public QDialog {
    Q_OBJECT
  public:
    // Works on the caller's session. `printers` makes the report's printer (a QPrinter when
    // not given).
    RegisterReportWindow(storage::FileSession& session, const shell::Configuration* configuration,
                         QWidget* parent = nullptr, PrinterFactory printers = {});
    ~RegisterReportWindow() override;

    // Restores the remembered values, fills the bank and printer lists. With no printer, the
    // "No printers defined..." message follows when the window shows (it stays open).
    void load();
    // The selection as the controls show it.
    RegisterSelection selection() const;
    // The printer the report prints to (empty when there is none).
    std::string printer() const;

    // OK: saves the values, runs the report, closes. Returns the report's result.
    [[nodiscard]] ReportResult runReport();

    // Controls, for the tests.
    QRadioButton* allBanks() const { return allBanks_; }
    QRadioButton* selectBank() const { return selectBank_; }
    QComboBox* bankList() const { return bankList_; }
    QLineEdit* fromDate() const { return fromDate_; }
    QLineEdit* toDate() const { return toDate_; }
    QToolButton* fromCalendar() const { return fromCalendar_; }
    QToolButton* toCalendar() const { return toCalendar_; }
    QRadioButton* includeButton(int include) const;  // 0 All, 1 Checks, 2 Deposits
    QTreeWidget* printerList() const;
    QCheckBox* previewBox() const;

  protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

  private:
    void dateEdited(QLineEdit* field, int32_t& date);
    void pickDate(QLineEdit* field, int32_t& date);
    void showDate(QLineEdit* field, int32_t date);
    void remember();

    storage::FileSession& session_;
    const shell::Configuration* configuration_;
    PrinterFactory printers_;
    std::vector<activity::BankChoice> banks_;
    int32_t from_ = 0;
    int32_t to_ = 0;
    bool remembered_ = false;

    QRadioButton* allBanks_;
    QRadioButton* selectBank_;
    QComboBox* bankList_;
    QLineEdit* fromDate_;
    QLineEdit* toDate_;
    QToolButton* fromCalendar_;
    QToolButton* toCalendar_;
    QButtonGroup* include_;
    PrinterOptions* printer_;
};

// Opens the window modally on the caller's session and runs the report when the user says OK.
void ReportAPbacWindow(storage::FileSession& session, const shell::Configuration* configuration,
                       QWidget* parent);

}  // namespace reports
