#include "tvsuite/suite_admin.h"

#include <cstdio>

#include "suiteapi/tvpydata.h"
#include "tvsuite/account_form.h"
#include "tvsuite/fixed_text.h"
#include "tvsuite/suite_files.h"

namespace tvsuite {
namespace {

std::string twoDigits(int division) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", division);
    return text;
}

std::string digits(int64_t value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld", width, static_cast<long long>(value));
    return text;
}

void place(std::string& record, size_t offset, const std::string& value, size_t width) {
    record.replace(offset, width, padded(value, width));
}

std::string stepError(Statement& statement, SqliteDb& db) {
    if (!statement.ok()) return db.lastError();
    return statement.step() == SQLITE_DONE ? std::string() : db.lastError();
}

// Runs a query and collects every column of every row as text.
std::string collect(SqliteDb& db, const char* sql, int division, int columns, Listing& out) {
    Statement query(db, sql);
    if (!query.ok()) return db.lastError();
    query.bind(1, twoDigits(division));
    int rc;
    while ((rc = query.step()) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < columns; ++c) row.push_back(query.text(c));
        out.rows.push_back(std::move(row));
    }
    return rc == SQLITE_DONE ? std::string() : db.lastError();
}

}  // namespace

std::string pykRecord(const PayrollCheck& check) {
    std::string record(TVPY_RECORD_LEN, ' ');
    place(record, PYK_EMP_OFS, digits(check.employee, PYK_EMP_LEN), PYK_EMP_LEN);
    place(record, PYK_CHECKDATE_OFS, check.checkDate, PYK_CHECKDATE_LEN);
    place(record, PYK_RUN_OFS, digits(check.run, PYK_RUN_LEN), PYK_RUN_LEN);
    place(record, PYK_CHECKNBR_OFS, digits(check.checkNumber, PYK_CHECKNBR_LEN), PYK_CHECKNBR_LEN);
    place(record, PYK_EXTFORM_OFS, digits(check.externalForm, PYK_EXTFORM_LEN), PYK_EXTFORM_LEN);
    place(record, PYK_A1BANK_OFS, check.bank, PYK_A1BANK_LEN);
    place(record, PYK_A1CHECKDATE_OFS, check.checkDate, PYK_A1CHECKDATE_LEN);
    place(record, PYK_A1CHECKNBR_OFS, digits(check.checkNumber, PYK_A1CHECKNBR_LEN),
          PYK_A1CHECKNBR_LEN);
    place(record, PYK_NAME_OFS, check.name, PYK_NAME_LEN);
    place(record, PYK_AMOUNT_OFS, formatAmount19(check.amountCents), PYK_AMOUNT_LEN);
    place(record, PYK_PAYDATE_OFS, check.checkDate, PYK_PAYDATE_LEN);
    place(record, PYK_RECSTATUS_OFS, check.recStatus, 1);
    place(record, PYK_CHKTYPE_OFS, "R", 1);
    return record;
}

std::string brkRecord(const BankRecItem& item) {
    std::string record(TVPY_RECORD_LEN, ' ');
    place(record, BRK_BANK_OFS, item.bank, BRK_BANK_LEN);
    place(record, BRK_DATE_OFS, item.date, BRK_DATE_LEN);
    place(record, BRK_TYPE_OFS, item.type, 1);
    std::string reference = trim(item.reference).substr(0, BRK_BRKREF_LEN);
    place(record, BRK_BRKREF_OFS, std::string(BRK_BRKREF_LEN - reference.size(), ' ') + reference,
          BRK_BRKREF_LEN);
    place(record, BRK_BRKSEQ_OFS, digits(item.sequence, BRK_BRKSEQ_LEN), BRK_BRKSEQ_LEN);
    place(record, BRK_REFDESC_OFS, item.description, BRK_REFDESC_LEN);
    place(record, BRK_SOURCE_OFS, "P", 1);
    place(record, BRK_STATUS_OFS, item.status, 1);
    place(record, BRK_MARK_OFS, item.status == "R" ? "Y" : " ", 1);
    place(record, BRK_AMOUNT_OFS, formatAmount19(item.amountCents), BRK_AMOUNT_LEN);
    place(record, BRK_RUN_OFS, digits(item.run, BRK_RUN_LEN), BRK_RUN_LEN);
    place(record, BRK_EXT_OFS, digits(item.externalForm, BRK_EXT_LEN), BRK_EXT_LEN);
    place(record, BRK_INT_OFS, digits(item.internalForm, BRK_INT_LEN), BRK_INT_LEN);
    return record;
}

SuiteAdmin::~SuiteAdmin() {
    if (inTransaction_) db_.exec("ROLLBACK");
}

std::string SuiteAdmin::open(const std::string& folder, bool create) {
    return openSuiteFile(db_, folder, create);
}

std::string SuiteAdmin::begin() {
    std::string error = db_.exec("BEGIN IMMEDIATE");
    inTransaction_ = error.empty();
    return error;
}

std::string SuiteAdmin::commit() {
    std::string error = db_.exec("COMMIT");
    if (error.empty()) inTransaction_ = false;
    return error;
}

std::string SuiteAdmin::clearDivision(int division) {
    static const char* const kDeletes[] = {
        "DELETE FROM Register WHERE Division = ?1", "DELETE FROM Segment WHERE Division = ?1",
        "DELETE FROM Account WHERE Division = ?1",  "DELETE FROM Journal WHERE Division = ?1",
        "DELETE FROM Batch WHERE Division = ?1",    "DELETE FROM BatchLine WHERE Division = ?1",
        "DELETE FROM Payroll WHERE Division = ?1",  "DELETE FROM ClearingRun WHERE Division = ?1"};
    for (const char* sql : kDeletes) {
        Statement remove(db_, sql);
        remove.bind(1, twoDigits(division));
        if (std::string error = stepError(remove, db_); !error.empty()) return error;
    }
    return {};
}

std::string SuiteAdmin::addSegment(int division, int segment, const std::string& value,
                                   const std::string& status, const std::string& description) {
    if (segment < 1 || segment > 10) return "segment number out of range";
    Statement insert(db_,
                     "INSERT OR REPLACE INTO Segment(Division, SegNbr, Value, Status, Description)"
                     " VALUES(?1, ?2, ?3, ?4, ?5)");
    insert.bind(1, twoDigits(division))
        .bind(2, int64_t{segment})
        .bind(3, upper(trim(value)))
        .bind(4, upper(trim(status)).substr(0, 1))
        .bind(5, description);
    return stepError(insert, db_);
}

std::string SuiteAdmin::addAccount(int division, const std::string& external,
                                   const std::string& stringId, const std::string& internalId,
                                   const std::string& description, const std::string& status) {
    auto segments = segmentsOfExternal(external);
    if (!segments) return "malformed account " + external;
    Statement insert(db_,
                     "INSERT OR REPLACE INTO Account(Division, Internal, External, StringID,"
                     " InternalID, Description, Status) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    insert.bind(1, twoDigits(division))
        .bind(2, internalForm(*segments))
        .bind(3, externalForm(*segments))
        .bind(4, trim(stringId))
        .bind(5, trim(internalId))
        .bind(6, description)
        .bind(7, upper(trim(status)).substr(0, 1));
    return stepError(insert, db_);
}

std::string SuiteAdmin::addJournal(int division, const std::string& recordType,
                                   const std::string& abbr, int number,
                                   const std::string& description, const std::string& post,
                                   bool budget) {
    const std::string key = upper(trim(abbr));
    if (key.empty() || key.size() > 5) return "malformed journal abbreviation " + abbr;
    Statement insert(db_,
                     "INSERT OR REPLACE INTO Journal(Division, RcdType, Abbr, Nbr, Description,"
                     " Post, Budget) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    insert.bind(1, twoDigits(division))
        .bind(2, padded(recordType, 1))
        .bind(3, key)
        .bind(4, digits(number, 3))
        .bind(5, description.substr(0, 30))
        .bind(6, padded(post, 1))
        .bind(7, budget ? "1" : "0");
    return stepError(insert, db_);
}

std::string SuiteAdmin::addRegisterCheck(int division, const std::string& bank, int externalForm,
                                         int run, int internalForm, int64_t amountCents, int vendor,
                                         const std::string& name) {
    Statement insert(db_,
                     "INSERT OR REPLACE INTO Register(Division, Bank, Type, Ext, Run, Int, Amount,"
                     " Vendor, Name) VALUES(?1, ?2, 'C', ?3, ?4, ?5, ?6, ?7, ?8)");
    insert.bind(1, twoDigits(division))
        .bind(2, padded(bank, 10))
        .bind(3, digits(externalForm, 7))
        .bind(4, digits(run, 5))
        .bind(5, digits(internalForm, 7))
        .bind(6, formatAmount19(amountCents))
        .bind(7, digits(vendor, 9))
        .bind(8, padded(name, 35));
    return stepError(insert, db_);
}

std::string SuiteAdmin::addRegisterHeader(int division, const std::string& bank,
                                          const std::string& mode, const std::string& status,
                                          int useCount) {
    Statement insert(db_,
                     "INSERT OR REPLACE INTO Register(Division, Bank, Type, Ext, Run, Int, Amount,"
                     " Vendor, Name, Mode, Status, UseCnt) VALUES(?1, ?2, 'B', '0000000', '00000',"
                     " '0000000', ?3, '000000000', ?4, ?5, ?6, ?7)");
    insert.bind(1, twoDigits(division))
        .bind(2, padded(bank, 10))
        .bind(3, formatAmount19(0))
        .bind(4, std::string(35, ' '))
        .bind(5, padded(mode, 1))
        .bind(6, padded(status, 1))
        .bind(7, digits(useCount, 5));
    return stepError(insert, db_);
}

std::string SuiteAdmin::addPayrollRecord(int division, const std::string& fileType,
                                         const std::string& record) {
    size_t keyLength;
    if (fileType == "PYK")
        keyLength = PYK_KEY_LEN;
    else if (fileType == "BRK")
        keyLength = BRK_KEY_LEN;
    else
        return "unknown payroll file " + fileType;
    const std::string full = padded(record, TVPY_RECORD_LEN);
    Statement insert(db_,
                     "INSERT OR REPLACE INTO Payroll(Division, FileType, RecKey, Record)"
                     " VALUES(?1, ?2, ?3, ?4)");
    insert.bind(1, twoDigits(division))
        .bind(2, fileType)
        .bind(3, full.substr(0, keyLength))
        .bind(4, full);
    return stepError(insert, db_);
}

std::string SuiteAdmin::listRegister(int division, Listing& out) {
    out.headings = {"Bank", "Type", "Ext",    "Run",    "Int",     "Amount",  "Vendor",
                    "Name", "Mode", "Status", "UseCnt", "Pending", "Cleared", "ClrRun"};
    return collect(db_,
                   "SELECT trim(Bank), Type, Ext, Run, Int, ltrim(Amount), Vendor, trim(Name),"
                   " Mode, Status, UseCnt, Pending, ClearedDay, ClearingRun FROM Register"
                   " WHERE Division = ?1 ORDER BY Bank, Type, Ext, Run, Int",
                   division, 14, out);
}

std::string SuiteAdmin::listChart(int division, Listing& out) {
    out.headings = {"Account", "StringID", "InternalID", "Status", "Description"};
    return collect(db_,
                   "SELECT External, StringID, InternalID, Status, Description FROM Account"
                   " WHERE Division = ?1 ORDER BY Internal",
                   division, 5, out);
}

std::string SuiteAdmin::listJournals(int division, Listing& out) {
    out.headings = {"Type", "Abbr", "Nbr", "Post", "Budget", "Description"};
    return collect(db_,
                   "SELECT RcdType, Abbr, Nbr, Post, Budget, Description FROM Journal"
                   " WHERE Division = ?1 ORDER BY RcdType, Abbr",
                   division, 6, out);
}

std::string SuiteAdmin::listLedger(int division, Listing& out) {
    out.headings = {"Batch",  "Journal",     "PostDate", "Line", "Account",
                    "Amount", "Description", "Ref1",     "Ref2", "Ref3"};
    Listing raw;
    std::string error =
        collect(db_,
                "SELECT b.BatchNbr, b.Journal, b.PostDate, l.Seq, l.Account, l.AmountCents,"
                " l.Description, l.Ref1, l.Ref2, l.Ref3 FROM Batch b JOIN BatchLine l"
                " ON l.Division = b.Division AND l.BatchNbr = b.BatchNbr"
                " WHERE b.Division = ?1 ORDER BY b.BatchNbr, l.Seq",
                division, 10, raw);
    for (auto& row : raw.rows) {
        row[5] = formatCents(std::stoll(row[5]));
        out.rows.push_back(std::move(row));
    }
    return error;
}

std::string SuiteAdmin::listPayroll(int division, Listing& out) {
    out.headings = {"File", "Bank", "Date", "Reference", "Run", "Amount", "Status", "Name"};
    Listing raw;
    std::string error = collect(db_,
                                "SELECT FileType, Record FROM Payroll WHERE Division = ?1"
                                " ORDER BY FileType DESC, RecKey",
                                division, 2, raw);
    for (const auto& row : raw.rows) {
        const std::string& r = row[1];
        if (r.size() < TVPY_RECORD_LEN) continue;
        if (row[0] == "PYK") {
            out.rows.push_back(
                {"PYK", trim(r.substr(PYK_A1BANK_OFS, PYK_A1BANK_LEN)),
                 r.substr(PYK_CHECKDATE_OFS, PYK_CHECKDATE_LEN),
                 "emp " + r.substr(PYK_EMP_OFS, PYK_EMP_LEN) + " chk " +
                     r.substr(PYK_CHECKNBR_OFS, PYK_CHECKNBR_LEN) + " ext " +
                     r.substr(PYK_EXTFORM_OFS, PYK_EXTFORM_LEN),
                 r.substr(PYK_RUN_OFS, PYK_RUN_LEN), trim(r.substr(PYK_AMOUNT_OFS, PYK_AMOUNT_LEN)),
                 r.substr(PYK_RECSTATUS_OFS, 1), trim(r.substr(PYK_NAME_OFS, PYK_NAME_LEN))});
        } else {
            out.rows.push_back(
                {"BRK", trim(r.substr(BRK_BANK_OFS, BRK_BANK_LEN)),
                 r.substr(BRK_DATE_OFS, BRK_DATE_LEN),
                 r.substr(BRK_TYPE_OFS, 1) + " " + trim(r.substr(BRK_BRKREF_OFS, BRK_BRKREF_LEN)) +
                     " seq " + r.substr(BRK_BRKSEQ_OFS, BRK_BRKSEQ_LEN),
                 r.substr(BRK_RUN_OFS, BRK_RUN_LEN), trim(r.substr(BRK_AMOUNT_OFS, BRK_AMOUNT_LEN)),
                 r.substr(BRK_STATUS_OFS, 1) + r.substr(BRK_MARK_OFS, 1),
                 trim(r.substr(BRK_REFDESC_OFS, BRK_REFDESC_LEN))});
        }
    }
    return error;
}

std::string SuiteAdmin::listClearingRuns(int division, Listing& out) {
    out.headings = {"Run",      "Process", "Bank",    "DayNumber", "User",
                    "Terminal", "File",    "Cleared", "RanAt"};
    return collect(db_,
                   "SELECT RunID, Process, trim(Bank), DayNumber, UserID, Terminal, FileName,"
                   " Cleared, RanAt FROM ClearingRun WHERE Division = ?1 ORDER BY RunID",
                   division, 9, out);
}

}  // namespace tvsuite
