#include "views/components/cover_painter.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRadialGradient>

#include <algorithm>
#include <cstdint>

namespace vorla {

double vinylHue(const QString &seed)
{
    std::uint64_t h = 5381;
    for (const char byte : seed.toUtf8())
        h = h * 33 + static_cast<unsigned char>(byte);
    return static_cast<double>(h % 360) / 360.0;
}

QRectF squareRect(const QRectF &available)
{
    const qreal side = std::min(available.width(), available.height());
    QRectF square(0, 0, side, side);
    square.moveCenter(available.center());
    return square;
}

void paintVinylPlaceholder(QPainter &painter, const QRectF &rect, const QString &seed)
{
    const double hue = vinylHue(seed);
    const qreal d = std::min(rect.width(), rect.height());
    const QPointF c = rect.center();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    QLinearGradient background(rect.topLeft(), rect.bottomRight());
    background.setColorAt(0, QColor::fromHsvF(hue, 0.25, 0.32));
    background.setColorAt(1, QColor::fromHsvF(hue, 0.35, 0.18));
    painter.fillRect(rect, background);
    if (d <= 0) {
        painter.restore();
        return;
    }

    const qreal discRadius = 0.42 * d;
    // A soft dark halo stands in for the disc's drop shadow.
    const qreal shadowRadius = discRadius + 0.06 * d;
    QRadialGradient shadow(c, shadowRadius);
    shadow.setColorAt(discRadius / shadowRadius, QColor(0, 0, 0, 90));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setBrush(shadow);
    painter.drawEllipse(c, shadowRadius, shadowRadius);

    QRadialGradient disc(c, discRadius);
    disc.setColorAt(0, QColor::fromRgbF(0.16, 0.16, 0.16));
    disc.setColorAt(1, QColor::fromRgbF(0.05, 0.05, 0.05));
    painter.setBrush(disc);
    painter.drawEllipse(c, discRadius, discRadius);

    QPen groove(QColor::fromRgbF(1, 1, 1, 0.05), std::max(0.004 * d, 0.5), Qt::SolidLine,
        Qt::FlatCap, Qt::MiterJoin);
    groove.setMiterLimit(10);
    painter.setPen(groove);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 7; ++i) {
        const qreal r = d * (0.42 + 0.055 * i) / 2;
        painter.drawEllipse(c, r, r);
    }
    painter.setPen(Qt::NoPen);

    // Qt's conical gradient runs counter-clockwise from three o'clock; the sheen is laid
    // out clockwise, so its stops are mirrored.
    QConicalGradient sheen(c, 0);
    const qreal opacities[] = { 0, 0.08, 0, 0.1, 0 };
    for (int i = 0; i < 5; ++i)
        sheen.setColorAt(i / 4.0, QColor::fromRgbF(1, 1, 1, opacities[i]));
    painter.setBrush(sheen);
    painter.drawEllipse(c, discRadius, discRadius);

    painter.setBrush(QColor::fromHsvF(hue, 0.6, 0.85));
    painter.drawEllipse(c, 0.15 * d, 0.15 * d);

    painter.setBrush(QColor::fromRgbF(0.1, 0.1, 0.1));
    painter.drawEllipse(c, 0.015 * d, 0.015 * d);
    painter.restore();
}

void paintSquareImage(QPainter &painter, const QRectF &available, const QImage &image,
    const QString &seed, qreal cornerRadius, const QPalette &palette)
{
    const QRectF square = squareRect(available);
    if (square.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(square, cornerRadius, cornerRadius);
    painter.setClipPath(clip);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        paintVinylPlaceholder(painter, square, seed);
    } else {
        // Fill the square, cropping the longer side around the centre.
        const qreal scale
            = std::max(square.width() / image.width(), square.height() / image.height());
        QRectF target(0, 0, image.width() * scale, image.height() * scale);
        target.moveCenter(square.center());
        painter.drawImage(target, image);
    }
    painter.setClipping(false);
    QColor edge = palette.color(QPalette::WindowText);
    edge.setAlphaF(0.08);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(Qt::NoBrush);
    const QRectF inner = square.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal innerRadius = std::max<qreal>(cornerRadius - 0.5, 0);
    painter.drawRoundedRect(inner, innerRadius, innerRadius);
    painter.restore();
}

} // namespace vorla
