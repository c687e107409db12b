#include "models/model_context.h"
#include "models/record.h"
#include "models/record_draft.h"
#include "services/image_cache.h"
#include "test_images.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

using namespace vorla;

namespace {

std::unique_ptr<Record> withCover(QColor color, int side = 64)
{
    auto record = std::make_unique<Record>();
    record->setCover(test::encodedImage(side, side, "PNG", color));
    return record;
}

// The image once decoded: asks, waits for the cache to report the key, asks again.
QImage decoded(ImageCache &cache, const Record &record, bool full)
{
    bool decoding = false;
    QSignalSpy ready(&cache, &ImageCache::imageReady);
    const QImage first = cache.image(record, full, &decoding);
    if (!decoding)
        return first;
    const QString key = ImageCache::key(record, full);
    while (!ready.contains(QVariantList { key })) {
        if (!ready.wait(5000)) {
            ADD_FAILURE() << "no image arrived for " << key.toStdString();
            return {};
        }
    }
    return cache.image(record, full);
}

// Stored records of which some have a thumbnail but no cover, written straight into the file.
class StoredThumbnails
{
public:
    explicit StoredThumbnails(const QList<std::pair<const char *, QByteArray>> &thumbnails)
    {
        const QString path = m_dir.filePath(QStringLiteral("Vorla.store"));
        { ModelContext create(path); }
        {
            SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE);
            for (const auto &[id, bytes] : thumbnails) {
                SQLite::Statement record(
                    db, "INSERT INTO records (id, thumbnailData) VALUES (?, 1)");
                record.bind(1, id);
                record.exec();
                SQLite::Statement image(db, "INSERT INTO record_images VALUES (?, 1, ?)");
                image.bind(1, id);
                image.bind(2, bytes.constData(), int(bytes.size()));
                image.exec();
            }
        }
        context = std::make_unique<ModelContext>(path);
    }

    std::unique_ptr<ModelContext> context;

private:
    QTemporaryDir m_dir;
};

// Decodes as the cache does, and notes how often and on which threads.
struct WatchedDecoder
{
    std::atomic<int> calls = 0;
    std::atomic<bool> onGuiThread = false;

    ImageCache::Decoder decoder()
    {
        return [this](const QByteArray &bytes) {
            ++calls;
            if (QThread::currentThread() == QCoreApplication::instance()->thread())
                onGuiThread = true;
            return ImageCache::decode(bytes);
        };
    }
};

} // namespace

TEST(ImageCache, KeyNamesIDRevisionAndSize)
{
    Record record;
    const QString id = record.id().toString(QUuid::WithoutBraces).toUpper();
    EXPECT_EQ(ImageCache::key(record, true), id + QStringLiteral("-0-f"));
    record.setCover(std::nullopt);
    EXPECT_EQ(ImageCache::key(record, false), id + QStringLiteral("-1-t"));
}

TEST(ImageCache, AMissDecodesOnAWorkerThenReportsAndHits)
{
    WatchedDecoder watch;
    ImageCache cache(ImageCache::kCountLimit, ImageCache::kByteLimit, watch.decoder());
    auto record = withCover(Qt::red, 100);
    QSignalSpy ready(&cache, &ImageCache::imageReady);
    bool decoding = false;
    EXPECT_TRUE(cache.image(*record, true, &decoding).isNull()); // the placeholder meanwhile
    EXPECT_TRUE(decoding);
    EXPECT_EQ(cache.pendingCount(), 1);
    EXPECT_EQ(cache.count(), 0);

    ASSERT_TRUE(ready.wait(5000));
    EXPECT_EQ(ready.takeFirst(), QVariantList { ImageCache::key(*record, true) });
    const QImage hit = cache.image(*record, true, &decoding);
    EXPECT_FALSE(decoding);
    EXPECT_EQ(hit.size(), QSize(100, 100));
    EXPECT_EQ(cache.pendingCount(), 0);
    EXPECT_EQ(cache.count(), 1);
    EXPECT_EQ(watch.calls, 1);
    EXPECT_FALSE(watch.onGuiThread);
}

TEST(ImageCache, APageOfMissesIsDecodedByAFewWorkersAndEveryOneArrives)
{
    QThreadPool pool;
    pool.setMaxThreadCount(2);
    std::atomic<int> running = 0;
    std::atomic<int> mostAtOnce = 0;
    ImageCache cache(ImageCache::kCountLimit, ImageCache::kByteLimit,
        [&](const QByteArray &bytes) {
            const int now = ++running;
            mostAtOnce = std::max(mostAtOnce.load(), now);
            QThread::msleep(5);
            --running;
            return ImageCache::decode(bytes);
        },
        &pool);
    std::vector<std::unique_ptr<Record>> page;
    for (int i = 0; i < 24; ++i)
        page.push_back(withCover(QColor::fromHsv(i * 15, 200, 200), 20 + i));
    QSignalSpy ready(&cache, &ImageCache::imageReady);
    for (const auto &record : page)
        EXPECT_TRUE(cache.image(*record, true).isNull());
    EXPECT_LE(pool.activeThreadCount(), 2);
    cache.waitForDecodes();
    EXPECT_EQ(ready.count(), int(page.size()));
    EXPECT_LE(mostAtOnce, 2);
    for (int i = 0; i < int(page.size()); ++i)
        EXPECT_EQ(cache.image(*page[i], true).width(), 20 + i);
}

TEST(ImageCache, AFinishedDecodeIsShownBeforeItsReportArrivesWhichStillComes)
{
    QThreadPool pool;
    WatchedDecoder watch;
    ImageCache cache(ImageCache::kCountLimit, ImageCache::kByteLimit, watch.decoder(), &pool);
    auto record = withCover(Qt::blue, 48);
    QSignalSpy ready(&cache, &ImageCache::imageReady);
    EXPECT_TRUE(cache.image(*record, true).isNull());
    // Decoded, with the report still waiting in the event queue: a paint now shows the picture.
    ASSERT_TRUE(pool.waitForDone(5000));
    bool decoding = true;
    const QImage early = cache.image(*record, true, &decoding);
    EXPECT_FALSE(decoding);
    EXPECT_EQ(early.size(), QSize(48, 48));
    EXPECT_EQ(cache.pendingCount(), 0);
    EXPECT_EQ(ready.count(), 0);

    // Whoever painted the placeholder before is still told.
    ASSERT_TRUE(ready.wait(5000));
    EXPECT_EQ(ready.takeFirst(), QVariantList { ImageCache::key(*record, true) });
    EXPECT_EQ(cache.image(*record, true).size(), QSize(48, 48));
    EXPECT_EQ(cache.count(), 1);
    EXPECT_EQ(watch.calls, 1);
}

TEST(ImageCache, RequestsWhileDecodingShareOneDecode)
{
    WatchedDecoder watch;
    // The decode is held until every request is in: a finished one would be served at once.
    std::atomic<bool> release = false;
    ImageCache cache(ImageCache::kCountLimit, ImageCache::kByteLimit,
        [&release, decoder = watch.decoder()](const QByteArray &bytes) {
            while (!release)
                QThread::msleep(1);
            return decoder(bytes);
        });
    auto record = withCover(Qt::red);
    QSignalSpy ready(&cache, &ImageCache::imageReady);
    for (int i = 0; i < 3; ++i) {
        bool decoding = false;
        EXPECT_TRUE(cache.image(*record, false, &decoding).isNull());
        EXPECT_TRUE(decoding);
    }
    EXPECT_EQ(cache.pendingCount(), 1);
    release = true;
    ASSERT_TRUE(ready.wait(5000));
    EXPECT_EQ(ready.size(), 1);
    EXPECT_EQ(watch.calls, 1);
    EXPECT_EQ(cache.pendingCount(), 0);
    EXPECT_FALSE(cache.image(*record, false).isNull());
}

TEST(ImageCache, DecodesOnceAndFollowsCoverChanges)
{
    ImageCache cache;
    auto record = withCover(Qt::red, 1600);
    const QImage full = decoded(cache, *record, true);
    const QImage thumbnail = decoded(cache, *record, false);
    EXPECT_EQ(full.size(), QSize(1200, 1200));
    EXPECT_EQ(thumbnail.size(), QSize(400, 400));
    EXPECT_EQ(cache.count(), 2);
    EXPECT_EQ(cache.image(*record, true).cacheKey(), full.cacheKey()); // served from memory

    record->setCover(test::encodedImage(64, 64, "PNG", Qt::blue));
    const QImage changed = decoded(cache, *record, true);
    EXPECT_EQ(changed.size(), QSize(64, 64));
    EXPECT_EQ(QColor(changed.pixel(10, 10)).blue() > 200, true);
}

TEST(ImageCache, ADecodeOfAnOldRevisionIsNotShownForTheNewCover)
{
    ImageCache cache;
    auto record = withCover(Qt::red);
    const QString oldKey = ImageCache::key(*record, false);
    QSignalSpy ready(&cache, &ImageCache::imageReady);
    EXPECT_TRUE(cache.image(*record, false).isNull());
    record->setCover(test::encodedImage(64, 64, "PNG", Qt::blue));
    ASSERT_TRUE(ready.wait(5000));
    EXPECT_EQ(ready.takeFirst(), QVariantList { oldKey });

    // The red decode landed under its own revision; the blue cover is decoded afresh.
    bool decoding = false;
    EXPECT_TRUE(cache.image(*record, false, &decoding).isNull());
    EXPECT_TRUE(decoding);
    const QImage shown = decoded(cache, *record, false);
    ASSERT_FALSE(shown.isNull());
    EXPECT_GT(QColor(shown.pixel(10, 10)).blue(), 200);
    EXPECT_LT(QColor(shown.pixel(10, 10)).red(), 50);
}

TEST(ImageCache, ThumbnailStandsInForMissingCover)
{
    StoredThumbnails store({ { "0B3A6F4E-4C7B-4BD0-9F6A-1C2D3E4F5A6B", test::encodedImage(40, 30) } });
    ASSERT_EQ(store.context->records().size(), 1);
    const Record &record = *store.context->records().front();
    ImageCache cache;
    EXPECT_EQ(decoded(cache, record, true).size(), QSize(40, 30));
    EXPECT_EQ(decoded(cache, record, false).size(), QSize(40, 30));
    EXPECT_EQ(cache.count(), 2);

    Record bare;
    bool decoding = true;
    EXPECT_TRUE(cache.image(bare, true, &decoding).isNull());
    EXPECT_FALSE(decoding); // nothing to wait for
    EXPECT_TRUE(cache.image(bare, false).isNull());
    EXPECT_EQ(cache.count(), 2); // nothing cached for a record without images
    EXPECT_EQ(cache.pendingCount(), 0);
    bare.setCover(test::encodedImage(20, 20));
    EXPECT_FALSE(decoded(cache, bare, false).isNull()); // and a later request tries again
}

TEST(ImageCache, UndecodableBytesAreReportedAndCachedAsNothing)
{
    StoredThumbnails store({ { "0B3A6F4E-4C7B-4BD0-9F6A-1C2D3E4F5A6B", QByteArray("not an image") } });
    const Record &record = *store.context->records().front();
    WatchedDecoder watch;
    ImageCache cache(ImageCache::kCountLimit, ImageCache::kByteLimit, watch.decoder());
    QSignalSpy ready(&cache, &ImageCache::imageReady);
    EXPECT_TRUE(decoded(cache, record, false).isNull());
    EXPECT_EQ(ready.size(), 1);

    // Painting again must not start the decode over, or every repaint would ask for another.
    bool decoding = true;
    EXPECT_TRUE(cache.image(record, false, &decoding).isNull());
    EXPECT_FALSE(decoding);
    EXPECT_EQ(cache.pendingCount(), 0);
    EXPECT_EQ(cache.count(), 1);
    EXPECT_EQ(watch.calls, 1);
}

TEST(ImageCache, EvictsByCountAndByDecodedBytes)
{
    std::vector<std::unique_ptr<Record>> records;
    for (int i = 0; i < 4; ++i)
        records.push_back(withCover(QColor(i * 40, 0, 0), 100));
    const qint64 oneImage = QImage::fromData(*records[0]->coverImageData()).sizeInBytes();

    ImageCache byCount(2, ImageCache::kByteLimit);
    for (const auto &record : records)
        decoded(byCount, *record, true);
    EXPECT_EQ(byCount.count(), 2);

    // Room for two and a half decoded covers: the third insert pushes out the oldest.
    ImageCache byBytes(600, oneImage * 5 / 2);
    decoded(byBytes, *records[0], true);
    decoded(byBytes, *records[1], true);
    decoded(byBytes, *records[0], true); // recently used again
    decoded(byBytes, *records[2], true);
    EXPECT_EQ(byBytes.count(), 2);
    EXPECT_LE(byBytes.totalBytes(), oneImage * 5 / 2);
    EXPECT_FALSE(byBytes.image(*records[0], true).isNull());
    EXPECT_FALSE(byBytes.image(*records[2], true).isNull());

    // An image larger than the whole budget is shown but not kept in it.
    ImageCache tiny(600, oneImage / 2);
    EXPECT_FALSE(decoded(tiny, *records[3], true).isNull());
    EXPECT_EQ(tiny.count(), 0);
    EXPECT_EQ(tiny.totalBytes(), 0);
}
