#include "scanner/photo_analyzer.h"

#include "models/error.h"
#include "scanner/image_file.h"
#include "scanner/photo_geometry.h"
#include "scanner/photo_reading.h"
#include "services/barcode.h"
#include "core/text_util.h"

#include <QCoreApplication>
#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <exception>
#include <mutex>

namespace vorla::PhotoAnalyzer {

namespace {

// The text engine's layout analysis grows with the pixel count; lettering a collector can read
// on a shelf photo stays well readable at this size.
constexpr int kReadingSide = 2048;
constexpr float kWideTextHeight = 0.01f;

QThreadPool &readingPool()
{
    static QThreadPool pool;
    static std::once_flag configured;
    std::call_once(configured, [] {
        pool.setMaxThreadCount(4);
        qAddPostRoutine([] { readingPool().waitForDone(); });
    });
    return pool;
}

bool isAcceptedPayload(const DetectedBarcode &barcode)
{
    // An 8-digit code without a valid check digit is a misread unless the decoder verified it
    // as UPC-E, whose check digit is computed over the expanded code.
    const QString &payload = barcode.payload;
    const bool eightDigits = payload.size() == 8
        && std::all_of(payload.begin(), payload.end(), [](QChar c) { return c.isDigit(); });
    return Barcode::hasValidChecksum(payload)
        || (eightDigits && barcode.symbology == BarcodeSymbology::upce);
}

void throwIfStopped(const std::stop_token &stop)
{
    if (stop.stop_requested())
        throw CancelledError();
}

} // namespace

void inParallel(const std::function<void()> &first, const std::function<void()> &second)
{
    QFuture<void> running = QtConcurrent::run(&readingPool(), first);
    std::exception_ptr error;
    try {
        second();
    } catch (...) {
        // `first` still works on the caller's data: let it end before the error leaves.
        error = std::current_exception();
    }
    // Runs `first` here when no pool thread has taken it yet.
    running.waitForFinished();
    if (error)
        std::rethrow_exception(error);
}

Engines defaultEngines()
{
    static const std::shared_ptr<const BarcodeDetector> barcodes
        = std::make_shared<ZXingBarcodeDetector>();
    static const std::shared_ptr<const RectangleDetector> rectangles
        = std::make_shared<OpenCVRectangleDetector>();
    return Engines { tesseractTextReader(), barcodes, rectangles };
}

QList<PhotoEvidence> analyze(const QString &path, PhotoLayout layout, std::stop_token stop)
{
    return analyze(path, layout, defaultEngines(), stop);
}

QList<PhotoEvidence> analyze(
    const QString &path, PhotoLayout layout, const Engines &engines, std::stop_token stop)
{
    const QImage image = loadUpright(path);
    throwIfStopped(stop);
    return analyze(image, layout, engines, stop);
}

QList<PhotoEvidence> analyze(
    const QImage &image, PhotoLayout layout, const Engines &engines, std::stop_token stop)
{
    QList<DetectedCode> codes;
    QList<PhotoEvidence> found;
    int wide = 0;
    // The barcodes are read beside the text, on their own thread.
    inParallel([&] { codes = detectBarcodes(image, engines); },
        [&] {
            if (layout != PhotoLayout::automatic)
                return;
            inParallel(
                [&] {
                    for (const TextBox &box : recognize(image, kWideTextHeight, engines)) {
                        if (box.box.height() < box.box.width())
                            ++wide;
                    }
                },
                [&] { found = spines(image, {}, engines, stop); });
        });
    throwIfStopped(stop);

    switch (layout) {
    case PhotoLayout::spines:
        return spines(image, codes, engines, stop);
    case PhotoLayout::covers:
        return covers(image, codes, engines, stop);
    case PhotoLayout::automatic:
        break;
    }
    // Spines when two or more strips of vertical text were found and horizontal lines are no
    // more than twice as many; horizontal text in abundance means covers.
    if (found.size() < 2 || wide > 2 * found.size())
        return covers(image, codes, engines, stop);
    for (const DetectedCode &code : std::as_const(codes)) {
        found.append(barcodeEvidence(code.payload));
    }
    return found;
}

QImage loadUpright(const QString &path)
{
    return loadUprightImage(path, kMaxPhotoSide);
}

QList<DetectedCode> detectBarcodes(const QImage &image, const Engines &engines)
{
    static const QList<BarcodeSymbology> symbologies
        = { BarcodeSymbology::ean13, BarcodeSymbology::ean8, BarcodeSymbology::upce };
    QList<DetectedCode> codes;
    if (image.isNull() || !engines.barcodes)
        return codes;
    for (const DetectedBarcode &barcode : engines.barcodes->detect(image, symbologies)) {
        if (barcode.payload.isEmpty() || !isAcceptedPayload(barcode))
            continue;
        const bool seen = std::any_of(codes.begin(), codes.end(),
            [&](const DetectedCode &code) { return code.payload == barcode.payload; });
        if (!seen)
            codes.append({ barcode.payload, PhotoGeometry::fromTopLeftUnit(barcode.box) });
    }
    return codes;
}

QList<TextBox> recognize(const QImage &image, float minimumTextHeight, const Engines &engines)
{
    QList<TextBox> boxes;
    if (image.isNull() || !engines.text)
        return boxes;
    QImage reading = image;
    if (std::max(reading.width(), reading.height()) > kReadingSide)
        reading = reading.scaled(
            kReadingSide, kReadingSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    for (const TextObservation &observation : engines.text->read(reading, minimumTextHeight)) {
        const QString text = TextUtil::trimmedWhitespaceAndNewlines(observation.text);
        const auto readable
            = std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
        if (readable < 2)
            continue;
        boxes.append({ text, float(observation.confidence),
            PhotoGeometry::fromTopLeftUnit(observation.box) });
    }
    return boxes;
}

std::optional<QImage> thumbnail(const QImage &image, int maxPixel)
{
    if (image.isNull() || maxPixel <= 0)
        return std::nullopt;
    const double scale = std::min(double(maxPixel) / std::max(image.width(), image.height()), 1.0);
    const int width = std::max(int(image.width() * scale), 1);
    const int height = std::max(int(image.height() * scale), 1);
    const QImage drawn
        = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
              .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (drawn.isNull())
        return std::nullopt;
    return drawn;
}

} // namespace vorla::PhotoAnalyzer
