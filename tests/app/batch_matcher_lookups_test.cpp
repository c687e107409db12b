// The batch matcher on the lookup facade: typed lines and photos reach the web services
// through the scripted transport, photos through recorded searches when replay is on.
#include "app/batch_matcher_fixture.h"

#include "app/debug_hooks.h"
#include "isolated_settings.h"
#include "scanner/photo_fixtures.h"
#include "services/metadata_service.h"
#include "support/scripted_transport.h"
#include "test_support.h"

#include <QFile>
#include <QSettings>

using namespace vorla;
using namespace vorla::test;
using namespace std::chrono_literals;

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

const QByteArray kHit = R"({"results": [
    {"id": 31, "title": "Ana Lua - Low Harbour", "format": ["Vinyl", "LP"], "catno": "ABC-1234"}]})";

class BatchMatcherLookupsTest : public testing::Test
{
protected:
    BatchMatcherLookupsTest() { QSettings().setValue(MetadataService::kUseMusicBrainzKey, false); }

    std::optional<PhotoMatcher::Sources> recording(const QByteArray &content)
    {
        const QString path = dir.filePath(u8("replay.json"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        return DebugHooks::replaySourcesFromFile(path);
    }

    void answerEverything(const ScriptedTransport::Answer &answer)
    {
        transport.setHandler([answer](const HttpRequest &) { return std::optional(answer); });
    }

    IsolatedSettings settings;
    QTemporaryDir dir;
    ScriptedTransport transport;
    VirtualLimiterTime time;
};

ReleaseQuery words(const char *text)
{
    ReleaseQuery query;
    query.text = QString::fromUtf8(text);
    return query;
}

} // namespace

TEST_F(BatchMatcherLookupsTest, PhotosAskTheReplayAndTypedLinesTheServices)
{
    answerEverything(ScriptedTransport::Answer(200, kHit));
    const auto replay = recording(R"({"q:low harbour": {"results": [
        {"id": 7, "title": "Recorded - Answer", "format": ["Vinyl"]}]}})");
    ASSERT_TRUE(replay);
    const BatchMatcher::Lookups lookups = BatchMatcher::facadeLookups([replay] { return replay; });

    const QList<ReleaseCandidate> recorded = lookups.photoSources.search(words("low harbour"), {});
    ASSERT_EQ(recorded.size(), 1);
    EXPECT_EQ(recorded[0].sourceID, u8("7"));
    EXPECT_TRUE(lookups.photoSources.lookupBarcode(u8("5012345678901"), {}).isEmpty());
    EXPECT_TRUE(transport.requests().isEmpty());

    const QList<ReleaseCandidate> live = lookups.search(words("low harbour"), {});
    ASSERT_EQ(live.size(), 1);
    EXPECT_EQ(live[0].sourceID, u8("31"));
    ASSERT_EQ(transport.requests().size(), 1);
    EXPECT_EQ(transport.requests()[0].url.host(), u8("api.discogs.com"));
}

TEST_F(BatchMatcherLookupsTest, WithoutReplayPhotosAskTheServices)
{
    answerEverything(ScriptedTransport::Answer(200, kHit));
    const BatchMatcher::Lookups lookups
        = BatchMatcher::facadeLookups([] { return std::optional<PhotoMatcher::Sources>(); });
    EXPECT_EQ(lookups.photoSources.search(words("low harbour"), {}).size(), 1);
    EXPECT_EQ(transport.requests().size(), 1);
    // A query without free text is answered without a request.
    EXPECT_TRUE(lookups.photoSources.search(ReleaseQuery(), {}).isEmpty());
    EXPECT_EQ(transport.requests().size(), 1);
}

TEST_F(BatchMatcherLookupsTest, ClearingCancelsTheRequestInFlightAndSendsNoMore)
{
    // Every answer takes long; the clear must not wait for it.
    answerEverything(ScriptedTransport::Answer(200, kHit).withDelay(30s));
    ScriptedAnalyzer analyzer;
    PhotoEvidence shelf;
    shelf.kind = PhotoEvidence::Kind::spine;
    shelf.lines = { u8("Low Harbour"), u8("Ana Lua"), u8("ABC-1234"), u8("Gulls and Ferries") };
    analyzer.answer(u8("p.jpg"), { { shelf }, {}, false });
    BatchMatcher::Backend backend;
    backend.analyze = analyzer.analyze();
    backend.lookups = [] {
        return BatchMatcher::facadeLookups([] { return std::optional<PhotoMatcher::Sources>(); });
    };
    BatchMatcher matcher(backend);
    matcher.enqueue({ QUrl::fromLocalFile(u8("/photos/p.jpg")) }, PhotoLayout::spines);
    ASSERT_TRUE(QTest::qWaitFor([&] { return transport.requests().size() == 1; }, 5000));
    matcher.clear();

    // The worker's one thread is free again at once: the next line is searched.
    answerEverything(ScriptedTransport::Answer(200, kHit));
    matcher.enqueue(u8("Ana Lua - Low Harbour"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !matcher.isRunning(); }, 5000));
    EXPECT_EQ(transport.requests().size(), 2);
    ASSERT_EQ(matcher.items().size(), 1);
    EXPECT_EQ(matcher.items()[0].status.kind, BatchItem::Status::Kind::matched);
    // The new worker's request waited for its slot after the cancelled one's: the shared
    // limiter holds across workers.
    EXPECT_EQ(time.discogsAnonymousSleeps(), QList<std::chrono::nanoseconds> { 2450ms });
}

// A shelf of three spines matched from recorded searches alone: one by its catalog number,
// one left for review, one confirmed by its tracklist.
TEST_F(BatchMatcherLookupsTest, RecordedSearchesMatchAShelfWithoutTheNetwork)
{
    // Catalog numbers are searched first; where one is not on record, the spine's words next.
    const auto replay = DebugHooks::replaySourcesFromFile(fixturePath(u8("replay/shelf_searches.json")));
    ASSERT_TRUE(replay);

    const auto spine = [](const QStringList &lines) {
        PhotoEvidence e;
        e.kind = PhotoEvidence::Kind::spine;
        e.lines = lines;
        return e;
    };
    ScriptedAnalyzer analyzer;
    analyzer.answer(u8("shelf.jpg"),
        { { spine({ u8("ANA LUA & THE TIDES"), u8("LOW HARBOUR"), u8("ABC-1234") }),
              spine({ u8("GULL CHOIR"), u8("FERRIES") }),
              spine({ u8("NORTHBOUND"), u8("LANTERNS"), u8("GULLS OVER WATER"),
                  u8("MARTA QUELL") }) },
            {}, false });
    BatchMatcher::Backend backend;
    backend.analyze = analyzer.analyze();
    backend.lookups = [replay] { return BatchMatcher::facadeLookups([replay] { return replay; }); };
    BatchMatcher matcher(backend);
    ModelContext store(dir.filePath(u8("Vorla.store")));
    matcher.setContext(&store);

    matcher.enqueue({ QUrl::fromLocalFile(u8("/photos/shelf.jpg")) }, PhotoLayout::automatic);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !matcher.isRunning(); }, 10000));

    const QList<BatchItem> &items = matcher.items();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].status.kind, BatchItem::Status::Kind::matched);
    EXPECT_EQ(items[0].chosenID, u8("discogs:11"));
    EXPECT_TRUE(items[0].isAdded());
    EXPECT_EQ(items[1].status.kind, BatchItem::Status::Kind::needsReview);
    EXPECT_EQ(items[1].chosenID, u8("discogs:21"));
    EXPECT_FALSE(items[1].include);
    EXPECT_EQ(items[2].status.kind, BatchItem::Status::Kind::matched);
    EXPECT_EQ(items[2].chosenID, u8("discogs:31"));
    EXPECT_TRUE(items[2].isAdded());
    EXPECT_EQ(matcher.addedCount(), 2);

    ModelContext reopened(dir.filePath(u8("Vorla.store")));
    ASSERT_EQ(reopened.records().size(), 2);
    EXPECT_EQ(reopened.records()[0]->title(), u8("Low Harbour"));
    EXPECT_EQ(reopened.records()[0]->artist(), u8("Ana Lua & The Tides"));
    EXPECT_EQ(reopened.records()[1]->title(), u8("Sea Songs"));
    EXPECT_TRUE(transport.requests().isEmpty());
}

TEST_F(BatchMatcherLookupsTest, SettingsChangedDuringAWorkerServeOnlyLaterWorkers)
{
    QSettings().setValue(MetadataService::kUseMusicBrainzKey, true);
    answerEverything(ScriptedTransport::Answer(200, R"({"results": [], "releases": []})"));
    // The hosts asked since the last call.
    qsizetype seen = 0;
    const auto hostsAsked = [this, &seen] {
        QStringList hosts;
        const QList<HttpRequest> requests = transport.requests();
        for (qsizetype i = seen; i < requests.size(); ++i)
            hosts.append(requests[i].url.host());
        seen = requests.size();
        return hosts;
    };
    const auto noReplay = [] { return std::optional<PhotoMatcher::Sources>(); };
    const BatchMatcher::Lookups running = BatchMatcher::facadeLookups(noReplay);
    running.search(words("low harbour"), {});
    EXPECT_TRUE(hostsAsked().contains(u8("musicbrainz.org")));

    QSettings().setValue(MetadataService::kUseMusicBrainzKey, false);
    running.search(words("low harbour"), {});
    EXPECT_TRUE(hostsAsked().contains(u8("musicbrainz.org")));
    const BatchMatcher::Lookups later = BatchMatcher::facadeLookups(noReplay);
    later.search(words("low harbour"), {});
    EXPECT_FALSE(hostsAsked().contains(u8("musicbrainz.org")));
}

// From a generated shelf photo, read by the real analyzer, to matched and added records,
// with recorded searches in place of the web services.
TEST_F(BatchMatcherLookupsTest, ShelfPhotoMatchedFromRecordedSearches)
{
    const QImage shelf = shelfPhoto({ { u8("LOW HARBOUR  ANA LUA  ABC-1234"), true },
                                        { u8("GULL CHOIR  FERRIES  GC-5521"), false },
                                        { u8("EASTWARD  MARTA QUELL  EW 4412"), true } },
        1200, 900);
    const QString path = dir.filePath(u8("shelf.png"));
    ASSERT_TRUE(shelf.save(path));
    // Catalog numbers are searched first; where one is not on record, the spine's words next.
    const auto replay = DebugHooks::replaySourcesFromFile(fixturePath(u8("replay/shelf_searches.json")));
    ASSERT_TRUE(replay);

    BatchMatcher::Backend backend = BatchMatcher::liveBackend();
    backend.lookups = [replay] { return BatchMatcher::facadeLookups([replay] { return replay; }); };
    BatchMatcher matcher(backend);
    ModelContext store(dir.filePath(u8("Vorla.store")));
    auto owned = std::make_unique<Record>();
    owned->setDiscogsReleaseID(41);
    store.insert(std::move(owned));
    store.save();
    matcher.setContext(&store);

    matcher.enqueue({ QUrl::fromLocalFile(path) }, PhotoLayout::automatic);
    // Text reading is slow under the sanitizers on a busy machine.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !matcher.isRunning(); }, 240000));

    const QList<BatchItem> &items = matcher.items();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].line, u8("shelf.png \u00B7 spine 1: LOW HARBOUR ANALUA ABC-1234"));
    EXPECT_EQ(items[0].status.kind, BatchItem::Status::Kind::matched);
    EXPECT_EQ(items[0].chosenID, u8("discogs:11"));
    EXPECT_TRUE(items[0].isAdded());
    EXPECT_EQ(items[1].status.kind, BatchItem::Status::Kind::needsReview);
    EXPECT_EQ(items[1].chosenID, u8("discogs:21"));
    EXPECT_FALSE(items[1].include);
    EXPECT_EQ(items[2].status.kind, BatchItem::Status::Kind::matched);
    EXPECT_TRUE(items[2].alreadyOwned);
    EXPECT_FALSE(items[2].isAdded());
    EXPECT_FALSE(items[2].include);
    EXPECT_EQ(matcher.photosAnalyzed(), 1);

    ModelContext reopened(dir.filePath(u8("Vorla.store")));
    ASSERT_EQ(reopened.records().size(), 2);
    EXPECT_EQ(reopened.records()[1]->title(), u8("Low Harbour"));
    EXPECT_EQ(reopened.records()[1]->catalogNumber(), u8("ABC-1234"));
    EXPECT_TRUE(transport.requests().isEmpty());
}
