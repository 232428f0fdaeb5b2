#include "bankrec/shell/ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "bankrec/shell/build_stamp.h"
#include "bankrec/shell/frame_presenter.h"
#include "bankrec/shell/help_page.h"
#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/startup.h"
#include "bankrec/shell/ui/capture_wiring.h"
#include "bankrec/shell/ui/session_manager.h"
#include "bankrec/shell/ui/window_place.h"
#include "capturelib/capturelib.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/zor_showprocedure.h"

using namespace corelib;
using namespace storage;

namespace shell {

namespace {
constexpr const char* kSourceModule = "main_frame.cpp";
}  // namespace

MainFrame::MainFrame(Startup& startup, const ProcedureTable& table, QWidget* parent)
    : QMainWindow(parent),
      startup_(startup),
      table_(table),
      presenter_(startup.storage()),
      showProcedure_(&ZOR_SHOWPROCEDURE) {
    setObjectName("Main");
    setWindowTitle(frame::kTitle);
    area_ = new QMdiArea(this);
    area_->setObjectName("MdiArea");
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);
    sessions_ =
        std::make_unique<SessionManager>(area_, table_, startup_.params(), startup_.storage());
    sessions_->setConfiguration(&presenter_.configuration());
    capture_ = new CaptureWiring(this);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    resize(1024, 720);

    for (QKeySequence keys : {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Slash),
                              QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Question)}) {
        auto* diag = new QShortcut(keys, this);
        connect(diag, &QShortcut::activated, this, [this] {
            if (showProcedure_)
                showProcedure_(kProgramShortName, kProductTitle, kProductVersion, kSourceModule,
                               frame::kProcedure, buildDate());
        });
    }
}

MainFrame::~MainFrame() {
    // Session windows go before the sessions they work on.
    if (area_) {
        for (QMdiSubWindow* sub : area_->subWindowList()) delete sub;
    }
    sessions_.reset();
    presenter_.closeFiles();
}

QAction* MainFrame::action(const QString& objectName, const QString& text) {
    auto* a = new QAction(text, this);
    a->setObjectName(objectName);
    return a;
}

void MainFrame::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("FileMenu");
    QAction* printSetup = action("FilePrintSetup", "P&rint Setup...");
    connect(printSetup, &QAction::triggered, this, [this] {
        QPrinter printer;
        QPrintDialog dialog(&printer, this);
        dialog.exec();
    });
    file->addAction(printSetup);
    file->addMenu(capture_->menu(this));
    file->addSeparator();
    QAction* exit = action("FileExit", "E&xit");
    connect(exit, &QAction::triggered, this, &QWidget::close);
    file->addAction(exit);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("EditMenu");
    registerAction_ = action("EditTransactionRegister", "&Transaction Register");
    connect(registerAction_, &QAction::triggered, this, &MainFrame::startRegister);
    edit->addAction(registerAction_);
    reconcileAction_ = action("EditReconcile", "&Reconcile");
    connect(reconcileAction_, &QAction::triggered, this, &MainFrame::startReconcile);
    edit->addAction(reconcileAction_);
    edit->addSeparator();
    // The clipboard commands act on the focused editor of whichever window is active.
    struct Clip {
        const char* name;
        const char* text;
        const char* slot;
        QKeySequence::StandardKey key;
    };
    for (const Clip& c : {Clip{"EditCut", "Cu&t", "cut", QKeySequence::Cut},
                          Clip{"EditCopy", "&Copy", "copy", QKeySequence::Copy},
                          Clip{"EditPaste", "&Paste", "paste", QKeySequence::Paste}}) {
        QAction* a = action(c.name, c.text);
        a->setShortcut(c.key);
        a->setShortcutContext(Qt::ApplicationShortcut);
        const QByteArray slot = c.slot;
        connect(a, &QAction::triggered, this, [slot] {
            if (QWidget* focus = QApplication::focusWidget())
                QMetaObject::invokeMethod(focus, slot.constData());
        });
        edit->addAction(a);
    }

    QMenu* setup = menuBar()->addMenu("&Setup");
    setup->setObjectName("SetupMenu");
    fiaAction_ = action("SetupFinancialInstitutionAccounts", "&Financial Institution Accounts");
    connect(fiaAction_, &QAction::triggered, this, &MainFrame::startFinancialInstitutions);
    setup->addAction(fiaAction_);

    QMenu* window = menuBar()->addMenu("&Window");
    window->setObjectName("WindowMenu");
    QAction* tile = action("WindowTile", "T&ile");
    connect(tile, &QAction::triggered, area_, &QMdiArea::tileSubWindows);
    window->addAction(tile);
    QAction* cascade = action("WindowCascade", "&Cascade");
    connect(cascade, &QAction::triggered, area_, &QMdiArea::cascadeSubWindows);
    window->addAction(cascade);
    QAction* arrange = action("WindowArrangeIcons", "&Arrange Icons");
    connect(arrange, &QAction::triggered, this, [this] {
        // Lines the minimized sub-windows up along the bottom of the area.
        int x = 0;
        for (QMdiSubWindow* sub : area_->subWindowList()) {
            if (!sub->isMinimized()) continue;
            sub->move(x, area_->viewport()->height() - sub->height());
            x += sub->width();
        }
    });
    window->addAction(arrange);

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("HelpMenu");
    QAction* contents = action("HelpContents", "&Contents");
    connect(contents, &QAction::triggered, this, &MainFrame::showHelp);
    help->addAction(contents);
    QAction* about = action("HelpAbout", "&About Bank Reconciliation");
    connect(about, &QAction::triggered, this, &MainFrame::startAbout);
    help->addAction(about);
}

void MainFrame::buildToolBar() {
    QToolBar* bar = addToolBar("Toolbar");
    bar->setObjectName("Toolbar");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* exit = action("ToolExit", "Exit");
    exit->setToolTip("Exit the program");
    connect(exit, &QAction::triggered, this,
            [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); });
    bar->addAction(exit);
    QAction* reg = action("ToolRegister", "Register");
    reg->setToolTip("Browse the transaction register");
    connect(reg, &QAction::triggered, this, [this] {
        sessions_->start("BrowseAPbac");
        QMetaObject::invokeMethod(registerAction_, &QAction::trigger, Qt::QueuedConnection);
    });
    bar->addAction(reg);
    QAction* rec = action("ToolReconcile", "Reconcile");
    rec->setToolTip("Browse the reconciliations");
    connect(rec, &QAction::triggered, this, [this] {
        QMetaObject::invokeMethod(reconcileAction_, &QAction::trigger, Qt::QueuedConnection);
    });
    bar->addAction(rec);
    QAction* fia = action("ToolFIA", "FIA");
    fia->setToolTip("Browse the financial institution accounts");
    connect(fia, &QAction::triggered, this, [this] {
        QMetaObject::invokeMethod(fiaAction_, &QAction::trigger, Qt::QueuedConnection);
    });
    bar->addAction(fia);
}

void MainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar");
    for (int i = 0; i < 4; ++i) {
        status_[i] = new QLabel(this);
        status_[i]->setObjectName(QString("StatusSection%1").arg(i + 1));
        status_[i]->setContentsMargins(4, 0, 4, 0);
        if (i == 0)
            bar->addWidget(status_[i], 1);
        else
            bar->addPermanentWidget(status_[i]);
    }
    status_[2]->setMinimumWidth(200);
    status_[3]->setMinimumWidth(70);
    status_[3]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    clock_ = new QTimer(this);
    connect(clock_, &QTimer::timeout, this, &MainFrame::refreshClock);
}

bool MainFrame::open() {
    if (opened_) return true;
    GlobalRequest = 0;
    GlobalResponse = 0;
    THREAD_LOG(frame::kProcedure);
    opened_ = true;

    FrameHooks hooks;
    hooks.waitCursor = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    if (!presenter_.openFiles(hooks)) return false;

    WindowPlace::restore(this, frame::kProcedure);
    setWindowTitle(QString::fromStdString(frame::title(
        startup_.params().divisionText(), frame::kTitle, startup_.dataPathArgument())));

    clock_->start(frame::timerPeriod(0) * 10);
    refreshClock();

    if (table_.contains("LoadFIAThread"))
        QTimer::singleShot(0, this, [this] { sessions_->start("LoadFIAThread"); });
    CAP_INIT(this, area_, QCoreApplication::instance());
    return true;
}

void MainFrame::refreshClock() {
    status_[2]->setText(QString::fromStdString(frame::statusDate(daytime::today())));
    status_[3]->setText(QString::fromStdString(frame::statusTime(daytime::now())));
}

void MainFrame::startRegister() {
    sessions_->start("BrowseAPbac");
}
void MainFrame::startReconcile() {
    sessions_->start("BrowseAPrec");
}
void MainFrame::startFinancialInstitutions() {
    sessions_->start("BrowseAPbnk");
}
void MainFrame::startAbout() {
    sessions_->start("BrowseAboutBRWindow");
}

void MainFrame::showHelp() {
    // A configured help command runs as a program with its arguments, never through a shell.
    const std::string command = startup_.settings().getValue("HelpCommand");
    const QStringList parts = QProcess::splitCommand(QString::fromStdString(command));
    if (!parts.isEmpty()) {
        if (QProcess::startDetached(parts.first(), parts.mid(1))) return;
    }
    const std::string page = writeHelpPage();
    if (!page.empty()) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)));
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (!sessions_->closeAll()) {
        event->ignore();
        return;
    }
    presenter_.closeFiles();
    clock_->stop();
    WindowPlace::save(this, frame::kProcedure);
    if (opened_) {
        THREAD_RETURN(frame::kProcedure);
        opened_ = false;
    }
    event->accept();
}

}  // namespace shell
