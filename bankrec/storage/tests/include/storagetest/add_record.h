#pragma once
// Adding a record in a test: through numbering, as the program adds one, and its identifier back.
#include <cstdint>
#include <variant>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"

namespace storagetest {

// Adds `rec` to its file through numbering in `session` (the file open there); returns its
// identifier, 0 when the add failed.
template <storage::Record R>
int32_t addRecord(storage::FileSession& session, const R& rec) {
    session.file<R>().rec = rec;
    if (storage::addNumbered(session, R::kFile) != storage::Error::None) return 0;
    return static_cast<int32_t>(std::get<int64_t>(
        storage::getField(storage::fileDef(R::kFile), &session.file<R>().rec, 0)));
}

}  // namespace storagetest
