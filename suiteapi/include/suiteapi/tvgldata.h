#pragma once
// General ledger of the accounting suite ("tvgldata"): chart of accounts, journal codes and
// posting of journal entries.
//
// Every argument is the address of a fixed-length, zero-terminated text field. Statuses:
//   "00" success          "10" end of the journal file (cscnext)
//   "23" not found        "30" malformed argument
//   "35" the suite's files are missing or cannot be opened
//   "90" storage failure  "99" call on a handle that is not open
// Get calls return the field at its full width, blank-padded, into an output field of at
// least width + 1 bytes. Handle areas are TVSUITE_HANDLE_SIZE bytes (see tvapdata.h).
//
// Accounts. The external (printed) form is segments joined by "-", e.g. "1000-000-00".
// The internal form is the segment count in 3 digits followed by each segment
// left-justified in 19 characters and a blank: "003" "1000               " " " ... It is
// the tail of a journal line, TVGL_INTERNAL_SIZE bytes at most (10 segments). Each segment
// value is a record of the chart with a status letter ("A" active, "B" budget only, any
// other letter inactive) and a description.
#ifndef TVSUITE_HANDLE_SIZE
#define TVSUITE_HANDLE_SIZE 101
#endif

#define TVGL_MAX_SEGMENTS 10
#define TVGL_SEGMENT_LEN 19
#define TVGL_INTERNAL_SIZE 204 /* 3 + 10 * (19 + 1) + zero */
#define TVGL_EXTERNAL55_SIZE 56
#define TVGL_EXTERNAL_SIZE 31

/* Account lookup record (csi): string ID, external ID, description, status letter. */
#define TVGL_CSI_RECORD_SIZE 141
#define TVGL_CSI_ID_LEN 20
#define TVGL_CSI_EXTID_LEN 55
#define TVGL_CSI_DESC_LEN 60
#define TVGL_CSI_STATUS_LEN 1

/* Journal code record (csc). */
#define TVGL_CSC_RECORD_SIZE 61
#define TVGL_CSC_RCDTYPE_LEN 1 /* "1" journal */
#define TVGL_CSC_ABBR_LEN 5
#define TVGL_CSC_NBR_LEN 3
#define TVGL_CSC_DESC_LEN 30
#define TVGL_CSC_POST_LEN 1   /* "0" posted through journal entry */
#define TVGL_CSC_BUDGET_LEN 1 /* "1" budget journal */

/* The three journal areas that cstLoadJnl fills.
   Head (TVGL_JNL_HEAD_SIZE): abbreviation, number, description, record type, post code.
   Layout (TVGL_JNL_LAYOUT_SIZE): segment count (3 digits) and the separator.
   Flags (TVGL_JNL_FLAGS_SIZE): the budget flag ("1" budget journal, "0" not). */
#define TVGL_JNL_HEAD_SIZE 101
#define TVGL_JNL_HEAD_ABBR_OFS 0
#define TVGL_JNL_HEAD_ABBR_LEN 5
#define TVGL_JNL_HEAD_NBR_OFS 5
#define TVGL_JNL_HEAD_NBR_LEN 3
#define TVGL_JNL_HEAD_DESC_OFS 8
#define TVGL_JNL_HEAD_DESC_LEN 30
#define TVGL_JNL_HEAD_RCDTYPE_OFS 38
#define TVGL_JNL_HEAD_POST_OFS 39
#define TVGL_JNL_LAYOUT_SIZE 101
#define TVGL_JNL_LAYOUT_SEGCNT_OFS 0
#define TVGL_JNL_LAYOUT_SEGCNT_LEN 3
#define TVGL_JNL_LAYOUT_SEPARATOR_OFS 3
#define TVGL_JNL_FLAGS_SIZE 21
#define TVGL_JNL_FLAGS_BUDGET_OFS 0

/* Journal entry line (cszwrite): one blank, journal code (5), description (30), references
   1 to 3 (10 each), "0" in 10 places, three zero amounts with 4 decimals and one with 2 (19
   places each), the amount ("n-019.2", 19), then the internal account form. */
#define TVGL_LINE_JOURNAL_OFS 1
#define TVGL_LINE_DESC_OFS 6
#define TVGL_LINE_REF1_OFS 36
#define TVGL_LINE_REF2_OFS 46
#define TVGL_LINE_REF3_OFS 56
#define TVGL_LINE_ZERO_OFS 66
#define TVGL_LINE_ZERO_AMOUNTS_OFS 76
#define TVGL_LINE_AMOUNT_OFS 152
#define TVGL_LINE_ACCOUNT_OFS 171
#define TVGL_LINE_SIZE (TVGL_LINE_ACCOUNT_OFS + TVGL_INTERNAL_SIZE)

#define TVGL_ERROR_SIZE 61  /* cstLoadJnl error text: 60 characters */
#define TVGL_RESULT_SIZE 11 /* cstPost result: the batch number */
#define TVGL_WORK_SIZE 129  /* cstPost work area: 128 characters, receives the error text */

#ifdef __cplusplus
extern "C" {
#endif

/* Chart of accounts. mode "OI" or "OB"; division two digits. */
void csiopen(char* handle, const char* mode, const char* division, char* status);
void csiclose(char* handle, char* status);
void csiPutID(char* record, const char* stringId);
// Reads the account whose string ID is in the record (mode "RR"): "00" or "23".
void csiread(char* handle, char* record, const char* mode, char* status);
void csiGetExtID(const char* record, char* out);
void csiGetDesc(const char* record, char* out);
void csiGetStatus(const char* record, char* out);
// Segment count of an internal account form, 3 digits ("000" when blank or malformed).
void cstGetSegCnt(const char* internal, char* count);
// Reads segment `segnbr` (1-based, digits) of the internal account form from the chart and
// fills the record: csiGetExtID gives the segment value, csiGetDesc its description,
// csiGetStatus its status letter. "00" found, "23" not in the chart, "30" no such segment.
void csiReadSeg(char* handle, char* record, const char* internal, const char* segnbr, char* status);

/* Conversions for the division's chart; the output is blank when the account is not in the
   system (unknown, malformed, or division not two digits). Outputs: internal
   TVGL_INTERNAL_SIZE, external55 TVGL_EXTERNAL55_SIZE, external TVGL_EXTERNAL_SIZE bytes. */
void cstCvtE55toI(const char* division, const char* external55, char* internal);
void cstCvtItoE55(const char* division, const char* internal, char* external55);
void cstCvtItoE(const char* division, const char* internal, char* external);

/* Journal codes, walked in (record type, abbreviation) order. */
void cscopen(char* handle, const char* mode, const char* division, char* status);
void cscclose(char* handle, char* status);
void cscPutRcdType(char* record, const char* text);
void cscPutKeyJnlAbbr(char* record, const char* text);
// Positions before the first journal whose key compares to the record's key by `op`
// ("EQ", "GE", "GT"): "00" when there is one, "23" otherwise. cscnext then reads it.
void cscstart(char* handle, char* record, const char* op, char* status);
// Reads the next journal into the record: "00", or "10" past the last one.
void cscnext(char* handle, char* record, char* status);
void cscGetRcdType(const char* record, char* out);
void cscGetKeyJnlNbr(const char* record, char* out);
void cscGetKeyJnlAbbr(const char* record, char* out);
void cscGetDesc(const char* record, char* out);
void cscGetPost(const char* record, char* out);
void cscGetBudget(const char* record, char* out);

/* Loads journal `journalKey` (one blank and the 5-character abbreviation) of `division`
   into the three areas. On success the error text is blank; otherwise it holds the reason
   (for example "Journal XX not in system.") and the areas are untouched. */
void cstLoadJnl(const char* division, char* errorText, const char* journalKey, char* head,
                char* layout, char* flags);

/* Journal entry work file of a terminal. cszopen mode "OO" starts a new entry for the
   terminal (4 digits), dropping lines left from an entry that was never posted. cszwrite
   checks the line's form ("30" when malformed) and keeps it. */
void cszopen(char* handle, const char* mode, const char* terminal, char* status);
void cszwrite(char* handle, const char* line, char* status);
void cszclose(char* handle, char* status);

/* Posts the terminal's entry in the division as one batch dated `postDate` (mm/dd/yyyy),
   mode "I". Every line is checked first: the journal exists, each account exists, every
   segment is active ("A") or budget only ("B", allowed only with a budget journal), all
   lines use one journal, and the amounts balance. On success `result` holds the new batch
   number and `work` is blank; on failure `result` is "0", nothing is posted and `work`
   holds the reason. The terminal's lines are dropped after a successful post. */
void cstPost(const char* terminal, const char* division, const char* zero, const char* postDate,
             const char* mode, char* result, char* work);

#ifdef __cplusplus
}
#endif
