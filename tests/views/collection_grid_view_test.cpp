#include "views/collection_grid_view.h"

#include "collection_view_fixture.h"
#include "paint_log.h"
#include "services/image_cache.h"
#include "test_images.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vorla;
using namespace vorla::test;

namespace {

// Eight records in a grid of four columns.
struct GridFixture : CollectionFixture
{
    CollectionGridView view { &context, &selection };

    GridFixture()
        : CollectionFixture(8)
    {
        view.setCollectionModel(&model);
        view.setActions(calls.actions());
        view.resize(800, 900);
        view.show();
        QCoreApplication::processEvents();
    }
    QPoint tile(int row) const { return view.visualRect(model.index(row, 0)).center(); }
    QPoint emptySpace() const
    {
        return view.visualRect(model.index(7, 0)).bottomRight() + QPoint(15, 15);
    }
    void click(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, tile(row));
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(&view, key, modifiers);
    }
};

} // namespace

TEST(CollectionGridView, ATileShowsItsThumbnailWhenItArrivesRepaintingOnlyItself)
{
    GridFixture f;
    PaintLog log(f.view.viewport());
    // Where each decode was reported: only paints after it can show the image.
    QHash<QString, qsizetype> reportedAt;
    QObject receiver;
    QObject::connect(&ImageCache::shared(), &ImageCache::imageReady, &receiver,
        [&](const QString &key) { reportedAt.insert(key, log.regions.size()); });
    f.records[1]->setCover(encodedImage(64, 64, "PNG", Qt::red));
    f.records[5]->setCover(encodedImage(64, 64, "PNG", Qt::blue));
    const QString red = ImageCache::key(*f.records[1], false);
    const QString blue = ImageCache::key(*f.records[5], false);
    auto coverCentre = [&](int row) {
        const QRect tile = f.view.visualRect(f.model.index(row, 0));
        return tile.topLeft() + QPoint(tile.width() / 2, tile.width() / 2);
    };
    auto repaintedAfter = [&](const QString &key, int row) {
        if (!reportedAt.contains(key))
            return false;
        for (qsizetype i = reportedAt.value(key); i < log.regions.size(); ++i) {
            if (log.regions[i].contains(coverCentre(row)))
                return true;
        }
        return false;
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return repaintedAfter(red, 1) && repaintedAfter(blue, 5); }, 5000));
    const qsizetype firstReport = std::min(reportedAt.value(red), reportedAt.value(blue));
    for (qsizetype i = firstReport; i < log.regions.size(); ++i)
        EXPECT_FALSE(log.regions[i].contains(coverCentre(0))) << "the whole grid was repainted";

    const QImage shown = f.view.viewport()->grab().toImage();
    auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24
            && std::abs(a.blue() - b.blue()) < 24;
    };
    EXPECT_TRUE(near(shown.pixelColor(coverCentre(1)), Qt::red));
    EXPECT_TRUE(near(shown.pixelColor(coverCentre(5)), Qt::blue));
    EXPECT_FALSE(near(shown.pixelColor(coverCentre(0)), Qt::red)); // no cover: the placeholder
}

TEST(CollectionGridView, ANewListStartsDecodingTheCoversInViewBeforeItIsPainted)
{
    GridFixture f;
    f.records[2]->setCover(encodedImage(64, 64, "PNG", Qt::red));
    f.records[6]->setCover(encodedImage(64, 64, "PNG", Qt::blue));
    ImageCache &cache = ImageCache::shared();
    const int before = cache.pendingCount();
    f.context.remove(f.id(0)); // the rows move up in one reset; nothing is painted yet
    EXPECT_EQ(cache.pendingCount(), before + 2);
    cache.waitForDecodes();
    EXPECT_FALSE(cache.image(*f.records[2], false).isNull());
    EXPECT_FALSE(cache.image(*f.records[6], false).isNull());
}

TEST(CollectionGridView, ClicksSelectByTheGridsRules)
{
    GridFixture f;
    ASSERT_EQ(f.view.geometry().columns, 4);
    f.click(0);
    EXPECT_EQ(f.selected(), (QList<int> { 0 }));
    f.click(2, Qt::ControlModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 0, 2 }));
    f.click(5, Qt::ControlModifier);
    f.click(0, Qt::ControlModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 2, 5 }));
    // Shift means nothing here: a plain click.
    f.click(6, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 6 }));

    // A plain click on one tile of several selected leaves only that one.
    f.selection.setIds(f.ids({ 1, 2, 3 }));
    f.click(2);
    EXPECT_EQ(f.selected(), (QList<int> { 2 }));

    // Empty space between or after the tiles clears the selection.
    f.selection.setIds(f.ids({ 1, 2 }));
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::ControlModifier, f.emptySpace());
    EXPECT_TRUE(f.selection.ids().isEmpty());
    EXPECT_TRUE(f.calls.edited.isEmpty());
}

TEST(CollectionGridView, DoubleClickEditsTheClickedRecord)
{
    GridFixture f;
    f.selection.setIds(f.ids({ 0, 1, 2 }));
    // The first click of the double click already selects.
    doubleClick(f.view.viewport(), f.tile(1));
    EXPECT_EQ(f.selected(), (QList<int> { 1 }));
    EXPECT_EQ(f.calls.edited, f.idList({ 1 }));

    doubleClick(f.view.viewport(), f.emptySpace());
    EXPECT_EQ(f.calls.edited, f.idList({ 1 }));
}

TEST(CollectionGridView, RightClickKeepsTheSelectionAndTheMenuActsOnTheRightRecords)
{
    GridFixture f;
    expectMenusActOnTheRightRecords(
        f.view, f, [&f](int row) { return f.tile(row); }, f.emptySpace());
}

TEST(CollectionGridView, KeyboardMovesExtendsEditsAndDeletes)
{
    GridFixture f;
    f.click(1);
    f.key(Qt::Key_Right);
    EXPECT_EQ(f.selected(), (QList<int> { 2 }));
    f.key(Qt::Key_Down);
    EXPECT_EQ(f.selected(), (QList<int> { 6 }));
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.calls.edited, f.idList({ 6 }));
    f.key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 5, 6 }));
    // Return edits only a single record.
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.calls.edited, f.idList({ 6 }));
    f.key(Qt::Key_Delete);
    EXPECT_EQ(f.calls.deleted, f.idList({ 5, 6 }));
}

TEST(CollectionGridView, ShiftRangeStartsAtTheLastClickedTile)
{
    GridFixture f;
    f.click(0);
    f.key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 0, 1 }));
    f.click(4);
    f.key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 4, 5 }));
    f.click(7, Qt::ControlModifier);
    f.key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(f.selected(), (QList<int> { 4, 5, 6, 7 }));
}

TEST(CollectionGridView, DeleteCommandActsOnlyOnVisibleSelectedRecords)
{
    GridFixture f;
    f.view.deleteSelection();
    EXPECT_TRUE(f.calls.deleted.isEmpty());
    f.selection.setIds(f.ids({ 1 }));
    f.model.setRecords({ f.records[0], f.records[2] });
    f.view.deleteSelection();
    EXPECT_TRUE(f.calls.deleted.isEmpty());
    f.selection.setIds(f.ids({ 1, 2, 0 }));
    f.view.deleteSelection();
    EXPECT_EQ(f.calls.deleted, f.idList({ 0, 2 }));
}

TEST(CollectionGridView, ScreenReadersSeeOneItemPerTile)
{
    GridFixture f;
    f.records[2]->setArtist(u"Miles Davis"_s);
    f.records[2]->setYear(1959);
    f.records[2]->setRating(4);
    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(&f.view);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->role(), QAccessible::List);
    EXPECT_EQ(grid->text(QAccessible::Name), u"Records"_s);
    ASSERT_EQ(grid->childCount(), 8);

    QAccessibleInterface *tile = grid->child(2);
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->role(), QAccessible::ListItem);
    EXPECT_EQ(tile->text(QAccessible::Name), u"Record 2, Miles Davis"_s);
    EXPECT_EQ(tile->text(QAccessible::Description), u"1959, 4 of 5 stars"_s);
    EXPECT_EQ(grid->child(0)->text(QAccessible::Name), u"Record 0, Unknown Artist"_s);
    EXPECT_EQ(tile->parent(), grid);
    EXPECT_EQ(grid->child(2), tile);
    EXPECT_EQ(grid->indexOfChild(tile), 2);
    EXPECT_EQ(grid->childAt(tile->rect().center().x(), tile->rect().center().y()), tile);
    EXPECT_EQ(tile->rect().size(), f.view.visualRect(f.model.index(2, 0)).size());

    f.click(2);
    EXPECT_TRUE(tile->state().selected);
    EXPECT_FALSE(grid->child(1)->state().selected);

    // Fewer records: the items follow the rows.
    f.model.setRecords({ f.records[2], f.records[5] });
    ASSERT_EQ(grid->childCount(), 2);
    EXPECT_EQ(grid->child(1)->text(QAccessible::Name), u"Record 5, Unknown Artist"_s);
    EXPECT_EQ(grid->child(2), nullptr);
}
