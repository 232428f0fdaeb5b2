// Scoped transaction and savepoint guards.
#include "bankrec/storage/transaction.h"

#include "bankrec/storage/file_session.h"

namespace storage {

Transaction::Transaction(FileSession& session, std::initializer_list<FileId> files,
                         int timeoutSeconds)
    : session_(session) {
    error_ = session_.begin(files, timeoutSeconds);
    active_ = error_ == Error::None;
}

Transaction::~Transaction() {
    rollback();
}

Error Transaction::commit() {
    if (!active_) return error_ != Error::None ? error_ : Error::NoTransaction;
    active_ = false;
    return session_.commit();
}

void Transaction::rollback() {
    if (!active_) return;
    active_ = false;
    (void)session_.rollback();  // a guard has nothing more to undo when this fails
}

Savepoint::Savepoint(FileSession& session) : session_(session) {
    error_ = session_.savepoint();
    active_ = error_ == Error::None;
}

Savepoint::~Savepoint() {
    rollback();
}

Error Savepoint::release() {
    if (!active_) return error_ != Error::None ? error_ : Error::NoTransaction;
    active_ = false;
    return session_.releaseSavepoint();
}

void Savepoint::rollback() {
    if (!active_) return;
    active_ = false;
    (void)session_.rollbackToSavepoint();
}

}  // namespace storage
