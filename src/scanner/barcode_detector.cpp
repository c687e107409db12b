#include "scanner/barcode_detector.h"

#include <ZXing/ReadBarcode.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QPolygon>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace vorla {

namespace {

ZXing::BarcodeFormats formatsFor(const QList<BarcodeSymbology> &symbologies)
{
    ZXing::BarcodeFormats formats;
    for (BarcodeSymbology symbology : symbologies) {
        switch (symbology) {
        case BarcodeSymbology::ean13:
            // A UPC-A symbol is an EAN-13 with a leading zero.
            formats |= ZXing::BarcodeFormat::EAN13;
            formats |= ZXing::BarcodeFormat::UPCA;
            break;
        case BarcodeSymbology::ean8:
            formats |= ZXing::BarcodeFormat::EAN8;
            break;
        case BarcodeSymbology::upce:
            formats |= ZXing::BarcodeFormat::UPCE;
            break;
        case BarcodeSymbology::code128:
            formats |= ZXing::BarcodeFormat::Code128;
            break;
        case BarcodeSymbology::code39:
            formats |= ZXing::BarcodeFormat::Code39;
            break;
        case BarcodeSymbology::interleaved2of5:
        case BarcodeSymbology::itf14:
            formats |= ZXing::BarcodeFormat::ITF;
            break;
        }
    }
    return formats;
}

std::optional<BarcodeSymbology> symbologyOf(ZXing::BarcodeFormat format)
{
    switch (format) {
    case ZXing::BarcodeFormat::EAN13:
    case ZXing::BarcodeFormat::UPCA:
        return BarcodeSymbology::ean13;
    case ZXing::BarcodeFormat::EAN8:
        return BarcodeSymbology::ean8;
    case ZXing::BarcodeFormat::UPCE:
        return BarcodeSymbology::upce;
    case ZXing::BarcodeFormat::Code128:
        return BarcodeSymbology::code128;
    case ZXing::BarcodeFormat::Code39:
        return BarcodeSymbology::code39;
    case ZXing::BarcodeFormat::ITF:
        return BarcodeSymbology::interleaved2of5;
    default:
        return std::nullopt;
    }
}

QImage grayscaleWithin(const QImage &image, int maxSide)
{
    QImage gray = image;
    if (maxSide > 0 && std::max(gray.width(), gray.height()) > maxSide)
        gray = gray.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (gray.format() != QImage::Format_Grayscale8)
        gray = gray.convertToFormat(QImage::Format_Grayscale8);
    return gray;
}

// Turns the picture on a canvas large enough to keep every pixel; `forward` maps a point of
// the picture onto the turned one.
QImage turned(const QImage &gray, int degrees, cv::Matx23d &forward)
{
    if (degrees == 90) {
        forward = cv::Matx23d(0, -1, gray.height() - 1, 1, 0, 0);
        const cv::Mat source(gray.height(), gray.width(), CV_8UC1,
                             const_cast<uchar *>(gray.constBits()),
                             static_cast<size_t>(gray.bytesPerLine()));
        QImage result(gray.height(), gray.width(), QImage::Format_Grayscale8);
        cv::Mat target(result.height(), result.width(), CV_8UC1, result.bits(),
                       static_cast<size_t>(result.bytesPerLine()));
        cv::rotate(source, target, cv::ROTATE_90_CLOCKWISE);
        return result;
    }
    const cv::Mat source(gray.height(), gray.width(), CV_8UC1, const_cast<uchar *>(gray.constBits()),
                         static_cast<size_t>(gray.bytesPerLine()));
    const double side = (gray.width() + gray.height()) / std::sqrt(2.0);
    const int size = static_cast<int>(std::ceil(side));
    cv::Mat transform = cv::getRotationMatrix2D(cv::Point2f(gray.width() / 2.0f, gray.height() / 2.0f),
                                                degrees, 1.0);
    transform.at<double>(0, 2) += size / 2.0 - gray.width() / 2.0;
    transform.at<double>(1, 2) += size / 2.0 - gray.height() / 2.0;
    forward = cv::Matx23d(transform);
    QImage result(size, size, QImage::Format_Grayscale8);
    cv::Mat target(size, size, CV_8UC1, result.bits(), static_cast<size_t>(result.bytesPerLine()));
    cv::warpAffine(source, target, transform, target.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    return result;
}

QImage smoothed(const QImage &gray)
{
    QImage result(gray.size(), QImage::Format_Grayscale8);
    const cv::Mat source(gray.height(), gray.width(), CV_8UC1, const_cast<uchar *>(gray.constBits()),
                         static_cast<size_t>(gray.bytesPerLine()));
    cv::Mat target(result.height(), result.width(), CV_8UC1, result.bits(),
                   static_cast<size_t>(result.bytesPerLine()));
    cv::GaussianBlur(source, target, cv::Size(0, 0), 1.0);
    return result;
}

// Reads up to `limit` codes one at a time, painting each one found over before looking again.
// Asking ZXing for several codes at once makes it compare codes read on many lines with each
// other, which trips an assertion in Debian's build and aborts the process.
ZXing::Results read(QImage gray, const ZXing::DecodeHints &hints, int limit)
{
    ZXing::Results results;
    for (int i = 0; i < limit; ++i) {
        const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(),
                                    ZXing::ImageFormat::Lum, gray.bytesPerLine());
        ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (!result.isValid())
            break;
        const bool repeated = std::any_of(results.begin(), results.end(), [&](const ZXing::Result &r) {
            return r.format() == result.format() && r.text() == result.text();
        });
        if (repeated)
            break;
        results.push_back(result);
        if (i + 1 == limit)
            break;
        const ZXing::Position &position = result.position();
        QPolygon outline;
        for (const ZXing::PointI &point : position)
            outline << QPoint(point.x, point.y);
        QRect area = outline.boundingRect();
        // A linear code's position is the band of scan lines that read it; cover the bars
        // above and below it too.
        const int margin = std::max(area.width(), area.height()) / 2 + 8;
        area.adjust(-margin / 4, -margin, margin / 4, margin);
        area = area.intersected(gray.rect());
        for (int y = area.top(); y <= area.bottom(); ++y)
            std::fill_n(gray.scanLine(y) + area.left(), area.width(), uchar(255));
    }
    return results;
}

} // namespace

ZXingBarcodeDetector::ZXingBarcodeDetector() : ZXingBarcodeDetector(Options{}) {}

ZXingBarcodeDetector::ZXingBarcodeDetector(Options options) : m_options(options) {}

QString ZXingBarcodeDetector::normalizedPayload(bool isUpcA, const QString &text)
{
    if (isUpcA && text.size() == 12)
        return u'0' + text;
    return text;
}

QList<DetectedBarcode> ZXingBarcodeDetector::detect(const QImage &image,
                                                    const QList<BarcodeSymbology> &symbologies) const
{
    QList<DetectedBarcode> found;
    if (image.isNull() || symbologies.isEmpty())
        return found;

    ZXing::DecodeHints hints;
    hints.setFormats(formatsFor(symbologies));
    hints.setTryHarder(m_options.tryHarder);
    // Turned images are decoded one by one: merging the results of ZXing's own quarter turns
    // compares codes read on many lines, which trips an assertion in Debian's build.
    hints.setTryRotate(false);
    // Debian's build keeps assertions on, and its downscaling pass can abort the process.
    hints.setTryDownscale(false);
    hints.setMaxNumberOfSymbols(1);
    const int limit = m_options.maxCodes;

    const QImage gray = grayscaleWithin(image, m_options.maxSide);
    // The symbol's outline, mapped back from the turned picture it was read in.
    auto boxOf = [&gray](const ZXing::Position &position, const cv::Matx23d &forward) {
        cv::Matx23d back;
        cv::invertAffineTransform(forward, back);
        QPolygonF outline;
        for (const ZXing::PointI &point : position) {
            const cv::Vec2d p = back * cv::Vec3d(point.x, point.y, 1.0);
            outline << QPointF(p[0] / gray.width(), p[1] / gray.height());
        }
        return outline.boundingRect().intersected(QRectF(0, 0, 1, 1));
    };
    auto collect = [&found, &boxOf](const ZXing::Results &results, const cv::Matx23d &forward) {
        for (const ZXing::Result &result : results) {
            if (!result.isValid())
                continue;
            const QString text = ZXingBarcodeDetector::normalizedPayload(
                result.format() == ZXing::BarcodeFormat::UPCA, QString::fromStdString(result.text()));
            if (text.isEmpty())
                continue;
            found.append({text, 1.0, symbologyOf(result.format()), boxOf(result.position(), forward)});
        }
    };
    // Scan lines run across rows, so upright and quarter-turned codes are read first; the 45
    // and 135 degree turns catch the tilts in between.
    auto scan = [&](const QImage &picture) {
        auto readTurned = [&](int degrees) {
            cv::Matx23d forward;
            const QImage turnedPicture = turned(picture, degrees, forward);
            collect(read(turnedPicture, hints, limit), forward);
        };
        collect(read(picture, hints, limit), cv::Matx23d(1, 0, 0, 0, 1, 0));
        readTurned(90);
        if (found.isEmpty() && m_options.findTilted) {
            readTurned(45);
            readTurned(135);
        }
    };
    scan(gray);
    // Sensor noise on a soft photo breaks the bars' edges; smoothing restores them.
    if (found.isEmpty() && m_options.tryHarder)
        scan(smoothed(gray));

    QList<DetectedBarcode> unique;
    for (const DetectedBarcode &barcode : std::as_const(found)) {
        // The first reading of a code, and its box, stand for all.
        const bool seen = std::any_of(unique.begin(), unique.end(), [&](const DetectedBarcode &kept) {
            return kept.payload == barcode.payload && kept.symbology == barcode.symbology;
        });
        if (!seen)
            unique.append(barcode);
    }
    return unique;
}

} // namespace vorla
