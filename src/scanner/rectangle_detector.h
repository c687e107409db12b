// Finding near-rectangular outlines (covers on a table) in a photo and straightening one, behind
// a small interface so the cover reading can be tested with regions no detector would report.
#pragma once

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

namespace vorla {

// A detected quadrilateral in normalized photo coordinates (see photo_geometry.h).
struct DetectedRectangle
{
    QPointF topLeft;
    QPointF topRight;
    QPointF bottomLeft;
    QPointF bottomRight;
    QRectF boundingBox;
    // 0 to 1: the share of its outline that lies on edges of the picture.
    double confidence = 0;
};

struct RectangleLimits
{
    // Shorter side over longer side.
    double minimumAspectRatio = 0.8;
    double maximumAspectRatio = 1.0;
    // The shorter side, as a fraction of the photo's smaller dimension.
    double minimumSize = 0.2;
    double minimumConfidence = 0.6;
    // Degrees a corner may differ from a right angle.
    double quadratureTolerance = 20;
    int maximumObservations = 16;
};

class RectangleDetector
{
public:
    virtual ~RectangleDetector() = default;
    // Thread-safe. Largest first, one entry per outline.
    virtual QList<DetectedRectangle> detect(
        const QImage &image, const RectangleLimits &limits) const = 0;
};

// Edges, contours and convex four-cornered polygons with OpenCV.
class OpenCVRectangleDetector final : public RectangleDetector
{
public:
    QList<DetectedRectangle> detect(
        const QImage &image, const RectangleLimits &limits) const override;
};

// The quadrilateral of the photo mapped onto an upright rectangular picture as large as its
// longer opposite sides; none when the corners make no picture.
std::optional<QImage> perspectiveCorrected(const QImage &photo, const DetectedRectangle &region);

} // namespace vorla
