#pragma once
// System services of the accounting suite ("tvsysdata"): date conversion and the place of
// the suite's data files.
#ifdef __cplusplus
extern "C" {
#endif

// Converts a date "mm/dd/yyyy" (years 1 to 9999) into the suite's day number: the
// astronomical Julian Day Number in 7 digits, e.g. "01/01/2000" gives "2451545". The output
// field (8 bytes) is left as it was, normally preset to "0000000", for an impossible date.
void CvtCtoJ(const char* date, char* dayNumber);

// The folder of the suite's files (tvsuite.db). Unset (a null or empty path), it is the
// environment variable TVSUITE_DATA when set, else the current directory. Files already
// open keep the folder they were opened in.
void tvsuite_SetDataFolder(const char* path);
// Copies the folder in effect into `out` (at most `size` bytes, zero-terminated).
void tvsuite_GetDataFolder(char* out, int size);

#ifdef __cplusplus
}
#endif
