#include "bankrec/reconcile/ledger_journal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "corelib/daytime.h"
#include "corelib/picture.h"
#include "corelib/text.h"
#include "corelib/zor_tty.h"

using namespace corelib;

namespace reconcile {

namespace {

// A fixed-width piece of a journal line: the text cut or blank-padded to `width`.
std::string fixed(const std::string& text, size_t width) {
    std::string f = text::cutBytes(text, width);
    f.resize(width, ' ');
    return f;
}

std::string status(const char* s) {
    return std::string(s, strnlen(s, 2));
}

std::string number19(const char* pictureText, Decimal amount) {
    return picture::formatNumber(*picture::Picture::parse(pictureText), amount).padded;
}

}  // namespace

LedgerJournal::LedgerJournal(std::string division) : division_(std::move(division)) {}

LedgerJournal::~LedgerJournal() {
    closeChart();
}

void LedgerJournal::closeChart() {
    if (!chartOpen_) return;
    char st[3] = "zz";
    csiclose(chart_.data(), st);
    chartOpen_ = false;
}

std::string LedgerJournal::load(const std::string& abbreviation) {
    char st[3] = "zz";
    if (!chartOpen_) {
        csiopen(chart_.data(), "OI", division_.c_str(), st);
        if (status(st) != "00") return "Unable to open csi error:" + status(st);
        chartOpen_ = true;
    }
    journal_ = fixed(text::upper(text::trimRight(abbreviation)), TVGL_CSC_ABBR_LEN);
    std::string error(TVGL_ERROR_SIZE - 1, ' ');
    std::array<char, TVGL_JNL_HEAD_SIZE> head{};
    std::array<char, TVGL_JNL_LAYOUT_SIZE> layout{};
    std::array<char, TVGL_JNL_FLAGS_SIZE> flags{};
    const std::string key = " " + journal_;
    cstLoadJnl(division_.c_str(), error.data(), key.c_str(), head.data(), layout.data(),
               flags.data());
    error = text::trimRight(std::string(error.c_str()));
    loaded_ = error.empty();
    return error;
}

std::string LedgerJournal::addLine(const std::string& account, const std::string& description,
                                   Decimal amount, const std::string& ref1, const std::string& ref2,
                                   const std::string& ref3) {
    const std::string external =
        text::cutBytes(text::upper(text::trimRight(account)), TVGL_EXTERNAL55_SIZE - 1);
    std::array<char, TVGL_INTERNAL_SIZE> internal{};
    cstCvtE55toI(division_.c_str(), fixed(external, TVGL_EXTERNAL55_SIZE - 1).c_str(),
                 internal.data());
    const std::string form = text::trimRight(std::string(internal.data()));
    if (form.empty()) return "Account " + external + " not in system.";
    std::string line = " " + journal_ + fixed(description, 30) + fixed(ref1, 10) + fixed(ref2, 10) +
                       fixed(ref3, 10) + std::string(10, '0');
    for (int i = 0; i < 3; ++i) line += number19("@n-019.4", Decimal());
    line += number19("@n-019.2", Decimal());
    line += number19("@n-019.2", amount);
    line += internal.data();
    lines_.push_back(std::move(line));
    return {};
}

int32_t LedgerJournal::post(int32_t date, const std::string& terminal, std::string& error) {
    error.clear();
    if (!loaded_) {
        error = "Journal " + text::trimRight(journal_) + " not loaded.";
        return 0;
    }
    std::array<char, TVSUITE_HANDLE_SIZE> work{};
    char st[3] = "zz";
    cszopen(work.data(), "OO", terminal.c_str(), st);
    if (status(st) != "00") {
        error = "Unable to open the journal entry file, Status=" + status(st);
        return 0;
    }
    for (const std::string& line : lines_) {
        cszwrite(work.data(), line.c_str(), st);
        if (status(st) != "00") {
            error = "Unable to write the journal entry, Status=" + status(st);
            break;
        }
    }
    char closed[3] = "zz";
    cszclose(work.data(), closed);
    if (!error.empty()) return 0;

    const daytime::Ymd d = daytime::ymd(date);
    char when[11];
    std::snprintf(when, sizeof when, "%02d/%02d/%04d", d.month, d.day, d.year);
    const std::string terminalLong = std::to_string(std::atoi(terminal.c_str()));
    const std::string divisionLong = std::to_string(std::atoi(division_.c_str()));
    std::array<char, TVGL_RESULT_SIZE> result{};
    std::string reason(TVGL_WORK_SIZE - 1, ' ');
    cstPost(terminalLong.c_str(), divisionLong.c_str(), "0", when, "I", result.data(),
            reason.data());
    const int32_t batch = std::atoi(result.data());
    if (batch <= 0) {
        error = text::trimRight(std::string(reason.c_str()));
        if (error.empty()) error = "The ledger posted no batch.";
        return 0;
    }
    lines_.clear();
    return batch;
}

std::string postingTerminal(int32_t fallback) {
    const bool standAlone = text::upper(ZOR_TTY(0)).find("STANDALONE") != std::string::npos;
    const std::string tty = ZOR_TTY(standAlone ? 2 : 3);
    if (!tty.empty() && tty.find_first_not_of("0123456789") == std::string::npos) return tty;
    char digits[12];
    std::snprintf(digits, sizeof digits, "%04d", fallback < 0 ? 0 : fallback % 10000);
    return digits;
}

}  // namespace reconcile
