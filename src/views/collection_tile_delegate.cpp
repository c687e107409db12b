#include "views/collection_tile_delegate.h"

#include "views/collection_cover.h"
#include "views/collection_model.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

namespace vorla {

namespace {

void paintFavoriteBadge(QPainter &painter, const QRectF &cover, const QFont &base)
{
    QFont font = CollectionTileDelegate::captionFont(base);
    const QFontMetricsF metrics(font);
    const qreal side = metrics.height() + 10;
    const QRectF badge(cover.right() - 6 - side, cover.top() + 6, side, side);
    painter.save();
    QLinearGradient pink(badge.topLeft(), badge.bottomLeft());
    pink.setColorAt(0, QColor(255, 95, 150));
    pink.setColorAt(1, QColor(230, 45, 110));
    painter.setPen(Qt::NoPen);
    painter.setBrush(pink);
    painter.drawEllipse(badge);
    painter.setPen(Qt::white);
    painter.setFont(font);
    painter.drawText(badge, Qt::AlignCenter, QStringLiteral("\u2665"));
    painter.restore();
}

} // namespace

QFont CollectionTileDelegate::titleFont(const QFont &base)
{
    QFont font = base;
    font.setBold(true);
    return font;
}

QFont CollectionTileDelegate::artistFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.92);
    return font;
}

QFont CollectionTileDelegate::captionFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.84);
    return font;
}

int CollectionTileDelegate::tileHeight(qreal tileWidth, const QFont &base)
{
    const qreal text = QFontMetricsF(titleFont(base)).height() + kLineSpacing
        + QFontMetricsF(artistFont(base)).height() + kLineSpacing
        + QFontMetricsF(captionFont(base)).height();
    return int(std::ceil(tileWidth + kTextSpacing + text));
}

TileArt CollectionTileDelegate::tileArt(
    const QStyleOptionViewItem &option, const QModelIndex &index, qreal devicePixelRatio)
{
    TileArt art;
    art.tile = option.rect;
    if (const auto *model = qobject_cast<const CollectionModel *>(index.model()))
        art.cover = recordThumbnail(model->recordAt(index.row()), option, index);
    art.seed = index.data(CollectionModel::SeedRole).toString();
    art.selected = option.state & QStyle::State_Selected;
    art.hovering = option.state & QStyle::State_MouseOver;
    art.highlight = option.palette.color(QPalette::Active, QPalette::Highlight);
    art.edge = option.palette.color(QPalette::WindowText);
    art.devicePixelRatio = devicePixelRatio;
    return art;
}

QSize CollectionTileDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int width = std::max(option.rect.width(), 120);
    return {width, tileHeight(width, option.font)};
}

void CollectionTileDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    paintTile(painter, option, index, tileArt(option, index, painter->device()->devicePixelRatio()));
}

void CollectionTileDelegate::paintTile(QPainter *painter, const QStyleOptionViewItem &option,
                                       const QModelIndex &index, const TileArt &art) const
{
    const auto *model = qobject_cast<const CollectionModel *>(index.model());
    if (!model)
        return;
    const QRectF tile = option.rect;
    QRectF cover(tile.left(), tile.top(), tile.width(), tile.width());
    if (option.state & QStyle::State_MouseOver) {
        const qreal grow = cover.width() * 0.01;
        cover.adjust(-grow, -grow, grow, grow);
    }

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    drawTileArt(*painter, option.rect, m_art.art(art));
    if (index.data(CollectionModel::FavoriteRole).toBool())
        paintFavoriteBadge(*painter, cover, option.font);

    // Text block, 2 points in from the sides.
    const QRectF text = QRectF(tile.left() + 2, tile.top() + tile.width() + kTextSpacing,
                               tile.width() - 4, tile.bottom() - tile.top());
    const QColor primary = option.palette.color(QPalette::Text);
    QColor secondary = primary;
    secondary.setAlphaF(0.62);
    QColor tertiary = primary;
    tertiary.setAlphaF(0.42);

    qreal y = text.top();
    auto drawLine = [&](const QFont &font, const QColor &color, const QString &line) {
        const QFontMetricsF metrics(font);
        painter->setFont(font);
        painter->setPen(color);
        const QString elided = metrics.elidedText(line, Qt::ElideRight, text.width());
        painter->drawText(QRectF(text.left(), y, text.width(), metrics.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, elided);
        y += metrics.height() + kLineSpacing;
    };
    drawLine(titleFont(option.font), primary, index.data(CollectionModel::TitleRole).toString());
    drawLine(artistFont(option.font), secondary, index.data(CollectionModel::ArtistRole).toString());

    // Caption row: year, grade badge, stars, 6 points apart.
    const QFont caption = captionFont(option.font);
    const QFontMetricsF metrics(caption);
    painter->setFont(caption);
    qreal x = text.left();
    const QRectF row(text.left(), y, text.width(), metrics.height());
    const QString year = index.data(CollectionModel::YearTextRole).toString();
    if (!year.isEmpty()) {
        painter->setPen(tertiary);
        painter->drawText(QRectF(x, row.top(), metrics.horizontalAdvance(year) + 1, row.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, year);
        x += metrics.horizontalAdvance(year) + 6;
    }
    const QString grade = index.data(CollectionModel::GradeTextRole).toString();
    if (!grade.isEmpty()) {
        const QRectF badge(x, row.top(), metrics.horizontalAdvance(grade) + 8, row.height());
        QColor fill = primary;
        fill.setAlphaF(0.1);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(badge, 3, 3);
        painter->setPen(tertiary);
        painter->drawText(badge, Qt::AlignCenter, grade);
        x = badge.right() + 6;
    }
    const int rating = index.data(CollectionModel::RatingRole).toInt();
    if (rating >= 1) {
        QColor yellow(255, 204, 0);
        yellow.setAlphaF(0.85);
        painter->setPen(yellow);
        const QString stars(rating, QChar(0x2605));
        painter->drawText(QRectF(x, row.top(), std::max<qreal>(0, text.right() - x), row.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(stars, Qt::ElideRight, text.right() - x));
    }
    painter->restore();
}

} // namespace vorla
