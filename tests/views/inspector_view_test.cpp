#include "views/inspector_view.h"

#include "gated_lookup.h"
#include "library_fixture.h"

#include "views/collection_statistics_view.h"
#include "views/multi_selection_view.h"
#include "views/record_detail_view.h"

#include <QLabel>
#include <QPushButton>

using namespace vorla;
using namespace vorla::test;

namespace {

class InspectorTest : public LibraryTest
{
protected:
    GatedLookup lookup;
    InspectorView inspector { context.get(), settings, calls.actions(), lookup.factory() };

    Record *addAt(const QString &title, int daysAgo)
    {
        Record *record = add(title);
        record->setDateAdded(QDateTime::currentDateTimeUtc().addDays(-daysAgo));
        return record;
    }
};

} // namespace

TEST_F(InspectorTest, ShowsDetailForOneSelectedRecordMultiForSeveralStatisticsForNone)
{
    Record *older = addAt(QStringLiteral("Older"), 3);
    Record *newer = addAt(QStringLiteral("Newer"), 1);
    EXPECT_EQ(inspector.page(), InspectorView::Page::statistics);

    inspector.setSelection({ older->id() });
    ASSERT_EQ(inspector.page(), InspectorView::Page::detail);
    EXPECT_EQ(inspector.currentWidget(), inspector.detailView());
    EXPECT_EQ(inspector.detailView()->recordID(), older->id());

    inspector.setSelection({ older->id(), newer->id() });
    ASSERT_EQ(inspector.page(), InspectorView::Page::multiSelection);
    // Newest first, so the newest is on top of the stack.
    EXPECT_EQ(
        inspector.multiSelectionView()->records(), (QList<QUuid> { newer->id(), older->id() }));
    EXPECT_EQ(inspector.detailView(), nullptr);

    inspector.setSelection({});
    EXPECT_EQ(inspector.page(), InspectorView::Page::statistics);
    EXPECT_EQ(inspector.currentWidget(), inspector.statisticsView());
}

TEST_F(InspectorTest, StaleIdsAreIgnoredAndDeletionsFollowed)
{
    Record *kept = add(QStringLiteral("Kept"));
    Record *removed = add(QStringLiteral("Removed"));
    inspector.setSelection({ kept->id(), QUuid::createUuid() });
    EXPECT_EQ(inspector.page(), InspectorView::Page::detail);

    inspector.setSelection({ kept->id(), removed->id() });
    EXPECT_EQ(inspector.page(), InspectorView::Page::multiSelection);
    context->remove(removed->id());
    EXPECT_EQ(inspector.page(), InspectorView::Page::detail);
    context->remove(kept->id());
    EXPECT_EQ(inspector.page(), InspectorView::Page::statistics);
}

TEST_F(InspectorTest, ANewRecordStartsAFreshDetailView)
{
    Record *first = add(QStringLiteral("First"));
    Record *second = add(QStringLiteral("Second"));
    first->setBarcode(QStringLiteral("1"));
    lookup.answer(std::nullopt);
    lookup.open();
    inspector.setSelection({ first->id() });
    RecordDetailView *view = inspector.detailView();
    view->refresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->refreshError().has_value(); }, 5000));
    // The same record again keeps the view and its error line.
    inspector.setSelection({ first->id(), QUuid::createUuid() });
    EXPECT_EQ(inspector.detailView(), view);
    inspector.setSelection({ second->id() });
    ASSERT_NE(inspector.detailView(), nullptr);
    EXPECT_EQ(inspector.detailView()->recordID(), second->id());
    EXPECT_EQ(inspector.detailView()->refreshError(), std::nullopt);
}

TEST_F(InspectorTest, MultiSelectionActsOnAllSelectedRecords)
{
    QList<QUuid> ids;
    for (int i = 0; i < 10; ++i) {
        Record *record = addAt(QStringLiteral("R%1").arg(i), i);
        record->setIsFavorite(i % 2 == 0);
        ids.append(record->id());
    }
    inspector.setSelection(QSet<QUuid>(ids.begin(), ids.end()));
    MultiSelectionView *view = inspector.multiSelectionView();
    EXPECT_EQ(view->findChild<QLabel *>(QStringLiteral("selectionCount"))->text(),
        QStringLiteral("10 records selected"));
    EXPECT_EQ(view->findChild<CoverStack *>(QStringLiteral("coverStack"))->shown(), ids.mid(0, 3));

    view->findChild<QPushButton *>(QStringLiteral("favoritesButton"))->click();
    for (const QUuid &id : ids)
        EXPECT_TRUE(context->record(id)->isFavorite());
    view->findChild<QPushButton *>(QStringLiteral("refreshButton"))->click();
    EXPECT_EQ(calls.refreshed, ids);
    view->findChild<QPushButton *>(QStringLiteral("deleteButton"))->click();
    EXPECT_EQ(calls.deleted, ids);
    EXPECT_EQ(context->records().size(), 10);
    expectSaved(ids.last(), [](const Record &stored) { EXPECT_TRUE(stored.isFavorite()); });
}

TEST_F(InspectorTest, CoverStackDrawsPlaceholdersWithoutCovers)
{
    Record *a = add(QStringLiteral("A"), QStringLiteral("Artist"));
    Record *b = add(QStringLiteral("B"), QStringLiteral("Artist"));
    a->setCover(encodedImage(60, 60, "PNG", Qt::blue));
    inspector.setSelection({ a->id(), b->id() });
    auto *stack = inspector.multiSelectionView()->findChild<CoverStack *>();
    EXPECT_EQ(stack->shown().size(), 2);
    stack->resize(300, 190);
    // The front cover (the newest, b: a placeholder) covers the middle; a's blue edge shows
    // on the left, turned and moved behind it, once decoded.
    auto blue = [&] {
        QImage drawn(stack->size(), QImage::Format_ARGB32);
        drawn.fill(Qt::transparent);
        stack->render(&drawn);
        int count = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width() / 2; ++x) {
                const QColor c = drawn.pixelColor(x, y);
                count += (c.blue() > 180 && c.red() < 80 && c.green() < 80) ? 1 : 0;
            }
        return count;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return blue() > 50; }, 5000));
    EXPECT_GT(blue(), 50);
}
