// The main window's set of selected record ids, kept in step with the item selection of the
// collection views. The set may hold records that the current filter hides: they stay
// selected, but the views and their menus only act on the visible ones.
#pragma once

#include <QItemSelectionModel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUuid>

class QKeyEvent;

namespace vorla {

class CollectionModel;
struct RecordActions;

class CollectionSelection : public QObject
{
    Q_OBJECT
public:
    CollectionSelection(CollectionModel *model, QObject *parent = nullptr);

    // The item selection shared by the grid and the table.
    QItemSelectionModel *itemSelection() const { return m_itemSelection; }

    const QSet<QUuid> &ids() const { return m_ids; }
    bool contains(const QUuid &id) const { return m_ids.contains(id); }
    void setIds(const QSet<QUuid> &ids);
    void toggle(const QUuid &id);
    void remove(const QUuid &id);

    // The selected ids that the model shows, in display order.
    QList<QUuid> visibleIds() const;
    // What a context menu opened on `id` acts on: the visible selection when `id` is part of
    // it, else `id` alone.
    QList<QUuid> menuTargets(const QUuid &id) const;

signals:
    void changed();

private:
    void syncFromIds();
    void itemSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);

    CollectionModel *m_model;
    QItemSelectionModel *m_itemSelection;
    QSet<QUuid> m_ids;
    bool m_syncing = false;
};

// The Delete command: asks to delete the visible selected records, if there are any.
void deleteVisibleSelection(const CollectionSelection &selection, const RecordActions &actions);
// Delete and Return (edit one selected record) in a collection view; true when handled.
bool handleCollectionKey(const QKeyEvent &event, const CollectionSelection &selection,
                         const RecordActions &actions);

} // namespace vorla
