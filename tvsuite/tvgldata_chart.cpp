// Chart of accounts, account forms and journal codes of the general ledger.
#include <cstdio>

#include "suiteapi/tvgldata.h"
#include "tvsuite/account_form.h"
#include "tvsuite/fixed_text.h"
#include "tvsuite/ledger_lookup.h"
#include "tvsuite/open_files.h"
#include "tvsuite/record_area.h"
#include "tvsuite/suite_files.h"

using namespace tvsuite;

namespace {

// Account lookup record.
constexpr size_t kCsiId = 0, kCsiExt = 20, kCsiDesc = 75, kCsiStatus = 135, kCsiEnd = 136;
// Journal code record.
constexpr size_t kCscRcdType = 0, kCscAbbr = 1, kCscNbr = 6, kCscDesc = 9, kCscPost = 39,
                 kCscBudget = 40, kCscEnd = 41;

void fillCsi(char* record, const std::string& ext, const std::string& desc,
             const std::string& status) {
    setAt(record, kCsiExt, TVGL_CSI_EXTID_LEN, ext);
    setAt(record, kCsiDesc, TVGL_CSI_DESC_LEN, desc);
    setAt(record, kCsiStatus, TVGL_CSI_STATUS_LEN, status);
    record[kCsiEnd] = '\0';
}

// Runs `use` with a connection to the suite file; false when it cannot be opened.
template <typename Use>
bool withSuiteFile(Use use) {
    SqliteDb db;
    if (!openSuiteFile(db, dataFolder(), false).empty()) return false;
    use(db);
    return true;
}

void writeOut(char* out, const std::string& text) {
    if (!out) return;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
}

// The division's account for an internal form, as its segments; nullopt when unknown.
std::optional<std::vector<std::string>> knownInternal(const char* division, const char* internal) {
    auto div = tvsuite::division(division);
    auto segments = segmentsOfInternal(fieldText(internal, TVGL_INTERNAL_SIZE - 1));
    if (!div || !segments) return std::nullopt;
    bool known = false;
    withSuiteFile([&](SqliteDb& db) { known = findAccount(db, *div, *segments).has_value(); });
    if (!known) return std::nullopt;
    return segments;
}

}  // namespace

extern "C" {

void csiopen(char* handle, const char* mode, const char* division, char* status) {
    setStatus(status, openFile(handle, FileKind::Chart, mode, division, "OI OB"));
}

void csiclose(char* handle, char* status) {
    setStatus(status, closeFile(handle, FileKind::Chart));
}

void csiPutID(char* record, const char* stringId) {
    setAt(record, kCsiId, TVGL_CSI_ID_LEN, fieldText(stringId, TVGL_CSI_ID_LEN));
}

void csiread(char* handle, char* record, const char* mode, char* status) {
    std::shared_ptr<OpenFile> file = findFile(handle, FileKind::Chart);
    if (!file) return setStatus(status, "99");
    if (!record || upper(trimmedField(mode, 4)) != "RR") return setStatus(status, "30");
    const std::string id = trim(getAt(record, kCsiId, TVGL_CSI_ID_LEN));
    Statement read(file->db,
                   "SELECT External, Description, Status FROM Account WHERE Division = ?1"
                   " AND StringID = ?2");
    read.bind(1, file->division).bind(2, id);
    const int rc = read.step();
    if (rc == SQLITE_ROW) {
        fillCsi(record, read.text(0), read.text(1), read.text(2));
        return setStatus(status, "00");
    }
    fillCsi(record, "", "", "");
    setStatus(status, rc == SQLITE_DONE ? "23" : "90");
}

void csiGetExtID(const char* record, char* out) {
    copyOut(out, record, kCsiExt, TVGL_CSI_EXTID_LEN);
}
void csiGetDesc(const char* record, char* out) {
    copyOut(out, record, kCsiDesc, TVGL_CSI_DESC_LEN);
}
void csiGetStatus(const char* record, char* out) {
    copyOut(out, record, kCsiStatus, TVGL_CSI_STATUS_LEN);
}

void cstGetSegCnt(const char* internal, char* count) {
    auto segments = segmentsOfInternal(fieldText(internal, TVGL_INTERNAL_SIZE - 1));
    char text[8];
    std::snprintf(text, sizeof text, "%03d", segments ? static_cast<int>(segments->size()) : 0);
    writeOut(count, text);
}

void csiReadSeg(char* handle, char* record, const char* internal, const char* segnbr,
                char* status) {
    std::shared_ptr<OpenFile> file = findFile(handle, FileKind::Chart);
    if (!file) return setStatus(status, "99");
    auto segments = segmentsOfInternal(fieldText(internal, TVGL_INTERNAL_SIZE - 1));
    const std::string number = trimmedField(segnbr, 8);
    if (!record || !segments || !allDigits(number) || number.size() > 3)
        return setStatus(status, "30");
    const int n = std::stoi(number);
    if (n < 1 || n > static_cast<int>(segments->size())) return setStatus(status, "30");
    const std::string& value = (*segments)[n - 1];
    auto row = findSegment(file->db, file->division, n, value);
    fillCsi(record, value, row ? row->description : "", row ? row->status : "");
    setStatus(status, row ? "00" : "23");
}

void cstCvtE55toI(const char* division, const char* external55, char* internal) {
    if (!internal) return;
    internal[0] = '\0';
    auto div = tvsuite::division(division);
    auto segments = segmentsOfExternal(fieldText(external55, TVGL_EXTERNAL55_SIZE - 1));
    if (!div || !segments) return;
    withSuiteFile([&](SqliteDb& db) {
        if (auto form = findAccount(db, *div, *segments)) writeOut(internal, *form);
    });
}

void cstCvtItoE55(const char* division, const char* internal, char* external55) {
    if (!external55) return;
    auto segments = knownInternal(division, internal);
    writeOut(external55, segments ? externalForm(*segments).substr(0, TVGL_EXTERNAL55_SIZE - 1)
                                  : std::string());
}

void cstCvtItoE(const char* division, const char* internal, char* external) {
    if (!external) return;
    auto segments = knownInternal(division, internal);
    writeOut(external,
             segments ? externalForm(*segments).substr(0, TVGL_EXTERNAL_SIZE - 1) : std::string());
}

void cscopen(char* handle, const char* mode, const char* division, char* status) {
    setStatus(status, openFile(handle, FileKind::Journals, mode, division, "OI OB"));
}

void cscclose(char* handle, char* status) {
    setStatus(status, closeFile(handle, FileKind::Journals));
}

void cscPutRcdType(char* record, const char* text) {
    setAt(record, kCscRcdType, TVGL_CSC_RCDTYPE_LEN, fieldText(text, TVGL_CSC_RCDTYPE_LEN));
}

void cscPutKeyJnlAbbr(char* record, const char* text) {
    setAt(record, kCscAbbr, TVGL_CSC_ABBR_LEN, fieldText(text, TVGL_CSC_ABBR_LEN));
}

void cscstart(char* handle, char* record, const char* op, char* status) {
    std::shared_ptr<OpenFile> file = findFile(handle, FileKind::Journals);
    if (!file) return setStatus(status, "99");
    const std::string how = upper(trimmedField(op, 4));
    if (!record || (how != "EQ" && how != "GE" && how != "GT")) return setStatus(status, "30");
    const std::string type = trim(getAt(record, kCscRcdType, TVGL_CSC_RCDTYPE_LEN));
    const std::string abbr = upper(trim(getAt(record, kCscAbbr, TVGL_CSC_ABBR_LEN)));
    Statement probe(file->db,
                    "SELECT RcdType, Abbr FROM Journal WHERE Division = ?1 AND (RcdType > ?2"
                    " OR (RcdType = ?2 AND Abbr >= ?3)) ORDER BY RcdType, Abbr LIMIT 1");
    probe.bind(1, file->division).bind(2, type).bind(3, how == "GT" ? abbr + '\x01' : abbr);
    const int rc = probe.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return setStatus(status, "90");
    bool found = rc == SQLITE_ROW;
    if (found && how == "EQ") found = probe.text(0) == type && probe.text(1) == abbr;
    file->walkRecordType = type;
    file->walkAbbr = abbr;
    file->walkInclusive = how != "GT";
    setStatus(status, found ? "00" : "23");
}

void cscnext(char* handle, char* record, char* status) {
    std::shared_ptr<OpenFile> file = findFile(handle, FileKind::Journals);
    if (!file) return setStatus(status, "99");
    if (!record) return setStatus(status, "30");
    Statement next(file->db,
                   "SELECT RcdType, Abbr, Nbr, Description, Post, Budget FROM Journal"
                   " WHERE Division = ?1 AND (RcdType > ?2 OR (RcdType = ?2 AND Abbr >= ?3))"
                   " ORDER BY RcdType, Abbr LIMIT 1");
    next.bind(1, file->division)
        .bind(2, file->walkRecordType)
        .bind(3, file->walkInclusive ? file->walkAbbr : file->walkAbbr + '\x01');
    const int rc = next.step();
    if (rc == SQLITE_DONE) return setStatus(status, "10");
    if (rc != SQLITE_ROW) return setStatus(status, "90");
    file->walkRecordType = next.text(0);
    file->walkAbbr = next.text(1);
    file->walkInclusive = false;
    setAt(record, kCscRcdType, TVGL_CSC_RCDTYPE_LEN, next.text(0));
    setAt(record, kCscAbbr, TVGL_CSC_ABBR_LEN, next.text(1));
    setAt(record, kCscNbr, TVGL_CSC_NBR_LEN, next.text(2));
    setAt(record, kCscDesc, TVGL_CSC_DESC_LEN, next.text(3));
    setAt(record, kCscPost, TVGL_CSC_POST_LEN, next.text(4));
    setAt(record, kCscBudget, TVGL_CSC_BUDGET_LEN, next.text(5));
    record[kCscEnd] = '\0';
    setStatus(status, "00");
}

void cscGetRcdType(const char* record, char* out) {
    copyOut(out, record, kCscRcdType, TVGL_CSC_RCDTYPE_LEN);
}
void cscGetKeyJnlNbr(const char* record, char* out) {
    copyOut(out, record, kCscNbr, TVGL_CSC_NBR_LEN);
}
void cscGetKeyJnlAbbr(const char* record, char* out) {
    copyOut(out, record, kCscAbbr, TVGL_CSC_ABBR_LEN);
}
void cscGetDesc(const char* record, char* out) {
    copyOut(out, record, kCscDesc, TVGL_CSC_DESC_LEN);
}
void cscGetPost(const char* record, char* out) {
    copyOut(out, record, kCscPost, TVGL_CSC_POST_LEN);
}
void cscGetBudget(const char* record, char* out) {
    copyOut(out, record, kCscBudget, TVGL_CSC_BUDGET_LEN);
}

void cstLoadJnl(const char* division, char* errorText, const char* journalKey, char* head,
                char* layout, char* flags) {
    std::string error;
    const std::string abbr = upper(trimmedField(journalKey, 6));
    std::optional<JournalRow> journal;
    int segmentCount = 0;
    auto div = tvsuite::division(division);
    if (!div) {
        error = "Invalid division " + trimmedField(division, 8) + ".";
    } else if (abbr.empty() || abbr.size() > TVGL_CSC_ABBR_LEN) {
        error = "Journal " + abbr + " not in system.";
    } else if (!withSuiteFile([&](SqliteDb& db) {
                   journal = findJournal(db, *div, abbr);
                   Statement count(db, "SELECT max(SegNbr) FROM Segment WHERE Division = ?1");
                   count.bind(1, *div);
                   if (count.step() == SQLITE_ROW)
                       segmentCount = static_cast<int>(count.integer(0));
               })) {
        error = "Unable to open the journal file.";
    } else if (!journal) {
        error = "Journal " + abbr + " not in system.";
    }
    if (errorText) putField(errorText, error, TVGL_ERROR_SIZE - 1);
    if (!error.empty()) return;
    if (head) {
        setAt(head, 0, TVGL_JNL_HEAD_SIZE - 1, "");
        setAt(head, TVGL_JNL_HEAD_ABBR_OFS, TVGL_JNL_HEAD_ABBR_LEN, journal->abbr);
        setAt(head, TVGL_JNL_HEAD_NBR_OFS, TVGL_JNL_HEAD_NBR_LEN, journal->number);
        setAt(head, TVGL_JNL_HEAD_DESC_OFS, TVGL_JNL_HEAD_DESC_LEN, journal->description);
        setAt(head, TVGL_JNL_HEAD_RCDTYPE_OFS, 1, journal->recordType);
        setAt(head, TVGL_JNL_HEAD_POST_OFS, 1, journal->post);
        head[TVGL_JNL_HEAD_SIZE - 1] = '\0';
    }
    if (layout) {
        char count[8];
        std::snprintf(count, sizeof count, "%03d", segmentCount);
        setAt(layout, 0, TVGL_JNL_LAYOUT_SIZE - 1, "");
        setAt(layout, TVGL_JNL_LAYOUT_SEGCNT_OFS, TVGL_JNL_LAYOUT_SEGCNT_LEN, count);
        setAt(layout, TVGL_JNL_LAYOUT_SEPARATOR_OFS, 1, "-");
        layout[TVGL_JNL_LAYOUT_SIZE - 1] = '\0';
    }
    if (flags) {
        setAt(flags, 0, TVGL_JNL_FLAGS_SIZE - 1, "");
        setAt(flags, TVGL_JNL_FLAGS_BUDGET_OFS, 1, journal->budget ? "1" : "0");
        flags[TVGL_JNL_FLAGS_SIZE - 1] = '\0';
    }
}

}  // extern "C"
