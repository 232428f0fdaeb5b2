// tvhost: the stand-in suite's admin command. Creates a division's suite database and files,
// optionally with demonstration data, and shows what they hold.
#include <QCoreApplication>
#include <QTextStream>

#include "tvhost/admin_command.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tvhost::runAdminCommand(app.arguments().mid(1), out, err);
}
