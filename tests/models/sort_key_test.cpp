#include "models/collection_order.h"
#include "models/record.h"
#include "models/sort_key.h"
#include "support/reference_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace vorla;

namespace {

QList<Record *> displayed(const QList<Record *> &records, SortKey key, bool ascending)
{
    CollectionOrder order;
    return order.sorted(records, key, ascending);
}

} // namespace

TEST(SortKey, RawValuesAndNames)
{
    EXPECT_EQ(sortKeyFromRawValue(u"dateAdded"), SortKey::dateAdded);
    EXPECT_EQ(sortKeyFromRawValue(u"Artist"), std::nullopt);
    EXPECT_EQ(displayName(SortKey::dateAdded), QStringLiteral("Date Added"));
    for (SortKey key : allSortKeys)
        EXPECT_EQ(sortKeyFromRawValue(rawValue(key)), key);
}

TEST(SortKey, KeyPathsMapBack)
{
    EXPECT_EQ(sortKeyFromKeyPath(RecordKeyPath::dateAdded), SortKey::dateAdded);
    EXPECT_EQ(sortKeyFromKeyPath(RecordKeyPath::labelSortKey), SortKey::label);
    EXPECT_EQ(sortKeyFromKeyPath(RecordKeyPath::artist), std::nullopt);
    EXPECT_EQ(sortKeyFromKeyPath(RecordKeyPath::title), std::nullopt);
}

TEST(SortKey, ComparatorAndSortAgree)
{
    std::vector<std::unique_ptr<Record>> owned;
    auto make = [&owned](const char *artist, std::optional<int> year, const char *label) {
        owned.push_back(std::make_unique<Record>());
        owned.back()->setArtist(QString::fromUtf8(artist));
        owned.back()->setYear(year);
        owned.back()->setLabel(QString::fromUtf8(label));
        return owned.back().get();
    };
    Record *beatles = make("The Beatles", 1969, "Apple");
    Record *abba = make("abba", std::nullopt, "polar");
    Record *cure = make("  Cure", 1979, "Fiction");

    QList<Record *> records{beatles, abba, cure};
    records = displayed(records, SortKey::artist, true);
    EXPECT_EQ(records, (QList<Record *>{abba, beatles, cure}));

    records = {beatles, abba, cure};
    records = displayed(records, SortKey::year, true);
    EXPECT_EQ(records.front(), abba);
    records = displayed(records, SortKey::year, false);
    EXPECT_EQ(records.back(), abba);

    for (SortKey key : allSortKeys) {
        for (bool ascending : {true, false}) {
            QList<Record *> sorted{beatles, abba, cure};
            sorted = displayed(sorted, key, ascending);
            const RecordComparator cmp = comparator(key, ascending);
            EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(), cmp));
        }
    }
}

TEST(SortKey, TextKeysSortLikeTheirComparator)
{
    // Keys sharing long prefixes, empty keys and non-ASCII text.
    const char *artists[] = {"The Band", "Band", "band of gold", "", "  ", "Bandit", "Ängel",
                             "angel", "The", "the the", "Zed", "bandb", "BAND"};
    std::vector<std::unique_ptr<Record>> owned;
    QList<Record *> records;
    for (const char *artist : artists) {
        owned.push_back(std::make_unique<Record>());
        owned.back()->setArtist(QString::fromUtf8(artist));
        owned.back()->setTitle(QString::fromUtf8(artist));
        owned.back()->setLabel(QString::fromUtf8(artist));
        records.append(owned.back().get());
    }
    for (SortKey key : {SortKey::artist, SortKey::title, SortKey::label}) {
        for (bool ascending : {true, false}) {
            SCOPED_TRACE(rawValue(key).toStdString() + (ascending ? " up" : " down"));
            const QList<Record *> fast = displayed(records, key, ascending);
            EXPECT_TRUE(std::is_sorted(fast.begin(), fast.end(), comparator(key, ascending)));
            EXPECT_EQ(fast, reference::displayOrder(records, key, ascending));
        }
    }
}
