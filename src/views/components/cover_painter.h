// Drawing of record covers: the square, rounded cover image and, without artwork, the
// generated vinyl disc whose colour comes from a hash of the artist and title. Shared by
// the cover widgets and by item delegates that paint covers themselves.
#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;
class QPalette;

namespace vorla {

// djb2 over the seed's UTF-8 bytes, reduced to a hue in [0, 1).
double vinylHue(const QString &seed);

// The largest square that fits in `available`, centred in it.
QRectF squareRect(const QRectF &available);

// The placeholder picture: the background fills `rect`, the disc is sized by its smaller side.
void paintVinylPlaceholder(QPainter &painter, const QRectF &rect, const QString &seed);

// A square cover in `available`: the image scaled to fill the square (or the placeholder
// when the image is null), clipped to a rounded square with a faint hairline edge.
void paintSquareImage(QPainter &painter, const QRectF &available, const QImage &image,
    const QString &seed, qreal cornerRadius, const QPalette &palette);

} // namespace vorla
