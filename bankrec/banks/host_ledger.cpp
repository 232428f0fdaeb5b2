#include "bankrec/banks/host_ledger.h"

#include <cstdio>
#include <cstring>

namespace banks {

namespace {
std::string trim(const char* text) {
    std::string s(text);
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

// A fixed-length argument: the text cut or blank-padded to `width`, then the zero.
std::string field(const std::string& text, size_t width) {
    std::string f = text.substr(0, width);
    f.resize(width, ' ');
    return f;
}

std::string status(const char* s) {
    return std::string(s, strnlen(s, 2));
}
}  // namespace

HostLedger::HostLedger(std::string division) : division_(std::move(division)) {}

HostLedger::~HostLedger() {
    closeJournals();
}

std::string HostLedger::openJournals() {
    if (journalsOpen_) return "00";
    char st[3] = "zz";
    cscopen(cscHandle_.data(), "OI", division_.c_str(), st);
    journalsOpen_ = status(st) == "00";
    return status(st);
}

void HostLedger::closeJournals() {
    if (!journalsOpen_) return;
    char st[3] = "zz";
    cscclose(cscHandle_.data(), st);
    journalsOpen_ = false;
}

std::vector<JournalRow> HostLedger::journals() {
    std::vector<JournalRow> rows;
    if (!journalsOpen_) return rows;
    std::array<char, TVGL_CSC_RECORD_SIZE + 1> rec{};
    std::memset(rec.data(), ' ', TVGL_CSC_RECORD_SIZE);
    char st[3] = "zz";
    cscPutRcdType(rec.data(), "1");
    cscPutKeyJnlAbbr(rec.data(), "     ");
    cscstart(cscHandle_.data(), rec.data(), "GE", st);
    for (;;) {
        cscnext(cscHandle_.data(), rec.data(), st);
        if (status(st) != "00") break;
        char type[TVGL_CSC_RCDTYPE_LEN + 2] = {};
        char post[TVGL_CSC_POST_LEN + 2] = {};
        char abbr[TVGL_CSC_ABBR_LEN + 2] = {};
        char desc[TVGL_CSC_DESC_LEN + 2] = {};
        cscGetRcdType(rec.data(), type);
        cscGetPost(rec.data(), post);
        if (trim(type) != "1" || trim(post) != "0") continue;
        cscGetKeyJnlAbbr(rec.data(), abbr);
        cscGetDesc(rec.data(), desc);
        rows.push_back({trim(abbr), trim(desc)});
    }
    return rows;
}

bool HostLedger::isBudgetJournal(const std::string& abbr) const {
    const std::string key = " " + field(trim(abbr.c_str()), TVGL_CSC_ABBR_LEN);
    std::string error = field("", TVGL_ERROR_SIZE - 1);
    std::array<char, TVGL_JNL_HEAD_SIZE> head{};
    std::array<char, TVGL_JNL_LAYOUT_SIZE> layout{};
    std::array<char, TVGL_JNL_FLAGS_SIZE> flags{};
    cstLoadJnl(division_.c_str(), error.data(), key.c_str(), head.data(), layout.data(),
               flags.data());
    if (!trim(error.c_str()).empty()) return false;
    return flags[TVGL_JNL_FLAGS_BUDGET_OFS] == '1';
}

AccountCheck HostLedger::checkAccount(const std::string& account,
                                      const std::string& journalAbbr) const {
    AccountCheck result;
    const std::string external = trim(account.c_str());
    const std::string notInSystem = "Account " + external + " not in system.";
    std::array<char, TVGL_INTERNAL_SIZE> internal{};
    const std::string ext55 = field(external, TVGL_EXTERNAL55_SIZE - 1);
    cstCvtE55toI(division_.c_str(), ext55.c_str(), internal.data());
    if (trim(internal.data()).empty()) {
        result.error = notInSystem;
        return result;
    }
    char count[4] = "000";
    cstGetSegCnt(internal.data(), count);
    const int segments = std::atoi(count);

    std::array<char, TVSUITE_HANDLE_SIZE> handle{};
    char st[3] = "zz";
    csiopen(handle.data(), "OI", division_.c_str(), st);
    if (status(st) != "00") {
        result.error = notInSystem;
        return result;
    }
    std::string description;
    int budgetKnown = -1;  // the journal is loaded at most once
    for (int i = 1; i <= segments; ++i) {
        std::array<char, TVGL_CSI_RECORD_SIZE + 1> rec{};
        char nbr[12];
        std::snprintf(nbr, sizeof nbr, "%03d", i);
        csiReadSeg(handle.data(), rec.data(), internal.data(), nbr, st);
        if (status(st) != "00") {
            result.error = notInSystem;
            break;
        }
        char value[TVGL_CSI_EXTID_LEN + 2] = {};
        char desc[TVGL_CSI_DESC_LEN + 2] = {};
        char letter[TVGL_CSI_STATUS_LEN + 2] = {};
        csiGetExtID(rec.data(), value);
        csiGetDesc(rec.data(), desc);
        csiGetStatus(rec.data(), letter);
        const std::string s = trim(letter);
        if (s != "A" && s != "B") {
            result.error = "Account " + external + " not in active.";
            break;
        }
        if (s == "B") {
            if (budgetKnown < 0) budgetKnown = isBudgetJournal(journalAbbr) ? 1 : 0;
            if (!budgetKnown) {
                result.error = trim(journalAbbr.c_str()) + " is not a budget journal.";
                break;
            }
        }
        if (!description.empty()) description += ", ";
        description += trim(value) + "=" + trim(desc);
    }
    csiclose(handle.data(), st);
    if (result.ok()) result.description = description;
    return result;
}

}  // namespace banks
