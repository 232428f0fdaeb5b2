#pragma once
// The engines the storage tests run against: SQLite files in a sandbox folder, and a fresh
// database on the PostgreSQL test server (BANKREC_TEST_PG_SERVER, _USER, _PASSWORD) that is
// dropped after the test. Without the server's settings the PostgreSQL runs are skipped.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "bankrec/storage/storage.h"

namespace storage {

enum class Backend { Sqlite, Postgres };

inline std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

#define BANKREC_ENGINES ::testing::Values(Backend::Sqlite, Backend::Postgres), backendName

inline std::string envOr(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// A libpq connection to a database of the test server; null when it cannot connect.
inline PGconn* connectTestServer(const std::string& database) {
    const std::string server = envOr("BANKREC_TEST_PG_SERVER") + "/" + database;
    const std::string user = envOr("BANKREC_TEST_PG_USER");
    const std::string password = envOr("BANKREC_TEST_PG_PASSWORD");
    const char* keys[] = {"dbname", "user", "password", "connect_timeout", nullptr};
    const char* values[] = {server.c_str(), user.c_str(), password.c_str(), "10", nullptr};
    PGconn* c = PQconnectdbParams(keys, values, 1);
    if (PQstatus(c) == CONNECTION_OK) return c;
    ADD_FAILURE() << PQerrorMessage(c);
    PQfinish(c);
    return nullptr;
}

// Runs SQL on a database of the test server; true when it succeeded.
inline bool serverExec(const std::string& database, const std::string& sql) {
    PGconn* c = connectTestServer(database);
    if (!c) return false;
    PGresult* r = PQexec(c, sql.c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    if (!ok) ADD_FAILURE() << sql << ": " << PQresultErrorMessage(r);
    PQclear(r);
    PQfinish(c);
    return ok;
}

// One integer from a query run straight on a database file (-1 on failure).
inline int64_t rawInt(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    int64_t v = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            v = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return v;
}

// Where one test keeps its record files.
class TestStore {
  public:
    ~TestStore() {
        if (!database_.empty())
            serverExec("postgres", "DROP DATABASE IF EXISTS \"" + database_ + "\" WITH (FORCE)");
    }

    // Names the storage's files for division 3 on `backend`. false with `skip` set when the
    // backend cannot be tested here (no test server configured).
    bool configure(Storage& storage, Backend backend, const std::string& folder,
                   std::string& skip) {
        backend_ = backend;
        if (backend == Backend::Sqlite) {
            storage.nameFiles(folder, 3);
            storage.setFileName(FileId::APbnu, folder + "/APbnu");
            return true;
        }
        if (envOr("BANKREC_TEST_PG_SERVER").empty()) {
            skip = "BANKREC_TEST_PG_SERVER is not set: no PostgreSQL test server to run against";
            return false;
        }
        static std::atomic<int> serial{0};
        database_ = "bankrec_test_" + std::to_string(::getpid()) + "_" + std::to_string(++serial);
        if (!serverExec("postgres", "CREATE DATABASE \"" + database_ + "\"")) {
            database_.clear();
            skip = "the test database could not be created";
            return false;
        }
        storage.useServer(envOr("BANKREC_TEST_PG_SERVER") + "/" + database_,
                          envOr("BANKREC_TEST_PG_USER"), envOr("BANKREC_TEST_PG_PASSWORD"));
        storage.nameFiles("", 3);
        return true;
    }

    Backend backend() const { return backend_; }
    const std::string& database() const { return database_; }

    // One integer from a query on the stored files (-1 on failure). Write identifiers quoted,
    // tables unqualified: the query sees division 3's files and the shared ones.
    int64_t storedInt(const Storage& storage, FileId file, const std::string& sql) const {
        int64_t v = -1;
        if (backend_ == Backend::Sqlite) return rawInt(storage.filePath(file), sql);
        PGconn* c = connectTestServer(database_);
        if (!c) return v;
        PGresult* r = PQexec(c, ("SET search_path = div03, shared; " + sql).c_str());
        if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1)
            v = std::strtoll(PQgetvalue(r, 0, 0), nullptr, 10);
        else
            ADD_FAILURE() << sql << ": " << PQresultErrorMessage(r);
        PQclear(r);
        PQfinish(c);
        return v;
    }

  private:
    Backend backend_ = Backend::Sqlite;
    std::string database_;
};

}  // namespace storage
