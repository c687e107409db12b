#include "services/metadata_service.h"

#include "services/lookup_error.h"
#include "services/release_query.h"
#include "support/scripted_transport.h"
#include "test_support.h"

#include <QSettings>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <variant>

using namespace Qt::StringLiterals;

using namespace vorla;
using vorla::test::readFixture;
using vorla::test::ScriptedTransport;
using vorla::test::VirtualLimiterTime;
using Answer = ScriptedTransport::Answer;

namespace {

const QString kDiscogs = QStringLiteral("https://api.discogs.com");
const QString kMusicBrainz = QStringLiteral("https://musicbrainz.org/ws/2");
const QString kMBID = QStringLiteral("0f3b7c2a-5d1e-4c8b-9a6f-1e2d3c4b5a69");

// Three Discogs hits in this order: a CD, a vinyl LP and a cassette.
const QByteArray kDiscogsHits = R"({"results": [
    {"id": 1, "title": "A - On CD", "format": ["CD", "Album"]},
    {"id": 2, "title": "A - On Vinyl", "format": ["Vinyl", "LP"], "barcode": ["5012345678900"]},
    {"id": 3, "title": "A - On Tape", "format": ["Cassette"]}]})";
const QByteArray kNoDiscogsHits = R"({"results": []})";
const QByteArray kNoMusicBrainzHits = R"({"releases": []})";

QStringList idsOf(const QList<ReleaseCandidate> &candidates)
{
    QStringList ids;
    for (const ReleaseCandidate &c : candidates)
        ids.append(c.sourceID);
    return ids;
}

class MetadataServiceTest : public testing::Test
{
protected:
    // Every Discogs API request gets `discogs`, every MusicBrainz one `musicBrainz`.
    void answerServices(const Answer &discogs, const Answer &musicBrainz)
    {
        transport.setHandler([discogs, musicBrainz](const HttpRequest &request) {
            const QString url = request.url.toString();
            if (url.startsWith(kDiscogs))
                return std::optional(discogs);
            if (url.startsWith(kMusicBrainz))
                return std::optional(musicBrainz);
            return std::optional<Answer>();
        });
    }
    QStringList hostsAsked() const
    {
        QStringList hosts;
        for (const HttpRequest &request : transport.requests())
            hosts.append(request.url.host());
        return hosts;
    }
    QStringList urlsAsked() const { return transport.requestedURLs(); }

    ScriptedTransport transport;
    VirtualLimiterTime time;
    MetadataService service { std::nullopt, true };
    const QByteArray image = readFixture(u"coverart/front-500.jpg"_s);
    const QByteArray html = readFixture(u"coverart/not_found.html"_s);
};

ReleaseCandidate discogsCandidate(const QString &id)
{
    ReleaseCandidate c;
    c.source = MetadataSource::discogs;
    c.sourceID = id;
    return c;
}

} // namespace

TEST_F(MetadataServiceTest, GatherRule)
{
    using Outcome = std::variant<QStringList, LookupError::Kind>;
    const Answer discogsHits(200, kDiscogsHits), discogsNone(200, kNoDiscogsHits), needsToken(401),
        rateLimited(429), discogsDown(500);
    const Answer mbHits(200, readFixture(u"musicbrainz/search.json"_s)),
        mbNone(200, kNoMusicBrainzHits), mbDown(500);
    const QStringList mbIDs = { kMBID, QStringLiteral("A1B2C3D4-E5F6-4A7B-8C9D-0E1F2A3B4C5D") };
    const struct
    {
        const char *name;
        Answer discogs, musicBrainz;
        bool useMusicBrainz;
        Outcome expected;
        bool asksMusicBrainz;
    } cases[] = {
        { "Discogs hits, vinyl first", discogsHits, mbHits, true, QStringList { u"2"_s, u"1"_s, u"3"_s },
            false },
        { "nothing, fallback off", discogsNone, mbHits, false, QStringList {}, false },
        { "nothing on Discogs", discogsNone, mbHits, true, mbIDs, true },
        { "Discogs wants a token", needsToken, mbHits, true, mbIDs, true },
        { "both fail", rateLimited, mbDown, true, LookupError::Kind::rateLimited, true },
        { "MusicBrainz fails", discogsNone, mbDown, true, LookupError::Kind::http, true },
        { "Discogs fails, MusicBrainz finds nothing", discogsDown, mbNone, true,
            LookupError::Kind::http, true },
        { "Discogs fails, fallback off", needsToken, mbHits, false, LookupError::Kind::missingToken,
            false },
        { "nothing anywhere", discogsNone, mbNone, true, QStringList {}, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const MetadataService service { std::nullopt, c.useMusicBrainz };
        for (const bool byBarcode : { false, true }) {
            SCOPED_TRACE(byBarcode ? "lookup(barcode:)" : "search(_:)");
            transport.clear();
            answerServices(c.discogs, c.musicBrainz);
            Outcome outcome;
            try {
                outcome
                    = idsOf(byBarcode ? service.lookup(u"4006381333931"_s, {})
                                      : service.search(ReleaseQuery { u""_s, u""_s, u""_s, u""_s, u"x"_s }, {}));
            } catch (const LookupError &error) {
                outcome = error.kind();
            }
            EXPECT_EQ(outcome, c.expected);
            EXPECT_EQ(hostsAsked().contains(u"musicbrainz.org"_s), c.asksMusicBrainz);
            EXPECT_TRUE(hostsAsked().startsWith(u"api.discogs.com"_s));
        }
    }
}

TEST_F(MetadataServiceTest, DetailsFetchTheCandidatesReleaseWithItsCover)
{
    // The release has no barcode and no image: the candidate's barcode and cover fill in.
    transport.answer(kDiscogs + u"/releases/42"_s, 200, readFixture(u"discogs/release_minimal.json"_s));
    transport.answer(QStringLiteral("https://img.example/cover.jpg"), 200, image);
    ReleaseCandidate candidate = discogsCandidate(u"+42"_s);
    candidate.barcode = QStringLiteral("5012345678900");
    candidate.coverURL = QUrl(u"https://img.example/cover.jpg"_s);

    const RecordDraft draft = service.details(candidate, {});
    EXPECT_EQ(draft.title, QStringLiteral("Bare Release"));
    EXPECT_EQ(draft.barcode, QStringLiteral("5012345678900"));
    EXPECT_EQ(draft.coverImageData, image);
    EXPECT_TRUE(draft.coverChanged);

    // A release with its own barcode keeps it.
    transport.answer(kDiscogs + u"/releases/1000001"_s, 200, readFixture(u"discogs/release_full.json"_s));
    candidate.sourceID = QStringLiteral("1000001");
    EXPECT_EQ(service.details(candidate, {}).barcode, QStringLiteral("5012345678900"));
}

TEST_F(MetadataServiceTest, DetailsOfAMusicBrainzCandidateComeFromMusicBrainz)
{
    const QString release = kMusicBrainz + u"/release/"_s + kMBID
        + u"?inc=recordings+labels+artist-credits+genres+release-groups&fmt=json"_s;
    transport.answer(release, 200, readFixture(u"musicbrainz/release_full.json"_s));
    transport.answer(u"https://coverartarchive.org/release/"_s + kMBID + u"/front-500"_s, 200, image);
    ReleaseCandidate candidate;
    candidate.source = MetadataSource::musicBrainz;
    candidate.sourceID = kMBID;

    const RecordDraft draft = service.details(candidate, {});
    EXPECT_EQ(draft.musicBrainzID, kMBID);
    EXPECT_EQ(draft.coverImageData, image);
    EXPECT_EQ(urlsAsked(),
        QStringList({ release, u"https://coverartarchive.org/release/"_s + kMBID + u"/front-500"_s }));
    // Cover downloads take no limiter slot.
    EXPECT_TRUE(time.musicBrainzSleeps().isEmpty());
}

TEST_F(MetadataServiceTest, DiscogsIdsThatAreNoNumberAreNotFound)
{
    for (const char *id : { "abc", "", "12a", "1 2" }) {
        SCOPED_TRACE(id);
        for (const bool tracksOnly : { false, true }) {
            try {
                tracksOnly ? (void)service.tracklist(discogsCandidate(QString::fromUtf8(id)), {})
                           : (void)service.details(discogsCandidate(QString::fromUtf8(id)), {});
                ADD_FAILURE() << "no error";
            } catch (const LookupError &error) {
                EXPECT_EQ(error.kind(), LookupError::Kind::notFound);
            }
        }
    }
    EXPECT_TRUE(transport.requests().isEmpty());
}

TEST_F(MetadataServiceTest, TracklistFetchesNoCover)
{
    transport.answer(kDiscogs + u"/releases/1000001"_s, 200, readFixture(u"discogs/release_full.json"_s));
    const QList<Track> tracks = service.tracklist(discogsCandidate(u"1000001"_s), {});
    ASSERT_EQ(tracks.size(), 2);
    EXPECT_EQ(tracks[1].title, QStringLiteral("Low Tide"));
    EXPECT_EQ(transport.requests().size(), 1);
}

TEST_F(MetadataServiceTest, AttachCoverTriesTheDraftsURLThenTheFallback)
{
    const QString own = QStringLiteral("https://img.example/own.jpg");
    const QString fallback = QStringLiteral("https://img.example/fallback.jpg");
    const struct
    {
        const char *name;
        std::optional<Answer> own, fallback; // none: that URL is not given
        std::optional<QByteArray> stored;
        int requests;
    } cases[] = {
        { "own cover", Answer(200, image), Answer(200, html), image, 1 },
        { "own 404, fallback image", Answer(404), Answer(200, image), image, 2 },
        { "own unreachable", Answer::failure(u"no route"_s), Answer(200, image), image, 2 },
        { "both no images", Answer(200, html), Answer(200, QByteArray()), std::nullopt, 2 },
        { "fallback only", std::nullopt, Answer(200, image), image, 1 },
        { "nothing to try", std::nullopt, std::nullopt, std::nullopt, 0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        transport.clear();
        if (c.own)
            transport.answer(QUrl(own), *c.own);
        if (c.fallback)
            transport.answer(QUrl(fallback), *c.fallback);
        RecordDraft draft;
        if (c.own)
            draft.coverURL = QUrl(own);
        service.attachCover(draft, c.fallback ? std::optional(QUrl(fallback)) : std::nullopt, {});
        EXPECT_EQ(draft.coverImageData, c.stored);
        EXPECT_EQ(draft.coverChanged, c.stored.has_value());
        EXPECT_EQ(transport.requests().size(), c.requests);
        for (const HttpRequest &request : transport.requests())
            EXPECT_FALSE(request.header("Authorization"));
    }

    // The same URL as cover and fallback is tried twice.
    transport.clear();
    transport.answer(own, 200, html);
    RecordDraft draft;
    draft.coverURL = QUrl(own);
    service.attachCover(draft, QUrl(own), {});
    EXPECT_EQ(transport.requests().size(), 2);
    EXPECT_FALSE(draft.coverImageData);
}

TEST_F(MetadataServiceTest, RefreshedMetadataOrder)
{
    const QString discogsRelease = kDiscogs + u"/releases/1000001"_s;
    const QString discogsCover = QStringLiteral("https://i.discogs.example/images/front.jpg");
    const QString mbRelease = kMusicBrainz + u"/release/"_s + kMBID
        + u"?inc=recordings+labels+artist-credits+genres+release-groups&fmt=json"_s;
    const QString mbCover = u"https://coverartarchive.org/release/"_s + kMBID + u"/front-500"_s;
    const QString barcodeSearch
        = kDiscogs + u"/database/search?barcode=074643521109&per_page=25&type=release"_s;
    const QString vinylRelease = kDiscogs + u"/releases/2"_s;

    const auto script = [&] {
        transport.clear();
        transport.answer(discogsRelease, 200, readFixture(u"discogs/release_full.json"_s));
        transport.answer(discogsCover, 200, image);
        transport.answer(mbRelease, 200, readFixture(u"musicbrainz/release_full.json"_s));
        transport.answer(mbCover, 200, image);
        transport.answer(barcodeSearch, 200, kDiscogsHits);
        transport.answer(vinylRelease, 200, readFixture(u"discogs/release_minimal.json"_s));
    };

    const struct
    {
        const char *name;
        std::optional<qint64> discogsID;
        std::optional<QString> musicBrainzID;
        const char *barcode;
        QStringList asked;
        bool drafted;
    } cases[] = {
        { "both ids: only Discogs", 1000001, kMBID, "074643521109",
            { discogsRelease, discogsCover }, true },
        { "MusicBrainz id", std::nullopt, kMBID, "074643521109", { mbRelease, mbCover }, true },
        // An empty id is no id: the barcode is still tried.
        { "empty MusicBrainz id", std::nullopt, QString(), "074643521109",
            { barcodeSearch, vinylRelease }, true },
        { "empty MusicBrainz id, no barcode", std::nullopt, QString(), "", {}, false },
        { "barcode of letters", std::nullopt, std::nullopt, "abc", {}, false },
        { "barcode: the first hit after vinyl-first", std::nullopt, std::nullopt, "074643521109",
            { barcodeSearch, vinylRelease }, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        script();
        const std::optional<RecordDraft> draft
            = service.refreshedMetadata(c.discogsID, c.musicBrainzID, QString::fromUtf8(c.barcode), {});
        EXPECT_EQ(draft.has_value(), c.drafted);
        EXPECT_EQ(urlsAsked(), c.asked);
    }

    // The release found by barcode carries the hit's barcode where it has none.
    script();
    EXPECT_EQ(service.refreshedMetadata(std::nullopt, std::nullopt, u"074643521109"_s, {})->barcode,
        QStringLiteral("5012345678900"));
}

TEST_F(MetadataServiceTest, RefreshedMetadataReportsFailuresAndMisses)
{
    // A failing Discogs release is thrown; neither MusicBrainz nor the barcode is tried.
    transport.answer(kDiscogs + u"/releases/7"_s, 500);
    EXPECT_THROW(service.refreshedMetadata(7, kMBID, u"074643521109"_s, {}), LookupError);
    EXPECT_EQ(transport.requests().size(), 1);

    transport.clear();
    EXPECT_THROW(service.refreshedMetadata(0, std::nullopt, u""_s, {}), LookupError);
    EXPECT_THROW(
        service.refreshedMetadata(std::nullopt, QStringLiteral("abc"), u""_s, {}), LookupError);
    EXPECT_TRUE(transport.requests().isEmpty());

    answerServices(Answer(200, kNoDiscogsHits), Answer(200, kNoMusicBrainzHits));
    EXPECT_FALSE(service.refreshedMetadata(std::nullopt, std::nullopt, u"074643521109"_s, {}));
}

TEST(MetadataService, CurrentReadsTheFallbackSetting)
{
    const struct
    {
        const char *name;
        std::optional<QVariant> stored;
        bool expected;
    } cases[] = {
        { "never set", std::nullopt, true },
        { "off", QVariant(false), false },
        { "on", QVariant(true), true },
        // How a bool comes back from the settings file in a later run.
        { "off as stored in the file", QVariant(QStringLiteral("false")), false },
        { "other text", QVariant(QStringLiteral("no")), true },
        { "a number", QVariant(0), true },
    };
    QSettings settings;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.stored)
            settings.setValue(MetadataService::kUseMusicBrainzKey, *c.stored);
        else
            settings.remove(MetadataService::kUseMusicBrainzKey);
        EXPECT_EQ(MetadataService::current().useMusicBrainz, c.expected);
    }
    settings.remove(MetadataService::kUseMusicBrainzKey);
}
