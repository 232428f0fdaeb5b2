#pragma once
// The viewer of a completed reconciliation ("Viewing Reconciliation"): the summary read-only,
// the checks and deposits it captured with "R" for those that cleared with it, and Next,
// Previous, Print and Close. The rules live in ReconciliationViewer.
#include <QDialog>

#include "bankrec/reconcile/update_aprec.h"

class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace reconcile {

class PagedListModel;
class StatementSummary;

class UpdateAPrecForm : public QDialog {
    Q_OBJECT
  public:
    explicit UpdateAPrecForm(ReconciliationViewer& viewer, QWidget* parent = nullptr);
    ~UpdateAPrecForm() override;

    StatementSummary* summary() const { return summary_; }
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
    StatementSummary* summary_;
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
