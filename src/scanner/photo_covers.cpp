// Reading a photo of one or more covers: near-square outlines are straightened into flat
// pictures of each cover, read biggest lettering first, with the barcodes printed on them.
#include "scanner/photo_analyzer.h"

#include "models/error.h"
#include "scanner/photo_geometry.h"
#include "scanner/photo_reading.h"

#include <algorithm>

namespace vorla::PhotoAnalyzer {

using namespace PhotoGeometry;

namespace {

constexpr float kCoverTextHeight = 0.02f;
constexpr qsizetype kMaxCoverLines = 12;

bool hasContent(const PhotoEvidence &evidence)
{
    return !evidence.lines.isEmpty() || !evidence.barcodes.isEmpty();
}

} // namespace

QList<DetectedRectangle> coverRegions(const QImage &image, const Engines &engines)
{
    if (image.isNull() || !engines.rectangles)
        return {};
    QList<DetectedRectangle> found = engines.rectangles->detect(image, RectangleLimits {});
    std::stable_sort(
        found.begin(), found.end(), [](const DetectedRectangle &a, const DetectedRectangle &b) {
            return a.boundingBox.width() * a.boundingBox.height()
                > b.boundingBox.width() * b.boundingBox.height();
        });
    QList<DetectedRectangle> accepted;
    for (const DetectedRectangle &region : std::as_const(found)) {
        const double own = region.boundingBox.width() * region.boundingBox.height();
        const bool inside
            = std::any_of(accepted.begin(), accepted.end(), [&](const DetectedRectangle &kept) {
                  double shared = 0;
                  return intersectsWithArea(kept.boundingBox, region.boundingBox, &shared)
                      && shared > 0.5 * own;
              });
        if (!inside)
            accepted.append(region);
    }
    return accepted;
}

PhotoEvidence coverEvidence(
    const QImage &cover, const QStringList &barcodes, const Engines &engines)
{
    QList<TextBox> boxes;
    for (const TextBox &box : recognize(cover, kCoverTextHeight, engines)) {
        if (box.confidence >= kMinimumBoxConfidence)
            boxes.append(box);
    }
    std::stable_sort(boxes.begin(), boxes.end(),
        [](const TextBox &a, const TextBox &b) { return a.box.height() > b.box.height(); });
    PhotoEvidence evidence;
    evidence.kind = PhotoEvidence::Kind::cover;
    for (qsizetype i = 0; i < boxes.size() && i < kMaxCoverLines; ++i)
        evidence.lines.append(boxes[i].text);
    evidence.barcodes = barcodes;
    evidence.crop = thumbnail(cover, kCropPixels);
    return evidence;
}

QList<PhotoEvidence> covers(const QImage &image, const QList<DetectedCode> &codes,
    const Engines &engines, std::stop_token stop)
{
    const QList<DetectedRectangle> regions = coverRegions(image, engines);
    if (stop.stop_requested())
        throw CancelledError();
    QList<PhotoEvidence> result;
    if (regions.size() <= 1) {
        QImage source = image;
        if (!regions.isEmpty()) {
            if (const std::optional<QImage> corrected
                = perspectiveCorrected(image, regions.front()))
                source = *corrected;
        }
        QStringList payloads;
        for (const DetectedCode &code : codes)
            payloads.append(code.payload);
        const PhotoEvidence evidence = coverEvidence(source, payloads, engines);
        if (hasContent(evidence))
            result.append(evidence);
        return result;
    }

    // Each cover on its own; a barcode belongs to the covers its centre lies on.
    struct Reading
    {
        QImage cover;
        QStringList payloads;
        std::optional<PhotoEvidence> evidence;
    };
    QList<Reading> readings;
    for (const DetectedRectangle &region : regions) {
        std::optional<QImage> corrected = perspectiveCorrected(image, region);
        if (!corrected)
            continue;
        Reading reading { *corrected, {}, std::nullopt };
        for (const DetectedCode &code : codes) {
            if (containsPoint(region.boundingBox, QPointF(midX(code.box), midY(code.box))))
                reading.payloads.append(code.payload);
        }
        readings.append(reading);
    }
    if (stop.stop_requested())
        throw CancelledError();
    // Two covers at a time, in region order.
    for (qsizetype i = 0; i < readings.size(); i += 2) {
        auto read = [&](qsizetype at) {
            if (at < readings.size())
                readings[at].evidence
                    = coverEvidence(readings[at].cover, readings[at].payloads, engines);
        };
        inParallel([&] { read(i + 1); }, [&] { read(i); });
    }
    QStringList placed;
    for (const Reading &reading : std::as_const(readings)) {
        placed += reading.payloads;
        if (reading.evidence && hasContent(*reading.evidence))
            result.append(*reading.evidence);
    }
    // A barcode on no usable cover is still a record of the photo: kept on its own, as spine
    // reading keeps the barcodes that lie on no spine.
    for (const DetectedCode &code : codes) {
        if (placed.contains(code.payload))
            continue;
        result.append(barcodeEvidence(code.payload));
    }
    return result;
}

} // namespace vorla::PhotoAnalyzer
