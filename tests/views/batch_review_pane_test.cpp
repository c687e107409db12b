#include "views/batch_sheet_fixture.h"

#include "views/batch_item_row.h"
#include "views/components/cover_views.h"

#include <QAbstractScrollArea>
#include <QBuffer>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace vorla;
using namespace vorla::test;
using Answer = ScriptedSources::Answer;
using Status = BatchItem::Status;
using Filter = BatchReview::Filter;

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

// Lines "Line 0", "Line 1", …; the status of each from its index.
QList<BatchItem> numberedItems(int count, Status (*status)(int index))
{
    QList<BatchItem> items;
    for (int i = 0; i < count; ++i) {
        BatchItem item;
        item.line = QStringLiteral("Line %1").arg(i);
        item.query = ReleaseQuery::parse(item.line);
        item.status = status(i);
        if (item.status.kind == Status::Kind::matched
            || item.status.kind == Status::Kind::needsReview) {
            ReleaseCandidate pressing = candidate(QString::number(i),
                QStringLiteral("Artist %1").arg(i), QStringLiteral("Album %1").arg(i));
            pressing.thumbnailURL = QUrl(QStringLiteral("https://example.com/%1.png").arg(i));
            item.candidates = { pressing };
            item.chosenID = pressing.id();
        }
        items.append(item);
    }
    return items;
}

QAbstractScrollArea *listOf(BatchReviewPane &review)
{
    return review.findChild<QAbstractScrollArea *>(QStringLiteral("list"));
}

// The row widgets in sight, top to bottom.
QList<BatchItemRow *> rowsInSight(BatchReviewPane &review)
{
    QWidget *viewport = listOf(review)->viewport();
    QList<BatchItemRow *> rows;
    for (BatchItemRow *row : viewport->findChildren<BatchItemRow *>()) {
        if (row->isVisibleTo(viewport) && row->geometry().intersects(viewport->rect()))
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end(),
        [](const BatchItemRow *a, const BatchItemRow *b) { return a->y() < b->y(); });
    return rows;
}

// The rows in sight follow one another without gaps, each in its item's place in the
// filtered list and showing that item: its line, pressings and cover.
void expectRowsShowTheirItems(BatchReviewPane &review, const BatchMatcher &matcher)
{
    const QList<QUuid> ids = review.filteredIDs();
    const QList<BatchItemRow *> rows = rowsInSight(review);
    ASSERT_FALSE(rows.isEmpty());
    const qsizetype first = ids.indexOf(rows.first()->id());
    ASSERT_GE(first, 0);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        BatchItemRow *row = rows.at(i);
        SCOPED_TRACE(row->findChild<QLabel *>(u8("line"))->text().toStdString());
        ASSERT_EQ(row->id(), ids.value(first + i));
        if (i > 0) {
            EXPECT_EQ(row->y(), rows.at(i - 1)->geometry().bottom() + 1);
        }
        const BatchItem *item = matcher.item(row->id());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(row->findChild<QLabel *>(u8("line"))->text(), item->line);
        auto *picker = row->findChild<QComboBox *>(u8("picker"));
        EXPECT_EQ(picker->isVisibleTo(row), !item->candidates.isEmpty());
        if (!item->candidates.isEmpty()) {
            EXPECT_EQ(picker->currentData().toString(), item->candidates.first().id());
        }
        EXPECT_EQ(row->findChild<DataCover *>(u8("thumbnail"))->seed(),
            item->candidates.isEmpty()
                ? item->line
                : item->candidates.first().artist + item->candidates.first().title);
    }
}

QByteArray solidPNG(const QColor &color)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QColor centreOf(QWidget *widget)
{
    return widget->grab().toImage().pixelColor(widget->width() / 2, widget->height() / 2);
}

} // namespace

TEST_F(BatchSheetTest, FiltersCountAndTallyTheList)
{
    matcher.setItems({ item("one", Status::matched()), added("two"),
        item("three", Status::needsReview()), item("four", Status::failed(u8("Offline"))),
        item("five", Status::pending()) });
    ASSERT_TRUE(sheet().isShowingReview());
    EXPECT_EQ(text(&review(), "summary"),
        u8("1 matched \u00b7 2 to review \u00b7 0 not found \u00b7 1 added automatically"));
    EXPECT_EQ(filterTitles(),
        (QStringList { u8("All (5)"), u8("Added (1)"), u8("Needs Review (2)"), u8("Not Found (0)"),
            u8("Matched (1)") }));

    const struct
    {
        Filter filter;
        QStringList lines;
    } cases[] = {
        { Filter::all, { u8("one"), u8("two"), u8("three"), u8("four"), u8("five") } },
        { Filter::added, { u8("two") } },
        { Filter::review, { u8("three"), u8("four") } },
        { Filter::notFound, {} },
        { Filter::matched, { u8("one") } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(BatchReview::title(c.filter).toStdString());
        find<QAbstractButton>(&review(), QStringLiteral("filter%1").arg(int(c.filter)).toLatin1().constData())
            ->click();
        EXPECT_EQ(review().filter(), c.filter);
        QStringList shown;
        for (const BatchItem &i : matcher.items()) {
            if (review().isShown(i.id))
                shown.append(i.line);
        }
        EXPECT_EQ(shown, c.lines);
        EXPECT_EQ(find<QWidget>(&review(), "emptyState")->isVisibleTo(&review()), c.lines.isEmpty());
    }

    matcher.setItems({ item("a", Status::notFound()), item("b", Status::notFound()),
        item("c", Status::notFound()) });
    EXPECT_EQ(text(&review(), "summary"), u8("0 matched \u00b7 0 to review \u00b7 3 not found"));
}

TEST_F(BatchSheetTest, AnEmptyFilterWhilePhotoIsReadSaysSo)
{
    analyzer.answer(u8("shelf.jpg"), { {}, std::nullopt, true });
    matcher.setItems({ item("one", Status::matched()) });
    sheet();
    review().setFilter(Filter::notFound);
    matcher.enqueue({ photo("shelf.jpg") }, PhotoLayout::automatic);
    ASSERT_TRUE(analyzer.waitUntilWaiting());
    ASSERT_TRUE(QTest::qWaitFor([this] { return matcher.analyzingPhoto().has_value(); }));
    EXPECT_TRUE(find<QWidget>(&review(), "lookingForRecords")->isVisibleTo(&review()));
    EXPECT_FALSE(find<QWidget>(&review(), "emptyState")->isVisibleTo(&review()));
    EXPECT_EQ(text(&review(), "readingPhoto"), u8("Reading shelf.jpg…"));
    EXPECT_FALSE(find<QWidget>(&review(), "summary")->isVisibleTo(&review()));
    analyzer.release();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(find<QWidget>(&review(), "emptyState")->isVisibleTo(&review()));
}

TEST_F(BatchSheetTest, ProgressShowsSettledItemsOfAllWhileMatching)
{
    typed.answer(u8("q:next"), Answer::found({}).waiting());
    QList<BatchItem> items;
    for (int i = 0; i < 3; ++i)
        items.append(item("done", Status::notFound()));
    items.append(item("next", Status::pending()));
    for (int i = 0; i < 6; ++i)
        items.append(item("later", Status::pending()));
    matcher.setItems(items);
    sheet();
    matcher.retry(items.at(3).id);
    ASSERT_TRUE(typed.waitUntilWaiting(1));
    auto *bar = find<QProgressBar>(&review(), "progress");
    EXPECT_TRUE(bar->isVisibleTo(&review()));
    EXPECT_DOUBLE_EQ(double(bar->value()) / bar->maximum(), 0.3);
    EXPECT_EQ(text(&review(), "matchingText"), u8("Matching 3 of 10…"));
    matcher.clear();
}

TEST_F(BatchSheetTest, RowEditsChangeOnlyTheirFieldAndKeepTheWorkersState)
{
    const ReleaseCandidate first = candidate(u8("1"), u8("Ana Lua"), u8("Low Harbour"));
    const ReleaseCandidate second = candidate(u8("2"), u8("Ana Lua"), u8("Low Harbour"));
    typed.answer(u8("q:Ana Lua Low Harbour"), Answer::found({ first, second }).waiting());
    matcher.setItems({ item("Ana Lua - Low Harbour", Status::needsReview(), true, { first, second }) });
    const QUuid id = matcher.items().first().id;
    sheet();
    matcher.retry(id);
    ASSERT_TRUE(typed.waitUntilWaiting(1));
    ASSERT_EQ(matcher.item(id)->status, Status::searching());

    // The user picks the second pressing while the worker searches again.
    auto *picker = find<QComboBox>(review().row(id), "picker");
    picker->setCurrentIndex(1);
    emit picker->activated(1);
    EXPECT_EQ(matcher.item(id)->chosenID, second.id());
    EXPECT_EQ(matcher.item(id)->status, Status::searching());

    typed.release();
    ASSERT_TRUE(waitUntilIdle());
    // The worker's verdict stands; the row shows it.
    EXPECT_TRUE(matcher.item(id)->isDone());
    EXPECT_NE(matcher.item(id)->status, Status::searching());
    auto *include = find<QAbstractButton>(review().row(id), "include");
    EXPECT_TRUE(include->isEnabled());
    include->click();
    EXPECT_FALSE(matcher.item(id)->include);
    EXPECT_TRUE(matcher.item(id)->isDone());
}

TEST_F(BatchSheetTest, DeletingUnderAFilterRemovesTheRowShown)
{
    matcher.setItems({ item("m1", Status::matched()), item("r1", Status::needsReview()),
        item("m2", Status::matched()), item("r2", Status::failed(u8("Offline"))) });
    sheet();
    review().setFilter(Filter::review);
    review().removeRows({ 1 });
    EXPECT_EQ(itemLines(), (QStringList { u8("m1"), u8("r1"), u8("m2") }));
    review().removeRows({ 5, -1 });
    EXPECT_EQ(matcher.items().size(), 3);
    // The Delete key on a row takes that row off.
    QTest::keyClick(review().row(matcher.items().at(1).id), Qt::Key_Delete);
    EXPECT_EQ(itemLines(), (QStringList { u8("m1"), u8("m2") }));
    // The last removal leaves no work: the input screen shows.
    review().setFilter(Filter::all);
    review().removeRows({ 0, 1 });
    EXPECT_FALSE(sheet().isShowingReview());
}

TEST_F(BatchSheetTest, ClearVariants)
{
    typed.answer(u8("q:busy"), Answer::found({}).waiting());
    matcher.setItems({ item("included", Status::matched()), item("excluded", Status::matched(), false),
        added("automatic"), item("busy", Status::pending()) });
    matcher.setLocation(u8("Shelf B"));
    matcher.setMediaCondition(Grading::nearMint);
    sheet();
    matcher.retry(matcher.items().at(3).id);
    ASSERT_TRUE(typed.waitUntilWaiting(1));

    review().clearAddedAndSkipped();
    EXPECT_EQ(itemLines(), (QStringList { u8("included"), u8("busy") }));
    review().clearAddedAndSkipped();
    EXPECT_EQ(itemLines(), (QStringList { u8("included"), u8("busy") }));

    review().clearEverything();
    EXPECT_TRUE(matcher.items().isEmpty());
    EXPECT_FALSE(matcher.isRunning());
    EXPECT_FALSE(sheet().isShowingReview());
    EXPECT_TRUE(sheet().isVisible());
    EXPECT_EQ(matcher.location(), u8("Shelf B"));
    EXPECT_EQ(matcher.mediaCondition(), Grading::nearMint);
}

TEST_F(BatchSheetTest, AddingStoresTheIncludedItemsWithTheSharedValues)
{
    openStore();
    analyzer.answer(u8("later.jpg"), { {}, std::nullopt, true });
    matcher.setItems({ item("Ana Lua - Low Harbour", Status::matched(), true,
                           { candidate(u8("1"), u8("Ana Lua"), u8("Low Harbour")) }),
        item("Gulls - Ferries", Status::notFound()), item("skipped", Status::notFound(), false),
        item("waiting", Status::pending()) });
    sheet();
    auto *add = find<QPushButton>(&review(), "add");
    EXPECT_EQ(add->text(), u8("Add 2 Records"));
    find<QLineEdit>(&review(), "location")->setText(u8("Shelf A"));
    emit find<QLineEdit>(&review(), "location")->textEdited(u8("Shelf A"));
    auto *media = find<QComboBox>(&review(), "media");
    media->setCurrentIndex(media->findText(u8("VG+")));
    emit media->activated(media->currentIndex());
    EXPECT_EQ(matcher.location(), u8("Shelf A"));
    EXPECT_EQ(matcher.mediaCondition(), Grading::veryGoodPlus);

    matcher.enqueue({ photo("later.jpg") }, PhotoLayout::automatic);
    ASSERT_TRUE(analyzer.waitUntilWaiting());
    add->click();
    EXPECT_EQ(storedCount(), 2);
    SQLite::Database db = peer();
    SQLite::Statement rows(db, "SELECT title, location, mediaConditionRaw FROM records ORDER BY title");
    QStringList stored;
    while (rows.executeStep())
        stored.append(QString::fromStdString(rows.getColumn(0).getString() + "|"
            + rows.getColumn(1).getString() + "|" + rows.getColumn(2).getString()));
    EXPECT_EQ(stored, (QStringList { u8("Ferries|Shelf A|VG+"), u8("Low Harbour|Shelf A|VG+") }));
    EXPECT_EQ(itemLines(), (QStringList { u8("skipped"), u8("waiting") }));
    EXPECT_TRUE(sheet().isVisible());
    EXPECT_EQ(text(&review(), "addedMessage"),
        u8("Added 2 records. Artwork and tracklists are downloading in the background."));
    EXPECT_EQ(add->text(), u8("Add 0 Records"));
    EXPECT_FALSE(add->isEnabled());
    analyzer.release();
    ASSERT_TRUE(waitUntilIdle());
}

TEST_F(BatchSheetTest, AddingTheLastItemsClosesTheSheet)
{
    openStore();
    matcher.setItems({ item("Gulls - Ferries", Status::notFound()) });
    sheet();
    EXPECT_EQ(buttonText(&review(), "add"), u8("Add 1 Record"));
    EXPECT_EQ(sheet().addIncluded(), 1);
    EXPECT_EQ(storedCount(), 1);
    EXPECT_FALSE(sheet().isVisible());
    EXPECT_EQ(sheet().result(), QDialog::Accepted);
}

TEST_F(BatchSheetTest, UndoDeletesTheAddedRecordAndSendsTheItemBackToReview)
{
    ModelContext &store = openStore();
    auto record = std::make_unique<Record>();
    record->setTitle(u8("Low Harbour"));
    const QUuid recordID = store.insert(std::move(record))->id();
    store.save();
    ASSERT_EQ(storedCount(), 1);
    matcher.setItems({ added("Low Harbour", recordID) });
    const QUuid id = matcher.items().first().id;
    sheet();
    BatchItemRow *row = review().row(id);
    EXPECT_FALSE(find<QWidget>(row, "include")->isEnabled());
    EXPECT_FALSE(find<QWidget>(row, "picker")->isVisibleTo(row));
    find<QAbstractButton>(row, "undo")->click();
    EXPECT_EQ(storedCount(), 0);
    EXPECT_EQ(matcher.item(id)->status, Status::needsReview());
    EXPECT_FALSE(matcher.item(id)->include);
    EXPECT_FALSE(find<QWidget>(row, "undo")->isVisibleTo(row));
    EXPECT_TRUE(find<QWidget>(row, "picker")->isVisibleTo(row));
    EXPECT_EQ(filterTitles().at(1), u8("Added (0)"));
}

TEST_F(BatchSheetTest, ALongListScrolledToItsEndShowsTheLastItems)
{
    matcher.setItems(numberedItems(
        300, [](int i) { return i % 2 == 0 ? Status::matched() : Status::notFound(); }));
    sheet();
    QApplication::processEvents();
    QAbstractScrollArea *list = listOf(review());
    // Only the rows in sight have widgets.
    EXPECT_LT(list->viewport()->findChildren<BatchItemRow *>().size(), 40);
    expectRowsShowTheirItems(review(), matcher);
    EXPECT_EQ(rowsInSight(review()).first()->y(), 0);

    QScrollBar *bar = list->verticalScrollBar();
    for (int value = 0; value < bar->maximum(); value += 500)
        bar->setValue(value);
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    expectRowsShowTheirItems(review(), matcher);
    const QList<BatchItemRow *> rows = rowsInSight(review());
    EXPECT_EQ(rows.last()->id(), matcher.items().last().id);
    EXPECT_EQ(rows.last()->geometry().bottom(), list->viewport()->height() - 1);

    // Back at the top, recycled rows show the first items again.
    BatchItemRow *first = review().row(matcher.items().first().id);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->y(), 0);
    expectRowsShowTheirItems(review(), matcher);
}

TEST_F(BatchSheetTest, AFilterChangeWithRowsScrolledOffKeepsCountsAndDeletesTheRowShown)
{
    matcher.setItems(numberedItems(
        120, [](int i) { return i % 3 == 0 ? Status::needsReview() : Status::matched(); }));
    sheet().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet()));
    find<QWidget>(review().row(matcher.items().at(1).id), "include")->setFocus();
    ASSERT_NE(review().row(matcher.items().last().id), nullptr);
    review().setFilter(Filter::review);
    // The focused line, scrolled off, is filtered out: the row widgets shown again have no focus.
    for (BatchItemRow *row : listOf(review())->viewport()->findChildren<BatchItemRow *>())
        EXPECT_FALSE(row->isAncestorOf(QApplication::focusWidget())) << row->id().toString().toStdString();
    EXPECT_EQ(filterTitles(),
        (QStringList { u8("All (120)"), u8("Added (0)"), u8("Needs Review (40)"),
            u8("Not Found (0)"), u8("Matched (80)") }));
    EXPECT_EQ(review().filteredIDs().size(), 40);
    expectRowsShowTheirItems(review(), matcher);

    const QUuid lastShown = review().filteredIDs().last();
    EXPECT_EQ(review().filteredIDs().indexOf(lastShown), 39);
    QTest::keyClick(review().row(lastShown), Qt::Key_Delete);
    EXPECT_EQ(matcher.item(lastShown), nullptr);
    EXPECT_EQ(matcher.items().size(), 119);
    EXPECT_EQ(filterTitles().at(2), u8("Needs Review (39)"));
    EXPECT_FALSE(review().isShown(lastShown));
    expectRowsShowTheirItems(review(), matcher);
    // Rows the filter hides are none of the rows in sight.
    for (const BatchItem &i : matcher.items())
        EXPECT_EQ(review().isShown(i.id), i.status.kind == Kind::needsReview)
            << i.line.toStdString();

    review().setFilter(Filter::all);
    expectRowsShowTheirItems(review(), matcher);
    EXPECT_EQ(review().row(matcher.items().first().id)->y(), 0);
    expectRowsShowTheirItems(review(), matcher);
}

TEST_F(BatchSheetTest, ARecycledRowShowsItsNewItemsThumbnailNotALateOne)
{
    matcher.setItems(numberedItems(80, [](int) { return Status::matched(); }));
    const QUrl slow = matcher.items().first().candidates.first().thumbnailURL.value();
    const QByteArray red = solidPNG(Qt::red);
    const QByteArray blue = solidPNG(Qt::blue);
    const QUrl second = matcher.items().at(1).candidates.first().thumbnailURL.value();
    std::atomic<bool> released = false;
    std::atomic<int> secondFetches = 0;
    QThreadPool pool;
    // The first item's download answers only after its row was recycled.
    const auto fetch = [&](const QUrl &url, std::stop_token) {
        if (url == second)
            ++secondFetches;
        if (url != slow)
            return blue;
        while (!released)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return red;
    };
    struct Release
    {
        std::atomic<bool> &flag;
        ~Release() { flag = true; }
    } release { released };

    BatchReviewPane pane(&matcher, fetch, &pool);
    pane.resize(900, 500);
    pane.show();
    BatchItemRow *first = pane.row(matcher.items().first().id);
    ASSERT_NE(first, nullptr);
    auto *secondCover = pane.row(matcher.items().at(1).id)->findChild<DataCover *>(u8("thumbnail"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return centreOf(secondCover) == QColor(Qt::blue); }));
    ASSERT_NE(pane.row(matcher.items().last().id), nullptr);
    EXPECT_NE(first->id(), matcher.items().first().id);
    released = true;
    pool.waitForDone();
    QApplication::processEvents();
    QApplication::processEvents();
    // Covers are decoded off the GUI thread: the rows show theirs once decoding is over.
    const auto decoded = [&pane] {
        for (BatchItemRow *row : rowsInSight(pane)) {
            if (row->findChild<DataCover *>(u8("thumbnail"))->isDecoding())
                return false;
        }
        return true;
    };
    ASSERT_TRUE(QTest::qWaitFor(decoded));
    expectRowsShowTheirItems(pane, matcher);
    for (BatchItemRow *row : rowsInSight(pane))
        EXPECT_EQ(centreOf(row->findChild<DataCover *>(u8("thumbnail"))), QColor(Qt::blue));

    // Back in sight, a cover downloaded before shows without a second download.
    BatchItemRow *again = pane.row(matcher.items().at(1).id);
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(QTest::qWaitFor(decoded));
    EXPECT_EQ(centreOf(again->findChild<DataCover *>(u8("thumbnail"))), QColor(Qt::blue));
    pool.waitForDone();
    EXPECT_EQ(secondFetches, 1);
}

TEST_F(BatchSheetTest, TabMovesThroughTheRowsInListOrder)
{
    matcher.setItems(numberedItems(50, [](int) { return Status::notFound(); }));
    sheet().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet()));
    const QList<BatchItem> &items = matcher.items();
    find<QWidget>(review().row(items.first().id), "include")->setFocus();
    const auto focusedRow = [] {
        for (QWidget *widget = QApplication::focusWidget(); widget;
             widget = widget->parentWidget()) {
            if (auto *row = qobject_cast<BatchItemRow *>(widget))
                return row;
        }
        return static_cast<BatchItemRow *>(nullptr);
    };
    for (qsizetype i = 1; i < items.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(focusedRow(), nullptr) << i;
        ASSERT_EQ(focusedRow()->id(), items.at(i).id) << i;
        EXPECT_TRUE(rowsInSight(review()).contains(focusedRow())) << i;
    }
    // Past the last row the focus leaves the list, and comes back to it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focusedRow(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_NE(focusedRow(), nullptr);
    EXPECT_EQ(focusedRow()->id(), items.last().id);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_NE(focusedRow(), nullptr);
    EXPECT_EQ(focusedRow()->id(), items.at(items.size() - 2).id);
}
