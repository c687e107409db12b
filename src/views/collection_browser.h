// The parts of the collection browser: the sidebar, the cover grid, the table, the
// empty-collection view and the status bar, kept in step with the browsing state, plus the
// CSV import and export, the delete confirmation and the fetch of missing metadata that the
// application's requests start. The window places the parts.
#pragma once

#include "views/collection_dialogs.h"
#include "views/collection_filter.h"
#include "views/record_actions.h"

#include <QDateTime>
#include <QObject>

#include <memory>

namespace vorla {

class AppState;
class BrowsingState;
class CollectionGridView;
class CollectionModel;
class CollectionOperations;
class CollectionSelection;
class CollectionStatusBar;
class CollectionTableView;
class EmptyCollectionView;
class MetadataRefresher;
class SidebarView;

class CollectionBrowser : public QObject
{
    Q_OBJECT
public:
    // The panels and alerts open over `window`; `dialogs` answers them (the platform ones
    // when null). The parts are children of no widget until they are placed.
    CollectionBrowser(BrowsingState *state, AppState *appState, MetadataRefresher *refresher,
                      QWidget *window, std::unique_ptr<CollectionDialogs> dialogs = nullptr);
    ~CollectionBrowser() override;

    CollectionModel *model() const { return m_model; }
    CollectionSelection *selection() const { return m_selection; }
    CollectionGridView *grid() const { return m_grid; }
    CollectionTableView *table() const { return m_table; }
    SidebarView *sidebar() const { return m_sidebar; }
    EmptyCollectionView *emptyView() const { return m_empty; }
    CollectionStatusBar *statusBar() const { return m_statusBar; }
    CollectionOperations *operations() const { return m_operations; }

    // Edit asks the window for the record editor (editRequested), Delete asks for the
    // confirmation, Refresh queues the records in the refresher.
    RecordActions recordActions();

signals:
    void editRequested(const QUuid &id);

private:
    void visibleRecordsChanged();
    void updateSidebar();
    void pendingDeleteChanged();

    BrowsingState *m_state;
    MetadataRefresher *m_refresher;
    std::unique_ptr<CollectionDialogs> m_dialogs;
    CollectionModel *m_model = nullptr;
    CollectionSelection *m_selection = nullptr;
    CollectionGridView *m_grid = nullptr;
    CollectionTableView *m_table = nullptr;
    SidebarView *m_sidebar = nullptr;
    EmptyCollectionView *m_empty = nullptr;
    CollectionStatusBar *m_statusBar = nullptr;
    CollectionOperations *m_operations = nullptr;
    bool m_sidebarScheduled = false;
    // What the sidebar shows and when it was counted, so removals are taken off it.
    SidebarCounts m_counts;
    QDateTime m_countedAt;
    bool m_showTop = false;
};

} // namespace vorla
