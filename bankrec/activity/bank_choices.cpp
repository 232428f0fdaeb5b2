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

Error loadBankChoices(FileSession& session, std::vector<BankChoice>& banks) {
    constexpr int kPage = 200;
    banks.clear();
    View<APbnk> view(session, APBNK_KEY_BANK);
    std::vector<View<APbnk>::Row> page;
    ViewPosition last;
    for (;;) {
        if (Error err = view.fetch(banks.empty() ? nullptr : &last, kPage, page);
            err != Error::None)
            return err;
        for (const auto& r : page) banks.push_back({r.rec.Bank, r.rec.BankID, r.rec.FIAID});
        if (page.size() < static_cast<size_t>(kPage)) return Error::None;
        last = page.back().pos;
    }
}

std::vector<BankChoice> loadBankChoices(FileSession& session, int32_t rememberedBankId,
                                        int& selected) {
    std::vector<BankChoice> banks;
    if (loadBankChoices(session, banks) != Error::None) {
        saveError(session);
        StandardWarning(Warn_RecordFetchError, "APbnk");
    }
    selected = -1;
    for (size_t i = 0; i < banks.size() && selected < 0; ++i)
        if (banks[i].BankID == rememberedBankId) selected = static_cast<int>(i);
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
