// The collection browser placed into the main window: the sidebar, the cover grid, the
// table, the empty-collection view and the status bar, kept in step with the window's
// browsing state, plus the CSV import and export, the delete confirmation and the fetch of
// missing metadata that the window's requests start.
#pragma once

#include "views/collection_dialogs.h"
#include "views/collection_filter.h"
#include "models/collection_order.h"

#include <QDateTime>
#include <QObject>

#include <memory>

namespace vorla {

class CollectionGridView;
class CollectionModel;
class CollectionOperations;
class CollectionSelection;
class CollectionStatusBar;
class CollectionTableView;
class EmptyCollectionView;
class MainWindow;
class SidebarView;

class CollectionBrowser : public QObject
{
    Q_OBJECT
public:
    // Places the views into `window`; `dialogs` answers the panels and alerts (the platform
    // ones when null).
    explicit CollectionBrowser(MainWindow *window, std::unique_ptr<CollectionDialogs> dialogs = nullptr);
    ~CollectionBrowser() override;

    CollectionModel *model() const { return m_model; }
    CollectionSelection *selection() const { return m_selection; }
    CollectionGridView *grid() const { return m_grid; }
    CollectionTableView *table() const { return m_table; }
    SidebarView *sidebar() const { return m_sidebar; }
    EmptyCollectionView *emptyView() const { return m_empty; }
    CollectionStatusBar *statusBar() const { return m_statusBar; }
    CollectionOperations *operations() const { return m_operations; }

private:
    void visibleRecordsChanged();
    void updateSidebar();
    void pendingDeleteChanged();

    MainWindow *m_window;
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
};

} // namespace vorla
