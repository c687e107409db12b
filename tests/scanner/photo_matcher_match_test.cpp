#include "scanner/photo_matcher.h"

#include "models/error.h"
#include "scanner/photo_matcher_fixtures.h"
#include "support/scripted_sources.h"

#include <QThread>

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace vorla;
using vorla::test::candidate;
using vorla::test::ScriptedSources;
using vorla::test::sourceIDs;
using vorla::test::spineEvidence;
using vorla::test::titled;
using vorla::test::u8;
using Answer = ScriptedSources::Answer;

namespace {

const QStringList kShelfLines = { u8("STEREO"), u8("Low Harbour"), u8("Ana Lua and the Tides"),
    u8("SIDE A 1. Northbound 2. Lanterns"), u8("ABC-1234") };

} // namespace

TEST(PhotoMatcherMatch, SearchesCatalogNumbersThenKeywords)
{
    ScriptedSources script;
    const auto outcome = PhotoMatcher::match(spineEvidence(kShelfLines), script.sources(), {});
    EXPECT_EQ(script.requests(),
        (QStringList { u8("catno:ABC-1234"), u8("q:low harbour ana lua and the tides side"),
            u8("q:low harbour ana lua and the tides"), u8("q:side a 1 northbound 2 lanterns") }));
    EXPECT_TRUE(outcome.candidates.isEmpty());
    EXPECT_FALSE(outcome.best);
    EXPECT_FALSE(outcome.isCertain);
}

TEST(PhotoMatcherMatch, NothingToAskMakesNoRequest)
{
    ScriptedSources script;
    const auto outcome
        = PhotoMatcher::match(spineEvidence({ u8("1975"), u8("x"), u8("") }), script.sources(), {});
    EXPECT_TRUE(script.requests().isEmpty());
    EXPECT_TRUE(outcome.candidates.isEmpty());
    EXPECT_FALSE(outcome.isCertain);
}

TEST(PhotoMatcherMatch, SingleBarcodeHitIsCertainWithoutSearching)
{
    ScriptedSources script;
    // The answer does not list the code; the release was found by it all the same.
    script.answer(u8("barcode:5012345678901"),
        Answer::found({ candidate(u8("7"), u8("Ana Lua"), u8("Low Harbour")) }));
    const auto outcome = PhotoMatcher::match(
        spineEvidence({ u8("Low Harbour") }, { u8("5012345678901") }), script.sources(), {});
    EXPECT_EQ(script.requests(), QStringList { u8("barcode:5012345678901") });
    EXPECT_TRUE(outcome.isCertain);
    ASSERT_TRUE(outcome.best);
    EXPECT_EQ(outcome.best->sourceID, u8("7"));
    EXPECT_EQ(outcome.best->barcode, u8("5012345678901"));
}

TEST(PhotoMatcherMatch, BarcodeSharedByPressingsIsNotCertain)
{
    ScriptedSources script;
    script.answer(u8("barcode:5012345678901"),
        Answer::found(
            { candidate(u8("1"), u8("Ana Lua"), u8("Low Harbour"), u8("AL 1"), u8("5012345678901")),
                candidate(
                    u8("2"), u8("Ana Lua"), u8("Low Harbour"), u8("AL 2"), u8("5012345678901")) }));
    const auto outcome
        = PhotoMatcher::match(spineEvidence({}, { u8("5012345678901") }), script.sources(), {});
    EXPECT_FALSE(outcome.isCertain);
    EXPECT_EQ(sourceIDs(outcome.candidates), (QStringList { u8("1"), u8("2") }));
    ASSERT_TRUE(outcome.best);
    EXPECT_EQ(outcome.best->sourceID, u8("1"));
}

TEST(PhotoMatcherMatch, CatalogNumberReadSettlesASharedBarcode)
{
    ScriptedSources script;
    script.answer(u8("barcode:5012345678901"),
        Answer::found({ candidate(u8("1"), u8("Ana Lua"), u8("Low Harbour"), u8("ABC-1111"),
                            u8("5012345678901")),
            candidate(
                u8("2"), u8("Ana Lua"), u8("Low Harbour"), u8("ABC-1234"), u8("5012345678901")) }));
    const auto outcome = PhotoMatcher::match(
        spineEvidence({ u8("ABC-1234") }, { u8("5012345678901") }), script.sources(), {});
    EXPECT_TRUE(outcome.isCertain);
    EXPECT_EQ(sourceIDs(outcome.candidates), (QStringList { u8("2"), u8("1") }));
    EXPECT_EQ(script.requests(), QStringList { u8("barcode:5012345678901") });
}

TEST(PhotoMatcherMatch, AllFailedAndNothingFoundThrowsTheLastError)
{
    ScriptedSources script;
    script.answer(u8("barcode:111"), Answer::failing(u8("first failed")));
    try {
        PhotoMatcher::match(spineEvidence({}, { u8("111"), u8("222") }), script.sources(), {});
        FAIL() << "no error";
    } catch (const NetworkError &error) {
        EXPECT_EQ(error.message(), u8("first failed"));
    }
    EXPECT_EQ(script.requests(), (QStringList { u8("barcode:111"), u8("barcode:222") }));

    script.answer(u8("barcode:222"), Answer::failing(u8("second failed")));
    EXPECT_THROW(
        {
            try {
                PhotoMatcher::match(
                    spineEvidence({}, { u8("111"), u8("222") }), script.sources(), {});
            } catch (const NetworkError &error) {
                EXPECT_EQ(error.message(), u8("second failed"));
                throw;
            }
        },
        NetworkError);
}

TEST(PhotoMatcherMatch, FailureBeforeAFindIsNotThrown)
{
    ScriptedSources script;
    script.answer(u8("catno:ABC-1234"), Answer::failing(u8("offline")));
    script.answer(u8("q:low harbour ana lua and the tides side"),
        Answer::found({ candidate(u8("1"), u8("Someone"), u8("Tides")) }));
    const auto outcome = PhotoMatcher::match(spineEvidence(kShelfLines), script.sources(), {});
    EXPECT_EQ(sourceIDs(outcome.candidates), QStringList { u8("1") });
    EXPECT_FALSE(outcome.isCertain);
}

TEST(PhotoMatcherMatch, PoolsEachReleaseOnceAndRanksThePool)
{
    ScriptedSources script;
    const auto weak = candidate(u8("1"), u8("Someone"), u8("Tides"));
    const auto strong = candidate(u8("2"), u8("Ana Lua"), u8("Harbour"));
    script.answer(u8("q:low harbour ana lua"), Answer::found({ weak, strong }));
    script.answer(u8("q:low harbour"), Answer::found({ strong, weak }));
    const auto outcome = PhotoMatcher::match(
        spineEvidence({ u8("Low Harbour"), u8("Ana Lua") }), script.sources(), {});
    EXPECT_EQ(sourceIDs(outcome.candidates), (QStringList { u8("2"), u8("1") }));
}

TEST(PhotoMatcherMatch, StopsAtTheFirstUnambiguousCertainty)
{
    ScriptedSources script;
    // Two pressings of the same release do not make it ambiguous.
    script.answer(u8("catno:ABC-1234"),
        Answer::found({ candidate(u8("1"), u8("Ana Lua and the Tides"), u8("Low Harbour")),
            candidate(u8("2"), u8("Ana Lua & The Tides"), u8("Low Harbour")) }));
    const auto outcome = PhotoMatcher::match(spineEvidence(kShelfLines), script.sources(), {});
    EXPECT_TRUE(outcome.isCertain);
    EXPECT_EQ(outcome.best->sourceID, u8("1"));
    EXPECT_EQ(script.requests(), QStringList { u8("catno:ABC-1234") });
}

TEST(PhotoMatcherMatch, AmbiguousRivalsKeepSearching)
{
    ScriptedSources script;
    script.answer(u8("q:low harbour ana lua"),
        Answer::found({ candidate(u8("1"), u8("Ana Lua"), u8("Low Harbour")),
            candidate(u8("2"), u8("Ana Lua"), u8("Harbour Low")) }));
    const auto outcome = PhotoMatcher::match(
        spineEvidence({ u8("Low Harbour"), u8("Ana Lua") }), script.sources(), {});
    EXPECT_FALSE(outcome.isCertain);
    EXPECT_EQ(
        script.requests(), (QStringList { u8("q:low harbour ana lua"), u8("q:low harbour") }));
    EXPECT_EQ(sourceIDs(outcome.candidates), (QStringList { u8("1"), u8("2") }));
}

TEST(PhotoMatcherMatch, TracklistsOnlyForFourLinesOrMore)
{
    const QList<ReleaseCandidate> found = { candidate(u8("1"), u8("Someone"), u8("Low Tides")),
        candidate(u8("2"), u8("Someone"), u8("Harbour Lights")),
        candidate(u8("3"), u8("Someone"), u8("Three")),
        candidate(u8("4"), u8("Someone"), u8("Four")),
        candidate(u8("5"), u8("Someone"), u8("Five")) };
    {
        ScriptedSources script;
        script.answer(u8("q:low harbour northbound lanterns"), Answer::found(found));
        PhotoMatcher::match(spineEvidence({ u8("Low Harbour"), u8("Northbound"), u8("Lanterns") }),
            script.sources(), {});
        for (const QString &request : script.requests())
            EXPECT_FALSE(request.startsWith(u8("tracks:"))) << request.toStdString();
    }
    ScriptedSources script;
    const PhotoEvidence four
        = spineEvidence({ u8("Low Harbour"), u8("Northbound"), u8("Lanterns"), u8("Gulls") });
    script.answer(u8("q:low harbour northbound lanterns gulls"), Answer::found(found));
    // The first's tracks do not confirm it; the second's do, so it leads the outcome.
    script.answer(u8("tracks:discogs:1"), Answer::listing(titled({ u8("Northbound") })));
    script.answer(u8("tracks:discogs:2"),
        Answer::listing(titled({ u8("Northbound"), u8("Lanterns"), u8("Gulls") })));
    const auto outcome = PhotoMatcher::match(four, script.sources(), {});
    QStringList trackRequests;
    for (const QString &request : script.requests()) {
        if (request.startsWith(u8("tracks:")))
            trackRequests.append(request);
    }
    EXPECT_EQ(trackRequests, (QStringList { u8("tracks:discogs:1"), u8("tracks:discogs:2") }));
    EXPECT_TRUE(outcome.isCertain);
    EXPECT_EQ(sourceIDs(outcome.candidates),
        (QStringList { u8("2"), u8("1"), u8("3"), u8("4"), u8("5") }));
    EXPECT_EQ(outcome.best->sourceID, u8("2"));
}

TEST(PhotoMatcherMatch, FailedTracklistsArePassedOver)
{
    ScriptedSources script;
    const PhotoEvidence four
        = spineEvidence({ u8("Low Harbour"), u8("Northbound"), u8("Lanterns"), u8("Gulls") });
    script.answer(u8("q:low harbour northbound lanterns gulls"),
        Answer::found({ candidate(u8("1"), u8("A"), u8("Low")),
            candidate(u8("2"), u8("B"), u8("Harbour")) }));
    script.answer(u8("tracks:discogs:1"), Answer::failing(u8("offline")));
    const auto outcome = PhotoMatcher::match(four, script.sources(), {});
    EXPECT_FALSE(outcome.isCertain);
    EXPECT_EQ(sourceIDs(outcome.candidates), (QStringList { u8("1"), u8("2") }));
    EXPECT_TRUE(script.requests().contains(u8("tracks:discogs:2")));
}

TEST(PhotoMatcherMatch, NeverMoreThanBarcodesPlusSevenRequests)
{
    ScriptedSources script;
    QStringList lines = kShelfLines;
    lines << u8("XYZ-987") << u8("QRS-555") << u8("Gulls and Ferries") << u8("Eastward");
    // Every search answers the same weak candidates, so nothing is ever certain.
    const QList<ReleaseCandidate> weak = { candidate(u8("1"), u8("X"), u8("Gulls")),
        candidate(u8("2"), u8("Y"), u8("Ferries")), candidate(u8("3"), u8("Z"), u8("Tides")) };
    for (const QString &name : { u8("barcode:111"), u8("barcode:222") })
        script.answer(name, Answer::found(weak));
    const auto first
        = PhotoMatcher::match(spineEvidence(lines, { u8("111"), u8("222") }), script.sources(), {});
    const QStringList asked = script.requests();
    const auto count
        = [&asked](auto predicate) { return std::count_if(asked.begin(), asked.end(), predicate); };
    EXPECT_EQ(count([](const QString &r) { return r.startsWith(u8("barcode:")); }), 2);
    EXPECT_EQ(count([](const QString &r) {
        return r.startsWith(u8("catno:")) || r.startsWith(u8("q:"));
    }),
        5);
    EXPECT_EQ(count([](const QString &r) { return r.startsWith(u8("tracks:")); }), 2);
    EXPECT_EQ(asked.size(), 2 + 5 + 2);
    EXPECT_FALSE(first.isCertain);
}

TEST(PhotoMatcherMatch, StopEndsMatchingWithoutFurtherRequests)
{
    ScriptedSources script;
    script.answer(u8("catno:ABC-1234"), Answer().waiting());
    std::stop_source stop;
    auto running = std::async(std::launch::async, [&] {
        return PhotoMatcher::match(spineEvidence(kShelfLines), script.sources(), stop.get_token());
    });
    ASSERT_TRUE(script.waitUntilWaiting(1));
    stop.request_stop();
    EXPECT_THROW(running.get(), CancelledError);
    EXPECT_EQ(script.requests(), QStringList { u8("catno:ABC-1234") });
}
