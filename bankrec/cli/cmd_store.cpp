// bankrec-cli store copy: a division's record files between the data folder (SQLite files) and a
// PostgreSQL store.
//   store copy --to postgresql://HOST[:PORT]/DATABASE [--replace]    the folder's files into it
//   store copy --from postgresql://HOST[:PORT]/DATABASE [--replace]  back into the folder
// The target's files must be empty unless --replace is given (their records are deleted first).
// Each file is copied in its primary key's order, in transactions of 1,000 records; afterwards
// both sides must hold as many records and walk every key in the same order. UserID and
// Password sign in to the server (or libpq's service and password files). --json reports the
// records copied per file.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "command.h"
#include "json_output.h"

using namespace storage;

namespace cli {

namespace {

constexpr int kBatch = 1000;

std::string errorText(const FileSession& session) {
    SavedError e;
    e.save(session.lastError());
    return e.errorText();
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

Exit storeCopy(Command& cmd) {
    const std::optional<std::string> to = cmd.option("--to"), from = cmd.option("--from");
    if (to.has_value() == from.has_value())
        return cmd.usage("give either --to or --from postgresql://HOST[:PORT]/DATABASE");
    const std::string url = to ? *to : *from;
    // The address is not repeated back: it may carry a user and password.
    if (!isServerAddress(url))
        return cmd.usage(
            "the store must read postgresql://HOST[:PORT]/DATABASE (the user and "
            "password as UserID= and Password=)");
    const bool toServer = to.has_value(), replace = cmd.flag("--replace");
    const shell::StartupParameters& params = cmd.params();
    // Both sides wait as the command's own storage does (--wait).
    Storage folder = cmd.storage(), server = cmd.storage();
    folder.useServer("", "", "");
    folder.nameFiles(params.DATAPATH, params.DIVISION);
    server.useServer(url, params.USERNAME, params.USERPW);
    server.nameFiles("", params.DIVISION);
    FileSession fromSession(toServer ? folder : server), toSession(toServer ? server : folder);
    const std::string fromName = toServer ? "the data folder" : url;

    // Every source must open and every target be empty (or replaced) before anything is written.
    for (const FileDef& def : allFiles()) {
        // A file the source never had is copied as the empty file it is.
        if (fromSession.create(def.id) != Error::None)
            return cmd.fail(def.name + " cannot be read from " + fromName + ": " +
                            errorText(fromSession));
        if (toSession.create(def.id) != Error::None)
            return cmd.fail(def.name + " cannot be made in the target: " + errorText(toSession));
        int64_t n = 0;
        if (toSession.file(def.id).records(n) != Error::None)
            return cmd.fail(def.name + " cannot be counted: " + errorText(toSession));
        if (n > 0 && !replace)
            return cmd.fail(def.name + ": the target already holds " + std::to_string(n) +
                            " records: nothing copied (--replace deletes them first)");
    }
    int failures = 0;
    int64_t total = 0;
    QJsonArray files;
    for (const FileDef& def : allFiles()) {
        int64_t copied = 0, sourceCount = 0, targetCount = 0;
        QJsonObject entry{{"file", jsonText(def.name)}};
        auto failed = [&](const std::string& problem) {
            cmd.note(def.name + ": " + problem);
            entry["copied"] = static_cast<qint64>(copied);
            entry["error"] = jsonText(problem);
            files.append(entry);
            ++failures;
        };
        Error e = replace ? emptyFile(toSession, def.id) : Error::None;
        if (e == Error::None) e = copyFile(fromSession, toSession, def.id, copied);
        if (e == Error::None) e = fromSession.file(def.id).records(sourceCount);
        if (e == Error::None) e = toSession.file(def.id).records(targetCount);
        if (e != Error::None) {
            FileSession& broken =
                toSession.lastError().number != Error::None ? toSession : fromSession;
            failed("copy failed: " + errorText(broken));
            continue;
        }
        if (sourceCount != targetCount || copied != sourceCount) {
            failed(std::to_string(sourceCount) + " records, " + std::to_string(copied) +
                   " copied, " + std::to_string(targetCount) + " in the target");
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
            failed(std::to_string(copied) +
                   " records copied, but these keys walk in another order: " + differs);
            continue;
        }
        total += copied;
        entry["copied"] = static_cast<qint64>(copied);
        files.append(entry);
        if (!cmd.json())
            std::printf("%s\t%lld records copied, every key in the same order\n", def.name.c_str(),
                        static_cast<long long>(copied));
    }
    if (cmd.json()) printJson({{"files", files}, {"copied", static_cast<qint64>(total)}});
    if (failures) return cmd.fail(std::to_string(failures) + " record files were not copied whole");
    return Exit::Done;
}

const CliCommand storeCopyCommand(
    {.words = "store copy",
     .options = {{"--to", ValueKind::Text, "postgresql://HOST[:PORT]/DATABASE",
                  "copy the data folder's record files into this store"},
                 {"--from", ValueKind::Text, "postgresql://HOST[:PORT]/DATABASE",
                  "copy the store's record files into the data folder"},
                 {"--replace", ValueKind::Flag, "",
                  "delete the target's records first (without it a target must be empty)"}},
     .json = true,
     .help = "copy the division's record files to or from a PostgreSQL store, checking counts "
             "and the order of every key",
     .run = storeCopy});

}  // namespace

}  // namespace cli
