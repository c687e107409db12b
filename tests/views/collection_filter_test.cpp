#include "views/collection_filter.h"

#include "support/reference_order.h"

#include "models/record.h"


#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

const QDateTime kNow = QDateTime(QDate(2024, 6, 1), QTime(12, 0), Qt::UTC);

// Records owned by the test, handed out as the views see them.
class Shelf
{
public:
    Record *add(const QString &title, const QString &artist = {}, std::optional<int> year = {})
    {
        auto record = std::make_unique<Record>();
        record->setTitle(title);
        record->setArtist(artist);
        record->setYear(year);
        record->setDateAdded(kNow.addDays(-100 - qint64(m_owned.size())));
        m_owned.push_back(std::move(record));
        m_records.append(m_owned.back().get());
        return m_owned.back().get();
    }
    const QList<Record *> &records() const { return m_records; }

private:
    std::vector<std::unique_ptr<Record>> m_owned;
    QList<Record *> m_records;
};

QStringList titles(const QList<Record *> &records)
{
    QStringList result;
    for (const Record *record : records)
        result.append(record->title());
    return result;
}

} // namespace

TEST(CollectionFilter, SidebarChoiceKeepsTheRightRecords)
{
    Shelf shelf;
    Record *fav = shelf.add(QStringLiteral("fav"));
    fav->setIsFavorite(true);
    fav->setMediaConditionRaw(QStringLiteral("VG"));
    shelf.add(QStringLiteral("days29"))->setDateAdded(kNow.addDays(-29));
    shelf.add(QStringLiteral("days31"))->setDateAdded(kNow.addDays(-31));
    shelf.add(QStringLiteral("limit"))->setDateAdded(kNow.addSecs(-kRecentSeconds));
    Record *vg = shelf.add(QStringLiteral("vg"), {}, 1970);
    vg->setMediaConditionRaw(QStringLiteral("VG"));
    vg->setGenres({QStringLiteral("Rock"), QStringLiteral("Jazz")});
    Record *sleeveOnly = shelf.add(QStringLiteral("sleeveOnly"), {}, 1979);
    sleeveOnly->setSleeveConditionRaw(QStringLiteral("NM"));
    sleeveOnly->setGenres({QStringLiteral("rock")});
    Record *odd = shelf.add(QStringLiteral("odd"), {}, 1980);
    odd->setMediaConditionRaw(QStringLiteral("Mint"));

    const struct {
        const char *name;
        std::optional<SidebarItem> item;
        QStringList expected;
    } cases[] = {
        {"none", std::nullopt, {u"fav"_s, u"days29"_s, u"days31"_s, u"limit"_s, u"vg"_s, u"sleeveOnly"_s, u"odd"_s}},
        {"favorites", SidebarItem::favorites(), {u"fav"_s}},
        {"recent", SidebarItem::recent(), {u"days29"_s}},
        {"ungraded", SidebarItem::ungraded(), {u"days29"_s, u"days31"_s, u"limit"_s, u"sleeveOnly"_s, u"odd"_s}},
        {"genre exact", SidebarItem::ofGenre(QStringLiteral("Rock")), {u"vg"_s}},
        {"genre other case", SidebarItem::ofGenre(QStringLiteral("rock")), {u"sleeveOnly"_s}},
        {"decade 1970", SidebarItem::ofDecade(1970), {u"vg"_s, u"sleeveOnly"_s}},
        {"decade 1980", SidebarItem::ofDecade(1980), {u"odd"_s}},
        {"decade without records", SidebarItem::ofDecade(0), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(titles(filterRecords(shelf.records(), {}, c.item, kNow)), c.expected);
    }
}

TEST(CollectionFilter, SearchIsTrimmedOfSpacesAndTabsOnly)
{
    Shelf shelf;
    shelf.add(QStringLiteral("Blue Train"), QStringLiteral("John Coltrane"), 1957);
    shelf.add(QStringLiteral("Kind of Blue"), QStringLiteral("Miles Davis"), 1959);
    shelf.add(QStringLiteral("Rumours"), QStringLiteral("Fleetwood Mac"), 1977);

    const struct {
        const char *search;
        QStringList expected;
    } cases[] = {
        {"   ", {u"Blue Train"_s, u"Kind of Blue"_s, u"Rumours"_s}},
        {" \tblue\t ", {u"Blue Train"_s, u"Kind of Blue"_s}},
        {"197", {u"Rumours"_s}},
        {"blue\n", {}},
        {"nothing", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.search);
        EXPECT_EQ(titles(filterRecords(shelf.records(), QString::fromUtf8(c.search), std::nullopt, kNow)),
                  c.expected);
    }
    // The sidebar choice still applies to the search's matches.
    EXPECT_EQ(titles(filterRecords(shelf.records(), QStringLiteral("blue"), SidebarItem::ofDecade(1950), kNow)),
              (QStringList{u"Blue Train"_s, u"Kind of Blue"_s}));
}

TEST(CollectionFilter, SortBreaksTiesByArtistYearTitleAscending)
{
    Shelf shelf;
    Record *a = shelf.add(QStringLiteral("b"), QStringLiteral("The Zeds"), 1990);
    a->setRating(3);
    Record *b = shelf.add(QStringLiteral("a"), QStringLiteral("zeds"), 1990);
    b->setRating(3);
    Record *c = shelf.add(QStringLiteral("c"), QStringLiteral("Abba"), 1980);
    c->setRating(3);
    Record *d = shelf.add(QStringLiteral("d"), QStringLiteral("Abba"), std::nullopt);
    d->setRating(5);

    QList<Record *> records = shelf.records();
    reference::sortForDisplay(records, SortKey::rating, false);
    EXPECT_EQ(titles(records), (QStringList{u"d"_s, u"c"_s, u"a"_s, u"b"_s}));
    reference::sortForDisplay(records, SortKey::rating, true);
    EXPECT_EQ(titles(records), (QStringList{u"c"_s, u"a"_s, u"b"_s, u"d"_s}));

    // Records without a year sort as year 0: first ascending, last descending.
    reference::sortForDisplay(records, SortKey::year, true);
    EXPECT_EQ(titles(records), (QStringList{u"d"_s, u"c"_s, u"a"_s, u"b"_s}));
    reference::sortForDisplay(records, SortKey::year, false);
    EXPECT_EQ(titles(records), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s}));

    // "The " and case are ignored for the artist; equal artists go by year, then title.
    reference::sortForDisplay(records, SortKey::artist, true);
    EXPECT_EQ(titles(records), (QStringList{u"d"_s, u"c"_s, u"a"_s, u"b"_s}));
}

TEST(CollectionFilter, VisibleRecordsStartFromNewestFirst)
{
    Shelf shelf;
    // Equal in every sort value: the newest stays first.
    Record *old = shelf.add(QStringLiteral("same"), QStringLiteral("x"));
    old->setNotes(QStringLiteral("old"));
    old->setDateAdded(kNow.addDays(-5));
    Record *fresh = shelf.add(QStringLiteral("same"), QStringLiteral("x"));
    fresh->setNotes(QStringLiteral("new"));
    fresh->setDateAdded(kNow.addDays(-1));
    Record *other = shelf.add(QStringLiteral("other"), QStringLiteral("a"));
    other->setDateAdded(kNow.addDays(-3));

    const QList<Record *> visible =
        reference::displayOrder(filterRecords(shelf.records(), {}, std::nullopt, kNow), SortKey::label, true);
    ASSERT_EQ(visible.size(), 3);
    EXPECT_EQ(visible[0], other);
    EXPECT_EQ(visible[1], fresh);
    EXPECT_EQ(visible[2], old);

    const QList<Record *> byDate =
        reference::displayOrder(filterRecords(shelf.records(), {}, std::nullopt, kNow), SortKey::dateAdded, false);
    EXPECT_EQ(byDate, (QList<Record *>{fresh, other, old}));
}

TEST(CollectionFilter, SidebarCountsCoverTheWholeLibrary)
{
    const SidebarCounts empty = sidebarCounts({}, kNow);
    EXPECT_EQ(empty.all, 0);
    EXPECT_EQ(empty.favorites, 0);
    EXPECT_EQ(empty.recent, 0);
    EXPECT_EQ(empty.ungraded, 0);
    EXPECT_TRUE(empty.genres.isEmpty());
    EXPECT_TRUE(empty.decades.isEmpty());

    Shelf shelf;
    Record *a = shelf.add(QStringLiteral("a"), {}, 2015);
    a->setGenres({QStringLiteral("Rock"), QStringLiteral("Pop")});
    a->setIsFavorite(true);
    a->setDateAdded(kNow.addSecs(-kRecentSeconds));
    Record *b = shelf.add(QStringLiteral("b"), {}, 1995);
    b->setGenres({QStringLiteral("Jazz")});
    b->setMediaConditionRaw(QStringLiteral("VG"));
    b->setDateAdded(kNow.addSecs(-kRecentSeconds + 1));
    Record *c = shelf.add(QStringLiteral("c"));
    c->setGenres({QStringLiteral("Rock")});
    c->setMediaConditionRaw(QStringLiteral("vg"));

    const SidebarCounts counts = sidebarCounts(shelf.records(), kNow);
    EXPECT_EQ(counts.all, 3);
    EXPECT_EQ(counts.favorites, 1);
    EXPECT_EQ(counts.recent, 1);
    EXPECT_EQ(counts.ungraded, 2);
    using Genre = std::pair<QString, int>;
    EXPECT_EQ(counts.genres, (QList<Genre>{{u"Rock"_s, 2}, {u"Jazz"_s, 1}, {u"Pop"_s, 1}}));
    using Decade = std::pair<int, int>;
    EXPECT_EQ(counts.decades, (QList<Decade>{{2010, 1}, {1990, 1}}));
}

TEST(CollectionFilter, CountsLessRemovedRecordsAreTheCountsOfTheRest)
{
    Shelf shelf;
    const struct
    {
        QStringList genres;
        std::optional<int> year;
        bool favorite;
        const char *grade;
        int daysOld;
    } rows[] = {
        { { u"Rock"_s, u"Pop"_s }, 2015, true, "", 1 },
        { { u"Rock"_s }, 2011, false, "VG", 30 },
        { { u"Rock"_s, u"Jazz"_s }, 1995, false, "", 2 },
        { { u"Ambient"_s }, 1999, true, "NM", 400 },
        { { u"Jazz"_s }, std::nullopt, false, "", 3 },
        { { u"Zydeco"_s }, 1971, false, "", 50 },
        { { u"Zydeco"_s, u"Blues"_s }, 1972, false, "", 60 },
    };
    QList<Record *> all;
    for (const auto &row : rows) {
        Record *record = shelf.add(QStringLiteral("t"), {}, row.year);
        record->setGenres(row.genres);
        record->setIsFavorite(row.favorite);
        record->setMediaConditionRaw(QString::fromLatin1(row.grade));
        record->setDateAdded(kNow.addDays(-row.daysOld));
        all.append(record);
    }
    // Which rows go: a genre drops to a tie and must fall in behind by name, a genre and a
    // decade vanish, nothing goes, everything goes.
    const QList<QList<int>> removals = { { 0, 1 }, { 3 }, { 5, 6 }, {}, { 0, 1, 2, 3, 4, 5, 6 } };
    for (const QList<int> &removal : removals) {
        QList<Record *> removed;
        QList<Record *> rest;
        for (int i = 0; i < all.size(); ++i)
            (removal.contains(i) ? removed : rest).append(all[i]);
        const SidebarCounts counts
            = withoutCounts(sidebarCounts(all, kNow), sidebarCounts(removed, kNow));
        const SidebarCounts expected = sidebarCounts(rest, kNow);
        EXPECT_EQ(counts.all, expected.all);
        EXPECT_EQ(counts.favorites, expected.favorites);
        EXPECT_EQ(counts.recent, expected.recent);
        EXPECT_EQ(counts.ungraded, expected.ungraded);
        EXPECT_EQ(counts.genres, expected.genres);
        EXPECT_EQ(counts.decades, expected.decades);
    }
}

TEST(CollectionFilter, CountTexts)
{
    EXPECT_EQ(recordCountText(0), QStringLiteral("0 records"));
    EXPECT_EQ(recordCountText(1), QStringLiteral("1 record"));
    EXPECT_EQ(recordCountText(2), QStringLiteral("2 records"));
    EXPECT_EQ(refreshProgressText(2, 5, QStringLiteral("Blue %1 Train")),
              QStringLiteral("Fetching metadata 2 of 5: Blue %1 Train"));

    Shelf shelf;
    Record *one = shelf.add(QStringLiteral("Kind of Blue"));
    EXPECT_EQ(deleteTitle({one}), QStringLiteral("Delete \u201CKind of Blue\u201D?"));
    Record *two = shelf.add(QString());
    EXPECT_EQ(deleteTitle({one, two}), QStringLiteral("Delete 2 records?"));
}
