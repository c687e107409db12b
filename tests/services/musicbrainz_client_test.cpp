#include "services/musicbrainz_client.h"

#include "services/lookup_error.h"
#include "services/release_query.h"
#include "support/scripted_transport.h"
#include "test_support.h"

#include <QString>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;
using namespace std::chrono_literals;
using vorla::test::readFixture;
using vorla::test::ScriptedTransport;
using vorla::test::VirtualLimiterTime;

TEST(MusicBrainzClient, IsValidID)
{
    const struct { const char *text; bool valid; } cases[] = {
        {"0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b", true},
        {"0B3A6F4E-4C7B-4BD0-9F6A-1C2D3E4F5A6B", true},
        {" 0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b", false},
        {"{0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b}", false},
        {"0b3a6f4e4c7b4bd09f6a1c2d3e4f5a6b", false},
        {"0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6g", false},
        {"0b3a6f4e-4c7b-4bd0-9f6a1-c2d3e4f5a6b", false},
        {"", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(MusicBrainzClient::isValidID(QString::fromUtf8(c.text)), c.valid);
    }
}

TEST(MusicBrainzClient, KeywordsBlankOutQuerySyntax)
{
    const struct
    {
        const char *text;
        const char *expected;
    } cases[] = {
        { "Songs (Live) - Part: One!", "Songs Live Part One" },
        { "***", "" },
        { "  a   b  ", "a b" },
        { "a\tb", "a\tb" },
        { "AND OR NOT", "AND OR NOT" },
        { "+-&|!(){}[]^\"~*?:\\/", "" },
        { "AC/DC", "AC DC" },
        { "Bj\u00F6rk \u65E5\u672C", "Bj\u00F6rk \u65E5\u672C" },
        // A hyphen carrying a combining mark is not the syntax character.
        { "a -\u0301 b", "a -\u0301 b" },
        { "", "" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(
            MusicBrainzClient::keywords(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
    }
}

TEST(MusicBrainzClient, PhraseQuotesAndEscapes)
{
    EXPECT_EQ(MusicBrainzClient::phrase(u"catno"_s, u"HR-101"_s), QStringLiteral("catno:\"HR-101\""));
    // A backslash and a double quote: two backslashes, then a backslash and the quote.
    EXPECT_EQ(
        MusicBrainzClient::phrase(u"release"_s, u"a\\\"b"_s), QStringLiteral("release:\"a\\\\\\\"b\""));
    EXPECT_EQ(MusicBrainzClient::phrase(u"artist"_s, u""_s), QStringLiteral("artist:\"\""));
}

namespace {

const QString kRoot = QStringLiteral("https://musicbrainz.test/ws/2");
const QByteArray kNoReleases = R"({"releases": []})";
const QString kID = QStringLiteral("0f3b7c2a-5d1e-4c8b-9a6f-1e2d3c4b5a69");

class MusicBrainzClientTest : public testing::Test
{
protected:
    void answerAll(const QByteArray &body, int status = 200)
    {
        transport.setHandler([body, status](const HttpRequest &) {
            return std::optional(ScriptedTransport::Answer(status, body));
        });
    }
    // The "query" texts sent, in order.
    QStringList queriesSent() const
    {
        QStringList queries;
        for (const HttpRequest &request : transport.requests())
            queries.append(QUrlQuery(request.url).queryItemValue(u"query"_s, QUrl::FullyDecoded));
        return queries;
    }

    ScriptedTransport transport;
    VirtualLimiterTime time;
    MusicBrainzClient client{kRoot};
};

} // namespace

TEST_F(MusicBrainzClientTest, BarcodeSearchTriesTheVariantsInTurn)
{
    answerAll(kNoReleases);
    transport.answer(kRoot + u"/release?query=barcode:0074643521109&fmt=json&limit=25"_s, 200,
                     readFixture(u"musicbrainz/search.json"_s));
    EXPECT_EQ(client.searchBarcode(u"074643521109"_s, {}).size(), 2);
    EXPECT_EQ(queriesSent(), QStringList({u"barcode:074643521109"_s, u"barcode:0074643521109"_s}));
    for (const HttpRequest &request : transport.requests()) {
        EXPECT_EQ(request.url.path(), QStringLiteral("/ws/2/release"));
        // Only the request routine's own user agent: no extra headers.
        ASSERT_EQ(request.headers.size(), 1);
        EXPECT_EQ(request.headers.first().first, QByteArray("User-Agent"));
    }
    // One shared 1.1 s limiter spaces every request.
    EXPECT_EQ(time.musicBrainzSleeps(), QList<std::chrono::nanoseconds>({1100ms}));

    transport.clear();
    EXPECT_TRUE(client.searchBarcode(u"none"_s, {}).isEmpty());
    EXPECT_TRUE(transport.requests().isEmpty());
}

TEST_F(MusicBrainzClientTest, TypedQueriesBecomeQueryTexts)
{
    const struct
    {
        const char *name;
        ReleaseQuery query;
        QStringList expected;
    } cases[] = {
        {"catalog number with a hyphen and an artist",
         ReleaseQuery{u"Alpha"_s, u""_s, u""_s, u"HR-101"_s, u""_s},
         {uR"(catno:"HR-101" AND artist:"Alpha")"_s, u"Alpha HR 101"_s}},
        {"title alone", ReleaseQuery{u""_s, u"Beta"_s, u""_s, u""_s, u""_s}, {uR"(release:"Beta")"_s, u"Beta"_s}},
        {"every field; the label is not searched",
         ReleaseQuery{u"Alpha"_s, u"Beta"_s, u"Label"_s, u"X1"_s, u"more"_s},
         {uR"(catno:"X1" AND artist:"Alpha")"_s, uR"(release:"Beta" AND artist:"Alpha")"_s,
          u"Alpha Beta Label X1 more"_s}},
        {"free text of syntax only", ReleaseQuery{u""_s, u""_s, u""_s, u""_s, u"(*)"_s}, {}},
        {"nothing", ReleaseQuery{}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        transport.clear();
        answerAll(kNoReleases);
        EXPECT_TRUE(client.search(c.query, {}).isEmpty());
        EXPECT_EQ(queriesSent(), c.expected);
    }
}

TEST_F(MusicBrainzClientTest, QueryItemsAreSentInOrderAndEncoded)
{
    answerAll(readFixture(u"musicbrainz/search.json"_s));
    const QList<ReleaseCandidate> found = client.search(ReleaseQuery{u""_s, u"A+B/C \"D\""_s, u""_s, u""_s, u""_s}, {});
    EXPECT_EQ(found.size(), 2); // the first text found hits: no more requests
    ASSERT_EQ(transport.requests().size(), 1);
    EXPECT_EQ(transport.requestedURLs().first(),
              kRoot + u"/release?query=release:%22A+B/C%20%5C%22D%5C%22%22&fmt=json&limit=25"_s);
}

TEST_F(MusicBrainzClientTest, ErrorsEndTheSearch)
{
    answerAll({}, 401);
    EXPECT_THROW(
        {
            try {
                client.search(ReleaseQuery{u""_s, u"T"_s, u""_s, u""_s, u"t"_s}, {});
            } catch (const LookupError &error) {
                EXPECT_EQ(error.kind(), LookupError::Kind::unauthorized);
                throw;
            }
        },
        LookupError);
    EXPECT_EQ(transport.requests().size(), 1);

    transport.clear();
    answerAll(R"({"count": 0})");
    EXPECT_THROW(client.searchBarcode(u"12345678"_s, {}), DecodingError);
}

TEST_F(MusicBrainzClientTest, ReleaseAsksWithTheIncludesAndRefusesBadIdsAtOnce)
{
    transport.answer(kRoot + u"/release/"_s + kID
                         + u"?inc=recordings+labels+artist-credits+genres+release-groups&fmt=json"_s,
                     200, readFixture(u"musicbrainz/release_full.json"_s));
    EXPECT_EQ(client.release(kID, {}).musicBrainzID, kID);
    ASSERT_EQ(transport.requests().size(), 1);

    // Neither a request nor a wait for the limiter, though a slot was just taken.
    for (const char *id : {"", "not-an-id", " 0f3b7c2a-5d1e-4c8b-9a6f-1e2d3c4b5a69"}) {
        SCOPED_TRACE(id);
        try {
            client.release(QString::fromUtf8(id), {});
            ADD_FAILURE() << "no error";
        } catch (const LookupError &error) {
            EXPECT_EQ(error.kind(), LookupError::Kind::notFound);
        }
    }
    EXPECT_EQ(transport.requests().size(), 1);
    EXPECT_TRUE(time.musicBrainzSleeps().isEmpty());

    EXPECT_THROW(MusicBrainzClient{u"http://musicbrainz.test/ws/2"_s}.release(kID, {}), LookupError);
}
