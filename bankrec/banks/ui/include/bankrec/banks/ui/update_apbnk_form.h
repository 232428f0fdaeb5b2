#pragma once
// UpdateAPbnk, "Update Financial Institution Accounts": the bank form over UpdateAPbnkPresenter.
// Tab "GL Cash Account" holds the bank's cash accounts and "&Default"; "BR Posting" the service
// charge and interest posting switches with their journal lists and ledger accounts; "System
// Information" the payables and payroll bank codes.
#include <QDialog>

#include "bankrec/banks/update_apbnk_presenter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace shell {
class Session;
}  // namespace shell

namespace banks {

class UpdateAPbnkForm : public QDialog {
    Q_OBJECT
  public:
    UpdateAPbnkForm(UpdateAPbnkPresenter& presenter, QWidget* parent = nullptr);

    struct Posting {
        QCheckBox* post;
        QLabel* journalPrompt;
        QTreeWidget* journals;
        QLabel* accountPrompt;
        QLineEdit* account;
        QLabel* description;
    };
    const Posting& posting(PostingAccount which) const {
        return which == PostingAccount::ServiceCharge ? sc_ : ie_;
    }
    QTabWidget* tabs() const { return tabs_; }
    QLineEdit* bankEntry() const { return bank_; }
    QLineEdit* apBankEntry() const { return apBank_; }
    QLineEdit* prBankEntry() const { return prBank_; }
    QTreeWidget* cashList() const { return cash_; }
    QPushButton* defaultButton() const { return default_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* nextButton() const { return next_; }
    QPushButton* previousButton() const { return previous_; }

    // The button actions.
    void ok();
    void navigate(int32_t vcr);
    void markDefault();

    // Cancel (or "Cl&ose"): the bank goes back to what was read.
    void reject() override;

  private:
    Posting buildPosting(PostingAccount which, QWidget* page, const QString& check,
                         const QString& journal, const QString& account, const QString& tip);
    void load();   // controls from the bank
    void store();  // entries into the bank
    void loadCash();
    void showPosting();
    void applyViewMode();
    bool validateEntry(PostingAccount which);
    bool saveChanges();
    void recallField();

    UpdateAPbnkPresenter& p_;
    QTabWidget* tabs_;
    QLineEdit* bank_;
    QTreeWidget* cash_;
    QPushButton* default_;
    Posting sc_{};
    Posting ie_{};
    QLineEdit* apBank_;
    QLineEdit* prBank_;
    QPushButton* next_;
    QPushButton* previous_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool loading_ = false;
};

// The UpdateAPbnk procedure on the caller's session: by GlobalRequest, confirms and deletes the
// session's current bank (no window), or opens the form window-modal to `parent` to change or
// view it. Answers in GlobalResponse (and VCRRequest for Next and Previous).
void UpdateAPbnk(shell::Session& session, QWidget* parent);

}  // namespace banks
