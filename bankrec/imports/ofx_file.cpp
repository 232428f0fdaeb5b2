#include <optional>
#include <utility>

#include "bankrec/imports/bank_files.h"
#include "bankrec/imports/import_values.h"

namespace imports {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Character data with the entities OFX uses replaced.
std::string decode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i] == '\r' || s[i] == '\n' || s[i] == '\t' ? ' ' : s[i];
            continue;
        }
        static const std::pair<std::string_view, char> entities[] = {
            {"&amp;", '&'},  {"&lt;", '<'},    {"&gt;", '>'},
            {"&quot;", '"'}, {"&apos;", '\''}, {"&nbsp;", ' '}};
        bool done = false;
        for (const auto& [name, c] : entities) {
            if (s.substr(i, name.size()) == name) {
                out += c;
                i += name.size() - 1;
                done = true;
                break;
            }
        }
        if (!done) out += '&';
    }
    return out;
}

// An OFX amount in cents: an optional sign, digits, and a "." (or a "," in some banks' files)
// with decimals; digits past the second decimal must be zeros. nullopt otherwise.
std::optional<int64_t> ofxCents(std::string_view s) {
    s = trimBlanks(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int64_t units = 0;
    int whole = 0, decimals = 0;
    bool point = false;
    for (char c : s) {
        if (c == '.' || c == ',') {
            if (point) return std::nullopt;
            point = true;
        } else if (isDigit(c)) {
            if (!point) {
                if (++whole > 13) return std::nullopt;
                units = units * 10 + (c - '0');
            } else if (++decimals <= 2) {
                units = units * 10 + (c - '0');
            } else if (c != '0') {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (whole + decimals == 0) return std::nullopt;
    for (int d = std::min(decimals, 2); d < 2; ++d) units *= 10;
    return negative ? -units : units;
}

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!isDigit(c)) return false;
    return true;
}

struct Transaction {
    std::vector<std::pair<std::string, std::string>> fields;  // leaf elements in file order
    const std::string* find(std::string_view name) const {
        for (const auto& [n, v] : fields)
            if (n == name) return &v;
        return nullptr;
    }
};

// The item a transaction gives; false when it is malformed (no amount or no posting date).
bool toItem(const Transaction& t, BankItem& item) {
    const std::string* amount = t.find("TRNAMT");
    const std::string* posted = t.find("DTPOSTED");
    if (!amount || !posted) return false;
    const std::optional<int64_t> cents = ofxCents(*amount);
    // The date is the first eight digits: YYYYMMDD, then a time and a time zone may follow.
    const int32_t date = posted->size() >= 8 ? bankDate(std::string_view(*posted).substr(0, 8)) : 0;
    if (!cents || date == 0) return false;
    item.date = date;
    item.cents = *cents < 0 ? -*cents : *cents;
    if (const std::string* check = t.find("CHECKNUM")) item.checkNumber = bankCheckNumber(*check);
    if (item.checkNumber.empty() && *cents < 0) {
        // A numeric reference stands for the check number of money going out only: banks put
        // their own sequence numbers there for deposits too.
        const std::string* ref = t.find("REFNUM");
        if (ref && allDigits(trimBlanks(*ref))) item.checkNumber = bankCheckNumber(*ref);
    }
    item.credit = *cents > 0 && item.checkNumber.empty();
    for (const auto& [n, v] : t.fields) {
        if (!item.raw.empty()) item.raw += ' ';
        item.raw += n + "=" + v;
    }
    return true;
}

}  // namespace

BankFile parseOfx(std::string_view text) {
    BankFile file;
    BankAccount* account = nullptr;
    bool inAccountFrom = false;
    bool sawEnd = false;
    std::optional<Transaction> trn;
    int64_t trnLine = 0;
    // The line at `pos`, counted on from the last place asked about.
    size_t counted = 0;
    int64_t line = 1;
    const auto lineAt = [&](size_t pos) {
        for (; counted < pos && counted < text.size(); ++counted)
            if (text[counted] == '\n') ++line;
        return line;
    };
    std::string leaf;  // the element whose character data comes next

    const auto finishTransaction = [&] {
        if (!trn) return;
        ++file.records;
        BankItem item;
        item.line = trnLine;
        if (toItem(*trn, item)) {
            if (!account) {
                file.accounts.push_back({});
                account = &file.accounts.back();
            }
            account->items.push_back(std::move(item));
        } else {
            ++file.skipped;
        }
        trn.reset();
    };

    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find('<', pos);
        const std::string_view data =
            text.substr(pos, (open == std::string_view::npos ? text.size() : open) - pos);
        if (!leaf.empty()) {
            const std::string value = decode(trimBlanks(data));
            const std::string_view v = trimBlanks(value);
            if (!v.empty() || trn) {
                if (trn) {
                    trn->fields.emplace_back(leaf, std::string(v));
                } else if (leaf == "ACCTID" && inAccountFrom && account) {
                    account->number = std::string(v);
                } else if (leaf == "CURDEF" && account) {
                    account->currency = std::string(v);
                }
            }
            leaf.clear();
        }
        if (open == std::string_view::npos) break;
        if (text.substr(open, 4) == "<!--") {
            const size_t close = text.find("-->", open + 4);
            pos = close == std::string_view::npos ? text.size() : close + 3;
            continue;
        }
        const size_t close = text.find('>', open + 1);
        if (close == std::string_view::npos) break;  // a tag cut short ends the file
        std::string_view tag = trimBlanks(text.substr(open + 1, close - open - 1));
        pos = close + 1;
        if (tag.empty() || tag.front() == '?' || tag.front() == '!') continue;
        const bool closing = tag.front() == '/';
        if (closing) tag.remove_prefix(1);
        if (!tag.empty() && tag.back() == '/') tag.remove_suffix(1);  // <EMPTY/>
        const size_t space = tag.find_first_of(" \t\r\n");
        const std::string name = upper(trimBlanks(tag.substr(0, space)));
        if (name.empty()) continue;
        if (name == "OFX") {
            if (closing)
                sawEnd = true;
            else
                file.recognised = true;
            continue;
        }
        if (name == "STMTRS" || name == "CCSTMTRS") {
            finishTransaction();
            if (!closing) {
                file.accounts.push_back({});
                account = &file.accounts.back();
            } else {
                account = nullptr;
            }
            continue;
        }
        if (name == "BANKACCTFROM" || name == "CCACCTFROM") {
            inAccountFrom = !closing;
            continue;
        }
        if (name == "STMTTRN") {
            finishTransaction();
            if (!closing) {
                trn.emplace();
                trnLine = lineAt(open);
            }
            continue;
        }
        if (name == "BANKTRANLIST") {
            finishTransaction();
            continue;
        }
        if (!closing) leaf = name;
    }
    finishTransaction();
    if (!file.recognised) return BankFile{};  // no <OFX>: not a statement download at all
    if (!sawEnd) file.warnings.push_back("the file ends before </OFX>: it may be cut short");
    return file;
}

}  // namespace imports
