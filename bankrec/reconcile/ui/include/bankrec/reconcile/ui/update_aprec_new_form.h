#pragma once
// The worksheet window: the statement summary, the deposits and checks tabs with their lists and
// "&Mark", the difference, and OK, Print and Done. The rules live in Worksheet; the window shows
// what it computes and recomputes after every mark, every amount typed, a tab change, range
// marking and import, on regaining focus and after a resize.
#include <QDialog>
#include <QTimer>

#include "bankrec/reconcile/update_aprec_new.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace reconcile {

class PagedListModel;
class PictureEdit;
class StatementSummary;

class UpdateAPrecNewForm : public QDialog {
    Q_OBJECT
  public:
    // `worksheet` has been opened.
    explicit UpdateAPrecNewForm(Worksheet& worksheet, QWidget* parent = nullptr);
    ~UpdateAPrecNewForm() override;

    PictureEdit* field(SummaryField which) const;
    StatementSummary* summary() const { return summary_; }
    PictureEdit* difference() const { return difference_; }
    QTableView* list(WorksheetList which) const;
    QPushButton* markButton(WorksheetList which) const;
    QPushButton* okButton() const { return ok_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* doneButton() const { return done_; }
    QPushButton* rangeButton() const { return range_; }
    QPushButton* importButton() const { return import_; }
    QTabWidget* tabs() const { return tabs_; }

    // Reads every summary field typed into the statement and shows the figures again.
    void recompute();
    // Esc: closes without saving (an added statement never saved is deleted).
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QTableView* makeList(WorksheetList which, QWidget* page, PagedListModel*& model);
    void showFigures();
    void updateMarkButton(WorksheetList which);
    void mark(WorksheetList which);
    void takeTyped();
    void rebuildLists();
    void act(Worksheet::Outcome outcome);
    void selectField(SummaryField which);
    SummaryField focusedField() const;
    void finish();

    Worksheet& w_;
    StatementSummary* summary_;
    PictureEdit* difference_;
    QTabWidget* tabs_;
    QTableView* deposits_;
    QTableView* checks_;
    PagedListModel* depositModel_ = nullptr;
    PagedListModel* checkModel_ = nullptr;
    QPushButton* markDeposit_;
    QPushButton* markCheck_;
    QPushButton* range_;
    QPushButton* import_;
    QPushButton* ok_;
    QPushButton* print_;
    QPushButton* done_;
    QTimer resized_;
    bool deactivated_ = false;
    bool finished_ = false;
};

}  // namespace reconcile
