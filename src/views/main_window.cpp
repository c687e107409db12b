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
#include "views/browsing_state.h"
#include "views/collection_browser.h"
#include "views/collection_filter.h"
#include "views/collection_grid_view.h"
#include "views/collection_model.h"
#include "views/collection_status_bar.h"
#include "views/collection_table_view.h"
#include "views/add_record_sheet.h"
#include "views/batch_import_sheet.h"
#include "views/empty_collection_view.h"
#include "views/inspector_view.h"
#include "views/record_editor_sheet.h"
#include "views/settings_window.h"
#include "views/sidebar_view.h"
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
#include <QCloseEvent>
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
    m_state = new BrowsingState(context, this);

    buildMenus();
    buildToolbar();
    buildCentralArea();

    connect(&AppSettings::shared(), &AppSettings::valueChanged, this, &MainWindow::settingChanged);
    // Before the browser's views hear of it, so the page is right when they are filled.
    connect(m_state, &BrowsingState::visibleRecordsChanged, this, &MainWindow::updateCollectionPage);
    connect(this, &MainWindow::viewModeChanged, this, &MainWindow::updateCollectionPage);
    connect(m_state, &BrowsingState::sidebarChanged, this, &MainWindow::updateTitle);
    connect(m_state, &BrowsingState::searchTextChanged, this, [this] {
        if (m_searchField->text() != m_state->searchText())
            m_searchField->setText(m_state->searchText());
    });
    connect(m_appState, &AppState::addModeChanged, this, &MainWindow::presentAddRecord);
    connect(m_appState, &AppState::showBatchImportChanged, this, &MainWindow::presentBatchImport);

    updateTitle();
    updateViewControls();

    m_browser = new CollectionBrowser(m_state, appState, refresher, this);
    connect(m_browser, &CollectionBrowser::editRequested, this, &MainWindow::editRecord);
    // Beside the collection column before the sidebar goes in front of both.
    installInspector();
    setSidebarView(m_browser->sidebar());
    setEmptyView(m_browser->emptyView());
    setGridView(m_browser->grid());
    setTableView(m_browser->table());
    setStatusBarView(m_browser->statusBar());
    updateCollectionPage();
    restoreLayout();
}

void MainWindow::restoreLayout()
{
    const AppSettings &settings = AppSettings::shared();
    restoreGeometry(settings.value(AppSettings::windowGeometryKey).toByteArray());
    m_splitter->restoreState(settings.value(AppSettings::windowSplitterKey).toByteArray());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    AppSettings &settings = AppSettings::shared();
    settings.setValue(AppSettings::windowGeometryKey, saveGeometry());
    settings.setValue(AppSettings::windowSplitterKey, m_splitter->saveState());
    QMainWindow::closeEvent(event);
}

MainWindow::~MainWindow() = default;

// --- State ---------------------------------------------------------------------------------

void MainWindow::setShowInspector(bool show)
{
    if (m_showInspector == show)
        return;
    m_showInspector = show;
    m_inspectorView->setVisible(show);
    m_inspectorAction->setChecked(show);
    emit showInspectorChanged();
}

ViewMode MainWindow::viewMode() const
{
    return AppSettings::shared().viewMode();
}

void MainWindow::setViewMode(ViewMode mode)
{
    AppSettings::shared().setViewMode(mode);
}

void MainWindow::settingChanged(const QString &key)
{
    if (key == AppSettings::viewModeKey) {
        updateViewControls();
        emit viewModeChanged();
    } else if (key == AppSettings::sortKeyKey || key == AppSettings::sortAscendingKey) {
        updateViewControls();
    }
}

RecordActions MainWindow::recordActions() const
{
    return m_browser->recordActions();
}

void MainWindow::editRecord(const QUuid &id)
{
    if (m_editor || !m_context->record(id))
        return;
    m_editor = new RecordEditorSheet(m_context, id, AppSettings::shared(), this);
    m_editor->setAttribute(Qt::WA_DeleteOnClose);
    m_editor->open();
}

RecordEditorSheet *MainWindow::editorSheet() const
{
    return m_editor;
}

void MainWindow::showSettings()
{
    if (!m_settingsWindow)
        m_settingsWindow = new SettingsWindow(AppSettings::shared(), {}, {}, this);
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

void MainWindow::showAlert(const QString &title, const QString &message)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

// --- Collection area ----------------------------------------------------------------------

void MainWindow::updateCollectionPage()
{
    if (m_state->context()->records().isEmpty())
        m_page = CollectionPage::empty;
    else if (m_state->visibleRecords().isEmpty())
        m_page = CollectionPage::searchEmpty;
    else if (viewMode() == ViewMode::grid)
        m_page = CollectionPage::grid;
    else
        m_page = CollectionPage::table;

    m_searchEmptyView->setSearchText(m_state->searchText());
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
    // Null only while the browser's views are being placed.
    if (page)
        m_collectionStack->setCurrentWidget(page);
    emit collectionPageChanged();
}

void MainWindow::updateTitle()
{
    setWindowTitle(sidebarTitle(m_state->sidebar()));
}

void MainWindow::updateViewControls()
{
    const ViewMode mode = viewMode();
    m_gridAction->setChecked(mode == ViewMode::grid);
    m_listAction->setChecked(mode == ViewMode::list);
    const SortKey key = m_state->sortKey();
    const bool ascending = m_state->sortAscending();
    for (QAction *action : m_sortKeyGroup->actions())
        action->setChecked(action->data().toString() == rawValue(key));
    for (QAction *action : m_sortOrderGroup->actions())
        action->setChecked(action->data().toBool() == ascending);
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
    // The collection's Delete key is handled by the views, so the item carries no shortcut
    // of its own that would take the key from the search field.
    QAction *remove = edit->addAction(tr("Delete"), this, [this] {
        const QList<QUuid> ids = m_state->visibleSelection();
        if (!ids.isEmpty())
            recordActions().deleteRecords(ids);
    });
    remove->setObjectName(QStringLiteral("editDelete"));
    const auto updateRemove = [this, remove] { remove->setEnabled(!m_state->visibleSelection().isEmpty()); };
    connect(m_state, &BrowsingState::selectionChanged, remove, updateRemove);
    connect(m_state, &BrowsingState::visibleRecordsChanged, remove, updateRemove);
    updateRemove();
    edit->addSeparator();
    edit->addAction(tr("Find"), QKeySequence::Find, this, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });
    edit->addSeparator();
    QAction *settings = edit->addAction(tr("Settings…"), this, &MainWindow::showSettings);
    settings->setObjectName(QStringLiteral("editSettings"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->setMenuRole(QAction::PreferencesRole);

    m_viewGroup = new QActionGroup(this);
    m_gridAction
        = new QAction(symbolIcon(QStringLiteral("square.grid.2x2")), tr("Grid"), m_viewGroup);
    m_gridAction->setObjectName(QStringLiteral("viewGrid"));
    m_gridAction->setCheckable(true);
    m_gridAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    m_gridAction->setToolTip(tr("Switch between cover grid and list"));
    connect(m_gridAction, &QAction::triggered, this, [this] { setViewMode(ViewMode::grid); });
    m_listAction = new QAction(symbolIcon(QStringLiteral("list.bullet")), tr("List"), m_viewGroup);
    m_listAction->setObjectName(QStringLiteral("viewList"));
    m_listAction->setCheckable(true);
    m_listAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
    m_listAction->setToolTip(tr("Switch between cover grid and list"));
    connect(m_listAction, &QAction::triggered, this, [this] { setViewMode(ViewMode::list); });

    m_sortKeyGroup = new QActionGroup(this);
    for (SortKey key : allSortKeys) {
        QAction *action = new QAction(displayName(key), m_sortKeyGroup);
        action->setObjectName(QStringLiteral("sortBy.") + rawValue(key));
        action->setCheckable(true);
        action->setData(rawValue(key));
        connect(action, &QAction::triggered, this,
            [this, key] { AppSettings::shared().setSortKey(key); });
    }
    m_sortOrderGroup = new QActionGroup(this);
    for (const bool ascending : { true, false }) {
        QAction *action
            = new QAction(ascending ? tr("Ascending") : tr("Descending"), m_sortOrderGroup);
        action->setObjectName(ascending ? QStringLiteral("sortAscending") : QStringLiteral("sortDescending"));
        action->setCheckable(true);
        action->setData(ascending);
        connect(action, &QAction::triggered, this,
            [ascending] { AppSettings::shared().setSortAscending(ascending); });
    }

    m_inspectorAction
        = new QAction(symbolIcon(QStringLiteral("sidebar.trailing")), tr("Inspector"), this);
    m_inspectorAction->setObjectName(QStringLiteral("toggleInspector"));
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
    connect(m_searchField, &QLineEdit::textChanged, m_state, &BrowsingState::setSearchText);
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
    auto *inspector = new InspectorView(m_context, AppSettings::shared(), recordActions(),
        MetadataRefresher::facadeLookup(), m_splitter);
    connect(m_state, &BrowsingState::selectionChanged, inspector,
        [this, inspector] { inspector->setSelection(m_state->selection()); });
    inspector->setSelection(m_state->selection());
    m_inspectorView = inspector;
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
    updateCollectionPage();
}

void MainWindow::setGridView(QWidget *view)
{
    m_collectionStack->addWidget(view);
    replaceView(m_gridView, view);
    updateCollectionPage();
}

void MainWindow::setTableView(QWidget *view)
{
    m_collectionStack->addWidget(view);
    replaceView(m_tableView, view);
    updateCollectionPage();
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
    connect(sheet, &AddRecordSheet::added, this,
        [this](const QUuid &id) { m_state->setSelection({ id }); });
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
        const QList<Record *> all = newestFirst(m_context->records());
        m_state->setSelection(all.isEmpty() ? QSet<QUuid>() : QSet<QUuid> { all.first()->id() });
        // The staged selection is shown, wherever the display order puts it.
        if (!all.isEmpty()) {
            const int row = m_browser->model()->rowOf(all.first()->id());
            if (row >= 0) {
                m_browser->grid()->scrollTo(m_browser->model()->index(row, 0));
                m_browser->table()->scrollTo(m_browser->model()->index(row, 0));
            }
        }
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
