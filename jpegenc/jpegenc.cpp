#include "jpegenc/jpegenc.h"

#include <fcntl.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace jpegenc {
namespace {

constexpr uint32_t kHeaderSize = 40;
constexpr uint32_t kUncompressed = 0;  // BI_RGB
constexpr int kMaxSide = 65500;        // the largest side a JPEG frame can hold
constexpr int kQuality = 75;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Where the pixels of an uncompressed 24-bit DIB are and how they are laid out.
struct Source {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;  // bytes per row, padding included
    bool bottomUp = true;
};

bool readSource(const uint8_t* dib, Source& src) {
    const uint32_t headerSize = le32(dib);
    const int32_t width = static_cast<int32_t>(le32(dib + 4));
    const int32_t height = static_cast<int32_t>(le32(dib + 8));
    const uint16_t planes = le16(dib + 12);
    const uint16_t bitCount = le16(dib + 14);
    const uint32_t compression = le32(dib + 16);
    const uint32_t coloursUsed = le32(dib + 32);
    if (headerSize < kHeaderSize || headerSize > 1024 || planes != 1 || bitCount != 24 ||
        compression != kUncompressed || coloursUsed > 256)
        return false;
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide)
        return false;
    src.width = width;
    src.height = height < 0 ? -height : height;
    src.bottomUp = height > 0;
    src.pitch = TJPAD(width * 3);
    // A 24-bit DIB rarely carries a colour table; when it does, the rows follow it.
    src.pixels = dib + headerSize + coloursUsed * 4;
    return true;
}

bool writeAll(int fd, const unsigned char* data, unsigned long size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<unsigned long>(n);
    }
    return true;
}

// Writes the bytes to a fresh file beside the target and renames it into place, so a failure
// never leaves a half-written image under the target's name.
bool replaceFile(const char* fileName, const unsigned char* data, unsigned long size) {
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = std::string(fileName) + ".~" + std::to_string(::getpid()) + "-" +
               std::to_string(counter++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = writeAll(fd, data, size) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), fileName) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace
}  // namespace jpegenc

using namespace jpegenc;

int32_t EncodeJPGFileFromDIB(const void* dib, const char* fileName) {
    if (dib == nullptr || fileName == nullptr || *fileName == '\0') return 1;
    Source src;
    if (!readSource(static_cast<const uint8_t*>(dib), src)) return 1;

    tjhandle encoder = tjInitCompress();
    if (encoder == nullptr) return 1;
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int flags = src.bottomUp ? TJFLAG_BOTTOMUP : 0;
    const int rc = tjCompress2(encoder, src.pixels, src.width, src.pitch, src.height, TJPF_BGR,
                               &jpeg, &size, TJSAMP_411, kQuality, flags);
    const bool ok = rc == 0 && replaceFile(fileName, jpeg, size);
    tjFree(jpeg);
    tjDestroy(encoder);
    return ok ? 0 : 1;
}
