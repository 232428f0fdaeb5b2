#include "bankrec/activity/bank_choices.h"

#include <cstdlib>

#include "bankrec/shell/registry_settings.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/view.h"
#include "bankrec/storage/warnings.h"
#include "corelib/standard_warnings.h"

using namespace corelib;
using namespace storage;

namespace activity {

std::vector<BankChoice> loadBankChoices(FileSession& session, int32_t rememberedBankId,
                                        int& selected) {
    constexpr int kPage = 200;
    std::vector<BankChoice> banks;
    selected = -1;
    View<APbnk> view(session, APBNK_KEY_BANK);
    std::vector<View<APbnk>::Row> page;
    const ViewPosition* after = nullptr;
    ViewPosition last;
    for (;;) {
        if (view.fetch(after, kPage, page) != Error::None) {
            saveError(session);
            StandardWarning(Warn_RecordFetchError, "APbnk");
            break;
        }
        for (const auto& r : page) {
            if (r.rec.BankID == rememberedBankId && selected < 0)
                selected = static_cast<int>(banks.size());
            banks.push_back({r.rec.Bank, r.rec.BankID, r.rec.FIAID});
        }
        if (page.size() < static_cast<size_t>(kPage)) break;
        last = page.back().pos;
        after = &last;
    }
    return banks;
}

int32_t rememberedBankId(const std::string& procedure) {
    shell::RegistrySettings settings = shell::RegistrySettings::forProgram();
    if (!settings.active()) return 0;
    return static_cast<int32_t>(
        std::strtol(settings.getValue("loc:BankID", "0", procedure).c_str(), nullptr, 10));
}

void rememberBankId(const std::string& procedure, int32_t bankId) {
    shell::RegistrySettings settings = shell::RegistrySettings::forProgram();
    if (settings.active()) settings.setValue("loc:BankID", std::to_string(bankId), procedure);
}

}  // namespace activity
