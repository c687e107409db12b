#include "views/collection_selection.h"

#include "views/browsing_state.h"
#include "views/collection_model.h"
#include "views/record_actions.h"

#include <QKeyEvent>

namespace vorla {

CollectionSelection::CollectionSelection(CollectionModel *model, BrowsingState *state, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_state(state)
    , m_itemSelection(new QItemSelectionModel(model, this))
{
    connect(state, &BrowsingState::selectionChanged, this, [this] {
        if (!m_writing)
            syncFromIds();
        emit changed();
    });
    connect(m_itemSelection, &QItemSelectionModel::selectionChanged, this,
            &CollectionSelection::itemSelectionChanged);
    // A new set of rows drops the item selection; the ids carry it over.
    connect(model, &QAbstractItemModel::modelReset, this, &CollectionSelection::syncFromIds);
}

const QSet<QUuid> &CollectionSelection::ids() const
{
    return m_state->selection();
}

void CollectionSelection::setIds(const QSet<QUuid> &ids)
{
    m_state->setSelection(ids);
}

void CollectionSelection::toggle(const QUuid &id)
{
    QSet<QUuid> ids = this->ids();
    if (!ids.remove(id))
        ids.insert(id);
    setIds(ids);
}

void CollectionSelection::remove(const QUuid &id)
{
    if (!contains(id))
        return;
    QSet<QUuid> ids = this->ids();
    ids.remove(id);
    setIds(ids);
}

QList<QUuid> CollectionSelection::visibleIds() const
{
    QList<QUuid> result;
    const QSet<QUuid> &selected = ids();
    if (selected.isEmpty())
        return result;
    for (const QUuid &id : m_model->ids()) {
        if (selected.contains(id))
            result.append(id);
    }
    return result;
}

QList<QUuid> CollectionSelection::menuTargets(const QUuid &id) const
{
    if (contains(id))
        return visibleIds();
    return {id};
}

void CollectionSelection::syncFromIds()
{
    QItemSelection selection;
    const QSet<QUuid> &selected = ids();
    const QList<QUuid> &rows = m_model->ids();
    const int lastColumn = m_model->columnCount() - 1;
    int start = -1;
    for (int row = 0; row <= rows.size(); ++row) {
        const bool isSelected = row < rows.size() && selected.contains(rows[row]);
        if (isSelected && start < 0)
            start = row;
        if (!isSelected && start >= 0) {
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
    QSet<QUuid> ids = this->ids();
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
    m_writing = true;
    m_state->setSelection(ids);
    m_writing = false;
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
