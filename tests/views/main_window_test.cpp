#include "views/browsing_state.h"
#include "views/collection_status_bar.h"
#include "views/main_window.h"

#include "app/app_settings.h"
#include "app/app_state.h"
#include "app/metadata_refresher.h"
#include "app/vorla_commands.h"
#include "models/model_context.h"
#include "models/record.h"
#include "views/collection_filter.h"
#include "views/collection_table_view.h"
#include "views/inspector_view.h"
#include "views/record_detail_view.h"
#include "views/record_editor_sheet.h"
#include "views/add_record_sheet.h"
#include "views/search_empty_view.h"
#include "views/settings_window.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QScrollBar>
#include <QSplitter>
#include <QAbstractScrollArea>
#include <QTest>
#include <QToolBar>

#include "isolated_settings.h"
#include "support/reference_order.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

class MainWindowTest : public testing::Test
{
protected:
    vorla::test::IsolatedSettings isolatedSettings;

    Record *add(const QString &title, const QString &artist, int daysAgo = 0)
    {
        auto record = std::make_unique<Record>();
        record->setTitle(title);
        record->setArtist(artist);
        record->setBarcode(QStringLiteral("123"));
        record->setDateAdded(QDateTime::currentDateTimeUtc().addDays(-daysAgo));
        return context.insert(std::move(record));
    }
    MainWindow &window()
    {
        if (!m_window)
            m_window = std::make_unique<MainWindow>(&context, &appState, &refresher);
        return *m_window;
    }
    void settle() { QCoreApplication::processEvents(); }
    // What the inspector shows: the detail view's title, the count of several, or the
    // collection's heading.
    QString inspectorHeadline()
    {
        auto *inspector = static_cast<InspectorView *>(window().inspectorView());
        QWidget *page = inspector->currentWidget();
        for (const char *name : { "title", "selectionCount", "statsHeading" }) {
            if (auto *label = page->findChild<QLabel *>(QString::fromLatin1(name)))
                return label->text();
        }
        return {};
    }

    ModelContext context;
    AppState appState;
    QList<QString> looked;
    MetadataRefresher refresher { [this] {
        return [this](std::optional<qint64>, std::optional<QString>, QString barcode,
                   std::stop_token) -> std::optional<RecordDraft> {
            Q_UNUSED(barcode);
            return std::nullopt;
        };
    } };

private:
    std::unique_ptr<MainWindow> m_window;
};

} // namespace

TEST_F(MainWindowTest, HasTheWindowsPartsAndTitle)
{
    MainWindow &w = window();
    w.show();
    EXPECT_EQ(w.size(), QSize(1200, 780));
    EXPECT_EQ(w.objectName(), QStringLiteral("main"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("All Records"));
    ASSERT_NE(w.sidebarView(), nullptr);
    ASSERT_NE(w.inspectorView(), nullptr);
    ASSERT_NE(w.statusBarView(), nullptr);
    EXPECT_TRUE(w.sidebarView()->isVisible());
    EXPECT_TRUE(w.inspectorView()->isVisible());
    EXPECT_TRUE(w.statusBarView()->isVisible());
    EXPECT_GE(w.sidebarView()->width(), 190);
    EXPECT_LE(w.sidebarView()->width(), 300);
    EXPECT_GE(w.inspectorView()->width(), 300);
    EXPECT_LE(w.inspectorView()->width(), 520);
    EXPECT_EQ(w.searchField()->placeholderText(), QStringLiteral("Artist, title, label, cat#…"));

    QStringList menus;
    for (QAction *menu : w.menuBar()->actions())
        menus.append(menu->text().remove(u'&'));
    EXPECT_EQ(menus, (QStringList { u"File"_s, u"Edit"_s, u"View"_s, u"Help"_s }));

    w.browsingState()->setSidebar(SidebarItem::ofDecade(1970));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("1970s"));
}

TEST_F(MainWindowTest, EveryAddAndImportCommandIsInTheFileMenu)
{
    MainWindow &w = window();
    for (QAction *action : { w.commands()->scanBarcode, w.commands()->searchOnline,
             w.commands()->addManually, w.commands()->importList, w.commands()->importPhotos })
        EXPECT_TRUE(action->isVisible()) << action->text().toStdString();
}

TEST_F(MainWindowTest, CollectionAreaFollowsTheRules)
{
    MainWindow &w = window();
    // An empty store shows the empty view even with a search text.
    w.browsingState()->setSearchText(QStringLiteral("zzz"));
    settle();
    EXPECT_EQ(w.collectionPage(), MainWindow::CollectionPage::empty);

    add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    settle();
    EXPECT_EQ(w.collectionPage(), MainWindow::CollectionPage::searchEmpty);
    EXPECT_EQ(w.searchEmptyView()->titleText(), QStringLiteral("No Results for “zzz”"));
    EXPECT_EQ(
        static_cast<CollectionStatusBar *>(w.statusBarView())->text(), QStringLiteral("0 records"));

    w.searchField()->setText(QStringLiteral("  harbor\t"));
    settle();
    EXPECT_EQ(w.browsingState()->searchText(), QStringLiteral("  harbor\t"));
    EXPECT_EQ(w.collectionPage(), MainWindow::CollectionPage::grid);
    EXPECT_EQ(w.browsingState()->visibleRecords().size(), 1);
    EXPECT_EQ(
        static_cast<CollectionStatusBar *>(w.statusBarView())->text(), QStringLiteral("1 record"));

    w.setViewMode(ViewMode::list);
    settle();
    EXPECT_EQ(w.collectionPage(), MainWindow::CollectionPage::table);
    EXPECT_EQ(QSettings().value(QStringLiteral("viewMode")).toString(), QStringLiteral("list"));
    w.browsingState()->setSearchText(QStringLiteral("nothing like it"));
    settle();
    EXPECT_EQ(w.collectionPage(), MainWindow::CollectionPage::searchEmpty);
}

TEST_F(MainWindowTest, ViewAndSortControlsWriteTheSettings)
{
    MainWindow &w = window();
    QSignalSpy sorted(w.browsingState(), &BrowsingState::sortChanged);
    QToolBar *bar = w.findChild<QToolBar *>();
    ASSERT_NE(bar, nullptr);
    auto *list = w.findChild<QAction *>(u"viewList"_s);
    auto *year = w.findChild<QAction *>(u"sortBy.year"_s);
    auto *descending = w.findChild<QAction *>(u"sortDescending"_s);
    ASSERT_TRUE(list && year && descending);
    list->trigger();
    EXPECT_EQ(w.viewMode(), ViewMode::list);
    year->trigger();
    descending->trigger();
    EXPECT_EQ(w.browsingState()->sortKey(), SortKey::year);
    EXPECT_FALSE(w.browsingState()->sortAscending());
    EXPECT_EQ(sorted.count(), 2);
    // A change made elsewhere (another window, the table header) shows in the menus.
    AppSettings::shared().setSortKey(SortKey::title);
    auto *title = w.findChild<QAction *>(u"sortBy.title"_s);
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->isChecked());
}

TEST_F(MainWindowTest, SortsVisibleRecordsByTheChosenKey)
{
    add(QStringLiteral("B"), QStringLiteral("Zed"), 2);
    add(QStringLiteral("A"), QStringLiteral("Abe"), 1);
    MainWindow &w = window();
    settle();
    ASSERT_EQ(w.browsingState()->visibleRecords().size(), 2);
    EXPECT_EQ(w.browsingState()->visibleRecords().first()->artist(), QStringLiteral("Abe"));
    EXPECT_EQ(
        newestFirst(context.records()).first()->artist(), QStringLiteral("Abe")); // newest first
    w.browsingState()->setSort(SortKey::dateAdded, true);
    settle();
    EXPECT_EQ(w.browsingState()->visibleRecords().first()->artist(), QStringLiteral("Zed"));
}

TEST_F(MainWindowTest, InspectorFollowsTheSelection)
{
    Record *a = add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    Record *b = add(QStringLiteral("Glasshouse"), QStringLiteral("Juniper"));
    MainWindow &w = window();
    w.show();
    w.browsingState()->setSelection({ a->id() });
    EXPECT_EQ(inspectorHeadline(), QStringLiteral("Harbor Lights"));
    w.browsingState()->setSelection({ a->id(), b->id() });
    EXPECT_EQ(inspectorHeadline(), QStringLiteral("2 records selected"));
    w.browsingState()->setSelection({});
    EXPECT_EQ(inspectorHeadline(), QStringLiteral("Your Collection"));

    // A selected record that is deleted simply drops out.
    w.browsingState()->setSelection({ a->id(), b->id() });
    context.remove(b->id());
    settle();
    EXPECT_EQ(w.browsingState()->selectedRecords().size(), 1);
    EXPECT_EQ(inspectorHeadline(), QStringLiteral("Harbor Lights"));

    auto *toggle = w.findChild<QAction *>(u"toggleInspector"_s);
    ASSERT_NE(toggle, nullptr);
    toggle->trigger();
    EXPECT_FALSE(w.showInspector());
    EXPECT_FALSE(w.inspectorView()->isVisible());
}

TEST_F(MainWindowTest, RecordActionsOnlyChangeStateOrQueueWork)
{
    Record *a = add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    MainWindow &w = window();
    RecordActions actions = w.recordActions();
    actions.edit(a->id());
    ASSERT_NE(w.editorSheet(), nullptr);
    EXPECT_EQ(w.editorSheet()->recordID(), a->id());
    EXPECT_EQ(w.editorSheet()->windowModality(), Qt::WindowModal);
    // One sheet at a time.
    RecordEditorSheet *sheet = w.editorSheet();
    actions.edit(a->id());
    EXPECT_EQ(w.editorSheet(), sheet);
    sheet->reject();
    EXPECT_EQ(a->title(), QStringLiteral("Harbor Lights"));
    actions.deleteRecords({ a->id() });
    EXPECT_EQ(w.browsingState()->pendingDelete(), QList<QUuid> { a->id() });
    EXPECT_EQ(context.records().size(), 1);
    actions.refresh({ a->id(), QUuid::createUuid() });
    EXPECT_TRUE(refresher.isRunning());
    EXPECT_EQ(refresher.total(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refresher.isRunning(); }, 5000));
}

TEST_F(MainWindowTest, StagedActionsSelectAndList)
{
    MainWindow &w = window();
    w.applyDebugAction(QStringLiteral("select"));
    EXPECT_TRUE(w.browsingState()->selection().isEmpty()); // empty store

    add(QStringLiteral("Old"), QStringLiteral("A"), 5);
    Record *newest = add(QStringLiteral("New"), QStringLiteral("B"), 0);
    w.applyDebugAction(QStringLiteral("select"));
    EXPECT_EQ(w.browsingState()->selection(), QSet<QUuid> { newest->id() });

    w.applyDebugAction(QStringLiteral("List"));
    EXPECT_EQ(w.viewMode(), ViewMode::grid);
    w.applyDebugAction(QStringLiteral("list"));
    EXPECT_EQ(w.viewMode(), ViewMode::list);
    w.applyDebugAction(std::nullopt);
    EXPECT_EQ(w.browsingState()->selection(), QSet<QUuid> { newest->id() });
}

TEST_F(MainWindowTest, PlacedViewsReplaceTheBrowsersViews)
{
    add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    MainWindow &w = window();
    w.show();
    auto *grid = new QWidget;
    auto *table = new QWidget;
    auto *sidebar = new QWidget;
    auto *status = new QWidget;
    w.setGridView(grid);
    w.setTableView(table);
    w.setSidebarView(sidebar);
    w.setStatusBarView(status);
    settle();
    EXPECT_EQ(w.gridView(), grid);
    EXPECT_TRUE(grid->isVisible());
    EXPECT_FALSE(table->isVisible());
    EXPECT_TRUE(sidebar->isVisible());
    EXPECT_TRUE(status->isVisible());
    EXPECT_GE(sidebar->width(), 190);
    w.setViewMode(ViewMode::list);
    settle();
    EXPECT_TRUE(table->isVisible());
    EXPECT_FALSE(grid->isVisible());
}

TEST_F(MainWindowTest, TypingOnShowsWhatAFreshSearchShows)
{
    Record *harbor = add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"), 1);
    add(QStringLiteral("Harvest"), QStringLiteral("Neil"), 40);
    Record *glass = add(QStringLiteral("Glasshouse"), QStringLiteral("Juniper"), 2);
    add(QStringLiteral("Ha ha"), QStringLiteral("Kestrel"), 3);
    MainWindow &w = window();
    const auto titles = [&w] {
        QStringList list;
        for (const Record *record : w.browsingState()->visibleRecords())
            list.append(record->title());
        return list;
    };
    const auto fresh = [&w, this] {
        QStringList list;
        const QList<Record *> kept
            = filterRecords(context.records(), w.browsingState()->searchText(),
                w.browsingState()->sidebar(), QDateTime::currentDateTimeUtc());
        for (const Record *record : reference::displayOrder(
                 kept, w.browsingState()->sortKey(), w.browsingState()->sortAscending()))
            list.append(record->title());
        return list;
    };
    const auto type = [&](const QString &text) {
        w.browsingState()->setSearchText(text);
        settle();
        EXPECT_EQ(titles(), fresh()) << text.toStdString();
    };

    type(QStringLiteral("h"));
    type(QStringLiteral("ha"));
    type(QStringLiteral("har"));
    type(QStringLiteral("harb"));
    type(QStringLiteral("har"));
    type(QStringLiteral("HAR"));
    // Edits while the text stays: a renamed record leaves the result, another joins it.
    harbor->setTitle(QStringLiteral("Lights"));
    harbor->setArtist(QStringLiteral("Quill"));
    glass->setTitle(QStringLiteral("Harmony"));
    settle();
    EXPECT_EQ(titles(), fresh());
    EXPECT_TRUE(titles().contains(QStringLiteral("Harmony")));
    type(QStringLiteral("harv"));
    w.browsingState()->setSidebar(SidebarItem::recent());
    settle();
    EXPECT_EQ(titles(), fresh());
    type(QStringLiteral("h"));
    w.browsingState()->setSort(SortKey::title, false);
    settle();
    EXPECT_EQ(titles(), fresh());
    type(QStringLiteral("ha"));
    EXPECT_EQ(titles(), (QStringList { u"Harmony"_s, u"Ha ha"_s }));
}

TEST_F(MainWindowTest, DoubleClickEditAndSettingsOpenTheirWindows)
{
    Record *a = add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    MainWindow &w = window();
    w.show();
    w.setViewMode(ViewMode::list);
    settle();
    auto *table = qobject_cast<CollectionTableView *>(w.tableView());
    ASSERT_NE(table, nullptr);
    table->resize(800, 400);
    const QRect row = table->visualRect(table->model()->index(0, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_NE(w.editorSheet(), nullptr);
    EXPECT_EQ(w.editorSheet()->recordID(), a->id());
    EXPECT_TRUE(w.editorSheet()->isVisible());
    w.editorSheet()->reject();
    settle();

    QAction *settings = w.findChild<QAction *>(QStringLiteral("editSettings"));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->text(), QStringLiteral("Settings…"));
    settings->trigger();
    SettingsWindow *first = w.settingsWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    first->close();
    settings->trigger();
    EXPECT_EQ(w.settingsWindow(), first);
    EXPECT_TRUE(first->isVisible());
}

TEST_F(MainWindowTest, InspectorsEditButtonOpensTheEditor)
{
    Record *a = add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    MainWindow &w = window();
    w.show();
    w.browsingState()->setSelection({ a->id() });
    auto *inspector = static_cast<InspectorView *>(w.inspectorView());
    ASSERT_NE(inspector->detailView(), nullptr);
    inspector->detailView()->findChild<QPushButton *>(QStringLiteral("editButton"))->click();
    ASSERT_NE(w.editorSheet(), nullptr);
    EXPECT_EQ(w.editorSheet()->recordID(), a->id());
}

TEST_F(MainWindowTest, EditMenuDeletesTheVisibleSelection)
{
    Record *shown = add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    Record *hidden = add(QStringLiteral("Glasshouse"), QStringLiteral("Juniper"));
    MainWindow &w = window();
    auto *remove = w.findChild<QAction *>(QStringLiteral("editDelete"));
    ASSERT_NE(remove, nullptr);
    settle();
    EXPECT_FALSE(remove->isEnabled());

    w.browsingState()->setSearchText(QStringLiteral("harbor"));
    w.browsingState()->setSelection({ shown->id(), hidden->id() });
    settle();
    ASSERT_TRUE(remove->isEnabled());
    remove->trigger();
    // Only what is shown, and only as far as the confirmation.
    EXPECT_EQ(w.browsingState()->pendingDelete(), QList<QUuid> { shown->id() });
    EXPECT_EQ(context.records().size(), 2);
}

TEST_F(MainWindowTest, SizePlaceAndColumnsComeBackNextRun)
{
    add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    QList<int> columns;
    {
        MainWindow first(&context, &appState, &refresher);
        first.resize(1000, 700);
        first.show();
        settle();
        auto *splitter = first.findChild<QSplitter *>();
        ASSERT_NE(splitter, nullptr);
        QList<int> sizes = splitter->sizes();
        sizes[0] += 40;
        sizes[1] -= 40;
        splitter->setSizes(sizes);
        columns = splitter->sizes();
        first.close();
    }
    MainWindow next(&context, &appState, &refresher);
    next.show();
    settle();
    EXPECT_EQ(next.size(), QSize(1000, 700));
    EXPECT_EQ(next.findChild<QSplitter *>()->sizes(), columns);
}

TEST_F(MainWindowTest, ANewFilterOrSortShowsTheTop)
{
    for (int i = 0; i < 60; ++i)
        add(QStringLiteral("Record %1").arg(i), QStringLiteral("Artist %1").arg(i), i);
    MainWindow &w = window();
    w.resize(1000, 600);
    w.show();
    settle();
    auto *grid = static_cast<QAbstractScrollArea *>(w.gridView());
    QScrollBar *bar = grid->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const auto scrolledAfter = [&](const std::function<void()> &change) {
        bar->setValue(bar->maximum());
        change();
        settle();
        return bar->value();
    };
    EXPECT_EQ(scrolledAfter([&] { w.browsingState()->setSidebar(SidebarItem::recent()); }), 0);
    EXPECT_EQ(scrolledAfter([&] { w.browsingState()->setSearchText(QStringLiteral("record")); }), 0);
    EXPECT_EQ(scrolledAfter([&] { w.browsingState()->setSort(SortKey::title, false); }), 0);
    // An edit keeps the place.
    EXPECT_EQ(scrolledAfter([&] { context.records().first()->setRating(4); }), bar->maximum());
}

TEST_F(MainWindowTest, RefreshProgressTextIsNotCutWhileThereIsRoom)
{
    Record *a = add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    MainWindow &w = window();
    w.resize(1200, 700);
    w.show();
    settle();
    w.recordActions().refresh({ a->id() });
    ASSERT_TRUE(refresher.isRunning());
    w.statusBarView()->layout()->activate();
    auto *text = w.statusBarView()->findChild<QLabel *>(u"progressText"_s);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isVisibleTo(w.statusBarView()));
    EXPECT_GE(text->width(), text->sizeHint().width()) << text->text().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refresher.isRunning(); }, 5000));
}

TEST_F(MainWindowTest, StagedManualAddSelectsTheNewRecord)
{
    MainWindow &w = window();
    w.show();
    w.applyDebugAction(QStringLiteral("manual"));
    EXPECT_EQ(appState.addMode(), AddMode::manual);
    auto *sheet = w.findChild<AddRecordSheet *>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->state()->mode(), AddMode::manual);
    RecordDraft draft;
    draft.title = QStringLiteral("Added by hand");
    sheet->state()->setDraft(draft);
    sheet->findChild<QPushButton *>(QStringLiteral("addButton"))->click();
    settle();
    ASSERT_EQ(w.browsingState()->selection().size(), 1);
    EXPECT_EQ(context.record(*w.browsingState()->selection().begin())->title(), QStringLiteral("Added by hand"));
    EXPECT_EQ(appState.addMode(), std::nullopt);

    // The word is compared exactly.
    w.applyDebugAction(QStringLiteral("Scan"));
    EXPECT_EQ(appState.addMode(), std::nullopt);

    // A token problem in the sheet leads to the settings window.
    appState.setAddMode(AddMode::search);
    settle();
    auto *search = w.findChild<AddRecordSheet *>();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->state()->mode(), AddMode::search);
    emit search->openSettingsRequested();
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::any_of(windows.begin(), windows.end(), [](QWidget *window) {
        return window->inherits("vorla::SettingsWindow") && window->isVisible();
    }));
    search->reject();
}
