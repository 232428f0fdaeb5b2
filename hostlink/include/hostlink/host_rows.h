#pragma once
// Row values of the suite's tables as the host link reads and writes them, the private
// module-usage table BNK, and the continue question of the posting.
#include <QSqlQuery>
#include <QVariant>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "corelib/decimal.h"
#include "corelib/globals.h"
#include "corelib/standard_warnings.h"
#include "corelib/thread_registry.h"
#include "hostlink/host_connection.h"

namespace hostlink {

// The day number of the date part of a SQL datetime (a QDateTime, a QDate or ISO text);
// 0 for NULL or an unreadable value.
int32_t dayOfDateTime(const QVariant& value);
// A SQL datetime value for "now" in the form the table's driver stores.
QVariant nowForDriver(HostDriver driver);
// A numeric column read with QSql::HighPrecision (text), rounded to cents half away from zero;
// 0 for NULL or unreadable text.
corelib::Decimal moneyOf(const QVariant& value);
// A text column without trailing blanks (NULL gives "").
std::string textOf(const QVariant& value);
// A whole-number column (NULL gives 0).
int32_t longOf(const QVariant& value);

// One module usage: which payables or payroll bank code uses an institution account.
struct BNKEntry {
    int32_t FIID = 0;
    int32_t FIAID = 0;
    int32_t SOURCEMODULEID = 0;
    std::string BANK;  // the module usage ID, at most 10 bytes
};

// Reads every row of dbo.FIAModuleUsage in primary-key order. On a SQL failure shows standard
// warning 35 naming the table and returns false.
[[nodiscard]] bool loadBNK(HostTable& usage, std::vector<BNKEntry>& out);

// Beeps and asks `question` with Yes and No, the information icon and glo_ApplicationName as
// caption. Returns true for Yes.
bool askContinue(const std::string& question);

// Prepares `sql` on the table's connection; on failure shows warning 35 naming the table.
[[nodiscard]] bool prepareOn(HostTable& table, QSqlQuery& query, const QString& sql);
// Shows warning 35 naming the table, with the query's error.
void showReadError(const HostTable& table, const QSqlQuery& query);

// Runs one exported operation as every one runs: the requests cleared, entry and exit logged
// under `name`, the run's answer left in GlobalResponse (2 when the run gives none).
template <class Run, class Link>
void runOperation(const char* name, Link& link) {
    corelib::GlobalRequest = 0;
    corelib::GlobalResponse = 0;
    corelib::THREAD_LOG(name);
    int32_t response = corelib::RequestCancelled;
    {
        Run run(link);
        if constexpr (std::is_void_v<decltype(run.execute())>)
            run.execute();
        else
            response = run.execute();
    }
    corelib::GlobalResponse = response;
    corelib::THREAD_RETURN(name);
}

}  // namespace hostlink
