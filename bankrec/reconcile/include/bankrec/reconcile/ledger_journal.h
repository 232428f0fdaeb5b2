#pragma once
// A journal entry for the suite's general ledger, as completion posts the service charge and the
// interest earned: load the journal, add its lines, post them as one batch. Each step answers
// with an error text that is empty on success (the ledger library's own text where it gives one),
// and a step after a failed one does nothing.
//
//   LedgerJournal j("03");
//   std::string error = j.load("GJ");
//   if (error.empty()) error = j.addLine("1000-000-00", "Service Charge", -amount);
//   if (error.empty()) error = j.addLine("5100-000-00", "Service Charge", amount);
//   if (error.empty()) batch = j.post(date, terminal, error);
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "corelib/decimal.h"
#include "suiteapi/tvgldata.h"

namespace reconcile {

class LedgerJournal {
  public:
    // `division`: two digits ("03").
    explicit LedgerJournal(std::string division);
    ~LedgerJournal();
    LedgerJournal(const LedgerJournal&) = delete;
    LedgerJournal& operator=(const LedgerJournal&) = delete;

    // Opens the division's chart of accounts and loads journal `abbreviation`. Error texts:
    // "Unable to open csi error:" + status when the chart does not open, else the ledger's
    // ("Journal XX not in system.").
    [[nodiscard]] std::string load(const std::string& abbreviation);
    // Adds a line: the account in its printed form (upper case, at most 55 characters), the
    // description (30), references (10 each) and the amount. "Account X not in system." when
    // the ledger does not know the account.
    [[nodiscard]] std::string addLine(const std::string& account, const std::string& description,
                                      corelib::Decimal amount, const std::string& ref1 = {},
                                      const std::string& ref2 = {}, const std::string& ref3 = {});
    // Writes the lines to the work file of `terminal` (four digits) and posts them as one batch
    // dated `date` (day number). Returns the batch number, or 0 with `error` set (the ledger's
    // reason: an inactive account, an entry out of balance, ...).
    [[nodiscard]] int32_t post(int32_t date, const std::string& terminal, std::string& error);

    // The lines as handed to the ledger (fixed-width text).
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    void closeChart();

    std::string division_;
    std::string journal_;  // the abbreviation, 5 characters
    bool loaded_ = false;
    bool chartOpen_ = false;
    std::array<char, TVSUITE_HANDLE_SIZE> chart_{};
    std::vector<std::string> lines_;
};

// The terminal the ledger's work file belongs to: the station ID when the suite is installed
// stand-alone, else the user's terminal; `fallback` (the program's terminal number) when the
// registry holds neither. Four digits.
std::string postingTerminal(int32_t fallback);

}  // namespace reconcile
