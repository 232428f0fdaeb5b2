#pragma once
// "Import Marked Checks Wizard" (UpdateAPrecImport): the six pages of ImportWizard as a wizard
// without tabs, with "&Previous", "&Next", "Fi&nish" and "Cancel". Finish stores the settings and
// runs the reader; the wizard closes when the reader returns. Cancel (and the title bar's close
// box) closes at once, storing nothing.
#include <QDialog>
#include <functional>
#include <string>

#include "bankrec/imports/import_wizard.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace imports {

// Chooses a file: (title, current name, filter in Qt's form) -> the chosen name, "" when
// cancelled. The window uses the system's file-open dialog unless given another.
using FileChooser = std::function<std::string(const std::string& title, const std::string& current,
                                              const std::string& filter)>;

class ImportWizardWindow : public QDialog {
    Q_OBJECT
  public:
    // Loads the settings (ImportWizard::load) and shows page 1.
    ImportWizardWindow(storage::FileSession& session, QWidget* parent = nullptr,
                       FileChooser chooser = {});
    ~ImportWizardWindow() override;

    ImportWizard& wizard() { return wizard_; }
    // The reader's result after Finish.
    const ImportResult& result() const { return result_; }

    // Controls, for the tests.
    QStackedWidget* pages() const { return pages_; }
    QPushButton* previousButton() const { return previous_; }
    QPushButton* nextButton() const { return next_; }
    QPushButton* finishButton() const { return finish_; }
    QPushButton* cancelButton() const { return cancel_; }
    QRadioButton* typeButton(ImportType type) const;
    QCheckBox* amountBox() const { return amount_; }
    QCheckBox* decimalBox() const { return decimal_; }
    QCheckBox* clearedBox() const { return cleared_; }
    QLineEdit* fileEntry() const { return fileName_; }
    QPushButton* fileButton() const { return fileButton_; }
    QLabel* summaryLabel() const { return summary_; }
    // The entries of pages 3 to 5 by setting name ("ChkFirstRow", "ChkAmountStart", ...).
    QLineEdit* entry(const std::string& setting) const;
    QLineEdit* workbookEntry() const { return workbook_; }
    QComboBox* dateFormatBox() const { return dateFormat_; }
    QCheckBox* depositBox() const { return depositBox_; }

    void reject() override;

  protected:
    void done(int result) override;

  private:
    void goNext();
    void goPrevious();
    void finish();
    void showPage(int page);
    void refresh();  // button and control states from the wizard
    void chooseFile();
    void chooseWorkbook();
    QLineEdit* numberEntry(QWidget* parent, const std::string& setting, int32_t* value,
                           bool blankWhenZero = false);

    ImportWizard wizard_;
    FileChooser chooser_;
    ImportResult result_;
    bool placed_ = false;

    QStackedWidget* pages_;
    QRadioButton* spreadsheet_;
    QRadioButton* fixed_;
    QRadioButton* comma_;
    QRadioButton* bai2_;
    QRadioButton* ofx_;
    QComboBox* dateFormat_;
    QWidget* deposits_;  // on the page of the bank file shown
    QCheckBox* depositBox_;
    QLabel* depositDaysLabel_;
    QLineEdit* depositDays_;
    std::vector<QVBoxLayout*> bankLayouts_;  // pages 7 and 8
    QCheckBox* amount_;
    QCheckBox* decimal_;
    QCheckBox* cleared_;
    QLabel* fileText_;
    QLabel* filePrompt_;
    QLineEdit* fileName_;
    QPushButton* fileButton_;
    QLineEdit* workbook_;
    QLabel* summary_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* finish_;
    QPushButton* cancel_;
    std::vector<std::pair<std::string, QLineEdit*>> entries_;
    std::vector<QWidget*> amountControls_;   // enabled while "Import &Amount" is checked
    std::vector<QWidget*> clearedControls_;  // enabled while "Import Date &Cleared" is checked
};

// Opens the wizard modally over `parent` on the caller's session (its bank in APbnk) and runs
// the reader the user finishes with. GlobalResponse: the reader's, or 2 when cancelled.
void UpdateAPrecImport(storage::FileSession& session, QWidget* parent = nullptr);

}  // namespace imports
