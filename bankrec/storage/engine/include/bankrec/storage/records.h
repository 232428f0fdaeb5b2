#pragma once
// The record buffers of the keyed files: one struct per file, one member per field, in the
// declared order. LONG is int32_t, BYTE uint8_t, CSTRING/STRING std::string (UTF-8),
// DECIMAL(15,2) Decimal. Dates are day numbers and times time numbers (corelib/daytime.h).
// The layouts themselves (types, widths, keys, versions) are declared once in dictionary.cpp;
// a test checks that these structs and that table agree.
#include <cstdint>
#include <string>

#include "corelib/decimal.h"

namespace storage {

// The record structs, file ids and key ids: what every module uses, so a .cpp file can bring
// in just these with `using namespace storage::records;`.
inline namespace records {

// The keyed record files, in the order of the dictionary.
enum class FileId : int32_t {
    APbnk = 0,
    APbnu = 1,
    APbac = 2,
    APbda = 3,
    APrec = 4,
    APrac = 5,
    SYcfg = 6,
};
inline constexpr int kFileCount = 7;

// A key of a file: the file and the key's position among the file's keys (0 is the primary key).
struct KeyId {
    FileId file = FileId::APbnk;
    int index = 0;
    constexpr bool operator==(const KeyId&) const = default;
};

// Financial institution accounts.
struct APbnk {
    static constexpr FileId kFile = FileId::APbnk;
    int32_t BankID = 0;
    int32_t ChangeID = 0;
    int32_t ChangeDate = 0;
    int32_t ChangeTime = 0;
    int32_t FIAID = 0;
    std::string Bank;  // CSTRING(41)
    uint8_t ServiceChargePost = 0;
    std::string ServiceChargeJournal;  // CSTRING(11)
    std::string ServiceChargeAccount;  // CSTRING(56)
    uint8_t InterestEarnedPost = 0;
    std::string InterestEarnedJournal;  // CSTRING(11)
    std::string InterestEarnedAccount;  // CSTRING(56)
    std::string APBank;                 // CSTRING(11)
    std::string PRBank;                 // CSTRING(11)
};
inline constexpr KeyId APBNK_KEY_BANKID{FileId::APbnk, 0};
inline constexpr KeyId APBNK_KEY_FIAID{FileId::APbnk, 1};
inline constexpr KeyId APBNK_KEY_BANK{FileId::APbnk, 2};

// General-ledger cash accounts of a bank.
struct APbnu {
    static constexpr FileId kFile = FileId::APbnu;
    int32_t BankUseID = 0;
    int32_t ChangeID = 0;
    int32_t ChangeDate = 0;
    int32_t ChangeTime = 0;
    int32_t BankID = 0;
    std::string BankAccount;  // CSTRING(41)
    uint8_t Post = 0;
};
inline constexpr KeyId APBNU_KEY_BANKUSEID{FileId::APbnu, 0};
inline constexpr KeyId APBNU_KEY_BANKIDBANKACCOUNT{FileId::APbnu, 1};
inline constexpr KeyId APBNU_KEY_BANKIDPOST{FileId::APbnu, 2};

// Bank activity: checks, deposits and adjustments.
struct APbac {
    static constexpr FileId kFile = FileId::APbac;
    int32_t ActivityID = 0;
    int32_t ChangeID = 0;
    int32_t ChangeDate = 0;
    int32_t ChangeTime = 0;
    int32_t TransactionID = 0;
    int32_t BankID = 0;
    int32_t ReconciliationID = 0;
    int32_t ActivityDate = 0;
    std::string ActivityType;  // CSTRING(21)
    int32_t ClearDate = 0;
    std::string Source;       // CSTRING(21)
    std::string Reference;    // CSTRING(21)
    std::string Name;         // CSTRING(81)
    std::string Description;  // CSTRING(161)
    uint8_t Reconciled = 0;
    uint8_t Marked = 0;
    corelib::Decimal PaymentOrDebit;
    corelib::Decimal Cash;
    corelib::Decimal Coin;
    corelib::Decimal Checks;
    corelib::Decimal DepositOrCredit;
    corelib::Decimal Amount;
    corelib::Decimal Balance;
};
inline constexpr KeyId APBAC_KEY_ACTIVITYID{FileId::APbac, 0};
inline constexpr KeyId APBAC_KEY_TRANSACTIONID{FileId::APbac, 1};
inline constexpr KeyId APBAC_KEY_BANKID{FileId::APbac, 2};
inline constexpr KeyId APBAC_KEY_RECONCILIATIONIDACTIVITYID{FileId::APbac, 3};
inline constexpr KeyId APBAC_KEY_BANKIDREFERENCE{FileId::APbac, 4};
inline constexpr KeyId APBAC_KEY_ACTIVITY{FileId::APbac, 5};
inline constexpr KeyId APBAC_KEY_RECONCILED{FileId::APbac, 6};

// Detail lines of a deposit.
struct APbda {
    static constexpr FileId kFile = FileId::APbda;
    int32_t DepositID = 0;
    int32_t ChangeID = 0;
    int32_t ChangeDate = 0;
    int32_t ChangeTime = 0;
    int32_t ActivityID = 0;
    int32_t Order = 0;
    std::string Reference;  // CSTRING(21)
    std::string Name;       // CSTRING(81)
    corelib::Decimal Amount;
};
inline constexpr KeyId APBDA_KEY_DEPOSITID{FileId::APbda, 0};
inline constexpr KeyId APBDA_KEY_ACTIVITYID{FileId::APbda, 1};
inline constexpr KeyId APBDA_KEY_ACTIVITYORDER{FileId::APbda, 2};

// Reconciliations, one per bank statement.
struct APrec {
    static constexpr FileId kFile = FileId::APrec;
    int32_t ReconciliationID = 0;
    int32_t ChangeID = 0;
    int32_t ChangeDate = 0;
    int32_t ChangeTime = 0;
    int32_t BankID = 0;
    uint8_t Done = 0;
    int32_t OpeningDate = 0;
    corelib::Decimal OpeningBalance;
    int32_t EndingDate = 0;
    corelib::Decimal EndingBalance;
    corelib::Decimal ServiceCharge;
    int32_t ServiceChargeDate = 0;
    int32_t ServiceChargeBatch = 0;
    corelib::Decimal InterestEarned;
    int32_t InterestEarnedDate = 0;
    int32_t InterestEarnedBatch = 0;
    int32_t DepositsMarked = 0;
    corelib::Decimal DepositsMarkedAmount;
    int32_t ChecksMarked = 0;
    corelib::Decimal ChecksMarkedAmount;
};
inline constexpr KeyId APREC_KEY_RECONCILIATIONID{FileId::APrec, 0};
inline constexpr KeyId APREC_KEY_BANKID{FileId::APrec, 1};
inline constexpr KeyId APREC_KEY_BANKENDINGDATE{FileId::APrec, 2};
inline constexpr KeyId APREC_KEY_BANKDONE{FileId::APrec, 3};

// Activity rows captured in a reconciliation.
struct APrac {
    static constexpr FileId kFile = FileId::APrac;
    int32_t ReconciliationActivityID = 0;
    int32_t ChangeID = 0;
    int32_t ChangeDate = 0;
    int32_t ChangeTime = 0;
    int32_t ReconciliationID = 0;
    int32_t ActivityID = 0;
    int32_t ActivityDate = 0;
    std::string ActivityType;  // CSTRING(21)
    std::string Reference;     // CSTRING(21)
    std::string Name;          // CSTRING(81)
    std::string Description;   // CSTRING(161)
    uint8_t Marked = 0;
    corelib::Decimal Amount;
};
inline constexpr KeyId APRAC_KEY_RECONCILIATIONACTIVITYID{FileId::APrac, 0};
inline constexpr KeyId APRAC_KEY_RECONCILIATIONID{FileId::APrac, 1};
inline constexpr KeyId APRAC_KEY_ACTIVITYID{FileId::APrac, 2};
inline constexpr KeyId APRAC_KEY_ACTIVITY{FileId::APrac, 3};

// Name/value configuration.
struct SYcfg {
    static constexpr FileId kFile = FileId::SYcfg;
    int32_t ConfigurationID = 0;
    int32_t ChangeID = 0;
    int32_t ChangeDate = 0;
    int32_t ChangeTime = 0;
    std::string Name;   // CSTRING(41)
    std::string Value;  // CSTRING(256)
};
inline constexpr KeyId SYCFG_KEY_CONFIGURATIONID{FileId::SYcfg, 0};
inline constexpr KeyId SYCFG_KEY_NAME{FileId::SYcfg, 1};

// The record type of a file, for code generic over records.
template <class R>
concept Record = requires {
    R::kFile;
};

}  // namespace records

}  // namespace storage
