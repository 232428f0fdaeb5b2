#pragma once
// The readers' own windows: "Select Spreadsheet" (SelectSheet's list of open sheets) and
// "Excel Import Data" (the row being read, driven by the timer until the run ends or is
// cancelled). installImportWindows() makes them, and the busy pointer, the readers' windows;
// useImportWizard() does so and makes the wizard the worksheet's "&Import" (the program calls it
// when it starts).
#include <QDialog>
#include <string>
#include <vector>

#include "bankrec/imports/excel_import.h"
#include "corelib/progress.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace reconcile {
struct ReconcileCalls;
}  // namespace reconcile

namespace imports {

class SelectSheetWindow : public QDialog {
    Q_OBJECT
  public:
    // The topics listed, the first selected.
    explicit SelectSheetWindow(const std::vector<std::string>& topics, QWidget* parent = nullptr);

    // The selected entry after OK; -1 after Cancel or the close box.
    int chosen() const { return chosen_; }
    QListWidget* list() const { return list_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

  protected:
    void done(int result) override;

  private:
    QListWidget* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
    int chosen_ = -1;
};

class ExcelImportWindow : public QDialog, public ExcelRowView {
    Q_OBJECT
  public:
    explicit ExcelImportWindow(QWidget* parent = nullptr);

    void showRow(int32_t row, const std::string& check, corelib::Decimal amount,
                 int32_t clearDate) override;
    // Runs the job with this window open until it ends or is cancelled.
    corelib::ProgressResult run(ExcelImportJob& job);

    QLabel* rowField() const { return row_; }
    QLabel* checkField() const { return check_; }
    QLabel* amountField() const { return amount_; }
    QLabel* dateField() const { return date_; }
    QPushButton* cancelButton() const { return cancel_; }

  signals:
    void cancelRequested();

  protected:
    void reject() override;  // Escape and the close box ask to cancel

  private:
    QLabel* row_;
    QLabel* check_;
    QLabel* amount_;
    QLabel* date_;
    QPushButton* cancel_;
};

// Installs the windows above as the readers' windows.
void installImportWindows();
// Installs the windows above and makes the "Import Marked Checks Wizard" the UpdateAPrecImport of
// `calls` (the worksheet's "&Import").
void useImportWizard(reconcile::ReconcileCalls& calls);

}  // namespace imports
