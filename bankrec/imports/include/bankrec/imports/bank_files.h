#pragma once
// The bank's own download files read into the items they report, without files or records:
//
//   BAI2   the cash-management format: 01 file, 02 group, 03 account, 16 detail, 88 continuation
//          (joined to the record it continues), 49/98/99 trailers. Fields are separated by
//          commas and a record ends with "/" (a 16 record's text runs to its end). The group's
//          as-of date (YYMMDD) is each item's date; amounts have two implied decimals. Detail
//          codes 100-399 are credits, 400-699 debits; the check-paid codes (474 certified check
//          debit, 475 check paid) carry the check number in the customer reference.
//   OFX    an online-banking statement download (.ofx, .qfx, .qbo), 1.x (SGML: leaf elements
//          not closed) or 2.x (XML). Each STMTTRN of a statement is an item: CHECKNUM (or a
//          numeric REFNUM on a debit) makes it a check, DTPOSTED is its date, TRNAMT its amount
//          (the sign tells credit from debit; a check's sign is dropped).
//
// A malformed record or transaction is passed over and counted; trailers whose record count or
// control total does not add up give a warning. Nothing here throws or reads past its input.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace imports {

struct BankItem {
    std::string checkNumber;  // the check number looked for (plain decimal); "" when none
    int64_t cents = 0;        // the amount, never negative
    int32_t date = 0;         // day number of the date cleared or posted; 0 when unknown
    bool credit = false;      // money in (a deposit), else money out
    std::string raw;          // the record or transaction as the file gave it, for the lists
    int64_t line = 0;         // the file's line where that record or transaction starts
    bool isCheck() const { return !checkNumber.empty(); }
};

struct BankAccount {
    std::string number;  // the account number as the file gives it
    std::string currency;
    std::vector<BankItem> items;
};

struct BankFile {
    bool recognised = false;  // the text is a file of that kind at all
    std::vector<BankAccount> accounts;
    int64_t records = 0;  // records (BAI2, continuations joined) or transactions (OFX) read
    int64_t skipped = 0;  // malformed records or transactions passed over
    std::vector<std::string> warnings;

    // "account (currency, N items)" for the account chooser.
    static std::string label(const BankAccount& account);
};

// The BAI2 detail codes read as paid checks.
bool isCheckPaidCode(int code);

[[nodiscard]] BankFile parseBai2(std::string_view text);
[[nodiscard]] BankFile parseOfx(std::string_view text);

// The check number a bank file's field gives: the text-file rule (a whole number, leading zeros
// dropped), but never a negative one. "" when there is none.
std::string bankCheckNumber(std::string_view field);

// A day number from digits: "YYMMDD" (years 70-99 are 19xx, else 20xx) or "YYYYMMDD".
// 0 when the text is no such date.
int32_t bankDate(std::string_view digits);

}  // namespace imports
