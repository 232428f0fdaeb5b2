#pragma once
// Service objects over the suite's data libraries as the host link uses them. Each keeps an
// open flag, its handle area, the division and the last status ("00" success); used while
// not open, a call reports "99" and does nothing.
#include <array>
#include <string>
#include <string_view>

#include "suiteapi/tvapdata.h"
#include "suiteapi/tvgldata.h"
#include "suiteapi/tvpydata.h"

namespace hostlink {

// Ledger account lookup by string ID (chart of accounts, opened for inquiry).
class LedgerAccountLookup {
  public:
    ~LedgerAccountLookup() { close(); }
    // Opens the division's chart ("OI"); returns the status.
    [[nodiscard]] std::string open(const std::string& division);
    void close();
    // Reads the account with this string ID ("RR"); returns the status.
    std::string fetch(const std::string& stringId);
    // "ERRORCODE" (the status), "ACCOUNT" (the printable account, clipped), "DESC", "STATUS";
    // any other name gives the name + " is unknown".
    std::string field(std::string_view name) const;

  private:
    bool open_ = false;
    std::array<char, TVSUITE_HANDLE_SIZE> handle_{};
    std::array<char, TVGL_CSI_RECORD_SIZE> record_{};
    std::string status_ = "00";
};

// The payables check register, opened for update.
class PayablesRegister {
  public:
    struct Check {
        std::string bank;      // 10 characters
        std::string external;  // 7 digits
        std::string run;       // 5 digits
        std::string internal;  // 7 digits
        std::string amount;    // "n-019.2"
        std::string vendor;    // 9 digits
        std::string name;      // 35 characters
    };
    ~PayablesRegister() { close(); }
    [[nodiscard]] std::string open(const std::string& division);
    void close();
    // Writes check `c` (type "C"): rewritten with the new amount, vendor and name when its key
    // is on file, inserted otherwise. Returns the status of the write.
    std::string post(const Check& c);

  private:
    bool open_ = false;
    std::array<char, TVSUITE_HANDLE_SIZE> handle_{};
};

// A payroll file ("PYK" checks or "BRK" bank reconciliation), opened for update.
class PayrollFile {
  public:
    explicit PayrollFile(std::string type) : type_(std::move(type)) {}
    ~PayrollFile() { close(); }
    [[nodiscard]] std::string open(const std::string& division);
    void close();
    // Reads the record whose key leads `record` ("RR", or "RL" to lock it); fills `record`
    // (700 characters) on success. Returns the status.
    std::string read(std::string& record, const char* mode);
    std::string rewrite(const std::string& record);
    std::string unlock();

  private:
    std::string type_;
    bool open_ = false;
    std::array<char, TVSUITE_HANDLE_SIZE> path_{};
};

}  // namespace hostlink
