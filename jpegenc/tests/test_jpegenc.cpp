// JPEG files written from DIBs in memory, read back by ImageMagick: its own decoder reports the
// sampling, the estimated quality, the size and the colours.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <array>
#include <cstdint>
#include <vector>

#include "jpegenc/jpegenc.h"
#include "testsupport/sandbox.h"

namespace {

using Rgb = std::array<int, 3>;

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = v & 0xff;
    b[at + 1] = v >> 8;
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xff;
}

// An image of four solid quadrants (red, green / blue, white from the top) as a 24-bit DIB,
// bottom-up unless `topDown`. Row padding is filled with noise the encoder must skip.
std::vector<uint8_t> quadrantDib(int width, int height, bool topDown = false) {
    const int pitch = (width * 3 + 3) & ~3;
    std::vector<uint8_t> dib(40 + size_t(pitch) * height, 0xcd);
    put32(dib, 0, 40);
    put32(dib, 4, width);
    put32(dib, 8, topDown ? uint32_t(-height) : uint32_t(height));
    put16(dib, 12, 1);
    put16(dib, 14, 24);
    put32(dib, 16, 0);
    put32(dib, 20, pitch * height);
    put32(dib, 24, 3780);
    put32(dib, 28, 3780);
    put32(dib, 32, 0);
    put32(dib, 36, 0);
    for (int y = 0; y < height; ++y) {  // y counts from the top of the picture
        const int row = topDown ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const Rgb c = !bottom ? (right ? Rgb{0, 200, 0} : Rgb{220, 0, 0})
                                  : (right ? Rgb{255, 255, 255} : Rgb{0, 0, 210});
            uint8_t* p = &dib[40 + size_t(row) * pitch + x * 3];
            p[0] = uint8_t(c[2]);  // B G R
            p[1] = uint8_t(c[1]);
            p[2] = uint8_t(c[0]);
        }
    }
    return dib;
}

QString identify(const QStringList& args) {
    QProcess p;
    p.start("identify", args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

Rgb pixelAt(const QString& file, int x, int y) {
    const QString out = identify({"-format", QString("%[pixel:p{%1,%2}]").arg(x).arg(y), file});
    const QRegularExpressionMatch m = QRegularExpression(R"((\d+),(\d+),(\d+))").match(out);
    if (!m.hasMatch()) return {-1, -1, -1};
    return {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
}

void expectClose(const Rgb& got, const Rgb& want, const char* where) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 12) << where << " channel " << i;
}

// A JFIF file (whose three components are YCbCr by definition) with the frame header's
// components 1, 2, 3 sampled 4x1, 1x1, 1x1.
bool isJfifYCbCr(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray b = f.readAll();
    if (!b.startsWith("\xff\xd8\xff\xe0") || b.mid(6, 5) != QByteArray("JFIF\0", 5)) return false;
    const qsizetype sof = b.indexOf("\xff\xc0");
    if (sof < 0 || sof + 19 > b.size()) return false;
    const QByteArray components = b.mid(sof + 9, 10);  // count, then id, sampling, table
    return components == QByteArray("\x03\x01\x41\x00\x02\x11\x01\x03\x11\x01", 10);
}

class JpegEncTest : public ::testing::Test {
  protected:
    QString path(const char* name) const { return QString::fromStdString(sandbox_.file(name)); }
    QStringList files() const {
        return QDir(QString::fromStdString(sandbox_.path())).entryList(QDir::Files);
    }
    testsupport::Sandbox sandbox_;
};

TEST_F(JpegEncTest, WritesFourOneOneAtQualitySeventyFiveThatAnotherDecoderReads) {
    const auto dib = quadrantDib(66, 40);  // 198-byte rows padded to 200
    const QString file = path("picture.jpg");
    ASSERT_EQ(EncodeJPGFileFromDIB(dib.data(), file.toLocal8Bit().constData()), 0);

    const QString info = identify({"-verbose", file});
    ASSERT_FALSE(info.isEmpty());
    EXPECT_TRUE(info.contains("Format: JPEG")) << info.toStdString();
    EXPECT_TRUE(info.contains("Geometry: 66x40+0+0")) << info.toStdString();
    EXPECT_TRUE(info.contains("Quality: 75")) << info.toStdString();
    EXPECT_TRUE(info.contains("jpeg:sampling-factor: 4x1,1x1,1x1")) << info.toStdString();
    EXPECT_TRUE(isJfifYCbCr(file));

    // Bottom-up rows: the last row in memory is the top of the picture.
    expectClose(pixelAt(file, 8, 8), {220, 0, 0}, "top left");
    expectClose(pixelAt(file, 56, 8), {0, 200, 0}, "top right");
    expectClose(pixelAt(file, 8, 32), {0, 0, 210}, "bottom left");
    expectClose(pixelAt(file, 56, 32), {255, 255, 255}, "bottom right");
}

TEST_F(JpegEncTest, TopDownDibKeepsItsOrientation) {
    const auto dib = quadrantDib(33, 17, /*topDown=*/true);
    const QString file = path("top-down.jpg");
    ASSERT_EQ(EncodeJPGFileFromDIB(dib.data(), file.toLocal8Bit().constData()), 0);
    EXPECT_TRUE(identify({"-verbose", file}).contains("Geometry: 33x17+0+0"));
    expectClose(pixelAt(file, 4, 3), {220, 0, 0}, "top left");
    expectClose(pixelAt(file, 28, 14), {255, 255, 255}, "bottom right");
}

TEST_F(JpegEncTest, RefusesWhatIsNotAnUncompressedTwentyFourBitDibAndWritesNothing) {
    const QByteArray file = path("refused.jpg").toLocal8Bit();
    auto eightBit = quadrantDib(16, 16);
    put16(eightBit, 14, 8);
    EXPECT_EQ(EncodeJPGFileFromDIB(eightBit.data(), file.constData()), 1);
    auto compressed = quadrantDib(16, 16);
    put32(compressed, 16, 1);  // run-length encoded
    EXPECT_EQ(EncodeJPGFileFromDIB(compressed.data(), file.constData()), 1);
    auto noWidth = quadrantDib(16, 16);
    put32(noWidth, 4, 0);
    EXPECT_EQ(EncodeJPGFileFromDIB(noWidth.data(), file.constData()), 1);
    auto shortHeader = quadrantDib(16, 16);
    put32(shortHeader, 0, 12);
    EXPECT_EQ(EncodeJPGFileFromDIB(shortHeader.data(), file.constData()), 1);
    EXPECT_EQ(EncodeJPGFileFromDIB(nullptr, file.constData()), 1);
    EXPECT_EQ(EncodeJPGFileFromDIB(quadrantDib(8, 8).data(), ""), 1);
    EXPECT_EQ(EncodeJPGFileFromDIB(quadrantDib(8, 8).data(), nullptr), 1);
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(JpegEncTest, FailedWriteLeavesTheOldFileAndNoLeftovers) {
    const auto dib = quadrantDib(16, 16);
    EXPECT_EQ(EncodeJPGFileFromDIB(dib.data(), path("missing/x.jpg").toLocal8Bit().constData()), 1);

    const QString file = path("kept.jpg");
    ASSERT_EQ(EncodeJPGFileFromDIB(dib.data(), file.toLocal8Bit().constData()), 0);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    auto eightBit = dib;
    put16(eightBit, 14, 8);
    EXPECT_EQ(EncodeJPGFileFromDIB(eightBit.data(), file.toLocal8Bit().constData()), 1);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(files(), QStringList{"kept.jpg"});
}

}  // namespace
