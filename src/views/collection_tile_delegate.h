// Paints one tile of the cover grid: the cover with its selection ring, favourite badge and
// hover lift, then the title, the artist and a caption of year, media grade and stars.
#pragma once

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

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace vorla
