#pragma once
// Payroll files of the accounting suite ("tvpydata"): the check file "PYK" and the bank
// reconciliation file "BRK", each a file of 700-character records.
//
// Every argument is the address of a fixed-length, zero-terminated text field. Statuses:
//   "00" success          "23" record not found
//   "30" malformed argument (file type, mode, division, record)
//   "35" the suite's files are missing or cannot be opened
//   "37" rewrite on a file opened for inquiry ("OI")
//   "51" the record is locked by another open file
//   "90" storage failure  "99" call on a file that is not open
//
// `type` is "PYK" or "BRK". `path` is the caller's file area (TVSUITE_HANDLE_SIZE bytes):
// FileOpen writes the open file's token into it and the other calls name the file by it.
// Records are TVPY_RECORD_SIZE bytes; a record is found by its leading key fields.
// Read mode "RL" locks the record for this open file: until FileUnlock, FileClose or a
// later "RL" read through the same file, a read or rewrite of that record through any other
// open file fails with "51". Locks live in the process that took them.
#ifndef TVSUITE_HANDLE_SIZE
#define TVSUITE_HANDLE_SIZE 101
#endif

#define TVPY_RECORD_LEN 700
#define TVPY_RECORD_SIZE 701

/* "PYK" payroll check record: offsets and lengths. Key: EMP .. EXTFORM (42 characters). */
#define PYK_EMP_OFS 0
#define PYK_EMP_LEN 9
#define PYK_CHECKDATE_OFS 9 /* mm/dd/yyyy */
#define PYK_CHECKDATE_LEN 10
#define PYK_RUN_OFS 19
#define PYK_RUN_LEN 9
#define PYK_CHECKNBR_OFS 28
#define PYK_CHECKNBR_LEN 7
#define PYK_EXTFORM_OFS 35
#define PYK_EXTFORM_LEN 7
#define PYK_KEY_LEN 42
#define PYK_TRACEUSER_OFS 42
#define PYK_TRACEUSER_LEN 5
#define PYK_TRACEYR_OFS 47
#define PYK_TRACEMH_OFS 49
#define PYK_TRACEDY_OFS 51
#define PYK_TRACEHR_OFS 53
#define PYK_TRACEMN_OFS 55
#define PYK_A1BANK_OFS 57
#define PYK_A1BANK_LEN 10
#define PYK_A1CHECKDATE_OFS 67
#define PYK_A1CHECKDATE_LEN 10
#define PYK_A1CHECKNBR_OFS 77
#define PYK_A1CHECKNBR_LEN 7
#define PYK_A2BANK_OFS 84
#define PYK_A2BANK_LEN 10
#define PYK_A2CHECKNBR_OFS 94
#define PYK_A2CHECKNBR_LEN 7
#define PYK_A2RUN_OFS 101
#define PYK_A2RUN_LEN 9
#define PYK_A3BANK_OFS 110
#define PYK_A3BANK_LEN 10
#define PYK_A3EXTFORM_OFS 120
#define PYK_A3EXTFORM_LEN 7
#define PYK_A3RUN_OFS 127
#define PYK_A3RUN_LEN 9
#define PYK_NAME_OFS 136
#define PYK_NAME_LEN 40
#define PYK_AMOUNT_OFS 176
#define PYK_AMOUNT_LEN 19
#define PYK_BANKEM55_OFS 195
#define PYK_BANKEM55_LEN 55
#define PYK_PAYDATE_OFS 250
#define PYK_PAYDATE_LEN 10
#define PYK_STATUS_OFS 260
#define PYK_EXTSEQNBR_OFS 261
#define PYK_EXTSEQNBR_LEN 11
#define PYK_RECSTATUS_OFS 272 /* "O" outstanding, "R" reconciled */
#define PYK_VOIDSTATUS_OFS 273
#define PYK_CHKTYPE_OFS 274
#define PYK_FILLER_OFS 275
#define PYK_FILLER_LEN 425

/* "BRK" payroll bank reconciliation record. Key: BANK .. BRKSEQ (34 characters). */
#define BRK_BANK_OFS 0
#define BRK_BANK_LEN 10
#define BRK_DATE_OFS 10 /* mm/dd/yyyy */
#define BRK_DATE_LEN 10
#define BRK_TYPE_OFS 20 /* "C" check, "U" other */
#define BRK_BRKREF_OFS 21
#define BRK_BRKREF_LEN 10
#define BRK_BRKSEQ_OFS 31
#define BRK_BRKSEQ_LEN 3
#define BRK_KEY_LEN 34
#define BRK_TRACEUSER_OFS 34
#define BRK_TRACEUSER_LEN 5
#define BRK_TRACEYR_OFS 39
#define BRK_TRACEMH_OFS 41
#define BRK_TRACEDY_OFS 43
#define BRK_REFDESC_OFS 45
#define BRK_REFDESC_LEN 35
#define BRK_SOURCE_OFS 80
#define BRK_ACCESS_OFS 81
#define BRK_ACCESS_LEN 9
#define BRK_ACCESSDESC_OFS 90
#define BRK_ACCESSDESC_LEN 35
#define BRK_STATUS_OFS 125 /* "O" outstanding, "R" reconciled */
#define BRK_MARK_OFS 126
#define BRK_AMOUNT_OFS 127
#define BRK_AMOUNT_LEN 19
#define BRK_RUN_OFS 146
#define BRK_RUN_LEN 5
#define BRK_EXT_OFS 151
#define BRK_EXT_LEN 7
#define BRK_INT_OFS 158
#define BRK_INT_LEN 7
#define BRK_RUNFORM_OFS 165
#define BRK_RUNFORM_LEN 7
#define BRK_FILLER_OFS 172
#define BRK_FILLER_LEN 528

#ifdef __cplusplus
extern "C" {
#endif

// mode "OI" (inquiry) or "OB" (update); division two digits.
void FileOpen(const char* type, char* path, const char* mode, const char* division, char* status);
// Reads the record whose key is in the first characters of `record` (mode "RR", or "RL" to
// lock it) and fills all 700 characters. "23" when missing, "51" when locked elsewhere.
void FileRead(const char* type, const char* path, char* record, const char* mode, char* status);
// Replaces the stored record with the same key ("23" when missing, "51" locked elsewhere).
// A record shorter than 700 characters is blank-padded.
void FileRewrite(const char* type, const char* path, const char* record, char* status);
// Releases this file's lock, if any.
void FileUnlock(const char* type, const char* path, char* status);
// Releases this file's lock and closes it; the file area becomes blank.
void FileClose(const char* type, char* path, char* status);

#ifdef __cplusplus
}
#endif
