#pragma once
// The reconciliation's claim on the suite's payables check register for one bank: while a
// reconciliation completes, the bank header of the register says so (mode "R", status "1"), which
// keeps the suite's own check processing for that bank away.
#include <string>

namespace reconcile {

// Claims the register of payables bank `apBank` in `division` (two digits). Returns "" when the
// claim is held, else the refusal to show: "Void Run in Process. Please try later." (a void run
// holds the bank), "Reconciliation being Posted. Please try later.", "Bank in use. Please try
// later." (check runs use the bank), "Unable to rewrite OCR header, Status=xx" or "Unable to
// write OCR header, Status=xx" (a header written first when the bank has none), and "Unable to
// open OCR file, Status=xx" or "Unable to read OCR header, Status=xx" when the register cannot be
// reached at all.
std::string claimPayablesRegister(const std::string& division, const std::string& apBank);

// Gives back a claim taken by claimPayablesRegister: a header in mode "R" with status "1" becomes
// idle again (mode blank, status "0"); any other header is left as it is. Returns the status of
// the last register call ("00" when released or nothing was to release).
std::string releasePayablesRegister(const std::string& division, const std::string& apBank);

}  // namespace reconcile
