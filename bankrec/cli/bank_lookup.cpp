#include "bank_lookup.h"

#include "bankrec/storage/file_session.h"
#include "corelib/text.h"

using namespace corelib;
using namespace storage;

namespace cli {

bool findBank(FileSession& session, const std::string& which) {
    RecordFile<APbnk>& f = session.file<APbnk>();
    f.clear();
    f.rec.Bank = which;
    if (f.get(APBNK_KEY_BANK) == Error::None) return true;
    const std::optional<int32_t> id = text::parseLong(which);
    if (!id || *id <= 0) return false;
    f.clear();
    f.rec.BankID = *id;
    return f.get(APBNK_KEY_BANKID) == Error::None;
}

}  // namespace cli
