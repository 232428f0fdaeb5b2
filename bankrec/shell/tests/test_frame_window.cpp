// The frame on a fresh data folder: title, menus, toolbar, status bar, and the sessions its
// commands start (one per procedure; a second command brings the first window forward).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include "bankrec/shell/frame_presenter.h"
#include "bankrec/shell/session.h"
#include "bankrec/shell/ui/session_manager.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/thread_registry.h"
#include "frame_fixture.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace {

using MainFrameTest = FrameFixture;

TEST_F(MainFrameTest, ShowsTitleMenusToolbarAndClock) {
    MainFrame& f = openFrame();
    EXPECT_EQ(f.windowTitle().toStdString(), "Div03 Bank Reconciliation [" + dataDir() + "]");

    EXPECT_EQ(texts(f.menuBar()->actions()),
              (QStringList{"&File", "&Edit", "&Setup", "&Window", "&Help"}));
    const auto menu = [&](const char* name) { return texts(f.findChild<QMenu*>(name)->actions()); };
    EXPECT_EQ(menu("FileMenu"), (QStringList{"P&rint Setup...", "&Capture", "E&xit"}));
    EXPECT_EQ(menu("EditMenu"),
              (QStringList{"&Transaction Register", "&Reconcile", "Cu&t", "&Copy", "&Paste"}));
    EXPECT_EQ(menu("SetupMenu"), (QStringList{"&Financial Institution Accounts"}));
    EXPECT_EQ(menu("WindowMenu"), (QStringList{"T&ile", "&Cascade", "&Arrange Icons"}));
    EXPECT_EQ(menu("HelpMenu"), (QStringList{"&Contents", "&About Bank Reconciliation"}));
    EXPECT_EQ(texts(f.findChild<QToolBar*>("Toolbar")->actions()),
              (QStringList{"Exit", "Register", "Reconcile", "FIA"}));

    const QString date = f.findChild<QLabel*>("StatusSection3")->text();
    EXPECT_EQ(date.toStdString(), frame::statusDate(daytime::today()));
    EXPECT_FALSE(f.findChild<QLabel*>("StatusSection4")->text().isEmpty());

    // The frame holds its files open; a fresh folder gets them created.
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dataDir() + "/03APbnk.db")));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dataDir() + "/03SYcfg.db")));
    EXPECT_EQ(fileUseCount(startup_->storage(), FileId::APbnk), 1);
    EXPECT_EQ(f.configuration().get("ChkAmountEnd"), "20");
    EXPECT_EQ(messages_->count(), 0u);
}

TEST_F(MainFrameTest, SecondRegisterCommandActivatesTheFirstWindow) {
    openFrame();
    act("EditTransactionRegister")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(windows().size(), 1);
    QMdiSubWindow* reg = windows()[0];
    EXPECT_EQ(reg->windowTitle(), "Browse Transaction Register");
    EXPECT_TRUE(reg->findChild<QLabel*>()->text() ==
                "Browse Transaction Register is not available yet.");

    act("SetupFinancialInstitutionAccounts")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(windows().size(), 2);
    EXPECT_NE(frame_->mdiArea()->activeSubWindow(), reg);

    act("EditTransactionRegister")->trigger();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(windows().size(), 2);
    EXPECT_EQ(frame_->mdiArea()->activeSubWindow(), reg);

    // The toolbar's Register goes the same way: still no second copy.
    act("ToolRegister")->trigger();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(windows().size(), 2);
    EXPECT_EQ(frame_->sessions().count(), 2);
}

TEST_F(MainFrameTest, RegisteredProcedureGetsASessionOfItsOwnThatEndsWithItsWindow) {
    int calls = 0;
    int32_t thread = 0;
    table_.add("BrowseAPbnk", [&](shell::Session& s) -> QWidget* {
        ++calls;
        thread = s.thread();
        EXPECT_EQ(currentThread(), s.thread());
        EXPECT_EQ(s.procedure(), "BrowseAPbnk");
        EXPECT_NE(s.configuration(), nullptr);
        EXPECT_EQ(openFile(s.storage(), FileId::APbnk), Error::None);
        auto* w = new QWidget;
        w->setWindowTitle("Banks");
        QObject::connect(w, &QObject::destroyed, [&s] { closeFile(s.storage(), FileId::APbnk); });
        return w;
    });
    openFrame();
    act("ToolFIA")->trigger();  // posts the menu command
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_EQ(calls, 1);
    EXPECT_NE(thread, glo_MainThread);
    ASSERT_EQ(windows().size(), 1);
    EXPECT_EQ(threadOf(windows()[0]), thread);
    EXPECT_EQ(fileUseCount(startup_->storage(), FileId::APbnk), 2);

    windows()[0]->close();
    QApplication::processEvents();
    QTest::qWait(10);
    EXPECT_EQ(frame_->sessions().count(), 0);
    EXPECT_EQ(fileUseCount(startup_->storage(), FileId::APbnk), 1);
    for (const ProcedureEntry& e : threadRegistrySnapshot())
        EXPECT_NE(e.PQ_PROCEDURETHREAD, static_cast<uint32_t>(thread));

    act("SetupFinancialInstitutionAccounts")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(calls, 2);  // a closed browse starts afresh
}

TEST_F(MainFrameTest, LoadFiaThreadStartsOnceWhenRegisteredAndIsSkippedOtherwise) {
    int loads = 0;
    table_.add("LoadFIAThread", [&](shell::Session&) -> QWidget* {
        ++loads;
        return nullptr;
    });
    openFrame();
    QApplication::processEvents();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(frame_->sessions().count(), 0);

    table_ = ProcedureTable();
    frame_.reset();
    openFrame();
    QApplication::processEvents();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(messages_->count(), 0u);
}

TEST_F(MainFrameTest, ClosingTheFrameClosesItsWindowsFilesAndSavesItsPlace) {
    MainFrame& f = openFrame();
    act("HelpAbout")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(windows().size(), 1);
    EXPECT_EQ(windows()[0]->windowTitle(), "About Application");
    EXPECT_TRUE(f.close());
    EXPECT_EQ(fileUseCount(startup_->storage(), FileId::APbnk), 0);
    EXPECT_EQ(fileUseCount(startup_->storage(), FileId::SYcfg), 0);
    EXPECT_EQ(startup_->settings().getValue("WdwMaximize", "<none>", "Main"), "No");
    EXPECT_NE(startup_->settings().getValue("WdwWidth", "<none>", "Main"), "<none>");
    EXPECT_EQ(startup_->settings().getValue("WdwMaximize", "<none>", "BrowseAboutBRWindow"), "No");
}

TEST_F(MainFrameTest, DialogWindowStandsAloneAndGoesBeforeItsSessionWhenTheFrameEnds) {
    bool sessionAlive = false;
    table_.add("BrowseAboutBRWindow", [&](shell::Session& s) -> QWidget* {
        auto* d = new QDialog;
        d->setWindowTitle("About Application");
        // The window uses its session to the end of its life.
        QObject::connect(d, &QObject::destroyed, [&s, &sessionAlive] {
            sessionAlive = s.procedure() == "BrowseAboutBRWindow";
        });
        return d;
    });
    openFrame();
    act("HelpAbout")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(windows().isEmpty());
    ASSERT_EQ(frame_->sessions().count(), 1);
    EXPECT_TRUE(frame_->sessions().sessionOf("browseaboutbrwindow")->window()->isVisible());
    frame_.reset();
    EXPECT_TRUE(sessionAlive);
}

TEST_F(MainFrameTest, DiagnosticKeyShowsTheFramesProcedureInformation) {
    MainFrame& f = openFrame();
    std::vector<std::string> shown;
    f.setShowProcedure([&](const std::string& component, const std::string& description,
                           const std::string& version, const std::string& source,
                           const std::string& procedure, int32_t date) {
        shown = {component, description, version, source, procedure};
        EXPECT_GT(date, 0);
    });
    f.activateWindow();
    QTest::keyClick(&f, Qt::Key_Question, Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[1], "Integrated Bank Reconciliation");
    EXPECT_EQ(shown[2], "7.17 build 0003");
    EXPECT_EQ(shown[4], "Main");
}

TEST_F(MainFrameTest, FrameIsTheStartupThreadsRootWhileItRuns) {
    GlobalRequest = 3;
    GlobalResponse = 1;
    MainFrame& f = openFrame();
    EXPECT_EQ(GlobalRequest, 0);
    EXPECT_EQ(GlobalResponse, 0);
    EXPECT_EQ(THREAD_CHECK("Main"), 1);
    f.close();
    EXPECT_EQ(THREAD_CHECK("Main"), 0);
}

}  // namespace
