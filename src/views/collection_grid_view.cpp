#include "views/collection_grid_view.h"

#include "views/collection_grid_accessible.h"
#include "views/collection_model.h"
#include "views/collection_selection.h"
#include "views/collection_tile_delegate.h"
#include "views/record_context_menu.h"

#include "models/model_context.h"
#include "services/image_cache.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace vorla {

namespace {

constexpr int kTileOverhang = GridGeometry::kTileOverhang;

} // namespace

GridGeometry GridGeometry::forWidth(int viewportWidth, qreal tileSize)
{
    GridGeometry geometry;
    const qreal available = std::max<qreal>(0, viewportWidth - 2 * kPadding);
    geometry.columns = std::max(1, int(std::floor((available + kColumnSpacing) / (tileSize + kColumnSpacing))));
    const qreal fitted = (available - kColumnSpacing * (geometry.columns - 1)) / geometry.columns;
    geometry.tileWidth = std::clamp(fitted, tileSize, tileSize * 1.35);
    return geometry;
}

CollectionGridView::CollectionGridView(ModelContext *context, CollectionSelection *selection,
                                       QWidget *parent)
    : QAbstractItemView(parent)
    , m_context(context)
    , m_selection(selection)
{
    // Before anything below asks for the grid's accessible interface.
    installCollectionGridAccessibility();
    setItemDelegate(new CollectionTileDelegate(this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true);
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setAccessibleName(tr("Records"));
}

void CollectionGridView::setCollectionModel(CollectionModel *model)
{
    m_model = model;
    setModel(model);
    setSelectionModel(m_selection->itemSelection());
}

void CollectionGridView::setTileSize(qreal size)
{
    if (qFuzzyCompare(size, m_tileSize))
        return;
    m_tileSize = size;
    updateGeometries();
    viewport()->update();
}

GridGeometry CollectionGridView::geometry() const
{
    updateLayoutCache();
    return m_layout.grid;
}

int CollectionGridView::tileHeight() const
{
    updateLayoutCache();
    return m_layout.tileHeight;
}

void CollectionGridView::updateLayoutCache() const
{
    const int width = viewport()->width();
    if (m_layout.width == width && m_layout.tileSize == m_tileSize && m_layout.font == font())
        return;
    m_layout.width = width;
    m_layout.tileSize = m_tileSize;
    m_layout.font = font();
    m_layout.grid = GridGeometry::forWidth(width, m_tileSize);
    m_layout.tileHeight = CollectionTileDelegate::tileHeight(m_layout.grid.tileWidth, font());
}

void CollectionGridView::reset()
{
    QAbstractItemView::reset();
    if (!m_model || !isVisible())
        return;
    const QRect view = viewport()->rect();
    const auto [first, last] = rowsIn(view);
    for (int row = first; row <= last; ++row) {
        const Record *record = m_model->recordAt(row);
        if (record && tileRect(row).intersects(view))
            ImageCache::shared().image(*record, false);
    }
}

std::pair<int, int> CollectionGridView::rowsIn(const QRect &rect) const
{
    const int count = m_model ? m_model->rowCount() : 0;
    if (count == 0)
        return {0, -1};
    const int columns = geometry().columns;
    const int lineHeight = tileHeight() + GridGeometry::kRowSpacing;
    const int top = rect.top() - kTileOverhang + verticalOffset() - GridGeometry::kPadding;
    const int bottom = rect.bottom() + kTileOverhang + verticalOffset() - GridGeometry::kPadding;
    const int firstLine = std::max(0, top / lineHeight - 1);
    const int lastLine = std::max(0, bottom / lineHeight + 1);
    return {std::min(count - 1, firstLine * columns), std::min(count - 1, (lastLine + 1) * columns - 1)};
}

QRect CollectionGridView::tileRect(int row) const
{
    const GridGeometry grid = geometry();
    const int column = row % grid.columns;
    const int line = row / grid.columns;
    const qreal x = GridGeometry::kPadding + column * (grid.tileWidth + GridGeometry::kColumnSpacing);
    const qreal y = GridGeometry::kPadding + line * qreal(tileHeight() + GridGeometry::kRowSpacing);
    return QRectF(x, y - verticalOffset(), grid.tileWidth, tileHeight()).toRect();
}

QRect CollectionGridView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model())
        return {};
    return tileRect(index.row());
}

void CollectionGridView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const QRect rect = visualRect(index).adjusted(0, -GridGeometry::kRowSpacing / 2, 0, GridGeometry::kRowSpacing / 2);
    QScrollBar *bar = verticalScrollBar();
    const int height = viewport()->height();
    if (hint == PositionAtTop || (hint == EnsureVisible && rect.top() < 0))
        bar->setValue(bar->value() + rect.top());
    else if (hint == PositionAtBottom || (hint == EnsureVisible && rect.bottom() > height))
        bar->setValue(bar->value() + rect.bottom() - height);
    else if (hint == PositionAtCenter)
        bar->setValue(bar->value() + rect.center().y() - height / 2);
}

QModelIndex CollectionGridView::indexAt(const QPoint &point) const
{
    if (!m_model || m_model->rowCount() == 0)
        return {};
    const GridGeometry grid = geometry();
    const qreal x = point.x() - GridGeometry::kPadding;
    const qreal y = point.y() + verticalOffset() - GridGeometry::kPadding;
    if (x < 0 || y < 0)
        return {};
    const int column = int(x / (grid.tileWidth + GridGeometry::kColumnSpacing));
    const int line = int(y / (tileHeight() + GridGeometry::kRowSpacing));
    if (column >= grid.columns)
        return {};
    const int row = line * grid.columns + column;
    if (row >= m_model->rowCount() || !tileRect(row).contains(point))
        return {};
    return m_model->index(row, 0);
}

QModelIndex CollectionGridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    if (!m_model || m_model->rowCount() == 0)
        return {};
    const int count = m_model->rowCount();
    const int columns = geometry().columns;
    const int visibleLines = std::max(1, viewport()->height() / (tileHeight() + GridGeometry::kRowSpacing));
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return m_model->index(0, 0);
    int row = current.row();
    switch (cursorAction) {
    case MoveLeft:
    case MovePrevious:
        row -= 1;
        break;
    case MoveRight:
    case MoveNext:
        row += 1;
        break;
    case MoveUp:
        row -= columns;
        break;
    case MoveDown:
        row = row + columns < count ? row + columns : row;
        break;
    case MovePageUp:
        row -= columns * visibleLines;
        break;
    case MovePageDown:
        row += columns * visibleLines;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    }
    return m_model->index(std::clamp(row, 0, count - 1), 0);
}

int CollectionGridView::verticalOffset() const
{
    return verticalScrollBar()->value();
}

bool CollectionGridView::isIndexHidden(const QModelIndex &index) const
{
    return index.column() != 0;
}

void CollectionGridView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    if (!m_model)
        return;
    QItemSelection selection;
    const auto [first, last] = rowsIn(rect.normalized());
    for (int row = first; row <= last; ++row) {
        if (tileRect(row).intersects(rect.normalized()))
            selection.select(m_model->index(row, 0), m_model->index(row, m_model->columnCount() - 1));
    }
    selectionModel()->select(selection, command);
}

QRegion CollectionGridView::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    const auto [first, last] = rowsIn(viewport()->rect());
    for (const QItemSelectionRange &range : selection) {
        for (int row = std::max(first, range.top()); row <= std::min(last, range.bottom()); ++row)
            region += tileRect(row).adjusted(-kTileOverhang, -kTileOverhang, kTileOverhang, kTileOverhang);
    }
    return region;
}

void CollectionGridView::updateGeometries()
{
    const int count = m_model ? m_model->rowCount() : 0;
    const int columns = geometry().columns;
    const int lines = (count + columns - 1) / columns;
    const int content = lines == 0
        ? 0
        : 2 * GridGeometry::kPadding + lines * tileHeight() + (lines - 1) * GridGeometry::kRowSpacing;
    QScrollBar *bar = verticalScrollBar();
    bar->setSingleStep(std::max(20, tileHeight() / 4));
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, content - viewport()->height()));
    QAbstractItemView::updateGeometries();
}

void CollectionGridView::resizeEvent(QResizeEvent *event)
{
    QAbstractItemView::resizeEvent(event);
    updateGeometries();
}

void CollectionGridView::paintEvent(QPaintEvent *event)
{
    if (!m_model)
        return;
    QPainter painter(viewport());
    if (m_model->rowCount() == 0)
        return;
    const QRect exposed = event->rect().adjusted(-kTileOverhang, -kTileOverhang, kTileOverhang, kTileOverhang);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QList<std::pair<QStyleOptionViewItem, QModelIndex>> tiles;
    const auto [first, last] = rowsIn(event->rect());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = m_model->index(row, 0);
        option.rect = tileRect(row);
        if (!option.rect.intersects(exposed))
            continue;
        option.state = QStyle::State_Enabled;
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (index == m_hovered)
            option.state |= QStyle::State_MouseOver;
        if (index == currentIndex() && hasFocus())
            option.state |= QStyle::State_HasFocus;
        tiles.append({option, index});
    }
    // The covers of the whole page are painted together, off this thread.
    auto *tileDelegate = qobject_cast<CollectionTileDelegate *>(itemDelegate());
    if (!tileDelegate) {
        for (const auto &[tileOption, index] : std::as_const(tiles))
            itemDelegate()->paint(&painter, tileOption, index);
        return;
    }
    QList<TileArt> arts;
    arts.reserve(tiles.size());
    for (const auto &[tileOption, index] : std::as_const(tiles))
        arts.append(CollectionTileDelegate::tileArt(tileOption, index, viewport()->devicePixelRatio()));
    tileDelegate->prepare(arts);
    for (qsizetype i = 0; i < tiles.size(); ++i)
        tileDelegate->paintTile(&painter, tiles[i].first, tiles[i].second, arts[i]);
}

void CollectionGridView::setHovered(const QModelIndex &index)
{
    if (index == m_hovered)
        return;
    const QRect old = m_hovered.isValid() ? visualRect(m_hovered) : QRect();
    m_hovered = index;
    for (const QRect &rect : {old, index.isValid() ? visualRect(index) : QRect()}) {
        if (!rect.isNull())
            viewport()->update(rect.adjusted(-kTileOverhang, -kTileOverhang, kTileOverhang, kTileOverhang));
    }
}

void CollectionGridView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    const QModelIndex index = indexAt(event->position().toPoint());
    // A right click opens the menu and never changes the selection.
    if (event->button() != Qt::LeftButton)
        return;
    if (!index.isValid()) {
        m_selection->setIds({});
        return;
    }
    const QUuid id = m_model->idAt(index.row());
    if (event->modifiers() & Qt::ControlModifier)
        m_selection->toggle(id);
    else
        m_selection->setIds({id});
    moveAnchor(index);
}

void CollectionGridView::moveAnchor(const QModelIndex &index)
{
    // The item view starts a Shift range where the current index was last set without one.
    m_movingAnchor = true;
    setCurrentIndex(index);
    m_movingAnchor = false;
}

QItemSelectionModel::SelectionFlags CollectionGridView::selectionCommand(
    const QModelIndex &index, const QEvent *event) const
{
    if (m_movingAnchor)
        return QItemSelectionModel::NoUpdate;
    return QAbstractItemView::selectionCommand(index, event);
}

void CollectionGridView::mouseMoveEvent(QMouseEvent *event)
{
    setHovered(indexAt(event->position().toPoint()));
}

void CollectionGridView::mouseReleaseEvent(QMouseEvent *)
{
}

void CollectionGridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && m_actions.edit)
        m_actions.edit(m_model->idAt(index.row()));
}

void CollectionGridView::leaveEvent(QEvent *event)
{
    setHovered({});
    QAbstractItemView::leaveEvent(event);
}

void CollectionGridView::contextMenuEvent(QContextMenuEvent *event)
{
    QModelIndex index = event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()) : currentIndex();
    if (!index.isValid() || !m_model)
        return;
    const QList<QUuid> targets = m_selection->menuTargets(m_model->idAt(index.row()));
    QMenu menu(this);
    fillRecordContextMenu(menu, *m_context, targets, m_actions);
    menu.exec(event->globalPos());
}

void CollectionGridView::keyPressEvent(QKeyEvent *event)
{
    if (handleCollectionKey(*event, *m_selection, m_actions))
        return;
    QAbstractItemView::keyPressEvent(event);
}

void CollectionGridView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    // Screen readers follow the keyboard from tile to tile.
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
}

void CollectionGridView::deleteSelection()
{
    deleteVisibleSelection(*m_selection, m_actions);
}

} // namespace vorla
