#pragma once
// The values a bank's list of cleared checks gives, one line or row at a time, read the same way
// by every reader: the check number to look for, the amount and the date cleared. Pure
// functions over text, so they are tested and fuzzed without files.
//
//   check number  text files: the field trimmed and read as a whole number, looked for in plain
//                 decimal (" 0001234 " looks for "1234"); a spreadsheet cell: its trimmed text
//                 unchanged ("0001234" looks for "0001234"). 0, blank or not a number: skipped.
//   amount        every character but the digits, "-" and "." dropped ("$1,234.50" and
//                 "(125.00)" give 1234.50 and 125.00); without a "." and with assume-decimal the
//                 value has two implied decimals (125 gives 1.25).
//   date cleared  trimmed; with a "/" a date in the user's short date format, else a day number.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "corelib/decimal.h"
#include "corelib/picture.h"

namespace imports {

// How the date cleared is written: Standard is the rule below (with a "/" the short date,
// else a day number); the others are a bank's paid-items layouts, digits only (the separators
// "/", "-" and "." are passed over).
enum class ClearedDateFormat { Standard, YYYYMMDD, YYMMDD, MMDDYYYY, MMDDYY };

// The format's name as stored and given on the command line ("" for Standard).
const char* clearedDateFormatName(ClearedDateFormat format);
// The format a name gives ("" or "standard" for Standard, case ignored); nullopt for others.
std::optional<ClearedDateFormat> clearedDateFormat(std::string_view name);

// The optional fields a list carries.
struct ImportFlags {
    bool amount = true;          // the amount is imported and must match
    bool assumeDecimal = false;  // an amount without a "." has two implied decimals
    bool cleared = false;        // the date cleared is imported
    ClearedDateFormat dateFormat = ClearedDateFormat::Standard;
};

// Character positions of a fixed-format line, 1-based and inclusive.
struct FixedLayout {
    int32_t checkStart = 1, checkEnd = 7;
    int32_t amountStart = 8, amountEnd = 20;
    int32_t clearedStart = 21, clearedEnd = 30;
};

// Field numbers of a comma-separated line, 1-based.
struct CommaLayout {
    int32_t checkField = 1;
    int32_t amountField = 2;
    int32_t clearedField = 3;
};

// What one line or row asks for. `reference` is empty when the line is to be skipped (no check
// number, or an amount that is not a number while amounts are imported).
struct ImportedCheck {
    std::string reference;
    corelib::Decimal amount;  // when the amount is imported
    int32_t clearDate = 0;    // when the date is imported; 0 when the text is no date
    bool skip() const { return reference.empty(); }
};

// Without leading and trailing blanks (spaces and tabs).
std::string_view trimBlanks(std::string_view text);

// The reference a text file's check-number field looks for: the trimmed field read as a whole
// number (an optional sign, then digits only) in plain decimal, leading zeros dropped. "" when
// the field is blank, not a number, or 0.
std::string textCheckReference(std::string_view field);
// The reference a spreadsheet's check-number cell looks for: its trimmed text as it stands.
// "" when the cell is blank or its text is numerically 0 ("0", "000", "0.00").
std::string sheetCheckReference(std::string_view cell);

// The amount of an amount field or cell; nullopt when what is left after dropping every
// character but digits, "-" and "." is not a number (or is outside DECIMAL(15,2)).
std::optional<corelib::Decimal> importAmount(std::string_view text, bool assumeDecimal);

// The date cleared of a field or cell: with a "/" the date in the short date format (picture
// @d17 of `formats`), otherwise a whole number taken as the day number itself. 0 when the text
// is blank, no valid date, or a day number outside 1 January 1801 to 31 December 9999.
int32_t importDate(std::string_view text,
                   const corelib::picture::Formats& formats = corelib::picture::Formats::system());
// The date cleared in `format`: Standard as above, else the digits in that order (two-digit
// years 70-99 are 19xx, the others 20xx). 0 when the text is no such date.
int32_t importDate(std::string_view text, ClearedDateFormat format,
                   const corelib::picture::Formats& formats = corelib::picture::Formats::system());

// Characters `start` to `end` of a line (1-based, inclusive), cut to the line; empty when the
// range lies outside it or start is after end.
std::string_view fixedSlice(std::string_view line, int32_t start, int32_t end);

// The fields of a comma-separated line: separated by commas; a field that begins with a double
// or a single quote runs to the next occurrence of that quote (dropped), and what follows up to
// the next comma is ignored; an unquoted field runs to the next comma. No escapes.
std::vector<std::string_view> commaFields(std::string_view line);
// Field `number` (1-based) of a line split by commaFields; empty when there is no such field.
std::string_view commaField(const std::vector<std::string_view>& fields, int32_t number);

// One line or row read by its layout and the value rules; the amount and the date only when the
// flags ask for them. A comma field named by two settings goes to the first of check number,
// amount, date; the other gets an empty text.
ImportedCheck readFixedLine(
    std::string_view line, const FixedLayout& layout, const ImportFlags& flags,
    const corelib::picture::Formats& formats = corelib::picture::Formats::system());
ImportedCheck readCommaLine(
    std::string_view line, const CommaLayout& layout, const ImportFlags& flags,
    const corelib::picture::Formats& formats = corelib::picture::Formats::system());
// A spreadsheet row from its three cells' texts (amount and date ignored unless flagged).
ImportedCheck readSheetRow(
    std::string_view checkCell, std::string_view amountCell, std::string_view clearedCell,
    const ImportFlags& flags,
    const corelib::picture::Formats& formats = corelib::picture::Formats::system());

}  // namespace imports
