// Paints one tile of the cover grid: the cover with its selection ring, favourite badge and
// hover lift, then the title, the artist and a caption of year, media grade and stars.
#pragma once

#include "views/tile_art_cache.h"

#include <QFont>
#include <QStyledItemDelegate>

namespace vorla {

class CollectionTileDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static constexpr int kTextSpacing = 7; // between the cover and the text block
    static constexpr int kLineSpacing = 2;

    static QFont titleFont(const QFont &base);
    static QFont artistFont(const QFont &base);
    static QFont captionFont(const QFont &base);
    // Cover (a square of the tile's width) plus the three text lines.
    static int tileHeight(qreal tileWidth, const QFont &base);

    // What the tile's picture under its text shows.
    static TileArt tileArt(const QStyleOptionViewItem &option, const QModelIndex &index, qreal devicePixelRatio);
    // Paints the pictures of the tiles about to be painted at once, on other threads.
    void prepare(const QList<TileArt> &arts) { m_art.prepare(arts); }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // Paints the tile over the picture `art` describes, as given to prepare(): a cover that
    // finished decoding since is shown by the repaint its arrival asks for.
    void paintTile(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index,
                   const TileArt &art) const;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    mutable TileArtCache m_art;
};

} // namespace vorla
