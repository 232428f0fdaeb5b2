// libFuzzer target: a bank's text file read as the fixed-format and comma-separated readers read
// it. The first 16 bytes choose the layout and the flags, the rest is the file (through the
// import's own line reader, on an in-memory file). Every line must come back 1024 bytes wide,
// no more lines than line ends plus one, and every line's check a plain whole number.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bankrec/imports/import_values.h"
#include "bankrec/storage/line_file.h"

using namespace imports;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// A small position or field number, now and then out of range.
int32_t pick(uint8_t b) {
    return static_cast<int32_t>(b % 40) - 3;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 16) return 0;
    FixedLayout fixed{pick(data[0]), pick(data[1]), pick(data[2]),
                      pick(data[3]), pick(data[4]), pick(data[5])};
    CommaLayout comma{pick(data[6]), pick(data[7]), pick(data[8])};
    const ImportFlags flags{(data[9] & 1) != 0, (data[9] & 2) != 0, (data[9] & 4) != 0};
    const uint8_t* content = data + 16;
    const size_t length = size - 16;

    static const int fd = memfd_create("asimp", 0);
    require(fd >= 0);
    require(ftruncate(fd, 0) == 0);
    require(pwrite(fd, content, length, 0) == static_cast<ssize_t>(length));
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);

    storage::LineFile file;
    require(file.open(path) == storage::Error::None);
    require(file.size() == static_cast<int64_t>(length));
    const size_t lineEnds = static_cast<size_t>(std::count(content, content + length, '\n'));
    static const corelib::picture::Formats formats = [] {
        corelib::picture::Formats f;
        f.shortDate = "MM/dd/yyyy";
        return f;
    }();
    for (;;) {
        const storage::Error err = file.next();
        if (err == storage::Error::NoRecord) break;
        require(err == storage::Error::None);
        require(file.rec.ImportText.size() == storage::ASimp::kWidth);
        require(static_cast<size_t>(file.linesRead()) <= lineEnds + 1);
        for (const ImportedCheck& c : {readFixedLine(file.rec.ImportText, fixed, flags, formats),
                                       readCommaLine(file.rec.ImportText, comma, flags, formats)}) {
            for (char ch : c.reference) require((ch >= '0' && ch <= '9') || ch == '-');
            require(c.amount.inRange());
            if (!flags.amount) require(c.amount.isZero());
            if (!flags.cleared) require(c.clearDate == 0);
        }
    }
    require(file.bytesRead() == static_cast<int64_t>(length));
    return 0;
}
