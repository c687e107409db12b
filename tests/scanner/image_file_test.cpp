#include "scanner/image_file.h"

#include "heic_writer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

using namespace vorla;
using vorla::test::writeHeic;
using namespace Qt::StringLiterals;

namespace {

// A picture whose top-left quarter is dark, so its orientation can be told after loading.
QImage markedPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < height / 2; ++y)
        for (int x = 0; x < width / 2; ++x)
            image.setPixel(x, y, qRgb(10, 10, 10));
    return image;
}

bool darkTopLeft(const QImage &image)
{
    return qGray(image.pixel(image.width() / 8, image.height() / 8)) < 80
        && qGray(image.pixel(image.width() * 7 / 8, image.height() * 7 / 8)) > 180;
}

// A PNG whose header claims a size far beyond what may be decoded.
QByteArray hugePng()
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImage(8, 8, QImage::Format_RGB32).save(&buffer, "PNG");
    }
    auto put = [&](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((value >> (24 - 8 * i)) & 0xFF);
    };
    put(16, 40000);
    put(20, 40000);
    // The header chunk's CRC over its type and data.
    quint32 crc = 0xFFFFFFFF;
    for (int i = 12; i < 29; ++i) {
        crc ^= quint8(bytes[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    put(29, ~crc);
    return bytes;
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

} // namespace

TEST(ImageFile, EachFailureHasItsOwnCause)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"Photos"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const struct
    {
        QString path;
        ImageFileProblem problem;
        QString message;
    } cases[] = {
        { dir.filePath(u"gone.jpg"_s), ImageFileProblem::missing,
            u"The file \u201Cgone.jpg\u201D couldn\u2019t be opened because there is no such file."_s },
        { folder, ImageFileProblem::folder,
            u"The file \u201CPhotos\u201D couldn\u2019t be opened because it is a folder."_s },
        { write(dir, u"notes.txt"_s, "Cat. No. ABC 123\n"), ImageFileProblem::notAnImage,
            u"The file \u201Cnotes.txt\u201D couldn\u2019t be opened because it isn\u2019t in the correct format."_s },
        { write(dir, u"empty.jpg"_s, {}), ImageFileProblem::notAnImage, {} },
        { write(dir, u"huge.png"_s, hugePng()), ImageFileProblem::tooLarge,
            u"The file \u201Chuge.png\u201D couldn\u2019t be opened because the picture is too large."_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        ImageFileProblem problem = ImageFileProblem::none;
        EXPECT_TRUE(readUprightImage(c.path, 4096, &problem).isNull());
        EXPECT_EQ(problem, c.problem);
        try {
            loadUprightImage(c.path, 4096);
            ADD_FAILURE() << "no error";
        } catch (const ImageFileError &error) {
            EXPECT_EQ(error.problem(), c.problem);
            if (!c.message.isEmpty()) {
                EXPECT_EQ(error.message(), c.message);
            }
        }
    }

    // A file the user may not read; root reads everything, so there it cannot be shown.
    const QString locked = write(dir, u"locked.png"_s, {});
    ASSERT_TRUE(markedPicture(20, 20).save(locked));
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (geteuid() != 0) {
        ImageFileProblem problem = ImageFileProblem::none;
        EXPECT_TRUE(readUprightImage(locked, 4096, &problem).isNull());
        EXPECT_EQ(problem, ImageFileProblem::unreadable);
    }
}

TEST(ImageFile, PhotosComeUprightAndWithinTheCap)
{
    QTemporaryDir dir;
    // A JPEG stored upside down with the orientation tag that turns it upright.
    const QString jpeg = dir.filePath(u"tagged.jpg"_s);
    QImageWriter writer(jpeg, "jpeg");
    writer.setTransformation(QImageIOHandler::TransformationRotate180);
    ASSERT_TRUE(writer.write(markedPicture(80, 60).transformed(QTransform().rotate(180))));
    const QImage upright = loadUprightImage(jpeg, 4096);
    EXPECT_EQ(upright.size(), QSize(80, 60));
    EXPECT_TRUE(darkTopLeft(upright));

    // A large photo is decoded reduced to the cap; a small one keeps its size.
    const QString large = dir.filePath(u"large.png"_s);
    ASSERT_TRUE(markedPicture(3000, 1000).save(large));
    EXPECT_EQ(loadUprightImage(large, 1200).size(), QSize(1200, 400));
    EXPECT_EQ(loadUprightImage(large, 0).size(), QSize(3000, 1000));
    EXPECT_EQ(uprightImageSize(large), QSize(3000, 1000));
}

TEST(ImageFile, HeicPhotosAreReadThroughLibheif)
{
    ASSERT_TRUE(heif_have_encoder_for_format(heif_compression_HEVC));
    QTemporaryDir dir;
    // Named as a phone names it; Qt has no reader for it.
    const QString path = dir.filePath(u"IMG_0001.HEIC"_s);
    ASSERT_TRUE(writeHeic(markedPicture(128, 96), path));

    const QImage image = loadUprightImage(path, 4096);
    EXPECT_EQ(image.size(), QSize(128, 96));
    EXPECT_TRUE(darkTopLeft(image));
    EXPECT_EQ(loadUprightImage(path, 64).size(), QSize(64, 48));

    // A file that only pretends to be HEIC is not an image.
    const QString fake = write(dir, u"fake.heic"_s,
        QByteArray("\0\0\0\x18"
                   "ftypheic",
            12)
            + QByteArray(40, 'x'));
    ImageFileProblem problem = ImageFileProblem::none;
    EXPECT_TRUE(readUprightImage(fake, 4096, &problem).isNull());
    EXPECT_EQ(problem, ImageFileProblem::notAnImage);
}
