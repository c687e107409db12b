#include "core/image_util.h"
#include "test_images.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

QImage decoded(const QByteArray &bytes, QByteArray *format = nullptr)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (format)
        *format = reader.format();
    return reader.read();
}

// A JPEG whose EXIF orientation says "rotate 90 degrees clockwise to view".
QByteArray rotatedJPEG(int width, int height)
{
    QByteArray jpeg = test::encodedImage(width, height, "JPEG");
    static const unsigned char exif[] = {
        0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,
        'M', 'M', 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,
        0x00, 0x01,                                     // one entry
        0x01, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, // Orientation, SHORT, 1
        0x00, 0x06, 0x00, 0x00,                         // value 6
        0x00, 0x00, 0x00, 0x00,                         // no next IFD
    };
    jpeg.insert(2, reinterpret_cast<const char *>(exif), sizeof exif);
    return jpeg;
}

} // namespace

TEST(ImageUtil, DownscalesToJPEG)
{
    QByteArray format;
    const auto jpeg = ImageUtil::downscaledJPEG(test::encodedImage(3000, 1500), 1200, 0.85);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(decoded(*jpeg, &format).size(), QSize(1200, 600));
    EXPECT_EQ(format, QByteArray("jpeg"));

    const auto small = ImageUtil::downscaledJPEG(test::encodedImage(300, 200, "BMP"), 1200, 0.85);
    ASSERT_TRUE(small);
    EXPECT_EQ(decoded(*small).size(), QSize(300, 200));
}

TEST(ImageUtil, AppliesOrientation)
{
    const auto jpeg = ImageUtil::downscaledJPEG(rotatedJPEG(200, 100), 1200, 0.85);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(decoded(*jpeg).size(), QSize(100, 200));
}

TEST(ImageUtil, RejectsWhatIsNoImage)
{
    EXPECT_EQ(ImageUtil::downscaledJPEG(QByteArray(), 1200, 0.85), std::nullopt);
    EXPECT_EQ(ImageUtil::downscaledJPEG(QByteArray("hello"), 1200, 0.85), std::nullopt);
    QByteArray truncated = test::encodedImage(100, 100);
    truncated.truncate(40);
    EXPECT_EQ(ImageUtil::downscaledJPEG(truncated, 1200, 0.85), std::nullopt);
}
