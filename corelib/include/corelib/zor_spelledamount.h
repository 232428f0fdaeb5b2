#pragma once
// An amount in words, as printed on checks.
#include <string>

#include "corelib/decimal.h"

namespace corelib {

// Spells the whole part of `amount` ("1234.56", blanks around and grouping commas allowed)
// group by group, then "and ", the cents in two places (a blank before a single digit) or
// "No", "/100 " and the suffix, trailing blanks removed:
//     ZOR_SPELLEDAMOUNT("1234.56", "Dollars")
//         == "One Thousand Two Hundred Thirty Four and 56/100 Dollars"
//     ZOR_SPELLEDAMOUNT("0.00") == "No/100"
// Decimals past the cents round half up (carrying into the whole part). A whole part of 22
// digits or more gives "Too Many Digits (<count>) The limit is Decimal(23,2).". A minus sign is
// ignored: the amount's size is spelled. Text that is not a number gives "". The result is cut
// to 499 bytes (at a character boundary).
std::string ZOR_SPELLEDAMOUNT(const std::string& amount, const std::string& suffix = {});
// The same for an amount held as money (its toString() spelled).
std::string ZOR_SPELLEDAMOUNT(Decimal amount, const std::string& suffix = {});

}  // namespace corelib
