// DIBs made from pictures: their header and row layout, bitmap files that other readers open,
// and files left alone when a write fails.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <cstring>

#include "capturelib/dib.h"
#include "testsupport/sandbox.h"

using namespace capture;

namespace {

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Five by three pixels, each of its own colour: rows of 15 bytes are padded to 16.
QImage paletteImage() {
    QImage image(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) image.setPixel(x, y, qRgb(40 * x, 80 * y, 200 - 10 * x * y));
    return image;
}

void expectSamePixels(const QImage& got, const QImage& want) {
    ASSERT_EQ(got.size(), want.size());
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            EXPECT_EQ(QColor(got.pixel(x, y)).name(), QColor(want.pixel(x, y)).name())
                << "at " << x << "," << y;
}

TEST(Dib, HoldsTheHeaderThenBottomUpRowsPaddedToFourBytes) {
    const QImage image = paletteImage();
    const Dib dib = Dib::fromImage(image);
    ASSERT_FALSE(dib.isNull());
    ASSERT_EQ(dib.size(), 40u + 16 * 3);
    const uint8_t* h = dib.data();
    EXPECT_EQ(le32(h), 40u);
    EXPECT_EQ(le32(h + 4), 5u);
    EXPECT_EQ(le32(h + 8), 3u);  // positive: bottom-up
    EXPECT_EQ(h[14], 24);
    EXPECT_EQ(le32(h + 16), 0u);
    EXPECT_EQ(le32(h + 20), 48u);
    // The first row in memory is the picture's bottom row, in blue-green-red order.
    const QRgb bottomLeft = image.pixel(0, 2), secondOfTop = image.pixel(1, 0);
    EXPECT_EQ(h[40], qBlue(bottomLeft));
    EXPECT_EQ(h[41], qGreen(bottomLeft));
    EXPECT_EQ(h[42], qRed(bottomLeft));
    EXPECT_EQ(h[40 + 2 * 16 + 3], qBlue(secondOfTop));
    EXPECT_EQ(h[40 + 2 * 16 + 5], qRed(secondOfTop));
    expectSamePixels(dib.toImage(), image);
}

TEST(Dib, TransparentPartsAreLaidOnWhite) {
    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(1, 1, qRgba(255, 0, 0, 255));
    const QImage back = Dib::fromImage(image).toImage();
    EXPECT_EQ(QColor(back.pixel(0, 0)).name(), "#ffffff");
    EXPECT_EQ(QColor(back.pixel(1, 1)).name(), "#ff0000");
    EXPECT_TRUE(Dib::fromImage(QImage()).isNull());
}

class DibFileTest : public ::testing::Test {
  protected:
    QString file(const char* name) const { return QString::fromStdString(sandbox_.file(name)); }
    testsupport::Sandbox sandbox_;
};

TEST_F(DibFileTest, BitmapFileRoundTripsAndImageMagickReadsIt) {
    const QString file = this->file("round.bmp");
    const QImage image = paletteImage();
    ASSERT_EQ(SaveDIB(Dib::fromImage(image), file), DIB_OK);

    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), 14 + 40 + 48);
    EXPECT_TRUE(bytes.startsWith("BM"));
    EXPECT_EQ(le32(reinterpret_cast<const uint8_t*>(bytes.constData()) + 2), 102u);
    EXPECT_EQ(le32(reinterpret_cast<const uint8_t*>(bytes.constData()) + 10), 54u);
    expectSamePixels(QImage(file), image);

    QProcess identify;
    identify.start("identify", {"-format", "%m %wx%h %[pixel:p{4,2}]", file});
    ASSERT_TRUE(identify.waitForFinished(30000));
    const QColor corner(image.pixel(4, 2));
    // BMP3: the bitmap file with the 40-byte information header.
    EXPECT_EQ(identify.readAllStandardOutput().toStdString(), QString("BMP3 5x3 srgb(%1,%2,%3)")
                                                                  .arg(corner.red())
                                                                  .arg(corner.green())
                                                                  .arg(corner.blue())
                                                                  .toStdString());
}

TEST_F(DibFileTest, FailedSaveReportsWhyAndLeavesNothing) {
    const Dib dib = Dib::fromImage(paletteImage());
    EXPECT_EQ(SaveDIB(dib, ""), ERR_NOFILENAME);
    EXPECT_EQ(SaveDIB(Dib(), file("null.bmp")), ERR_NOT_DIB);
    EXPECT_EQ(SaveDIB(dib, file("missing/x.bmp")), ERR_OPEN);

    EXPECT_TRUE(QDir(QString::fromStdString(sandbox_.path()))
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                    .isEmpty());
}

}  // namespace
