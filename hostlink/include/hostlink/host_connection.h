#pragma once
// The suite's SQL tables as the host link opens them: owner strings, the driver picked from the
// server name, and one shared connection per (server, division, user) with library-wide use
// counts per table (the first user opens, the last closer closes).
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "corelib/standard_warnings.h"

namespace hostlink {

// The connection values of one owner string.
struct Owner {
    std::string server;
    std::string division;  // two digits
    std::string user;
    std::string password;
    // "server,tvwNN;UID=user;PWD=password"; holds the password, so never show or log it.
    std::string text() const;
    std::string database() const { return "tvw" + division; }
};

// Builds the owner from the template "#,tvw#;UID=#;PWD=#", reading SERVERNAME, DIVISION,
// USERNAME and USERPW through the caller's named-field query.
Owner FixOwner(const std::function<std::string(std::string_view)>& query);

enum class HostDriver { Sqlite, Postgres, Odbc };

// What a server name opens: "sqlite:<folder>" the file <folder>/tvwNN.db; "postgresql://host
// [:port]" database tvwNN on PostgreSQL; anything else a SQL Server instance through ODBC.
struct ConnectionTarget {
    HostDriver driver = HostDriver::Sqlite;
    QString sqliteFile;  // Sqlite
    QString host;        // Postgres, Odbc
    int port = 0;        // 0: the driver's default
};
ConnectionTarget connectionTarget(const Owner& owner);

// The ODBC connection string for a SQL Server owner (values braced where ODBC needs it).
QString odbcConnectionString(const Owner& owner, const QString& driverName);
// `value` as an ODBC attribute value: braced, with "}" doubled, when it holds ';', '{', '}' or
// blanks at either end.
QString odbcValue(const QString& value);

// The text of a driver error, with the password blotted out.
std::string scrubbedError(const std::string& text, const std::string& password);

// One suite table as one operation uses it. open() takes a use of the table (and of its
// connection); close() gives it back. A failing open shows standard warning 30 naming the table
// and leaves the table closed. Not copyable; closes itself when destroyed.
class HostTable {
  public:
    explicit HostTable(std::string name);  // "FIATransaction"
    ~HostTable();
    HostTable(const HostTable&) = delete;
    HostTable& operator=(const HostTable&) = delete;

    [[nodiscard]] bool open(const Owner& owner);
    void close();
    bool isOpen() const { return open_; }

    const std::string& name() const { return name_; }
    // The name the warnings show: "dbo.FIATransaction".
    std::string displayName() const { return "dbo." + name_; }
    QSqlDatabase database() const;
    HostDriver driver() const { return driver_; }
    // The table as SQL names it (schema-qualified and quoted where the database has schemas).
    QString sql() const;
    // A column name quoted for the table's database.
    QString column(const char* name) const;
    // The error text of the last failure on this table's connection, password removed.
    std::string errorText(const class QSqlError& error) const;

  private:
    std::string name_;
    std::string key_;
    std::string password_;
    HostDriver driver_ = HostDriver::Sqlite;
    bool open_ = false;
};

// The standard error text of a SQL error (error 90 with the driver's code and message).
corelib::WarningError sqlWarningError(const class QSqlError& error, const std::string& password);

// Driver name of SQL Server connections (set by HOSTLINK_SetOdbcDriver).
QString odbcDriverName();

// Rows read per page query: "LIMIT n" / "TOP n" depending on the driver.
QString limitPrefix(HostDriver driver, int rows);
QString limitSuffix(HostDriver driver, int rows);

}  // namespace hostlink
