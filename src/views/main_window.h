// The one main window: the shell that places the sidebar, the collection area (empty view,
// search-empty view, grid or table), the inspector column and the status bar, with the
// toolbar and the menus. The browsing state lives in BrowsingState, which the window and
// every part it places follow; the collection browser builds the parts, and the window
// places them with the set…View() calls. The inspector shows the selected record, the
// several selected or the collection's figures; the window presents the record editor and
// the settings window.
#pragma once

#include "app/view_mode.h"
#include "views/record_actions.h"

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QUuid>

class QActionGroup;
class QLineEdit;
class QSplitter;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;

namespace vorla {

class AppState;
class BatchMatcher;
class BrowsingState;
class CollectionBrowser;
class MetadataRefresher;
class ModelContext;
class Record;
class RecordEditorSheet;
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
    BrowsingState *browsingState() const { return m_state; }
    CollectionBrowser *browser() const { return m_browser; }

    bool showInspector() const { return m_showInspector; }
    void setShowInspector(bool show);

    // View settings, kept in AppSettings (and so across restarts).
    ViewMode viewMode() const;
    void setViewMode(ViewMode mode);

    // Edit opens the record editor, Delete asks for confirmation, Refresh queues records.
    RecordActions recordActions() const;

    // Opens the record editor sheet for the record (one sheet at a time); null when none is open.
    void editRecord(const QUuid &id);
    RecordEditorSheet *editorSheet() const;
    // The one settings window, made on first use and shown again after.
    void showSettings();
    SettingsWindow *settingsWindow() const { return m_settingsWindow; }

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
    void showInspectorChanged();
    void viewModeChanged();
    // collectionPage() was chosen again, after the visible records or the view mode changed.
    void collectionPageChanged();

protected:
    void showEvent(QShowEvent *event) override;
    // Keeps the window's size, place and column widths for the next run.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildCentralArea();
    void installInspector();
    void restoreLayout();
    void replaceView(QWidget *&slot, QWidget *view);
    void settingChanged(const QString &key);
    void updateCollectionPage();
    void updateTitle();
    void updateViewControls();
    void presentAddRecord();
    void presentBatchImport();

    ModelContext *m_context;
    AppState *m_appState;
    MetadataRefresher *m_refresher;
    VorlaCommands *m_commands = nullptr;
    BrowsingState *m_state = nullptr;
    CollectionBrowser *m_browser = nullptr;
    QPointer<QDialog> m_addRecordSheet;
    BatchMatcher *m_batchMatcher = nullptr;
    QPointer<QDialog> m_batchImportSheet;

    bool m_showInspector = true;
    CollectionPage m_page = CollectionPage::empty;

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
    QPointer<RecordEditorSheet> m_editor;
    SettingsWindow *m_settingsWindow = nullptr;

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
