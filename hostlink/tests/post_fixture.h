#pragma once
// POSTCHK's tests: a fresh suite with an operating account and its two usages, and helpers for
// payables and payroll checks, the payroll files and the posting queue.
#include <QDateTime>
#include <QFile>
#include <map>

#include "corelib/daytime.h"
#include "host_suite_fixture.h"

namespace hostlink {

namespace {

constexpr const char* kTextFile = "zor0007.txt";

class PostTest : public HostSuiteTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        HostSuiteTest::SetUp();
        if (!makeSuite(GetParam())) GTEST_SKIP() << "BANKREC_TEST_PG_SERVER not set";
        addInstitution(50, 1, "Operating");
        addUsage(1, 50, 1, 8, "APB");
        addUsage(2, 50, 1, 9, "PRB");
        link_.FIAID = 50;
        link_.POSTDATE = corelib::daytime::dayNumber(2026, 4, 30);
    }

    // A payables check: external form `ext`, run 31, internal form `internal`.
    tvhost::Transaction payablesCheck(int id, int ext, int internal, const char* amount,
                                      const char* payee, const char* name) {
        tvhost::Transaction t;
        t.transactionId = id;
        t.fiaId = 50;
        t.sourceModuleId = 8;
        t.netAmount = amount;
        t.externalFormId = QString::number(ext);
        t.runOrBatch = 31;
        t.internalFormId = internal;
        t.payeeOrPayorId = payee;
        t.description = name;
        t.dateProduced = QDateTime(QDate(2026, 3, 31), QTime(0, 0));
        return t;
    }

    // A payroll check of employee 123, run 77, check 55, external form 9001, sequence 3.
    tvhost::Transaction payrollCheck(int id) {
        tvhost::Transaction t;
        t.transactionId = id;
        t.fiaId = 50;
        t.sourceModuleId = 9;
        t.netAmount = "-900.0000";
        t.externalFormId = "9001";
        t.runOrBatch = 77;
        t.internalFormId = 55;
        t.nativeUnique = 3;
        t.payeeOrPayorId = "123";
        t.description = "Employee";
        t.dateProduced = QDateTime(QDate(2026, 3, 31), QTime(0, 0));
        return t;
    }

    void addPayrollFiles(bool withCheck, const std::string& bankRecType) {
        if (withCheck) {
            tvsuite::PayrollCheck check;
            check.employee = 123;
            check.checkDate = "03/31/2026";
            check.run = 77;
            check.checkNumber = 55;
            check.externalForm = 9001;
            check.bank = "PRB";
            ASSERT_EQ(files_.addPayrollRecord(division_, "PYK", tvsuite::pykRecord(check)), "");
        }
        tvsuite::BankRecItem item;
        item.bank = "PRB";
        item.date = "03/31/2026";
        item.type = bankRecType;
        item.reference = "9001";
        item.sequence = 3;
        ASSERT_EQ(files_.addPayrollRecord(division_, "BRK", tvsuite::brkRecord(item)), "");
    }

    // Status columns of the payroll listing: {"PYK" -> "R", "BRK" -> "RY"}.
    std::map<std::string, std::string> payrollStatus() {
        tvsuite::Listing listing;
        EXPECT_EQ(files_.listPayroll(division_, listing), "");
        std::map<std::string, std::string> out;
        for (const auto& row : listing.rows) out[row[0]] = row[6];
        return out;
    }

    tvsuite::Listing listing(bool clearing) {
        tvsuite::Listing out;
        EXPECT_EQ(clearing ? files_.listClearingRuns(division_, out)
                           : files_.listRegister(division_, out),
                  "");
        return out;
    }

    void queue(int id, const char* source, const char* bank) {
        ASSERT_TRUE(
            link_.addCheck(id, 0, corelib::Decimal::fromCents(-1), source, bank, "", "", ""));
    }

    std::string textFile() {
        QFile file(kTextFile);
        if (!file.open(QIODevice::ReadOnly)) return "<missing>";
        return file.readAll().toStdString();
    }

    CHKQ chk_;
    ZORBRCHK link_{chk_, info_};
};

std::string backendName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "PostgreSQL" : "SQLite";
}

}  // namespace

}  // namespace hostlink
