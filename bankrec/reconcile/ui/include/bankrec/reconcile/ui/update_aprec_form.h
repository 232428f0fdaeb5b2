#pragma once
// The viewer of a completed reconciliation ("Viewing Reconciliation"): the summary read-only,
// the checks and deposits it captured with "R" for those that cleared with it, and Next,
// Previous, Print and Close. The rules live in ReconciliationViewer.
#include <QDialog>
#include <map>

#include "bankrec/reconcile/update_aprec.h"

class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace reconcile {

class PagedListModel;
class PictureEdit;

class UpdateAPrecForm : public QDialog {
    Q_OBJECT
  public:
    explicit UpdateAPrecForm(ReconciliationViewer& viewer, QWidget* parent = nullptr);
    ~UpdateAPrecForm() override;

    QLabel* serviceChargePrompt() const { return chargePrompt_; }
    QLabel* interestPrompt() const { return interestPrompt_; }
    PictureEdit* endingBalance() const { return endingBalance_; }
    PictureEdit* endingDate() const { return endingDate_; }
    QTableView* checks() const { return checks_; }
    QTableView* deposits() const { return deposits_; }
    QPushButton* nextButton() const { return next_; }
    QPushButton* previousButton() const { return previous_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* closeButton() const { return close_; }

  protected:
    void done(int result) override;

  private:
    QTableView* makeList(bool checks, QWidget* page, PagedListModel*& model);
    void showStatement();
    void step(bool forward);

    ReconciliationViewer& v_;
    std::vector<PictureEdit*> edits_;
    PictureEdit* openingBalance_;
    PictureEdit* openingDate_;
    PictureEdit* depositsCount_;
    PictureEdit* depositsAmount_;
    PictureEdit* checksCount_;
    PictureEdit* checksAmount_;
    PictureEdit* chargeDate_;
    PictureEdit* charge_;
    PictureEdit* interestDate_;
    PictureEdit* interest_;
    PictureEdit* endingDate_;
    PictureEdit* endingBalance_;
    QLabel* chargePrompt_;
    QLabel* interestPrompt_;
    QTabWidget* tabs_;
    QTableView* deposits_;
    QTableView* checks_;
    PagedListModel* depositModel_ = nullptr;
    PagedListModel* checkModel_ = nullptr;
    QPushButton* next_;
    QPushButton* previous_;
    QPushButton* print_;
    QPushButton* close_;
    bool saved_ = false;
};

}  // namespace reconcile
