#include "models/model_context.h"
#include "models/record.h"
#include "models/record_draft.h"
#include "services/image_cache.h"
#include "test_images.h"

#include <QTemporaryDir>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

std::unique_ptr<Record> withCover(QColor color, int side = 64)
{
    auto record = std::make_unique<Record>();
    record->setCover(test::encodedImage(side, side, "PNG", color));
    return record;
}

} // namespace

TEST(ImageCache, KeyNamesIDRevisionAndSize)
{
    Record record;
    const QString id = record.id().toString(QUuid::WithoutBraces).toUpper();
    EXPECT_EQ(ImageCache::key(record, true), id + QStringLiteral("-0-f"));
    record.setCover(std::nullopt);
    EXPECT_EQ(ImageCache::key(record, false), id + QStringLiteral("-1-t"));
}

TEST(ImageCache, DecodesOnceAndFollowsCoverChanges)
{
    ImageCache cache;
    auto record = withCover(Qt::red, 1600);
    const QImage full = cache.image(*record, true);
    const QImage thumbnail = cache.image(*record, false);
    EXPECT_EQ(full.size(), QSize(1200, 1200));
    EXPECT_EQ(thumbnail.size(), QSize(400, 400));
    EXPECT_EQ(cache.count(), 2);
    EXPECT_EQ(cache.image(*record, true).cacheKey(), full.cacheKey()); // served from memory

    record->setCover(test::encodedImage(64, 64, "PNG", Qt::blue));
    const QImage changed = cache.image(*record, true);
    EXPECT_EQ(changed.size(), QSize(64, 64));
    EXPECT_EQ(QColor(changed.pixel(10, 10)).blue() > 200, true);
}

TEST(ImageCache, ThumbnailStandsInForMissingCover)
{
    // A stored record with a thumbnail but no cover, written straight into the file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vorla.store"));
    { ModelContext create(path); }
    {
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE);
        db.exec("INSERT INTO records (id, thumbnailData) VALUES "
                "('0B3A6F4E-4C7B-4BD0-9F6A-1C2D3E4F5A6B', 1)");
        SQLite::Statement image(db, "INSERT INTO record_images VALUES "
                                    "('0B3A6F4E-4C7B-4BD0-9F6A-1C2D3E4F5A6B', 1, ?)");
        const QByteArray png = test::encodedImage(40, 30);
        image.bind(1, png.constData(), int(png.size()));
        image.exec();
    }
    ModelContext context(path);
    ASSERT_EQ(context.records().size(), 1);
    const Record &record = *context.records().front();
    ImageCache cache;
    EXPECT_EQ(cache.image(record, true).size(), QSize(40, 30));
    EXPECT_EQ(cache.image(record, false).size(), QSize(40, 30));
    EXPECT_EQ(cache.count(), 2);

    Record bare;
    EXPECT_TRUE(cache.image(bare, true).isNull());
    EXPECT_TRUE(cache.image(bare, false).isNull());
    EXPECT_EQ(cache.count(), 2); // nothing cached for a record without images
    bare.setCover(test::encodedImage(20, 20));
    EXPECT_FALSE(cache.image(bare, false).isNull()); // and a later request tries again
}

TEST(ImageCache, EvictsByCountAndByDecodedBytes)
{
    std::vector<std::unique_ptr<Record>> records;
    for (int i = 0; i < 4; ++i)
        records.push_back(withCover(QColor(i * 40, 0, 0), 100));
    const qint64 oneImage = QImage::fromData(*records[0]->coverImageData()).sizeInBytes();

    ImageCache byCount(2, ImageCache::kByteLimit);
    for (const auto &record : records)
        byCount.image(*record, true);
    EXPECT_EQ(byCount.count(), 2);

    // Room for two and a half decoded covers: the third insert pushes out the oldest.
    ImageCache byBytes(600, oneImage * 5 / 2);
    byBytes.image(*records[0], true);
    byBytes.image(*records[1], true);
    byBytes.image(*records[0], true); // recently used again
    byBytes.image(*records[2], true);
    EXPECT_EQ(byBytes.count(), 2);
    EXPECT_LE(byBytes.totalBytes(), oneImage * 5 / 2);

    // An image larger than the whole budget is returned but never kept.
    ImageCache tiny(600, oneImage / 2);
    EXPECT_FALSE(tiny.image(*records[3], true).isNull());
    EXPECT_EQ(tiny.count(), 0);
    EXPECT_EQ(tiny.totalBytes(), 0);
}
