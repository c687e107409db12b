#include "views/components/cover_painter.h"

#include <QCache>
#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

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

namespace {

// The disc without its label, around `c`: its halo, grooves and sheen.
void paintDisc(QPainter &painter, const QPointF &c, qreal d)
{
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
}

// Discs painted once per size and position within a pixel: every seed shares them, and
// painting one costs far more than copying it. Any thread.
class DiscLayers
{
public:
    static DiscLayers &shared()
    {
        static DiscLayers layers;
        return layers;
    }

    // The disc of diameter `d` device pixels whose centre lies `offset` (each in [0, 1))
    // past the image's centre pixel.
    QImage layer(qreal d, QPointF offset)
    {
        const QString key = QStringLiteral("%1|%2|%3")
                                .arg(qRound(d * 4))
                                .arg(qRound(offset.x() * 16))
                                .arg(qRound(offset.y() * 16));
        {
            std::lock_guard lock(m_mutex);
            if (const QImage *found = m_layers.object(key))
                return *found;
        }
        const int side = 2 * (int(std::ceil(0.48 * d)) + 2);
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return image;
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            paintDisc(painter, QPointF(side / 2, side / 2) + offset, d);
        }
        std::lock_guard lock(m_mutex);
        m_layers.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
        return image;
    }

private:
    std::mutex m_mutex;
    QCache<QString, QImage> m_layers { 8 * 1024 }; // kilobytes
};

} // namespace

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

    // Shifted and evenly scaled, the disc is copied from the shared layer; otherwise painted.
    const QTransform device = painter.deviceTransform();
    const qreal scale = device.m11();
    if (device.type() <= QTransform::TxScale && scale > 0 && qFuzzyCompare(scale, device.m22())) {
        const QPointF centre = device.map(c);
        const QPointF pixel(std::floor(centre.x()), std::floor(centre.y()));
        const QImage layer = DiscLayers::shared().layer(d * scale, centre - pixel);
        painter.save();
        painter.setWorldTransform(QTransform());
        const qreal ratio = painter.deviceTransform().m11();
        QImage shown = layer;
        shown.setDevicePixelRatio(ratio);
        painter.drawImage((pixel - QPointF(layer.width() / 2, layer.height() / 2)) / ratio, shown);
        painter.restore();
    } else {
        paintDisc(painter, c, d);
    }

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
