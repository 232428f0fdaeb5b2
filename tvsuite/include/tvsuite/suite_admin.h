#pragma once
// Administration of the suite's files for the stand-in's admin command and for tests:
// creating the file, loading a division's chart, journals, payables register and payroll
// records, and listing what is there. Every call returns an empty text on success and the
// reason otherwise. Not part of the suite's library calls.
#include <cstdint>
#include <string>
#include <vector>

#include "tvsuite/sqlite_db.h"

namespace tvsuite {

struct PayrollCheck {
    int employee = 0;
    std::string checkDate;  // mm/dd/yyyy
    int run = 0;
    int checkNumber = 0;  // internal form
    int externalForm = 0;
    std::string name;
    int64_t amountCents = 0;
    std::string bank;
    std::string recStatus = "O";
};

struct BankRecItem {
    std::string bank;
    std::string date;  // mm/dd/yyyy
    std::string type = "C";
    std::string reference;  // right-justified in 10
    int sequence = 0;
    std::string description;
    int64_t amountCents = 0;
    std::string status = "O";
    int run = 0;
    int externalForm = 0;
    int internalForm = 0;
};

// A listing: column headings and rows of text.
struct Listing {
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;
};

// The 700-character records of the payroll files.
std::string pykRecord(const PayrollCheck& check);
std::string brkRecord(const BankRecItem& item);

class SuiteAdmin {
  public:
    SuiteAdmin() = default;
    ~SuiteAdmin();
    SuiteAdmin(const SuiteAdmin&) = delete;
    SuiteAdmin& operator=(const SuiteAdmin&) = delete;

    // Opens the suite file of `folder`; with `create` it and its tables are created when
    // missing, without it a missing file is an error.
    std::string open(const std::string& folder, bool create = true);
    // Removes every row of the division, so it can be loaded afresh.
    std::string clearDivision(int division);

    // Group many additions in one transaction; a destroyed admin rolls back an open one.
    std::string begin();
    std::string commit();

    // A chart segment: number 1..10, value, status letter ("A", "B", other inactive).
    std::string addSegment(int division, int segment, const std::string& value,
                           const std::string& status, const std::string& description);
    // An account by its external form; its segments should be in the chart.
    std::string addAccount(int division, const std::string& external, const std::string& stringId,
                           const std::string& internalId, const std::string& description,
                           const std::string& status = "A");
    std::string addJournal(int division, const std::string& recordType, const std::string& abbr,
                           int number, const std::string& description, const std::string& post,
                           bool budget);
    // A check of the payables register (type "C"), not pending clearing.
    std::string addRegisterCheck(int division, const std::string& bank, int externalForm, int run,
                                 int internalForm, int64_t amountCents, int vendor,
                                 const std::string& name);
    std::string addRegisterHeader(int division, const std::string& bank, const std::string& mode,
                                  const std::string& status, int useCount);
    std::string addPayrollRecord(int division, const std::string& fileType,
                                 const std::string& record);

    std::string listRegister(int division, Listing& out);
    std::string listChart(int division, Listing& out);
    std::string listJournals(int division, Listing& out);
    // Posted batches, one row per line.
    std::string listLedger(int division, Listing& out);
    std::string listPayroll(int division, Listing& out);
    std::string listClearingRuns(int division, Listing& out);

  private:
    SqliteDb db_;
    bool inTransaction_ = false;
};

}  // namespace tvsuite
