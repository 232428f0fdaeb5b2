#include "tvsuite/open_files.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "tvsuite/fixed_text.h"
#include "tvsuite/suite_files.h"

namespace tvsuite {
namespace {

constexpr size_t kTokenLen = 12;  // "TVS#" and 8 digits

std::mutex registryMutex;
std::map<int, std::shared_ptr<OpenFile>> registry;
int lastId = 0;
// Lock name (folder, division, file type, key) -> id of the open file holding it.
std::map<std::string, int> locks;

std::string lockName(const OpenFile& file, const std::string& key) {
    return file.folder + '\n' + file.division + '\n' + file.fileType + '\n' + key;
}

int tokenId(const char* handle) {
    const std::string token = trimmedField(handle, 20);
    if (token.size() != kTokenLen || token.compare(0, 4, "TVS#") != 0) return 0;
    const std::string digits = token.substr(4);
    if (!allDigits(digits)) return 0;
    return std::stoi(digits);
}

}  // namespace

const char* openFile(char* handle, FileKind kind, const char* mode, const char* division,
                     const char* modes, std::shared_ptr<OpenFile>* opened) {
    if (!handle) return "30";
    const std::string modeText = upper(trimmedField(mode, 4));
    if (modeText.size() != 2 || std::string(modes).find(modeText) == std::string::npos) return "30";
    auto file = std::make_shared<OpenFile>();
    if (division) {
        auto value = tvsuite::division(division);
        if (!value) return "30";
        file->division = *value;
    }
    file->kind = kind;
    file->update = modeText != "OI";
    file->folder = dataFolder();
    if (!openSuiteFile(file->db, file->folder, false).empty()) return "35";
    {
        std::lock_guard lock(registryMutex);
        file->id = ++lastId;
        registry[file->id] = file;
    }
    char token[24];
    std::snprintf(token, sizeof token, "TVS#%08u", static_cast<unsigned>(file->id) % 100000000u);
    std::memcpy(handle, token, kTokenLen + 1);
    if (opened) *opened = file;
    return "00";
}

std::shared_ptr<OpenFile> findFile(const char* handle, FileKind kind) {
    const int id = tokenId(handle);
    if (id == 0) return nullptr;
    std::lock_guard lock(registryMutex);
    auto it = registry.find(id);
    if (it == registry.end() || it->second->kind != kind) return nullptr;
    return it->second;
}

const char* closeFile(char* handle, FileKind kind) {
    std::shared_ptr<OpenFile> file = findFile(handle, kind);
    if (!file) return "99";
    unlockRecord(*file);
    {
        std::lock_guard lock(registryMutex);
        registry.erase(file->id);
    }
    handle[0] = '\0';
    return "00";
}

bool lockRecord(OpenFile& file, const std::string& key) {
    std::lock_guard lock(registryMutex);
    const std::string name = lockName(file, key);
    auto it = locks.find(name);
    if (it != locks.end() && it->second != file.id) return false;
    if (!file.lockedKey.empty()) locks.erase(lockName(file, file.lockedKey));
    locks[name] = file.id;
    file.lockedKey = key;
    return true;
}

bool lockedByOther(const OpenFile& file, const std::string& key) {
    std::lock_guard lock(registryMutex);
    auto it = locks.find(lockName(file, key));
    return it != locks.end() && it->second != file.id;
}

void unlockRecord(OpenFile& file) {
    std::lock_guard lock(registryMutex);
    if (!file.lockedKey.empty()) locks.erase(lockName(file, file.lockedKey));
    file.lockedKey.clear();
}

}  // namespace tvsuite
