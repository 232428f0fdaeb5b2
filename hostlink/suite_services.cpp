#include "hostlink/suite_services.h"

#include <cstring>

#include "corelib/text.h"
#include "hostlink/link_text.h"

using namespace corelib;

namespace hostlink {

namespace {

constexpr const char* kNotOpen = "99";

// A zero-terminated field of `size` bytes holding `text` (cut to size - 1).
template <size_t N>
std::array<char, N> fixedField(std::string_view text) {
    std::array<char, N> out{};
    std::memcpy(out.data(), text.data(), std::min(text.size(), N - 1));
    return out;
}

std::string statusText(const char (&status)[3]) {
    return std::string(status, 2);
}

}  // namespace

std::string LedgerAccountLookup::open(const std::string& division) {
    close();
    char status[3] = "zz";
    csiopen(handle_.data(), "OI", fixedField<3>(division).data(), status);
    status_ = statusText(status);
    open_ = status_ == "00";
    return status_;
}

void LedgerAccountLookup::close() {
    if (!open_) return;
    char status[3] = "00";
    csiclose(handle_.data(), status);
    open_ = false;
}

std::string LedgerAccountLookup::fetch(const std::string& stringId) {
    if (!open_) return status_ = kNotOpen;
    record_.fill('\0');
    csiPutID(record_.data(), fixedField<TVGL_CSI_ID_LEN + 1>(stringId).data());
    char status[3] = "00";
    csiread(handle_.data(), record_.data(), "RR", status);
    return status_ = statusText(status);
}

std::string LedgerAccountLookup::field(std::string_view name) const {
    const std::string upper = text::upper(name);
    char out[TVGL_CSI_DESC_LEN + TVGL_CSI_EXTID_LEN + 2] = {};
    if (upper == "ERRORCODE") return status_;
    if (upper == "ACCOUNT") {
        csiGetExtID(record_.data(), out);
        return text::trimRight(out);
    }
    if (upper == "DESC") {
        csiGetDesc(record_.data(), out);
        return out;
    }
    if (upper == "STATUS") {
        csiGetStatus(record_.data(), out);
        return out;
    }
    return std::string(name) + " is unknown";
}

std::string PayablesRegister::open(const std::string& division) {
    close();
    char status[3] = "zz";
    ocropen(handle_.data(), "OB", fixedField<3>(division).data(), status);
    open_ = statusText(status) == "00";
    return statusText(status);
}

void PayablesRegister::close() {
    if (!open_) return;
    char status[3] = "00";
    ocrclose(handle_.data(), status);
    open_ = false;
}

std::string PayablesRegister::post(const Check& c) {
    if (!open_) return kNotOpen;
    std::array<char, TVAP_RECORD_SIZE> record{};
    auto putKey = [&record, &c] {
        ocrPutBank(record.data(), fixedField<TVAP_BANK_LEN + 1>(c.bank).data());
        ocrPutType(record.data(), "C");
        ocrPutExt(record.data(), fixedField<TVAP_EXT_LEN + 1>(c.external).data());
        ocrPutRun(record.data(), fixedField<TVAP_RUN_LEN + 1>(c.run).data());
        ocrPutInt(record.data(), fixedField<TVAP_INT_LEN + 1>(c.internal).data());
    };
    ocrInit(record.data());
    putKey();
    char status[3] = "00";
    ocrread(handle_.data(), record.data(), "RR", status);
    const bool found = statusText(status) == "00";
    if (!found) {
        ocrInit(record.data());
        putKey();
    }
    ocrPutAmount(record.data(), fixedField<TVAP_AMOUNT_LEN + 1>(c.amount).data());
    ocrPutVendor(record.data(), fixedField<TVAP_VENDOR_LEN + 1>(c.vendor).data());
    ocrPutName(record.data(), fixedField<TVAP_NAME_LEN + 1>(c.name).data());
    if (found)
        ocrrewrite(handle_.data(), record.data(), status);
    else
        ocrwrite(handle_.data(), record.data(), status);
    return statusText(status);
}

std::string PayrollFile::open(const std::string& division) {
    close();
    char status[3] = "zz";
    FileOpen(type_.c_str(), path_.data(), "OB", fixedField<3>(division).data(), status);
    open_ = statusText(status) == "00";
    return statusText(status);
}

void PayrollFile::close() {
    if (!open_) return;
    char status[3] = "00";
    FileClose(type_.c_str(), path_.data(), status);
    open_ = false;
}

std::string PayrollFile::read(std::string& record, const char* mode) {
    if (!open_) return kNotOpen;
    std::array<char, TVPY_RECORD_SIZE> buffer = fixedField<TVPY_RECORD_SIZE>(record);
    char status[3] = "00";
    FileRead(type_.c_str(), path_.data(), buffer.data(), mode, status);
    if (statusText(status) == "00") record.assign(buffer.data(), TVPY_RECORD_LEN);
    return statusText(status);
}

std::string PayrollFile::rewrite(const std::string& record) {
    if (!open_) return kNotOpen;
    std::array<char, TVPY_RECORD_SIZE> buffer = fixedField<TVPY_RECORD_SIZE>(record);
    char status[3] = "00";
    FileRewrite(type_.c_str(), path_.data(), buffer.data(), status);
    return statusText(status);
}

std::string PayrollFile::unlock() {
    if (!open_) return kNotOpen;
    char status[3] = "00";
    FileUnlock(type_.c_str(), path_.data(), status);
    return statusText(status);
}

}  // namespace hostlink
