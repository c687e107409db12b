#include "services/musicbrainz_json.h"

#include "decoding_failure.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace vorla;
using vorla::test::decodingFailure;
using vorla::test::readFixture;

TEST(MusicBrainzJson, DecodesSearchReleasesWithMissingAndNullMembers)
{
    const MBSearch search = decodeMBSearch(readFixture("musicbrainz/search.json"));
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
    const MBRelease release = decodeMBRelease(readFixture("musicbrainz/release_full.json"));
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

    const MBRelease bare = decodeMBRelease(readFixture("musicbrainz/release_minimal.json"));
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
