#include "views/tile_art_cache.h"

#include "views/components/cover_painter.h"

#include <QPainter>
#include <QPalette>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vorla {

namespace {

constexpr qreal kCoverRadius = 8;
// Rows of one band of drawTileArt: under the 96 spans at which the raster engine starts
// spreading a fill over threads, even with three clip rectangles on a row.
constexpr int kBandRows = 30;
// A page of tiles split among a few threads: waking one costs about as much as painting a
// tile or two.
constexpr int kMaxParallel = 4;
constexpr int kTilesPerThread = 2;

void paintShadow(QPainter &painter, const QRectF &cover, bool hovering)
{
    // Stacked translucent rounded squares stand in for a blurred drop shadow.
    const qreal radius = hovering ? 10 : 5;
    const qreal offset = hovering ? 5 : 2;
    const qreal opacity = hovering ? 0.35 : 0.2;
    const int steps = 5;
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = steps; i >= 1; --i) {
        const qreal spread = radius * i / steps;
        painter.setBrush(QColor::fromRgbF(0, 0, 0, opacity / steps));
        painter.drawRoundedRect(cover.translated(0, offset).adjusted(-spread / 2, -spread / 2, spread / 2, spread / 2),
                                kCoverRadius + spread / 2, kCoverRadius + spread / 2);
    }
    painter.restore();
}

QSize deviceSize(const TileArt &art)
{
    const QRect rect = TileArtCache::artRect(art.tile);
    return { int(std::ceil(rect.width() * art.devicePixelRatio)),
        int(std::ceil(rect.height() * art.devicePixelRatio)) };
}

void paintInto(QImage &image, const TileArt &art)
{
    if (image.isNull())
        return;
    image.setDevicePixelRatio(art.devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(-TileArtCache::artRect(art.tile).topLeft());
    QRectF cover(art.tile.left(), art.tile.top(), art.tile.width(), art.tile.width());
    if (art.hovering) {
        const qreal grow = cover.width() * 0.01;
        cover.adjust(-grow, -grow, grow, grow);
    }
    paintShadow(painter, cover, art.hovering);
    // Built from a colour: the application's palette belongs to the GUI thread.
    QPalette palette(Qt::black);
    palette.setColor(QPalette::WindowText, art.edge);
    paintSquareImage(painter, cover, art.cover, art.seed, kCoverRadius, palette);
    if (art.selected) {
        painter.setPen(QPen(art.highlight, 3));
        painter.setBrush(Qt::NoBrush);
        // The ring lies 4 points outside the cover, its stroke inside that outline.
        painter.drawRoundedRect(cover.adjusted(-4 + 1.5, -4 + 1.5, 4 - 1.5, 4 - 1.5), 10 - 1.5, 10 - 1.5);
    }
}

qsizetype costOf(const QImage &image)
{
    return std::max<qsizetype>(1, image.sizeInBytes() / 1024);
}

} // namespace

QRect TileArtCache::artRect(const QRect &tile)
{
    return QRect(tile.left(), tile.top(), tile.width(), tile.width())
        .adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

QImage TileArtCache::paint(const TileArt &art)
{
    QImage image(deviceSize(art), QImage::Format_ARGB32_Premultiplied);
    paintInto(image, art);
    return image;
}

QString TileArtCache::key(const TileArt &art)
{
    // The cover's cacheKey names its pixels; without one the seed gives the colour.
    return QStringLiteral("%1x%2@%3|%4|%5%6|%7|%8|")
               .arg(art.tile.width())
               .arg(art.tile.height())
               .arg(art.devicePixelRatio)
               .arg(art.cover.isNull() ? 0 : art.cover.cacheKey())
               .arg(art.selected ? u's' : u'-')
               .arg(art.hovering ? u'h' : u'-')
               .arg(art.highlight.rgba())
               .arg(art.edge.rgba())
        + (art.cover.isNull() ? art.seed : QString());
}

void TileArtCache::keep(const QString &key, const QImage &image)
{
    if (!image.isNull())
        m_cache.insert(key, new QImage(image), costOf(image));
}

void TileArtCache::prepare(const QList<TileArt> &arts)
{
    struct Job {
        const TileArt *art;
        QString key;
        QImage image;
    };
    std::vector<Job> jobs;
    qsizetype bytes = 0;
    for (const TileArt &art : arts) {
        QString name = key(art);
        const QSize size = deviceSize(art);
        bytes += qsizetype(size.width()) * size.height() * 4;
        if (m_cache.contains(name))
            continue;
        // Allocated here, so the pool threads' malloc arenas do not keep freed pictures.
        jobs.push_back({ &art, std::move(name), QImage(size, QImage::Format_ARGB32_Premultiplied) });
    }
    // Room for what is in view now and half as much again, for a short scroll back.
    m_cache.setMaxCost(std::max(kMinimumBytes, bytes + bytes / 2) / 1024);
    if (jobs.empty())
        return;

    const int parts = std::clamp(int((jobs.size() + kTilesPerThread - 1) / kTilesPerThread), 1, kMaxParallel);
    QSemaphore done;
    int started = 0;
    auto paintPart = [&jobs, parts](int part) {
        for (std::size_t i = std::size_t(part); i < jobs.size(); i += std::size_t(parts))
            paintInto(jobs[i].image, *jobs[i].art);
    };
    // None is painted here, where every large fill would wait for other threads.
    for (int part = 0; part < parts; ++part) {
        if (QThreadPool::globalInstance()->tryStart([&paintPart, &done, part] {
                paintPart(part);
                done.release();
            }))
            ++started;
        else
            paintPart(part);
    }
    done.acquire(started);
    for (Job &job : jobs)
        keep(job.key, job.image);
}

QImage TileArtCache::art(const TileArt &art)
{
    const QString name = key(art);
    if (const QImage *kept = m_cache.object(name))
        return *kept;
    const QImage image = paint(art);
    keep(name, image);
    return image;
}

void drawTileArt(QPainter &painter, const QRect &tile, const QImage &art)
{
    if (art.isNull())
        return;
    const QPointF origin = TileArtCache::artRect(tile).topLeft();
    const qreal ratio = art.devicePixelRatio();
    for (int y = 0; y < art.height(); y += kBandRows) {
        const QRect band(0, y, art.width(), std::min(kBandRows, art.height() - y));
        painter.drawImage(origin + QPointF(0, y / ratio), art, band);
    }
}

} // namespace vorla
