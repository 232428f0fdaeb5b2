#pragma once
// The bank selector of the browses that work on one bank at a time: every bank account in name
// order (APBNK_KEY_BANK), with the entry of the bank remembered for the user.
#include <cstdint>
#include <string>
#include <vector>

#include "bankrec/storage/storage_error.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace activity {

// One entry of the bank selector.
struct BankChoice {
    std::string Bank;
    int32_t BankID = 0;
    int32_t FIAID = 0;
};

// Reads every bank account into `banks` in bank-name order, a page at a time; Error::None, or
// the storage error (the banks read before it are kept). Shows nothing.
[[nodiscard]] storage::Error loadBankChoices(storage::FileSession& session,
                                             std::vector<BankChoice>& banks);

// Reads the banks of the session's APbnk (which the caller holds open) in name order. `selected`
// becomes the index of the bank `rememberedBankId`, or -1 when it is not among them. A read
// error shows warning 35 naming APbnk and keeps the banks read so far.
std::vector<BankChoice> loadBankChoices(storage::FileSession& session, int32_t rememberedBankId,
                                        int& selected);

// loc:BankID, the bank a browse showed last, as remembered per user under the procedure's name
// ("BrowseAPbac"); 0 when none.
int32_t rememberedBankId(const std::string& procedure);
void rememberBankId(const std::string& procedure, int32_t bankId);

}  // namespace activity
