// bankrec-cli store copy: a division's record files between the data folder (SQLite files) and a
// PostgreSQL store.
//   store copy --to postgresql://HOST[:PORT]/DATABASE [--replace]    the folder's files into it
//   store copy --from postgresql://HOST[:PORT]/DATABASE [--replace]  back into the folder
// The target's files must be empty unless --replace is given (their records are deleted first).
// Each file is copied in its primary key's order, in transactions of 1,000 records; afterwards
// both sides must hold as many records and walk every key in the same order. UserID and
// Password sign in to the server (or libpq's service and password files).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "command.h"

using namespace storage;

namespace cli {

namespace {

constexpr int kBatch = 1000;

std::string errorText(const FileSession& session) {
    SavedError e;
    e.save(session.lastError());
    return e.errorText();
}

bool isStoreAddress(const std::string& url) {
    const bool pg = url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0;
    const size_t slash = pg ? url.find('/', url.find("//") + 2) : std::string::npos;
    return pg && slash != std::string::npos && slash + 1 < url.size() &&
           url.find('@') == std::string::npos;
}

// The identifiers of a file's records walking one key.
Error walkKey(FileSession& s, FileId file, int key, std::vector<int64_t>& ids) {
    ids.clear();
    RecordFileBase& f = s.file(file);
    if (Error e = f.setStart(KeyId{file, key}); e != Error::None) return e;
    Error e;
    while ((e = f.next()) == Error::None)
        ids.push_back(std::get<int64_t>(getField(f.def(), f.buffer(), 0)));
    return e == Error::NoRecord ? Error::None : e;
}

// Deletes every record of the target file within one transaction.
Error emptyFile(FileSession& s, FileId file) {
    if (Error e = s.begin({file}, 5); e != Error::None) return e;
    RecordFileBase& f = s.file(file);
    Error e = f.setStart(KeyId{file, 0});
    while (e == Error::None && (e = f.next()) == Error::None) e = f.erase();
    if (e != Error::NoRecord) {
        (void)s.rollback();
        return e;
    }
    return s.commit();
}

// Copies one file in the primary key's order; `copied` counts what was added.
Error copyFile(FileSession& from, FileSession& to, FileId file, int64_t& copied) {
    copied = 0;
    RecordFileBase& src = from.file(file);
    RecordFileBase& dst = to.file(file);
    const FileDef& def = src.def();
    Error e = src.setStart(KeyId{file, 0});
    if (e != Error::None) return e;
    while (e == Error::None) {
        if (Error b = to.begin({file}, 5); b != Error::None) return b;
        int n = 0;
        while (n < kBatch && (e = src.next()) == Error::None) {
            dst.clear();
            for (int i = 0; i < static_cast<int>(def.fields.size()); ++i)
                (void)setField(def, dst.buffer(), i, getField(def, src.buffer(), i));
            if (Error a = dst.add(); a != Error::None) {
                (void)to.rollback();
                return a;
            }
            ++n;
        }
        if (e != Error::None && e != Error::NoRecord) {
            (void)to.rollback();
            return e;
        }
        if (Error c = to.commit(); c != Error::None) return c;
        copied += n;
    }
    return Error::None;
}

int storeCopy(CliContext& ctx) {
    std::string url;
    bool toServer = true, replace = false, named = false;
    const auto& a = ctx.args;
    if (a.empty() || a[0] != "copy") {
        std::fprintf(stderr, "bankrec-cli store: the command is \"store copy\"\n");
        return 2;
    }
    for (size_t i = 1; i < a.size(); ++i) {
        if ((a[i] == "--to" || a[i] == "--from") && i + 1 < a.size() && !named) {
            toServer = a[i] == "--to";
            url = a[++i];
            named = true;
        } else if (a[i] == "--replace") {
            replace = true;
        } else {
            std::fprintf(stderr, "bankrec-cli store copy: unexpected argument \"%s\"\n",
                         a[i].rfind("postgres", 0) == 0 ? "(an address)" : a[i].c_str());
            return 2;
        }
    }
    if (!named || !isStoreAddress(url)) {
        std::fprintf(stderr,
                     "bankrec-cli store copy: give --to or --from postgresql://HOST[:PORT]/DATABASE"
                     " (the user and password as UserID= and Password=)\n");
        return 2;
    }
    Storage folder, server;
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    folder.nameFiles(ec ? ctx.params.DATAPATH : here.string(), ctx.params.DIVISION);
    server.useServer(url, ctx.params.USERNAME, ctx.params.USERPW);
    server.nameFiles("", ctx.params.DIVISION);
    FileSession fromSession(toServer ? folder : server), toSession(toServer ? server : folder);
    const char* fromName = toServer ? "the data folder" : url.c_str();

    // Every source must open and every target be empty (or replaced) before anything is written.
    for (const FileDef& def : allFiles()) {
        // A file the source never had is copied as the empty file it is.
        if (fromSession.create(def.id) != Error::None) {
            std::fprintf(stderr, "%s\tcannot be read from %s: %s\n", def.name.c_str(), fromName,
                         errorText(fromSession).c_str());
            return 1;
        }
        if (toSession.create(def.id) != Error::None) {
            std::fprintf(stderr, "%s\tcannot be made in the target: %s\n", def.name.c_str(),
                         errorText(toSession).c_str());
            return 1;
        }
        int64_t n = 0;
        if (toSession.file(def.id).records(n) != Error::None) {
            std::fprintf(stderr, "%s\tcannot be counted: %s\n", def.name.c_str(),
                         errorText(toSession).c_str());
            return 1;
        }
        if (n > 0 && !replace) {
            std::fprintf(stderr,
                         "%s\tthe target already holds %lld records: nothing copied (--replace "
                         "deletes them first)\n",
                         def.name.c_str(), static_cast<long long>(n));
            return 1;
        }
    }
    int failures = 0;
    for (const FileDef& def : allFiles()) {
        int64_t copied = 0, sourceCount = 0, targetCount = 0;
        Error e = replace ? emptyFile(toSession, def.id) : Error::None;
        if (e == Error::None) e = copyFile(fromSession, toSession, def.id, copied);
        if (e == Error::None) e = fromSession.file(def.id).records(sourceCount);
        if (e == Error::None) e = toSession.file(def.id).records(targetCount);
        if (e != Error::None) {
            FileSession& failed =
                toSession.lastError().number != Error::None ? toSession : fromSession;
            std::fprintf(stderr, "%s\tcopy failed: %s\n", def.name.c_str(),
                         errorText(failed).c_str());
            ++failures;
            continue;
        }
        if (sourceCount != targetCount || copied != sourceCount) {
            std::fprintf(stderr, "%s\t%lld records, %lld copied, %lld in the target\n",
                         def.name.c_str(), static_cast<long long>(sourceCount),
                         static_cast<long long>(copied), static_cast<long long>(targetCount));
            ++failures;
            continue;
        }
        std::string differs;
        for (int k = 0; k < static_cast<int>(def.keys.size()); ++k) {
            std::vector<int64_t> mine, theirs;
            if (walkKey(fromSession, def.id, k, mine) != Error::None ||
                walkKey(toSession, def.id, k, theirs) != Error::None || mine != theirs)
                differs += (differs.empty() ? "" : ", ") + def.keys[static_cast<size_t>(k)].name;
        }
        if (!differs.empty()) {
            std::fprintf(stderr,
                         "%s\t%lld records copied, but these keys walk in another order: %s\n",
                         def.name.c_str(), static_cast<long long>(copied), differs.c_str());
            ++failures;
            continue;
        }
        std::printf("%s\t%lld records copied, every key in the same order\n", def.name.c_str(),
                    static_cast<long long>(copied));
    }
    return failures ? 1 : 0;
}

const CliCommand storeCommand("store",
                              "store copy (--to|--from) postgresql://HOST[:PORT]/DATABASE "
                              "[--replace]   copy the division's record files to or from a store",
                              storeCopy);

}  // namespace

}  // namespace cli
