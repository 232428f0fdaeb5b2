#pragma once
// "Browse Transaction Register": the activity of one bank account, two lines per row, with the
// bank selector "&FIA" (hidden when there is one bank), and View, Delete, Print, Refresh and
// Close. The rules live in ActivityRegister; this window draws them and forwards the user's
// actions.
#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace storage {
class FileSession;
}  // namespace storage

namespace shell {
class Configuration;
struct StartupParameters;
}  // namespace shell

namespace activity {

class ActivityListModel;
class ActivityRegister;

class BrowseAPbacWindow : public QWidget {
    Q_OBJECT
  public:
    BrowseAPbacWindow(storage::FileSession& session, const shell::StartupParameters& params,
                      QWidget* parent = nullptr);
    ~BrowseAPbacWindow() override;

    // Fills the selector and the list. False when there is no bank (the message was shown);
    // the window must then not be shown.
    bool open();
    // The program's settings, for the reports' headings (null: read from SYcfg when needed).
    void setConfiguration(const shell::Configuration* configuration) {
        configuration_ = configuration;
    }

    ActivityRegister& presenter() { return *register_; }
    ActivityListModel* model() const { return model_; }
    QTableView* list() const { return list_; }
    QComboBox* selector() const { return selector_; }
    QLabel* selectorPrompt() const { return prompt_; }
    QPushButton* viewButton() const { return view_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* refreshButton() const { return refresh_; }
    QPushButton* closeButton() const { return close_; }
    // The row highlighted, -1 when none.
    int currentRow() const;
    QSize sizeHint() const override { return preferred_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refill(int row);
    void updateButtons();
    void callForm(int request);
    void showMenu(const QPoint& at);
    void saveState();

    storage::FileSession& session_;
    const shell::Configuration* configuration_ = nullptr;
    std::unique_ptr<ActivityRegister> register_;
    ActivityListModel* model_ = nullptr;
    QLabel* prompt_;
    QComboBox* selector_;
    QTableView* list_;
    QPushButton* view_;
    QPushButton* delete_;
    QPushButton* print_;
    QPushButton* refresh_;
    QPushButton* close_;
    bool saved_ = false;
    QSize preferred_;
};

}  // namespace activity
