#pragma once
// ASimp: a text file read line by line, one record per line. Each line, without its line end
// ("\n" or "\r\n"), is cut at 1024 bytes and padded with spaces to 1024 bytes.
#include <cstdint>
#include <fstream>
#include <string>

#include "bankrec/storage/storage_error.h"

namespace storage {

struct ASimp {
    static constexpr int kWidth = 1024;
    std::string ImportText;  // STRING(1024)
};

class LineFile {
  public:
    // Opens the file for reading. 0; 2 when it does not exist; 90 when it cannot be read.
    Error open(const std::string& path);
    void close();
    bool isOpen() const { return in_.is_open(); }
    // Reads the next line into rec.ImportText. 33 at the end of the file; 90 on a read error.
    Error next();
    // Number of lines read so far.
    int64_t linesRead() const { return lines_; }
    ASimp rec;

  private:
    std::ifstream in_;
    int64_t lines_ = 0;
};

}  // namespace storage
