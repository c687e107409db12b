// Reading a photo of record spines standing side by side: the photo is read turned a quarter
// each way, tall narrow lines are grouped into vertical strips, one per spine, and the columns
// no strip covers are read again on their own.
#include "scanner/photo_analyzer.h"

#include "models/error.h"
#include "scanner/photo_geometry.h"
#include "scanner/photo_reading.h"

#include <QTransform>

#include <algorithm>

namespace vorla::PhotoAnalyzer {

using namespace PhotoGeometry;

namespace {

constexpr int kMaxPasses = 3;
constexpr double kMinBandWidth = 0.015;
constexpr double kStripMargin = 0.004;

double area(const QRectF &r)
{
    return r.width() * r.height();
}

int readableCharacters(const Strip &strip)
{
    int count = 0;
    for (const TextBox &box : strip)
        count += int(std::count_if(
            box.text.begin(), box.text.end(), [](QChar c) { return c.isLetterOrNumber(); }));
    return count;
}

QRectF unionOf(const Strip &strip)
{
    QRectF united = strip.front().box;
    for (const TextBox &box : strip)
        united = united.united(box.box);
    return united;
}

PhotoEvidence spineEvidence(const QImage &image, const Strip &strip)
{
    PhotoEvidence evidence;
    evidence.kind = PhotoEvidence::Kind::spine;
    Strip topDown = strip;
    std::stable_sort(topDown.begin(), topDown.end(),
        [](const TextBox &a, const TextBox &b) { return midY(a.box) > midY(b.box); });
    for (const TextBox &box : std::as_const(topDown))
        evidence.lines.append(box.text);

    const QRectF united = unionOf(strip);
    const double side = 0.3 * united.width();
    const QRectF widened(minX(united) - side, minY(united) - 0.01, united.width() + 2 * side,
        united.height() + 0.02);
    const QRectF area = widened.intersected(kUnit);
    if (area.width() > 0 && area.height() > 0) {
        const QImage cropped = crop(image, area);
        if (!cropped.isNull())
            evidence.crop = thumbnail(cropped, kCropPixels);
    }
    return evidence;
}

} // namespace

QList<TextBox> readVerticalText(const QImage &image, const QRectF &band, const Engines &engines)
{
    const QImage cropped = crop(image, band);
    if (cropped.isNull())
        return {};
    QList<TextBox> turns[2];
    // Clockwise, then counter-clockwise: spine text runs either way.
    auto readTurn = [&](int index) {
        const bool clockwise = index == 0;
        const QImage turned = cropped.transformed(QTransform().rotate(clockwise ? 90 : -90));
        for (TextBox box : recognize(turned, 0, engines)) {
            const QRectF &r = box.box;
            // Back onto the crop, then onto the photo.
            const QRectF c = clockwise ? QRectF(1 - maxY(r), minX(r), r.height(), r.width())
                                       : QRectF(minY(r), 1 - maxX(r), r.height(), r.width());
            box.box
                = QRectF(minX(band) + minX(c) * band.width(), minY(band) + minY(c) * band.height(),
                    c.width() * band.width(), c.height() * band.height());
            if (box.box.width() * 1.2 <= box.box.height()
                && box.confidence >= kMinimumBoxConfidence)
                turns[index].append(box);
        }
    };
    inParallel([&] { readTurn(1); }, [&] { readTurn(0); });
    return turns[0] + turns[1];
}

QList<TextBox> removeOverlaps(const QList<TextBox> &boxes)
{
    QList<TextBox> sorted = boxes;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const TextBox &a, const TextBox &b) { return a.confidence > b.confidence; });
    QList<TextBox> accepted;
    for (const TextBox &box : std::as_const(sorted)) {
        const bool overlaps
            = std::any_of(accepted.begin(), accepted.end(), [&](const TextBox &kept) {
                  double shared = 0;
                  return intersectsWithArea(kept.box, box.box, &shared)
                      && shared > 0.5 * std::min(area(kept.box), area(box.box));
              });
        if (!overlaps)
            accepted.append(box);
    }
    return accepted;
}

QList<Strip> clusterIntoStrips(const QList<TextBox> &boxes)
{
    QList<TextBox> sorted = boxes;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const TextBox &a, const TextBox &b) { return midX(a.box) < midX(b.box); });
    struct Cluster
    {
        double lo;
        double hi;
        Strip boxes;
    };
    QList<Cluster> clusters;
    for (const TextBox &box : std::as_const(sorted)) {
        const double lo = minX(box.box);
        const double hi = maxX(box.box);
        if (!clusters.isEmpty()) {
            Cluster &last = clusters.back();
            const double overlap = std::min(hi, last.hi) - std::max(lo, last.lo);
            const bool joins = 0.5 * std::min(box.box.width(), last.hi - last.lo) <= overlap
                || lo - last.hi < 0.35 * box.box.width();
            if (joins) {
                last.lo = std::min(last.lo, lo);
                last.hi = std::max(last.hi, hi);
                last.boxes.append(box);
                continue;
            }
        }
        clusters.append({ lo, hi, { box } });
    }
    QList<Strip> strips;
    for (const Cluster &cluster : std::as_const(clusters)) {
        if (readableCharacters(cluster.boxes) >= 4)
            strips.append(cluster.boxes);
    }
    return strips;
}

QList<QRectF> uncoveredBands(const QList<Strip> &strips, double minWidth)
{
    QList<std::pair<double, double>> ranges;
    for (const Strip &strip : strips) {
        if (strip.isEmpty())
            continue;
        const QRectF united = unionOf(strip);
        ranges.append({ minX(united) - kStripMargin, maxX(united) + kStripMargin });
    }
    std::sort(ranges.begin(), ranges.end());
    QList<QRectF> bands;
    double cursor = 0;
    for (const auto &[lo, hi] : std::as_const(ranges)) {
        const double gap = lo - cursor;
        if (gap >= minWidth)
            bands.append(QRectF(cursor, 0, gap, 1));
        cursor = std::max(cursor, hi);
    }
    if (1 - cursor >= minWidth)
        bands.append(QRectF(cursor, 0, 1 - cursor, 1));
    return bands;
}

QList<PhotoEvidence> spines(const QImage &image, const QList<DetectedCode> &codes,
    const Engines &engines, std::stop_token stop)
{
    QList<TextBox> boxes = readVerticalText(image, kUnit, engines);
    QList<TextBox> kept = removeOverlaps(boxes);
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        if (stop.stop_requested())
            throw CancelledError();
        const QList<QRectF> bands = uncoveredBands(clusterIntoStrips(kept), kMinBandWidth);
        if (bands.isEmpty())
            break;
        QList<TextBox> read;
        for (const QRectF &band : bands)
            read += readVerticalText(image, band, engines);
        boxes += read;
        // A pass whose boxes all lie on boxes found already changes no strip: reading the same
        // bands again would only find them again.
        const QList<TextBox> grown = removeOverlaps(boxes);
        const bool added = std::any_of(
            grown.begin(), grown.end(), [&](const TextBox &box) { return !kept.contains(box); });
        kept = grown;
        if (!added)
            break;
    }

    const QList<Strip> strips = clusterIntoStrips(kept);
    QList<PhotoEvidence> evidence;
    for (const Strip &strip : strips)
        evidence.append(spineEvidence(image, strip));
    return attach(codes, evidence, strips);
}

QList<PhotoEvidence> attach(const QList<DetectedCode> &codes, QList<PhotoEvidence> spineEvidence,
    const std::optional<QList<Strip>> &strips)
{
    QList<PhotoEvidence> loose;
    for (const DetectedCode &code : codes) {
        const double x = midX(code.box);
        qsizetype owner = -1;
        if (strips) {
            for (qsizetype i = 0; i < strips->size() && i < spineEvidence.size() && owner < 0;
                 ++i) {
                const Strip &strip = (*strips)[i];
                const bool under = std::any_of(strip.begin(), strip.end(),
                    [x](const TextBox &box) { return minX(box.box) <= x && x <= maxX(box.box); });
                if (under)
                    owner = i;
            }
        }
        if (owner >= 0) {
            spineEvidence[owner].barcodes.append(code.payload);
        } else {
            loose.append(barcodeEvidence(code.payload));
        }
    }
    return spineEvidence + loose;
}

} // namespace vorla::PhotoAnalyzer
