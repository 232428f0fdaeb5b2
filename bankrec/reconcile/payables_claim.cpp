#include "bankrec/reconcile/payables_claim.h"

#include <array>
#include <cstring>

#include "corelib/text.h"
#include "suiteapi/tvapdata.h"

using namespace corelib;

namespace reconcile {

namespace {

// The register opened for update for one call, closed again when it goes.
class Register {
  public:
    explicit Register(const std::string& division) {
        char st[3] = "zz";
        ocropen(handle_.data(), "OB", division.c_str(), st);
        status_ = st;
        open_ = status_ == "00";
    }
    ~Register() {
        if (!open_) return;
        char st[3] = "zz";
        ocrclose(handle_.data(), st);
    }
    bool open() const { return open_; }
    const std::string& status() const { return status_; }

    // Reads the bank's header into the record (its key set first); returns the status.
    std::string readHeader(const std::string& bank) {
        putHeaderKey(bank);
        return call(ocrread, "RR");
    }
    void putHeaderKey(const std::string& bank) {
        ocrInit(record_.data());
        ocrPutBank(record_.data(), bank.c_str());
        ocrPutType(record_.data(), "B");
    }
    std::string get(void (*getter)(const char*, char*)) const {
        std::array<char, 8> out{};
        getter(record_.data(), out.data());
        return text::trimRight(out.data());
    }
    void put(void (*putter)(char*, const char*), const char* value) {
        putter(record_.data(), value);
    }
    std::string write(void (*op)(char*, char*, char*)) {
        char st[3] = "zz";
        op(handle_.data(), record_.data(), st);
        return st;
    }

  private:
    std::string call(void (*op)(char*, char*, const char*, char*), const char* mode) {
        char st[3] = "zz";
        op(handle_.data(), record_.data(), mode, st);
        return st;
    }

    std::array<char, TVSUITE_HANDLE_SIZE> handle_{};
    std::array<char, TVAP_RECORD_SIZE + 1> record_{};
    std::string status_;
    bool open_ = false;
};

bool nonZero(const std::string& digits) {
    for (char c : digits)
        if (c != '0' && c != ' ') return true;
    return false;
}

}  // namespace

std::string claimPayablesRegister(const std::string& division, const std::string& apBank) {
    Register reg(division);
    if (!reg.open()) return "Unable to open OCR file, Status=" + reg.status();
    const std::string read = reg.readHeader(apBank);
    if (read == "00") {
        if (reg.get(ocrGetMode) == "V") return "Void Run in Process. Please try later.";
        if (reg.get(ocrGetStatus) == "2") return "Reconciliation being Posted. Please try later.";
        if (nonZero(reg.get(ocrGetUseCnt))) return "Bank in use. Please try later.";
        reg.put(ocrPutMode, "R");
        reg.put(ocrPutStatus, "1");
        const std::string st = reg.write(ocrrewrite);
        return st == "00" ? std::string() : "Unable to rewrite OCR header, Status=" + st;
    }
    if (read != "23") return "Unable to read OCR header, Status=" + read;
    reg.putHeaderKey(apBank);
    reg.put(ocrPutMode, "R");
    reg.put(ocrPutStatus, "1");
    const std::string st = reg.write(ocrwrite);
    return st == "00" ? std::string() : "Unable to write OCR header, Status=" + st;
}

std::string releasePayablesRegister(const std::string& division, const std::string& apBank) {
    Register reg(division);
    if (!reg.open()) return reg.status();
    const std::string read = reg.readHeader(apBank);
    if (read == "23") return "00";
    if (read != "00") return read;
    if (reg.get(ocrGetMode) != "R" || reg.get(ocrGetStatus) != "1") return "00";
    reg.put(ocrPutMode, " ");
    reg.put(ocrPutStatus, "0");
    return reg.write(ocrrewrite);
}

}  // namespace reconcile
