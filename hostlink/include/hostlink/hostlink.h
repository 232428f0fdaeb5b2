#pragma once
// The host link: loads the suite's financial institution accounts (LOADFIA) and the open
// transactions of one account (LOADCHK) from the suite's SQL database, and posts cleared
// transactions back to the suite (POSTCHK).
//
// The caller creates, owns and frees every object below: the connection group INFO, the queues
// FIAQ and CHKQ, and the link objects ZORBRFIA and ZORBRCHK that refer to them. The operations
// read every value they need through the objects' named-field query and append entries to the
// queues; they never clear a queue first, so the caller passes an empty one.
//
// Each operation runs modally with its own progress window and answers through GlobalResponse
// (corelib/globals.h): LOADFIA and LOADCHK leave 1 when the scan reached the end and 2 when it
// was cancelled, found nothing or could not open the suite's tables (the standard warning has
// then been shown); POSTCHK always leaves 2. LOADFIA and LOADCHK also leave the link object's
// `outcome`, which tells those three apart.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "corelib/decimal.h"

namespace hostlink {

// The connection values the caller fills from its command line and configuration.
struct INFO {
    int32_t DIVISION = 0;    // suite division; text form two digits ("02")
    std::string DATAPATH;    // folder of the suite's division data, at most 255 bytes
    std::string SERVERNAME;  // "sqlite:<folder>", "postgresql://host[:port]" or a SQL Server
    std::string USERNAME;    // SQL login
    std::string USERPW;      // SQL password; never shown or logged
    int32_t USERID = 0;      // the suite's user number
    int32_t TTY = 0;         // terminal number; text form four digits ("0007")

    // Named-field query: the value of field `name` (any letter case) as text, or the name
    // followed by ":Unknown field".
    std::string query(std::string_view name) const;
};

// How LOADFIA or LOADCHK ended. GlobalResponse 2 says alike that the suite had nothing, that
// the user cancelled and that the suite could not be read; a caller that must tell a failure
// from an empty list (a scheduled run) reads this.
enum class LoadOutcome : int32_t {
    NotRun = 0,  // no load has run on the object
    Completed,   // the scan reached the end (GlobalResponse 1)
    Empty,       // the suite listed nothing (GlobalResponse 2)
    Cancelled,   // the user cancelled the progress window; what was read is queued
    Failed,      // the suite's tables could not be opened or read (warning shown); what was read
                 // before the failure is queued
};

// A queue of entries with a current entry, made current by number.
template <typename Entry>
class LinkQueue {
  public:
    int32_t records() const { return static_cast<int32_t>(entries_.size()); }
    // Makes entry `number` (1..records()) the current one; any other number clears it.
    void select(int32_t number) { current_ = (number >= 1 && number <= records()) ? number : 0; }
    // The number of the current entry, 0 when there is none.
    int32_t currentNumber() const { return current_; }
    // The current entry; a blank entry when there is none.
    const Entry& current() const { return current_ ? entries_[current_ - 1] : blank_; }
    void add(Entry entry) { entries_.push_back(std::move(entry)); }
    const std::vector<Entry>& entries() const { return entries_; }
    // Frees every entry.
    void clear() {
        entries_.clear();
        current_ = 0;
    }

  private:
    std::vector<Entry> entries_;
    int32_t current_ = 0;
    Entry blank_{};
};

// One financial institution account with one of its general-ledger cash accounts.
struct FIAQEntry {
    int32_t FIAID = 0;
    std::string BANK;         // CSTRING(31): the account's name
    std::string BANKACCOUNT;  // CSTRING(31): the printable cash account, blank when unknown
    std::string APBANK;       // CSTRING(11): payables bank code
    std::string PRBANK;       // CSTRING(11): payroll bank code
};
using FIAQ = LinkQueue<FIAQEntry>;

// One suite transaction of a financial institution account.
struct CHKQEntry {
    int32_t TRANSACTIONID = 0;  // unique within the queue
    int32_t ACTIVITYDATE = 0;   // day number
    std::string SOURCE;         // CSTRING(21): "GL", "AP", "PR", "CR" or blank
    std::string BANK;           // CSTRING(11)
    std::string REFERENCE;      // CSTRING(21)
    std::string NAME;           // CSTRING(81)
    std::string DESCRIPTION;    // CSTRING(161)
    corelib::Decimal AMOUNT;    // signed; payments are negative
};
using CHKQ = LinkQueue<CHKQEntry>;

// Argument of LOADFIA. Answers DIVISION, DATAPATH, SERVERNAME, USERNAME, USERPW, USERID and the
// current FIAQ entry's FIAID, BANK, BANKACCOUNT, APBANK, PRBANK. A caller may derive from it to
// answer from its own configuration.
class ZORBRFIA {
  public:
    ZORBRFIA(hostlink::FIAQ& queue, hostlink::INFO& info) : FIAQ(queue), INFO(info) {}
    virtual ~ZORBRFIA() = default;

    hostlink::FIAQ& FIAQ;
    hostlink::INFO& INFO;
    LoadOutcome outcome = LoadOutcome::NotRun;  // how the last LOADFIA ended

    // Named-field query: the value as text (DIVISION two digits), or name + ":Unknown field".
    virtual std::string query(std::string_view name) const;
    int32_t records() const { return FIAQ.records(); }
    // Makes FIAQ entry `number` current (1..records()); any other number clears it.
    void select(int32_t number) { FIAQ.select(number); }
};

// Argument of LOADCHK and POSTCHK. Answers the seven INFO names (TTY included), FIAID, POSTDATE
// and the current CHKQ entry's TRANSACTIONID, ACTIVITYDATE, SOURCE, BANK, REFERENCE, NAME,
// DESCRIPTION, AMOUNT. A caller may derive from it to answer from its own configuration.
class ZORBRCHK {
  public:
    ZORBRCHK(hostlink::CHKQ& queue, hostlink::INFO& info) : CHKQ(queue), INFO(info) {}
    virtual ~ZORBRCHK() = default;

    hostlink::CHKQ& CHKQ;
    hostlink::INFO& INFO;
    int32_t FIAID = 0;     // the financial institution account to load
    int32_t POSTDATE = 0;  // day number: posting date of the suite's clearing process
    LoadOutcome outcome = LoadOutcome::NotRun;  // how the last LOADCHK ended

    // Named-field query: the value as text (DIVISION two digits, TTY four digits, AMOUNT with
    // two decimals, dates as day numbers), or name + ":Unknown field".
    virtual std::string query(std::string_view name) const;
    int32_t records() const { return CHKQ.records(); }
    // Makes CHKQ entry `number` current (1..records()); any other number clears it.
    void select(int32_t number) { CHKQ.select(number); }
    // Appends an entry unless the queue already holds one with this TRANSACTIONID. Texts are cut
    // to their widths (SOURCE and REFERENCE 20, BANK 10, NAME 80, DESCRIPTION 160 bytes, at a
    // character boundary). Returns true when the entry was appended.
    [[nodiscard]] bool addCheck(int32_t transactionId, int32_t activityDate,
                                corelib::Decimal amount, const std::string& source,
                                const std::string& bank, const std::string& reference,
                                const std::string& name, const std::string& description);
};

// Appends one FIAQ entry per institution account and cash account of the suite.
void LOADFIA(ZORBRFIA& link);
// Appends one CHKQ entry per open suite transaction of link.FIAID (no TRANSACTIONID twice).
void LOADCHK(ZORBRCHK& link);
// Marks every CHKQ entry reconciled in the suite (transaction rows, payroll files, payables
// register) and starts the suite's check-clearing process when payables checks were posted.
// Writes the text file "zor" + TTY + ".txt" in the current folder. Leaves CHKQ unchanged.
void POSTCHK(ZORBRCHK& link);

// The program hands over its command line; "/Debug" (any case) turns on LOADFIA's "error="
// message for cash accounts the ledger does not know.
void HOSTLINK_SetCommandLine(const std::vector<std::string>& arguments);
bool HOSTLINK_Debug();
// The ODBC driver used for SQL Server names ("FreeTDS" unless set, or the environment variable
// BANKREC_ODBC_DRIVER).
void HOSTLINK_SetOdbcDriver(const std::string& driverName);

}  // namespace hostlink
