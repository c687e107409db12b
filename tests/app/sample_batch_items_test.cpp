#include "app/sample_batch_items.h"
#include "app/snapshot.h"

#include <gtest/gtest.h>

using namespace vorla;
using Kind = BatchItem::Status::Kind;

TEST(SampleBatchItems, CoverEveryStateOfTheReviewList)
{
    const QList<BatchItem> items = DebugHooks::sampleBatchItems();
    ASSERT_EQ(items.size(), 6);
    const struct
    {
        Kind kind;
        qsizetype candidates;
        const char *chosen;
        bool include;
    } expected[] = {
        { Kind::matched, 2, "discogs:1", true },
        { Kind::matched, 1, "discogs:3", true },
        { Kind::needsReview, 2, "discogs:4", true },
        { Kind::notFound, 0, nullptr, false },
        { Kind::searching, 0, nullptr, true },
        { Kind::pending, 0, nullptr, true },
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const BatchItem &item = items.at(i);
        EXPECT_EQ(item.status.kind, expected[i].kind);
        EXPECT_EQ(item.candidates.size(), expected[i].candidates);
        EXPECT_EQ(item.chosenID,
            expected[i].chosen ? std::optional(QString::fromLatin1(expected[i].chosen)) : std::nullopt);
        EXPECT_EQ(item.include, expected[i].include);
        EXPECT_EQ(item.query, ReleaseQuery::parse(item.line));
        EXPECT_FALSE(item.evidence);
        EXPECT_FALSE(item.alreadyOwned);
        EXPECT_FALSE(item.isAdded());
        for (const ReleaseCandidate &c : item.candidates) {
            EXPECT_EQ(c.source, MetadataSource::discogs);
            EXPECT_EQ(c.format, QStringLiteral("Vinyl, LP, Album"));
            EXPECT_FALSE(c.thumbnailURL);
        }
    }
    // The bare catalog number is the one pressing's.
    EXPECT_EQ(items.at(1).line, items.at(1).candidates.first().catalogNumber);
    EXPECT_NE(items.at(0).candidates.at(0).country, items.at(0).candidates.at(1).country);
    EXPECT_NE(DebugHooks::sampleBatchItems().first().id, items.first().id);
}

TEST(SnapshotPhotos, SplitsAtColonsAndDropsEmptyPieces)
{
    EXPECT_TRUE(DebugHooks::snapshotPhotos(std::nullopt).isEmpty());
    EXPECT_TRUE(DebugHooks::snapshotPhotos(QString()).isEmpty());
    EXPECT_EQ(DebugHooks::snapshotPhotos(QStringLiteral("/p/a.jpg::/p/b.jpg:")),
        (QList<QUrl> { QUrl::fromLocalFile(QStringLiteral("/p/a.jpg")),
            QUrl::fromLocalFile(QStringLiteral("/p/b.jpg")) }));
}
