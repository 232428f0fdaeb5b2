#pragma once
// The frame `Main`: the program's main window with its MDI area, menu, toolbar and status bar.
// Its presenter holds APbnk and SYcfg open for as long as it runs and loads the configuration;
// the frame starts each browse as a session of its own (through the session manager) and
// starts LoadFIAThread when it opens.
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "bankrec/shell/configuration.h"
#include "bankrec/shell/frame_presenter.h"

class QAction;
class QLabel;
class QMdiArea;
class QTimer;

namespace shell {

class CaptureWiring;
class ProcedureTable;
class SessionManager;
class Startup;

// The procedure information window the diagnostic key opens: component, description,
// version, source name, procedure name, date last changed (a day number).
using ShowProcedureFn =
    std::function<void(const std::string&, const std::string&, const std::string&,
                       const std::string&, const std::string&, int32_t)>;

class MainFrame : public QMainWindow {
    Q_OBJECT
  public:
    // `startup` (after a successful run()) and `table` must outlive the frame.
    MainFrame(Startup& startup, const ProcedureTable& table, QWidget* parent = nullptr);
    ~MainFrame() override;

    // Opens the frame: registers with the thread registry, loads the configuration, opens
    // APbnk and SYcfg, restores the place, sets the title, starts LoadFIAThread when it is
    // registered and the clock. false when a record file could not be opened (the user has
    // been told; the program should end).
    bool open();

    SessionManager& sessions() { return *sessions_; }
    Configuration& configuration() { return presenter_.configuration(); }
    QMdiArea* mdiArea() const { return area_; }
    // The window-capture popup and menu.
    CaptureWiring& capture() { return *capture_; }
    // The frame's own storage session (APbnk and SYcfg held open).
    storage::FileSession& storage() { return presenter_.storage(); }

    // The diagnostic key's window; the default is ZOR_SHOWPROCEDURE (the procedure
    // information window). Arguments: component, description, version, source, procedure, date.
    void setShowProcedure(ShowProcedureFn fn) { showProcedure_ = std::move(fn); }

    // Menu commands, also reachable by their action's objectName ("EditTransactionRegister").
    void startRegister();
    void startReconcile();
    void startFinancialInstitutions();
    void startAbout();
    void showHelp();
    // Refreshes status bar sections 3 (date) and 4 (time).
    void refreshClock();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QAction* action(const QString& objectName, const QString& text);

    Startup& startup_;
    const ProcedureTable& table_;
    FramePresenter presenter_;
    QMdiArea* area_ = nullptr;
    std::unique_ptr<SessionManager> sessions_;
    CaptureWiring* capture_ = nullptr;
    QTimer* clock_ = nullptr;
    QLabel* status_[4] = {};
    QAction* registerAction_ = nullptr;
    QAction* reconcileAction_ = nullptr;
    QAction* fiaAction_ = nullptr;
    ShowProcedureFn showProcedure_;
    bool opened_ = false;
};

}  // namespace shell
