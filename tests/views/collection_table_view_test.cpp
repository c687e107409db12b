#include "views/collection_table_view.h"
#include "views/browsing_state.h"

#include "collection_view_fixture.h"
#include "isolated_settings.h"

#include "app/app_settings.h"
#include "app/app_state.h"
#include "app/metadata_refresher.h"
#include "views/main_window.h"

#include <QHeaderView>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;
using namespace vorla::test;

namespace {

struct TableFixture : CollectionFixture
{
    CollectionTableView view { &context, &selection };

    TableFixture()
        : CollectionFixture(8)
    {
        view.setCollectionModel(&model);
        view.setActions(calls.actions());
        view.resize(1200, 500);
        view.show();
        QCoreApplication::processEvents();
    }
    QPoint row(int row) const
    {
        return view.visualRect(model.index(row, CollectionModel::title)).center();
    }
    QPoint belowLastRow() const { return row(7) + QPoint(0, 80); }
    void click(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, this->row(row));
    }
    // Longer than a double click takes.
    void pause() { QTest::qWait(QApplication::doubleClickInterval() + 100); }
};

void clickHeader(QHeaderView *header, int section)
{
    const QPoint centre(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

struct ColumnsFixture : TableFixture
{
    void showAt(int width)
    {
        view.resize(width, 400);
        QCoreApplication::processEvents();
    }
    int size(int column) const { return view.horizontalHeader()->sectionSize(column); }
    int total() const
    {
        int sum = 0;
        for (int column = 0; column < CollectionModel::kColumns; ++column)
            sum += size(column);
        return sum;
    }
};

} // namespace

TEST(CollectionTableView, ClicksSelectByTheTablesRules)
{
    TableFixture f;
    f.click(5);
    f.click(5, Qt::ControlModifier);
    EXPECT_TRUE(f.selected().isEmpty());
    f.click(0);
    EXPECT_EQ(f.selected(), (QList<int> { 0 }));
    f.click(2, Qt::ControlModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 0, 2 }));
    // Shift extends from the last clicked row and keeps what was selected before.
    f.click(4, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 0, 2, 3, 4 }));
    f.click(6, Qt::ControlModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 0, 2, 3, 4, 6 }));

    // A plain click on a row of the selection narrows it only once no double click follows.
    f.click(3);
    EXPECT_EQ(f.selected(), (QList<int> { 0, 2, 3, 4, 6 }));
    f.pause();
    EXPECT_EQ(f.selected(), (QList<int> { 3 }));

    // Empty space below the rows: a plain click clears, a modified one leaves it.
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::ControlModifier, f.belowLastRow());
    EXPECT_EQ(f.selected(), (QList<int> { 3 }));
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, {}, f.belowLastRow());
    EXPECT_TRUE(f.selection.ids().isEmpty());
}

TEST(CollectionTableView, ShiftRangeStartsAtTheLastPlainClick)
{
    TableFixture f;
    f.click(1);
    f.click(3, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 1, 2, 3 }));
    f.pause();
    f.click(5);
    f.click(6, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 5, 6 }));

    f.pause();
    f.click(2);
    QTest::keyClick(&f.view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 2, 3 }));
    f.pause();
    f.click(0);
    QTest::keyClick(&f.view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 0, 1 }));
}

TEST(CollectionTableView, DoubleClickEditsOnlyASingleRecord)
{
    TableFixture f;
    f.selection.setIds(f.ids({ 1, 2, 3 }));
    doubleClick(f.view.viewport(), f.row(2));
    f.pause();
    EXPECT_TRUE(f.calls.edited.isEmpty());
    EXPECT_EQ(f.selected(), (QList<int> { 1, 2, 3 }));

    // On a row outside the selection the first click selects it and the double click edits it.
    doubleClick(f.view.viewport(), f.row(5));
    EXPECT_EQ(f.selected(), (QList<int> { 5 }));
    EXPECT_EQ(f.calls.edited, f.idList({ 5 }));

    doubleClick(f.view.viewport(), f.belowLastRow());
    EXPECT_EQ(f.calls.edited, f.idList({ 5 }));
}

TEST(CollectionTableView, KeyboardEditsOneAndDeletesTheSelection)
{
    TableFixture f;
    f.click(1);
    QTest::keyClick(&f.view, Qt::Key_Down);
    EXPECT_EQ(f.selected(), (QList<int> { 2 }));
    QTest::keyClick(&f.view, Qt::Key_Return);
    EXPECT_EQ(f.calls.edited, f.idList({ 2 }));
    QTest::keyClick(&f.view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&f.view, Qt::Key_Return);
    EXPECT_EQ(f.calls.edited, f.idList({ 2 }));
    QTest::keyClick(&f.view, Qt::Key_Delete);
    EXPECT_EQ(f.calls.deleted, f.idList({ 2, 3 }));
}

TEST(CollectionTableView, RightClickKeepsTheSelectionAndTheMenuActsOnTheRightRecords)
{
    TableFixture f;
    expectMenusActOnTheRightRecords(
        f.view, f, [&f](int row) { return f.row(row); }, f.belowLastRow());
}

TEST(CollectionTableView, HeaderClicksAskForTheSortAndShowIt)
{
    TableFixture f;
    QSignalSpy requested(&f.view, &CollectionTableView::sortRequested);
    QHeaderView *header = f.view.horizontalHeader();
    f.view.showSort(SortKey::artist, true);

    clickHeader(header, CollectionModel::year);
    clickHeader(header, CollectionModel::year);
    clickHeader(header, CollectionModel::rating);
    const std::pair<SortKey, bool> expected[]
        = { { SortKey::year, true }, { SortKey::year, false }, { SortKey::rating, true } };
    ASSERT_EQ(requested.count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(requested[i][0].value<SortKey>(), expected[i].first);
        EXPECT_EQ(requested[i][1].toBool(), expected[i].second);
    }

    // Columns without a sort value change nothing, not even the indicator.
    for (int column : { int(CollectionModel::cover), int(CollectionModel::catalogNumber),
             int(CollectionModel::format), int(CollectionModel::condition) }) {
        SCOPED_TRACE(column);
        clickHeader(header, column);
        EXPECT_EQ(requested.count(), 3);
        EXPECT_EQ(header->sortIndicatorSection(), int(CollectionModel::rating));
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    }
}

TEST(CollectionTableView, HeaderSortIsKeptInTheSettingsForTheNextWindow)
{
    IsolatedSettings isolatedSettings;
    ModelContext context;
    AppState appState;
    MetadataRefresher refresher { [] { return MetadataRefresher::Lookup(); } };
    for (const std::optional<int> year :
        { std::optional<int>(1975), std::optional<int>(), std::optional<int>(1962) }) {
        auto record = std::make_unique<Record>();
        record->setTitle(year ? QString::number(*year) : QStringLiteral("no year"));
        record->setYear(year);
        context.insert(std::move(record));
    }
    {
        MainWindow window(&context, &appState, &refresher);
        window.setViewMode(ViewMode::list);
        window.show();
        QCoreApplication::processEvents();
        auto *table = static_cast<CollectionTableView *>(window.tableView());
        clickHeader(table->horizontalHeader(), CollectionModel::year);
        QCoreApplication::processEvents();
        EXPECT_EQ(AppSettings::shared().sortKey(), SortKey::year);
        EXPECT_TRUE(AppSettings::shared().sortAscending());
        EXPECT_EQ(QSettings().value(QStringLiteral("sortKey")).toString(), QStringLiteral("year"));
        // Without a year a record sorts as year 0, so first.
        QStringList titles;
        for (const Record *record : window.browsingState()->visibleRecords())
            titles.append(record->title());
        EXPECT_EQ(titles, (QStringList { u"no year"_s, u"1962"_s, u"1975"_s }));

        clickHeader(table->horizontalHeader(), CollectionModel::year);
        QCoreApplication::processEvents();
        EXPECT_FALSE(QSettings().value(QStringLiteral("sortAscending")).toBool());
        EXPECT_EQ(window.browsingState()->visibleRecords().first()->title(), QStringLiteral("1975"));
    }
    MainWindow next(&context, &appState, &refresher);
    QHeaderView *header = static_cast<CollectionTableView *>(next.tableView())->horizontalHeader();
    EXPECT_EQ(header->sortIndicatorSection(), int(CollectionModel::year));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(next.browsingState()->visibleRecords().first()->title(), QStringLiteral("1975"));
}

TEST(CollectionTableView, ColumnsShareTheWidthBetweenMinimumAndIdeal)
{
    const struct { int width; int artist; int title; bool scrolls; } cases[] = {
        // Narrower than every minimum together: minimums, and the view scrolls sideways.
        {600, 120, 140, true},
        // Between: each flexible column between its minimum and its ideal, no gap, no scroll.
        {960, 150, 180, false},
        // Wider than every ideal together: the flexible columns grow and fill the row.
        {1400, 0, 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width);
        ColumnsFixture table;
        table.showAt(c.width);
        const int viewport = table.view.viewport()->width();
        EXPECT_EQ(table.size(0), 36);
        EXPECT_EQ(table.size(3), 50);
        EXPECT_EQ(table.size(9), 90);
        if (c.scrolls) {
            EXPECT_EQ(table.size(1), c.artist);
            EXPECT_EQ(table.size(2), c.title);
            EXPECT_GT(table.total(), viewport);
        } else {
            EXPECT_EQ(table.total(), viewport);
            EXPECT_GE(table.size(1), 120);
            EXPECT_GE(table.size(2), 140);
            if (c.artist) {
                EXPECT_LE(table.size(1), 180);
                EXPECT_LE(table.size(2), 220);
            } else {
                EXPECT_GT(table.size(1), 180);
                EXPECT_GT(table.size(2), 220);
            }
        }
    }
}

TEST(CollectionTableView, ColumnsDraggedWidthIsKeptWhenTheViewResizes)
{
    ColumnsFixture table;
    table.showAt(1000);
    table.view.horizontalHeader()->resizeSection(1, 300);
    table.showAt(1200);
    EXPECT_EQ(table.size(1), 300);
    EXPECT_EQ(table.total(), table.view.viewport()->width());
}
