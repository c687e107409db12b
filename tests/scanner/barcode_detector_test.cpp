#include "scanner/barcode_detector.h"

#include "scanner/barcode_scanner.h"

#include "models/error.h"
#include "recognition_fixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vorla;
using namespace Qt::StringLiterals;

namespace {

QStringList payloads(const QList<DetectedBarcode> &detections)
{
    QStringList result;
    for (const DetectedBarcode &d : detections)
        result.append(d.payload);
    return result;
}

QImage photoWith(ZXing::BarcodeFormat format, const char *contents, double degrees, quint32 seed = 3)
{
    QImage scene = test::photoBackground(1400, 1000, seed);
    test::place(scene, test::barcodeSymbol(format, contents, 3), {700, 500}, degrees);
    test::blurAndNoise(scene, 0.8, 6, seed);
    return scene;
}

} // namespace

TEST(BarcodeDetector, ReadsRetailCodesOnPhotosInTheFormTheSystemExpects)
{
    const ZXingBarcodeDetector detector;
    const struct {
        ZXing::BarcodeFormat format;
        const char *contents;
        double degrees;
        const char *expected;
    } cases[] = {
        {ZXing::BarcodeFormat::EAN13, "4006381333931", 0, "4006381333931"},
        // UPC-A comes back in its 13-digit EAN-13 form.
        {ZXing::BarcodeFormat::UPCA, "036000291452", 12, "0036000291452"},
        {ZXing::BarcodeFormat::EAN8, "96385074", -20, "96385074"},
        // UPC-E as its 8 digits, number systems 0 and 1.
        {ZXing::BarcodeFormat::UPCE, "01234565", 90, "01234565"},
        {ZXing::BarcodeFormat::UPCE, "11234562", 180, "11234562"},
        {ZXing::BarcodeFormat::Code128, "VORLA-128", 5, "VORLA-128"},
        // Tilts beyond the decoder's own tolerance, up to 45 degrees either way.
        {ZXing::BarcodeFormat::EAN13, "4006381333931", 38, "4006381333931"},
        {ZXing::BarcodeFormat::EAN13, "4006381333931", -45, "4006381333931"},
        {ZXing::BarcodeFormat::EAN13, "4006381333931", 135, "4006381333931"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.contents) + " at " + std::to_string(c.degrees));
        EXPECT_EQ(payloads(detector.detect(photoWith(c.format, c.contents, c.degrees),
                                           BarcodeScanner::imageSymbologies())),
                  QStringList{QString::fromLatin1(c.expected)});
    }
}

TEST(BarcodeDetector, NegativeControls)
{
    const ZXingBarcodeDetector detector;
    QImage noise = test::photoBackground(800, 600, 99);
    test::blurAndNoise(noise, 0, 60, 99);
    QImage stripes(800, 600, QImage::Format_RGB32);
    stripes.fill(Qt::white);
    for (int x = 0; x < 800; x += 9)
        for (int y = 0; y < 600; ++y)
            stripes.setPixel(x, y, qRgb(0, 0, 0));
    for (const QImage &image : {test::photoBackground(800, 600), noise, stripes, QImage()}) {
        EXPECT_TRUE(detector.detect(image, BarcodeScanner::imageSymbologies()).isEmpty());
    }
    // A symbology not asked for is not read.
    EXPECT_TRUE(detector
                    .detect(photoWith(ZXing::BarcodeFormat::Code128, "VORLA-128", 0),
                            BarcodeScanner::liveSymbologies())
                    .isEmpty());
}

TEST(BarcodeScanner, ScanImageListsEveryCodeOnceInReadingOrder)
{
    QTemporaryDir dir;
    // The same EAN-13 twice, and a Code 128 label beside an EAN-13 code.
    QImage twice = test::photoBackground(1600, 1000);
    const QImage ean = test::barcodeSymbol(ZXing::BarcodeFormat::EAN13, "4006381333931", 3);
    test::place(twice, ean, {420, 500}, 0);
    test::place(twice, ean, {1180, 500}, 0);
    const QString twicePath = dir.filePath(u"twice.png"_s);
    ASSERT_TRUE(twice.save(twicePath));
    EXPECT_EQ(BarcodeScanner::scanImage(twicePath), QStringList{u"4006381333931"_s});

    QImage both = test::photoBackground(1600, 1400);
    test::place(both, test::barcodeSymbol(ZXing::BarcodeFormat::Code128, "SLEEVE-42", 3), {800, 330}, 0);
    test::place(both, ean, {800, 1000}, 0);
    test::blurAndNoise(both, 0.6, 4);
    const QString bothPath = dir.filePath(u"both.jpg"_s);
    ASSERT_TRUE(both.save(bothPath, "JPEG", 92));
    QStringList found = BarcodeScanner::scanImage(bothPath);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (QStringList{u"4006381333931"_s, u"SLEEVE-42"_s}));
}

TEST(BarcodeScanner, ScanImageReadsASmallCodeInAWholeSleevePhoto)
{
    // Three pixels a bar in a 4000x3000 photo: reduced to 2048 pixels a side the bars blur
    // into each other.
    QTemporaryDir dir;
    QImage sleeve = test::photoBackground(4000, 3000, 21);
    test::place(sleeve, test::barcodeSymbol(ZXing::BarcodeFormat::EAN13, "4006381333931", 3),
                {2600, 2100}, 4);
    test::blurAndNoise(sleeve, 0.8, 4, 21);
    const QString path = dir.filePath(u"sleeve.jpg"_s);
    ASSERT_TRUE(sleeve.save(path, "JPEG", 92));
    EXPECT_EQ(BarcodeScanner::scanImage(path), QStringList{u"4006381333931"_s});
}

TEST(BarcodeScanner, ScanImageReadsAgainLargerOnlyAPhotoThatShowsNoCode)
{
    struct Recording : BarcodeDetector {
        QList<DetectedBarcode> answer;
        mutable QList<int> widths;
        QList<DetectedBarcode> detect(const QImage &image,
                                      const QList<BarcodeSymbology> &) const override
        {
            widths.append(image.width());
            return answer;
        }
    };
    QTemporaryDir dir;
    const QString large = dir.filePath(u"large.png"_s);
    ASSERT_TRUE(test::photoBackground(4000, 300).save(large));
    const QString small = dir.filePath(u"small.png"_s);
    ASSERT_TRUE(test::photoBackground(1000, 300).save(small));
    const struct {
        QString path;
        QList<DetectedBarcode> answer;
        QList<int> widths;
    } cases[] = {
        {large, {}, {2048, 3072}},
        {large, {{u"4006381333931"_s}}, {2048}},
        {small, {}, {1000}},
    };
    for (const auto &c : cases) {
        Recording detector;
        detector.answer = c.answer;
        BarcodeScanner::scanImage(c.path, detector);
        EXPECT_EQ(detector.widths, c.widths);
    }
}

TEST(BarcodeScanner, ScanImageKeepsWhateverTheDecoderReads)
{
    // No checksum or confidence filter on image files.
    struct Scripted : BarcodeDetector {
        QList<DetectedBarcode> detect(const QImage &, const QList<BarcodeSymbology> &) const override
        {
            return {{u"4006381333932"_s, 0.1}, {u"ABC"_s, 0.5}, {u"4006381333932"_s, 0.9}};
        }
    } scripted;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"plain.png"_s);
    ASSERT_TRUE(test::photoBackground(64, 64).save(path));
    EXPECT_EQ(BarcodeScanner::scanImage(path, scripted), (QStringList{u"4006381333932"_s, u"ABC"_s}));
}

TEST(BarcodeScanner, ScanImageErrors)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(u"notes.txt"_s);
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not an image\n");
    file.close();
    try {
        BarcodeScanner::scanImage(text);
        ADD_FAILURE() << "no error";
    } catch (const Error &error) {
        EXPECT_EQ(error.message(),
                  u"The file \u201Cnotes.txt\u201D couldn\u2019t be opened because it isn\u2019t in the correct format."_s);
    }
    try {
        BarcodeScanner::scanImage(dir.filePath(u"missing.jpg"_s));
        ADD_FAILURE() << "no error";
    } catch (const Error &error) {
        EXPECT_EQ(error.message(),
                  u"The file \u201Cmissing.jpg\u201D couldn\u2019t be opened because there is no such file."_s);
    }
    // A photo without barcodes is no error.
    const QString plain = dir.filePath(u"plain.jpg"_s);
    ASSERT_TRUE(test::photoBackground(640, 480).save(plain));
    EXPECT_TRUE(BarcodeScanner::scanImage(plain).isEmpty());
}
