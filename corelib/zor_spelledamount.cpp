#include "corelib/zor_spelledamount.h"

#include <string_view>

namespace corelib {

namespace {

constexpr const char* kUnits[] = {"",      " One", " Two",   " Three", " Four",
                                  " Five", " Six", " Seven", " Eight", " Nine"};
constexpr const char* kTeens[] = {" Ten",     " Eleven",  " Twelve",    " Thirteen", " Fourteen",
                                  " Fifteen", " Sixteen", " Seventeen", " Eighteen", " Nineteen"};
constexpr const char* kTens[] = {"",       "",       " Twenty",  " Thirty", " Forty",
                                 " Fifty", " Sixty", " Seventy", " Eighty", " Ninety"};
constexpr const char* kScales[] = {"",          " Thousand",    " Million",    " Billion",
                                   " Trillion", " Quadrillion", " Quintillion"};

constexpr size_t kMaxDigits = 21;
constexpr size_t kMaxResult = 499;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// One group of three digits with its scale word, the leading blank moved to the end.
std::string spellGroup(std::string_view digits, int rank) {
    const int hundreds = digits[0] - '0';
    const int tens = digits[1] - '0';
    const int units = digits[2] - '0';
    std::string words;
    if (hundreds != 0) {
        words += kUnits[hundreds];
        words += " Hundred";
    }
    if (tens == 1) {
        words += kTeens[units];
    } else {
        words += kTens[tens];
        words += kUnits[units];
    }
    if (words.empty()) return words;
    words += kScales[rank];
    return words.substr(1) + ' ';
}

// Adds one to a string of decimal digits.
void increment(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

void cutAtCharacter(std::string& s, size_t maxBytes) {
    if (s.size() <= maxBytes) return;
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    s.resize(end);
}

}  // namespace

std::string ZOR_SPELLEDAMOUNT(const std::string& amount, const std::string& suffix) {
    std::string_view s(amount);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    if (!s.empty() && (s.front() == '-' || s.front() == '+'))
        s.remove_prefix(1);
    else if (!s.empty() && s.back() == '-')
        s.remove_suffix(1);

    std::string whole;
    std::string fraction;
    bool point = false;
    for (char c : s) {
        if (isDigit(c)) {
            (point ? fraction : whole) += c;
        } else if (c == '.' && !point) {
            point = true;
        } else if (c != ',' || point) {
            return {};
        }
    }
    if (whole.empty() && fraction.empty()) return {};

    int cents = 0;
    if (!fraction.empty()) cents += (fraction[0] - '0') * 10;
    if (fraction.size() > 1) cents += fraction[1] - '0';
    if (fraction.size() > 2 && fraction[2] >= '5') ++cents;
    if (cents == 100) {
        cents = 0;
        increment(whole);
    }

    const size_t first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? "0" : whole.substr(first);
    if (whole.size() > kMaxDigits) {
        return "Too Many Digits (" + std::to_string(whole.size()) + ") The limit is Decimal(23,2).";
    }

    const size_t groups = (whole.size() + 2) / 3;
    const std::string padded = std::string(kMaxDigits - whole.size(), '0') + whole;
    std::string spelled;
    for (size_t rank = 0; rank < groups; ++rank) {
        const std::string_view group(padded.data() + kMaxDigits - 3 * (rank + 1), 3);
        spelled = spellGroup(group, static_cast<int>(rank)) + spelled;
    }
    if (!spelled.empty()) spelled += "and ";

    std::string last;
    if (cents == 0) {
        last = "No";
    } else {
        last += cents < 10 ? ' ' : static_cast<char>('0' + cents / 10);
        last += static_cast<char>('0' + cents % 10);
    }
    last += "/100 ";
    last += suffix;
    while (!last.empty() && (last.back() == ' ' || last.back() == '\t')) last.pop_back();

    std::string result = spelled + last;
    cutAtCharacter(result, kMaxResult);
    return result;
}

std::string ZOR_SPELLEDAMOUNT(Decimal amount, const std::string& suffix) {
    return ZOR_SPELLEDAMOUNT(amount.toString(), suffix);
}

}  // namespace corelib
