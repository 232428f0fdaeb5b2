// ASimp: the line reader of the import.
#include "bankrec/storage/line_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "bankrec/storage/storage_error.h"

namespace storage {

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}  // namespace

LineFile::~LineFile() {
    close();
}

Error LineFile::open(const std::string& path) {
    close();
    // Non-blocking, so a named pipe cannot hold the open; only plain files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        errno_ = errno;
        return errno_ == ENOENT ? Error::FileNotFound : Error::Driver;
    }
    struct stat st;
    const bool stated = ::fstat(fd, &st) == 0;
    if (!stated || !S_ISREG(st.st_mode)) {
        errno_ = !stated ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return Error::Driver;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    size_ = static_cast<int64_t>(st.st_size);
    buffer_.resize(kBufferSize);
    return Error::None;
}

void LineFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    pos_ = end_ = 0;
    failed_ = false;
    errno_ = 0;
    lines_ = 0;
    bytes_ = 0;
    size_ = 0;
}

int LineFile::get() {
    if (pos_ == end_) {
        if (failed_) return -2;
        ssize_t n;
        do {
            n = ::read(fd_, buffer_.data(), buffer_.size());
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            errno_ = errno;
            failed_ = true;
            return -2;
        }
        if (n == 0) return -1;
        pos_ = 0;
        end_ = static_cast<size_t>(n);
    }
    ++bytes_;
    return static_cast<unsigned char>(buffer_[pos_++]);
}

Error LineFile::next() {
    if (fd_ < 0) return Error::Driver;
    std::string line;
    line.reserve(ASimp::kWidth + 1);
    bool any = false;
    for (;;) {
        const int c = get();
        if (c == -2) return Error::Driver;
        if (c == -1) break;
        any = true;
        if (c == '\n') break;
        // One byte past the width is kept, so a "\r" ending a full line is still recognised.
        if (line.size() <= static_cast<size_t>(ASimp::kWidth)) line.push_back(static_cast<char>(c));
    }
    if (!any) return Error::NoRecord;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > ASimp::kWidth) line.resize(ASimp::kWidth);
    line.resize(ASimp::kWidth, ' ');
    rec.ImportText = std::move(line);
    ++lines_;
    return Error::None;
}

}  // namespace storage
