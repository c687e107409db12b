// Turns one photo of record spines on a shelf, or of one or more covers, into one piece of
// evidence per record: its text lines, its barcodes and a small picture of it.
#pragma once

#include "scanner/barcode_detector.h"
#include "scanner/photo_evidence.h"
#include "scanner/rectangle_detector.h"
#include "scanner/text_reader.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <memory>
#include <optional>
#include <stop_token>

namespace vorla::PhotoAnalyzer {

// Rectangles below are in normalized photo coordinates (photo_geometry.h).
struct TextBox
{
    QString text;
    float confidence = 0;
    QRectF box;

    bool operator==(const TextBox &) const = default;
};

struct DetectedCode
{
    QString payload;
    QRectF box;
};

using Strip = QList<TextBox>;

// What the analysis reads pixels with; tests hand in scripted ones.
struct Engines
{
    std::shared_ptr<const TextReader> text;
    std::shared_ptr<const BarcodeDetector> barcodes;
    std::shared_ptr<const RectangleDetector> rectangles;
};
// Tesseract, ZXing and OpenCV.
Engines defaultEngines();

// Photos are analysed upright and at most this many pixels on their longer side.
inline constexpr int kMaxPhotoSide = 4096;

// The whole analysis of one photo file. Throws ImageFileError when the file cannot be read and
// CancelledError once `stop` is requested. Synchronous: call it from a worker, never the GUI
// thread.
QList<PhotoEvidence> analyze(const QString &path, PhotoLayout layout, std::stop_token stop = {});
QList<PhotoEvidence> analyze(
    const QString &path, PhotoLayout layout, const Engines &engines, std::stop_token stop = {});
// The analysis of an upright image; never fails except by cancellation.
QList<PhotoEvidence> analyze(
    const QImage &image, PhotoLayout layout, const Engines &engines, std::stop_token stop = {});

// The reading routines every step uses.
QImage loadUpright(const QString &path);
QList<DetectedCode> detectBarcodes(const QImage &image, const Engines &engines);
QList<TextBox> recognize(const QImage &image, float minimumTextHeight, const Engines &engines);
std::optional<QImage> thumbnail(const QImage &image, int maxPixel);

// Spines standing side by side.
QList<PhotoEvidence> spines(const QImage &image, const QList<DetectedCode> &codes,
    const Engines &engines, std::stop_token stop = {});
QList<TextBox> readVerticalText(const QImage &image, const QRectF &band, const Engines &engines);
QList<TextBox> removeOverlaps(const QList<TextBox> &boxes);
QList<Strip> clusterIntoStrips(const QList<TextBox> &boxes);
QList<QRectF> uncoveredBands(const QList<Strip> &strips, double minWidth);
// Barcodes go to the spine whose boxes lie under their centre; the others become covers.
QList<PhotoEvidence> attach(const QList<DetectedCode> &codes, QList<PhotoEvidence> spineEvidence,
    const std::optional<QList<Strip>> &strips);

// Covers lying or standing face-on.
QList<PhotoEvidence> covers(const QImage &image, const QList<DetectedCode> &codes,
    const Engines &engines, std::stop_token stop = {});
QList<DetectedRectangle> coverRegions(const QImage &image, const Engines &engines);
PhotoEvidence coverEvidence(
    const QImage &cover, const QStringList &barcodes, const Engines &engines);

} // namespace vorla::PhotoAnalyzer
