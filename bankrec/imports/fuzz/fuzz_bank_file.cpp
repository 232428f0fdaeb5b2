// libFuzzer target: a bank's download read as a BAI2 file (fuzz_bai2) or an OFX file
// (fuzz_ofx), the format chosen at build time. Whatever the bytes, the reader ends, reads no
// more records than there are, and every item it gives is sound: a plain whole check number or
// none, an amount that is not negative, a real date or none, no credit with a check number
// from BAI2.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "bankrec/imports/bank_files.h"

using namespace imports;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
#ifdef BANKREC_FUZZ_OFX
    const BankFile file = parseOfx(text);
#else
    const BankFile file = parseBai2(text);
#endif
    if (!file.recognised) require(file.accounts.empty());
    int64_t items = 0;
    for (const BankAccount& account : file.accounts) {
        for (const BankItem& item : account.items) {
            ++items;
            require(item.cents >= 0);
            require(item.date >= 0);
            for (char c : item.checkNumber) require(c >= '0' && c <= '9');
            require(item.checkNumber.empty() || item.checkNumber.front() != '0');
            require(!(item.credit && item.isCheck()));
            require(item.raw.size() <= size + 2 * static_cast<size_t>(file.records) + 1);
        }
        (void)BankFile::label(account);
    }
    require(file.skipped >= 0);
#ifdef BANKREC_FUZZ_OFX
    require(items + file.skipped == file.records);
#else
    require(items + file.skipped <= static_cast<int64_t>(size));
#endif
    return 0;
}
