#pragma once
// The three activity forms as one dialog drawn after an ActivityForm: the check form (check,
// date, name, amount, description), the deposit form (date, cash, coin, its lines, amount,
// description) and the adjustment form (description, date, payment or debit, deposit or
// credit), each with the reconciliation indicator and "&Previous", "&Next", "&OK", "Cancel".
// Every field is read-only; the check and adjustment fields are grey and skipped by Tab.
#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class QFormLayout;

namespace activity {

class ActivityForm;

class UpdateAPbacForm : public QDialog {
    Q_OBJECT
  public:
    UpdateAPbacForm(ActivityForm& form, QWidget* parent = nullptr);

    QPushButton* previousButton() const { return previous_; }
    QPushButton* nextButton() const { return next_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QTableWidget* lines() const { return lines_; }
    // The text of a field by its prompt ("&Amount:"); empty when the form has no such field.
    QString fieldText(const QString& prompt) const;

  protected:
    void done(int result) override;

  private:
    void addField(QFormLayout* layout, const QString& prompt, int key, bool right);
    void showRecord();
    void step(bool forward);

    ActivityForm& form_;
    struct Field {
        QString prompt;
        int key;
        QLineEdit* edit;
    };
    std::vector<Field> fields_;
    QTableWidget* lines_ = nullptr;
    QLabel* indicator_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// Shows the form modally over `parent` and leaves GlobalResponse (1 OK, 2 cancelled).
void showActivityForm(ActivityForm& form, QWidget* parent);

}  // namespace activity
