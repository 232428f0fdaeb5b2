#pragma once
// What the import benchmarks share: a throw-away division with one bank and its outstanding
// checks, a copy of its activity file for plain SQLite, the marks cleared before every round,
// and the plain side's statements (the rows of a reference read in key order, a row rewritten
// whole with its revision raised).
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bankrec/imports/import_result.h"
#include "bankrec/storage/change_stamp.h"
#include "bankrec/storage/connection.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/key_sql.h"
#include "bankrec/storage/storage.h"
#include "bankrec/storage/transaction.h"
#include "corelib/globals.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"

#include "bench_stats.h"

namespace bench {

constexpr int32_t kBank = 1;

[[noreturn]] inline void die(const char* what, sqlite3* db) {
    std::fprintf(stderr, "%s failed%s%s\n", what, db ? ": " : "", db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

// The amount of outstanding check i (its number is 100000 + i).
inline int64_t checkCents(int i) {
    return 1000 + (i * 37) % 90000;
}

// The next activity row of the bank, cleared, with its identifiers.
inline storage::APbac& newActivity(storage::FileSession& session, int32_t id) {
    auto& f = session.file<storage::APbac>();
    f.clear();
    f.rec.ActivityID = id;
    f.rec.BankID = kBank;
    f.rec.TransactionID = id;
    return f.rec;
}

// Outstanding check i as the check loader writes it, dated `date`.
inline void addCheck(storage::FileSession& session, int32_t id, int i, int32_t date) {
    storage::APbac& r = newActivity(session, id);
    r.Source = "AP";
    r.ActivityType = "Check";
    r.ActivityDate = date;
    r.Reference = std::to_string(100000 + i);
    r.Name = "Payee number " + std::to_string(i % 977);
    r.Description = "Invoice payment for services rendered, batch " + std::to_string(i / 50);
    r.PaymentOrDebit = corelib::Decimal::fromCents(checkCents(i));
    r.Amount = -r.PaymentOrDebit;
    if (session.file<storage::APbac>().add() != storage::Error::None) die("add check", nullptr);
}

inline void clearMarks(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) die("open", db);
    if (sqlite3_exec(db, "UPDATE \"APbac\" SET \"Marked\" = 0, \"ClearDate\" = 0", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
        die("clear marks", db);
    sqlite3_close(db);
}

// A division in a temporary folder: its bank and the activity `fill` adds in one transaction,
// a copy of the activity file for plain SQLite, and a session holding the files open with the
// bank current, as the worksheet does while an import runs. Removed at the end.
class ImportBench {
  public:
    explicit ImportBench(const char* name, const std::function<void(storage::FileSession&)>& fill) {
        std::string pattern = std::string("/tmp/") + name + "_XXXXXX";
        if (!mkdtemp(pattern.data())) die("mkdtemp", nullptr);
        dir_ = pattern;
        std::filesystem::create_directories(dir_ + "/plain");
        messages_ = std::make_shared<corelib::ScriptedMessages>();
        corelib::ThisMessageBox.setBackend(messages_);
        corelib::glo_ApplicationName = "Bank Reconciliation";
        storage_.nameFiles(dir_, 5);
        storage_.setFileName(storage::FileId::APbnu, dir_ + "/APbnu");
        {
            storage::FileSession setup(storage_);
            for (storage::FileId id : {storage::FileId::APbnk, storage::FileId::APbac})
                if (setup.create(id) != storage::Error::None) die("create", nullptr);
            auto& bank = setup.file<storage::APbnk>();
            bank.clear();
            bank.rec.BankID = kBank;
            bank.rec.Bank = "Operating Account";
            if (bank.add() != storage::Error::None) die("add bank", nullptr);
            storage::Transaction t(setup, {storage::FileId::APbac}, 5);
            fill(setup);
            if (t.commit() != storage::Error::None) die("commit activity", nullptr);
        }
        ours_ = storage_.filePath(storage::FileId::APbac);
        plain_ = dir_ + "/plain/" + std::filesystem::path(ours_).filename().string();
        std::filesystem::copy_file(ours_, plain_);

        session_ = std::make_unique<storage::FileSession>(storage_);
        held_ = std::make_unique<storage::FileUse>(
            *session_,
            std::initializer_list<storage::FileId>{storage::FileId::APbnk, storage::FileId::APbac});
        if (held_->error() != storage::Error::None) die("open files", nullptr);
        auto& bank = session_->file<storage::APbnk>();
        bank.clear();
        bank.rec.BankID = kBank;
        if (bank.get(storage::APBNK_KEY_BANKID) != storage::Error::None) die("bank", nullptr);
    }
    ~ImportBench() {
        held_.reset();
        session_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // One round of one file: both sides' marks cleared, then `ours` (an import on session())
    // and `plain` (given the copy's path) each timed. Returns what our import did; a run that
    // did not complete ends the benchmark.
    template <typename Ours, typename Plain>
    imports::ImportResult round(Timings& oursTime, Timings& plainTime, Ours ours, Plain plain) {
        clearMarks(ours_);
        const Stopwatch oursWatch;
        imports::ImportResult r = ours(*session_);
        oursTime.add(oursWatch.sample());
        if (r.end != imports::ImportEnd::Completed) die("import", nullptr);
        clearMarks(plain_);
        plain(plain_, plainTime);
        return r;
    }

    const std::string& dir() const { return dir_; }
    storage::FileSession& session() { return *session_; }
    // Messages shown so far (a benchmark expects none).
    size_t messages() const { return messages_->count(); }

  private:
    std::string dir_, ours_, plain_;
    std::shared_ptr<corelib::ScriptedMessages> messages_;
    storage::Storage storage_;
    std::unique_ptr<storage::FileSession> session_;
    std::unique_ptr<storage::FileUse> held_;
};

// Plain SQLite on the copy: the statements both benchmarks use.
struct PlainSql {
    sqlite3* db = nullptr;
    const storage::FileDef& fb = storage::fileDef(storage::FileId::APbac);
    sqlite3_stmt* byReference = nullptr;  // BankID, Reference: the rows in key order
    sqlite3_stmt* update = nullptr;       // every field, then rowid and revision

    explicit PlainSql(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) die("open", db);
        const int key = storage::APBAC_KEY_BANKIDREFERENCE.index;
        byReference = prepare("SELECT " + storage::selectList(fb) + " FROM \"APbac\" WHERE " +
                              storage::keyPresentSql(fb, key) +
                              " AND \"BankID\" = ? AND \"Reference\" = ? COLLATE NOCASE ORDER BY " +
                              storage::keysql::orderBy(fb, key, true));
        std::string set;
        for (const storage::FieldDef& fd : fb.fields) set += "\"" + fd.name + "\" = ?, ";
        update = prepare("UPDATE \"APbac\" SET " + set +
                         "_Revision = _Revision + 1 WHERE rowid = ? AND _Revision = ?");
    }
    PlainSql(const PlainSql&) = delete;
    PlainSql& operator=(const PlainSql&) = delete;
    virtual ~PlainSql() {
        sqlite3_finalize(byReference);
        sqlite3_finalize(update);
        sqlite3_close(db);
    }
    sqlite3_stmt* prepare(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) die("prepare", db);
        return s;
    }
    void exec(const char* sql) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) die(sql, db);
    }
    // Marks the row read at (rowid, revision), stamped, with its date cleared.
    void mark(storage::APbac& r, int64_t rowid, int64_t revision, int32_t clearDate) {
        r.Marked = 1;
        r.ClearDate = clearDate;
        storage::stampChange(r);
        int bad = -1;
        if (!storage::bindRecord(update, fb, &r, 1, bad)) die("bind", db);
        const int n = static_cast<int>(fb.fields.size());
        sqlite3_bind_int64(update, n + 1, rowid);
        sqlite3_bind_int64(update, n + 2, revision);
        if (sqlite3_step(update) != SQLITE_DONE || sqlite3_changes(db) != 1) die("update", db);
        sqlite3_reset(update);
    }
    // The check rule: the first row of the reference with that amount; marked when it is not
    // yet. true when marked here.
    bool markCheck(const std::string& reference, const corelib::Decimal& amount,
                   int32_t clearDate) {
        sqlite3_bind_int(byReference, 1, kBank);
        sqlite3_bind_text(byReference, 2, reference.c_str(), -1, SQLITE_TRANSIENT);
        storage::APbac r;
        bool done = false;
        while (sqlite3_step(byReference) == SQLITE_ROW) {
            storage::readRecord(byReference, fb, &r, 2);
            if (r.PaymentOrDebit != amount) continue;
            if (!r.Marked) {
                mark(r, sqlite3_column_int64(byReference, 0), sqlite3_column_int64(byReference, 1),
                     clearDate);
                done = true;
            }
            break;
        }
        sqlite3_reset(byReference);
        return done;
    }
};

}  // namespace bench
