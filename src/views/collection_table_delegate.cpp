#include "views/collection_table_delegate.h"

#include "views/collection_cover.h"
#include "views/collection_model.h"
#include "views/components/cover_painter.h"

#include <QApplication>
#include <QPainter>

namespace vorla {

namespace {

bool isSecondaryColumn(int column)
{
    return column == CollectionModel::catalogNumber || column == CollectionModel::format
        || column == CollectionModel::condition;
}

void paintStars(QPainter &painter, const QRectF &cell, int rating, const QStyleOptionViewItem &option)
{
    const qreal size = 9 * painter.device()->logicalDpiY() / 72.0;
    QFont font = option.font;
    font.setPixelSize(int(std::round(size)));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    qreal x = cell.left() + 4;
    QColor empty = option.palette.color(QPalette::Text);
    empty.setAlphaF(0.3);
    for (int star = 1; star <= 5; ++star) {
        const bool filled = star <= rating;
        const QString glyph = filled ? QStringLiteral("\u2605") : QStringLiteral("\u2606");
        painter.setPen(filled ? QColor(255, 204, 0) : empty);
        const qreal width = metrics.horizontalAdvance(glyph);
        painter.drawText(QRectF(x, cell.top(), width, cell.height()), Qt::AlignCenter, glyph);
        x += width + 2;
    }
}

} // namespace

void CollectionTableDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (isSecondaryColumn(index.column()) && !(option->state & QStyle::State_Selected)) {
        QColor dim = option->palette.color(QPalette::Text);
        dim.setAlphaF(0.6);
        option->palette.setColor(QPalette::Text, dim);
    }
}

void CollectionTableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const auto *model = qobject_cast<const CollectionModel *>(index.model());
    const int column = index.column();
    if (!model || (column != CollectionModel::cover && column != CollectionModel::title
                   && column != CollectionModel::rating)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    // Background and selection as for any cell, then the column's own content.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = {};
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF cell = option.rect;
    if (column == CollectionModel::cover) {
        QRectF square(0, 0, 30, 30);
        square.moveCenter(cell.center());
        paintSquareImage(*painter, square, recordThumbnail(model->recordAt(index.row()), option, index),
                         index.data(CollectionModel::SeedRole).toString(), 3, option.palette);
    } else if (column == CollectionModel::title) {
        const bool selected = option.state & QStyle::State_Selected;
        const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const QString title = index.data(Qt::DisplayRole).toString();
        const bool favorite = index.data(CollectionModel::FavoriteRole).toBool();
        const QFontMetricsF metrics(option.font);
        QFont small = option.font;
        small.setPointSizeF(option.font.pointSizeF() * 0.8);
        const qreal heart = favorite ? QFontMetricsF(small).horizontalAdvance(QStringLiteral("\u2665")) + 4 : 0;
        const QRectF textRect = cell.adjusted(4, 0, -4 - heart, 0);
        const QString elided = metrics.elidedText(title, Qt::ElideRight, textRect.width());
        painter->setFont(option.font);
        painter->setPen(text);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, elided);
        if (favorite) {
            const qreal x = textRect.left() + metrics.horizontalAdvance(elided) + 4;
            painter->setFont(small);
            painter->setPen(QColor(255, 55, 125));
            painter->drawText(QRectF(x, cell.top(), heart, cell.height()), Qt::AlignLeft | Qt::AlignVCenter,
                              QStringLiteral("\u2665"));
        }
    } else {
        paintStars(*painter, cell, index.data(CollectionModel::RatingRole).toInt(), option);
    }
    painter->restore();
}

} // namespace vorla
