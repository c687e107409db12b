// Paints the table's cells that are more than text: the cover, the title with its favourite
// heart, the stars of the rating, and the dimmed catalog number, format and condition.
#pragma once

#include <QStyledItemDelegate>

namespace vorla {

class CollectionTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace vorla
