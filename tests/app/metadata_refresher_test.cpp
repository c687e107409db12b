#include "app/metadata_refresher.h"

#include "models/error.h"
#include "models/model_context.h"
#include "models/record.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

// A lookup whose answers the test controls: by title, a draft ("found"), nothing
// ("missing") or an error ("broken"); with `gated`, every lookup waits until released.
class FakeFacade
{
public:
    bool gated = false;

    MetadataRefresher::LookupFactory factory()
    {
        return [this] {
            ++runs;
            return [this](std::optional<qint64> discogsID, std::optional<QString>, QString barcode,
                       std::stop_token stop) -> std::optional<RecordDraft> {
                std::unique_lock lock(mutex);
                asked.append(barcode);
                ++waiting;
                changed.notify_all();
                if (gated) {
                    changed.wait(lock, stop, [&] { return released > 0; });
                    if (stop.stop_requested())
                        throw CancelledError();
                    --released;
                }
                --waiting;
                if (barcode == u"broken")
                    throw NetworkError(QStringLiteral("offline"));
                if (barcode == u"missing")
                    return std::nullopt;
                RecordDraft draft;
                draft.label = QStringLiteral("Looked Up");
                draft.discogsReleaseID = discogsID;
                return draft;
            };
        };
    }

    void release()
    {
        std::lock_guard lock(mutex);
        ++released;
        changed.notify_all();
    }
    bool waitUntilAsked(int count)
    {
        return QTest::qWaitFor(
            [&] {
                std::lock_guard lock(mutex);
                return asked.size() >= count && waiting > 0;
            },
            5000);
    }

    std::mutex mutex;
    std::condition_variable_any changed;
    QStringList asked;
    int waiting = 0;
    int released = 0;
    int runs = 0;
};

class MetadataRefresherTest : public testing::Test
{
protected:
    // Lookups still running belong to the fake; let them end before it goes.
    ~MetadataRefresherTest() override
    {
        refresher.cancel();
        QThreadPool::globalInstance()->waitForDone();
    }

    // Records are looked up by barcode here, so the barcode names the fake's answer.
    Record *add(const QString &barcode, const QString &title = QStringLiteral("T"),
        const QString &artist = QStringLiteral("A"))
    {
        auto record = std::make_unique<Record>();
        record->setBarcode(barcode);
        record->setTitle(title);
        record->setArtist(artist);
        return context.insert(std::move(record));
    }
    bool waitIdle()
    {
        return QTest::qWaitFor([&] { return !refresher.isRunning(); }, 5000);
    }

    ModelContext context;
    FakeFacade facade;
    MetadataRefresher refresher { facade.factory() };
};

} // namespace

TEST(MetadataRefresherNeeds, SelectsRecordsThatLackDataAndCanBeLookedUp)
{
    ModelContext context;
    auto make = [&](bool thumbnail, bool tracks, std::optional<qint64> discogs,
                    std::optional<QString> mbid, const QString &barcode) {
        auto record = std::make_unique<Record>();
        if (thumbnail) {
            QImage image(8, 8, QImage::Format_RGB32);
            image.fill(Qt::red);
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            record->setCover(png);
        }
        if (tracks)
            record->setTracklistData(QByteArray("[]"));
        record->setDiscogsReleaseID(discogs);
        record->setMusicBrainzID(mbid);
        record->setBarcode(barcode);
        return context.insert(std::move(record));
    };
    const struct
    {
        const char *name;
        Record *record;
        bool expected;
    } cases[] = {
        { "complete", make(true, true, 1, std::nullopt, u"123"_s), false },
        { "nothing to look up by", make(false, false, std::nullopt, std::nullopt, u"no digits"_s),
            false },
        { "no thumbnail, barcode digits", make(false, true, std::nullopt, std::nullopt, u"0 12"_s),
            true },
        { "no tracklist, discogs id", make(true, false, 42, std::nullopt, u""_s), true },
        { "empty musicbrainz id counts", make(true, false, std::nullopt, QString(), u""_s), true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MetadataRefresher::needsMetadata(*c.record), c.expected);
    }
}

TEST_F(MetadataRefresherTest, StartWithNothingNewChangesNothing)
{
    QSignalSpy running(&refresher, &MetadataRefresher::isRunningChanged);
    refresher.start({});
    EXPECT_FALSE(refresher.isRunning());
    EXPECT_EQ(running.count(), 0);
    EXPECT_EQ(facade.runs, 0);
    EXPECT_DOUBLE_EQ(refresher.progress(), 0.0);
}

TEST_F(MetadataRefresherTest, QueuesWhileRunningWithoutASecondWorker)
{
    facade.gated = true;
    Record *a = add(u"1"_s);
    Record *b = add(u"2"_s);
    Record *c = add(u"3"_s);
    refresher.start({ a, b, c });
    EXPECT_TRUE(refresher.isRunning());
    EXPECT_EQ(refresher.total(), 3);
    EXPECT_EQ(refresher.failures(), 0);
    ASSERT_TRUE(facade.waitUntilAsked(1));
    // b and c are still queued; a is being looked up and may join again.
    refresher.start({ b, c });
    EXPECT_EQ(refresher.total(), 3);
    refresher.start({ add(u"4"_s), a });
    EXPECT_EQ(refresher.total(), 5);
    EXPECT_EQ(facade.runs, 1);

    facade.release();
    facade.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return refresher.completed() == 2; }, 5000));
    EXPECT_DOUBLE_EQ(refresher.progress(), 0.4);
    for (int i = 0; i < 3; ++i)
        facade.release();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(facade.asked, (QStringList { u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"1"_s }));
}

TEST_F(MetadataRefresherTest, MergesDraftsAndCountsFailures)
{
    Record *found = add(u"found"_s);
    found->setLabel(QStringLiteral("Old"));
    Record *missing = add(u"missing"_s);
    Record *broken = add(u"broken"_s);
    QSignalSpy failures(&refresher, &MetadataRefresher::failuresChanged);
    refresher.start({ found, missing, broken });
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(found->label(), QStringLiteral("Looked Up"));
    EXPECT_EQ(missing->label(), QString());
    EXPECT_EQ(refresher.failures(), 2);
    EXPECT_EQ(refresher.completed(), 0);
    EXPECT_EQ(refresher.total(), 0);
    EXPECT_EQ(refresher.currentTitle(), QString());

    // The count stays readable until the next run starts.
    refresher.start({ add(u"found"_s) });
    EXPECT_EQ(refresher.failures(), 0);
    ASSERT_TRUE(waitIdle());
}

TEST_F(MetadataRefresherTest, SkipsRecordsDeletedWhileQueued)
{
    facade.gated = true;
    Record *first = add(u"1"_s);
    Record *deleted = add(u"2"_s);
    const QUuid deletedID = deleted->id();
    refresher.start({ first, deleted });
    ASSERT_TRUE(facade.waitUntilAsked(1));
    context.remove(deletedID);
    facade.release();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(facade.asked, QStringList { u"1"_s });
    EXPECT_EQ(refresher.failures(), 0);
}

TEST_F(MetadataRefresherTest, DropsTheDraftOfARecordDeletedDuringItsLookup)
{
    facade.gated = true;
    Record *record = add(u"found"_s);
    refresher.start({ record });
    ASSERT_TRUE(facade.waitUntilAsked(1));
    context.remove(record->id());
    facade.release();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(refresher.failures(), 0);
}

TEST_F(MetadataRefresherTest, ShowsTheArtistWhenTheTitleIsEmpty)
{
    facade.gated = true;
    refresher.start({ add(u"1"_s, QString(), QStringLiteral("Can")) });
    ASSERT_TRUE(facade.waitUntilAsked(1));
    EXPECT_EQ(refresher.currentTitle(), QStringLiteral("Can"));
    facade.release();
    ASSERT_TRUE(waitIdle());
}

TEST_F(MetadataRefresherTest, CancelStopsAtOnceAndIgnoresTheLateResult)
{
    facade.gated = true;
    Record *a = add(u"found"_s);
    Record *b = add(u"found"_s);
    refresher.start({ a, b });
    ASSERT_TRUE(facade.waitUntilAsked(1));
    refresher.cancel();
    EXPECT_FALSE(refresher.isRunning());
    EXPECT_EQ(refresher.completed(), 0);
    EXPECT_EQ(refresher.total(), 0);
    EXPECT_EQ(refresher.currentTitle(), QString());
    QTest::qWait(50);
    EXPECT_EQ(a->label(), QString());
    EXPECT_EQ(refresher.failures(), 0);
    EXPECT_EQ(facade.asked.size(), 1);
}

TEST_F(MetadataRefresherTest, ANewRunAfterCancelIsNotDisturbedByTheOldOne)
{
    facade.gated = true;
    Record *old = add(u"found"_s);
    refresher.start({ old });
    ASSERT_TRUE(facade.waitUntilAsked(1));
    refresher.cancel();
    Record *fresh = add(u"missing"_s);
    refresher.start({ fresh });
    EXPECT_TRUE(refresher.isRunning());
    ASSERT_TRUE(facade.waitUntilAsked(2));
    facade.release();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(old->label(), QString());
    EXPECT_EQ(refresher.failures(), 1);
    EXPECT_EQ(facade.runs, 2);
}
