#include "views/collection_browser.h"

#include "views/browsing_state.h"
#include "views/collection_dialogs.h"
#include "views/collection_filter.h"
#include "views/collection_grid_view.h"
#include "views/collection_model.h"
#include "views/collection_operations.h"
#include "views/collection_selection.h"
#include "views/collection_status_bar.h"
#include "views/collection_table_view.h"
#include "views/empty_collection_view.h"
#include "views/sidebar_view.h"

#include "app/app_settings.h"
#include "app/app_state.h"
#include "app/metadata_refresher.h"
#include "models/model_context.h"
#include "models/record.h"

#include <QPushButton>
#include <QPointer>
#include <QTimer>

namespace vorla {

CollectionBrowser::CollectionBrowser(BrowsingState *state, AppState *appState, MetadataRefresher *refresher,
                                     QWidget *window, std::unique_ptr<CollectionDialogs> dialogs)
    : QObject(window)
    , m_state(state)
    , m_refresher(refresher)
    , m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<CollectionDialogs>())
{
    ModelContext *context = state->context();
    AppSettings &settings = AppSettings::shared();
    m_model = new CollectionModel(context, this);
    m_selection = new CollectionSelection(m_model, state, this);

    m_grid = new CollectionGridView(context, m_selection);
    m_grid->setCollectionModel(m_model);
    m_table = new CollectionTableView(context, m_selection);
    m_table->setCollectionModel(m_model);
    m_sidebar = new SidebarView;
    m_empty = new EmptyCollectionView;
    m_statusBar = new CollectionStatusBar(refresher);
    m_operations = new CollectionOperations(context, m_selection, m_dialogs.get(), window, this);
    m_operations->setStartRefresh([this](const QList<QUuid> &ids) { recordActions().refresh(ids); });

    const RecordActions actions = recordActions();
    m_grid->setActions(actions);
    m_table->setActions(actions);

    // The views follow the browsing state and write back to it.
    connect(state, &BrowsingState::visibleRecordsChanged, this, &CollectionBrowser::visibleRecordsChanged);
    connect(state, &BrowsingState::sidebarChanged, this, [this] { m_sidebar->setChoice(m_state->sidebar()); });
    connect(m_sidebar, &SidebarView::choiceChanged, state, [state](const SidebarItem &item) { state->setSidebar(item); });
    for (auto signal : { &ModelContext::recordsInserted, &ModelContext::recordsChanged }) {
        connect(context, signal, this, [this] {
            // Edits come one record at a time: count once they have all arrived.
            if (m_sidebarScheduled)
                return;
            m_sidebarScheduled = true;
            QTimer::singleShot(0, this, &CollectionBrowser::updateSidebar);
        });
    }
    connect(context, &ModelContext::recordsAboutToBeRemoved, this,
        [this](const QList<Record *> &removed) {
            // A count on its way sees only what is left.
            if (m_sidebarScheduled)
                return;
            m_counts = withoutCounts(m_counts, sidebarCounts(removed, m_countedAt));
            m_sidebar->setCounts(m_counts);
        });
    connect(&settings, &AppSettings::valueChanged, this, [this](const QString &key) {
        const double size = AppSettings::shared().tileSize();
        if (key == AppSettings::tileSizeKey) {
            m_grid->setTileSize(size);
            m_statusBar->setTileSize(size);
        } else if (key == AppSettings::viewModeKey) {
            visibleRecordsChanged();
        }
    });
    connect(m_statusBar, &CollectionStatusBar::tileSizeEdited, this,
            [](double size) { AppSettings::shared().setTileSize(size); });
    connect(state, &BrowsingState::sortChanged, this, [this] { m_table->showSort(m_state->sortKey(), m_state->sortAscending()); });
    connect(m_table, &CollectionTableView::sortRequested, state,
            [state](SortKey key, bool ascending) { state->setSort(key, ascending); });
    connect(m_model, &CollectionModel::sortRequested, state,
            [state](SortKey key, bool ascending) { state->setSort(key, ascending); });
    connect(state, &BrowsingState::pendingDeleteChanged, this, &CollectionBrowser::pendingDeleteChanged);
    // A new filter or sort shows its first records; edits and deletes keep the place.
    for (auto signal : {&BrowsingState::sidebarChanged, &BrowsingState::searchTextChanged, &BrowsingState::sortChanged})
        connect(state, signal, this, [this] { m_showTop = true; });

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
        m_operations->chooseExportFile(m_state->displayOrder(), [appState] { appState->setShowExporter(false); });
    });
    connect(appState, &AppState::fetchMissingRequestedChanged, this, [this, appState] {
        if (!appState->fetchMissingRequested())
            return;
        appState->setFetchMissingRequested(false);
        m_operations->fetchMissingMetadata();
    });

    m_grid->setTileSize(settings.tileSize());
    m_statusBar->setTileSize(settings.tileSize());
    m_table->showSort(state->sortKey(), state->sortAscending());
    m_sidebar->setChoice(state->sidebar());
    updateSidebar();
    visibleRecordsChanged();
}

CollectionBrowser::~CollectionBrowser() = default;

RecordActions CollectionBrowser::recordActions()
{
    RecordActions actions;
    QPointer<CollectionBrowser> browser(this);
    actions.edit = [browser](const QUuid &id) {
        if (browser)
            emit browser->editRequested(id);
    };
    BrowsingState *state = m_state;
    MetadataRefresher *refresher = m_refresher;
    actions.deleteRecords = [state](const QList<QUuid> &ids) { state->setPendingDelete(ids); };
    actions.refresh = [state, refresher](const QList<QUuid> &ids) {
        QList<Record *> queued;
        for (const QUuid &id : ids) {
            if (Record *record = state->context()->record(id))
                queued.append(record);
        }
        refresher->start(queued);
    };
    return actions;
}

void CollectionBrowser::visibleRecordsChanged()
{
    m_model->setRecords(m_state->visibleRecords());
    if (m_showTop) {
        m_showTop = false;
        m_grid->scrollToTop();
        m_table->scrollToTop();
    }
    m_statusBar->setVisibleCount(m_state->visibleRecords().size());
    m_statusBar->setSliderShown(AppSettings::shared().viewMode() == ViewMode::grid
                                && !m_state->context()->records().isEmpty());
}

void CollectionBrowser::updateSidebar()
{
    m_sidebarScheduled = false;
    m_countedAt = QDateTime::currentDateTimeUtc();
    m_counts = sidebarCounts(m_state->context()->records(), m_countedAt);
    m_sidebar->setCounts(m_counts);
}

void CollectionBrowser::pendingDeleteChanged()
{
    const QList<QUuid> ids = m_state->pendingDelete();
    if (ids.isEmpty())
        return;
    m_operations->requestDelete(ids, [this] { m_state->setPendingDelete({}); });
}

} // namespace vorla
