#pragma once
// How one activity row shows in the transaction register and its forms: the amount under
// "Payment or Debit" or "Deposit or Credit", the reconciliation indicator, whether it may be
// deleted, and the texts of the register's two lines.
#include <array>
#include <string>

#include "bankrec/storage/records.h"
#include "bankrec/storage/view.h"
#include "corelib/decimal.h"

namespace activity {

// The register's columns, left to right.
enum RegisterColumn {
    ColActivityDate = 0,  // date / type
    ColCheck,             // reference
    ColToOrFrom,          // name / description
    ColPayment,           // payment or debit
    ColIndicator,         // "R" / "c"
    ColDeposit,           // deposit or credit
    RegisterColumnCount
};

// The column headings, in column order.
const std::array<std::string, RegisterColumnCount>& registerHeadings();

struct RegisterRow {
    storage::APbac rec;
    storage::ViewPosition pos;  // where the row sits in APBAC_KEY_ACTIVITY order
    corelib::Decimal paymentOrDebit;
    corelib::Decimal depositOrCredit;
    std::string reconciledMarked;
};

// A check shows its payment, a deposit its deposit; anything else (adjustments) by the sign of
// Amount: above 0 a deposit or credit, else a payment or debit of -Amount (0 shows in neither
// column, as the pictures leave zero blank).
RegisterRow registerRow(const storage::APbac& rec);
// "R" when reconciled, else "c" when marked, else empty.
std::string reconciledMarked(const storage::APbac& rec);
// A row both reconciled and marked is closed for good and cannot be deleted.
bool canDeleteActivity(const storage::APbac& rec);

// The texts of a row's two lines, per column (pictures @d17 and @n(19.2)b, trimmed).
struct RegisterLines {
    std::array<std::string, RegisterColumnCount> first;
    std::array<std::string, RegisterColumnCount> second;
};
RegisterLines registerLines(const RegisterRow& row);

}  // namespace activity
