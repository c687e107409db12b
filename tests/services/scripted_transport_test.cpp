// The test transport and virtual limiter time that the client suites rely on.
#include "support/scripted_transport.h"

#include "models/error.h"
#include "services/rate_limiter.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vorla;
using namespace std::chrono_literals;
using vorla::test::ScriptedTransport;
using vorla::test::VirtualLimiterTime;

TEST(ScriptedTransport, AnswersInOrderRepeatsTheLastAndFallsBackToTheHandler)
{
    ScriptedTransport transport;
    transport.answer(QStringLiteral("https://a.test/x?b=2&a=1"), 200, "one");
    transport.answer(QStringLiteral("https://a.test/x?b=2&a=1"), 200, "two");
    transport.setHandler([](const HttpRequest &request) -> std::optional<ScriptedTransport::Answer> {
        if (request.url.host() == QLatin1String("b.test"))
            return ScriptedTransport::Answer(200, "handled");
        return std::nullopt;
    });
    const QUrl url(QStringLiteral("https://a.test/x?b=2&a=1"));
    EXPECT_EQ(HTTP::data(url, {}), "one");
    EXPECT_EQ(HTTP::data(url, {}), "two");
    EXPECT_EQ(HTTP::data(url, {}), "two");
    EXPECT_EQ(HTTP::data(QUrl(QStringLiteral("https://b.test/")), {}), "handled");
    EXPECT_THROW(HTTP::data(QUrl(QStringLiteral("https://c.test/")), {}), NetworkError);
    EXPECT_EQ(transport.requestedURLs(),
              (QStringList{url.toString(), url.toString(), url.toString(),
                           QStringLiteral("https://b.test/"), QStringLiteral("https://c.test/")}));
}

TEST(ScriptedTransport, DelayedAnswerIsCutByStop)
{
    ScriptedTransport transport;
    const QUrl url(QStringLiteral("https://a.test/slow"));
    transport.answer(url, ScriptedTransport::Answer(200, "late").withDelay(60s));
    std::stop_source source;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(20ms);
        source.request_stop();
    });
    EXPECT_THROW(HTTP::data(url, {}, source.get_token()), CancelledError);
}

TEST(ScriptedTransport, RestoresThePreviousTransport)
{
    const auto before = HTTP::transport();
    {
        ScriptedTransport outer;
        const auto outerTransport = HTTP::transport();
        {
            ScriptedTransport inner;
            EXPECT_NE(HTTP::transport(), outerTransport);
        }
        EXPECT_EQ(HTTP::transport(), outerTransport);
    }
    EXPECT_EQ(HTTP::transport(), before);
}

TEST(VirtualLimiterTime, RunsSharedLimitersInstantlyAndRecordsTheirWaits)
{
    VirtualLimiterTime time;
    auto &limiter = RateLimiters::musicBrainz();
    const auto start = std::chrono::steady_clock::now();
    limiter.wait();
    limiter.wait();
    limiter.wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(time.musicBrainzSleeps(), (QList<std::chrono::nanoseconds>{1100ms, 1100ms}));
    EXPECT_TRUE(time.discogsAnonymousSleeps().isEmpty());

    time.advance(5s);
    RateLimiters::discogsAnonymous().wait();
    RateLimiters::discogsAnonymous().wait();
    EXPECT_EQ(time.discogsAnonymousSleeps(), (QList<std::chrono::nanoseconds>{2450ms}));
}
