#include <QPainter>
#include <QSaveFile>
#include <cstdlib>
#include <cstring>
#include <new>

#include "capturelib/dib.h"

namespace capture {
namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
constexpr int kMaxSide = 1 << 15;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void put16(uint8_t* p, uint16_t v) {
    p[0] = v & 0xff;
    p[1] = v >> 8;
}
void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xff;
}

int rowBytes(int width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

// Where the rows of an uncompressed 24-bit DIB start, checked against the block's size.
struct Layout {
    int width = 0;
    int height = 0;  // signed: negative for top-down rows
    size_t pixelOffset = 0;
};

bool readLayout(const uint8_t* b, size_t size, Layout& l) {
    if (b == nullptr || size < kInfoHeaderSize) return false;
    const uint32_t headerSize = le32(b);
    const uint32_t colours = le32(b + 32);
    l.width = static_cast<int32_t>(le32(b + 4));
    l.height = static_cast<int32_t>(le32(b + 8));
    if (headerSize < kInfoHeaderSize || headerSize > size || le16(b + 12) != 1 ||
        le16(b + 14) != 24 || le32(b + 16) != 0 || colours > 256)
        return false;
    if (l.width <= 0 || l.width > kMaxSide || l.height == 0 || l.height > kMaxSide ||
        l.height < -kMaxSide)
        return false;
    l.pixelOffset = headerSize + size_t(colours) * 4;
    const size_t pixelBytes = size_t(rowBytes(l.width, 24)) * std::abs(l.height);
    return l.pixelOffset <= size && pixelBytes <= size - l.pixelOffset;
}

}  // namespace

QString DIBError(int code) {
    switch (code) {
        case DIB_OK:
            return "No error.";
        case ERR_NOT_DIB:
            return "The picture is not a device-independent bitmap that can be read.";
        case ERR_MEMORY:
            return "Not enough memory for the picture.";
        case ERR_EMPTY:
            return "There is nothing to capture: the window or area is empty.";
        case ERR_INVALIDHANDLE:
            return "The window is not a window of this program.";
        case ERR_OPEN:
            return "The file could not be created.";
        case ERR_WRITE:
            return "The file could not be written.";
        case ERR_JPEG:
            return "The JPEG file could not be written.";
        case ERR_NOFILENAME:
            return "No file name was given.";
        case ERR_SCREEN:
            return "The screen could not be read.";
        case ERR_CLIPBOARD:
            return "The clipboard could not be reached.";
        case ERR_NOPRINTER:
            return "No printer is available.";
        case ERR_STARTDOC:
            return "The printer could not start the print job.";
        case ERR_ENDDOC:
            return "The print job failed.";
        case ERR_CANCELLED:
            return "The operation was cancelled.";
        case ERR_BUSY:
            return "An area of the screen is already being selected.";
        default:
            return QString("Unknown error %1.").arg(code);
    }
}

Dib Dib::fromImage(const QImage& image) {
    if (image.isNull() || image.width() > kMaxSide || image.height() > kMaxSide) return {};
    QImage source = image;
    if (source.hasAlphaChannel()) {
        QImage flat(source.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, source);
        p.end();
        source = flat;
    }
    source = source.convertToFormat(QImage::Format_BGR888);
    if (source.isNull()) return {};

    const int width = source.width(), height = source.height();
    const int pitch = rowBytes(width, 24);
    Dib dib;
    try {
        dib.bytes_.assign(kInfoHeaderSize + size_t(pitch) * height, 0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    uint8_t* h = dib.bytes_.data();
    put32(h, kInfoHeaderSize);
    put32(h + 4, width);
    put32(h + 8, height);
    put16(h + 12, 1);
    put16(h + 14, 24);
    put32(h + 16, 0);
    put32(h + 20, pitch * height);
    put32(h + 24, source.dotsPerMeterX() > 0 ? source.dotsPerMeterX() : 3780);
    put32(h + 28, source.dotsPerMeterY() > 0 ? source.dotsPerMeterY() : 3780);
    uint8_t* rows = h + kInfoHeaderSize;
    for (int y = 0; y < height; ++y)
        std::memcpy(rows + size_t(height - 1 - y) * pitch, source.constScanLine(y), width * 3);
    return dib;
}

int Dib::width() const {
    return isNull() ? 0 : static_cast<int32_t>(le32(&bytes_[4]));
}
int Dib::height() const {
    return isNull() ? 0 : std::abs(static_cast<int32_t>(le32(&bytes_[8])));
}
int Dib::bitCount() const {
    return isNull() ? 0 : le16(&bytes_[14]);
}
int Dib::dotsPerMeterX() const {
    return isNull() ? 0 : static_cast<int32_t>(le32(&bytes_[24]));
}
int Dib::dotsPerMeterY() const {
    return isNull() ? 0 : static_cast<int32_t>(le32(&bytes_[28]));
}

QImage Dib::toImage() const {
    Layout l;
    if (!readLayout(bytes_.data(), bytes_.size(), l)) return {};
    const int height = std::abs(l.height);
    const int pitch = rowBytes(l.width, 24);
    QImage image(l.width, height, QImage::Format_BGR888);
    if (image.isNull()) return {};
    const uint8_t* rows = bytes_.data() + l.pixelOffset;
    for (int y = 0; y < height; ++y) {
        const int row = l.height > 0 ? height - 1 - y : y;
        std::memcpy(image.scanLine(y), rows + size_t(row) * pitch, l.width * 3);
    }
    image.setDotsPerMeterX(dotsPerMeterX());
    image.setDotsPerMeterY(dotsPerMeterY());
    return image;
}

int16_t SaveDIB(const Dib& dib, const QString& fileName) {
    if (fileName.isEmpty()) return ERR_NOFILENAME;
    Layout l;
    if (!readLayout(dib.data(), dib.size(), l)) return ERR_NOT_DIB;
    uint8_t header[kFileHeaderSize] = {'B', 'M'};
    put32(header + 2, static_cast<uint32_t>(kFileHeaderSize + dib.size()));
    put32(header + 10, static_cast<uint32_t>(kFileHeaderSize + l.pixelOffset));

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return ERR_OPEN;
    const bool written =
        file.write(reinterpret_cast<const char*>(header), kFileHeaderSize) == kFileHeaderSize &&
        file.write(reinterpret_cast<const char*>(dib.data()), qint64(dib.size())) ==
            qint64(dib.size());
    if (!written) {
        file.cancelWriting();
        return ERR_WRITE;
    }
    return file.commit() ? DIB_OK : ERR_WRITE;
}

}  // namespace capture
