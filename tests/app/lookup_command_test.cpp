#include "app/lookup_command.h"

#include "services/metadata_service.h"
#include "support/scripted_transport.h"
#include "test_support.h"
#include "vorla_process.h"

#include <QTextStream>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace vorla;
using vorla::test::readFixture;
using vorla::test::ScriptedTransport;
using vorla::test::VirtualLimiterTime;
using Answer = ScriptedTransport::Answer;

namespace {

const QString kDiscogs = QStringLiteral("https://api.discogs.com");

class LookupCommandTest : public testing::Test
{
protected:
    QStringList run(const MetadataService &service, const QString &text)
    {
        QString output;
        QTextStream out(&output);
        DebugHooks::printLookup(service, text, out);
        out.flush();
        if (output.endsWith(u'\n'))
            output.chop(1);
        return output.isEmpty() ? QStringList() : output.split(u'\n');
    }

    ScriptedTransport transport;
    VirtualLimiterTime time;
};

// A search answer of n vinyl hits with ids 1 to n.
QByteArray hits(int n)
{
    QByteArray json = R"({"results": [)";
    for (int i = 1; i <= n; ++i) {
        json += QByteArray(i > 1 ? "," : "") + R"({"id": )" + QByteArray::number(i)
            + R"(, "title": "Artist - Title )" + QByteArray::number(i)
            + R"(", "year": "1980", "format": ["Vinyl"], "label": ["L"], "catno": "C)"
            + QByteArray::number(i) + R"(", "country": "DE"})";
    }
    return json + "]}";
}

} // namespace

TEST_F(LookupCommandTest, PrintsCandidatesAndTheFirstOnesDetails)
{
    transport.answer(kDiscogs + "/database/search?barcode=5012345678900&per_page=25&type=release",
        200, readFixture("discogs/search_barcode.json"));
    transport.answer(kDiscogs + "/releases/1000001", 200, readFixture("discogs/release_full.json"));
    const QByteArray cover = readFixture("coverart/front-500.jpg");
    transport.answer(QStringLiteral("https://i.discogs.example/images/front.jpg"), 200, cover);

    const QStringList lines
        = run(MetadataService { QStringLiteral("tok"), false }, "5012345678900");
    const QStringList expected = {
        "Sources: Discogs=on MusicBrainz=false",
        "3 result(s)",
        "  [Discogs] Northern Lights \u2014 Harbour Songs (1977) Vinyl, LP, Album | Harbour "
        "Records "
        "HR 101 | UK",
        "  [Discogs] Northern Lights \u2014 Harbour Songs (?) CD, Album |   | ",
        "  [Discogs]  \u2014  (?)  |   | ",
        "",
        "Details: Alpha, B. Feat. Gamma \u2014 Harbour Songs 1969",
        "  Label: Harbour Records HR 101  Format: 2\u00D7Vinyl, LP, Album + CD  Country: UK",
        "  Genres: Rock, Folk, World, & Country, Rock  Styles: Folk Rock",
        "  Barcode: 5012345678900  Source: "
        "https://www.discogs.com/release/1000001-Alpha-Harbour-Songs",
        QStringLiteral("  Cover: %1 bytes").arg(cover.size()),
        "    A1\tLighthouse\t3:45",
        "    A2\tLow Tide\t",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(LookupCommandTest, ShowsAtMostEightCandidatesAndTheDetailsOfAnUnreachableCover)
{
    transport.setHandler([](const HttpRequest &request) -> std::optional<Answer> {
        if (request.url.path() == u"/database/search")
            return Answer(200, hits(10));
        if (request.url.path() == u"/releases/1")
            return Answer(200, R"({"id": 1, "title": "Title 1", "year": 1980,
                                   "images": [{"type": "primary", "uri": "https://img.example/1"}]})");
        return Answer(404);
    });
    const QStringList lines = run(MetadataService { std::nullopt, true }, "Artist - Title");
    // No track lines follow the cover line.
    ASSERT_EQ(lines.size(), 2 + 8 + 6);
    EXPECT_EQ(lines[0], QStringLiteral("Sources: Discogs=off (no token) MusicBrainz=true"));
    EXPECT_EQ(lines[1], QStringLiteral("10 result(s)"));
    EXPECT_EQ(
        lines[2], QStringLiteral("  [Discogs] Artist \u2014 Title 1 (1980) Vinyl | L C1 | DE"));
    EXPECT_EQ(
        lines[9], QStringLiteral("  [Discogs] Artist \u2014 Title 8 (1980) Vinyl | L C8 | DE"));
    EXPECT_EQ(lines[11], QStringLiteral("Details:  \u2014 Title 1 1980"));
    EXPECT_EQ(lines[12], QStringLiteral("  Label:    Format:   Country: "));
    EXPECT_EQ(lines[13], QStringLiteral("  Genres:   Styles: "));
    EXPECT_EQ(lines[14], QStringLiteral("  Barcode:   Source: https://www.discogs.com/release/1"));
    EXPECT_EQ(lines[15], QStringLiteral("  Cover: none"));
}

TEST_F(LookupCommandTest, ChoosesBarcodeLookupOrTextSearch)
{
    const struct
    {
        const char *text;
        bool barcode;
    } cases[] = {
        { "12345678", true },
        { "123456789012", true },
        { "4006381333931", true },
        { "1234567", false },
        { "1234 5678", false },
        { "12345678a", false },
        { "Artist - Title", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        transport.clear();
        transport.setHandler(
            [](const HttpRequest &) { return std::optional(Answer(200, R"({"results": []})")); });
        const QStringList lines = run(MetadataService { std::nullopt, false }, c.text);
        EXPECT_EQ(lines.value(1), QStringLiteral("0 result(s)"));
        ASSERT_FALSE(transport.requests().isEmpty());
        EXPECT_EQ(QUrlQuery(transport.requests().first().url).hasQueryItem("barcode"), c.barcode);
    }
}

TEST_F(LookupCommandTest, NothingToSearchOrAFailure)
{
    for (const char *text : { "", "   ", "\t" }) {
        SCOPED_TRACE(text);
        EXPECT_EQ(run(MetadataService { std::nullopt, true }, text),
            QStringList({ "Sources: Discogs=off (no token) MusicBrainz=true", "0 result(s)" }));
    }
    EXPECT_TRUE(transport.requests().isEmpty());

    transport.setHandler([](const HttpRequest &request) -> std::optional<Answer> {
        if (request.url.path() == u"/database/search")
            return Answer(200, hits(1));
        return Answer(500);
    });
    EXPECT_EQ(run(MetadataService { std::nullopt, false }, "12345678"),
        QStringList({ "Sources: Discogs=off (no token) MusicBrainz=false", "1 result(s)",
            "  [Discogs] Artist \u2014 Title 1 (1980) Vinyl | L C1 | DE",
            "Error: The metadata service returned an error (HTTP 500)." }));

    transport.clear();
    transport.setHandler([](const HttpRequest &) { return std::optional(Answer(401)); });
    EXPECT_EQ(run(MetadataService { std::nullopt, false }, "12345678"),
        QStringList({ "Sources: Discogs=off (no token) MusicBrainz=false",
            "Error: Discogs requires a personal access token for this request. Add "
            "one in Settings." }));
}

// The real program, without a display, a keyring or the network.
TEST(LookupCommand, RunsAsAProcess)
{
    const QString noBus = QStringLiteral("unix:path=/nonexistent/vorla-test-bus");
    for (const char *text : { "", "   " }) {
        SCOPED_TRACE(text);
        const auto run = vorla::test::runVorla(
            { { "VORLA_LOOKUP", text }, { "DBUS_SESSION_BUS_ADDRESS", noBus } });
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.lines,
            QStringList({ "Sources: Discogs=off (no token) MusicBrainz=true", "0 result(s)" }));
        EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
    }

    // The test machines have no network: the barcode lookup fails at once.
    const auto run = vorla::test::runVorla(
        { { "VORLA_LOOKUP", "4006381333931" }, { "DBUS_SESSION_BUS_ADDRESS", noBus } }, 60000);
    EXPECT_EQ(run.exitStatus, 0);
    ASSERT_EQ(run.lines.size(), 2);
    EXPECT_EQ(run.lines[0], QStringLiteral("Sources: Discogs=off (no token) MusicBrainz=true"));
    EXPECT_TRUE(run.lines[1].startsWith(u"Error: ")) << run.lines[1].toStdString();
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
}
