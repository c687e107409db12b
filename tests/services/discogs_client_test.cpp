#include "services/discogs_client.h"

#include "services/lookup_error.h"
#include "services/release_query.h"
#include "support/scripted_transport.h"
#include "test_support.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

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
    transport.answer(kRoot + "/database/search?barcode=0074643521109&per_page=25&type=release", 200,
        readFixture("discogs/search_text.json"));

    const QList<ReleaseCandidate> found = anonymous.searchBarcode("074643521109", {});
    EXPECT_EQ(idsOf(found), QStringList({ "201", "202", "203", "204", "205" }));

    const QList<HttpRequest> requests = transport.requests();
    ASSERT_EQ(requests.size(), 2);
    for (const HttpRequest &request : requests) {
        EXPECT_EQ(request.url.path(), QStringLiteral("/database/search"));
        EXPECT_EQ(namesOf(request), QStringList({ "barcode", "per_page", "type" }));
        EXPECT_EQ(valueOf(request, "type"), QStringLiteral("release"));
        EXPECT_EQ(valueOf(request, "per_page"), QStringLiteral("25"));
        EXPECT_FALSE(request.header("Authorization"));
    }
    EXPECT_EQ(valueOf(requests[0], "barcode"), QStringLiteral("074643521109"));
    EXPECT_EQ(valueOf(requests[1], "barcode"), QStringLiteral("0074643521109"));
    // Anonymous requests are spaced by the 2.45 s limiter.
    EXPECT_EQ(time.discogsAnonymousSleeps(), QList<std::chrono::nanoseconds>({ 2450ms }));
    EXPECT_TRUE(time.discogsAuthenticatedSleeps().isEmpty());
}

TEST_F(DiscogsClientTest, BarcodeSearchStopsAtTheFirstHitOrError)
{
    answerAll(readFixture("discogs/search_barcode.json"));
    EXPECT_EQ(anonymous.searchBarcode("0 74643 52110 9", {}).size(), 3);
    EXPECT_EQ(transport.requests().size(), 1);

    transport.clear();
    answerAll({}, 500);
    EXPECT_EQ(lookupFailure([&] { anonymous.searchBarcode("074643521109", {}); }),
        LookupError::Kind::http);
    EXPECT_EQ(transport.requests().size(), 1);

    transport.clear();
    EXPECT_TRUE(anonymous.searchBarcode("no digits", {}).isEmpty());
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
        SCOPED_TRACE(c.token.value_or("(none)").toStdString());
        time.advance(10s); // both limiters idle
        const auto authenticatedBefore = time.discogsAuthenticatedSleeps().size();
        const auto anonymousBefore = time.discogsAnonymousSleeps().size();
        transport.clear();
        answerAll(kEmpty);
        transport.answer(kRoot + "/releases/5", 200, readFixture("discogs/release_minimal.json"));
        const DiscogsClient client { c.token, kRoot };
        client.searchBarcode("12345678", {});
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
    EXPECT_EQ(lookupFailure([&] { anonymous.searchBarcode("12345678", {}); }),
        LookupError::Kind::missingToken);
    EXPECT_EQ(lookupFailure([&] {
        anonymous.search(ReleaseQuery { "", "", "", "", "x" }, {});
    }),
        LookupError::Kind::missingToken);
    EXPECT_EQ(lookupFailure([&] { withToken.searchBarcode("12345678", {}); }),
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
        { "every field", ReleaseQuery { "Alpha", "Beta", "Label", "AB-1", "" },
            { fixed({ { "artist", "Alpha" }, { "catno", "AB-1" }, { "format", "Vinyl" },
                  { "label", "Label" }, { "per_page", "40" }, { "type", "release" } }),
                fixed({ { "catno", "AB-1" }, { "format", "Vinyl" }, { "per_page", "40" },
                    { "type", "release" } }),
                fixed({ { "artist", "Alpha" }, { "format", "Vinyl" }, { "per_page", "40" },
                    { "release_title", "Beta" }, { "type", "release" } }),
                fixed({ { "format", "Vinyl" }, { "per_page", "40" },
                    { "q", "Alpha Beta Label AB-1" }, { "type", "release" } }) } },
        { "catalog number only", ReleaseQuery { "", "", "", "AB-1", "" },
            { fixed({ { "catno", "AB-1" }, { "format", "Vinyl" }, { "per_page", "40" },
                  { "type", "release" } }),
                fixed({ { "format", "Vinyl" }, { "per_page", "40" }, { "q", "AB-1" },
                    { "type", "release" } }) } },
        { "catalog number and artist", ReleaseQuery { "Alpha", "", "", "AB-1", "" },
            { fixed({ { "artist", "Alpha" }, { "catno", "AB-1" }, { "format", "Vinyl" },
                  { "per_page", "40" }, { "type", "release" } }),
                fixed({ { "catno", "AB-1" }, { "format", "Vinyl" }, { "per_page", "40" },
                    { "type", "release" } }),
                fixed({ { "format", "Vinyl" }, { "per_page", "40" }, { "q", "Alpha AB-1" },
                    { "type", "release" } }) } },
        { "title only", ReleaseQuery { "", "Beta", "", "", "" },
            { fixed({ { "format", "Vinyl" }, { "per_page", "40" }, { "release_title", "Beta" },
                  { "type", "release" } }),
                fixed({ { "format", "Vinyl" }, { "per_page", "40" }, { "q", "Beta" },
                    { "type", "release" } }) } },
        { "empty query", ReleaseQuery {},
            { fixed({ { "format", "Vinyl" }, { "per_page", "40" }, { "q", "" },
                { "type", "release" } }) } },
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
    answerAll(readFixture("discogs/search_text.json"));
    const QList<ReleaseCandidate> found
        = anonymous.search(ReleaseQuery { "", "Beta", "", "", "more" }, {});
    EXPECT_EQ(idsOf(found), QStringList({ "203", "201", "205", "202", "204" }));
    EXPECT_EQ(transport.requests().size(), 1);
}

TEST_F(DiscogsClientTest, TextSearchStopsAtTheFirstFailure)
{
    answerAll({}, 429);
    EXPECT_EQ(lookupFailure([&] {
        withToken.search(ReleaseQuery { "", "", "", "AB-1", "" }, {});
    }),
        LookupError::Kind::rateLimited);
    // One request and its two retries; the free-text set is never sent.
    EXPECT_EQ(transport.requests().size(), 3);
    for (const HttpRequest &request : transport.requests())
        EXPECT_EQ(valueOf(request, "catno"), QStringLiteral("AB-1"));
}

TEST_F(DiscogsClientTest, QueryValuesArriveIntact)
{
    answerAll(kEmpty);
    const QString text = QStringLiteral("A&B=C+D #1 / 50% \u00C6");
    anonymous.search(ReleaseQuery { "", "", "", "", text }, {});
    ASSERT_EQ(transport.requests().size(), 1);
    const QUrl url = transport.requests().first().url;
    EXPECT_EQ(valueOf(transport.requests().first(), "q"), text);
    // A raw "+" would reach Discogs as a space.
    EXPECT_FALSE(url.query(QUrl::FullyEncoded).contains(u'+'));
}

TEST_F(DiscogsClientTest, ReleaseFetchesByIdAndRefusesIdsBelowOne)
{
    transport.answer(kRoot + "/releases/1000001", 200, readFixture("discogs/release_full.json"));
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

    transport.answer(kRoot + "/oauth/identity", 200, readFixture("discogs/identity.json"));
    EXPECT_EQ(withToken.identity({}), QStringLiteral("crate_digger"));
    EXPECT_EQ(withToken.identity({}), QStringLiteral("crate_digger"));
    EXPECT_EQ(
        transport.requests().first().header("Authorization"), QByteArray("Discogs token=s3cret"));
    EXPECT_TRUE(time.discogsAuthenticatedSleeps().isEmpty());
}

TEST_F(DiscogsClientTest, BadRootsAndBadAnswers)
{
    answerAll("<html>busy</html>");
    EXPECT_THROW(anonymous.searchBarcode("12345678", {}), DecodingError);
    EXPECT_EQ(lookupFailure([&] {
        DiscogsClient { std::nullopt, "http://api.discogs.test" }.release(1, {});
    }),
        LookupError::Kind::insecureURL);
    EXPECT_EQ(lookupFailure([&] {
        DiscogsClient { std::nullopt, "https://api.discogs.test:port" }.release(1, {});
    }),
        LookupError::Kind::notFound);
}
