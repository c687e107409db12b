#include "views/collection_statistics_view.h"

#include "library_fixture.h"

#include "views/components/record_cover.h"
#include "views/detail_section.h"

#include <QLabel>

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
