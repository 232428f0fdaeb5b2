// File names of the record files.
#include "bankrec/storage/storage.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <optional>

#include "bankrec/storage/dictionary.h"

namespace storage {

namespace {

// The division a cash-account file belongs to; none when the file is missing, unreadable or
// not marked yet.
std::optional<int> fileDivision(const std::string& path) {
    sqlite3* db = nullptr;
    std::optional<int> division;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* s = nullptr;
        const std::string sql = std::string("SELECT Division FROM ") + kDivisionTable + " LIMIT 1";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            division = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return division;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    return true;
}

}  // namespace

bool isServerAddress(std::string_view address) {
    const bool server =
        startsWithNoCase(address, "postgresql://") || startsWithNoCase(address, "postgres://");
    if (!server) return false;
    const size_t host = address.find("//") + 2;
    const size_t slash = address.find('/', host);
    return slash != std::string_view::npos && slash > host && slash + 1 < address.size() &&
           address.find_first_of("@?", host) == std::string_view::npos &&
           address.find('/', slash + 1) == std::string_view::npos;
}

Storage::Storage() {
    for (const FileDef& f : allFiles()) names_[static_cast<int>(f.id)] = f.name;
}

void Storage::nameFiles(const std::string& dataPath, int division) {
    char dd[16];
    std::snprintf(dd, sizeof dd, "%02d", division);
    std::string prefix = dataPath;
    if (!prefix.empty() && prefix.back() != '/') prefix += '/';
    prefix += dd;
    for (const FileDef& f : allFiles())
        names_[static_cast<int>(f.id)] = f.id == FileId::APbnu ? f.name : prefix + f.name;
    division_ = division;
    if (!server_.empty()) {
        // On a server: "divNN.APbnk"; APbnu in the schema the store's divisions share.
        for (const FileDef& f : allFiles())
            names_[static_cast<int>(f.id)] =
                f.id == FileId::APbnu ? "shared." + f.name : std::string("div") + dd + "." + f.name;
        return;
    }
    const std::string shared = fileDef(FileId::APbnu).name;
    const std::optional<int> owner = fileDivision(shared + ".db");
    if (owner && *owner != division) names_[static_cast<int>(FileId::APbnu)] = dd + shared;
}

void Storage::useServer(std::string server, std::string user, std::string password) {
    server_ = std::move(server);
    user_ = std::move(user);
    password_ = std::move(password);
}

void Storage::setFileName(FileId file, std::string name) {
    names_[static_cast<int>(file)] = std::move(name);
}

}  // namespace storage
