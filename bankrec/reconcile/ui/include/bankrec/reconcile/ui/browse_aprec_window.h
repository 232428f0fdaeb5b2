#pragma once
// "Browse Reconciliations": the statements of one bank account, oldest first, with the bank
// selector "&Bank" (hidden with one bank), and Post, Refresh, View/Edit, Delete, Print, Close and
// New. The rules live in ReconciliationList; this window draws them and forwards the user's
// actions. Its place is kept by the frame; the bank and the column layout are kept here.
#include <QWidget>
#include <memory>

#include "bankrec/reconcile/reconcile_calls.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace storage {
class FileSession;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace reconcile {

class PagedListModel;
class ReconciliationList;

class BrowseAPrecWindow : public QWidget {
    Q_OBJECT
  public:
    BrowseAPrecWindow(storage::FileSession& session, const shell::StartupParameters& params,
                      const ReconcileCalls& calls, QWidget* parent = nullptr);
    ~BrowseAPrecWindow() override;

    // Fills the selector and the list. False when there is no bank (the message was shown);
    // the window must then not be shown.
    bool open();

    ReconciliationList& presenter() { return *list_; }
    QTableView* list() const { return view_; }
    QComboBox* selector() const { return selector_; }
    QLabel* selectorPrompt() const { return prompt_; }
    QPushButton* postButton() const { return post_; }
    QPushButton* refreshButton() const { return refresh_; }
    QPushButton* viewButton() const { return viewButton_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* closeButton() const { return close_; }
    QPushButton* newButton() const { return new_; }
    // The row highlighted, -1 when none.
    int currentRow() const;
    QSize sizeHint() const override { return preferred_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refill(int64_t row);
    void updateButtons();
    void run(int64_t (ReconciliationList::*action)(int64_t));
    void saveState();

    storage::FileSession& session_;
    const shell::StartupParameters& params_;
    const ReconcileCalls& calls_;
    std::unique_ptr<ReconciliationList> list_;
    PagedListModel* model_ = nullptr;
    QLabel* prompt_;
    QComboBox* selector_;
    QTableView* view_;
    QPushButton* post_;
    QPushButton* refresh_;
    QPushButton* viewButton_;
    QPushButton* delete_;
    QPushButton* print_;
    QPushButton* close_;
    QPushButton* new_;
    bool saved_ = false;
    QSize preferred_;
};

// The worksheet (UpdateAPrecNew) on the bank in the session's APbnk buffer, window-modal to
// `parent`; leaves GlobalResponse.
void runWorksheet(storage::FileSession& session, const shell::StartupParameters& params,
                  const ReconcileCalls& calls, QWidget* parent);
// The viewer (UpdateAPrec, request 4) of the statement in the APrec buffer, modal to `parent`.
void runViewer(storage::FileSession& session, const shell::StartupParameters& params,
               const ReconcileCalls& calls, QWidget* parent);

}  // namespace reconcile
