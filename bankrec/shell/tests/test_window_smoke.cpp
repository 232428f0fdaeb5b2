// Every window of the program, reached as a clerk reaches it: through the frame's own menus,
// toolbar and the buttons of the windows it opens, on a demo suite; each closed with its own
// button and with the title-bar X. Any message shown on the way fails the test.
//
// A new window joins with one line in kWindows.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bankrec/imports/import_windows.h"
#include "bankrec/imports/ui/import_windows_qt.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/reports/ui/report_aprec_window.h"
#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/startup.h"
#include "bankrec/shell/ui/main_frame.h"
#include "bankrec/shell/ui/session_manager.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/message_script.h"
#include "corelib/progress.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/preview_window.h"
#include "corelib/ui/progress_window.h"
#include "corelib/ui/thread_event_filter.h"
#include "corelib/zor_preview.h"
#include "shell_fixture.h"
#include "tvhost/suite_database.h"

using namespace corelib;
using namespace shell;

namespace {

// How a window is reached and how it is closed, in one line:
//  path:     steps separated by " > ":
//              "Menu/Item"       a command of the frame's menu bar (and sub-menus), by caption
//              "toolbar:Caption" a button of the frame's toolbar
//              "button:Caption"  a button of the window in front, clicked once it is there and
//                                enabled (so a step waits for a progress window to finish)
//              "tab:Caption"     a tab of the window in front
//              "check:Caption"   a check box of the window in front, ticked
//              "ctrlclick"       Ctrl+left click on the window in front (the frame when none)
//              "popup:Caption"   a choice of the popup menu that is open
//  title:    the title of the window the path ends in.
//  close:    the caption of the window's own closing button; null when it has none (then
//            only the title-bar X is tried).
//  tolerated: a message the path shows by design on a machine without printers, or null;
//             any other message fails the test.
// Every window reached also answers Ctrl+left click with the capture popup. The windows are
// tried in this order, each first closed with the X, then with its button: the reconciliation
// list highlights its latest statement, the completed one made at set-up until "&New" closed
// with "&OK" has saved an open one (then "&New" is gone and "V&iew" reads "Ed&it").
struct SmokeWindow {
    const char* path;
    const char* title;
    const char* close;
    const char* tolerated = nullptr;
};

constexpr const char* kNoPrinter = "No printers defined.";
constexpr const char* kReconcileReport = "Report Reconciliation";

const SmokeWindow kWindows[] = {
    {"&Edit/&Transaction Register", "Browse Transaction Register", "Cl&ose"},
    {"toolbar:Register", "Browse Transaction Register", "Cl&ose"},
    {"toolbar:Register > button:&Refresh > button:&View", "Viewing Deposit", "Cl&ose"},
    {"toolbar:Register > button:Prin&t", "Register Report", "Cancel", kNoPrinter},
    {"toolbar:Register > button:Prin&t > check:&Preview Report Before Printing > button:OK",
     "Report Preview", "Cancel", kNoPrinter},
    {"&Edit/&Reconcile", "Browse Reconciliations", "Cl&ose"},
    {"toolbar:Reconcile", "Browse Reconciliations", "Cl&ose"},
    {"toolbar:Reconcile > button:V&iew", "Viewing Reconciliation", "Cl&ose"},
    {"toolbar:Reconcile > button:V&iew > button:P&rint", kReconcileReport, "Cancel", kNoPrinter},
    {"toolbar:Reconcile > button:P&rint", kReconcileReport, "Cancel", kNoPrinter},
    {"toolbar:Reconcile > button:P&rint > check:Pre&view Report Before Sending to Printer > "
     "button:&OK",
     "Report Preview", "Cancel", kNoPrinter},
    {"toolbar:Reconcile > button:&New > tab:&Checks and Other Withdrawals > button:Ran&ge",
     "Mark / Unmark Range of Checks", "Cancel"},
    {"toolbar:Reconcile > button:&New > tab:&Checks and Other Withdrawals > button:&Import",
     "Import Marked Checks Wizard", "Cancel"},
    {"toolbar:Reconcile > button:&New > tab:&Checks and Other Withdrawals > button:&Import > "
     "button:&BAI2 cash-management file from the bank > button:&Next > button:&Next > "
     "button:&Next > button:Fi&nish",
     "Import Exceptions", "&Close"},
    {"toolbar:Reconcile > button:&New", "Adding Reconciliation [Money Market Savings]", "&OK"},
    {"toolbar:Reconcile > button:Ed&it", "Changing Reconciliation [Money Market Savings]", "&OK"},
    {"toolbar:Reconcile > button:Ed&it > button:P&rint", kReconcileReport, "Cancel", kNoPrinter},
    {"toolbar:Reconcile > button:Ed&it > button:P&rint > check:Pre&view Report Before Sending to "
     "Printer > button:&OK",
     "Report Preview", "Cancel", kNoPrinter},
    {"&Setup/&Financial Institution Accounts", "Browse Financial Institution Accounts", "Cl&ose"},
    {"toolbar:FIA", "Browse Financial Institution Accounts", "Cl&ose"},
    {"toolbar:FIA > button:&View", "Viewing Financial Institution Account", "Cl&ose"},
    {"toolbar:FIA > button:&Change", "Changing Financial Institution Account", "Cancel"},
    {"&Help/&About Bank Reconciliation", "About Application", "&OK"},
    {"ctrlclick > popup:&Save Window", "Save As", "Cancel"},
    {"toolbar:FIA > ctrlclick > popup:&Save Window", "Save As", "Cancel"},
    {"&File/&Capture/Save Selected A&rea...", "Save As", "Cancel"},
    {"&File/&Capture/Save Clip&board...", "Save As", "Cancel"},
    {"ctrlclick > popup:Place Window in &Clipboard > &File/&Capture/&Show Clipboard...",
     "Clipboard", "Close"},
};

enum class CloseWay { Button, TitleBarX };

std::vector<std::string> split(const std::string& text, const std::string& by) {
    std::vector<std::string> parts;
    size_t at = 0;
    for (size_t next; (next = text.find(by, at)) != std::string::npos; at = next + by.size())
        parts.push_back(text.substr(at, next - at));
    parts.push_back(text.substr(at));
    return parts;
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(5);
    }
}

class WindowSmokeTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        resetThreadRegistry();
        const QString data = QString::fromStdString(dataDir());
        const QString error =
            tvhost::createSuiteDatabase("sqlite:" + data, 3, "demo", "demo", data, true);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        auto backend = std::make_unique<ScriptedMessages>();
        messages_ = backend.get();
        startup_ = std::make_unique<Startup>(
            "bankrec", std::vector<std::string>{"Division=3", "DataPath=" + dataDir(),
                                                "Server=sqlite:" + dataDir(), "UserID=demo",
                                                "Password=demo", "TVUser=1"});
        ASSERT_EQ(startup_->run(std::move(backend)), 0);
        // The program's windows, as bankrec/main.cpp installs them.
        installThreadEventFilter();
        useProgressWindows();
        usePreviewWindows();
        savedCalls_ = reconcile::reconcileCalls();
        reports::useStatementReports(reconcile::reconcileCalls());
        imports::useImportWizard(reconcile::reconcileCalls());
        frame_ = std::make_unique<MainFrame>(*startup_, procedureTable());
        frame_->setShowProcedure(nullptr);
        ASSERT_TRUE(frame_->open());
        frame_->show();
        // The banks come from the suite at every start, in a window of their own.
        settle();
        for (int i = 0; i < 500 && frame_->sessions().count() > 0; ++i) settle();
        ASSERT_EQ(frame_->sessions().count(), 0);
        ASSERT_EQ(messages_->count(), 0u) << allMessages();
        ASSERT_NO_FATAL_FAILURE(addCompletedStatement("Money Market Savings"));
        ASSERT_NO_FATAL_FAILURE(addBankFile());
    }
    void TearDown() override {
        frame_.reset();
        startup_.reset();
        setPreviewBackend(nullptr);
        setProgressBackend(nullptr);
        imports::setImportWindows({});
        reconcile::reconcileCalls() = savedCalls_;
        resetThreadRegistry();
        ShellFixture::TearDown();
    }

    // A completed statement of the bank, with a cleared check and an outstanding one captured,
    // for the viewer and the reconciliation report.
    void addCompletedStatement(const std::string& bankName) {
        using namespace storage;
        FileSession session(startup_->storage());
        FileUse files(session, {FileId::APbnk, FileId::APrec, FileId::APrac});
        ASSERT_EQ(files.error(), Error::None);
        RecordFile<APbnk>& bank = session.file<APbnk>();
        bank.clear();
        bank.rec.Bank = bankName;
        ASSERT_EQ(bank.get(APBNK_KEY_BANK), Error::None) << bankName;
        APrec& rec = session.file<APrec>().rec;
        rec = APrec{};
        rec.BankID = bank.rec.BankID;
        rec.Done = 1;
        rec.OpeningDate = daytime::dayNumber(2026, 9, 30);
        rec.EndingDate = daytime::dayNumber(2026, 10, 31);
        rec.ChecksMarked = 1;
        rec.ChecksMarkedAmount = Decimal::fromCents(2500);
        rec.EndingBalance = Decimal::fromCents(-2500);
        ASSERT_EQ(addNumbered(session, FileId::APrec), Error::None);
        for (const bool cleared : {true, false}) {
            APrac& item = session.file<APrac>().rec;
            item = APrac{};
            item.ReconciliationID = rec.ReconciliationID;
            item.ActivityType = "Check";
            item.Reference = cleared ? "501" : "502";
            item.ActivityDate = daytime::dayNumber(2026, 10, 15);
            item.Marked = cleared;
            item.Amount = Decimal::fromCents(2500);
            ASSERT_EQ(addNumbered(session, FileId::APrac), Error::None);
        }
    }

    // A bank's BAI2 file of one paid check the bank does not have, named as the import's file.
    void addBankFile() {
        using namespace storage;
        const std::string file = dataDir() + "/prevday.bai";
        std::ofstream(file)
            << "01,BANK,CUST,261124,0800,1,80,,2/\n02,CUST,BANK,1,261123,2359,USD,2/\n"
               "03,4000-000-00,USD/\n16,475,2500,,BR1,9901/\n49,2500,3/\n"
               "98,2500,1,5/\n99,2500,1,7/\n";
        FileSession session(startup_->storage());
        FileUse files(session, {FileId::SYcfg});
        ASSERT_EQ(files.error(), Error::None);
        SYcfg& cfg = session.file<SYcfg>().rec;
        cfg = SYcfg{};
        cfg.Name = "ImportFilename";
        cfg.Value = file;
        ASSERT_EQ(addNumbered(session, FileId::SYcfg), Error::None);
    }

    std::string allMessages() const {
        std::string all;
        for (const RecordedMessage& m : messages_->messages())
            all += "[" + m.caption + "] " + m.text + "\n";
        return all;
    }

    // The visible window with that title: a sub-window of the frame or a window of its own.
    QWidget* findWindow(const QString& title) const {
        for (QMdiSubWindow* sub : frame_->mdiArea()->subWindowList())
            if (sub->windowTitle() == title && sub->isVisible()) return sub;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == title && w->isVisible()) return w;
        return nullptr;
    }
    // The modal windows open (application- or window-modal), the last opened last.
    static std::vector<QWidget*> modalWindows() {
        std::vector<QWidget*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowModality() != Qt::NonModal) found.push_back(w);
        if (QWidget* modal = QApplication::activeModalWidget()) {
            std::erase(found, modal);
            found.push_back(modal);
        }
        return found;
    }
    // The window a clerk works in now: a modal window (or the window of its own it opened and
    // made active, not modal), else the frame's active sub-window.
    QWidget* front() const {
        const std::vector<QWidget*> modal = modalWindows();
        if (modal.empty()) return frame_->mdiArea()->activeSubWindow();
        if (QWidget* active = QApplication::activeWindow();
            active && active->isVisible() && active->windowModality() == Qt::NonModal)
            for (QWidget* owner = active->parentWidget(); owner; owner = owner->parentWidget())
                if (owner == modal.back()) return active;
        return modal.back();
    }

    QAction* menuCommand(const std::string& step) const {
        QList<QAction*> actions = frame_->menuBar()->actions();
        QAction* found = nullptr;
        for (const std::string& caption : split(step, "/")) {
            found = nullptr;
            for (QAction* a : actions)
                if (a->text().toStdString() == caption) found = a;
            if (!found) return nullptr;
            if (found->menu()) actions = found->menu()->actions();
        }
        return found;
    }
    QAction* toolbarButton(const std::string& caption) const {
        for (QToolBar* bar : frame_->findChildren<QToolBar*>())
            for (QAction* a : bar->actions())
                if (a->text().toStdString() == caption) return a;
        return nullptr;
    }
    static QAbstractButton* button(QWidget* window, const std::string& caption) {
        if (!window) return nullptr;
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
            if (b->text().toStdString() == caption && b->isVisible() && b->isEnabled()) return b;
        return nullptr;
    }
    static bool chooseTab(QWidget* window, const std::string& caption) {
        if (!window) return false;
        for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->tabText(i).toStdString() == caption && tabs->isVisible()) {
                    tabs->setCurrentIndex(i);
                    return true;
                }
        return false;
    }
    static bool tick(QWidget* window, const std::string& caption) {
        if (!window) return false;
        for (QCheckBox* box : window->findChildren<QCheckBox*>())
            if (box->text().toStdString() == caption && box->isVisible() && box->isEnabled()) {
                box->setChecked(true);
                return true;
            }
        return false;
    }
    // Ctrl+left click on the window, as the clerk does to capture it.
    void ctrlClick(QWidget* window) const {
        QWidget* target = window ? window : frame_.get();
        if (auto* sub = qobject_cast<QMdiSubWindow*>(target); sub && sub->widget())
            target = sub->widget();
        QTest::mouseClick(target, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
    }
    static QAction* popupChoice(const std::string& caption) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return nullptr;
        for (QAction* a : menu->actions())
            if (a->text().toStdString() == caption) return a;
        return nullptr;
    }
    // Whether Ctrl+left click on the window offers the capture popup (closed again at once).
    bool offersCapture(QWidget* window) {
        ctrlClick(window);
        QApplication::processEvents();
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return false;
        QStringList choices;
        for (QAction* a : menu->actions()) choices << a->text();
        menu->close();
        QApplication::processEvents();
        return choices ==
               QStringList{"&Print Window", "&Save Window", "Place Window in &Clipboard"};
    }

    // Follows the window's path and closes the window it ends in the given way. The steps run
    // from a timer, queued, so a modal window (whose own event loop then runs the timer) never
    // stops the test. Afterwards every window still open is closed. Returns a description of
    // what went wrong, empty when nothing did.
    std::string exercise(const SmokeWindow& w, CloseWay way) {
        const std::vector<std::string> steps = split(w.path, " > ");
        size_t next = 0;
        bool closed = false;    // the window was told to close
        bool finished = false;  // and every window the path opened is closed too
        qint64 closedAt = 0;
        std::string problem;
        QElapsedTimer clock;
        clock.start();
        QTimer driver;
        driver.setInterval(10);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (finished) return;
            if (closed || !problem.empty()) {
                if (problem.empty() && findWindow(w.title)) {
                    if (clock.elapsed() > closedAt + 5000) problem = "still open after closing";
                    return;
                }
                // Unwind what the path opened on the way, the last opened first: a modal
                // window's own event loop holds the test until the window ends.
                const std::vector<QWidget*> modal = modalWindows();
                if (modal.empty() || clock.elapsed() > 60000)
                    finished = true;
                else
                    QMetaObject::invokeMethod(modal.back(), "close", Qt::QueuedConnection);
                return;
            }
            if (clock.elapsed() > 15000) {
                problem = next < steps.size() ? "step \"" + steps[next] + "\" never possible"
                                              : "no window \"" + std::string(w.title) + "\"";
                problem +=
                    "; in front: \"" + (front() ? front()->windowTitle().toStdString() : "") + "\"";
                return;
            }
            if (next < steps.size()) {
                const std::string& step = steps[next];
                QObject* target = nullptr;
                const char* slot = "trigger";
                if (step == "ctrlclick") {
                    ++next;
                    ctrlClick(front());
                    return;
                }
                if (step.rfind("tab:", 0) == 0) {
                    if (chooseTab(front(), step.substr(4))) ++next;
                    return;  // not yet there: try again at the next tick
                }
                if (step.rfind("check:", 0) == 0) {
                    if (tick(front(), step.substr(6))) ++next;
                    return;
                }
                if (step.rfind("toolbar:", 0) == 0) {
                    target = toolbarButton(step.substr(8));
                } else if (step.rfind("button:", 0) == 0) {
                    target = button(front(), step.substr(7));
                    slot = "click";
                    if (!target) return;  // not yet: a progress window may be in front
                } else if (step.rfind("popup:", 0) == 0) {
                    target = popupChoice(step.substr(6));
                    if (!target) return;
                } else {
                    target = menuCommand(step);
                }
                if (!target) {
                    problem = "no " + step;
                    return;
                }
                ++next;
                QMetaObject::invokeMethod(target, slot, Qt::QueuedConnection);
                return;
            }
            QWidget* window = findWindow(w.title);
            if (!window || window != front()) return;
            if (!offersCapture(window)) {
                problem = "Ctrl+click offers no capture popup";
                return;
            }
            if (way == CloseWay::Button) {
                QAbstractButton* b = button(window, w.close);
                if (!b) {
                    problem = "no button \"" + std::string(w.close) + "\"";
                    return;
                }
                QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
            } else {
                QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
            }
            closed = true;
            closedAt = clock.elapsed();
        });
        driver.start();
        while (!finished) settle();
        settle();
        driver.stop();
        if (problem.empty() && findWindow(w.title)) problem = "still open after closing";
        // Close what the path opened on the way (a browse behind its form).
        for (std::vector<QWidget*> modal; !(modal = modalWindows()).empty();) {
            modal.back()->close();
            settle();
        }
        frame_->sessions().closeAll();
        settle();
        if (frame_->sessions().count() != 0) problem += " sessions left open;";
        std::string unexpected;
        for (const RecordedMessage& m : messages_->messages())
            if (!w.tolerated || m.text.find(w.tolerated) == std::string::npos)
                unexpected += "[" + m.caption + "] " + m.text + "\n";
        if (!unexpected.empty()) problem += " messages:\n" + unexpected;
        messages_->clear();
        return problem;
    }

    reconcile::ReconcileCalls savedCalls_;
    ScriptedMessages* messages_ = nullptr;
    std::unique_ptr<Startup> startup_;
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(WindowSmokeTest, EveryWindowOpensFromTheFrameAndClosesBothWaysWithoutAMessage) {
    for (const SmokeWindow& w : kWindows) {
        // The X first: a window's own button may save what it shows (a new statement).
        EXPECT_EQ(exercise(w, CloseWay::TitleBarX), "")
            << w.path << " (closed with the title-bar X)";
        if (w.close) {
            EXPECT_EQ(exercise(w, CloseWay::Button), "")
                << w.path << " (closed with \"" << w.close << "\")";
        }
    }
    // Only the frame is left on the thread registry.
    for (const ProcedureEntry& e : threadRegistrySnapshot())
        EXPECT_EQ(e.PQ_PROCEDURETHREAD, static_cast<uint32_t>(glo_MainThread))
            << e.PQ_PROCEDURENAME;
}

}  // namespace
