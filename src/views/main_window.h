// The one main window: sidebar, collection area (empty view, search-empty view, grid or
// table), inspector column and status bar, with the toolbar and the menus. It owns the
// browsing state that the collection views read and turns AppState's requests into
// presentations. The collection views are placed with the set…View() calls right after
// construction; the inspector shows a simple summary of the selection.
#pragma once

#include "models/sort_key.h"
#include "views/collection_browser.h"
#include "views/record_actions.h"
#include "views/sidebar_item.h"
#include "app/view_mode.h"

#include <QList>
#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QUuid>

#include <memory>
#include <optional>

class QActionGroup;
class QLineEdit;
class QSplitter;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;

namespace vorla {

class AppState;
class BatchMatcher;
class MetadataRefresher;
class ModelContext;
class Record;
class SearchEmptyView;
class SettingsWindow;
class VorlaCommands;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(ModelContext *context, AppState *appState, MetadataRefresher *refresher,
        QWidget *parent = nullptr);
    ~MainWindow() override;

    ModelContext *context() const { return m_context; }
    AppState *appState() const { return m_appState; }
    MetadataRefresher *refresher() const { return m_refresher; }
    // The shared batch list the batch import sheet shows; set before the window is shown.
    void setBatchMatcher(BatchMatcher *matcher) { m_batchMatcher = matcher; }
    VorlaCommands *commands() const { return m_commands; }

    // Browsing state; starts afresh with every launch. Setters notify only on real changes.
    std::optional<SidebarItem> sidebar() const { return m_sidebar; }
    void setSidebar(const std::optional<SidebarItem> &item);
    const QSet<QUuid> &selection() const { return m_selection; }
    void setSelection(const QSet<QUuid> &ids);
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);
    bool showInspector() const { return m_showInspector; }
    void setShowInspector(bool show);
    // Records waiting for the delete confirmation; nothing is deleted by setting them.
    const QList<QUuid> &pendingDelete() const { return m_pendingDelete; }
    void setPendingDelete(const QList<QUuid> &ids);

    // View settings, kept in AppSettings (and so across restarts).
    ViewMode viewMode() const;
    void setViewMode(ViewMode mode);
    SortKey sortKey() const;
    bool sortAscending() const;
    void setSort(SortKey key, bool ascending);
    double tileSize() const;
    void setTileSize(double size);

    // Every stored record, newest first.
    QList<Record *> records() const;
    // The records the collection area shows: filtered and sorted.
    const QList<Record *> &visibleRecords() const { return m_visible; }
    // The stored records (newest first) whose ids are selected; stale ids are ignored.
    QList<Record *> selectedRecords() const;

    // Edit is empty while the record editor is not built: callers test it before use.
    RecordActions recordActions();

    enum class CollectionPage { empty, searchEmpty, grid, table };
    CollectionPage collectionPage() const { return m_page; }

    // Places for the collection browser's widgets; the window takes ownership and shows
    // each in its place, replacing the one placed before.
    void setSidebarView(QWidget *view);
    void setEmptyView(QWidget *view);
    void setGridView(QWidget *view);
    void setTableView(QWidget *view);
    void setStatusBarView(QWidget *view);
    QWidget *sidebarView() const { return m_sidebarView; }
    QWidget *gridView() const { return m_gridView; }
    QWidget *tableView() const { return m_tableView; }
    QWidget *statusBarView() const { return m_statusBarView; }
    QWidget *inspectorView() const { return m_inspectorView; }
    SearchEmptyView *searchEmptyView() const { return m_searchEmptyView; }
    QLineEdit *searchField() const { return m_searchField; }

    // An alert with a short title and the message, window-modal.
    void showAlert(const QString &title, const QString &message);

    // The staged screen the environment asks for (VORLA_SNAPSHOT_ACTION); the second form
    // applies a given action word.
    void applyDebugAction();
    void applyDebugAction(const std::optional<QString> &action);

signals:
    void sidebarChanged();
    void selectionChanged();
    void searchTextChanged();
    void showInspectorChanged();
    void pendingDeleteChanged();
    void viewModeChanged();
    void sortChanged();
    void tileSizeChanged();
    // The stored records changed (inserted, removed or edited).
    void recordsChanged();
    // visibleRecords() and collectionPage() were recomputed.
    void visibleRecordsChanged();
    // "Fetch Missing Metadata & Artwork" was chosen (the request is already reset).
    void fetchMissingMetadataRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildCentralArea();
    void installInspector();
    void replaceView(QWidget *&slot, QWidget *view);
    void settingChanged(const QString &key);
    void scheduleCollectionUpdate();
    void updateCollection();
    void updateInspector();
    void updateTitle();
    void updateViewControls();
    void fetchMissingRequested();
    void presentAddRecord();
    void presentBatchImport();
    void showSettings();

    ModelContext *m_context;
    AppState *m_appState;
    MetadataRefresher *m_refresher;
    VorlaCommands *m_commands = nullptr;
    QPointer<QDialog> m_addRecordSheet;
    BatchMatcher *m_batchMatcher = nullptr;
    QPointer<QDialog> m_batchImportSheet;
    std::unique_ptr<SettingsWindow> m_settingsWindow;

    std::optional<SidebarItem> m_sidebar = SidebarItem::all();
    QSet<QUuid> m_selection;
    QString m_searchText;
    bool m_showInspector = true;
    QList<QUuid> m_pendingDelete;

    QList<Record *> m_visible;
    CollectionOrder m_order;
    // What m_visible was filtered by, while the records and their order stay as they were.
    struct FilterInput {
        QString query;
        std::optional<SidebarItem> sidebar;
    };
    std::optional<FilterInput> m_filtered;
    CollectionPage m_page = CollectionPage::empty;
    bool m_updateScheduled = false;

    QSplitter *m_splitter = nullptr;
    QWidget *m_sidebarView = nullptr;
    QWidget *m_collectionColumn = nullptr;
    QVBoxLayout *m_collectionLayout = nullptr;
    QStackedWidget *m_collectionStack = nullptr;
    QWidget *m_emptyView = nullptr;
    SearchEmptyView *m_searchEmptyView = nullptr;
    QWidget *m_gridView = nullptr;
    QWidget *m_tableView = nullptr;
    QWidget *m_statusBarView = nullptr;
    QWidget *m_inspectorView = nullptr;

    QLineEdit *m_searchField = nullptr;
    QToolButton *m_addButton = nullptr;
    QActionGroup *m_viewGroup = nullptr;
    QActionGroup *m_sortKeyGroup = nullptr;
    QActionGroup *m_sortOrderGroup = nullptr;
    QAction *m_gridAction = nullptr;
    QAction *m_listAction = nullptr;
    QAction *m_inspectorAction = nullptr;
};

} // namespace vorla
