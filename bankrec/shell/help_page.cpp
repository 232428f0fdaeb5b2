#include "bankrec/shell/help_page.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace shell {

std::string helpPageHtml() {
    return R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Bank Reconciliation Help</title>
<style>body{font-family:sans-serif;max-width:46em;margin:2em auto;line-height:1.45}
h1{font-size:1.5em}h2{font-size:1.15em;margin-top:1.6em}</style></head><body>
<h1>Bank Reconciliation</h1>
<p>Bank Reconciliation keeps, for each bank account of a division, the register of checks,
deposits and adjustments loaded from the accounting suite, and reconciles it against the
bank's statements.</p>
<h2>Starting the program</h2>
<p>The suite starts the program with the division and the data folder:
<code>bankrec Division=3 DataPath=/srv/tallyvane/data Server=... UserID=... Password=...</code>.
Division and DataPath are required. With <code>Store=postgresql://HOST[:PORT]/DATABASE</code>
the record files are kept on that PostgreSQL server (UserID and Password, or the user's libpq
service and password files, sign in), so clerks on several machines can work on one division;
the program remembers the store until it is started with <code>Store=</code>.</p>
<h2>Financial Institution Accounts</h2>
<p>Setup, Financial Institution Accounts (toolbar: FIA) lists the bank accounts loaded from the
suite. Open one to choose its default cash account and how service charges and interest are
posted to the general ledger.</p>
<h2>Transaction Register</h2>
<p>Edit, Transaction Register (toolbar: Register) shows every check, deposit and adjustment of
one bank account, with its reconciliation state. Refresh loads new transactions from the
suite.</p>
<h2>Reconciling a statement</h2>
<p>Edit, Reconcile (toolbar: Reconcile) lists the statements of a bank account. New opens the
worksheet: enter the statement's date, closing balance, service charge and interest, then mark
the checks and deposits that cleared, by hand, by a range of check numbers or by importing the
bank's list of cleared checks. When the difference is zero, Done completes the
reconciliation and reports the cleared items back to the suite.</p>
<h2>Windows</h2>
<p>The Window menu tiles or cascades the open windows. Each window remembers its place.</p>
</body></html>
)";
}

std::string writeHelpPage() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                        QStringLiteral("/bankrec");
    if (!QDir().mkpath(dir)) return {};
    const QString path = dir + QStringLiteral("/Bank Reconciliation Help.html");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    const std::string html = helpPageHtml();
    if (f.write(html.data(), static_cast<qint64>(html.size())) != static_cast<qint64>(html.size()))
        return {};
    return path.toStdString();
}

}  // namespace shell
