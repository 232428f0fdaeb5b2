#pragma once
// "Import Exceptions": what an import did (its counts and the warnings about the file) and the
// lines that matched nothing or more than one row, with "&Print..." (the list as a report,
// through the report preview), "&Save as CSV..." and "&Close". The wizard opens it, not modal,
// beside the worksheet once an import is done, so the clerk keeps it open while reconciling.
#include <QDialog>
#include <functional>
#include <string>

#include "bankrec/imports/import_result.h"
#include "bankrec/reports/report_run.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace imports {

// Chooses a file to save: (title, suggested name, filter) -> the name, "" when cancelled.
using SaveChooser = std::function<std::string(
    const std::string& title, const std::string& suggested, const std::string& filter)>;

class ImportExceptionsWindow : public QDialog {
    Q_OBJECT
  public:
    ImportExceptionsWindow(ImportResult result, QWidget* parent = nullptr, SaveChooser chooser = {},
                           reports::ReportOutput output = {});

    QLabel* countsLabel() const { return counts_; }
    QTableWidget* table() const { return table_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* closeButton() const { return close_; }

    // The list printed through the report preview.
    reports::ReportResult printList();
    // The list saved as CSV where the chooser says; false when not saved (told, or cancelled).
    bool saveList();

  protected:
    void done(int result) override;

  private:
    ImportResult result_;
    SaveChooser chooser_;
    reports::ReportOutput output_;
    bool placed_ = false;
    QLabel* counts_;
    QTableWidget* table_;
    QPushButton* print_;
    QPushButton* save_;
    QPushButton* close_;
};

// Opens the window, not modal, over `parent`; it deletes itself when closed.
void showImportExceptions(const ImportResult& result, QWidget* parent);

}  // namespace imports
