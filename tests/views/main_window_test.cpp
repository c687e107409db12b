#include "views/main_window.h"
#include "views/collection_status_bar.h"

#include "app/app_settings.h"
#include "app/app_state.h"
#include "app/metadata_refresher.h"
#include "app/vorla_commands.h"
#include "models/model_context.h"
#include "models/record.h"
#include "views/add_record_sheet.h"
#include "views/inspector_stand_in.h"
#include "views/search_empty_view.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include "isolated_settings.h"

#include <gtest/gtest.h>

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
    QString inspectorHeadline()
    {
        return static_cast<StandInInspector *>(window().inspectorView())->headline();
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

    w.setSidebar(SidebarItem::ofDecade(1970));
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
    w.setSearchText(QStringLiteral("zzz"));
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
    EXPECT_EQ(w.searchText(), QStringLiteral("  harbor\t"));
    EXPECT_EQ(w.collectionPage(), MainWindow::CollectionPage::grid);
    EXPECT_EQ(w.visibleRecords().size(), 1);
    EXPECT_EQ(
        static_cast<CollectionStatusBar *>(w.statusBarView())->text(), QStringLiteral("1 record"));

    w.setViewMode(ViewMode::list);
    settle();
    EXPECT_EQ(w.collectionPage(), MainWindow::CollectionPage::table);
    EXPECT_EQ(QSettings().value(QStringLiteral("viewMode")).toString(), QStringLiteral("list"));
    w.setSearchText(QStringLiteral("nothing like it"));
    settle();
    EXPECT_EQ(w.collectionPage(), MainWindow::CollectionPage::searchEmpty);
}

TEST_F(MainWindowTest, ViewAndSortControlsWriteTheSettings)
{
    MainWindow &w = window();
    QSignalSpy sorted(&w, &MainWindow::sortChanged);
    QToolBar *bar = w.findChild<QToolBar *>();
    ASSERT_NE(bar, nullptr);
    QAction *list = nullptr;
    QAction *year = nullptr;
    QAction *descending = nullptr;
    for (QAction *action : w.findChildren<QAction *>()) {
        if (action->text() == u"List")
            list = action;
        if (action->text() == u"Year")
            year = action;
        if (action->text() == u"Descending")
            descending = action;
    }
    ASSERT_TRUE(list && year && descending);
    list->trigger();
    EXPECT_EQ(w.viewMode(), ViewMode::list);
    year->trigger();
    descending->trigger();
    EXPECT_EQ(w.sortKey(), SortKey::year);
    EXPECT_FALSE(w.sortAscending());
    EXPECT_EQ(sorted.count(), 2);
    // A change made elsewhere (another window, the table header) shows in the menus.
    AppSettings::shared().setSortKey(SortKey::title);
    for (QAction *action : w.findChildren<QAction *>()) {
        if (action->text() == u"Title") {
            EXPECT_TRUE(action->isChecked());
        }
    }
}

TEST_F(MainWindowTest, SortsVisibleRecordsByTheChosenKey)
{
    add(QStringLiteral("B"), QStringLiteral("Zed"), 2);
    add(QStringLiteral("A"), QStringLiteral("Abe"), 1);
    MainWindow &w = window();
    settle();
    ASSERT_EQ(w.visibleRecords().size(), 2);
    EXPECT_EQ(w.visibleRecords().first()->artist(), QStringLiteral("Abe"));
    EXPECT_EQ(w.records().first()->artist(), QStringLiteral("Abe")); // newest first
    w.setSort(SortKey::dateAdded, true);
    settle();
    EXPECT_EQ(w.visibleRecords().first()->artist(), QStringLiteral("Zed"));
}

TEST_F(MainWindowTest, InspectorFollowsTheSelection)
{
    Record *a = add(QStringLiteral("Harbor Lights"), QStringLiteral("Marta Quill"));
    Record *b = add(QStringLiteral("Glasshouse"), QStringLiteral("Juniper"));
    MainWindow &w = window();
    w.show();
    w.setSelection({ a->id() });
    EXPECT_EQ(inspectorHeadline(), QStringLiteral("Harbor Lights"));
    w.setSelection({ a->id(), b->id() });
    EXPECT_EQ(inspectorHeadline(), QStringLiteral("2 Records Selected"));
    w.setSelection({});
    EXPECT_EQ(inspectorHeadline(), QStringLiteral("Collection"));

    // A selected record that is deleted simply drops out.
    w.setSelection({ a->id(), b->id() });
    context.remove(b->id());
    settle();
    EXPECT_EQ(w.selectedRecords().size(), 1);
    EXPECT_EQ(inspectorHeadline(), QStringLiteral("Harbor Lights"));

    QAction *toggle = nullptr;
    for (QAction *action : w.findChildren<QAction *>()) {
        if (action->text() == u"Inspector")
            toggle = action;
    }
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
    EXPECT_FALSE(static_cast<bool>(actions.edit));
    actions.deleteRecords({ a->id() });
    EXPECT_EQ(w.pendingDelete(), QList<QUuid> { a->id() });
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
    EXPECT_TRUE(w.selection().isEmpty()); // empty store

    add(QStringLiteral("Old"), QStringLiteral("A"), 5);
    Record *newest = add(QStringLiteral("New"), QStringLiteral("B"), 0);
    w.applyDebugAction(QStringLiteral("select"));
    EXPECT_EQ(w.selection(), QSet<QUuid> { newest->id() });

    w.applyDebugAction(QStringLiteral("List"));
    EXPECT_EQ(w.viewMode(), ViewMode::grid);
    w.applyDebugAction(QStringLiteral("list"));
    EXPECT_EQ(w.viewMode(), ViewMode::list);
    w.applyDebugAction(std::nullopt);
    EXPECT_EQ(w.selection(), QSet<QUuid> { newest->id() });
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
        for (const Record *record : w.visibleRecords())
            list.append(record->title());
        return list;
    };
    const auto fresh = [&w, this] {
        QStringList list;
        for (const Record *record : visibleRecords(context.records(), w.searchText(), w.sidebar(),
                 w.sortKey(), w.sortAscending(), QDateTime::currentDateTimeUtc()))
            list.append(record->title());
        return list;
    };
    const auto type = [&](const QString &text) {
        w.setSearchText(text);
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
    w.setSidebar(SidebarItem::recent());
    settle();
    EXPECT_EQ(titles(), fresh());
    type(QStringLiteral("h"));
    w.setSort(SortKey::title, false);
    settle();
    EXPECT_EQ(titles(), fresh());
    type(QStringLiteral("ha"));
    EXPECT_EQ(titles(), (QStringList { u"Harmony"_s, u"Ha ha"_s }));
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
    ASSERT_EQ(w.selection().size(), 1);
    EXPECT_EQ(context.record(*w.selection().begin())->title(), QStringLiteral("Added by hand"));
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
