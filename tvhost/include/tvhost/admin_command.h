#pragma once
// The admin command's sub-commands, callable without a process of their own:
//   init --server S --division N [--data DIR] [--demo] [--user U --password P]
//   show transactions|accounts|register|ledger|payroll|chart|journals|runs
//        --server S --division N [--data DIR] [--user U --password P]
//   bulk --server S --division N --accounts A --transactions T [--first-fiaid F]
//        adds A accounts from FIAID F (1000) on, each with T open payables checks
// Returns the process exit code: 0 success, 1 failure, 2 usage error.
#include <QStringList>
#include <QTextStream>

namespace tvhost {

int runAdminCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace tvhost
