#pragma once
// BrowseAPbnk, "Browse Financial Institution Accounts": the banks in name order with their
// default cash account and posting journals; Refresh reloads them from the suite, View, Change
// and Delete call the bank form on the selected bank.
#include <QWidget>
#include <memory>

class QPushButton;
class QTableView;
class QTabWidget;

namespace storage {
class FileUse;
}  // namespace storage

namespace shell {
class Session;
}  // namespace shell

namespace banks {

class BankBrowse;
class BankBrowseModel;

class BrowseAPbnkWindow : public QWidget {
    Q_OBJECT
  public:
    explicit BrowseAPbnkWindow(shell::Session& session, QWidget* parent = nullptr);
    ~BrowseAPbnkWindow() override;

    QTableView* list() const { return list_; }
    BankBrowseModel* model() const { return model_; }
    QPushButton* refreshButton() const { return refresh_; }
    QPushButton* viewButton() const { return view_; }
    QPushButton* changeButton() const { return change_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* closeButton() const { return close_; }

    // The button actions, also reachable without clicking.
    void refresh();
    void callForm(int32_t request);
    // Selects the bank's row (fetching as far as needed); false when it is not listed.
    bool selectBank(int32_t bankId);
    int32_t selectedBank() const;

    // Wide enough for the three columns at their described widths.
    QSize sizeHint() const override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void updateButtons();

    shell::Session& session_;
    std::unique_ptr<storage::FileUse> files_;
    std::unique_ptr<BankBrowse> browse_;
    BankBrowseModel* model_;
    QTabWidget* tabs_;
    QTableView* list_;
    QPushButton* refresh_;
    QPushButton* view_;
    QPushButton* change_;
    QPushButton* delete_;
    QPushButton* close_;
};

// Closes a session's window, whether it stands alone or sits in the frame's MDI area.
void closeSessionWindow(QWidget* window);

}  // namespace banks
