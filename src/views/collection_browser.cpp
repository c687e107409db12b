#include "views/collection_browser.h"

#include "views/collection_dialogs.h"
#include "views/collection_grid_view.h"
#include "views/collection_model.h"
#include "views/collection_operations.h"
#include "views/collection_selection.h"
#include "views/collection_status_bar.h"
#include "views/collection_table_view.h"
#include "views/empty_collection_view.h"
#include "views/main_window.h"
#include "views/sidebar_view.h"

#include "app/app_state.h"
#include "app/metadata_refresher.h"
#include "models/model_context.h"
#include "models/record.h"

#include <QPushButton>
#include <QTimer>

namespace vorla {

CollectionBrowser::CollectionBrowser(MainWindow *window, std::unique_ptr<CollectionDialogs> dialogs)
    : QObject(window)
    , m_window(window)
    , m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<CollectionDialogs>())
{
    ModelContext *context = window->context();
    AppState *appState = window->appState();
    m_model = new CollectionModel(context, this);
    m_selection = new CollectionSelection(m_model, this);

    m_grid = new CollectionGridView(context, m_selection);
    m_grid->setCollectionModel(m_model);
    m_table = new CollectionTableView(context, m_selection);
    m_table->setCollectionModel(m_model);
    m_sidebar = new SidebarView;
    m_empty = new EmptyCollectionView;
    m_statusBar = new CollectionStatusBar(window->refresher());
    m_operations = new CollectionOperations(context, m_selection, m_dialogs.get(), window, this);
    m_operations->setStartRefresh([window](const QList<QUuid> &ids) { window->recordActions().refresh(ids); });

    const RecordActions actions = window->recordActions();
    m_grid->setActions(actions);
    m_table->setActions(actions);

    window->setSidebarView(m_sidebar);
    window->setEmptyView(m_empty);
    window->setGridView(m_grid);
    window->setTableView(m_table);
    window->setStatusBarView(m_statusBar);

    // Browsing state lives in the window; the views follow it and write back to it.
    connect(window, &MainWindow::visibleRecordsChanged, this, &CollectionBrowser::visibleRecordsChanged);
    connect(window, &MainWindow::selectionChanged, this, [this] { m_selection->setIds(m_window->selection()); });
    connect(m_selection, &CollectionSelection::changed, this, [this] { m_window->setSelection(m_selection->ids()); });
    connect(window, &MainWindow::sidebarChanged, this, [this] { m_sidebar->setChoice(m_window->sidebar()); });
    connect(m_sidebar, &SidebarView::choiceChanged, window, [window](const SidebarItem &item) { window->setSidebar(item); });
    connect(window, &MainWindow::recordsChanged, this, [this] {
        // Edits come one record at a time: count once they have all arrived.
        if (m_sidebarScheduled)
            return;
        m_sidebarScheduled = true;
        QTimer::singleShot(0, this, &CollectionBrowser::updateSidebar);
    });
    connect(window, &MainWindow::tileSizeChanged, this, [this] {
        m_grid->setTileSize(m_window->tileSize());
        m_statusBar->setTileSize(m_window->tileSize());
    });
    connect(m_statusBar, &CollectionStatusBar::tileSizeEdited, window, [window](double size) { window->setTileSize(size); });
    connect(window, &MainWindow::sortChanged, this, [this] { m_table->showSort(m_window->sortKey(), m_window->sortAscending()); });
    connect(m_table, &CollectionTableView::sortRequested, window,
            [window](SortKey key, bool ascending) { window->setSort(key, ascending); });
    connect(m_model, &CollectionModel::sortRequested, window,
            [window](SortKey key, bool ascending) { window->setSort(key, ascending); });
    connect(window, &MainWindow::pendingDeleteChanged, this, &CollectionBrowser::pendingDeleteChanged);

    // The empty view's ways in; those whose sheets are not part of this build stay hidden.
    connect(m_empty, &EmptyCollectionView::importCSVRequested, appState, [appState] { appState->setShowImporter(true); });
    connect(m_empty, &EmptyCollectionView::scanRequested, appState, [appState] { appState->setAddMode(AddMode::scan); });
    connect(m_empty, &EmptyCollectionView::addManuallyRequested, appState,
            [appState] { appState->setAddMode(AddMode::manual); });
    for (QPushButton *button : {m_empty->importPhotosButton(), m_empty->importListButton()})
        button->hide();

    connect(appState, &AppState::showImporterChanged, this, [this, appState] {
        if (appState->showImporter())
            m_operations->chooseImportFile([appState] { appState->setShowImporter(false); });
    });
    connect(appState, &AppState::showExporterChanged, this, [this, appState] {
        if (!appState->showExporter())
            return;
        // Every record in display order, whatever the sidebar or the search hide.
        CollectionOrder order;
        const QList<Record *> records =
            order.sorted(m_window->context()->records(), m_window->sortKey(), m_window->sortAscending());
        m_operations->chooseExportFile(records, [appState] { appState->setShowExporter(false); });
    });
    connect(window, &MainWindow::fetchMissingMetadataRequested, m_operations, &CollectionOperations::fetchMissingMetadata);

    m_grid->setTileSize(window->tileSize());
    m_statusBar->setTileSize(window->tileSize());
    m_table->showSort(window->sortKey(), window->sortAscending());
    m_sidebar->setChoice(window->sidebar());
    updateSidebar();
    visibleRecordsChanged();
    m_selection->setIds(window->selection());
}

CollectionBrowser::~CollectionBrowser() = default;

void CollectionBrowser::visibleRecordsChanged()
{
    m_model->setRecords(m_window->visibleRecords());
    m_statusBar->setVisibleCount(m_window->visibleRecords().size());
    m_statusBar->setSliderShown(m_window->viewMode() == ViewMode::grid && !m_window->context()->records().isEmpty());
}

void CollectionBrowser::updateSidebar()
{
    m_sidebarScheduled = false;
    m_sidebar->setCounts(sidebarCounts(m_window->context()->records(), QDateTime::currentDateTimeUtc()));
}

void CollectionBrowser::pendingDeleteChanged()
{
    const QList<QUuid> ids = m_window->pendingDelete();
    if (ids.isEmpty())
        return;
    m_operations->requestDelete(ids, [this] { m_window->setPendingDelete({}); });
}

} // namespace vorla
