#include "views/components/flow_layout.h"

#include <QWidget>

#include <algorithm>

namespace vorla {

FlowLayout::FlowLayout(int spacing, QWidget *parent)
    : QLayout(parent)
{
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

FlowLayout::Arrangement FlowLayout::arrange(const QList<QSize> &sizes, int width, int spacing)
{
    Arrangement result;
    qint64 x = 0;
    qint64 y = 0;
    qint64 rowHeight = 0;
    qint64 maxX = 0;
    for (const QSize &size : sizes) {
        if (x > 0 && x + size.width() > width) {
            y += rowHeight + spacing;
            x = 0;
            rowHeight = 0;
        }
        result.points.append(QPoint(int(x), int(y)));
        x += size.width() + spacing;
        maxX = std::max(maxX, x - spacing);
        rowHeight = std::max<qint64>(rowHeight, size.height());
    }
    result.size = QSize(int(maxX), int(y + rowHeight));
    return result;
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
    invalidate();
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem *item = m_items.takeAt(index);
    invalidate();
    return item;
}

QList<QSize> FlowLayout::itemSizes() const
{
    QList<QSize> sizes;
    sizes.reserve(m_items.size());
    for (QLayoutItem *item : m_items)
        sizes.append(item->isEmpty() ? QSize(0, 0) : item->sizeHint());
    return sizes;
}

int FlowLayout::heightForWidth(int width) const
{
    const QMargins m = margins();
    const int inner = std::max(width - m.left() - m.right(), 0);
    return arrange(itemSizes(), inner, spacing()).size.height() + m.top() + m.bottom();
}

QSize FlowLayout::sizeHint() const
{
    const QMargins m = margins();
    return arrange(itemSizes(), unlimitedWidth, spacing()).size
        + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::minimumSize() const
{
    // Narrow enough to wrap down to the widest single item.
    QSize widest(0, 0);
    for (const QSize &size : itemSizes())
        widest = widest.expandedTo(size);
    const QMargins m = margins();
    return widest + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(margins());
    const QList<QSize> sizes = itemSizes();
    const Arrangement arrangement = arrange(sizes, inner.width(), spacing());
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        m_items[i]->setGeometry(QRect(inner.topLeft() + arrangement.points[i], sizes[i]));
    }
}

} // namespace vorla
