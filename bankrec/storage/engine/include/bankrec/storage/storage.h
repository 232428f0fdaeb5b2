#pragma once
// Where the record files lie on disk and how long a locked file is waited for. One Storage per
// program (the shell builds it from the start-up parameters) is passed to every FileSession; it
// holds no connection itself.
#include <array>
#include <string>
#include <string_view>

#include "bankrec/storage/records.h"

namespace storage {

// Whether `address` reads postgresql://HOST[:PORT]/DATABASE (or postgres://, without regard to
// case): a database named, and no user, password or options in it (those come from UserID and
// Password or libpq's own files, so an address can be shown without giving a secret away).
bool isServerAddress(std::string_view address);

class Storage {
  public:
    Storage();

    // Names every keyed file "<dataPath>/<dd><File>" (dd = division as two digits, e.g.
    // "/data/03APbnk"), and APbnu "APbnu" without path, found in the current directory (the
    // data path once start-up has made it current). Divisions sharing a data folder would share
    // that file while their bank identifiers are their own, so it belongs to the first division
    // that uses it (a mark in the file, set when the division opens it); when it belongs to
    // another division, this division's is "<dd>APbnu" beside it.
    void nameFiles(const std::string& dataPath, int division);
    // The division the files were named for; -1 before nameFiles.
    int division() const { return division_; }
    // Overrides one file's name (without the ".db" extension).
    void setFileName(FileId file, std::string name);
    // The name as the program shows it ("/data/03APbnk").
    const std::string& fileName(FileId file) const { return names_[static_cast<int>(file)]; }
    // The database file on disk: the name plus ".db".
    std::string filePath(FileId file) const { return fileName(file) + ".db"; }

    // Keeps the files on a PostgreSQL server instead ("postgresql://HOST[:PORT]/DATABASE"), each
    // division in a schema "divNN" and APbnu in the schema "shared"; call before nameFiles.
    // The user and password may be empty (libpq's service and password files then apply); the
    // password is kept for connecting only, never shown. An empty server means SQLite files.
    void useServer(std::string server, std::string user, std::string password);
    const std::string& server() const { return server_; }
    const std::string& user() const { return user_; }
    const std::string& password() const { return password_; }

    // How long an operation waits for a file another connection holds before it gives error 32
    // ("Recover=10" sets 10 seconds). Default 2 seconds. Sessions take it when they are created.
    void setRecoverSeconds(int seconds) { recoverMs_ = seconds < 0 ? 0 : seconds * 1000; }
    void setRecoverMilliseconds(int ms) { recoverMs_ = ms < 0 ? 0 : ms; }
    int recoverMilliseconds() const { return recoverMs_; }

    // The least time any wait for a file another connection holds lasts, opening a file or
    // beginning a transaction alike (default 0: each wait as long as the procedure asks). A
    // scheduled run that would rather wait for another station than fail sets it longer.
    // Sessions take it when they are created.
    void setLeastWaitSeconds(int seconds) { leastWaitMs_ = seconds < 0 ? 0 : seconds * 1000; }
    int leastWaitMilliseconds() const { return leastWaitMs_; }

  private:
    std::array<std::string, kFileCount> names_;
    int division_ = -1;
    std::string server_, user_, password_;
    int recoverMs_ = 2000;
    int leastWaitMs_ = 0;
};

}  // namespace storage
