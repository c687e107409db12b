// What the user is browsing: the sidebar choice, the search text, the sort, the records the
// collection area shows in display order, and the selected record ids. It is the one owner
// of this state; the window, the collection views, the sidebar, the status bar and the
// inspector follow its signals. Starts afresh with every launch, except the sort, which is a
// setting. Setters notify only on real changes.
#pragma once

#include "models/collection_order.h"
#include "models/sort_key.h"
#include "views/sidebar_item.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

namespace vorla {

class ModelContext;
class Record;

class BrowsingState : public QObject
{
    Q_OBJECT

public:
    explicit BrowsingState(ModelContext *context, QObject *parent = nullptr);

    ModelContext *context() const { return m_context; }

    std::optional<SidebarItem> sidebar() const { return m_sidebar; }
    void setSidebar(const std::optional<SidebarItem> &item);
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);
    // Kept in AppSettings, so across restarts.
    SortKey sortKey() const;
    bool sortAscending() const;
    void setSort(SortKey key, bool ascending);

    // The records the collection area shows: filtered by the sidebar and the search, in
    // display order. Recomputed on the next turn of the event loop after a change.
    const QList<Record *> &visibleRecords() const { return m_visible; }
    // Recomputes visibleRecords() now when a change is waiting.
    void update();
    // Every stored record in display order, whatever the sidebar or the search hide.
    QList<Record *> displayOrder();

    // The selected record ids. They may name records the filter hides: those stay selected,
    // but the views and their menus act only on the visible ones.
    const QSet<QUuid> &selection() const { return m_selection; }
    void setSelection(const QSet<QUuid> &ids);
    // The selected ids that are shown, in display order.
    QList<QUuid> visibleSelection() const;
    // The stored records (newest first) whose ids are selected; stale ids are ignored.
    QList<Record *> selectedRecords() const;

    // Records waiting for the delete confirmation; nothing is deleted by setting them.
    const QList<QUuid> &pendingDelete() const { return m_pendingDelete; }
    void setPendingDelete(const QList<QUuid> &ids);

signals:
    void sidebarChanged();
    void searchTextChanged();
    void sortChanged();
    void selectionChanged();
    void pendingDeleteChanged();
    // visibleRecords() was recomputed.
    void visibleRecordsChanged();

private:
    void scheduleUpdate();
    void scheduleVisibleChanged();
    void recompute();

    ModelContext *m_context;
    std::optional<SidebarItem> m_sidebar = SidebarItem::all();
    QString m_searchText;
    QSet<QUuid> m_selection;
    QList<QUuid> m_pendingDelete;

    QList<Record *> m_visible;
    CollectionOrder m_order;
    // What m_visible was filtered by, while the records and their order stay as they were.
    struct FilterInput {
        QString query;
        std::optional<SidebarItem> sidebar;
    };
    std::optional<FilterInput> m_filtered;
    bool m_updateScheduled = false;
    bool m_visibleChangeScheduled = false;
};

} // namespace vorla
