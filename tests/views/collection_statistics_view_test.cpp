#include "views/collection_statistics_view.h"

#include "library_fixture.h"

#include "views/components/record_cover.h"
#include "views/detail_section.h"

#include <QLabel>

#include <algorithm>
#include <climits>

using namespace vorla;
using namespace vorla::test;

namespace {

class StatisticsTest : public LibraryTest
{
protected:
    StatTile *tile(CollectionStatsView &view, const char *name)
    {
        return view.findChild<StatTile *>(QString::fromLatin1(name));
    }
};

} // namespace

TEST_F(StatisticsTest, EmptyCollectionShowsZeroesAndNoSections)
{
    settings.setCurrencyCode(QStringLiteral("EUR"));
    CollectionStatsView view(context.get(), settings);
    EXPECT_EQ(tile(view, "recordsTile")->value(), QStringLiteral("0"));
    EXPECT_EQ(tile(view, "artistsTile")->value(), QStringLiteral("0"));
    EXPECT_EQ(tile(view, "favoritesTile")->value(), QStringLiteral("0"));
    EXPECT_EQ(tile(view, "spentTile")->value(), QStringLiteral("€0"));
    EXPECT_TRUE(view.findChild<DetailSection *>(QStringLiteral("topGenresSection"))->isHidden());
    EXPECT_TRUE(view.findChild<DetailSection *>(QStringLiteral("recentSection"))->isHidden());
}

TEST_F(StatisticsTest, FiguresOverTheCollection)
{
    const struct
    {
        const char *artist;
        std::optional<double> price;
        bool favorite;
        QStringList genres;
    } rows[] = {
        { "Can", 10.40, true, { QStringLiteral("Rock"), QStringLiteral("Electronic") } },
        { "CAN", 10.40, false, { QStringLiteral("Rock") } },
        { "Can ", std::nullopt, true, { QStringLiteral("Jazz") } },
        { "", std::nullopt, false, { QStringLiteral("Pop"), QStringLiteral("Funk / Soul") } },
        { "", std::nullopt, false,
            { QStringLiteral("Blues"), QStringLiteral("Latin"), QStringLiteral("Reggae") } },
        { "Björk", std::nullopt, false, {} },
        { "BJÖRK", std::nullopt, false, {} },
        { "bjork", std::nullopt, false, {} },
    };
    for (const auto &row : rows) {
        Record *record = add(QStringLiteral("T"), QString::fromUtf8(row.artist));
        record->setPurchasePrice(row.price);
        record->setIsFavorite(row.favorite);
        record->setGenres(row.genres);
    }
    const CollectionStatistics figures = CollectionStatistics::of(context->records());
    EXPECT_EQ(figures.records, 8);
    // Case differences count as one artist (also beyond ASCII), a trailing space or another
    // letter apart, every empty artist once.
    EXPECT_EQ(figures.artists, 5);
    EXPECT_EQ(figures.favorites, 2);
    EXPECT_DOUBLE_EQ(figures.spent, 20.80);
    // Eight genres: the six most frequent, ties by name.
    const QList<std::pair<QString, int>> top
        = { { QStringLiteral("Rock"), 2 }, { QStringLiteral("Blues"), 1 },
              { QStringLiteral("Electronic"), 1 }, { QStringLiteral("Funk / Soul"), 1 },
              { QStringLiteral("Jazz"), 1 }, { QStringLiteral("Latin"), 1 } };
    EXPECT_EQ(figures.topGenres, top);

    CollectionStatsView view(context.get(), settings);
    EXPECT_EQ(tile(view, "spentTile")->value(), QStringLiteral("$21"));
    const QList<QLabel *> names = view.findChildren<QLabel *>(QStringLiteral("genreName"));
    ASSERT_EQ(names.size(), 6);
    EXPECT_EQ(names.first()->text(), QStringLiteral("Rock"));
    settings.setCurrencyCode(QStringLiteral("GBP"));
    EXPECT_EQ(tile(view, "spentTile")->value(), QStringLiteral("£21"));
}

TEST_F(StatisticsTest, RecentlyAddedShowsTheSixNewestAndFollowsTheLibrary)
{
    QList<Record *> records;
    for (int i = 0; i < 3; ++i) {
        Record *record = add(QStringLiteral("T%1").arg(i), QStringLiteral("A%1").arg(i));
        record->setDateAdded(QDateTime::currentDateTimeUtc().addDays(-i));
        records.append(record);
    }
    CollectionStatsView view(context.get(), settings);
    view.show();
    QList<RecordCover *> covers = view.findChildren<RecordCover *>(QStringLiteral("recentCover"));
    ASSERT_EQ(covers.size(), 3);
    EXPECT_EQ(covers.first()->recordID(), records.first()->id());
    EXPECT_EQ(covers.first()->toolTip(), QStringLiteral("A0 — T0"));

    for (int i = 3; i < 9; ++i) {
        Record *record = add(QStringLiteral("T%1").arg(i));
        record->setDateAdded(QDateTime::currentDateTimeUtc().addDays(-i));
    }
    Record *newest = add(QStringLiteral("Newest"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.statistics().records == 10; }, 2000));
    EXPECT_EQ(view.statistics().recent.size(), 6);
    EXPECT_EQ(view.statistics().recent.first(), newest->id());
    EXPECT_EQ(view.findChildren<RecordCover *>(QStringLiteral("recentCover")).size(), 6);
    EXPECT_EQ(tile(view, "recordsTile")->value(), QStringLiteral("10"));
}

// Records added in the same millisecond come in id order, those without a date last; after
// each removal of some of the newest, the covers are the six first of that order.
TEST_F(StatisticsTest, RecentCoversFollowTheDateThenTheIdAcrossRemovals)
{
    const QDateTime day = QDateTime(QDate(2024, 5, 1), QTime(9, 0), Qt::UTC);
    QList<Record *> records;
    for (int i = 0; i < 24; ++i) {
        Record *record = add(QStringLiteral("T%1").arg(i));
        record->setDateAdded(i % 5 == 4 ? QDateTime() : day.addDays(i / 6)); // runs of equal dates
        records.append(record);
    }
    CollectionStatsView view(context.get(), settings);
    view.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.statistics().records == 24; }, 2000));
    const auto expectedRecent = [&] {
        QList<Record *> rest = context->records();
        std::sort(rest.begin(), rest.end(), [](const Record *a, const Record *b) {
            const qint64 x = a->dateAdded().isValid() ? a->dateAdded().toMSecsSinceEpoch() : LLONG_MIN;
            const qint64 y = b->dateAdded().isValid() ? b->dateAdded().toMSecsSinceEpoch() : LLONG_MIN;
            return x != y ? x > y : a->id() < b->id();
        });
        QList<QUuid> ids;
        for (qsizetype i = 0; i < std::min<qsizetype>(6, rest.size()); ++i)
            ids.append(rest[i]->id());
        return ids;
    };
    EXPECT_EQ(view.statistics().recent, expectedRecent());
    for (const QList<int> &gone : {QList<int>{18, 19, 20}, QList<int>{21, 22, 23, 12}, QList<int>{0, 1, 2, 3, 5, 6, 7, 8, 10, 11, 13, 15}}) {
        QList<QUuid> ids;
        for (int i : gone)
            ids.append(records[i]->id());
        context->remove(ids);
        EXPECT_EQ(view.statistics().recent, expectedRecent());
    }
    EXPECT_EQ(view.statistics().recent.size(), 5); // 16 and 17, then the undated 4, 9 and 14
}

// Removals are taken off the figures shown; each step must give what counting the rest gives.
TEST_F(StatisticsTest, RemovalsLeaveTheFiguresOfWhatIsLeft)
{
    const struct
    {
        const char *title;
        const char *artist;
        std::optional<double> price;
        bool favorite;
        QStringList genres;
    } rows[] = {
        { "a", "Can", 10.40, true, { QStringLiteral("Rock"), QStringLiteral("Electronic") } },
        { "b", "CAN", 0.30, false, { QStringLiteral("Rock") } },
        { "c", "Björk", std::nullopt, true, { QStringLiteral("Jazz") } },
        { "d", "BJÖRK", 7.00, false, { QStringLiteral("Pop"), QStringLiteral("Jazz") } },
        { "e", "", std::nullopt, false, { QStringLiteral("Blues"), QStringLiteral("Latin") } },
        { "f", "Neu!", 0.10, false, { QStringLiteral("Reggae"), QStringLiteral("Funk") } },
        { "g", "Faust", std::nullopt, false, { QStringLiteral("Soul") } },
    };
    QHash<QString, QUuid> ids;
    int age = 0;
    for (const auto &row : rows) {
        Record *record = add(QString::fromUtf8(row.title), QString::fromUtf8(row.artist));
        record->setPurchasePrice(row.price);
        record->setIsFavorite(row.favorite);
        record->setGenres(row.genres);
        record->setDateAdded(QDateTime::currentDateTimeUtc().addDays(-age++));
        ids.insert(record->title(), record->id());
    }
    CollectionStatsView view(context.get(), settings);
    view.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.statistics().records == 7; }, 2000));

    const QStringList steps[] = {
        { QStringLiteral("b") }, // one of two spellings of an artist; a genre falls back
        { QStringLiteral("a"), QStringLiteral("f") }, // the newest; a priced favourite
        { QStringLiteral("c") }, // the last favourite, the other spelling stays
        { QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("g") }, // everything
    };
    for (const QStringList &step : steps) {
        SCOPED_TRACE(step.join(u',').toStdString());
        QList<QUuid> gone;
        for (const QString &title : step)
            gone.append(ids.value(title));
        context->remove(gone);
        const CollectionStatistics expected = CollectionStatistics::of(context->records());
        const CollectionStatistics &shown = view.statistics();
        EXPECT_EQ(shown.records, expected.records);
        EXPECT_EQ(shown.artists, expected.artists);
        EXPECT_EQ(shown.favorites, expected.favorites);
        EXPECT_NEAR(shown.spent, expected.spent, 1e-9);
        EXPECT_EQ(shown.topGenres, expected.topGenres);
        EXPECT_EQ(shown.recent, expected.recent);
        EXPECT_EQ(view.findChildren<QLabel *>(QStringLiteral("genreName")).size(),
            expected.topGenres.size());
        EXPECT_EQ(view.findChildren<RecordCover *>(QStringLiteral("recentCover")).size(),
            expected.recent.size());
        EXPECT_EQ(tile(view, "recordsTile")->value(), QString::number(expected.records));
    }
    EXPECT_EQ(tile(view, "spentTile")->value(), QStringLiteral("$0"));
}
