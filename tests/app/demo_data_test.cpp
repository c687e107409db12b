#include "app/demo_data.h"

#include "models/model_context.h"
#include "models/record.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vorla;

TEST(DemoData, SeedsEightSampleRecordsIntoAnEmptyStore)
{
    ModelContext context;
    DemoData::seedIfEmpty(context);
    QList<Record *> records = context.records();
    ASSERT_EQ(records.size(), 8);
    std::stable_sort(records.begin(), records.end(),
        [](const Record *a, const Record *b) { return a->dateAdded() > b->dateAdded(); });
    int favourites = 0;
    int barcodes = 0;
    int withTracks = 0;
    const QDateTime newest = records.first()->dateAdded();
    for (qsizetype i = 0; i < records.size(); ++i) {
        const Record &record = *records[i];
        SCOPED_TRACE(record.title().toStdString());
        favourites += record.isFavorite() ? 1 : 0;
        barcodes += record.barcode().isEmpty() ? 0 : 1;
        withTracks += record.tracks().isEmpty() ? 0 : 1;
        EXPECT_EQ(record.purchasePrice(), 18.0 + 3.0 * double(i));
        EXPECT_EQ(record.dateAdded().secsTo(newest), qint64(i) * 9 * 86400);
        EXPECT_EQ(record.format(), QStringLiteral("Vinyl, LP, Album"));
        EXPECT_EQ(record.mediaConditionRaw(), record.sleeveConditionRaw());
        EXPECT_FALSE(record.artist().isEmpty() || record.label().isEmpty()
            || record.catalogNumber().isEmpty());
        ASSERT_TRUE(record.year().has_value());
        EXPECT_GE(*record.year(), 1000);
        EXPECT_FALSE(record.genres().isEmpty());
        if (!record.barcode().isEmpty()) {
            EXPECT_EQ(record.barcode().size(), 12);
        }
    }
    EXPECT_EQ(favourites, 3);
    EXPECT_EQ(barcodes, 3);
    EXPECT_EQ(withTracks, 1);
    const Record &first = *records.first();
    EXPECT_EQ(first.tracks().size(), 3);
    EXPECT_EQ(first.tracks()[1].duration, QStringLiteral("4:14"));
    EXPECT_EQ(first.location(), QStringLiteral("Shelf A, row 2"));
    EXPECT_FALSE(first.notes().isEmpty());
    EXPECT_EQ(first.mediaConditionRaw(), QStringLiteral("VG+"));
    EXPECT_EQ(records.last()->mediaConditionRaw(), QStringLiteral("G+"));
    EXPECT_FALSE(context.hasChanges());
}

TEST(DemoData, LeavesALibraryWithRecordsAlone)
{
    ModelContext context;
    context.insert(std::make_unique<Record>());
    DemoData::seedIfEmpty(context);
    EXPECT_EQ(context.records().size(), 1);
}
