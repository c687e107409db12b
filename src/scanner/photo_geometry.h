// Photo geometry in normalized coordinates: 0 to 1 across the width and height, the origin at
// the bottom-left corner and y growing upwards. A rectangle's x() and y() are its minimum x and
// y there. The conversions to Qt's top-left pixels and the crop rule live here only.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace vorla::PhotoGeometry {

inline double minX(const QRectF &r)
{
    return r.x();
}
inline double maxX(const QRectF &r)
{
    return r.x() + r.width();
}
inline double minY(const QRectF &r)
{
    return r.y();
}
inline double maxY(const QRectF &r)
{
    return r.y() + r.height();
}
inline double midX(const QRectF &r)
{
    return r.x() + r.width() / 2;
}
inline double midY(const QRectF &r)
{
    return r.y() + r.height() / 2;
}

inline const QRectF kUnit(0, 0, 1, 1);

// A rectangle given as fractions of an image from its top-left corner, in normalized
// coordinates; the same conversion turns it back.
QRectF fromTopLeftUnit(const QRectF &topLeftUnit);
// A point in pixels from the top-left corner of an image of `size`, and back.
QPointF fromPixels(QPointF pixels, QSize size);
QPointF toPixels(QPointF normalized, QSize size);

// Non-empty intersection with an area greater than 0.
bool intersectsWithArea(const QRectF &a, const QRectF &b, double *area = nullptr);
// The left and bottom edges are inside, the right and top edges are not.
bool containsPoint(const QRectF &r, QPointF point);

// The crop rule: the pixel rectangle of `r` on an image of `size`, widened to whole pixels
// (floor of the low edges, ceiling of the high ones) and clipped to the image.
QRect pixelRect(const QRectF &r, QSize size);
// The part of the image under `r`; null when nothing of it lies on the image.
QImage crop(const QImage &image, const QRectF &r);

} // namespace vorla::PhotoGeometry
