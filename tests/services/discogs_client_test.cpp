#include "services/discogs_client.h"

#include "services/lookup_error.h"
#include "services/release_query.h"
#include "support/scripted_transport.h"
#include "test_support.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;
using namespace std::chrono_literals;
using vorla::test::readFixture;
using vorla::test::ScriptedTransport;
using vorla::test::VirtualLimiterTime;

namespace {

const QString kRoot = QStringLiteral("https://api.discogs.test");
const QByteArray kEmpty = R"({"results": []})";

// The query of a request as (name, decoded value) pairs, in the order sent.
QList<std::pair<QString, QString>> queryOf(const HttpRequest &request)
{
    QList<std::pair<QString, QString>> items;
    for (const auto &[name, value] : QUrlQuery(request.url).queryItems(QUrl::FullyDecoded))
        items.append({ name, value });
    return items;
}

QStringList namesOf(const HttpRequest &request)
{
    QStringList names;
    for (const auto &item : queryOf(request))
        names.append(item.first);
    return names;
}

QString valueOf(const HttpRequest &request, const QString &name)
{
    return QUrlQuery(request.url).queryItemValue(name, QUrl::FullyDecoded);
}

QStringList idsOf(const QList<ReleaseCandidate> &candidates)
{
    QStringList ids;
    for (const ReleaseCandidate &c : candidates)
        ids.append(c.sourceID);
    return ids;
}

LookupError::Kind lookupFailure(const std::function<void()> &call)
{
    try {
        call();
    } catch (const LookupError &error) {
        return error.kind();
    }
    ADD_FAILURE() << "no LookupError";
    return LookupError::Kind::http;
}

class DiscogsClientTest : public testing::Test
{
protected:
    // Answers every request with `body` (status 200) unless a URL has its own answer.
    void answerAll(const QByteArray &body, int status = 200)
    {
        transport.setHandler([body, status](const HttpRequest &) {
            return std::optional(ScriptedTransport::Answer(status, body));
        });
    }

    ScriptedTransport transport;
    VirtualLimiterTime time;
    DiscogsClient anonymous { std::nullopt, kRoot };
    DiscogsClient withToken { QStringLiteral("s3cret"), kRoot };
};

} // namespace

TEST_F(DiscogsClientTest, BarcodeSearchTriesTheVariantsInTurn)
{
    // A 12-digit code: its own form finds nothing, its EAN-13 form finds hits, which come back
    // in the server's order rather than most owned first.
    answerAll(kEmpty);
    transport.answer(kRoot + u"/database/search?barcode=0074643521109&per_page=25&type=release"_s, 200,
        readFixture(u"discogs/search_text.json"_s));

    const QList<ReleaseCandidate> found = anonymous.searchBarcode(u"074643521109"_s, {});
    EXPECT_EQ(idsOf(found), QStringList({ u"201"_s, u"202"_s, u"203"_s, u"204"_s, u"205"_s }));

    const QList<HttpRequest> requests = transport.requests();
    ASSERT_EQ(requests.size(), 2);
    for (const HttpRequest &request : requests) {
        EXPECT_EQ(request.url.path(), QStringLiteral("/database/search"));
        EXPECT_EQ(namesOf(request), QStringList({ u"barcode"_s, u"per_page"_s, u"type"_s }));
        EXPECT_EQ(valueOf(request, u"type"_s), QStringLiteral("release"));
        EXPECT_EQ(valueOf(request, u"per_page"_s), QStringLiteral("25"));
        EXPECT_FALSE(request.header("Authorization"));
    }
    EXPECT_EQ(valueOf(requests[0], u"barcode"_s), QStringLiteral("074643521109"));
    EXPECT_EQ(valueOf(requests[1], u"barcode"_s), QStringLiteral("0074643521109"));
    // Anonymous requests are spaced by the 2.45 s limiter.
    EXPECT_EQ(time.discogsAnonymousSleeps(), QList<std::chrono::nanoseconds>({ 2450ms }));
    EXPECT_TRUE(time.discogsAuthenticatedSleeps().isEmpty());
}

TEST_F(DiscogsClientTest, BarcodeSearchStopsAtTheFirstHitOrError)
{
    answerAll(readFixture(u"discogs/search_barcode.json"_s));
    EXPECT_EQ(anonymous.searchBarcode(u"0 74643 52110 9"_s, {}).size(), 3);
    EXPECT_EQ(transport.requests().size(), 1);

    transport.clear();
    answerAll({}, 500);
    EXPECT_EQ(lookupFailure([&] { anonymous.searchBarcode(u"074643521109"_s, {}); }),
        LookupError::Kind::http);
    EXPECT_EQ(transport.requests().size(), 1);

    transport.clear();
    EXPECT_TRUE(anonymous.searchBarcode(u"no digits"_s, {}).isEmpty());
    EXPECT_TRUE(transport.requests().isEmpty());
}

TEST_F(DiscogsClientTest, TokenDecidesTheHeaderAndTheLimiter)
{
    const struct
    {
        std::optional<QString> token;
        std::optional<QByteArray> header;
        bool authenticated;
    } cases[] = {
        { std::nullopt, std::nullopt, false },
        { QString(), std::nullopt, false },
        { QStringLiteral("abc"), QByteArray("Discogs token=abc"), true },
        // Spaces are a token too: sent as they are.
        { QStringLiteral("  "), QByteArray("Discogs token=  "), true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.token.value_or(u"(none)"_s).toStdString());
        time.advance(10s); // both limiters idle
        const auto authenticatedBefore = time.discogsAuthenticatedSleeps().size();
        const auto anonymousBefore = time.discogsAnonymousSleeps().size();
        transport.clear();
        answerAll(kEmpty);
        transport.answer(kRoot + u"/releases/5"_s, 200, readFixture(u"discogs/release_minimal.json"_s));
        const DiscogsClient client { c.token, kRoot };
        client.searchBarcode(u"12345678"_s, {});
        client.release(5, {});
        ASSERT_EQ(transport.requests().size(), 2);
        for (const HttpRequest &request : transport.requests())
            EXPECT_EQ(request.header("Authorization"), c.header);
        // The second request waits for its slot on the limiter of its kind only.
        EXPECT_EQ(time.discogsAuthenticatedSleeps().size() - authenticatedBefore,
            c.authenticated ? 1 : 0);
        EXPECT_EQ(time.discogsAnonymousSleeps().size() - anonymousBefore, c.authenticated ? 0 : 1);
    }
}

TEST_F(DiscogsClientTest, RejectedRequestsNeedOrCheckTheToken)
{
    answerAll({}, 401);
    // An anonymous search that Discogs refuses needs a token; with one, the token is wrong.
    EXPECT_EQ(lookupFailure([&] { anonymous.searchBarcode(u"12345678"_s, {}); }),
        LookupError::Kind::missingToken);
    EXPECT_EQ(lookupFailure([&] {
        anonymous.search(ReleaseQuery { u""_s, u""_s, u""_s, u""_s, u"x"_s }, {});
    }),
        LookupError::Kind::missingToken);
    EXPECT_EQ(lookupFailure([&] { withToken.searchBarcode(u"12345678"_s, {}); }),
        LookupError::Kind::unauthorized);
    EXPECT_EQ(lookupFailure([&] { anonymous.release(7, {}); }), LookupError::Kind::unauthorized);
    answerAll({}, 403);
    EXPECT_EQ(lookupFailure([&] { withToken.identity({}); }), LookupError::Kind::unauthorized);
}

TEST_F(DiscogsClientTest, TextSearchBroadensStepByStep)
{
    using Sets = QList<QList<std::pair<QString, QString>>>;
    const auto fixed = [](QList<std::pair<QString, QString>> items) { return items; };
    const struct
    {
        const char *name;
        ReleaseQuery query;
        Sets expected;
    } cases[] = {
        { "every field", ReleaseQuery { u"Alpha"_s, u"Beta"_s, u"Label"_s, u"AB-1"_s, u""_s },
            { fixed({ { u"artist"_s, u"Alpha"_s }, { u"catno"_s, u"AB-1"_s }, { u"format"_s, u"Vinyl"_s },
                  { u"label"_s, u"Label"_s }, { u"per_page"_s, u"40"_s }, { u"type"_s, u"release"_s } }),
                fixed({ { u"catno"_s, u"AB-1"_s }, { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s },
                    { u"type"_s, u"release"_s } }),
                fixed({ { u"artist"_s, u"Alpha"_s }, { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s },
                    { u"release_title"_s, u"Beta"_s }, { u"type"_s, u"release"_s } }),
                fixed({ { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s },
                    { u"q"_s, u"Alpha Beta Label AB-1"_s }, { u"type"_s, u"release"_s } }) } },
        { "catalog number only", ReleaseQuery { u""_s, u""_s, u""_s, u"AB-1"_s, u""_s },
            { fixed({ { u"catno"_s, u"AB-1"_s }, { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s },
                  { u"type"_s, u"release"_s } }),
                fixed({ { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s }, { u"q"_s, u"AB-1"_s },
                    { u"type"_s, u"release"_s } }) } },
        { "catalog number and artist", ReleaseQuery { u"Alpha"_s, u""_s, u""_s, u"AB-1"_s, u""_s },
            { fixed({ { u"artist"_s, u"Alpha"_s }, { u"catno"_s, u"AB-1"_s }, { u"format"_s, u"Vinyl"_s },
                  { u"per_page"_s, u"40"_s }, { u"type"_s, u"release"_s } }),
                fixed({ { u"catno"_s, u"AB-1"_s }, { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s },
                    { u"type"_s, u"release"_s } }),
                fixed({ { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s }, { u"q"_s, u"Alpha AB-1"_s },
                    { u"type"_s, u"release"_s } }) } },
        { "title only", ReleaseQuery { u""_s, u"Beta"_s, u""_s, u""_s, u""_s },
            { fixed({ { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s }, { u"release_title"_s, u"Beta"_s },
                  { u"type"_s, u"release"_s } }),
                fixed({ { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s }, { u"q"_s, u"Beta"_s },
                    { u"type"_s, u"release"_s } }) } },
        { "empty query", ReleaseQuery {},
            { fixed({ { u"format"_s, u"Vinyl"_s }, { u"per_page"_s, u"40"_s }, { u"q"_s, u""_s },
                { u"type"_s, u"release"_s } }) } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        transport.clear();
        answerAll(kEmpty);
        EXPECT_TRUE(anonymous.search(c.query, {}).isEmpty());
        Sets sent;
        for (const HttpRequest &request : transport.requests())
            sent.append(queryOf(request));
        EXPECT_EQ(sent, c.expected);
    }
}

TEST_F(DiscogsClientTest, TextSearchReturnsTheFirstHitsMostOwnedFirst)
{
    answerAll(readFixture(u"discogs/search_text.json"_s));
    const QList<ReleaseCandidate> found
        = anonymous.search(ReleaseQuery { u""_s, u"Beta"_s, u""_s, u""_s, u"more"_s }, {});
    EXPECT_EQ(idsOf(found), QStringList({ u"203"_s, u"201"_s, u"205"_s, u"202"_s, u"204"_s }));
    EXPECT_EQ(transport.requests().size(), 1);
}

TEST_F(DiscogsClientTest, TextSearchStopsAtTheFirstFailure)
{
    answerAll({}, 429);
    EXPECT_EQ(lookupFailure([&] {
        withToken.search(ReleaseQuery { u""_s, u""_s, u""_s, u"AB-1"_s, u""_s }, {});
    }),
        LookupError::Kind::rateLimited);
    // One request and its two retries; the free-text set is never sent.
    EXPECT_EQ(transport.requests().size(), 3);
    for (const HttpRequest &request : transport.requests())
        EXPECT_EQ(valueOf(request, u"catno"_s), QStringLiteral("AB-1"));
}

TEST_F(DiscogsClientTest, QueryValuesArriveIntact)
{
    answerAll(kEmpty);
    const QString text = QStringLiteral("A&B=C+D #1 / 50% \u00C6");
    anonymous.search(ReleaseQuery { u""_s, u""_s, u""_s, u""_s, text }, {});
    ASSERT_EQ(transport.requests().size(), 1);
    const QUrl url = transport.requests().first().url;
    EXPECT_EQ(valueOf(transport.requests().first(), u"q"_s), text);
    // A raw "+" would reach Discogs as a space.
    EXPECT_FALSE(url.query(QUrl::FullyEncoded).contains(u'+'));
}

TEST_F(DiscogsClientTest, ReleaseFetchesByIdAndRefusesIdsBelowOne)
{
    transport.answer(kRoot + u"/releases/1000001"_s, 200, readFixture(u"discogs/release_full.json"_s));
    const RecordDraft draft = withToken.release(1000001, {});
    EXPECT_EQ(draft.title, QStringLiteral("Harbour Songs"));
    ASSERT_EQ(transport.requests().size(), 1);
    EXPECT_EQ(
        transport.requests().first().header("Authorization"), QByteArray("Discogs token=s3cret"));

    transport.clear();
    for (const qint64 id : { 0, -5 })
        EXPECT_EQ(lookupFailure([&] { anonymous.release(id, {}); }), LookupError::Kind::notFound);
    EXPECT_TRUE(transport.requests().isEmpty());
}

TEST_F(DiscogsClientTest, IdentityNeedsATokenAndTakesNoLimiterSlot)
{
    EXPECT_EQ(lookupFailure([&] { anonymous.identity({}); }), LookupError::Kind::missingToken);
    EXPECT_EQ(lookupFailure([&] {
        DiscogsClient { QString(), kRoot }.identity({});
    }),
        LookupError::Kind::missingToken);
    EXPECT_TRUE(transport.requests().isEmpty());

    transport.answer(kRoot + u"/oauth/identity"_s, 200, readFixture(u"discogs/identity.json"_s));
    EXPECT_EQ(withToken.identity({}), QStringLiteral("crate_digger"));
    EXPECT_EQ(withToken.identity({}), QStringLiteral("crate_digger"));
    EXPECT_EQ(
        transport.requests().first().header("Authorization"), QByteArray("Discogs token=s3cret"));
    EXPECT_TRUE(time.discogsAuthenticatedSleeps().isEmpty());
}

TEST_F(DiscogsClientTest, BadRootsAndBadAnswers)
{
    answerAll("<html>busy</html>");
    EXPECT_THROW(anonymous.searchBarcode(u"12345678"_s, {}), DecodingError);
    EXPECT_EQ(lookupFailure([&] {
        DiscogsClient { std::nullopt, u"http://api.discogs.test"_s }.release(1, {});
    }),
        LookupError::Kind::insecureURL);
    EXPECT_EQ(lookupFailure([&] {
        DiscogsClient { std::nullopt, u"https://api.discogs.test:port"_s }.release(1, {});
    }),
        LookupError::Kind::notFound);
}
