#include "services/http.h"

#include "models/error.h"
#include "services/lookup_error.h"
#include "support/scripted_transport.h"

#include <gtest/gtest.h>

#include <variant>

using namespace vorla;
using namespace std::chrono_literals;
using vorla::test::ScriptedTransport;

namespace {

const QUrl kURL(QStringLiteral("https://api.example.test/database/search?q=blue%20train&type=release"));

// The body, or the error data() threw.
std::variant<QByteArray, LookupError> fetch(const HttpHeaders &headers = {})
{
    try {
        return HTTP::data(kURL, headers);
    } catch (const LookupError &error) {
        return error;
    }
}

} // namespace

TEST(HTTP, MapsStatusCodes)
{
    const struct {
        int status;
        std::variant<QByteArray, LookupError> expected;
    } cases[] = {
        {200, QByteArray("body")},
        {204, QByteArray()},
        {299, QByteArray("body")},
        {0, LookupError::http(0)},
        {101, LookupError::http(101)},
        {302, LookupError::http(302)},
        {304, LookupError::http(304)},
        {400, LookupError::http(400)},
        {401, LookupError::unauthorized()},
        {403, LookupError::unauthorized()},
        {404, LookupError::notFound()},
        {500, LookupError::http(500)},
        {502, LookupError::http(502)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        ScriptedTransport transport;
        transport.answer(kURL, {c.status, c.status == 204 ? "" : "body"});
        EXPECT_EQ(fetch(), c.expected);
        EXPECT_EQ(transport.requests().size(), 1);
        EXPECT_TRUE(transport.pauses().isEmpty());
    }
}

TEST(HTTP, RetriesRateLimitingTwiceWithGrowingPauses)
{
    const struct {
        QList<int> statuses;
        std::variant<QByteArray, LookupError> expected;
        int requests;
    } cases[] = {
        {{429, 429, 200}, QByteArray("third"), 3},
        {{503, 200}, QByteArray("second"), 2},
        {{429, 429, 429}, LookupError::rateLimited(), 3},
        {{503, 503, 503}, LookupError::http(503), 3},
        // The last status decides.
        {{429, 503, 429}, LookupError::rateLimited(), 3},
        {{503, 429, 503}, LookupError::http(503), 3},
        {{429, 404}, LookupError::notFound(), 2},
    };
    const QByteArray bodies[] = {"first", "second", "third"};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.statuses));
        ScriptedTransport transport;
        for (qsizetype i = 0; i < c.statuses.size(); ++i)
            transport.answer(kURL, {c.statuses[i], bodies[i]});
        EXPECT_EQ(fetch(), c.expected);
        EXPECT_EQ(transport.requests().size(), c.requests);
        const QList<std::chrono::milliseconds> expectedPauses = {2s, 4s};
        EXPECT_EQ(transport.pauses(), expectedPauses.first(c.requests - 1));
    }
}

TEST(HTTP, RefusesInsecureURLsBeforeSending)
{
    const char *urls[] = {
        "http://api.example.test/releases/1",
        "ftp://api.example.test/releases/1",
        "https:///releases/1",
        "https:releases/1",
        "api.example.test/releases/1",
        "",
    };
    ScriptedTransport transport;
    transport.setHandler([](const HttpRequest &) { return ScriptedTransport::Answer{}; });
    for (const char *url : urls) {
        SCOPED_TRACE(url);
        try {
            HTTP::data(QUrl(QString::fromUtf8(url)), {});
            ADD_FAILURE() << "no error";
        } catch (const LookupError &error) {
            EXPECT_EQ(error, LookupError::insecureURL());
        }
    }
    EXPECT_TRUE(transport.requests().isEmpty());
}

TEST(HTTP, SendsUserAgentAndCallerHeadersReplacingEarlierValues)
{
    ScriptedTransport transport;
    transport.answer(kURL, {200, "ok"});

    HTTP::data(kURL, {{"Authorization", "Discogs token=abc"}, {"Accept", "application/json"}});
    HTTP::data(kURL, {{"user-agent", "Other/2.0"}});

    const auto requests = transport.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].url, kURL);
    EXPECT_EQ(requests[0].header("User-Agent"), "Vorla/1.0 (Linux vinyl collection app)");
    EXPECT_EQ(requests[0].header("authorization"), "Discogs token=abc");
    EXPECT_EQ(requests[0].header("Accept"), "application/json");
    EXPECT_EQ(requests[0].headers.size(), 3);

    EXPECT_EQ(requests[1].header("User-Agent"), "Other/2.0");
    EXPECT_EQ(requests[1].headers.size(), 1);
}

TEST(HTTP, StopDuringRetryPauseEndsWithCancellation)
{
    ScriptedTransport transport;
    transport.answer(kURL, {429});
    std::stop_source source;
    transport.setPauseHook([&](std::chrono::milliseconds) { source.request_stop(); });

    EXPECT_THROW(HTTP::data(kURL, {}, source.get_token()), CancelledError);
    EXPECT_EQ(transport.requests().size(), 1);
}

TEST(HTTP, StoppedCallSendsNothing)
{
    ScriptedTransport transport;
    transport.answer(kURL, {200, "ok"});
    std::stop_source source;
    source.request_stop();

    EXPECT_THROW(HTTP::data(kURL, {}, source.get_token()), CancelledError);
    EXPECT_TRUE(transport.requests().isEmpty());
}

TEST(HTTP, TransportFailuresPassThroughUnchanged)
{
    ScriptedTransport transport;
    transport.answer(kURL, ScriptedTransport::Answer::failure(QStringLiteral("Host api.example.test not found")));
    try {
        HTTP::data(kURL, {});
        ADD_FAILURE() << "no error";
    } catch (const LookupError &) {
        ADD_FAILURE() << "became a LookupError";
    } catch (const NetworkError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Host api.example.test not found"));
    }
    EXPECT_TRUE(transport.pauses().isEmpty());
}

TEST(HTTP, FailsCleanlyWithoutTransport)
{
    const auto previous = HTTP::setTransport(nullptr);
    EXPECT_THROW(HTTP::data(kURL, {}), NetworkError);
    HTTP::setTransport(previous);
}

TEST(URL, HttpsAcceptsOnlyWellFormedHttpsWithHost)
{
    const struct {
        std::optional<QString> text;
        std::optional<QString> expected;
    } cases[] = {
        {QStringLiteral("  https://i.discogs.com/a.jpg\t"), QStringLiteral("https://i.discogs.com/a.jpg")},
        {QStringLiteral("HTTPS://Example.com/x?y=1"), QStringLiteral("https://example.com/x?y=1")},
        {QStringLiteral("https://musicbrainz.org/release/1"), QStringLiteral("https://musicbrainz.org/release/1")},
        {QStringLiteral("http://i.discogs.com/a.jpg"), std::nullopt},
        {QStringLiteral("https://"), std::nullopt},
        {QStringLiteral("https:///path"), std::nullopt},
        {QStringLiteral("   "), std::nullopt},
        {QString(), std::nullopt},
        {std::nullopt, std::nullopt},
        {QStringLiteral("https://exa mple.com/"), std::nullopt},
        // Only spaces and tabs are trimmed.
        {QStringLiteral("https://example.com/\n"), std::nullopt},
        {QStringLiteral("//example.com/a"), std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.value_or(QStringLiteral("<none>")).toStdString());
        const auto url = URL::https(c.text);
        if (c.expected) {
            ASSERT_TRUE(url.has_value());
            EXPECT_EQ(url->toString(), *c.expected);
        } else {
            EXPECT_FALSE(url.has_value()) << url->toString().toStdString();
        }
    }
}
