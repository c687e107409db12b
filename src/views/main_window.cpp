#include "views/main_window.h"

#include "app/app_settings.h"
#include "app/app_state.h"
#include "app/batch_matcher.h"
#include "app/metadata_refresher.h"
#include "app/sample_batch_items.h"
#include "app/snapshot.h"
#include "app/vorla_commands.h"
#include "models/model_context.h"
#include "models/record.h"
#include "core/text_util.h"
#include "views/add_record_sheet.h"
#include "views/batch_import_sheet.h"
#include "views/inspector_stand_in.h"
#include "views/components/symbol_icon.h"
#include "views/search_empty_view.h"
#include "views/settings_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QShowEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace vorla {

namespace {

constexpr int kSidebarMinimum = 190;
constexpr int kSidebarIdeal = 220;
constexpr int kSidebarMaximum = 300;
constexpr int kInspectorMinimum = 300;
constexpr int kInspectorIdeal = 360;
constexpr int kInspectorMaximum = 520;

QToolButton *toolButton(QAction *action, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    return button;
}

// Edit commands act on whichever text field has the focus.
void invokeOnFocus(const char *slot)
{
    if (QWidget *focus = QApplication::focusWidget())
        QMetaObject::invokeMethod(focus, slot);
}

} // namespace

MainWindow::MainWindow(
    ModelContext *context, AppState *appState, MetadataRefresher *refresher, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_appState(appState)
    , m_refresher(refresher)
{
    setObjectName(QStringLiteral("main"));
    resize(1200, 780);
    setUnifiedTitleAndToolBarOnMac(true);
    m_commands = new VorlaCommands(appState, this);

    buildMenus();
    buildToolbar();
    buildCentralArea();
    installInspector();

    connect(&AppSettings::shared(), &AppSettings::valueChanged, this, &MainWindow::settingChanged);
    // Before recordsChanged, so the order is right when the collection is filtered again.
    connect(m_context, &ModelContext::recordsInserted, this, [this] { m_order.invalidate(); });
    connect(m_context, &ModelContext::recordsRemoved, this, [this] { m_order.invalidate(); });
    connect(m_context, &ModelContext::recordsChanged, this, [this](const QList<QUuid> &ids) {
        QList<Record *> edited;
        for (const QUuid &id : ids) {
            if (Record *record = m_context->record(id))
                edited.append(record);
        }
        m_order.recordsEdited(edited);
    });
    connect(m_context, &ModelContext::recordsInserted, this, &MainWindow::recordsChanged);
    connect(m_context, &ModelContext::recordsRemoved, this, &MainWindow::recordsChanged);
    connect(m_context, &ModelContext::recordsChanged, this, &MainWindow::recordsChanged);
    connect(this, &MainWindow::recordsChanged, this, &MainWindow::scheduleCollectionUpdate);
    connect(this, &MainWindow::searchTextChanged, this, &MainWindow::scheduleCollectionUpdate);
    connect(this, &MainWindow::sidebarChanged, this, &MainWindow::scheduleCollectionUpdate);
    connect(this, &MainWindow::sortChanged, this, &MainWindow::scheduleCollectionUpdate);
    connect(this, &MainWindow::viewModeChanged, this, &MainWindow::scheduleCollectionUpdate);
    connect(this, &MainWindow::sidebarChanged, this, &MainWindow::updateTitle);
    connect(this, &MainWindow::selectionChanged, this, &MainWindow::updateInspector);
    connect(this, &MainWindow::recordsChanged, this, &MainWindow::updateInspector);
    connect(m_appState, &AppState::fetchMissingRequestedChanged, this,
        &MainWindow::fetchMissingRequested);
    connect(m_appState, &AppState::addModeChanged, this, &MainWindow::presentAddRecord);
    connect(m_appState, &AppState::showBatchImportChanged, this, &MainWindow::presentBatchImport);

    // An edit can make a record match the search, so the next search starts afresh.
    connect(this, &MainWindow::recordsChanged, this, [this] { m_filtered.reset(); });
    connect(this, &MainWindow::sortChanged, this, [this] { m_filtered.reset(); });

    updateTitle();
    updateViewControls();
    updateCollection();
    updateInspector();
    new CollectionBrowser(this);
}

MainWindow::~MainWindow() = default;

// --- State ---------------------------------------------------------------------------------

void MainWindow::setSidebar(const std::optional<SidebarItem> &item)
{
    if (m_sidebar == item)
        return;
    m_sidebar = item;
    emit sidebarChanged();
}

void MainWindow::setSelection(const QSet<QUuid> &ids)
{
    if (m_selection == ids)
        return;
    m_selection = ids;
    emit selectionChanged();
}

void MainWindow::setSearchText(const QString &text)
{
    if (m_searchText == text)
        return;
    m_searchText = text;
    if (m_searchField->text() != text)
        m_searchField->setText(text);
    emit searchTextChanged();
}

void MainWindow::setShowInspector(bool show)
{
    if (m_showInspector == show)
        return;
    m_showInspector = show;
    m_inspectorView->setVisible(show);
    m_inspectorAction->setChecked(show);
    emit showInspectorChanged();
}

void MainWindow::setPendingDelete(const QList<QUuid> &ids)
{
    if (m_pendingDelete == ids)
        return;
    m_pendingDelete = ids;
    emit pendingDeleteChanged();
}

ViewMode MainWindow::viewMode() const
{
    return AppSettings::shared().viewMode();
}

void MainWindow::setViewMode(ViewMode mode)
{
    AppSettings::shared().setViewMode(mode);
}

SortKey MainWindow::sortKey() const
{
    return AppSettings::shared().sortKey();
}

bool MainWindow::sortAscending() const
{
    return AppSettings::shared().sortAscending();
}

void MainWindow::setSort(SortKey key, bool ascending)
{
    AppSettings::shared().setSortKey(key);
    AppSettings::shared().setSortAscending(ascending);
}

double MainWindow::tileSize() const
{
    return AppSettings::shared().tileSize();
}

void MainWindow::setTileSize(double size)
{
    AppSettings::shared().setTileSize(size);
}

void MainWindow::settingChanged(const QString &key)
{
    if (key == AppSettings::viewModeKey) {
        updateViewControls();
        emit viewModeChanged();
    } else if (key == AppSettings::sortKeyKey || key == AppSettings::sortAscendingKey) {
        updateViewControls();
        emit sortChanged();
    } else if (key == AppSettings::tileSizeKey) {
        emit tileSizeChanged();
    }
}

QList<Record *> MainWindow::records() const
{
    QList<Record *> all = m_context->records();
    std::stable_sort(all.begin(), all.end(),
        [](const Record *a, const Record *b) { return a->dateAdded() > b->dateAdded(); });
    return all;
}

QList<Record *> MainWindow::selectedRecords() const
{
    QList<Record *> selected;
    for (const QUuid &id : m_selection) {
        if (Record *record = m_context->record(id))
            selected.append(record);
    }
    // Ties are rare but must not follow the set's hash order.
    std::sort(selected.begin(), selected.end(), [](const Record *a, const Record *b) {
        if (a->dateAdded() != b->dateAdded())
            return a->dateAdded() > b->dateAdded();
        return a->id() < b->id();
    });
    return selected;
}

RecordActions MainWindow::recordActions()
{
    RecordActions actions;
    actions.deleteRecords = [this](const QList<QUuid> &ids) { setPendingDelete(ids); };
    actions.refresh = [this](const QList<QUuid> &ids) {
        QList<Record *> queued;
        for (const QUuid &id : ids) {
            if (Record *record = m_context->record(id))
                queued.append(record);
        }
        m_refresher->start(queued);
    };
    return actions;
}

void MainWindow::showAlert(const QString &title, const QString &message)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

// --- Collection area ----------------------------------------------------------------------

void MainWindow::scheduleCollectionUpdate()
{
    if (m_updateScheduled)
        return;
    m_updateScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_updateScheduled = false;
        updateCollection();
    });
}

void MainWindow::updateCollection()
{
    const QList<Record *> &all = m_context->records();
    // A longer search keeps a subset of what the shorter one kept, in the same order, so
    // typing on only filters what is shown.
    const QString query = searchQuery(m_searchText);
    const bool narrowing = m_filtered && m_filtered->sidebar == m_sidebar
        && query.contains(m_filtered->query);
    const QList<Record *> &candidates
        = narrowing ? m_visible : m_order.sorted(all, sortKey(), sortAscending());
    m_visible = filterRecords(candidates, m_searchText, m_sidebar, QDateTime::currentDateTimeUtc());
    m_filtered = FilterInput { query, m_sidebar };

    if (all.isEmpty())
        m_page = CollectionPage::empty;
    else if (m_visible.isEmpty())
        m_page = CollectionPage::searchEmpty;
    else if (viewMode() == ViewMode::grid)
        m_page = CollectionPage::grid;
    else
        m_page = CollectionPage::table;

    m_searchEmptyView->setSearchText(m_searchText);
    QWidget *page = nullptr;
    switch (m_page) {
    case CollectionPage::empty:
        page = m_emptyView;
        break;
    case CollectionPage::searchEmpty:
        page = m_searchEmptyView;
        break;
    case CollectionPage::grid:
        page = m_gridView;
        break;
    case CollectionPage::table:
        page = m_tableView;
        break;
    }
    // The browser's views are placed right after construction.
    if (page)
        m_collectionStack->setCurrentWidget(page);
    emit visibleRecordsChanged();
}

void MainWindow::updateInspector()
{
    if (auto *standIn = qobject_cast<StandInInspector *>(m_inspectorView))
        standIn->reload();
}

void MainWindow::updateTitle()
{
    setWindowTitle(sidebarTitle(m_sidebar));
}

void MainWindow::updateViewControls()
{
    const ViewMode mode = viewMode();
    m_gridAction->setChecked(mode == ViewMode::grid);
    m_listAction->setChecked(mode == ViewMode::list);
    const SortKey key = sortKey();
    const bool ascending = sortAscending();
    for (QAction *action : m_sortKeyGroup->actions())
        action->setChecked(action->data().toString() == rawValue(key));
    for (QAction *action : m_sortOrderGroup->actions())
        action->setChecked(action->data().toBool() == ascending);
}

void MainWindow::fetchMissingRequested()
{
    if (!m_appState->fetchMissingRequested())
        return;
    m_appState->setFetchMissingRequested(false);
    emit fetchMissingMetadataRequested();
}

// --- Building ------------------------------------------------------------------------------

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    m_commands->addTo(file);
    file->addSeparator();
    QAction *close = file->addAction(tr("Close Window"), this, &QWidget::close);
    close->setShortcut(QKeySequence::Close);
    QAction *quit = file->addAction(tr("Quit"), qApp, &QApplication::closeAllWindows);
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);


    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(tr("Cut"), QKeySequence::Cut, this, [] { invokeOnFocus("cut"); });
    edit->addAction(tr("Copy"), QKeySequence::Copy, this, [] { invokeOnFocus("copy"); });
    edit->addAction(tr("Paste"), QKeySequence::Paste, this, [] { invokeOnFocus("paste"); });
    edit->addAction(
        tr("Select All"), QKeySequence::SelectAll, this, [] { invokeOnFocus("selectAll"); });
    edit->addSeparator();
    edit->addAction(tr("Find"), QKeySequence::Find, this, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });

    m_viewGroup = new QActionGroup(this);
    m_gridAction
        = new QAction(symbolIcon(QStringLiteral("square.grid.2x2")), tr("Grid"), m_viewGroup);
    m_gridAction->setCheckable(true);
    m_gridAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    m_gridAction->setToolTip(tr("Switch between cover grid and list"));
    connect(m_gridAction, &QAction::triggered, this, [this] { setViewMode(ViewMode::grid); });
    m_listAction = new QAction(symbolIcon(QStringLiteral("list.bullet")), tr("List"), m_viewGroup);
    m_listAction->setCheckable(true);
    m_listAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
    m_listAction->setToolTip(tr("Switch between cover grid and list"));
    connect(m_listAction, &QAction::triggered, this, [this] { setViewMode(ViewMode::list); });

    m_sortKeyGroup = new QActionGroup(this);
    for (SortKey key : allSortKeys) {
        QAction *action = new QAction(displayName(key), m_sortKeyGroup);
        action->setCheckable(true);
        action->setData(rawValue(key));
        connect(action, &QAction::triggered, this,
            [this, key] { AppSettings::shared().setSortKey(key); });
    }
    m_sortOrderGroup = new QActionGroup(this);
    for (const bool ascending : { true, false }) {
        QAction *action
            = new QAction(ascending ? tr("Ascending") : tr("Descending"), m_sortOrderGroup);
        action->setCheckable(true);
        action->setData(ascending);
        connect(action, &QAction::triggered, this,
            [ascending] { AppSettings::shared().setSortAscending(ascending); });
    }

    m_inspectorAction
        = new QAction(symbolIcon(QStringLiteral("sidebar.trailing")), tr("Inspector"), this);
    m_inspectorAction->setCheckable(true);
    m_inspectorAction->setChecked(true);
    m_inspectorAction->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_I));
    m_inspectorAction->setToolTip(tr("Show or hide record details"));
    connect(m_inspectorAction, &QAction::triggered, this,
        [this](bool checked) { setShowInspector(checked); });

    QMenu *view = menuBar()->addMenu(tr("&View"));
    view->addAction(m_gridAction);
    view->addAction(m_listAction);
    view->addSeparator();
    QMenu *sortMenu = view->addMenu(tr("Sort By"));
    sortMenu->addActions(m_sortKeyGroup->actions());
    sortMenu->addSeparator();
    sortMenu->addActions(m_sortOrderGroup->actions());
    view->addSeparator();
    view->addAction(m_inspectorAction);

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    QAction *about = help->addAction(tr("About Vorla"), this, [this] {
        auto *box = new QMessageBox(QMessageBox::NoIcon, tr("About Vorla"),
            tr("<b>Vorla</b><p>Catalogues a collection of vinyl "
               "records.</p>"),
            QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    about->setMenuRole(QAction::AboutRole);
}

void MainWindow::buildToolbar()
{
    QToolBar *bar = addToolBar(tr("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(18, 18));
    bar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    // Add Record: the click scans, the menu offers the other ways.
    m_addButton = new QToolButton(bar);
    m_addButton->setText(tr("Add Record"));
    m_addButton->setIcon(symbolIcon(QStringLiteral("plus")));
    m_addButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_addButton->setToolTip(tr("Scan a barcode (click) or choose another way to add a record"));
    m_addButton->setPopupMode(QToolButton::MenuButtonPopup);
    auto *addMenu = new QMenu(m_addButton);
    const struct
    {
        AddMode mode;
        const char *text;
        const char *symbol;
    } modes[] = {
        { AddMode::scan, QT_TR_NOOP("Scan Barcode"), "barcode.viewfinder" },
        { AddMode::search, QT_TR_NOOP("Search"), "magnifyingglass" },
        { AddMode::manual, QT_TR_NOOP("Enter Manually"), "square.and.pencil" },
    };
    for (const auto &m : modes) {
        const AddMode mode = m.mode;
        addMenu->addAction(symbolIcon(QString::fromLatin1(m.symbol)), tr(m.text), this,
            [this, mode] { m_appState->setAddMode(mode); });
    }
    addMenu->addSeparator();
    addMenu->addAction(symbolIcon(QStringLiteral("list.bullet.rectangle")),
        tr("Import List of Records…"), this, [this] { m_appState->setShowBatchImport(true); });
    addMenu->addAction(symbolIcon(QStringLiteral("photo.stack")), tr("Import Photos of Records…"),
        this, [this] {
            m_appState->setBatchImportPicksPhotos(true);
            m_appState->setShowBatchImport(true);
        });
    m_addButton->setMenu(addMenu);
    connect(m_addButton, &QToolButton::clicked, this,
        [this] { m_appState->setAddMode(AddMode::scan); });
    bar->addWidget(m_addButton);

    auto *viewPicker = new QWidget(bar);
    viewPicker->setToolTip(tr("Switch between cover grid and list"));
    auto *pickerLayout = new QHBoxLayout(viewPicker);
    pickerLayout->setContentsMargins(0, 0, 0, 0);
    pickerLayout->setSpacing(0);
    for (QAction *action : { m_gridAction, m_listAction }) {
        QToolButton *button = toolButton(action, viewPicker);
        button->setAccessibleName(action->text());
        pickerLayout->addWidget(button);
    }
    viewPicker->setAccessibleName(tr("View"));
    bar->addWidget(viewPicker);

    auto *sortButton = new QToolButton(bar);
    sortButton->setText(tr("Sort"));
    sortButton->setIcon(symbolIcon(QStringLiteral("arrow.up.arrow.down")));
    sortButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    sortButton->setToolTip(tr("Sort records"));
    sortButton->setPopupMode(QToolButton::InstantPopup);
    sortButton->setAutoRaise(true);
    // The whole button opens the menu; the small corner arrow of some styles only clutters it.
    sortButton->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    auto *sortMenu = new QMenu(sortButton);
    sortMenu->addSection(tr("Sort By"));
    sortMenu->addActions(m_sortKeyGroup->actions());
    sortMenu->addSection(tr("Order"));
    sortMenu->addActions(m_sortOrderGroup->actions());
    sortButton->setMenu(sortMenu);
    bar->addWidget(sortButton);

    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);

    m_searchField = new QLineEdit(bar);
    m_searchField->setPlaceholderText(tr("Artist, title, label, cat#…"));
    m_searchField->setClearButtonEnabled(true);
    m_searchField->addAction(
        symbolIcon(QStringLiteral("magnifyingglass")), QLineEdit::LeadingPosition);
    m_searchField->setFixedWidth(260);
    m_searchField->setAccessibleName(tr("Search"));
    connect(m_searchField, &QLineEdit::textChanged, this, &MainWindow::setSearchText);
    bar->addWidget(m_searchField);

    QToolButton *inspectorButton = toolButton(m_inspectorAction, bar);
    bar->addWidget(inspectorButton);
}

void MainWindow::buildCentralArea()
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(1);

    m_collectionColumn = new QWidget(m_splitter);
    m_collectionLayout = new QVBoxLayout(m_collectionColumn);
    m_collectionLayout->setContentsMargins(0, 0, 0, 0);
    m_collectionLayout->setSpacing(0);
    m_collectionStack = new QStackedWidget(m_collectionColumn);
    m_collectionLayout->addWidget(m_collectionStack, 1);
    m_searchEmptyView = new SearchEmptyView(m_collectionStack);
    m_collectionStack->addWidget(m_searchEmptyView);

    setCentralWidget(m_splitter);
}

void MainWindow::installInspector()
{
    m_inspectorView = new StandInInspector(this, m_splitter);
    m_inspectorView->setMinimumWidth(kInspectorMinimum);
    m_inspectorView->setMaximumWidth(kInspectorMaximum);
    m_splitter->addWidget(m_inspectorView);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
}

void MainWindow::replaceView(QWidget *&slot, QWidget *view)
{
    QWidget *old = slot;
    slot = view;
    if (old == view)
        return;
    if (old) {
        old->hide();
        old->deleteLater();
    }
}

void MainWindow::setSidebarView(QWidget *view)
{
    view->setMinimumWidth(kSidebarMinimum);
    view->setMaximumWidth(kSidebarMaximum);
    if (!m_sidebarView) {
        m_splitter->insertWidget(0, view);
        m_splitter->setStretchFactor(0, 0);
        m_splitter->setStretchFactor(1, 1);
        m_splitter->setStretchFactor(2, 0);
        m_splitter->setSizes(
            { kSidebarIdeal, 1200 - kSidebarIdeal - kInspectorIdeal, kInspectorIdeal });
        m_sidebarView = view;
        return;
    }
    const QList<int> sizes = m_splitter->sizes();
    m_splitter->replaceWidget(0, view);
    replaceView(m_sidebarView, view);
    m_splitter->setSizes(sizes);
}

void MainWindow::setEmptyView(QWidget *view)
{
    m_collectionStack->addWidget(view);
    replaceView(m_emptyView, view);
    updateCollection();
}

void MainWindow::setGridView(QWidget *view)
{
    m_collectionStack->addWidget(view);
    replaceView(m_gridView, view);
    updateCollection();
}

void MainWindow::setTableView(QWidget *view)
{
    m_collectionStack->addWidget(view);
    replaceView(m_tableView, view);
    updateCollection();
}

void MainWindow::setStatusBarView(QWidget *view)
{
    if (!m_statusBarView) {
        m_collectionLayout->addWidget(view);
        m_statusBarView = view;
        return;
    }
    // The layout hands back the old widget's item, which is ours to free.
    std::unique_ptr<QLayoutItem> old(m_collectionLayout->replaceWidget(m_statusBarView, view));
    replaceView(m_statusBarView, view);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // A staged screen is applied every time the window is shown.
    if (!event->spontaneous())
        applyDebugAction();
}

void MainWindow::presentAddRecord()
{
    const std::optional<AddMode> mode = m_appState->addMode();
    if (!mode || m_addRecordSheet)
        return;
    auto *sheet = new AddRecordSheet(*mode, m_context, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    m_addRecordSheet = sheet;
    connect(sheet, &AddRecordSheet::added, this, [this](const QUuid &id) { setSelection({ id }); });
    connect(sheet, &QDialog::finished, this, [this] { m_appState->setAddMode(std::nullopt); });
    connect(sheet, &AddRecordSheet::openSettingsRequested, this, &MainWindow::showSettings);
    sheet->open();
}

void MainWindow::presentBatchImport()
{
    if (!m_appState->showBatchImport() || m_batchImportSheet || !m_batchMatcher)
        return;
    auto *sheet
        = new BatchImportSheet(m_batchMatcher, m_appState->batchImportPicksPhotos(), this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    m_batchImportSheet = sheet;
    connect(sheet, &QDialog::finished, this, [this] {
        m_appState->setShowBatchImport(false);
        m_appState->setBatchImportPicksPhotos(false);
    });
    sheet->open();
}

void MainWindow::showSettings()
{
    // A window of its own, outside the window-modal sheet's reach.
    if (!m_settingsWindow)
        m_settingsWindow = std::make_unique<SettingsWindow>(AppSettings::shared());
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

void MainWindow::applyDebugAction()
{
    applyDebugAction(DebugHooks::snapshotAction());
}

void MainWindow::applyDebugAction(const std::optional<QString> &action)
{
    if (!action)
        return;
    if (const std::optional<AddMode> mode = addModeFromRawValue(*action)) {
        m_appState->setAddMode(mode);
    } else if (*action == u"select") {
        const QList<Record *> all = records();
        setSelection(all.isEmpty() ? QSet<QUuid>() : QSet<QUuid> { all.first()->id() });
    } else if (*action == u"list") {
        setViewMode(ViewMode::list);
    } else if (*action == u"batch") {
        m_appState->setShowBatchImport(true);
    } else if (*action == u"photos" && m_batchMatcher) {
        m_batchMatcher->enqueue(DebugHooks::snapshotPhotos(), PhotoLayout::automatic);
        m_appState->setShowBatchImport(true);
    } else if (*action == u"batch-review" && m_batchMatcher) {
        m_batchMatcher->setItems(DebugHooks::sampleBatchItems());
        m_appState->setShowBatchImport(true);
    }
}

} // namespace vorla
