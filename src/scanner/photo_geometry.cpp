#include "scanner/photo_geometry.h"

#include <cmath>

namespace vorla::PhotoGeometry {

QRectF fromTopLeftUnit(const QRectF &r)
{
    return QRectF(r.x(), 1.0 - (r.y() + r.height()), r.width(), r.height());
}

QPointF fromPixels(QPointF pixels, QSize size)
{
    return QPointF(pixels.x() / size.width(), 1.0 - pixels.y() / size.height());
}

QPointF toPixels(QPointF normalized, QSize size)
{
    return QPointF(normalized.x() * size.width(), (1.0 - normalized.y()) * size.height());
}

bool intersectsWithArea(const QRectF &a, const QRectF &b, double *area)
{
    const double w = std::min(maxX(a), maxX(b)) - std::max(minX(a), minX(b));
    const double h = std::min(maxY(a), maxY(b)) - std::max(minY(a), minY(b));
    const bool overlaps = w > 0 && h > 0;
    if (area)
        *area = overlaps ? w * h : 0.0;
    return overlaps;
}

bool containsPoint(const QRectF &r, QPointF point)
{
    return point.x() >= minX(r) && point.x() < maxX(r) && point.y() >= minY(r)
        && point.y() < maxY(r);
}

QRect pixelRect(const QRectF &r, QSize size)
{
    const double left = minX(r) * size.width();
    const double top = (1.0 - maxY(r)) * size.height();
    const double right = left + r.width() * size.width();
    const double bottom = top + r.height() * size.height();
    const int x0 = int(std::floor(left));
    const int y0 = int(std::floor(top));
    const int x1 = int(std::ceil(right));
    const int y1 = int(std::ceil(bottom));
    // QImage::copy does not clip: pixels outside the image would come back black.
    return QRect(x0, y0, x1 - x0, y1 - y0).intersected(QRect(QPoint(0, 0), size));
}

QImage crop(const QImage &image, const QRectF &r)
{
    if (image.isNull() || !std::isfinite(r.x()) || !std::isfinite(r.width()))
        return {};
    const QRect pixels = pixelRect(r, image.size());
    if (pixels.isEmpty())
        return {};
    return image.copy(pixels);
}

} // namespace vorla::PhotoGeometry
