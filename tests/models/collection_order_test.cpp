#include "models/collection_order.h"

#include "support/reference_order.h"

#include "models/record.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <vector>

using namespace vorla;

namespace {

const QDateTime kNow = QDateTime(QDate(2024, 6, 1), QTime(12, 0), Qt::UTC);

// Few distinct values per field, so every key meets long runs of ties, and some records
// equal in every sort value, so only the date added (or their load order) tells them apart.
std::vector<std::unique_ptr<Record>> shelfWithTies(int count)
{
    // Some share their first four letters and differ after them, or run past them.
    static const char *const texts[] = {"", "Blue", "blue", "The Blue", "Echo", "  echo",
                                        "Bluebell", "bluebird", "\xD6 Blue", "Blu"};
    std::mt19937 random(7);
    std::vector<std::unique_ptr<Record>> records;
    for (int i = 0; i < count; ++i) {
        auto record = std::make_unique<Record>();
        record->setTitle(QString::fromLatin1(texts[random() % std::size(texts)]));
        record->setArtist(QString::fromLatin1(texts[random() % std::size(texts)]));
        record->setLabel(QString::fromLatin1(texts[random() % std::size(texts)]));
        if (random() % 4)
            record->setYear(1970 + int(random() % 3));
        record->setRating(int(random() % 3));
        record->setDateAdded(kNow.addDays(-qint64(random() % 5)));
        if (i % 17 == 0)
            record->setDateAdded(QDateTime());
        records.push_back(std::move(record));
    }
    return records;
}

QList<Record *> pointers(const std::vector<std::unique_ptr<Record>> &records)
{
    QList<Record *> result;
    for (const auto &record : records)
        result.append(record.get());
    return result;
}

QList<Record *> displayOrder(const QList<Record *> &records, SortKey key, bool ascending)
{
    return reference::displayOrder(records, key, ascending);
}

} // namespace

TEST(CollectionOrder, MatchesTheDisplaySortForEveryKeyAndDirectionInAnyOrderOfSwitching)
{
    const auto owned = shelfWithTies(300);
    const QList<Record *> records = pointers(owned);
    CollectionOrder order;
    // Forward and back again, so kept orders are served as well as fresh ones.
    for (int pass = 0; pass < 2; ++pass) {
        for (SortKey key : allSortKeys) {
            for (bool ascending : {true, false}) {
                SCOPED_TRACE(rawValue(key).toStdString() + (ascending ? " ascending" : " descending"));
                EXPECT_EQ(order.sorted(records, key, ascending), displayOrder(records, key, ascending));
            }
        }
    }
}

TEST(CollectionOrder, FollowsEditsInsertsAndRemovalsOnceInvalidated)
{
    auto owned = shelfWithTies(60);
    QList<Record *> records = pointers(owned);
    CollectionOrder order;
    ASSERT_EQ(order.sorted(records, SortKey::title, true), displayOrder(records, SortKey::title, true));

    records[5]->setTitle(QStringLiteral("Aardvark"));
    records[9]->setArtist(QStringLiteral("Zed"));
    auto added = std::make_unique<Record>();
    added->setTitle(QStringLiteral("blue"));
    records.append(added.get());
    records.removeAt(20);
    order.invalidate();
    for (SortKey key : {SortKey::title, SortKey::artist, SortKey::dateAdded}) {
        SCOPED_TRACE(rawValue(key).toStdString());
        EXPECT_EQ(order.sorted(records, key, true), displayOrder(records, key, true));
    }

    order.invalidate();
    EXPECT_TRUE(order.sorted({}, SortKey::year, false).isEmpty());
}

TEST(CollectionOrder, RemovalsLeaveKeptAndFreshOrdersRight)
{
    const auto owned = shelfWithTies(200);
    QList<Record *> records = pointers(owned);
    CollectionOrder order;
    // Orders computed before the removal, and ranks that later orders start from.
    order.sorted(records, SortKey::label, true);
    order.sorted(records, SortKey::title, false);
    order.sorted(records, SortKey::artist, true);

    PointerSet gone;
    for (int i = 0; i < records.size(); i += 3)
        gone.insert(records[i]);
    order.recordsRemoved(gone);
    records.removeIf([&gone](const Record *record) { return gone.contains(record); });
    for (SortKey key : allSortKeys) {
        for (bool ascending : {true, false}) {
            SCOPED_TRACE(rawValue(key).toStdString() + (ascending ? " ascending" : " descending"));
            EXPECT_EQ(order.sorted(records, key, ascending), displayOrder(records, key, ascending));
        }
    }
    const Record stranger;
    order.recordsRemoved(PointerSet(QList<const Record *>{&stranger})); // unknown records change nothing
    EXPECT_EQ(order.sorted(records, SortKey::year, true), displayOrder(records, SortKey::year, true));

    // Two removals with no order read between them, then an edit that moves a kept record:
    // the edit must see the entries without either removal.
    for (int step = 0; step < 2; ++step) {
        PointerSet more;
        for (int i = step; i < records.size(); i += 5)
            more.insert(records[i]);
        order.recordsRemoved(more);
        records.removeIf([&more](const Record *record) { return more.contains(record); });
    }
    records[10]->setTitle(QStringLiteral("Aardvark"));
    order.recordsEdited({records[10]});
    for (SortKey key : allSortKeys) {
        for (bool ascending : {true, false}) {
            SCOPED_TRACE(rawValue(key).toStdString() + (ascending ? " ascending, after two removals" : " descending, after two removals"));
            EXPECT_EQ(order.sorted(records, key, ascending), displayOrder(records, key, ascending));
        }
    }
}

TEST(CollectionOrder, EditsThatMoveARecordAreFollowedAndOthersKeepTheOrders)
{
    const struct {
        const char *edit;
        std::function<void(Record &)> apply;
    } edits[] = {
        {"favourite", [](Record &r) { r.setIsFavorite(!r.isFavorite()); }},
        {"notes", [](Record &r) { r.setNotes(QStringLiteral("played once")); }},
        {"artist", [](Record &r) { r.setArtist(QStringLiteral("Aaron")); }},
        {"title", [](Record &r) { r.setTitle(QStringLiteral("zzz")); }},
        {"label", [](Record &r) { r.setLabel(QStringLiteral("Zebra")); }},
        {"year", [](Record &r) { r.setYear(1901); }},
        {"rating", [](Record &r) { r.setRating(5); }},
        {"date added", [](Record &r) { r.setDateAdded(kNow.addYears(1)); }},
    };
    // Each edit alone, on orders all computed before it.
    for (const auto &e : edits) {
        SCOPED_TRACE(e.edit);
        auto owned = shelfWithTies(80);
        const QList<Record *> records = pointers(owned);
        CollectionOrder order;
        // Every order computed once, so each would be served from what is kept.
        for (SortKey key : allSortKeys)
            for (bool ascending : {true, false})
                order.sorted(records, key, ascending);
        e.apply(*records[40]);
        order.recordsEdited({records[40]});
        for (SortKey key : allSortKeys) {
            for (bool ascending : {true, false}) {
                SCOPED_TRACE(rawValue(key).toStdString() + (ascending ? " ascending" : " descending"));
                EXPECT_EQ(order.sorted(records, key, ascending), displayOrder(records, key, ascending));
            }
        }
    }

    // One edit after another on the same orders, each on another record, some of them
    // twice, with every order read in between.
    auto owned = shelfWithTies(80);
    const QList<Record *> records = pointers(owned);
    CollectionOrder order;
    int step = 0;
    for (int round = 0; round < 2; ++round) {
        for (const auto &e : edits) {
            SCOPED_TRACE(std::string("in turn: ") + e.edit);
            Record *edited = records[(7 * step++) % records.size()];
            e.apply(*edited);
            order.recordsEdited({edited});
            for (SortKey key : allSortKeys)
                for (bool ascending : {true, false})
                    EXPECT_EQ(order.sorted(records, key, ascending), displayOrder(records, key, ascending));
        }
    }
}
