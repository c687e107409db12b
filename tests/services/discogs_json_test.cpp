#include "services/discogs_json.h"

#include "decoding_failure.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace vorla;
using vorla::test::decodingFailure;
using vorla::test::readFixture;

TEST(DiscogsJson, DecodesSearchHitsWithMissingAndNullMembers)
{
    const DSearchResponse response
        = decodeDSearchResponse(readFixture("discogs/search_barcode.json"));
    ASSERT_EQ(response.results.size(), 3);

    const DSearchResult &full = response.results[0];
    EXPECT_EQ(full.id, 1000001);
    EXPECT_EQ(full.title, QStringLiteral("Northern Lights (2) - Harbour Songs"));
    EXPECT_EQ(full.year, QStringLiteral("1977"));
    EXPECT_EQ(full.format, QStringList({ "Vinyl", "LP", "Album" }));
    EXPECT_EQ(full.coverImage, QStringLiteral("https://i.discogs.example/cover/1000001.jpg"));
    ASSERT_TRUE(full.community);
    EXPECT_EQ(full.community->have, 40);

    EXPECT_TRUE(response.results[1].community);
    EXPECT_FALSE(response.results[1].community->have);
    EXPECT_FALSE(response.results[1].country);

    const DSearchResult &nulls = response.results[2];
    EXPECT_FALSE(nulls.title);
    EXPECT_FALSE(nulls.year);
    EXPECT_FALSE(nulls.format);
    EXPECT_FALSE(nulls.label);
    EXPECT_FALSE(nulls.thumb);
    EXPECT_FALSE(nulls.coverImage);
    EXPECT_FALSE(nulls.community);
}

TEST(DiscogsJson, DecodesReleaseAndItsNestedRecords)
{
    const DRelease release = decodeDRelease(readFixture("discogs/release_full.json"));
    EXPECT_EQ(release.id, 1000001);
    EXPECT_EQ(release.title, QStringLiteral("Harbour Songs"));
    EXPECT_EQ(release.year, 0);
    ASSERT_TRUE(release.artists);
    ASSERT_EQ(release.artists->size(), 3);
    EXPECT_EQ(release.artists->at(1).anv, QStringLiteral("B."));
    EXPECT_EQ(release.artists->at(1).join, QStringLiteral("Feat."));
    ASSERT_TRUE(release.tracklist);
    ASSERT_EQ(release.tracklist->size(), 5);
    EXPECT_EQ(release.tracklist->at(0).type, QStringLiteral("heading"));
    EXPECT_FALSE(release.tracklist->at(2).type);
    EXPECT_FALSE(release.tracklist->at(2).duration);
    ASSERT_TRUE(release.formats);
    EXPECT_EQ(release.formats->at(0).qty, QStringLiteral("2"));
    EXPECT_FALSE(release.formats->at(1).descriptions);
    ASSERT_TRUE(release.images);
    EXPECT_EQ(release.images->at(1).type, QStringLiteral("primary"));
    ASSERT_TRUE(release.identifiers);
    EXPECT_EQ(release.identifiers->at(1).value, QStringLiteral("5 012345 678900"));
}

TEST(DiscogsJson, NullOptionalMembersOfAReleaseAreAbsent)
{
    const DRelease release = decodeDRelease(readFixture("discogs/release_minimal.json"));
    EXPECT_EQ(release.id, 42);
    EXPECT_FALSE(release.artists);
    EXPECT_FALSE(release.year);
    EXPECT_FALSE(release.released);
    EXPECT_FALSE(release.genres);
    EXPECT_FALSE(release.labels);
    EXPECT_FALSE(release.tracklist);
    EXPECT_FALSE(release.images);
    EXPECT_FALSE(release.uri);
}

TEST(DiscogsJson, WholeNumbersWrittenWithAFractionStillDecode)
{
    EXPECT_EQ(decodeDRelease(R"({"id": 7.0, "title": "T", "year": 1.977e3})").year, 1977);
    EXPECT_EQ(decodeDRelease(R"({"id": -9223372036854775808, "title": "T"})").id,
        std::numeric_limits<qint64>::min());
}

TEST(DiscogsJson, RejectsAnswersOfTheWrongShape)
{
    const struct
    {
        const char *json;
        const char *problem;
    } searches[] = {
        { R"({"pagination": {}})", "\"results\" is missing" },
        { R"({"results": null})", "\"results\" is null" },
        { R"({"results": {}})", "\"results\" is an object, not a list" },
        { R"({"results": [{"title": "No id"}]})", "\"results[0].id\" is missing" },
        { R"({"results": [{"id": 1}, {"id": 2, "year": 1977}]})",
            "\"results[1].year\" is a number, not text" },
        { R"({"results": [{"id": "3"}]})", "\"results[0].id\" is text, not a number" },
        { R"({"results": [{"id": 3.5}]})", "\"results[0].id\" is not a whole number" },
        { R"({"results": [{"id": 9223372036854775808}]})",
            "\"results[0].id\" is not a whole number" },
        { R"({"results": [{"id": 1, "format": ["Vinyl", 12]}]})",
            "\"results[0].format[1]\" is a number, not text" },
        { R"({"results": [{"id": 1, "community": {"have": "many"}}]})",
            "\"results[0].community.have\" is text" },
        { R"({"results": [null]})", "\"results[0]\" is not an object" },
        { R"([])", "not a JSON object" },
        { R"({"results": [)", "not valid JSON" },
        { "", "not valid JSON" },
    };
    for (const auto &c : searches) {
        SCOPED_TRACE(c.json);
        EXPECT_NE(decodingFailure(decodeDSearchResponse, c.json).find(c.problem), std::string::npos)
            << decodingFailure(decodeDSearchResponse, c.json);
    }

    const struct
    {
        const char *json;
        const char *problem;
    } releases[] = {
        { R"({"id": 1})", "\"title\" is missing" },
        { R"({"id": 1, "title": null})", "\"title\" is null" },
        { R"({"id": 1, "title": "T", "artists": [{"anv": "x"}]})",
            "\"artists[0].name\" is missing" },
        { R"({"id": 1, "title": "T", "labels": [{"name": "L", "catno": 5}]})",
            "\"labels[0].catno\" is a number" },
        { R"({"id": 1, "title": "T", "formats": [{"name": "Vinyl", "qty": 2}]})",
            "\"formats[0].qty\" is a number" },
        { R"({"id": 1, "title": "T", "images": [{"type": "primary"}]})",
            "\"images[0].uri\" is missing" },
        { R"({"id": 1, "title": "T", "identifiers": [{"value": "1"}]})",
            "\"identifiers[0].type\" is missing" },
        { R"({"id": 1, "title": "T", "tracklist": [{"type_": true}]})",
            "\"tracklist[0].type_\" is a truth value" },
        { R"({"id": 1, "title": "T", "year": "1977"})", "\"year\" is text" },
    };
    for (const auto &c : releases) {
        SCOPED_TRACE(c.json);
        EXPECT_NE(decodingFailure(decodeDRelease, c.json).find(c.problem), std::string::npos)
            << decodingFailure(decodeDRelease, c.json);
    }
}

TEST(DiscogsJson, DecodesIdentity)
{
    EXPECT_EQ(decodeDIdentity(readFixture("discogs/identity.json")).username,
        QStringLiteral("crate_digger"));
    EXPECT_NE(decodingFailure(decodeDIdentity, R"({"id": 1})").find("\"username\" is missing"),
        std::string::npos);
}
