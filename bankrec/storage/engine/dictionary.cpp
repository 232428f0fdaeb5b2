// The data dictionary as data: files, fields, keys, links and versions, and what derives from it.
#include "bankrec/storage/dictionary.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "corelib/text.h"

using namespace corelib;

namespace storage {

namespace {

template <class R, class T>
size_t offsetOf(T R::*member) {
    static const R probe{};
    return static_cast<size_t>(reinterpret_cast<const char*>(&(probe.*member)) -
                               reinterpret_cast<const char*>(&probe));
}

// One helper per field type, so a member of the wrong C++ type does not compile.
template <class R>
FieldDef longField(int32_t R::*m, const char* name) {
    return {name, FieldType::Long, 4, offsetOf(m)};
}
template <class R>
FieldDef byteField(uint8_t R::*m, const char* name) {
    return {name, FieldType::Byte, 1, offsetOf(m)};
}
template <class R>
FieldDef cstringField(std::string R::*m, const char* name, int width) {
    return {name, FieldType::CString, width, offsetOf(m)};
}
template <class R>
FieldDef decimalField(Decimal R::*m, const char* name) {
    return {name, FieldType::Decimal, 8, offsetOf(m)};
}

#define LONG_F(R, f) longField(&R::f, #f)
#define BYTE_F(R, f) byteField(&R::f, #f)
#define CSTRING_F(R, f, n) cstringField(&R::f, #f, n)
#define DECIMAL_F(R, f) decimalField(&R::f, #f)

struct KeyDeclaration {
    const char* name;
    std::vector<const char*> components;
    bool unique;
};

FileDef makeFile(FileId id, const char* name, int version, std::vector<FieldDef> fields,
                 std::vector<KeyDeclaration> keys) {
    FileDef f;
    f.id = id;
    f.name = name;
    f.version = version;
    f.fields = std::move(fields);
    for (const FieldDef& fd : f.fields) f.recordSize += fd.width;
    bool first = true;
    for (const KeyDeclaration& k : keys) {
        KeyDef kd;
        kd.name = k.name;
        kd.sqlName = k.name;
        kd.unique = k.unique;
        kd.primary = first;
        first = false;
        for (const char* c : k.components) kd.components.push_back(f.fieldIndex(c));
        f.keys.push_back(std::move(kd));
    }
    return f;
}

std::vector<FileDef> buildFiles() {
    std::vector<FileDef> files;
    files.push_back(makeFile(
        FileId::APbnk, "APbnk", 5,
        {LONG_F(APbnk, BankID), LONG_F(APbnk, ChangeID), LONG_F(APbnk, ChangeDate),
         LONG_F(APbnk, ChangeTime), LONG_F(APbnk, FIAID), CSTRING_F(APbnk, Bank, 41),
         BYTE_F(APbnk, ServiceChargePost), CSTRING_F(APbnk, ServiceChargeJournal, 11),
         CSTRING_F(APbnk, ServiceChargeAccount, 56), BYTE_F(APbnk, InterestEarnedPost),
         CSTRING_F(APbnk, InterestEarnedJournal, 11), CSTRING_F(APbnk, InterestEarnedAccount, 56),
         CSTRING_F(APbnk, APBank, 11), CSTRING_F(APbnk, PRBank, 11)},
        {{"APBNK_KEY_BANKID", {"BankID"}, true},
         {"APBNK_KEY_FIAID", {"FIAID"}, true},
         {"APBNK_KEY_BANK", {"Bank"}, false}}));
    files.push_back(
        makeFile(FileId::APbnu, "APbnu", 0,
                 {LONG_F(APbnu, BankUseID), LONG_F(APbnu, ChangeID), LONG_F(APbnu, ChangeDate),
                  LONG_F(APbnu, ChangeTime), LONG_F(APbnu, BankID),
                  CSTRING_F(APbnu, BankAccount, 41), BYTE_F(APbnu, Post)},
                 {{"APBNU_KEY_BANKUSEID", {"BankUseID"}, true},
                  {"APBNU_KEY_BANKIDBANKACCOUNT", {"BankID", "BankAccount"}, true},
                  {"APBNU_KEY_BANKIDPOST", {"BankID", "Post"}, false}}));
    files.push_back(makeFile(
        FileId::APbac, "APbac", 6,
        {LONG_F(APbac, ActivityID),
         LONG_F(APbac, ChangeID),
         LONG_F(APbac, ChangeDate),
         LONG_F(APbac, ChangeTime),
         LONG_F(APbac, TransactionID),
         LONG_F(APbac, BankID),
         LONG_F(APbac, ReconciliationID),
         LONG_F(APbac, ActivityDate),
         CSTRING_F(APbac, ActivityType, 21),
         LONG_F(APbac, ClearDate),
         CSTRING_F(APbac, Source, 21),
         CSTRING_F(APbac, Reference, 21),
         CSTRING_F(APbac, Name, 81),
         CSTRING_F(APbac, Description, 161),
         BYTE_F(APbac, Reconciled),
         BYTE_F(APbac, Marked),
         DECIMAL_F(APbac, PaymentOrDebit),
         DECIMAL_F(APbac, Cash),
         DECIMAL_F(APbac, Coin),
         DECIMAL_F(APbac, Checks),
         DECIMAL_F(APbac, DepositOrCredit),
         DECIMAL_F(APbac, Amount),
         DECIMAL_F(APbac, Balance)},
        {{"APBAC_KEY_ACTIVITYID", {"ActivityID"}, true},
         {"APBAC_KEY_TRANSACTIONID", {"TransactionID"}, false},
         {"APBAC_KEY_BANKID", {"BankID"}, false},
         {"APBAC_KEY_RECONCILIATIONIDACTIVITYID", {"ReconciliationID", "ActivityID"}, false},
         {"APBAC_KEY_BANKIDREFERENCE", {"BankID", "Reference", "ActivityID"}, false},
         {"APBAC_KEY_ACTIVITY",
          {"BankID", "ActivityDate", "ActivityType", "Reference", "ActivityID"},
          false},
         {"APBAC_KEY_RECONCILED",
          {"BankID", "Reconciled", "ActivityType", "ActivityDate", "Reference", "ActivityID"},
          false}}));
    files.push_back(makeFile(
        FileId::APbda, "APbda", 0,
        {LONG_F(APbda, DepositID), LONG_F(APbda, ChangeID), LONG_F(APbda, ChangeDate),
         LONG_F(APbda, ChangeTime), LONG_F(APbda, ActivityID), LONG_F(APbda, Order),
         CSTRING_F(APbda, Reference, 21), CSTRING_F(APbda, Name, 81), DECIMAL_F(APbda, Amount)},
        {{"APBDA_KEY_DEPOSITID", {"DepositID"}, true},
         {"APBDA_KEY_ACTIVITYID", {"ActivityID"}, false},
         {"APBDA_KEY_ACTIVITYORDER", {"ActivityID", "Order"}, false}}));
    files.push_back(makeFile(FileId::APrec, "APrec", 1,
                             {LONG_F(APrec, ReconciliationID),
                              LONG_F(APrec, ChangeID),
                              LONG_F(APrec, ChangeDate),
                              LONG_F(APrec, ChangeTime),
                              LONG_F(APrec, BankID),
                              BYTE_F(APrec, Done),
                              LONG_F(APrec, OpeningDate),
                              DECIMAL_F(APrec, OpeningBalance),
                              LONG_F(APrec, EndingDate),
                              DECIMAL_F(APrec, EndingBalance),
                              DECIMAL_F(APrec, ServiceCharge),
                              LONG_F(APrec, ServiceChargeDate),
                              LONG_F(APrec, ServiceChargeBatch),
                              DECIMAL_F(APrec, InterestEarned),
                              LONG_F(APrec, InterestEarnedDate),
                              LONG_F(APrec, InterestEarnedBatch),
                              LONG_F(APrec, DepositsMarked),
                              DECIMAL_F(APrec, DepositsMarkedAmount),
                              LONG_F(APrec, ChecksMarked),
                              DECIMAL_F(APrec, ChecksMarkedAmount)},
                             {{"APREC_KEY_RECONCILIATIONID", {"ReconciliationID"}, true},
                              {"APREC_KEY_BANKID", {"BankID"}, false},
                              {"APREC_KEY_BANKENDINGDATE", {"BankID", "EndingDate"}, false},
                              {"APREC_KEY_BANKDONE", {"BankID", "Done"}, false}}));
    files.push_back(makeFile(
        FileId::APrac, "APrac", 0,
        {LONG_F(APrac, ReconciliationActivityID), LONG_F(APrac, ChangeID),
         LONG_F(APrac, ChangeDate), LONG_F(APrac, ChangeTime), LONG_F(APrac, ReconciliationID),
         LONG_F(APrac, ActivityID), LONG_F(APrac, ActivityDate), CSTRING_F(APrac, ActivityType, 21),
         CSTRING_F(APrac, Reference, 21), CSTRING_F(APrac, Name, 81),
         CSTRING_F(APrac, Description, 161), BYTE_F(APrac, Marked), DECIMAL_F(APrac, Amount)},
        {{"APRAC_KEY_RECONCILIATIONACTIVITYID", {"ReconciliationActivityID"}, true},
         {"APRAC_KEY_RECONCILIATIONID", {"ReconciliationID"}, false},
         {"APRAC_KEY_ACTIVITYID", {"ActivityID"}, false},
         {"APRAC_KEY_ACTIVITY",
          {"ReconciliationID", "ActivityDate", "ActivityType", "Reference"},
          false}}));
    files.push_back(makeFile(
        FileId::SYcfg, "SYcfg", 0,
        {LONG_F(SYcfg, ConfigurationID), LONG_F(SYcfg, ChangeID), LONG_F(SYcfg, ChangeDate),
         LONG_F(SYcfg, ChangeTime), CSTRING_F(SYcfg, Name, 41), CSTRING_F(SYcfg, Value, 256)},
        {{"SYCFG_KEY_CONFIGURATIONID", {"ConfigurationID"}, true},
         {"SYCFG_KEY_NAME", {"Name"}, true}}));
    return files;
}

const std::vector<FileDef>& files() {
    static const std::vector<FileDef> all = buildFiles();
    return all;
}

const std::vector<LinkDef>& links() {
    static const std::vector<LinkDef> all = {
        {FileId::APbnk, FileId::APbac, "BankID", DeleteRule::Restrict, APBAC_KEY_BANKID},
        {FileId::APbnk, FileId::APbnu, "BankID", DeleteRule::Cascade, APBNU_KEY_BANKIDBANKACCOUNT},
        {FileId::APbnk, FileId::APrec, "BankID", DeleteRule::Restrict, APREC_KEY_BANKID},
        {FileId::APrec, FileId::APbac, "ReconciliationID", DeleteRule::Cascade,
         APBAC_KEY_RECONCILIATIONIDACTIVITYID},
        {FileId::APrec, FileId::APrac, "ReconciliationID", DeleteRule::Cascade,
         APRAC_KEY_RECONCILIATIONID},
        {FileId::APbac, FileId::APbda, "ActivityID", DeleteRule::Cascade, APBDA_KEY_ACTIVITYID},
        {FileId::APbac, FileId::APrac, "ActivityID", DeleteRule::ClearLinkage,
         APRAC_KEY_ACTIVITYID},
    };
    return all;
}

std::string quoted(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}
std::string qualified(std::string_view schema, std::string_view name) {
    return schema.empty() ? quoted(name) : quoted(schema) + "." + quoted(name);
}

const char* sqlType(FieldType t) {
    switch (t) {
        case FieldType::CString:
        case FieldType::String:
            return "TEXT COLLATE NOCASE NOT NULL DEFAULT ''";
        default:
            return "INTEGER NOT NULL DEFAULT 0";
    }
}

}  // namespace

int FieldDef::maxTextBytes() const {
    if (type == FieldType::CString) return width - 1;
    if (type == FieldType::String) return width;
    return 0;
}

int FileDef::fieldIndex(std::string_view n) const {
    if (n.size() > name.size() && n[name.size()] == ':' &&
        text::equalNoCase(n.substr(0, name.size()), name))
        n = n.substr(name.size() + 1);
    for (size_t i = 0; i < fields.size(); ++i)
        if (text::equalNoCase(fields[i].name, n)) return static_cast<int>(i);
    return -1;
}

int FileDef::keyIndex(std::string_view n) const {
    std::string s(n);
    std::replace(s.begin(), s.end(), ':', '_');
    for (size_t i = 0; i < keys.size(); ++i)
        if (text::equalNoCase(keys[i].name, s)) return static_cast<int>(i);
    return -1;
}

const FileDef& fileDef(FileId id) {
    return files()[static_cast<size_t>(id)];
}
std::span<const FileDef> allFiles() {
    return files();
}
const FileDef* findFile(std::string_view name) {
    for (const FileDef& f : files())
        if (text::equalNoCase(f.name, name)) return &f;
    return nullptr;
}
std::span<const LinkDef> allLinks() {
    return links();
}
const KeyDef& keyDef(KeyId key) {
    return fileDef(key.file).keys[static_cast<size_t>(key.index)];
}

std::span<const FormerField> formerFields() {
    static const std::vector<FormerField> all = {
        {FileId::APbnk, "CheckBank", {"APBank", "PRBank"}},
    };
    return all;
}

std::string createTableSql(const FileDef& f, std::string_view schema) {
    std::string sql = "CREATE TABLE " + qualified(schema, f.name) + " (";
    for (const FieldDef& fd : f.fields) sql += quoted(fd.name) + " " + sqlType(fd.type) + ", ";
    sql += std::string(kRevisionColumn) + " INTEGER NOT NULL DEFAULT 0, ";
    sql += std::string(kRowColumn) + " INTEGER PRIMARY KEY AUTOINCREMENT)";
    return sql;
}

std::string keyPresentSql(const FileDef& f, int key) {
    std::string sql = "NOT (";
    const KeyDef& k = f.keys[static_cast<size_t>(key)];
    for (size_t i = 0; i < k.components.size(); ++i) {
        const FieldDef& fd = f.fields[static_cast<size_t>(k.components[i])];
        if (i) sql += " AND ";
        sql += quoted(fd.name) + (fd.isText() ? "=''" : "=0");
    }
    return sql + ")";
}

std::string createIndexSql(const FileDef& f, int key, std::string_view schema) {
    const KeyDef& k = f.keys[static_cast<size_t>(key)];
    std::string sql = std::string("CREATE ") + (k.unique ? "UNIQUE " : "") + "INDEX " +
                      qualified(schema, k.sqlName) + " ON " + quoted(f.name) + " (";
    for (size_t i = 0; i < k.components.size(); ++i) {
        const FieldDef& fd = f.fields[static_cast<size_t>(k.components[i])];
        if (i) sql += ", ";
        sql += quoted(fd.name) + (fd.isText() ? " COLLATE NOCASE" : "");
    }
    return sql + ") WHERE " + keyPresentSql(f, key);
}

std::string createFormerAPbnkTableSql() {
    const FileDef& f = fileDef(FileId::APbnk);
    std::string sql = "CREATE TABLE \"APbnk\" (";
    for (const FieldDef& fd : f.fields) {
        if (fd.name == "PRBank") continue;
        if (fd.name == "APBank")
            sql += "\"CheckBank\" TEXT COLLATE NOCASE NOT NULL DEFAULT '', ";
        else
            sql += quoted(fd.name) + " " + sqlType(fd.type) + ", ";
    }
    sql += std::string(kRevisionColumn) + " INTEGER NOT NULL DEFAULT 0)";
    return sql;
}

// ---- Generic field access ----

std::string cutUtf8(std::string_view text, size_t maxBytes) {
    return text::cutBytes(text, maxBytes);
}

namespace {
template <class T>
T& at(void* rec, const FieldDef& fd) {
    return *reinterpret_cast<T*>(static_cast<char*>(rec) + fd.offset);
}
template <class T>
const T& at(const void* rec, const FieldDef& fd) {
    return *reinterpret_cast<const T*>(static_cast<const char*>(rec) + fd.offset);
}
}  // namespace

FieldValue getField(const FileDef& f, const void* rec, int field) {
    const FieldDef& fd = f.fields[static_cast<size_t>(field)];
    switch (fd.type) {
        case FieldType::Long:
            return static_cast<int64_t>(at<int32_t>(rec, fd));
        case FieldType::Byte:
            return static_cast<int64_t>(at<uint8_t>(rec, fd));
        case FieldType::Decimal:
            return at<Decimal>(rec, fd);
        default:
            return at<std::string>(rec, fd);
    }
}

std::string getFieldText(const FileDef& f, const void* rec, int field) {
    FieldValue v = getField(f, rec, field);
    if (auto* i = std::get_if<int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<Decimal>(&v)) return d->toString();
    return std::get<std::string>(v);
}

bool setField(const FileDef& f, void* rec, int field, const FieldValue& value) {
    if (field < 0 || static_cast<size_t>(field) >= f.fields.size()) return false;
    const FieldDef& fd = f.fields[static_cast<size_t>(field)];
    switch (fd.type) {
        case FieldType::Long: {
            auto* i = std::get_if<int64_t>(&value);
            if (!i || *i < std::numeric_limits<int32_t>::min() ||
                *i > std::numeric_limits<int32_t>::max())
                return false;
            at<int32_t>(rec, fd) = static_cast<int32_t>(*i);
            return true;
        }
        case FieldType::Byte: {
            auto* i = std::get_if<int64_t>(&value);
            if (!i || *i < 0 || *i > 255) return false;
            at<uint8_t>(rec, fd) = static_cast<uint8_t>(*i);
            return true;
        }
        case FieldType::Decimal: {
            Decimal d;
            if (auto* i = std::get_if<int64_t>(&value)) {
                if (*i > Decimal::kMaxCents / 100 || *i < -Decimal::kMaxCents / 100) return false;
                d = Decimal::fromUnits(*i);
            } else if (auto* p = std::get_if<Decimal>(&value)) {
                d = *p;
            } else {
                return false;
            }
            if (!d.inRange()) return false;
            at<Decimal>(rec, fd) = d;
            return true;
        }
        default: {
            auto* s = std::get_if<std::string>(&value);
            if (!s) return false;
            at<std::string>(rec, fd) = cutUtf8(*s, static_cast<size_t>(fd.maxTextBytes()));
            return true;
        }
    }
}

bool setFieldText(const FileDef& f, void* rec, int field, std::string_view text) {
    if (field < 0 || static_cast<size_t>(field) >= f.fields.size()) return false;
    const FieldDef& fd = f.fields[static_cast<size_t>(field)];
    if (fd.isText()) return setField(f, rec, field, std::string(text));
    if (fd.type == FieldType::Decimal) {
        auto d = Decimal::parse(text);
        return d && setField(f, rec, field, *d);
    }
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    int64_t v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || p != t.data() + t.size()) return false;
    return setField(f, rec, field, v);
}

void cutTextFields(const FileDef& f, void* rec) {
    for (const FieldDef& fd : f.fields) {
        if (!fd.isText()) continue;
        std::string& s = at<std::string>(rec, fd);
        if (s.size() > static_cast<size_t>(fd.maxTextBytes()))
            s = cutUtf8(s, static_cast<size_t>(fd.maxTextBytes()));
    }
}

void clearRecord(const FileDef& f, void* rec) {
    for (const FieldDef& fd : f.fields) {
        switch (fd.type) {
            case FieldType::Long:
                at<int32_t>(rec, fd) = 0;
                break;
            case FieldType::Byte:
                at<uint8_t>(rec, fd) = 0;
                break;
            case FieldType::Decimal:
                at<Decimal>(rec, fd) = Decimal();
                break;
            default:
                at<std::string>(rec, fd).clear();
        }
    }
}

}  // namespace storage
