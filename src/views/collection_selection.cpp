#include "views/collection_selection.h"

#include "views/collection_model.h"
#include "views/record_actions.h"

#include <QKeyEvent>

namespace vorla {

CollectionSelection::CollectionSelection(CollectionModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_itemSelection(new QItemSelectionModel(model, this))
{
    connect(m_itemSelection, &QItemSelectionModel::selectionChanged, this,
            &CollectionSelection::itemSelectionChanged);
    // A new set of rows drops the item selection; the ids carry it over.
    connect(model, &QAbstractItemModel::modelReset, this, &CollectionSelection::syncFromIds);
}

void CollectionSelection::setIds(const QSet<QUuid> &ids)
{
    if (ids == m_ids)
        return;
    m_ids = ids;
    syncFromIds();
    emit changed();
}

void CollectionSelection::toggle(const QUuid &id)
{
    QSet<QUuid> ids = m_ids;
    if (!ids.remove(id))
        ids.insert(id);
    setIds(ids);
}

void CollectionSelection::remove(const QUuid &id)
{
    if (!m_ids.contains(id))
        return;
    QSet<QUuid> ids = m_ids;
    ids.remove(id);
    setIds(ids);
}

QList<QUuid> CollectionSelection::visibleIds() const
{
    QList<QUuid> result;
    if (m_ids.isEmpty())
        return result;
    for (const QUuid &id : m_model->ids()) {
        if (m_ids.contains(id))
            result.append(id);
    }
    return result;
}

QList<QUuid> CollectionSelection::menuTargets(const QUuid &id) const
{
    if (m_ids.contains(id))
        return visibleIds();
    return {id};
}

void CollectionSelection::syncFromIds()
{
    QItemSelection selection;
    const QList<QUuid> &rows = m_model->ids();
    const int lastColumn = m_model->columnCount() - 1;
    int start = -1;
    for (int row = 0; row <= rows.size(); ++row) {
        const bool selected = row < rows.size() && m_ids.contains(rows[row]);
        if (selected && start < 0)
            start = row;
        if (!selected && start >= 0) {
            selection.select(m_model->index(start, 0), m_model->index(row - 1, lastColumn));
            start = -1;
        }
    }
    m_syncing = true;
    m_itemSelection->select(selection, QItemSelectionModel::ClearAndSelect);
    // Settle it, so that a Shift range started next adds to it instead of replacing it.
    m_itemSelection->select(QItemSelection(), QItemSelectionModel::Select);
    m_syncing = false;
}

void CollectionSelection::itemSelectionChanged(const QItemSelection &selected,
                                               const QItemSelection &deselected)
{
    if (m_syncing)
        return;
    // Keyboard and other item-level changes: adjust by what changed, so selected records
    // that the filter hides stay selected.
    QSet<QUuid> ids = m_ids;
    for (const QItemSelectionRange &range : deselected) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (!m_itemSelection->isSelected(m_model->index(row, 0)))
                ids.remove(m_model->idAt(row));
        }
    }
    for (const QItemSelectionRange &range : selected) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            ids.insert(m_model->idAt(row));
    }
    if (ids == m_ids)
        return;
    m_ids = ids;
    emit changed();
}

void deleteVisibleSelection(const CollectionSelection &selection, const RecordActions &actions)
{
    const QList<QUuid> ids = selection.visibleIds();
    if (!ids.isEmpty() && actions.deleteRecords)
        actions.deleteRecords(ids);
}

bool handleCollectionKey(const QKeyEvent &event, const CollectionSelection &selection,
                         const RecordActions &actions)
{
    if (event.matches(QKeySequence::Delete) || event.key() == Qt::Key_Backspace) {
        deleteVisibleSelection(selection, actions);
        return true;
    }
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        const QList<QUuid> ids = selection.visibleIds();
        if (ids.size() == 1 && actions.edit)
            actions.edit(ids.first());
        return true;
    }
    return false;
}

} // namespace vorla
