#include "tvhost/demo_data.h"

#include <QDate>
#include <QSqlError>

#include "tvhost/suite_database.h"

namespace tvhost {
namespace {

struct DemoTransaction {
    int id;
    int fiaId;
    int source;
    const char* status;
    QDate produced;
    const char* description;
    const char* externalForm;
    int internalForm;
    int run;
    int nativeUnique;
    const char* amount;
    bool electronic;
    const char* payee;
};

// Payments are negative, as the suite keeps them.
const DemoTransaction kTransactions[] = {
    // Operating account: payables checks of runs 14 to 16.
    {1001,
     101,
     8,
     "O",
     {2026, 11, 3},
     "Office Depot Supply",
     "10231",
     5001,
     15,
     1,
     "-412.37",
     false,
     "100045"},
    {1002,
     101,
     8,
     "O",
     {2026, 11, 3},
     "Valley Electric Cooperative",
     "10232",
     5002,
     15,
     2,
     "-1286.40",
     false,
     "100112"},
    {1003,
     101,
     8,
     "O",
     {2026, 11, 3},
     "Mesa County Water District",
     "10233",
     5003,
     15,
     3,
     "-98.15",
     false,
     "100207"},
    {1004,
     101,
     8,
     "O",
     {2026, 11, 17},
     "Office Depot Supply",
     "10248",
     5018,
     16,
     1,
     "-57.90",
     false,
     "100045"},
    {1005,
     101,
     8,
     "R",
     {2026, 10, 14},
     "Harrington & Cole CPAs",
     "10199",
     4971,
     14,
     1,
     "-2500.00",
     false,
     "100031"},
    // Operating account: deposits and journal entries.
    {1006,
     101,
     10,
     "O",
     {2026, 11, 7},
     "Deposit - property tax receipts",
     "D1107",
     0,
     310,
     1,
     "5320.00",
     false,
     ""},
    {1007,
     101,
     10,
     "O",
     {2026, 11, 21},
     "Deposit - permit fees",
     "D1121",
     0,
     318,
     1,
     "1875.25",
     false,
     ""},
    {1008, 101, 6, "O", {2026, 11, 12}, "Wire transfer fee", "", 0, 1234, 1, "-35.00", false, ""},
    {1009,
     101,
     6,
     "O",
     {2026, 11, 20},
     "Transfer from savings",
     "",
     0,
     1240,
     1,
     "500.00",
     false,
     ""},
    {1010, 101, 6, "R", {2026, 10, 30}, "October bank fee", "", 0, 1188, 1, "-25.00", false, ""},
    // Payroll account: paper checks, a direct deposit and a vendor payment.
    {1011,
     102,
     9,
     "O",
     {2026, 11, 13},
     "Maria Delgado",
     "20455",
     7001,
     42,
     1,
     "-1642.18",
     false,
     "317"},
    {1012,
     102,
     9,
     "O",
     {2026, 11, 13},
     "James Okafor",
     "20456",
     7002,
     42,
     2,
     "-1318.77",
     false,
     "322"},
    {1013, 102, 9, "O", {2026, 11, 13}, "Susan Park", "451", 7003, 77, 3, "-2104.55", true, "341"},
    {1014,
     102,
     9,
     "R",
     {2026, 10, 30},
     "Maria Delgado",
     "20401",
     6950,
     41,
     1,
     "-1600.00",
     false,
     "317"},
    {1015,
     102,
     8,
     "O",
     {2026, 11, 18},
     "State Unemployment Fund",
     "30012",
     5101,
     3,
     1,
     "-245.00",
     false,
     "100310"},
    // Savings account.
    {1016,
     103,
     10,
     "O",
     {2026, 11, 30},
     "Interest credited",
     "INT1130",
     0,
     320,
     1,
     "42.18",
     false,
     ""},
    {1017,
     103,
     10,
     "R",
     {2026, 10, 1},
     "Opening deposit",
     "D1001",
     0,
     290,
     1,
     "10000.00",
     false,
     ""},
};

QString payablesBank(int fiaId) {
    return fiaId == 101 ? "OPER" : "PRVEND";
}

}  // namespace

QString loadDemoTables(QSqlDatabase& db) {
    if (!db.transaction()) return db.lastError().text();
    QString error;
    auto add = [&error](const QString& result) {
        if (error.isEmpty()) error = result;
    };
    add(addInstitutionAccount(db, {101, 1, "4471-220983", "Operating Account", "A", "CHK", 8}));
    add(addInstitutionAccount(db, {102, 1, "4471-220991", "Payroll Account", "A", "CHK", 9}));
    add(addInstitutionAccount(db, {103, 2, "88-0031457", "Money Market Savings", "A", "SAV", 10}));
    add(addLedgerAccount(db, {101, "1000-000-00", "Cash - Operating", "100001", "GL00100001"}));
    add(addLedgerAccount(db,
                         {101, "1000-100-00", "Cash - Special Revenue", "100002", "GL00100002"}));
    add(addLedgerAccount(db, {102, "1010-000-00", "Cash - Payroll", "100003", "GL00100003"}));
    add(addLedgerAccount(db, {103, "1020-000-00", "Cash - Savings", "100004", "GL00100004"}));
    // The payroll account's first usage is payroll, although payables uses it too.
    add(addModuleUsage(db, {1, 101, 1, 8, "OPER", "Operating payables"}));
    add(addModuleUsage(db, {2, 102, 1, 9, "PAYROLL", "Payroll checks"}));
    add(addModuleUsage(db, {3, 102, 1, 8, "PRVEND", "Payroll vendor payments"}));
    add(addModuleUsage(db, {4, 101, 1, 10, "OPERCR", "Operating deposits"}));
    add(addModuleUsage(db, {5, 103, 2, 10, "SAVCR", "Savings deposits"}));
    add(addModuleUsage(db, {6, 101, 1, 6, "OPERGL", "Operating journals"}));
    for (const DemoTransaction& t : kTransactions) {
        Transaction row;
        row.transactionId = t.id;
        row.fiaId = t.fiaId;
        row.sourceModuleId = t.source;
        row.fiStatus = t.status;
        row.dateProduced = QDateTime(t.produced, QTime(0, 0));
        row.description = t.description;
        row.externalFormId = t.externalForm;
        row.internalFormId = t.internalForm;
        row.runOrBatch = t.run;
        row.nativeUnique = t.nativeUnique;
        row.netAmount = t.amount;
        row.electronic = t.electronic;
        row.payeeOrPayorId = t.payee;
        if (row.fiStatus == "R") row.reconDate = QDateTime(QDate(2026, 10, 31), QTime(16, 30));
        add(addTransaction(db, row));
    }
    if (!error.isEmpty()) {
        db.rollback();
        return error;
    }
    return db.commit() ? QString() : db.lastError().text();
}

QString loadDemoFiles(tvsuite::SuiteAdmin& files, int division) {
    std::string error;
    auto add = [&error](const std::string& result) {
        if (error.empty()) error = result;
    };
    struct Segment {
        int number;
        const char* value;
        const char* status;
        const char* description;
    };
    const Segment segments[] = {
        {1, "1000", "A", "Cash - Operating"},  {1, "1010", "A", "Cash - Payroll"},
        {1, "1020", "A", "Cash - Savings"},    {1, "1050", "I", "Cash - Closed Account"},
        {1, "2000", "A", "Accounts Payable"},  {1, "4300", "A", "Interest Income"},
        {1, "4999", "B", "Budgetary Control"}, {1, "5100", "A", "Bank Service Charges"},
        {2, "000", "A", "General Fund"},       {2, "100", "A", "Special Revenue Fund"},
        {3, "00", "A", "Unrestricted"},
    };
    for (const Segment& s : segments)
        add(files.addSegment(division, s.number, s.value, s.status, s.description));
    struct Account {
        const char* external;
        const char* stringId;
        const char* internalId;
        const char* description;
        const char* status;
    };
    const Account accounts[] = {
        {"1000-000-00", "GL00100001", "100001", "Cash - Operating, General Fund", "A"},
        {"1000-100-00", "GL00100002", "100002", "Cash - Operating, Special Revenue", "A"},
        {"1010-000-00", "GL00100003", "100003", "Cash - Payroll", "A"},
        {"1020-000-00", "GL00100004", "100004", "Cash - Savings", "A"},
        {"1050-000-00", "GL00100005", "100005", "Cash - Closed Account", "I"},
        {"2000-000-00", "GL00200001", "200001", "Accounts Payable", "A"},
        {"4300-000-00", "GL00430001", "430001", "Interest Income", "A"},
        {"4999-000-00", "GL00499901", "499901", "Budgetary Control", "B"},
        {"5100-000-00", "GL00510001", "510001", "Bank Service Charges, General Fund", "A"},
        {"5100-100-00", "GL00510002", "510002", "Bank Service Charges, Special Revenue", "A"},
    };
    for (const Account& a : accounts)
        add(files.addAccount(division, a.external, a.stringId, a.internalId, a.description,
                             a.status));
    add(files.addJournal(division, "1", "GJ", 1, "General Journal", "0", false));
    add(files.addJournal(division, "1", "CD", 2, "Cash Disbursements", "0", false));
    add(files.addJournal(division, "1", "CR", 3, "Cash Receipts", "0", false));
    add(files.addJournal(division, "1", "BA", 4, "Budget Adjustments", "0", true));
    add(files.addJournal(division, "1", "YE", 5, "Year-End Closing", "1", false));
    add(files.addJournal(division, "2", "RJ", 6, "Recurring Entries", "0", false));

    // Payables register: a header per payables bank and the demo's payables checks.
    add(files.addRegisterHeader(division, "OPER", " ", "0", 0));
    add(files.addRegisterHeader(division, "PRVEND", " ", "0", 0));
    for (const DemoTransaction& t : kTransactions) {
        if (t.source != 8) continue;
        const int64_t cents = QString(t.amount).remove('.').toLongLong();
        add(files.addRegisterCheck(division, payablesBank(t.fiaId).toStdString(),
                                   QString(t.externalForm).toInt(), t.run, t.internalForm, cents,
                                   QString(t.payee).toInt(), t.description));
    }
    // Payroll: a check record and a bank reconciliation record per payroll check; direct
    // deposits are kept under type "U".
    for (const DemoTransaction& t : kTransactions) {
        if (t.source != 9) continue;
        const std::string date = t.produced.toString("MM/dd/yyyy").toStdString();
        const int64_t cents = QString(t.amount).remove('.').toLongLong();
        const std::string status = QString(t.status) == "R" ? "R" : "O";
        tvsuite::PayrollCheck check;
        check.employee = QString(t.payee).toInt();
        check.checkDate = date;
        check.run = t.run;
        check.checkNumber = t.internalForm;
        check.externalForm = QString(t.externalForm).toInt();
        check.name = t.description;
        check.amountCents = -cents;
        check.bank = "PAYROLL";
        check.recStatus = status;
        add(files.addPayrollRecord(division, "PYK", tvsuite::pykRecord(check)));
        tvsuite::BankRecItem item;
        item.bank = "PAYROLL";
        item.date = date;
        item.type = t.electronic ? "U" : "C";
        item.reference = t.externalForm;
        item.sequence = t.nativeUnique;
        item.description = t.description;
        item.amountCents = -cents;
        item.status = status;
        item.run = t.run;
        item.externalForm = check.externalForm;
        item.internalForm = t.internalForm;
        add(files.addPayrollRecord(division, "BRK", tvsuite::brkRecord(item)));
    }
    return QString::fromStdString(error);
}

}  // namespace tvhost
