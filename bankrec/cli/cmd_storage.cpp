// bankrec-cli check | dump: the division's record files as the program sees them.
//   check                 opens every record file (creating or upgrading it) and lists them
//   dump FILE [--key KEY] writes a record file as CSV, in the order of a key
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <variant>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "bankrec/storage/warnings.h"
#include "command.h"
#include "corelib/text.h"

using namespace corelib;
using namespace storage;

namespace cli {

namespace {

// The division's files, named from the data folder (the current directory by now).
void nameFiles(Storage& storage, const CliContext& ctx) {
    std::error_code ec;
    std::filesystem::path here = std::filesystem::current_path(ec);
    storage.nameFiles(ec ? ctx.params.DATAPATH : here.string(), ctx.params.DIVISION);
}

// The file on disk as the user finds it (APbnu is named relative to the data folder).
std::string diskPath(const Storage& storage, FileId id) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(storage.filePath(id), ec);
    return ec ? storage.filePath(id) : p.lexically_normal().string();
}

std::string errorText(const FileSession& session) {
    SavedError e;
    e.save(session.lastError());
    return e.errorText();
}

int check(CliContext& ctx) {
    if (!ctx.args.empty()) {
        std::fprintf(stderr, "bankrec-cli check: unexpected argument \"%s\"\n",
                     ctx.args.front().c_str());
        return 2;
    }
    Storage storage;
    nameFiles(storage, ctx);
    FileSession session(storage);
    int failures = 0;
    for (const FileDef& def : allFiles()) {
        // A file that cannot be opened as it is gets reported and the others still listed;
        // a missing file is created and a damaged key rebuilt through the usual open.
        Error err = openFile(session, def.id, OpenOptions{.callerHandlesFailure = true});
        if (err == Error::FileNotFound || err == Error::RebuildKeys)
            err = openFile(session, def.id);
        if (err != Error::None) {
            std::fprintf(stderr, "%s\t%s\tcannot be opened: %s\n", def.name.c_str(),
                         diskPath(storage, def.id).c_str(), errorText(session).c_str());
            ++failures;
            continue;
        }
        int64_t count = 0;
        err = session.file(def.id).records(count);
        if (err != Error::None) {
            std::fprintf(stderr, "%s\t%s\tcannot be read: %s\n", def.name.c_str(),
                         diskPath(storage, def.id).c_str(), errorText(session).c_str());
            ++failures;
        } else {
            std::printf("%s\t%s\tversion %d\t%lld records\n", def.name.c_str(),
                        diskPath(storage, def.id).c_str(), def.version,
                        static_cast<long long>(count));
        }
        closeFile(session, def.id);
    }
    return failures ? 1 : 0;
}

// A CSV field: quoted when it holds a comma, a quote or a line break; quotes doubled.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string csvValue(const FieldValue& value) {
    if (const auto* n = std::get_if<int64_t>(&value)) return std::to_string(*n);
    if (const auto* d = std::get_if<Decimal>(&value)) return d->toString();
    return csvField(std::get<std::string>(value));
}

void listKeys(const FileDef& def) {
    std::fprintf(stderr, "keys of %s:", def.name.c_str());
    for (const KeyDef& k : def.keys) std::fprintf(stderr, " %s", k.name.c_str());
    std::fprintf(stderr, "\n");
}

int dump(CliContext& ctx) {
    std::string fileName;
    std::string keyName;
    for (size_t i = 0; i < ctx.args.size(); ++i) {
        const std::string& a = ctx.args[i];
        if (a == "--key") {
            if (i + 1 >= ctx.args.size()) {
                std::fprintf(stderr, "bankrec-cli dump: --key needs a key name\n");
                return 2;
            }
            keyName = ctx.args[++i];
        } else if (fileName.empty() && a.rfind("--", 0) != 0) {
            fileName = a;
        } else {
            std::fprintf(stderr, "bankrec-cli dump: unexpected argument \"%s\"\n", a.c_str());
            return 2;
        }
    }
    if (fileName.empty()) {
        std::fprintf(stderr, "usage: bankrec-cli ... dump FILE [--key KEY]\n");
        return 2;
    }
    const FileDef* def = findFile(fileName);
    if (!def) {
        std::fprintf(stderr,
                     "bankrec-cli dump: no record file named \"%s\"; files:", fileName.c_str());
        for (const FileDef& f : allFiles()) std::fprintf(stderr, " %s", f.name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    int key = 0;
    if (!keyName.empty()) {
        key = def->keyIndex(keyName);
        if (key < 0) key = def->keyIndex(text::upper(def->name) + "_" + keyName);
        if (key < 0) {
            std::fprintf(stderr, "bankrec-cli dump: %s has no key \"%s\"\n", def->name.c_str(),
                         keyName.c_str());
            listKeys(*def);
            return 2;
        }
    }

    Storage storage;
    nameFiles(storage, ctx);
    FileSession session(storage);
    // Dumping never creates a file: a missing or unreadable one is reported.
    Error err = openFile(session, def->id, OpenOptions{.callerHandlesFailure = true});
    if (err != Error::None) {
        std::fprintf(stderr, "bankrec-cli dump: cannot open %s: %s\n",
                     diskPath(storage, def->id).c_str(), errorText(session).c_str());
        return 1;
    }
    RecordFileBase& file = session.file(def->id);
    std::string line;
    for (size_t i = 0; i < def->fields.size(); ++i) {
        if (i) line += ',';
        line += csvField(def->fields[i].name);
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
    if (failed) {
        std::fprintf(stderr, "bankrec-cli dump: error reading %s: %s\n",
                     diskPath(storage, def->id).c_str(), errorText(session).c_str());
    }
    closeFile(session, def->id);
    return failed ? 1 : 0;
}

const CliCommand checkCommand(
    "check", "check                   open every record file of the division and list them", check);
const CliCommand dumpCommand(
    "dump", "dump FILE [--key KEY]   print a record file as CSV in the order of a key", dump);

}  // namespace

}  // namespace cli
