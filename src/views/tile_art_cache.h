// The pictures under the text of grid tiles (shadow, cover or vinyl disc with its edge, and
// the selection ring), painted on the global thread pool and kept while their tiles are in
// view. On the GUI thread Qt's raster engine hands each large antialiased fill to that pool
// and waits for it; a pool thread fills in place, which for a page of new tiles is several
// times faster where waking threads is slow.
#pragma once

#include <QCache>
#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

class QPainter;

namespace vorla {

// What one tile's picture shows.
struct TileArt {
    QRect tile; // the tile; its cover is the square at its top
    QImage cover; // null for the vinyl placeholder
    QString seed; // the placeholder's colour
    bool selected = false;
    bool hovering = false;
    QColor highlight; // the selection ring
    QColor edge; // the cover's hairline
    qreal devicePixelRatio = 1;
};

class TileArtCache
{
public:
    // How far shadow and ring reach past the cover.
    static constexpr int kMargin = 12;
    // Never fewer bytes than this (some fifty tiles of the default size).
    static constexpr qsizetype kMinimumBytes = 8 * 1024 * 1024;

    // Where a tile's picture lies: its cover square and the margin round it.
    static QRect artRect(const QRect &tile);
    // Paints the picture; any thread.
    static QImage paint(const TileArt &art);

    // Paints those not kept yet, spread over the global pool; what finds no free thread
    // there is painted on this one. Keeps at least a few screens of what it was given.
    void prepare(const QList<TileArt> &arts);
    // The kept picture, or one painted now and kept.
    QImage art(const TileArt &art);
    int count() const { return int(m_cache.count()); }

private:
    static QString key(const TileArt &art);
    void keep(const QString &key, const QImage &image);

    // Costs in kilobytes.
    QCache<QString, QImage> m_cache { kMinimumBytes / 1024 };
};

// Draws a picture made by TileArtCache at its place for `tile`, in bands low enough that
// the raster engine does not hand them to other threads even through a clip of many
// rectangles.
void drawTileArt(QPainter &painter, const QRect &tile, const QImage &art);

} // namespace vorla
