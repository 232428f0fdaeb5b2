#include "bankrec/storage/warnings.h"

#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "corelib/standard_warnings.h"

using namespace corelib;

namespace storage {

void saveError(const FileSession& session) {
    savedError().save(session.lastError());
}

int32_t StandardWarning(int32_t number, const std::string& first, const std::string& second) {
    const WarningError error = savedError().take();
    return StandardWarning(number, first, second, error);
}

}  // namespace storage
