#include <map>
#include <optional>
#include <utility>

#include "bankrec/imports/bank_files.h"
#include "bankrec/imports/import_values.h"

namespace imports {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A whole number of up to 17 digits with an optional sign; nullopt for anything else.
std::optional<int64_t> wholeNumber(std::string_view s) {
    s = trimBlanks(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 17) return std::nullopt;
    int64_t n = 0;
    for (char c : s) {
        if (!isDigit(c)) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return negative ? -n : n;
}

// The fields of one record: separated by commas, the record ended by "/". A 16 record's text
// is what is left after its other fields (rest()).
class Fields {
  public:
    explicit Fields(std::string_view record) : rest_(record) {}
    std::string_view next() {
        if (ended_) return {};
        const size_t stop = rest_.find_first_of(",/");
        if (stop == std::string_view::npos) {
            ended_ = true;
            return std::exchange(rest_, {});
        }
        const std::string_view field = rest_.substr(0, stop);
        ended_ = rest_[stop] == '/';
        rest_ = ended_ ? std::string_view() : rest_.substr(stop + 1);
        return field;
    }
    // What follows the fields read so far, without a closing "/" (the text of a 16 record).
    std::string_view rest() const {
        std::string_view r = trimBlanks(rest_);
        if (!r.empty() && r.back() == '/') r.remove_suffix(1);
        return trimBlanks(r);
    }
    bool ended() const { return ended_; }

  private:
    std::string_view rest_;
    bool ended_ = false;
};

// Passes over the fields a funds type brings with it (availability, value date). false when
// they are malformed.
bool skipFunds(Fields& f, std::string_view fundsType) {
    const std::string_view t = trimBlanks(fundsType);
    if (t.empty() || t == "0" || t == "1" || t == "2" || t == "Z" || t == "z") return true;
    if (t == "V" || t == "v") {
        (void)f.next();
        (void)f.next();
        return true;
    }
    if (t == "S" || t == "s") {
        for (int i = 0; i < 3; ++i)
            if (!wholeNumber(f.next()).has_value()) return false;
        return true;
    }
    if (t == "D" || t == "d") {
        const std::optional<int64_t> n = wholeNumber(f.next());
        if (!n || *n < 0 || *n > 99) return false;
        for (int64_t i = 0; i < *n; ++i) {
            (void)f.next();
            if (!wholeNumber(f.next()).has_value()) return false;
        }
        return true;
    }
    return false;
}

// One logical record: a physical record with its continuations joined.
struct Record {
    std::string text;
    int64_t physical = 0;  // physical records it was made of
    int64_t line = 0;      // the file's line it starts on
};

std::vector<Record> logicalRecords(std::string_view text, int64_t& skipped) {
    std::vector<Record> out;
    size_t pos = 0;
    int64_t lineNumber = 0;
    while (pos < text.size()) {
        ++lineNumber;
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (trimBlanks(line).empty()) continue;
        if (line.substr(0, 3) == "88,") {
            if (out.empty()) {
                ++skipped;  // continues nothing
                continue;
            }
            Record& r = out.back();
            if (!r.text.empty() && r.text.back() == '/') r.text.pop_back();
            r.text += ',';
            r.text += line.substr(3);
            ++r.physical;
            continue;
        }
        out.push_back({std::string(line), 1, lineNumber});
    }
    return out;
}

struct Trailer {
    int64_t total = 0;
    int64_t records = 0;
};

}  // namespace

bool isCheckPaidCode(int code) {
    return code == 474 || code == 475;
}

std::string bankCheckNumber(std::string_view field) {
    field = trimBlanks(field);
    if (!field.empty() && field.front() == '-') return {};
    return textCheckReference(field);
}

int32_t bankDate(std::string_view digits) {
    digits = trimBlanks(digits);
    for (char c : digits)
        if (!isDigit(c)) return 0;
    if (digits.size() == 6) return importDate(digits, ClearedDateFormat::YYMMDD);
    return digits.size() == 8 ? importDate(digits, ClearedDateFormat::YYYYMMDD) : 0;
}

std::string BankFile::label(const BankAccount& account) {
    std::string out = account.number.empty() ? std::string("(no number)") : account.number;
    out += " (";
    if (!account.currency.empty()) out += account.currency + ", ";
    out +=
        std::to_string(account.items.size()) + (account.items.size() == 1 ? " item)" : " items)");
    return out;
}

BankFile parseBai2(std::string_view text) {
    BankFile file;
    const std::vector<Record> records = logicalRecords(text, file.skipped);
    if (records.empty() || records.front().text.substr(0, 3) != "01,") return file;
    file.recognised = true;

    std::map<std::string, size_t> accountIndex;
    BankAccount* account = nullptr;  // the account of the open 03, if any
    std::string accountNumber;
    bool inGroup = false;
    int32_t asOf = 0;
    int64_t accountTotal = 0, accountRecords = 0;
    int64_t groupTotal = 0, groupRecords = 0, groupAccounts = 0;
    int64_t fileTotal = 0, fileRecords = 0, fileGroups = 0;
    bool fileEnded = false;
    const auto warn = [&file](std::string w) { file.warnings.push_back(std::move(w)); };

    for (const Record& rec : records) {
        ++file.records;
        fileRecords += rec.physical;
        if (inGroup) groupRecords += rec.physical;
        if (account) accountRecords += rec.physical;
        Fields f(rec.text);
        const std::string_view code = f.next();
        if (code == "01") {
            continue;
        } else if (code == "02") {
            if (inGroup) warn("a group begins before the previous group's trailer (98)");
            inGroup = true;
            groupRecords = rec.physical;
            groupTotal = 0;
            groupAccounts = 0;
            for (int i = 0; i < 3; ++i) (void)f.next();
            const std::string_view date = f.next();
            asOf = bankDate(date);
            if (asOf == 0)
                warn("group " + std::to_string(fileGroups + 1) + " has no valid as-of date (\"" +
                     std::string(date) + "\")");
        } else if (code == "03") {
            if (!inGroup) {
                ++file.skipped;
                continue;
            }
            if (account) warn("account " + accountNumber + " has no trailer (49)");
            accountNumber = std::string(trimBlanks(f.next()));
            const std::string currency(trimBlanks(f.next()));
            auto [it, added] = accountIndex.emplace(accountNumber, file.accounts.size());
            if (added) file.accounts.push_back({accountNumber, currency, {}});
            account = &file.accounts[it->second];
            accountRecords = rec.physical;
            accountTotal = 0;
            ++groupAccounts;
            // Summaries: type code, amount, item count, funds type (and what it brings).
            while (!f.ended()) {
                const std::string_view type = f.next();
                const std::string_view amount = f.next();
                (void)f.next();
                const std::string_view funds = f.next();
                if (trimBlanks(type).empty() && trimBlanks(amount).empty()) continue;
                const std::optional<int64_t> a = wholeNumber(amount);
                if (a) accountTotal += *a;
                if (!skipFunds(f, funds)) break;
            }
        } else if (code == "16") {
            if (!account) {
                ++file.skipped;
                continue;
            }
            const std::optional<int64_t> type = wholeNumber(f.next());
            const std::optional<int64_t> amount = wholeNumber(f.next());
            if (!type || !amount || *amount < 0) {
                ++file.skipped;
                continue;
            }
            accountTotal += *amount;
            if (!skipFunds(f, f.next())) {
                ++file.skipped;
                continue;
            }
            (void)f.next();  // bank reference
            const std::string_view customer = f.next();
            const bool credit = (*type >= 100 && *type <= 399);
            const bool debit = (*type >= 400 && *type <= 699);
            if (!credit && !debit) {
                ++file.skipped;  // a loan or bank-defined code the reader does not know
                continue;
            }
            BankItem item;
            item.cents = *amount;
            item.date = asOf;
            item.credit = credit;
            if (debit && isCheckPaidCode(static_cast<int>(*type)))
                item.checkNumber = bankCheckNumber(customer);
            item.raw = rec.text;
            item.line = rec.line;
            account->items.push_back(std::move(item));
        } else if (code == "49") {
            if (!account) {
                ++file.skipped;
                continue;
            }
            const std::optional<int64_t> total = wholeNumber(f.next());
            const std::optional<int64_t> count = wholeNumber(f.next());
            if (!total || *total != accountTotal)
                warn("account " + accountNumber + ": the control total in its trailer (49) is " +
                     (total ? std::to_string(*total) : std::string("missing")) +
                     ", the amounts add up to " + std::to_string(accountTotal));
            if (!count || *count != accountRecords)
                warn("account " + accountNumber + ": its trailer (49) counts " +
                     (count ? std::to_string(*count) : std::string("no")) + " records, there are " +
                     std::to_string(accountRecords));
            if (total) groupTotal += *total;
            account = nullptr;
        } else if (code == "98") {
            if (!inGroup) {
                ++file.skipped;
                continue;
            }
            if (account) warn("account " + accountNumber + " has no trailer (49)");
            account = nullptr;
            const std::optional<int64_t> total = wholeNumber(f.next());
            const std::optional<int64_t> accounts = wholeNumber(f.next());
            const std::optional<int64_t> count = wholeNumber(f.next());
            const std::string group = "group " + std::to_string(fileGroups + 1);
            if (!total || *total != groupTotal)
                warn(group + ": the control total in its trailer (98) is " +
                     (total ? std::to_string(*total) : std::string("missing")) +
                     ", its accounts add up to " + std::to_string(groupTotal));
            if (!accounts || *accounts != groupAccounts)
                warn(group + ": its trailer (98) counts " +
                     (accounts ? std::to_string(*accounts) : std::string("no")) +
                     " accounts, there are " + std::to_string(groupAccounts));
            if (!count || *count != groupRecords)
                warn(group + ": its trailer (98) counts " +
                     (count ? std::to_string(*count) : std::string("no")) + " records, there are " +
                     std::to_string(groupRecords));
            if (total) fileTotal += *total;
            ++fileGroups;
            inGroup = false;
        } else if (code == "99") {
            if (inGroup) warn("the file's trailer (99) comes before the group's trailer (98)");
            const std::optional<int64_t> total = wholeNumber(f.next());
            const std::optional<int64_t> groups = wholeNumber(f.next());
            const std::optional<int64_t> count = wholeNumber(f.next());
            if (!total || *total != fileTotal)
                warn("the control total in the file's trailer (99) is " +
                     (total ? std::to_string(*total) : std::string("missing")) +
                     ", its groups add up to " + std::to_string(fileTotal));
            if (!groups || *groups != fileGroups)
                warn("the file's trailer (99) counts " +
                     (groups ? std::to_string(*groups) : std::string("no")) +
                     " groups, there are " + std::to_string(fileGroups));
            if (!count || *count != fileRecords)
                warn("the file's trailer (99) counts " +
                     (count ? std::to_string(*count) : std::string("no")) + " records, there are " +
                     std::to_string(fileRecords));
            fileEnded = true;
            break;
        } else {
            ++file.skipped;
        }
    }
    if (!fileEnded) warn("the file ends without its trailer (99): it may be cut short");
    return file;
}

}  // namespace imports
