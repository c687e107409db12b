#include "views/collection_table_view.h"

#include "views/collection_model.h"
#include "views/collection_selection.h"
#include "views/collection_table_delegate.h"
#include "views/record_context_menu.h"

#include "models/model_context.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace vorla {

namespace {

struct ColumnWidth {
    int minimum;
    int ideal;
    bool fixed() const { return minimum == ideal; }
};

// The fixed columns cannot be resized; the others share the view's width between their
// minimum and ideal widths, and grow past the ideal to fill a wide view.
constexpr ColumnWidth kWidths[CollectionModel::kColumns] = {
    {36, 36}, {120, 180}, {140, 220}, {50, 50}, {80, 140},
    {60, 100}, {80, 140}, {80, 80}, {76, 76}, {90, 90},
};

} // namespace

CollectionTableView::CollectionTableView(ModelContext *context, CollectionSelection *selection,
                                         QWidget *parent)
    : QTableView(parent)
    , m_context(context)
    , m_selection(selection)
{
    setItemDelegate(new CollectionTableDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(36);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(36);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setAccessibleName(tr("Records"));

    m_collapseTimer.setSingleShot(true);
    connect(&m_collapseTimer, &QTimer::timeout, this, &CollectionTableView::collapseSelection);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CollectionTableView::headerClicked);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!m_fitting)
            m_draggedColumns.insert(column);
    });
}

void CollectionTableView::setCollectionModel(CollectionModel *model)
{
    m_model = model;
    setModel(model);
    setSelectionModel(m_selection->itemSelection());
    QHeaderView *header = horizontalHeader();
    for (int column = 0; column < CollectionModel::kColumns; ++column)
        header->setSectionResizeMode(column, kWidths[column].fixed() ? QHeaderView::Fixed : QHeaderView::Interactive);
    m_draggedColumns.clear();
    fitColumns();
    showSort(m_sortKey, m_sortAscending);
}

bool CollectionTableView::viewportEvent(QEvent *event)
{
    // The viewport, not the view: a scroll bar that comes or goes changes its width too.
    if (event->type() == QEvent::Resize)
        fitColumns();
    return QTableView::viewportEvent(event);
}

void CollectionTableView::fitColumns()
{
    if (!m_model)
        return;
    // Columns the user dragged keep their width; the others share what is left.
    int taken = 0;
    int minimumSum = 0;
    int idealSum = 0;
    QList<int> flexible;
    for (int column = 0; column < CollectionModel::kColumns; ++column) {
        const ColumnWidth &width = kWidths[column];
        if (width.fixed() || m_draggedColumns.contains(column)) {
            taken += width.fixed() ? width.ideal : horizontalHeader()->sectionSize(column);
            continue;
        }
        flexible.append(column);
        minimumSum += width.minimum;
        idealSum += width.ideal;
    }
    const int available = std::max(0, viewport()->width() - taken);
    m_fitting = true;
    int handedOut = 0;
    for (qsizetype i = 0; i < flexible.size(); ++i) {
        const ColumnWidth &width = kWidths[flexible[i]];
        int size = width.minimum;
        if (available >= idealSum)
            size = width.ideal + (available - idealSum) * width.ideal / std::max(1, idealSum);
        else if (available > minimumSum)
            size = width.minimum
                + (width.ideal - width.minimum) * (available - minimumSum) / std::max(1, idealSum - minimumSum);
        // The last column takes what rounding left, so a wide view has no gap at the right.
        if (i == flexible.size() - 1 && available > minimumSum)
            size = std::max(width.minimum, available - handedOut);
        handedOut += size;
        horizontalHeader()->resizeSection(flexible[i], size);
    }
    for (int column = 0; column < CollectionModel::kColumns; ++column) {
        if (kWidths[column].fixed())
            horizontalHeader()->resizeSection(column, kWidths[column].ideal);
    }
    m_fitting = false;
}

void CollectionTableView::showSort(SortKey key, bool ascending)
{
    m_sortKey = key;
    m_sortAscending = ascending;
    horizontalHeader()->setSortIndicator(CollectionModel::columnForSortKey(key),
                                         ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CollectionTableView::headerClicked(int section)
{
    const std::optional<SortKey> key = CollectionModel::sortKeyForColumn(section);
    if (!key) {
        // Columns without a sort value leave the order (and its indicator) alone.
        showSort(m_sortKey, m_sortAscending);
        return;
    }
    const bool ascending = *key == m_sortKey ? !m_sortAscending : true;
    showSort(*key, ascending);
    emit sortRequested(*key, ascending);
}

QList<QUuid> CollectionTableView::clickTargets(int row) const
{
    return m_selection->menuTargets(m_model->idAt(row));
}

void CollectionTableView::collapseSelection()
{
    if (!m_collapseTo.isNull())
        m_selection->setIds({m_collapseTo});
    m_collapseTo = QUuid();
}

void CollectionTableView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    // A right click opens the menu and never changes the selection.
    if (event->button() != Qt::LeftButton || !m_model)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    const Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    if (!index.isValid()) {
        if (!modifiers)
            m_selection->setIds({});
        return;
    }
    const QUuid id = m_model->idAt(index.row());
    m_pressedToBase = false;
    if (modifiers) {
        // Ctrl toggles, Shift extends: the item view's own rules.
        m_collapseTimer.stop();
        m_collapseTo = QUuid();
        m_pressedToBase = true;
        QTableView::mousePressEvent(event);
        return;
    }
    moveAnchor(index);
    if (m_selection->contains(id) && m_selection->visibleIds().size() > 1) {
        // Maybe the first click of a double click on the selection: wait and see.
        m_collapseTo = id;
        return;
    }
    m_collapseTimer.stop();
    m_collapseTo = QUuid();
    m_selection->setIds({id});
}

void CollectionTableView::moveAnchor(const QModelIndex &index)
{
    // The item view starts a Shift range where the current index was last set without one.
    m_movingAnchor = true;
    setCurrentIndex(index);
    m_movingAnchor = false;
}

QItemSelectionModel::SelectionFlags CollectionTableView::selectionCommand(
    const QModelIndex &index, const QEvent *event) const
{
    if (m_movingAnchor)
        return QItemSelectionModel::NoUpdate;
    return QTableView::selectionCommand(index, event);
}

void CollectionTableView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedToBase && (event->buttons() & Qt::LeftButton))
        QTableView::mouseMoveEvent(event);
}

void CollectionTableView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressedToBase) {
        m_pressedToBase = false;
        QTableView::mouseReleaseEvent(event);
        return;
    }
    if (m_ignoreRelease) {
        m_ignoreRelease = false;
        return;
    }
    if (event->button() == Qt::LeftButton && !m_collapseTo.isNull())
        m_collapseTimer.start(QApplication::doubleClickInterval());
}

void CollectionTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_collapseTimer.stop();
    m_collapseTo = QUuid();
    m_ignoreRelease = true;
    if (event->button() != Qt::LeftButton || !m_model)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    const QList<QUuid> targets = clickTargets(index.row());
    if (targets.size() == 1 && m_actions.edit)
        m_actions.edit(targets.first());
}

void CollectionTableView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_model)
        return;
    QList<QUuid> targets;
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex index = indexAt(event->pos());
        if (!index.isValid())
            return;
        targets = clickTargets(index.row());
    } else {
        targets = m_selection->visibleIds();
    }
    if (targets.isEmpty())
        return;
    QMenu menu(this);
    fillRecordContextMenu(menu, *m_context, targets, m_actions);
    menu.exec(event->globalPos());
}

void CollectionTableView::keyPressEvent(QKeyEvent *event)
{
    if (handleCollectionKey(*event, *m_selection, m_actions))
        return;
    QTableView::keyPressEvent(event);
}

void CollectionTableView::deleteSelection()
{
    deleteVisibleSelection(*m_selection, m_actions);
}

} // namespace vorla
