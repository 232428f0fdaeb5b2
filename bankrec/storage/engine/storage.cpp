// File names of the record files.
#include "bankrec/storage/storage.h"

#include <cstdio>

#include "bankrec/storage/dictionary.h"

namespace storage {

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
}

void Storage::setFileName(FileId file, std::string name) {
    names_[static_cast<int>(file)] = std::move(name);
}

}  // namespace storage
