// Scoped transaction and savepoint guards.
#include "bankrec/storage/transaction.h"

#include "bankrec/storage/file_session.h"

namespace storage {

Transaction::Transaction(FileSession& session, std::initializer_list<FileId> files,
                         int timeoutSeconds)
    : session_(session) {
    error_ = session_.begin(files, timeoutSeconds);
    active_ = error_ == 0;
}

Transaction::~Transaction() {
    rollback();
}

int32_t Transaction::commit() {
    if (!active_) return error_ ? error_ : ErrNoTransaction;
    active_ = false;
    return session_.commit();
}

void Transaction::rollback() {
    if (!active_) return;
    active_ = false;
    session_.rollback();
}

Savepoint::Savepoint(FileSession& session) : session_(session) {
    error_ = session_.savepoint();
    active_ = error_ == 0;
}

Savepoint::~Savepoint() {
    rollback();
}

int32_t Savepoint::release() {
    if (!active_) return error_ ? error_ : ErrNoTransaction;
    active_ = false;
    return session_.releaseSavepoint();
}

void Savepoint::rollback() {
    if (!active_) return;
    active_ = false;
    session_.rollbackToSavepoint();
}

}  // namespace storage
