// The collection views' item selection as a projection of the browsing state's selected ids:
// a change of the ids re-selects the rows, a click or key in a view writes the ids. The ids
// may name records the current filter hides: they stay selected, but the views and their
// menus only act on the visible ones.
#pragma once

#include <QItemSelectionModel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUuid>

class QKeyEvent;

namespace vorla {

class BrowsingState;
class CollectionModel;
struct RecordActions;

class CollectionSelection : public QObject
{
    Q_OBJECT
public:
    CollectionSelection(CollectionModel *model, BrowsingState *state, QObject *parent = nullptr);

    // The item selection shared by the grid and the table.
    QItemSelectionModel *itemSelection() const { return m_itemSelection; }

    const QSet<QUuid> &ids() const;
    bool contains(const QUuid &id) const { return ids().contains(id); }
    void setIds(const QSet<QUuid> &ids);
    void toggle(const QUuid &id);
    void remove(const QUuid &id);

    // The selected ids that the model shows, in display order.
    QList<QUuid> visibleIds() const;
    // What a context menu opened on `id` acts on: the visible selection when `id` is part of
    // it, else `id` alone.
    QList<QUuid> menuTargets(const QUuid &id) const;

signals:
    // The ids changed, from a view or from the browsing state.
    void changed();

private:
    void syncFromIds();
    void itemSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);

    CollectionModel *m_model;
    BrowsingState *m_state;
    QItemSelectionModel *m_itemSelection;
    bool m_syncing = false;
    // Set while the ids are written from the item selection, which then needs no re-sync.
    bool m_writing = false;
};

// The Delete command: asks to delete the visible selected records, if there are any.
void deleteVisibleSelection(const CollectionSelection &selection, const RecordActions &actions);
// Delete and Return (edit one selected record) in a collection view; true when handled.
bool handleCollectionKey(const QKeyEvent &event, const CollectionSelection &selection,
                         const RecordActions &actions);

} // namespace vorla
