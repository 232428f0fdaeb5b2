#pragma once
// Payables outstanding-check register of the accounting suite ("tvapdata").
//
// Every argument is the address of a fixed-length, zero-terminated text field; every call
// that can fail reports a 2-character status ("00" success). Status values:
//   "00" success            "22" key already on file (ocrwrite)
//   "23" record not found   "30" malformed argument (mode, division, key or data field)
//   "35" the suite's files are missing or cannot be opened
//   "37" write on a handle opened for inquiry ("OI")
//   "90" storage failure    "99" call on a handle that is not open
//
// A handle area is TVSUITE_HANDLE_SIZE bytes; ocropen writes a short token into it (at
// most 20 characters and the zero) and the other calls find the open register by it.
// A record area is TVAP_RECORD_SIZE bytes, filled by ocrInit, the Put calls and ocrread.
// Key: bank (10), type (1: "C" check, "B" bank header), external form (7 digits), run (5
// digits), internal form (7 digits). A bank header has type "B" and all other keys zero.
// Put calls cut text to the field's width; a number that is shorter than a digit field is
// right-justified with leading zeros, and text that is no number or too long for a digit
// field fills it with "?" so that a write refuses the record with "30". Get calls return the field
// at its full width, blank-padded, in an output field of at least width + 1 bytes.
#ifndef TVSUITE_HANDLE_SIZE
#define TVSUITE_HANDLE_SIZE 101
#endif

#define TVAP_RECORD_SIZE 101
#define TVAP_BANK_LEN 10
#define TVAP_TYPE_LEN 1
#define TVAP_EXT_LEN 7
#define TVAP_RUN_LEN 5
#define TVAP_INT_LEN 7
#define TVAP_AMOUNT_LEN 19 /* "n-019.2": "-000000000000012.50" */
#define TVAP_VENDOR_LEN 9
#define TVAP_NAME_LEN 35
#define TVAP_MODE_LEN 1   /* header: "V" void run, "R" reconciliation, blank idle */
#define TVAP_STATUS_LEN 1 /* header: "1" claimed, "2" being posted, "0"/blank idle */
#define TVAP_USECNT_LEN 5 /* header: number of check runs using the bank */

#ifdef __cplusplus
extern "C" {
#endif

// mode "OI" (inquiry) or "OB" (update); division two digits ("02").
void ocropen(char* handle, const char* mode, const char* division, char* status);
// Closes the register; the handle area becomes blank. "99" when it was not open.
void ocrclose(char* handle, char* status);
// Clears the record: blank text fields, zero digit fields.
void ocrInit(char* record);

void ocrPutBank(char* record, const char* text);
void ocrPutType(char* record, const char* text);
void ocrPutExt(char* record, const char* text);
void ocrPutRun(char* record, const char* text);
void ocrPutInt(char* record, const char* text);
void ocrPutAmount(char* record, const char* text);
void ocrPutVendor(char* record, const char* text);
void ocrPutName(char* record, const char* text);
void ocrPutMode(char* record, const char* text);
void ocrPutStatus(char* record, const char* text);
void ocrPutUseCnt(char* record, const char* text);

void ocrGetBank(const char* record, char* out);
void ocrGetType(const char* record, char* out);
void ocrGetExt(const char* record, char* out);
void ocrGetRun(const char* record, char* out);
void ocrGetInt(const char* record, char* out);
void ocrGetAmount(const char* record, char* out);
void ocrGetVendor(const char* record, char* out);
void ocrGetName(const char* record, char* out);
void ocrGetMode(const char* record, char* out);
void ocrGetStatus(const char* record, char* out);
void ocrGetUseCnt(const char* record, char* out);

// Reads the record whose key is in `record` (mode "RR") and fills its data fields.
// "00" found, "23" not found; the record's key is kept either way.
void ocrread(char* handle, char* record, const char* mode, char* status);
// Inserts the record ("22" when the key exists). Needs an "OB" handle.
void ocrwrite(char* handle, char* record, char* status);
// Replaces the data fields of the record with the same key ("23" when missing). Needs "OB".
void ocrrewrite(char* handle, char* record, char* status);
// Deletes the record with the record's key ("23" when missing). Needs "OB".
void ocrdelete(char* handle, char* record, char* status);

#ifdef __cplusplus
}
#endif
