#include "services/discogs_json.h"

#include "services/discogs_client.h"

#include "decoding_failure.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;
using vorla::test::decodingFailure;
using vorla::test::readFixture;

TEST(DiscogsJson, DecodesSearchHitsWithMissingAndNullMembers)
{
    const DSearchResponse response
        = decodeDSearchResponse(readFixture(u"discogs/search_barcode.json"_s));
    ASSERT_EQ(response.results.size(), 3);

    const DSearchResult &full = response.results[0];
    EXPECT_EQ(full.id, 1000001);
    EXPECT_EQ(full.title, QStringLiteral("Northern Lights (2) - Harbour Songs"));
    EXPECT_EQ(full.year, QStringLiteral("1977"));
    EXPECT_EQ(full.format, QStringList({ u"Vinyl"_s, u"LP"_s, u"Album"_s }));
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
    const DRelease release = decodeDRelease(readFixture(u"discogs/release_full.json"_s));
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
    const DRelease release = decodeDRelease(readFixture(u"discogs/release_minimal.json"_s));
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
    EXPECT_EQ(decodeDIdentity(readFixture(u"discogs/identity.json"_s)).username,
        QStringLiteral("crate_digger"));
    EXPECT_NE(decodingFailure(decodeDIdentity, R"({"id": 1})").find("\"username\" is missing"),
        std::string::npos);
}

TEST(DiscogsConversion, SearchHitsBecomeCandidates)
{
    const QList<ReleaseCandidate> candidates
        = DiscogsClient::parseSearch(readFixture(u"discogs/search_barcode.json"_s));
    ASSERT_EQ(candidates.size(), 3);

    const ReleaseCandidate &full = candidates[0];
    EXPECT_EQ(full.source, MetadataSource::discogs);
    EXPECT_EQ(full.sourceID, QStringLiteral("1000001"));
    EXPECT_EQ(full.artist, QStringLiteral("Northern Lights"));
    EXPECT_EQ(full.title, QStringLiteral("Harbour Songs"));
    EXPECT_EQ(full.year, 1977);
    EXPECT_EQ(full.label, QStringLiteral("Harbour Records"));
    EXPECT_EQ(full.catalogNumber, QStringLiteral("HR 101"));
    EXPECT_EQ(full.format, QStringLiteral("Vinyl, LP, Album"));
    EXPECT_EQ(full.country, QStringLiteral("UK"));
    // The invalid code is passed over for the valid one written with spaces.
    EXPECT_EQ(full.barcode, QStringLiteral("5012345678900"));
    EXPECT_EQ(full.thumbnailURL, QUrl(u"https://i.discogs.example/thumb/1000001.jpg"_s));
    EXPECT_EQ(full.coverURL, QUrl(u"https://i.discogs.example/cover/1000001.jpg"_s));
    EXPECT_EQ(full.webURL, QUrl(u"https://www.discogs.com/release/1000001"_s));
    EXPECT_EQ(full.owners, 40);

    const ReleaseCandidate &sparse = candidates[1];
    EXPECT_EQ(sparse.artist, QStringLiteral("Northern Lights"));
    EXPECT_FALSE(sparse.year);
    EXPECT_EQ(sparse.label, QString());
    EXPECT_EQ(sparse.barcode, QString()); // only codes of fewer than 8 digits
    EXPECT_FALSE(sparse.thumbnailURL); // empty text
    EXPECT_FALSE(sparse.coverURL); // plain HTTP
    EXPECT_FALSE(sparse.owners); // "community" without "have"

    const ReleaseCandidate &nulls = candidates[2];
    EXPECT_EQ(nulls.title, QString());
    EXPECT_EQ(nulls.artist, QString());
    EXPECT_EQ(nulls.format, QString());
    // No valid code: the first with at least 8 digits.
    EXPECT_EQ(nulls.barcode, QStringLiteral("12345678"));
    EXPECT_FALSE(nulls.owners);
}

TEST(DiscogsConversion, SplitsTheHitTitleAtTheFirstSpacedHyphen)
{
    const QList<ReleaseCandidate> c
        = DiscogsClient::parseSearch(readFixture(u"discogs/search_text.json"_s));
    ASSERT_EQ(c.size(), 5);
    EXPECT_EQ(c[0].artist, QStringLiteral("Alpha"));
    EXPECT_EQ(c[0].title, QStringLiteral("Beta"));
    EXPECT_EQ(c[1].artist, QStringLiteral("A"));
    EXPECT_EQ(c[1].title, QStringLiteral("B - C"));
    EXPECT_EQ(c[2].artist, QString());
    EXPECT_EQ(c[2].title, QStringLiteral("Untitled Compilation"));
    EXPECT_EQ(c[3].artist, QString());
    EXPECT_EQ(c[3].title, QString());

    // Years: "1980" and "1801" count; "1800", "197" and "19xx" do not.
    EXPECT_EQ(c[0].year, 1980);
    EXPECT_FALSE(c[1].year);
    EXPECT_FALSE(c[2].year);
    EXPECT_FALSE(c[3].year);
    EXPECT_EQ(c[4].year, 1801);
}

TEST(DiscogsConversion, MostOwnedFirstIsStable)
{
    // Owners 5, absent, 7, 0, 5 give 7, 5 (first), 5 (second), absent, 0.
    const QList<ReleaseCandidate> sorted = DiscogsClient::mostOwnedFirst(
        DiscogsClient::parseSearch(readFixture(u"discogs/search_text.json"_s)));
    QStringList ids;
    for (const ReleaseCandidate &c : sorted)
        ids.append(c.sourceID);
    EXPECT_EQ(ids, QStringList({ u"203"_s, u"201"_s, u"205"_s, u"202"_s, u"204"_s }));
}

TEST(DiscogsConversion, ReleaseBecomesDraft)
{
    const RecordDraft draft = DiscogsClient::parseRelease(readFixture(u"discogs/release_full.json"_s));
    EXPECT_EQ(draft.title, QStringLiteral("Harbour Songs"));
    EXPECT_EQ(draft.artist, QStringLiteral("Alpha, B. Feat. Gamma"));
    EXPECT_EQ(draft.year, 1969); // "year" 0 falls back to "released"
    EXPECT_EQ(draft.country, QStringLiteral("UK"));
    EXPECT_EQ(draft.genres, QStringList({ u"Rock"_s, u"Folk, World, & Country"_s, u"Rock"_s }));
    EXPECT_EQ(draft.styles, QStringList({ u"Folk Rock"_s }));
    EXPECT_EQ(draft.label, QStringLiteral("Harbour Records"));
    EXPECT_EQ(draft.catalogNumber, QStringLiteral("HR 101"));
    EXPECT_EQ(draft.format, QStringLiteral("2\u00D7Vinyl, LP, Album + CD"));
    EXPECT_EQ(draft.barcode, QStringLiteral("5012345678900"));
    ASSERT_EQ(draft.tracks.size(), 2); // no heading, no index row, no "Track"
    EXPECT_EQ(draft.tracks[0].position, QStringLiteral("A1"));
    EXPECT_EQ(draft.tracks[0].title, QStringLiteral("Lighthouse"));
    EXPECT_EQ(draft.tracks[0].duration, QStringLiteral("3:45"));
    EXPECT_EQ(draft.tracks[1].position, QStringLiteral("A2"));
    EXPECT_EQ(draft.tracks[1].duration, QString());
    EXPECT_EQ(draft.coverURL, QUrl(u"https://i.discogs.example/images/front.jpg"_s));
    EXPECT_EQ(draft.discogsReleaseID, 1000001);
    EXPECT_EQ(draft.sourceURL,
        QStringLiteral("https://www.discogs.com/release/1000001-Alpha-Harbour-Songs"));
    EXPECT_FALSE(draft.musicBrainzID);
    EXPECT_FALSE(draft.coverImageData);
    EXPECT_FALSE(draft.coverChanged);
}

TEST(DiscogsConversion, BareReleaseGetsEmptyValuesAndItsOwnWebPage)
{
    const RecordDraft draft
        = DiscogsClient::parseRelease(readFixture(u"discogs/release_minimal.json"_s));
    EXPECT_EQ(draft.title, QStringLiteral("Bare Release"));
    EXPECT_EQ(draft.artist, QString());
    EXPECT_FALSE(draft.year);
    EXPECT_EQ(draft.format, QString()); // not the empty draft's "Vinyl, LP"
    EXPECT_EQ(draft.label, QString());
    EXPECT_EQ(draft.barcode, QString());
    EXPECT_TRUE(draft.tracks.isEmpty());
    EXPECT_FALSE(draft.coverURL);
    EXPECT_EQ(draft.sourceURL, QStringLiteral("https://www.discogs.com/release/42"));
}

TEST(DiscogsConversion, ReleaseYearAndCoverRules)
{
    const struct
    {
        const char *json;
        std::optional<int> year;
        const char *cover;
    } cases[] = {
        { R"({"id": 1, "title": "T", "year": 1977, "released": "1969"})", 1977, "" },
        { R"({"id": 1, "title": "T", "year": 0, "released": "1800-01-01"})", std::nullopt, "" },
        { R"({"id": 1, "title": "T", "images": [{"type": "secondary", "uri": "https://x.example/1.jpg"},
            {"type": "secondary", "uri": "https://x.example/2.jpg"}]})",
            std::nullopt, "https://x.example/1.jpg" },
        // The chosen image is plain HTTP: no cover, even though another one is HTTPS.
        { R"({"id": 1, "title": "T", "images": [{"type": "secondary", "uri": "https://x.example/1.jpg"},
            {"type": "primary", "uri": "http://x.example/2.jpg"}]})",
            std::nullopt, "" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.json);
        const RecordDraft draft = DiscogsClient::parseRelease(c.json);
        EXPECT_EQ(draft.year, c.year);
        EXPECT_EQ(draft.coverURL.value_or(QUrl()), QUrl(QString::fromUtf8(c.cover)));
    }
}

TEST(DiscogsConversion, ArtistString)
{
    const struct
    {
        QList<DArtist> artists;
        const char *expected;
    } cases[] = {
        { {}, "" },
        { { { u"Solo (12)"_s, {}, u"&"_s } }, "Solo" },
        { { { u"Alpha"_s, {}, {} }, { u"Beta"_s, {}, {} } }, "Alpha, Beta" },
        { { { u"Alpha"_s, u"  "_s, u" , "_s }, { u"Beta"_s, u"\tBee "_s, u"x"_s } }, "Alpha, Bee" },
        { { { u"Alpha"_s, {}, u"&"_s }, { u"Beta"_s, {}, {} } }, "Alpha & Beta" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(DiscogsClient::artistString(c.artists), QString::fromUtf8(c.expected));
    }
}

TEST(DiscogsConversion, FormatString)
{
    const struct
    {
        QList<DFormat> formats;
        const char *expected;
    } cases[] = {
        { {}, "" },
        { { { u"Vinyl"_s, u"1"_s, {} } }, "Vinyl" },
        { { { u"Vinyl"_s, {}, QStringList { u"LP"_s } } }, "Vinyl, LP" },
        { { { u"Vinyl"_s, u""_s, {} } }, "Vinyl" },
        { { { u"Vinyl"_s, u"x2"_s, {} } }, "Vinyl" },
        { { { u"Vinyl"_s, u"3"_s, QStringList { u"7\""_s, u"45 RPM"_s } }, { u"Cassette"_s, u"1"_s, {} } },
            "3\u00D7Vinyl, 7\", 45 RPM + Cassette" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(DiscogsClient::formatString(c.formats), QString::fromUtf8(c.expected));
    }
}
