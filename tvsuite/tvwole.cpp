// The automation object "tvwole": the suite's check clearing for a posting run.
#include "suiteapi/tvwole.h"

#include <atomic>
#include <ctime>
#include <fstream>

#include "tvsuite/fixed_text.h"
#include "tvsuite/suite_files.h"

namespace tvsuite {
namespace {

std::atomic<int> objectCount{0};

bool readable(const std::string& path) {
    return std::ifstream(path).good();
}

// The posting text file: absolute as given, else in the data path, the current directory
// or the suite's data folder, the first that exists.
std::string locate(const std::string& name, const std::string& dataPath) {
    if (name.empty() || name.front() == '/') return name;
    for (const std::string& folder : {dataPath, std::string("."), dataFolder()}) {
        if (folder.empty()) continue;
        const std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
        if (readable(path)) return path;
    }
    return name;
}

std::string nowText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

std::unique_ptr<TvWole> TvWole::create(const std::string& progId) {
    if (upper(trim(progId)) != "TVWOLE") return nullptr;
    return std::unique_ptr<TvWole>(new TvWole("tvwole" + std::to_string(++objectCount)));
}

TvWole::~TvWole() = default;

int TvWole::loadProcess(const std::string& dataPath, const std::string& process,
                        const std::string& /*arg3*/, const std::string& /*arg4*/,
                        const std::string& dayNumber, const std::string& division,
                        const std::string& userId, const std::string& terminal,
                        const std::string& fileName, const std::string& /*arg10*/,
                        const std::string& /*arg11*/, const std::string& /*dataPath2*/,
                        const std::string& /*arg13*/, const std::string& /*arg14*/) {
    error_.clear();
    cleared_ = 0;
    if (upper(trim(process)) != "OCW042") {
        error_ = "Unknown process " + trim(process) + ".";
        return 1;
    }
    auto div = zeroFilled(division, 2);
    const std::string day = trim(dayNumber);
    if (!div) {
        error_ = "Invalid division " + trim(division) + ".";
        return 2;
    }
    if (day.size() != 7 || !allDigits(day) || day == "0000000") {
        error_ = "Invalid posting date " + day + ".";
        return 2;
    }
    const std::string path = locate(trim(fileName), trim(dataPath));
    std::ifstream file(path);
    std::string header;
    if (!file || !std::getline(file, header)) {
        error_ = "Unable to read posting file " + trim(fileName) + ".";
        return 3;
    }
    while (!header.empty() && (header.back() == '\r' || header.back() == '\n')) header.pop_back();
    if (header.size() < 20 || header.compare(0, 10, std::string(10, 'N')) != 0 ||
        trim(header.substr(10, 10)).empty()) {
        error_ = "Posting file " + trim(fileName) + " has no bank header.";
        return 3;
    }
    const std::string bank = padded(trim(header.substr(10, 10)), 10);

    SqliteDb db;
    if (!openSuiteFile(db, dataFolder(), false).empty()) {
        error_ = "Unable to open the payables register.";
        return 4;
    }
    WriteTransaction transaction(db);
    std::string failure = transaction.begin();
    int64_t run = 0;
    if (failure.empty()) {
        Statement insert(db,
                         "INSERT INTO ClearingRun(Division, Process, Bank, DayNumber, UserID,"
                         " Terminal, FileName, Cleared, RanAt) VALUES(?1, 'OCW042', ?2, ?3, ?4,"
                         " ?5, ?6, 0, ?7)");
        insert.bind(1, *div)
            .bind(2, bank)
            .bind(3, day)
            .bind(4, trim(userId))
            .bind(5, trim(terminal))
            .bind(6, trim(fileName))
            .bind(7, nowText());
        if (insert.step() != SQLITE_DONE) failure = db.lastError();
        run = sqlite3_last_insert_rowid(db.raw());
    }
    if (failure.empty()) {
        // The checks written or rewritten since the bank's last clearing run.
        Statement clear(db,
                        "UPDATE Register SET Pending = 0, ClearedDay = ?3, ClearingRun = ?4"
                        " WHERE Division = ?1 AND Bank = ?2 AND Type = 'C' AND Pending = 1");
        clear.bind(1, *div).bind(2, bank).bind(3, day).bind(4, run);
        if (clear.step() != SQLITE_DONE) failure = db.lastError();
        cleared_ = sqlite3_changes(db.raw());
    }
    if (failure.empty()) {
        Statement count(db, "UPDATE ClearingRun SET Cleared = ?2 WHERE RunID = ?1");
        count.bind(1, run).bind(2, int64_t{cleared_});
        if (count.step() != SQLITE_DONE) failure = db.lastError();
    }
    if (failure.empty()) {
        // The run ends the bank's reconciliation claim on the register.
        Statement release(db,
                          "UPDATE Register SET Mode = ' ', Status = '0' WHERE Division = ?1"
                          " AND Bank = ?2 AND Type = 'B'");
        release.bind(1, *div).bind(2, bank);
        if (release.step() != SQLITE_DONE) failure = db.lastError();
    }
    if (failure.empty()) failure = transaction.commit();
    if (!failure.empty()) {
        cleared_ = 0;
        error_ = "Check clearing failed: " + failure;
        return 5;
    }
    return 0;
}

}  // namespace tvsuite
