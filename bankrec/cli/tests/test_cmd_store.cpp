// bankrec-cli store copy, run as the real program: a division's files into a fresh database of
// the PostgreSQL test server and back into another folder (BANKREC_TEST_PG_SERVER, _USER and
// _PASSWORD; skipped without them).
#include <gtest/gtest.h>
#include <postgresql/libpq-fe.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/message_script.h"
#include "testsupport/sandbox.h"

using namespace corelib;
using namespace storage;

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool adminExec(const std::string& sql) {
    const std::string url = env("BANKREC_TEST_PG_SERVER") + "/postgres";
    const std::string user = env("BANKREC_TEST_PG_USER"), pw = env("BANKREC_TEST_PG_PASSWORD");
    const char* keys[] = {"dbname", "user", "password", nullptr};
    const char* values[] = {url.c_str(), user.c_str(), pw.c_str(), nullptr};
    PGconn* c = PQconnectdbParams(keys, values, 1);
    bool ok = PQstatus(c) == CONNECTION_OK;
    if (ok) {
        PGresult* r = PQexec(c, sql.c_str());
        ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
    }
    PQfinish(c);
    return ok;
}

struct CliRun {
    int exitCode = -1;
    std::string out, err;
};

class StoreCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        if (env("BANKREC_TEST_PG_SERVER").empty())
            GTEST_SKIP() << "BANKREC_TEST_PG_SERVER is not set: no PostgreSQL test server";
        database = "bankrec_cli_" + std::to_string(::getpid());
        ASSERT_TRUE(adminExec("CREATE DATABASE " + database));
        url = env("BANKREC_TEST_PG_SERVER") + "/" + database;
    }
    void TearDown() override {
        if (!database.empty()) adminExec("DROP DATABASE IF EXISTS " + database + " WITH (FORCE)");
    }

    CliRun cli(const std::string& folder, const QStringList& args) {
        QProcess p;
        QStringList all{"Division=3", "DataPath=" + QString::fromStdString(folder),
                        "UserID=" + QString::fromStdString(env("BANKREC_TEST_PG_USER")),
                        "Password=" + QString::fromStdString(env("BANKREC_TEST_PG_PASSWORD"))};
        p.start(BANKREC_CLI_EXE, all + args);
        CliRun r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput().toStdString();
        r.err = p.readAllStandardError().toStdString();
        return r;
    }

    // Banks in a folder's files, added through the storage layer.
    void addBanks(const std::string& folder, std::initializer_list<const char*> names) {
        Storage storage;
        storage.nameFiles(folder, 3);
        FileSession session(storage);
        ASSERT_EQ(openFile(session, FileId::APbnk), Error::None);
        for (const char* n : names) {
            session.file<APbnk>().clear();
            session.file<APbnk>().rec.Bank = n;
            ASSERT_EQ(addNumbered(session, FileId::APbnk), Error::None);
        }
        closeFile(session, FileId::APbnk);
    }
    std::vector<std::string> banksByName(const Storage& storage) {
        FileSession session(storage);
        std::vector<std::string> out;
        auto& bnk = session.file<APbnk>();
        EXPECT_EQ(bnk.setStart(APBNK_KEY_BANK), Error::None) << session.lastError().driverMessage;
        while (bnk.next() == Error::None) out.push_back(bnk.rec.Bank);
        return out;
    }

    testsupport::Sandbox sandbox;
    std::string database, url;
};

TEST_F(StoreCopy, CopiesTheFilesToAStoreAndBackAndRefusesToOverwriteWithoutReplace) {
    const std::string first = sandbox.path() + "/first", second = sandbox.path() + "/second";
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    addBanks(first, {"zeta", "Alpha", "beta", "ALPHA two"});

    CliRun r = cli(first, {"store", "copy", "--to", QString::fromStdString(url)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("APbnk\t4 records copied, every key in the same order"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find(env("BANKREC_TEST_PG_PASSWORD")), std::string::npos);
    Storage server;
    server.useServer(url, env("BANKREC_TEST_PG_USER"), env("BANKREC_TEST_PG_PASSWORD"));
    server.nameFiles("", 3);
    const std::vector<std::string> order{"Alpha", "ALPHA two", "beta", "zeta"};
    EXPECT_EQ(banksByName(server), order);

    // A second copy would double the records: refused, nothing written.
    r = cli(first, {"store", "copy", "--to", QString::fromStdString(url)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("already holds 4 records"), std::string::npos) << r.err;
    addBanks(first, {"gamma"});
    r = cli(first, {"store", "copy", "--to", QString::fromStdString(url), "--replace"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(banksByName(server).size(), 5u);

    r = cli(second, {"store", "copy", "--from", QString::fromStdString(url), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject counts = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(counts["copied"].toInteger(), 5) << r.out;
    ASSERT_FALSE(counts["files"].toArray().isEmpty()) << r.out;
    const QJsonObject firstFile = counts["files"].toArray()[0].toObject();
    EXPECT_EQ(firstFile["file"].toString(), "APbnk");
    EXPECT_EQ(firstFile["copied"].toInteger(), 5);
    Storage back;
    back.nameFiles(second, 3);
    EXPECT_EQ(banksByName(back),
              (std::vector<std::string>{"Alpha", "ALPHA two", "beta", "gamma", "zeta"}));

    // Wrong usage, nothing done: not a server address, both directions, neither.
    EXPECT_EQ(cli(first, {"store", "copy", "--to", "sqlite:/tmp"}).exitCode, 2);
    EXPECT_EQ(cli(first, {"store", "copy", "--to", QString::fromStdString(url), "--from",
                          QString::fromStdString(url)})
                  .exitCode,
              2);
    EXPECT_EQ(cli(first, {"store", "copy"}).exitCode, 2);
}

}  // namespace
