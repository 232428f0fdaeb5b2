// PostgreSQL store benchmark: APbac rows added in transactions of 1,000, changed by key and
// walked along APBAC_KEY_RECONCILED through the storage engine's PostgreSQL store, each timed
// against plain libpq running the same statements on an identical table (division 4's) of the
// same database in the same run, batch by batch in turn.
//   pgstore_bench [rows, 20000 by default]
// The server comes from BANKREC_TEST_PG_SERVER, _USER and _PASSWORD (scripts/pg.sh); a fresh
// database is made and dropped. The last line is "ratio pg_add=X pg_change=Y pg_walk=Z": for add
// and change the ratio of the totals, for walk the median of the per-round ratios.
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bankrec/storage/connection.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/key_sql.h"
#include "bankrec/storage/transaction.h"
#include "bench_stats.h"

using namespace corelib;
using namespace storage;

namespace {

constexpr int kBatch = 1000;
const char* const kTypes[] = {"Check", "Deposit", "Adjustment"};

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

void fill(APbac& r, int i) {
    r.ActivityID = i;
    r.TransactionID = i * 3;
    r.BankID = i % 20 + 1;
    r.ActivityDate = 80000 + i % 400;
    r.ActivityType = kTypes[i % 3];
    r.Source = "AP";
    r.Reference = std::to_string(100000 + i);
    r.Name = "Payee number " + std::to_string(i % 977);
    r.Description = "Invoice payment for services rendered, batch " + std::to_string(i / 1000);
    r.Reconciled = i % 5 == 0;
    r.PaymentOrDebit = Decimal::fromCents(i * 7 % 100000);
    r.Amount = Decimal::fromCents(-(i * 7 % 100000));
}

[[noreturn]] void die(const std::string& what, PGconn* c) {
    std::fprintf(stderr, "%s: %s\n", what.c_str(), c ? PQerrorMessage(c) : "");
    std::exit(1);
}

PGconn* connect(const std::string& database) {
    const std::string url = env("BANKREC_TEST_PG_SERVER") + "/" + database;
    const std::string user = env("BANKREC_TEST_PG_USER"), pw = env("BANKREC_TEST_PG_PASSWORD");
    const char* keys[] = {"dbname", "user", "password", nullptr};
    const char* values[] = {url.c_str(), user.c_str(), pw.c_str(), nullptr};
    PGconn* c = PQconnectdbParams(keys, values, 1);
    if (PQstatus(c) != CONNECTION_OK) die("connect", c);
    return c;
}

void exec(PGconn* c, const std::string& sql) {
    PGresult* r = PQexec(c, sql.c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK) die(sql, c);
    PQclear(r);
}

// A row's fields from text columns 2.. of a result (money in cents), as the plain side reads.
void readRecordText(PGresult* r, APbac& rec, int row = 0) {
    const FileDef& f = fileDef(FileId::APbac);
    for (size_t i = 0; i < f.fields.size(); ++i) {
        const char* v = PQgetvalue(r, row, static_cast<int>(i) + 2);
        if (f.fields[i].type == FieldType::Decimal)
            (void)setField(f, &rec, static_cast<int>(i),
                           Decimal::fromCents(std::strtoll(v, nullptr, 10)));
        else
            (void)setFieldText(f, &rec, static_cast<int>(i), v);
    }
}

// The plain side: prepared statements with text parameters, as a careful libpq program would.
struct Plain {
    explicit Plain(PGconn* conn) : c(conn) {}
    PGconn* c;
    const FileDef& f = fileDef(FileId::APbac);
    std::vector<std::string> values;
    std::vector<const char*> ptrs;

    void prepare(const char* name, const std::string& sql) {
        PGresult* r = PQprepare(c, name, sql.c_str(), 0, nullptr);
        if (PQresultStatus(r) != PGRES_COMMAND_OK) die(sql, c);
        PQclear(r);
    }
    void bind(const APbac& rec) {
        values.clear();
        for (size_t i = 0; i < f.fields.size(); ++i) {
            const FieldValue v = getField(f, &rec, static_cast<int>(i));
            if (auto* d = std::get_if<Decimal>(&v))
                values.push_back(std::to_string(d->cents()));
            else
                values.push_back(getFieldText(f, &rec, static_cast<int>(i)));
        }
    }
    PGresult* run(const char* name) {
        ptrs.clear();
        for (const std::string& v : values) ptrs.push_back(v.c_str());
        PGresult* r = PQexecPrepared(c, name, static_cast<int>(ptrs.size()), ptrs.data(), nullptr,
                                     nullptr, 0);
        if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
            die(name, c);
        return r;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::max(kBatch, std::atoi(argv[1]) / kBatch * kBatch) : 20000;
    if (env("BANKREC_TEST_PG_SERVER").empty()) {
        std::fprintf(stderr, "set BANKREC_TEST_PG_SERVER, _USER and _PASSWORD (scripts/pg.sh)\n");
        return 2;
    }
    const std::string database = "bankrec_bench_" + std::to_string(::getpid());
    PGconn* admin = connect("postgres");
    exec(admin, "CREATE DATABASE " + database);

    const std::string url = env("BANKREC_TEST_PG_SERVER") + "/" + database;
    Storage storage, plainStorage;
    storage.useServer(url, env("BANKREC_TEST_PG_USER"), env("BANKREC_TEST_PG_PASSWORD"));
    plainStorage.useServer(url, env("BANKREC_TEST_PG_USER"), env("BANKREC_TEST_PG_PASSWORD"));
    storage.nameFiles("", 3);
    plainStorage.nameFiles("", 4);
    FileSession session(storage);
    {
        FileSession maker(plainStorage);  // the plain side's identical table
        if (session.create(FileId::APbac) != Error::None ||
            maker.create(FileId::APbac) != Error::None)
            die(session.lastError().driverMessage, nullptr);
    }
    auto& bac = session.file<APbac>();
    const FileDef& f = fileDef(FileId::APbac);
    Plain p(connect(database));
    exec(p.c, "SET search_path = shared");

    // The statements the store runs, on div04.
    std::string cols, qs, set;
    for (size_t i = 0; i < f.fields.size(); ++i) {
        cols += (i ? ", \"" : "\"") + f.fields[i].name + "\"";
        qs += (i ? ", $" : "$") + std::to_string(i + 1);
        set += "\"" + f.fields[i].name + "\" = $" + std::to_string(i + 1) + ", ";
    }
    p.prepare("ins", "INSERT INTO div04.\"APbac\" (" + cols + ") VALUES (" + qs +
                         ") ON CONFLICT DO NOTHING RETURNING \"_Row\"");
    p.prepare("get", "SELECT " + selectList(f) + " FROM div04.\"APbac\" WHERE " +
                         keyPresentSql(f, 0) + " AND \"ActivityID\" = $1 LIMIT 1");
    p.prepare("upd", "UPDATE div04.\"APbac\" SET " + set +
                         "\"_Revision\" = \"_Revision\" + 1 WHERE \"_Row\" = $" +
                         std::to_string(f.fields.size() + 1) + " AND \"_Revision\" = $" +
                         std::to_string(f.fields.size() + 2) + " AND ((" +
                         "$1 = 0) OR NOT EXISTS (SELECT 1 FROM div04.\"APbac\" o " +
                         "WHERE o.\"_Row\" <> $" + std::to_string(f.fields.size() + 1) +
                         " AND o.\"ActivityID\" = $1))");
    const int key = APBAC_KEY_RECONCILED.index;
    p.prepare("walk", "SELECT " + selectList(f) + " FROM div04.\"APbac\" WHERE " +
                          keyPresentSql(f, key) + " ORDER BY " + keysql::orderBy(f, key, true));

    bench::Timings add[2], change[2], walk[2];  // [0] ours, [1] plain
    APbac row;
    for (int b = 0; b < rows / kBatch; ++b) {
        bench::Sample s;
        {
            bench::Stopwatch w;
            Transaction txn(session, {FileId::APbac}, 5);
            for (int i = b * kBatch + 1; i <= (b + 1) * kBatch; ++i) {
                fill(bac.rec, i);
                if (bac.add() != Error::None) die(session.lastError().driverMessage, nullptr);
            }
            if (txn.commit() != Error::None) die("commit", nullptr);
            add[0].add({w.wallMs(), w.cpuMs()});
        }
        {
            bench::Stopwatch w;
            exec(p.c,
                 "BEGIN; SET LOCAL lock_timeout = 5000; LOCK TABLE div04.\"APbac\" IN SHARE "
                 "ROW EXCLUSIVE MODE; SET LOCAL lock_timeout = 2000");
            for (int i = b * kBatch + 1; i <= (b + 1) * kBatch; ++i) {
                fill(row, i);
                p.bind(row);
                PQclear(p.run("ins"));
            }
            exec(p.c, "COMMIT");
            add[1].add({w.wallMs(), w.cpuMs()});
        }
    }
    // Both tables get their statistics before they are read by key (the server would gather
    // them on its own some time after the load).
    exec(p.c, "ANALYZE div03.\"APbac\"; ANALYZE div04.\"APbac\"");
    for (int b = 0; b < rows / kBatch; ++b) {
        {
            bench::Stopwatch w;
            Transaction txn(session, {FileId::APbac}, 5);
            for (int i = b * kBatch + 1; i <= (b + 1) * kBatch; ++i) {
                bac.clear();
                bac.rec.ActivityID = i;
                if (bac.get(APBAC_KEY_ACTIVITYID) != Error::None) die("get", nullptr);
                bac.rec.Marked = 1;
                if (bac.put() != Error::None) die(session.lastError().driverMessage, nullptr);
            }
            if (txn.commit() != Error::None) die("commit", nullptr);
            change[0].add({w.wallMs(), w.cpuMs()});
        }
        {
            bench::Stopwatch w;
            exec(p.c,
                 "BEGIN; SET LOCAL lock_timeout = 5000; LOCK TABLE div04.\"APbac\" IN SHARE "
                 "ROW EXCLUSIVE MODE; SET LOCAL lock_timeout = 2000");
            for (int i = b * kBatch + 1; i <= (b + 1) * kBatch; ++i) {
                p.values = {std::to_string(i)};
                PGresult* r = p.run("get");
                const std::string place = PQgetvalue(r, 0, 0), revision = PQgetvalue(r, 0, 1);
                readRecordText(r, row);
                PQclear(r);
                row.Marked = 1;
                p.bind(row);
                p.values.push_back(place);
                p.values.push_back(revision);
                PQclear(p.run("upd"));
            }
            exec(p.c, "COMMIT");
            change[1].add({w.wallMs(), w.cpuMs()});
        }
    }
    for (int round = 0; round < 5; ++round) {
        {
            bench::Stopwatch w;
            int seen = 0;
            if (bac.setStart(APBAC_KEY_RECONCILED) != Error::None) die("walk", nullptr);
            while (bac.next() == Error::None) ++seen;
            if (seen != rows) die("walk saw " + std::to_string(seen), nullptr);
            walk[0].add({w.wallMs(), w.cpuMs()});
        }
        {
            bench::Stopwatch w;
            p.values.clear();
            PGresult* r = p.run("walk");
            for (int i = 0; i < PQntuples(r); ++i) readRecordText(r, row, i);
            PQclear(r);
            walk[1].add({w.wallMs(), w.cpuMs()});
        }
    }
    auto total = [](const bench::Series& s) {
        double t = 0;
        for (size_t i = 0; i < s.size(); ++i) t += s[i];
        return t;
    };
    std::printf("%d APbac rows on %s (database %s)\n", rows, env("BANKREC_TEST_PG_SERVER").c_str(),
                database.c_str());
    bench::compare("add", "store", add[0], "libpq", add[1]);
    bench::compare("change", "store", change[0], "libpq", change[1]);
    const bench::Series w = bench::compare("walk", "store", walk[0], "libpq", walk[1]);
    const double addRatio = total(add[0].wall) / total(add[1].wall);
    const double changeRatio = total(change[0].wall) / total(change[1].wall);

    PQfinish(p.c);
    exec(admin, "DROP DATABASE " + database + " WITH (FORCE)");
    PQfinish(admin);
    std::printf("ratio pg_add=%.2f pg_change=%.2f pg_walk=%.2f\n", addRatio, changeRatio,
                w.median());
    return 0;
}
