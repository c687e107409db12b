#include "services/musicbrainz_json.h"

#include "services/musicbrainz_client.h"

#include "decoding_failure.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;
using vorla::test::decodingFailure;
using vorla::test::readFixture;

TEST(MusicBrainzJson, DecodesSearchReleasesWithMissingAndNullMembers)
{
    const MBSearch search = decodeMBSearch(readFixture(u"musicbrainz/search.json"_s));
    ASSERT_EQ(search.releases.size(), 3);

    const MBRelease &full = search.releases[0];
    EXPECT_EQ(full.date, QStringLiteral("1977-05"));
    ASSERT_TRUE(full.artistCredit);
    EXPECT_EQ(full.artistCredit->at(0).joinphrase, QStringLiteral(" & "));
    EXPECT_FALSE(full.artistCredit->at(1).joinphrase);
    ASSERT_TRUE(full.labelInfo);
    EXPECT_FALSE(full.labelInfo->at(0).label);
    EXPECT_EQ(full.labelInfo->at(1).label->name, QStringLiteral("Later Label"));
    ASSERT_TRUE(full.media);
    EXPECT_FALSE(full.media->at(0).tracks);
    EXPECT_FALSE(full.releaseGroup);

    const MBRelease &bare = search.releases[2];
    EXPECT_FALSE(bare.date);
    EXPECT_FALSE(bare.barcode);
    EXPECT_FALSE(bare.artistCredit);
    EXPECT_FALSE(bare.labelInfo);
    EXPECT_FALSE(bare.media);
}

TEST(MusicBrainzJson, DecodesReleaseWithMediaTracksAndGenres)
{
    const MBRelease release = decodeMBRelease(readFixture(u"musicbrainz/release_full.json"_s));
    ASSERT_TRUE(release.media);
    ASSERT_EQ(release.media->size(), 3);
    EXPECT_EQ(release.media->at(1).position, 2);
    ASSERT_TRUE(release.media->at(1).tracks);
    EXPECT_EQ(release.media->at(1).tracks->at(0).length, 3600000);
    EXPECT_FALSE(release.media->at(1).tracks->at(1).length);
    EXPECT_FALSE(release.media->at(2).format);
    ASSERT_TRUE(release.releaseGroup);
    ASSERT_TRUE(release.releaseGroup->genres);
    EXPECT_EQ(release.releaseGroup->genres->size(), 5);
    EXPECT_FALSE(release.releaseGroup->genres->at(1).count);

    const MBRelease bare = decodeMBRelease(readFixture(u"musicbrainz/release_minimal.json"_s));
    EXPECT_EQ(bare.title, QStringLiteral("Bare Release"));
    EXPECT_FALSE(bare.genres);
    EXPECT_FALSE(bare.releaseGroup);
}

TEST(MusicBrainzJson, RejectsAnswersOfTheWrongShape)
{
    const struct
    {
        const char *json;
        const char *problem;
    } searches[] = {
        { R"({"count": 0})", "\"releases\" is missing" },
        { R"({"releases": [{"title": "T"}]})", "\"releases[0].id\" is missing" },
        { R"({"releases": [{"id": "x"}]})", "\"releases[0].title\" is missing" },
        { R"({"releases": [{"id": 5, "title": "T"}]})",
            "\"releases[0].id\" is a number, not text" },
    };
    for (const auto &c : searches) {
        SCOPED_TRACE(c.json);
        EXPECT_NE(decodingFailure(decodeMBSearch, c.json).find(c.problem), std::string::npos)
            << decodingFailure(decodeMBSearch, c.json);
    }

    const struct
    {
        const char *json;
        const char *problem;
    } releases[] = {
        { R"({"id": "x", "title": "T", "artist-credit": [{"joinphrase": " & "}]})",
            "\"artist-credit[0].name\" is missing" },
        { R"({"id": "x", "title": "T", "label-info": [{"label": {}}]})",
            "\"label-info[0].label.name\" is missing" },
        { R"({"id": "x", "title": "T", "label-info": [{"catalog-number": 12}]})",
            "\"label-info[0].catalog-number\" is a number" },
        { R"({"id": "x", "title": "T", "media": [{"tracks": [{"number": "1"}]}]})",
            "\"media[0].tracks[0].title\" is missing" },
        { R"({"id": "x", "title": "T", "media": [{"tracks": [{"title": "a", "length": 1.5}]}]})",
            "\"media[0].tracks[0].length\" is not a whole number" },
        { R"({"id": "x", "title": "T", "media": [{"position": "2"}]})",
            "\"media[0].position\" is text" },
        { R"({"id": "x", "title": "T", "genres": [{"count": 3}]})",
            "\"genres[0].name\" is missing" },
        { R"({"id": "x", "title": "T", "release-group": {"genres": [{"name": 1}]}})",
            "\"release-group.genres[0].name\" is a number" },
        { R"({"id": "x", "title": "T", "release-group": []})", "\"release-group\" is a list" },
        { R"(not json)", "not valid JSON" },
    };
    for (const auto &c : releases) {
        SCOPED_TRACE(c.json);
        EXPECT_NE(decodingFailure(decodeMBRelease, c.json).find(c.problem), std::string::npos)
            << decodingFailure(decodeMBRelease, c.json);
    }
}

TEST(MusicBrainzConversion, SearchReleasesBecomeCandidates)
{
    const QList<ReleaseCandidate> candidates
        = MusicBrainzClient::parseSearch(readFixture(u"musicbrainz/search.json"_s));
    ASSERT_EQ(candidates.size(), 2); // the hit whose id is no UUID is dropped

    const ReleaseCandidate &full = candidates[0];
    const QString id = QStringLiteral("0f3b7c2a-5d1e-4c8b-9a6f-1e2d3c4b5a69");
    EXPECT_EQ(full.source, MetadataSource::musicBrainz);
    EXPECT_EQ(full.sourceID, id);
    EXPECT_EQ(full.id(), QStringLiteral("musicBrainz:") + id);
    EXPECT_EQ(full.title, QStringLiteral("Harbour Songs"));
    EXPECT_EQ(full.artist, QStringLiteral("Northern Lights & The Tide"));
    EXPECT_EQ(full.year, 1977);
    EXPECT_EQ(full.label, QString()); // the first label info has no label
    EXPECT_EQ(full.catalogNumber, QStringLiteral("HR 101"));
    EXPECT_EQ(full.format, QStringLiteral("2\u00D712\" Vinyl + CD"));
    EXPECT_EQ(full.country, QStringLiteral("GB"));
    EXPECT_EQ(full.barcode, QStringLiteral("5012345678900"));
    EXPECT_EQ(full.thumbnailURL, QUrl(u"https://coverartarchive.org/release/"_s + id + u"/front-250"_s));
    EXPECT_EQ(full.coverURL, QUrl(u"https://coverartarchive.org/release/"_s + id + u"/front-500"_s));
    EXPECT_EQ(full.webURL, QUrl(u"https://musicbrainz.org/release/"_s + id));
    EXPECT_FALSE(full.owners);

    const ReleaseCandidate &bare = candidates[1];
    EXPECT_EQ(bare.title, QStringLiteral("Bare Hit"));
    EXPECT_EQ(bare.artist, QString());
    EXPECT_FALSE(bare.year);
    EXPECT_EQ(bare.format, QString());
    EXPECT_EQ(bare.barcode, QString());

    EXPECT_TRUE(
        MusicBrainzClient::parseSearch(readFixture(u"musicbrainz/search_empty.json"_s)).isEmpty());
}

TEST(MusicBrainzConversion, ReleaseBecomesDraft)
{
    const RecordDraft draft
        = MusicBrainzClient::parseRelease(readFixture(u"musicbrainz/release_full.json"_s));
    const QString id = QStringLiteral("0f3b7c2a-5d1e-4c8b-9a6f-1e2d3c4b5a69");
    EXPECT_EQ(draft.title, QStringLiteral("Harbour Songs"));
    // Credited names are used as they stand.
    EXPECT_EQ(draft.artist, QStringLiteral("Northern Lights (2) & The Tide"));
    EXPECT_EQ(draft.year, 1977);
    EXPECT_EQ(draft.label, QStringLiteral("Harbour Records"));
    EXPECT_EQ(draft.catalogNumber, QStringLiteral("HR 101"));
    EXPECT_EQ(draft.format, QStringLiteral("2\u00D712\" Vinyl + Unknown"));
    // The release group's genres win; by votes, the one without a count last and cut off.
    EXPECT_EQ(draft.genres, QStringList({ u"Singer-Songwriter"_s, u"Pop"_s, u"Folk Rock"_s, u"Rock"_s }));
    EXPECT_TRUE(draft.styles.isEmpty());

    const struct
    {
        const char *position, *title, *duration;
    } tracks[] = {
        { "A1", "Lighthouse", "4:05" }, // 245999 ms: seconds are truncated
        { "1-1", "Low Tide", "" }, // a length of 0
        { "2-03", "Harbour Lights", "60:00" },
        { "B2", "Undertow", "" },
    };
    ASSERT_EQ(draft.tracks.size(), std::size(tracks));
    for (size_t i = 0; i < std::size(tracks); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(draft.tracks[i].position, QString::fromUtf8(tracks[i].position));
        EXPECT_EQ(draft.tracks[i].title, QString::fromUtf8(tracks[i].title));
        EXPECT_EQ(draft.tracks[i].duration, QString::fromUtf8(tracks[i].duration));
    }

    EXPECT_EQ(draft.coverURL, QUrl(u"https://coverartarchive.org/release/"_s + id + u"/front-500"_s));
    EXPECT_EQ(draft.musicBrainzID, id);
    EXPECT_EQ(draft.sourceURL, QStringLiteral("https://musicbrainz.org/release/") + id);
    EXPECT_FALSE(draft.discogsReleaseID);
    EXPECT_FALSE(draft.coverImageData);
}

TEST(MusicBrainzConversion, BareReleaseGetsEmptyValues)
{
    const RecordDraft draft
        = MusicBrainzClient::parseRelease(readFixture(u"musicbrainz/release_minimal.json"_s));
    EXPECT_EQ(draft.artist, QString());
    EXPECT_FALSE(draft.year);
    EXPECT_EQ(draft.format, QString()); // replaces the empty draft's default
    EXPECT_TRUE(draft.genres.isEmpty());
    EXPECT_TRUE(draft.tracks.isEmpty());
    EXPECT_EQ(draft.musicBrainzID, QStringLiteral("a1b2c3d4-e5f6-4a7b-8c9d-0e1f2a3b4c5d"));
}

TEST(MusicBrainzConversion, YearLabelAndGenreRules)
{
    const struct
    {
        const char *members;
        std::optional<int> year;
        const char *label;
        QStringList genres;
    } cases[] = {
        { R"("date": "1977")", 1977, "", {} },
        { R"("date": "1776")", std::nullopt, "", {} },
        { R"("date": "197")", std::nullopt, "", {} },
        { R"("date": "circa 1970")", std::nullopt, "", {} },
        { R"("label-info": [])", std::nullopt, "", {} },
        { R"("label-info": [{"label": {"name": "First"}}, {"catalog-number": "X1"}])", std::nullopt,
            "First", {} },
        // An empty release-group list falls back to the release's own genres.
        { R"("genres": [{"name": "hip hop", "count": 1}], "release-group": {"genres": []})",
            std::nullopt, "", { u"Hip Hop"_s } },
        { R"("genres": [{"name": "UK garage"}], "release-group": {})", std::nullopt, "",
            { u"Uk Garage"_s } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.members);
        const QByteArray json = QByteArray(R"({"id": "a1b2c3d4-e5f6-4a7b-8c9d-0e1f2a3b4c5d", )")
            + R"("title": "T", )" + c.members + "}";
        const RecordDraft draft = MusicBrainzClient::parseRelease(json);
        EXPECT_EQ(draft.year, c.year);
        EXPECT_EQ(draft.label, QString::fromUtf8(c.label));
        EXPECT_EQ(draft.catalogNumber, QString());
        EXPECT_EQ(draft.genres, c.genres);
    }
}

TEST(MusicBrainzConversion, SingleMediumKeepsTrackNumbersAndMissingPositionCountsAsOne)
{
    const RecordDraft single = MusicBrainzClient::parseRelease(R"({"id": "x", "title": "T",
        "media": [{"tracks": [{"number": "3", "title": "a"}]}]})");
    ASSERT_EQ(single.tracks.size(), 1);
    EXPECT_EQ(single.tracks[0].position, QStringLiteral("3"));

    // Media without tracks still count towards "several media".
    const RecordDraft two = MusicBrainzClient::parseRelease(R"({"id": "x", "title": "T",
        "media": [{"tracks": [{"number": "3", "title": "a"}, {"title": "b"}]}, {"format": "CD"}]})");
    ASSERT_EQ(two.tracks.size(), 2);
    EXPECT_EQ(two.tracks[0].position, QStringLiteral("1-3"));
    EXPECT_EQ(two.tracks[1].position, QString());
    EXPECT_EQ(two.format, QStringLiteral("Unknown + CD"));
}
