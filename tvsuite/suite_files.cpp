#include "tvsuite/suite_files.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "suiteapi/tvsysdata.h"

namespace tvsuite {
namespace {

std::mutex folderMutex;
std::string explicitFolder;

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS Register(
  Division TEXT NOT NULL, Bank TEXT NOT NULL, Type TEXT NOT NULL, Ext TEXT NOT NULL,
  Run TEXT NOT NULL, Int TEXT NOT NULL, Amount TEXT NOT NULL DEFAULT '',
  Vendor TEXT NOT NULL DEFAULT '', Name TEXT NOT NULL DEFAULT '',
  Mode TEXT NOT NULL DEFAULT '', Status TEXT NOT NULL DEFAULT '',
  UseCnt TEXT NOT NULL DEFAULT '00000', Pending INTEGER NOT NULL DEFAULT 0,
  ClearedDay TEXT NOT NULL DEFAULT '', ClearingRun INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(Division, Bank, Type, Ext, Run, Int));
CREATE TABLE IF NOT EXISTS Segment(
  Division TEXT NOT NULL, SegNbr INTEGER NOT NULL, Value TEXT NOT NULL,
  Status TEXT NOT NULL, Description TEXT NOT NULL,
  PRIMARY KEY(Division, SegNbr, Value));
CREATE TABLE IF NOT EXISTS Account(
  Division TEXT NOT NULL, Internal TEXT NOT NULL, External TEXT NOT NULL,
  StringID TEXT NOT NULL, InternalID TEXT NOT NULL, Description TEXT NOT NULL,
  Status TEXT NOT NULL, PRIMARY KEY(Division, Internal));
CREATE UNIQUE INDEX IF NOT EXISTS AccountStringID ON Account(Division, StringID);
CREATE TABLE IF NOT EXISTS Journal(
  Division TEXT NOT NULL, RcdType TEXT NOT NULL, Abbr TEXT NOT NULL, Nbr TEXT NOT NULL,
  Description TEXT NOT NULL, Post TEXT NOT NULL, Budget TEXT NOT NULL,
  PRIMARY KEY(Division, RcdType, Abbr));
CREATE TABLE IF NOT EXISTS EntryLine(
  Terminal TEXT NOT NULL, Seq INTEGER NOT NULL, Line TEXT NOT NULL,
  PRIMARY KEY(Terminal, Seq));
CREATE TABLE IF NOT EXISTS Batch(
  Division TEXT NOT NULL, BatchNbr INTEGER NOT NULL, Journal TEXT NOT NULL,
  PostDate TEXT NOT NULL, Terminal TEXT NOT NULL, PostedAt TEXT NOT NULL,
  LineCount INTEGER NOT NULL, PRIMARY KEY(Division, BatchNbr));
CREATE TABLE IF NOT EXISTS BatchLine(
  Division TEXT NOT NULL, BatchNbr INTEGER NOT NULL, Seq INTEGER NOT NULL,
  Journal TEXT NOT NULL, Account TEXT NOT NULL, Description TEXT NOT NULL,
  Ref1 TEXT NOT NULL, Ref2 TEXT NOT NULL, Ref3 TEXT NOT NULL, AmountCents INTEGER NOT NULL,
  PRIMARY KEY(Division, BatchNbr, Seq));
CREATE TABLE IF NOT EXISTS Payroll(
  Division TEXT NOT NULL, FileType TEXT NOT NULL, RecKey TEXT NOT NULL, Record TEXT NOT NULL,
  PRIMARY KEY(Division, FileType, RecKey));
CREATE TABLE IF NOT EXISTS ClearingRun(
  RunID INTEGER PRIMARY KEY, Division TEXT NOT NULL, Process TEXT NOT NULL,
  Bank TEXT NOT NULL, DayNumber TEXT NOT NULL, UserID TEXT NOT NULL, Terminal TEXT NOT NULL,
  FileName TEXT NOT NULL, Cleared INTEGER NOT NULL, RanAt TEXT NOT NULL);
)sql";

}  // namespace

std::string dataFolder() {
    {
        std::lock_guard lock(folderMutex);
        if (!explicitFolder.empty()) return explicitFolder;
    }
    const char* env = std::getenv("TVSUITE_DATA");
    if (env && *env) return env;
    return ".";
}

std::string suiteFilePath(const std::string& folder) {
    std::string path = folder.empty() ? std::string(".") : folder;
    if (path.back() != '/') path += '/';
    return path + kSuiteFileName;
}

std::string openSuiteFile(SqliteDb& db, const std::string& folder, bool create) {
    std::string error = db.open(suiteFilePath(folder), create);
    if (!error.empty()) return error;
    if (create) error = db.exec(kSchema);
    if (error.empty()) {
        // A file that exists but is not the suite's (or is damaged) fails here, not later.
        Statement probe(db, "SELECT count(*) FROM Register WHERE 0");
        if (!probe.ok() || probe.step() != SQLITE_ROW) error = db.lastError();
    }
    if (!error.empty()) db.close();
    return error;
}

}  // namespace tvsuite

extern "C" void tvsuite_SetDataFolder(const char* path) {
    std::lock_guard lock(tvsuite::folderMutex);
    tvsuite::explicitFolder = path ? std::string(path, strnlen(path, 4096)) : std::string();
}

extern "C" void tvsuite_GetDataFolder(char* out, int size) {
    if (!out || size <= 0) return;
    const std::string folder = tvsuite::dataFolder();
    const size_t n = std::min(folder.size(), static_cast<size_t>(size - 1));
    std::memcpy(out, folder.data(), n);
    out[n] = '\0';
}
