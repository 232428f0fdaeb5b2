#pragma once
// Scoped write guards over FileSession transactions: a Transaction rolls back unless committed, a
// Savepoint undoes its entry unless released.
//
//   Transaction t(session, {FileId::APbac, FileId::APrac}, 2);
//   if (t.error() != Error::None) return t.error();          // 48 after the time-out
//   ... writes ...
//   return t.commit();
#include <cstdint>
#include <initializer_list>

#include "bankrec/storage/records.h"
#include "bankrec/storage/storage_error.h"

namespace storage {

class FileSession;

class Transaction {
  public:
    Transaction(FileSession& session, std::initializer_list<FileId> files, int timeoutSeconds);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // The result of beginning (Error::None: the transaction is active).
    Error error() const { return error_; }
    // Commits; afterwards the destructor does nothing. Returns FileSession::commit()'s result, or
    // the begin error when the transaction never started.
    Error commit();
    // Rolls back now.
    void rollback();

  private:
    FileSession& session_;
    Error error_ = Error::None;
    bool active_ = false;
};

class Savepoint {
  public:
    explicit Savepoint(FileSession& session);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    Error error() const { return error_; }
    // Keeps the entry's writes in the enclosing transaction.
    Error release();
    // Undoes the entry's writes now.
    void rollback();

  private:
    FileSession& session_;
    Error error_ = Error::None;
    bool active_ = false;
};

}  // namespace storage
