// bankrec-cli check | dump: the division's record files as the program sees them.
//   check                 opens every record file (creating or upgrading it) and lists them
//   dump FILE [--key KEY] writes a record file as CSV, in the order of a key
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "command.h"
#include "corelib/text.h"
#include "json_output.h"

using namespace corelib;
using namespace storage;

namespace cli {

namespace {

// The file on disk as the user finds it (APbnu is named relative to the data folder), or the
// store and table of a division kept on a server.
std::string diskPath(const Storage& storage, FileId id) {
    if (!storage.server().empty()) return storage.server() + " " + storage.fileName(id);
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(storage.filePath(id), ec);
    return ec ? storage.filePath(id) : p.lexically_normal().string();
}

std::string errorText(const FileSession& session) {
    SavedError e;
    e.save(session.lastError());
    return e.errorText();
}

Exit check(Command& cmd) {
    Storage& storage = cmd.storage();
    FileSession session(storage);
    int failures = 0;
    QJsonArray files;
    for (const FileDef& def : allFiles()) {
        QJsonObject entry{{"file", jsonText(def.name)},
                          {"path", jsonText(diskPath(storage, def.id))},
                          {"version", def.version}};
        // A file that cannot be opened as it is gets reported and the others still listed;
        // a missing file is created and a damaged key rebuilt through the usual open.
        Error err = openFile(session, def.id, OpenOptions{.callerHandlesFailure = true});
        if (err == Error::FileNotFound || err == Error::RebuildKeys)
            err = openFile(session, def.id);
        int64_t count = 0;
        std::string problem;
        if (err != Error::None) {
            problem = "cannot be opened: " + errorText(session);
        } else {
            if (session.file(def.id).records(count) != Error::None)
                problem = "cannot be read: " + errorText(session);
            closeFile(session, def.id);
        }
        if (!problem.empty()) {
            std::fprintf(stderr, "%s\t%s\t%s\n", def.name.c_str(),
                         diskPath(storage, def.id).c_str(), problem.c_str());
            entry["error"] = jsonText(problem);
            ++failures;
        } else {
            entry["records"] = static_cast<qint64>(count);
            if (!cmd.json())
                std::printf("%s\t%s\tversion %d\t%lld records\n", def.name.c_str(),
                            diskPath(storage, def.id).c_str(), def.version,
                            static_cast<long long>(count));
        }
        files.append(entry);
    }
    if (cmd.json()) printJson({{"files", files}});
    if (failures) return cmd.fail(std::to_string(failures) + " record files are unusable");
    return Exit::Done;
}

std::string csvValue(const FieldValue& value) {
    if (const auto* n = std::get_if<int64_t>(&value)) return std::to_string(*n);
    if (const auto* d = std::get_if<Decimal>(&value)) return d->toString();
    return text::csvField(std::get<std::string>(value));
}

Exit dump(Command& cmd) {
    const std::string& fileName = cmd.text("FILE");
    const FileDef* def = findFile(fileName);
    if (!def) {
        std::string files;
        for (const FileDef& f : allFiles()) files += " " + f.name;
        return cmd.usage("no record file named \"" + fileName + "\"; files:" + files);
    }
    int key = 0;
    if (const std::optional<std::string> keyName = cmd.option("--key")) {
        key = def->keyIndex(*keyName);
        if (key < 0) key = def->keyIndex(text::upper(def->name) + "_" + *keyName);
        if (key < 0) {
            std::string keys;
            for (const KeyDef& k : def->keys) keys += " " + k.name;
            return cmd.usage(def->name + " has no key \"" + *keyName + "\"; keys:" + keys);
        }
    }

    Storage& storage = cmd.storage();
    FileSession session(storage);
    // Dumping never creates a file: a missing or unreadable one is reported.
    Error err = openFile(session, def->id, OpenOptions{.callerHandlesFailure = true});
    if (err != Error::None)
        return cmd.fail("cannot open " + diskPath(storage, def->id) + ": " + errorText(session));
    RecordFileBase& file = session.file(def->id);
    std::string line;
    for (size_t i = 0; i < def->fields.size(); ++i) {
        if (i) line += ',';
        line += text::csvField(def->fields[i].name);
    }
    std::printf("%s\n", line.c_str());
    err = file.setStart(KeyId{def->id, key});
    while (err == Error::None) {
        err = file.next();
        if (err != Error::None) break;
        line.clear();
        for (int i = 0; i < static_cast<int>(def->fields.size()); ++i) {
            if (i) line += ',';
            line += csvValue(getField(*def, file.buffer(), i));
        }
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
    const bool failed = err != Error::NoRecord;
    const std::string problem = failed ? errorText(session) : std::string();
    closeFile(session, def->id);
    if (failed) return cmd.fail("error reading " + diskPath(storage, def->id) + ": " + problem);
    return Exit::Done;
}

const CliCommand checkCommand({.words = "check",
                               .json = true,
                               .help = "open (creating or upgrading) every record file of the "
                                       "division and list them",
                               .run = check});
const CliCommand dumpCommand({.words = "dump",
                              .operands = {{"FILE"}},
                              .options = {{"--key", ValueKind::Text, "KEY",
                                           "the key whose order to follow (default: the first)"}},
                              .help = "a record file as CSV in the order of a key",
                              .run = dump});

}  // namespace

}  // namespace cli
