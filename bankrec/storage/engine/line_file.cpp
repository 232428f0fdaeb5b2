// ASimp: the line reader of the import.
#include "bankrec/storage/line_file.h"

#include <sys/stat.h>

#include "bankrec/storage/storage_error.h"

namespace storage {

Error LineFile::open(const std::string& path) {
    close();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return Error::FileNotFound;
    if (S_ISDIR(st.st_mode)) return Error::Driver;
    in_.open(path, std::ios::binary);
    if (!in_.is_open()) return Error::Driver;
    return Error::None;
}

void LineFile::close() {
    if (in_.is_open()) in_.close();
    in_.clear();
    lines_ = 0;
}

Error LineFile::next() {
    if (!in_.is_open()) return Error::Driver;
    std::string line;
    // Read the line in full (lines may be longer than a record) and keep the first 1024 bytes.
    if (!std::getline(in_, line)) return in_.bad() ? Error::Driver : Error::NoRecord;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > ASimp::kWidth) line.resize(ASimp::kWidth);
    line.resize(ASimp::kWidth, ' ');
    rec.ImportText = std::move(line);
    ++lines_;
    return Error::None;
}

}  // namespace storage
