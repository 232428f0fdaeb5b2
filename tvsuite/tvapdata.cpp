// Payables outstanding-check register over the suite file's Register table.
#include "suiteapi/tvapdata.h"

#include "tvsuite/fixed_text.h"
#include "tvsuite/open_files.h"
#include "tvsuite/record_area.h"

using namespace tvsuite;

namespace {

// Offsets inside the TVAP_RECORD_SIZE record area.
constexpr size_t kBank = 0, kType = 10, kExt = 11, kRun = 18, kInt = 23, kAmount = 30, kVendor = 49,
                 kName = 58, kMode = 93, kStatus = 94, kUseCnt = 95, kEnd = 100;

struct Key {
    std::string bank, type, ext, run, internal;
};

// The record's key, checked: nullopt when a part is malformed.
std::optional<Key> keyOf(const char* record) {
    Key key{getAt(record, kBank, TVAP_BANK_LEN), getAt(record, kType, 1),
            getAt(record, kExt, TVAP_EXT_LEN), getAt(record, kRun, TVAP_RUN_LEN),
            getAt(record, kInt, TVAP_INT_LEN)};
    if (trim(key.bank).empty() || (key.type != "C" && key.type != "B")) return std::nullopt;
    if (!allDigits(key.ext) || !allDigits(key.run) || !allDigits(key.internal)) return std::nullopt;
    return key;
}

bool dataValid(const char* record) {
    return parseCents(getAt(record, kAmount, TVAP_AMOUNT_LEN)).has_value() &&
           allDigits(getAt(record, kVendor, TVAP_VENDOR_LEN)) &&
           allDigits(getAt(record, kUseCnt, TVAP_USECNT_LEN));
}

// A blank is zero. A number that does not fit (or is no number) leaves the field marked "?", so a
// write of the record is refused instead of keeping a cut-off key.
void putDigits(char* record, size_t offset, size_t width, const char* text) {
    const std::string value = trim(fieldText(text, width + 8));
    auto filled = zeroFilled(value.empty() ? "0" : value, width);
    setAt(record, offset, width, filled ? *filled : std::string(width, '?'));
}

void putText(char* record, size_t offset, size_t width, const char* text) {
    setAt(record, offset, width, fieldText(text, width));
}

// Binds the key to parameters 1 (division) to 6.
void bindKey(Statement& statement, const OpenFile& file, const Key& key) {
    statement.bind(1, file.division)
        .bind(2, key.bank)
        .bind(3, key.type)
        .bind(4, key.ext)
        .bind(5, key.run)
        .bind(6, key.internal);
}

// Binds the record's data fields to parameters 7 (amount) to 12 (use count).
void bindData(Statement& statement, const char* record) {
    statement.bind(7, getAt(record, kAmount, TVAP_AMOUNT_LEN))
        .bind(8, getAt(record, kVendor, TVAP_VENDOR_LEN))
        .bind(9, getAt(record, kName, TVAP_NAME_LEN))
        .bind(10, getAt(record, kMode, TVAP_MODE_LEN))
        .bind(11, getAt(record, kStatus, TVAP_STATUS_LEN))
        .bind(12, getAt(record, kUseCnt, TVAP_USECNT_LEN));
}

// Checks the handle and record for a change: the open file, or a status in `status`.
std::shared_ptr<OpenFile> forChange(char* handle, const char* record, char* status,
                                    std::optional<Key>& key, bool needData) {
    std::shared_ptr<OpenFile> file = findFile(handle, FileKind::Register);
    if (!file) {
        setStatus(status, "99");
        return nullptr;
    }
    key = keyOf(record);
    if (!key || (needData && !dataValid(record))) {
        setStatus(status, "30");
        return nullptr;
    }
    if (!file->update) {
        setStatus(status, "37");
        return nullptr;
    }
    return file;
}

}  // namespace

extern "C" {

void ocropen(char* handle, const char* mode, const char* division, char* status) {
    setStatus(status, openFile(handle, FileKind::Register, mode, division, "OI OB"));
}

void ocrclose(char* handle, char* status) {
    setStatus(status, closeFile(handle, FileKind::Register));
}

void ocrInit(char* record) {
    if (!record) return;
    setAt(record, 0, kEnd, "");
    setAt(record, kExt, TVAP_EXT_LEN, "0000000");
    setAt(record, kRun, TVAP_RUN_LEN, "00000");
    setAt(record, kInt, TVAP_INT_LEN, "0000000");
    setAt(record, kAmount, TVAP_AMOUNT_LEN, formatAmount19(0));
    setAt(record, kVendor, TVAP_VENDOR_LEN, "000000000");
    setAt(record, kUseCnt, TVAP_USECNT_LEN, "00000");
    record[kEnd] = '\0';
}

void ocrPutBank(char* record, const char* text) {
    putText(record, kBank, TVAP_BANK_LEN, text);
}
void ocrPutType(char* record, const char* text) {
    putText(record, kType, TVAP_TYPE_LEN, text);
}
void ocrPutExt(char* record, const char* text) {
    putDigits(record, kExt, TVAP_EXT_LEN, text);
}
void ocrPutRun(char* record, const char* text) {
    putDigits(record, kRun, TVAP_RUN_LEN, text);
}
void ocrPutInt(char* record, const char* text) {
    putDigits(record, kInt, TVAP_INT_LEN, text);
}
void ocrPutAmount(char* record, const char* text) {
    // Any money text is accepted and kept in the "n-019.2" form; malformed text is kept as
    // it is, so the write refuses it.
    const std::string value = fieldText(text, 40);
    auto cents = parseCents(value);
    setAt(record, kAmount, TVAP_AMOUNT_LEN, cents ? formatAmount19(*cents) : value);
}
void ocrPutVendor(char* record, const char* text) {
    putDigits(record, kVendor, TVAP_VENDOR_LEN, text);
}
void ocrPutName(char* record, const char* text) {
    putText(record, kName, TVAP_NAME_LEN, text);
}
void ocrPutMode(char* record, const char* text) {
    putText(record, kMode, TVAP_MODE_LEN, text);
}
void ocrPutStatus(char* record, const char* text) {
    putText(record, kStatus, TVAP_STATUS_LEN, text);
}
void ocrPutUseCnt(char* record, const char* text) {
    putDigits(record, kUseCnt, TVAP_USECNT_LEN, text);
}

void ocrGetBank(const char* record, char* out) {
    copyOut(out, record, kBank, TVAP_BANK_LEN);
}
void ocrGetType(const char* record, char* out) {
    copyOut(out, record, kType, TVAP_TYPE_LEN);
}
void ocrGetExt(const char* record, char* out) {
    copyOut(out, record, kExt, TVAP_EXT_LEN);
}
void ocrGetRun(const char* record, char* out) {
    copyOut(out, record, kRun, TVAP_RUN_LEN);
}
void ocrGetInt(const char* record, char* out) {
    copyOut(out, record, kInt, TVAP_INT_LEN);
}
void ocrGetAmount(const char* record, char* out) {
    copyOut(out, record, kAmount, TVAP_AMOUNT_LEN);
}
void ocrGetVendor(const char* record, char* out) {
    copyOut(out, record, kVendor, TVAP_VENDOR_LEN);
}
void ocrGetName(const char* record, char* out) {
    copyOut(out, record, kName, TVAP_NAME_LEN);
}
void ocrGetMode(const char* record, char* out) {
    copyOut(out, record, kMode, TVAP_MODE_LEN);
}
void ocrGetStatus(const char* record, char* out) {
    copyOut(out, record, kStatus, TVAP_STATUS_LEN);
}
void ocrGetUseCnt(const char* record, char* out) {
    copyOut(out, record, kUseCnt, TVAP_USECNT_LEN);
}

void ocrread(char* handle, char* record, const char* mode, char* status) {
    std::shared_ptr<OpenFile> file = findFile(handle, FileKind::Register);
    if (!file) return setStatus(status, "99");
    const std::optional<Key> key = keyOf(record);
    if (!key || upper(trimmedField(mode, 4)) != "RR") return setStatus(status, "30");
    Statement read(file->db,
                   "SELECT Amount, Vendor, Name, Mode, Status, UseCnt FROM Register"
                   " WHERE Division = ?1 AND Bank = ?2 AND Type = ?3 AND Ext = ?4 AND Run = ?5"
                   " AND Int = ?6");
    bindKey(read, *file, *key);
    const int rc = read.step();
    if (rc == SQLITE_DONE) return setStatus(status, "23");
    if (rc != SQLITE_ROW) return setStatus(status, "90");
    setAt(record, kAmount, TVAP_AMOUNT_LEN, read.text(0));
    setAt(record, kVendor, TVAP_VENDOR_LEN, read.text(1));
    setAt(record, kName, TVAP_NAME_LEN, read.text(2));
    setAt(record, kMode, TVAP_MODE_LEN, read.text(3));
    setAt(record, kStatus, TVAP_STATUS_LEN, read.text(4));
    setAt(record, kUseCnt, TVAP_USECNT_LEN, read.text(5));
    record[kEnd] = '\0';
    setStatus(status, "00");
}

void ocrwrite(char* handle, char* record, char* status) {
    std::optional<Key> key;
    std::shared_ptr<OpenFile> file = forChange(handle, record, status, key, true);
    if (!file) return;
    // A check written here waits for the bank's next clearing run.
    Statement insert(file->db,
                     "INSERT INTO Register(Division, Bank, Type, Ext, Run, Int, Amount, Vendor,"
                     " Name, Mode, Status, UseCnt, Pending) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7,"
                     " ?8, ?9, ?10, ?11, ?12, ?3 = 'C')");
    bindKey(insert, *file, *key);
    bindData(insert, record);
    const int rc = insert.step();
    setStatus(status, rc == SQLITE_DONE ? "00" : (rc == SQLITE_CONSTRAINT ? "22" : "90"));
}

void ocrrewrite(char* handle, char* record, char* status) {
    std::optional<Key> key;
    std::shared_ptr<OpenFile> file = forChange(handle, record, status, key, true);
    if (!file) return;
    Statement update(file->db,
                     "UPDATE Register SET Amount = ?7, Vendor = ?8, Name = ?9, Mode = ?10,"
                     " Status = ?11, UseCnt = ?12, Pending = (Type = 'C' OR Pending)"
                     " WHERE Division = ?1 AND Bank = ?2 AND Type = ?3 AND Ext = ?4"
                     " AND Run = ?5 AND Int = ?6");
    bindKey(update, *file, *key);
    bindData(update, record);
    if (update.step() != SQLITE_DONE) return setStatus(status, "90");
    setStatus(status, sqlite3_changes(file->db.raw()) > 0 ? "00" : "23");
}

void ocrdelete(char* handle, char* record, char* status) {
    std::optional<Key> key;
    std::shared_ptr<OpenFile> file = forChange(handle, record, status, key, false);
    if (!file) return;
    Statement remove(file->db,
                     "DELETE FROM Register WHERE Division = ?1 AND Bank = ?2 AND Type = ?3"
                     " AND Ext = ?4 AND Run = ?5 AND Int = ?6");
    bindKey(remove, *file, *key);
    if (remove.step() != SQLITE_DONE) return setStatus(status, "90");
    setStatus(status, sqlite3_changes(file->db.raw()) > 0 ? "00" : "23");
}

}  // extern "C"
