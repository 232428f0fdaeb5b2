#pragma once
// ASimp: a text file read line by line, one record per line. Each line, without its line end
// ("\n" or "\r\n"), is cut at 1024 bytes and padded with spaces to 1024 bytes; the rest of a
// longer line is passed over (it never becomes a line of its own), and only 1024 bytes of a line
// are ever held in memory.
#include <cstdint>
#include <string>
#include <vector>

#include "bankrec/storage/storage_error.h"

namespace storage {

struct ASimp {
    static constexpr int kWidth = 1024;
    std::string ImportText;  // STRING(1024)
};

class LineFile {
  public:
    // Opens the file for reading. 0; 2 when it does not exist (nothing is created); 90 when it
    // cannot be read or is not a plain file.
    LineFile() = default;
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    Error open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // Reads the next line into rec.ImportText. 33 at the end of the file; 90 on a read error.
    Error next();
    // Number of lines read so far.
    int64_t linesRead() const { return lines_; }
    // Bytes read so far, line ends included, and the file's size when it was opened.
    int64_t bytesRead() const { return bytes_; }
    int64_t size() const { return size_; }
    // The system's error number of the last failed open or read (errno), 0 when none.
    int systemError() const { return errno_; }
    ASimp rec;

  private:
    // The next byte, or -1 at the end of the file; -2 after a read error.
    int get();

    int fd_ = -1;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool failed_ = false;
    int errno_ = 0;
    int64_t lines_ = 0;
    int64_t bytes_ = 0;
    int64_t size_ = 0;
};

}  // namespace storage
