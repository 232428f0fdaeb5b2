// bankrec: the bank reconciliation program.
//   bankrec Division=N DataPath=DIR [Server=..] [UserID=..] [Password=..] [TVUser=..] [/Debug]
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "bankrec/imports/ui/import_windows_qt.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/reports/ui/report_aprec_window.h"
#include "bankrec/shell/display.h"
#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/startup.h"
#include "bankrec/shell/ui/main_frame.h"
#include "corelib/message.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/message_window.h"
#include "corelib/ui/preview_window.h"
#include "corelib/ui/progress_window.h"
#include "corelib/ui/thread_event_filter.h"

using namespace corelib;
using namespace shell;

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    Startup startup(argv[0], args);

    if (!hasDisplay()) {
        // Without a display every message goes to standard error; the exit codes are the same.
        const int rc = startup.run(nullptr);
        if (rc != 0) return rc;
        std::fprintf(stderr,
                     "bankrec: no display to open the frame on (set DISPLAY, WAYLAND_DISPLAY "
                     "or QT_QPA_PLATFORM=offscreen)\n");
        startup.finish();
        return 1;
    }

    QApplication app(argc, argv);
    app.setApplicationName(kApplicationName);
    app.setQuitOnLastWindowClosed(false);
    const int rc = startup.run(std::make_unique<MessageWindowBackend>());
    if (rc != 0) return rc;

    installThreadEventFilter();
    useProgressWindows();
    usePreviewWindows();
    // The reconciliation windows print through the report windows.
    reports::useStatementReports(reconcile::reconcileCalls());
    // The worksheet's "&Import" opens the import wizard.
    imports::useImportWizard(reconcile::reconcileCalls());
    int exitCode = 0;
    {
        MainFrame frame(startup, procedureTable());
        if (!frame.open()) {
            exitCode = 1;
        } else {
            app.setQuitOnLastWindowClosed(true);
            frame.show();
            exitCode = app.exec();
        }
    }
    startup.finish();
    return exitCode;
}
