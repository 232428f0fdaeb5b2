#pragma once
// The demonstration organisation of the stand-in suite: two banks with three institution
// accounts (the operating account with two cash accounts; the payroll account whose first
// module usage is payroll), payables, payroll, cash-receipts and journal transactions, open
// and a few reconciled, and the matching chart of accounts (with an inactive and a
// budget-only account), journals (one budget journal, one not posted through entries),
// payables register and payroll records.
#include <QSqlDatabase>
#include <QString>

#include "tvsuite/suite_admin.h"

namespace tvhost {

// Fills the division's empty SQL tables, in one transaction. Empty text on success.
QString loadDemoTables(QSqlDatabase& db);
// Fills the division's part of the suite's files (inside the caller's transaction).
QString loadDemoFiles(tvsuite::SuiteAdmin& files, int division);

}  // namespace tvhost
